// Loaded into the running BBookToTellurax.exe by the GUI driver, this library does what another
// process cannot: it reads the system menu (unreadable from outside under Wine), tells which
// icon a message box shows (icons are handles of their own process), and drops files on the
// dialog as Explorer would (a drop's handle is memory of the receiving process).
//
// The driver writes the request to the file <BB_PROBE>.request, UTF-8, one line per action:
//   menu          "menu <command> <text>" per system-menu item ("menu -" for a separator),
//                 "button <module>" for the module that runs the Close button, "dpi-aware <0|1>"
//   icon          "icon <information|exclamation|question|other|none>" of the program's open
//                 message box
//   drop X Y F... (fields separated by tabs) drops the files F on the main dialog at client
//                 point X, Y; "dropped" once the dialog has handled it
// and the library answers in <BB_PROBE>.report (written under another name, then renamed).
// It then unloads itself, so that the driver can load it again for the next request.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/Utf.h"

namespace {

const wchar_t kMainCaption[] = L"Convert NGS Blue Book Files To a Tellurax Input File";

std::string Utf8(const wchar_t* text) {
    return Utf16ToUtf8(reinterpret_cast<const char16_t*>(text));
}

std::wstring Wide(const std::string& text) {
    const std::u16string wide = Utf8ToUtf16(text);
    return std::wstring(wide.begin(), wide.end());
}

std::vector<std::string> Split(const std::string& line, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t end; (end = line.find(separator, start)) != std::string::npos; start = end + 1) {
        parts.push_back(line.substr(start, end - start));
    }
    parts.push_back(line.substr(start));
    return parts;
}

void WriteMenu(std::string& out, HMENU menu) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = 256;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item);
        out += item.fType & MFT_SEPARATOR ? "menu -\n"
                                          : "menu " + std::to_string(item.wID) + " " + Utf8(text) + "\n";
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

std::string Menu(HWND main) {
    HMENU menu = GetSystemMenu(main, FALSE);
    if (!menu) return "no system menu\n";
    std::string out;
    WriteMenu(out, menu);
    out += "button " + ModuleOfWindow(GetDlgItem(main, IDCANCEL)) + "\n";
    out += "dpi-aware " + std::to_string(IsProcessDPIAware() ? 1 : 0) + "\n";
    return out;
}

/// The icon of the program's message box, named by the system icon it is.
std::string Icon() {
    HWND box = FindWindowW(L"#32770", L"BBookToTellurax");
    HICON shown = nullptr;
    for (HWND c = box ? GetWindow(box, GW_CHILD) : nullptr; c; c = GetWindow(c, GW_HWNDNEXT)) {
        if ((GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            shown = reinterpret_cast<HICON>(SendMessageW(c, STM_GETICON, 0, 0));
        }
    }
    if (!shown) return "icon none\n";
    const struct { LPCWSTR id; const char* name; } icons[] = {
        {IDI_INFORMATION, "information"}, {IDI_EXCLAMATION, "exclamation"}, {IDI_QUESTION, "question"}};
    for (const auto& icon : icons) {
        if (LoadIconW(nullptr, icon.id) == shown) return std::string("icon ") + icon.name + "\n";
    }
    return "icon other\n";
}

/// Drops `files` on the dialog at client point `at`, as Explorer hands a drop over.
std::string Drop(HWND main, POINT at, const std::vector<std::string>& files) {
    std::wstring list;
    for (const std::string& file : files) list += Wide(file) + L'\0';
    list += L'\0';
    const std::size_t bytes = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
    HGLOBAL drop = GlobalAlloc(GHND, bytes);
    auto* header = static_cast<DROPFILES*>(GlobalLock(drop));
    if (!header) return "drop failed\n";
    header->pFiles = sizeof(DROPFILES);
    header->pt = at;
    header->fNC = FALSE;
    header->fWide = TRUE;
    std::memcpy(header + 1, list.data(), list.size() * sizeof(wchar_t));
    GlobalUnlock(drop);
    SendMessageW(main, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);  // the dialog frees it
    return "dropped\n";
}

std::string Answer(const std::string& request) {
    HWND main = FindWindowW(L"#32770", kMainCaption);
    if (!main) return "no main dialog\n";
    const std::vector<std::string> parts = Split(request, '\t');
    if (parts[0] == "menu") return Menu(main);
    if (parts[0] == "icon") return Icon();
    if (parts[0] == "drop" && parts.size() >= 4) {
        const POINT at{std::atoi(parts[1].c_str()), std::atoi(parts[2].c_str())};
        return Drop(main, at, std::vector<std::string>(parts.begin() + 3, parts.end()));
    }
    return "unknown request " + request + "\n";
}

DWORD WINAPI Serve(void* module) {
    const wchar_t* base = _wgetenv(L"BB_PROBE");
    if (base) {
        std::string answers;
        if (FILE* in = _wfopen((std::wstring(base) + L".request").c_str(), L"rb")) {
            char line[4096];
            while (std::fgets(line, sizeof line, in)) {
                std::string request = line;
                while (!request.empty() && (request.back() == '\n' || request.back() == '\r')) request.pop_back();
                if (!request.empty()) answers += Answer(request);
            }
            std::fclose(in);
        }
        const std::wstring report = std::wstring(base) + L".report";
        if (FILE* out = _wfopen((report + L".part").c_str(), L"wb")) {
            std::fwrite(answers.data(), 1, answers.size(), out);
            std::fclose(out);
            MoveFileW((report + L".part").c_str(), report.c_str());  // the driver waits for it
        }
    }
    FreeLibraryAndExitThread(static_cast<HMODULE>(module), 0);
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    // Work outside the loader lock: the thread starts once this returns, and gives back the
    // reference the driver's LoadLibrary took when it is done.
    if (reason == DLL_PROCESS_ATTACH) {
        if (HANDLE thread = CreateThread(nullptr, 0, Serve, instance, 0, nullptr)) {
            CloseHandle(thread);
        }
    }
    return TRUE;
}
