// Pictures of the simulated cameras for the alignment benchmarks: the reference pictures as the
// program bakes them, and a camera's view mounted at a pose, defocused, exposed and noisy.
#pragma once

#include <cstdint>
#include <opencv2/core.hpp>

#include "sim/scene.h"

namespace bench {

// The built-in reference picture of a camera position (0 RR, 1 LL, 2 RT, 3 LT).
cv::Mat ReferencePicture(int slot);

// What a simulated camera delivers: the sharp scene placed at pose, blurred by sigma pixels,
// scaled by exposure times gain, with the black level and the gain's sensor noise.
cv::Mat LivePicture(const vantrel::sim::Radiance& scene, const vantrel::sim::Pose& pose,
                    float sigma, float gain, float exposure, uint64_t seed);

}  // namespace bench
