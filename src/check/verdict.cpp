#include "check/verdict.h"

#include "imaging/sharpness.h"
#include "imaging/tolerances.h"

namespace check {

const char* VerdictName(Verdict verdict) {
    switch (verdict) {
        case Verdict::Aligned:
            return "aligned";
        case Verdict::Moved:
            return "moved";
        case Verdict::OutOfFocus:
            return "out of focus";
        case Verdict::Covered:
            return "covered";
        case Verdict::NoReference:
            return "no reference";
        case Verdict::NoCamera:
            return "no camera";
        case Verdict::Busy:
            return "camera busy";
    }
    return "";
}

Verdict Judge(const AlignmentOffset& offset, double contrast, double referenceContrast,
              double sharpness, double referenceSharpness) {
    const bool featureless = !(contrast >= kCoveredContrastRatio * referenceContrast);
    if (offset.failure == AlignmentFailure::TooDark ||
        offset.failure == AlignmentFailure::OverExposed || (!offset.measured && featureless))
        return Verdict::Covered;
    if (!alignment::IsAligned(offset)) return Verdict::Moved;
    // A reference without a focus figure cannot show a loss of focus.
    if (std::isfinite(referenceSharpness) && referenceSharpness > 0 &&
        !(sharpness >= kFocusLossRatio * referenceSharpness))
        return Verdict::OutOfFocus;
    return Verdict::Aligned;
}

bool CouldNotCheck(Verdict verdict) {
    return verdict == Verdict::NoReference || verdict == Verdict::NoCamera ||
           verdict == Verdict::Busy;
}

int ExitStatus(const std::vector<CameraResult>& results, bool writeFailed) {
    bool unchecked = writeFailed || results.empty();
    for (const CameraResult& result : results) {
        if (CouldNotCheck(result.verdict))
            unchecked = true;
        else if (result.verdict != Verdict::Aligned)
            return 1;
    }
    return unchecked ? 2 : 0;
}

cv::Point FocusPoint(const cv::Mat& reference) {
    cv::Point best(reference.cols / 2, reference.rows / 2);
    double bestFigure = -1;
    for (int row = 1; row <= 3; ++row) {
        for (int column = 1; column <= 3; ++column) {
            const cv::Point point(reference.cols * column / 4, reference.rows * row / 4);
            const double figure = MeasureSharpness(reference, point);
            if (std::isfinite(figure) && figure > bestFigure) {
                bestFigure = figure;
                best = point;
            }
        }
    }
    return best;
}

}  // namespace check
