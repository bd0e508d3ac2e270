// The dialog in front of a camera that misbehaves: refused starts, frames that are never or only
// sometimes ready, bad frame addresses, unreadable or absurd feature values and slow calls.
#include <opencv2/highgui/highgui_c.h>

#include <climits>
#include <cmath>
#include <filesystem>
#include <opencv2/imgcodecs.hpp>

#include "imaging/focus.h"
#include "reliability_fixture.h"

using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;
using vantrel::testing::FaultyFramePixel;

namespace {

class FaultyCameraTest : public ReliabilityTest {
protected:
    int Calls(const char* exportName) { return Faulty().CallCount(exportName); }
    void ExpectNoViolation() { EXPECT_EQ(Faulty().Violations(), 0) << Faulty().FirstViolation(); }
    void ExpectIdle(CVantrelDlg& dialog) {
        EXPECT_FALSE(dialog.IsCameraRunning());
        EXPECT_EQ(dialog.Frame(), nullptr);
        EXPECT_EQ(dialog.TimerPeriod(1001), -1);
        EXPECT_EQ(dialog.TimerPeriod(1002), -1);
    }
};

const std::wstring kCannotStart = L"Cannot start Camera";

}  // namespace

TEST_F(FaultyCameraTest, WithoutFaultsItIsAHealthyCamera) {
    UseFaultyCamera("");
    CVantrelDlg& dialog = Open();
    Click(IDC_BTN_START);
    Tick();
    EXPECT_TRUE(dialog.IsCameraRunning());
    EXPECT_TRUE(CarriesPattern(2));
    EXPECT_EQ(PixelAt(100, 228), 255);  // the centre guide over the frame
    EXPECT_EQ(TextOf(IDC_STATIC_SIDE_GAIN), L"2.0");
    EXPECT_EQ(TextOf(IDC_STATIC_TOP_EXPOSURE), L"5000");
    EXPECT_EQ(TextOf(IDC_STATIC_SIDE_TEMP), L"Side 온도 : 40.000");
    EXPECT_EQ(Calls("QxCamLink_GetBufferPointer"), 2);
    EXPECT_TRUE(messages_.empty());
    ExpectNoViolation();
}

TEST_F(FaultyCameraTest, StartThatAlwaysFailsReportsEachClickAndStaysIdle) {
    UseFaultyCamera("start=fail-always");
    CVantrelDlg& dialog = Open();
    for (int click = 0; click < 3; ++click) Click(IDC_BTN_START);
    EXPECT_EQ(messages_, std::vector<std::wstring>(3, kCannotStart));
    ExpectIdle(dialog);
    EXPECT_EQ(cvGetWindowHandle("Right-Right"), nullptr);
    EXPECT_TRUE(StartEnabled());  // both buttons keep their state from the template
    EXPECT_TRUE(StopEnabled());
    Click(IDC_BTN_STOP);
    Click(IDC_BTN_START);
    EXPECT_TRUE(StartEnabled());
    EXPECT_FALSE(StopEnabled());
    Tick();  // a stray tick with no live window stops again, harmlessly
    ExpectIdle(dialog);
    EXPECT_EQ(Calls("QxCamLink_StartDevice"), 4);
    EXPECT_EQ(Calls("QxCamLink_GetBufferPointer"), 0);
    ExpectNoViolation();
}

TEST_F(FaultyCameraTest, StartThatFailsEveryOtherTimeAlternatesIdleAndRunning) {
    UseFaultyCamera("start=alternate");
    CVantrelDlg& dialog = Open();
    Click(IDC_BTN_START);
    EXPECT_EQ(messages_.size(), 1u);
    ExpectIdle(dialog);
    Click(IDC_BTN_START);
    EXPECT_TRUE(dialog.IsCameraRunning());
    EXPECT_EQ(dialog.TimerPeriod(1001), 110);
    Tick();
    EXPECT_TRUE(CarriesPattern(2));
    // A handedness switch stops, then meets the refusal: idle with the new pair and a message.
    Click(IDC_BTN_LEFT_HANDED);
    EXPECT_EQ(messages_, std::vector<std::wstring>(2, kCannotStart));
    EXPECT_TRUE(dialog.IsLeftHanded());
    ExpectIdle(dialog);
    EXPECT_TRUE(StartEnabled());
    EXPECT_FALSE(StopEnabled());
    Click(IDC_BTN_START);
    EXPECT_TRUE(dialog.IsCameraRunning());
    Tick();
    EXPECT_TRUE(CarriesPattern(3));
    ExpectNoViolation();
}

