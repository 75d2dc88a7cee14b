// The four Browse buttons of the main dialog and the file dialogs they open.
#include "app/Browse.h"

#include <shlobj.h>
#include <shobjidl.h>

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
    PathField index;  // of the field among FieldPaths
    UINT filterId;
    UINT titleId;
};

constexpr std::size_t kTitleBufferSize = 100;  // titles of at most 99 characters
/// The user's setting that holds the folder of the file last chosen in a file dialog.
constexpr const char* kLastFolderSetting = "BrowseFolder";

/// Kinds 1 to 4, in that order.
const BrowseKind kBrowseKinds[] = {
    {&BlueBookConverter::m_outputPath, kOutputField, IDS_OUTPUT_FILTER, IDS_OUTPUT_TITLE},
    {&BlueBookConverter::m_gFilePath, kGFileField, IDS_GFILE_FILTER, IDS_GFILE_TITLE},
    {&BlueBookConverter::m_serfilPath, kSerfilField, IDS_SERFIL_FILTER, IDS_SERFIL_TITLE},
    {&BlueBookConverter::m_bFilePath, kBFileField, IDS_BFILE_FILTER, IDS_BFILE_TITLE},
};

/// `path` lower-cased as Windows lower-cases letters: every letter that has a lower-case form,
/// in any script ("Ä" gives "ä", "Ω" gives "ω"), the same in every locale.
std::string LowerCase(const std::string& path) {
    std::wstring wide = ToWide(path);
    if (!wide.empty()) CharLowerBuffW(&wide[0], static_cast<DWORD>(wide.size()));
    return ToUtf8(wide);
}

}  // namespace

std::string NameOf(const std::string& path) {
    const std::size_t cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string DocumentsFolder() {
    PWSTR path = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &path))) {
        folder = ToUtf8(path);
    }
    CoTaskMemFree(path);
    return folder;
}

std::string FullPathName(const std::string& path) {
    const std::wstring wide = ToWide(path);
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), needed, &full[0], nullptr);
    if (length == 0 || length >= needed) return path;
    full.resize(length);
    return ToUtf8(full);
}

std::string ChooseFile(const FileChoice& choice, CDialog* parent) {
    CWinApp* app = AfxGetApp();
    std::string filter;
    std::string title;
    AfxLoadString(choice.filterId, filter);
    AfxLoadString(choice.titleId, title);
    const std::string lastFolder = app ? app->GetProfileString(kLastFolderSetting) : std::string();
    const std::string folder =
        InitialFolder(choice.ownPath, choice.otherPaths, lastFolder, DocumentsFolder(), IsDirectory);

    // Open: only an existing file. Save: `.txt` added to a name typed without extension, and a
    // question before an existing file is replaced (both dialogs ask that by themselves).
    std::unique_ptr<CFileDialog> dialog(new (std::nothrow) CFileDialog(
        choice.save ? FALSE : TRUE, choice.save ? "txt" : nullptr, choice.fileName.c_str(),
        choice.save ? FOS_OVERWRITEPROMPT : FOS_FILEMUSTEXIST, filter.c_str(), parent));
    if (!dialog) {
        ShowCatalogueMessage(kMsgOutOfMemory);
        return {};
    }
    dialog->m_initialFolder = folder;
    dialog->m_title = Utf8Prefix(title, kTitleBufferSize - 1);

    const INT_PTR outcome = dialog->DoModal();
    if (outcome == -1) ShowCatalogueMessage(kMsgOutOfMemory);  // the dialog could not be shown
    if (outcome != IDOK) return {};
    const std::string path = dialog->GetPathName();
    std::string chosenFolder;
    if (app) app->WriteProfileString(kLastFolderSetting, GetDirectoryPart(path, chosenFolder));
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
    const std::vector<std::string> paths = FieldPaths();
    FileChoice choice{kind == 1, browse.filterId, browse.titleId, paths[browse.index], {}, paths};
    if (choice.save) {
        // The output named, else one named after the B-file (or the G-file), beside it.
        const auto isInput = [&paths](const std::string& candidate) {
            return SameFile(candidate, paths[kSerfilField]) || SameFile(candidate, paths[kBFileField]) ||
                   SameFile(candidate, paths[kGFileField]);
        };
        if (choice.ownPath.empty()) {
            choice.ownPath = ProposedOutput(paths[kBFileField], paths[kGFileField], isInput);
        }
        choice.fileName = NameOf(choice.ownPath);
    }
    const std::string path = ChooseFile(choice, this);
    if (path.empty()) return;
    // A file picked from those that exist is lower-cased; a name typed for a new one keeps its
    // letters.
    m_converter.*browse.field = NameExists(path) ? LowerCase(path) : path;
    UpdateData(FALSE);
}
