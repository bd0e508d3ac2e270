#include "dialog/live_windows.h"

#include <opencv2/core.hpp>
#include <opencv2/highgui/highgui_c.h>

bool IsImageWindowOpen(const char* name) {
    if (!cvGetWindowHandle(name)) return false;
    if (cvGetWindowProperty(name, CV_WND_PROP_VISIBLE) > 0) return true;
    cvDestroyWindow(name);
    return false;
}

void DestroyImageWindow(const char* name) {
    if (cvGetWindowHandle(name)) cvDestroyWindow(name);
}

void DestroyAllImageWindows() {
    try {
        cvDestroyAllWindows();
    } catch (const cv::Exception&) {
        // No window was ever opened, so there is nothing to destroy.
    }
}

LiveWindowNames LiveWindowsFor(int leftHanded) {
    return leftHanded == 0 ? LiveWindowNames{"Right-Right", "Right-Top"}
                           : LiveWindowNames{"Left-Left", "Left-Top"};
}
