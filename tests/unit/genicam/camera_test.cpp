// The GenICam device and camera classes in this process, against Aravis's fake camera: finding
// it, setting it up for the program's picture, its frames, and a camera that stops answering.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
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
        const uint8_t* frame = nullptr;
        // Until a frame arrives that was not handed out yet: it lands in another buffer.
        ASSERT_TRUE(vantrel::testing::WaitFor([&] {
            frame = device_.NextFrame(kSlotRightSide);
            return frame != nullptr && (frames.empty() || frame != frames.back());
        }));
        ASSERT_TRUE(vantrel::testing::IsFakeRamp(frame, kFrameWidth, kFrameHeight)) << i;
        if (!frames.empty()) {
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

TEST_F(FakeDevice, RepeatsItsLastFrameUntilTheStreamHasBeenSilentForTwoSeconds) {
    ASSERT_TRUE(device_.Start(0));
    Camera* camera = device_.CameraAt(kSlotRightSide);
    int32_t grabbed = -1;
    ASSERT_TRUE(device_.GetInt("FrameGrapped", kSlotRightSide, &grabbed));
    EXPECT_EQ(grabbed, 0) << "nothing delivered yet";
    ASSERT_TRUE(vantrel::testing::WaitFor([&] { return camera->FrameReady(); }));

    // From now on the fake fills its buffers with pictures of the wrong size, which the module
    // drops: no complete frame arrives any more.
    const auto silentSince = std::chrono::steady_clock::now();
    arv_device_set_integer_feature_value(camera->device(), "Width", 320, nullptr);
    // A caller faster than the camera gets the last picture again, every time.
    for (int i = 0; i < 5; ++i) {
        grabbed = -1;
        ASSERT_TRUE(device_.GetInt("FrameGrapped", kSlotRightSide, &grabbed));
        EXPECT_EQ(grabbed, 1) << i;
        const uint8_t* frame = device_.NextFrame(kSlotRightSide);
        ASSERT_NE(frame, nullptr) << i;
        EXPECT_TRUE(vantrel::testing::IsFakeRamp(frame, kFrameWidth, kFrameHeight)) << i;
    }

    // Silent for the limit: the camera counts as lost, its settings still answer.
    ASSERT_TRUE(vantrel::testing::WaitFor(
        [&] { return device_.GetInt("FrameGrapped", kSlotRightSide, &grabbed) && grabbed == 0; },
        std::chrono::seconds(10)));
    EXPECT_GE(std::chrono::steady_clock::now() - silentSince,
              Camera::kSilenceLimit - std::chrono::milliseconds(100));
    EXPECT_EQ(device_.NextFrame(kSlotRightSide), nullptr);
    float exposure = -1.0f;
    EXPECT_TRUE(device_.GetFloat("ExposureTime", kSlotRightSide, &exposure));

    // The next start sets the picture up again and its frames come.
    ASSERT_TRUE(device_.Start(0));
    EXPECT_TRUE(vantrel::testing::WaitFor([&] { return camera->FrameReady(); }));
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

// The features the module changes, as text, with TriggerMode read for each TriggerSelector entry
// (the selector itself is put back).
std::vector<std::string> Snapshot(ArvDevice* device) {
    const auto text = [&](const char* name) {
        auto* node = ARV_GC_FEATURE_NODE(arv_device_get_feature(device, name));
        const char* value = arv_gc_feature_node_get_value_as_string(node, nullptr);
        return std::string(name) + "=" + (value != nullptr ? value : "?");
    };
    std::vector<std::string> values;
    for (const char* name :
         {"PixelFormat", "Width", "Height", "OffsetX", "OffsetY", "BinningHorizontal",
          "BinningVertical", "GainAuto", "TriggerSelector", "AcquisitionMode",
          "AcquisitionFrameRate", "ExposureTimeAbs", "GainRaw"}) {
        values.push_back(text(name));
    }
    const std::string selector =
        arv_device_get_string_feature_value(device, "TriggerSelector", nullptr);
    for (const char* entry : {"FrameStart", "AcquisitionStart"}) {
        arv_device_set_string_feature_value(device, "TriggerSelector", entry, nullptr);
        values.push_back(std::string(entry) + ":" + text("TriggerMode"));
    }
    arv_device_set_string_feature_value(device, "TriggerSelector", selector.c_str(), nullptr);
    return values;
}

TEST(FakeDeviceRelease, LeavesTheCameraAsItWasFound) {
    ASSERT_TRUE(vantrel::testing::kFakeCameraOnly);
    unsetenv("VANTREL_CAMERA_SERIALS");
    // Closed by ReleaseDevice, and by the end of the module's device when the module is unloaded.
    for (const bool released : {true, false}) {
        GObjectPtr<ArvDevice> held;
        std::vector<std::string> found;
        {
            GenicamDevice device;
            ASSERT_TRUE(device.Init());
            Camera* camera = device.CameraAt(kSlotRightSide);
            held.reset(ARV_DEVICE(g_object_ref(camera->device())));
            // The state another program left: a region, binning, a wide format, automatic gain,
            // a trigger, single frames at 200 frames a second.
            ArvDevice* arv = held.get();
            for (const auto& [name, value] :
                 {std::pair<const char*, int64_t>{"BinningHorizontal", 2},
                  {"BinningVertical", 2},
                  {"Width", 1000},
                  {"Height", 900},
                  {"OffsetX", 8},
                  {"OffsetY", 4},
                  {"GainRaw", 2}}) {
                arv_device_set_integer_feature_value(arv, name, value, nullptr);
            }
            arv_device_set_string_feature_value(arv, "PixelFormat", "Mono16", nullptr);
            arv_device_set_string_feature_value(arv, "GainAuto", "Continuous", nullptr);
            arv_device_set_string_feature_value(arv, "TriggerSelector", "AcquisitionStart",
                                                nullptr);
            arv_device_set_string_feature_value(arv, "TriggerMode", "On", nullptr);
            arv_device_set_string_feature_value(arv, "AcquisitionMode", "SingleFrame", nullptr);
            arv_device_set_float_feature_value(arv, "AcquisitionFrameRate", 200.0, nullptr);
            arv_device_set_float_feature_value(arv, "ExposureTimeAbs", 15000.0, nullptr);
            found = Snapshot(arv);

            ASSERT_TRUE(device.Start(0));
            EXPECT_TRUE(vantrel::testing::WaitFor([&] { return camera->FrameReady(); }));
            EXPECT_STREQ(arv_device_get_string_feature_value(arv, "PixelFormat", nullptr), "Mono8");
            EXPECT_STREQ(arv_device_get_string_feature_value(arv, "TriggerMode", nullptr), "Off");
            EXPECT_EQ(arv_device_get_float_feature_value(arv, "AcquisitionFrameRate", nullptr),
                      20.0);
            // As the start sequence and the sliders do.
            EXPECT_TRUE(device.SetInt("Exposure", kSlotRightSide, 5000));
            EXPECT_TRUE(device.SetFloat("Gain", kSlotRightSide, 7.0f));
            EXPECT_NE(Snapshot(arv), found);
            ASSERT_TRUE(device.Stop());
            if (released) {
                ASSERT_TRUE(device.Release());
            }
        }
        EXPECT_EQ(Snapshot(held.get()), found) << (released ? "released" : "destroyed");
    }
}

TEST(FakeDeviceRelease, CopesWithACameraThatRefusesLockedWrites) {
    ASSERT_TRUE(vantrel::testing::kFakeCameraOnly);
    unsetenv("VANTREL_CAMERA_SERIALS");
    const FakeDescription description(
        vantrel::testing::WithLocks(vantrel::testing::BuiltInDescription()));
    GObjectPtr<ArvDevice> held;
    std::vector<std::string> found;
    {
        GenicamDevice device;
        ASSERT_TRUE(device.Init());
        Camera* camera = device.CameraAt(kSlotRightSide);
        ASSERT_NE(camera, nullptr);
        held.reset(ARV_DEVICE(g_object_ref(camera->device())));
        ArvDevice* arv = held.get();
        // A camera left acquiring, with auto exposure on.
        arv_device_execute_command(arv, "AcquisitionStart", nullptr);
        found = Snapshot(arv);
        const char* autoExposure = arv_device_get_string_feature_value(arv, "ExposureAuto", nullptr);
        ASSERT_STREQ(autoExposure, "Continuous");
        GError* error = nullptr;
        arv_device_set_integer_feature_value(arv, "Width", 800, &error);
        ASSERT_NE(error, nullptr) << "the description locks the region while acquiring";
        g_clear_error(&error);

        // The start copy of the exposure comes before the start itself; the exposure is set
        // all the same, and so is the picture.
        EXPECT_TRUE(device.SetInt("Exposure", kSlotRightSide, 5000));
        ASSERT_TRUE(device.Start(0));
        EXPECT_TRUE(vantrel::testing::WaitFor([&] { return camera->FrameReady(); }));
        EXPECT_EQ(arv_device_get_integer_feature_value(arv, "Width", nullptr), kFrameWidth);
        EXPECT_EQ(arv_device_get_float_feature_value(arv, "ExposureTimeAbs", nullptr), 5000.0);
        ASSERT_TRUE(device.Release());
    }
    EXPECT_EQ(Snapshot(held.get()), found);
    EXPECT_STREQ(arv_device_get_string_feature_value(held.get(), "ExposureAuto", nullptr),
                 "Continuous");
}

}  // namespace
}  // namespace vantrel::genicam
