#include "platform/dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>

#include "platform/dialog_widget.h"
#include "platform/icon.h"
#include "platform/icon_record.h"
#include "platform/locale.h"
#include "platform/resources.h"

namespace {

// Turns a release of the mouse button over a track bar into NM_RELEASEDCAPTURE, as Windows
// sends it after a click or a drag in the control.
class ReleaseNotifier : public QObject {
public:
    ReleaseNotifier(CDialog& dialog, CWnd& control, QObject* parent)
        : QObject(parent), dialog_(dialog), control_(control) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            NMHDR header{control_.GetSafeHwnd(), static_cast<UINT_PTR>(control_.GetDlgCtrlID()),
                         NM_RELEASEDCAPTURE};
            dialog_.Dispatch(WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
        }
        return QObject::eventFilter(watched, event);
    }

private:
    CDialog& dialog_;
    CWnd& control_;
};

// A Windows check box answers a click anywhere in its rectangle, not only on its box and text.
class CheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

QWidget* CreateControlWidget(const platform::ControlTemplate& control, QWidget* parent) {
    const QString text = QString::fromStdWString(control.text ? control.text : L"");
    switch (control.kind) {
        case platform::ControlKind::PushButton: {
            auto* button = new QPushButton(text, parent);
            button->setDefault((control.style & BS_DEFPUSHBUTTON) != 0);
            return button;
        }
        case platform::ControlKind::CheckBox:
            return new CheckBox(text, parent);
        case platform::ControlKind::GroupBox: {
            // A Windows group box runs its frame through the middle of its title.
            auto* box = new QGroupBox(text, parent);
            box->setStyleSheet(QStringLiteral(
                "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 0.6em; }"
                "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }"));
            return box;
        }
        case platform::ControlKind::Label: {
            auto* label = new QLabel(text, parent);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            return label;
        }
        case platform::ControlKind::TrackBar: {
            auto* slider = new QSlider(Qt::Horizontal, parent);
            slider->setTickPosition((control.style & TBS_NOTICKS) ? QSlider::NoTicks
                                                                  : QSlider::TicksBelow);
            if (control.style & TBS_TOOLTIPS)
                QObject::connect(slider, &QSlider::valueChanged,
                                 [slider](int value) { slider->setToolTip(QString::number(value)); });
            return slider;
        }
        case platform::ControlKind::Icon: {
            auto* label = new QLabel(parent);
            if (HICON icon = platform::LoadIconResource(control.iconId))
                label->setPixmap(icon->icon.pixmap(32, 32));
            return label;
        }
    }
    return nullptr;
}

QString StandardCloseText() {
    return PRIMARYLANGID(GetSystemDefaultLangID()) == LANG_KOREAN ? QStringLiteral("닫기")
                                                                  : QStringLiteral("Close");
}

QFont TemplateFont(const platform::DialogTemplate& tmpl) {
    QFont font = QApplication::font();
    font.setPointSize(tmpl.pointSize > 0 ? tmpl.pointSize : 9);
    return font;
}

CRect MapWithFont(const QFont& font, const CRect& units) {
    const platform::BaseUnits base = platform::DialogBaseUnits(font);
    auto mapX = [&](int v) { return v * base.x / 4; };
    auto mapY = [&](int v) { return v * base.y / 8; };
    return {mapX(units.left), mapY(units.top), mapX(units.right), mapY(units.bottom)};
}


}  // namespace

BEGIN_MESSAGE_MAP(CDialog, CWnd)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent) : templateId_(templateId), parent_(parent) {}

CDialog::~CDialog() {
    if (dialogWidget_) DestroyWindow();
}

