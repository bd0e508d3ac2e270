// The figure is the gradient energy of the window (3 x 3 Sobel, Tenengrad), less the share
// the sensor noise adds to it, divided by the squared mean grey level. Against the simulated
// focus it rises at every blur step wherever the window holds an edge or texture, with steps
// tens of times its frame-to-frame spread at strong edges, and a brighter picture (exposure or
// gain) changes it by some 10 % where the variance of the Laplacian changes by 2 to 3 times.
#include "imaging/sharpness.h"

#include <algorithm>
#include <limits>
#include <opencv2/imgproc.hpp>
#include <vector>

#include "imaging/focus.h"

namespace {

constexpr int kIsolated = cv::BORDER_REPLICATE | cv::BORDER_ISOLATED;

cv::Mat WindowOf(const cv::Mat& frame, cv::Point point) {
    const CvRect rect = FocusWindowRect(cvPoint(point.x, point.y));
    if (rect.width == 0) return {};
    return frame(cv::Rect(rect.x, rect.y, rect.width, rect.height));
}

// Standard deviation of the sensor noise in a window, grey levels: the median response to a
// mask that cancels planes and smooth shading (Immerkaer's), which edges reach in few pixels.
// Only where usable is set.
double NoiseSigma(const cv::Mat& window, const cv::Mat& usable) {
    const cv::Mat mask = (cv::Mat_<float>(3, 3) << 1, -2, 1, -2, 4, -2, 1, -2, 1);
    cv::Mat response;
    cv::filter2D(window, response, CV_32F, mask, {-1, -1}, 0.0, kIsolated);
    std::vector<float> magnitudes;
    for (int y = 0; y < response.rows; ++y)
        for (int x = 0; x < response.cols; ++x)
            if (usable.at<uchar>(y, x)) magnitudes.push_back(std::abs(response.at<float>(y, x)));
    if (magnitudes.empty()) return 0.0;
    const auto middle = magnitudes.begin() + magnitudes.size() / 2;
    std::nth_element(magnitudes.begin(), middle, magnitudes.end());
    // Median of |N(0, 36 sigma^2)| is 0.6745 * 6 sigma.
    return *middle / (0.6745 * 6.0);
}

}  // namespace

bool FocusWindowOverExposed(const cv::Mat& frame, cv::Point point) {
    const cv::Mat window = WindowOf(frame, point);
    if (window.empty()) return false;
    return 2 * cv::countNonZero(window >= kSharpnessClipped) > static_cast<int>(window.total());
}

double MeasureSharpness(const cv::Mat& frame, cv::Point point) {
    const cv::Mat window = WindowOf(frame, point);
    if (window.empty() || FocusWindowOverExposed(frame, point))
        return std::numeric_limits<double>::quiet_NaN();
    const cv::Mat clipped = window >= kSharpnessClipped;
    // The 3 x 3 filters see a clipped pixel from its neighbours too.
    cv::Mat near;
    cv::dilate(clipped, near, cv::Mat(), {-1, -1}, 1, kIsolated);
    const cv::Mat usable = near == 0;
    const double count = cv::countNonZero(usable);
    if (count == 0) return std::numeric_limits<double>::quiet_NaN();

    cv::Mat gx, gy;
    cv::Sobel(window, gx, CV_32F, 1, 0, 3, 1.0, 0.0, kIsolated);
    cv::Sobel(window, gy, CV_32F, 0, 1, 3, 1.0, 0.0, kIsolated);
    cv::Mat energyMap = gx.mul(gx) + gy.mul(gy);
    const double energy = cv::sum(energyMap.setTo(0.0f, near))[0] / count;
    // Noise of deviation sigma adds 24 sigma^2 to the Sobel energy (12 per direction).
    const double sigma = NoiseSigma(window, usable);
    const double mean = std::max(cv::mean(window, clipped == 0)[0], 1.0);
    return std::max(energy - 24.0 * sigma * sigma, 0.0) / (mean * mean);
}
