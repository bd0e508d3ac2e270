#include "imaging/alignment_search.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <opencv2/imgproc.hpp>

namespace alignment {
namespace {

// Peaks within this share of the highest at every angle tell no turn apart.
constexpr double kFlatAngles = 0.8;

// Scales every complex element to unit magnitude (zero stays zero).
void Whiten(cv::Mat& spectrum) {
    for (int y = 0; y < spectrum.rows; ++y) {
        auto* row = spectrum.ptr<cv::Vec2f>(y);
        for (int x = 0; x < spectrum.cols; ++x) {
            const float magnitude = std::hypot(row[x][0], row[x][1]);
            row[x] = magnitude > 1e-12f ? row[x] / magnitude : cv::Vec2f(0.0f, 0.0f);
        }
    }
}

// Offset of the peak's centre of mass over its 3 x 3 neighbourhood, the surface being periodic.
cv::Point2d PeakCentre(const cv::Mat& surface, cv::Point peak) {
    double sum = 0.0, sx = 0.0, sy = 0.0;
    for (int j = -1; j <= 1; ++j) {
        const int y = (peak.y + j + surface.rows) % surface.rows;
        for (int i = -1; i <= 1; ++i) {
            const int x = (peak.x + i + surface.cols) % surface.cols;
            const double v = std::max(0.0f, surface.at<float>(y, x));
            sum += v;
            sx += v * i;
            sy += v * j;
        }
    }
    cv::Point2d centre(peak);
    if (sum > 0.0) centre += cv::Point2d(sx / sum, sy / sum);
    // Shifts past half the picture wrap around to negative ones.
    if (centre.x > surface.cols / 2.0) centre.x -= surface.cols;
    if (centre.y > surface.rows / 2.0) centre.y -= surface.rows;
    return centre;
}

}  // namespace

cv::Mat RotationSearch::Spectrum(const cv::Mat& picture) const {
    cv::Mat real;
    picture.convertTo(real, CV_32F);
    real -= cv::mean(real)[0];
    real = real.mul(window_);
    cv::Mat spectrum;
    cv::dft(real, spectrum, cv::DFT_COMPLEX_OUTPUT);
    return spectrum;
}

void RotationSearch::Prepare(const cv::Mat& reference, int level,
                             const std::vector<double>& angles) {
    level_ = level;
    angles_ = angles;
    cv::createHanningWindow(window_, reference.size(), CV_32F);
    // Shifts up to a quarter of the picture: the corners of the correlation surface, which
    // holds negative shifts at its far ends.
    const int reachX = reference.cols / 4;
    const int reachY = reference.rows / 4;
    reach_ = cv::Mat::zeros(reference.size(), CV_8U);
    for (int y = 0; y < reference.rows; ++y)
        for (int x = 0; x < reference.cols; ++x) {
            const bool nearX = x <= reachX || x >= reference.cols - reachX;
            const bool nearY = y <= reachY || y >= reference.rows - reachY;
            reach_.at<uchar>(y, x) = nearX && nearY ? 255 : 0;
        }
    spectra_.clear();
    const double scale = LevelScale(level);
    const cv::Point2f centre(static_cast<float>(kCentre.x * scale),
                             static_cast<float>(kCentre.y * scale));
    for (const double angle : angles_) {
        // getRotationMatrix2D turns counter-clockwise on the screen for a positive angle.
        const cv::Mat turn = cv::getRotationMatrix2D(centre, -angle, 1.0);
        cv::Mat turned;
        cv::warpAffine(reference, turned, turn, reference.size(), cv::INTER_LINEAR,
                       cv::BORDER_REPLICATE);
        cv::Mat spectrum = Spectrum(turned);
        Whiten(spectrum);
        spectra_.push_back(spectrum);
    }
}

CoarseMatch RotationSearch::Find(const cv::Mat& live) const {
    cv::Mat spectrum = Spectrum(live);
    Whiten(spectrum);
    std::vector<CoarseMatch> matches(angles_.size());
    cv::Mat product, surface;
    for (size_t i = 0; i < angles_.size(); ++i) {
        // live(x) = turned(x - d) puts the peak of the correlation surface at d.
        cv::mulSpectrums(spectrum, spectra_[i], product, 0, true);
        cv::dft(product, surface, cv::DFT_INVERSE | cv::DFT_SCALE | cv::DFT_REAL_OUTPUT);
        cv::Point at;
        cv::minMaxLoc(surface, nullptr, &matches[i].peak, nullptr, &at, reach_);
        const cv::Point2d shift = PeakCentre(surface, at) / LevelScale(level_);
        matches[i].motion = Warp::AboutCentre(angles_[i] * std::numbers::pi / 180.0, shift);
    }
    const auto best = std::max_element(matches.begin(), matches.end(),
                                       [](auto& a, auto& b) { return a.peak < b.peak; });
    const auto lowest = std::min_element(matches.begin(), matches.end(),
                                         [](auto& a, auto& b) { return a.peak < b.peak; });
    // A scene whose large shapes lie along one direction (a horizon, a wall's edge) correlates
    // about as well at every angle: there the turn is left to the fit, from upright.
    if (lowest->peak >= kFlatAngles * best->peak) {
        size_t upright = 0;
        for (size_t i = 1; i < angles_.size(); ++i)
            if (std::abs(angles_[i]) < std::abs(angles_[upright])) upright = i;
        return matches[upright];
    }
    return *best;
}

}  // namespace alignment
