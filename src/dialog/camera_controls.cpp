// The gain and exposure sliders and their Auto boxes.
#include "dialog/vantrel_dlg.h"

void CVantrelDlg::ApplyGain(NMHDR*, LRESULT* result) {
    m_nGainPos = static_cast<int>(m_sliderGain.SendMessage(TBM_GETPOS, 0, 0));
    const auto value = static_cast<float>(m_nGainPos);
    if (m_camLink.SetFeatureValueFLOAT) {
        m_camLink.SetFeatureValueFLOAT("Gain", m_nSideCam, value);
        m_camLink.SetFeatureValueFLOAT("Gain", m_nTopCam, value);
    }
    if (result) *result = 0;
}

void CVantrelDlg::ApplyExposure(NMHDR*, LRESULT* result) {
    m_nExposurePos = static_cast<int>(m_sliderExposure.SendMessage(TBM_GETPOS, 0, 0));
    const auto value = static_cast<float>(m_nExposurePos);
    if (m_camLink.SetFeatureValueFLOAT) {
        m_camLink.SetFeatureValueFLOAT("ExposureTime", m_nSideCam, value);
        m_camLink.SetFeatureValueFLOAT("ExposureTime", m_nTopCam, value);
    }
    if (result) *result = 0;
}

void CVantrelDlg::ToggleGainAuto() {
    if (m_checkGainAuto.SendMessage(BM_GETCHECK, 0, 0) == 1) {
        m_bGainAuto = true;
        m_sliderGain.EnableWindow(FALSE);
    } else {
        m_sliderGain.SendMessage(TBM_SETPOS, TRUE, m_nGainPos);
        m_bGainAuto = false;
        m_sliderGain.EnableWindow(TRUE);
    }
}

void CVantrelDlg::ToggleExposureAuto() {
    // Unlike the gain box, this box leaves the slider's enabled state as it is.
    if (m_checkExposureAuto.SendMessage(BM_GETCHECK, 0, 0) == 1) {
        m_bExposureAuto = true;
    } else {
        m_sliderExposure.SendMessage(TBM_SETPOS, TRUE, m_nExposurePos);
        m_bExposureAuto = false;
    }
}
