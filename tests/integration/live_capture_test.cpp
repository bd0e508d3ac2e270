// Start and Stop, the frame tick and its read-outs, closing live windows, the limit timer and the
// handedness switch, driven through the message map against the call-log camera double.
#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <opencv2/highgui/highgui_c.h>

#include <algorithm>

#include "dialog/live_windows.h"
#include "dialog_fixture.h"
#include "platform/message_box.h"

using vantrel::testing::kReadFails;
using vantrel::testing::kReadLeavesValue;
using vantrel::testing::kReadWrites;
using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

namespace {

class LiveCaptureTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        UseDetector("detect_returns_1.so");
        UseCamLink("calllog_camlink.so");
    }

    static bool WindowShown(const char* name) {
        return cvGetWindowHandle(name) && cvGetWindowProperty(name, CV_WND_PROP_VISIBLE) > 0;
    }
    static QWidget* Window(const char* name) { return static_cast<QWidget*>(cvGetWindowHandle(name)); }
    bool Called(const std::string& call) {
        const auto calls = Calls();
        return std::find(calls.begin(), calls.end(), call) != calls.end();
    }
    CSliderCtrl& Slider(int id) { return static_cast<CSliderCtrl&>(Control(id)); }
    int SliderPos(int id) { return static_cast<int>(Control(id).SendMessage(TBM_GETPOS)); }
    int SliderMin(int id) { return static_cast<int>(Control(id).SendMessage(TBM_GETRANGEMIN)); }
    int SliderMax(int id) { return static_cast<int>(Control(id).SendMessage(TBM_GETRANGEMAX)); }
};

const std::vector<std::string> kOpenSequenceRight = {
    "InitDevice()",
    "GetFeatureValueINT(MaxExposure,0)",
    "GetFeatureValueINT(MinExposure,0)",
    "GetFeatureValueINT(Exposure,0)",
    "SetFeatureValueINT(Exposure,2,5000)",
    "GetFeatureValueINT(MaxGain,0)",
    "GetFeatureValueINT(MinGain,0)",
    "GetFeatureValueINT(Gain,0)",
    "SetFeatureValueINT(Gain,2,2)",
    "StartDevice(0)",
};

// After a start, whether the module says why a camera gives no picture, or not the whole one.
const std::vector<std::string> kStatusReadsRight = {
    "GetFeatureValueSTR(VantrelStatus,0,128)",
    "GetFeatureValueSTR(VantrelStatus,2,128)",
};

}  // namespace

TEST_F(LiveCaptureTest, StartCallsTheModuleInOrderAndOpensTheLiveView) {
    CVantrelDlg& dialog = Open();
    CaptureStdout();
    Click(IDC_BTN_START);
    EXPECT_EQ(GetCapturedStdout(), "current exposure 5000\n");
    std::vector<std::string> expected = kOpenSequenceRight;
    for (const char* feature : {"MaxExposure", "MinExposure", "Exposure", "MaxGain", "MinGain", "Gain"})
        expected.push_back(std::string("GetFeatureValueINT(") + feature + ",0)");
    expected.insert(expected.end(), kStatusReadsRight.begin(), kStatusReadsRight.end());
    EXPECT_EQ(Calls(), expected);
    EXPECT_TRUE(messages_.empty());
    EXPECT_TRUE(dialog.IsCameraRunning());
    EXPECT_EQ(dialog.SideCam(), 0);
    EXPECT_EQ(dialog.TopCam(), 2);
    EXPECT_TRUE(WindowShown("Right-Right"));
    EXPECT_TRUE(WindowShown("Right-Top"));
    EXPECT_EQ(cvGetWindowHandle("Left-Left"), nullptr);
    EXPECT_EQ(dialog.TimerPeriod(1001), 110);
    EXPECT_EQ(dialog.TimerPeriod(1002), 900000);
    EXPECT_FALSE(Control(IDC_BTN_START).IsWindowEnabled());
    EXPECT_TRUE(Control(IDC_BTN_STOP).IsWindowEnabled());
    // The sliders show the side camera's ranges and values, and stay disabled.
    EXPECT_EQ(SliderMin(IDC_SLIDER_EXPOSURE), 10);
    EXPECT_EQ(SliderMax(IDC_SLIDER_EXPOSURE), 100000);
    EXPECT_EQ(SliderPos(IDC_SLIDER_EXPOSURE), 5000);
    EXPECT_EQ(SliderMin(IDC_SLIDER_GAIN), 1);
    EXPECT_EQ(SliderMax(IDC_SLIDER_GAIN), 10);
    EXPECT_EQ(SliderPos(IDC_SLIDER_GAIN), 2);
    EXPECT_FALSE(Control(IDC_SLIDER_GAIN).IsWindowEnabled());
    EXPECT_FALSE(Control(IDC_SLIDER_EXPOSURE).IsWindowEnabled());
}