bool CDialog::BuildFromTemplate() {
    const platform::DialogTemplate* tmpl = platform::FindDialogTemplate(templateId_);
    if (!tmpl) return false;
    QWidget* parentWidget = parent_ ? parent_->GetWidget() : nullptr;
    dialogWidget_ = new platform::DialogWidget(*this, parentWidget);
    Attach(dialogWidget_, 0, nullptr);

    dialogWidget_->setFont(TemplateFont(*tmpl));
    dialogWidget_->setWindowTitle(QString::fromStdWString(tmpl->caption ? tmpl->caption : L""));

    const CRect client = MapDialogRect({0, 0, tmpl->cx, tmpl->cy});
    if (tmpl->style & WS_THICKFRAME)
        dialogWidget_->resize(client.Width(), client.Height());
    else
        dialogWidget_->setFixedSize(client.Width(), client.Height());
    if (!(tmpl->style & WS_SYSMENU))
        dialogWidget_->setWindowFlag(Qt::WindowSystemMenuHint, false);
    else
        windowMenu_ = std::make_unique<CMenu>();

    QWidget* previousTabStop = nullptr;
    std::vector<QWidget*> groupBoxes;
    for (size_t i = 0; i < tmpl->controlCount; ++i) {
        const platform::ControlTemplate& control = tmpl->controls[i];
        QWidget* widget = CreateControlWidget(control, dialogWidget_);
        const CRect rect = MapDialogRect(
            {control.x, control.y, control.x + control.cx, control.y + control.cy});
        widget->setGeometry(rect.left, rect.top, rect.Width(), rect.Height());
        widget->setVisible((control.style & WS_VISIBLE) != 0);
        widget->setEnabled((control.style & WS_DISABLED) == 0);
        widget->setObjectName(QString::number(control.id));
        if (control.style & WS_TABSTOP) {
            widget->setFocusPolicy(Qt::StrongFocus);
            if (previousTabStop) QWidget::setTabOrder(previousTabStop, widget);
            previousTabStop = widget;
        } else {
            widget->setFocusPolicy(Qt::NoFocus);
        }
        if (control.kind == platform::ControlKind::GroupBox) groupBoxes.push_back(widget);

        auto handle = std::make_unique<CWnd>();
        handle->Attach(widget, control.id, this);
        CWnd& wnd = *handle;
        if (control.id != -1) controls_[control.id] = std::move(handle);
        else anonymous_.push_back(std::move(handle));

        const int id = control.id;
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            QObject::connect(button, &QAbstractButton::clicked, [this, id, &wnd] {
                Dispatch(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
                         reinterpret_cast<LPARAM>(&wnd));
            });
        } else if (qobject_cast<QSlider*>(widget)) {
            widget->installEventFilter(new ReleaseNotifier(*this, wnd, widget));
        }
    }
    // Group boxes only frame other controls: keep them beneath, so they never take a click.
    for (QWidget* box : groupBoxes) box->lower();
    return true;
}

BOOL CDialog::Create() {
    if (dialogWidget_) return TRUE;
    ended_ = false;
    if (!BuildFromTemplate()) return FALSE;
    const BOOL focusDefault = static_cast<BOOL>(SendMessage(WM_INITDIALOG, 0, 0));
    if (ended_ || !dialogWidget_) return TRUE;
    dialogWidget_->show();
    if (focusDefault) FocusFirstTabStop();
    return TRUE;
}

intptr_t CDialog::DoModal() {
    result_ = -1;
    if (!Create()) return -1;
    if (parent_ && parent_->GetWidget()) dialogWidget_->setWindowModality(Qt::WindowModal);
    if (!ended_) dialogWidget_->RunLoop();
    DestroyWindow();
    return result_;
}

BOOL CDialog::DestroyWindow() {
    if (!dialogWidget_) return FALSE;
    SendMessage(WM_DESTROY, 0, 0);
    for (CWnd* member : bound_) member->Detach();
    bound_.clear();
    controls_.clear();
    anonymous_.clear();
    windowMenu_.reset();
    platform::DialogWidget* widget = dialogWidget_;
    dialogWidget_ = nullptr;
    Detach();
    widget->hide();
    delete widget;
    return TRUE;
}

void CDialog::EndDialog(int result) {
    result_ = result;
    ended_ = true;
    if (dialogWidget_) {
        dialogWidget_->hide();
        dialogWidget_->QuitLoop();
    }
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL save) {
    CDataExchange exchange(this, save);
    DoDataExchange(&exchange);
    return TRUE;
}

void CDialog::BindControl(int id, CWnd& control) {
    CWnd* source = ControlById(id);
    if (!source || control.GetWidget() == source->GetWidget()) return;
    control.Attach(source->GetWidget(), id, this);
    bound_.push_back(&control);
}

CWnd* CDialog::ControlById(int id) const {
    auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second.get();
}

int CDialog::TimerPeriod(UINT_PTR id) const {
    return dialogWidget_ ? dialogWidget_->TimerPeriod(id) : -1;
}

UINT_PTR CDialog::SetDialogTimer(UINT_PTR id, UINT elapse) {
    if (!dialogWidget_) return 0;
    dialogWidget_->SetTimer(id, static_cast<int>(elapse));
    return id;
}

BOOL CDialog::KillDialogTimer(UINT_PTR id) {
    return dialogWidget_ && dialogWidget_->KillTimer(id) ? TRUE : FALSE;
}


