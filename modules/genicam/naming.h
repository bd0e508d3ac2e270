// Pure decisions on names: which vendor code the detector reports, and which device serves
// which camera position.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/positions.h"

namespace vantrel::genicam {

// The detector's code for the vendors of the devices found: 0 when there is none, 1 when every
// device is Teledyne DALSA, 2 when every device is Vieworks, 3 for any other mix.
int VendorCode(std::span<const std::string> vendors);

// The camera position a DeviceUserID names (see common/positions.h).
using vantrel::SlotForName;

struct SerialAssignment {
    int slot;
    std::string serial;
};

struct SerialMap {
    std::vector<SerialAssignment> entries;
    // Items that name no position, have no serial, or name a position a second time.
    std::vector<std::string> rejected;
};

// Parses VANTREL_CAMERA_SERIALS: comma-separated POSITION=SERIAL items, e.g. "RR=21,RT=22".
SerialMap ParseSerialMap(std::string_view text);

// What a device says about itself, as far as positions go.
struct DeviceNames {
    std::string userId;
    std::string serial;
};

inline constexpr int kNoDevice = -1;
// For each camera position, the index of the device serving it, or kNoDevice.
using SlotDevices = std::array<int, 4>;

// A device whose DeviceUserID names a position serves it (the first such device when several
// carry one name); a device without one serves the position the serial map gives its serial.
// Only when neither places any device do the devices serve in the order found: the first is the
// side camera (positions 0 and 1), the second the top camera (positions 2 and 3).
SlotDevices AssignPositions(std::span<const DeviceNames> devices, const SerialMap& serials);

}  // namespace vantrel::genicam
