// The focus window, its histogram, the peak and the fitting range.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <numeric>

#include "imaging/focus.h"
#include "imaging_test_support.h"

namespace {

using imaging_test::OwnedImage;
using imaging_test::Pixel;

struct WindowCase {
    CvPoint focus;
    int x0, x1, y0, y1;  // expected window, half-open
};

void PrintTo(const WindowCase& c, std::ostream* os) {
    *os << "focus (" << c.focus.x << ", " << c.focus.y << ")";
}

int Total(const int (&histogram)[kFocusBins]) {
    return std::accumulate(std::begin(histogram), std::end(histogram), 0);
}

class FocusWindowTest : public ::testing::TestWithParam<WindowCase> {};

// The expected window is painted white on black: every counted pixel must be white and every
// white pixel counted, so a window too large or too small in any direction fails.
TEST_P(FocusWindowTest, CountsExactlyTheClampedWindow) {
    const WindowCase& c = GetParam();
    OwnedImage frame(0);
    for (int y = c.y0; y < c.y1; ++y)
        for (int x = c.x0; x < c.x1; ++x) Pixel(frame.image, x, y) = 255;

    int histogram[kFocusBins];
    CountFocusWindow(frame.image, c.focus, histogram);

    const int area = (c.x1 - c.x0) * (c.y1 - c.y0);
    EXPECT_EQ(histogram[85], area);
    EXPECT_EQ(Total(histogram), area);
}

INSTANTIATE_TEST_SUITE_P(Points, FocusWindowTest,
                         ::testing::Values(WindowCase{{320, 240}, 280, 360, 200, 280},
                                           WindowCase{{0, 0}, 0, 40, 0, 40},
                                           WindowCase{{639, 479}, 599, 640, 439, 480},
                                           WindowCase{{-39, 240}, 0, 1, 200, 280},
                                           WindowCase{{679, 240}, 639, 640, 200, 280},
                                           WindowCase{{320, -39}, 280, 360, 0, 1},
                                           WindowCase{{320, 519}, 280, 360, 479, 480}));

class EmptyFocusWindowTest : public ::testing::TestWithParam<CvPoint> {};

TEST_P(EmptyFocusWindowTest, CountsNothing) {
    OwnedImage frame(255);
    int histogram[kFocusBins];
    CountFocusWindow(frame.image, GetParam(), histogram);
    EXPECT_EQ(Total(histogram), 0);
}

INSTANTIATE_TEST_SUITE_P(FarOutside, EmptyFocusWindowTest,
                         ::testing::Values(CvPoint{700, 240}, CvPoint{680, 240}, CvPoint{-40, 240},
                                           CvPoint{320, 520}, CvPoint{320, -40},
                                           CvPoint{INT_MAX, INT_MAX}, CvPoint{INT_MIN, INT_MIN},
                                           CvPoint{INT_MAX, INT_MIN}, CvPoint{INT_MIN, 240},
                                           CvPoint{320, INT_MAX}));

TEST(FocusHistogram, GreyLevelsFallInBinsOfThree) {
    const struct {
        uint8_t grey;
        int bin;
    } cases[] = {{0, 0}, {2, 0}, {3, 1}, {5, 1}, {6, 2}, {254, 84}, {255, 85}};
    for (const auto& c : cases) {
        OwnedImage frame(c.grey);
        int histogram[kFocusBins];
        std::fill(std::begin(histogram), std::end(histogram), 7);  // must be cleared first
        CountFocusWindow(frame.image, {320, 240}, histogram);
        EXPECT_EQ(histogram[c.bin], 6400) << "grey " << int{c.grey};
        EXPECT_EQ(Total(histogram), 6400) << "grey " << int{c.grey};
    }
}

TEST(FocusPeak, TiesGoToTheLowestBin) {
    int histogram[kFocusBins] = {};
    EXPECT_EQ(FindHistogramPeak(histogram), 0);

    histogram[20] = 100;
    histogram[60] = 100;
    EXPECT_EQ(FindHistogramPeak(histogram), 20);
    const FocusRange range = FittingRange(FindHistogramPeak(histogram));
    EXPECT_EQ(range.lo, 10);
    EXPECT_EQ(range.hi, 30);

    histogram[60] = 101;
    EXPECT_EQ(FindHistogramPeak(histogram), 60);
    histogram[85] = 102;
    EXPECT_EQ(FindHistogramPeak(histogram), 85);
}

TEST(FocusRange, ShiftsToStayInsideTheHistogram) {
    const struct {
        int peak, lo, hi;
    } cases[] = {{0, 0, 20},   {3, 0, 20},   {10, 0, 20},  {11, 1, 21}, {40, 30, 50},
                 {75, 65, 85}, {76, 66, 86}, {80, 66, 86}, {85, 66, 86}};
    for (const auto& c : cases) {
        const FocusRange range = FittingRange(c.peak);
        EXPECT_EQ(range.lo, c.lo) << "peak " << c.peak;
        EXPECT_EQ(range.hi, c.hi) << "peak " << c.peak;
    }
    for (int peak = 0; peak < kFocusBins; ++peak) {
        const FocusRange range = FittingRange(peak);
        EXPECT_EQ(range.hi - range.lo, kFocusRangeLength) << "peak " << peak;
        EXPECT_TRUE(range.lo <= peak && peak < range.hi) << "peak " << peak;
    }
}

}  // namespace
