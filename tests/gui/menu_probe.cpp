// Loaded into the running BBookToTellurax.exe by the GUI driver, this library reads the main
// dialog's system menu from inside the program (another process cannot read it under Wine) and
// writes its items to the file named by BB_MENU_REPORT: one line each, "<command> <text>", or
// "-" for a separator.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

DWORD WINAPI WriteReport(void*) {
    const char* report = std::getenv("BB_MENU_REPORT");
    HWND main = FindWindowA("#32770", "Convert NGS Blue Book Files To a Tellurax Input File");
    HMENU menu = main ? GetSystemMenu(main, FALSE) : nullptr;
    if (!report || !menu) return 1;
    const std::string partial = std::string(report) + ".part";
    FILE* out = std::fopen(partial.c_str(), "w");
    if (!out) return 1;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char text[256] = {};
        MENUITEMINFOA item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = sizeof text;
        GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &item);
        if (item.fType & MFT_SEPARATOR) {
            std::fprintf(out, "-\n");
        } else {
            std::fprintf(out, "%u %s\n", item.wID, text);
        }
    }
    std::fclose(out);
    MoveFileA(partial.c_str(), report);  // the driver waits for the complete file
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
