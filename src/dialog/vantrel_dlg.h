// CVantrelDlg: the main dialog. Its members are the controls, the state flags and the
// camera-link table; its handlers run live capture, the controls and the still pictures.
#pragma once

#include <opencv2/core/core_c.h>

#include <memory>

#include "camlink/camlink_exports.h"
#include "dialog/camera_status.h"
#include "platform/dialog.h"

class AlignmentAssistant;

class CVantrelDlg : public CDialog {
public:
    static constexpr UINT_PTR ID_TIMER_FRAME = 1001;
    static constexpr UINT_PTR ID_TIMER_HEAT = 1002;

    explicit CVantrelDlg(CWnd* parent = nullptr);
    ~CVantrelDlg() override;

    // Live capture.
    void StartCamera();
    bool OpenCameras();
    void StopCamera();
    void SelectRightHanded();
    void SelectLeftHanded();
    void OnTimer(UINT_PTR id) override;

    // Gain and exposure.
    void ApplyGain(NMHDR* header, LRESULT* result);
    void ApplyExposure(NMHDR* header, LRESULT* result);
    void ToggleGainAuto();
    void ToggleExposureAuto();

    // Still pictures.
    void SaveImages();
    void ShowSamples();

    // Frames.
    /// True when the picture came from the camera, false for the black no-frame fill or while
    /// the cameras do not run.
    bool GrabFrame(CameraSlot slot, int drawOverlays);

    // Camera backend.
    void LoadCameraBackend();
    void ReleaseCameraBackend();

    // The Alignment Assistant, from the window menu: opens its window, or raises it.
    void OpenAssistant();

    // Read-only views of the state, for tests and diagnostics.
    bool IsCameraRunning() const { return m_bCameraRunning; }
    bool IsLeftHanded() const { return m_bLeftHanded != 0; }
    const IplImage* Frame() const { return m_pFrame; }
    const CamLinkApi& CamLink() const { return m_camLink; }
    HMODULE CamLinkModule() const { return m_hCamLinkModule; }
    HMODULE LangPack() const { return m_hLangPack; }
    int SideCam() const { return m_nSideCam; }
    int TopCam() const { return m_nTopCam; }
    int GainPos() const { return m_nGainPos; }
    int ExposurePos() const { return m_nExposurePos; }
    bool GainAuto() const { return m_bGainAuto; }
    bool ExposureAuto() const { return m_bExposureAuto; }
    bool CenterGuide() const { return m_bCenterGuide; }
    bool GridGuide() const { return m_bGridGuide; }
    bool FocusTool() const { return m_bFocusTool; }
    /// Null until the assistant is first opened.
    AlignmentAssistant* Assistant() const { return m_pAssistant.get(); }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnSysCommand(UINT id, LPARAM lParam) override;
    void OnPaint() override;
    HCURSOR OnQueryDragIcon();
    void OnDestroy() override;
    void OnCenterGuideClicked();
    void OnGridGuideClicked();
    void OnFocusToolClicked();
    void OnSilentGrapClicked();

    DECLARE_MESSAGE_MAP()

private:
    void SetupSlider(CSliderCtrl& slider, CButton& autoBox, int minimum, int maximum, int value);
    void RefreshReadouts();
    bool IsLiveWindowOpen(const char* name);
    /// Tells an assistant that exists whether the cameras run and which pair.
    void UpdateAssistant();
    CameraStatusPair StatusPair() const;

    HMODULE m_hLangPack = nullptr;
    HICON m_hIcon = nullptr;
    IplImage* m_pFrame = nullptr;
    bool m_bCameraRunning = false;
    int m_nGainPos = 0;
    bool m_bGainAuto = false;
    int m_nExposurePos = 0;
    bool m_bExposureAuto = false;
    bool m_bCenterGuide = true;
    bool m_bGridGuide = false;
    bool m_bFocusTool = false;
    int m_bLeftHanded = 0;
    CSliderCtrl m_sliderExposure;
    CButton m_checkExposureAuto;
    CSliderCtrl m_sliderGain;
    CButton m_checkGainAuto;
    CButton m_btnStart;
    CButton m_btnStop;
    CButton m_checkCenterGuide;
    CButton m_checkGridGuide;
    CButton m_checkFocusTool;
    CStatic m_staticSideTemp;
    CStatic m_staticTopTemp;
    CamLinkApi m_camLink;
    HMODULE m_hCamLinkModule = nullptr;
    int m_nSideCam = 0;
    int m_nTopCam = 0;
    CStatic m_staticSideGain;
    CStatic m_staticSideExposure;
    CStatic m_staticTopGain;
    CStatic m_staticTopExposure;
    // The Alignment Assistant's window, made when it is first opened.
    std::unique_ptr<AlignmentAssistant> m_pAssistant;
    // What the modules say about cameras that give no picture, or not the whole one.
    CameraStatus m_cameraStatus;
};

/// True when the texts that code produces are Korean.
extern bool g_bKoreanUi;
