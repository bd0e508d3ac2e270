// What the camera module says about a camera, for the record kept with a reference: its model,
// its serial number, its exposure and gain. Read only when asked, never in the frame tick.
#pragma once

#include <string>

#include "camlink/camlink_exports.h"

namespace assist {

struct CameraFacts {
    std::string model;   // GenICam DeviceModelName, "" when the module does not say
    std::string serial;  // GenICam DeviceSerialNumber, "" when the module does not say
    double exposure;     // NaN when unknown
    double gain;         // NaN when unknown
};

/// Asks the module; camLink may be null or without the reads (no module loaded).
CameraFacts ReadCameraFacts(const CamLinkApi* camLink, CameraSlot slot);
/// Only the serial number.
std::string ReadSerial(const CamLinkApi* camLink, CameraSlot slot);

}  // namespace assist
