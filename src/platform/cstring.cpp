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

// True when ToLibraryFormat would change the format. The read-outs format numbers many times a
// second; their formats are used as they are, without building a copy.
bool HasTextConversion(const wchar_t* format) {
    for (const wchar_t* p = std::wcschr(format, L'%'); p; p = std::wcschr(p, L'%')) {
        ++p;
        if (*p == L'%') {
            ++p;
            continue;
        }
        while (*p && std::wcschr(L"-+ #0123456789.*", *p)) ++p;
        if (*p == L's' || *p == L'c') return true;
    }
    return false;
}

}  // namespace

void CString::Format(const wchar_t* format, ...) {
    if (!format) format = L"";
    std::wstring converted;
    if (HasTextConversion(format)) converted = ToLibraryFormat(format);
    const wchar_t* libraryFormat = converted.empty() ? format : converted.c_str();

    wchar_t buffer[1024];
    va_list args;
    va_start(args, format);
    const int written =
        std::vswprintf(buffer, sizeof buffer / sizeof buffer[0], libraryFormat, args);
    va_end(args);
    if (written < 0)
        clear();
    else
        assign(buffer, static_cast<size_t>(written));
}

BOOL CString::LoadString(UINT id) {
    assign(platform::LoadStringResource(id));
    return empty() ? FALSE : TRUE;
}
