// Where a camera's live picture lies relative to its reference picture: shift and rotation,
// measured with OpenCV, for the Alignment Assistant.
#pragma once

#include <memory>
#include <opencv2/core.hpp>

// Where a camera's live picture lies relative to its reference picture.
// Convention: a point p of the reference appears in the live picture at
//   T(p) = c + R(angle) (p - c) + (dx, dy),  c = (319.5, 239.5) the picture centre,
//   R(a) = [[cos a, -sin a], [sin a, cos a]] in image coordinates (x right, y down),
// so dx > 0: content lies right of where the reference has it; dy > 0: below;
// angle > 0: content turned clockwise as seen on the screen.
struct AlignmentOffset {
    bool measured = false;  // false: the pictures do not match well enough; no numbers
    double dx = 0, dy = 0;  // pixels
    double angle = 0;       // degrees
    double confidence = 0;  // 0..1; measured is false below kAlignmentMinConfidence
};

// Below this confidence a measurement gives no numbers.
inline constexpr double kAlignmentMinConfidence = 0.5;

namespace alignment {
struct Prepared;
}

class AlignmentMeter {
public:
    // reference: 640 x 480 CV_8UC1. Prepares everything that depends only on the reference
    // (pyramids, gradients, spectra) once.
    void SetReference(const cv::Mat& reference);
    bool HasReference() const;
    // live: 640 x 480 CV_8UC1. Never modifies its input.
    AlignmentOffset Measure(const cv::Mat& live) const;

private:
    // Shared, never changed once made: copies of a meter share it.
    std::shared_ptr<const alignment::Prepared> prepared_;
};
