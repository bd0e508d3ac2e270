// The Alignment Assistant: a window beside the live view that shows how far each camera's
// picture lies from its reference and how sharp it is around the focus point. The dialog opens
// it and hands it the pictures the frame tick fetches; the window is Qt code behind this header.
#pragma once

#include <opencv2/core/core_c.h>

#include <memory>

#include "camlink/camlink_exports.h"

class QWidget;
namespace assist {
class AssistantWindow;
}

class AlignmentAssistant {
public:
    /// korean chooses the language of the window's texts.
    explicit AlignmentAssistant(bool korean);
    ~AlignmentAssistant();
    AlignmentAssistant(const AlignmentAssistant&) = delete;
    AlignmentAssistant& operator=(const AlignmentAssistant&) = delete;

    /// The dialog the window opens beside, and the camera module that describes the cameras
    /// (model, serial, exposure, gain) for the references kept; both outlive the assistant.
    void Attach(QWidget* dialog, const CamLinkApi* camLink);
    /// Shows the window, or raises it when it is open already.
    void Open();
    /// True while the window is shown; closing it (its close box, Close, Escape) ends that.
    bool IsOpen() const;
    /// Whether the cameras run, and which pair: leftHanded 0 is the right-handed pair.
    void SetLiveState(bool running, int leftHanded);
    /// Copies a camera picture (640 x 480, 8-bit, one channel, before the overlays) as the
    /// slot's newest frame. Meant for an open window: the copy is the cost of a frame.
    void TakeFrame(CameraSlot slot, const IplImage* frame);
    /// Measures the newest frames now, as the window's refresh timer does.
    void Refresh();
    /// Frames copied since the window was made.
    long FramesTaken() const;

private:
    std::unique_ptr<assist::AssistantWindow> window_;
};
