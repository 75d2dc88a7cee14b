// The conversion report window: the text the console program prints with -r, in a fixed-width
// font, with "Save As…" and "Close". It can be made larger (never smaller than it opens), and
// its controls follow.
#pragma once

#include <string>
#include <vector>

#include "app/framework/Afx.h"

class CReportDlg : public CDialog {
public:
    /// `text`: the report, lines ended by "\n". `paths`: the files of the conversion, in the
    /// order of the main dialog's fields (PathField), full paths. Centred over `parent`.
    CReportDlg(const std::string& text, std::vector<std::string> paths, CDialog* parent);
    ~CReportDlg() override;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    /// Saves the text as UTF-8 with CR LF line ends into a file chosen in a Save dialog, which
    /// proposes "<output stem>-report.txt" beside the output; a file of the conversion is
    /// refused as the console program refuses it (1519, 1522).
    void OnSaveAs();
    /// Places the controls in a client area of `width` x `height` pixels: the text above, the
    /// buttons in the bottom corners.
    void Layout(int width, int height);

    std::string m_text;  // CR LF line ends
    std::vector<std::string> m_paths;
    HFONT m_font = nullptr;
    POINT m_minimumSize{};  // the window's size as it opened; zero until then
};
