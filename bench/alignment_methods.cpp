// The ways to measure alignment that were tried, on the same simulated mountings: phase
// correlation alone, log-polar phase correlation for the turn, phase correlation followed by
// OpenCV's ECC on a three-level pyramid, ORB features with RANSAC, and AlignmentMeter. Each gets
// the reference as the program has it and live pictures mounted near and far off it, blurred,
// noisy and at other exposures. Prints, per method and camera, how many were found, the errors
// and the time per measurement on one core.
//
// Usage: alignment_methods [CASES_PER_GROUP]   (default 12)
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <numbers>
#include <opencv2/calib3d.hpp>
#include <opencv2/core.hpp>
#include <opencv2/features2d.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/video/tracking.hpp>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "imaging/alignment.h"
#include "sim/prng.h"
#include "sim/scene.h"
#include "simulated_views.h"

namespace {

namespace sim = vantrel::sim;

const cv::Point2d kCentre(319.5, 239.5);

struct Estimate {
    double dx, dy, angle;  // the meter's convention: pixels, degrees
};

// A method measures live against the reference it was prepared with; nullopt: no answer.
using Method = std::function<std::optional<Estimate>(const cv::Mat& live)>;
using Preparer = std::function<Method(const cv::Mat& reference)>;

// q = A p + b (2 x 3, reference to live) in the meter's terms.
Estimate FromMatrix(const cv::Matx23d& m) {
    const cv::Point2d centre(m(0, 0) * kCentre.x + m(0, 1) * kCentre.y + m(0, 2),
                             m(1, 0) * kCentre.x + m(1, 1) * kCentre.y + m(1, 2));
    return {centre.x - kCentre.x, centre.y - kCentre.y,
            std::atan2(m(1, 0), m(0, 0)) * 180.0 / std::numbers::pi};
}

cv::Mat Floats(const cv::Mat& picture) {
    cv::Mat values;
    picture.convertTo(values, CV_32F);
    return values;
}

cv::Mat Window() {
    cv::Mat window;
    cv::createHanningWindow(window, {640, 480}, CV_32F);
    return window;
}

// cv::phaseCorrelate(a, b) gives the shift that moves a onto b.
Method PhaseCorrelation(const cv::Mat& reference) {
    const cv::Mat ref = Floats(reference);
    const cv::Mat window = Window();
    return [ref, window](const cv::Mat& live) -> std::optional<Estimate> {
        const cv::Point2d shift = cv::phaseCorrelate(ref, Floats(live), window);
        return Estimate{shift.x, shift.y, 0.0};
    };
}

// The turn from the log-polar magnitude spectra (which a shift leaves alone), then the shift
// by phase correlation against the turned reference.
Method LogPolar(const cv::Mat& reference) {
    const cv::Mat window = Window();
    auto magnitude = [window](const cv::Mat& picture) {
        cv::Mat values = Floats(picture);
        values -= cv::mean(values)[0];
        values = values.mul(window);
        cv::Mat spectrum, planes[2], result;
        cv::dft(values, spectrum, cv::DFT_COMPLEX_OUTPUT);
        cv::split(spectrum, planes);
        cv::magnitude(planes[0], planes[1], result);
        cv::log(result + 1.0f, result);
        // Quadrants swapped so that the zero frequency sits in the middle.
        const int cx = result.cols / 2, cy = result.rows / 2;
        cv::Mat shifted = result.clone();
        result(cv::Rect(0, 0, cx, cy)).copyTo(shifted(cv::Rect(cx, cy, cx, cy)));
        result(cv::Rect(cx, cy, cx, cy)).copyTo(shifted(cv::Rect(0, 0, cx, cy)));
        result(cv::Rect(cx, 0, cx, cy)).copyTo(shifted(cv::Rect(0, cy, cx, cy)));
        result(cv::Rect(0, cy, cx, cy)).copyTo(shifted(cv::Rect(cx, 0, cx, cy)));
        cv::Mat polar;
        cv::warpPolar(shifted, polar, {240, 720}, {static_cast<float>(cx), static_cast<float>(cy)},
                      240.0,
                      static_cast<int>(cv::INTER_LINEAR) | static_cast<int>(cv::WARP_POLAR_LOG));
        return polar;
    };
    const cv::Mat refPolar = magnitude(reference);
    const cv::Mat ref = Floats(reference);
    return [=](const cv::Mat& live) -> std::optional<Estimate> {
        // Rows of the polar picture are angles, 720 over 360 degrees; a spectrum repeats
        // every 180 degrees, and the turns looked for are small.
        const cv::Point2d polarShift = cv::phaseCorrelate(refPolar, magnitude(live));
        double angle = polarShift.y * 360.0 / 720.0;
        if (angle > 90.0) angle -= 180.0;
        if (angle < -90.0) angle += 180.0;
        const cv::Mat turn = cv::getRotationMatrix2D(kCentre, -angle, 1.0);
        cv::Mat turned;
        cv::warpAffine(ref, turned, turn, ref.size(), cv::INTER_LINEAR, cv::BORDER_REPLICATE);
        const cv::Point2d shift = cv::phaseCorrelate(turned, Floats(live), window);
        return Estimate{shift.x, shift.y, angle};
    };
}

// The first try: phase correlation for the shift, then ECC (Euclidean) from the coarsest of
// three pyramid levels to the full picture.
Method PhaseThenEcc(const cv::Mat& reference) {
    const cv::Mat ref = Floats(reference);
    const cv::Mat window = Window();
    return [ref, window](const cv::Mat& live) -> std::optional<Estimate> {
        const cv::Mat values = Floats(live);
        const cv::Point2d shift = cv::phaseCorrelate(ref, values, window);
        std::vector<cv::Mat> refs{ref}, lives{values};
        for (int level = 1; level < 3; ++level) {
            cv::Mat a, b;
            cv::pyrDown(refs.back(), a);
            cv::pyrDown(lives.back(), b);
            refs.push_back(a);
            lives.push_back(b);
        }
        cv::Mat warp = (cv::Mat_<float>(2, 3) << 1, 0, shift.x / 4, 0, 1, shift.y / 4);
        try {
            for (int level = 2; level >= 0; --level) {
                cv::findTransformECC(refs[level], lives[level], warp, cv::MOTION_EUCLIDEAN,
                                     {cv::TermCriteria::COUNT + cv::TermCriteria::EPS, 100, 1e-5},
                                     cv::noArray(), 5);
                if (level > 0) {
                    warp.at<float>(0, 2) *= 2;
                    warp.at<float>(1, 2) *= 2;
                }
            }
        } catch (const cv::Exception&) {
            return std::nullopt;  // ECC did not converge
        }
        cv::Mat m;
        warp.convertTo(m, CV_64F);
        return FromMatrix(cv::Matx23d(m));
    };
}

// ORB corners matched with a ratio test, a rigid-with-scale motion by RANSAC.
Method Features(const cv::Mat& reference) {
    auto orb = cv::ORB::create(2000);
    auto keypoints = std::make_shared<std::vector<cv::KeyPoint>>();
    auto descriptors = std::make_shared<cv::Mat>();
    orb->detectAndCompute(reference, cv::noArray(), *keypoints, *descriptors);
    return [=](const cv::Mat& live) -> std::optional<Estimate> {
        std::vector<cv::KeyPoint> liveKeys;
        cv::Mat liveDescriptors;
        orb->detectAndCompute(live, cv::noArray(), liveKeys, liveDescriptors);
        if (descriptors->empty() || liveDescriptors.empty()) return std::nullopt;
        cv::BFMatcher matcher(cv::NORM_HAMMING);
        std::vector<std::vector<cv::DMatch>> pairs;
        matcher.knnMatch(*descriptors, liveDescriptors, pairs, 2);
        std::vector<cv::Point2f> from, to;
        for (const auto& pair : pairs) {
            if (pair.size() == 2 && pair[0].distance < 0.8f * pair[1].distance) {
                from.push_back((*keypoints)[pair[0].queryIdx].pt);
                to.push_back(liveKeys[pair[0].trainIdx].pt);
            }
        }
        if (from.size() < 6) return std::nullopt;
        const cv::Mat m = cv::estimateAffinePartial2D(from, to, cv::noArray(), cv::RANSAC, 2.0);
        if (m.empty()) return std::nullopt;
        return FromMatrix(cv::Matx23d(m));
    };
}

Method Meter(const cv::Mat& reference) {
    auto meter = std::make_shared<AlignmentMeter>();
    meter->SetReference(reference);
    return [meter](const cv::Mat& live) -> std::optional<Estimate> {
        const AlignmentOffset offset = meter->Measure(live);
        if (!offset.measured) return std::nullopt;
        return Estimate{offset.dx, offset.dy, offset.angle};
    };
}

struct Case {
    int slot;
    bool far;
    sim::Pose pose;
    cv::Mat live;
};

double Quantile(std::vector<double> v, double q) {
    if (v.empty()) return NAN;
    std::sort(v.begin(), v.end());
    return v[static_cast<size_t>(q * (v.size() - 1) + 0.5)];
}

}  // namespace

