// The assistant's window: the two cameras of the current pair one above the other, refreshed
// from the newest frame of each at most three times a second.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <array>
#include <deque>
#include <limits>
#include <vector>

#include "assist/camera_panel.h"
#include "assist/reference_pictures.h"
#include "imaging/alignment.h"
#include "measure/reference_store.h"

class QLabel;

namespace assist {

class MessageArea;

class AssistantWindow : public QDialog {
public:
    explicit AssistantWindow(bool korean);
    ~AssistantWindow() override;

    /// The dialog the window opens beside, and the module that describes the cameras; either
    /// may be null.
    void Attach(QWidget* dialog, const CamLinkApi* camLink);
    /// Shows the window afresh (best values and plots start over), or raises it when shown.
    void Open();
    void SetLiveState(bool running, int leftHanded);
    /// Keeps a copy of the picture as the slot's newest frame.
    void TakeFrame(CameraSlot slot, const cv::Mat& picture);
    /// Measures the newest frame of each camera of the pair that has one.
    void Refresh();
    long FramesTaken() const { return framesTaken_; }
    /// Sizes the window to its texts within available (a screen's area for windows) and puts it
    /// where the user left it, else beside the dialog; as Open does.
    void FitAndPlace(const QRect& available);
    /// Wide enough that a verdict and the help take few lines, narrow enough to stand beside
    /// the dialog on a 1366 px wide screen.
    QSize sizeHint() const override;
    static constexpr int kPreferredWidth = 720;

    static constexpr int kRefreshMs = 334;  // at most three refreshes a second
    /// Refreshes without a new frame after which a running camera shows "no picture".
    static constexpr int kMissedRefreshes = 4;

protected:
    void hideEvent(QHideEvent* event) override;

private:
    // The reference of one camera position: what was chosen, what was read, what is offered.
    struct Reference {
        ReferenceChoice choice;
        bool chosenByUser = false;
        bool prepared = false;
        LoadedReference loaded;
        cv::Mat shown;                         // loaded.picture as the panel shows it
        AlignmentMeter meter;                  // without a reference while none could be read
        AlignmentTrack track;                  // where the last measurement against meter ended
        std::vector<ReferenceChoice> offered;  // the entries of the choice, in order
        std::string file;                      // the picture file picked last, offered again
        QString kept;                          // said after Keep as reference
        bool keepFailed = false;
    };
    // The newest picture of a camera and what the window showed of it.
    struct Live {
        cv::Mat frame;
        bool fresh = false;
        int missed = 0;
        std::deque<FocusPlot::Sample> history;
        double best = std::numeric_limits<double>::quiet_NaN();
        AlignmentOffset shown;
        std::string serial;  // the camera's, read once while it runs
        bool serialRead = false;
    };

    /// Seconds since the window was opened.
    double Seconds() const;
    CameraSlot SlotOf(int panel) const;
    void ShowPositions();
    void OfferReferences(int panel);
    void ChooseReference(int panel, int index);
    void PickFile(int panel);
    void PrepareReference(CameraSlot slot);
    void ReloadChangedFiles();
    void ShowMessage(int panel);
    void KeepReference(int panel);
    void RefreshPanel(int panel, double now);
    void ShowIdle(int panel, const QString& reason);
    void ShowLarge(int panel, const cv::Mat& live);
    void RecordSharpness(Live& live, double now, double sharpness);
    void ResetBest();
    void DropFrames();
    static cv::Size PictureSize();
    QRect Available() const;
    /// Sizes the window to its texts, at most most pixels tall.
    void FitHeight(int most);
    int NeededHeight();
    /// Fits the shown window to new texts, on the screen.
    void Refit();

    const bool korean_;
    measure::ReferenceStore store_;
    QWidget* dialog_ = nullptr;
    const CamLinkApi* camLink_ = nullptr;
    QLabel* status_;
    MessageArea* howTo_;
    std::array<CameraPanel*, 2> panels_;
    QLabel* large_ = nullptr;  // one camera's picture at full size, on a double click
    int largePanel_ = 0;
    QTimer timer_;
    QElapsedTimer clock_;
    std::array<Reference, 4> references_;
    std::array<Live, 4> live_;
    bool running_ = false;
    int leftHanded_ = 0;
    bool idleShown_ = false;
    bool placed_ = false;
    long framesTaken_ = 0;
};

}  // namespace assist
