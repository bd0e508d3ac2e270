// The picture each camera position is compared with: one of the installation's references, the
// built-in sample, the position's last snapshot in the working folder, or a picture file. Every
// file is checked from its header before it is decoded.
#pragma once

#include <QString>
#include <opencv2/core.hpp>
#include <string>

#include "camlink/camlink_exports.h"
#include "measure/reference_store.h"

namespace assist {

enum class ReferenceKind { Installation, Sample, Snapshot, File };

struct ReferenceChoice {
    ReferenceKind kind = ReferenceKind::Sample;
    std::string path;  // the installation reference's picture, or the picture file
};

/// What identifies a file's content without reading it: a new Save Image changes it.
struct FileStamp {
    long long device = 0, inode = 0, size = -1, modified = 0;
    bool operator==(const FileStamp&) const = default;
};
FileStamp StampOf(const std::string& path);

struct LoadedReference {
    cv::Mat picture;      // 640 x 480 CV_8UC1; empty on failure
    QString error;        // why it failed, in the UI language; empty on success
    QString note;         // something to know about a picture that serves (turned grey)
    std::string serial;   // the camera's serial for an installation reference, when known
    std::string watched;  // the file whose changes call for reading it again, or ""
    FileStamp stamp;      // of that file when it was read
};

/// The built-in sample picture of a position (640 x 480, CV_8UC1), a copy.
cv::Mat SampleReference(CameraSlot slot);

/// Reads the chosen reference of a position. store lists the installation's references.
LoadedReference LoadReference(CameraSlot slot, const ReferenceChoice& choice,
                              const measure::ReferenceStore& store, bool korean);

/// A path as a text that wraps only after a '/', so that no name is cut.
QString PathText(const std::string& path);

}  // namespace assist
