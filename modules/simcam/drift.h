// Slow changes of a running camera, as functions of the number of frames it has delivered:
// the focus wanders and the sensor warms up. Being functions of the frame count, not of the
// clock, they repeat exactly from run to run.
#pragma once

#include <cstdint>

namespace vantrel::simcam {

// The focus is held in this many steps of blur between sharp and clearly soft.
inline constexpr int kDefocusLevels = 8;

// Blur step of a camera position after `frame` frames: wanders up and down over about 720
// frames, the positions out of phase with each other.
int DefocusLevelAt(int slot, uint64_t frame);

// Blur of a step, standard deviation in pixels.
float DefocusSigma(int level);

// Sensor temperature in degrees Celsius after `frames` frames: 35 at the first frame, rising
// toward 48 with a time constant of 2400 frames; the top cameras run half a degree warmer.
float TemperatureAt(int slot, uint64_t frames);

}  // namespace vantrel::simcam
