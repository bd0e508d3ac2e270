#include "common/positions.h"

#include <array>
#include <cctype>
#include <cstdio>

namespace vantrel {

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

std::optional<int> SlotForName(std::string_view name) {
    static constexpr std::string_view kPositions[] = {"RR", "LL", "RT", "LT"};
    name = Trimmed(name);
    const auto upper = [](char c) { return std::toupper(static_cast<unsigned char>(c)); };
    for (int slot = 0; slot < 4; ++slot) {
        const std::string_view position = kPositions[slot];
        if (name.size() == position.size() && upper(name[0]) == position[0] &&
            upper(name[1]) == position[1])
            return slot;
    }
    return std::nullopt;
}

std::vector<std::string> ParsePositionItems(
    std::string_view text, char separator,
    const std::function<bool(int slot, std::string_view value)>& take) {
    std::vector<std::string> refused;
    std::array<bool, 4> taken{};
    while (!text.empty()) {
        const size_t end = text.find(separator);
        const std::string_view item = Trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (item.empty()) continue;
        const size_t equals = item.find('=');
        const std::optional<int> slot =
            equals == std::string_view::npos ? std::nullopt : SlotForName(item.substr(0, equals));
        if (!slot || taken[*slot] || !take(*slot, item.substr(equals + 1))) {
            refused.emplace_back(item);
            continue;
        }
        taken[*slot] = true;
    }
    return refused;
}

void ReportIgnoredItems(const char* variable, const std::vector<std::string>& items) {
    for (const std::string& item : items)
        std::fprintf(stderr, "QxCamLink: %s: \"%s\" ignored\n", variable, item.c_str());
}

}  // namespace vantrel
