#include "app/ConvertDlg.h"

#include <shellapi.h>

#include "app/AboutDlg.h"
#include "app/AppLogic.h"
#include "app/Browse.h"
#include "app/ReportDlg.h"
#include "app/resource.h"
#include "common/FileSystem.h"
#include "convert/ConversionReport.h"
#include "convert/Messages.h"

namespace {

/// A field of the dialog: its edit control, its Browse button, the converter's path it holds,
/// and the user's setting that keeps it between runs.
struct DialogField {
    int edit;
    int browse;
    std::string BlueBookConverter::*path;
    const char* setting;
};

// In the order of PathField (app/AppLogic.h).
const DialogField kPathFields[] = {
    {IDC_SERFIL_PATH, IDC_BROWSE_SERFIL, &BlueBookConverter::m_serfilPath, "SerfilFile"},
    {IDC_BFILE_PATH, IDC_BROWSE_BFILE, &BlueBookConverter::m_bFilePath, "BFile"},
    {IDC_GFILE_PATH, IDC_BROWSE_GFILE, &BlueBookConverter::m_gFilePath, "GFile"},
    {IDC_OUTPUT_PATH, IDC_BROWSE_OUTPUT, &BlueBookConverter::m_outputPath, "OutputFile"},
};

}  // namespace

void ShowCatalogueMessage(int number, const std::vector<std::string>& args) {
    std::string text;
    AfxLoadString(static_cast<UINT>(number), text);
    AfxMessageBox(FormatMessageText(text, args), 0, static_cast<UINT>(number));
}

CConvertDlg::CConvertDlg()
    : CDialog(IDD_CONVERT_DIALOG, nullptr),
      m_converter(*this),
      m_hIcon(LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME))) {}

void CConvertDlg::DoDataExchange(CDataExchange* pDX) {
    for (const DialogField& field : kPathFields) DDX_Text(pDX, field.edit, m_converter.*field.path);
}

BOOL CConvertDlg::OnInitDialog() {
    LoadFields();
    CDialog::OnInitDialog();

    // The About item goes at the end of the system menu, after a separator.
    HMENU systemMenu = GetSystemMenu(m_hWnd, FALSE);
    std::string aboutText;
    if (systemMenu && AfxLoadString(IDS_ABOUTBOX, aboutText) && !aboutText.empty()) {
        AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, ToWide(aboutText).c_str());
    }

    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    DragAcceptFiles(m_hWnd, TRUE);
    return TRUE;  // the first tab stop, the SERFIL field, gets the focus
}

// The command map.
bool CConvertDlg::OnCommand(UINT id, UINT code) {
    if (code != BN_CLICKED) return false;
    switch (id) {
    case IDC_CONVERT_DATA: OnConvertData(); return true;
    case IDC_BROWSE_GFILE: OnBrowseGFile(); return true;
    case IDC_BROWSE_OUTPUT: OnBrowseOutputFile(); return true;
    case IDC_BROWSE_SERFIL: OnBrowseSerfil(); return true;
    case IDC_BROWSE_BFILE: OnBrowseBFile(); return true;
    default: return false;
    }
}

// The message map.
bool CConvertDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    switch (msg) {
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) != IDM_ABOUTBOX) return false;  // the default processing
        OnSysCommand(static_cast<UINT>(wParam), lParam);
        return true;
    case WM_PAINT:
        if (!IsIconic(m_hWnd)) return false;
        OnPaint();
        return true;
    case WM_QUERYDRAGICON:
        result = reinterpret_cast<INT_PTR>(OnQueryDragIcon());
        return true;
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(wParam));
        return true;
    default:
        return false;
    }
}

void CConvertDlg::OnSysCommand(UINT id, LPARAM /*lParam*/) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about(this);
        about.DoModal();
    }
}

