// CVantrelApp: the application object.
#pragma once

#include "platform/app.h"

class CVantrelApp : public CWinApp {
public:
    CVantrelApp();
    BOOL InitInstance() override;
    int ExitInstance() override;

protected:
    DECLARE_MESSAGE_MAP()
};

extern CVantrelApp theApp;
