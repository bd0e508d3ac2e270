// Loading and releasing the camera-link module.
#include <cstdio>
#include <cstdlib>

#include "camlink/backend_loader.h"
#include "dialog/vantrel_dlg.h"
#include "platform/module_loader.h"

void CVantrelDlg::LoadCameraBackend() {
    m_hCamLinkModule = nullptr;
    const CameraBackend backend = DetectCameraBackend();
    if (backend == CameraBackend::None) {
        MessageBox(NoCameraText(g_bKoreanUi));
        m_camLink = CamLinkApi{};
    } else {
        m_hCamLinkModule = LoadLibraryW(BackendModuleName(backend));
        if (!m_hCamLinkModule) {
            m_camLink = CamLinkApi{};
            MessageBox(BackendLoadFailureText(backend, g_bKoreanUi));
            // The dialog is never shown; a module that cannot be loaded is a failed start.
            std::fflush(stdout);
            std::exit(1);
        }
        m_camLink = ResolveCamLinkApi(m_hCamLinkModule);
        if (backend == CameraBackend::HV) {
            std::printf("last error: %d\n", static_cast<int>(GetLastError()));
            std::fflush(stdout);
        }
    }
    m_nSideCam = 0;
    m_nTopCam = 0;
}

void CVantrelDlg::ReleaseCameraBackend() {
    if (m_bCameraRunning) {
        if (m_camLink.StopDevice) m_camLink.StopDevice();
        m_bCameraRunning = false;
    }
    if (m_hCamLinkModule) {
        if (m_camLink.ReleaseDevice) m_camLink.ReleaseDevice();
        FreeLibrary(m_hCamLinkModule);
        m_hCamLinkModule = nullptr;
        m_camLink = CamLinkApi{};
    }
}
