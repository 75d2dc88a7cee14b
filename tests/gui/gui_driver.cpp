// Drives BBookToTellurax.exe from outside, as a user would: starts it, finds its windows by
// caption, types into its fields, presses its buttons and reads back what it shows. Runs under
// the same Wine server as the program.
//
//   gui_driver <scenario> <program.exe> [arguments of the scenario]
//
// Prints one line per check ("ok ..." or "FAIL ..."), and "SNAP <name>" when the screen shows
// something worth a screenshot; it then waits until the file <name>.done appears in the folder
// named by BB_GUI_SNAP_DIR (when that variable is set). Exit status: the number of failed checks
// (capped at 100), 100 and more for a usage error or a program that did not start.
//
// It talks to the program in UTF-16 only (its arguments too), so that texts read back are the
// program's own, letter for letter; it keeps them as UTF-8 and prints them so.
#include <windows.h>
#include <dlgs.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/Utf.h"

namespace {

constexpr char kMainCaption[] = "Convert NGS Blue Book Files To a Tellurax Input File";
constexpr char kAboutCaption[] = "About Blue Book To Tellurax";
constexpr char kAppName[] = "BBookToTellurax";
constexpr DWORD kWindowTimeoutMs = 60000;  // Wine on a busy machine can be slow to draw

int g_failures = 0;

/// UTF-16 of UTF-8 `text`, for the wide calls.
std::wstring W(const std::string& text) {
    const std::u16string wide = Utf8ToUtf16(text);
    return std::wstring(wide.begin(), wide.end());
}

/// UTF-8 of the UTF-16 `text` a wide call gave.
std::string U8(const std::wstring& text) {
    return Utf16ToUtf8(std::u16string(text.begin(), text.end()));
}

const DWORD g_start = GetTickCount();

/// Seconds since the driver started, for the log.
double Elapsed() { return (GetTickCount() - g_start) / 1000.0; }

void Check(bool passed, const std::string& what, const std::string& detail = "") {
    if (passed) {
        std::printf("ok   [%5.1fs] %s\n", Elapsed(), what.c_str());
    } else {
        ++g_failures;
        std::printf("FAIL [%5.1fs] %s%s%s\n", Elapsed(), what.c_str(), detail.empty() ? "" : ": ",
                    detail.c_str());
    }
    std::fflush(stdout);
}

std::string Quote(const std::string& text) { return "\"" + text + "\""; }

/// The window's text as the window itself reports it (GetWindowText would give only the text
/// an edit control of another process was created with).
std::string WindowText(HWND window) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 10000, &length);
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                        SMTO_ABORTIFHUNG, 10000, &copied);
    text.resize(copied < text.size() ? copied : 0);
    return U8(text);
}

std::string ClassName(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return U8(name);
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

/// What a WaitFor condition returns when it holds without naming a window.
const HWND kFound = reinterpret_cast<HWND>(1);

/// Polls until `find` gives a window or the time runs out.
template <typename Find>
HWND WaitFor(Find find, DWORD timeoutMs = kWindowTimeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND window = find()) return window;
        if (GetTickCount() - start > timeoutMs) return nullptr;
        Sleep(50);
    }
}

/// Polls until `window` is gone.
bool WaitGone(HWND window, DWORD timeoutMs = kWindowTimeoutMs) {
    return WaitFor([&]() -> HWND { return IsWindow(window) ? nullptr : kFound; },
                   timeoutMs) != nullptr;
}

/// A top-level dialog window of the program with this caption.
HWND FindDialog(const std::string& caption) {
    HWND window = FindWindowW(L"#32770", W(caption).c_str());
    return window && IsWindowVisible(window) ? window : nullptr;
}

/// Tells the shell script to take a screenshot, and waits until it has.
void Snap(const char* name) {
    std::printf("SNAP %s\n", name);
    std::fflush(stdout);
    const char* folder = std::getenv("BB_GUI_SNAP_DIR");
    if (!folder) return;
    const std::string done = std::string(folder) + "\\" + name + ".done";
    WaitFor([&]() -> HWND {
        return GetFileAttributesW(W(done).c_str()) != INVALID_FILE_ATTRIBUTES ? kFound : nullptr;
    }, 30000);
}

