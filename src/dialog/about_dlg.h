// CAboutDlg: the About box, reached from the window menu.
#pragma once

#include "platform/dialog.h"

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(CWnd* parent = nullptr);

protected:
    DECLARE_MESSAGE_MAP()
};
