// Measuring a camera's pictures against its reference: several pictures, the median of each
// figure, so that one spoilt frame does not decide.
#pragma once

#include <cstddef>
#include <opencv2/core.hpp>
#include <vector>

#include "check/verdict.h"
#include "measure/picture_file.h"

namespace check {

/// How many of the newest pictures are measured.
inline constexpr size_t kMeasuredFrames = 5;

/// Fills result's offset, sharpness figures and verdict from frames (640 x 480 CV_8UC1, at
/// least one) and reference.
void MeasureCamera(const cv::Mat& reference, const std::vector<cv::Mat>& frames,
                   CameraResult& result);

/// "malformed", "missing", ...: why a reference picture could not be read.
const char* PictureProblemText(measure::PictureProblem problem);

}  // namespace check
