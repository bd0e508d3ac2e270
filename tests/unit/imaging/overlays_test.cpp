// The overlays, pixel by pixel, drawn on a camera pattern that holds neither 0 nor 255.
#include <gtest/gtest.h>
#include <opencv2/imgproc/imgproc_c.h>

#include <climits>
#include <functional>
#include <sstream>

#include "imaging/focus.h"
#include "imaging/frame_grabber.h"
#include "imaging_test_support.h"

namespace {

using imaging_test::FillPattern;
using imaging_test::FocusGlobalsTest;
using imaging_test::kHeight;
using imaging_test::kWidth;
using imaging_test::OwnedImage;
using imaging_test::PatternValue;
using imaging_test::Pixel;

using ExpectedPixel = std::function<int(int x, int y)>;  // -1: not checked

// Compares the whole image; reports the number of differing pixels and the first of them.
::testing::AssertionResult ImageMatches(IplImage* image, const ExpectedPixel& expected) {
    int mismatches = 0;
    std::ostringstream first;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const int want = expected(x, y);
            if (want < 0 || Pixel(image, x, y) == want) continue;
            if (mismatches++ == 0)
                first << "first at (" << x << ", " << y << "): " << int{Pixel(image, x, y)}
                      << " instead of " << want;
        }
    }
    if (mismatches == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << mismatches << " pixels differ, " << first.str();
}

int CountWhite(IplImage* image, int x0, int x1, int y0, int y1) {
    int white = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) white += Pixel(image, x, y) == 255;
    return white;
}

bool OnGuide(int x, int y) {
    return y == 228 || y == 252 || x == 30 || x == 610;
}

constexpr int kLetterTop = 85;      // the S rises about 30 rows above its origin at row 120
constexpr int kLetterBottom = 372;  // the N stands on row 370
constexpr int kLetterBaselines[] = {120, 170, 220, 270, 320, 370};

TEST(CenterGuide, DrawsTwoRowsAndTwoColumnsOnePixelWide) {
    OwnedImage frame(0);
    FillPattern(frame.image);
    DrawCenterGuide(frame.image, 0);

    EXPECT_TRUE(ImageMatches(frame.image, [](int x, int y) {
        if (OnGuide(x, y)) return 255;
        const bool letterBand = x > 610 && y >= kLetterTop && y <= kLetterBottom;
        return letterBand ? -1 : int{PatternValue(x, y)};
    }));
}

class ScreenMarkerTest : public ::testing::TestWithParam<int> {};

// Right-handed the letters stand right of the guide column 610, left-handed at the left edge,
// left of column 30; the guide lines are the same either way.
TEST_P(ScreenMarkerTest, StandsAtTheEdgeOfTheHandedness) {
    const int leftHanded = GetParam();
    OwnedImage frame(0);
    FillPattern(frame.image);
    DrawCenterGuide(frame.image, leftHanded);

    const int bandFrom = leftHanded == 0 ? 611 : 0;
    const int bandTo = leftHanded == 0 ? kWidth : 30;
    for (int baseline : kLetterBaselines) {
        int white = 0;
        for (int y = baseline - 30; y <= baseline; ++y)
            if (y != 228 && y != 252) white += CountWhite(frame.image, bandFrom, bandTo, y, y + 1);
        EXPECT_GT(white, 20) << "letter at row " << baseline;
    }

    EXPECT_TRUE(ImageMatches(frame.image, [&](int x, int y) {
        if (OnGuide(x, y)) return 255;
        const bool letterBand =
            x >= bandFrom && x < bandTo && y >= kLetterTop && y <= kLetterBottom;
        return letterBand ? -1 : int{PatternValue(x, y)};
    }));
}

INSTANTIATE_TEST_SUITE_P(Handedness, ScreenMarkerTest, ::testing::Values(0, 1, 7));

TEST(Grid, DrawsFiveColumnsAndFiveRowsFromTheTopLeftEdge) {
    OwnedImage frame(0);
    FillPattern(frame.image);
    DrawGrid(frame.image);

    EXPECT_TRUE(ImageMatches(frame.image, [](int x, int y) {
        const bool line = x % 128 == 0 || y % 96 == 0;  // columns 0..512, rows 0..384
        return line ? 255 : int{PatternValue(x, y)};
    }));
    EXPECT_EQ(CountWhite(frame.image, 639, 640, 0, kHeight), 5);  // only where rows cross it
    EXPECT_EQ(CountWhite(frame.image, 0, kWidth, 479, 480), 5);
}

// --- Focus marker ----------------------------------------------------------------------------

