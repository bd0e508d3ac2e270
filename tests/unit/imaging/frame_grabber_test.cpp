// GrabFrame against a camera table of test doubles, and the live windows' mouse callback.
#include "imaging/frame_grabber.h"

#include <gtest/gtest.h>
#include <opencv2/highgui/highgui_c.h>

#include <cstring>
#include <string>
#include <vector>

#include "imaging/focus.h"
#include "imaging_test_support.h"

namespace {

using imaging_test::FillPattern;
using imaging_test::FocusGlobalsTest;
using imaging_test::kHeight;
using imaging_test::kWidth;
using imaging_test::OwnedImage;
using imaging_test::PatternValue;
using imaging_test::Pixel;

constexpr int kLeaveUntouched = -100;

// What the fake camera answers, and what it was asked.
struct FakeCamera {
    int frameGrapped = 1;  // kLeaveUntouched: the read does not write its int
    const uint8_t* buffer = nullptr;
    std::string featureAsked;
    CameraSlot intSlot = -1;
    CameraSlot bufferSlot = -1;
    int bufferCalls = 0;
};
FakeCamera g_camera;

int FakeGetInt(const char* name, CameraSlot slot, int32_t* value) {
    g_camera.featureAsked = name;
    g_camera.intSlot = slot;
    if (g_camera.frameGrapped == kLeaveUntouched) return 0;
    *value = g_camera.frameGrapped;
    return 1;
}

const uint8_t* FakeGetBuffer(CameraSlot slot) {
    g_camera.bufferSlot = slot;
    ++g_camera.bufferCalls;
    return g_camera.buffer;
}

class GrabFrameTest : public FocusGlobalsTest {
protected:
    GrabFrameTest() : picture_(kFrameBytes) {
        OwnedImage pattern(0);
        FillPattern(pattern.image);
        std::memcpy(picture_.data(), pattern.image->imageData, kFrameBytes);
        g_camera = FakeCamera{};
        g_camera.buffer = picture_.data();
        camLink_.GetFeatureValueINT = &FakeGetInt;
        camLink_.GetBufferPointer = &FakeGetBuffer;
    }

    void Grab(int drawOverlays, const OverlayOptions& overlays, CameraSlot slot = kSlotRightSide) {
        GrabFrame(frame_.image, camLink_, slot, drawOverlays, overlays);
        ASSERT_NE(frame_.image, nullptr);
        ASSERT_EQ(frame_.image->width, kWidth);
        ASSERT_EQ(frame_.image->height, kHeight);
        ASSERT_EQ(frame_.image->depth, IPL_DEPTH_8U);
        ASSERT_EQ(frame_.image->nChannels, 1);
        ASSERT_EQ(frame_.image->widthStep, kWidth);
    }

    bool IsRawFrame() { return std::memcmp(image()->imageData, picture_.data(), kFrameBytes) == 0; }
    bool IsBlack() {
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if (Pixel(image(), x, y) != 0) return false;
        return true;
    }

