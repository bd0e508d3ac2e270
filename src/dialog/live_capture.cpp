// Start and Stop, the frame tick and the limit timer, and the handedness switch.
#include <opencv2/highgui/highgui_c.h>

#include <cstdio>

#include "assist/alignment_assistant.h"
#include "dialog/live_windows.h"
#include "dialog/readouts.h"
#include "dialog/vantrel_dlg.h"
#include "imaging/frame_grabber.h"

namespace {

constexpr UINT kFramePeriodMs = 110;
constexpr UINT kLimitPeriodMs = 900000;
// A plain resizable window whose picture scales with it: OpenCV's Qt windows would otherwise
// add a tool bar and a status bar.
constexpr int kLiveWindowFlags = CV_WINDOW_NORMAL | CV_GUI_NORMAL;

bool HasStartEntries(const CamLinkApi& camLink) {
    return camLink.InitDevice && camLink.GetFeatureValueINT && camLink.SetFeatureValueINT &&
           camLink.StartDevice && camLink.StopDevice;
}

}  // namespace

bool CVantrelDlg::OpenCameras() {
    // A module without the entries a start needs is treated as a device that does not start.
    if (!HasStartEntries(m_camLink)) return false;

    int device;
    if (m_bLeftHanded == 0) {
        m_nSideCam = kSlotRightSide;
        m_nTopCam = kSlotRightTop;
        device = 0;
    } else {
        m_nSideCam = kSlotLeftSide;
        m_nTopCam = kSlotLeftTop;
        device = 1;
    }

    m_camLink.InitDevice();

    // The top camera takes the side camera's exposure and gain, when they could be read: a
    // value that was not read would leave the top camera black (the module converts the units).
    int maxExposure = 0, minExposure = 0, exposure = 0;
    m_camLink.GetFeatureValueINT("MaxExposure", m_nSideCam, &maxExposure);
    m_camLink.GetFeatureValueINT("MinExposure", m_nSideCam, &minExposure);
    const bool exposureRead = m_camLink.GetFeatureValueINT("Exposure", m_nSideCam, &exposure) != 0;
    std::printf("current exposure %d\n", exposure);
    std::fflush(stdout);
    if (exposureRead) m_camLink.SetFeatureValueINT("Exposure", m_nTopCam, exposure);
    SetupSlider(m_sliderExposure, m_checkExposureAuto, minExposure, maxExposure, exposure);

    int maxGain = 0, minGain = 0, gain = 0;
    m_camLink.GetFeatureValueINT("MaxGain", m_nSideCam, &maxGain);
    m_camLink.GetFeatureValueINT("MinGain", m_nSideCam, &minGain);
    if (m_camLink.GetFeatureValueINT("Gain", m_nSideCam, &gain) != 0)
        m_camLink.SetFeatureValueINT("Gain", m_nTopCam, gain);
    SetupSlider(m_sliderGain, m_checkGainAuto, minGain, maxGain, gain);

    if (m_camLink.StartDevice(device) == 0) return false;
    m_bCameraRunning = true;
    return true;
}

void CVantrelDlg::SetupSlider(CSliderCtrl& slider, CButton& autoBox, int minimum, int maximum,
                              int value) {
    slider.SetRange(minimum, maximum, TRUE);
    slider.SendMessage(TBM_SETPOS, TRUE, value);
    autoBox.EnableWindow(FALSE);
}

void CVantrelDlg::StartCamera() {
    if (!OpenCameras()) {
        UpdateAssistant();  // a handedness switch that failed to start changed the pair
        // The reason, where the module gives one, follows on lines of its own.
        std::wstring text = L"Cannot start Camera";
        if (HasStartEntries(m_camLink))
            text += m_cameraStatus.StartFailure(m_camLink, StatusPair(), g_bKoreanUi);
        MessageBox(text.c_str());
        return;
    }

    // MaxExposure, MinExposure, Exposure, MaxGain, MinGain, Gain of the side camera.
    static constexpr const char* kStartFeatures[6] = {"MaxExposure", "MinExposure", "Exposure",
                                                      "MaxGain",     "MinGain",     "Gain"};
    int values[6] = {};
    for (int i = 0; i < 6; ++i) m_camLink.GetFeatureValueINT(kStartFeatures[i], m_nSideCam, &values[i]);
    SetupSlider(m_sliderExposure, m_checkExposureAuto, values[1], values[0], values[2]);
    SetupSlider(m_sliderGain, m_checkGainAuto, values[4], values[3], values[5]);

    const LiveWindowNames names = LiveWindowsFor(m_bLeftHanded);
    cvNamedWindow(names.side, kLiveWindowFlags);
    cvNamedWindow(names.top, kLiveWindowFlags);
    cvResizeWindow(names.side, kFrameWidth, kFrameHeight);
    cvResizeWindow(names.top, kFrameWidth, kFrameHeight);

    SetTimer(ID_TIMER_FRAME, kFramePeriodMs, nullptr);
    SetTimer(ID_TIMER_HEAT, kLimitPeriodMs, nullptr);

    m_btnStart.EnableWindow(FALSE);
    m_btnStop.EnableWindow(TRUE);
    UpdateAssistant();
    const std::wstring notice = m_cameraStatus.AfterStart(m_camLink, StatusPair(), g_bKoreanUi);
    if (!notice.empty()) MessageBox(notice.c_str());
}