class FocusMarkerTest : public FocusGlobalsTest {
protected:
    FocusMarkerTest() { FillPattern(frame_.image); }
    IplImage* image() { return frame_.image; }

private:
    OwnedImage frame_{0};
};

// The value text at (30, 25) reaches about 210 columns and rows 2..27.
bool InTextBox(int x, int y) {
    return x < 260 && y < 32;
}

TEST_F(FocusMarkerTest, DrawsOutlinedTicksAndABlackCircle) {
    DrawFocusMarker(image());  // default point (320, 240)

    // Ticks: white on the line, black one pixel either side.
    EXPECT_EQ(Pixel(image(), 315, 200), 255);
    EXPECT_EQ(Pixel(image(), 325, 200), 255);
    EXPECT_EQ(Pixel(image(), 320, 199), 0);
    EXPECT_EQ(Pixel(image(), 320, 201), 0);
    EXPECT_EQ(Pixel(image(), 320, 280), 255);
    EXPECT_EQ(Pixel(image(), 320, 279), 0);
    EXPECT_EQ(Pixel(image(), 320, 281), 0);
    EXPECT_EQ(Pixel(image(), 280, 235), 255);
    EXPECT_EQ(Pixel(image(), 280, 245), 255);
    EXPECT_EQ(Pixel(image(), 279, 240), 0);
    EXPECT_EQ(Pixel(image(), 281, 240), 0);
    EXPECT_EQ(Pixel(image(), 360, 240), 255);
    EXPECT_EQ(Pixel(image(), 359, 240), 0);
    EXPECT_EQ(Pixel(image(), 361, 240), 0);

    // Circle of radius 6 and thickness 2: black from 5 to 7 pixels out, not filled, no white.
    for (int d : {5, 6, 7}) {
        EXPECT_EQ(Pixel(image(), 320 + d, 240), 0) << d;
        EXPECT_EQ(Pixel(image(), 320 - d, 240), 0) << d;
        EXPECT_EQ(Pixel(image(), 320, 240 + d), 0) << d;
        EXPECT_EQ(Pixel(image(), 320, 240 - d), 0) << d;
    }
    EXPECT_EQ(Pixel(image(), 324, 240), PatternValue(324, 240));
    EXPECT_EQ(Pixel(image(), 328, 240), PatternValue(328, 240));
    EXPECT_EQ(Pixel(image(), 320, 240), PatternValue(320, 240));

    // Nothing else outside the marker and the value text.
    EXPECT_TRUE(ImageMatches(image(), [](int x, int y) {
        const bool tickRows = (y >= 198 && y <= 202) || (y >= 278 && y <= 282);
        const bool tickColumns = (x >= 278 && x <= 282) || (x >= 358 && x <= 362);
        const bool horizontalTick = tickRows && x >= 313 && x <= 327;
        const bool verticalTick = tickColumns && y >= 233 && y <= 247;
        const bool circle = x >= 312 && x <= 328 && y >= 232 && y <= 248;
        if (horizontalTick || verticalTick || circle || InTextBox(x, y)) return -1;
        return int{PatternValue(x, y)};
    }));
}

TEST_F(FocusMarkerTest, NearTheCornerDrawsWhatFallsInside) {
    g_ptFocus = {3, 3};
    ASSERT_NO_THROW(DrawFocusMarker(image()));
    EXPECT_EQ(Pixel(image(), 0, 43), 255);  // bottom tick, clipped on the left
    EXPECT_EQ(Pixel(image(), 8, 43), 255);
    EXPECT_EQ(Pixel(image(), 43, 0), 255);  // right tick, clipped at the top
    EXPECT_EQ(Pixel(image(), 43, 8), 255);
    EXPECT_EQ(Pixel(image(), 9, 3), 0);  // circle
    EXPECT_EQ(Pixel(image(), 3, 9), 0);
}

TEST_F(FocusMarkerTest, FarOutsideDrawsOnlyTheValue) {
    for (CvPoint point : {CvPoint{700, 240}, CvPoint{INT_MAX, INT_MAX}, CvPoint{INT_MIN, INT_MIN},
                          CvPoint{INT_MIN, INT_MAX}}) {
        FillPattern(image());
        g_ptFocus = point;
        ASSERT_NO_THROW(DrawFocusMarker(image()));
        EXPECT_EQ(g_focusFit.a, 0.0f);
        EXPECT_TRUE(ImageMatches(
            image(), [](int x, int y) { return InTextBox(x, y) ? -1 : int{PatternValue(x, y)}; }))
            << "focus (" << point.x << ", " << point.y << ")";
    }
}