TEST_F(LiveCaptureTest, RefusedStartReportsOnceAndKeepsWhatWasDone) {
    Double().SetStartResult(0);
    Double().SetInt("MaxGain", 0, 40, kReadWrites);
    CVantrelDlg& dialog = Open();
    Click(IDC_BTN_START);
    EXPECT_EQ(messages_, std::vector<std::wstring>{L"Cannot start Camera"});
    std::vector<std::string> expected = kOpenSequenceRight;  // the top camera took exposure and gain
    expected.insert(expected.end(), kStatusReadsRight.begin(), kStatusReadsRight.end());
    EXPECT_EQ(Calls(), expected);
    EXPECT_FALSE(dialog.IsCameraRunning());
    EXPECT_EQ(cvGetWindowHandle("Right-Right"), nullptr);
    EXPECT_EQ(dialog.TimerPeriod(1001), -1);
    EXPECT_EQ(dialog.TimerPeriod(1002), -1);
    EXPECT_TRUE(Control(IDC_BTN_START).IsWindowEnabled());
    EXPECT_TRUE(Control(IDC_BTN_STOP).IsWindowEnabled());
    EXPECT_EQ(SliderMax(IDC_SLIDER_GAIN), 40);
}

TEST_F(LiveCaptureTest, StartCopiesOnlyTheSideValuesThatWereRead) {
    // A side camera whose exposure cannot be read (or no side camera at all): the top camera
    // keeps its own exposure instead of taking the 0 that was never read; the gain still goes.
    Double().SetInt("Exposure", 0, 0, kReadFails);
    Open();
    Click(IDC_BTN_START);
    EXPECT_FALSE(Called("SetFeatureValueINT(Exposure,2,0)"));
    EXPECT_TRUE(Called("SetFeatureValueINT(Gain,2,2)"));
    Click(IDC_BTN_STOP);
    Double().SetInt("Gain", 0, 0, kReadFails);
    ClearCalls();
    Click(IDC_BTN_START);
    const auto calls = Calls();
    EXPECT_TRUE(std::none_of(calls.begin(), calls.end(), [](const std::string& call) {
        return call.rfind("SetFeatureValueINT(", 0) == 0;
    })) << ::testing::PrintToString(calls);
}

TEST_F(LiveCaptureTest, StartWithoutModuleOrEntriesCallsNothing) {
    for (const char* missing : {"camlink_missing_QxCamLink_InitDevice.so",
                                "camlink_missing_QxCamLink_StartDevice.so",
                                "camlink_missing_QxCamLink_GetFeatureValueINT.so",
                                "camlink_missing_QxCamLink_SetFeatureValueINT.so",
                                "camlink_missing_QxCamLink_StopDevice.so"}) {
        SCOPED_TRACE(missing);
        UseCamLink(missing);
        messages_.clear();
        CVantrelDlg& dialog = Open();
        Click(IDC_BTN_START);
        EXPECT_EQ(messages_, std::vector<std::wstring>{L"Cannot start Camera"});
        EXPECT_TRUE(Calls().empty());
        EXPECT_FALSE(dialog.IsCameraRunning());
        Close();
    }
    UseDetector("detect_returns_0.so");  // no camera: an empty table
    messages_.clear();
    Open();
    Click(IDC_BTN_START);
    Click(IDC_BTN_STOP);
    EXPECT_EQ(messages_.back(), L"Cannot start Camera");
    EXPECT_EQ(messages_.size(), 2u);
}

