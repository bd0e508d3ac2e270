#include "genicam/discovery.h"

#include <dlfcn.h>

#include "genicam/aravis.h"
#include "genicam/naming.h"
#include "genicam/selection.h"

namespace vantrel::genicam {

namespace {

// Aravis registers GObject types, and the GObject type system can never forget them: once loaded,
// Aravis must stay loaded, or unloading the last module that uses it (the detector, before the
// camera-link module is loaded) and loading it again would register its types a second time.
void KeepAravisLoaded() {
    static const bool kept = [] {
        Dl_info info{};
        if (dladdr(reinterpret_cast<void*>(&arv_update_device_list), &info) == 0) return false;
        return dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE) != nullptr;
    }();
    (void)kept;
}

void ChooseInterfaces() {
    const bool fake = FakeCameraRequested();
    for (const char* id : {"GigEVision", "USB3Vision"}) {
        if (fake) {
            arv_disable_interface(id);
        } else {
            arv_enable_interface(id);
        }
    }
    if (fake) {
        arv_enable_interface("Fake");
    } else {
        arv_disable_interface("Fake");
    }
}

std::string Text(const char* text) {
    return text != nullptr ? std::string(text) : std::string();
}

}  // namespace

std::vector<DeviceEntry> DiscoverDevices() {
    KeepAravisLoaded();
    ChooseInterfaces();
    arv_update_device_list();
    std::vector<DeviceEntry> devices;
    const unsigned count = arv_get_n_devices();
    for (unsigned i = 0; i < count; ++i) {
        const bool gigeVision = Text(arv_get_device_protocol(i)) == "GigEVision";
        devices.push_back({Text(arv_get_device_id(i)), Text(arv_get_device_vendor(i)),
                           Text(arv_get_device_model(i)), Text(arv_get_device_serial_nbr(i)),
                           gigeVision ? Text(arv_get_device_address(i)) : std::string()});
    }
    return devices;
}

int DetectVendorCode() {
    std::vector<std::string> vendors;
    for (const DeviceEntry& device : DiscoverDevices()) vendors.push_back(device.vendor);
    return VendorCode(vendors);
}

}  // namespace vantrel::genicam
