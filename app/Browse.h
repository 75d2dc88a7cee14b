// File browsing: the file dialog that centres itself, and the program's own directory.
#pragma once

#include <string>

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

/// The directory of the program's executable, with a trailing backslash.
std::string GetProgramDirectory();
