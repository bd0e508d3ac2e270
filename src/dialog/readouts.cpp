#include "dialog/readouts.h"

#include <cmath>
#include <limits>

namespace {

// The exposure read-out shows whole units, truncated toward zero. A value outside the range of
// an int is shown at the end of the range rather than converted out of range.
int TruncateToInt(float value) {
    if (value >= static_cast<float>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (value <= static_cast<float>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

}  // namespace

void RefreshReadouts(const CamLinkApi& camLink, CameraSlot sideCam, CameraSlot topCam, bool korean,
                     const ReadoutControls& controls) {
    const auto read = camLink.GetFeatureValueFLOAT;
    auto readFloat = [read](const char* name, int slot, float* value) {
        return read && read(name, slot, value) != 0;
    };
    CString text;
    float value = 0.0f;
    auto show = [&](CStatic& label, const char* feature, int slot, bool asInteger) {
        if (readFloat(feature, slot, &value) && !std::isnan(value)) {
            if (asInteger)
                text.Format(L"%d", TruncateToInt(value));
            else
                text.Format(L"%.1f", static_cast<double>(value));
        } else {
            text = L"-";
        }
        label.SetWindowText(text);
    };
    show(controls.sideGain, "Gain", sideCam, false);
    show(controls.sideExposure, "ExposureTime", sideCam, true);
    show(controls.topGain, "Gain", topCam, false);
    show(controls.topExposure, "ExposureTime", topCam, true);

    float temperature = -1.0f;
    auto showTemperature = [&](CStatic& label, int slot, const wchar_t* koreanText,
                               const wchar_t* englishText, const wchar_t* koreanNone,
                               const wchar_t* englishNone) {
        if (readFloat("Temperature", slot, &temperature) && !std::isnan(temperature))
            text.Format(korean ? koreanText : englishText, static_cast<double>(temperature));
        else
            text = korean ? koreanNone : englishNone;
        label.SetWindowText(text);
    };
    showTemperature(controls.sideTemperature, sideCam, L"Side 온도 : %.3f",
                    L"Side Temperature : %.3f", L"Side 온도 : -", L"Side Temperature : -");
    showTemperature(controls.topTemperature, topCam, L"Top 온도 : %.3f", L"Top Temperature : %.3f",
                    L"Top 온도 : -", L"Top Temperature : -");
}
