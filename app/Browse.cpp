// The four Browse buttons of the main dialog and the file dialog they open.
#include "app/Browse.h"

#include <memory>
#include <new>

#include "app/AppLogic.h"
#include "app/ConvertDlg.h"
#include "app/resource.h"
#include "bluebook/RecordLine.h"
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

    const std::string programDirectory = GetProgramDirectory();
    std::string filter;
    std::string title;
    AfxLoadString(browse.filterId, filter);
    AfxLoadString(browse.titleId, title);
    const std::wstring wideTitle = ToWide(Utf8Prefix(title, kTitleBufferSize - 1));

    // The directory without its closing backslash; a drive's root gives "D:".
    std::string initialDirectory;
    GetDirectoryPart(programDirectory, initialDirectory);
    TrimTrailingChar(initialDirectory, '\\');
    const std::wstring wideDirectory = ToWide(initialDirectory);

    std::unique_ptr<CCenteredFileDialog> dialog(new (std::nothrow) CCenteredFileDialog(
        TRUE, nullptr, nullptr, OFN_HIDEREADONLY, filter.c_str(), nullptr));
    if (!dialog) {
        m_converter.ReportMessage(kMsgOutOfMemory, MB_OK);
        return;
    }
    dialog->m_ofn.lpstrInitialDir = wideDirectory.c_str();
    dialog->m_ofn.lpstrTitle = wideTitle.c_str();

    const INT_PTR outcome = dialog->DoModal();
    if (outcome == IDOK) {
        m_converter.*browse.field = LowerCase(dialog->GetPathName());
        UpdateData(FALSE);
    } else if (outcome == -1) {
        m_converter.ReportMessage(kMsgOutOfMemory, MB_OK);  // the dialog could not be shown
    }
}
