#include "assist/assistant_window.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

#include "imaging/focus.h"

namespace assist {
namespace {

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

// A view of rgb; QPixmap::fromImage copies it.
QImage ToImage(const cv::Mat& rgb) {
    return QImage(rgb.data, rgb.cols, rgb.rows, static_cast<int>(rgb.step), QImage::Format_RGB888);
}

}  // namespace

AssistantWindow::AssistantWindow(bool korean) : korean_(korean) {
    const Texts& texts = TextsFor(korean);
    setWindowTitle(Tr(texts.title));
    setObjectName(QStringLiteral("AlignmentAssistant"));

    auto* layout = new QVBoxLayout(this);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status"));
    QFont bold = status_->font();
    bold.setBold(true);
    status_->setFont(bold);
    layout->addWidget(status_);

    const QString names[2] = {QStringLiteral("side"), QStringLiteral("top")};
    for (int panel = 0; panel < 2; ++panel) {
        panels_[panel] = new CameraPanel(korean, names[panel], this);
        panels_[panel]->onReferenceChosen = [this, panel](ReferenceKind kind) {
            ChooseReference(panel, kind);
        };
        layout->addWidget(panels_[panel]);
    }

    auto* howTo = new QLabel(Tr(texts.howTo), this);
    howTo->setWordWrap(true);
    layout->addWidget(howTo);

    auto* buttons = new QHBoxLayout;
    auto* reset = new QPushButton(Tr(texts.resetBest), this);
    auto* close = new QPushButton(Tr(texts.close), this);
    reset->setObjectName(QStringLiteral("resetBest"));
    for (QPushButton* button : {reset, close}) button->setAutoDefault(false);
    buttons->addWidget(reset);
    buttons->addStretch(1);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(reset, &QPushButton::clicked, this, [this] { ResetBest(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(panels_[0]->ReferenceBox(), panels_[1]->ReferenceBox());
    setTabOrder(panels_[1]->ReferenceBox(), reset);
    setTabOrder(reset, close);

    timer_.setInterval(kRefreshMs);
    connect(&timer_, &QTimer::timeout, this, [this] { Refresh(); });
}

AssistantWindow::~AssistantWindow() = default;

void AssistantWindow::Open() {
    if (!isVisible()) {
        for (Position& position : positions_) {
            position.history.clear();
            position.best = kNoValue;
            position.missed = 0;
        }
        clock_.start();
        idleShown_ = false;
        // References are read and prepared only for a window that shows them.
        ShowPositions();
        Refresh();  // the texts first, so that the window takes the size they need
        // The wrapped help text needs more height at the width the window gets than the
        // layout's plain minimum; without this the pictures would be squeezed.
        adjustSize();
        setMinimumHeight(layout()->totalHeightForWidth(width()));
        show();
        timer_.start();
    }
    raise();
    activateWindow();
}

void AssistantWindow::SetLiveState(bool running, int leftHanded) {
    const bool pairChanged = (leftHanded != 0) != (leftHanded_ != 0);
    running_ = running;
    leftHanded_ = leftHanded;
    idleShown_ = false;
    for (Position& position : positions_) position.missed = 0;
    if (pairChanged && isVisible()) ShowPositions();
    if (!running) DropFrames();
}

void AssistantWindow::TakeFrame(CameraSlot slot, const cv::Mat& picture) {
    if (slot < 0 || slot > 3) return;
    picture.copyTo(positions_[slot].frame);
    positions_[slot].fresh = true;
    ++framesTaken_;
}

double AssistantWindow::Seconds() const {
    return clock_.isValid() ? clock_.elapsed() / 1000.0 : 0.0;
}

CameraSlot AssistantWindow::SlotOf(int panel) const {
    if (leftHanded_ == 0) return panel == 0 ? kSlotRightSide : kSlotRightTop;
    return panel == 0 ? kSlotLeftSide : kSlotLeftTop;
}

void AssistantWindow::ShowPositions() {
    for (int panel = 0; panel < 2; ++panel) {
        const CameraSlot slot = SlotOf(panel);
        PrepareReference(slot);
        panels_[panel]->SetPosition(slot, positions_[slot].kind);
        panels_[panel]->SetReferenceMessage(positions_[slot].message);
    }
}

void AssistantWindow::ChooseReference(int panel, ReferenceKind kind) {
    const CameraSlot slot = SlotOf(panel);
    positions_[slot].kind = kind;
    positions_[slot].prepared = false;  // picking the snapshot again reads the file again
    PrepareReference(slot);
    panels_[panel]->SetReferenceMessage(positions_[slot].message);
    idleShown_ = false;
    if (!running_) Refresh();
}

void AssistantWindow::PrepareReference(CameraSlot slot) {
    Position& position = positions_[slot];
    if (position.prepared) return;
    position.prepared = true;
    position.message.clear();
    if (position.kind == ReferenceKind::Sample) {
        position.reference = SampleReference(slot);
    } else {
        LoadedReference loaded = LoadSnapshotReference(slot, korean_);
        position.reference = loaded.picture;
        position.message = loaded.error;
    }
    position.meter = AlignmentMeter();
    if (!position.reference.empty()) position.meter.SetReference(position.reference);
}

void AssistantWindow::Refresh() {
    const Texts& texts = TextsFor(korean_);
    status_->setText(Tr(running_ ? texts.running : texts.notRunning));
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
    Position& position = positions_[slot];
    if (!position.fresh) {
        if (++position.missed == kMissedRefreshes) ShowIdle(panel, Tr(TextsFor(korean_).noPicture));
        return;
    }
    position.fresh = false;
    position.missed = 0;

    // The focus point is the one of the live windows; it is read, never set, here.
    const cv::Point focus(g_ptFocus.x, g_ptFocus.y);
    const CameraReading reading = ReadCamera(position.frame, position.meter, focus);
    RecordSharpness(position, now, reading.sharpness);
    const cv::Mat picture =
        OverlayPicture(position.frame, position.reference,
                       cv::Size(CameraPanel::kPictureWidth, CameraPanel::kPictureHeight), focus);
    panels_[panel]->ShowReading(reading, !position.reference.empty(), ToImage(picture));
    panels_[panel]->ShowFocusHistory(position.history, position.best, now);
}

void AssistantWindow::ShowIdle(int panel, const QString& reason) {
    const CameraSlot slot = SlotOf(panel);
    const Position& position = positions_[slot];
    const cv::Point focus(g_ptFocus.x, g_ptFocus.y);
    const cv::Mat picture =
        OverlayPicture({}, position.reference,
                       cv::Size(CameraPanel::kPictureWidth, CameraPanel::kPictureHeight), focus);
    panels_[panel]->ShowWithout(reason, ToImage(picture));
    panels_[panel]->ShowFocusHistory(position.history, position.best, Seconds());
}

void AssistantWindow::RecordSharpness(Position& position, double now, double sharpness) {
    position.history.push_back({now, sharpness});
    while (!position.history.empty() &&
           now - position.history.front().seconds > FocusPlot::kSpanSeconds)
        position.history.pop_front();
    if (std::isfinite(sharpness) && (std::isnan(position.best) || sharpness > position.best))
        position.best = sharpness;
}

void AssistantWindow::ResetBest() {
    for (Position& position : positions_) position.best = kNoValue;
    for (int panel = 0; panel < 2; ++panel) {
        const Position& position = positions_[SlotOf(panel)];
        panels_[panel]->ShowFocusHistory(position.history, position.best, Seconds());
    }
}

void AssistantWindow::DropFrames() {
    for (Position& position : positions_) {
        position.frame.release();
        position.fresh = false;
    }
}

void AssistantWindow::hideEvent(QHideEvent* event) {
    // A minimised window is still open; only a real close stops the work.
    if (!event->spontaneous()) {
        timer_.stop();
        DropFrames();
    }
    QDialog::hideEvent(event);
}

}  // namespace assist
