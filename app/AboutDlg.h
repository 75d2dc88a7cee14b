// The About box: the program's icon, name and version, and OK.
#pragma once

#include "app/framework/Afx.h"

class CAboutDlg : public CDialog {
public:
    /// Centred over `parent` when it opens.
    explicit CAboutDlg(CDialog* parent = nullptr);
};
