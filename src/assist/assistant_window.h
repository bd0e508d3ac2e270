// The assistant's window: the two cameras of the current pair side by side, refreshed from the
// newest frame of each at most three times a second.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <array>
#include <deque>
#include <limits>

#include "assist/camera_panel.h"
#include "imaging/alignment.h"

class QLabel;

namespace assist {

class AssistantWindow : public QDialog {
public:
    explicit AssistantWindow(bool korean);
    ~AssistantWindow() override;

    /// Shows the window afresh (best values and plots start over), or raises it when shown.
    void Open();
    void SetLiveState(bool running, int leftHanded);
    /// Keeps a copy of the picture as the slot's newest frame.
    void TakeFrame(CameraSlot slot, const cv::Mat& picture);
    /// Measures the newest frame of each camera of the pair that has one.
    void Refresh();
    long FramesTaken() const { return framesTaken_; }

    static constexpr int kRefreshMs = 334;  // at most three refreshes a second
    /// Refreshes without a new frame after which a running camera shows "no picture".
    static constexpr int kMissedRefreshes = 4;

protected:
    void hideEvent(QHideEvent* event) override;

private:
    // What the window keeps for one camera position.
    struct Position {
        ReferenceKind kind = ReferenceKind::Sample;
        bool prepared = false;
        cv::Mat reference;  // empty when the chosen one could not be read
        AlignmentMeter meter;  // without a reference while none could be read
        QString message;
        cv::Mat frame;
        bool fresh = false;
        int missed = 0;
        std::deque<FocusPlot::Sample> history;
        double best = std::numeric_limits<double>::quiet_NaN();
    };

    /// Seconds since the window was opened.
    double Seconds() const;
    CameraSlot SlotOf(int panel) const;
    void ShowPositions();
    void ChooseReference(int panel, ReferenceKind kind);
    void PrepareReference(CameraSlot slot);
    void RefreshPanel(int panel, double now);
    void ShowIdle(int panel, const QString& reason);
    void RecordSharpness(Position& position, double now, double sharpness);
    void ResetBest();
    void DropFrames();

    const bool korean_;
    QLabel* status_;
    std::array<CameraPanel*, 2> panels_;
    QTimer timer_;
    QElapsedTimer clock_;
    std::array<Position, 4> positions_;
    bool running_ = false;
    int leftHanded_ = 0;
    bool idleShown_ = false;
    long framesTaken_ = 0;
};

}  // namespace assist
