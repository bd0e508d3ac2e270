// The motion between a reference picture and a live one, and the coordinates of the picture
// pyramid both are measured on.
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
// The fit works in coordinates u = (x - kCentre) / kUnit of level 0, the same on every level,
// so that the terms of a homography are of similar size.
inline constexpr double kUnit = 320.0;

inline double LevelScale(int level) {
    return std::ldexp(1.0, -level);
}

// A homography in the normalised coordinates u: the reference point u lies at H u in the live
// picture. A camera turned about its lens, and moved a little nearer or farther, moves its
// picture by exactly such a map, whatever its focal length.
struct Warp {
    cv::Matx33d h = cv::Matx33d::eye();

    cv::Point2d ApplyUnit(cv::Point2d u) const {
        const cv::Vec3d q = h * cv::Vec3d(u.x, u.y, 1.0);
        return {q[0] / q[2], q[1] / q[2]};
    }
    // Level-0 pixels in, level-0 pixels out.
    cv::Point2d Apply(cv::Point2d p) const {
        return ApplyUnit((p - kCentre) / kUnit) * kUnit + kCentre;
    }
    Warp Inverse() const { return {h.inv()}; }
    // A turn by angle (radians, clockwise on the screen) about the picture centre followed by
    // the shift (level-0 pixels).
    static Warp AboutCentre(double angle, cv::Point2d shift) {
        const double c = std::cos(angle), s = std::sin(angle);
        return {cv::Matx33d(c, -s, shift.x / kUnit, s, c, shift.y / kUnit, 0.0, 0.0, 1.0)};
    }
};

// What a technician turns: where the reference's centre lands, the turn of the picture there,
// and how much larger it shows.
struct WarpReading {
    cv::Point2d shift;   // level-0 pixels: where the reference's centre lands, less the centre
    double angle = 0.0;  // radians, clockwise on the screen
    double scale = 1.0;  // > 1: the live picture shows things larger (the camera is nearer)
};

// The turn is that of the map's local derivative where it lands on the live picture's centre:
// a pan or tilt (a turn about a line through the lens across the view) turns nothing there nor
// at the reference's centre, and there the derivative does not depend on the perspective,
// which is the least certain part of a fit. The scale is the fourth root of the local area
// changes at the reference's centre and at that point: a pure turn enlarges one as much as it
// shrinks the other, so only a change of distance or zoom remains.
WarpReading Read(const Warp& warp);

}  // namespace alignment
