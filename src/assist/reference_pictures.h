// The picture each camera position is compared with: the built-in sample, or the position's
// last snapshot in the current folder.
#pragma once

#include <QString>
#include <opencv2/core.hpp>

#include "camlink/camlink_exports.h"

namespace assist {

enum class ReferenceKind { Sample, Snapshot };

/// The built-in sample picture of a position (640 x 480, CV_8UC1), a copy.
cv::Mat SampleReference(CameraSlot slot);

struct LoadedReference {
    cv::Mat picture;  // 640 x 480 CV_8UC1; empty on failure
    QString error;    // why it failed, in the UI language; empty on success
};
/// Reads the position's snapshot ("rr.png", ...) from the current folder. Only a 640 x 480 grey
/// picture serves.
LoadedReference LoadSnapshotReference(CameraSlot slot, bool korean);

}  // namespace assist
