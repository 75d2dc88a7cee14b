// File browsing: the file dialogs of the program with the folder they open in and the name
// they propose, the user's Documents folder, and the program's own directory.
#pragma once

#include <string>
#include <vector>

#include "app/framework/Afx.h"

/// One file to choose.
struct FileChoice {
    bool save;           // a Save dialog: asks before replacing a file, adds `.txt`
    UINT filterId;       // string resources of the filter and the title
    UINT titleId;
    std::string ownPath;                  // the path the choice replaces or proposes (may be empty)
    std::string fileName;                 // the name the dialog proposes (may be empty)
    std::vector<std::string> otherPaths;  // the dialog's other paths, the next places to look
};

/// Runs the file dialog of `choice` owned by `parent`, opened in the folder of InitialFolder
/// (app/AppLogic.h): the paths', the folder last used, Documents. The chosen file's folder
/// becomes the folder last used, also for the next start. Returns the chosen path; empty when
/// the user cancelled, or when the dialog failed (after message 1501).
std::string ChooseFile(const FileChoice& choice, CDialog* parent);

/// The file name of `path`, after its last backslash, slash or colon.
std::string NameOf(const std::string& path);

/// The user's Documents folder; empty when the system names none.
std::string DocumentsFolder();

/// The full form of the path `path` names ("C:\a\..\b" gives "C:\b"); `path` itself when the
/// system cannot tell.
std::string FullPathName(const std::string& path);

/// The directory of the program's executable, with a trailing backslash.
std::string GetProgramDirectory();
