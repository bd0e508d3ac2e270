#include "assist/camera_facts.h"

#include <cmath>

namespace assist {
namespace {

std::string ReadText(const CamLinkApi* camLink, const char* name, CameraSlot slot) {
    if (!camLink || !camLink->GetFeatureValueSTR) return {};
    char text[256] = {};
    // A read that fails leaves the buffer as it was; what modules return differs.
    camLink->GetFeatureValueSTR(name, slot, text, sizeof text);
    text[sizeof text - 1] = '\0';
    return text;
}

double ReadFigure(const CamLinkApi* camLink, const char* name, CameraSlot slot) {
    float value = std::nanf("");
    if (camLink && camLink->GetFeatureValueFLOAT) camLink->GetFeatureValueFLOAT(name, slot, &value);
    return value;
}

}  // namespace

CameraFacts ReadCameraFacts(const CamLinkApi* camLink, CameraSlot slot) {
    return {ReadText(camLink, "DeviceModelName", slot), ReadSerial(camLink, slot),
            ReadFigure(camLink, "ExposureTime", slot), ReadFigure(camLink, "Gain", slot)};
}

std::string ReadSerial(const CamLinkApi* camLink, CameraSlot slot) {
    return ReadText(camLink, "DeviceSerialNumber", slot);
}

}  // namespace assist
