// Choosing and resolving the camera-link module.
#pragma once

#include <string>

#include "camlink/camlink_exports.h"
#include "platform/win_types.h"

/// Which camera-link module serves the run.
enum class CameraBackend { None, Dalsa, Vieworks, HV };

/// The backend a detector result names: 1 DALSA, 2 Vieworks, 3 HV, anything else none.
CameraBackend BackendFromDetectorResult(int result);

/// Loads "QxCamDetecter.dll", calls QxCamDetect once and frees the module before returning.
/// A detector that is missing, or that lacks the export, counts as DALSA.
CameraBackend DetectCameraBackend();

/// The module file name of a backend ("QxCamLinkDLLDALSA.dll", ...); null for None.
const wchar_t* BackendModuleName(CameraBackend backend);

/// The message shown when the backend's module cannot be loaded.
const wchar_t* BackendLoadFailureText(CameraBackend backend, bool korean);

/// The message shown when the detector names no camera.
const wchar_t* NoCameraText(bool korean);

/// Looks up the 14 entries in table order; an export the module lacks leaves its entry null.
CamLinkApi ResolveCamLinkApi(HMODULE module);
