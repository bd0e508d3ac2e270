// The rough search: the reference turned through a bank of angles, each turned copy compared
// with the live picture by phase correlation at a coarse level of the pyramid. It looks at the
// whole picture, so the large shapes (panels, the mat's edge) decide, not the repeating marks.
#pragma once

#include <opencv2/core.hpp>
#include <vector>

#include "imaging/alignment_geometry.h"

namespace alignment {

struct CoarseMatch {
    Warp motion;
    double peak = 0.0;  // height of the correlation peak, 0..1
};

class RotationSearch {
public:
    // reference: the reference picture at `level` of its pyramid. Angles in degrees.
    void Prepare(const cv::Mat& reference, int level, const std::vector<double>& angles);
    // live: the live picture at the same level.
    CoarseMatch Find(const cv::Mat& live) const;

private:
    cv::Mat Spectrum(const cv::Mat& picture) const;

    int level_ = 0;
    cv::Mat window_;
    cv::Mat reach_;  // where the correlation surface holds the shifts searched
    std::vector<double> angles_;
    std::vector<cv::Mat> spectra_;  // one per angle, normalised to unit magnitude
};

}  // namespace alignment
