// Drives BBookToTellurax.exe from outside, as a user would: starts it, finds its windows by
// caption, types into its fields, presses its buttons and reads back what it shows. Runs under
// the same Wine server as the program. What cannot be seen from outside (the system menu, a
// message box's icon, a file dropped from Explorer) it asks of a probe library that it loads
// into the program (probe.cpp; the environment names it: BB_PROBE_DLL, and BB_PROBE, the
// prefix of the files the two exchange).
//
//   gui_driver <scenario> <program.exe> [arguments of the scenario]
//   gui_driver record <file> <arguments...>   writes its arguments to <file>, one a line (the
//                                             program the tests have open HTML files)
//   gui_driver hold <file> <program> <arguments...>
//                                             runs the program while <file> is open with no
//                                             sharing; exits with the program's status
//
// Prints one line per check ("ok ..." or "FAIL ..."), and "SNAP <name> <x> <y> <width>
// <height>" when the screen shows a window worth a screenshot; it then waits until the file
// <name>.done appears in the folder named by BB_GUI_SNAP_DIR (when that variable is set). Exit
// status: the number of failed checks (capped at 100), 100 and more for a usage error or a
// program that did not start.
//
// It talks to the program in UTF-16 only (its arguments too), so that texts read back are the
// program's own, letter for letter; it keeps them as UTF-8 and prints them so.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>
#include <shlobj.h>

#include <algorithm>
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
constexpr char kReportCaption[] = "Conversion Report";
constexpr char kAppName[] = "BBookToTellurax";
constexpr wchar_t kSettingsKey[] = L"Software\\BBookToTellurax";
// The one deadline of every wait for a condition (a window, a file, a process, an answer): Wine
// on a busy machine can be many times slower than on an idle one.
constexpr DWORD kDeadlineMs = 120000;

// The main dialog's fields and buttons.
constexpr int kConvert = 1000, kSerfil = 1008, kBFile = 1010, kGFile = 1004, kOutput = 1005;
// The report window's text and "Save As…".
constexpr int kReportText = 1020, kReportSave = 1021;

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
    SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kDeadlineMs, &length);
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                        SMTO_ABORTIFHUNG, kDeadlineMs, &copied);
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

/// "a\nb\n" with every line end a CR LF.
std::string CrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

/// The bytes of a file; empty when it cannot be read.
std::string ReadWhole(const std::string& path) {
    std::string bytes;
    if (FILE* in = _wfopen(W(path).c_str(), L"rb")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) bytes.append(buffer, n);
        std::fclose(in);
    }
    return bytes;
}

/// Writes `bytes` under a temporary name and renames it, so that a reader sees it whole.
void WriteWhole(const std::string& path, const std::string& bytes) {
    const std::wstring part = W(path + ".part");
    if (FILE* out = _wfopen(part.c_str(), L"wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
        MoveFileExW(part.c_str(), W(path).c_str(), MOVEFILE_REPLACE_EXISTING);
    }
}

/// What a WaitFor condition returns when it holds without naming a window.
const HWND kFound = reinterpret_cast<HWND>(1);

/// Polls until `find` gives a window or the time runs out.
template <typename Find>
HWND WaitFor(Find find, DWORD timeoutMs = kDeadlineMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND window = find()) return window;
        if (GetTickCount() - start > timeoutMs) return nullptr;
        Sleep(50);
    }
}

/// Polls until `window` is gone.
bool WaitGone(HWND window, DWORD timeoutMs = kDeadlineMs) {
    return WaitFor([&]() -> HWND { return IsWindow(window) ? nullptr : kFound; },
                   timeoutMs) != nullptr;
}

/// A top-level dialog window of the program with this caption.
HWND FindDialog(const std::string& caption) {
    HWND window = FindWindowW(L"#32770", W(caption).c_str());
    return window && IsWindowVisible(window) ? window : nullptr;
}

/// A visible dialog window owned by `owner` (a file dialog's question, for one).
HWND OwnedDialog(HWND owner) {
    for (HWND w = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); w;
         w = FindWindowExW(nullptr, w, L"#32770", nullptr)) {
        if (GetWindow(w, GW_OWNER) == owner && IsWindowVisible(w)) return w;
    }
    return nullptr;
}

/// The first window of class `name` among the descendants of `parent`.
HWND FindDescendant(HWND parent, const wchar_t* name) {
    struct Search {
        const wchar_t* name;
        HWND found;
    } search{name, nullptr};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM lParam) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            wchar_t className[64] = {};
            GetClassNameW(child, className, 64);
            if (_wcsicmp(className, s->name) != 0) return TRUE;
            s->found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

