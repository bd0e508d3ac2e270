#include "assist/camera_analysis.h"

#include <opencv2/core/core_c.h>

#include <algorithm>
#include <opencv2/imgproc.hpp>

#include "camlink/camlink_exports.h"
#include "imaging/sharpness.h"

namespace assist {
namespace {

// Scales picture to size: halved by averaging while that still leaves it at least as large as
// size, then interpolated, which looks as smooth as averaging all the way at a fraction of its
// cost.
cv::Mat Scaled(const cv::Mat& picture, cv::Size size) {
    cv::Mat scaled = picture;
    while (scaled.cols >= 2 * size.width && scaled.rows >= 2 * size.height) {
        cv::Mat half;
        cv::resize(scaled, half, cv::Size(scaled.cols / 2, scaled.rows / 2), 0, 0, cv::INTER_AREA);
        scaled = half;
    }
    cv::Mat sized;
    cv::resize(scaled, sized, size, 0, 0, cv::INTER_LINEAR);
    return sized;
}

}  // namespace

// Stretches the grey levels from the 1st to the 99.5th percentile over 0..230, so that dim
// pictures show their detail. A flat picture stays dark.
cv::Mat ShownPicture(const cv::Mat& picture, cv::Size size) {
    const cv::Mat small = Scaled(picture, size);
    int histogram[256] = {};
    for (int y = 0; y < small.rows; ++y) {
        const unsigned char* row = small.ptr<unsigned char>(y);
        for (int x = 0; x < small.cols; ++x) ++histogram[row[x]];
    }
    const int total = small.rows * small.cols;
    auto percentile = [&](double fraction) {
        int count = 0;
        for (int level = 0; level < 256; ++level) {
            count += histogram[level];
            if (count > fraction * total) return level;
        }
        return 255;
    };
    const int low = percentile(0.01);
    const int range = std::max(percentile(0.995) - low, 16);
    cv::Mat stretched;
    small.convertTo(stretched, CV_8U, 230.0 / range, -230.0 * low / range);
    return stretched;
}

CameraReading ReadCamera(const cv::Mat& live, const AlignmentMeter& meter, AlignmentTrack* track,
                         cv::Point focus) {
    CameraReading reading;
    reading.offset = meter.Measure(live, track);
    reading.sharpness = MeasureSharpness(live, focus);
    reading.overExposed = FocusWindowOverExposed(live, focus);
    IplImage header = cvIplImage(live);
    reading.focusFit = FitFocusWindow(&header, cvPoint(focus.x, focus.y));
    return reading;
}

cv::Mat OverlayPicture(const cv::Mat& live, const cv::Mat& shownReference, cv::Size size,
                       cv::Point focus) {
    cv::Mat picture;
    if (live.empty() && shownReference.empty())
        return cv::Mat(size, CV_8UC4, cv::Scalar(0, 0, 0, 255));
    if (live.empty()) {
        cv::cvtColor(shownReference, picture, cv::COLOR_GRAY2BGRA);
    } else if (shownReference.empty()) {
        cv::cvtColor(ShownPicture(live, size), picture, cv::COLOR_GRAY2BGRA);
    } else {
        const cv::Mat opaque(size, CV_8UC1, cv::Scalar(255));
        const cv::Mat channels[4] = {shownReference, ShownPicture(live, size), shownReference,
                                     opaque};
        cv::merge(channels, 4, picture);
    }
    const double scale = static_cast<double>(size.width) / kFrameWidth;
    const cv::Point corner(cvRound((focus.x - kFocusWindowHalf) * scale),
                           cvRound((focus.y - kFocusWindowHalf) * scale));
    const int side = cvRound(2 * kFocusWindowHalf * scale);
    cv::rectangle(picture, cv::Rect(corner, cv::Size(side, side)), cv::Scalar(0, 255, 255, 255), 1);
    return picture;
}

}  // namespace assist
