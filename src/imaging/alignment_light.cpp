// The light that maps the live values onto the reference's: its weighted least squares, and
// its start from nothing.
#include <algorithm>
#include <array>
#include <cmath>
#include <opencv2/core/hal/intrin.hpp>

#include "imaging/alignment_fit.h"

namespace alignment::fit {
namespace {

// Solves the weighted least squares of the light over the first `terms` columns of its rows
// and the black level; false when the gain is not positive all over the picture.
bool SolveLight(const cv::Matx<double, 5, 5>& sums, const cv::Vec<double, 5>& rhs, int terms,
                Light& light) {
    cv::Matx<double, 5, 5> normal = sums;
    cv::Vec<double, 5> right = rhs;
    for (int a = terms; a < 4; ++a) {
        for (int b = 0; b < 5; ++b) normal(a, b) = normal(b, a) = 0.0;
        normal(a, a) = 1.0;
        right[a] = 0.0;
    }
    cv::Vec<double, 5> c;
    if (!cv::solve(normal, right, c, cv::DECOMP_CHOLESKY)) return false;
    for (int a = 0; a < 5; ++a) light.c[a] = c[a];
    for (const cv::Point2f corner : {cv::Point2f(-1, -0.75f), cv::Point2f(1, -0.75f),
                                     cv::Point2f(-1, 0.75f), cv::Point2f(1, 0.75f)})
        if (!(light.Gain(corner) > 1e-3)) return false;
    return light.Gain({0, 0}) > 1e-3;
}

// The sums of the light's fit over the usable points of positive weight: its normal equations
// (the upper triangle) and right-hand side, and the weighted spread of the live values, which
// tells a flat picture. The light's rows (Light::Row) are made point by point as they are
// summed; one gain for all needs only the first and the black level's. As WeightedSums does:
// four points at a time in single precision, gathered into double every 64 points. The live
// values enter the spread less the first one's, so that a flat picture gives exactly none.
struct LightSums {
    cv::Matx<double, 5, 5> normal = cv::Matx<double, 5, 5>::zeros();
    cv::Vec<double, 5> rhs;
    double weight = 0.0, moved = 0.0, square = 0.0;  // sums of w, w d and w d^2, d = l - l0

