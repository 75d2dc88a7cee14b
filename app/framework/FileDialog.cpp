// The common item dialogs of the system (IFileOpenDialog, IFileSaveDialog): the navigation pane,
// the address bar and the search of today's Windows, owned by the window that opens them.
#include "app/framework/Afx.h"

#include <shobjidl.h>

#include <vector>

namespace {

/// Holds one COM interface and releases it.
template <typename Interface>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() {
        if (m_p) m_p->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;

    Interface* operator->() const { return m_p; }
    Interface** operator&() { return &m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    Interface* m_p = nullptr;
};

/// The description and pattern pairs of a filter "Text (*.txt)|*.txt|All Files (*.*)|*.*||".
std::vector<std::wstring> FilterItems(const std::string& filter) {
    std::vector<std::wstring> items;
    std::size_t start = 0;
    for (std::size_t bar; (bar = filter.find('|', start)) != std::string::npos; start = bar + 1) {
        if (bar == start && items.size() % 2 == 0) break;  // "||": the end of the list
        items.push_back(ToWide(filter.substr(start, bar - start)));
    }
    if (items.size() % 2 != 0) items.pop_back();  // a description without its pattern
    return items;
}

/// The shell item of the folder `path`; none when the system cannot find it.
bool FolderItem(const std::string& path, IShellItem** item) {
    return !path.empty() &&
           SUCCEEDED(SHCreateItemFromParsingName(ToWide(path).c_str(), nullptr, IID_IShellItem,
                                                 reinterpret_cast<void**>(item)));
}

}  // namespace

CFileDialog::CFileDialog(BOOL openFileDialog, const char* defaultExt, const char* fileName,
                         DWORD flags, const char* filter, CDialog* parent)
    : m_open(openFileDialog != FALSE),
      m_flags(flags),
      m_defaultExt(defaultExt ? defaultExt : ""),
      m_fileName(fileName ? fileName : ""),
      m_filter(filter ? filter : ""),
      m_pParentWnd(parent) {}

// The options the dialogs have by themselves stay: an Open dialog takes only a file that
// exists, a Save dialog asks before it replaces one.
bool CFileDialog::Prepare(IFileDialog* dialog) const {
    FILEOPENDIALOGOPTIONS options = 0;
    if (FAILED(dialog->GetOptions(&options)) ||
        FAILED(dialog->SetOptions(options | FOS_FORCEFILESYSTEM | m_flags))) {
        return false;
    }
    const std::vector<std::wstring> items = FilterItems(m_filter);
    std::vector<COMDLG_FILTERSPEC> types;
    for (std::size_t i = 0; i + 1 < items.size(); i += 2) types.push_back({items[i].c_str(), items[i + 1].c_str()});
    if (!types.empty() && (FAILED(dialog->SetFileTypes(static_cast<UINT>(types.size()), types.data())) ||
                           FAILED(dialog->SetFileTypeIndex(1)))) {
        return false;
    }
    if (!m_title.empty()) dialog->SetTitle(ToWide(m_title).c_str());
    if (!m_defaultExt.empty()) dialog->SetDefaultExtension(ToWide(m_defaultExt).c_str());
    if (!m_fileName.empty()) dialog->SetFileName(ToWide(m_fileName).c_str());
    ComRef<IShellItem> folder;
    if (FolderItem(m_initialFolder, &folder)) dialog->SetFolder(folder.operator->());
    return true;
}

INT_PTR CFileDialog::DoModal() {
    ComRef<IFileDialog> dialog;
    const HRESULT created =
        CoCreateInstance(m_open ? CLSID_FileOpenDialog : CLSID_FileSaveDialog, nullptr,
                         CLSCTX_INPROC_SERVER, IID_IFileDialog, reinterpret_cast<void**>(&dialog));
    if (FAILED(created) || !Prepare(dialog.operator->())) return -1;

    const HRESULT shown = dialog->Show(m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr);
    if (shown == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return IDCANCEL;
    ComRef<IShellItem> result;
    PWSTR path = nullptr;
    if (FAILED(shown) || FAILED(dialog->GetResult(&result)) ||
        FAILED(result->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
        return -1;
    }
    m_path = ToUtf8(path);
    CoTaskMemFree(path);
    return IDOK;
}
