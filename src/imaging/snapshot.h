// Writing snapshots: the picture is encoded in memory, written to a new file beside the old one
// and renamed over it once it is safely on disk, so a snapshot is written whole or not at all.
#pragma once

#include <opencv2/core/core_c.h>

#include <string>

#include "camlink/camlink_exports.h"

/// Writes image as fileName, in the format its extension names (".png"). Returns 0 once the new
/// file has replaced the old one, else the errno value of the step that failed; the old file is
/// then untouched and no temporary file is left. (A failure to sync the folder, the last step,
/// comes after the rename: it is reported, and the new file stays.)
int SaveSnapshot(const char* fileName, const IplImage* image);

/// "rr.png", "ll.png", "rt.png" or "lt.png": the snapshot Save Image writes for a camera
/// position, in the working folder; "" for any other slot.
const char* SnapshotFileName(CameraSlot slot);

/// The absolute working folder, where Save Image writes its snapshots, for messages.
std::string WorkingFolder();