CameraStatusPair CVantrelDlg::StatusPair() const {
    return {m_nSideCam, m_nTopCam, m_bLeftHanded != 0};
}

void CVantrelDlg::StopCamera() {
    if (m_bCameraRunning) {
        m_bCameraRunning = false;
        if (m_camLink.StopDevice) m_camLink.StopDevice();
    }
    if (m_pFrame) cvReleaseImage(&m_pFrame);
    KillTimer(ID_TIMER_FRAME);
    KillTimer(ID_TIMER_HEAT);
    m_btnStart.EnableWindow(TRUE);
    m_btnStop.EnableWindow(FALSE);
    UpdateAssistant();
}

bool CVantrelDlg::GrabFrame(CameraSlot slot, int drawOverlays) {
    if (!m_bCameraRunning) return false;
    const bool fromCamera = FetchFrame(m_pFrame, m_camLink, slot);
    if (drawOverlays != 1) return fromCamera;
    // An open assistant takes its copy of the picture before the overlays are drawn into it.
    if (m_pAssistant && m_pAssistant->IsOpen()) m_pAssistant->TakeFrame(slot, m_pFrame);
    DrawOverlays(m_pFrame, {m_bCenterGuide, m_bGridGuide, m_bFocusTool, m_bLeftHanded});
    return fromCamera;
}

void CVantrelDlg::OnTimer(UINT_PTR id) {
    if (id == ID_TIMER_FRAME) {
        const LiveWindowNames names = LiveWindowsFor(m_bLeftHanded);
        const bool sideOpen = IsImageWindowOpen(names.side);
        const bool topOpen = IsImageWindowOpen(names.top);
        const struct {
            bool open;
            const char* name;
            int slot;
        } windows[2] = {{sideOpen, names.side, m_nSideCam}, {topOpen, names.top, m_nTopCam}};
        std::wstring problems;
        for (const auto& window : windows) {
            if (!window.open) continue;
            const bool fromCamera = GrabFrame(window.slot, 1);
            if (m_pFrame) {
                cvShowImage(window.name, m_pFrame);
                cvSetMouseCallback(window.name, OnLiveWindowMouse, m_pFrame);
            }
            if (!fromCamera && m_bCameraRunning) {
                const std::wstring why = m_cameraStatus.WithoutPicture(
                    m_camLink, StatusPair(), window.slot == m_nSideCam, g_bKoreanUi);
                if (!why.empty()) problems += (problems.empty() ? L"" : L"\n") + why;
            }
        }
        RefreshReadouts();
        if (!sideOpen && !topOpen) StopCamera();
        if (!problems.empty()) MessageBox(problems.c_str());
    } else if (id == ID_TIMER_HEAT) {
        StopCamera();
        MessageBox(g_bKoreanUi ? L"발열문제로 카메라를 정지합니다." : L"Camera Stop!! (15min limit).");
    }
    CDialog::OnTimer(id);
}

void CVantrelDlg::RefreshReadouts() {
    ::RefreshReadouts(m_camLink, m_nSideCam, m_nTopCam, g_bKoreanUi,
                      {m_staticSideGain, m_staticSideExposure, m_staticTopGain, m_staticTopExposure,
                       m_staticSideTemp, m_staticTopTemp});
}

void CVantrelDlg::SelectRightHanded() {
    if (!m_bCameraRunning) {
        m_bLeftHanded = 0;
        UpdateAssistant();
        return;
    }
    if (m_bLeftHanded == 0) return;
    DestroyImageWindow("Right-Right");
    DestroyImageWindow("Right-Top");
    StopCamera();
    m_bLeftHanded = 0;
    StartCamera();
}

void CVantrelDlg::SelectLeftHanded() {
    if (!m_bCameraRunning) {
        m_bLeftHanded = 1;
        UpdateAssistant();
        return;
    }
    if (m_bLeftHanded == 1) return;
    DestroyImageWindow("Left-Left");
    DestroyImageWindow("Left-Top");
    StopCamera();
    m_bLeftHanded = 1;
    StartCamera();
}
