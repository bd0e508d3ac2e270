// The detector module. Until real cameras are supported it reports what VANTREL_CAMERA selects:
// sim-dalsa 1, sim-vieworks 2, sim-hv 3, sim-none 0, or a decimal number reported as it is.
// Unset, empty or anything else: 0, no camera.
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "camlink/camlink_exports.h"

namespace {

int CodeFor(std::string_view selection) {
    static constexpr std::pair<std::string_view, int> kSimulated[] = {
        {"sim-dalsa", 1}, {"sim-vieworks", 2}, {"sim-hv", 3}, {"sim-none", 0}};
    for (const auto& [name, code] : kSimulated) {
        if (selection == name) return code;
    }
    int code = 0;
    const char* end = selection.data() + selection.size();
    const auto [stop, error] = std::from_chars(selection.data(), end, code);
    if (error == std::errc() && stop == end) return code;
    std::fprintf(stderr, "QxCamDetecter: VANTREL_CAMERA=\"%.*s\" selects no camera\n",
                 static_cast<int>(selection.size()), selection.data());
    return 0;
}

}  // namespace

extern "C" int QxCamDetect(void) {
    const char* selection = std::getenv("VANTREL_CAMERA");
    if (selection == nullptr || *selection == '\0') return 0;
    return CodeFor(selection);
}
