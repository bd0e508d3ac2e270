// The Qt side of a dialog: the top-level widget, its controls' signals and its timers turned into
// messages for the CDialog that owns it. Private to the platform layer.
#pragma once

#include <QDialog>
#include <QEventLoop>
#include <QFont>
#include <QTimer>
#include <map>

class CDialog;

namespace platform {

class DialogWidget : public QDialog {
public:
    DialogWidget(CDialog& owner, QWidget* parent);
    ~DialogWidget() override;

    /// Arms timer id with period ms, restarting it when armed already.
    void SetTimer(uintptr_t id, int ms);
    bool KillTimer(uintptr_t id);
    int TimerPeriod(uintptr_t id) const;

    /// Runs a local loop until Quit, without blocking other top-level windows.
    void RunLoop();
    void QuitLoop();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    CDialog& owner_;
    std::map<uintptr_t, QTimer*> timers_;
    QEventLoop* loop_ = nullptr;
};

/// Average character width and height of a font, as dialog-unit conversion uses them.
struct BaseUnits {
    int x;
    int y;
};
BaseUnits DialogBaseUnits(const QFont& font);

}  // namespace platform
