// The fault-injecting camera-link module faulty_camlink.so: a plain healthy camera unless
// VANTREL_FAULTS asks for faults, plus a small control interface that tests reach through dlsym.
//
// VANTREL_FAULTS is read when the module is loaded and again at every InitDevice (a changed text
// replaces the faults; counters such as the alternating start keep counting). It is a
// comma-separated list of key=value items:
//
//   start=fail-always     StartDevice returns 0
//   start=alternate       StartDevice fails, succeeds, fails, ... (the first call fails)
//   ready=never           "FrameGrapped" reads write 0
//   ready=flap            "FrameGrapped" reads of each slot write 1, 0, 1, 0, ...
//   ready=<integer>       "FrameGrapped" reads write that value (2, -1, -2147483648, ...)
//   buffer=null           GetBufferPointer returns null
//   buffer=moving         every GetBufferPointer call hands out a newly allocated buffer and frees
//                         the one handed out by the call before for that slot
//   float=<mode>[@Name]   FLOAT reads of Name (every FLOAT read without @Name): fail (return 0,
//                         write nothing), nan, inf, -inf, huge (3e9), -huge (-3e9); may repeat
//   int=<mode>[@Name]     INT reads of Name (every INT read without @Name): silent (return 1,
//                         write nothing) or fail (return 0, write nothing); may repeat
//   delay=<ms>            every export call sleeps that long before it answers
//   init-delay=<ms>       InitDevice sleeps that long (as a real camera's does while it
//                         searches and opens the cameras), after it has read the faults
//
// VANTREL_FAULTY_TRACE names a file that receives one line per export call, in call order:
// the export's name without "QxCamLink_", and for StartDevice the pair and the result
// ("StartDevice 0 1"). End-to-end tests read it to see what the program did to the device.
//
// A text that does not parse leaves the module healthy and is reported by FaultyCam_ConfigError.
//
// Healthy behaviour, for slots 0..3: INT reads MinExposure 10, MaxExposure 100000, Exposure 5000,
// MinGain 1, MaxGain 10, Gain 2, FrameGrapped 1 for a started slot and 0 otherwise; FLOAT reads
// Gain 2, Exposure and ExposureTime 5000, Temperature 40; sets store the value for later reads.
// StartDevice(0) starts slots 0 and 2, StartDevice(1) slots 1 and 3; StopDevice stops both.
// GetBufferPointer of a started slot returns a frame filled with FaultyFramePixel, of any other
// slot null.
#pragma once

#include <dlfcn.h>

#include <cstdint>
#include <string>

extern "C" {
// Calls of the export (by its full name, "QxCamLink_GetBufferPointer") since load or reset.
__attribute__((visibility("default"))) int FaultyCam_CallCount(const char* exportName);
// Calls the contract forbids: a buffer asked for without a "FrameGrapped" read of 1 for that
// slot since the last buffer call, a null name or out pointer, a slot outside 0..3, a start
// before InitDevice, or any call but InitDevice after ReleaseDevice.
__attribute__((visibility("default"))) int FaultyCam_Violations(void);
// The first violation in words, or "".
__attribute__((visibility("default"))) const char* FaultyCam_FirstViolation(void);
// "" when VANTREL_FAULTS parsed, otherwise what is wrong with it.
__attribute__((visibility("default"))) const char* FaultyCam_ConfigError(void);
// Clears the counters and the violations; the faults stay.
__attribute__((visibility("default"))) void FaultyCam_ResetCounters(void);
}

namespace vantrel::testing {

/// The healthy frame: a fixed pattern per slot that never reaches 0 or 255.
constexpr uint8_t FaultyFramePixel(int slot, int x, int y) {
    return static_cast<uint8_t>(20 + (x + 2 * y + 37 * slot) % 200);
}

/// The control interface of a loaded copy of faulty_camlink.so.
struct FaultyCamApi {
    decltype(&FaultyCam_CallCount) CallCount = nullptr;
    decltype(&FaultyCam_Violations) Violations = nullptr;
    decltype(&FaultyCam_FirstViolation) FirstViolation = nullptr;
    decltype(&FaultyCam_ConfigError) ConfigError = nullptr;
    decltype(&FaultyCam_ResetCounters) ResetCounters = nullptr;

    bool complete() const {
        return CallCount && Violations && FirstViolation && ConfigError && ResetCounters;
    }
};

/// Keeps a copy of the faulty module loaded (the same file the program loads, so the same
/// instance) and resolves its control interface.
class FaultyCamModule {
public:
    explicit FaultyCamModule(const std::string& path)
        : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
        if (!handle_) return;
        api_.CallCount =
            reinterpret_cast<decltype(api_.CallCount)>(dlsym(handle_, "FaultyCam_CallCount"));
        api_.Violations =
            reinterpret_cast<decltype(api_.Violations)>(dlsym(handle_, "FaultyCam_Violations"));
        api_.FirstViolation = reinterpret_cast<decltype(api_.FirstViolation)>(
            dlsym(handle_, "FaultyCam_FirstViolation"));
        api_.ConfigError =
            reinterpret_cast<decltype(api_.ConfigError)>(dlsym(handle_, "FaultyCam_ConfigError"));
        api_.ResetCounters = reinterpret_cast<decltype(api_.ResetCounters)>(
            dlsym(handle_, "FaultyCam_ResetCounters"));
    }
    ~FaultyCamModule() {
        if (handle_) dlclose(handle_);
    }
    FaultyCamModule(const FaultyCamModule&) = delete;
    FaultyCamModule& operator=(const FaultyCamModule&) = delete;

    bool ok() const { return handle_ && api_.complete(); }
    const FaultyCamApi& api() const { return api_; }

private:
    void* handle_;
    FaultyCamApi api_;
};

}  // namespace vantrel::testing
