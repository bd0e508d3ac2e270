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
    for (size_t i = 0; i < count; ++i) {
        const cv::Point2f u = model.units[i];
        const double w = h(2, 0) * u.x + h(2, 1) * u.y + h(2, 2);
        const double x = (h(0, 0) * u.x + h(0, 1) * u.y + h(0, 2)) / w * perUnit + centre.x;
        const double y = (h(1, 0) * u.x + h(1, 1) * u.y + h(1, 2)) / w * perUnit + centre.y;
        const bool inside = w > 0.0 && x >= lowest && y >= lowest && x < rightmost && y < lowermost;
        const uint8_t state =
            inside ? Sample(live.data, step, x, y, out.live[i]) : uint8_t{kOutside};
        out.state[i] = state;
        ++counts[state];
    }
    out.outside = counts[kOutside];
    out.clipped = counts[kClipped];
    out.usable = counts[kUsable];
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

// The residuals' spread: 1.4826 times their median absolute value, at least kNoiseFloor.
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

// Tukey's biweight of each usable point's residual; the residuals' spread comes from their
// median absolute deviation, never below kNoiseFloor grey levels.
constexpr double kTukey = 4.685;

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

}  // namespace alignment::fit
