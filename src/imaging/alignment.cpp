// The measurement runs coarse to fine. A rotation bank with phase correlation finds the rough
// motion on the coarsest level; Gauss-Newton refines it level by level; the last step compares
// the full pictures, both blurred a little, and finds the live picture's defocus along with the
// motion. The confidence is the normalised correlation of the two pictures once aligned, in the
// region where they agree least, on a coarse level and on the fine model's pixels.
#include "imaging/alignment.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <opencv2/imgproc.hpp>
#include <vector>

#include "imaging/alignment_geometry.h"
#include "imaging/alignment_pictures.h"
#include "imaging/alignment_refine.h"
#include "imaging/alignment_search.h"

namespace alignment {

struct Prepared {
    RotationSearch search;
    std::array<LevelModel, kLevels> levels;  // levels[0] unused: the fine model stands for it
    LevelModel fine;                         // the full picture at several blurs
    LevelModel judge;
};

}  // namespace alignment

namespace {

using alignment::kLevels;

constexpr int kSearchLevel = kLevels - 1;
constexpr int kJudgeLevel = 2;
// Blurs of the reference in the fine model, beyond kFineBlur: how defocused, relative to the
// reference, a live picture may be; the fit interpolates between them.
constexpr double kDefocusSteps[] = {0.0, 0.5, 1.0, 1.5, 2.0, 2.5, 3.0};
// The fit starts from this step and the model's points are chosen on it.
constexpr size_t kMiddleStep = 2;

bool IsFrame(const cv::Mat& picture) {
    return picture.type() == CV_8UC1 && picture.cols == alignment::kWidth &&
           picture.rows == alignment::kHeight;
}

std::vector<double> SearchAngles() {
    std::vector<double> angles;
    for (int degrees = -4; degrees <= 4; ++degrees) angles.push_back(degrees);
    return angles;
}

alignment::PointChoice ChoiceAt(int level) {
    switch (level) {
        case 0:
            return {.cellsX = 16, .cellsY = 12, .perCell = 24};
        case 1:
            return {.cellsX = 16, .cellsY = 12, .perCell = 16};
        case 2:
            return {.cellsX = 16, .cellsY = 12, .perCell = 12};
        default:
            return {.cellsX = 16, .cellsY = 12, .perCell = 8};
    }
}

cv::Mat Floats(const cv::Mat& picture) {
    cv::Mat values;
    picture.convertTo(values, CV_32F);
    return values;
}

alignment::LevelModel FineModel(const cv::Mat& reference, const cv::Mat& usable) {
    const cv::Mat values = Floats(reference);
    std::vector<cv::Mat> steps;
    for (const double defocus : kDefocusSteps) {
        cv::Mat blurred;
        cv::GaussianBlur(values, blurred, cv::Size(), std::hypot(alignment::kFineBlur, defocus));
        steps.push_back(blurred);
    }
    // The most blurred reference saw past its edges as far as its kernel reaches.
    const double widest =
        std::hypot(alignment::kFineBlur, kDefocusSteps[std::size(kDefocusSteps) - 1]);
    const int border = static_cast<int>(std::ceil(3.0 * widest));
    return alignment::BuildLevelModel(steps, kMiddleStep, usable, 0, border, ChoiceAt(0));
}

}  // namespace

void AlignmentMeter::SetReference(const cv::Mat& reference) {
    if (!IsFrame(reference)) {
        prepared_.reset();
        return;
    }
    auto prepared = std::make_shared<alignment::Prepared>();
    const alignment::PictureLevels levels = alignment::BuildLevels(reference);
    prepared->search.Prepare(levels.coarsest, kSearchLevel, SearchAngles());
    for (int level = 1; level < kLevels; ++level) {
        const cv::Mat& picture = levels.levels[level];
        prepared->levels[level] =
            alignment::BuildLevelModel({Floats(picture)}, 0, picture < alignment::kSaturated, level,
                                       alignment::kPyramidBorder, ChoiceAt(level));
    }
    prepared->fine = FineModel(reference, levels.fine < alignment::kSaturated);
    const cv::Mat& judged = levels.levels[kJudgeLevel];
    prepared->judge =
        alignment::BuildLevelModel({Floats(judged)}, 0, judged < alignment::kSaturated, kJudgeLevel,
                                   alignment::kPyramidBorder, {1, 1, 1 << 20});
    prepared_ = std::move(prepared);
}

bool AlignmentMeter::HasReference() const {
    return prepared_ != nullptr;
}

AlignmentOffset AlignmentMeter::Measure(const cv::Mat& live) const {
    AlignmentOffset offset;
    if (!prepared_ || !IsFrame(live)) return offset;
    const alignment::Prepared& prepared = *prepared_;
    const alignment::PictureLevels levels = alignment::BuildLevels(live);

    alignment::Rigid motion = prepared.search.Find(levels.coarsest).motion;
    double blur = 0.0;
    for (int level = kSearchLevel; level >= 1; --level) {
        if (!alignment::Refine(prepared.levels[level], levels.levels[level], motion, blur, 12, 0.01)
                 .ok)
            return offset;
    }
    blur = kMiddleStep;
    if (!alignment::Refine(prepared.fine, levels.fine, motion, blur, 15, 0.002).ok) return offset;

    // Two views of the same question: all pixels of a coarse level, where the broad layout
    // speaks, and the fine model's pixels on edges and texture, where broad shading (the same in
    // a mirrored picture) does not.
    const double broad =
        alignment::WeakestRegion(prepared.judge, levels.levels[kJudgeLevel], motion);
    const double detailed = alignment::WeakestRegion(prepared.fine, levels.fine, motion, blur);
    offset.confidence = std::clamp(std::min(broad, detailed), 0.0, 1.0);
    if (offset.confidence < kAlignmentMinConfidence) return offset;
    const cv::Point2d shift = motion.ShiftAboutCentre();
    offset.measured = true;
    offset.dx = shift.x;
    offset.dy = shift.y;
    offset.angle = motion.angle * 180.0 / std::numbers::pi;
    return offset;
}