void Click(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

/// The running program under test.
struct Program {
    PROCESS_INFORMATION process{};
    HWND main = nullptr;

    bool Start(const std::string& exe) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring commandLine = W(Quote(exe));
        if (!CreateProcessW(W(exe).c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &process)) {
            std::printf("FAIL cannot start %s (error %lu)\n", exe.c_str(), GetLastError());
            return false;
        }
        main = WaitFor([] { return FindDialog(kMainCaption); });
        Check(main != nullptr, "the main dialog opens", "no window captioned " + Quote(kMainCaption));
        return main != nullptr;
    }

    /// True when the program ends within the time-out.
    bool WaitExit(DWORD timeoutMs = 30000) {
        return WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0;
    }

    ~Program() {
        if (process.hProcess) {
            if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) {
                TerminateProcess(process.hProcess, 99);
            }
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
    }
};

/// A message box of the program: its caption, its text, and OK.
struct MessageBoxSeen {
    bool shown = false;
    std::string text;
};

MessageBoxSeen CloseMessageBox() {
    MessageBoxSeen seen;
    HWND box = WaitFor([] { return FindDialog(kAppName); });
    if (!box) return seen;
    seen.shown = true;
    seen.text = WindowText(GetDlgItem(box, 0xFFFF));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    WaitGone(box);
    return seen;
}

// --- The main dialog's layout ------------------------------------------------------------------

struct ExpectedControl {
    int id;  // -1: a static text
    const char* kind;
    const char* text;
    int x, y, width, height;  // dialog units
};

// In template order, which is the tab order and the order of the child windows.
const ExpectedControl kMainControls[] = {
    {-1, "Static", "This utility allows you to extract data from NGS Blue Book Files and write them into a TELLURAX compatible input file. This", 7, 7, 388, 8},
    {-1, "Static", "utility currently supports 'B' files, 'G' files and the 'SERFIL' file. Provide the applicable files and the name of an output result", 7, 17, 381, 8},
    {-1, "Static", "file. Invoke the Convert Data button to extract the relevant data.", 7, 27, 202, 8},
    {-1, "Static", "After creating the TELLURAX compatible input file, load the file into TELLURAX and enter the Edit - Stations - Geodetic", 7, 42, 386, 8},
    {-1, "Static", "dialog to modify (as needed) the coordinates of your fixed stations. ", 7, 52, 386, 8},
    {-1, "Static", "IMPORTANT NOTE:", 7, 97, 68, 8},
    {-1, "Static", "Some GPS Post Processing Software software allows you to generate the 'G' file in the linear units desired. However, the", 7, 107, 386, 8},
    {-1, "Static", "NGS specification calls for Meters only. TELLURAX assumes the linear data in these files are always in Meters. Secondly,", 7, 117, 386, 8},
    {-1, "Static", "be sure you are generating your 'G' files with the 'measured' baselines you wish to adjust. Some 'G' file generators allow you", 7, 127, 386, 8},
    {-1, "Static", "to create the 'G' file with baselines that have already been adjusted. This is usually is not appropriate for future adjustments.", 7, 137, 386, 8},
    {-1, "Static", "Enter the name of the Blue Book 'SERFIL'  File (SSN/Name Cross Reference - optional):", 7, 157, 278, 8},
    {1008, "Edit", "", 7, 167, 336, 14},
    {1009, "Button", "Browse...", 353, 167, 40, 14},
    {-1, "Static", "Enter the name of the Blue Book 'B' File (currently only extracting geodetic coordinate data - optional):", 7, 187, 319, 8},
    {1010, "Edit", "", 7, 197, 336, 14},
    {1011, "Button", "Browse...", 353, 197, 40, 14},
    {-1, "Static", "Enter the name of the Blue Book 'G' File (GPS vector data - optional):", 7, 217, 218, 8},
    {1004, "Edit", "", 7, 227, 336, 14},
    {1006, "Button", "Browse...", 353, 227, 40, 14},
    {-1, "Static", "Enter the name of the TELLURAX ASCII (Text) file to create from data in the Blue Book files (required):", 7, 247, 324, 8},
    {1005, "Edit", "", 7, 257, 336, 14},
    {1007, "Button", "Browse...", 353, 257, 40, 14},
    {1000, "Button", "&Convert Data", 7, 289, 60, 14},
    {2, "Button", "Close", 353, 289, 40, 14},
    {-1, "Static", "'B' File records currently supported include: 13, 20, 22, 30, 32, 40, 42, 45, 50ths, 51s, 52ex, 53s, 54ex, 60, 61, 80, 85, 86", 7, 67, 386, 8},
    {-1, "Static", "'G' File records currently supported include: B, C, D, E, F, G", 7, 77, 386, 8},
};

