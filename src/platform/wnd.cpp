#include "platform/wnd.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPainter>
#include <QSlider>
#include <QVariant>
#include <QWidget>

#include "platform/dialog.h"
#include "platform/icon_record.h"
#include "platform/message_box.h"

// ---- message routing -------------------------------------------------------------------------

namespace {

bool Matches(const platform::MessageMapEntry& entry, const platform::Message& message) {
    if (entry.message != message.message) return false;
    if (message.message == WM_COMMAND)
        return entry.id == LOWORD(message.wParam) && entry.code == HIWORD(message.wParam);
    if (message.message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(message.lParam);
        return header && entry.id == header->idFrom && entry.code == header->code;
    }
    return true;
}

const platform::MessageMapEntry kNoEntries[] = {{0, 0, 0, nullptr}};

}  // namespace

const platform::MessageMap* CCmdTarget::GetThisMessageMap() {
    static const platform::MessageMap kMap{nullptr, kNoEntries};
    return &kMap;
}

const platform::MessageMap* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

bool CCmdTarget::OnWndMsg(const platform::Message& message, LRESULT* result) {
    for (const auto* map = GetMessageMap(); map; map = map->base) {
        for (const auto* entry = map->entries; entry->thunk; ++entry) {
            if (Matches(*entry, message)) {
                const LRESULT value = entry->thunk(*this, message);
                if (result) *result = value;
                return true;
            }
        }
    }
    return false;
}

// ---- menus -----------------------------------------------------------------------------------

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, LPCTSTR text) {
    items_.push_back({flags, static_cast<UINT>(id), text ? text : L""});
    return TRUE;
}

// ---- CWnd ------------------------------------------------------------------------------------

CWnd::~CWnd() = default;

void CWnd::Attach(QWidget* widget, int id, CWnd* owner) {
    widget_ = widget;
    id_ = id;
    owner_ = owner;
}

void CWnd::Detach() {
    widget_ = nullptr;
    owner_ = nullptr;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const platform::Message saved = current_;
    current_ = {message, wParam, lParam};
    const LRESULT result = WindowProc(message, wParam, lParam);
    current_ = saved;
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (OnWndMsg({message, wParam, lParam}, &result)) return result;
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::Default() { return DefWindowProc(current_.message, current_.wParam, current_.lParam); }

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!widget_) return 0;
    if (auto* button = qobject_cast<QAbstractButton*>(widget_)) {
        switch (message) {
            case BM_GETCHECK:
                return button->isCheckable() && button->isChecked() ? BST_CHECKED : BST_UNCHECKED;
            case BM_SETCHECK:
                if (button->isCheckable()) button->setChecked(wParam == BST_CHECKED);
                return 0;
            case BM_CLICK:
                button->click();
                return 0;
            default:
                return 0;
        }
    }
    if (auto* slider = qobject_cast<QSlider*>(widget_)) {
        switch (message) {
            case TBM_GETPOS:
                return slider->value();
            case TBM_SETPOS:
                slider->setValue(static_cast<int>(lParam));
                return 0;
            case TBM_GETRANGEMIN:
                return slider->minimum();
            case TBM_GETRANGEMAX:
                return slider->maximum();
            case TBM_SETRANGEMIN:
                slider->setMinimum(static_cast<int>(lParam));
                return 0;
            case TBM_SETRANGEMAX:
                slider->setMaximum(static_cast<int>(lParam));
                return 0;
            default:
                return 0;
        }
    }
    return 0;
}

void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
void CWnd::OnPaint() { Default(); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }

void CWnd::SetWindowText(LPCTSTR text) {
    if (!widget_) return;
    const QString value = QString::fromWCharArray(text ? text : L"");
    // The read-outs are set at every frame tick, mostly to the text they already show; a label
    // is set directly rather than through the property system.
    if (auto* button = qobject_cast<QAbstractButton*>(widget_)) {
        button->setText(value);
    } else if (widget_->isWindow()) {
        widget_->setWindowTitle(value);
    } else if (auto* label = qobject_cast<QLabel*>(widget_)) {
        if (label->text() != value) label->setText(value);
    } else {
        widget_->setProperty("text", value);
    }
}

CString CWnd::GetWindowText() const {
    if (!widget_) return {};
    if (widget_->isWindow()) return CString(widget_->windowTitle().toStdWString());
    return CString(widget_->property("text").toString().toStdWString());
}

