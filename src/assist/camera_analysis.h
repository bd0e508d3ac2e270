// One refresh of one camera: the offset from its reference, the focus figures, and the picture
// that shows both at a glance. OpenCV only.
#pragma once

#include <opencv2/core.hpp>
#include <optional>

#include "imaging/alignment.h"
#include "imaging/focus.h"

namespace assist {

struct CameraReading {
    AlignmentOffset offset;            // not measured without a reference
    double sharpness = 0.0;            // NaN when the focus window is empty or over-exposed
    bool overExposed = false;          // more than half of the focus window is clipped
    std::optional<FocusFit> focusFit;  // the histogram fit; empty when its solve failed
};

/// Measures live (640 x 480 CV_8UC1) against the meter's reference and around focus, following
/// the camera from its last measurement (track, updated). Reads and writes no global.
CameraReading ReadCamera(const cv::Mat& live, const AlignmentMeter& meter, AlignmentTrack* track,
                         cv::Point focus);

/// picture (640 x 480 CV_8UC1) as the overlay shows it: scaled to size, its grey levels
/// stretched to its own range.
cv::Mat ShownPicture(const cv::Mat& picture, cv::Size size);

/// live and the reference (as ShownPicture made it at size) laid over each other at size, as
/// CV_8UC4 holding blue, green, red and 255 (the memory layout of Qt's RGB32, shown without
/// conversion): the reference in red and blue, the live picture in green. What matches is grey;
/// edges that do not match show magenta where the reference has them and green where the live
/// picture has them. Without a reference the live picture alone, in grey; without a live picture
/// the reference alone. The focus window (in live's pixels) is outlined in yellow.
cv::Mat OverlayPicture(const cv::Mat& live, const cv::Mat& shownReference, cv::Size size,
                       cv::Point focus);

}  // namespace assist
