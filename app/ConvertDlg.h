// The main dialog: four file fields with their Browse buttons, "&Convert Data" (the default
// button: Enter in a field converts) and "Close". It owns the converter and is the converter's
// platform. A relative name in a field is taken in the folder of the first full path among the
// B-file, G-file, SERFIL and output fields, else in Documents, so that every message names a
// full path. After a failure the focus goes to the field of the file the message names. The
// fields as they were at the last press of Convert Data come back at the next start; a file
// dropped on a field (or its Browse button) fills that field.
#pragma once

#include <string>
#include <vector>

#include "app/framework/Afx.h"

#include <shellapi.h>  // HDROP, after windows.h

#include "convert/BlueBookConverter.h"
#include "convert/Platform.h"

class ConversionReport;

/// The catalogue's message `number`, formatted with `args`, in a message box as a conversion
/// job shows it (the exclamation icon; help context `number`).
void ShowCatalogueMessage(int number, const std::vector<std::string>& args = {});

class CConvertDlg : public CDialog, public Platform {
public:
    /// A dialog without parent, its converter with the GRS 80 defaults.
    CConvertDlg();

    // The converter's platform: the edit fields, the string table, message boxes, the file
    // system.
    bool FetchFields(BlueBookConverter& converter) override;
    std::string LoadMessageText(int number) override;
    /// The success message (1601) gets the information icon, every other one the exclamation.
    int ShowMessage(const std::string& text, unsigned style, int helpContext) override;
    bool NameExists(const std::string& path) override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(m_hIcon); }
    /// Remembers the fields, runs the job, and after a success that deserves a look asks
    /// whether to show the report.
    void OnConvertData();
    void OfferReport(const ConversionReport& report);
    /// The first dropped file goes to the field under the drop point (a Browse button counts
    /// as its field); a drop anywhere else is ignored.
    void OnDropFiles(HDROP drop);
    /// The four fields to and from the user's settings.
    void LoadFields();
    void SaveFields();

    // File browsing (Browse.cpp)
    void OnBrowseOutputFile();
    void OnBrowseGFile();
    void OnBrowseSerfil();
    void OnBrowseBFile();
    /// Lets the user pick the file of `kind` (1 output, in a Save dialog; 2 G-file, 3 SERFIL,
    /// 4 B-file, in an Open dialog) and puts its path, lower-cased, in that field.
    void BrowseForFile(int kind);
    /// The four paths, in the order of the fields on the dialog (PathField), trimmed, a
    /// relative name taken in the folder of the first full path or in Documents
    /// (ResolveFieldPaths, app/AppLogic.h).
    std::vector<std::string> FieldPaths() const;
    /// Puts the focus in the field of the file the last message of a job named, if any.
    void FocusFieldOfMessage();

    BlueBookConverter m_converter;
    HICON m_hIcon;
    int m_messageNumber = 0;    // the last message a job showed, and its text
    std::string m_messageText;
};