    void Add(double w, const std::array<double, 5>& row, double live, double d, int terms) {
        weight += w;
        moved += w * d;
        square += w * d * d;
        for (int a = 0; a < 5; ++a) {
            if (a >= terms && a < 4) continue;
            rhs[a] += w * row[a] * live;
            for (int b = a; b < 5; ++b)
                if (b < terms || b == 4) normal(a, b) += w * row[a] * row[b];
        }
    }
    double Variance() const { return square / weight - (moved / weight) * (moved / weight); }
};

// Where the sum of rows a and b (a <= b) lies among the upper triangle's, row by row.
constexpr int Pair(int a, int b) {
    return a * 5 - a * (a - 1) / 2 + (b - a);
}

template <bool even>
LightSums SumLight(const LevelModel& model, const Blend& reference, const Samples& samples,
                   const std::vector<float>& weights) {
    LightSums out;
    const size_t count = samples.state.size();
    constexpr int terms = even ? 1 : 4;
    const float* live = samples.live.data();
    const float* w = weights.data();
    const uint8_t* state = samples.state.data();
    const float* units = &model.units.data()->x;
    const float* lower = reference.lower->values.data();
    const float* upper = reference.upper->values.data();
    const float share = reference.share;
    float first = 0.0f;
    for (size_t i = 0; i < count; ++i)
        if (state[i] == kUsable && w[i] > 0.0f) {
            first = live[i];
            break;
        }
    size_t i = 0;
#if CV_SIMD128
    constexpr size_t kBlock = 64;
    constexpr int kPairs = 15;  // the upper triangle of five rows
    const cv::v_float32x4 zero = cv::v_setzero_f32(), one = cv::v_setall_f32(1.0f);
    const cv::v_float32x4 vshare = cv::v_setall_f32(share), vfirst = cv::v_setall_f32(first);
    for (; i + kBlock <= count; i += kBlock) {
        std::array<cv::v_float32x4, kPairs + 5 + 3> sums;
        sums.fill(zero);
        for (size_t j = i; j < i + kBlock; j += 4) {
            const cv::v_uint32x4 states = cv::v_load_expand_q(state + j);
            const cv::v_float32x4 given = cv::v_load(w + j);
            const cv::v_float32x4 weight = cv::v_select(
                cv::v_reinterpret_as_f32(states == cv::v_setall_u32(kUsable)) & (given > zero),
                given, zero);
            const cv::v_float32x4 low = cv::v_load(lower + j);
            const cv::v_float32x4 r = low + vshare * (cv::v_load(upper + j) - low);
            const cv::v_float32x4 target = cv::v_load(live + j);
            std::array<cv::v_float32x4, 5> row;
            row[0] = r;
            row[4] = one;
            if constexpr (!even) {
                cv::v_float32x4 x, y;
                cv::v_load_deinterleave(units + 2 * j, x, y);
                row[1] = r * x;
                row[2] = r * y;
                row[3] = r * (x * x + y * y);
            }
#pragma GCC unroll 5
            for (int a = 0; a < 5; ++a) {
                if (a >= terms && a < 4) continue;
                const cv::v_float32x4 weighted = weight * row[a];
                sums[kPairs + a] = cv::v_muladd(weighted, target, sums[kPairs + a]);
#pragma GCC unroll 5
                for (int b = a, k = Pair(a, a); b < 5; ++b, ++k)
                    if (b < terms || b == 4) sums[k] = cv::v_muladd(weighted, row[b], sums[k]);
            }
            const cv::v_float32x4 d = target - vfirst;
            const cv::v_float32x4 wd = weight * d;
            sums[kPairs + 5] += weight;
            sums[kPairs + 6] += wd;
            sums[kPairs + 7] = cv::v_muladd(wd, d, sums[kPairs + 7]);
        }
        int k = 0;
        for (int a = 0; a < 5; ++a) {
            out.rhs[a] += cv::v_reduce_sum(sums[kPairs + a]);
            for (int b = a; b < 5; ++b) out.normal(a, b) += cv::v_reduce_sum(sums[k++]);
        }
        out.weight += cv::v_reduce_sum(sums[kPairs + 5]);
        out.moved += cv::v_reduce_sum(sums[kPairs + 6]);
        out.square += cv::v_reduce_sum(sums[kPairs + 7]);
    }
#endif
    for (; i < count; ++i) {
        if (state[i] != kUsable || !(w[i] > 0.0f)) continue;
        const float r = lower[i] + share * (upper[i] - lower[i]);
        const float x = units[2 * i], y = units[2 * i + 1];
        out.Add(w[i], {r, r * x, r * y, r * (x * x + y * y), 1.0}, live[i], live[i] - first, terms);
    }
    for (int a = 0; a < 5; ++a)
        for (int b = 0; b < a; ++b) out.normal(a, b) = out.normal(b, a);
    return out;
}

}  // namespace

bool FitLight(const LevelModel& model, const Blend& reference, const Samples& samples,
              const std::vector<float>& weights, Light& light, bool even) {
    const LightSums sums = even ? SumLight<true>(model, reference, samples, weights)
                                : SumLight<false>(model, reference, samples, weights);
    // A flat live picture (black, white, lens cap) has nothing to fit.
    if (sums.weight <= 0.0 || sums.Variance() < 1e-3) return false;
    if (even) return SolveLight(sums.normal, sums.rhs, 1, light);
    // Where the uneven light cannot be told apart from what changed, one gain for all.
    return SolveLight(sums.normal, sums.rhs, 4, light) ||
           SolveLight(sums.normal, sums.rhs, 1, light);
}

// Reference values below this tell no ratio of live to reference brightness.
constexpr float kDarkestReference = 8.0f;

// The light and the weights from nothing: a few rounds of least absolute deviations with one
// gain for all, which a quarter of the picture changed cannot lead astray, then the full light
// with Tukey's weights. False for a flat live picture.
bool SettleLight(const LevelModel& model, const Blend& reference, const Samples& samples,
                 std::vector<float>& weights, Light& light, std::vector<float>& residuals) {
    // A flat live picture (black, white, lens cap) has nothing to fit.
    double count = 0.0, mean = 0.0, square = 0.0;
    for (size_t i = 0; i < samples.state.size(); ++i) {
        if (samples.state[i] != kUsable) continue;
        count += 1.0;
        mean += samples.live[i];
        square += static_cast<double>(samples.live[i]) * samples.live[i];
    }
    if (count == 0.0) return false;
    mean /= count;
    if (square / count - mean * mean < 1e-3) return false;
    // The rounds start from one gain for all: the median of the points' ratios of live to
    // reference value. A quarter of the picture changed moves it little, wherever that quarter
    // lies. The ratio of the median values would not do: a dark figure over the bright half of
    // a plain scene pulls it far below the gain, and a least squares start follows such a figure
    // to a gain below zero. Points where the reference is nearly black tell no ratio; every
    // fourth point of a large set tells the median as well.
    const size_t stride = samples.state.size() > 2000 ? 4 : 1;
    thread_local std::vector<float> ratios;
    ratios.clear();
    for (size_t i = 0; i < samples.state.size(); i += stride) {
        const float value = reference.Value(i);
        if (samples.state[i] == kUsable && value >= kDarkestReference)
            ratios.push_back(samples.live[i] / value);
    }
    double gain = 1.0;
    if (!ratios.empty()) {
        // Bins of 1/32 of a gain.
        const float middle = Middle(ratios, 32.0f);
        if (middle > 0.0f) gain = middle;
    }
    light.c = {gain, 0.0, 0.0, 0.0, 0.0};
    weights.resize(model.points.size());
    // Rounds of least absolute deviations, the last with the full light. A round that finds no
    // gain positive all over the picture (little texture outside what changed) keeps the light
    // before it and ends the rounds.
    for (int round = 0; round <= 4; ++round) {
        if (round > 0) {
            Light fitted;
            if (!FitLight(model, reference, samples, weights, fitted, round < 4)) break;
            light = fitted;
        }
        Residuals(model, reference, samples, light, residuals);
        for (size_t i = 0; i < residuals.size(); ++i)
            weights[i] = 1.0f / std::max(std::abs(residuals[i]), 1.0f);
    }
    // The residuals are those of the light kept: a round that fails leaves them as they were.
    RobustWeights(samples, residuals, weights);
    return true;
}
}  // namespace alignment::fit
