// A camera pair that costs nothing: fixed frames and fixed feature values, served at once. The
// benchmarks put it behind the program's camera table so that what they measure is the program,
// not a camera simulation.
#pragma once

#include <cstdint>

#include "camlink/camlink_exports.h"

namespace bench {

/// The fixed frame of a slot: 640 x 480 grey levels with some texture, different per slot.
const uint8_t* FixedFrame(CameraSlot slot);

/// A camera table whose fourteen entries answer from fixed data: every start succeeds, every
/// slot always has a new frame, gain 1.0, exposure time 10000, temperature 40.0.
CamLinkApi FixedCamLinkApi();

}  // namespace bench
