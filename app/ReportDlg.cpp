#include "app/ReportDlg.h"

#include <utility>

#include "app/AppLogic.h"
#include "app/Browse.h"
#include "app/ConvertDlg.h"
#include "app/resource.h"
#include "convert/BlueBookConverter.h"
#include "convert/Messages.h"
#include "output/OutputFile.h"

namespace {

constexpr int kMargin = 7;  // dialog units, as the template's
constexpr int kButtonHeight = 14;
constexpr int kSaveWidth = 50;
constexpr int kCloseWidth = 40;
constexpr int kFontPoints = 9;

/// Horizontal and vertical dialog units of `dialog`, as pixels.
int UnitsX(HWND dialog, int units) {
    RECT r{0, 0, units, 0};
    MapDialogRect(dialog, &r);
    return r.right;
}
int UnitsY(HWND dialog, int units) {
    RECT r{0, 0, 0, units};
    MapDialogRect(dialog, &r);
    return r.bottom;
}

void Place(HWND dialog, int id, int x, int y, int width, int height) {
    SetWindowPos(GetDlgItem(dialog, id), nullptr, x, y, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

CReportDlg::CReportDlg(const std::string& text, std::vector<std::string> paths, CDialog* parent)
    : CDialog(IDD_REPORT, parent), m_text(WithCrLf(text)), m_paths(std::move(paths)) {
    m_paths.resize(kPathFieldCount);
}

CReportDlg::~CReportDlg() {
    if (m_font) DeleteObject(m_font);
}

BOOL CReportDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    HWND text = GetDlgItem(IDC_REPORT_TEXT);
    HDC screen = GetDC(nullptr);
    const int height = -MulDiv(kFontPoints, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    m_font = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         FIXED_PITCH | FF_MODERN, L"Courier New");
    SendMessageW(text, WM_SETFONT,
                 reinterpret_cast<WPARAM>(m_font ? m_font : GetStockObject(ANSI_FIXED_FONT)), FALSE);
    SetWindowTextW(text, ToWide(m_text).c_str());

    RECT window{};
    GetWindowRect(m_hWnd, &window);
    m_minimumSize = {window.right - window.left, window.bottom - window.top};
    // The focus on the text, without selecting it all, so that the keys scroll it.
    SetFocus(text);
    return FALSE;
}

bool CReportDlg::OnCommand(UINT id, UINT code) {
    if (code != BN_CLICKED || id != IDC_REPORT_SAVE) return false;
    OnSaveAs();
    return true;
}

bool CReportDlg::OnMessage(UINT msg, WPARAM /*wParam*/, LPARAM lParam, INT_PTR& /*result*/) {
    switch (msg) {
    case WM_SIZE:
        if (m_minimumSize.x == 0) return false;  // the controls are not there yet
        Layout(LOWORD(lParam), HIWORD(lParam));
        return true;
    case WM_GETMINMAXINFO:
        if (m_minimumSize.x == 0) return false;
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = m_minimumSize;
        return true;
    default:
        return false;
    }
}

void CReportDlg::Layout(int width, int height) {
    const int marginX = UnitsX(m_hWnd, kMargin);
    const int marginY = UnitsY(m_hWnd, kMargin);
    const int buttonHeight = UnitsY(m_hWnd, kButtonHeight);
    const int closeWidth = UnitsX(m_hWnd, kCloseWidth);
    const int buttonTop = height - marginY - buttonHeight;
    Place(m_hWnd, IDC_REPORT_TEXT, marginX, marginY, width - 2 * marginX, buttonTop - 2 * marginY);
    Place(m_hWnd, IDC_REPORT_SAVE, marginX, buttonTop, UnitsX(m_hWnd, kSaveWidth), buttonHeight);
    Place(m_hWnd, IDCANCEL, width - marginX - closeWidth, buttonTop, closeWidth, buttonHeight);
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CReportDlg::OnSaveAs() {
    const std::string proposal = ReportPathFor(m_paths[kOutputField]);
    const std::string path = ChooseFile(
        {true, IDS_REPORT_FILTER, IDS_REPORT_TITLE, proposal, NameOf(proposal), m_paths}, this);
    if (path.empty()) return;
    // Never over a file of the conversion: its inputs, its output.
    const FileRefusal refusal = RefuseWrittenFiles(
        {m_paths[kSerfilField], m_paths[kBFileField], m_paths[kGFileField]}, {m_paths[kOutputField], path});
    if (refusal.number != 0) {
        ShowCatalogueMessage(refusal.number, {refusal.path});
        return;
    }
    OutputFile file;
    if (!file.Open(path)) {
        ShowCatalogueMessage(kMsgCannotOpen, {path});
        return;
    }
    file.Write(ToUtf8(ToWide(m_text)));  // well-formed UTF-8, as the window shows it
    if (!file.Close()) ShowCatalogueMessage(file.Failure(), {path});
}
