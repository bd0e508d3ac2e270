// The parts of a level's fit that the fit and the judgement of agreement share: the live
// picture sampled at the moved points, the reference between its blur steps, the light that
// maps the live values onto the reference's, and the residuals with their robust weights.
#pragma once

#include <array>
#include <opencv2/core.hpp>
#include <vector>

#include "imaging/alignment_refine.h"

namespace alignment::fit {

enum : uint8_t { kOutside = 0, kClipped = 1, kUsable = 2 };

// The live picture at every moved point.
struct Samples {
    std::vector<float> live;
    std::vector<uint8_t> state;
    int outside = 0, clipped = 0, usable = 0;
};

// Samples the live picture (clipped pixels marked 255) at the model's points moved by warp.
void SampleMoved(const LevelModel& model, const cv::Mat& live, const Warp& warp, Samples& out);

// The reference between two blur steps: values and descent rows at position blur, and the
// change of the values per step.
struct Blend {
    const LevelModel::Step* lower;
    const LevelModel::Step* upper;
    float share;  // of upper

    Blend(const LevelModel& model, double blur) {
        const size_t last = model.steps.size() - 1;
        const size_t k =
            std::min(static_cast<size_t>(std::max(blur, 0.0)), last > 0 ? last - 1 : 0);
        lower = &model.steps[k];
        upper = &model.steps[std::min(k + 1, last)];
        share = last > 0 ? static_cast<float>(blur - k) : 0.0f;
    }
    float Value(size_t i) const {
        return lower->values[i] + share * (upper->values[i] - lower->values[i]);
    }
    // The descent entries of parameter k at every point, blended into buffer where needed.
    const float* Descents(int k, std::vector<float>& buffer) const;
    // The change of the values per step at every point, into buffer.
    const float* Changes(std::vector<float>& buffer) const;
};
// live = (g0 + g1 ux + g2 uy + g3 |u|^2) reference + black, fitted with the points' weights.
struct Light {
    std::array<double, 5> c{};  // g0, g1, g2, g3, black

    static std::array<double, 5> Row(double r, cv::Point2f u) {
        return {r, r * u.x, r * u.y, r * (u.x * u.x + u.y * u.y), 1.0};
    }
    double Gain(cv::Point2f u) const {
        return c[0] + c[1] * u.x + c[2] * u.y + c[3] * (u.x * u.x + u.y * u.y);
    }
    // The live value in the reference's grey levels.
    double Normalised(double live, cv::Point2f u) const { return (live - c[4]) / Gain(u); }
};

// The weighted normal equations of a linear fit over the points: normal(a, b) += sum of
// w c_a c_b and rhs(a) += sum of w c_a e, for the first `used` of N columns c (one value per
// point each) and the targets e; points of weight 0 add nothing. The upper triangle only. Four
// points at a time in single precision, gathered into double every 64 points.
template <int N>
void WeightedSums(const float* const* columns, int used, const float* w, const float* e,
                  size_t count, cv::Matx<double, N, N>& normal, cv::Vec<double, N>& rhs);

// Fits the light with the points' weights; even: one gain for the whole picture. False for a
// flat live picture or a gain that is not positive all over it.
bool FitLight(const LevelModel& model, const Blend& reference, const Samples& samples,
              const std::vector<float>& weights, Light& light, bool even = false);
// The middle of non-negative values, as std::nth_element finds it, in fewer steps: a histogram
// of `perUnit` bins per unit (the last holding the rest) tells which bin holds it, and only the
// values in that bin are ordered. values is reordered; it must not be empty.
float Middle(std::vector<float>& values, float perUnit);
// The residuals' spread: 1.4826 times their median absolute value, at least kNoiseFloor.
inline constexpr double kNoiseFloor = 0.5;
double Spread(const Samples& samples, const std::vector<float>& residuals);
// Tukey's biweight of each usable point's residual over kTukey spreads; 0 for the others.
void RobustWeights(const Samples& samples, const std::vector<float>& residuals,
                   std::vector<float>& weights);
// Residuals of the usable points in the reference's grey levels.
void Residuals(const LevelModel& model, const Blend& reference, const Samples& samples,
               const Light& light, std::vector<float>& residuals);
// The light and the weights from nothing. False for a flat live picture.
bool SettleLight(const LevelModel& model, const Blend& reference, const Samples& samples,
                 std::vector<float>& weights, Light& light, std::vector<float>& residuals);

}  // namespace alignment::fit
