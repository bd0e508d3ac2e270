#include "simcam/mounting.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "common/positions.h"

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

// "DX,DY,ANGLE"
std::optional<sim::Pose> PoseOf(std::string_view text) {
    const size_t first = text.find(',');
    const size_t second = first == std::string_view::npos ? first : text.find(',', first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    const std::optional<float> dx = Number(text.substr(0, first));
    const std::optional<float> dy = Number(text.substr(first + 1, second - first - 1));
    const std::optional<float> angle = Number(text.substr(second + 1));
    if (!dx || !dy || !angle) return std::nullopt;
    return sim::Pose{*dx, *dy, *angle};
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

}  // namespace vantrel::simcam
