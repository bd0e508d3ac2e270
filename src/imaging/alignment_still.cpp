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

// The 3 x 3 Sobel gradient at (x, y), in grey levels per pixel.
cv::Point2f Gradient(const cv::Mat& picture, int x, int y) {
    const uchar* above = picture.ptr<uchar>(y - 1) + x;
    const uchar* row = picture.ptr<uchar>(y) + x;
    const uchar* below = picture.ptr<uchar>(y + 1) + x;
    const int gx = (above[1] - above[-1]) + 2 * (row[1] - row[-1]) + (below[1] - below[-1]);
    const int gy = (below[-1] - above[-1]) + 2 * (below[0] - above[0]) + (below[1] - above[1]);
    return {gx / 8.0f, gy / 8.0f};
}

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
    std::vector<cv::Point> points;
    std::vector<cv::Point2f> gradients;
    for (int y = kGridStride; y < picture.rows - kGridStride; y += kEdgeStride) {
        for (int x = kGridStride; x < picture.cols - kGridStride; x += kEdgeStride) {
            const uchar value = picture.at<uchar>(y, x);
            if (value >= kSaturated) continue;  // a clipped point shows neither motion nor light
            const cv::Point2f gradient = Gradient(picture, x, y);
            const bool onGrid = x % kGridStride == 0 && y % kGridStride == 0;
            if (!onGrid && gradient.dot(gradient) < kEdgeGradient * kEdgeGradient) continue;
            points.emplace_back(x, y);
            offsets_.push_back(y * picture.cols + x);
            values_.push_back(value);
            gradients.push_back(gradient);
        }
    }
    if (static_cast<int>(points.size()) < kFewestPoints) return;
    cv::Scalar mean, spread;
    cv::meanStdDev(values_, mean, spread);
    const double lightUnit = std::max(spread[0], 1.0);

    const cv::Point2d centre((picture.cols - 1) / 2.0, (picture.rows - 1) / 2.0);
    for (auto& run : rows_) run.reserve(points.size());
    for (size_t i = 0; i < points.size(); ++i) {
        const double dx = gradients[i].x, dy = gradients[i].y;
        const double qx = (points[i].x - centre.x) / kReadRadius;
        const double qy = (points[i].y - centre.y) / kReadRadius;
        // The live value is the kept one moved by u: value - g.u, u = shift + roll (-qy, qx)
        // + scale (qx, qy), all in pixels at kReadRadius; then the light's black level and gain
        // about the mean.
        const cv::Vec<double, kParameters> row(-dx, -dy, dx * qy - dy * qx, -(dx * qx + dy * qy),
                                               1.0, (values_[i] - mean[0]) / lightUnit);
        for (int k = 0; k < kParameters; ++k) rows_[k].push_back(static_cast<float>(row[k]));
    }
    cv::Matx<double, kParameters, kParameters> normal;
    for (int a = 0; a < kParameters; ++a)
        for (int b = 0; b <= a; ++b)
            normal(a, b) = normal(b, a) = Dot(rows_[a].data(), rows_[b].data(), points.size());
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
