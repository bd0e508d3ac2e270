// The camera-link contract: the exports every camera-link module offers, and the detector's.
//
// The program reaches cameras only through a module with these fourteen exports. Feature names
// are zero-terminated ASCII; INT values are signed 32-bit, FLOAT values 32-bit floats. Every
// per-camera call takes a CameraSlot. Unless a comment says otherwise a call returns non-zero on
// success.
#pragma once

#include <cstdint>

/// One of the four camera positions.
typedef int CameraSlot;
enum : CameraSlot {
    kSlotRightSide = 0,
    kSlotLeftSide = 1,
    kSlotRightTop = 2,
    kSlotLeftTop = 3,
};

/// Frame geometry every module delivers: 480 unpadded rows of 640 8-bit pixels, top row first.
constexpr int kFrameWidth = 640;
constexpr int kFrameHeight = 480;
constexpr int kFrameBytes = kFrameWidth * kFrameHeight;

#if defined(__GNUC__)
#define QXCAM_EXPORT __attribute__((visibility("default")))
#else
#define QXCAM_EXPORT
#endif

extern "C" {

// 1. The module's vendor name; never called by the program.
QXCAM_EXPORT const char* QxCamLink_GetVender(void);
// 2. Prepares the device; may be called again after StopDevice.
QXCAM_EXPORT int QxCamLink_InitDevice(void);
// 3. Starts acquisition of a pair: 0 the right-handed pair (slots 0, 2), 1 the left-handed pair
//    (slots 1, 3). Returns non-zero when started.
QXCAM_EXPORT int QxCamLink_StartDevice(int pair);
// 4. Stops acquisition.
QXCAM_EXPORT int QxCamLink_StopDevice(void);
// 5. Releases the device; called once before the module is unloaded.
QXCAM_EXPORT int QxCamLink_ReleaseDevice(void);
// 6. to 9. Feature reads. A read that fails leaves *value untouched.
QXCAM_EXPORT int QxCamLink_GetFeatureValueINT(const char* name, CameraSlot slot, int32_t* value);
// 7. Never called by the program.
QXCAM_EXPORT int QxCamLink_GetFeatureValueDWORD(const char* name, CameraSlot slot, uint32_t* value);
// 8. Never called by the program. Writes at most size bytes including the terminating zero.
QXCAM_EXPORT int QxCamLink_GetFeatureValueSTR(const char* name, CameraSlot slot, char* buffer,
                                              int32_t size);
QXCAM_EXPORT int QxCamLink_GetFeatureValueFLOAT(const char* name, CameraSlot slot, float* value);
// 10. to 13. Feature writes.
QXCAM_EXPORT int QxCamLink_SetFeatureValueINT(const char* name, CameraSlot slot, int32_t value);
// 11. Never called by the program.
QXCAM_EXPORT int QxCamLink_SetFeatureValueDWORD(const char* name, CameraSlot slot, uint32_t value);
// 12. Never called by the program.
QXCAM_EXPORT int QxCamLink_SetFeatureValueSTR(const char* name, CameraSlot slot, const char* value);
QXCAM_EXPORT int QxCamLink_SetFeatureValueFLOAT(const char* name, CameraSlot slot, float value);
// 14. Address of the slot's newest frame (kFrameBytes bytes), or null. The module owns the
//     buffer; it stays valid at least until the next call for the same slot.
QXCAM_EXPORT const uint8_t* QxCamLink_GetBufferPointer(CameraSlot slot);

// The detector module's one export: 1 Teledyne DALSA, 2 Vieworks, 3 HV, anything else: no camera.
QXCAM_EXPORT int QxCamDetect(void);

}  // extern "C"

/// The fourteen entries of a camera-link module, in the order they are resolved.
struct CamLinkApi {
    decltype(&QxCamLink_GetVender) GetVender = nullptr;
    decltype(&QxCamLink_InitDevice) InitDevice = nullptr;
    decltype(&QxCamLink_StartDevice) StartDevice = nullptr;
    decltype(&QxCamLink_StopDevice) StopDevice = nullptr;
    decltype(&QxCamLink_ReleaseDevice) ReleaseDevice = nullptr;
    decltype(&QxCamLink_GetFeatureValueINT) GetFeatureValueINT = nullptr;
    decltype(&QxCamLink_GetFeatureValueDWORD) GetFeatureValueDWORD = nullptr;
    decltype(&QxCamLink_GetFeatureValueSTR) GetFeatureValueSTR = nullptr;
    decltype(&QxCamLink_GetFeatureValueFLOAT) GetFeatureValueFLOAT = nullptr;
    decltype(&QxCamLink_SetFeatureValueINT) SetFeatureValueINT = nullptr;
    decltype(&QxCamLink_SetFeatureValueDWORD) SetFeatureValueDWORD = nullptr;
    decltype(&QxCamLink_SetFeatureValueSTR) SetFeatureValueSTR = nullptr;
    decltype(&QxCamLink_SetFeatureValueFLOAT) SetFeatureValueFLOAT = nullptr;
    decltype(&QxCamLink_GetBufferPointer) GetBufferPointer = nullptr;
};

/// Export names in table order; the loader resolves entry i of CamLinkApi from kCamLinkExportNames[i].
inline constexpr const char* kCamLinkExportNames[14] = {
    "QxCamLink_GetVender",           "QxCamLink_InitDevice",
    "QxCamLink_StartDevice",         "QxCamLink_StopDevice",
    "QxCamLink_ReleaseDevice",       "QxCamLink_GetFeatureValueINT",
    "QxCamLink_GetFeatureValueDWORD", "QxCamLink_GetFeatureValueSTR",
    "QxCamLink_GetFeatureValueFLOAT", "QxCamLink_SetFeatureValueINT",
    "QxCamLink_SetFeatureValueDWORD", "QxCamLink_SetFeatureValueSTR",
    "QxCamLink_SetFeatureValueFLOAT", "QxCamLink_GetBufferPointer",
};
