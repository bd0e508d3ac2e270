// The simulated camera-link modules, loaded as the program loads them.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "camlink_module.h"

namespace vantrel::testing {
namespace {

using Frame = std::vector<uint8_t>;

struct VendorCase {
    const char* file;
    const char* vendor;
    int32_t minExposure, maxExposure, exposure;
    int32_t minGain, maxGain, gain;
};

const VendorCase kVendors[] = {
    {"QxCamLinkDLLDALSA.so", "Teledyne DALSA", 10, 100000, 10000, 1, 10, 1},
    {"QxCamLinkDLLVW.so", "Vieworks", 25, 1000000, 10000, 0, 24, 0},
    {"QxCamLinkDLLHV.so", "HV", 1, 2000, 10, 0, 63, 0},
};

void PrintTo(const VendorCase& vendor, std::ostream* out) {
    *out << vendor.file;
}

double Mean(const uint8_t* pixels) {
    double sum = 0.0;
    for (int i = 0; i < kFrameBytes; ++i) sum += pixels[i];
    return sum / kFrameBytes;
}

class SimCamera : public ::testing::TestWithParam<VendorCase> {
protected:
    void SetUp() override {
        unsetenv("VANTREL_SIM_SEED");
        // Unset, the modules would search the network for real cameras.
        setenv("VANTREL_CAMERA", "sim-dalsa", 1);
        ASSERT_NE(module_.handle(), nullptr) << dlerror();
        // Whether or not the loader really unloaded an earlier instance, start from scratch.
        module_->ReleaseDevice();
    }
    void TearDown() override {
        if (module_.handle() != nullptr) module_->ReleaseDevice();
        unsetenv("VANTREL_SIM_SEED");
    }

    void Open(int pair = 0) {
        ASSERT_EQ(module_->InitDevice(), 1);
        ASSERT_EQ(module_->StartDevice(pair), 1);
    }

    int32_t Int(const char* name, int slot) {
        int32_t value = INT32_MIN;
        EXPECT_EQ(module_->GetFeatureValueINT(name, slot, &value), 1) << name;
        return value;
    }
    float Float(const char* name, int slot) {
        float value = std::numeric_limits<float>::quiet_NaN();
        EXPECT_EQ(module_->GetFeatureValueFLOAT(name, slot, &value), 1) << name;
        return value;
    }

    Frame Grab(int slot) {
        const uint8_t* pixels = module_->GetBufferPointer(slot);
        if (pixels == nullptr) return {};
        return Frame(pixels, pixels + kFrameBytes);
    }

    // Frames of both cameras of the right-handed pair under one seed, from a fresh device.
    std::vector<Frame> Session(const char* seed) {
        module_->ReleaseDevice();
        if (seed != nullptr)
            setenv("VANTREL_SIM_SEED", seed, 1);
        else
            unsetenv("VANTREL_SIM_SEED");
        std::vector<Frame> frames;
        if (module_->InitDevice() != 1 || module_->StartDevice(0) != 1) return frames;
        for (int i = 0; i < 4; ++i) {
            if (i == 2)
                module_->SetFeatureValueFLOAT("Gain", 0, static_cast<float>(GetParam().maxGain));
            frames.push_back(Grab(0));
            frames.push_back(Grab(2));
        }
        return frames;
    }

