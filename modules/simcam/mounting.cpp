#include "simcam/mounting.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace vantrel::simcam {
namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

std::optional<int> SlotOf(std::string_view name) {
    constexpr const char* kNames[] = {"RR", "LL", "RT", "LT"};
    if (name.size() != 2) return std::nullopt;
    for (int slot = 0; slot < 4; ++slot) {
        if (std::toupper(static_cast<unsigned char>(name[0])) == kNames[slot][0] &&
            std::toupper(static_cast<unsigned char>(name[1])) == kNames[slot][1])
            return slot;
    }
    return std::nullopt;
}

std::optional<float> Number(std::string_view text) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    float value = 0.0f;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty() ||
        !std::isfinite(value))
        return std::nullopt;
    return value;
}

// "DX,DY,ANGLE"
std::optional<sim::Pose> PoseOf(std::string_view text) {
    float values[3];
    for (int i = 0; i < 3; ++i) {
        const size_t comma = i < 2 ? text.find(',') : std::string_view::npos;
        if (i < 2 && comma == std::string_view::npos) return std::nullopt;
        const std::optional<float> value = Number(text.substr(0, comma));
        if (!value) return std::nullopt;
        values[i] = *value;
        text = i < 2 ? text.substr(comma + 1) : std::string_view();
    }
    return sim::Pose{values[0], values[1], values[2]};
}

}  // namespace

Mounting ParseMounting(std::string_view text) {
    Mounting mounting;
    std::array<bool, 4> named{};
    while (!text.empty()) {
        const size_t end = text.find(';');
        const std::string_view item = Trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (item.empty()) continue;
        const size_t equals = item.find('=');
        const std::optional<int> slot =
            equals == std::string_view::npos ? std::nullopt : SlotOf(Trim(item.substr(0, equals)));
        const std::optional<sim::Pose> pose = slot ? PoseOf(item.substr(equals + 1)) : std::nullopt;
        if (!pose || named[*slot]) {
            mounting.rejected.emplace_back(item);
            continue;
        }
        named[*slot] = true;
        mounting.poses[*slot] = *pose;
    }
    return mounting;
}

std::array<sim::Pose, 4> MountingFromEnvironment() {
    const char* text = std::getenv("VANTREL_SIM_POSE");
    const Mounting mounting = ParseMounting(text != nullptr ? text : "");
    for (const std::string& item : mounting.rejected)
        std::fprintf(stderr, "QxCamLink: VANTREL_SIM_POSE: \"%s\" ignored\n", item.c_str());
    return mounting.poses;
}

}  // namespace vantrel::simcam
