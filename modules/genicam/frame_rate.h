// The frame rate the module asks of a camera that lets it be set. The program shows about nine
// pictures a second; a camera left at its own rate (hundreds a second for a small region) sends
// many times that over a link that two cameras share, and frames then arrive incomplete.
#pragma once

#include "genicam/aravis.h"
#include "genicam/settings.h"

namespace vantrel::genicam {

inline constexpr double kRequestedFrameRate = 20.0;

// Asks for kRequestedFrameRate, within the camera's bounds, through AcquisitionFrameRate or
// AcquisitionFrameRateAbs, after switching on the rate control that some cameras keep off
// (AcquisitionFrameRateEnable, AcquisitionFrameRateMode). Every write goes through settings.
// A camera without a frame rate control is left alone.
void RequestFrameRate(ArvDevice* device, Settings& settings);

}  // namespace vantrel::genicam