    LoadedModule module_{ProgramModulePath(GetParam().file)};
};

TEST_P(SimCamera, ReportsTheVendorsRangesAndDefaults) {
    const VendorCase& v = GetParam();
    EXPECT_STREQ(module_->GetVender(), v.vendor);
    ASSERT_EQ(module_->InitDevice(), 1);
    for (int slot = 0; slot < 4; ++slot) {
        EXPECT_EQ(Int("MinExposure", slot), v.minExposure);
        EXPECT_EQ(Int("MaxExposure", slot), v.maxExposure);
        EXPECT_EQ(Int("Exposure", slot), v.exposure);
        EXPECT_EQ(Int("MinGain", slot), v.minGain);
        EXPECT_EQ(Int("MaxGain", slot), v.maxGain);
        EXPECT_EQ(Int("Gain", slot), v.gain);
        EXPECT_FLOAT_EQ(Float("ExposureTime", slot), static_cast<float>(v.exposure));
        EXPECT_FLOAT_EQ(Float("Gain", slot), static_cast<float>(v.gain));
    }
}

TEST_P(SimCamera, SetsClampToTheRangeAndStayPerCamera) {
    const VendorCase& v = GetParam();
    ASSERT_EQ(module_->InitDevice(), 1);
    EXPECT_EQ(module_->SetFeatureValueFLOAT("ExposureTime", 0, -5.0f), 1);
    EXPECT_FLOAT_EQ(Float("Exposure", 0), static_cast<float>(v.minExposure));
    EXPECT_EQ(module_->SetFeatureValueFLOAT("Exposure", 0, 1e9f), 1);
    EXPECT_EQ(Int("Exposure", 0), v.maxExposure);
    EXPECT_EQ(module_->SetFeatureValueFLOAT("Gain", 2, 1e6f), 1);
    EXPECT_FLOAT_EQ(Float("Gain", 2), static_cast<float>(v.maxGain));
    EXPECT_EQ(module_->SetFeatureValueINT("Gain", 2, v.minGain - 100), 1);
    EXPECT_EQ(Int("Gain", 2), v.minGain);

    // The start copies the side camera's exposure to the top camera with an INT set.
    const int32_t inside = (v.minExposure + v.maxExposure) / 2;
    EXPECT_EQ(module_->SetFeatureValueINT("Exposure", 2, inside), 1);
    EXPECT_EQ(Int("Exposure", 2), inside);
    EXPECT_FLOAT_EQ(Float("ExposureTime", 2), static_cast<float>(inside));
    EXPECT_EQ(Int("Exposure", 0), v.maxExposure);
    EXPECT_EQ(Int("Exposure", 1), v.exposure);

    EXPECT_EQ(module_->SetFeatureValueFLOAT("Gain", 0, std::nanf("")), 0);
    EXPECT_EQ(module_->SetFeatureValueFLOAT("Temperature", 0, 20.0f), 0);
    EXPECT_EQ(module_->SetFeatureValueINT("MaxGain", 0, 5), 0);
}

TEST_P(SimCamera, SettingsSurviveStopAndInitButNotRelease) {
    const VendorCase& v = GetParam();
    Open();
    ASSERT_EQ(module_->SetFeatureValueFLOAT("Gain", 0, static_cast<float>(v.maxGain)), 1);
    EXPECT_EQ(module_->StopDevice(), 1);
    ASSERT_EQ(module_->InitDevice(), 1);
    EXPECT_EQ(Int("Gain", 0), v.maxGain);
    EXPECT_EQ(module_->StartDevice(1), 1);
    EXPECT_EQ(module_->ReleaseDevice(), 1);
    ASSERT_EQ(module_->InitDevice(), 1);
    EXPECT_EQ(Int("Gain", 0), v.gain);
}

TEST_P(SimCamera, OnlyTheStartedPairDeliversFrames) {
    int32_t ready = -1;
    EXPECT_EQ(module_->GetFeatureValueINT("FrameGrapped", 0, &ready), 0) << "before InitDevice";
    EXPECT_EQ(ready, -1);
    EXPECT_EQ(module_->StartDevice(0), 0) << "before InitDevice";

    ASSERT_EQ(module_->InitDevice(), 1);
    EXPECT_EQ(module_->StartDevice(2), 0);
    EXPECT_EQ(module_->StartDevice(-1), 0);
    for (int slot = 0; slot < 4; ++slot) {
        EXPECT_EQ(Int("FrameGrapped", slot), 0);
        EXPECT_EQ(module_->GetBufferPointer(slot), nullptr);
    }
    for (int pair = 0; pair < 2; ++pair) {
        ASSERT_EQ(module_->StartDevice(pair), 1);
        for (int slot = 0; slot < 4; ++slot) {
            const bool started = slot % 2 == pair;
            EXPECT_EQ(Int("FrameGrapped", slot), started ? 1 : 0) << "slot " << slot;
            EXPECT_EQ(module_->GetBufferPointer(slot) != nullptr, started) << "slot " << slot;
        }
        ASSERT_EQ(module_->StopDevice(), 1);
        EXPECT_EQ(Int("FrameGrapped", pair), 0);
        EXPECT_EQ(module_->GetBufferPointer(pair), nullptr);
    }
}

TEST_P(SimCamera, BadArgumentsFailWithoutTouchingOutputs) {
    Open();
    for (int slot : {-1, 4, 1000, INT_MIN, INT_MAX}) {
        int32_t i = 77;
        float f = 7.0f;
        uint32_t d = 7;
        EXPECT_EQ(module_->GetFeatureValueINT("Exposure", slot, &i), 0);
        EXPECT_EQ(module_->GetFeatureValueFLOAT("Temperature", slot, &f), 0);
        EXPECT_EQ(module_->GetFeatureValueDWORD("Exposure", slot, &d), 0);
        EXPECT_EQ(module_->SetFeatureValueINT("Exposure", slot, 100), 0);
        EXPECT_EQ(module_->SetFeatureValueFLOAT("Gain", slot, 2.0f), 0);
        EXPECT_EQ(module_->GetBufferPointer(slot), nullptr);
        EXPECT_EQ(i, 77);
        EXPECT_EQ(f, 7.0f);
        EXPECT_EQ(d, 7u);
    }
    int32_t i = 77;
    float f = 7.0f;
    EXPECT_EQ(module_->GetFeatureValueINT(nullptr, 0, &i), 0);
    EXPECT_EQ(module_->GetFeatureValueINT("Exposure", 0, nullptr), 0);
    EXPECT_EQ(module_->GetFeatureValueFLOAT(nullptr, 0, &f), 0);
    EXPECT_EQ(module_->GetFeatureValueFLOAT("Gain", 0, nullptr), 0);
    EXPECT_EQ(module_->SetFeatureValueINT(nullptr, 0, 1), 0);
    EXPECT_EQ(module_->SetFeatureValueFLOAT(nullptr, 0, 1.0f), 0);
    EXPECT_EQ(module_->GetFeatureValueINT("Brightness", 0, &i), 0);
    EXPECT_EQ(module_->GetFeatureValueINT("Temperature", 0, &i), 0) << "FLOAT only";
    EXPECT_EQ(module_->GetFeatureValueFLOAT("FrameGrapped", 0, &f), 0) << "INT only";
    EXPECT_EQ(module_->GetFeatureValueFLOAT("exposure", 0, &f), 0) << "names are exact";
    EXPECT_EQ(i, 77);
    EXPECT_EQ(f, 7.0f);

    char text[2] = "a";
    EXPECT_EQ(module_->GetFeatureValueSTR("DeviceVendorName", 0, text, sizeof text), 0);
    EXPECT_STREQ(text, "a") << "too small a buffer is left alone";
    EXPECT_EQ(module_->GetFeatureValueSTR("DeviceVendorName", 0, nullptr, 64), 0);
    char vendor[64] = {};
    EXPECT_EQ(module_->GetFeatureValueSTR("DeviceVendorName", 0, vendor, sizeof vendor), 1);
    EXPECT_STREQ(vendor, GetParam().vendor);
}

TEST_P(SimCamera, BufferStaysIntactUntilTheSecondNextCallForItsSlot) {
    Open();
    const uint8_t* first = module_->GetBufferPointer(0);
    ASSERT_NE(first, nullptr);
    const Frame kept(first, first + kFrameBytes);

    const uint8_t* second = module_->GetBufferPointer(0);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    const Frame keptSecond(second, second + kFrameBytes);
    ASSERT_NE(module_->GetBufferPointer(2), nullptr);
    EXPECT_EQ(Int("FrameGrapped", 0), 1);
    EXPECT_EQ(std::memcmp(first, kept.data(), kFrameBytes), 0);

    ASSERT_NE(module_->GetBufferPointer(0), nullptr);
    EXPECT_EQ(std::memcmp(second, keptSecond.data(), kFrameBytes), 0);
    EXPECT_NE(kept, keptSecond) << "every fetch delivers a new frame";
}

TEST_P(SimCamera, SameSeedSameFramesOtherSeedOtherFrames) {
    const std::vector<Frame> a = Session("12345");
    ASSERT_EQ(a.size(), 8u);
    for (const Frame& frame : a) ASSERT_EQ(frame.size(), static_cast<size_t>(kFrameBytes));
    EXPECT_EQ(Session("12345"), a);
    const std::vector<Frame> b = Session("54321");
    ASSERT_EQ(b.size(), a.size());
    for (size_t i = 0; i < a.size(); ++i) EXPECT_NE(a[i], b[i]) << "frame " << i;

    // Unset and unreadable values both mean the fixed default seed.
    const std::vector<Frame> unset = Session(nullptr);
    EXPECT_EQ(Session(nullptr), unset);
    EXPECT_EQ(Session("not-a-number"), unset);
}

TEST_P(SimCamera, BrightnessRisesWithExposureAndGainUpToWhite) {
    const VendorCase& v = GetParam();
    Open();
    auto meanAt = [&](float exposure, float gain) {
        module_->SetFeatureValueFLOAT("ExposureTime", 0, exposure);
        module_->SetFeatureValueFLOAT("Gain", 0, gain);
        const uint8_t* pixels = module_->GetBufferPointer(0);
        return pixels != nullptr ? Mean(pixels) : -1.0;
    };
    const float nominal = static_cast<float>(v.exposure);
    double previous = -1.0;
    for (float factor : {0.25f, 0.5f, 1.0f, 2.0f, 4.0f}) {
        const double mean = meanAt(nominal * factor, static_cast<float>(v.minGain));
        EXPECT_GT(mean, previous) << "exposure x" << factor;
        previous = mean;
    }
    previous = -1.0;
    for (float share : {0.0f, 0.25f, 0.5f, 1.0f}) {
        const double mean = meanAt(nominal, v.minGain + share * (v.maxGain - v.minGain));
        EXPECT_GT(mean, previous) << "gain share " << share;
        previous = mean;
    }
    EXPECT_LT(meanAt(nominal, static_cast<float>(v.minGain)), 60.0) << "a dim picture";
    EXPECT_GT(meanAt(static_cast<float>(v.maxExposure), static_cast<float>(v.maxGain)), 240.0);
}

TEST_P(SimCamera, TemperatureClimbsTowardItsCeiling) {
    Open();
    float previous = Float("Temperature", 0);
    EXPECT_NEAR(previous, 35.0f, 1.0f);
    for (int step = 0; step < 6; ++step) {
        for (int i = 0; i < 300; ++i) ASSERT_NE(module_->GetBufferPointer(0), nullptr);
        const float now = Float("Temperature", 0);
        EXPECT_GT(now, previous) << "after " << (step + 1) * 300 << " frames";
        EXPECT_LT(now, 48.0f);
        previous = now;
    }
    EXPECT_GT(previous, 40.0f);
    EXPECT_NEAR(Float("Temperature", 2), 35.5f, 1.0f) << "the idle top camera stays cool";
}

// Sum of squared neighbour differences in the default focus window: falls as the blur grows.
double Sharpness(const uint8_t* pixels) {
    double sum = 0.0;
    for (int y = 200; y < 280; ++y) {
        for (int x = 280; x < 360; ++x) {
            const int d = pixels[y * kFrameWidth + x + 1] - pixels[y * kFrameWidth + x];
            sum += d * d;
        }
    }
    return sum;
}

TEST_P(SimCamera, FocusWandersOverTime) {
    Open();
    double sharpest = 0.0;
    double softest = std::numeric_limits<double>::max();
    for (int frame = 0; frame < 720; ++frame) {
        const uint8_t* pixels = module_->GetBufferPointer(0);
        ASSERT_NE(pixels, nullptr);
        if (frame % 20 != 0) continue;
        const double sharpness = Sharpness(pixels);
        sharpest = std::max(sharpest, sharpness);
        softest = std::min(softest, sharpness);
    }
    EXPECT_GT(sharpest, 1.5 * softest);
}

INSTANTIATE_TEST_SUITE_P(Vendors, SimCamera, ::testing::ValuesIn(kVendors), [](const auto& info) {
    std::string name = info.param.file;
    return name.substr(12, name.size() - 15);
});

}  // namespace
}  // namespace vantrel::testing
