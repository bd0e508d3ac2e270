// Accuracy of the alignment measurement over many simulated mountings: each camera position,
// near and far poses, every blur step of the simulated focus, several exposures and gains with
// their sensor noise, against the reference pictures as the program has them. Also the
// confidence on pictures that must not be measured. Prints error statistics.
//
// Usage: alignment_sweep [CASES_PER_GROUP]   (default 60)
// Environment: SWEEP_SEED (of the poses and noise), SWEEP_FOLLOW=N (each pose measured as the
// assistant follows a still camera, after N earlier pictures of it), SWEEP_VERBOSE.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "imaging/alignment.h"
#include "sim/prng.h"
#include "sim/scene.h"
#include "simulated_views.h"

namespace {

namespace sim = vantrel::sim;

const char* const kNames[] = {"RR", "LL", "RT", "LT"};

struct Stats {
    std::vector<double> offset, angle, ms, confidence;
    int cases = 0, unmeasured = 0, outOfGoal = 0, wrongDirection = 0;

    static double Quantile(std::vector<double> v, double q) {
        if (v.empty()) return NAN;
        std::sort(v.begin(), v.end());
        return v[static_cast<size_t>(q * (v.size() - 1) + 0.5)];
    }
    static double Mean(const std::vector<double>& v) {
        double sum = 0;
        for (double x : v) sum += x;
        return v.empty() ? NAN : sum / v.size();
    }
};

void Print(const char* what, const Stats& s) {
    std::printf(
        "%-10s %4d %3d | off mean %.3f p95 %.3f max %.3f | ang mean %.4f p95 %.4f max %.4f | "
        "conf min %.2f | out of goal %d, wrong direction %d | ms mean %.2f max %.2f\n",
        what, s.cases, s.unmeasured, Stats::Mean(s.offset), Stats::Quantile(s.offset, 0.95),
        Stats::Quantile(s.offset, 1.0), Stats::Mean(s.angle), Stats::Quantile(s.angle, 0.95),
        Stats::Quantile(s.angle, 1.0), Stats::Quantile(s.confidence, 0.0), s.outOfGoal,
        s.wrongDirection, Stats::Mean(s.ms), Stats::Quantile(s.ms, 1.0));
}

bool Opposite(double truth, double measured) {
    return (truth > 0 && measured < 0) || (truth < 0 && measured > 0);
}

}  // namespace

