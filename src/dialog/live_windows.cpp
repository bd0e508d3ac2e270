#include "dialog/live_windows.h"

#include <opencv2/core.hpp>
#include <opencv2/highgui/highgui_c.h>

#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <array>

namespace {

// The frame tick asks after the same two windows ten times a second. OpenCV finds a window by
// walking every widget of the application and comparing names, so the windows found last are
// remembered and asked directly, for as long as they live and carry the name.
std::array<QPointer<QWidget>, 4> g_knownWindows;
size_t g_nextKnownWindow = 0;

QWidget* FindImageWindow(const char* name) {
    for (const QPointer<QWidget>& known : g_knownWindows)
        if (known && known->objectName() == QLatin1String(name)) return known;

    void* handle = cvGetWindowHandle(name);
    if (!handle) return nullptr;
    // The Qt highgui hands out its window widget as the handle. It is only taken for one after
    // it has been found among the application's top-level widgets.
    for (QWidget* candidate : QApplication::topLevelWidgets()) {
        if (static_cast<void*>(candidate) != handle) continue;
        g_knownWindows[g_nextKnownWindow++ % g_knownWindows.size()] = candidate;
        return candidate;
    }
    return nullptr;
}

}  // namespace

bool IsImageWindowOpen(const char* name) {
    QWidget* window = FindImageWindow(name);
    if (!window) return false;
    if (window->isVisible()) return true;
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