CRect platform::MapTemplateRect(const DialogTemplate& dialog, const CRect& units) {
    return MapWithFont(TemplateFont(dialog), units);
}

CRect CDialog::MapDialogRect(const CRect& units) const {
    return MapWithFont(dialogWidget_ ? dialogWidget_->font() : QApplication::font(), units);
}

void CDialog::FocusFirstTabStop() {
    for (QWidget* child = dialogWidget_->nextInFocusChain(); child && child != dialogWidget_;
         child = child->nextInFocusChain()) {
        if (child->focusPolicy() & Qt::TabFocus && child->isEnabled() && child->isVisible()) {
            child->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        SendMessage(message, wParam, lParam);
        return;
    }
    const bool command = message != WM_TIMER;
    if (command && handlersRunning_ > 0) {
        HeldCommand held{message, wParam, lParam, {}};
        if (message == WM_NOTIFY && lParam) held.header = *reinterpret_cast<const NMHDR*>(lParam);
        held_.push_back(held);
        return;
    }
    Run(message, wParam, lParam);
    if (handlersRunning_ == 0) RunHeldCommands();
}

void CDialog::Run(UINT message, WPARAM wParam, LPARAM lParam) {
    ++handlersRunning_;
    SendMessage(message, wParam, lParam);
    --handlersRunning_;
}

void CDialog::RunHeldCommands() {
    while (!held_.empty()) {
        HeldCommand command = held_.front();
        held_.pop_front();
        if (!dialogWidget_ || ended_) continue;
        if (!StillApplies(command)) continue;
        if (command.message == WM_NOTIFY) command.lParam = reinterpret_cast<LPARAM>(&command.header);
        Run(command.message, command.wParam, command.lParam);
    }
}

bool CDialog::StillApplies(const HeldCommand& command) const {
    // A click counts only on a control that could still be clicked: one the handler before it
    // disabled or hid would not have taken it.
    int id = 0;
    if (command.message == WM_COMMAND && HIWORD(command.wParam) == BN_CLICKED)
        id = LOWORD(command.wParam);
    else if (command.message == WM_NOTIFY)
        id = static_cast<int>(command.header.idFrom);
    if (id == 0 || id == IDOK || id == IDCANCEL) return true;
    const CWnd* control = ControlById(id);
    return control && control->IsWindowEnabled() && control->IsWindowVisible();
}

void CDialog::ShowWindowMenu(int x, int y) {
    // The menu runs a loop of its own; it is not opened in the middle of a handler.
    Dispatch(WM_CONTEXTMENU, static_cast<WPARAM>(x), static_cast<LPARAM>(y));
}

void CDialog::OpenWindowMenu(int x, int y) {
    if (!windowMenu_ || !dialogWidget_) return;
    QMenu menu(dialogWidget_);
    QObject::connect(menu.addAction(StandardCloseText()), &QAction::triggered,
                     [this] { Dispatch(WM_SYSCOMMAND, SC_CLOSE, 0); });
    for (const CMenu::Item& item : windowMenu_->Items()) {
        if (item.flags & MF_SEPARATOR) {
            menu.addSeparator();
            continue;
        }
        const UINT id = item.id;
        QObject::connect(menu.addAction(QString::fromStdWString(item.text)), &QAction::triggered,
                         [this, id] { Dispatch(WM_SYSCOMMAND, id, 0); });
    }
    menu.exec(QPoint(x, y));
}

HICON CDialog::SetDialogIcon(HICON icon, BOOL big) {
    HICON previous = icons_[big ? 1 : 0];
    icons_[big ? 1 : 0] = icon;
    if (dialogWidget_ && icon) {
        QIcon combined;
        for (HICON each : icons_)
            if (each)
                for (const QSize& size : each->icon.availableSizes())
                    combined.addPixmap(each->icon.pixmap(size));
        dialogWidget_->setWindowIcon(combined);
    }
    return previous;
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog();
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDOK) OnOK();
            if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDCANCEL) OnCancel();
            return 0;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_CLOSE) OnCancel();
            return 0;
        case WM_CONTEXTMENU:
            OpenWindowMenu(static_cast<int>(wParam), static_cast<int>(lParam));
            return 0;
        case WM_CLOSE:
            OnCancel();
            return 0;
        case WM_SETICON:
            return reinterpret_cast<LRESULT>(
                SetDialogIcon(reinterpret_cast<HICON>(lParam), wParam == ICON_BIG ? TRUE : FALSE));
        default:
            return CWnd::DefWindowProc(message, wParam, lParam);
    }
}
