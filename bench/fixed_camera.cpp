#include "fixed_camera.h"

#include <array>
#include <cstring>
#include <string_view>
#include <vector>

namespace bench {

namespace {

struct IntFeature {
    std::string_view name;
    int32_t value;
};
constexpr IntFeature kIntFeatures[] = {
    {"MaxExposure", 100000}, {"MinExposure", 10}, {"Exposure", 10000}, {"MaxGain", 10},
    {"MinGain", 1},          {"Gain", 1},         {"FrameGrapped", 1},
};

struct FloatFeature {
    std::string_view name;
    float value;
};
constexpr FloatFeature kFloatFeatures[] = {
    {"Gain", 1.0f}, {"ExposureTime", 10000.0f}, {"Exposure", 10000.0f}, {"Temperature", 40.0f}};

std::vector<uint8_t> MakeFrame(int slot) {
    std::vector<uint8_t> frame(kFrameBytes);
    for (int y = 0; y < kFrameHeight; ++y)
        for (int x = 0; x < kFrameWidth; ++x)
            frame[y * kFrameWidth + x] =
                static_cast<uint8_t>(60 + (x * 7 + y * 13 + slot * 29) % 120);
    return frame;
}

bool ValidSlot(CameraSlot slot) {
    return slot >= 0 && slot < 4;
}

const char* GetVender() {
    return "Bench";
}
int InitDevice() {
    return 1;
}
int StartDevice(int pair) {
    return pair == 0 || pair == 1 ? 1 : 0;
}
int StopDevice() {
    return 1;
}
int ReleaseDevice() {
    return 1;
}

int GetInt(const char* name, CameraSlot slot, int32_t* value) {
    if (!name || !value || !ValidSlot(slot)) return 0;
    for (const auto& feature : kIntFeatures) {
        if (feature.name == name) {
            *value = feature.value;
            return 1;
        }
    }
    return 0;
}

int GetDword(const char* name, CameraSlot slot, uint32_t* value) {
    int32_t signedValue = 0;
    if (!value || !GetInt(name, slot, &signedValue) || signedValue < 0) return 0;
    *value = static_cast<uint32_t>(signedValue);
    return 1;
}

int GetString(const char*, CameraSlot, char*, int32_t) {
    return 0;
}

int GetFloat(const char* name, CameraSlot slot, float* value) {
    if (!name || !value || !ValidSlot(slot)) return 0;
    for (const auto& feature : kFloatFeatures) {
        if (feature.name == name) {
            *value = feature.value;
            return 1;
        }
    }
    return 0;
}

// The values are fixed: a write is accepted and forgotten.
int SetInt(const char*, CameraSlot slot, int32_t) {
    return ValidSlot(slot) ? 1 : 0;
}
int SetDword(const char*, CameraSlot slot, uint32_t) {
    return ValidSlot(slot) ? 1 : 0;
}
int SetString(const char*, CameraSlot, const char*) {
    return 0;
}
int SetFloat(const char*, CameraSlot slot, float) {
    return ValidSlot(slot) ? 1 : 0;
}

const uint8_t* BufferPointer(CameraSlot slot) {
    return ValidSlot(slot) ? FixedFrame(slot) : nullptr;
}

}  // namespace

const uint8_t* FixedFrame(CameraSlot slot) {
    static const std::array<std::vector<uint8_t>, 4> frames = {MakeFrame(0), MakeFrame(1),
                                                               MakeFrame(2), MakeFrame(3)};
    return frames[static_cast<size_t>(slot) % frames.size()].data();
}

CamLinkApi FixedCamLinkApi() {
    CamLinkApi api;
    api.GetVender = &GetVender;
    api.InitDevice = &InitDevice;
    api.StartDevice = &StartDevice;
    api.StopDevice = &StopDevice;
    api.ReleaseDevice = &ReleaseDevice;
    api.GetFeatureValueINT = &GetInt;
    api.GetFeatureValueDWORD = &GetDword;
    api.GetFeatureValueSTR = &GetString;
    api.GetFeatureValueFLOAT = &GetFloat;
    api.SetFeatureValueINT = &SetInt;
    api.SetFeatureValueDWORD = &SetDword;
    api.SetFeatureValueSTR = &SetString;
    api.SetFeatureValueFLOAT = &SetFloat;
    api.GetBufferPointer = &BufferPointer;
    return api;
}

}  // namespace bench
