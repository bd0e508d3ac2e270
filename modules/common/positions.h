// Camera positions named in text, as the modules' environment variables name them:
// "RR=21911234,RT=21911235" or "RR=12,-5,1.5;RT=0,3,-0.4".
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// text without the blanks around it.
std::string_view Trimmed(std::string_view text);

// The camera position a name gives: "RR" 0, "LL" 1, "RT" 2, "LT" 3, in any case and with
// surrounding blanks ignored.
std::optional<int> SlotForName(std::string_view name);

// Splits text at separator into POSITION=VALUE items, skipping empty ones, and hands each item
// that names a position not taken yet to take(slot, value); take returns false for a value it
// refuses. Returns the items refused: no position, a refused value, or a position taken before.
std::vector<std::string> ParsePositionItems(
    std::string_view text, char separator,
    const std::function<bool(int slot, std::string_view value)>& take);

// Names each item of variable that was ignored on standard error.
void ReportIgnoredItems(const char* variable, const std::vector<std::string>& items);

}  // namespace vantrel
