// The call-log camera-link double that the program's tests rely on.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "camlink_module.h"
#include "test_double_api.h"

namespace vantrel::testing {
namespace {

class CallLogDouble : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(control_.ok()) << dlerror();
        control_.api().Reset();
    }

    TestDoubleModule control_{TestDoublePath("calllog_camlink.so")};
    CamLinkApi camera_ = ResolveCamLinkApi(control_.handle());
};

TEST_F(CallLogDouble, LogsEveryCallInOrderAlsoToTheFile) {
    const std::string file = ::testing::TempDir() + "call_log_" + std::to_string(getpid());
    std::remove(file.c_str());
    setenv("VANTREL_CALL_LOG", file.c_str(), 1);
    int32_t exposure = 0;
    float temperature = 0.0f;
    camera_.InitDevice();
    camera_.GetFeatureValueINT("MaxExposure", 0, &exposure);
    camera_.SetFeatureValueINT("Exposure", 2, 5000);
    camera_.SetFeatureValueFLOAT("Gain", 0, 12.0f);
    camera_.SetFeatureValueFLOAT("Gain", 2, 0.25f);
    camera_.StartDevice(0);
    camera_.GetFeatureValueFLOAT("Temperature", 2, &temperature);
    camera_.GetFeatureValueINT(nullptr, -1, &exposure);
    camera_.GetBufferPointer(0);
    camera_.StopDevice();
    camera_.ReleaseDevice();
    unsetenv("VANTREL_CALL_LOG");

    const std::string expected =
        "InitDevice()\n"
        "GetFeatureValueINT(MaxExposure,0)\n"
        "SetFeatureValueINT(Exposure,2,5000)\n"
        "SetFeatureValueFLOAT(Gain,0,12.0)\n"
        "SetFeatureValueFLOAT(Gain,2,0.25)\n"
        "StartDevice(0)\n"
        "GetFeatureValueFLOAT(Temperature,2)\n"
        "GetFeatureValueINT((null),-1)\n"
        "GetBufferPointer(0)\n"
        "StopDevice()\n"
        "ReleaseDevice()\n";
    EXPECT_EQ(control_.api().CallLog(), expected);
    std::stringstream written;
    written << std::ifstream(file).rdbuf();
    EXPECT_EQ(written.str(), expected);
    std::remove(file.c_str());

    control_.api().Reset();
    EXPECT_STREQ(control_.api().CallLog(), "");
}

TEST_F(CallLogDouble, ReadsAnswerAsConfigured) {
    const TestDoubleApi& control = control_.api();
    int32_t value = -1;
    ASSERT_EQ(camera_.GetFeatureValueINT("MaxGain", 0, &value), 1);
    EXPECT_EQ(value, 10) << "default";

    control.SetInt("Exposure", 0, 1234, kReadWrites);
    control.SetInt("MinGain", 0, 9, kReadFails);
    control.SetInt("MaxGain", 0, 9, kReadLeavesValue);
    EXPECT_EQ(camera_.GetFeatureValueINT("Exposure", 0, &value), 1);
    EXPECT_EQ(value, 1234);
    value = -1;
    EXPECT_EQ(camera_.GetFeatureValueINT("MinGain", 0, &value), 0);
    EXPECT_EQ(value, -1);
    EXPECT_EQ(camera_.GetFeatureValueINT("MaxGain", 0, &value), 1);
    EXPECT_EQ(value, -1);
    EXPECT_EQ(camera_.GetFeatureValueINT("Unknown", 0, &value), 0);

    float reading = -1.0f;
    control.SetFloat("Temperature", 3, 41.5f, kReadFails);
    EXPECT_EQ(camera_.GetFeatureValueFLOAT("Temperature", 3, &reading), 0);
    EXPECT_EQ(reading, -1.0f);
    camera_.SetFeatureValueFLOAT("Gain", 1, 6.5f);
    EXPECT_EQ(camera_.GetFeatureValueFLOAT("Gain", 1, &reading), 1);
    EXPECT_EQ(reading, 6.5f) << "a set is read back";

    control.SetStartResult(0);
    EXPECT_EQ(camera_.StartDevice(1), 0);
    control.SetFrameReady(2, 0);
    EXPECT_EQ(camera_.GetFeatureValueINT("FrameGrapped", 2, &value), 1);
    EXPECT_EQ(value, 0);
}

TEST_F(CallLogDouble, ServesTheConfiguredFrames) {
    const uint8_t* frame = camera_.GetBufferPointer(3);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame[0], DefaultFramePixel(3));
    EXPECT_EQ(frame[kFrameBytes - 1], DefaultFramePixel(3));
    EXPECT_EQ(camera_.GetBufferPointer(4), nullptr);

    std::vector<uint8_t> pattern(kFrameBytes);
    for (int i = 0; i < kFrameBytes; ++i) pattern[i] = static_cast<uint8_t>(i * 7);
    control_.api().SetFrame(0, pattern.data());
    pattern[0] = 1;  // the double keeps its own copy
    frame = camera_.GetBufferPointer(0);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame[0], 0);
    EXPECT_EQ(frame[kFrameBytes - 1], pattern[kFrameBytes - 1]);
    control_.api().SetFrame(0, nullptr);
    EXPECT_EQ(camera_.GetBufferPointer(0), nullptr);
}

TEST(CallLogDoubleVariants, EachLacksExactlyItsExport) {
    for (const char* omitted : kCamLinkExportNames) {
        TestDoubleModule module(TestDoublePath(std::string("camlink_missing_") + omitted + ".so"));
        ASSERT_TRUE(module.ok()) << omitted;
        for (const char* name : kCamLinkExportNames) {
            EXPECT_EQ(dlsym(module.handle(), name) == nullptr, name == std::string(omitted))
                << name << " in the module without " << omitted;
        }
    }
}

}  // namespace
}  // namespace vantrel::testing