int main(int argc, char** argv) {
    const int perGroup = argc > 1 ? std::atoi(argv[1]) : 60;
    const bool verbose = std::getenv("SWEEP_VERBOSE") != nullptr;
    // SWEEP_FOLLOW=N: each pose measured after N earlier refreshes of the same still camera.
    const int refreshes = std::getenv("SWEEP_FOLLOW") ? std::atoi(std::getenv("SWEEP_FOLLOW")) : 0;
    std::mt19937 random(std::getenv("SWEEP_SEED") ? std::atoi(std::getenv("SWEEP_SEED"))
                                                  : 20240611);
    std::array<cv::Mat, 4> references;
    std::array<AlignmentMeter, 4> meters;
    for (int slot = 0; slot < 4; ++slot) {
        references[slot] = bench::ReferencePicture(slot);
        meters[slot].SetReference(references[slot]);
    }
    Stats overall[2];
    for (int slot = 0; slot < 4; ++slot) {
        const sim::Radiance scene = sim::RenderRadiance(slot);
        for (int far = 0; far < 2; ++far) {
            const double reach = far ? 40.0 : 5.0;
            const double turn = far ? 3.0 : 0.5;
            std::uniform_real_distribution<double> shift(-reach, reach), angle(-turn, turn);
            Stats stats;
            for (int i = 0; i < perGroup; ++i) {
                const sim::Pose pose{static_cast<float>(shift(random)),
                                     static_cast<float>(shift(random)),
                                     static_cast<float>(angle(random))};
                const float sigma = 0.4f + 2.0f * (i % 8) / 7.0f;
                const float gain = 1.0f + static_cast<float>((i / 8) % 3);
                const float exposure = 0.7f + 0.3f * static_cast<float>(i % 5);
                // A still camera as the assistant follows it: the refreshes before the one
                // counted, each a new picture.
                AlignmentTrack track;
                for (int k = 0; k < refreshes; ++k)
                    meters[slot].Measure(
                        bench::LivePicture(scene, pose, sigma, gain, exposure, random()), &track);
                const cv::Mat live =
                    bench::LivePicture(scene, pose, sigma, gain, exposure, random());
                const auto start = std::chrono::steady_clock::now();
                const AlignmentOffset offset =
                    meters[slot].Measure(live, refreshes > 0 ? &track : nullptr);
                const double ms = std::chrono::duration<double, std::milli>(
                                      std::chrono::steady_clock::now() - start)
                                      .count();
                ++stats.cases;
                stats.ms.push_back(ms);
                stats.confidence.push_back(offset.confidence);
                if (!offset.measured) {
                    ++stats.unmeasured;
                    if (verbose)
                        std::printf("  unmeasured %s %.2f %.2f %.3f conf %.3f\n", kNames[slot],
                                    pose.dx, pose.dy, pose.angle, offset.confidence);
                    continue;
                }
                const double ex = std::abs(offset.dx - pose.dx);
                const double ey = std::abs(offset.dy - pose.dy);
                const double ea = std::abs(offset.angle - pose.angle);
                stats.offset.push_back(std::max(ex, ey));
                stats.angle.push_back(ea);
                const bool out = far ? (ex > 0.25 + 0.01 * std::abs(pose.dx) ||
                                        ey > 0.25 + 0.01 * std::abs(pose.dy) || ea > 0.1)
                                     : (ex > 0.1 || ey > 0.1 || ea > 0.02);
                stats.outOfGoal += out;
                // A direction is only asked of components larger than the tolerance.
                const double offsetTolerance = far ? 0.25 : 0.1;
                const double angleTolerance = far ? 0.1 : 0.02;
                stats.wrongDirection +=
                    (std::abs(pose.dx) > offsetTolerance && Opposite(pose.dx, offset.dx)) ||
                    (std::abs(pose.dy) > offsetTolerance && Opposite(pose.dy, offset.dy)) ||
                    (std::abs(pose.angle) > angleTolerance && Opposite(pose.angle, offset.angle));
                if (verbose && out)
                    std::printf(
                        "  %s true %.2f %.2f %.3f got %.3f %.3f %.4f sigma %.1f gain %.0f\n",
                        kNames[slot], pose.dx, pose.dy, pose.angle, offset.dx, offset.dy,
                        offset.angle, sigma, gain);
            }
            const std::string what = std::string(kNames[slot]) + (far ? " far" : " near");
            Print(what.c_str(), stats);
            for (auto list : {&Stats::offset, &Stats::angle, &Stats::ms, &Stats::confidence})
                (overall[far].*list)
                    .insert((overall[far].*list).end(), (stats.*list).begin(), (stats.*list).end());
            overall[far].cases += stats.cases;
            overall[far].unmeasured += stats.unmeasured;
            overall[far].outOfGoal += stats.outOfGoal;
            overall[far].wrongDirection += stats.wrongDirection;
        }
    }
    Print("all near", overall[0]);
    Print("all far", overall[1]);

    // Pictures that must not be measured: flat frames, and every other position's picture,
    // sharp and blurred, at two exposures and gains.
    std::printf("\nrefusals (confidence, highest of the cases; '!' marks a measured one)\n");
    for (int slot = 0; slot < 4; ++slot) {
        std::printf("%s reference:", kNames[slot]);
        for (const int level : {0, 2, 255}) {
            const cv::Mat flat(sim::kHeight, sim::kWidth, CV_8UC1, cv::Scalar(level));
            const AlignmentOffset o = meters[slot].Measure(flat);
            std::printf(" flat %d %.3f%s", level, o.confidence, o.measured ? "!" : "");
        }
        for (int other = 0; other < 4; ++other) {
            if (other == slot) continue;
            const sim::Radiance scene = sim::RenderRadiance(other);
            double highest = 0.0;
            int measured = 0;
            for (const float sigma : {0.4f, 2.4f})
                for (const float gain : {1.0f, 3.0f}) {
                    const sim::Pose pose{static_cast<float>(random() % 21) - 10.0f, 0.0f, 0.0f};
                    const AlignmentOffset o = meters[slot].Measure(
                        bench::LivePicture(scene, pose, sigma, gain, 1.0f, random()));
                    highest = std::max(highest, o.confidence);
                    measured += o.measured;
                }
            std::printf(" %s %.3f%s", kNames[other], highest, measured ? "!" : "");
        }
        std::printf("\n");
    }
    return 0;
}
