#include "check/measurement.h"

#include <algorithm>

#include "imaging/sharpness.h"

namespace check {

namespace {

double Median(std::vector<double> values) {
    std::erase_if(values, [](double v) { return !std::isfinite(v); });
    if (values.empty()) return std::nan("");
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

double Contrast(const cv::Mat& picture) {
    cv::Scalar mean, deviation;
    cv::meanStdDev(picture, mean, deviation);
    return deviation[0];
}

}  // namespace

void MeasureCamera(const cv::Mat& reference, const std::vector<cv::Mat>& frames,
                   CameraResult& result) {
    AlignmentMeter meter;
    meter.SetReference(reference);
    const cv::Point focus = FocusPoint(reference);
    std::vector<AlignmentOffset> measured;
    AlignmentOffset lastFailure;
    std::vector<double> contrasts, sharpness;
    for (const cv::Mat& frame : frames) {
        const AlignmentOffset offset = meter.Measure(frame);
        if (offset.measured)
            measured.push_back(offset);
        else
            lastFailure = offset;
        contrasts.push_back(Contrast(frame));
        sharpness.push_back(MeasureSharpness(frame, focus));
    }
    // Numbers only when most pictures gave them.
    AlignmentOffset offset = lastFailure;
    if (!measured.empty() && 2 * measured.size() > frames.size()) {
        auto median = [&measured](double AlignmentOffset::*field) {
            std::vector<double> values;
            for (const AlignmentOffset& o : measured) values.push_back(o.*field);
            return Median(values);
        };
        offset = measured.front();
        offset.dx = median(&AlignmentOffset::dx);
        offset.dy = median(&AlignmentOffset::dy);
        offset.angle = median(&AlignmentOffset::angle);
        offset.scale = median(&AlignmentOffset::scale);
        offset.confidence = median(&AlignmentOffset::confidence);
        offset.agreeing = median(&AlignmentOffset::agreeing);
    }
    result.offset = offset;
    result.sharpness = Median(sharpness);
    result.referenceSharpness = MeasureSharpness(reference, focus);
    result.verdict = Judge(offset, Median(contrasts), Contrast(reference), result.sharpness,
                           result.referenceSharpness);
}

const char* PictureProblemText(measure::PictureProblem problem) {
    using measure::PictureProblem;
    switch (problem) {
        case PictureProblem::kNone:
            return "";
        case PictureProblem::kMissing:
            return "missing";
        case PictureProblem::kUnreadable:
            return "cannot be read";
        case PictureProblem::kNotAPicture:
            return "not a picture";
        case PictureProblem::kMalformed:
            return "malformed";
        case PictureProblem::kWrongSize:
            return "not 640 x 480";
        case PictureProblem::kTooLarge:
            return "too large";
        case PictureProblem::kUnsupported:
            return "an unsupported kind of picture";
    }
    return "";
}

}  // namespace check