/// The rectangle of `window` in the client coordinates of `parent`.
RECT RectIn(HWND parent, HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

/// Tells the shell script to take a screenshot of `window` once it is drawn, and waits until
/// it has.
void Snap(const char* name, HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    RECT r{};
    GetWindowRect(window, &r);
    std::printf("SNAP %s %ld %ld %ld %ld\n", name, r.left, r.top, r.right - r.left, r.bottom - r.top);
    std::fflush(stdout);
    const char* folder = std::getenv("BB_GUI_SNAP_DIR");
    if (!folder) return;
    const std::string done = std::string(folder) + "\\" + name + ".done";
    WaitFor([&]() -> HWND {
        return GetFileAttributesW(W(done).c_str()) != INVALID_FILE_ATTRIBUTES ? kFound : nullptr;
    });
}

/// Waits until the thread of `window` has handled everything sent to it before: a message
/// sent now is handled only once the program is back in a message loop, so whatever a click
/// posted earlier has done (or opened, such as a message box) is done by then.
void Settle(HWND window) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kDeadlineMs, &ignored);
}

void Click(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

/// A key pressed and released in `window`, as the keyboard sends it.
void PressKey(HWND window, WPARAM key) {
    PostMessageW(window, WM_KEYDOWN, key, 1);
    PostMessageW(window, WM_KEYUP, key, 0xC0000001);
}

void SetText(HWND window, const std::string& text) {
    SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(W(text).c_str()));
}

void SetField(HWND main, int id, const std::string& text) { SetText(GetDlgItem(main, id), text); }

std::string Field(HWND main, int id) { return WindowText(GetDlgItem(main, id)); }

/// The running program under test.
struct Program {
    PROCESS_INFORMATION process{};
    HWND main = nullptr;

