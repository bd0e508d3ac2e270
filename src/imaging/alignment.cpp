// The measurement runs coarse to fine. A rotation bank with phase correlation finds the rough
// motion on the coarsest level; Gauss-Newton refines it level by level, as a similarity on the
// coarse levels and as a homography from the second level on; the last step compares the full
// pictures, both blurred a little, and finds the live picture's defocus along with the motion.
// The light found on one level starts the next, where it fits the picture better than one
// settled afresh (a large dark figure can pass for uneven light).
// The confidence is the share of the picture that agrees with the reference, point by point
// and region by region (see Judge): the lesser of two views, all pixels of a coarse level and
// the fine model's pixels. A person or a new screen picture costs only its own part, and a
// picture whose disagreeing part lies in one place is measured at a lower confidence.
#include "imaging/alignment.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <opencv2/imgproc.hpp>
#include <vector>

#include "imaging/alignment_geometry.h"
#include "imaging/alignment_pictures.h"
#include "imaging/alignment_refine.h"
#include "imaging/alignment_search.h"
#include "imaging/alignment_still.h"

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
using alignment::Motion;

constexpr int kSearchLevel = kLevels - 1;
constexpr int kJudgeLevel = 3;
// Blurs of the reference in the fine model, beyond kFineBlur: how defocused, relative to the
// reference, a live picture may be; the fit interpolates between them.
constexpr double kDefocusSteps[] = {0.0, 0.5, 1.0, 1.5, 2.0, 2.5, 3.0};
// The fit starts from this step and the model's points are chosen on it.
constexpr size_t kMiddleStep = 2;
// A live picture with more of its pixels clipped than this is over-exposed; one whose 99th
// percentile lies below kDarkest grey levels is too dark.
constexpr double kMostClipped = 0.5;
constexpr int kDarkest = 12;
// A picture that agrees this well but lies beyond the measuring range is the right scene, out
// of range; below it, it is another scene.
constexpr double kRangeConfidence = 0.5;
constexpr double kSmallRegionsAllowance = 0.05;

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

Motion MotionAt(int level) {
    return level >= 2 ? Motion::Similarity : Motion::Perspective;
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
    return alignment::BuildLevelModel(steps, kMiddleStep, usable, 0, border, ChoiceAt(0),
                                      Motion::Turn);
}

// Over- or under-exposure of the live picture as a whole, from every other pixel of every other
// row.
AlignmentFailure Exposure(const cv::Mat& live) {
    std::array<int, 256> histogram{};
    for (int y = 0; y < live.rows; y += 2) {
        const uchar* row = live.ptr<uchar>(y);
        for (int x = 0; x < live.cols; x += 2) ++histogram[row[x]];
    }
    const double total = static_cast<double>(live.total() / 4);
    int clipped = 0;
    for (int v = alignment::kSaturated; v < 256; ++v) clipped += histogram[v];
    if (clipped > kMostClipped * total) return AlignmentFailure::OverExposed;
    int below = 0;
    for (int v = 0; v < kDarkest; ++v) below += histogram[v];
    if (below > 0.99 * total) return AlignmentFailure::TooDark;
    return AlignmentFailure::None;
}

bool WithinRange(const alignment::WarpReading& reading) {
    return std::abs(reading.shift.x) <= kAlignmentRangeX &&
           std::abs(reading.shift.y) <= kAlignmentRangeY &&
           std::abs(reading.angle) * 180.0 / std::numbers::pi <= kAlignmentRangeAngle &&
           std::abs(reading.scale - 1.0) <= kAlignmentRangeScale;
}

// Why a fit that failed gives no numbers. A fit that ran beyond the measuring range followed
// the right scene there only if the pictures agree where it stopped.
AlignmentFailure FailureOf(alignment::FitFailure failure, const alignment::Warp& warp,
                           const alignment::LevelModel& judge, const cv::Mat& judged) {
    if (failure == alignment::FitFailure::Clipped) return AlignmentFailure::OverExposed;
    if (WithinRange(alignment::Read(warp))) return AlignmentFailure::NoMatch;
    const alignment::Agreement agreement = alignment::Judge(judge, judged, warp);
    return agreement.well >= kRangeConfidence ? AlignmentFailure::OutOfRange
                                              : AlignmentFailure::NoMatch;
}

// Steps of the fine fit from the search, and from the last picture. A fit that has not settled
// in a few steps from the last picture (a picture of little texture, whose scale, perspective and
// defocus creep together) goes on from where it stopped at the next picture.
constexpr int kFineIterations = 15;
constexpr int kFollowIterations = 5;
// A fit followed from the last picture is taken when it moved the figures less than this:
// farther, another part of a repeating pattern may have caught it, and the whole search decides.
constexpr double kFollowShift = 2.0;  // pixels
constexpr double kFollowAngle = 0.2;  // degrees

// A followed fit that moved the figures less than this finds the camera coming to rest: its
// picture is kept for the still check. A camera being turned moves more between refreshes and
// does not pay for keeping it.
constexpr double kRestShift = 0.1;   // pixels
constexpr double kRestAngle = 0.02;  // degrees

bool Near(const AlignmentOffset& now, const AlignmentOffset& before, double shift, double angle) {
    return std::hypot(now.dx - before.dx, now.dy - before.dy) <= shift &&
           std::abs(now.angle - before.angle) <= angle;
}

}  // namespace

