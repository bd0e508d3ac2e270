// CString: the wide string the program formats its texts in.
#pragma once

#include <string>

#include "platform/win_types.h"

class CString : public std::wstring {
public:
    CString() = default;
    CString(const wchar_t* text) : std::wstring(text ? text : L"") {}
    CString(std::wstring text) : std::wstring(std::move(text)) {}

    /// swprintf-style formatting; a text longer than 1023 characters is cut there.
    void Format(const wchar_t* format, ...);
    /// Loads a string resource through the current resource handle; FALSE when absent.
    BOOL LoadString(UINT id);
    BOOL IsEmpty() const { return empty(); }
    operator LPCTSTR() const { return c_str(); }
};
