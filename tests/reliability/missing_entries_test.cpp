// A camera-link module without one of its fourteen exports, each in turn: a whole session (start,
// ticks with every overlay, slider releases, a snapshot, stop, close) must never reach the missing
// entry, and each gap shows in the one way the dialog answers it.
#include <opencv2/highgui/highgui_c.h>

#include <algorithm>
#include <filesystem>

#include "reliability_fixture.h"

using vantrel::testing::DefaultFramePixel;

namespace {

class MissingEntryTest : public ReliabilityTest {
protected:
    void SetUp() override {
        ReliabilityTest::SetUp();
        UseDetector("detect_returns_1.so");
        EnterScratchFolder();
    }

    // Start, two ticks with every overlay on, both sliders released, Save Image, Stop, Start.
    void RunSession() {
        Open();
        SetCheckBox(IDC_CHECK_GRID_GUIDE, BST_CHECKED);
        SetCheckBox(IDC_CHECK_FOCUS_TOOL, BST_CHECKED);
        Click(IDC_BTN_START);
        Tick();
        Tick();
        ReleaseSliderAt(IDC_SLIDER_GAIN, 7);
        ReleaseSliderAt(IDC_SLIDER_EXPOSURE, 900);
        Click(IDC_BTN_SAVE_IMAGE);
        Tick();
    }

    bool Logged(const std::string& call) {
        const auto calls = Calls();
        return std::find(calls.begin(), calls.end(), call) != calls.end();
    }

    // Clear of the overlays: the camera's fill value, or black without a frame.
    int ClearPixel() { return PixelAt(100, 400); }
};

const char* const kNeededToStart[] = {"QxCamLink_InitDevice", "QxCamLink_StartDevice",
                                      "QxCamLink_StopDevice", "QxCamLink_GetFeatureValueINT",
                                      "QxCamLink_SetFeatureValueINT"};

}  // namespace

TEST_F(MissingEntryTest, StartWithoutAnEntryItNeedsSaysSoAndCallsNothing) {
    for (const char* missing : kNeededToStart) {
        SCOPED_TRACE(missing);
        UseCamLink(std::string("camlink_missing_") + missing + ".so");
        messages_.clear();
        RunSession();
        CVantrelDlg& dialog = *dialog_;
        EXPECT_EQ(messages_, std::vector<std::wstring>{L"Cannot start Camera"});
        EXPECT_FALSE(dialog.IsCameraRunning());
        EXPECT_EQ(dialog.Frame(), nullptr);
        EXPECT_EQ(dialog.TimerPeriod(1001), -1);
        EXPECT_EQ(dialog.TimerPeriod(1002), -1);
        EXPECT_EQ(cvGetWindowHandle("Right-Right"), nullptr);
        // Only the FLOAT calls that do not look at the device state reach the module: the
        // slider releases and the read-outs of the (stray) ticks.
        const auto calls = Calls();
        EXPECT_TRUE(std::all_of(calls.begin(), calls.end(), [](const std::string& call) {
            return call.rfind("SetFeatureValueFLOAT(", 0) == 0 ||
                   call.rfind("GetFeatureValueFLOAT(", 0) == 0;
        })) << ::testing::PrintToString(calls);
        EXPECT_FALSE(std::filesystem::exists("rr.png"));
        ClearCalls();
        Close();
        EXPECT_EQ(Calls(), std::vector<std::string>{"ReleaseDevice()"});
    }
}

TEST_F(MissingEntryTest, WithoutFloatReadsTheReadoutsShowDashes) {
    UseCamLink("camlink_missing_QxCamLink_GetFeatureValueFLOAT.so");
    RunSession();
    EXPECT_TRUE(dialog_->IsCameraRunning());
    for (int id : {IDC_STATIC_SIDE_GAIN, IDC_STATIC_SIDE_EXPOSURE, IDC_STATIC_TOP_GAIN,
                   IDC_STATIC_TOP_EXPOSURE})
        EXPECT_EQ(TextOf(id), L"-");
    EXPECT_EQ(TextOf(IDC_STATIC_SIDE_TEMP), L"Side 온도 : -");
    EXPECT_EQ(TextOf(IDC_STATIC_TOP_TEMP), L"Top 온도 : -");
    EXPECT_EQ(ClearPixel(), DefaultFramePixel(2));
}

TEST_F(MissingEntryTest, WithoutFloatSetsSliderReleasesApplyNothing) {
    UseCamLink("camlink_missing_QxCamLink_SetFeatureValueFLOAT.so");
    RunSession();
    EXPECT_TRUE(dialog_->IsCameraRunning());
    // The slider range at start is [1, 10] for gain, so the thumb stops at 7; exposure at 900.
    EXPECT_EQ(dialog_->GainPos(), 7);
    EXPECT_EQ(dialog_->ExposurePos(), 900);
    EXPECT_EQ(TextOf(IDC_STATIC_SIDE_GAIN), L"2.0");  // the cameras kept their gain
    EXPECT_TRUE(std::filesystem::exists("rr.png"));
}

TEST_F(MissingEntryTest, WithoutBufferPointerThePictureIsBlackWithItsOverlays) {
    UseCamLink("camlink_missing_QxCamLink_GetBufferPointer.so");
    RunSession();
    EXPECT_TRUE(dialog_->IsCameraRunning());
    EXPECT_TRUE(IsBlackWithCentreGuide());
    EXPECT_EQ(PixelAt(128, 400), 255);  // grid
    EXPECT_TRUE(Logged("GetFeatureValueINT(FrameGrapped,0)"));
}

TEST_F(MissingEntryTest, WithoutReleaseCloseOnlyStopsTheDevice) {
    UseCamLink("camlink_missing_QxCamLink_ReleaseDevice.so");
    RunSession();
    ASSERT_TRUE(dialog_->IsCameraRunning());
    ClearCalls();
    Close();
    EXPECT_EQ(Calls(), std::vector<std::string>{"StopDevice()"});
}

TEST_F(MissingEntryTest, EntriesTheProgramNeverCallsChangeNothing) {
    for (const char* missing :
         {"QxCamLink_GetVender", "QxCamLink_GetFeatureValueDWORD", "QxCamLink_GetFeatureValueSTR",
          "QxCamLink_SetFeatureValueDWORD", "QxCamLink_SetFeatureValueSTR"}) {
        SCOPED_TRACE(missing);
        UseCamLink(std::string("camlink_missing_") + missing + ".so");
        messages_.clear();
        RunSession();
        EXPECT_TRUE(messages_.empty());
        EXPECT_TRUE(dialog_->IsCameraRunning());
        EXPECT_EQ(ClearPixel(), DefaultFramePixel(2));
        EXPECT_EQ(TextOf(IDC_STATIC_SIDE_GAIN), L"7.0");
        EXPECT_EQ(TextOf(IDC_STATIC_TOP_EXPOSURE), L"900");
        Click(IDC_BTN_STOP);
        Close();
    }
}
