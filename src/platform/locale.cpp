#include "platform/locale.h"

#include <cstdlib>
#include <string_view>

namespace {

struct LanguageCode {
    std::string_view code;
    LANGID primary;
};

// Primary language ids of the languages a technician's system is likely to be set to.
constexpr LanguageCode kLanguages[] = {
    {"ar", 0x01}, {"bg", 0x02}, {"ca", 0x03}, {"zh", 0x04}, {"cs", 0x05}, {"da", 0x06},
    {"de", 0x07}, {"el", 0x08}, {"en", 0x09}, {"es", 0x0A}, {"fi", 0x0B}, {"fr", 0x0C},
    {"he", 0x0D}, {"hu", 0x0E}, {"is", 0x0F}, {"it", 0x10}, {"ja", 0x11}, {"ko", 0x12},
    {"nl", 0x13}, {"nb", 0x14}, {"no", 0x14}, {"pl", 0x15}, {"pt", 0x16}, {"ro", 0x18},
    {"ru", 0x19}, {"hr", 0x1A}, {"sk", 0x1B}, {"sv", 0x1D}, {"th", 0x1E}, {"tr", 0x1F},
    {"id", 0x21}, {"uk", 0x22}, {"vi", 0x2A},
};

struct Territory {
    LANGID primary;
    std::string_view territory;
    LANGID sub;
};

constexpr Territory kTerritories[] = {
    {0x09, "US", 0x01}, {0x09, "GB", 0x02}, {0x09, "AU", 0x03}, {0x09, "CA", 0x04},
    {0x09, "NZ", 0x05}, {0x09, "IE", 0x06}, {0x12, "KR", 0x01}, {0x12, "KP", 0x02},
    {0x04, "TW", 0x01}, {0x04, "CN", 0x02}, {0x04, "HK", 0x03}, {0x07, "DE", 0x01},
    {0x07, "CH", 0x02}, {0x07, "AT", 0x03}, {0x0C, "FR", 0x01}, {0x0C, "BE", 0x02},
    {0x0C, "CA", 0x03}, {0x0C, "CH", 0x04}, {0x11, "JP", 0x01},
};

constexpr LANGID kUsEnglish = 0x0409;

}  // namespace

namespace platform {

LANGID LangIdFromLocaleName(const std::string& locale) {
    if (locale.empty() || locale == "C" || locale == "POSIX" || locale.rfind("C.", 0) == 0)
        return kUsEnglish;
    const std::string_view name(locale);
    const size_t end = name.find_first_of("_.@");
    const std::string_view language = name.substr(0, end);
    std::string_view territory;
    if (end != std::string_view::npos && name[end] == '_') {
        const size_t stop = name.find_first_of(".@", end + 1);
        territory = name.substr(end + 1, stop == std::string_view::npos ? stop : stop - end - 1);
    }
    LANGID primary = 0;
    for (const auto& entry : kLanguages)
        if (entry.code == language) primary = entry.primary;
    if (primary == 0) return kUsEnglish;  // unknown languages fall back like C does
    LANGID sub = 0x01;                    // the default sub-language
    for (const auto& entry : kTerritories)
        if (entry.primary == primary && entry.territory == territory) sub = entry.sub;
    return MAKELANGID(primary, sub);
}

}  // namespace platform

LANGID GetSystemDefaultLangID() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return platform::LangIdFromLocaleName(value);
    }
    return kUsEnglish;
}