/// Pixels to dialog units: the main dialog's client area is 400 x 310 units.
struct UnitScale {
    double perUnitX, perUnitY;
    int ToUnitsX(int pixels) const { return static_cast<int>(pixels / perUnitX + 0.5); }
    int ToUnitsY(int pixels) const { return static_cast<int>(pixels / perUnitY + 0.5); }
};

bool Near(int actual, int expected) { return actual >= expected - 1 && actual <= expected + 1; }

/// The dialogs' font as the dialog manager makes it from their templates: 8-point
/// "MS Sans Serif" at the screen's resolution.
HFONT DialogFont() {
    static const HFONT font = [] {
        HDC screen = GetDC(nullptr);
        const int height = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
        ReleaseDC(nullptr, screen);
        return CreateFontW(height, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
                           PROOF_QUALITY, FF_DONTCARE, L"MS Sans Serif");
    }();
    return font;
}

/// Checks that the static text `control` shows all of its text on its one line: drawn in the
/// dialog font (with "&" taken as a static control takes it), it is no wider than the control.
void CheckTextWhole(HWND control, const std::string& label) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, DialogFont());
    RECT text{};
    DrawTextW(dc, W(WindowText(control)).c_str(), -1, &text, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    RECT client{};
    GetClientRect(control, &client);
    Check(text.right <= client.right, label + " shows its whole text",
          std::to_string(text.right) + " pixels of text in " + std::to_string(client.right));
}

