// Resource tables: dialog templates, strings and icons compiled into the program or a pack.
// Plain data only, so that a resource-only module can hold a table without linking anything.
#pragma once

#include <cstddef>

#include "platform/win_types.h"

namespace platform {

enum class ControlKind { PushButton, CheckBox, GroupBox, Label, TrackBar, Icon };

/// One control of a dialog template. Coordinates are dialog units. For an Icon control, text
/// is unused and iconId names the icon resource.
struct ControlTemplate {
    ControlKind kind;
    int id;
    const wchar_t* text;
    short x, y, cx, cy;
    DWORD style;
    UINT iconId = 0;
};

struct DialogTemplate {
    UINT id;
    DWORD style;
    DWORD exStyle;
    short cx, cy;
    const wchar_t* caption;
    const wchar_t* fontName;
    short pointSize;
    const ControlTemplate* controls;
    size_t controlCount;
};

struct StringResource {
    UINT id;
    const wchar_t* text;
};

/// An icon resource: the bytes of a .ico file holding one or more images.
struct IconResource {
    UINT id;
    const unsigned char* data;
    size_t size;
};

struct ResourceTable {
    const DialogTemplate* dialogs;
    size_t dialogCount;
    const StringResource* strings;
    size_t stringCount;
    const IconResource* icons;
    size_t iconCount;
};

/// The symbol a resource-only module exports its table under.
inline constexpr const char* kResourceTableSymbol = "VantrelResourceTable";

}  // namespace platform