int main(int argc, char** argv) {
    cv::setNumThreads(0);
    const int perGroup = argc > 1 ? std::max(1, std::atoi(argv[1])) : 12;
    std::mt19937 random(1234);
    std::vector<Case> cases;
    for (int slot = 0; slot < 4; ++slot) {
        const sim::Radiance scene = sim::RenderRadiance(slot);
        for (const bool far : {false, true}) {
            std::uniform_real_distribution<double> shift(far ? -40 : -5, far ? 40 : 5);
            std::uniform_real_distribution<double> turn(far ? -3 : -0.5, far ? 3 : 0.5);
            for (int i = 0; i < perGroup; ++i) {
                const sim::Pose pose{static_cast<float>(shift(random)),
                                     static_cast<float>(shift(random)),
                                     static_cast<float>(turn(random))};
                cases.push_back({slot, far, pose,
                                 bench::LivePicture(scene, pose, 0.4f + 2.0f * (i % 8) / 7.0f,
                                                    1.0f + static_cast<float>(i % 3),
                                                    0.7f + 0.15f * (i % 4), random())});
            }
        }
    }
    const struct {
        const char* name;
        Preparer prepare;
    } methods[] = {
        {"phase correlation", PhaseCorrelation},
        {"log-polar + phase correlation", LogPolar},
        {"phase correlation + ECC pyramid", PhaseThenEcc},
        {"ORB + RANSAC", Features},
        {"AlignmentMeter", Meter},
    };
    const char* names[] = {"side", "top"};
    std::printf("%-32s %-5s %-4s %7s %9s %9s %9s %9s %7s %8s\n", "method", "cam", "pose", "found",
                "off p95", "off max", "ang p95", "ang max", "in goal", "ms mean");
    for (const auto& method : methods) {
        std::array<Method, 4> prepared;
        for (int slot = 0; slot < 4; ++slot)
            prepared[slot] = method.prepare(bench::ReferencePicture(slot));
        for (int camera = 0; camera < 2; ++camera) {
            for (const bool far : {false, true}) {
                std::vector<double> offsets, angles, times;
                int found = 0, count = 0, inGoal = 0;
                for (const Case& c : cases) {
                    if (c.far != far || c.slot / 2 != camera) continue;
                    ++count;
                    const auto start = std::chrono::steady_clock::now();
                    const std::optional<Estimate> e = prepared[c.slot](c.live);
                    times.push_back(std::chrono::duration<double, std::milli>(
                                        std::chrono::steady_clock::now() - start)
                                        .count());
                    if (!e) continue;
                    ++found;
                    const double ex = std::abs(e->dx - c.pose.dx), ey = std::abs(e->dy - c.pose.dy);
                    const double ea = std::abs(e->angle - c.pose.angle);
                    offsets.push_back(std::max(ex, ey));
                    angles.push_back(ea);
                    inGoal += far ? ex <= 0.25 + 0.01 * std::abs(c.pose.dx) &&
                                        ey <= 0.25 + 0.01 * std::abs(c.pose.dy) && ea <= 0.1
                                  : ex <= 0.1 && ey <= 0.1 && ea <= 0.02;
                }
                double total = 0.0;
                for (double t : times) total += t;
                std::printf("%-32s %-5s %-4s %3d/%-3d %9.3f %9.3f %9.3f %9.3f %3d/%-3d %8.1f\n",
                            method.name, names[camera], far ? "far" : "near", found, count,
                            Quantile(offsets, 0.95), Quantile(offsets, 1.0), Quantile(angles, 0.95),
                            Quantile(angles, 1.0), inGoal, count, total / count);
            }
        }
    }
    return 0;
}
