#include "platform/cstring.h"

#include <cstdarg>
#include <cwchar>

#include "platform/resources.h"

namespace {

// In the program's wide format strings %s and %c take wide arguments, as on Windows; the C
// library's wide printf wants %ls and %lc for those. Returns the converted format, or an empty
// string when nothing needs converting and the format is used as it is (the read-outs format
// numbers at every frame tick without building a copy).
std::wstring ToLibraryFormat(const wchar_t* format) {
    std::wstring out;
    const wchar_t* copied = format;  // the format before this point is in out
    for (const wchar_t* p = std::wcschr(format, L'%'); p; p = std::wcschr(p, L'%')) {
        ++p;
        if (*p == L'%') {
            ++p;
            continue;
        }
        while (*p && std::wcschr(L"-+ #0123456789.*", *p)) ++p;
        if (*p == L's' || *p == L'c') {
            out.append(copied, p);
            out += L'l';
            copied = p;
        }
    }
    if (!out.empty()) out.append(copied);
    return out;
}

}  // namespace

void CString::Format(const wchar_t* format, ...) {
    if (!format) format = L"";
    const std::wstring converted = ToLibraryFormat(format);
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
