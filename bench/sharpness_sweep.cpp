// Which sharpness figure follows the simulated focus best. For each candidate, at several focus
// points of the simulated cameras, over the eight blur steps of the simulated focus: the swing
// from sharpest to softest, how far one blur step moves the figure compared with its
// frame-to-frame noise, whether every step moves it the right way, and how much a brighter
// picture (more exposure, or more gain and so more noise) changes it. Prints one table.
//
// Usage: sharpness_sweep [FRAMES_PER_STEP]   (default 12)
#include <opencv2/core/core_c.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <optional>
#include <string>
#include <vector>

#include "imaging/focus.h"
#include "imaging/sharpness.h"
#include "sim/prng.h"
#include "sim/scene.h"

namespace {

namespace sim = vantrel::sim;

constexpr int kSteps = 8;  // the simulated focus: blur 0.4 .. 2.4 px in eight steps

float StepSigma(int step) {
    return 0.4f + 2.0f * step / (kSteps - 1);
}

cv::Mat Expose(const sim::Radiance& blurred, float brightness, float gain, uint64_t seed) {
    sim::Rng rng(seed);
    const float noise = 0.6f + 0.6f * gain;
    cv::Mat picture(sim::kHeight, sim::kWidth, CV_8UC1);
    for (int i = 0; i < sim::kPixels; ++i) {
        const float value = blurred[i] * brightness + 2.0f + noise * rng.Gaussian();
        picture.data[i] = static_cast<uint8_t>(std::clamp(std::lround(value), 0L, 255L));
    }
    return picture;
}

cv::Mat Window(const cv::Mat& frame, cv::Point point) {
    const CvRect rect = FocusWindowRect(cvPoint(point.x, point.y));
    return frame(cv::Rect(rect.x, rect.y, rect.width, rect.height));
}

double Mean(const cv::Mat& window) {
    return std::max(cv::mean(window)[0], 1.0);
}

double LaplacianVariance(const cv::Mat& window) {
    cv::Mat laplacian;
    cv::Laplacian(window, laplacian, CV_32F, 1, 1.0, 0.0,
                  cv::BORDER_REPLICATE | cv::BORDER_ISOLATED);
    cv::Scalar mean, sd;
    cv::meanStdDev(laplacian, mean, sd);
    return sd[0] * sd[0];
}

double Tenengrad(const cv::Mat& window) {
    cv::Mat gx, gy;
    cv::Sobel(window, gx, CV_32F, 1, 0, 3, 1.0, 0.0, cv::BORDER_REPLICATE | cv::BORDER_ISOLATED);
    cv::Sobel(window, gy, CV_32F, 0, 1, 3, 1.0, 0.0, cv::BORDER_REPLICATE | cv::BORDER_ISOLATED);
    return (gx.dot(gx) + gy.dot(gy)) / window.total();
}

double FocusValue(const cv::Mat& frame, cv::Point point) {
    IplImage image = cvIplImage(frame);
    const std::optional<FocusFit> fit = FitFocusWindow(&image, cvPoint(point.x, point.y));
    return fit ? fit->a : std::nan("");
}

struct Candidate {
    const char* name;
    std::function<double(const cv::Mat& frame, cv::Point point)> measure;
};

struct Spot {
    const char* name;
    int slot;
    cv::Point point;
};

double Average(const std::vector<double>& v) {
    double sum = 0.0;
    for (double x : v) sum += x;
    return sum / v.size();
}

double Spread(const std::vector<double>& v) {
    const double mean = Average(v);
    double sum = 0.0;
    for (double x : v) sum += (x - mean) * (x - mean);
    return std::sqrt(sum / (v.size() - 1));
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(2, std::atoi(argv[1])) : 12;
    const std::vector<Candidate> candidates = {
        {"focus value (histogram parabola)", FocusValue},
        {"variance of Laplacian",
         [](const cv::Mat& f, cv::Point p) { return LaplacianVariance(Window(f, p)); }},
        {"variance of Laplacian / mean^2",
         [](const cv::Mat& f, cv::Point p) {
             const cv::Mat w = Window(f, p);
             return LaplacianVariance(w) / (Mean(w) * Mean(w));
         }},
        {"Tenengrad (Sobel energy)",
         [](const cv::Mat& f, cv::Point p) { return Tenengrad(Window(f, p)); }},
        {"Tenengrad / mean^2",
         [](const cv::Mat& f, cv::Point p) {
             const cv::Mat w = Window(f, p);
             return Tenengrad(w) / (Mean(w) * Mean(w));
         }},
        {"(Tenengrad - noise) / mean^2, MeasureSharpness",
         [](const cv::Mat& f, cv::Point p) { return MeasureSharpness(f, p); }},
    };
    const std::vector<Spot> spots = {
        {"side, the spot", 0, {318, 262}},    {"side, mat edge", 0, {150, 236}},
        {"side, plain wall", 0, {160, 100}},  {"top, a mark", 2, {70, 276}},
        {"top, panel corner", 2, {262, 176}},
    };

    for (const Spot& spot : spots) {
        const sim::Radiance scene = sim::RenderRadiance(spot.slot);
        std::vector<sim::Radiance> blurred;
        for (int step = 0; step < kSteps; ++step) {
            blurred.push_back(scene);
            sim::Defocus(blurred.back(), StepSigma(step));
        }
        std::printf("\n%s (%d, %d)\n", spot.name, spot.point.x, spot.point.y);
        std::printf("%-34s %10s %10s %7s %9s %6s %8s %8s\n", "figure", "sharpest", "softest",
                    "swing", "step/sd", "steps", "expo x2", "gain x2");
        for (const Candidate& candidate : candidates) {
            std::vector<double> means;
            double worstSeparation = 1e9;
            int rightWay = 0;
            std::vector<double> previous;
            for (int step = 0; step < kSteps; ++step) {
                std::vector<double> values;
                for (int i = 0; i < frames; ++i)
                    values.push_back(candidate.measure(
                        Expose(blurred[step], 1.0f, 1.0f, sim::Mix(step, i, 1)), spot.point));
                means.push_back(Average(values));
                if (step > 0) {
                    // One blur step against the frame-to-frame spread of either side.
                    const double spread = std::max(Spread(values), Spread(previous));
                    worstSeparation =
                        std::min(worstSeparation, (means[step - 1] - means[step]) / spread);
                    rightWay += means[step - 1] > means[step] ? 1 : 0;
                }
                previous = values;
            }
            // Brightness: the middle blur step at twice the exposure, and at twice the gain
            // (twice the brightness with more noise), against the nominal picture.
            std::vector<double> nominal, exposure, gain;
            for (int i = 0; i < frames; ++i) {
                const uint64_t seed = sim::Mix(99, i);
                nominal.push_back(
                    candidate.measure(Expose(blurred[3], 1.0f, 1.0f, seed), spot.point));
                exposure.push_back(
                    candidate.measure(Expose(blurred[3], 2.0f, 1.0f, seed), spot.point));
                gain.push_back(candidate.measure(Expose(blurred[3], 2.0f, 2.0f, seed), spot.point));
            }
            std::printf("%-34s %10.4g %10.4g %7.2f %9.2f %4d/7 %8.2f %8.2f\n", candidate.name,
                        means.front(), means.back(), means.front() / means.back(), worstSeparation,
                        rightWay, Average(exposure) / Average(nominal),
                        Average(gain) / Average(nominal));
        }
    }
    return 0;
}
