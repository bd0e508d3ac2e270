// The system's default language, derived from the POSIX locale.
#pragma once

#include <string>

#include "platform/win_types.h"

/// LC_ALL, then LC_MESSAGES, then LANG; C, POSIX or nothing set is US English (0x0409).
LANGID GetSystemDefaultLangID();

namespace platform {
/// The language id of a locale name such as "ko_KR.UTF-8": the primary id from the language
/// code, the sub-language from the territory.
LANGID LangIdFromLocaleName(const std::string& locale);
}  // namespace platform
