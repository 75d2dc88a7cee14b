// The main dialog: four file fields with their Browse buttons, "&Convert Data" and "Close".
// It owns the converter and is the converter's platform.
#pragma once

#include <string>

#include "app/framework/Afx.h"
#include "convert/BlueBookConverter.h"
#include "convert/Platform.h"

class CConvertDlg : public CDialog, public Platform {
public:
    /// A dialog without parent, its converter with the GRS 80 defaults.
    CConvertDlg();

    // The converter's platform: the edit fields, the string table, message boxes, the file
    // system.
    bool FetchFields(BlueBookConverter& converter) override;
    std::string LoadMessageText(int number) override;
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
    void OnConvertData() { m_converter.OnConvertData(); }

    // File browsing (Browse.cpp)
    void OnBrowseOutputFile();
    void OnBrowseGFile();
    void OnBrowseSerfil();
    void OnBrowseBFile();
    /// Lets the user pick the file of `kind` (1 output, 2 G-file, 3 SERFIL, 4 B-file) in a file
    /// dialog opened in the program's directory, and puts its path, lower-cased, in that field.
    void BrowseForFile(int kind);

    BlueBookConverter m_converter;
    HICON m_hIcon;
};
