// The application object: shows the main dialog, and the program ends when it closes.
#include "app/ConvertDlg.h"
#include "app/framework/Afx.h"

class CConverterApp : public CWinApp {
public:
    BOOL InitInstance() override {
        Enable3dControlsStatic();
        {
            CConvertDlg dialog;
            m_pMainWnd = &dialog;
            dialog.DoModal();
            m_pMainWnd = nullptr;
        }
        return FALSE;  // ends the program without a message loop
    }
};

// The one application object, constructed before WinMain runs; its name is the executable's.
CConverterApp theApp;