TEST_F(LiveCaptureTest, StopBeforeStartTouchesNoDevice) {
    CVantrelDlg& dialog = Open();
    Click(IDC_BTN_STOP);
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(dialog.Frame(), nullptr);
    EXPECT_TRUE(Control(IDC_BTN_START).IsWindowEnabled());
    EXPECT_FALSE(Control(IDC_BTN_STOP).IsWindowEnabled());
}

TEST_F(LiveCaptureTest, StopEndsCaptureButLeavesTheWindowsAndReadouts) {
    CVantrelDlg& dialog = Open();
    Click(IDC_BTN_START);
    Tick();
    ASSERT_NE(dialog.Frame(), nullptr);
    ClearCalls();
    Click(IDC_BTN_STOP);
    EXPECT_EQ(Calls(), std::vector<std::string>{"StopDevice()"});
    EXPECT_EQ(dialog.Frame(), nullptr);
    EXPECT_EQ(dialog.TimerPeriod(1001), -1);
    EXPECT_EQ(dialog.TimerPeriod(1002), -1);
    EXPECT_TRUE(Control(IDC_BTN_START).IsWindowEnabled());
    EXPECT_FALSE(Control(IDC_BTN_STOP).IsWindowEnabled());
    EXPECT_TRUE(WindowShown("Right-Right"));
    EXPECT_EQ(TextOf(IDC_STATIC_SIDE_GAIN), L"2.0");
    Click(IDC_BTN_STOP);  // a second stop calls nothing
    EXPECT_EQ(Calls().size(), 1u);
}

TEST_F(LiveCaptureTest, TickGrabsBothWindowsAndRefreshesTheReadouts) {
    CVantrelDlg& dialog = Open();
    Click(IDC_BTN_START);
    ClearCalls();
    Tick();
    const std::vector<std::string> expected = {
        "GetFeatureValueINT(FrameGrapped,0)", "GetBufferPointer(0)",
        "GetFeatureValueINT(FrameGrapped,2)", "GetBufferPointer(2)",
        "GetFeatureValueFLOAT(Gain,0)",       "GetFeatureValueFLOAT(ExposureTime,0)",
        "GetFeatureValueFLOAT(Gain,2)",       "GetFeatureValueFLOAT(ExposureTime,2)",
        "GetFeatureValueFLOAT(Temperature,0)", "GetFeatureValueFLOAT(Temperature,2)"};
    EXPECT_EQ(Calls(), expected);
    // The working image holds the top camera's frame after the tick.
    ASSERT_NE(dialog.Frame(), nullptr);
    EXPECT_EQ(static_cast<uint8_t>(dialog.Frame()->imageData[640 * 400 + 100]),
              vantrel::testing::DefaultFramePixel(2));
    EXPECT_EQ(TextOf(IDC_STATIC_SIDE_GAIN), L"2.0");
    EXPECT_EQ(TextOf(IDC_STATIC_SIDE_EXPOSURE), L"5000");
    EXPECT_EQ(TextOf(IDC_STATIC_TOP_GAIN), L"2.0");
    EXPECT_EQ(TextOf(IDC_STATIC_TOP_EXPOSURE), L"5000");
    EXPECT_EQ(TextOf(IDC_STATIC_SIDE_TEMP), L"Side 온도 : 40.000");
    EXPECT_EQ(TextOf(IDC_STATIC_TOP_TEMP), L"Top 온도 : 40.000");
}

