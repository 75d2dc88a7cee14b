// The application object: shows the main dialog, and the program ends when it closes.
#include "app/ConvertDlg.h"
#include "app/framework/Afx.h"
#include "convert/Messages.h"

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

    // Anything thrown in a handler or at start-up: message 1501, as a conversion job reports
    // it, and the dialog carries on.
    void ReportFailure() override {
        std::string text;
        AfxLoadString(kMsgOutOfMemory, text);
        AfxMessageBox(text, 0, kMsgOutOfMemory);
    }
};

// The one application object, constructed before wWinMain runs; its name is the executable's.
CConverterApp theApp;
