#include "dialog/live_windows.h"

#include <opencv2/core.hpp>
#include <opencv2/highgui/highgui_c.h>

#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <array>
#include <string>

namespace {

// The frame tick asks after the same two windows ten times a second. OpenCV finds a window by
// walking every widget of the application and comparing names, so the window found last time
// is remembered and asked directly, for as long as it lives and carries the name.
struct KnownWindow {
    std::string name;
    QPointer<QWidget> widget;
};
std::array<KnownWindow, 4> g_knownWindows;
size_t g_nextKnownWindow = 0;

QWidget* FindImageWindow(const char* name) {
    for (const KnownWindow& known : g_knownWindows)
        if (known.widget && known.name == name && known.widget->objectName() == QLatin1String(name))
            return known.widget;

    void* handle = cvGetWindowHandle(name);
    if (!handle) return nullptr;
    // The Qt highgui hands out its window widget as the handle. It is only taken for one after
    // it has been found among the application's top-level widgets.
    QWidget* widget = nullptr;
    for (QWidget* candidate : QApplication::topLevelWidgets())
        if (static_cast<void*>(candidate) == handle) widget = candidate;
    if (!widget) return nullptr;
    KnownWindow& slot = g_knownWindows[g_nextKnownWindow++ % g_knownWindows.size()];
    slot.name = name;
    slot.widget = widget;
    return widget;
}

}  // namespace

bool IsImageWindowOpen(const char* name) {
    if (QWidget* window = FindImageWindow(name)) {
        if (window->isVisible()) return true;
    } else if (!cvGetWindowHandle(name)) {
        return false;
    } else if (cvGetWindowProperty(name, CV_WND_PROP_VISIBLE) > 0) {
        return true;
    }
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
