// The image windows, reached by name through OpenCV's C interface.
//
// OpenCV's Qt windows hide when the user closes them, and the window registry disappears with
// the last window, after which several calls raise errors instead of doing nothing. These
// helpers give the program the behaviour it relies on: a closed window is gone, and destroying
// a window that does not exist is harmless.
#pragma once

/// True when the window exists and is shown. A window the user closed (hidden) is destroyed
/// and counts as closed.
bool IsImageWindowOpen(const char* name);

/// Destroys the named window; a name without a window is ignored.
void DestroyImageWindow(const char* name);

/// Destroys every image window, live and sample windows alike.
void DestroyAllImageWindows();

/// The window names of a handedness: side window first.
struct LiveWindowNames {
    const char* side;
    const char* top;
};
LiveWindowNames LiveWindowsFor(int leftHanded);
