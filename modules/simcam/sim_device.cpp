#include "simcam/sim_device.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "simcam/mounting.h"

namespace vantrel::simcam {

namespace {

enum class Feature {
    kUnknown,
    kMinExposure,
    kMaxExposure,
    kMinGain,
    kMaxGain,
    kExposure,
    kExposureTime,
    kGain,
    kTemperature,
    kFrameGrapped,
};

Feature Lookup(std::string_view name) {
    static constexpr std::pair<std::string_view, Feature> kNames[] = {
        {"MinExposure", Feature::kMinExposure},
        {"MaxExposure", Feature::kMaxExposure},
        {"MinGain", Feature::kMinGain},
        {"MaxGain", Feature::kMaxGain},
        {"Exposure", Feature::kExposure},
        {"ExposureTime", Feature::kExposureTime},
        {"Gain", Feature::kGain},
        {"Temperature", Feature::kTemperature},
        {"FrameGrapped", Feature::kFrameGrapped},
    };
    for (const auto& [text, feature] : kNames) {
        if (text == name) return feature;
    }
    return Feature::kUnknown;
}

int32_t Rounded(float value) {
    return static_cast<int32_t>(std::lround(value));
}

}  // namespace

uint64_t SeedFromEnvironment() {
    const char* text = std::getenv("VANTREL_SIM_SEED");
    if (text == nullptr) return kDefaultSeed;
    const char* end = text + std::strlen(text);
    uint64_t seed = 0;
    const auto [stop, error] = std::from_chars(text, end, seed);
    if (error != std::errc() || stop != end || stop == text) return kDefaultSeed;
    return seed;
}

SimDevice::SimDevice(const VendorProfile& vendor) : vendor_(vendor) {
    ResetCameras();
}

bool SimDevice::Init() {
    if (!open_) {
        ResetCameras();
        seed_ = SeedFromEnvironment();
        const std::array<sim::Pose, 4> poses = MountingFromEnvironment();
        const std::array<int, 4> crossings = CrossingsFromEnvironment();
        for (size_t slot = 0; slot < sources_.size(); ++slot) {
            sources_[slot].SetPose(poses[slot]);
            sources_[slot].SetCrossing(crossings[slot]);
        }
        open_ = true;
    }
    return true;
}

bool SimDevice::Start(int pair) {
    if (!open_ || (pair != 0 && pair != 1)) return false;
    startedPair_ = pair;
    // The memory of the pair's frames is taken now, so that a running camera does not grow.
    for (int slot = 0; slot < static_cast<int>(sources_.size()); ++slot)
        if (Running(slot)) sources_[slot].Prepare();
    return true;
}

bool SimDevice::Stop() {
    startedPair_ = -1;
    return true;
}

bool SimDevice::Release() {
    open_ = false;
    startedPair_ = -1;
    ResetCameras();
    for (FrameSource& source : sources_) source.Clear();
    return true;
}

void SimDevice::ResetCameras() {
    for (Camera& camera : cameras_) {
        camera = {vendor_.defaultExposure, vendor_.defaultGain, 0};
    }
}

bool SimDevice::Accepts(const char* name, int slot) const {
    return open_ && name != nullptr && slot >= 0 && slot < static_cast<int>(cameras_.size());
}

bool SimDevice::Running(int slot) const {
    // Pair 0 runs positions 0 and 2, pair 1 positions 1 and 3.
    return startedPair_ >= 0 && slot >= 0 && slot < 4 && slot % 2 == startedPair_;
}

bool SimDevice::GetInt(const char* name, int slot, int32_t* value) const {
    if (!Accepts(name, slot) || value == nullptr) return false;
    const Camera& camera = cameras_[slot];
    switch (Lookup(name)) {
        case Feature::kMinExposure:
            *value = Rounded(vendor_.minExposure);
            return true;
        case Feature::kMaxExposure:
            *value = Rounded(vendor_.maxExposure);
            return true;
        case Feature::kMinGain:
            *value = Rounded(vendor_.minGain);
            return true;
        case Feature::kMaxGain:
            *value = Rounded(vendor_.maxGain);
            return true;
        case Feature::kExposure:
            *value = Rounded(camera.exposure);
            return true;
        case Feature::kGain:
            *value = Rounded(camera.gain);
            return true;
        case Feature::kFrameGrapped:
            *value = Running(slot) ? 1 : 0;
            return true;
        default:
            return false;
    }
}

bool SimDevice::GetFloat(const char* name, int slot, float* value) const {
    if (!Accepts(name, slot) || value == nullptr) return false;
    const Camera& camera = cameras_[slot];
    switch (Lookup(name)) {
        case Feature::kExposure:
        case Feature::kExposureTime:
            *value = camera.exposure;
            return true;
        case Feature::kGain:
            *value = camera.gain;
            return true;
        case Feature::kTemperature:
            *value = TemperatureAt(slot, camera.frames);
            return true;
        default:
            return false;
    }
}

bool SimDevice::SetInt(const char* name, int slot, int32_t value) {
    if (!Accepts(name, slot)) return false;
    switch (Lookup(name)) {
        case Feature::kExposure:
        case Feature::kGain:
            return SetFloat(name, slot, static_cast<float>(value));
        default:
            return false;
    }
}

bool SimDevice::SetFloat(const char* name, int slot, float value) {
    if (!Accepts(name, slot) || !std::isfinite(value)) return false;
    Camera& camera = cameras_[slot];
    switch (Lookup(name)) {
        case Feature::kExposure:
        case Feature::kExposureTime:
            camera.exposure = std::clamp(value, vendor_.minExposure, vendor_.maxExposure);
            return true;
        case Feature::kGain:
            camera.gain = std::clamp(value, vendor_.minGain, vendor_.maxGain);
            return true;
        default:
            return false;
    }
}

bool SimDevice::GetString(const char* name, int slot, char* buffer, int32_t size) const {
    if (!Accepts(name, slot) || buffer == nullptr || size <= 0) return false;
    const std::string_view feature(name);
    const std::string serial = vendor_.serialPrefix + std::to_string(1000 + slot);
    const char* text = feature == "DeviceVendorName"     ? vendor_.name
                       : feature == "DeviceModelName"    ? vendor_.model
                       : feature == "DeviceSerialNumber" ? serial.c_str()
                                                         : nullptr;
    if (text == nullptr || std::strlen(text) >= static_cast<size_t>(size)) return false;
    std::strcpy(buffer, text);
    return true;
}

const uint8_t* SimDevice::NextFrame(int slot) {
    if (!Running(slot)) return nullptr;
    Camera& camera = cameras_[slot];
    const FrameRequest request{camera.frames, Brightness(vendor_, camera.exposure, camera.gain),
                               NoiseSigma(vendor_, camera.gain), seed_};
    ++camera.frames;
    return sources_[slot].Produce(request);
}

}  // namespace vantrel::simcam
