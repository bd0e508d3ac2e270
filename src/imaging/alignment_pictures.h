// The forms of a picture the measurement works on: a pyramid for the coarse levels and, for the
// finest step, the full picture blurred a little. Clipped pixels carry no shape information, so
// every pixel of the fine picture and of the first level that depends on one is marked as
// saturated, where the fit skips it.
#pragma once

#include <array>
#include <opencv2/core.hpp>

#include "imaging/alignment_geometry.h"

namespace alignment {

// Pixels at or above this level may have been clipped by the camera.
inline constexpr uchar kSaturated = 250;

// Blur of the full-resolution comparison, pixels: it keeps the pixel-sized grain of a scene,
// which shifts of a fraction of a pixel alias, out of the fit.
inline constexpr double kFineBlur = 1.2;

// How far the filters that make the levels see past a picture's edge, pixels of the level: the
// pyramid's 5 x 5 kernel (its reach shrinks as it goes down), and the fine blur's kernel.
inline constexpr int kPyramidBorder = 2;
int FineBorder();

struct PictureLevels {
    cv::Mat fine;                         // 8-bit, full size, blurred by kFineBlur, marked
    std::array<cv::Mat, kLevels> levels;  // 8-bit; levels[0] is the picture itself, [1] marked
    cv::Mat coarsest;                     // levels[kLevels - 1], for the search
};

// picture: 640 x 480 8-bit, left untouched.
PictureLevels BuildLevels(const cv::Mat& picture);

}  // namespace alignment
