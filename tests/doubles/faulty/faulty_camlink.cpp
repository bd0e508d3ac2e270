// The fourteen camera-link exports of the faulty module and its control interface: a healthy
// camera with the faults of VANTREL_FAULTS laid over it.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <utility>

#include "camlink/camlink_exports.h"
#include "fault_plan.h"
#include "faulty_api.h"

namespace {

using vantrel::doubles::BufferFault;
using vantrel::doubles::FaultPlan;
using vantrel::doubles::FloatFault;
using vantrel::doubles::IntFault;
using vantrel::doubles::ReadyFault;
using vantrel::doubles::StartFault;
using vantrel::testing::FaultyFramePixel;

constexpr int kSlots = 4;
using Key = std::pair<std::string, int>;

struct Device {
    Device() {
        for (int slot = 0; slot < kSlots; ++slot) {
            pattern[slot] = std::make_unique<uint8_t[]>(kFrameBytes);
            for (int y = 0; y < kFrameHeight; ++y)
                for (int x = 0; x < kFrameWidth; ++x)
                    pattern[slot][y * kFrameWidth + x] = FaultyFramePixel(slot, x, y);
        }
        RestoreDefaults();
        ReadFaults();
    }

    void RestoreDefaults() {
        ints.clear();
        floats.clear();
        for (int slot = 0; slot < kSlots; ++slot) {
            for (const auto& [name, value] : {std::pair{"MinExposure", 10},
                                              {"MaxExposure", 100000},
                                              {"Exposure", 5000},
                                              {"MinGain", 1},
                                              {"MaxGain", 10},
                                              {"Gain", 2}})
                ints[{name, slot}] = value;
            for (const auto& [name, value] : {std::pair{"Exposure", 5000.0f},
                                              {"ExposureTime", 5000.0f},
                                              {"Gain", 2.0f},
                                              {"Temperature", 40.0f}})
                floats[{name, slot}] = value;
            started[slot] = false;
            readyGranted[slot] = false;
            flaps[slot] = 0;
            moving[slot].reset();
        }
    }

    void ReadFaults() {
        const char* text = std::getenv("VANTREL_FAULTS");
        const std::string current = text ? text : "";
        if (current == faultText && !firstRead) return;
        firstRead = false;
        faultText = current;
        auto parsed = vantrel::doubles::ParseFaultPlan(current);
        plan = std::move(parsed.plan);
        configError = std::move(parsed.error);
    }

    void Violation(const std::string& what) {
        if (violations++ == 0) firstViolation = what;
    }

    // Counts the call, traces it (unless the export writes a fuller line itself), waits when
    // asked to and checks the arguments every feature call shares.
    void Enter(const char* exportName, bool trace = true) {
        ++calls[exportName];
        if (trace) Trace(exportName);
        if (plan.delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(plan.delayMs));
        if (released && std::string(exportName) != "QxCamLink_InitDevice")
            Violation(std::string(exportName) + " after ReleaseDevice");
    }

    // Appends a line to the trace file, when one is named.
    static void Trace(const std::string& exportName) {
        const char* path = std::getenv("VANTREL_FAULTY_TRACE");
        if (!path || !*path) return;
        if (FILE* trace = std::fopen(path, "a")) {
            const std::string_view prefix = "QxCamLink_";
            std::string line = exportName;
            if (std::string_view(line).starts_with(prefix)) line.erase(0, prefix.size());
            std::fprintf(trace, "%s\n", line.c_str());
            std::fclose(trace);
        }
    }

    bool FeatureArguments(const char* exportName, const char* name, int slot, const void* out) {
        if (!name || !out || slot < 0 || slot >= kSlots) {
            Violation(std::string(exportName) + " with a bad name, slot or pointer");
            return false;
        }
        return initialised;
    }

    bool firstRead = true;
    std::string faultText;
    FaultPlan plan;
    std::string configError;

    bool initialised = false;
    bool released = false;
    int startCalls = 0;
    bool started[kSlots] = {};
    bool readyGranted[kSlots] = {};
    unsigned flaps[kSlots] = {};
    std::map<Key, int32_t> ints;
    std::map<Key, float> floats;
    std::unique_ptr<uint8_t[]> pattern[kSlots];
    std::unique_ptr<uint8_t[]> moving[kSlots];

