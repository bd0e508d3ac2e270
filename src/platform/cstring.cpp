#include "platform/cstring.h"

#include <cstdarg>
#include <cwchar>

#include "platform/resources.h"

namespace {

// In the program's wide format strings %s and %c take wide arguments, as on Windows; the C
// library's wide printf wants %ls and %lc for those.
std::wstring ToLibraryFormat(const wchar_t* format) {
    std::wstring out;
    for (const wchar_t* p = format; *p; ++p) {
        out += *p;
        if (*p != L'%') continue;
        if (p[1] == L'%') {
            out += *++p;
            continue;
        }
        while (p[1] && std::wcschr(L"-+ #0123456789.*", p[1])) out += *++p;
        if (p[1] == L's' || p[1] == L'c') out += L'l';
    }
    return out;
}

}  // namespace

void CString::Format(const wchar_t* format, ...) {
    wchar_t buffer[1024];
    const std::wstring libraryFormat = ToLibraryFormat(format ? format : L"");
    va_list args;
    va_start(args, format);
    const int written =
        std::vswprintf(buffer, sizeof buffer / sizeof buffer[0], libraryFormat.c_str(), args);
    va_end(args);
    assign(written < 0 ? L"" : buffer);
}

BOOL CString::LoadString(UINT id) {
    assign(platform::LoadStringResource(id));
    return empty() ? FALSE : TRUE;
}
