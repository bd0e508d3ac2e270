// fixed_camlink.so: the fixed camera pair as a camera-link module, for measuring the whole
// program without a camera simulation behind it. Copied next to a copy of vantrel as
// QxCamLinkDLLDALSA.so (with no detector module, the program loads the DALSA module).
#include "fixed_camera.h"

namespace {

const CamLinkApi& Api() {
    static const CamLinkApi api = bench::FixedCamLinkApi();
    return api;
}

}  // namespace

extern "C" {

const char* QxCamLink_GetVender(void) {
    return Api().GetVender();
}
int QxCamLink_InitDevice(void) {
    return Api().InitDevice();
}
int QxCamLink_StartDevice(int pair) {
    return Api().StartDevice(pair);
}
int QxCamLink_StopDevice(void) {
    return Api().StopDevice();
}
int QxCamLink_ReleaseDevice(void) {
    return Api().ReleaseDevice();
}
int QxCamLink_GetFeatureValueINT(const char* name, CameraSlot slot, int32_t* value) {
    return Api().GetFeatureValueINT(name, slot, value);
}
int QxCamLink_GetFeatureValueDWORD(const char* name, CameraSlot slot, uint32_t* value) {
    return Api().GetFeatureValueDWORD(name, slot, value);
}
int QxCamLink_GetFeatureValueSTR(const char* name, CameraSlot slot, char* buffer, int32_t size) {
    return Api().GetFeatureValueSTR(name, slot, buffer, size);
}
int QxCamLink_GetFeatureValueFLOAT(const char* name, CameraSlot slot, float* value) {
    return Api().GetFeatureValueFLOAT(name, slot, value);
}
int QxCamLink_SetFeatureValueINT(const char* name, CameraSlot slot, int32_t value) {
    return Api().SetFeatureValueINT(name, slot, value);
}
int QxCamLink_SetFeatureValueDWORD(const char* name, CameraSlot slot, uint32_t value) {
    return Api().SetFeatureValueDWORD(name, slot, value);
}
int QxCamLink_SetFeatureValueSTR(const char* name, CameraSlot slot, const char* value) {
    return Api().SetFeatureValueSTR(name, slot, value);
}
int QxCamLink_SetFeatureValueFLOAT(const char* name, CameraSlot slot, float value) {
    return Api().SetFeatureValueFLOAT(name, slot, value);
}
const uint8_t* QxCamLink_GetBufferPointer(CameraSlot slot) {
    return Api().GetBufferPointer(slot);
}

}  // extern "C"
