// The camera-link exports of one vendor's module (VANTREL_CAMLINK_VENDOR 1 DALSA, 2 Vieworks,
// 3 HV, fixed when the module is built). The first InitDevice after loading or after
// ReleaseDevice chooses who serves the calls until the next ReleaseDevice: the GenICam cameras
// when VANTREL_CAMERA is unset, empty or "genicam", the simulated cameras for any other value.
// The cameras are released, and left as they were found, at ReleaseDevice and when the module is
// unloaded (the devices below are destroyed then).
#include <cstdint>

#include "camlink/camlink_exports.h"
#include "genicam/device.h"
#include "genicam/selection.h"
#include "simcam/sim_device.h"

namespace {

using vantrel::genicam::GenicamDevice;
using vantrel::simcam::SimDevice;

#if VANTREL_CAMLINK_VENDOR == 1
constexpr const vantrel::simcam::VendorProfile& kVendor = vantrel::simcam::kDalsaProfile;
#elif VANTREL_CAMLINK_VENDOR == 2
constexpr const vantrel::simcam::VendorProfile& kVendor = vantrel::simcam::kVieworksProfile;
#elif VANTREL_CAMLINK_VENDOR == 3
constexpr const vantrel::simcam::VendorProfile& kVendor = vantrel::simcam::kHvProfile;
#else
#error "VANTREL_CAMLINK_VENDOR must be 1, 2 or 3"
#endif

SimDevice& Simulated() {
    static SimDevice device(kVendor);
    return device;
}

GenicamDevice& Genicam() {
    static GenicamDevice device;
    return device;
}

bool g_chosen = false;
bool g_genicam = false;

// Runs call on the device that serves: until the first InitDevice that is the simulated one,
// which then fails every call as not yet opened.
template <typename Call>
auto Serve(Call call) {
    return g_genicam ? call(Genicam()) : call(Simulated());
}

}  // namespace

extern "C" {

const char* QxCamLink_GetVender(void) {
    return kVendor.name;
}

int QxCamLink_InitDevice(void) {
    if (!g_chosen) {
        g_genicam = vantrel::genicam::SelectionFromEnvironment().choice ==
                    vantrel::genicam::CameraChoice::kGenicam;
        g_chosen = true;
    }
    return Serve([](auto& device) { return device.Init(); }) ? 1 : 0;
}

int QxCamLink_StartDevice(int pair) {
    return Serve([&](auto& device) { return device.Start(pair); }) ? 1 : 0;
}

int QxCamLink_StopDevice(void) {
    return Serve([](auto& device) { return device.Stop(); }) ? 1 : 0;
}

int QxCamLink_ReleaseDevice(void) {
    const bool released = Serve([](auto& device) { return device.Release(); });
    g_chosen = false;
    g_genicam = false;
    return released ? 1 : 0;
}

int QxCamLink_GetFeatureValueINT(const char* name, CameraSlot slot, int32_t* value) {
    return Serve([&](auto& device) { return device.GetInt(name, slot, value); }) ? 1 : 0;
}

int QxCamLink_GetFeatureValueDWORD(const char* name, CameraSlot slot, uint32_t* value) {
    int32_t signedValue = 0;
    if (value == nullptr ||
        !Serve([&](auto& device) { return device.GetInt(name, slot, &signedValue); }) ||
        signedValue < 0) {
        return 0;
    }
    *value = static_cast<uint32_t>(signedValue);
    return 1;
}

int QxCamLink_GetFeatureValueSTR(const char* name, CameraSlot slot, char* buffer, int32_t size) {
    return Serve([&](auto& device) { return device.GetString(name, slot, buffer, size); }) ? 1 : 0;
}

int QxCamLink_GetFeatureValueFLOAT(const char* name, CameraSlot slot, float* value) {
    return Serve([&](auto& device) { return device.GetFloat(name, slot, value); }) ? 1 : 0;
}

int QxCamLink_SetFeatureValueINT(const char* name, CameraSlot slot, int32_t value) {
    return Serve([&](auto& device) { return device.SetInt(name, slot, value); }) ? 1 : 0;
}

int QxCamLink_SetFeatureValueDWORD(const char* name, CameraSlot slot, uint32_t value) {
    if (value > static_cast<uint32_t>(INT32_MAX)) return 0;
    return Serve(
               [&](auto& device) { return device.SetInt(name, slot, static_cast<int32_t>(value)); })
               ? 1
               : 0;
}

int QxCamLink_SetFeatureValueSTR(const char*, CameraSlot, const char*) {
    // No text feature is writable through the module; camera names are set with arv-tool.
    return 0;
}

int QxCamLink_SetFeatureValueFLOAT(const char* name, CameraSlot slot, float value) {
    return Serve([&](auto& device) { return device.SetFloat(name, slot, value); }) ? 1 : 0;
}

const uint8_t* QxCamLink_GetBufferPointer(CameraSlot slot) {
    return Serve([&](auto& device) { return device.NextFrame(slot); });
}

}  // extern "C"
