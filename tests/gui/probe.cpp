// Loaded into the running BBookToTellurax.exe by the GUI driver, this library looks at the
// program from inside (another process cannot read its system menu under Wine) and writes to the
// file named by BB_MENU_REPORT, one line each: "menu <command> <text>" per system-menu item
// ("menu -" for a separator), "button <module>" for the module that runs the Close button, and
// "dpi-aware <0 or 1>".
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/Utf.h"

namespace {

std::string Utf8(const wchar_t* text) {
    return Utf16ToUtf8(reinterpret_cast<const char16_t*>(text));
}

void WriteMenu(FILE* out, HMENU menu) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = 256;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item);
        if (item.fType & MFT_SEPARATOR) {
            std::fprintf(out, "menu -\n");
        } else {
            std::fprintf(out, "menu %u %s\n", item.wID, Utf8(text).c_str());
        }
    }
}

/// The file name (without folder) of the module whose code runs `window`: "comctl32.dll" for a
/// control of common controls version 6, "user32.dll" for the system's older built-in one.
std::string ModuleOfWindow(HWND window) {
    const auto procedure = GetWindowLongPtrW(window, GWLP_WNDPROC);
    HMODULE module = nullptr;
    if (!procedure || !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                              GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                          reinterpret_cast<LPCWSTR>(procedure), &module)) {
        return "unknown";
    }
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(module, path, MAX_PATH);
    const std::string name = Utf8(path);
    const std::size_t slash = name.find_last_of('\\');
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

DWORD WINAPI WriteReport(void*) {
    const wchar_t* report = _wgetenv(L"BB_MENU_REPORT");
    HWND main = FindWindowW(L"#32770", L"Convert NGS Blue Book Files To a Tellurax Input File");
    HMENU menu = main ? GetSystemMenu(main, FALSE) : nullptr;
    if (!report || !menu) return 1;
    const std::wstring partial = std::wstring(report) + L".part";
    FILE* out = _wfopen(partial.c_str(), L"wb");
    if (!out) return 1;
    WriteMenu(out, menu);
    std::fprintf(out, "button %s\n", ModuleOfWindow(GetDlgItem(main, IDCANCEL)).c_str());
    std::fprintf(out, "dpi-aware %d\n", IsProcessDPIAware() ? 1 : 0);
    std::fclose(out);
    MoveFileW(partial.c_str(), report);  // the driver waits for the complete file
    return 0;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void*) {
    // Work outside the loader lock: the thread starts once this returns.
    if (reason == DLL_PROCESS_ATTACH) {
        if (HANDLE thread = CreateThread(nullptr, 0, WriteReport, nullptr, 0, nullptr)) {
            CloseHandle(thread);
        }
    }
    return TRUE;
}
