#include "imaging/alignment_fit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <opencv2/core/hal/intrin.hpp>

#include "imaging/alignment_pictures.h"

namespace alignment::fit {
namespace {

// Bilinear sample of an 8-bit picture at (x, y), which lies inside it: clipped where one of the
// four neighbours is.
inline uint8_t Sample(const uchar* top, size_t step, double x, double y, float& value) {
    const int x0 = static_cast<int>(x);
    const int y0 = static_cast<int>(y);
    const float fx = static_cast<float>(x - x0);
    const float fy = static_cast<float>(y - y0);
    top += static_cast<size_t>(y0) * step + static_cast<size_t>(x0);
    const uchar* bottom = top + step;
    if (std::max({top[0], top[1], bottom[0], bottom[1]}) >= kSaturated) return kClipped;
    const float upper = top[0] + fx * (top[1] - top[0]);
    const float lower = bottom[0] + fx * (bottom[1] - bottom[0]);
    value = upper + fy * (lower - upper);
    return kUsable;
}

}  // namespace

const float* Blend::Descents(int k, std::vector<float>& buffer) const {
    const size_t count = lower->values.size();
    const float* low = lower->descent.data() + k * count;
    if (share == 0.0f || lower == upper) return low;
    const float* up = upper->descent.data() + k * count;
    buffer.resize(count);
    for (size_t i = 0; i < count; ++i) buffer[i] = low[i] + share * (up[i] - low[i]);
    return buffer.data();
}

const float* Blend::Changes(std::vector<float>& buffer) const {
    const size_t count = lower->values.size();
    buffer.resize(count);
    for (size_t i = 0; i < count; ++i) buffer[i] = upper->values[i] - lower->values[i];
    return buffer.data();
}

void SampleMoved(const LevelModel& model, const cv::Mat& live, const Warp& warp, Samples& out) {
    const double perUnit = kUnit * LevelScale(model.level);
    const cv::Point2d centre = kCentre * LevelScale(model.level);
    const size_t count = model.points.size();
    out.live.resize(count);
    out.state.resize(count);
    // Points within border pixels of the picture's edges are outside: there the filters saw the
    // edge instead of the scene.
    const double lowest = model.border;
    const double rightmost = live.cols - 1 - model.border;
    const double lowermost = live.rows - 1 - model.border;
    const size_t step = live.step[0];
    int counts[3] = {};
    const cv::Matx33d& h = warp.h;
    auto sample = [&](size_t i, double w, double x, double y) {
        const bool inside = w > 0.0 && x >= lowest && y >= lowest && x < rightmost && y < lowermost;
        const uint8_t state =
            inside ? Sample(live.data, step, x, y, out.live[i]) : uint8_t{kOutside};
        out.state[i] = state;
        ++counts[state];
    };
    size_t i = 0;
    for (; i < count; ++i) {
        const cv::Point2f u = model.units[i];
        const double w = h(2, 0) * u.x + h(2, 1) * u.y + h(2, 2);
        const double x = (h(0, 0) * u.x + h(0, 1) * u.y + h(0, 2)) / w * perUnit + centre.x;
        const double y = (h(1, 0) * u.x + h(1, 1) * u.y + h(1, 2)) / w * perUnit + centre.y;
        sample(i, w, x, y);
    }
    out.outside = counts[kOutside];
    out.clipped = counts[kClipped];
    out.usable = counts[kUsable];
}

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

#if CV_SIMD128
// WeightedSums' blocks of 64 points for `used` == U columns, unrolled; returns the points done.
template <int N, int U>
size_t SumBlocks(const float* const* columns, const float* w, const float* e, size_t count,
                 cv::Matx<double, N, N>& normal, cv::Vec<double, N>& rhs) {
    constexpr size_t kBlock = 64;
    constexpr int kPairs = U * (U + 1) / 2;
    size_t i = 0;
    for (; i + kBlock <= count; i += kBlock) {
        std::array<cv::v_float32x4, kPairs + U> sums;
        sums.fill(cv::v_setzero_f32());
        for (size_t j = i; j < i + kBlock; j += 4) {
            std::array<cv::v_float32x4, U> row;
#pragma GCC unroll 9
            for (int a = 0; a < U; ++a) row[a] = cv::v_load(columns[a] + j);
            const cv::v_float32x4 weight = cv::v_load(w + j);
            const cv::v_float32x4 target = cv::v_load(e + j);
            int k = 0;
#pragma GCC unroll 9
            for (int a = 0; a < U; ++a) {
                const cv::v_float32x4 weighted = weight * row[a];
                sums[kPairs + a] = cv::v_muladd(weighted, target, sums[kPairs + a]);
#pragma GCC unroll 9
                for (int b = a; b < U; ++b, ++k) sums[k] = cv::v_muladd(weighted, row[b], sums[k]);
            }
        }
        int k = 0;
        for (int a = 0; a < U; ++a) {
            rhs[a] += cv::v_reduce_sum(sums[kPairs + a]);
            for (int b = a; b < U; ++b) normal(a, b) += cv::v_reduce_sum(sums[k++]);
        }
    }
    return i;
}

template <int N, int U = 1>
size_t SumBlocksOf(int used, const float* const* columns, const float* w, const float* e,
                   size_t count, cv::Matx<double, N, N>& normal, cv::Vec<double, N>& rhs) {
    if constexpr (U > N) {
        return 0;
    } else {
        if (used == U) return SumBlocks<N, U>(columns, w, e, count, normal, rhs);
        return SumBlocksOf<N, U + 1>(used, columns, w, e, count, normal, rhs);
    }
}
#endif

template <int N>
void WeightedSums(const float* const* columns, int used, const float* w, const float* e,
                  size_t count, cv::Matx<double, N, N>& normal, cv::Vec<double, N>& rhs) {
    size_t i = 0;
#if CV_SIMD128
    i = SumBlocksOf<N>(used, columns, w, e, count, normal, rhs);
#endif
    for (; i < count; ++i) {
        if (w[i] <= 0.0f) continue;
        for (int a = 0; a < used; ++a) {
            rhs[a] += static_cast<double>(w[i]) * columns[a][i] * e[i];
            for (int b = a; b < used; ++b)
                normal(a, b) += static_cast<double>(w[i]) * columns[a][i] * columns[b][i];
        }
    }
}

template void WeightedSums<kMaxParameters + 1>(
    const float* const*, int, const float*, const float*, size_t,
    cv::Matx<double, kMaxParameters + 1, kMaxParameters + 1>&,
    cv::Vec<double, kMaxParameters + 1>&);

namespace {

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

// Tukey's biweight of each usable point's residual; the residuals' spread comes from their
// median absolute deviation, never below kNoiseFloor grey levels.
constexpr double kTukey = 4.685;

// The residuals' spread: 1.4826 times their median absolute value, at least kNoiseFloor.
namespace {

// The middle of non-negative values, as std::nth_element finds it, in fewer steps: a histogram
// of `perUnit` bins per unit (the last holding the rest) tells which bin holds it, and only the
// values in that bin are ordered. values is reordered.
float Middle(std::vector<float>& values, float perUnit) {
    constexpr int kBins = 256;
    auto binOf = [perUnit](float value) {
        const float scaled = value * perUnit;
        if (!(scaled < kBins - 1)) return kBins - 1;  // NaN too
        return scaled > 0.0f ? static_cast<int>(scaled) : 0;
    };
    std::array<int, kBins> histogram{};
    for (const float value : values) ++histogram[binOf(value)];
    size_t rank = values.size() / 2;
    int bin = 0;
    for (; rank >= static_cast<size_t>(histogram[bin]); ++bin) rank -= histogram[bin];
    const auto inBin = std::partition(values.begin(), values.end(),
                                      [&](float value) { return binOf(value) == bin; });
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(rank);
    std::nth_element(values.begin(), middle, inBin);
    return *middle;
}

}  // namespace

double Spread(const Samples& samples, const std::vector<float>& residuals) {
    // Every fourth point of a large set tells the median as well.
    const size_t stride = residuals.size() > 2000 ? 4 : 1;
    thread_local std::vector<float> magnitudes;
    magnitudes.clear();
    for (size_t i = 0; i < residuals.size(); i += stride)
        if (samples.state[i] == kUsable) magnitudes.push_back(std::abs(residuals[i]));
    if (magnitudes.empty()) return kNoiseFloor;
    // Bins of a quarter grey level.
    return std::max(1.4826 * Middle(magnitudes, 4.0f), kNoiseFloor);
}

void RobustWeights(const Samples& samples, const std::vector<float>& residuals,
                   std::vector<float>& weights) {
    const double limit = kTukey * Spread(samples, residuals);
    weights.assign(residuals.size(), 0.0f);
    for (size_t i = 0; i < residuals.size(); ++i) {
        if (samples.state[i] != kUsable) continue;
        const double t = residuals[i] / limit;
        weights[i] = t * t < 1.0 ? static_cast<float>((1.0 - t * t) * (1.0 - t * t)) : 0.0f;
    }
}

// Residuals of the usable points in the reference's grey levels.
void Residuals(const LevelModel& model, const Blend& reference, const Samples& samples,
               const Light& light, std::vector<float>& residuals) {
    // In single precision, four points at a time; the points that are not usable (their live
    // values are stale) get 0 afterwards.
    const size_t count = samples.state.size();
    residuals.resize(count);
    const float g0 = static_cast<float>(light.c[0]), g1 = static_cast<float>(light.c[1]);
    const float g2 = static_cast<float>(light.c[2]), g3 = static_cast<float>(light.c[3]);
    const float black = static_cast<float>(light.c[4]);
    const float* lower = reference.lower->values.data();
    const float* upper = reference.upper->values.data();
    const float share = reference.share;
    const float* units = &model.units.data()->x;
    const float* live = samples.live.data();
    float* out = residuals.data();
    size_t i = 0;
#if CV_SIMD128
    const cv::v_float32x4 vg0 = cv::v_setall_f32(g0), vg1 = cv::v_setall_f32(g1);
    const cv::v_float32x4 vg2 = cv::v_setall_f32(g2), vg3 = cv::v_setall_f32(g3);
    const cv::v_float32x4 vblack = cv::v_setall_f32(black), vshare = cv::v_setall_f32(share);
    for (; i + 4 <= count; i += 4) {
        cv::v_float32x4 x, y;
        cv::v_load_deinterleave(units + 2 * i, x, y);
        const cv::v_float32x4 gain = vg0 + vg1 * x + vg2 * y + vg3 * (x * x + y * y);
        const cv::v_float32x4 low = cv::v_load(lower + i);
        const cv::v_float32x4 value = low + vshare * (cv::v_load(upper + i) - low);
        cv::v_store(out + i, (cv::v_load(live + i) - vblack) / gain - value);
    }
#endif
    for (; i < count; ++i) {
        const float x = units[2 * i], y = units[2 * i + 1];
        const float gain = g0 + g1 * x + g2 * y + g3 * (x * x + y * y);
        out[i] = (live[i] - black) / gain - (lower[i] + share * (upper[i] - lower[i]));
    }
    for (i = 0; i < count; ++i)
        if (samples.state[i] != kUsable) out[i] = 0.0f;
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