    std::map<std::string, int> calls;
    int violations = 0;
    std::string firstViolation;
};

Device& State() {
    static Device device;
    return device;
}

// What a "FrameGrapped" read of a slot answers, faults included.
int32_t FrameReady(Device& device, int slot) {
    switch (device.plan.ready) {
        case ReadyFault::kNever:
            return 0;
        case ReadyFault::kFlap:
            return device.flaps[slot]++ % 2 == 0 ? 1 : 0;
        case ReadyFault::kValue:
            return device.plan.readyValue;
        case ReadyFault::kNone:
            break;
    }
    return device.started[slot] ? 1 : 0;
}

float FaultyFloat(FloatFault fault) {
    switch (fault) {
        case FloatFault::kNan:
            return std::numeric_limits<float>::quiet_NaN();
        case FloatFault::kInf:
            return std::numeric_limits<float>::infinity();
        case FloatFault::kMinusInf:
            return -std::numeric_limits<float>::infinity();
        case FloatFault::kHuge:
            return 3e9f;
        case FloatFault::kMinusHuge:
            return -3e9f;
        case FloatFault::kFail:
            break;
    }
    return 0.0f;
}

// StartDevice itself: starts the pair unless a fault refuses it.
int StartPair(Device& device, int pair) {
    if (!device.initialised) {
        device.Violation("StartDevice before InitDevice");
        return 0;
    }
    const int call = device.startCalls++;
    if (device.plan.start == StartFault::kFailAlways) return 0;
    if (device.plan.start == StartFault::kAlternate && call % 2 == 0) return 0;
    if (pair != 0 && pair != 1) return 0;
    for (int slot = 0; slot < kSlots; ++slot) device.started[slot] = slot % 2 == pair;
    return 1;
}

}  // namespace

