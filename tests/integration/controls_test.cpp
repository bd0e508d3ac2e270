// The gain and exposure sliders and their Auto boxes.
#include "dialog_fixture.h"

using vantrel::testing::kReadWrites;

namespace {

class ControlsTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        UseDetector("detect_returns_1.so");
        UseCamLink("calllog_camlink.so");
    }
    int SliderPos(int id) { return static_cast<int>(Control(id).SendMessage(TBM_GETPOS)); }
    void SetSliderPos(int id, int pos) { Control(id).SendMessage(TBM_SETPOS, TRUE, pos); }
    void SetCheck(int id, bool checked) {
        Control(id).SendMessage(BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED);
        Click(id);
    }
};

}  // namespace

TEST_F(ControlsTest, ReleasingASliderAppliesItsPositionToBothCameras) {
    Double().SetInt("MaxGain", 0, 100, kReadWrites);
    CVantrelDlg& dialog = Open();
    Click(IDC_BTN_START);
    ClearCalls();
    SetSliderPos(IDC_SLIDER_GAIN, 12);
    EXPECT_TRUE(Calls().empty());  // moving the thumb applies nothing
    ReleaseSlider(IDC_SLIDER_GAIN);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"SetFeatureValueFLOAT(Gain,0,12.0)",
                                                 "SetFeatureValueFLOAT(Gain,2,12.0)"}));
    EXPECT_EQ(dialog.GainPos(), 12);

    ClearCalls();
    SetSliderPos(IDC_SLIDER_EXPOSURE, 7000);
    ReleaseSlider(IDC_SLIDER_EXPOSURE);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"SetFeatureValueFLOAT(ExposureTime,0,7000.0)",
                                                 "SetFeatureValueFLOAT(ExposureTime,2,7000.0)"}));
    EXPECT_EQ(dialog.ExposurePos(), 7000);
}

TEST_F(ControlsTest, ReleaseWhileIdleStillSetsTheLastPair) {
    Open();
    Click(IDC_BTN_LEFT_HANDED);
    Click(IDC_BTN_START);
    Click(IDC_BTN_STOP);
    ClearCalls();
    SetSliderPos(IDC_SLIDER_GAIN, 3);
    ReleaseSlider(IDC_SLIDER_GAIN);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"SetFeatureValueFLOAT(Gain,1,3.0)",
                                                 "SetFeatureValueFLOAT(Gain,3,3.0)"}));
}

TEST_F(ControlsTest, ReleaseWithoutTheSetEntryCallsNothing) {
    UseCamLink("camlink_missing_QxCamLink_SetFeatureValueFLOAT.so");
    CVantrelDlg& dialog = Open();
    SetSliderPos(IDC_SLIDER_GAIN, 5);
    ReleaseSlider(IDC_SLIDER_GAIN);
    ReleaseSlider(IDC_SLIDER_EXPOSURE);
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(dialog.GainPos(), 5);
}

TEST_F(ControlsTest, GainAutoBoxMovesAndEnablesTheSlider) {
    CVantrelDlg& dialog = Open();
    SetSliderPos(IDC_SLIDER_GAIN, 40);
    SetCheck(IDC_CHECK_GAIN_AUTO, false);  // cleared before any release: back to position 0
    EXPECT_EQ(SliderPos(IDC_SLIDER_GAIN), 0);
    EXPECT_TRUE(Control(IDC_SLIDER_GAIN).IsWindowEnabled());
    EXPECT_FALSE(dialog.GainAuto());
    EXPECT_TRUE(Calls().empty());

    SetCheck(IDC_CHECK_GAIN_AUTO, true);
    EXPECT_TRUE(dialog.GainAuto());
    EXPECT_FALSE(Control(IDC_SLIDER_GAIN).IsWindowEnabled());
    EXPECT_TRUE(Calls().empty());
}

TEST_F(ControlsTest, ExposureAutoBoxMovesTheThumbButKeepsTheEnabledState) {
    CVantrelDlg& dialog = Open();
    SetSliderPos(IDC_SLIDER_EXPOSURE, 30);
    ReleaseSlider(IDC_SLIDER_EXPOSURE);
    SetSliderPos(IDC_SLIDER_EXPOSURE, 60);
    ClearCalls();
    SetCheck(IDC_CHECK_EXPOSURE_AUTO, true);
    EXPECT_TRUE(dialog.ExposureAuto());
    EXPECT_FALSE(Control(IDC_SLIDER_EXPOSURE).IsWindowEnabled());
    SetCheck(IDC_CHECK_EXPOSURE_AUTO, false);
    EXPECT_FALSE(dialog.ExposureAuto());
    EXPECT_EQ(SliderPos(IDC_SLIDER_EXPOSURE), 30);
    EXPECT_FALSE(Control(IDC_SLIDER_EXPOSURE).IsWindowEnabled());
    EXPECT_TRUE(Calls().empty());
}

TEST_F(ControlsTest, StartShowsTheCamerasValuesNotTheLastAppliedOnes) {
    CVantrelDlg& dialog = Open();
    SetSliderPos(IDC_SLIDER_GAIN, 9);
    ReleaseSlider(IDC_SLIDER_GAIN);
    Click(IDC_BTN_START);
    EXPECT_EQ(dialog.GainPos(), 9);
    EXPECT_EQ(SliderPos(IDC_SLIDER_GAIN), 2);
    EXPECT_FALSE(Control(IDC_CHECK_GAIN_AUTO).IsWindowEnabled());
}
