// CCmdTarget and CWnd: message routing and the window operations the program uses.
//
// A CWnd is a light handle to a widget of the platform layer; controls are addressed by id.
// Nothing here exposes a Qt type to the program.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/cstring.h"
#include "platform/message_map.h"
#include "platform/win_types.h"

class QWidget;
class CDialog;

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;
    /// Routes a message through this object's message map and its bases'; true when handled.
    bool OnWndMsg(const platform::Message& message, LRESULT* result);

protected:
    static const platform::MessageMap* GetThisMessageMap();
    virtual const platform::MessageMap* GetMessageMap() const;
};

struct CRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

class CMenu {
public:
    struct Item {
        UINT flags;
        UINT id;
        std::wstring text;
    };
    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, LPCTSTR text = nullptr);
    const std::vector<Item>& Items() const { return items_; }

private:
    std::vector<Item> items_;
};

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return widget_ ? const_cast<CWnd*>(this) : nullptr; }
    /// Sends a message to the window and returns the handler's result.
    virtual LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    void SetWindowText(LPCTSTR text);
    CString GetWindowText() const;
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL ShowWindow(int show);
    BOOL IsWindowVisible() const;
    BOOL IsIconic() const;
    int GetDlgCtrlID() const { return id_; }
    void GetClientRect(CRect* rect) const;
    CWnd* GetDlgItem(int id) const;

    UINT_PTR SetTimer(UINT_PTR id, UINT elapse, void* timerProc);
    BOOL KillTimer(UINT_PTR id);
    int MessageBox(LPCTSTR text, LPCTSTR caption = nullptr, UINT type = 0);
    /// The window menu; the dialog's own menu, since X11 title bars cannot be extended.
    CMenu* GetSystemMenu(BOOL revert);
    HICON SetIcon(HICON icon, BOOL big);

    /// The widget behind this handle (for the platform and for tests).
    QWidget* GetWidget() const { return widget_; }
    void Attach(QWidget* widget, int id, CWnd* owner);
    void Detach();

protected:
    /// Default processing of the message being handled.
    LRESULT Default();
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    virtual void OnSysCommand(UINT id, LPARAM lParam);
    virtual void OnPaint();
    virtual void OnDestroy();
    virtual void OnTimer(UINT_PTR id);

    QWidget* widget_ = nullptr;
    int id_ = 0;
    CWnd* owner_ = nullptr;  // the dialog a control belongs to
    platform::Message current_{};
};

class CButton : public CWnd {
public:
    int GetCheck() const;
    void SetCheck(int check);
};

class CStatic : public CWnd {};

class CSliderCtrl : public CWnd {
public:
    void SetRange(int minimum, int maximum, BOOL redraw = FALSE);
    int GetPos() const;
    void SetPos(int position);
    int GetRangeMin() const;
    int GetRangeMax() const;
};

class CDataExchange {
public:
    CDataExchange(CDialog* dialog, BOOL save) : m_pDlgWnd(dialog), m_bSaveAndValidate(save) {}
    CDialog* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
};

/// Binds a control member to the dialog's control of that id.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

class CPaintDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC();
    WPARAM GetSafeHdc() const { return reinterpret_cast<WPARAM>(this); }
    void DrawIcon(int x, int y, HICON icon);

private:
    struct Painter;
    std::unique_ptr<Painter> painter_;
};

int GetSystemMetrics(int index);
