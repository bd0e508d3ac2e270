#include "fixed_camera.h"

#include <array>
#include <string_view>
#include <vector>

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

template <typename Table, typename Value>
int Look(const Table& table, const char* name, CameraSlot slot, Value* value) {
    if (!name || !value || !ValidSlot(slot)) return 0;
    for (const auto& feature : table) {
        if (feature.name == name) {
            *value = feature.value;
            return 1;
        }
    }
    return 0;
}

}  // namespace

// The fourteen exports themselves: fixed_camlink.so is this file built as a module, and the
// in-process benchmarks take their addresses.
extern "C" {

const char* QxCamLink_GetVender(void) {
    return "Bench";
}
int QxCamLink_InitDevice(void) {
    return 1;
}
int QxCamLink_StartDevice(int pair) {
    return pair == 0 || pair == 1 ? 1 : 0;
}
int QxCamLink_StopDevice(void) {
    return 1;
}
int QxCamLink_ReleaseDevice(void) {
    return 1;
}
int QxCamLink_GetFeatureValueINT(const char* name, CameraSlot slot, int32_t* value) {
    return Look(kIntFeatures, name, slot, value);
}
int QxCamLink_GetFeatureValueDWORD(const char* name, CameraSlot slot, uint32_t* value) {
    int32_t signedValue = 0;
    if (!value || !Look(kIntFeatures, name, slot, &signedValue) || signedValue < 0) return 0;
    *value = static_cast<uint32_t>(signedValue);
    return 1;
}
int QxCamLink_GetFeatureValueSTR(const char*, CameraSlot, char*, int32_t) {
    return 0;
}
int QxCamLink_GetFeatureValueFLOAT(const char* name, CameraSlot slot, float* value) {
    return Look(kFloatFeatures, name, slot, value);
}
// The values are fixed: a write is accepted and forgotten.
int QxCamLink_SetFeatureValueINT(const char*, CameraSlot slot, int32_t) {
    return ValidSlot(slot) ? 1 : 0;
}
int QxCamLink_SetFeatureValueDWORD(const char*, CameraSlot slot, uint32_t) {
    return ValidSlot(slot) ? 1 : 0;
}
int QxCamLink_SetFeatureValueSTR(const char*, CameraSlot, const char*) {
    return 0;
}
int QxCamLink_SetFeatureValueFLOAT(const char*, CameraSlot slot, float) {
    return ValidSlot(slot) ? 1 : 0;
}
const uint8_t* QxCamLink_GetBufferPointer(CameraSlot slot) {
    return ValidSlot(slot) ? bench::FixedFrame(slot) : nullptr;
}

}  // extern "C"

namespace bench {

const uint8_t* FixedFrame(CameraSlot slot) {
    static const std::array<std::vector<uint8_t>, 4> frames = {MakeFrame(0), MakeFrame(1),
                                                               MakeFrame(2), MakeFrame(3)};
    return frames[static_cast<size_t>(slot) % frames.size()].data();
}

CamLinkApi FixedCamLinkApi() {
    CamLinkApi api;
    api.GetVender = &QxCamLink_GetVender;
    api.InitDevice = &QxCamLink_InitDevice;
    api.StartDevice = &QxCamLink_StartDevice;
    api.StopDevice = &QxCamLink_StopDevice;
    api.ReleaseDevice = &QxCamLink_ReleaseDevice;
    api.GetFeatureValueINT = &QxCamLink_GetFeatureValueINT;
    api.GetFeatureValueDWORD = &QxCamLink_GetFeatureValueDWORD;
    api.GetFeatureValueSTR = &QxCamLink_GetFeatureValueSTR;
    api.GetFeatureValueFLOAT = &QxCamLink_GetFeatureValueFLOAT;
    api.SetFeatureValueINT = &QxCamLink_SetFeatureValueINT;
    api.SetFeatureValueDWORD = &QxCamLink_SetFeatureValueDWORD;
    api.SetFeatureValueSTR = &QxCamLink_SetFeatureValueSTR;
    api.SetFeatureValueFLOAT = &QxCamLink_SetFeatureValueFLOAT;
    api.GetBufferPointer = &QxCamLink_GetBufferPointer;
    return api;
}

}  // namespace bench
