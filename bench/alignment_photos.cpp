// Accuracy of the alignment measurement on real photographs (not rendered by this project):
// the live picture is what a camera turned on its mount sees, the homography of a rotation,
// for lenses of 60 and 30 degrees across; near and far poses; each nuisance alone and all
// together; and pictures that must be refused. Prints the tables of docs/PERFORMANCE.md.
//
//   build/bench/alignment_photos [poses per case, default 6] [only the conditions named so]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "imaging/alignment.h"
#include "photo_views.h"
#include "sim/scene.h"

namespace sim = vantrel::sim;

namespace {

struct Condition {
    const char* name;
    bench::Nuisance nuisance;
    double scale = 1.0;  // of the pose
};

const Condition kConditions[] = {
    {"clean", {}},
    {"noise 2-4", {.noise = 3.0}},
    {"bright x0.6", {.brightness = 0.6}},
    {"bright x1.6, clipped", {.brightness = 1.6}},
    {"blur 1.5", {.blur = 1.5}},
    {"blur 3", {.blur = 3.0}},
    {"vignetting 0.6", {.vignette = 0.6}},
    {"changed 15 %", {.changed = 0.15}},
    {"changed 25 %", {.changed = 0.25}},
    {"scale +2 %", {}, 1.02},
    {"scale -2 %", {}, 0.98},
    {"JPEG 60", {.jpeg = 60}},
    {"all together",
     {.noise = 3.0, .brightness = 1.3, .blur = 1.5, .vignette = 0.6, .changed = 0.15, .jpeg = 60},
     1.015},
};

struct Tally {
    int cases = 0, refused = 0, inGoal = 0, inTwice = 0, wrongSign = 0;
    int lightlyClipped = 0, lightlyRefused = 0;  // pictures at most 10 % clipped
    double worstShift = 0, worstAngle = 0, worstScale = 0;
    std::vector<double> shiftErrors;

