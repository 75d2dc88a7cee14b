// Modal dialogs: one dialog procedure hands every message to the C++ object.
#include "app/framework/Afx.h"

#include "common/Guard.h"

CDialog::CDialog(UINT templateId, CDialog* parent)
    : m_templateId(templateId), m_pParentWnd(parent) {}

INT_PTR CDialog::DoModal() {
    HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    return DialogBoxParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_templateId), owner,
                           DialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(hWnd, DWLP_USER, lParam);
        reinterpret_cast<CDialog*>(lParam)->m_hWnd = hWnd;
    }
    auto* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrW(hWnd, DWLP_USER));
    if (!dialog) return FALSE;  // messages ahead of WM_INITDIALOG get the default processing
    if (msg == WM_NCDESTROY) dialog->m_hWnd = nullptr;
    // A failed handler is reported, and the message then gets the default processing; the
    // dialog stays open with its fields.
    return RunGuarded([&] { return dialog->HandleMessage(msg, wParam, lParam); },
                      AfxReportFailure, INT_PTR{FALSE});
}

INT_PTR CDialog::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        const BOOL defaultFocus = OnInitDialog();
        CenterWindow();
        return defaultFocus;
    }
    if (msg == WM_COMMAND) {
        const UINT id = LOWORD(wParam);
        const UINT code = HIWORD(wParam);
        if (OnCommand(id, code)) return TRUE;
        if (id == IDOK && code == BN_CLICKED) {
            OnOK();
            return TRUE;
        }
        if (id == IDCANCEL && code == BN_CLICKED) {
            OnCancel();
            return TRUE;
        }
        CWinApp* app = AfxGetApp();
        return app && app->OnCmdMsg(id);
    }
    INT_PTR result = 0;
    if (!OnMessage(msg, wParam, lParam, result)) {
        if (msg != WM_HELP || !AfxGetApp()) return FALSE;
        AfxGetApp()->OnHelp();
        result = TRUE;
    }
    if (msg == WM_QUERYDRAGICON || msg == WM_CTLCOLORSTATIC || msg == WM_CTLCOLOREDIT ||
        msg == WM_CTLCOLORBTN || msg == WM_CTLCOLORDLG) {
        return result;  // these few return their result from the dialog procedure itself
    }
    SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (UpdateData(TRUE)) EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange exchange(this, saveAndValidate != FALSE);
    DoDataExchange(&exchange);
    return TRUE;
}

void CDialog::CenterWindow() {
    RECT area{};
    if (m_pParentWnd && m_pParentWnd->m_hWnd) {
        GetWindowRect(m_pParentWnd->m_hWnd, &area);
    } else {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    }
    RECT own{};
    GetWindowRect(m_hWnd, &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    int x = area.left + (area.right - area.left - width) / 2;
    int y = area.top + (area.bottom - area.top - height) / 2;
    // Keep the dialog inside the work area, its top-left corner first.
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    if (x + width > work.right) x = work.right - width;
    if (y + height > work.bottom) y = work.bottom - height;
    if (x < work.left) x = work.left;
    if (y < work.top) y = work.top;
    SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DDX_Text(CDataExchange* pDX, int id, std::string& value) {
    HWND control = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, id);
    if (!pDX->m_bSaveAndValidate) {
        SetWindowTextW(control, ToWide(value).c_str());
        return;
    }
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
    const int copied = GetWindowTextW(control, &text[0], static_cast<int>(text.size()));
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    value = ToUtf8(text);
}
