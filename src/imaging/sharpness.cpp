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

// Standard deviation of the sensor noise in a window, grey levels: the median response to a
// mask that cancels planes and smooth shading (Immerkaer's), which edges reach in few pixels.
double NoiseSigma(const cv::Mat& window) {
    const cv::Mat mask = (cv::Mat_<float>(3, 3) << 1, -2, 1, -2, 4, -2, 1, -2, 1);
    cv::Mat response;
    cv::filter2D(window, response, CV_32F, mask, {-1, -1}, 0.0, kIsolated);
    std::vector<float> magnitudes(response.begin<float>(), response.end<float>());
    for (float& m : magnitudes) m = std::abs(m);
    const auto middle = magnitudes.begin() + magnitudes.size() / 2;
    std::nth_element(magnitudes.begin(), middle, magnitudes.end());
    // Median of |N(0, 36 sigma^2)| is 0.6745 * 6 sigma.
    return *middle / (0.6745 * 6.0);
}

}  // namespace

double MeasureSharpness(const cv::Mat& frame, cv::Point point) {
    const CvRect rect = FocusWindowRect(cvPoint(point.x, point.y));
    if (rect.width == 0) return std::numeric_limits<double>::quiet_NaN();
    const cv::Mat window = frame(cv::Rect(rect.x, rect.y, rect.width, rect.height));

    cv::Mat gx, gy;
    cv::Sobel(window, gx, CV_32F, 1, 0, 3, 1.0, 0.0, kIsolated);
    cv::Sobel(window, gy, CV_32F, 0, 1, 3, 1.0, 0.0, kIsolated);
    const double energy = (gx.dot(gx) + gy.dot(gy)) / static_cast<double>(window.total());
    // Noise of deviation sigma adds 24 sigma^2 to the Sobel energy (12 per direction).
    const double sigma = NoiseSigma(window);
    const double mean = std::max(cv::mean(window)[0], 1.0);
    return std::max(energy - 24.0 * sigma * sigma, 0.0) / (mean * mean);
}