    /// Starts the program; unless `keepSettings`, as a user who never ran it before.
    bool Start(const std::string& exe, bool keepSettings = false) {
        if (!keepSettings) RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
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
    bool WaitExit(DWORD timeoutMs = kDeadlineMs) {
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

// --- Inside the program ------------------------------------------------------------------------

/// Memory in the program's process, for the messages whose pointers the system does not carry
/// from one process to another.
class RemoteMemory {
public:
    RemoteMemory(HANDLE process, std::size_t bytes)
        : m_process(process),
          m_address(VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
    ~RemoteMemory() {
        if (m_address) VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    char* At(std::size_t offset) const { return static_cast<char*>(m_address) + offset; }
    bool Write(std::size_t offset, const void* data, std::size_t bytes) const {
        return m_address && WriteProcessMemory(m_process, At(offset), data, bytes, nullptr);
    }
    /// The NUL-ended UTF-16 text at `offset`, of at most `characters`.
    std::string Text(std::size_t offset, std::size_t characters) const {
        std::wstring text(characters, L'\0');
        if (!m_address || !ReadProcessMemory(m_process, At(offset), &text[0],
                                             characters * sizeof(wchar_t), nullptr)) {
            return {};
        }
        return U8(text.c_str());
    }

private:
    HANDLE m_process;
    void* m_address;
};

/// Has the probe library, loaded into the program, answer `request` (see probe.cpp); its
/// answer's lines.
std::vector<std::string> AskProbe(const Program& program, const std::string& request) {
    std::vector<std::string> lines;
    const char* base = std::getenv("BB_PROBE");
    const char* dllPath = std::getenv("BB_PROBE_DLL");
    if (!base || !dllPath) return {"no BB_PROBE or BB_PROBE_DLL in the environment"};
    const std::string report = std::string(base) + ".report";
    DeleteFileW(W(report).c_str());
    WriteWhole(std::string(base) + ".request", request + "\n");

    const std::wstring dll = W(dllPath);
    RemoteMemory name(program.process.hProcess, (dll.size() + 1) * sizeof(wchar_t));
    if (!name.Write(0, dll.c_str(), (dll.size() + 1) * sizeof(wchar_t))) return {"no memory"};
    auto loadLibrary = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
    HANDLE thread = CreateRemoteThread(program.process.hProcess, nullptr, 0, loadLibrary,
                                       name.At(0), 0, nullptr);
    if (!thread) return {"the probe could not be loaded"};
    WaitForSingleObject(thread, kDeadlineMs);
    CloseHandle(thread);
    WaitFor([&]() -> HWND {
        return GetFileAttributesW(W(report).c_str()) != INVALID_FILE_ATTRIBUTES ? kFound : nullptr;
    });
    std::string text = ReadWhole(report);
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    for (const std::string& l : lines) {
        if (l == line) return true;
    }
    return false;
}

/// The names a file dialog of the program lists.
std::vector<std::string> FileDialogNames(const Program& program, HWND dialog) {
    std::vector<std::string> names;
    HWND list = FindDescendant(dialog, L"SysListView32");
    const auto count = list ? SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) : 0;
    constexpr std::size_t kCharacters = 1024;
    RemoteMemory memory(program.process.hProcess, sizeof(LVITEMW) + kCharacters * sizeof(wchar_t));
    for (LRESULT i = 0; i < count; ++i) {
        LVITEMW item{};
        item.pszText = reinterpret_cast<LPWSTR>(memory.At(sizeof(LVITEMW)));
        item.cchTextMax = kCharacters;
        if (!memory.Write(0, &item, sizeof item)) break;
        SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(memory.At(0)));
        names.push_back(memory.Text(sizeof(LVITEMW), kCharacters));
    }
    return names;
}

// --- The system's file dialogs ---------------------------------------------------------------
// The common item dialogs (IFileOpenDialog, IFileSaveDialog) as Wine draws them. The tests use
// their file name field (the edit control edt1; Windows puts it in the combo box cmb13), their
// list of file types (the combo box cmb1), their file list (a list view, SysListView32), their
// navigation pane (a tree view, SysTreeView32) and their OK button (IDOK: "Open" or "Save").

HWND FileNameField(HWND dialog) {
    return GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
}

void TypeName(HWND dialog, const std::string& name) { SetText(FileNameField(dialog), name); }

/// Chooses the file type `index` (0: the first) as a click in the list of file types does.
void ChooseFileType(HWND dialog, int index) {
    HWND types = GetDlgItem(dialog, cmb1);
    SendMessageW(types, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELCHANGE), reinterpret_cast<LPARAM>(types));
}

/// Waits until the file list of `dialog` shows `name` (it fills as the folder is read); the
/// names it shows then.
std::vector<std::string> WaitListed(const Program& program, HWND dialog, const std::string& name) {
    std::vector<std::string> names;
    WaitFor([&]() -> HWND {
        names = FileDialogNames(program, dialog);
        return Contains(names, name) ? kFound : nullptr;
    });
    return names;
}

/// Clicks `button` of `owner` and waits for the file dialog titled `title`: today's, with its
/// navigation pane, owned by `owner`.
HWND OpenFileDialog(HWND owner, int button, const std::string& title) {
    Click(owner, button);
    HWND dialog = WaitFor([&] { return FindDialog(title); });
    Check(dialog && GetWindow(dialog, GW_OWNER) == owner && FindDescendant(dialog, L"SysTreeView32") &&
              FindDescendant(dialog, L"SysListView32"),
          "a file dialog titled " + Quote(title) + " opens, with its navigation pane, owned by the window");
    return dialog;
}

// --- Message boxes -----------------------------------------------------------------------------

/// A message box of the program: its text, and the icon the probe saw in it.
struct MessageBoxSeen {
    HWND box = nullptr;
    std::string text;
    std::string icon;
};

/// Waits for a message box of the program and reads it; `program`: the icon too.
MessageBoxSeen SeeMessageBox(const Program* program = nullptr) {
    MessageBoxSeen seen;
    seen.box = WaitFor([] { return FindDialog(kAppName); });
    if (!seen.box) return seen;
    seen.text = WindowText(GetDlgItem(seen.box, 0xFFFF));
    if (program) {
        const std::vector<std::string> answer = AskProbe(*program, "icon");
        if (!answer.empty()) seen.icon = answer[0];
    }
    return seen;
}

/// Presses `button` of a box (or dialog) and waits until it is gone.
bool Answer(HWND box, int button) {
    PostMessageW(box, WM_COMMAND, button, 0);
    return WaitGone(box);
}

/// Reads the next message box of the program and closes it with OK.
MessageBoxSeen CloseMessageBox(const Program* program = nullptr) {
    MessageBoxSeen seen = SeeMessageBox(program);
    if (seen.box) Answer(seen.box, IDOK);
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
    {1000, "Button", "&Convert Data", 7, 289, 60, 14},  // the default button
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
            const LONG kind = want.id == 1000 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
            Check((cs & BS_TYPEMASK) == kind && (cs & WS_TABSTOP),
                  label + (kind == BS_DEFPUSHBUTTON ? " is the default button" : " is a plain push button") +
                      " and a tab stop");
        }
    }
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

// --- Scenarios ---------------------------------------------------------------------------------

// The dialog as it opens the first time; then Close ends the program.
int Layout(const std::string& exe) {
    Program program;
    if (!program.Start(exe)) return 100;
    CheckMainLayout(program.main);
    Check(FocusOf(program.main) == GetDlgItem(program.main, kSerfil), "the SERFIL field has the focus");
    Check(SendMessageW(program.main, DM_GETDEFID, 0, 0) == MAKELONG(kConvert, DC_HASDEFID),
          "Convert Data is the dialog's default button");
    Snap("main-dialog", program.main);
    Click(program.main, IDCANCEL);
    Check(program.WaitExit(), "Close ends the program");
    return g_failures;
}

/// One conversion: the four fields as typed, the message it must end with, and after a
/// success that deserves a look the question that offers the report and the file holding the
/// report's expected text (LF line ends).
struct Conversion {
    std::string message, serfil, bFile, gFile, output, question, report;
};

void TypeConversion(HWND main, const Conversion& row) {
    SetField(main, kSerfil, row.serfil);
    SetField(main, kBFile, row.bFile);
    SetField(main, kGFile, row.gFile);
    SetField(main, kOutput, row.output);
}

bool FieldsAre(HWND main, const Conversion& row) {
    return Field(main, kSerfil) == row.serfil && Field(main, kBFile) == row.bFile &&
           Field(main, kGFile) == row.gFile && Field(main, kOutput) == row.output;
}

// Enter in a field converts and the dialog stays; Escape ends the program; the fields as they
// were at the last conversion come back at the next start, not what was typed after it.
int EnterKey(const std::string& exe, const Conversion& row) {
    {
        Program program;
        if (!program.Start(exe)) return 100;
        HWND main = program.main;
        TypeConversion(main, row);
        PressKey(GetDlgItem(main, kBFile), VK_RETURN);
        const MessageBoxSeen box = CloseMessageBox();
        Check(box.text == row.message, "Enter in the B-file field converts: " + Quote(row.message),
              box.box ? Quote(box.text) : "no message box");
        Settle(main);
        Check(!program.WaitExit(0) && IsWindowVisible(main) && FieldsAre(main, row),
              "the dialog stays open with its fields after Enter");
        SetField(main, kSerfil, "typed after the conversion");
        PressKey(GetDlgItem(main, kSerfil), VK_ESCAPE);
        Check(program.WaitExit(), "Escape ends the program");
    }
    Program again;
    if (!again.Start(exe, true)) return 100;
    Check(FieldsAre(again.main, row), "the next start shows the fields of the last conversion",
          Quote(Field(again.main, kSerfil)) + " " + Quote(Field(again.main, kOutput)));
    Click(again.main, IDCANCEL);
    Check(again.WaitExit(), "Close ends the program");
    return g_failures;
}

/// The report window's text and controls follow its size; it cannot be made smaller than it
/// opens.
void CheckReportResizes(HWND report) {
    RECT frame{};
    GetWindowRect(report, &frame);
    const RECT text = RectIn(report, GetDlgItem(report, kReportText));
    const RECT close = RectIn(report, GetDlgItem(report, IDCANCEL));
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    SetWindowPos(report, nullptr, 0, 0, w + 200, h + 100, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT text2 = RectIn(report, GetDlgItem(report, kReportText));
    const RECT close2 = RectIn(report, GetDlgItem(report, IDCANCEL));
    Check(Near(text2.right - text.right, 200) && Near(text2.bottom - text.bottom, 100) &&
              Near(close2.left - close.left, 200) && Near(close2.top - close.top, 100),
          "the report's text grows with its window, Close keeps to the bottom right corner",
          "text +" + std::to_string(text2.right - text.right) + " +" + std::to_string(text2.bottom - text.bottom) +
              ", Close +" + std::to_string(close2.left - close.left) + " +" + std::to_string(close2.top - close.top));
    SetWindowPos(report, nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT small{};
    GetWindowRect(report, &small);
    Check(small.right - small.left == w && small.bottom - small.top == h,
          "the report window is not made smaller than it opened",
          std::to_string(small.right - small.left) + "x" + std::to_string(small.bottom - small.top));
    SetWindowPos(report, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

/// "Save As…" proposes "<output stem>-report.txt" beside the output; it refuses the output and
/// an input (chosen among all files) as the console program does, replacing nothing; the
/// report it saves holds the window's text, UTF-8 with CR LF, once the file is complete.
void CheckReportSaves(HWND report, const Conversion& row) {
    const std::string folder = row.output.substr(0, row.output.find_last_of('\\') + 1);
    const std::string stem = row.output.substr(folder.size(), row.output.rfind('.') - folder.size());
    const std::string title = "Save the Conversion Report";
    struct Refused {
        std::string name;
        int fileType;
        std::string message;
    };
    const Refused refused[] = {
        {stem + ".txt", 0, "File " + folder + stem + ".txt is named for two outputs"},
        {stem + ".bfl", 1, "Output file " + folder + stem + ".bfl is also an input file"},
    };
    for (const Refused& file : refused) {
        HWND dialog = OpenFileDialog(report, kReportSave, title);
        if (!dialog) return;
        ChooseFileType(dialog, file.fileType);
        TypeName(dialog, file.name);
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        HWND question = WaitFor([&] { return OwnedDialog(dialog); });
        if (question) Answer(question, IDYES);  // replace it: the program itself refuses
        WaitGone(dialog);
        const MessageBoxSeen box = CloseMessageBox();
        Check(question && box.text == file.message, "Save As… over " + Quote(file.name) + " says " +
              Quote(file.message), box.box ? Quote(box.text) : "no message box");
    }
    HWND dialog = OpenFileDialog(report, kReportSave, title);
    if (!dialog) return;
    const std::string proposed = stem + "-report.txt";
    Check(WindowText(FileNameField(dialog)) == proposed, "Save As… proposes " + Quote(proposed),
          Quote(WindowText(FileNameField(dialog))));
    Check(Answer(dialog, IDOK), "the Save dialog closes on Save");
    const std::string text = WindowText(GetDlgItem(report, kReportText));
    std::string saved;
    WaitFor([&]() -> HWND {
        saved = ReadWhole(folder + proposed);
        return saved == text ? kFound : nullptr;
    });
    Check(!text.empty() && saved == text, Quote(proposed) + " holds the report's text, UTF-8 with CR LF",
          std::to_string(saved.size()) + " bytes");
}

/// The question after a conversion that deserves a look; Yes shows the report, No does not.
void CheckReport(const Program& program, const Conversion& row) {
    const MessageBoxSeen question = SeeMessageBox(&program);
    Check(question.text == row.question && question.icon == "icon question" &&
              GetDlgItem(question.box, IDYES) && GetDlgItem(question.box, IDNO),
          "a question box with Yes and No follows: " + Quote(row.question),
          question.box ? Quote(question.text) + " " + question.icon : "no box");
    if (!question.box) return;
    if (row.report.empty()) {  // No: the report is not shown
        Answer(question.box, IDNO);
        Check(WaitGone(question.box) && !FindDialog(kReportCaption), "No shows no report");
        return;
    }
    Answer(question.box, IDYES);
    HWND report = WaitFor([] { return FindDialog(kReportCaption); });
    Check(report != nullptr, "Yes opens the conversion report");
    if (!report) return;
    HWND text = GetDlgItem(report, kReportText);
    const std::string expected = CrLf(ReadWhole(row.report));
    Check(!expected.empty() && WindowText(text) == expected,
          "the report window shows the console program's -r text, with its warnings",
          Quote(WindowText(text).substr(0, 200)));
    Check((GetWindowLongW(text, GWL_STYLE) & (ES_READONLY | ES_MULTILINE)) == (ES_READONLY | ES_MULTILINE) &&
              (GetWindowLongW(report, GWL_STYLE) & WS_THICKFRAME) &&
              WindowText(GetDlgItem(report, kReportSave)) == "Save As…" &&
              WindowText(GetDlgItem(report, IDCANCEL)) == "Close",
          "the report is read-only text in a resizable window with \"Save As…\" and \"Close\"");
    Snap("report-window", report);
    CheckReportResizes(report);
    CheckReportSaves(report, row);
    PressKey(text, VK_ESCAPE);
    Check(WaitGone(report), "Escape closes the report window");
}

/// After a failure the focus is in the field of the file the message names: the output's for
/// an output refused, else the field whose path stands in the message (the longest such).
void CheckFocus(HWND main, const Conversion& row) {
    int field = kOutput;
    if (row.message.rfind("Output file ", 0) != 0) {
        std::size_t longest = 0;
        for (const auto& [id, path] : {std::pair<int, std::string>{kSerfil, row.serfil}, {kBFile, row.bFile},
                                       {kGFile, row.gFile}, {kOutput, row.output}}) {
            if (!path.empty() && path.size() > longest && row.message.find(path) != std::string::npos) {
                field = id;
                longest = path.size();
            }
        }
    }
    Settle(main);
    Check(FocusOf(main) == GetDlgItem(main, field),
          "the focus goes to field " + std::to_string(field) + ", of the file the message names");
}

/// Names without a folder are taken in the folder of the B-file (the first full path); the
/// messages name the full path: the output lands beside the B-file, and a SERFIL file that is
/// not there is looked for there, with the focus then in its field.
void CheckRelativeNames(HWND main, const Conversion& row) {
    const std::string folder = row.bFile.substr(0, row.bFile.find_last_of('\\') + 1);
    const std::string output = "Relatif Ωmega.txt";
    TypeConversion(main, {"", row.serfil, row.bFile, row.gFile, output, "", ""});
    Click(main, kConvert);
    MessageBoxSeen box = CloseMessageBox();
    const std::string success = "Success - the results are in " + folder + output;
    const std::string converted = ReadWhole(folder + output);
    Check(box.text == success && !converted.empty() && converted == ReadWhole(row.output),
          "a relative output lands beside the B-file: " + Quote(success), Quote(box.text));

    TypeConversion(main, {"", "absent serfil", row.bFile, row.gFile, output, "", ""});
    Click(main, kConvert);
    box = CloseMessageBox();
    const std::string absent = "File does not exist " + folder + "absent serfil";
    Check(box.text == absent, "a relative SERFIL file is looked for beside the B-file: " + Quote(absent),
          Quote(box.text));
    Settle(main);
    Check(FocusOf(main) == GetDlgItem(main, kSerfil), "the focus goes to the SERFIL field");
}

// Each conversion typed into the four fields: its message box, read back as UTF-16, shows the
// expected text with the information icon for success and the exclamation icon otherwise; a
// success that deserves a look offers its report; the dialog stays open with what was typed.
// Then Convert Data with neither B-file nor G-file.
int Convert(const std::string& exe, const std::vector<Conversion>& rows) {
    Program program;
    if (!program.Start(exe)) return 100;
    HWND main = program.main;
    for (const Conversion& row : rows) {
        TypeConversion(main, row);
        Click(main, kConvert);
        const MessageBoxSeen box = CloseMessageBox(&program);
        const char* icon = row.message.rfind("Success", 0) == 0 ? "icon information" : "icon exclamation";
        Check(box.box && box.text == row.message && box.icon == icon,
              "a message box captioned " + Quote(kAppName) + " says " + Quote(row.message) + ", " + icon,
              box.box ? Quote(box.text) + " " + box.icon : "no message box");
        if (!row.question.empty()) CheckReport(program, row);
        if (box.box && !box.icon.empty() && box.icon != "icon information") CheckFocus(main, row);
        if (program.WaitExit(0)) {
            Check(false, "the program is still running after converting into " + Quote(row.output));
            return g_failures;
        }
    }
    Check(IsWindow(main) && FieldsAre(main, rows.back()),
          "the dialog stays open with its fields after a message",
          Quote(Field(main, kBFile)) + " " + Quote(Field(main, kOutput)));

    CheckRelativeNames(main, rows.front());
    const std::string nothing = "Please enter a Blue Book 'B' File or 'G' File name";
    TypeConversion(main, {"", "", "", "", rows.back().output, "", ""});
    Click(main, kConvert);
    const MessageBoxSeen box = CloseMessageBox(&program);
    Check(box.text == nothing && box.icon == "icon exclamation",
          "neither B-file nor G-file: " + Quote(nothing), Quote(box.text) + " " + box.icon);
    Settle(main);  // a box that followed would be there now, though perhaps not yet shown
    Check(!FindWindowW(L"#32770", W(kAppName).c_str()), "no other box follows");

    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    Check(program.WaitExit(), "the system menu's Close ends the program");
    return g_failures;
}

/// The About box that command 16 opens, centred over the main dialog.
void CheckAboutBox(HWND main) {
    PostMessageW(main, WM_SYSCOMMAND, 16, 0);
    HWND about = WaitFor([] { return FindDialog(kAboutCaption); });
    Check(about != nullptr, "command 16 opens the About box");
    if (!about) return;
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
    Snap("about-box", about);
    Check(Answer(about, IDOK), "OK closes the About box");
}

/// F1 on the keyboard (only keys typed, not messages posted, become help requests) opens the
/// user guide beside the program; `recordFile`: where the program the tests open HTML files
/// with writes what it was asked to open.
void CheckHelpKey(HWND main, const std::string& exe, const std::string& recordFile) {
    DeleteFileW(W(recordFile).c_str());
    SetForegroundWindow(main);
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = VK_F1;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
    WaitFor([&]() -> HWND {
        return GetFileAttributesW(W(recordFile).c_str()) != INVALID_FILE_ATTRIBUTES ? kFound : nullptr;
    });
    const std::string guide = exe.substr(0, exe.find_last_of('\\') + 1) + "UserGuide.html";
    Check(ReadWhole(recordFile) == guide + "\n", "F1 opens " + Quote(guide), Quote(ReadWhole(recordFile)));
}

// The application manifest at work; the system menu's About item and the About box; the fields
// keep their text; F1 opens the user guide.
int About(const std::string& exe, const std::string& recordFile) {
    Program program;
    if (!program.Start(exe)) return 100;
    HWND main = program.main;

    const std::vector<std::string> report = AskProbe(program, "menu");
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

    SetField(main, kSerfil, "serfil typed");
    SetField(main, kOutput, "output typed");
    CheckAboutBox(main);
    Check(IsWindow(main) && Field(main, kSerfil) == "serfil typed" && Field(main, kOutput) == "output typed",
          "the main dialog keeps its fields after the About box");
    CheckHelpKey(main, exe, recordFile);
    Click(main, IDCANCEL);
    Check(program.WaitExit(), "Close ends the program");
    return g_failures;
}

struct BrowseCase {
    int button;
    int field;
    const char* title;
    const char* ngsName;  // the name NGS gives such a file, which the first filter shows
};

// The Open dialogs, then the output's Save dialog.
const BrowseCase kBrowseCases[] = {
    {1011, kBFile, "Select Blue Book B-File", "bfile"},
    {1006, kGFile, "Select Blue Book G-File", "gfile"},
    {1009, kSerfil, "Select Blue Book Serfil File", "serfil"},
};
const int kPathFields[] = {kOutput, kGFile, kSerfil, kBFile};

/// Opens the file dialog of Browse button `button`, chooses the name `name` typed there, and
/// checks the path it puts into field `field`: `expected` (the folder the dialog opened in, and
/// the name's letters).
void ChooseTyped(HWND main, int button, int field, const std::string& title, const std::string& name,
                 const std::string& expected, const std::string& what) {
    HWND dialog = OpenFileDialog(main, button, title);
    if (!dialog) return;
    TypeName(dialog, name);
    Check(Answer(dialog, IDOK), "the file dialog closes on OK");
    Check(Field(main, field) == expected, what, Quote(Field(main, field)));
}

// Each Open dialog opens in the folder of its field's path and lists the file of its kind that
// NGS names without extension, but no other; Cancel changes nothing; a file chosen lands,
// lower-cased, in its field (`lowerName`: `fileName` lower-cased; the folder is lower-cased
// here, as ASCII), and the other fields keep what was typed.
void BrowseOpenDialogs(const Program& program, const std::string& folder, const std::string& fileName,
                       const std::string& lowerName) {
    HWND main = program.main;
    for (const BrowseCase& kind : kBrowseCases) {
        for (int id : kPathFields) SetField(main, id, "typed " + std::to_string(id));
        const std::string path = folder + "\\" + kind.ngsName;
        SetField(main, kind.field, path);
        HWND dialog = OpenFileDialog(main, kind.button, kind.title);
        if (!dialog) continue;
        const std::vector<std::string> names = WaitListed(program, dialog, kind.ngsName);
        Check(Contains(names, kind.ngsName) && !Contains(names, "notes.doc"),
              std::string("its first filter shows \"") + kind.ngsName + "\" and hides \"notes.doc\"",
              std::to_string(names.size()) + " names");
        Answer(dialog, IDCANCEL);
        Check(Field(main, kind.field) == path, "Cancel leaves the field");

        ChooseTyped(main, kind.button, kind.field, kind.title, fileName, Lower(folder) + "\\" + lowerName,
                    "it opens in the folder of its field's path; the file chosen lands lower-cased there");
        for (int id : kPathFields) {
            if (id != kind.field && Field(main, id) != "typed " + std::to_string(id)) {
                Check(false, "Browse keeps the text typed into field " + std::to_string(id));
            }
        }
    }
}

// The output's Browse is a Save dialog. With every field empty it opens in the folder last used
// and proposes no name; it asks before an existing file is replaced, and adds ".txt" to a name
// typed without one, which keeps its letters. With a B-file named, it proposes
// "<B-file stem>.txt" beside it, or "<stem>-tellurax.txt" where that is the B-file itself.
void BrowseSaveDialog(const Program& program, const std::string& folder) {
    HWND main = program.main;
    const std::string title = "Enter/Select An Output File";
    for (int id : kPathFields) SetField(main, id, "");
    HWND dialog = OpenFileDialog(main, 1007, title);
    if (!dialog) return;
    std::string save = WindowText(GetDlgItem(dialog, IDOK));
    save.erase(std::remove(save.begin(), save.end(), '&'), save.end());
    Check(save == "Save" && WindowText(FileNameField(dialog)).empty(),
          "the output's file dialog is a Save dialog, proposing no name", Quote(save));
    WaitListed(program, dialog, "existing.txt");
    Snap("save-dialog", dialog);
    TypeName(dialog, "existing.txt");
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    HWND question = WaitFor([&] { return OwnedDialog(dialog); });
    Check(question != nullptr, "choosing the existing \"existing.txt\" asks before replacing it");
    if (question) Answer(question, IDNO);
    Check(IsWindowVisible(dialog) && Field(main, kOutput).empty(),
          "No leaves the Save dialog open and the field as it was");
    TypeName(dialog, "Résultat Ωmega");
    Check(Answer(dialog, IDOK), "the Save dialog closes on Save");
    Check(Field(main, kOutput) == folder + "\\Résultat Ωmega.txt",
          "it opened in the folder last used; a new name gets \".txt\" and keeps its letters",
          Quote(Field(main, kOutput)));

    const struct {
        const char* bFile;
        const char* proposed;
    } proposals[] = {{"bfile", "bfile.txt"}, {"existing.txt", "existing-tellurax.txt"}};
    for (const auto& proposal : proposals) {
        SetField(main, kOutput, "");
        SetField(main, kBFile, folder + "\\" + proposal.bFile);
        dialog = OpenFileDialog(main, 1007, title);
        if (!dialog) return;
        Check(WindowText(FileNameField(dialog)) == proposal.proposed,
              std::string("with the B-file ") + Quote(proposal.bFile) + " it proposes " + Quote(proposal.proposed),
              Quote(WindowText(FileNameField(dialog))));
        Check(Answer(dialog, IDOK), "the Save dialog closes on Save");
        Check(Field(main, kOutput) == folder + "\\" + proposal.proposed, "beside the B-file",
              Quote(Field(main, kOutput)));
    }
}

// The file dialogs of the Browse buttons, starting with a user who never browsed: Documents.
int Browse(const std::string& exe, const std::string& folder, const std::string& fileName,
           const std::string& lowerName) {
    Program program;
    if (!program.Start(exe)) return 100;
    wchar_t* documents = nullptr;
    SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &documents);
    const std::string documentsFolder = documents ? U8(documents) : "";
    CoTaskMemFree(documents);
    const std::string inDocuments = documentsFolder + "\\Job In Documents.bfl";
    WriteWhole(inDocuments, "kept\r\n");
    HWND first = OpenFileDialog(program.main, 1011, "Select Blue Book B-File");
    if (first) {
        WaitListed(program, first, "Job In Documents.bfl");
        Snap("file-dialog", first);
        Answer(first, IDCANCEL);
    }
    ChooseTyped(program.main, 1011, kBFile, "Select Blue Book B-File", "Job In Documents.bfl", Lower(inDocuments),
                "with no folder named and none used before, it opens in Documents");
    DeleteFileW(W(inDocuments).c_str());
    BrowseOpenDialogs(program, folder, fileName, lowerName);
    BrowseSaveDialog(program, folder);
    Click(program.main, IDCANCEL);
    Check(program.WaitExit(), "Close ends the program");
    return g_failures;
}

/// The centre of control `id` in the client area of `main`, as "x<TAB>y".
std::string CentreOf(HWND main, HWND control) {
    const RECT r = RectIn(main, control);
    return std::to_string((r.left + r.right) / 2) + "\t" + std::to_string((r.top + r.bottom) / 2);
}

// Files dragged from Explorer: the first file dropped on a field, or on its Browse button, fills
// that field; a drop on a text of the dialog is ignored.
int Drop(const std::string& exe, const std::string& folder) {
    Program program;
    if (!program.Start(exe)) return 100;
    HWND main = program.main;
    Check(GetWindowLongW(main, GWL_EXSTYLE) & WS_EX_ACCEPTFILES, "the dialog accepts dropped files");
    HWND outputLabel = GetWindow(GetDlgItem(main, kOutput), GW_HWNDPREV);
    const std::string f = folder + "\\";
    const std::string request =
        "drop\t" + CentreOf(main, GetDlgItem(main, kSerfil)) + "\t" + f + "serfil\t" + f + "bfile\n" +
        "drop\t" + CentreOf(main, GetDlgItem(main, kBFile)) + "\t" + f + "Ωmega bfile\n" +
        "drop\t" + CentreOf(main, GetDlgItem(main, 1006)) + "\t" + f + "gfile\n" +
        "drop\t" + CentreOf(main, outputLabel) + "\t" + f + "dropped on a label.txt";
    const std::vector<std::string> answer = AskProbe(program, request);
    Check(answer.size() == 4 && answer[3] == "dropped", "four drops handed to the dialog",
          answer.empty() ? "no answer" : Quote(answer.back()));
    Check(Field(main, kSerfil) == f + "serfil", "two files on the SERFIL field: the first fills it",
          Quote(Field(main, kSerfil)));
    Check(Field(main, kBFile) == f + "Ωmega bfile", "a file on the B-file field fills it, as named",
          Quote(Field(main, kBFile)));
    Check(Field(main, kGFile) == f + "gfile", "a file on the G-file's Browse button fills the G-file field",
          Quote(Field(main, kGFile)));
    Check(Field(main, kOutput).empty(), "a file dropped on a label is ignored", Quote(Field(main, kOutput)));
    Click(main, IDCANCEL);
    Check(program.WaitExit(), "Close ends the program");
    return g_failures;
}

// Runs a program while FILE is open here with no sharing, as an editor or a viewer may hold a
// file the user asks to replace; returns the program's exit status (200 when it did not start).
int Hold(const std::string& file, const std::vector<std::string>& command) {
    HANDLE held = CreateFileW(W(file).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE) return 200;
    std::wstring line;
    for (const std::string& arg : command) line += L"\"" + W(arg) + L"\" ";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    DWORD status = 200;
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(held);
    return static_cast<int>(status);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(U8(argv[i]));
    const std::string scenario = args.empty() ? "" : args[0];
    int failures = 100;
    if (scenario == "record" && args.size() >= 2) {
        std::string lines;
        for (std::size_t i = 2; i < args.size(); ++i) lines += args[i] + "\n";
        WriteWhole(args[1], lines);
        return 0;
    } else if (scenario == "hold" && args.size() >= 3) {
        return Hold(args[1], {args.begin() + 2, args.end()});
    } else if (scenario == "layout" && args.size() == 2) {
        failures = Layout(args[1]);
    } else if (scenario == "enter" && args.size() == 7) {
        failures = EnterKey(args[1], {args[2], args[3], args[4], args[5], args[6], "", ""});
    } else if (scenario == "convert" && args.size() > 2 && (args.size() - 2) % 7 == 0) {
        std::vector<Conversion> rows;
        for (std::size_t i = 2; i < args.size(); i += 7) {
            rows.push_back({args[i], args[i + 1], args[i + 2], args[i + 3], args[i + 4], args[i + 5], args[i + 6]});
        }
        failures = Convert(args[1], rows);
    } else if (scenario == "about" && args.size() == 3) {
        failures = About(args[1], args[2]);
    } else if (scenario == "browse" && args.size() == 5) {
        failures = Browse(args[1], args[2], args[3], args[4]);
    } else if (scenario == "drop" && args.size() == 3) {
        failures = Drop(args[1], args[2]);
    } else {
        std::fprintf(stderr,
                     "usage: gui_driver layout PROGRAM\n"
                     "       gui_driver enter PROGRAM MESSAGE SERFIL BFILE GFILE OUTPUT\n"
                     "       gui_driver convert PROGRAM (MESSAGE SERFIL BFILE GFILE OUTPUT QUESTION REPORT)...\n"
                     "       gui_driver about PROGRAM RECORD_FILE\n"
                     "       gui_driver browse PROGRAM FOLDER NAME_IN_FOLDER NAME_LOWER_CASED\n"
                     "       gui_driver drop PROGRAM FOLDER\n"
                     "       gui_driver record FILE ARGUMENTS...\n"
                     "       gui_driver hold FILE PROGRAM ARGUMENTS...\n");
        return 100;
    }
    return failures < 100 ? failures : 99;
}
