#include "assist/alignment_assistant.h"

#include "assist/assistant_window.h"

AlignmentAssistant::AlignmentAssistant(bool korean)
    : window_(std::make_unique<assist::AssistantWindow>(korean)) {}

AlignmentAssistant::~AlignmentAssistant() = default;

void AlignmentAssistant::Attach(QWidget* dialog, const CamLinkApi* camLink) {
    window_->Attach(dialog, camLink);
}

void AlignmentAssistant::Open() {
    window_->Open();
}

bool AlignmentAssistant::IsOpen() const {
    return window_->isVisible();
}

void AlignmentAssistant::SetLiveState(bool running, int leftHanded) {
    window_->SetLiveState(running, leftHanded);
}

void AlignmentAssistant::TakeFrame(CameraSlot slot, const IplImage* frame) {
    if (!frame || frame->width != kFrameWidth || frame->height != kFrameHeight ||
        frame->depth != IPL_DEPTH_8U || frame->nChannels != 1)
        return;
    window_->TakeFrame(slot, cv::Mat(kFrameHeight, kFrameWidth, CV_8UC1, frame->imageData,
                                     static_cast<size_t>(frame->widthStep)));
}

void AlignmentAssistant::Refresh() {
    window_->Refresh();
}

long AlignmentAssistant::FramesTaken() const {
    return window_->FramesTaken();
}