// Only reached while minimised: the icon, centred in the client area.
void CConvertDlg::OnPaint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client{};
    GetClientRect(m_hWnd, &client);
    const ScreenPoint origin = IconOrigin(client.right - client.left, client.bottom - client.top,
                                          GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    DrawIcon(dc, origin.x, origin.y, m_hIcon);
    EndPaint(m_hWnd, &paint);
}

void CConvertDlg::OnConvertData() {
    if (UpdateData(TRUE)) SaveFields();
    m_messageNumber = 0;
    m_messageText.clear();
    m_converter.OnConvertData();
    const ConversionReport& report = m_converter.Account();
    if (m_messageNumber == kMsgSuccess && report.message == kMsgSuccess) {
        OfferReport(report);
    } else {
        FocusFieldOfMessage();
    }
}

void CConvertDlg::FocusFieldOfMessage() {
    const int field = FieldOfMessage(m_messageNumber, m_messageText, FieldPaths());
    if (field < 0 || field >= kPathFieldCount) return;
    SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(kPathFields[field].edit)),
                 TRUE);
}

void CConvertDlg::OfferReport(const ConversionReport& report) {
    QuestionTexts texts;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        AfxLoadString(static_cast<UINT>(IDS_REPORT_QUESTION + i), texts[i]);
    }
    const std::string question = ReportQuestion(texts, report.WhatDeservesALook());
    if (question.empty() || AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    CReportDlg window(FormatReportSummary(report), FieldPaths(), this);
    window.DoModal();
}

void CConvertDlg::OnDropFiles(HDROP drop) {
    POINT at{};
    DragQueryPoint(drop, &at);
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    std::wstring path(length + 1, L'\0');
    path.resize(DragQueryFileW(drop, 0, &path[0], length + 1));
    DragFinish(drop);

    HWND target = ChildWindowFromPointEx(m_hWnd, at, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
    const int id = target && target != m_hWnd ? GetDlgCtrlID(target) : 0;
    for (const DialogField& field : kPathFields) {
        if (!path.empty() && (id == field.edit || id == field.browse)) {
            SetDlgItemTextW(m_hWnd, field.edit, path.c_str());
            return;
        }
    }
}

std::vector<std::string> CConvertDlg::FieldPaths() const {
    std::vector<std::string> paths;
    for (const DialogField& field : kPathFields) paths.push_back(m_converter.*field.path);
    return ResolveFieldPaths(paths, DocumentsFolder(), FullPathName);
}

void CConvertDlg::LoadFields() {
    CWinApp* app = AfxGetApp();
    if (!app) return;
    for (const DialogField& field : kPathFields) {
        m_converter.*field.path = app->GetProfileString(field.setting);
    }
}

void CConvertDlg::SaveFields() {
    CWinApp* app = AfxGetApp();
    if (!app) return;
    for (const DialogField& field : kPathFields) {
        app->WriteProfileString(field.setting, m_converter.*field.path);
    }
}

bool CConvertDlg::FetchFields(BlueBookConverter& /*converter*/) {
    if (!UpdateData(TRUE)) return false;  // DoDataExchange fills the converter's four paths
    const std::vector<std::string> paths = FieldPaths();
    for (std::size_t i = 0; i < paths.size(); ++i) m_converter.*kPathFields[i].path = paths[i];
    return true;
}

std::string CConvertDlg::LoadMessageText(int number) {
    std::string text;
    AfxLoadString(static_cast<UINT>(number), text);
    return text;
}

int CConvertDlg::ShowMessage(const std::string& text, unsigned style, int helpContext) {
    m_messageNumber = helpContext;
    m_messageText = text;
    if (helpContext == kMsgSuccess && (style & MB_ICONMASK) == 0) style |= MB_ICONINFORMATION;
    // A file that cannot be opened, read or written: the system's reason on a line of its own.
    const std::string reason = SystemReason(helpContext, m_converter.LastSystemError());
    return AfxMessageBox(reason.empty() ? text : text + "\n\n" + reason, style,
                         static_cast<UINT>(helpContext));
}

bool CConvertDlg::NameExists(const std::string& path) { return ::NameExists(path); }