    IplImage* image() { return frame_.image; }
    CamLinkApi camLink_;

private:
    std::vector<uint8_t> picture_;
    OwnedImage frame_;
};

const OverlayOptions kAllOverlays{.centerGuide = true, .gridGuide = true, .focusTool = true};
const OverlayOptions kNoOverlays{.centerGuide = false, .gridGuide = false, .focusTool = false};

TEST_F(GrabFrameTest, CopiesTheReadyFrameOfTheSlot) {
    Grab(0, kNoOverlays, kSlotLeftTop);
    EXPECT_TRUE(IsRawFrame());
    EXPECT_EQ(g_camera.featureAsked, "FrameGrapped");
    EXPECT_EQ(g_camera.intSlot, kSlotLeftTop);
    EXPECT_EQ(g_camera.bufferSlot, kSlotLeftTop);
}

TEST_F(GrabFrameTest, DrawsOverlaysOnlyWhenAskedWithOne) {
    for (int drawOverlays : {0, 2, -1}) {
        Grab(drawOverlays, kAllOverlays);
        EXPECT_TRUE(IsRawFrame()) << "drawOverlays " << drawOverlays;
    }
    Grab(1, kNoOverlays);
    EXPECT_TRUE(IsRawFrame()) << "all overlays off";
    Grab(1, OverlayOptions{.centerGuide = true});
    EXPECT_FALSE(IsRawFrame()) << "centre guide on";
}

TEST_F(GrabFrameTest, ReplacesThePreviousImage) {
    OwnedImage white(255);
    IplImage* previous = white.image;
    white.image = nullptr;  // handed over: GrabFrame releases it
    g_camera.frameGrapped = 0;
    GrabFrame(previous, camLink_, kSlotRightSide, 0, kNoOverlays);
    ASSERT_NE(previous, nullptr);
    EXPECT_EQ(Pixel(previous, 100, 100), 0);  // a fresh black image, nothing of the old one
    EXPECT_EQ(Pixel(previous, 639, 479), 0);
    cvReleaseImage(&previous);
}

struct NotReadyCase {
    const char* name;
    int frameGrapped;
    bool nullBuffer, nullIntEntry, nullBufferEntry;
};

class GrabFrameNotReadyTest : public GrabFrameTest,
                              public ::testing::WithParamInterface<NotReadyCase> {};

TEST_P(GrabFrameNotReadyTest, LeavesTheImageBlack) {
    const NotReadyCase& c = GetParam();
    g_camera.frameGrapped = c.frameGrapped;
    if (c.nullBuffer) g_camera.buffer = nullptr;
    if (c.nullIntEntry) camLink_.GetFeatureValueINT = nullptr;
    if (c.nullBufferEntry) camLink_.GetBufferPointer = nullptr;

    Grab(1, kNoOverlays);
    EXPECT_TRUE(IsBlack());
    if (c.frameGrapped != 1 || c.nullIntEntry) {
        EXPECT_EQ(g_camera.bufferCalls, 0);
    }

    // The overlays asked for are still drawn on the black picture.
    Grab(1, OverlayOptions{.centerGuide = true});
    EXPECT_EQ(Pixel(image(), 100, 228), 255);
    EXPECT_EQ(Pixel(image(), 100, 100), 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, GrabFrameNotReadyTest,
                         ::testing::Values(NotReadyCase{"reports0", 0, false, false, false},
                                           NotReadyCase{"reports2", 2, false, false, false},
                                           NotReadyCase{"leavesValue", kLeaveUntouched, false,
                                                        false, false},
                                           NotReadyCase{"nullBuffer", 1, true, false, false},
                                           NotReadyCase{"noIntEntry", 1, false, true, false},
                                           NotReadyCase{"noBufferEntry", 1, false, false, true},
                                           NotReadyCase{"emptyTable", 1, false, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// A black frame puts all of a clean window into bin 0, the first bin of the range [0, 20), where
// a = count / 308. White pixels drawn before the measure move counts to bin 85, outside the
// range; the ticks drawn after it would add 22 white pixels inside the default window.
double EdgeSpikeA(int blackCount) {
    return blackCount / 308.0;
}

TEST_F(GrabFrameTest, MeasuresFocusAfterTheGuidesAndBeforeTheMarker) {
    g_camera.frameGrapped = 0;

    Grab(1, OverlayOptions{.centerGuide = false, .focusTool = true});
    EXPECT_NEAR(g_focusFit.a, EdgeSpikeA(6400), 1e-4);

    // The guide rows 228 and 252 cross the default window: 160 white pixels.
    Grab(1, OverlayOptions{.centerGuide = true, .focusTool = true});
    EXPECT_NEAR(g_focusFit.a, EdgeSpikeA(6400 - 160), 1e-4);

    // Around (128, 96) the grid's column 128 and row 96 cross: 159 white pixels.
    g_ptFocus = {128, 96};
    Grab(1, OverlayOptions{.centerGuide = false, .gridGuide = true, .focusTool = true});
    EXPECT_NEAR(g_focusFit.a, EdgeSpikeA(6400 - 159), 1e-4);
}

using MouseCallbackTest = FocusGlobalsTest;

TEST_F(MouseCallbackTest, LeftButtonReleaseMovesTheFocusPoint) {
    OnLiveWindowMouse(CV_EVENT_LBUTTONUP, 100, 50, 0, nullptr);
    EXPECT_EQ(g_ptFocus.x, 100);
    EXPECT_EQ(g_ptFocus.y, 50);

    OnLiveWindowMouse(CV_EVENT_LBUTTONUP, -20, 900, CV_EVENT_FLAG_CTRLKEY, this);
    EXPECT_EQ(g_ptFocus.x, -20);  // not clamped
    EXPECT_EQ(g_ptFocus.y, 900);
}

TEST_F(MouseCallbackTest, OtherEventsChangeNothing) {
    g_ptFocus = {7, 9};
    g_focusFit = {1.0f, 2.0f, 3.0f};
    for (int event : {CV_EVENT_MOUSEMOVE, CV_EVENT_LBUTTONDOWN, CV_EVENT_RBUTTONDOWN,
                      CV_EVENT_RBUTTONUP, CV_EVENT_LBUTTONDBLCLK}) {
        OnLiveWindowMouse(event, 100, 50, CV_EVENT_FLAG_LBUTTON, nullptr);
        EXPECT_EQ(g_ptFocus.x, 7) << "event " << event;
        EXPECT_EQ(g_ptFocus.y, 9) << "event " << event;
    }
    EXPECT_EQ(g_focusFit.a, 1.0f);
}

}  // namespace
