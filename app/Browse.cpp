// The four Browse buttons of the main dialog and the file dialogs they open.
#include "app/Browse.h"

#include <shlobj.h>

#include <memory>
#include <new>

#include "app/AppLogic.h"
#include "app/ConvertDlg.h"
#include "app/resource.h"
#include "bluebook/RecordLine.h"
#include "common/FileSystem.h"
#include "common/Utf.h"
#include "convert/Messages.h"

namespace {

/// What one Browse button fills: the field, the filter and the title of its file dialog.
struct BrowseKind {
    std::string BlueBookConverter::*field;
    UINT filterId;
    UINT titleId;
};

constexpr std::size_t kTitleBufferSize = 100;  // titles of at most 99 characters
/// The user's setting that holds the folder of the file last chosen in a file dialog.
constexpr const char* kLastFolderSetting = "BrowseFolder";

/// Kinds 1 to 4, in that order.
const BrowseKind kBrowseKinds[] = {
    {&BlueBookConverter::m_outputPath, IDS_OUTPUT_FILTER, IDS_OUTPUT_TITLE},
    {&BlueBookConverter::m_gFilePath, IDS_GFILE_FILTER, IDS_GFILE_TITLE},
    {&BlueBookConverter::m_serfilPath, IDS_SERFIL_FILTER, IDS_SERFIL_TITLE},
    {&BlueBookConverter::m_bFilePath, IDS_BFILE_FILTER, IDS_BFILE_TITLE},
};

/// `path` lower-cased as Windows lower-cases letters: every letter that has a lower-case form,
/// in any script ("Ä" gives "ä", "Ω" gives "ω"), the same in every locale.
std::string LowerCase(const std::string& path) {
    std::wstring wide = ToWide(path);
    if (!wide.empty()) CharLowerBuffW(&wide[0], static_cast<DWORD>(wide.size()));
    return ToUtf8(wide);
}

/// The user's Documents folder; empty when the system names none.
std::string DocumentsFolder() {
    PWSTR path = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &path))) {
        folder = ToUtf8(path);
    }
    CoTaskMemFree(path);
    return folder;
}

}  // namespace

BOOL CCenteredFileDialog::OnInitDialog() {
    CFileDialog::OnInitDialog();
    HWND reference = m_pCenterWnd ? m_pCenterWnd->m_hWnd : GetDesktopWindow();
    RECT area{};
    RECT own{};
    GetWindowRect(reference, &area);
    GetWindowRect(m_hWnd, &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    const ScreenPoint at =
        PlaceCenteredDialog(area.left, area.top, area.right, area.bottom, width, height,
                            GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    MoveWindow(m_hWnd, at.x, at.y, width, height, TRUE);
    return TRUE;
}

std::string ChooseFile(const FileChoice& choice, CDialog* parent) {
    CWinApp* app = AfxGetApp();
    std::string filter;
    std::string title;
    AfxLoadString(choice.filterId, filter);
    AfxLoadString(choice.titleId, title);
    const std::wstring wideTitle = ToWide(Utf8Prefix(title, kTitleBufferSize - 1));
    const std::string lastFolder = app ? app->GetProfileString(kLastFolderSetting) : std::string();
    const std::wstring wideFolder = ToWide(InitialFolder(
        choice.ownPath, choice.otherPaths, lastFolder, DocumentsFolder(), IsDirectory));

    // Open: only an existing file. Save: `.txt` added to a name typed without extension, and a
    // question before an existing file is replaced.
    const DWORD flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
                        (choice.save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    std::unique_ptr<CCenteredFileDialog> dialog(new (std::nothrow) CCenteredFileDialog(
        choice.save ? FALSE : TRUE, choice.save ? "txt" : nullptr, nullptr, flags,
        filter.c_str(), parent));
    if (!dialog) {
        ShowCatalogueMessage(kMsgOutOfMemory);
        return {};
    }
    dialog->m_ofn.lpstrInitialDir = wideFolder.empty() ? nullptr : wideFolder.c_str();
    dialog->m_ofn.lpstrTitle = wideTitle.c_str();

    const INT_PTR outcome = dialog->DoModal();
    if (outcome == -1) ShowCatalogueMessage(kMsgOutOfMemory);  // the dialog could not be shown
    if (outcome != IDOK) return {};
    const std::string path = dialog->GetPathName();
    std::string folder;
    if (app) app->WriteProfileString(kLastFolderSetting, GetDirectoryPart(path, folder));
    return path;
}

std::string GetProgramDirectory() {
    std::string directory;
    return GetDirectoryPart(AfxGetModuleFileName(), directory);
}

void CConvertDlg::OnBrowseOutputFile() {
    if (UpdateData(TRUE)) BrowseForFile(1);
}

void CConvertDlg::OnBrowseGFile() {
    if (UpdateData(TRUE)) BrowseForFile(2);
}

void CConvertDlg::OnBrowseSerfil() {
    if (UpdateData(TRUE)) BrowseForFile(3);
}

void CConvertDlg::OnBrowseBFile() {
    if (UpdateData(TRUE)) BrowseForFile(4);
}

void CConvertDlg::BrowseForFile(int kind) {
    if (kind < 1 || kind > 4) return;
    const BrowseKind& browse = kBrowseKinds[kind - 1];
    const FileChoice choice{kind == 1, browse.filterId, browse.titleId,
                            m_converter.*browse.field, FieldPaths()};
    const std::string path = ChooseFile(choice, this);
    if (path.empty()) return;
    m_converter.*browse.field = LowerCase(path);
    UpdateData(FALSE);
}
