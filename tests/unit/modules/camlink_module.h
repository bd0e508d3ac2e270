// Loads one of the program's modules from the build's output folder for a test.
#pragma once

#include <dlfcn.h>

#include <cstdlib>
#include <string>

#include "camlink/camlink_exports.h"

namespace vantrel::testing {

// Path of a module in the program's folder, which the test runner names in VANTREL_BIN_DIR.
inline std::string ProgramModulePath(const std::string& file) {
    const char* dir = std::getenv("VANTREL_BIN_DIR");
    return std::string(dir != nullptr ? dir : ".") + "/" + file;
}

template <typename Entry>
void Resolve(void* handle, int index, Entry& entry) {
    entry = reinterpret_cast<Entry>(dlsym(handle, kCamLinkExportNames[index]));
}

inline CamLinkApi ResolveCamLinkApi(void* handle) {
    CamLinkApi api;
    Resolve(handle, 0, api.GetVender);
    Resolve(handle, 1, api.InitDevice);
    Resolve(handle, 2, api.StartDevice);
    Resolve(handle, 3, api.StopDevice);
    Resolve(handle, 4, api.ReleaseDevice);
    Resolve(handle, 5, api.GetFeatureValueINT);
    Resolve(handle, 6, api.GetFeatureValueDWORD);
    Resolve(handle, 7, api.GetFeatureValueSTR);
    Resolve(handle, 8, api.GetFeatureValueFLOAT);
    Resolve(handle, 9, api.SetFeatureValueINT);
    Resolve(handle, 10, api.SetFeatureValueDWORD);
    Resolve(handle, 11, api.SetFeatureValueSTR);
    Resolve(handle, 12, api.SetFeatureValueFLOAT);
    Resolve(handle, 13, api.GetBufferPointer);
    return api;
}

// A module held open for the lifetime of the object. Unloading it discards its state, so each
// object starts from a freshly loaded module.
class LoadedModule {
public:
    explicit LoadedModule(const std::string& path)
        : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
        if (handle_ != nullptr) api_ = ResolveCamLinkApi(handle_);
    }
    ~LoadedModule() {
        if (handle_ != nullptr) dlclose(handle_);
    }
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    void* handle() const { return handle_; }
    const CamLinkApi& api() const { return api_; }
    const CamLinkApi* operator->() const { return &api_; }

private:
    void* handle_;
    CamLinkApi api_;
};

}  // namespace vantrel::testing
