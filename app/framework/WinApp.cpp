// The application object and its entry point, string resources, message boxes and file status.
#include "app/framework/Afx.h"

#include <vector>

namespace {

CWinApp* g_app = nullptr;

/// The base name of the running executable, without folder and extension.
std::string ExecutableBaseName() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name(path, length < MAX_PATH ? length : MAX_PATH - 1);
    const std::size_t slash = name.find_last_of("\\/:");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

}  // namespace

CWinApp::CWinApp(const char* appName) : m_appName(appName ? appName : "") { g_app = this; }

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

bool CWinApp::OnCmdMsg(UINT id) {
    if (id == ID_HELP) {
        OnHelp();
        return true;
    }
    return false;
}

void CWinApp::OnHelp() { MessageBeep(MB_OK); }

CWinApp* AfxGetApp() { return g_app; }

HINSTANCE AfxGetResourceHandle() { return g_app ? g_app->m_hInstance : GetModuleHandleA(nullptr); }

bool LoadString(UINT id, std::string& text) {
    std::vector<char> buffer(256);
    for (;;) {
        const int length =
            LoadStringA(AfxGetResourceHandle(), id, buffer.data(), static_cast<int>(buffer.size()));
        if (length + 1 < static_cast<int>(buffer.size())) {  // it fitted, or there is none
            text.assign(buffer.data(), length > 0 ? length : 0);
            return length > 0;
        }
        buffer.resize(buffer.size() * 2);
    }
}

int AfxMessageBox(const std::string& text, UINT type, UINT helpContext) {
    CWinApp* app = AfxGetApp();
    if ((type & MB_ICONMASK) == 0) type |= MB_ICONEXCLAMATION;
    MSGBOXPARAMSA box{};
    box.cbSize = sizeof box;
    box.hwndOwner = app && app->m_pMainWnd ? app->m_pMainWnd->m_hWnd : nullptr;
    box.hInstance = AfxGetResourceHandle();
    box.lpszText = text.c_str();
    box.lpszCaption = app ? app->m_appName.c_str() : "";
    box.dwStyle = type;
    box.dwContextHelpId = helpContext;
    return MessageBoxIndirectA(&box);
}

bool CFile::GetStatus(const char* name, CFileStatus& status) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!name || !*name || !GetFileAttributesExA(name, GetFileExInfoStandard, &data)) return false;
    status.m_attribute = data.dwFileAttributes;
    status.m_size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

// The program's entry point: the application object was constructed before it runs.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    CWinApp* app = AfxGetApp();
    if (!app) return 1;
    app->m_hInstance = instance;
    if (app->m_appName.empty()) app->m_appName = ExecutableBaseName();
    app->InitInstance();  // a dialog program returns false: there is no message loop to run
    return 0;
}
