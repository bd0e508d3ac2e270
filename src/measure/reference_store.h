// The installation's reference pictures: for each camera position, pictures of that camera
// when it was right, each with a sidecar that says when it was taken and with which camera and
// settings. Pictures are added, never replaced; each is written whole or not at all. Plain C++
// and OpenCV core: the folder is given by the caller.
#pragma once

#include <cmath>
#include <cstdint>
#include <opencv2/core.hpp>
#include <string>
#include <vector>

#include "measure/picture_file.h"

namespace measure {

/// What is known of a reference besides its picture. Unknown texts are empty, unknown figures
/// NaN.
struct ReferenceInfo {
    std::string position;      // "RR", "LL", "RT" or "LT"
    std::int64_t takenAt = 0;  // seconds since 1970 (UTC)
    double exposure = std::nan("");
    double gain = std::nan("");
    std::string model;
    std::string serial;
};

struct StoredReference {
    std::string picturePath;  // the picture (binary PGM)
    std::string sidecarPath;  // its description, "key=value" lines
    ReferenceInfo info;
};

class ReferenceStore {
public:
    explicit ReferenceStore(std::string folder);

    /// $XDG_DATA_HOME/vantrel/references, or ~/.local/share/vantrel/references when
    /// XDG_DATA_HOME is unset, empty or not absolute; "" without either.
    static std::string DefaultFolder();

    const std::string& Folder() const { return folder_; }

    /// Adds picture (640 x 480 CV_8UC1) as a reference of info.position: the picture first, then
    /// the sidecar, which makes it count. Returns 0 and fills saved, or the errno value of the
    /// step that failed, with nothing left behind.
    int Save(const cv::Mat& picture, const ReferenceInfo& info, StoredReference* saved) const;

    /// The position's references, newest first. Pictures without a readable sidecar, and
    /// sidecars whose picture is gone, do not count.
    std::vector<StoredReference> List(const std::string& position) const;

    /// Reads a reference's picture; the problem says why it could not be read.
    static PictureProblem Load(const StoredReference& reference, cv::Mat& picture);

private:
    std::string folder_;
};

/// "2026-12-09 05:15" in local time.
std::string LocalDateTime(std::int64_t seconds);

}  // namespace measure
