// CDialog: a dialog built from its template, run modally or created for tests.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <vector>

#include "platform/wnd.h"

namespace platform {
class DialogWidget;
struct DialogTemplate;
/// Dialog units of a template to pixels, with the font the template names, as the dialog
/// built from it will map them.
CRect MapTemplateRect(const DialogTemplate& dialog, const CRect& dialogUnits);
}

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    /// Builds the dialog, runs it until EndDialog, destroys it and returns the result.
    virtual intptr_t DoModal();
    /// Builds and shows the dialog without a loop of its own (WM_INITDIALOG runs). FALSE when
    /// the template is missing.
    BOOL Create();
    /// Sends WM_DESTROY and deletes the widgets.
    BOOL DestroyWindow();
    void EndDialog(int result);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    UINT TemplateId() const { return templateId_; }
    /// The window menu built for this dialog (null before it exists or without WS_SYSMENU).
    CMenu* WindowMenu() const { return windowMenu_.get(); }
    /// Makes control a handle of the dialog's control of that id, until the dialog is destroyed.
    void BindControl(int id, CWnd& control);
    /// The control of an id, or null.
    CWnd* ControlById(int id) const;
    /// The armed period of a timer in milliseconds, or -1 when it is not armed.
    int TimerPeriod(UINT_PTR id) const;
    /// Dialog units to pixels, as the dialog's font maps them.
    CRect MapDialogRect(const CRect& dialogUnits) const;

    /// Entry point for the widget layer: what a person does to the dialog (clicks, slider
    /// releases, Enter and Escape, window-menu commands, the close box), its timers and its
    /// painting. Handlers may run event loops of their own (a message box, a window being
    /// created); a command that arrives while a command or timer handler runs is held back and
    /// runs after that handler has returned, if its control is still enabled then.
    void Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    /// Opens the window menu at a screen position, or once the running handler has returned.
    void ShowWindowMenu(int x, int y);
    UINT_PTR SetDialogTimer(UINT_PTR id, UINT elapse);
    BOOL KillDialogTimer(UINT_PTR id);
    HICON SetDialogIcon(HICON icon, BOOL big);

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    BOOL UpdateData(BOOL save = TRUE);
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    DECLARE_MESSAGE_MAP()

private:
    friend class CWnd;
    bool BuildFromTemplate();
    void FocusFirstTabStop();
    // A command held back while a handler runs; a notification keeps its own copy of the header.
    struct HeldCommand {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        NMHDR header;
    };
    void Run(UINT message, WPARAM wParam, LPARAM lParam);
    void RunHeldCommands();
    bool StillApplies(const HeldCommand& command) const;
    void OpenWindowMenu(int x, int y);

    UINT templateId_;
    CWnd* parent_;
    platform::DialogWidget* dialogWidget_ = nullptr;
    std::map<int, std::unique_ptr<CWnd>> controls_;
    std::vector<std::unique_ptr<CWnd>> anonymous_;  // labels and group boxes without an id
    std::vector<CWnd*> bound_;
    std::unique_ptr<CMenu> windowMenu_;
    HICON icons_[2] = {nullptr, nullptr};
    intptr_t result_ = 0;
    bool ended_ = false;
    int handlersRunning_ = 0;
    std::deque<HeldCommand> held_;
};