TEST_F(FaultyCameraTest, FrameNeverReadyGivesBlackPicturesWithOverlays) {
    UseFaultyCamera("ready=never");
    CVantrelDlg& dialog = Open();
    SetCheckBox(IDC_CHECK_GRID_GUIDE, BST_CHECKED);
    Click(IDC_BTN_START);
    for (int tick = 0; tick < 3; ++tick) Tick();
    EXPECT_TRUE(dialog.IsCameraRunning());
    EXPECT_TRUE(IsBlackWithCentreGuide());
    EXPECT_EQ(PixelAt(128, 400), 255);
    EXPECT_EQ(Calls("QxCamLink_GetBufferPointer"), 0);
    EXPECT_EQ(Calls("QxCamLink_GetFeatureValueINT"), 12 + 6);
    ExpectNoViolation();
}

TEST_F(FaultyCameraTest, FlappingReadinessAlternatesFrameAndBlack) {
    UseFaultyCamera("ready=flap");
    Open();
    Click(IDC_BTN_START);
    for (int tick = 0; tick < 4; ++tick) {
        SCOPED_TRACE(tick);
        Tick();
        if (tick % 2 == 0)
            EXPECT_TRUE(CarriesPattern(2));
        else
            EXPECT_TRUE(IsBlackWithCentreGuide());
    }
    EXPECT_EQ(Calls("QxCamLink_GetBufferPointer"), 4);
    ExpectNoViolation();
}

