// The application object and its entry point, its settings in the registry, text conversion at
// the system's edge, string resources and message boxes.
#include "app/framework/Afx.h"

#include "common/Guard.h"
#include "common/Utf.h"

namespace {

CWinApp* g_app = nullptr;

/// The base name of the running executable, without folder and extension.
std::string ExecutableBaseName() {
    std::string name = AfxGetModuleFileName();
    const std::size_t slash = name.find_last_of("\\/:");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

}  // namespace

// wchar_t is a UTF-16 code unit on Windows, so the two string types share their layout.
std::wstring ToWide(std::string_view text) {
    const std::u16string wide = Utf8ToUtf16(text);
    return std::wstring(wide.begin(), wide.end());
}

std::string ToUtf8(std::wstring_view text) {
    return Utf16ToUtf8(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

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

void CWinApp::ReportFailure() { MessageBeep(MB_ICONHAND); }

std::string CWinApp::GetProfileString(const char* entry, const std::string& fallback) const {
    if (m_registryKey.empty()) return fallback;
    const std::wstring key = ToWide(m_registryKey);
    const std::wstring name = ToWide(entry);
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr,
                     nullptr, &bytes) != ERROR_SUCCESS) {
        return fallback;
    }
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr,
                     &value[0], &bytes) != ERROR_SUCCESS) {
        return fallback;  // changed in between, or gone
    }
    value.resize(bytes / sizeof(wchar_t));
    while (!value.empty() && value.back() == L'\0') value.pop_back();
    return ToUtf8(value);
}

bool CWinApp::WriteProfileString(const char* entry, const std::string& value) {
    if (m_registryKey.empty()) return false;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, ToWide(m_registryKey).c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const std::wstring text = ToWide(value);
    const LSTATUS status =
        RegSetValueExW(key, ToWide(entry).c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

CWinApp* AfxGetApp() { return g_app; }

HINSTANCE AfxGetResourceHandle() { return g_app ? g_app->m_hInstance : GetModuleHandleW(nullptr); }

void AfxReportFailure() {
    if (CWinApp* app = AfxGetApp()) app->ReportFailure();
}

std::string AfxGetModuleFileName() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) return std::string();
        if (length < path.size()) {  // it fitted
            path.resize(length);
            return ToUtf8(path);
        }
        path.resize(path.size() * 2);
    }
}

bool AfxLoadString(UINT id, std::string& text) {
    // A buffer size of 0 gives a pointer to the resource's own text, which is not NUL-ended.
    const wchar_t* resource = nullptr;
    const int length =
        LoadStringW(AfxGetResourceHandle(), id, reinterpret_cast<LPWSTR>(&resource), 0);
    if (length <= 0 || resource == nullptr) {
        text.clear();
        return false;
    }
    text = ToUtf8(std::wstring_view(resource, static_cast<std::size_t>(length)));
    return true;
}

int AfxMessageBox(const std::string& text, UINT type, UINT helpContext) {
    CWinApp* app = AfxGetApp();
    if ((type & MB_ICONMASK) == 0) type |= MB_ICONEXCLAMATION;
    const std::wstring wideText = ToWide(text);
    const std::wstring caption = ToWide(app ? app->m_appName : std::string());
    MSGBOXPARAMSW box{};
    box.cbSize = sizeof box;
    // Owned by the window in front (the report window over the main dialog, say), so that
    // closing the box gives the focus back there.
    box.hwndOwner = GetActiveWindow();
    if (!box.hwndOwner && app && app->m_pMainWnd) box.hwndOwner = app->m_pMainWnd->m_hWnd;
    box.hInstance = AfxGetResourceHandle();
    box.lpszText = wideText.c_str();
    box.lpszCaption = caption.c_str();
    box.dwStyle = type;
    box.dwContextHelpId = helpContext;
    return MessageBoxIndirectW(&box);
}

// The program's entry point: the application object was constructed before it runs. Anything
// thrown on the way is reported and ends the program with status 1.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    CWinApp* app = AfxGetApp();
    if (!app) return 1;
    app->m_hInstance = instance;
    return RunGuarded(
        [app] {
            if (app->m_appName.empty()) app->m_appName = ExecutableBaseName();
            app->InitInstance();  // a dialog program returns false: there is no message loop
            return 0;
        },
        AfxReportFailure, 1);
}
