// The dialog templates, strings and icon of the program and of its English language pack.
#pragma once

#include "platform/resource_types.h"

namespace res {

/// Main dialog, Korean texts (template 202).
extern const platform::DialogTemplate kMainDialogKorean;
/// Main dialog, English texts; the program's copy carries id 203, the pack's id 202.
platform::DialogTemplate MainDialogEnglish(UINT id);
/// About box (template 200), Korean and English.
extern const platform::DialogTemplate kAboutDialogKorean;
extern const platform::DialogTemplate kAboutDialogEnglish;

/// The application icon: the bytes of a .ico file with nine images.
extern const unsigned char kIconData[];
extern const size_t kIconSize;

/// Version of the program, "2.0.0.2".
extern const char kVersion[];

/// The program's own table: templates 200, 202, 203, string 201 and icon 228.
const platform::ResourceTable* ProgramResources();

}  // namespace res
