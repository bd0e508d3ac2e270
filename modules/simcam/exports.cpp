// The camera-link exports of one vendor's module. Every module currently serves simulated
// cameras; the vendor is fixed when the module is built (VANTREL_SIMCAM_VENDOR 1 DALSA,
// 2 Vieworks, 3 HV).
#include <cstdint>

#include "camlink/camlink_exports.h"
#include "simcam/sim_device.h"

namespace {

using vantrel::simcam::SimDevice;

#if VANTREL_SIMCAM_VENDOR == 1
constexpr const vantrel::simcam::VendorProfile& kVendor = vantrel::simcam::kDalsaProfile;
#elif VANTREL_SIMCAM_VENDOR == 2
constexpr const vantrel::simcam::VendorProfile& kVendor = vantrel::simcam::kVieworksProfile;
#elif VANTREL_SIMCAM_VENDOR == 3
constexpr const vantrel::simcam::VendorProfile& kVendor = vantrel::simcam::kHvProfile;
#else
#error "VANTREL_SIMCAM_VENDOR must be 1, 2 or 3"
#endif

SimDevice& Device() {
    static SimDevice device(kVendor);
    return device;
}

}  // namespace

extern "C" {

const char* QxCamLink_GetVender(void) {
    return kVendor.name;
}

int QxCamLink_InitDevice(void) {
    return Device().Init() ? 1 : 0;
}

int QxCamLink_StartDevice(int pair) {
    return Device().Start(pair) ? 1 : 0;
}

int QxCamLink_StopDevice(void) {
    return Device().Stop() ? 1 : 0;
}

int QxCamLink_ReleaseDevice(void) {
    return Device().Release() ? 1 : 0;
}

int QxCamLink_GetFeatureValueINT(const char* name, CameraSlot slot, int32_t* value) {
    return Device().GetInt(name, slot, value) ? 1 : 0;
}

int QxCamLink_GetFeatureValueDWORD(const char* name, CameraSlot slot, uint32_t* value) {
    int32_t signedValue = 0;
    if (value == nullptr || !Device().GetInt(name, slot, &signedValue) || signedValue < 0) {
        return 0;
    }
    *value = static_cast<uint32_t>(signedValue);
    return 1;
}

int QxCamLink_GetFeatureValueSTR(const char* name, CameraSlot slot, char* buffer, int32_t size) {
    return Device().GetString(name, slot, buffer, size) ? 1 : 0;
}

int QxCamLink_GetFeatureValueFLOAT(const char* name, CameraSlot slot, float* value) {
    return Device().GetFloat(name, slot, value) ? 1 : 0;
}

int QxCamLink_SetFeatureValueINT(const char* name, CameraSlot slot, int32_t value) {
    return Device().SetInt(name, slot, value) ? 1 : 0;
}

int QxCamLink_SetFeatureValueDWORD(const char* name, CameraSlot slot, uint32_t value) {
    if (value > static_cast<uint32_t>(INT32_MAX)) return 0;
    return Device().SetInt(name, slot, static_cast<int32_t>(value)) ? 1 : 0;
}

int QxCamLink_SetFeatureValueSTR(const char*, CameraSlot, const char*) {
    // The simulated cameras have no writable text features.
    return 0;
}

int QxCamLink_SetFeatureValueFLOAT(const char* name, CameraSlot slot, float value) {
    return Device().SetFloat(name, slot, value) ? 1 : 0;
}

const uint8_t* QxCamLink_GetBufferPointer(CameraSlot slot) {
    return Device().NextFrame(slot);
}

}  // extern "C"
