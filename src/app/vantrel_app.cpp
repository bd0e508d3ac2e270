#include "app/vantrel_app.h"

#include <opencv2/core/utility.hpp>

#include "dialog/vantrel_dlg.h"
#include "platform/module_loader.h"
#include "platform/resources.h"
#include "res/templates.h"

BEGIN_MESSAGE_MAP(CVantrelApp, CWinApp)
    ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

CVantrelApp::CVantrelApp() = default;

CVantrelApp theApp;

BOOL CVantrelApp::InitInstance() {
    platform::SetProgramResources(res::ProgramResources());

    INITCOMMONCONTROLSEX initCtrls;
    initCtrls.dwSize = sizeof(initCtrls);
    initCtrls.dwICC = 0xFF;
    InitCommonControlsEx(&initCtrls);

    CWinApp::InitInstance();
    // Every picture here is 640 x 480 or smaller and is handled within a refresh of a few tens
    // of milliseconds: OpenCV's worker threads would gain little time on them, and they spin
    // after each parallel call, which costs more processor time than the call.
    cv::setNumThreads(0);
    SetRegistryKey(L"로컬 응용 프로그램 마법사에서 생성된 응용 프로그램");

    {
        CVantrelDlg dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;
    }
    return FALSE;
}

int CVantrelApp::ExitInstance() {
    if (m_hLangResourceDLL) {
        FreeLibrary(m_hLangResourceDLL);
        m_hLangResourceDLL = nullptr;
    }
    return CWinApp::ExitInstance();
}
