#include "app/AboutDlg.h"

#include "app/resource.h"

CAboutDlg::CAboutDlg(CDialog* parent) : CDialog(IDD_ABOUTBOX, parent) {}
