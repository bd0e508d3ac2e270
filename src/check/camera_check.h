// Running the cameras of a pair and measuring each against its installation reference.
#pragma once

#include <string>
#include <vector>

#include "check/verdict.h"

namespace check {

/// "RR", "LL", "RT", "LT" for slots 0 to 3.
const char* PositionName(int slot);

/// Loads the camera-link module as the program does (the detector first; the same messages on
/// standard error), runs each pair of pairs for the given seconds, measures each camera against
/// the newest reference of its position in referenceFolder, stops and releases the cameras and
/// unloads the module. One result a camera, in the order right side, right top, left side,
/// left top.
std::vector<CameraResult> CheckCameras(const std::vector<int>& pairs,
                                       const std::string& referenceFolder, int seconds);

}  // namespace check
