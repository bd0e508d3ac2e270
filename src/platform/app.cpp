#include "platform/app.h"

#include <QApplication>
#include <clocale>
#include <csignal>

#include "platform/icon.h"
#include "platform/module_loader.h"

namespace {

CWinApp* g_app = nullptr;
constexpr const wchar_t* kDefaultAppName = L"Vantrel";

}  // namespace

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) {
    // Qt's widgets need no registration; only the request itself is checked.
    return init && init->dwSize == sizeof(INITCOMMONCONTROLSEX) ? TRUE : FALSE;
}

CWinApp::CWinApp(LPCTSTR appName) : m_pszAppName(appName ? appName : kDefaultAppName) {
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

const platform::MessageMap* CWinApp::GetThisMessageMap() { return CCmdTarget::GetThisMessageMap(); }
const platform::MessageMap* CWinApp::GetMessageMap() const { return GetThisMessageMap(); }

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }

void CWinApp::SetRegistryKey(LPCTSTR) {
    // Nothing is stored under the key: the program keeps no settings.
}

HICON CWinApp::LoadIcon(UINT id) const { return platform::LoadIconResource(id); }

void CWinApp::OnHelp() {
    // There is no help file to open.
}

CWinApp* AfxGetApp() { return g_app; }
LPCTSTR AfxGetAppName() { return g_app ? g_app->m_pszAppName : kDefaultAppName; }

namespace platform {

void KeepClassicNumbers() {
    // The GUI application adopts the user's locale; numbers in read-outs and on pictures keep
    // the decimal point whatever the locale's convention.
    std::setlocale(LC_NUMERIC, "C");
}

void EnsureGuiApplication() {
    if (qApp) return;
    static int argc = 1;
    static char name[] = "vantrel";
    static char* argv[] = {name, nullptr};
    auto* app = new QApplication(argc, argv);
    app->setQuitOnLastWindowClosed(false);
    KeepClassicNumbers();
}

int AfxWinMain(int argc, char** argv) {
    // A snapshot that would pass the user's file-size limit fails like a full disk, with a
    // message, instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    // No window of the program draws with OpenGL. Left to itself, the X11 platform loads the
    // system's OpenGL driver when the first window is created, which delays the dialog by a
    // tenth of a second or more; a user who wants it can still set the variable.
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
    QApplication application(argc, argv);
    // The dialog runs its own loop; image windows closing must not end the program.
    application.setQuitOnLastWindowClosed(false);
    KeepClassicNumbers();
    CWinApp* app = AfxGetApp();
    if (!app) return 1;
    if (!app->InitInstance()) return app->ExitInstance();
    const int status = application.exec();
    const int exitStatus = app->ExitInstance();
    return exitStatus != 0 ? exitStatus : status;
}

}  // namespace platform