TEST_F(LiveCaptureTest, ReadoutFormatsInBothLanguages) {
    for (const char* locale : {"ko_KR.UTF-8", "en_US.UTF-8"}) {
        SCOPED_TRACE(locale);
        const bool korean = std::string(locale) == "ko_KR.UTF-8";
        SetLocale(locale);
        if (!korean) UseLanguagePack();
        Double().SetFloat("ExposureTime", 0, 12.9f, kReadWrites);
        Double().SetFloat("Gain", 0, 3.26f, kReadWrites);
        Double().SetFloat("Temperature", 0, 41.5f, kReadWrites);
        Double().SetFloat("Gain", 2, 0.0f, kReadFails);
        Double().SetFloat("ExposureTime", 2, 0.0f, kReadFails);
        Double().SetFloat("Temperature", 2, 0.0f, kReadFails);
        Open();
        Click(IDC_BTN_START);
        Tick();
        EXPECT_EQ(TextOf(IDC_STATIC_SIDE_EXPOSURE), L"12");
        EXPECT_EQ(TextOf(IDC_STATIC_SIDE_GAIN), L"3.3");
        EXPECT_EQ(TextOf(IDC_STATIC_SIDE_TEMP), korean ? L"Side 온도 : 41.500" : L"Side Temperature : 41.500");
        EXPECT_EQ(TextOf(IDC_STATIC_TOP_GAIN), L"-");
        EXPECT_EQ(TextOf(IDC_STATIC_TOP_EXPOSURE), L"-");
        EXPECT_EQ(TextOf(IDC_STATIC_TOP_TEMP), korean ? L"Top 온도 : -" : L"Top Temperature : -");
        Close();
    }
}

TEST_F(LiveCaptureTest, ExposureReadoutsNeverConvertOutOfRange) {
    Double().SetFloat("ExposureTime", 0, 1e20f, kReadWrites);
    Double().SetFloat("ExposureTime", 2, -1e20f, kReadWrites);
    Double().SetFloat("Gain", 0, std::numeric_limits<float>::quiet_NaN(), kReadWrites);
    Open();
    Click(IDC_BTN_START);
    Tick();
    EXPECT_EQ(TextOf(IDC_STATIC_SIDE_EXPOSURE), L"2147483647");
    EXPECT_EQ(TextOf(IDC_STATIC_TOP_EXPOSURE), L"-2147483648");
    EXPECT_EQ(TextOf(IDC_STATIC_SIDE_GAIN), L"-");
}

TEST_F(LiveCaptureTest, MissingFloatReadsShowDashes) {
    UseCamLink("camlink_missing_QxCamLink_GetFeatureValueFLOAT.so");
    CVantrelDlg& dialog = Open();
    Click(IDC_BTN_START);
    Tick();
    EXPECT_TRUE(dialog.IsCameraRunning());
    for (int id : {IDC_STATIC_SIDE_GAIN, IDC_STATIC_SIDE_EXPOSURE, IDC_STATIC_TOP_GAIN, IDC_STATIC_TOP_EXPOSURE})
        EXPECT_EQ(TextOf(id), L"-");
    EXPECT_EQ(TextOf(IDC_STATIC_SIDE_TEMP), L"Side 온도 : -");
}

TEST_F(LiveCaptureTest, StartReadsThatWriteNothingLeaveTheSlidersAtZero) {
    for (const char* feature : {"MaxExposure", "MinExposure", "Exposure", "MaxGain", "MinGain", "Gain"})
        Double().SetInt(feature, 0, 777, kReadLeavesValue);
    Open();
    CaptureStdout();
    Click(IDC_BTN_START);
    EXPECT_EQ(GetCapturedStdout(), "current exposure 0\n");
    EXPECT_TRUE(Called("SetFeatureValueINT(Exposure,2,0)"));
    for (int id : {IDC_SLIDER_GAIN, IDC_SLIDER_EXPOSURE}) {
        EXPECT_EQ(SliderMin(id), 0);
        EXPECT_EQ(SliderMax(id), 0);
        EXPECT_EQ(SliderPos(id), 0);
    }
}

