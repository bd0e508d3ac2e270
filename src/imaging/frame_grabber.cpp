// GrabFrame: recreate the working image, fill it from the camera when a frame is ready, and draw
// the overlays that are on.
#include "imaging/frame_grabber.h"

#include <opencv2/highgui/highgui_c.h>
#include <opencv2/imgproc/imgproc_c.h>

#include <cstring>

#include "imaging/focus.h"

namespace {

const CvScalar kBlack = cvScalar(0, 0, 0, 0);

// Copies the slot's newest frame into frame when the module reports one. Returns false, with
// frame untouched, when there is none.
bool CopyReadyFrame(IplImage* frame, const CamLinkApi& camLink, CameraSlot slot) {
    int ready = -1;
    if (camLink.GetFeatureValueINT) camLink.GetFeatureValueINT("FrameGrapped", slot, &ready);
    if (ready != 1 || !camLink.GetBufferPointer) return false;

    const uint8_t* source = camLink.GetBufferPointer(slot);
    if (!source) return false;
    std::memcpy(frame->imageDataOrigin, source, kFrameBytes);
    return true;
}

}  // namespace

bool FetchFrame(IplImage*& frame, const CamLinkApi& camLink, CameraSlot slot) {
    if (frame) cvReleaseImage(&frame);
    frame = cvCreateImage(cvSize(kFrameWidth, kFrameHeight), IPL_DEPTH_8U, 1);
    // The picture is black where no frame is ready. A frame covers every pixel (the image is
    // 640 bytes a row, without padding), so the black fill is only needed without one.
    if (CopyReadyFrame(frame, camLink, slot)) return true;
    cvRectangle(frame, cvPoint(0, 0), cvPoint(kFrameWidth, kFrameHeight), kBlack, CV_FILLED, 8, 0);
    return false;
}

void DrawOverlays(IplImage* frame, const OverlayOptions& overlays) {
    if (overlays.centerGuide) DrawCenterGuide(frame, overlays.leftHanded);
    if (overlays.gridGuide) DrawGrid(frame);
    if (overlays.focusTool) DrawFocusMarker(frame);
}

void GrabFrame(IplImage*& frame, const CamLinkApi& camLink, CameraSlot slot, int drawOverlays,
               const OverlayOptions& overlays) {
    FetchFrame(frame, camLink, slot);
    if (drawOverlays == 1) DrawOverlays(frame, overlays);
}

void OnLiveWindowMouse(int event, int x, int y, int /*flags*/, void* /*userData*/) {
    if (event == CV_EVENT_LBUTTONUP) g_ptFocus = cvPoint(x, y);
}
