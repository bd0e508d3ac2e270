#include "assist/assistant_window.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

#include "assist/camera_facts.h"
#include "assist/message_area.h"
#include "assist/readings.h"
#include "assist/window_placement.h"
#include "imaging/focus.h"

namespace assist {
namespace {

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

// A view of rgb; QPixmap::fromImage copies it.
// A copy: a QImage over the picture's memory would outlive it in a pixmap made from it.
QImage ToImage(const cv::Mat& bgrx) {
    return QImage(bgrx.data, bgrx.cols, bgrx.rows, static_cast<int>(bgrx.step),
                  QImage::Format_RGB32)
        .copy();
}

cv::Point FocusPoint() {
    // The focus point is the one of the live windows; it is read, never set, here.
    return {g_ptFocus.x, g_ptFocus.y};
}

}  // namespace

AssistantWindow::AssistantWindow(bool korean)
    : korean_(korean), store_(measure::ReferenceStore::DefaultFolder()) {
    const Texts& texts = TextsFor(korean);
    setWindowTitle(Tr(texts.title));
    setObjectName(QStringLiteral("AlignmentAssistant"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setSpacing(3);
    // The status on the left and the window's buttons on the right share the top line.
    auto* top = new QHBoxLayout;
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status"));
    status_->setWordWrap(true);
    QFont bold = status_->font();
    bold.setBold(true);
    status_->setFont(bold);
    auto* reset = new QPushButton(Tr(texts.resetBest), this);
    auto* close = new QPushButton(Tr(texts.close), this);
    reset->setObjectName(QStringLiteral("resetBest"));
    close->setObjectName(QStringLiteral("close"));
    for (QPushButton* button : {reset, close}) button->setAutoDefault(false);
    top->addWidget(status_, 1);
    top->addWidget(reset);
    top->addWidget(close);
    layout->addLayout(top);
    connect(reset, &QPushButton::clicked, this, [this] { ResetBest(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    const QString names[2] = {QStringLiteral("side"), QStringLiteral("top")};
    for (int panel = 0; panel < 2; ++panel) {
        panels_[panel] = new CameraPanel(korean, names[panel], this);
        panels_[panel]->onReferenceChosen = [this, panel](int index) {
            ChooseReference(panel, index);
        };
        panels_[panel]->onKeep = [this, panel] { KeepReference(panel); };
        panels_[panel]->onEnlarge = [this, panel] { ShowLarge(panel, live_[SlotOf(panel)].frame); };
        layout->addWidget(panels_[panel]);
    }

    auto* howTo = new QLabel(Tr(texts.howTo), this);
    howTo->setObjectName(QStringLiteral("howTo"));
    howTo->setWordWrap(true);
    howTo_ = new MessageArea(howTo, this);
    layout->addWidget(howTo_);

    setTabOrder(panels_[0]->ReferenceBox(), panels_[0]->KeepButton());
    setTabOrder(panels_[0]->KeepButton(), panels_[1]->ReferenceBox());
    setTabOrder(panels_[1]->ReferenceBox(), panels_[1]->KeepButton());
    setTabOrder(panels_[1]->KeepButton(), reset);
    setTabOrder(reset, close);

    timer_.setInterval(kRefreshMs);
    connect(&timer_, &QTimer::timeout, this, [this] { Refresh(); });
}

AssistantWindow::~AssistantWindow() {
    if (isVisible()) SavePlace(pos());
}

QSize AssistantWindow::sizeHint() const {
    return QDialog::sizeHint().expandedTo(QSize(kPreferredWidth, 0));
}

void AssistantWindow::Attach(QWidget* dialog, const CamLinkApi* camLink) {
    dialog_ = dialog;
    camLink_ = camLink;
}

void AssistantWindow::Open() {
    if (!isVisible()) {
        for (Live& live : live_) {
            live.history.clear();
            live.best = kNoValue;
            live.missed = 0;
        }
        clock_.start();
        idleShown_ = false;
        // References are read and prepared only for a window that shows them.
        ShowPositions();
        Refresh();  // the texts first, so that the window takes the size they need
        FitAndPlace(Available());
        show();
        // The first control in reading order, rather than Close.
        panels_[0]->ReferenceBox()->setFocus();
        timer_.start();
    }
    raise();
    activateWindow();
}

QRect AssistantWindow::Available() const {
    const QScreen* where = dialog_ && dialog_->isVisible() ? dialog_->screen() : screen();
    return where->availableGeometry();
}

// Where the user left it, else beside the dialog, never over its buttons.
void AssistantWindow::FitAndPlace(const QRect& available) {
    resize(sizeHint().width(), height());
    const int margin = FrameSize(*this, dialog_).height() - height();
    FitHeight(available.height() - margin);
    const QSize frame = FrameSize(*this, dialog_);
    if (const std::optional<QPoint> saved = SavedPlace(frame)) {
        move(*saved);
        return;
    }
    if (!dialog_ || !dialog_->isVisible()) return;
    std::vector<QRect> buttons;
    const QPoint corner = dialog_->frameGeometry().topLeft();
    for (const QAbstractButton* button : dialog_->findChildren<QAbstractButton*>())
        if (button->isVisible())
            buttons.emplace_back(button->mapToGlobal(QPoint(0, 0)) - corner, button->size());
    Arrangement arranged = ArrangeBeside(dialog_->frameGeometry(), buttons, frame, available);
    if (!arranged.besideDialog && frame.height() > arranged.room) {
        // Below the dialog's buttons where the texts fit there, else as tall as they need.
        FitHeight(arranged.room - margin);
        if (NeededHeight() > arranged.room - margin) FitHeight(available.height() - margin);
        arranged =
            ArrangeBeside(dialog_->frameGeometry(), buttons, FrameSize(*this, dialog_), available);
    }
    if (arranged.dialog) dialog_->move(*arranged.dialog);
    move(arranged.window);
}

void AssistantWindow::FitHeight(int most) {
    // Wrapped texts need more height at the window's width than the layout's plain minimum;
    // without this they would be squeezed over each other. Where the screen is too short, the
    // reference messages and the help give up what is missing, down to a line or two, and scroll.
    std::vector<MessageArea*> texts;
    for (CameraPanel* panel : panels_)
        if (panel->Message()->isVisibleTo(this)) texts.push_back(panel->Message());
    texts.push_back(howTo_);
    for (MessageArea* text : texts) text->SetLimit(0);
    int needed = NeededHeight();
    const int line = fontMetrics().lineSpacing();
    const auto least = [&](const MessageArea* text) { return text == howTo_ ? 2 * line : line; };
    for (int round = 0; round < 3 && needed > most; ++round) {
        std::vector<MessageArea*> giving;
        for (MessageArea* text : texts)
            if (text->heightForWidth(text->width()) > least(text)) giving.push_back(text);
        if (giving.empty()) break;
        const int count = static_cast<int>(giving.size());
        const int each = (needed - most + count - 1) / count;
        for (MessageArea* text : giving)
            text->SetLimit(std::max(least(text), text->heightForWidth(text->width()) - each));
        needed = NeededHeight();
    }
    const int height = std::min(needed, std::max(most, 0));
    setMinimumHeight(height);
    resize(width(), std::clamp(this->height(), height, std::max(height, most)));
}

void AssistantWindow::Refit() {
    const QRect available = Available();
    FitHeight(available.height() - (FrameSize(*this, dialog_).height() - height()));
    const QRect frame = frameGeometry();
    if (frame.bottom() > available.bottom())
        move(x(), std::max(available.top(), available.bottom() + 1 - frame.height()));
}

int AssistantWindow::NeededHeight() {
    for (CameraPanel* panel : panels_) {
        panel->layout()->invalidate();
        panel->updateGeometry();
    }
    layout()->invalidate();
    return layout()->totalHeightForWidth(width());
}

void AssistantWindow::SetLiveState(bool running, int leftHanded) {
    const bool pairChanged = (leftHanded != 0) != (leftHanded_ != 0);
    running_ = running;
    leftHanded_ = leftHanded;
    idleShown_ = false;
    for (Live& live : live_) {
        live.missed = 0;
        live.serialRead = false;  // a camera may have been replaced while stopped
    }
    if (pairChanged && isVisible()) ShowPositions();
    if (!running) DropFrames();
}

void AssistantWindow::TakeFrame(CameraSlot slot, const cv::Mat& picture) {
    if (slot < 0 || slot > 3) return;
    picture.copyTo(live_[slot].frame);
    live_[slot].fresh = true;
    ++framesTaken_;
}

cv::Size AssistantWindow::PictureSize() {
    return {CameraPanel::kPictureSize.width(), CameraPanel::kPictureSize.height()};
}

double AssistantWindow::Seconds() const {
    return clock_.isValid() ? clock_.elapsed() / 1000.0 : 0.0;
}

CameraSlot AssistantWindow::SlotOf(int panel) const {
    if (leftHanded_ == 0) return panel == 0 ? kSlotRightSide : kSlotRightTop;
    return panel == 0 ? kSlotLeftSide : kSlotLeftTop;
}

void AssistantWindow::Refresh() {
    const Texts& texts = TextsFor(korean_);
    status_->setText(Tr(running_ ? texts.running : texts.notRunning));
    ReloadChangedFiles();
    for (int panel = 0; panel < 2; ++panel)
        panels_[panel]->SetKeepEnabled(running_ && !live_[SlotOf(panel)].frame.empty());
    const double now = Seconds();
    if (!running_) {
        if (idleShown_) return;
        for (int panel = 0; panel < 2; ++panel) ShowIdle(panel, {});  // the status line says why
        idleShown_ = true;
        return;
    }
    for (int panel = 0; panel < 2; ++panel) RefreshPanel(panel, now);
}

void AssistantWindow::RefreshPanel(int panel, double now) {
    const CameraSlot slot = SlotOf(panel);
    Live& live = live_[slot];
    if (!live.fresh) {
        if (++live.missed == kMissedRefreshes) ShowIdle(panel, Tr(TextsFor(korean_).noPicture));
        return;
    }
    live.fresh = false;
    live.missed = 0;
    if (!live.serialRead) {
        live.serial = ReadSerial(camLink_, slot);
        live.serialRead = true;
        ShowMessage(panel);
    }

    Reference& reference = references_[slot];
    CameraReading reading = ReadCamera(live.frame, reference.meter, &reference.track, FocusPoint());
    live.shown = ShownOffset(reading.offset, live.shown);
    reading.offset = live.shown;
    RecordSharpness(live, now, reading.sharpness);
    const cv::Mat picture =
        OverlayPicture(live.frame, reference.shown, PictureSize(), FocusPoint());
    panels_[panel]->ShowReading(reading, !reference.loaded.picture.empty(), ToImage(picture));
    panels_[panel]->ShowFocusHistory(live.history, live.best, now);
    if (large_ && large_->isVisible() && largePanel_ == panel) ShowLarge(panel, live.frame);
}

void AssistantWindow::ShowIdle(int panel, const QString& reason) {
    const CameraSlot slot = SlotOf(panel);
    live_[slot].shown = AlignmentOffset();
    const cv::Mat picture =
        OverlayPicture({}, references_[slot].shown, PictureSize(), FocusPoint());
    panels_[panel]->ShowWithout(reason, ToImage(picture));
    panels_[panel]->ShowFocusHistory(live_[slot].history, live_[slot].best, Seconds());
    if (large_ && large_->isVisible() && largePanel_ == panel) ShowLarge(panel, {});
}

void AssistantWindow::ShowLarge(int panel, const cv::Mat& live) {
    if (!large_) {
        large_ = new QLabel(this, Qt::Window);
        large_->setObjectName(QStringLiteral("large"));
        large_->setFixedSize(kFrameWidth, kFrameHeight);
    }
    const bool opening = !large_->isVisible() || largePanel_ != panel;
    largePanel_ = panel;
    const cv::Size size(kFrameWidth, kFrameHeight);
    const cv::Mat& reference = references_[SlotOf(panel)].loaded.picture;
    const cv::Mat picture = OverlayPicture(
        live, reference.empty() ? cv::Mat() : ShownPicture(reference, size), size, FocusPoint());
    large_->setPixmap(QPixmap::fromImage(ToImage(picture)));
    if (opening) {
        large_->setWindowTitle(Tr(TextsFor(korean_).largeTitle).arg(panels_[panel]->Title()));
        if (!large_->isVisible())  // beside this window, as this one is beside the dialog
            large_->move(PlaceBeside(frameGeometry(), FrameSize(*large_, this),
                                     screen()->availableGeometry()));
        large_->show();
        large_->raise();
    }
}

void AssistantWindow::RecordSharpness(Live& live, double now, double sharpness) {
    live.history.push_back({now, sharpness});
    while (!live.history.empty() && now - live.history.front().seconds > FocusPlot::kSpanSeconds)
        live.history.pop_front();
    if (std::isfinite(sharpness) && (std::isnan(live.best) || sharpness > live.best))
        live.best = sharpness;
}

void AssistantWindow::ResetBest() {
    for (Live& live : live_) live.best = kNoValue;
    for (int panel = 0; panel < 2; ++panel) {
        const Live& live = live_[SlotOf(panel)];
        panels_[panel]->ShowFocusHistory(live.history, live.best, Seconds());
    }
}

void AssistantWindow::DropFrames() {
    for (Live& live : live_) {
        live.frame.release();
        live.fresh = false;
        live.shown = AlignmentOffset();
    }
}

void AssistantWindow::hideEvent(QHideEvent* event) {
    // A minimised window is still open; only a real close stops the work.
    if (!event->spontaneous()) {
        SavePlace(pos());
        timer_.stop();
        DropFrames();
        if (large_) large_->hide();
    }
    QDialog::hideEvent(event);
}

}  // namespace assist
