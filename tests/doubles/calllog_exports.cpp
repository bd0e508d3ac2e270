// The fourteen camera-link exports of the call-log double. Building with
// VANTREL_OMIT_<export name> defined leaves that one export out.
#include <string>

#include "call_log_double.h"
#include "camlink/camlink_exports.h"

namespace {

using vantrel::doubles::CallLogDouble;
using vantrel::doubles::Text;

CallLogDouble& State() {
    return CallLogDouble::Instance();
}

void Record(const std::string& line) {
    State().Record(line);
}

std::string FeatureCall(const char* call, const char* name, CameraSlot slot) {
    return std::string(call) + "(" + Text(name) + "," + std::to_string(slot);
}

}  // namespace

extern "C" {

#ifndef VANTREL_OMIT_QxCamLink_GetVender
const char* QxCamLink_GetVender(void) {
    Record("GetVender()");
    return "CallLog";
}
#endif

#ifndef VANTREL_OMIT_QxCamLink_InitDevice
int QxCamLink_InitDevice(void) {
    Record("InitDevice()");
    return 1;
}
#endif

#ifndef VANTREL_OMIT_QxCamLink_StartDevice
int QxCamLink_StartDevice(int pair) {
    Record("StartDevice(" + std::to_string(pair) + ")");
    return State().startResult;
}
#endif

#ifndef VANTREL_OMIT_QxCamLink_StopDevice
int QxCamLink_StopDevice(void) {
    Record("StopDevice()");
    return 1;
}
#endif

#ifndef VANTREL_OMIT_QxCamLink_ReleaseDevice
int QxCamLink_ReleaseDevice(void) {
    Record("ReleaseDevice()");
    return 1;
}
#endif

#ifndef VANTREL_OMIT_QxCamLink_GetFeatureValueINT
int QxCamLink_GetFeatureValueINT(const char* name, CameraSlot slot, int32_t* value) {
    Record(FeatureCall("GetFeatureValueINT", name, slot) + ")");
    return State().ReadInt(name, slot, value) ? 1 : 0;
}
#endif

#ifndef VANTREL_OMIT_QxCamLink_GetFeatureValueDWORD
int QxCamLink_GetFeatureValueDWORD(const char* name, CameraSlot slot, uint32_t* value) {
    Record(FeatureCall("GetFeatureValueDWORD", name, slot) + ")");
    int32_t signedValue = 0;
    if (!State().ReadInt(name, slot, &signedValue)) return 0;
    if (value != nullptr) *value = static_cast<uint32_t>(signedValue);
    return 1;
}
#endif

#ifndef VANTREL_OMIT_QxCamLink_GetFeatureValueSTR
int QxCamLink_GetFeatureValueSTR(const char* name, CameraSlot slot, char* buffer, int32_t size) {
    Record(FeatureCall("GetFeatureValueSTR", name, slot) + "," + std::to_string(size) + ")");
    if (buffer == nullptr || size < 1) return 0;
    buffer[0] = '\0';
    return 1;
}
#endif

#ifndef VANTREL_OMIT_QxCamLink_GetFeatureValueFLOAT
int QxCamLink_GetFeatureValueFLOAT(const char* name, CameraSlot slot, float* value) {
    Record(FeatureCall("GetFeatureValueFLOAT", name, slot) + ")");
    return State().ReadFloat(name, slot, value) ? 1 : 0;
}
#endif

#ifndef VANTREL_OMIT_QxCamLink_SetFeatureValueINT
int QxCamLink_SetFeatureValueINT(const char* name, CameraSlot slot, int32_t value) {
    Record(FeatureCall("SetFeatureValueINT", name, slot) + "," + std::to_string(value) + ")");
    State().StoreInt(name, slot, value);
    return 1;
}
#endif

#ifndef VANTREL_OMIT_QxCamLink_SetFeatureValueDWORD
int QxCamLink_SetFeatureValueDWORD(const char* name, CameraSlot slot, uint32_t value) {
    Record(FeatureCall("SetFeatureValueDWORD", name, slot) + "," + std::to_string(value) + ")");
    State().StoreInt(name, slot, static_cast<int32_t>(value));
    return 1;
}
#endif

#ifndef VANTREL_OMIT_QxCamLink_SetFeatureValueSTR
int QxCamLink_SetFeatureValueSTR(const char* name, CameraSlot slot, const char* value) {
    Record(FeatureCall("SetFeatureValueSTR", name, slot) + "," + Text(value) + ")");
    return 1;
}
#endif

#ifndef VANTREL_OMIT_QxCamLink_SetFeatureValueFLOAT
int QxCamLink_SetFeatureValueFLOAT(const char* name, CameraSlot slot, float value) {
    Record(FeatureCall("SetFeatureValueFLOAT", name, slot) + "," + Text(value) + ")");
    State().StoreFloat(name, slot, value);
    return 1;
}
#endif

#ifndef VANTREL_OMIT_QxCamLink_GetBufferPointer
const uint8_t* QxCamLink_GetBufferPointer(CameraSlot slot) {
    Record("GetBufferPointer(" + std::to_string(slot) + ")");
    return State().Frame(slot);
}
#endif

}  // extern "C"
