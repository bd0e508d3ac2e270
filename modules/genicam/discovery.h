// Finding the GenICam devices through Aravis.
#pragma once

#include <string>
#include <vector>

namespace vantrel::genicam {

struct DeviceEntry {
    std::string id;  // what arv_camera_new opens
    std::string vendor;
    std::string model;
    std::string serial;
    std::string address;   // the IPv4 address of a GigE Vision device, otherwise empty
};

// Refreshes Aravis's device list and returns it in Aravis's order. GigE Vision and USB3 Vision
// devices are searched, or with VANTREL_GENICAM_FAKE=1 only Aravis's built-in fake camera.
std::vector<DeviceEntry> DiscoverDevices();

// The detector's vendor code for the devices found now (see VendorCode).
int DetectVendorCode();

}  // namespace vantrel::genicam
