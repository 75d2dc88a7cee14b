// The small application framework of the dialog program: an application object with its
// per-user settings, modal dialogs with text exchange for edit fields, the system's file
// dialogs, string resources and message boxes, over user32, kernel32, advapi32 and the shell.
//
// Texts are UTF-8 in the program and UTF-16 where they meet the system: the framework calls only
// the wide (...W) functions and converts at that edge with ToWide and ToUtf8.
//
// A dialog's "message map" is its OnCommand and OnMessage overrides: each lists the commands
// or window messages the class handles, one line each, and returns false for everything else,
// which then gets the default processing.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

class CDialog;
struct IFileDialog;  // <shobjidl.h>

/// The UTF-16 form of UTF-8 `text`, for the wide calls.
std::wstring ToWide(std::string_view text);
/// The UTF-8 form of UTF-16 `text` from a wide call.
std::string ToUtf8(std::wstring_view text);

/// The command of the help key (F1) that the application object handles.
constexpr UINT ID_HELP = 0xE146;

// --- Application object -----------------------------------------------------------------------

/// The one application object: constructed statically; the framework's entry point (wWinMain)
/// calls InitInstance and ends the program when it returns false.
class CWinApp {
public:
    /// `appName` null: the executable's base name (without extension) becomes the name.
    explicit CWinApp(const char* appName = nullptr);
    virtual ~CWinApp();

    /// Runs the program. Returning false ends it without a message loop.
    virtual BOOL InitInstance() { return FALSE; }
    /// A command that no dialog handled. Returns true when handled.
    virtual bool OnCmdMsg(UINT id);
    /// The help command (F1 in any dialog of the program). The default beeps.
    virtual void OnHelp();
    /// Dialog controls have the three-dimensional look of 32-bit Windows without further ado;
    /// the call is kept so that start-up reads as it always has.
    void Enable3dControlsStatic() {}
    /// Tells the user that something was thrown and caught at the framework's edge (a dialog
    /// procedure, the entry point), which then carries on. The default beeps.
    virtual void ReportFailure();

    /// The text of value `entry` of the settings key, `fallback` when it holds none.
    std::string GetProfileString(const char* entry, const std::string& fallback = {}) const;
    /// Stores `value` as the text of value `entry` of the settings key, creating the key when
    /// needed. False when it could not be stored (the settings are a convenience: callers
    /// carry on).
    bool WriteProfileString(const char* entry, const std::string& value);

    std::string m_appName;         // caption of every message box
    std::string m_registryKey;     // the settings key under HKEY_CURRENT_USER ("Software\\Name")
    HINSTANCE m_hInstance = nullptr;
    CDialog* m_pMainWnd = nullptr;  // owner of message boxes
};

/// The application object (exactly one exists).
CWinApp* AfxGetApp();
/// The module whose resources the program loads.
HINSTANCE AfxGetResourceHandle();
/// What the framework's edges do with anything thrown: the application object's ReportFailure.
void AfxReportFailure();

/// The full path of the running executable (UTF-8, of any length).
std::string AfxGetModuleFileName();

/// Loads string resource `id` into `text` (UTF-8). False (and an empty text) when there is none.
bool AfxLoadString(UINT id, std::string& text);

/// Shows `text` (UTF-8) in a modal message box captioned with the application name, owned by
/// the program's active window (the main window when none is). `type` 0 (plain OK) gets the exclamation icon; `helpContext` is the box's help
/// context. Returns the button pressed (IDOK ...), 0 when the box could not be shown.
int AfxMessageBox(const std::string& text, UINT type = MB_OK, UINT helpContext = 0);

// --- Dialogs ----------------------------------------------------------------------------------

/// Direction of one UpdateData: save copies the controls into the fields, load the reverse.
class CDataExchange {
public:
    CDataExchange(CDialog* dialog, bool saveAndValidate)
        : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
    CDialog* m_pDlgWnd;
    bool m_bSaveAndValidate;
};

/// Text exchange between edit control `id` and `value` (UTF-8), of any length, without
/// validation.
void DDX_Text(CDataExchange* pDX, int id, std::string& value);

/// A modal dialog built from a dialog template resource.
class CDialog {
public:
    CDialog(UINT templateId, CDialog* parent = nullptr);
    virtual ~CDialog() = default;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    /// Creates the dialog and runs it until EndDialog. Returns the end code (IDOK, IDCANCEL),
    /// or -1 when the dialog could not be created.
    INT_PTR DoModal();
    /// Runs DoDataExchange in the direction asked for; false when the exchange refuses.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    HWND m_hWnd = nullptr;

protected:
    virtual void DoDataExchange(CDataExchange* /*pDX*/) {}
    /// Shows the fields (UpdateData load) and returns true: the first tab stop gets the focus.
    virtual BOOL OnInitDialog();
    /// Enter in an edit field: fetches the fields and ends the dialog with IDOK.
    virtual void OnOK();
    /// Close, Escape, the system menu's Close: ends the dialog with IDCANCEL.
    virtual void OnCancel();
    /// The command map: true when command `id` (notification `code`) was handled.
    virtual bool OnCommand(UINT /*id*/, UINT /*code*/) { return false; }
    /// The message map for everything but commands: true when handled, with the message's
    /// result in `result`. WM_HELP (F1) that a dialog leaves goes to the application's OnHelp.
    virtual bool OnMessage(UINT /*msg*/, WPARAM, LPARAM, INT_PTR& /*result*/) { return false; }

    void EndDialog(INT_PTR result) { ::EndDialog(m_hWnd, result); }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    /// Centres the dialog over its parent, or in the screen's work area without one.
    void CenterWindow();

private:
    /// Hands each message to the object; nothing thrown while it is handled leaves it.
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    CDialog* m_pParentWnd;
};

/// The common item dialog of the system, to open or to save a file, owned by (and so centred
/// on) the dialog that opens it. m_title and m_initialFolder may be set before DoModal.
class CFileDialog {
public:
    /// The texts are UTF-8. `flags`: options (FOS_...) beside those the dialog has by itself.
    /// `fileName`: the name the dialog proposes. `filter`: pairs of description and pattern,
    /// each item ended by '|', the list by "||"; the first pair is chosen when it opens.
    CFileDialog(BOOL openFileDialog, const char* defaultExt = nullptr,
                const char* fileName = nullptr, DWORD flags = 0, const char* filter = nullptr,
                CDialog* parent = nullptr);
    virtual ~CFileDialog() = default;
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    /// Runs the dialog: IDOK when a file was chosen, IDCANCEL when the user cancelled, -1 when
    /// the dialog failed (could not be created or shown).
    INT_PTR DoModal();
    /// The full path of the chosen file (UTF-8).
    std::string GetPathName() const { return m_path; }

    std::string m_title;          // the caption; empty: the system's
    std::string m_initialFolder;  // the folder it opens in; empty, or not found: the system's

private:
    /// Hands the options, file types, title, folder and name to the system's dialog.
    bool Prepare(IFileDialog* dialog) const;

    bool m_open;
    DWORD m_flags;
    std::string m_defaultExt;
    std::string m_fileName;
    std::string m_filter;
    CDialog* m_pParentWnd;
    std::string m_path;  // the chosen file
};
