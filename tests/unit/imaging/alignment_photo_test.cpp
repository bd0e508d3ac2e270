// The alignment measurement on real photographs (Debian's opencv-doc), as a camera turned on
// its mount sees them: the live picture is the homography of a turn of a 60- or 30-degree lens.
#include <gtest/gtest.h>

#include <cmath>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <string>

#include "imaging/alignment.h"
#include "sim/scene.h"

namespace {

namespace sim = vantrel::sim;

constexpr int kMargin = 160;
const char* const kFolder = "/usr/share/doc/opencv-doc/examples/data/";

// The photograph enlarged to cover the reference's view and the room around it.
cv::Mat Scene(const std::string& file) {
    const cv::Mat grey = cv::imread(kFolder + file, cv::IMREAD_GRAYSCALE);
    if (grey.empty()) return {};
    const cv::Size size(640 + 2 * kMargin, 480 + 2 * kMargin);
    const double factor = std::max(static_cast<double>(size.width) / grey.cols,
                                   static_cast<double>(size.height) / grey.rows);
    cv::Mat enlarged;
    cv::resize(grey, enlarged, {}, factor, factor, cv::INTER_CUBIC);
    return enlarged(cv::Rect((enlarged.cols - size.width) / 2, (enlarged.rows - size.height) / 2,
                             size.width, size.height))
        .clone();
}

// What a camera at pose with a lens of `degrees` across sees, with sensor noise.
cv::Mat View(const cv::Mat& scene, const sim::Pose& pose, double degrees = 60.0,
             double brightness = 1.0, uint64_t noiseSeed = 5) {
    const double focal = 320.0 / std::tan(degrees * M_PI / 360.0);
    const std::array<double, 9> h = sim::PoseHomography(pose, focal);
    const cv::Matx33d shift(1, 0, -kMargin, 0, 1, -kMargin, 0, 0, 1);
    cv::Mat view, noise(480, 640, CV_32F);
    cv::warpPerspective(scene, view, cv::Matx33d(h.data()) * shift, {640, 480}, cv::INTER_CUBIC);
    view.convertTo(view, CV_32F, brightness);
    cv::theRNG().state = noiseSeed;
    cv::randn(noise, 0.0, 1.5);
    cv::Mat picture;
    cv::Mat(view + noise).convertTo(picture, CV_8U);
    return picture;
}

void ExpectWithin(const AlignmentOffset& offset, const sim::Pose& pose, double factor) {
    ASSERT_TRUE(offset.measured) << "failure " << static_cast<int>(offset.failure)
                                 << ", confidence " << offset.confidence;
    EXPECT_NEAR(offset.dx, pose.dx, factor * (0.25 + 0.01 * std::abs(pose.dx)));
    EXPECT_NEAR(offset.dy, pose.dy, factor * (0.25 + 0.01 * std::abs(pose.dy)));
    EXPECT_NEAR(offset.angle, pose.angle, factor * 0.1);
    EXPECT_NEAR(offset.scale, pose.scale, 0.002 * factor);
}

class AlignmentPhotos : public ::testing::Test {
protected:
    void SetUp() override {
        building_ = Scene("building.jpg");
        home_ = Scene("home.jpg");
        ASSERT_FALSE(building_.empty() || home_.empty())
            << "no photographs in " << kFolder << " (scripts/install-deps.sh installs opencv-doc)";
    }
    cv::Mat building_, home_;
};

// Far off, with the perspective of a real turn, for a wide and a narrow lens, a little nearer:
// where the reference's centre lands, the roll and the scale, each within the far goal.
TEST_F(AlignmentPhotos, TurnedCameraFarOff) {
    AlignmentMeter meter;
    meter.SetReference(View(home_, {}));
    for (const double degrees : {60.0, 30.0}) {
        const sim::Pose pose{37.0f, -28.0f, 2.6f, 1.015f};
        SCOPED_TRACE(degrees);
        ExpectWithin(meter.Measure(View(home_, pose, degrees)), pose, 1.0);
    }
}

// A dark figure over a fifth of the picture (someone walking through) is left out of the fit.
TEST_F(AlignmentPhotos, ChangedFifthIsLeftOut) {
    AlignmentMeter meter;
    meter.SetReference(View(home_, {}));
    const sim::Pose pose{-12.0f, 7.0f, -0.8f};
    cv::Mat live = View(home_, pose);
    cv::Mat cover;
    building_(cv::Rect(0, 0, 176, 350)).convertTo(cover, CV_8U, 0.4);
    cover.copyTo(live(cv::Rect(60, 100, 176, 350)));
    const AlignmentOffset offset = meter.Measure(live);
    ExpectWithin(offset, pose, 2.0);
    EXPECT_LT(offset.agreeing, 0.9) << "the figure does not agree";
}

// A figure over a quarter of the picture, in one place, darker than the scene: less than two
// thirds of the picture agrees, and the rest still measures the camera within twice the near
// goal, on a textured scene, on one whose texture lies mostly under the figure, and on a plain
// one whose bright half the figure covers.
TEST_F(AlignmentPhotos, ChangedQuarterInOnePlace) {
    const sim::Pose pose{-0.8f, -3.6f, -0.35f};
    cv::Mat cover;
    building_(cv::Rect(0, 0, 196, 392)).convertTo(cover, CV_8U, 0.5);
    int belowThreshold = 0;
    for (const char* file : {"home.jpg", "fruits.jpg", "orange.jpg"}) {
        const cv::Mat scene = Scene(file);
        ASSERT_FALSE(scene.empty()) << file;
        AlignmentMeter meter;
        meter.SetReference(View(scene, {}));
        for (const int x : {40, 100, 222, 400}) {
            cv::Mat live = View(scene, pose);
            cover.copyTo(live(cv::Rect(x, 44, cover.cols, cover.rows)));
            SCOPED_TRACE(::testing::Message() << file << ", figure at x " << x);
            const AlignmentOffset offset = meter.Measure(live);
            if (!offset.measured) {
                ADD_FAILURE() << "failure " << static_cast<int>(offset.failure) << ", confidence "
                              << offset.confidence;
                continue;
            }
            EXPECT_NEAR(offset.dx, pose.dx, 0.2);
            EXPECT_NEAR(offset.dy, pose.dy, 0.2);
            EXPECT_NEAR(offset.angle, pose.angle, 0.04);
            EXPECT_LT(offset.agreeing, 0.9) << "the figure does not agree";
            belowThreshold += offset.confidence < kAlignmentMinConfidence;
        }
    }
    EXPECT_GE(belowThreshold, 2) << "measured only through the one place";
}

// Followed from refresh to refresh, a camera held still gets its figures again; one nudged by a
// tenth of a pixel, or turned by a fiftieth of a degree, gets its new figures.
TEST_F(AlignmentPhotos, FollowedCameraNudgedALittle) {
    AlignmentMeter meter;
    meter.SetReference(View(building_, {}));
    AlignmentTrack track;
    const sim::Pose pose{4.0f, -3.0f, 0.2f};
    AlignmentOffset before = meter.Measure(View(building_, pose, 60.0, 1.0, 6), &track);
    ASSERT_TRUE(before.measured);
    const AlignmentOffset still = meter.Measure(View(building_, pose, 60.0, 1.0, 7), &track);
    EXPECT_NEAR(still.dx, before.dx, 0.02);
    EXPECT_NEAR(still.angle, before.angle, 0.005);
    before = still;
    const struct {
        sim::Pose pose;
        double dx, angle;  // the change expected
    } nudges[] = {{{4.1f, -3.0f, 0.2f}, 0.1, 0.0}, {{4.1f, -3.0f, 0.22f}, 0.0, 0.02}};
    uint64_t seed = 8;
    for (const auto& nudge : nudges) {
        const AlignmentOffset after =
            meter.Measure(View(building_, nudge.pose, 60.0, 1.0, ++seed), &track);
        ASSERT_TRUE(after.measured);
        EXPECT_NEAR(after.dx - before.dx, nudge.dx, 0.02) << "seed " << seed;
        EXPECT_NEAR(after.angle - before.angle, nudge.angle, 0.004) << "seed " << seed;
        before = after;
    }
}

// Clipped pixels in either picture are left out, not counted as outside: the reference measured
// against itself 1.6 times brighter, and a turned view of it; mostly white is over-exposed.
TEST_F(AlignmentPhotos, ClippedPicture) {
    AlignmentMeter meter;
    const cv::Mat reference = View(building_, {});
    meter.SetReference(reference);
    // Brighter until a tenth of the picture is white.
    double brightness = 1.0;
    while (cv::countNonZero(View(building_, {}, 60.0, brightness) >= 250) < 0.1 * 640 * 480)
        brightness += 0.05;
    SCOPED_TRACE(brightness);
    ExpectWithin(meter.Measure(View(building_, {}, 60.0, brightness)), {}, 1.0);
    const sim::Pose pose{-21.0f, 14.0f, 1.2f};
    ExpectWithin(meter.Measure(View(building_, pose, 60.0, brightness)), pose, 1.0);
    const AlignmentOffset white = meter.Measure(View(building_, {}, 60.0, 4.0));
    EXPECT_FALSE(white.measured);
    EXPECT_EQ(white.failure, AlignmentFailure::OverExposed);
}

// Beyond the measuring range the right scene is refused as such, never measured; another
// scene, black and grey are refused, each with its reason.
TEST_F(AlignmentPhotos, WrongPicturesAreRefusedWithTheirReason) {
    AlignmentMeter meter;
    meter.SetReference(View(building_, {}));
    for (const sim::Pose pose : {sim::Pose{110.0f, 0.0f, 0.0f}, sim::Pose{0.0f, -80.0f, 1.0f},
                                 sim::Pose{5.0f, 5.0f, 6.0f}, sim::Pose{0, 0, 0, 1.06f}}) {
        const AlignmentOffset offset = meter.Measure(View(building_, pose));
        EXPECT_FALSE(offset.measured) << pose.dx << ", " << pose.dy << ", " << pose.angle;
        EXPECT_EQ(offset.failure, AlignmentFailure::OutOfRange) << pose.dx << ", " << pose.dy;
    }
    const AlignmentOffset other = meter.Measure(View(home_, {}));
    EXPECT_FALSE(other.measured);
    EXPECT_EQ(other.failure, AlignmentFailure::NoMatch);
    const AlignmentOffset black = meter.Measure(cv::Mat(480, 640, CV_8U, cv::Scalar(3)));
    EXPECT_EQ(black.failure, AlignmentFailure::TooDark);
    const AlignmentOffset grey = meter.Measure(cv::Mat(480, 640, CV_8U, cv::Scalar(128)));
    EXPECT_FALSE(grey.measured);
    EXPECT_EQ(grey.failure, AlignmentFailure::NoMatch);
}

}  // namespace