// The value is drawn as white digits with a black outline at origin (30, 25); the expected
// picture is the pattern with the given text put there in the value font.
void ExpectValueText(IplImage* image, IplImage* background, const char* text) {
    CvFont font;
    cvInitFont(&font, CV_FONT_HERSHEY_PLAIN, 2.5, 2.0, 0.0, 4, 8);
    cvPutText(background, text, cvPoint(30, 25), &font, cvScalarAll(0));
    font.thickness = 2;
    cvPutText(background, text, cvPoint(30, 25), &font, cvScalar(255, 255, 255, 0));
    EXPECT_TRUE(ImageMatches(image, [&](int x, int y) {
        return InTextBox(x, y) ? int{Pixel(background, x, y)} : -1;
    })) << text;
    EXPECT_GT(CountWhite(image, 30, 260, 0, 32), 200) << text;
}

TEST_F(FocusMarkerTest, PrintsTheFocusValueTopLeft) {
    g_ptFocus = {700, 240};  // empty window: a = 0
    DrawFocusMarker(image());
    OwnedImage expected(0);
    FillPattern(expected.image);
    ExpectValueText(image(), expected.image, "0.000000");

    // A black window: a = 6400 / 308 = 20.7792207..., printed with six decimals.
    OwnedImage black(0);
    g_ptFocus = {320, 240};
    DrawFocusMarker(black.image);
    OwnedImage blackExpected(0);
    ExpectValueText(black.image, blackExpected.image, "20.779221");
}

}  // namespace

// The centre guide and the grid paint from a list made once per picture geometry; they must
// paint exactly what OpenCV's drawing calls paint, on any content, after any change of
// geometry, and fall back to drawing for pictures they cannot paint from a list.
namespace {

IplImage* RandomPicture(CvSize size, int channels, unsigned seed) {
    IplImage* image = cvCreateImage(size, IPL_DEPTH_8U, channels);
    CvRNG rng = seed;
    cvRandArr(&rng, image, CV_RAND_UNI, cvScalarAll(0), cvScalarAll(256));
    return image;
}

}  // namespace

TEST(ListPaintedOverlays, PaintExactlyWhatTheDrawingCallsPaint) {
    // The live geometry, a padded row (641 -> 644 bytes), a small and a tiny picture, in an
    // order that changes the geometry between calls, twice round.
    const CvSize sizes[] = {{640, 480}, {641, 479}, {640, 480}, {100, 60}, {7, 5}, {640, 480}};
    unsigned seed = 1;
    for (int round = 0; round < 2; ++round) {
        for (const CvSize size : sizes) {
            for (const int hand : {0, 1, 2}) {
                IplImage* listed = RandomPicture(size, 1, seed++);
                IplImage* drawn = cvCloneImage(listed);
                DrawCenterGuide(listed, hand);
                DrawGrid(listed);
                DrawCenterGuideDirect(drawn, hand);
                DrawGridDirect(drawn);
                EXPECT_EQ(cvNorm(listed, drawn, CV_L1), 0.0)
                    << size.width << " x " << size.height << ", hand " << hand;
                cvReleaseImage(&listed);
                cvReleaseImage(&drawn);
            }
        }
    }
}

TEST(ListPaintedOverlays, DrawPicturesTheyCannotPaintFromAList) {
    // Three channels, and a one-channel picture with a region of interest.
    IplImage* listed = RandomPicture(cvSize(640, 480), 3, 11);
    IplImage* drawn = cvCloneImage(listed);
    DrawCenterGuide(listed, 0);
    DrawGrid(listed);
    DrawCenterGuideDirect(drawn, 0);
    DrawGridDirect(drawn);
    EXPECT_EQ(cvNorm(listed, drawn, CV_L1), 0.0);
    cvReleaseImage(&listed);
    cvReleaseImage(&drawn);

    listed = RandomPicture(cvSize(640, 480), 1, 12);
    drawn = cvCloneImage(listed);
    for (IplImage* image : {listed, drawn}) cvSetImageROI(image, cvRect(50, 40, 320, 240));
    DrawCenterGuide(listed, 1);
    DrawGrid(listed);
    DrawCenterGuideDirect(drawn, 1);
    DrawGridDirect(drawn);
    for (IplImage* image : {listed, drawn}) cvResetImageROI(image);
    EXPECT_EQ(cvNorm(listed, drawn, CV_L1), 0.0);
    cvReleaseImage(&listed);
    cvReleaseImage(&drawn);
}