TEST_F(LiveCaptureTest, ClosingOneWindowKeepsTheOtherClosingBothStops) {
    CVantrelDlg& dialog = Open();
    Click(IDC_BTN_START);
    Tick();
    Window("Right-Top")->close();  // the user's close box hides the window
    ClearCalls();
    Tick();
    EXPECT_TRUE(Called("GetBufferPointer(0)"));
    EXPECT_FALSE(Called("GetFeatureValueINT(FrameGrapped,2)"));
    EXPECT_TRUE(Called("GetFeatureValueFLOAT(Temperature,2)"));
    EXPECT_TRUE(dialog.IsCameraRunning());
    EXPECT_EQ(cvGetWindowHandle("Right-Top"), nullptr);  // a closed window is gone for good

    Window("Right-Right")->close();
    ClearCalls();
    Tick();
    const auto calls = Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), "GetFeatureValueFLOAT(Gain,0)");  // the read-outs first
    EXPECT_EQ(calls.back(), "StopDevice()");                    // then the stop
    EXPECT_FALSE(dialog.IsCameraRunning());
    EXPECT_EQ(dialog.Frame(), nullptr);
    EXPECT_EQ(dialog.TimerPeriod(1001), -1);
    EXPECT_TRUE(Control(IDC_BTN_START).IsWindowEnabled());
}

TEST_F(LiveCaptureTest, LimitTimerStopsAndReportsOnceAfterCancellingTimers) {
    CVantrelDlg& dialog = Open();
    Click(IDC_BTN_START);
    std::vector<int> periodsWhenShown;
    platform::SetMessageBoxHook([&](const std::wstring& text, const std::wstring&) {
        messages_.push_back(text);
        periodsWhenShown = {dialog.TimerPeriod(1001), dialog.TimerPeriod(1002)};
        return IDOK;
    });
    Tick(1002);
    EXPECT_EQ(messages_, std::vector<std::wstring>{L"발열문제로 카메라를 정지합니다."});
    EXPECT_EQ(periodsWhenShown, (std::vector<int>{-1, -1}));
    EXPECT_FALSE(dialog.IsCameraRunning());
    Click(IDC_BTN_START);  // a new start arms the limit again
    EXPECT_EQ(dialog.TimerPeriod(1002), 900000);
    // The hook above knows this dialog only: record plainly before it goes.
    platform::SetMessageBoxHook([this](const std::wstring& text, const std::wstring&) {
        messages_.push_back(text);
        return IDOK;
    });
    Close();

    SetLocale("en_US.UTF-8");
    UseLanguagePack();
    messages_.clear();
    Open();
    Click(IDC_BTN_START);
    Tick(1002);
    EXPECT_EQ(messages_, std::vector<std::wstring>{L"Camera Stop!! (15min limit)."});
}

TEST_F(LiveCaptureTest, HandednessWhileIdleOnlyChangesTheFlag) {
    CVantrelDlg& dialog = Open();
    Click(IDC_BTN_LEFT_HANDED);
    EXPECT_TRUE(dialog.IsLeftHanded());
    Click(IDC_BTN_RIGHT_HANDED);
    EXPECT_FALSE(dialog.IsLeftHanded());
    Click(IDC_BTN_LEFT_HANDED);
    EXPECT_TRUE(Calls().empty());
    Click(IDC_BTN_START);
    EXPECT_TRUE(Called("StartDevice(1)"));
    EXPECT_EQ(dialog.SideCam(), 1);
    EXPECT_EQ(dialog.TopCam(), 3);
    EXPECT_TRUE(WindowShown("Left-Left"));
    EXPECT_TRUE(WindowShown("Left-Top"));
}

