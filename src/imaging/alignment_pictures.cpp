#include "imaging/alignment_pictures.h"

#include <cmath>
#include <opencv2/imgproc.hpp>

namespace alignment {

int FineBorder() {
    return static_cast<int>(std::ceil(3.0 * kFineBlur));
}

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

    // Spread the clipped pixels as far as each form's filter reaches from them. Marking grows
    // bright shapes, so the search, which compares shapes, keeps the unmarked coarsest level.
    result.coarsest = result.coarsest.clone();
    cv::Mat mask = picture >= kSaturated;
    const int reach = FineBorder();
    cv::Mat spread;
    cv::dilate(mask, spread,
               cv::getStructuringElement(cv::MORPH_RECT, {2 * reach + 1, 2 * reach + 1}));
    result.fine.setTo(255, spread);
    for (int level = 1; level < kLevels; ++level) {
        cv::Mat coarser;
        cv::pyrDown(mask, coarser);
        mask = coarser > 0;
        result.levels[level].setTo(255, mask);
    }
    return result;
}

}  // namespace alignment
