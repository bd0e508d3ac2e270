#include "platform/dialog_widget.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QShortcut>

#include "platform/dialog.h"

namespace platform {

DialogWidget::DialogWidget(CDialog& owner, QWidget* parent) : QDialog(parent), owner_(owner) {
    setSizeGripEnabled(false);
    // Alt+Space opens the window menu wherever the focus is, before a focused button sees Space.
    auto* menuKey = new QShortcut(QKeySequence(QStringLiteral("Alt+Space")), this);
    QObject::connect(menuKey, &QShortcut::activated, [this] {
        const QPoint origin = mapToGlobal(QPoint(0, 0));
        owner_.ShowWindowMenu(origin.x(), origin.y());
    });
}

DialogWidget::~DialogWidget() {
    for (auto& [id, timer] : timers_) delete timer;
}

void DialogWidget::SetTimer(uintptr_t id, int ms) {
    QTimer*& timer = timers_[id];
    if (!timer) {
        timer = new QTimer();
        timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer, &QTimer::timeout,
                         [this, id] { owner_.Dispatch(WM_TIMER, static_cast<WPARAM>(id), 0); });
    }
    timer->start(ms);
}

bool DialogWidget::KillTimer(uintptr_t id) {
    auto found = timers_.find(id);
    if (found == timers_.end()) return false;
    // The timer may be the one whose timeout is being handled right now.
    found->second->stop();
    found->second->deleteLater();
    timers_.erase(found);
    return true;
}

int DialogWidget::TimerPeriod(uintptr_t id) const {
    auto found = timers_.find(id);
    return found == timers_.end() ? -1 : found->second->interval();
}

void DialogWidget::RunLoop() {
    QEventLoop loop;
    loop_ = &loop;
    loop.exec(QEventLoop::DialogExec);
    loop_ = nullptr;
}

void DialogWidget::QuitLoop() {
    if (loop_) loop_->exit(0);
}

void DialogWidget::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            owner_.Dispatch(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // A focused push button takes Enter itself; anywhere else Enter is OK.
            owner_.Dispatch(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            return;
        default:
            break;
    }
    QWidget::keyPressEvent(event);
}

void DialogWidget::contextMenuEvent(QContextMenuEvent* event) {
    owner_.ShowWindowMenu(event->globalPos().x(), event->globalPos().y());
}

void DialogWidget::closeEvent(QCloseEvent* event) {
    // The close box is a window-menu command; the handler decides whether the dialog ends.
    event->ignore();
    owner_.Dispatch(WM_SYSCOMMAND, SC_CLOSE, 0);
}

void DialogWidget::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    owner_.Dispatch(WM_PAINT, 0, 0);
}

BaseUnits DialogBaseUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int width =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(width / 26 + 1) / 2, metrics.height()};
}

}  // namespace platform
