#include "app/ConvertDlg.h"

#include "app/AboutDlg.h"
#include "app/AppLogic.h"
#include "app/resource.h"
#include "common/FileSystem.h"

CConvertDlg::CConvertDlg()
    : CDialog(IDD_CONVERT_DIALOG, nullptr),
      m_converter(*this),
      m_hIcon(LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME))) {}

void CConvertDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Text(pDX, IDC_OUTPUT_PATH, m_converter.m_outputPath);
    DDX_Text(pDX, IDC_GFILE_PATH, m_converter.m_gFilePath);
    DDX_Text(pDX, IDC_SERFIL_PATH, m_converter.m_serfilPath);
    DDX_Text(pDX, IDC_BFILE_PATH, m_converter.m_bFilePath);
}

BOOL CConvertDlg::OnInitDialog() {
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

bool CConvertDlg::FetchFields(BlueBookConverter& /*converter*/) {
    return UpdateData(TRUE) != FALSE;  // DoDataExchange fills the converter's four paths
}

std::string CConvertDlg::LoadMessageText(int number) {
    std::string text;
    AfxLoadString(static_cast<UINT>(number), text);
    return text;
}

int CConvertDlg::ShowMessage(const std::string& text, unsigned style, int helpContext) {
    return AfxMessageBox(text, style, static_cast<UINT>(helpContext));
}

bool CConvertDlg::NameExists(const std::string& path) { return ::NameExists(path); }
