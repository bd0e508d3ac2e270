// Windows the user closed with their close box, then asked for again: a Start after closing the
// live windows and a Show Sample after closing the sample windows must show them again.
#include <opencv2/highgui/highgui_c.h>

#include <QWidget>

#include "reliability_fixture.h"

namespace {

class ClosedWindowsTest : public ReliabilityTest {
protected:
    void SetUp() override {
        ReliabilityTest::SetUp();
        UseFaultyCamera("");
    }
    static bool Shown(const char* name) {
        return cvGetWindowHandle(name) && cvGetWindowProperty(name, CV_WND_PROP_VISIBLE) > 0;
    }
    static void CloseBox(const char* name) {
        if (auto* window = static_cast<QWidget*>(cvGetWindowHandle(name))) window->close();
    }
};

}  // namespace

TEST_F(ClosedWindowsTest, StartAfterClosingTheLiveWindowsWhileIdleShowsThemAgain) {
    CVantrelDlg& dialog = Open();
    Click(IDC_BTN_START);
    Tick();
    Click(IDC_BTN_STOP);
    CloseBox("Right-Right");
    CloseBox("Right-Top");
    Click(IDC_BTN_START);
    ASSERT_TRUE(dialog.IsCameraRunning());
    EXPECT_TRUE(Shown("Right-Right"));
    EXPECT_TRUE(Shown("Right-Top"));
    Tick();
    EXPECT_TRUE(dialog.IsCameraRunning()) << "the first tick took the new windows for closed ones";
    EXPECT_TRUE(CarriesPattern(2));
}

TEST_F(ClosedWindowsTest, StopAndStartBeforeTheNextTickShowsTheWindowsAgain) {
    CVantrelDlg& dialog = Open();
    Click(IDC_BTN_START);
    Tick();
    CloseBox("Right-Right");
    CloseBox("Right-Top");
    Click(IDC_BTN_STOP);  // before any tick noticed the closed windows
    Click(IDC_BTN_START);
    Tick();
    EXPECT_TRUE(dialog.IsCameraRunning());
    EXPECT_TRUE(Shown("Right-Right"));
    EXPECT_TRUE(Shown("Right-Top"));
}

TEST_F(ClosedWindowsTest, ShowSampleAfterClosingTheSampleWindowsShowsThemAgain) {
    Open();
    Click(IDC_BTN_SHOW_SAMPLE);
    ASSERT_TRUE(Shown("RR Sample"));
    CloseBox("RR Sample");
    CloseBox("RT Sample");
    Click(IDC_BTN_SHOW_SAMPLE);
    EXPECT_TRUE(Shown("RR Sample"));
    EXPECT_TRUE(Shown("RT Sample"));
}
