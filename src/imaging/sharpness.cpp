// The figure is the gradient energy of the window (3 x 3 Sobel, Tenengrad), less the share
// the sensor noise adds to it, divided by the squared mean grey level. Against the simulated
// focus it rises at every blur step wherever the window holds an edge or texture, with steps
// tens of times its frame-to-frame spread at strong edges, and a brighter picture (exposure or
// gain) changes it by some 10 % where the variance of the Laplacian changes by 2 to 3 times.
#include "imaging/sharpness.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>
#include <opencv2/imgproc.hpp>
#include <vector>

#include "imaging/focus.h"

namespace {

cv::Mat WindowOf(const cv::Mat& frame, cv::Point point) {
    const CvRect rect = FocusWindowRect(cvPoint(point.x, point.y));
    if (rect.width == 0) return {};
    return frame(cv::Rect(rect.x, rect.y, rect.width, rect.height));
}

}  // namespace

bool FocusWindowOverExposed(const cv::Mat& frame, cv::Point point) {
    const cv::Mat window = WindowOf(frame, point);
    if (window.empty()) return false;
    return 2 * cv::countNonZero(window >= kSharpnessClipped) > static_cast<int>(window.total());
}

// One pass over the window, its edges repeated a pixel outwards as the 3 x 3 filters see them.
// A pixel is usable when no pixel of its 3 x 3 neighbourhood is clipped: the filters see a
// clipped pixel from its neighbours too. The sensor noise is the median response over the
// usable pixels to a mask that cancels planes and smooth shading (Immerkaer's), which edges
// reach in few pixels. Every sum is of integers, exact in double.
double MeasureSharpness(const cv::Mat& frame, cv::Point point) {
    const cv::Mat window = WindowOf(frame, point);
    if (window.empty()) return std::numeric_limits<double>::quiet_NaN();
    cv::Mat padded;
    cv::copyMakeBorder(window, padded, 1, 1, 1, 1, cv::BORDER_REPLICATE | cv::BORDER_ISOLATED);
    // Per padded column, whether the 3 rows about the current one hold a clipped pixel.
    std::vector<uchar> clippedColumn(padded.cols);
    // |Immerkaer response| <= 16 * 255.
    std::array<int, 16 * 255 + 1> responses{};
    double energy = 0.0, sum = 0.0;
    int usable = 0, unclipped = 0;
    for (int y = 0; y < window.rows; ++y) {
        const uchar* above = padded.ptr<uchar>(y);
        const uchar* row = padded.ptr<uchar>(y + 1);
        const uchar* below = padded.ptr<uchar>(y + 2);
        for (int x = 0; x < padded.cols; ++x)
            clippedColumn[x] = std::max({above[x], row[x], below[x]}) >= kSharpnessClipped;
        for (int x = 1; x <= window.cols; ++x) {
            if (row[x] < kSharpnessClipped) {
                sum += row[x];
                ++unclipped;
            }
            if (clippedColumn[x - 1] | clippedColumn[x] | clippedColumn[x + 1]) continue;
            const int gx = (above[x + 1] - above[x - 1]) + 2 * (row[x + 1] - row[x - 1]) +
                           (below[x + 1] - below[x - 1]);
            const int gy = (below[x - 1] - above[x - 1]) + 2 * (below[x] - above[x]) +
                           (below[x + 1] - above[x + 1]);
            energy += gx * gx + gy * gy;
            const int corners = above[x - 1] + above[x + 1] + below[x - 1] + below[x + 1];
            const int sides = above[x] + row[x - 1] + row[x + 1] + below[x];
            ++responses[std::abs(corners - 2 * sides + 4 * row[x])];
            ++usable;
        }
    }
    // More than half of the window clipped (as FocusWindowOverExposed), or no pixel usable.
    if (2 * (static_cast<int>(window.total()) - unclipped) > static_cast<int>(window.total()) ||
        usable == 0)
        return std::numeric_limits<double>::quiet_NaN();
    energy /= usable;
    int median = 0;
    for (int below = 0; (below += responses[median]) <= usable / 2;) ++median;
    // Median of |N(0, 36 sigma^2)| is 0.6745 * 6 sigma.
    const double sigma = median / (0.6745 * 6.0);
    const double mean = std::max(unclipped > 0 ? sum * (1.0 / unclipped) : 0.0, 1.0);
    // Noise of deviation sigma adds 24 sigma^2 to the Sobel energy (12 per direction).
    return std::max(energy - 24.0 * sigma * sigma, 0.0) / (mean * mean);
}
