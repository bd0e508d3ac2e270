// Control interface of the call-log camera-link double (calllog_camlink.so and the
// camlink_missing_<export>.so variants), reached by tests through dlopen of the same file and
// dlsym. The double must stay loaded between configuring it and reading its log: keep a handle
// of your own open (TestDoubleModule) while the code under test loads and frees the module.
//
// Defaults after load and after TestDouble_Reset, for slots 0..3:
//   INT reads:   MinExposure 10, MaxExposure 100000, Exposure 5000, MinGain 1, MaxGain 10,
//                Gain 2, FrameGrapped 1
//   FLOAT reads: Exposure 5000, ExposureTime 5000, Gain 2, Temperature 40
//   any other name or slot: the read fails and leaves the out value untouched
//   StartDevice returns 1; GetBufferPointer(slot) returns a buffer of kFrameBytes bytes, all of
//   value DefaultFramePixel(slot); other slots give null.
// Sets return 1 and store the value for later reads of the same type, name and slot, keeping
// that entry's read mode. Every export returns 1 unless said otherwise here; GetVender returns
// "CallLog".
#pragma once

#include <dlfcn.h>

#include <cstdint>
#include <string>
#include <string_view>

#if defined(__GNUC__)
#define TEST_DOUBLE_EXPORT __attribute__((visibility("default")))
#else
#define TEST_DOUBLE_EXPORT
#endif

extern "C" {
// Clears the log and restores every default.
TEST_DOUBLE_EXPORT void TestDouble_Reset(void);
// Every export called since the last reset, one line each ending in '\n', in call order:
//   InitDevice()  StartDevice(0)  GetFeatureValueINT(MaxExposure,0)
//   SetFeatureValueINT(Exposure,2,5000)  SetFeatureValueFLOAT(Gain,0,12.0)
//   GetFeatureValueFLOAT(Temperature,2)  GetBufferPointer(0)
// Floats are written in their shortest exact form with at least one decimal; a null name as
// (null). The text stays valid until the next call into the double. When VANTREL_CALL_LOG names
// a file, each line is also appended to it, flushed at once.
TEST_DOUBLE_EXPORT const char* TestDouble_CallLog(void);
// What INT / FLOAT reads of (name, slot) answer: see TestDoubleReadMode for mode.
TEST_DOUBLE_EXPORT void TestDouble_SetInt(const char* name, int slot, int32_t value, int mode);
TEST_DOUBLE_EXPORT void TestDouble_SetFloat(const char* name, int slot, float value, int mode);
TEST_DOUBLE_EXPORT void TestDouble_SetStartResult(int result);
// The value that INT reads of "FrameGrapped" give for slot; same as TestDouble_SetInt.
TEST_DOUBLE_EXPORT void TestDouble_SetFrameReady(int slot, int32_t value);
// Copies kFrameBytes bytes as the slot's frame; null makes GetBufferPointer return null.
TEST_DOUBLE_EXPORT void TestDouble_SetFrame(int slot, const uint8_t* pixels);
}

namespace vantrel::testing {

enum TestDoubleReadMode : int {
    kReadFails = 0,        // returns 0, out value untouched
    kReadWrites = 1,       // returns 1 and writes the value
    kReadLeavesValue = 2,  // returns 1 but leaves the out value untouched
};

constexpr uint8_t DefaultFramePixel(int slot) {
    return static_cast<uint8_t>(0x10 * (slot + 1));
}

struct TestDoubleApi {
    decltype(&TestDouble_Reset) Reset = nullptr;
    decltype(&TestDouble_CallLog) CallLog = nullptr;
    decltype(&TestDouble_SetInt) SetInt = nullptr;
    decltype(&TestDouble_SetFloat) SetFloat = nullptr;
    decltype(&TestDouble_SetStartResult) SetStartResult = nullptr;
    decltype(&TestDouble_SetFrameReady) SetFrameReady = nullptr;
    decltype(&TestDouble_SetFrame) SetFrame = nullptr;

    bool complete() const {
        return Reset && CallLog && SetInt && SetFloat && SetStartResult && SetFrameReady &&
               SetFrame;
    }
};

template <typename Function>
void ResolveEntry(void* handle, const char* name, Function& entry) {
    entry = reinterpret_cast<Function>(dlsym(handle, name));
}

inline TestDoubleApi ResolveTestDoubleApi(void* handle) {
    TestDoubleApi api;
    ResolveEntry(handle, "TestDouble_Reset", api.Reset);
    ResolveEntry(handle, "TestDouble_CallLog", api.CallLog);
    ResolveEntry(handle, "TestDouble_SetInt", api.SetInt);
    ResolveEntry(handle, "TestDouble_SetFloat", api.SetFloat);
    ResolveEntry(handle, "TestDouble_SetStartResult", api.SetStartResult);
    ResolveEntry(handle, "TestDouble_SetFrameReady", api.SetFrameReady);
    ResolveEntry(handle, "TestDouble_SetFrame", api.SetFrame);
    return api;
}

#ifdef VANTREL_TEST_DOUBLES_DIR
// Full path of a double built for the tests, e.g. TestDoublePath("calllog_camlink.so").
inline std::string TestDoublePath(std::string_view fileName) {
    return std::string(VANTREL_TEST_DOUBLES_DIR) + "/" + std::string(fileName);
}
#endif

// Keeps a test double loaded for the lifetime of the object, with its control API resolved.
class TestDoubleModule {
public:
    explicit TestDoubleModule(const std::string& path)
        : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
        if (handle_ != nullptr) api_ = ResolveTestDoubleApi(handle_);
    }
    ~TestDoubleModule() {
        if (handle_ != nullptr) dlclose(handle_);
    }
    TestDoubleModule(const TestDoubleModule&) = delete;
    TestDoubleModule& operator=(const TestDoubleModule&) = delete;

    // True when the file loaded and offers the whole control API.
    bool ok() const { return handle_ != nullptr && api_.complete(); }
    void* handle() const { return handle_; }
    const TestDoubleApi& api() const { return api_; }

private:
    void* handle_;
    TestDoubleApi api_;
};

}  // namespace vantrel::testing
