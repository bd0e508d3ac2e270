// The GenICam device and camera classes in this process, against Aravis's fake camera: finding
// it, setting it up for the program's picture, its frames, and a camera that stops answering.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "camlink/camlink_exports.h"
#include "fake_camera.h"
#include "genicam/device.h"

namespace vantrel::genicam {
namespace {

using vantrel::testing::FakeDescription;

int64_t Register(ArvDevice* device, const char* feature) {
    return arv_device_get_integer_feature_value(device, feature, nullptr);
}

class FakeDevice : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(vantrel::testing::kFakeCameraOnly);
        unsetenv("VANTREL_CAMERA_SERIALS");
        ASSERT_TRUE(device_.Init());
    }

    GenicamDevice device_;
};

TEST_F(FakeDevice, TakesACentredBinnedMono8PictureFromTheLargerSensor) {
    // Unnamed, the fake is the side camera of both installations.
    Camera* camera = device_.CameraAt(kSlotRightSide);
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(device_.CameraAt(kSlotLeftSide), camera);
    EXPECT_EQ(device_.CameraAt(kSlotRightTop), nullptr);
    EXPECT_EQ(device_.CameraAt(kSlotLeftTop), nullptr);

    ASSERT_TRUE(device_.Start(0));
    ArvDevice* arv = camera->device();
    EXPECT_STREQ(arv_device_get_string_feature_value(arv, "PixelFormat", nullptr), "Mono8");
    EXPECT_EQ(Register(arv, "Width"), kFrameWidth);
    EXPECT_EQ(Register(arv, "Height"), kFrameHeight);
    EXPECT_EQ(Register(arv, "BinningHorizontal"), 3);
    EXPECT_EQ(Register(arv, "BinningVertical"), 3);
    EXPECT_EQ(Register(arv, "OffsetX"), 21);
    EXPECT_EQ(Register(arv, "OffsetY"), 101);
}

TEST_F(FakeDevice, HandsOutEachFrameInAModuleBufferThatOutlivesTheNextFetch) {
    ASSERT_TRUE(device_.Start(0));
    Camera* camera = device_.CameraAt(kSlotRightSide);

    std::vector<const uint8_t*> frames;
    std::vector<std::vector<uint8_t>> copies;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(vantrel::testing::WaitFor([&] { return camera->FrameReady(); }));
        const uint8_t* frame = device_.NextFrame(kSlotRightSide);
        ASSERT_NE(frame, nullptr);
        ASSERT_TRUE(vantrel::testing::IsFakeRamp(frame, kFrameWidth, kFrameHeight)) << i;
        if (!frames.empty()) {
            EXPECT_NE(frame, frames.back()) << "a new frame lands in another buffer";
            // The previous frame is still intact after this fetch.
            EXPECT_EQ(std::memcmp(frames.back(), copies.back().data(), kFrameBytes), 0);
        }
        frames.push_back(frame);
        copies.emplace_back(frame, frame + kFrameBytes);
    }
    EXPECT_NE(copies[0], copies[1]) << "the fake's ramp moves from frame to frame";

    // Positions not started, or without a camera, give nothing.
    int32_t grabbed = -1;
    EXPECT_EQ(device_.NextFrame(kSlotLeftSide), nullptr);
    EXPECT_EQ(device_.NextFrame(kSlotRightTop), nullptr);
    EXPECT_TRUE(device_.GetInt("FrameGrapped", kSlotRightTop, &grabbed));
    EXPECT_EQ(grabbed, 0);

    device_.Stop();
    EXPECT_FALSE(camera->running());
    EXPECT_EQ(device_.NextFrame(kSlotRightSide), nullptr);
}

TEST_F(FakeDevice, ACameraThatStopsAnsweringFallsSilentUntilTheNextInit) {
    ASSERT_TRUE(device_.Start(0));
    Camera* camera = device_.CameraAt(kSlotRightSide);
    ASSERT_TRUE(vantrel::testing::WaitFor([&] { return camera->FrameReady(); }));

    // What Aravis reports when a camera is unplugged.
    g_signal_emit_by_name(camera->device(), "control-lost");
    EXPECT_TRUE(camera->lost());
    int32_t grabbed = -1;
    float exposure = -1.0f;
    EXPECT_TRUE(device_.GetInt("FrameGrapped", kSlotRightSide, &grabbed));
    EXPECT_EQ(grabbed, 0);
    EXPECT_EQ(device_.NextFrame(kSlotRightSide), nullptr);
    EXPECT_FALSE(device_.GetFloat("ExposureTime", kSlotRightSide, &exposure));
    EXPECT_FALSE(device_.SetFloat("Gain", kSlotRightSide, 2.0f));
    EXPECT_EQ(exposure, -1.0f);
    EXPECT_FALSE(device_.Start(0)) << "a lost camera does not start again";
    EXPECT_TRUE(device_.Stop());

    // The next start searches again and finds the camera.
    ASSERT_TRUE(device_.Init());
    ASSERT_TRUE(device_.Start(0));
    Camera* found = device_.CameraAt(kSlotRightSide);
    ASSERT_NE(found, nullptr);
    EXPECT_FALSE(found->lost());
    EXPECT_TRUE(vantrel::testing::WaitFor([&] { return found->FrameReady(); }));
    EXPECT_TRUE(device_.GetFloat("ExposureTime", kSlotRightSide, &exposure));
}

TEST(FakeDeviceStart, FailsOnACameraThatCannotGiveTheProgramsPicture) {
    const std::string builtIn = vantrel::testing::BuiltInDescription();
    const std::pair<const char*, std::string> unsupported[] = {
        {"no Mono8", vantrel::testing::WithoutMono8(builtIn)},
        {"320 x 240 sensor", vantrel::testing::WithSensor(builtIn, 320, 240)},
        {"640 x 479 sensor", vantrel::testing::WithSensor(builtIn, 640, 479)},
    };
    for (const auto& [what, xml] : unsupported) {
        FakeDescription description(xml);
        GenicamDevice device;
        ASSERT_TRUE(device.Init()) << what;
        EXPECT_FALSE(device.Start(0)) << what;
        EXPECT_FALSE(device.CameraAt(kSlotRightSide)->running()) << what;
    }
    // A sensor of exactly the picture's size needs neither binning nor a region.
    FakeDescription exact(vantrel::testing::WithSensor(builtIn, 640, 480));
    GenicamDevice device;
    ASSERT_TRUE(device.Init());
    ASSERT_TRUE(device.Start(0));
    Camera* camera = device.CameraAt(kSlotRightSide);
    EXPECT_EQ(Register(camera->device(), "BinningHorizontal"), 1);
    EXPECT_EQ(Register(camera->device(), "OffsetX"), 0);
    EXPECT_TRUE(vantrel::testing::WaitFor([&] { return camera->FrameReady(); }));
}

}  // namespace
}  // namespace vantrel::genicam
