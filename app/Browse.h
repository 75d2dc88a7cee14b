// File browsing: the file dialog that centres itself, the file dialogs of the program with the
// folder they open in, and the program's own directory.
#pragma once

#include <string>
#include <vector>

#include "app/framework/Afx.h"

/// A file dialog centred on a reference window (the desktop when there is none) and kept clear
/// of the screen edges.
class CCenteredFileDialog : public CFileDialog {
public:
    /// The arguments of CFileDialog; `parent` is also the window to centre on.
    CCenteredFileDialog(BOOL openFileDialog, const char* defaultExt, const char* fileName,
                        DWORD flags, const char* filter, CDialog* parent)
        : CFileDialog(openFileDialog, defaultExt, fileName, flags, filter, parent),
          m_pCenterWnd(parent) {}

protected:
    BOOL OnInitDialog() override;

private:
    CDialog* m_pCenterWnd;  // null: the desktop
};

/// One file to choose.
struct FileChoice {
    bool save;           // a Save dialog: asks before replacing a file, adds `.txt`
    UINT filterId;       // string resources of the filter and the title
    UINT titleId;
    std::string ownPath;                  // the path the choice replaces (may be empty)
    std::vector<std::string> otherPaths;  // the dialog's other paths, the next places to look
};

/// Runs the file dialog of `choice` owned by and centred on `parent`, opened in the folder of
/// InitialFolder (app/AppLogic.h): the paths', the folder last used, Documents. The chosen
/// file's folder becomes the folder last used, also for the next start. Returns the chosen
/// path; empty when the user cancelled, or when the dialog failed (after message 1501).
std::string ChooseFile(const FileChoice& choice, CDialog* parent);

/// The directory of the program's executable, with a trailing backslash.
std::string GetProgramDirectory();
