// The common open and save dialogs, with a hook that tells the object when the dialog is ready.
#include "app/framework/Afx.h"

#include <algorithm>

#include "common/Guard.h"

CFileDialog::CFileDialog(BOOL openFileDialog, const char* defaultExt, const char* fileName,
                         DWORD flags, const char* filter, CDialog* parent)
    : m_open(openFileDialog != FALSE),
      m_filter(ToWide(filter ? filter : "")),
      m_defaultExt(ToWide(defaultExt ? defaultExt : "")),
      m_fileName(kFileNameSize, L'\0') {
    // "Text (*.txt)|*.txt||" becomes "Text (*.txt)\0*.txt\0\0", as the common dialog reads it.
    for (wchar_t& c : m_filter) {
        if (c == L'|') c = L'\0';
    }
    if (fileName) {  // the name the dialog starts with, cut to fit the buffer
        const std::wstring initial = ToWide(fileName);
        std::copy_n(initial.begin(), std::min<std::size_t>(initial.size(), kFileNameSize - 1),
                    m_fileName.begin());
    }
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.hwndOwner = parent ? parent->m_hWnd : nullptr;
    m_ofn.hInstance = AfxGetResourceHandle();
    m_ofn.lpstrFilter = m_filter.empty() ? nullptr : m_filter.c_str();
    m_ofn.nFilterIndex = 1;
    m_ofn.lpstrFile = &m_fileName[0];
    m_ofn.nMaxFile = kFileNameSize;
    m_ofn.lpstrDefExt = m_defaultExt.empty() ? nullptr : m_defaultExt.c_str();
    m_ofn.Flags = flags | OFN_EXPLORER | OFN_ENABLEHOOK;
    m_ofn.lpfnHook = HookProc;
    m_ofn.lCustData = reinterpret_cast<LPARAM>(this);
}

INT_PTR CFileDialog::DoModal() {
    const BOOL chosen = m_open ? GetOpenFileNameW(&m_ofn) : GetSaveFileNameW(&m_ofn);
    m_hWnd = nullptr;
    if (chosen) return IDOK;
    return CommDlgExtendedError() == 0 ? IDCANCEL : -1;  // 0: the user cancelled
}

std::string CFileDialog::GetPathName() const {
    return ToUtf8(std::wstring_view(m_fileName.c_str()));  // up to the first NUL
}

// The hook dialog is an empty child of the file dialog. When the file dialog has laid itself
// out (CDN_INITDONE), the object gets its OnInitDialog with m_hWnd naming the file dialog.
UINT_PTR CALLBACK CFileDialog::HookProc(HWND hWnd, UINT msg, WPARAM, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        const auto* ofn = reinterpret_cast<const OPENFILENAMEW*>(lParam);
        SetWindowLongPtrW(hWnd, DWLP_USER, ofn->lCustData);
        return TRUE;
    }
    auto* dialog = reinterpret_cast<CFileDialog*>(GetWindowLongPtrW(hWnd, DWLP_USER));
    if (dialog && msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == CDN_INITDONE) {
        RunGuarded(
            [&] {
                dialog->m_hWnd = GetParent(hWnd);
                return dialog->OnInitDialog();
            },
            AfxReportFailure, FALSE);
    }
    return 0;
}