extern "C" {

const char* QxCamLink_GetVender(void) {
    State().Enter("QxCamLink_GetVender");
    return "Faulty";
}

int QxCamLink_InitDevice(void) {
    Device& device = State();
    device.Enter("QxCamLink_InitDevice");
    device.ReadFaults();
    if (device.plan.initDelayMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(device.plan.initDelayMs));
    device.initialised = true;
    device.released = false;
    return 1;
}

int QxCamLink_StartDevice(int pair) {
    Device& device = State();
    device.Enter("QxCamLink_StartDevice", false);
    const int started = StartPair(device, pair);
    Device::Trace("StartDevice " + std::to_string(pair) + " " + std::to_string(started));
    return started;
}

int QxCamLink_StopDevice(void) {
    Device& device = State();
    device.Enter("QxCamLink_StopDevice");
    for (bool& started : device.started) started = false;
    return 1;
}

int QxCamLink_ReleaseDevice(void) {
    Device& device = State();
    device.Enter("QxCamLink_ReleaseDevice");
    device.RestoreDefaults();
    device.initialised = false;
    device.released = true;
    return 1;
}

int QxCamLink_GetFeatureValueINT(const char* name, CameraSlot slot, int32_t* value) {
    Device& device = State();
    device.Enter("QxCamLink_GetFeatureValueINT");
    if (!device.FeatureArguments("QxCamLink_GetFeatureValueINT", name, slot, value)) return 0;
    const std::string feature(name);
    if (feature == "FrameGrapped") device.readyGranted[slot] = false;
    if (const auto fault = FaultPlan::For(device.plan.ints, name))
        return *fault == IntFault::kSilent ? 1 : 0;
    if (feature == "FrameGrapped") {
        *value = FrameReady(device, slot);
        device.readyGranted[slot] = *value == 1;
        return 1;
    }
    const auto found = device.ints.find({feature, slot});
    if (found == device.ints.end()) return 0;
    *value = found->second;
    return 1;
}

int QxCamLink_GetFeatureValueDWORD(const char* name, CameraSlot slot, uint32_t* value) {
    Device& device = State();
    device.Enter("QxCamLink_GetFeatureValueDWORD");
    if (!device.FeatureArguments("QxCamLink_GetFeatureValueDWORD", name, slot, value)) return 0;
    const auto found = device.ints.find({name, slot});
    if (found == device.ints.end() || found->second < 0) return 0;
    *value = static_cast<uint32_t>(found->second);
    return 1;
}

int QxCamLink_GetFeatureValueSTR(const char* name, CameraSlot slot, char* buffer, int32_t size) {
    Device& device = State();
    device.Enter("QxCamLink_GetFeatureValueSTR");
    if (!device.FeatureArguments("QxCamLink_GetFeatureValueSTR", name, slot, buffer)) return 0;
    if (std::string(name) != "DeviceVendorName" || size < 7) return 0;
    std::copy_n("Faulty", 7, buffer);
    return 1;
}

int QxCamLink_GetFeatureValueFLOAT(const char* name, CameraSlot slot, float* value) {
    Device& device = State();
    device.Enter("QxCamLink_GetFeatureValueFLOAT");
    if (!device.FeatureArguments("QxCamLink_GetFeatureValueFLOAT", name, slot, value)) return 0;
    if (const auto fault = FaultPlan::For(device.plan.floats, name)) {
        if (*fault == FloatFault::kFail) return 0;
        *value = FaultyFloat(*fault);
        return 1;
    }
    const auto found = device.floats.find({name, slot});
    if (found == device.floats.end()) return 0;
    *value = found->second;
    return 1;
}

int QxCamLink_SetFeatureValueINT(const char* name, CameraSlot slot, int32_t value) {
    Device& device = State();
    device.Enter("QxCamLink_SetFeatureValueINT");
    if (!device.FeatureArguments("QxCamLink_SetFeatureValueINT", name, slot, &value)) return 0;
    const auto found = device.ints.find({name, slot});
    if (found == device.ints.end()) return 0;
    found->second = value;
    return 1;
}

int QxCamLink_SetFeatureValueDWORD(const char* name, CameraSlot slot, uint32_t value) {
    Device& device = State();
    device.Enter("QxCamLink_SetFeatureValueDWORD");
    if (!device.FeatureArguments("QxCamLink_SetFeatureValueDWORD", name, slot, &value)) return 0;
    const auto found = device.ints.find({name, slot});
    if (found == device.ints.end()) return 0;
    found->second = static_cast<int32_t>(value);
    return 1;
}

int QxCamLink_SetFeatureValueSTR(const char* name, CameraSlot slot, const char* value) {
    Device& device = State();
    device.Enter("QxCamLink_SetFeatureValueSTR");
    device.FeatureArguments("QxCamLink_SetFeatureValueSTR", name, slot, value);
    return 0;
}

int QxCamLink_SetFeatureValueFLOAT(const char* name, CameraSlot slot, float value) {
    Device& device = State();
    device.Enter("QxCamLink_SetFeatureValueFLOAT");
    if (!device.FeatureArguments("QxCamLink_SetFeatureValueFLOAT", name, slot, &value)) return 0;
    const auto found = device.floats.find({name, slot});
    if (found == device.floats.end() || !std::isfinite(value)) return 0;
    found->second = value;
    return 1;
}

const uint8_t* QxCamLink_GetBufferPointer(CameraSlot slot) {
    Device& device = State();
    device.Enter("QxCamLink_GetBufferPointer");
    if (slot < 0 || slot >= kSlots) {
        device.Violation("GetBufferPointer with a bad slot");
        return nullptr;
    }
    if (!device.readyGranted[slot])
        device.Violation("GetBufferPointer(" + std::to_string(slot) + ") without FrameGrapped 1");
    device.readyGranted[slot] = false;
    if (!device.started[slot] || device.plan.buffer == BufferFault::kNull) return nullptr;
    if (device.plan.buffer != BufferFault::kMoving) return device.pattern[slot].get();

    // A fresh buffer on every call; the one handed out before it is freed, which the contract
    // allows, so a program that keeps an old address reads freed memory.
    auto fresh = std::make_unique<uint8_t[]>(kFrameBytes);
    std::copy_n(device.pattern[slot].get(), kFrameBytes, fresh.get());
    device.moving[slot] = std::move(fresh);
    return device.moving[slot].get();
}

int FaultyCam_CallCount(const char* exportName) {
    const auto& calls = State().calls;
    const auto found = exportName ? calls.find(exportName) : calls.end();
    return found == calls.end() ? 0 : found->second;
}

int FaultyCam_Violations(void) {
    return State().violations;
}

const char* FaultyCam_FirstViolation(void) {
    return State().firstViolation.c_str();
}

const char* FaultyCam_ConfigError(void) {
    return State().configError.c_str();
}

void FaultyCam_ResetCounters(void) {
    Device& device = State();
    device.calls.clear();
    device.violations = 0;
    device.firstViolation.clear();
}

}  // extern "C"
