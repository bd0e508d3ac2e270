// Whether a camera has stayed still since an earlier picture of it, for a fraction of what a
// measurement costs. A camera being aligned spends most of its time untouched between turns of
// a screw; its measurement would only repeat itself.
//
// One linearised step estimates the shift, roll and scale between the earlier picture and the
// new one (with a black level and gain for the light), over every fourth pixel of every fourth
// row and every other pixel on edges. The pictures count as the same when the centre moved less
// than kStillShift, the roll and scale changed less than kStillRoll and kStillScale (at most
// half a step of the figures the assistant shows), the light changed little, and hardly any
// point differs beyond the noise of the rest (a hand, a person or a new screen picture does).
#pragma once

#include <array>
#include <opencv2/core.hpp>
#include <vector>

namespace alignment {

inline constexpr double kStillShift = 0.02;    // pixels
inline constexpr double kStillRoll = 0.005;    // degrees
inline constexpr double kStillScale = 0.0002;  // ratio

class StillCheck {
public:
    /// Keeps what comparing with picture (8-bit, one channel) needs.
    explicit StillCheck(const cv::Mat& picture);
    /// True when live (the same size and type) shows the kept picture unmoved.
    bool Unchanged(const cv::Mat& live) const;

private:
    static constexpr int kParameters = 6;  // shift x, y; roll; scale; black level; gain
    cv::Size size_;
    std::vector<int> offsets_;  // of the points, in a continuous picture of size_
    std::vector<float> values_;
    // How each point's value changes per parameter: one run of values per parameter.
    std::array<std::vector<float>, kParameters> rows_;
    cv::Matx<double, kParameters, kParameters> inverse_;
    bool usable_ = false;
};

}  // namespace alignment
