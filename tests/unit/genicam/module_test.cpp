// The detector and camera-link modules, loaded as the program loads them, serving Aravis's fake
// camera with VANTREL_CAMERA=genicam.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "camlink_module.h"
#include "fake_camera.h"

namespace vantrel::testing {
namespace {

constexpr const char* kModules[] = {"QxCamLinkDLLDALSA.so", "QxCamLinkDLLVW.so",
                                    "QxCamLinkDLLHV.so"};

TEST(GenicamDetector, ReportsTheFakeAsAnotherVendorAndKeepsTheSimulatedChoices) {
    ASSERT_TRUE(kFakeCameraOnly);
    void* detector = dlopen(ProgramModulePath("QxCamDetecter.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(detector, nullptr) << dlerror();
    const auto detect = reinterpret_cast<decltype(&QxCamDetect)>(dlsym(detector, "QxCamDetect"));
    ASSERT_NE(detect, nullptr);

    setenv("VANTREL_CAMERA", "genicam", 1);
    EXPECT_EQ(detect(), 3) << "vendor Aravis";
    setenv("VANTREL_CAMERA", "sim-vieworks", 1);
    EXPECT_EQ(detect(), 2);
    setenv("VANTREL_CAMERA", "sim-none", 1);
    EXPECT_EQ(detect(), 0);
    dlclose(detector);
}

class GenicamModule : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        ASSERT_TRUE(kFakeCameraOnly);
        setenv("VANTREL_CAMERA", "genicam", 1);
        unsetenv("VANTREL_CAMERA_SERIALS");
        ASSERT_NE(module_.handle(), nullptr) << dlerror();
        module_->ReleaseDevice();
    }
    void TearDown() override {
        if (module_.handle() != nullptr) module_->ReleaseDevice();
        unsetenv("VANTREL_CAMERA");
        unsetenv("VANTREL_CAMERA_SERIALS");
    }

    int32_t Int(const char* name, int slot) {
        int32_t value = INT32_MIN;
        EXPECT_EQ(module_->GetFeatureValueINT(name, slot, &value), 1) << name << " at " << slot;
        return value;
    }
    float Float(const char* name, int slot) {
        float value = NAN;
        EXPECT_EQ(module_->GetFeatureValueFLOAT(name, slot, &value), 1) << name << " at " << slot;
        return value;
    }
    bool Grabbed(int slot) {
        int32_t value = -1;
        return module_->GetFeatureValueINT("FrameGrapped", slot, &value) == 1 && value == 1;
    }
    // Waits for a frame at slot and fetches it; null when none comes.
    const uint8_t* Frame(int slot) {
        if (!WaitFor([&] { return Grabbed(slot); })) return nullptr;
        return module_->GetBufferPointer(slot);
    }
    // A position without a camera: no frame, and every read fails.
    void ExpectSilent(int slot) {
        int32_t value = -1;
        float number = -1.0f;
        EXPECT_EQ(module_->GetFeatureValueINT("FrameGrapped", slot, &value), 1);
        EXPECT_EQ(value, 0) << slot;
        EXPECT_EQ(module_->GetBufferPointer(slot), nullptr) << slot;
        EXPECT_EQ(module_->GetFeatureValueINT("Exposure", slot, &value), 0) << slot;
        EXPECT_EQ(module_->GetFeatureValueFLOAT("Gain", slot, &number), 0) << slot;
        EXPECT_EQ(module_->SetFeatureValueFLOAT("Gain", slot, 2.0f), 0) << slot;
        EXPECT_EQ(number, -1.0f);
    }

    LoadedModule module_{ProgramModulePath(GetParam())};
};

TEST_P(GenicamModule, ServesTheFakeAtTheSideOfEitherInstallation) {
    ASSERT_EQ(module_->InitDevice(), 1);
    ASSERT_EQ(module_->StartDevice(0), 1);
    const uint8_t* frame = Frame(kSlotRightSide);
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(IsFakeRamp(frame, kFrameWidth, kFrameHeight));
    ExpectSilent(kSlotRightTop);
    ExpectSilent(kSlotLeftTop);
    EXPECT_FALSE(Grabbed(kSlotLeftSide)) << "not started";

    ASSERT_EQ(module_->StopDevice(), 1);
    EXPECT_FALSE(Grabbed(kSlotRightSide));
    ASSERT_EQ(module_->InitDevice(), 1);
    ASSERT_EQ(module_->StartDevice(1), 1);
    frame = Frame(kSlotLeftSide);
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(IsFakeRamp(frame, kFrameWidth, kFrameHeight));
    EXPECT_EQ(module_->GetBufferPointer(kSlotRightSide), nullptr) << "not started";
    EXPECT_EQ(module_->StartDevice(2), 0);
}

TEST_P(GenicamModule, ReadsAndSetsTheOlderFeatureFormsWithinTheCamerasBounds) {
    ASSERT_EQ(module_->InitDevice(), 1);
    // The fake offers ExposureTimeAbs (10 .. 10000000 us) and GainRaw (0 .. 10).
    EXPECT_EQ(Int("MinExposure", kSlotRightSide), 10);
    EXPECT_EQ(Int("MaxExposure", kSlotRightSide), 10000000);
    EXPECT_EQ(Int("MinGain", kSlotRightSide), 0);
    EXPECT_EQ(Int("MaxGain", kSlotRightSide), 10);
    EXPECT_EQ(Int("Exposure", kSlotRightSide), 10000);

    EXPECT_EQ(module_->SetFeatureValueINT("Exposure", kSlotRightSide, 5000), 1);
    EXPECT_EQ(Float("ExposureTime", kSlotRightSide), 5000.0f);
    EXPECT_EQ(module_->SetFeatureValueFLOAT("ExposureTime", kSlotRightSide, 1e9f), 1);
    EXPECT_EQ(Float("Exposure", kSlotRightSide), 1e7f);
    EXPECT_EQ(module_->SetFeatureValueFLOAT("Exposure", kSlotRightSide, 2.5f), 1);
    EXPECT_EQ(Int("Exposure", kSlotRightSide), 10);
    EXPECT_EQ(module_->SetFeatureValueFLOAT("ExposureTime", kSlotRightSide, NAN), 0);
    EXPECT_EQ(module_->SetFeatureValueFLOAT("ExposureTime", kSlotRightSide, INFINITY), 0);

    // An integer gain takes the nearest accepted step.
    EXPECT_EQ(module_->SetFeatureValueFLOAT("Gain", kSlotRightSide, 3.6f), 1);
    EXPECT_EQ(Float("Gain", kSlotRightSide), 4.0f);
    EXPECT_EQ(module_->SetFeatureValueINT("Gain", kSlotRightSide, 99), 1);
    EXPECT_EQ(Int("Gain", kSlotRightSide), 10);
    EXPECT_EQ(module_->SetFeatureValueINT("Gain", kSlotRightSide, -5), 1);
    EXPECT_EQ(Int("Gain", kSlotRightSide), 0);

    // Both installations' side positions are the same camera.
    EXPECT_EQ(Int("Exposure", kSlotLeftSide), 10);

    // No DeviceTemperature: the read fails and leaves the value alone.
    float temperature = -1.0f;
    EXPECT_EQ(module_->GetFeatureValueFLOAT("Temperature", kSlotRightSide, &temperature), 0);
    EXPECT_EQ(temperature, -1.0f);
    int32_t unused = 0;
    EXPECT_EQ(module_->GetFeatureValueINT("ExposureTime", kSlotRightSide, &unused), 0);
    EXPECT_EQ(module_->GetFeatureValueINT("Temperature", kSlotRightSide, &unused), 0);
    EXPECT_EQ(module_->SetFeatureValueSTR("DeviceUserID", kSlotRightSide, "RR"), 0);

    char vendor[16] = {};
    EXPECT_EQ(module_->GetFeatureValueSTR("DeviceVendorName", kSlotRightSide, vendor, 16), 1);
    EXPECT_STREQ(vendor, "Aravis");
    EXPECT_EQ(module_->GetFeatureValueSTR("DeviceVendorName", kSlotRightSide, vendor, 6), 0);
}

TEST_P(GenicamModule, ReadsTheSfncFeaturesAndTheNameOfANamedCamera) {
    FakeDescription description(WithNodes(BuiltInDescription(), ModernNodes("LT")));
    // A position name outranks the serial map.
    setenv("VANTREL_CAMERA_SERIALS", "RR=1", 1);
    ASSERT_EQ(module_->InitDevice(), 1);
    ExpectSilent(kSlotRightSide);

    EXPECT_EQ(Int("MinExposure", kSlotLeftTop), 20);
    EXPECT_EQ(Int("MaxExposure", kSlotLeftTop), 500000);
    EXPECT_EQ(Int("Exposure", kSlotLeftTop), 8000);
    EXPECT_EQ(Int("MinGain", kSlotLeftTop), 1);
    EXPECT_EQ(Int("MaxGain", kSlotLeftTop), 8);
    EXPECT_EQ(module_->SetFeatureValueFLOAT("Gain", kSlotLeftTop, 3.25f), 1);
    EXPECT_EQ(Float("Gain", kSlotLeftTop), 3.25f);
    EXPECT_EQ(Int("Gain", kSlotLeftTop), 3);
    EXPECT_EQ(module_->SetFeatureValueFLOAT("Gain", kSlotLeftTop, 12.0f), 1);
    EXPECT_EQ(Float("Gain", kSlotLeftTop), 8.0f);
    EXPECT_EQ(module_->SetFeatureValueINT("Exposure", kSlotLeftTop, 1), 1);
    EXPECT_EQ(Float("ExposureTime", kSlotLeftTop), 20.0f);
    EXPECT_EQ(Float("Temperature", kSlotLeftTop), 41.5f);

    ASSERT_EQ(module_->StartDevice(1), 1);
    const uint8_t* frame = Frame(kSlotLeftTop);
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(IsFakeRamp(frame, kFrameWidth, kFrameHeight));
    ExpectSilent(kSlotLeftSide);
    EXPECT_EQ(module_->StartDevice(0), 0) << "no camera at either right-handed position";
}

TEST_P(GenicamModule, PassesOverAFeatureFormTheCameraDoesNotOfferNow) {
    FakeDescription description(WithNodes(BuiltInDescription(), R"(
	<Integer Name="Unavailable"><Value>0</Value></Integer>
	<Float Name="Gain" NameSpace="Standard">
		<pIsAvailable>Unavailable</pIsAvailable><Value>2.0</Value><Min>1.0</Min><Max>4.0</Max>
	</Float>
)"));
    ASSERT_EQ(module_->InitDevice(), 1);
    EXPECT_EQ(Int("MaxGain", kSlotRightSide), 10) << "GainRaw, not the unavailable Gain";
}

TEST_P(GenicamModule, PlacesAnUnnamedCameraByItsSerialNumber) {
    setenv("VANTREL_CAMERA_SERIALS", "RT=1,RR=2", 1);
    ASSERT_EQ(module_->InitDevice(), 1);
    ExpectSilent(kSlotRightSide);
    ExpectSilent(kSlotLeftSide);
    ASSERT_EQ(module_->StartDevice(0), 1);
    EXPECT_NE(Frame(kSlotRightTop), nullptr);
}

TEST_P(GenicamModule, ChoosesRealOrSimulatedCamerasAtTheFirstInit) {
    int32_t value = 0;
    EXPECT_EQ(module_->GetFeatureValueINT("MaxExposure", kSlotRightSide, &value), 0)
        << "nothing answers before InitDevice";

    ASSERT_EQ(module_->InitDevice(), 1);
    EXPECT_EQ(Int("MaxExposure", kSlotRightSide), 10000000);
    // The choice holds until ReleaseDevice, whatever the variable says meanwhile.
    setenv("VANTREL_CAMERA", "sim-dalsa", 1);
    ASSERT_EQ(module_->InitDevice(), 1);
    EXPECT_EQ(Int("MaxExposure", kSlotRightSide), 10000000);

    ASSERT_EQ(module_->ReleaseDevice(), 1);
    EXPECT_EQ(module_->GetFeatureValueINT("MaxExposure", kSlotRightSide, &value), 0);
    ASSERT_EQ(module_->InitDevice(), 1);
    const int32_t simulated = Int("MaxExposure", kSlotRightSide);
    EXPECT_NE(simulated, 10000000);
    EXPECT_EQ(Int("MaxExposure", kSlotRightTop), simulated) << "simulated cameras everywhere";

    // Unset, as when started from the desktop menu: the real cameras (here only the fake).
    ASSERT_EQ(module_->ReleaseDevice(), 1);
    unsetenv("VANTREL_CAMERA");
    ASSERT_EQ(module_->InitDevice(), 1);
    EXPECT_EQ(Int("MaxExposure", kSlotRightSide), 10000000);
    EXPECT_EQ(module_->GetFeatureValueINT("MaxExposure", kSlotRightTop, &value), 0);
}

INSTANTIATE_TEST_SUITE_P(Modules, GenicamModule, ::testing::ValuesIn(kModules),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             return name.substr(12, name.size() - 15);  // QxCamLinkDLL<name>.so
                         });

}  // namespace
}  // namespace vantrel::testing
