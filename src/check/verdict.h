// What the unattended check found for one camera, and the verdict drawn from it.
#pragma once

#include <cmath>
#include <opencv2/core.hpp>
#include <string>
#include <vector>

#include "imaging/alignment.h"

namespace check {

enum class Verdict { Aligned, Moved, OutOfFocus, Covered, NoReference, NoCamera, Busy };

/// "aligned", "moved", "out of focus", "covered", "no reference", "no camera", "camera busy".
const char* VerdictName(Verdict verdict);

/// Below this share of the reference's sharpness an aligned camera counts as out of focus.
inline constexpr double kFocusLossRatio = 0.6;
/// Below this share of the reference's contrast (standard deviation of the grey levels) the
/// picture counts as featureless: something covers the lens.
inline constexpr double kCoveredContrastRatio = 0.2;

struct CameraResult {
    std::string position;  // "RR", "LL", "RT", "LT"
    Verdict verdict = Verdict::NoCamera;
    AlignmentOffset offset;
    double sharpness = std::nan("");
    double referenceSharpness = std::nan("");
    std::string reference;  // the reference picture compared with
    std::string detail;     // why a camera could not be checked
};

/// The verdict on a camera that gave pictures and has a reference. offset: the measurement;
/// contrast and referenceContrast: standard deviations of the grey levels; sharpness figures as
/// MeasureSharpness gives them (NaN when there is none).
Verdict Judge(const AlignmentOffset& offset, double contrast, double referenceContrast,
              double sharpness, double referenceSharpness);

/// True for the verdicts that mean the camera could not be checked.
bool CouldNotCheck(Verdict verdict);

/// 1 when any camera moved, lost focus or is covered; otherwise 2 when any could not be checked
/// (or writeFailed); otherwise 0.
int ExitStatus(const std::vector<CameraResult>& results, bool writeFailed = false);

/// Where the focus of a picture is judged: the centre, of a 3 x 3 grid of focus windows, where
/// the reference is sharpest; the picture's centre when none gives a figure.
cv::Point FocusPoint(const cv::Mat& reference);

}  // namespace check