void CheckMainLayout(HWND main) {
    Check(WindowText(main) == kMainCaption, "main dialog caption", Quote(WindowText(main)));
    const LONG style = GetWindowLongW(main, GWL_STYLE);
    const LONG exStyle = GetWindowLongW(main, GWL_EXSTYLE);
    Check((style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU) && (style & WS_POPUP),
          "main dialog is a pop-up with caption and system menu");
    Check(!(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)), "main dialog has no minimise or maximise box");
    Check((exStyle & WS_EX_DLGMODALFRAME) && (exStyle & WS_EX_APPWINDOW),
          "main dialog has a modal frame and a task-bar button");

    RECT client{};
    GetClientRect(main, &client);
    const UnitScale scale{client.right / 400.0, client.bottom / 310.0};

    // Centred in the work area (the whole screen here: there is no task bar).
    RECT work{}, frame{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(main, &frame);
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    Check(Near(frame.left, work.left + (work.right - work.left - w) / 2) &&
              Near(frame.top, work.top + (work.bottom - work.top - h) / 2),
          "main dialog is centred in the work area");

    std::vector<HWND> children;
    for (HWND child = GetWindow(main, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    const std::size_t expectedCount = sizeof kMainControls / sizeof kMainControls[0];
    Check(children.size() == expectedCount, "main dialog has 26 controls",
          std::to_string(children.size()));
    for (std::size_t i = 0; i < children.size() && i < expectedCount; ++i) {
        const ExpectedControl& want = kMainControls[i];
        HWND control = children[i];
        const std::string label = "control " + std::to_string(i + 1) + " (" + want.kind + " " +
                                  (want.id == -1 ? std::string("static") : std::to_string(want.id)) + ")";
        const int id = GetDlgCtrlID(control);
        Check((want.id == -1 ? (id & 0xFFFF) == 0xFFFF : id == want.id) &&
                  _stricmp(ClassName(control).c_str(), want.kind) == 0,
              label + " kind and id", ClassName(control) + " " + std::to_string(id));
        Check(WindowText(control) == want.text, label + " text", Quote(WindowText(control)));

        RECT r{};
        GetWindowRect(control, &r);
        MapWindowPoints(HWND_DESKTOP, main, reinterpret_cast<POINT*>(&r), 2);
        const int x = scale.ToUnitsX(r.left), y = scale.ToUnitsY(r.top);
        const int cw = scale.ToUnitsX(r.right - r.left), ch = scale.ToUnitsY(r.bottom - r.top);
        Check(Near(x, want.x) && Near(y, want.y) && Near(cw, want.width) && Near(ch, want.height),
              label + " position and size",
              std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(cw) + "x" +
                  std::to_string(ch));

        const LONG cs = GetWindowLongW(control, GWL_STYLE);
        const LONG cx = GetWindowLongW(control, GWL_EXSTYLE);
        if (std::strcmp(want.kind, "Static") == 0) {
            Check((cs & SS_TYPEMASK) == SS_LEFT, label + " is left-aligned");
            CheckTextWhole(control, label);
        } else if (std::strcmp(want.kind, "Edit") == 0) {
            Check((cs & WS_TABSTOP) && (cs & ES_AUTOHSCROLL) &&
                      ((cs & WS_BORDER) || (cx & WS_EX_CLIENTEDGE)),
                  label + " has a border, is a tab stop and scrolls horizontally");
            Check(WindowText(control).empty(), label + " starts empty");
        } else {
            Check((cs & BS_TYPEMASK) == BS_PUSHBUTTON && (cs & WS_TABSTOP),
                  label + " is a plain push button and a tab stop");
        }
    }
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

void SetText(HWND window, const std::string& text) {
    SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(W(text).c_str()));
}

void SetField(HWND main, int id, const std::string& text) { SetText(GetDlgItem(main, id), text); }

std::string Field(HWND main, int id) { return WindowText(GetDlgItem(main, id)); }

// --- Scenarios ---------------------------------------------------------------------------------

// The dialog as it opens; then Close ends the program.
int Layout(const std::string& exe) {
    Program program;
    if (!program.Start(exe)) return 100;
    CheckMainLayout(program.main);
    Check(FocusOf(program.main) == GetDlgItem(program.main, 1008), "the SERFIL field has the focus");
    Snap("main-dialog");
    Click(program.main, IDCANCEL);
    Check(program.WaitExit(), "Close ends the program");
    return g_failures;
}

// Enter in an edit field ends the program, like Close.
int EnterKey(const std::string& exe) {
    Program program;
    if (!program.Start(exe)) return 100;
    HWND serfil = GetDlgItem(program.main, 1008);
    Check(FocusOf(program.main) == serfil, "the SERFIL field has the focus");
    SetField(program.main, 1008, "typed");
    PostMessageW(serfil, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(serfil, WM_KEYUP, VK_RETURN, 0xC0000001);
    Check(program.WaitExit(), "Enter in the SERFIL field ends the program");
    return g_failures;
}

/// One conversion: the four fields as typed, and the message it must end with.
struct Conversion {
    std::string message, serfil, bFile, gFile, output;
};

// Each conversion typed into the four fields: its message box, read back as UTF-16, shows the
// expected text; the dialog stays open with what was typed.
int Convert(const std::string& exe, const std::vector<Conversion>& rows) {
    Program program;
    if (!program.Start(exe)) return 100;
    HWND main = program.main;
    for (const Conversion& row : rows) {
        SetField(main, 1008, row.serfil);
        SetField(main, 1010, row.bFile);
        SetField(main, 1004, row.gFile);
        SetField(main, 1005, row.output);
        Click(main, 1000);
        const MessageBoxSeen box = CloseMessageBox();
        if (program.WaitExit(0)) {
            Check(false, "the program is still running after converting into " + Quote(row.output));
            return g_failures;
        }
        Check(box.shown && box.text == row.message,
              "a message box captioned " + Quote(kAppName) + " says " + Quote(row.message),
              box.shown ? Quote(box.text) : "no message box");
    }
    const Conversion& last = rows.back();
    Check(IsWindow(main) && Field(main, 1008) == last.serfil && Field(main, 1010) == last.bFile &&
              Field(main, 1004) == last.gFile && Field(main, 1005) == last.output,
          "the dialog stays open with its fields after a message",
          Quote(Field(main, 1010)) + " " + Quote(Field(main, 1005)));

    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    Check(program.WaitExit(), "the system menu's Close ends the program");
    return g_failures;
}

/// What a probe library loaded into the program's process reports from inside it, line by line:
/// "menu <id> <text>" per system-menu item ("menu -" for a separator), "button <module>" for the
/// module whose code runs the Close button, "dpi-aware <0 or 1>".
std::vector<std::string> ReadProbeReport(const Program& program, const std::string& probeDll,
                                         const std::string& reportFile) {
    std::vector<std::string> lines;
    DeleteFileW(W(reportFile).c_str());
    HANDLE process = program.process.hProcess;
    const std::wstring dll = W(probeDll);
    const std::size_t bytes = (dll.size() + 1) * sizeof(wchar_t);
    void* remote =
        VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote || !WriteProcessMemory(process, remote, dll.c_str(), bytes, nullptr)) return lines;
    auto loadLibrary = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
    HANDLE thread = CreateRemoteThread(process, nullptr, 0, loadLibrary, remote, 0, nullptr);
    if (!thread) return lines;
    WaitForSingleObject(thread, 30000);
    CloseHandle(thread);
    // The probe writes the report under a temporary name and renames it when complete.
    WaitFor([&]() -> HWND {
        const DWORD attributes = GetFileAttributesW(W(reportFile).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES ? kFound : nullptr;
    }, 30000);
    if (FILE* report = _wfopen(W(reportFile).c_str(), L"rb")) {
        char line[512];
        while (std::fgets(line, sizeof line, report)) {
            std::string item = line;
            while (!item.empty() && (item.back() == '\n' || item.back() == '\r')) item.pop_back();
            lines.push_back(item);
        }
        std::fclose(report);
    }
    return lines;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    for (const std::string& l : lines) {
        if (l == line) return true;
    }
    return false;
}

// The application manifest at work; the system menu's About item and the About box; the fields
// keep their text.
int About(const std::string& exe, const std::string& probeDll, const std::string& reportFile) {
    Program program;
    if (!program.Start(exe)) return 100;
    HWND main = program.main;

    const std::vector<std::string> report = ReadProbeReport(program, probeDll, reportFile);
    Check(Contains(report, "button comctl32.dll"),
          "the manifest brings in common controls version 6: they run the buttons");
    Check(Contains(report, "dpi-aware 1"), "the manifest makes the program DPI-aware");
    std::vector<std::string> items;
    for (const std::string& line : report) {
        if (line.compare(0, 5, "menu ") == 0) items.push_back(line.substr(5));
    }
    const std::size_t n = items.size();
    Check(n >= 3 && items[n - 2] == "-" && items[n - 1] == "16 &About BBookToTellurax...",
          "the system menu ends with a separator and the About item (command 16)",
          n ? Quote(items[n - 1]) : "no menu items read");

    SetField(main, 1008, "serfil typed");
    SetField(main, 1005, "output typed");
    PostMessageW(main, WM_SYSCOMMAND, 16, 0);
    HWND about = WaitFor([] { return FindDialog(kAboutCaption); });
    Check(about != nullptr, "command 16 opens the About box");
    if (about) {
        std::vector<HWND> children;
        for (HWND c = GetWindow(about, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) children.push_back(c);
        Check(children.size() == 4, "the About box has four controls", std::to_string(children.size()));
        if (children.size() == 4) {
            Check((GetWindowLongW(children[0], GWL_STYLE) & SS_TYPEMASK) == SS_ICON,
                  "the About box shows the icon");
            Check(WindowText(children[1]) == "Blue Book To Tellurax Version 3.6.2.24" &&
                      (GetWindowLongW(children[1], GWL_STYLE) & SS_NOPREFIX),
                  "the About box names the version, without ampersand processing",
                  Quote(WindowText(children[1])));
            CheckTextWhole(children[1], "the About box's version line");
            CheckTextWhole(children[2], "the About box's second line");
            Check(GetDlgCtrlID(children[3]) == IDOK && WindowText(children[3]) == "OK" &&
                      (GetWindowLongW(children[3], GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON,
                  "OK is the About box's default button");
        }
        RECT a{}, m{};
        GetWindowRect(about, &a);
        GetWindowRect(main, &m);
        Check(Near((a.left + a.right) / 2, (m.left + m.right) / 2) &&
                  Near((a.top + a.bottom) / 2, (m.top + m.bottom) / 2),
              "the About box is centred over the main dialog");
        Snap("about-box");
        PostMessageW(about, WM_COMMAND, IDOK, 0);
        Check(WaitGone(about), "OK closes the About box");
    }
    Check(IsWindow(main) && Field(main, 1008) == "serfil typed" && Field(main, 1005) == "output typed",
          "the main dialog keeps its fields after the About box");
    Click(main, IDCANCEL);
    Check(program.WaitExit(), "Close ends the program");
    return g_failures;
}

struct BrowseCase {
    int button;
    int field;
    const char* title;
    const char* firstFilter;  // the filter selected when the dialog opens
};

const BrowseCase kBrowseCases[] = {
    {1007, 1005, "Enter/Select An Output File", "ASCII (Text) File (*.txt)"},
    {1006, 1004, "Select Blue Book G-File", "Blue Book G-File (*.gfl)"},
    {1009, 1008, "Select Blue Book Serfil File", "Blue Book Serfil-Files "},
    {1011, 1010, "Select Blue Book B-File", "Blue Book B-File (*.bfl)"},
};
const int kPathFields[] = {1005, 1004, 1008, 1010};

// Each Browse button: its file dialog's title, filter and place; a file chosen by its bare name
// (so found only in the program's folder) lands lower-cased in its field (`lowerName` is its
// name lower-cased; the folder is lower-cased here, as ASCII); Cancel changes nothing.
int Browse(const std::string& exe, const std::string& fileName, const std::string& lowerName) {
    Program program;
    if (!program.Start(exe)) return 100;
    HWND main = program.main;
    const std::string folder = exe.substr(0, exe.find_last_of('\\') + 1);
    bool snapped = false;

    for (const BrowseCase& kind : kBrowseCases) {
        const std::string label = std::string("Browse ") + std::to_string(kind.button);
        for (int id : kPathFields) SetField(main, id, "typed " + std::to_string(id));
        Click(main, kind.button);
        HWND dialog = WaitFor([&] { return FindDialog(kind.title); });
        Check(dialog != nullptr, label + " opens a file dialog titled " + Quote(kind.title));
        if (!dialog) continue;

        RECT r{};
        GetWindowRect(dialog, &r);
        const int w = r.right - r.left, h = r.bottom - r.top;
        const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
        Check(r.left == (sw - w) / 2 && r.top == (sh - h) / 2, label + " dialog is centred on the screen",
              std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(w) + "x" +
                  std::to_string(h));
        HWND readOnly = GetDlgItem(dialog, chx1);
        Check(!readOnly || !IsWindowVisible(readOnly), label + " dialog hides the read-only box");
        Check(WindowText(GetDlgItem(dialog, cmb1)) == kind.firstFilter,
              label + " dialog starts with the first filter", Quote(WindowText(GetDlgItem(dialog, cmb1))));
        if (!snapped) {
            Snap("file-dialog");
            snapped = true;
        }

        // Cancel first: nothing changes.
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        WaitGone(dialog);
        Check(Field(main, kind.field) == "typed " + std::to_string(kind.field),
              label + " cancelled leaves the field");

        Click(main, kind.button);
        dialog = WaitFor([&] { return FindDialog(kind.title); });
        if (!dialog) continue;
        HWND nameField = GetDlgItem(dialog, edt1) ? GetDlgItem(dialog, edt1) : GetDlgItem(dialog, cmb13);
        SetText(nameField, fileName);
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        Check(WaitGone(dialog), label + " dialog closes on OK");

        const std::string expected = Lower(folder) + lowerName;
        Check(Field(main, kind.field) == expected,
              label + " puts the chosen file, lower-cased, in its field",
              Quote(Field(main, kind.field)) + ", expected " + Quote(expected));
        for (int id : kPathFields) {
            if (id == kind.field) continue;
            Check(Field(main, id) == "typed " + std::to_string(id),
                  label + " keeps the text typed into field " + std::to_string(id),
                  Quote(Field(main, id)));
        }
    }
    Click(main, IDCANCEL);
    Check(program.WaitExit(), "Close ends the program");
    return g_failures;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(U8(argv[i]));
    const std::string scenario = args.empty() ? "" : args[0];
    int failures = 100;
    if (scenario == "layout" && args.size() == 2) {
        failures = Layout(args[1]);
    } else if (scenario == "enter" && args.size() == 2) {
        failures = EnterKey(args[1]);
    } else if (scenario == "convert" && args.size() > 2 && (args.size() - 2) % 5 == 0) {
        std::vector<Conversion> rows;
        for (std::size_t i = 2; i < args.size(); i += 5) {
            rows.push_back({args[i], args[i + 1], args[i + 2], args[i + 3], args[i + 4]});
        }
        failures = Convert(args[1], rows);
    } else if (scenario == "about" && args.size() == 4) {
        failures = About(args[1], args[2], args[3]);
    } else if (scenario == "browse" && args.size() == 4) {
        failures = Browse(args[1], args[2], args[3]);
    } else {
        std::fprintf(stderr,
                     "usage: gui_driver layout|enter PROGRAM\n"
                     "       gui_driver convert PROGRAM (MESSAGE SERFIL BFILE GFILE OUTPUT)...\n"
                     "       gui_driver about PROGRAM PROBE_DLL REPORT_FILE\n"
                     "       gui_driver browse PROGRAM NAME_IN_PROGRAM_FOLDER NAME_LOWER_CASED\n");
        return 100;
    }
    return failures < 100 ? failures : 99;
}
