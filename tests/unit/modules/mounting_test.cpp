// The simulated cameras' mounting pose: VANTREL_SIM_POSE, and the scene moved as it says.
#include "simcam/mounting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "camlink_module.h"
#include "sim/scene.h"

namespace vantrel::testing {
namespace {

using sim::kHeight;
using sim::kWidth;

TEST(Mounting, ParsesPositionsAndRejectsBadItems) {
    const simcam::Mounting m = simcam::ParseMounting(
        " rr = 12, -5 ,1.5 ;RT=0,3,-0.4;LL=1,2;xx=1,2,3;LT=1,2,3,4;RT=9,9,9;;LL=a,1,1");
    EXPECT_FLOAT_EQ(m.poses[0].dx, 12.0f);
    EXPECT_FLOAT_EQ(m.poses[0].dy, -5.0f);
    EXPECT_FLOAT_EQ(m.poses[0].angle, 1.5f);
    EXPECT_FLOAT_EQ(m.poses[2].dy, 3.0f);
    EXPECT_FLOAT_EQ(m.poses[2].angle, -0.4f) << "the first RT holds";
    EXPECT_TRUE(m.poses[1].IsIdentity());
    EXPECT_TRUE(m.poses[3].IsIdentity());
    EXPECT_EQ(m.rejected, (std::vector<std::string>{"LL=1,2", "xx=1,2,3", "LT=1,2,3,4", "RT=9,9,9",
                                                    "LL=a,1,1"}));
    EXPECT_TRUE(simcam::ParseMounting("").rejected.empty());
}

// A reference point p appears at T(p) = c + R(angle) (p - c) + (dx, dy): a small blob is found
// where the pose puts it, turned clockwise on the screen for a positive angle.
TEST(Mounting, PlaceMovesTheSceneByThePose) {
    const sim::Pose pose{12.0f, -5.0f, 10.0f};
    const double cx = (kWidth - 1) / 2.0, cy = (kHeight - 1) / 2.0;
    const double px = 420.0, py = 240.0;  // right of the centre
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
    const double a = pose.angle * std::acos(-1.0) / 180.0;
    const double ux = px - cx, uy = py - cy;
    EXPECT_NEAR(sx / sum, cx + std::cos(a) * ux - std::sin(a) * uy + pose.dx, 0.02);
    EXPECT_NEAR(sy / sum, cy + std::sin(a) * ux + std::cos(a) * uy + pose.dy, 0.02)
        << "a point right of the centre moves down: clockwise";

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
