#include "imaging/alignment_still.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <opencv2/core/hal/intrin.hpp>

#include "imaging/alignment_pictures.h"

namespace alignment {
namespace {

constexpr int kGridStride = 4;         // every fourth pixel of every fourth row, for the light and
                                       // for what changed ...
constexpr int kEdgeStride = 2;         // ... and every other pixel of every other row on edges,
constexpr float kEdgeGradient = 3.0f;  // grey levels per pixel, for the motion
constexpr double kReadRadius = 240.0;  // the radius at which roll and scale are read, pixels
constexpr double kStillLight = 1.5;    // grey levels at the mean, and per spread of the values
constexpr int kFewestPoints = 1000;
// A point differs when its residual lies beyond this many times the residuals' spread (and at
// least kLeastDifference grey levels); the pictures differ when more than kMostDiffering of the
// points do. Sensor noise alone puts about one point in ten thousand there.
constexpr double kSpreads = 5.0;
constexpr double kLeastDifference = 8.0;
constexpr double kMostDiffering = 0.005;

// The sum of a[i] b[i]: four products at a time in float, gathered in double every 1024 points.
double Dot(const float* a, const float* b, size_t count) {
    double total = 0.0;
    for (size_t start = 0; start < count; start += 1024) {
        const size_t end = std::min(count, start + 1024);
        cv::v_float32x4 sums = cv::v_setzero_f32();
        size_t i = start;
        for (; i + 4 <= end; i += 4) sums = cv::v_fma(cv::v_load(a + i), cv::v_load(b + i), sums);
        total += cv::v_reduce_sum(sums);
        for (; i < end; ++i) total += a[i] * b[i];
    }
    return total;
}

}  // namespace

StillCheck::StillCheck(const cv::Mat& picture) : size_(picture.size()) {
    CV_Assert(picture.type() == CV_8UC1);
    // The motion's rows are made as the points are chosen; the light's need the values' mean
    // and spread, known once all are.
    const cv::Point2d centre((picture.cols - 1) / 2.0, (picture.rows - 1) / 2.0);
    // The 3 x 3 Sobel gradient, 8 times grey levels per pixel, so that it stays in integers.
    constexpr int kEdgeEnergy = static_cast<int>(64 * kEdgeGradient * kEdgeGradient);
    std::vector<double> across(picture.cols);
    for (int x = 0; x < picture.cols; ++x) across[x] = (x - centre.x) / kReadRadius;
    for (int y = kGridStride; y < picture.rows - kGridStride; y += kEdgeStride) {
        const uchar* above = picture.ptr<uchar>(y - 1);
        const uchar* row = picture.ptr<uchar>(y);
        const uchar* below = picture.ptr<uchar>(y + 1);
        const bool gridRow = y % kGridStride == 0;
        const double qy = (y - centre.y) / kReadRadius;
        for (int x = kGridStride; x < picture.cols - kGridStride; x += kEdgeStride) {
            const uchar value = row[x];
            if (value >= kSaturated) continue;  // a clipped point shows neither motion nor light
            const int gx = (above[x + 1] - above[x - 1]) + 2 * (row[x + 1] - row[x - 1]) +
                           (below[x + 1] - below[x - 1]);
            const int gy = (below[x - 1] - above[x - 1]) + 2 * (below[x] - above[x]) +
                           (below[x + 1] - above[x + 1]);
            const bool onGrid = gridRow && x % kGridStride == 0;
            if (!onGrid && gx * gx + gy * gy < kEdgeEnergy) continue;
            offsets_.push_back(y * picture.cols + x);
            values_.push_back(value);
            const double dx = gx / 8.0f, dy = gy / 8.0f;
            const double qx = across[x];
            // The live value is the kept one moved by u: value - g.u, u = shift + roll (-qy, qx)
            // + scale (qx, qy), all in pixels at kReadRadius; then the light's black level and
            // gain about the mean.
            rows_[0].push_back(static_cast<float>(-dx));
            rows_[1].push_back(static_cast<float>(-dy));
            rows_[2].push_back(static_cast<float>(dx * qy - dy * qx));
            rows_[3].push_back(static_cast<float>(-(dx * qx + dy * qy)));
        }
    }
    const size_t count = values_.size();
    if (static_cast<int>(count) < kFewestPoints) return;
    cv::Scalar mean, spread;
    cv::meanStdDev(values_, mean, spread);
    const double lightUnit = std::max(spread[0], 1.0);
    rows_[4].assign(count, 1.0f);
    std::array<float, 256> light;
    for (int v = 0; v < 256; ++v) light[v] = static_cast<float>((v - mean[0]) / lightUnit);
    rows_[5].resize(count);
    for (size_t i = 0; i < count; ++i) rows_[5][i] = light[static_cast<int>(values_[i])];
    cv::Matx<double, kParameters, kParameters> normal;
    for (int a = 0; a < kParameters; ++a)
        for (int b = 0; b <= a; ++b)
            normal(a, b) = normal(b, a) = Dot(rows_[a].data(), rows_[b].data(), count);
    cv::Mat inverse;
    // A picture that does not fix the motion (too little texture) never counts as still.
    usable_ = cv::invert(cv::Mat(normal), inverse, cv::DECOMP_SVD) > 1e-9;
    if (usable_) inverse_ = cv::Matx<double, kParameters, kParameters>(inverse);
}

bool StillCheck::Unchanged(const cv::Mat& live) const {
    if (!usable_ || live.type() != CV_8UC1 || live.size() != size_) return false;
    const cv::Mat continuous = live.isContinuous() ? live : live.clone();
    const uchar* pixels = continuous.ptr<uchar>();
    const size_t count = offsets_.size();
    std::vector<float> differences(count);
    for (size_t i = 0; i < count; ++i) differences[i] = pixels[offsets_[i]] - values_[i];

    cv::Vec<double, kParameters> projected;
    for (int k = 0; k < kParameters; ++k)
        projected[k] = Dot(rows_[k].data(), differences.data(), count);
    const cv::Vec<double, kParameters> change = inverse_ * projected;
    // Roll and scale as the pixels they move a point at kReadRadius.
    const double most[4] = {kStillShift, kStillShift,
                            kStillRoll * std::numbers::pi / 180 * kReadRadius,
                            kStillScale * kReadRadius};
    for (int i = 0; i < 4; ++i)
        if (!(std::abs(change[i]) < most[i])) return false;
    if (!(std::abs(change[4]) < kStillLight && std::abs(change[5]) < kStillLight)) return false;

    // The residuals in sixteenths of a grey level, counted; their median gives their spread.
    constexpr int kBins = 1024;
    std::array<int, kBins> histogram{};
    float* residuals = differences.data();
    for (int k = 0; k < kParameters; ++k) {
        const float* row = rows_[k].data();
        const auto step = static_cast<float>(change[k]);
        const cv::v_float32x4 steps = cv::v_setall_f32(step);
        size_t i = 0;
        for (; i + 4 <= count; i += 4)
            cv::v_store(residuals + i, cv::v_load(residuals + i) - cv::v_load(row + i) * steps);
        for (; i < count; ++i) residuals[i] -= row[i] * step;
    }
    for (size_t i = 0; i < count; ++i)
        ++histogram[std::min(static_cast<int>(std::abs(residuals[i]) * 16.0f), kBins - 1)];
    size_t below = 0;
    int median = 0;
    while ((below += histogram[median]) < count / 2) ++median;
    const double spread = 1.4826 * (median + 0.5) / 16.0;
    const int limit = static_cast<int>(16.0 * std::max(kSpreads * spread, kLeastDifference));
    if (limit >= kBins) return false;  // too noisy to tell
    size_t differing = 0;
    for (int bin = limit; bin < kBins; ++bin) differing += histogram[bin];
    return differing <= kMostDiffering * static_cast<double>(count);
}

}  // namespace alignment