    void Add(const sim::Pose& pose, const AlignmentOffset& offset, bool far) {
        ++cases;
        if (!offset.measured) {
            ++refused;
            return;
        }
        const double ex = std::abs(offset.dx - pose.dx), ey = std::abs(offset.dy - pose.dy);
        const double ea = std::abs(offset.angle - pose.angle);
        const double es = std::abs(offset.scale - pose.scale);
        const double allowX = far ? 0.25 + 0.01 * std::abs(pose.dx) : 0.1;
        const double allowY = far ? 0.25 + 0.01 * std::abs(pose.dy) : 0.1;
        const double allowA = far ? 0.1 : 0.02;
        inGoal += ex <= allowX && ey <= allowY && ea <= allowA;
        inTwice += ex <= 2 * allowX && ey <= 2 * allowY && ea <= 2 * allowA;
        auto opposite = [](double truth, double found, double beyond) {
            return std::abs(truth) > beyond && truth * found < 0;
        };
        wrongSign += opposite(pose.dx, offset.dx, 1.0) || opposite(pose.dy, offset.dy, 1.0) ||
                     opposite(pose.angle, offset.angle, 0.1);
        worstShift = std::max({worstShift, ex, ey});
        worstAngle = std::max(worstAngle, ea);
        worstScale = std::max(worstScale, es);
        shiftErrors.push_back(std::max(ex, ey));
    }
    double Median() {
        if (shiftErrors.empty()) return NAN;
        auto middle = shiftErrors.begin() + shiftErrors.size() / 2;
        std::nth_element(shiftErrors.begin(), middle, shiftErrors.end());
        return *middle;
    }
};

sim::Pose RandomPose(bool far, double scale, std::mt19937& random) {
    std::uniform_real_distribution<double> shift(far ? -40.0 : -5.0, far ? 40.0 : 5.0);
    std::uniform_real_distribution<double> turn(far ? -3.0 : -0.5, far ? 3.0 : 0.5);
    return {static_cast<float>(shift(random)), static_cast<float>(shift(random)),
            static_cast<float>(turn(random)), static_cast<float>(scale)};
}

cv::Mat ReferenceOf(const bench::Photo& photo, std::mt19937& random) {
    return bench::Spoil(bench::TurnedView(photo, sim::PoseHomography({})), {}, {}, random);
}

std::vector<double> costs;

AlignmentOffset Timed(const AlignmentMeter& meter, const cv::Mat& live) {
    const auto start = std::chrono::steady_clock::now();
    const AlignmentOffset offset = meter.Measure(live);
    costs.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
    return offset;
}

void Accuracy(const std::vector<bench::Photo>& photos, int poses, const char* only) {
    std::printf(
        "| lens | condition | pose | cases | refused | refused of those ≤ 10 %% clipped | in goal "
        "| in 2x goal | wrong sign | median px | worst px | worst deg | worst scale %% |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|---|---|---|\n");
    for (const double degrees : {60.0, 30.0}) {
        const double focal = 320.0 / std::tan(degrees / 2.0 * M_PI / 180.0);
        for (const Condition& condition : kConditions) {
            if (only != nullptr && std::string(condition.name).find(only) == std::string::npos)
                continue;
            for (const bool far : {false, true}) {
                Tally tally;
                std::mt19937 random(17);
                for (size_t p = 0; p < photos.size(); ++p) {
                    AlignmentMeter meter;
                    meter.SetReference(ReferenceOf(photos[p], random));
                    const cv::Mat& other = photos[(p + 1) % photos.size()].scene;
                    for (int i = 0; i < poses; ++i) {
                        const sim::Pose pose = RandomPose(far, condition.scale, random);
                        const cv::Mat live = bench::Spoil(
                            bench::TurnedView(photos[p], sim::PoseHomography(pose, focal)),
                            condition.nuisance, other, random);
                        const AlignmentOffset offset = Timed(meter, live);
                        tally.Add(pose, offset, far);
                        if (cv::countNonZero(live >= 250) <= 0.1 * live.total()) {
                            ++tally.lightlyClipped;
                            tally.lightlyRefused += !offset.measured;
                        }
                        if (std::getenv("VANTREL_VERBOSE") &&
                            (!offset.measured || std::abs(offset.dx - pose.dx) > 0.3 ||
                             std::abs(offset.dy - pose.dy) > 0.3))
                            std::fprintf(
                                stderr,
                                "%s %s %s (%.1f %.1f %.2f %.3f): %d %d c%.2f a%.2f %.2f %.2f %.3f "
                                "%.4f\n",
                                photos[p].name.c_str(), condition.name, far ? "far" : "near",
                                pose.dx, pose.dy, pose.angle, pose.scale, offset.measured,
                                static_cast<int>(offset.failure), offset.confidence,
                                offset.agreeing, offset.dx, offset.dy, offset.angle, offset.scale);
                    }
                }
                std::printf(
                    "| %.0f° | %s | %s | %d | %d | %d of %d | %d | %d | %d | %.3f | %.3f | %.3f | "
                    "%.2f |\n",
                    degrees, condition.name, far ? "far" : "near", tally.cases, tally.refused,
                    tally.lightlyRefused, tally.lightlyClipped, tally.inGoal, tally.inTwice,
                    tally.wrongSign, tally.Median(), tally.worstShift, tally.worstAngle,
                    100.0 * tally.worstScale);
                std::fflush(stdout);
            }
        }
    }
}

const char* FailureName(AlignmentFailure failure) {
    switch (failure) {
        case AlignmentFailure::None:
            return "measured";
        case AlignmentFailure::NoReference:
            return "no reference";
        case AlignmentFailure::OverExposed:
            return "over-exposed";
        case AlignmentFailure::TooDark:
            return "too dark";
        case AlignmentFailure::NoMatch:
            return "no match";
        case AlignmentFailure::OutOfRange:
            return "out of range";
    }
    return "?";
}

void Refusals(const std::vector<bench::Photo>& photos) {
    std::printf("\n| wrong picture | cases | accepted | reasons given |\n|---|---|---|---|\n");
    std::mt19937 random(29);
    const double focal60 = 320.0 / std::tan(M_PI / 6.0);
    struct Row {
        const char* name;
        int cases = 0, accepted = 0;
        int reasons[6] = {};
    };
    Row rows[4] = {
        {"another photograph"}, {"black"}, {"uniform grey"}, {"right scene, beyond range"}};
    auto add = [](Row& row, const AlignmentOffset& offset) {
        ++row.cases;
        row.accepted += offset.measured;
        ++row.reasons[static_cast<int>(offset.failure)];
    };
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (size_t p = 0; p < photos.size(); ++p) {
        AlignmentMeter meter;
        meter.SetReference(ReferenceOf(photos[p], random));
        for (size_t q = 0; q < photos.size(); ++q) {
            if (q == p) continue;
            add(rows[0], Timed(meter, ReferenceOf(photos[q], random)));
        }
        cv::Mat black(480, 640, CV_8U, cv::Scalar(3)), grey(480, 640, CV_8U, cv::Scalar(128));
        add(rows[1], Timed(meter, bench::Spoil(black, {.noise = 1.0}, {}, random)));
        add(rows[2], Timed(meter, bench::Spoil(grey, {.noise = 2.0}, {}, random)));
        const sim::Pose beyond[] = {{100, 0, 0}, {-110, 20, 0}, {0, 75, 0},       {10, -85, 1},
                                    {0, 0, 6},   {5, 5, -7},    {0, 0, 0, 1.06f}, {0, 0, 0, 0.94f}};
        for (const sim::Pose& pose : beyond)
            add(rows[3],
                Timed(meter,
                      bench::Spoil(bench::TurnedView(photos[p], sim::PoseHomography(pose, focal60)),
                                   {}, {}, random)));
    }
    for (const Row& row : rows) {
        std::string reasons;
        for (int r = 0; r < 6; ++r)
            if (row.reasons[r] > 0)
                reasons += (reasons.empty() ? "" : ", ") +
                           std::string(FailureName(static_cast<AlignmentFailure>(r))) + " " +
                           std::to_string(row.reasons[r]);
        std::printf("| %s | %d | %d | %s |\n", row.name, row.cases, row.accepted, reasons.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int poses = argc > 1 ? std::max(1, std::atoi(argv[1])) : 6;
    const std::vector<bench::Photo> photos = bench::LoadPhotos();
    if (photos.size() < 8) {
        std::fprintf(stderr,
                     "alignment_photos: fewer than 8 photographs found (install "
                     "opencv-doc or set VANTREL_PHOTOS)\n");
        return 1;
    }
    std::printf("%zu photographs:", photos.size());
    for (const bench::Photo& photo : photos)
        std::printf(" %s (%s)", photo.name.c_str(), photo.kind);
    std::printf("\n\n");
    if (!std::getenv("VANTREL_REFUSALS_ONLY"))
        Accuracy(photos, poses, argc > 2 ? argv[2] : nullptr);
    Refusals(photos);
    std::sort(costs.begin(), costs.end());
    std::printf(
        "\nmeasurements %zu, cost per measurement: median %.2f ms, 90th percentile %.2f ms\n",
        costs.size(), costs[costs.size() / 2], costs[costs.size() * 9 / 10]);
    return 0;
}