TEST_F(FaultyCameraTest, ReadinessOtherThanOneIsNotAFrame) {
    UseFaultyCamera("");
    CVantrelDlg& dialog = Open();
    for (int value : {2, -1, 0x101, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(value);
        SetFaults("ready=" + std::to_string(value));
        Faulty().ResetCounters();
        Click(IDC_BTN_START);
        Tick();
        EXPECT_TRUE(dialog.IsCameraRunning());
        EXPECT_TRUE(IsBlackWithCentreGuide());
        EXPECT_EQ(Calls("QxCamLink_GetBufferPointer"), 0);
        Click(IDC_BTN_STOP);
    }
    ExpectNoViolation();
}

TEST_F(FaultyCameraTest, NullFrameAddressGivesABlackPicture) {
    UseFaultyCamera("buffer=null");
    Open();
    SetCheckBox(IDC_CHECK_FOCUS_TOOL, BST_CHECKED);
    Click(IDC_BTN_START);
    Tick();
    EXPECT_TRUE(IsBlackWithCentreGuide());
    EXPECT_EQ(Calls("QxCamLink_GetBufferPointer"), 2);
    // The focus value of a black window with two guide rows in it: a finite number, drawn.
    EXPECT_TRUE(std::isfinite(g_focusFit.a));
    ExpectNoViolation();
}

TEST_F(FaultyCameraTest, FrameAddressThatMovesEveryCallIsCopiedFresh) {
    UseFaultyCamera("buffer=moving");
    EnterScratchFolder();
    Open();
    SetCheckBox(IDC_CHECK_FOCUS_TOOL, BST_CHECKED);
    Click(IDC_BTN_START);
    for (int tick = 0; tick < 5; ++tick) {
        Tick();
        EXPECT_TRUE(CarriesPattern(2));
    }
    // Each buffer is freed by the module at the next call; the snapshots are made of copies.
    Click(IDC_BTN_SAVE_IMAGE);
    for (const auto& [file, slot] : {std::pair{"rr.png", 0}, {"rt.png", 2}}) {
        const cv::Mat saved = cv::imread(file, cv::IMREAD_UNCHANGED);
        ASSERT_EQ(saved.size(), cv::Size(640, 480)) << file;
        EXPECT_EQ(saved.at<uint8_t>(333, 444), FaultyFramePixel(slot, 444, 333)) << file;
        EXPECT_EQ(saved.at<uint8_t>(228, 100), FaultyFramePixel(slot, 100, 228)) << file;
    }
    EXPECT_EQ(Calls("QxCamLink_GetBufferPointer"), 12);
    ExpectNoViolation();
}

TEST_F(FaultyCameraTest, FailedFloatReadsShowDashes) {
    UseFaultyCamera("float=fail@Temperature");
    Open();
    Click(IDC_BTN_START);
    Tick();
    EXPECT_EQ(TextOf(IDC_STATIC_SIDE_GAIN), L"2.0");
    EXPECT_EQ(TextOf(IDC_STATIC_SIDE_EXPOSURE), L"5000");
    EXPECT_EQ(TextOf(IDC_STATIC_SIDE_TEMP), L"Side 온도 : -");
    EXPECT_EQ(TextOf(IDC_STATIC_TOP_TEMP), L"Top 온도 : -");

    Click(IDC_BTN_STOP);
    SetFaults("float=fail");
    Click(IDC_BTN_START);
    Tick();
    for (int id : {IDC_STATIC_SIDE_GAIN, IDC_STATIC_SIDE_EXPOSURE, IDC_STATIC_TOP_GAIN,
                   IDC_STATIC_TOP_EXPOSURE})
        EXPECT_EQ(TextOf(id), L"-");
    EXPECT_EQ(TextOf(IDC_STATIC_SIDE_TEMP), L"Side 온도 : -");
    EXPECT_TRUE(CarriesPattern(2));  // the picture does not depend on the read-outs
}

TEST_F(FaultyCameraTest, AbsurdFloatValuesNeverBreakTheReadouts) {
    UseFaultyCamera("");
    Open();
    struct Case {
        const char* faults;
        const wchar_t* gain;
        const wchar_t* exposure;
        const wchar_t* temperature;
    };
    const Case cases[] = {
        {"float=nan", L"-", L"-", L"Side 온도 : -"},
        {"float=inf", L"inf", L"2147483647", L"Side 온도 : inf"},
        {"float=-inf", L"-inf", L"-2147483648", L"Side 온도 : -inf"},
        {"float=huge", L"3000000000.0", L"2147483647", L"Side 온도 : 3000000000.000"},
        {"float=-huge", L"-3000000000.0", L"-2147483648", L"Side 온도 : -3000000000.000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.faults);
        SetFaults(c.faults);
        Click(IDC_BTN_START);
        Tick();
        EXPECT_EQ(TextOf(IDC_STATIC_SIDE_GAIN), c.gain);
        EXPECT_EQ(TextOf(IDC_STATIC_TOP_GAIN), c.gain);
        EXPECT_EQ(TextOf(IDC_STATIC_SIDE_EXPOSURE), c.exposure);
        EXPECT_EQ(TextOf(IDC_STATIC_TOP_EXPOSURE), c.exposure);
        EXPECT_EQ(TextOf(IDC_STATIC_SIDE_TEMP), c.temperature);
        Click(IDC_BTN_STOP);
    }
}

TEST_F(FaultyCameraTest, IntReadsThatWriteNothingLeaveSlidersAtZeroAndPicturesBlack) {
    for (const char* faults : {"int=silent", "int=fail"}) {
        SCOPED_TRACE(faults);
        UseFaultyCamera(faults);
        CVantrelDlg& dialog = Open();
        CaptureStdout();
        Click(IDC_BTN_START);
        EXPECT_EQ(GetCapturedStdout(), "current exposure 0\n");
        ASSERT_TRUE(dialog.IsCameraRunning());
        for (int id : {IDC_SLIDER_GAIN, IDC_SLIDER_EXPOSURE}) {
            EXPECT_EQ(SliderMin(id), 0);
            EXPECT_EQ(SliderMax(id), 0);
            EXPECT_EQ(SliderPos(id), 0);
        }
        Tick();
        // "FrameGrapped" keeps the -1 the dialog preset: no frame.
        EXPECT_TRUE(IsBlackWithCentreGuide());
        EXPECT_EQ(Calls("QxCamLink_GetBufferPointer"), 0);
        ExpectNoViolation();
        Close();
    }
}

TEST_F(FaultyCameraTest, SlowCallsChangeNothingButTime) {
    UseFaultyCamera("delay=50");
    CVantrelDlg& dialog = Open();
    SetCheckBox(IDC_CHECK_FOCUS_TOOL, BST_CHECKED);
    Click(IDC_BTN_START);
    Tick();
    ReleaseSliderAt(IDC_SLIDER_GAIN, 9);
    Tick();
    EXPECT_TRUE(dialog.IsCameraRunning());
    EXPECT_TRUE(CarriesPattern(2));
    EXPECT_EQ(TextOf(IDC_STATIC_SIDE_GAIN), L"9.0");
    EXPECT_EQ(TextOf(IDC_STATIC_TOP_GAIN), L"9.0");
    EXPECT_TRUE(messages_.empty());
    Click(IDC_BTN_STOP);
    ExpectIdle(dialog);
    EXPECT_EQ(Calls("QxCamLink_StopDevice"), 1);
    ExpectNoViolation();
}
