#include "imaging/alignment_pictures.h"

#include <cmath>
#include <opencv2/imgproc.hpp>

namespace alignment {

int FineBorder() {
    return static_cast<int>(std::ceil(3.0 * kFineBlur));
}

namespace {

// Pixels within reach (level-0 pixels) of a clipped one, at every 2^level-th pixel.
cv::Mat Spread(const cv::Mat& clipped, int reach, int level) {
    cv::Mat spread;
    cv::dilate(clipped, spread,
               cv::getStructuringElement(cv::MORPH_RECT, {2 * reach + 1, 2 * reach + 1}));
    if (level == 0) return spread;
    cv::Mat sampled;
    cv::resize(spread, sampled, {}, LevelScale(level), LevelScale(level), cv::INTER_NEAREST);
    return sampled;
}

}  // namespace

PictureLevels BuildLevels(const cv::Mat& picture) {
    PictureLevels result;
    result.levels[0] = picture;
    for (int level = 1; level < kLevels; ++level)
        cv::pyrDown(result.levels[level - 1], result.levels[level]);
    cv::GaussianBlur(picture, result.fine, cv::Size(), kFineBlur);
    result.coarsest = result.levels[kLevels - 1];

    double brightest = 0.0;
    cv::minMaxLoc(picture, nullptr, &brightest);
    if (brightest < kSaturated) return result;

    // Mark what each form's filters saw of a clipped pixel: the fine blur's kernel, and the
    // pyramid's 5 x 5 kernel at each level down (2 (2^l - 1) pixels of the picture in all).
    // Marking grows bright shapes, so the search, which compares shapes, keeps the unmarked
    // coarsest level.
    result.coarsest = result.coarsest.clone();
    const cv::Mat clipped = picture >= kSaturated;
    result.fine.setTo(255, Spread(clipped, FineBorder(), 0));
    for (int level = 1; level < kLevels; ++level) {
        const int reach = 2 * ((1 << level) - 1);
        result.levels[level].setTo(255, Spread(clipped, reach, level));
    }
    return result;
}

}  // namespace alignment
