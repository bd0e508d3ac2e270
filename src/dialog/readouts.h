// The six read-outs of the frame tick: gain, exposure time and temperature of the side and the
// top camera, read from the camera-link module and shown as text.
#pragma once

#include "camlink/camlink_exports.h"
#include "platform/wnd.h"

struct ReadoutControls {
    CStatic& sideGain;
    CStatic& sideExposure;
    CStatic& topGain;
    CStatic& topExposure;
    CStatic& sideTemperature;
    CStatic& topTemperature;
};

/// Reads gain and exposure time of both cameras, then both temperatures, with FLOAT reads in
/// that order, and shows each value, or "-" when its read fails. korean picks the language of
/// the temperature texts.
void RefreshReadouts(const CamLinkApi& camLink, CameraSlot sideCam, CameraSlot topCam, bool korean,
                     const ReadoutControls& controls);