BOOL CWnd::EnableWindow(BOOL enable) {
    if (!widget_) return FALSE;
    const BOOL wasDisabled = widget_->isEnabled() ? FALSE : TRUE;
    widget_->setEnabled(enable != FALSE);
    return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const { return widget_ && widget_->isEnabled() ? TRUE : FALSE; }

BOOL CWnd::ShowWindow(int show) {
    if (!widget_) return FALSE;
    const BOOL wasVisible = widget_->isVisibleTo(widget_->parentWidget()) ? TRUE : FALSE;
    widget_->setVisible(show != 0);
    return wasVisible;
}

BOOL CWnd::IsWindowVisible() const { return widget_ && widget_->isVisible() ? TRUE : FALSE; }

BOOL CWnd::IsIconic() const { return widget_ && widget_->isMinimized() ? TRUE : FALSE; }

void CWnd::GetClientRect(CRect* rect) const {
    if (!rect) return;
    *rect = {};
    if (widget_) *rect = {0, 0, widget_->width(), widget_->height()};
}

CWnd* CWnd::GetDlgItem(int id) const {
    const auto* dialog = dynamic_cast<const CDialog*>(this);
    return dialog ? dialog->ControlById(id) : nullptr;
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse, void*) {
    auto* dialog = dynamic_cast<CDialog*>(this);
    return dialog ? dialog->SetDialogTimer(id, elapse) : 0;
}

BOOL CWnd::KillTimer(UINT_PTR id) {
    auto* dialog = dynamic_cast<CDialog*>(this);
    return dialog ? dialog->KillDialogTimer(id) : FALSE;
}

int CWnd::MessageBox(LPCTSTR text, LPCTSTR caption, UINT) {
    return platform::ShowMessageBox(this, text ? text : L"", caption ? caption : L"");
}

CMenu* CWnd::GetSystemMenu(BOOL) {
    auto* dialog = dynamic_cast<CDialog*>(this);
    return dialog ? dialog->WindowMenu() : nullptr;
}

HICON CWnd::SetIcon(HICON icon, BOOL big) {
    return reinterpret_cast<HICON>(SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL,
                                               reinterpret_cast<LPARAM>(icon)));
}

// ---- controls --------------------------------------------------------------------------------

int CButton::GetCheck() const { return static_cast<int>(const_cast<CButton*>(this)->SendMessage(BM_GETCHECK)); }
void CButton::SetCheck(int check) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(check)); }

void CSliderCtrl::SetRange(int minimum, int maximum, BOOL) {
    SendMessage(TBM_SETRANGEMIN, FALSE, minimum);
    SendMessage(TBM_SETRANGEMAX, TRUE, maximum);
}
int CSliderCtrl::GetPos() const { return static_cast<int>(const_cast<CSliderCtrl*>(this)->SendMessage(TBM_GETPOS)); }
void CSliderCtrl::SetPos(int position) { SendMessage(TBM_SETPOS, TRUE, position); }
int CSliderCtrl::GetRangeMin() const { return static_cast<int>(const_cast<CSliderCtrl*>(this)->SendMessage(TBM_GETRANGEMIN)); }
int CSliderCtrl::GetRangeMax() const { return static_cast<int>(const_cast<CSliderCtrl*>(this)->SendMessage(TBM_GETRANGEMAX)); }

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    if (pDX && pDX->m_pDlgWnd) pDX->m_pDlgWnd->BindControl(id, control);
}

// ---- painting --------------------------------------------------------------------------------

struct CPaintDC::Painter {
    QPainter painter;
};

CPaintDC::CPaintDC(CWnd* wnd) : painter_(std::make_unique<Painter>()) {
    if (wnd && wnd->GetWidget()) painter_->painter.begin(wnd->GetWidget());
}

CPaintDC::~CPaintDC() {
    if (painter_->painter.isActive()) painter_->painter.end();
}

void CPaintDC::DrawIcon(int x, int y, HICON icon) {
    if (!icon || !painter_->painter.isActive()) return;
    const int size = GetSystemMetrics(SM_CXICON);
    painter_->painter.drawPixmap(x, y, icon->icon.pixmap(size, size));
}

int GetSystemMetrics(int index) {
    switch (index) {
        case SM_CXICON:
        case SM_CYICON:
            return 32;
        default:
            return 0;
    }
}
