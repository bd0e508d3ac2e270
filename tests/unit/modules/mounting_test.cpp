// The simulated cameras' mounting pose: VANTREL_SIM_POSE, and the scene moved as it says.
#include "simcam/mounting.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "camlink_module.h"
#include "sim/scene.h"
#include "simcam/frame_source.h"

namespace vantrel::testing {
namespace {

using sim::kHeight;
using sim::kWidth;

TEST(Mounting, ParsesPositionsAndRejectsBadItems) {
    const simcam::Mounting m = simcam::ParseMounting(
        " rr = 12, -5 ,1.5 ;RT=0,3,-0.4, 2;LL=1,2;xx=1,2,3;LT=1,2,3,4,5;RT=9,9,9;;LL=a,1,1;"
        "LT=1,2,3,-60");
    EXPECT_FLOAT_EQ(m.poses[0].dx, 12.0f);
    EXPECT_FLOAT_EQ(m.poses[0].dy, -5.0f);
    EXPECT_FLOAT_EQ(m.poses[0].angle, 1.5f);
    EXPECT_FLOAT_EQ(m.poses[2].dy, 3.0f);
    EXPECT_FLOAT_EQ(m.poses[2].angle, -0.4f) << "the first RT holds";
    EXPECT_FLOAT_EQ(m.poses[2].scale, 1.02f) << "percent";
    EXPECT_FLOAT_EQ(m.poses[0].scale, 1.0f);
    EXPECT_TRUE(m.poses[1].IsIdentity());
    EXPECT_TRUE(m.poses[3].IsIdentity());
    EXPECT_EQ(m.rejected, (std::vector<std::string>{"LL=1,2", "xx=1,2,3", "LT=1,2,3,4,5",
                                                    "RT=9,9,9", "LL=a,1,1", "LT=1,2,3,-60"}));
    EXPECT_TRUE(simcam::ParseMounting("").rejected.empty());

    const simcam::Crossings c = simcam::ParseCrossings("RT=100; lt = 60;RR=10;LL=x;RT=50");
    EXPECT_EQ(c.periods, (std::array<int, 4>{0, 0, 100, 60}));
    EXPECT_EQ(c.rejected, (std::vector<std::string>{"RR=10", "LL=x", "RT=50"}));
}

// A dark figure of about a fifth of the picture walks from left to right through the view:
// absent between crossings, in the middle halfway through one, and the rest of the picture as
// without it.
TEST(Mounting, FigureCrossesTheView) {
    simcam::FrameSource plain(2), crossed(2);
    crossed.SetCrossing(100);
    auto frame = [](simcam::FrameSource& source, uint64_t index) {
        const uint8_t* pixels = source.Produce({index, 1.0f, 1.0f, 7});
        return std::vector<uint8_t>(pixels, pixels + sim::kPixels);
    };
    EXPECT_EQ(frame(crossed, 60), frame(plain, 60)) << "between crossings";
    for (const uint64_t index : {110u, 130u}) {
        const std::vector<uint8_t> with = frame(crossed, index), without = frame(plain, index);
        double changed = 0, left = 0, right = 0;
        for (int i = 0; i < sim::kPixels; ++i) {
            if (with[i] == without[i]) continue;
            ++changed;
            (i % kWidth < kWidth / 2 ? left : right) += 1;
            EXPECT_LE(with[i], 30) << "dark, at " << i;
        }
        EXPECT_NEAR(changed / sim::kPixels, 0.16, 0.05) << "frame " << index;
        EXPECT_EQ(left > right, index == 110u) << "first on the left, then on the right";
    }
}

struct Point {
    double x, y;
};
double Distance(Point a, Point b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}

// Where a small bright blob at (px, py) shows once the scene is placed at pose.
Point Placed(const sim::Pose& pose, double px, double py) {
    sim::Radiance image(sim::kPixels, 0.0f);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            image[y * kWidth + x] = static_cast<float>(
                100.0 * std::exp(-((x - px) * (x - px) + (y - py) * (y - py)) / 18.0));
    sim::Place(image, pose);
    double sum = 0.0, sx = 0.0, sy = 0.0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const double v = image[y * kWidth + x];
            sum += v;
            sx += v * x;
            sy += v * y;
        }
    return {sx / sum, sy / sum};
}

// The angle between the rays of the simulated lens through two pixels.
double RayAngle(Point a, Point b) {
    const double cx = (kWidth - 1) / 2.0, cy = (kHeight - 1) / 2.0, f = sim::kFocalLength;
    const double ax = a.x - cx, ay = a.y - cy, bx = b.x - cx, by = b.y - cy;
    const double dot = ax * bx + ay * by + f * f;
    return std::acos(dot / std::sqrt((ax * ax + ay * ay + f * f) * (bx * bx + by * by + f * f)));
}

// The camera turns: the reference's centre lands (dx, dy) away, and a turn keeps the angle
// between any two rays, which a slide does not; a point right of the centre moves down for a
// positive roll (clockwise on the screen). A scale enlarges about the landing point.
TEST(Mounting, PlaceTurnsTheCameraAsThePoseSays) {
    const double cx = (kWidth - 1) / 2.0, cy = (kHeight - 1) / 2.0;
    const sim::Pose pose{30.0f, -20.0f, 10.0f};
    const Point centre = Placed(pose, cx, cy);
    EXPECT_NEAR(centre.x, cx + 30.0, 0.02);
    EXPECT_NEAR(centre.y, cy - 20.0, 0.02);
    const Point right = Placed(pose, cx + 150.0, cy);
    EXPECT_NEAR(RayAngle(centre, right), RayAngle({cx, cy}, {cx + 150.0, cy}), 5e-5);
    EXPECT_GT(right.y - centre.y, 150.0 * std::sin(0.15)) << "clockwise";
    const Point corner = Placed(pose, 200.0, 340.0);
    EXPECT_NEAR(RayAngle(right, corner), RayAngle({cx + 150.0, cy}, {200.0, 340.0}), 5e-5);
    EXPECT_GT(std::abs(Distance(corner, centre) - Distance({200.0, 340.0}, {cx, cy})), 1.0)
        << "a turn, not a slide: distances in the picture change";

    sim::Pose nearer = pose;
    nearer.scale = 1.02f;
    const Point scaled = Placed(nearer, cx + 150.0, cy);
    EXPECT_NEAR(Distance(Placed(nearer, cx, cy), centre), 0.0, 0.02);
    EXPECT_NEAR(Distance(scaled, centre) / Distance(right, centre), 1.02, 0.001);

    sim::Radiance untouched(sim::kPixels, 3.0f);
    sim::Place(untouched, {});
    EXPECT_EQ(untouched, sim::Radiance(sim::kPixels, 3.0f));
}

// Sum of squared differences between posed(x + dx, y + dy) and plain(x, y) over the middle.
double Mismatch(const std::vector<uint8_t>& posed, const std::vector<uint8_t>& plain, int dx,
                int dy) {
    double sum = 0.0;
    for (int y = 40; y < kHeight - 40; ++y)
        for (int x = 40; x < kWidth - 40; ++x) {
            const double d = posed[(y + dy) * kWidth + x + dx] - plain[y * kWidth + x];
            sum += d * d;
        }
    return sum;
}

// The module reads the poses at its first InitDevice: a named position's frames show the scene
// shifted, another position's are those of an unset variable, byte for byte.
TEST(Mounting, CameraModuleMountsEachPositionAsNamed) {
    setenv("VANTREL_CAMERA", "sim-dalsa", 1);
    auto frames = [](const char* poses) {
        if (poses != nullptr)
            setenv("VANTREL_SIM_POSE", poses, 1);
        else
            unsetenv("VANTREL_SIM_POSE");
        LoadedModule module(ProgramModulePath("QxCamLinkDLLDALSA.so"));
        std::vector<std::vector<uint8_t>> result;
        if (module.handle() == nullptr || module->InitDevice() != 1 || module->StartDevice(0) != 1)
            return result;
        for (int slot : {0, 2}) {
            const uint8_t* pixels = module->GetBufferPointer(slot);
            if (pixels != nullptr) result.emplace_back(pixels, pixels + sim::kPixels);
        }
        module->ReleaseDevice();
        return result;
    };
    const auto plain = frames(nullptr);
    ::testing::internal::CaptureStderr();
    const auto posed = frames("RR=12,-5,0;LL=oops");
    const std::string errors = ::testing::internal::GetCapturedStderr();
    unsetenv("VANTREL_SIM_POSE");
    ASSERT_EQ(plain.size(), 2u);
    ASSERT_EQ(posed.size(), 2u);

    EXPECT_EQ(posed[1], plain[1]) << "RT is not named";
    double best = std::numeric_limits<double>::max();
    int bestX = 0, bestY = 0;
    for (int dy = -8; dy <= 8; ++dy)
        for (int dx = -16; dx <= 16; ++dx) {
            const double mismatch = Mismatch(posed[0], plain[0], dx, dy);
            if (mismatch < best) {
                best = mismatch;
                bestX = dx;
                bestY = dy;
            }
        }
    EXPECT_EQ(bestX, 12);
    EXPECT_EQ(bestY, -5);
    EXPECT_NE(errors.find("VANTREL_SIM_POSE: \"LL=oops\" ignored"), std::string::npos) << errors;
}

}  // namespace
}  // namespace vantrel::testing
