// CWinApp: the application object and the process entry.
#pragma once

#include "platform/wnd.h"

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(LPCTSTR appName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    void SetRegistryKey(LPCTSTR key);
    HICON LoadIcon(UINT id) const;
    void OnHelp();

    CWnd* m_pMainWnd = nullptr;
    /// The language-resource module the framework may load; the program never sets it.
    HINSTANCE m_hLangResourceDLL = nullptr;
    const wchar_t* m_pszAppName;

protected:
    static const platform::MessageMap* GetThisMessageMap();
    const platform::MessageMap* GetMessageMap() const override;
};

CWinApp* AfxGetApp();
LPCTSTR AfxGetAppName();

namespace platform {
/// Creates the GUI application, runs the application object's InitInstance and, when it returns
/// FALSE, ExitInstance; returns the process exit status.
int AfxWinMain(int argc, char** argv);
/// Sets the C library's number formatting back to the classic one after the GUI application
/// has adopted the user's locale.
void KeepClassicNumbers();
/// Makes sure a GUI application object exists (tests create one through this).
void EnsureGuiApplication();
}  // namespace platform
