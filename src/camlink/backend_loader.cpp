#include "camlink/backend_loader.h"

#include "platform/module_loader.h"

CameraBackend BackendFromDetectorResult(int result) {
    switch (result) {
        case 1:
            return CameraBackend::Dalsa;
        case 2:
            return CameraBackend::Vieworks;
        case 3:
            return CameraBackend::HV;
        default:
            return CameraBackend::None;
    }
}

CameraBackend DetectCameraBackend() {
    HMODULE detector = LoadLibraryW(L"QxCamDetecter.dll");
    if (!detector) return CameraBackend::Dalsa;
    auto detect = reinterpret_cast<decltype(&QxCamDetect)>(GetProcAddress(detector, "QxCamDetect"));
    const CameraBackend backend =
        detect ? BackendFromDetectorResult(detect()) : CameraBackend::Dalsa;
    FreeLibrary(detector);
    return backend;
}

const wchar_t* BackendModuleName(CameraBackend backend) {
    switch (backend) {
        case CameraBackend::Dalsa:
            return L"QxCamLinkDLLDALSA.dll";
        case CameraBackend::Vieworks:
            return L"QxCamLinkDLLVW.dll";
        case CameraBackend::HV:
            return L"QxCamLinkDLLHV.dll";
        case CameraBackend::None:
            break;
    }
    return nullptr;
}

const wchar_t* BackendLoadFailureText(CameraBackend backend, bool korean) {
    switch (backend) {
        case CameraBackend::Dalsa:
            return korean ? L"DALSA 카메라 로드 실패" : L"Failure to Load DALSA Camera";
        case CameraBackend::Vieworks:
            return korean ? L"Vieworks카메라 로드 실패" : L"Failure to Load Vieworks Camera";
        case CameraBackend::HV:
            // This text has only the one form, in every UI language.
            return L"WVTCamLinkDLLHV.dll을 찾을 수 없습니다.";
        case CameraBackend::None:
            break;
    }
    return L"";
}

const wchar_t* NoCameraText(bool korean) {
    return korean ? L"연결된 카메라를 찾을 수 없습니다. 필터드라이버나 QxCamLinkDLLDALSA.dll, "
                    L"QxCamLinkDLLVW.dll 확인부탁드립니다."
                  : L"Cannot find Camera (Check Filter Diver or DLL). ";
}

CamLinkApi ResolveCamLinkApi(HMODULE module) {
    CamLinkApi api;
    FARPROC entries[14] = {};
    for (int i = 0; i < 14; ++i) entries[i] = GetProcAddress(module, kCamLinkExportNames[i]);
    auto take = [&entries](auto& slot, int index) {
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(entries[index]);
    };
    take(api.GetVender, 0);
    take(api.InitDevice, 1);
    take(api.StartDevice, 2);
    take(api.StopDevice, 3);
    take(api.ReleaseDevice, 4);
    take(api.GetFeatureValueINT, 5);
    take(api.GetFeatureValueDWORD, 6);
    take(api.GetFeatureValueSTR, 7);
    take(api.GetFeatureValueFLOAT, 8);
    take(api.SetFeatureValueINT, 9);
    take(api.SetFeatureValueDWORD, 10);
    take(api.SetFeatureValueSTR, 11);
    take(api.SetFeatureValueFLOAT, 12);
    take(api.GetBufferPointer, 13);
    return api;
}
