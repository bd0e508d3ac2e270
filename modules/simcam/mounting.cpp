#include "simcam/mounting.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "common/positions.h"
#include "simcam/frame_source.h"

namespace vantrel::simcam {
namespace {

std::optional<float> Number(std::string_view text) {
    text = Trimmed(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    float value = 0.0f;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty() ||
        !std::isfinite(value))
        return std::nullopt;
    return value;
}

// "DX,DY,ANGLE" or "DX,DY,ANGLE,SCALE", the scale in percent.
std::optional<sim::Pose> PoseOf(std::string_view text) {
    std::optional<float> fields[4];
    int count = 0;
    while (true) {
        const size_t comma = text.find(',');
        if (count == 4 || !(fields[count++] = Number(text.substr(0, comma)))) return std::nullopt;
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    if (count < 3) return std::nullopt;
    const float scale = count == 4 ? 1.0f + *fields[3] / 100.0f : 1.0f;
    if (!(scale > 0.5f && scale < 2.0f)) return std::nullopt;
    return sim::Pose{*fields[0], *fields[1], *fields[2], scale};
}

}  // namespace

Mounting ParseMounting(std::string_view text) {
    Mounting mounting;
    mounting.rejected = ParsePositionItems(text, ';', [&](int slot, std::string_view value) {
        const std::optional<sim::Pose> pose = PoseOf(value);
        if (pose) mounting.poses[slot] = *pose;
        return pose.has_value();
    });
    return mounting;
}

std::array<sim::Pose, 4> MountingFromEnvironment() {
    const char* text = std::getenv("VANTREL_SIM_POSE");
    const Mounting mounting = ParseMounting(text != nullptr ? text : "");
    ReportIgnoredItems("VANTREL_SIM_POSE", mounting.rejected);
    return mounting.poses;
}

Crossings ParseCrossings(std::string_view text) {
    Crossings crossings;
    crossings.rejected = ParsePositionItems(text, ';', [&](int slot, std::string_view value) {
        const std::optional<float> period = Number(value);
        if (!period || *period < kCrossingFrames || *period > 1e6f ||
            *period != std::floor(*period))
            return false;
        crossings.periods[slot] = static_cast<int>(*period);
        return true;
    });
    return crossings;
}

std::array<int, 4> CrossingsFromEnvironment() {
    const char* text = std::getenv("VANTREL_SIM_CROSSING");
    const Crossings crossings = ParseCrossings(text != nullptr ? text : "");
    ReportIgnoredItems("VANTREL_SIM_CROSSING", crossings.rejected);
    return crossings.periods;
}

}  // namespace vantrel::simcam
