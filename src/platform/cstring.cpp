#include "platform/cstring.h"

#include <cstdarg>
#include <cwchar>

#include "platform/resources.h"

void CString::Format(const wchar_t* format, ...) {
    wchar_t buffer[1024];
    va_list args;
    va_start(args, format);
    const int written = std::vswprintf(buffer, sizeof buffer / sizeof buffer[0], format, args);
    va_end(args);
    assign(written < 0 ? L"" : buffer);
}

BOOL CString::LoadString(UINT id) {
    assign(platform::LoadStringResource(id));
    return empty() ? FALSE : TRUE;
}
