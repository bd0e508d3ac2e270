// The rigid motion between a reference picture and a live one, and the coordinates of the
// picture pyramid both are measured on.
#pragma once

#include <array>
#include <cmath>
#include <opencv2/core.hpp>

namespace alignment {

inline constexpr int kWidth = 640;
inline constexpr int kHeight = 480;
// Level 0 is the picture itself; level l has 2^-l of its size. A pixel x of level l lies at
// 2^l x of level 0 (cv::pyrDown's sampling), so the centre of level l is kCentre / 2^l.
inline constexpr int kLevels = 4;
inline const cv::Point2d kCentre{(kWidth - 1) / 2.0, (kHeight - 1) / 2.0};

inline double LevelScale(int level) {
    return std::ldexp(1.0, -level);
}

// q = R(angle) p + t in level-0 pixels: the reference point p lies at q in the live picture.
struct Rigid {
    double angle = 0.0;  // radians
    cv::Point2d t;

    cv::Point2d Apply(cv::Point2d p) const {
        const double c = std::cos(angle), s = std::sin(angle);
        return {c * p.x - s * p.y + t.x, s * p.x + c * p.y + t.y};
    }

    // The same motion written as a turn about the picture centre plus a shift (dx, dy).
    cv::Point2d ShiftAboutCentre() const { return Apply(kCentre) - kCentre; }
    static Rigid AboutCentre(double angle, cv::Point2d shift) {
        Rigid rigid{angle, {0.0, 0.0}};
        rigid.t = kCentre + shift - rigid.Apply(kCentre);
        return rigid;
    }
};

}  // namespace alignment
