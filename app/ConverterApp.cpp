// The application object: shows the main dialog, and the program ends when it closes. F1 opens
// the user guide that is installed beside the program.
#include <objbase.h>
#include <shellapi.h>

#include "app/Browse.h"
#include "app/ConvertDlg.h"
#include "app/framework/Afx.h"
#include "convert/Messages.h"

class CConverterApp : public CWinApp {
public:
    CConverterApp() { m_registryKey = "Software\\BBookToTellurax"; }

    BOOL InitInstance() override {
        Enable3dControlsStatic();
        // The shell (file dialogs, opening the guide) may use COM on this thread.
        const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        {
            CConvertDlg dialog;
            m_pMainWnd = &dialog;
            dialog.DoModal();
            m_pMainWnd = nullptr;
        }
        if (SUCCEEDED(com)) CoUninitialize();
        return FALSE;  // ends the program without a message loop
    }

    // The user guide in the program's folder, in the program the system opens HTML files with;
    // message 1516 when it cannot be opened.
    void OnHelp() override {
        const std::string guide = GetProgramDirectory() + "UserGuide.html";
        HWND owner = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
        const auto opened = reinterpret_cast<INT_PTR>(
            ShellExecuteW(owner, L"open", ToWide(guide).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        if (opened <= 32) ShowCatalogueMessage(kMsgCannotOpen, {guide});
    }

    // Anything thrown in a handler or at start-up: message 1501, as a conversion job reports
    // it, and the dialog carries on.
    void ReportFailure() override { ShowCatalogueMessage(kMsgOutOfMemory); }
};

// The one application object, constructed before wWinMain runs; its name is the executable's.
CConverterApp theApp;
