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

    // Mark what the filters of the fine picture and of the first level saw of a clipped pixel:
    // the fine blur's kernel, and the pyramid's 5 x 5 kernel (2 pixels of the picture). The
    // coarser levels, whose filters reach farther, stay unmarked: there a tenth of the picture
    // clipped and spread would leave little, and they need only bring the fine fit within its
    // reach, their robust weights setting aside what clipping changed.
    const cv::Mat clipped = picture >= kSaturated;
    result.fine.setTo(255, Spread(clipped, FineBorder(), 0));
    result.levels[1].setTo(255, Spread(clipped, 2, 1));
    return result;
}

}  // namespace alignment
