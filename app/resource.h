/* Resource identifiers, shared by BBookToTellurax.rc and the C++ code. */
#pragma once

/* Dialog templates, the icon and the system-menu item */
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101 /* text of the system-menu item that opens the About box */
#define IDD_CONVERT_DIALOG 102
#define IDD_REPORT 103 /* the conversion report window */
#define IDR_MAINFRAME 128 /* the program's icon */
#define IDM_ABOUTBOX 0x0010 /* command of that system-menu item */

/* Controls of the main dialog */
#define IDC_CONVERT_DATA 1000
#define IDC_GFILE_PATH 1004
#define IDC_OUTPUT_PATH 1005
#define IDC_BROWSE_GFILE 1006
#define IDC_BROWSE_OUTPUT 1007
#define IDC_SERFIL_PATH 1008
#define IDC_BROWSE_SERFIL 1009
#define IDC_BFILE_PATH 1010
#define IDC_BROWSE_BFILE 1011

/* Controls of the report window */
#define IDC_REPORT_TEXT 1020
#define IDC_REPORT_SAVE 1021

/* Filters and titles of the file dialogs (a filter lists description|pattern| pairs) */
#define IDS_GFILE_FILTER 2001
#define IDS_GFILE_TITLE 2002
#define IDS_OUTPUT_FILTER 2003
#define IDS_OUTPUT_TITLE 2004
#define IDS_SERFIL_FILTER 2005
#define IDS_SERFIL_TITLE 2006
#define IDS_BFILE_TITLE 2007
#define IDS_BFILE_FILTER 2008
#define IDS_REPORT_FILTER 2009
#define IDS_REPORT_TITLE 2010

/* The question that offers the report after a conversion, made of seven texts in the order of
   QuestionText (app/AppLogic.h) */
#define IDS_REPORT_QUESTION 2020

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
