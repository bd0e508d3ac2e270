#include "genicam/selection.h"

#include <charconv>
#include <cstdlib>
#include <utility>

namespace vantrel::genicam {

Selection ParseSelection(std::string_view text) {
    if (text.empty() || text == kGenicamSelection) return {CameraChoice::kGenicam, 0};
    static constexpr std::pair<std::string_view, int> kSimulated[] = {
        {"sim-dalsa", 1}, {"sim-vieworks", 2}, {"sim-hv", 3}, {"sim-none", 0}};
    for (const auto& [name, code] : kSimulated) {
        if (text == name) return {CameraChoice::kSimulated, code};
    }
    int code = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, code);
    if (error == std::errc() && stop == end) return {CameraChoice::kSimulated, code};
    return {CameraChoice::kUnknown, 0};
}

Selection SelectionFromEnvironment() {
    const char* text = std::getenv("VANTREL_CAMERA");
    return ParseSelection(text != nullptr ? std::string_view(text) : std::string_view());
}

bool FakeCameraRequested() {
    const char* text = std::getenv("VANTREL_GENICAM_FAKE");
    return text != nullptr && std::string_view(text) == "1";
}

}  // namespace vantrel::genicam
