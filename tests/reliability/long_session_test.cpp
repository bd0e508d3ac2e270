// A whole fifteen-minute session with the simulated cameras and every overlay on, driven through
// the message map as the timers would drive it: Start, one frame tick per 110 ms period of the
// fifteen minutes, then the limit timer. Under the sanitizers this is also the leak test of a
// long run: every tick creates and releases two working images and the focus matrices.
#include <malloc.h>
#include <opencv2/highgui/highgui_c.h>

#include <QApplication>
#include <cmath>
#include <cstddef>

#include "imaging/focus.h"
#include "reliability_fixture.h"

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer runtime's allocator interface, whose header GCC does not ship.
extern "C" size_t __sanitizer_get_current_allocated_bytes(void);
#endif

namespace {

// Bytes of heap in use. LeakSanitizer only finds memory nobody points to any more; this also
// catches memory that piles up while still being pointed to.
size_t HeapInUse() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

constexpr int kLimitMs = 900000;
constexpr int kFrameMs = 110;
// Ticks that fall due before the limit: 900,000 / 110 rounded up.
constexpr int kTicks = (kLimitMs + kFrameMs - 1) / kFrameMs;
static_assert(kTicks == 8182);

class LongSessionTest : public ReliabilityTest {
protected:
    bool LiveWindowShown(const char* name) {
        return cvGetWindowHandle(name) && cvGetWindowProperty(name, CV_WND_PROP_VISIBLE) > 0;
    }
    // Pixels of the working image that are neither black nor overlay white.
    int GreyPixels() {
        const IplImage* frame = dialog_->Frame();
        int grey = 0;
        for (int i = 0; i < frame->imageSize; ++i) {
            const auto value = static_cast<uint8_t>(frame->imageData[i]);
            grey += value != 0 && value != 255;
        }
        return grey;
    }
};

}  // namespace

TEST_F(LongSessionTest, FifteenMinutesOfFramesEndInOneLimitStop) {
    UseSimulatedCamera();
    CVantrelDlg& dialog = Open();
    ASSERT_NE(dialog.CamLinkModule(), nullptr);
    SetCheckBox(IDC_CHECK_CENTER_GUIDE, BST_CHECKED);
    SetCheckBox(IDC_CHECK_GRID_GUIDE, BST_CHECKED);
    SetCheckBox(IDC_CHECK_FOCUS_TOOL, BST_CHECKED);
    ASSERT_TRUE(dialog.CenterGuide() && dialog.GridGuide() && dialog.FocusTool());
    Click(IDC_BTN_START);
    ASSERT_TRUE(dialog.IsCameraRunning());

    size_t heapAfterWarmUp = 0;
    for (int tick = 0; tick < kTicks; ++tick) {
        if (tick == 256) heapAfterWarmUp = HeapInUse();
        Tick(CVantrelDlg::ID_TIMER_FRAME);
        // Deliver the repaints the ticks posted, as the message loop would; the dialog's real
        // timers stay out, so the ticks sent here are the only ones.
        if (tick % 64 == 0) QCoreApplication::sendPostedEvents();
        if (!dialog.IsCameraRunning() || !dialog.Frame() || !std::isfinite(g_focusFit.a) ||
            dialog.TimerPeriod(CVantrelDlg::ID_TIMER_FRAME) != kFrameMs)
            FAIL() << "capture broke down at tick " << tick;
    }
    // Each tick allocates and releases about 600 KB; a quarter of that held per tick would grow
    // the heap by well over a gigabyte.
    const size_t heapAtEnd = HeapInUse();
    EXPECT_LT(heapAtEnd, heapAfterWarmUp + (16u << 20))
        << "the heap grew from " << heapAfterWarmUp << " to " << heapAtEnd << " bytes";
    EXPECT_TRUE(LiveWindowShown("Right-Right"));
    EXPECT_TRUE(LiveWindowShown("Right-Top"));
    EXPECT_GT(GreyPixels(), 100000) << "the simulated camera delivered no picture";
    EXPECT_NE(TextOf(IDC_STATIC_SIDE_TEMP), L"Side 온도 : -");
    EXPECT_TRUE(messages_.empty());

    Tick(CVantrelDlg::ID_TIMER_HEAT);
    EXPECT_EQ(messages_, std::vector<std::wstring>{L"발열문제로 카메라를 정지합니다."});
    EXPECT_FALSE(dialog.IsCameraRunning());
    EXPECT_EQ(dialog.Frame(), nullptr);
    EXPECT_EQ(dialog.TimerPeriod(CVantrelDlg::ID_TIMER_FRAME), -1);
    EXPECT_EQ(dialog.TimerPeriod(CVantrelDlg::ID_TIMER_HEAT), -1);
    EXPECT_TRUE(StartEnabled());
    EXPECT_FALSE(StopEnabled());
}
