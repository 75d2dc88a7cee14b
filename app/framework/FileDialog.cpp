// The common open and save dialogs, with a hook that tells the object when the dialog is ready.
#include "app/framework/Afx.h"

CFileDialog::CFileDialog(BOOL openFileDialog, const char* defaultExt, const char* fileName,
                         DWORD flags, const char* filter, CDialog* parent)
    : m_open(openFileDialog != FALSE), m_filter(filter ? filter : "") {
    // "Text (*.txt)|*.txt||" becomes "Text (*.txt)\0*.txt\0\0", as the common dialog reads it.
    for (char& c : m_filter) {
        if (c == '|') c = '\0';
    }
    if (fileName) lstrcpynA(m_fileName, fileName, MAX_PATH);
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.hwndOwner = parent ? parent->m_hWnd : nullptr;
    m_ofn.hInstance = AfxGetResourceHandle();
    m_ofn.lpstrFilter = m_filter.empty() ? nullptr : m_filter.c_str();
    m_ofn.nFilterIndex = 1;
    m_ofn.lpstrFile = m_fileName;
    m_ofn.nMaxFile = MAX_PATH;
    m_ofn.lpstrDefExt = defaultExt;
    m_ofn.Flags = flags | OFN_EXPLORER | OFN_ENABLEHOOK;
    m_ofn.lpfnHook = HookProc;
    m_ofn.lCustData = reinterpret_cast<LPARAM>(this);
}

INT_PTR CFileDialog::DoModal() {
    const BOOL chosen = m_open ? GetOpenFileNameA(&m_ofn) : GetSaveFileNameA(&m_ofn);
    m_hWnd = nullptr;
    if (chosen) return IDOK;
    return CommDlgExtendedError() == 0 ? IDCANCEL : -1;  // 0: the user cancelled
}

// The hook dialog is an empty child of the file dialog. When the file dialog has laid itself
// out (CDN_INITDONE), the object gets its OnInitDialog with m_hWnd naming the file dialog.
UINT_PTR CALLBACK CFileDialog::HookProc(HWND hWnd, UINT msg, WPARAM, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        const auto* ofn = reinterpret_cast<const OPENFILENAMEA*>(lParam);
        SetWindowLongPtrA(hWnd, DWLP_USER, ofn->lCustData);
        return TRUE;
    }
    auto* dialog = reinterpret_cast<CFileDialog*>(GetWindowLongPtrA(hWnd, DWLP_USER));
    if (dialog && msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == CDN_INITDONE) {
        dialog->m_hWnd = GetParent(hWnd);
        dialog->OnInitDialog();
    }
    return 0;
}
