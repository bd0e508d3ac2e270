#include "genicam/naming.h"

#include <algorithm>
#include <cctype>

namespace vantrel::genicam {

namespace {

bool ContainsIgnoringCase(std::string_view text, std::string_view word) {
    const auto lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
    return std::search(text.begin(), text.end(), word.begin(), word.end(),
                       [&](char a, char b) { return lower(a) == lower(b); }) != text.end();
}

}  // namespace

int VendorCode(std::span<const std::string> vendors) {
    if (vendors.empty()) return 0;
    const auto all = [&](std::string_view word) {
        return std::all_of(vendors.begin(), vendors.end(), [&](const std::string& vendor) {
            return ContainsIgnoringCase(vendor, word);
        });
    };
    if (all("dalsa")) return 1;
    if (all("vieworks")) return 2;
    return 3;
}

SerialMap ParseSerialMap(std::string_view text) {
    SerialMap map;
    map.rejected = ParsePositionItems(text, ',', [&](int slot, std::string_view value) {
        const std::string_view serial = Trimmed(value);
        if (serial.empty()) return false;
        map.entries.push_back({slot, std::string(serial)});
        return true;
    });
    return map;
}

SlotDevices AssignPositions(std::span<const DeviceNames> devices, const SerialMap& serials) {
    SlotDevices slots;
    slots.fill(kNoDevice);
    std::vector<bool> placed(devices.size(), false);

    for (size_t i = 0; i < devices.size(); ++i) {
        const std::optional<int> slot = SlotForName(devices[i].userId);
        if (slot && slots[*slot] == kNoDevice) {
            slots[*slot] = static_cast<int>(i);
            placed[i] = true;
        }
    }
    for (size_t i = 0; i < devices.size(); ++i) {
        if (placed[i] || SlotForName(devices[i].userId) || devices[i].serial.empty()) continue;
        for (const SerialAssignment& entry : serials.entries) {
            if (entry.serial == devices[i].serial && slots[entry.slot] == kNoDevice) {
                slots[entry.slot] = static_cast<int>(i);
                placed[i] = true;
                break;
            }
        }
    }
    if (std::find(placed.begin(), placed.end(), true) != placed.end()) return slots;

    if (devices.size() >= 1) slots[0] = slots[1] = 0;
    if (devices.size() >= 2) slots[2] = slots[3] = 1;
    return slots;
}

}  // namespace vantrel::genicam