void AlignmentMeter::Keep(AlignmentTrack& track, const AlignmentOffset& offset,
                          const alignment::Warp& warp, double blur,
                          const alignment::LightTerms& light, const cv::Mat& live, bool still) {
    track.motion_ = warp.h;
    track.blur_ = blur;
    track.light_ = light;
    track.last_ = offset;
    if (offset.measured && still)
        track.still_ = std::make_shared<const alignment::StillCheck>(live);
    else
        track.still_.reset();
}

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
                                       alignment::kPyramidBorder, ChoiceAt(level), MotionAt(level));
    }
    prepared->fine = FineModel(reference, levels.fine < alignment::kSaturated);
    const cv::Mat& judged = levels.levels[kJudgeLevel];
    prepared->judge =
        alignment::BuildLevelModel({Floats(judged)}, 0, judged < alignment::kSaturated, kJudgeLevel,
                                   alignment::kPyramidBorder, {1, 1, 1 << 20}, Motion::Similarity);
    prepared_ = std::move(prepared);
}

bool AlignmentMeter::HasReference() const {
    return prepared_ != nullptr;
}

AlignmentOffset AlignmentMeter::Measure(const cv::Mat& live, AlignmentTrack* track) const {
    AlignmentOffset offset;
    if (!prepared_ || !IsFrame(live)) return offset;
    // A picture unchanged since the last measurement is exposed as that one was. A track keeps
    // a still picture only with a measured last_.
    if (track != nullptr && track->still_ && track->still_->Unchanged(live)) return track->last_;
    if ((offset.failure = Exposure(live)) != AlignmentFailure::None) {
        if (track != nullptr) track->still_.reset();
        return offset;
    }
    const alignment::PictureLevels levels = alignment::BuildLevels(live);
    if (track != nullptr && track->last_.measured) {
        // The camera has most likely not moved far since the last picture: the fine fit alone,
        // from where that one ended, taken only if it agrees and moved the figures little.
        alignment::Warp warp{track->motion_};
        double blur = track->blur_;
        alignment::LightTerms light = track->light_;
        bool converged = false;
        const AlignmentOffset followed =
            FitFine(levels, warp, blur, light, kFollowIterations, &converged);
        if (followed.measured && Near(followed, track->last_, kFollowShift, kFollowAngle)) {
            const bool resting = Near(followed, track->last_, kRestShift, kRestAngle);
            Keep(*track, followed, warp, blur, light, live, converged && resting);
            return followed;
        }
    }
    alignment::Warp warp;
    double blur = 0.0;
    alignment::LightTerms light{};
    if ((offset.failure = FitCoarse(levels, warp, light)) == AlignmentFailure::None)
        offset = FitFine(levels, warp, blur = kMiddleStep, light, kFineIterations);
    if (track != nullptr) Keep(*track, offset, warp, blur, light, live, false);
    return offset;
}

AlignmentFailure AlignmentMeter::FitCoarse(const alignment::PictureLevels& levels,
                                           alignment::Warp& warp,
                                           alignment::LightTerms& light) const {
    const alignment::Prepared& prepared = *prepared_;
    warp = prepared.search.Find(levels.coarsest).motion;
    double blur = 0.0;
    for (int level = kSearchLevel; level >= 1; --level) {
        // The coarse levels need only bring the fine fit within its reach.
        const alignment::RefineResult result = alignment::Refine(
            prepared.levels[level], levels.levels[level], warp, blur, 12, level > 1 ? 0.02 : 0.01,
            &light);
        if (!result.ok())
            return FailureOf(result.failure, warp, prepared.judge, levels.levels[kJudgeLevel]);
    }
    return AlignmentFailure::None;
}

AlignmentOffset AlignmentMeter::FitFine(const alignment::PictureLevels& levels,
                                        alignment::Warp& warp, double& blur,
                                        alignment::LightTerms& light, int iterations,
                                        bool* converged) const {
    const alignment::Prepared& prepared = *prepared_;
    AlignmentOffset offset;
    const alignment::RefineResult result =
        alignment::Refine(prepared.fine, levels.fine, warp, blur, iterations, 0.005, &light);
    // Converged: it stopped at its first or second step, so it began where it ends. A fit that
    // took more steps may be creeping along a shallow valley, and goes on at the next picture.
    if (converged != nullptr) *converged = result.settled && result.iterations <= 2;
    if (!result.ok()) {
        offset.failure =
            FailureOf(result.failure, warp, prepared.judge, levels.levels[kJudgeLevel]);
        return offset;
    }

    // Two views of the same question: all pixels of a coarse level, where the broad layout
    // speaks, and the fine model's pixels on edges and texture, where broad shading (the same in
    // a mirrored picture) does not. The coarse level's small regions tell a mirrored scene,
    // which agrees in its symmetric halves, from the right one; a figure's border cuts more of
    // them, so they may agree kSmallRegionsAllowance less.
    const alignment::Agreement broad =
        alignment::Judge(prepared.judge, levels.levels[kJudgeLevel], warp);
    const alignment::Agreement detailed = alignment::Judge(prepared.fine, levels.fine, warp, blur);
    offset.agreeing = detailed.share;
    offset.confidence = std::clamp(
        std::min({broad.well, detailed.well, broad.wellSmall + kSmallRegionsAllowance}), 0.0, 1.0);
    const alignment::WarpReading reading = alignment::Read(warp);
    if (!WithinRange(reading)) {
        offset.failure = offset.confidence >= kRangeConfidence ? AlignmentFailure::OutOfRange
                                                               : AlignmentFailure::NoMatch;
    } else if (offset.confidence < kAlignmentMinConfidence &&
               !(broad.onePlace && detailed.onePlace &&
                 offset.confidence >= kAlignmentOnePlaceConfidence)) {
        offset.failure = AlignmentFailure::NoMatch;
    } else {
        offset.failure = AlignmentFailure::None;
        offset.measured = true;
        offset.dx = reading.shift.x;
        offset.dy = reading.shift.y;
        offset.angle = reading.angle * 180.0 / std::numbers::pi;
        offset.scale = reading.scale;
    }
    return offset;
}
