// Icons loaded from icon resources.
#pragma once

#include "platform/win_types.h"

namespace platform {
/// The icon resource of that id through the current resource handle, or null. Icons live until
/// the process ends, as shared resource icons do.
HICON LoadIconResource(UINT id);
/// The sizes of the images an icon holds, for tests: count, and each width and bit depth.
int IconImageCount(HICON icon);
}  // namespace platform
