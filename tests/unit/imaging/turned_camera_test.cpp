// End to end through the simulated camera module: a top camera turned on its mount, a little
// nearer than its reference's, with someone walking through its view; the meter, given the
// built-in reference, keeps measuring the turn while the figure crosses.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <span>

#include "camlink_module.h"
#include "imaging/alignment.h"
#include "sim/scene.h"

namespace vantrel::testing {
namespace {

TEST(TurnedCamera, MeasuredThroughTheModuleWhileAFigureCrosses) {
    setenv("VANTREL_CAMERA", "sim-dalsa", 1);
    setenv("VANTREL_SIM_POSE", "RT=25,-15,1.5,1", 1);
    setenv("VANTREL_SIM_CROSSING", "RT=50", 1);
    LoadedModule module(ProgramModulePath("QxCamLinkDLLDALSA.so"));
    ASSERT_NE(module.handle(), nullptr) << dlerror();
    const int opened = module->InitDevice();
    unsetenv("VANTREL_SIM_POSE");
    unsetenv("VANTREL_SIM_CROSSING");
    ASSERT_EQ(opened, 1);
    ASSERT_EQ(module->StartDevice(0), 1);

    cv::Mat reference(sim::kHeight, sim::kWidth, CV_8UC1);
    ASSERT_TRUE(sim::RenderReference(2, std::span(reference.data, sim::kPixels)));
    AlignmentMeter meter;
    meter.SetReference(reference);

    // Frames 0 to 49 of the camera: the figure walks through frames 1 to 39 (kCrossingFrames).
    int measured = 0, withFigure = 0;
    cv::Mat first;
    for (int frame = 0; frame < 50; ++frame) {
        const uint8_t* pixels = module->GetBufferPointer(2);
        ASSERT_NE(pixels, nullptr);
        const cv::Mat live(sim::kHeight, sim::kWidth, CV_8UC1, const_cast<uint8_t*>(pixels));
        const AlignmentOffset offset = meter.Measure(live);
        // Against the first frame, where the view is still clear, the figure shows as a dark block.
        if (frame == 0) first = live.clone();
        const bool figure = frame > 0 && cv::countNonZero(live + 20 < first) > sim::kPixels / 20;
        withFigure += figure;
        SCOPED_TRACE(::testing::Message() << "frame " << frame << (figure ? ", figure" : ""));
        if (!offset.measured) continue;
        ++measured;
        EXPECT_NEAR(offset.dx, 25.0, 2 * (0.25 + 0.25));
        EXPECT_NEAR(offset.dy, -15.0, 2 * (0.25 + 0.15));
        EXPECT_NEAR(offset.angle, 1.5, 0.2);
        EXPECT_NEAR(offset.scale, 1.01, 0.003);
    }
    EXPECT_GE(withFigure, 30) << "the figure is in view most of the time";
    EXPECT_GE(measured, 48) << "measured while the figure crosses";
    module->ReleaseDevice();
}

}  // namespace
}  // namespace vantrel::testing
