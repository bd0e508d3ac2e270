// The floor of Vantrel's display path: the same two frames shown in two OpenCV windows every
// 110 ms, with the same highgui Qt backend and window flags, and nothing else.
//
//   minimal_display [--seconds N] [--waitkey]
//
// Runs until killed, or for N seconds. By default the frames are shown from a Qt timer in the
// application's event loop, which is how Vantrel shows them; --waitkey paces the loop with
// cvWaitKey instead, whose Qt implementation polls the event queue every millisecond.
#include <opencv2/highgui/highgui_c.h>

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fixed_camera.h"

namespace {

constexpr int kPeriodMs = 110;
constexpr int kFlags = CV_WINDOW_NORMAL | CV_GUI_NORMAL;
// Named apart from Vantrel's live windows, so that both programs can run side by side.
constexpr const char* kSide = "Floor-Side";
constexpr const char* kTop = "Floor-Top";

IplImage Wrap(const uint8_t* pixels) {
    IplImage image;
    cvInitImageHeader(&image, cvSize(kFrameWidth, kFrameHeight), IPL_DEPTH_8U, 1);
    // cvShowImage only reads the pixels.
    cvSetData(&image, const_cast<uint8_t*>(pixels), kFrameWidth);
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    int seconds = 0;
    bool waitKey = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc)
            seconds = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--waitkey") == 0)
            waitKey = true;
    }

    // As in Vantrel: no OpenGL driver for windows that do not draw with it.
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
    QApplication application(argc, argv);
    application.setQuitOnLastWindowClosed(false);

    IplImage side = Wrap(bench::FixedFrame(kSlotRightSide));
    IplImage top = Wrap(bench::FixedFrame(kSlotRightTop));
    cvNamedWindow(kSide, kFlags);
    cvNamedWindow(kTop, kFlags);
    cvResizeWindow(kSide, kFrameWidth, kFrameHeight);
    cvResizeWindow(kTop, kFrameWidth, kFrameHeight);
    auto show = [&] {
        cvShowImage(kSide, &side);
        cvShowImage(kTop, &top);
    };

    if (waitKey) {
        using Clock = std::chrono::steady_clock;
        const auto end = Clock::now() + std::chrono::seconds(seconds > 0 ? seconds : 1 << 30);
        auto next = Clock::now();
        while (Clock::now() < end) {
            show();
            next += std::chrono::milliseconds(kPeriodMs);
            const auto wait =
                std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now()).count();
            cvWaitKey(wait > 0 ? static_cast<int>(wait) : 1);
        }
        cvDestroyAllWindows();
        return 0;
    }

    QTimer frames;
    frames.setTimerType(Qt::PreciseTimer);
    QObject::connect(&frames, &QTimer::timeout, show);
    frames.start(kPeriodMs);
    if (seconds > 0) QTimer::singleShot(seconds * 1000, &application, &QApplication::quit);
    const int status = application.exec();
    cvDestroyAllWindows();
    return status;
}
