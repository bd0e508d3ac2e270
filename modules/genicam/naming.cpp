#include "genicam/naming.h"

#include <algorithm>
#include <cctype>

namespace vantrel::genicam {

namespace {

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

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

std::optional<int> SlotForName(std::string_view name) {
    static constexpr std::pair<std::string_view, int> kPositions[] = {
        {"RR", 0}, {"LL", 1}, {"RT", 2}, {"LT", 3}};
    name = Trimmed(name);
    for (const auto& [text, slot] : kPositions) {
        if (name.size() == text.size() && ContainsIgnoringCase(name, text)) return slot;
    }
    return std::nullopt;
}

SerialMap ParseSerialMap(std::string_view text) {
    SerialMap map;
    while (!text.empty()) {
        const size_t comma = text.find(',');
        const std::string_view item = Trimmed(text.substr(0, comma));
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        if (item.empty()) continue;

        const size_t equals = item.find('=');
        const std::optional<int> slot =
            equals == std::string_view::npos ? std::nullopt : SlotForName(item.substr(0, equals));
        const std::string_view serial = equals == std::string_view::npos
                                            ? std::string_view()
                                            : Trimmed(item.substr(equals + 1));
        const bool repeated =
            slot && std::any_of(map.entries.begin(), map.entries.end(),
                                [&](const SerialAssignment& entry) { return entry.slot == *slot; });
        if (!slot || serial.empty() || repeated) {
            map.rejected.emplace_back(item);
            continue;
        }
        map.entries.push_back({*slot, std::string(serial)});
    }
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