TEST_F(LiveCaptureTest, SwitchingWhileRunningRestartsWithTheOtherPair) {
    CVantrelDlg& dialog = Open();
    Click(IDC_BTN_START);
    Tick();
    ClearCalls();
    Click(IDC_BTN_RIGHT_HANDED);  // the running pair's own button
    EXPECT_TRUE(Calls().empty());

    Click(IDC_BTN_LEFT_HANDED);
    EXPECT_EQ(Calls().front(), "StopDevice()");
    EXPECT_TRUE(Called("StartDevice(1)"));
    EXPECT_TRUE(dialog.IsLeftHanded());
    EXPECT_TRUE(dialog.IsCameraRunning());
    // The right-handed windows stay with their last picture; the left-handed ones are new.
    EXPECT_TRUE(WindowShown("Right-Right"));
    EXPECT_TRUE(WindowShown("Right-Top"));
    EXPECT_TRUE(WindowShown("Left-Left"));
    EXPECT_TRUE(WindowShown("Left-Top"));
    ClearCalls();
    Tick();
    EXPECT_TRUE(Called("GetBufferPointer(1)"));
    EXPECT_FALSE(Called("GetBufferPointer(0)"));

    QPointer<QWidget> staleRight = Window("Right-Right");
    Click(IDC_BTN_RIGHT_HANDED);
    EXPECT_TRUE(staleRight.isNull());  // destroyed and created afresh
    EXPECT_TRUE(WindowShown("Right-Right"));
    EXPECT_TRUE(WindowShown("Left-Left"));
    EXPECT_FALSE(dialog.IsLeftHanded());
}

TEST_F(LiveCaptureTest, SwitchThatFailsToStartEndsIdleWithTheNewHandedness) {
    CVantrelDlg& dialog = Open();
    Click(IDC_BTN_START);
    Double().SetStartResult(0);
    Click(IDC_BTN_LEFT_HANDED);
    EXPECT_EQ(messages_, std::vector<std::wstring>{L"Cannot start Camera"});
    EXPECT_TRUE(dialog.IsLeftHanded());
    EXPECT_FALSE(dialog.IsCameraRunning());
    EXPECT_EQ(dialog.TimerPeriod(1001), -1);
}

// The tick's window look-up remembers the window it found; it must still follow the windows
// as OpenCV has them: closed (hidden) windows are destroyed, and a window destroyed and made
// again under the same name, or under a name it stood for before, is the new one.
TEST_F(LiveCaptureTest, WindowLookUpFollowsWindowsMadeClosedAndMadeAgain) {
    Open();
    EXPECT_FALSE(IsImageWindowOpen("Right-Right"));

    cvNamedWindow("Right-Right", CV_WINDOW_NORMAL | CV_GUI_NORMAL);
    ASSERT_TRUE(IsImageWindowOpen("Right-Right"));
    QPointer<QWidget> first = Window("Right-Right");

    first->hide();
    EXPECT_FALSE(IsImageWindowOpen("Right-Right"));
    EXPECT_EQ(cvGetWindowHandle("Right-Right"), nullptr);
    EXPECT_TRUE(first.isNull());

    cvNamedWindow("Right-Right", CV_WINDOW_NORMAL | CV_GUI_NORMAL);
    EXPECT_TRUE(IsImageWindowOpen("Right-Right"));
    DestroyImageWindow("Right-Right");
    EXPECT_FALSE(IsImageWindowOpen("Right-Right"));

    // More names than the look-up remembers, each asked twice, then all destroyed at once.
    const char* names[] = {"Right-Right", "Right-Top", "Left-Left", "Left-Top", "Extra"};
    for (const char* name : names) cvNamedWindow(name, CV_WINDOW_NORMAL | CV_GUI_NORMAL);
    for (int pass = 0; pass < 2; ++pass)
        for (const char* name : names) EXPECT_TRUE(IsImageWindowOpen(name)) << name;
    DestroyAllImageWindows();
    for (const char* name : names) EXPECT_FALSE(IsImageWindowOpen(name)) << name;
}
