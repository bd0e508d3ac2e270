// The parabola fit of the focus measure, computed in 32-bit floats with absolute bin indices.
//
// The normal matrix At·A of 20 consecutive absolute indices is badly conditioned (about 2e5 for
// the range [0, 20), 1e12 for [66, 86)), so the 32-bit solve loses digits, more the higher the
// range. Each tolerance below is set from the error observed against the exact value (printed as
// "[ measured ]") with some margin, and stays far below what a wrong fit makes: a flat window's
// full bin at position 8 or 11 of its range instead of 10 changes a by 0.73.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "imaging/focus.h"
#include "imaging_test_support.h"

namespace {

using imaging_test::FocusGlobalsTest;
using imaging_test::OwnedImage;
using imaging_test::Pixel;

void Report(const char* what, double error) {
    std::printf("[ measured ] %s: %.3g\n", what, error);
}

// Fills the 80 x 80 window around (320, 240) so that bin j holds counts[j] pixels.
void PaintDefaultWindow(IplImage* frame, const int (&counts)[kFocusBins]) {
    int bin = 0;
    int left = counts[0];
    for (int y = 200; y < 280; ++y) {
        for (int x = 280; x < 360; ++x) {
            while (left == 0) left = counts[++bin];
            Pixel(frame, x, y) = static_cast<uint8_t>(3 * bin);
            --left;
        }
    }
}

using FocusFitTest = FocusGlobalsTest;

// One full bin at position 10 of its range: a = -6400 / 532 for every grey level 30..230.
TEST_F(FocusFitTest, FlatMidGreyWindowGivesTheCentredSpikeFit) {
    const double exact = -6400.0 / 532.0;
    double worst = 0.0;
    for (int grey = 30; grey <= 230; ++grey) {
        OwnedImage frame(static_cast<uint8_t>(grey));
        g_focusFit = {};
        MeasureFocus(frame.image);
        const double error = std::fabs(g_focusFit.a - exact);
        worst = std::max(worst, error);
        EXPECT_LT(error, 0.03) << "grey " << grey << " a " << g_focusFit.a;
    }
    // Observed: about 3e-6 for low ranges, up to 0.018 (0.15 %) for ranges near [66, 86).
    Report("flat grey 30..230, max |a + 6400/532|", worst);
}

// All counts in the first or last bin of the range: a = 6400 / 308.
TEST_F(FocusFitTest, BlackAndWhiteWindowsGiveTheEdgeSpikeFit) {
    const double exact = 6400.0 / 308.0;

    OwnedImage black(0);
    MeasureFocus(black.image);
    Report("black, |a - 6400/308|", std::fabs(g_focusFit.a - exact));
    EXPECT_NEAR(g_focusFit.a, exact, 1e-4);  // range [0, 20); observed about 2e-7

    OwnedImage white(255);
    MeasureFocus(white.image);
    Report("white, |a - 6400/308|", std::fabs(g_focusFit.a - exact));
    // Range [66, 86), the worst conditioned; observed 0.031.
    EXPECT_NEAR(g_focusFit.a, exact, 0.06);
}

struct ParabolaCase {
    int peak;
    double tolA, tolB, tolC;  // about twice to three times the observed errors
};

// Counts 300 - (j - peak)^2 over the range, the rest of the window in bins far away and lower.
TEST_F(FocusFitTest, CountsOnAParabolaGiveItBack) {
    // Observed errors of a, b, c: peak 40: 1.6e-4, 4.3e-3, 0.26; peak 76: 1.7e-3, 0.20, 8.9.
    const ParabolaCase cases[] = {{40, 5e-4, 0.01, 0.6}, {76, 0.005, 0.5, 20.0}};
    for (const ParabolaCase& c : cases) {
        int counts[kFocusBins] = {};
        int used = 0;
        for (int j = c.peak - 10; j < c.peak + 10; ++j) {
            counts[j] = 300 - (j - c.peak) * (j - c.peak);
            used += counts[j];
        }
        const int spare = 6400 - used;  // 1070, spread over 26 bins at the other end
        const int first = c.peak < 43 ? 60 : 0;
        for (int k = 0; k < 26; ++k) counts[first + k] = spare / 26;
        counts[first] += spare % 26;

        OwnedImage frame(0);
        PaintDefaultWindow(frame.image, counts);
        g_focusFit = {};
        MeasureFocus(frame.image);

        const double a = -1.0, b = 2.0 * c.peak, cc = 300.0 - c.peak * c.peak;
        char label[64];
        std::snprintf(label, sizeof label, "parabola at %d, |a|,|b|,|c| errors", c.peak);
        std::printf("[ measured ] %s: %.3g %.3g %.3g\n", label, std::fabs(g_focusFit.a - a),
                    std::fabs(g_focusFit.b - b), std::fabs(g_focusFit.c - cc));
        EXPECT_NEAR(g_focusFit.a, a, c.tolA) << label;
        EXPECT_NEAR(g_focusFit.b, b, c.tolB) << label;
        EXPECT_NEAR(g_focusFit.c, cc, c.tolC) << label;
    }
}

TEST_F(FocusFitTest, EmptyWindowGivesAZeroFit) {
    g_ptFocus = {700, 240};
    g_focusFit = {1.0f, 2.0f, 3.0f};
    OwnedImage frame(128);
    MeasureFocus(frame.image);
    EXPECT_EQ(g_focusFit.a, 0.0f);
    EXPECT_EQ(g_focusFit.b, 0.0f);
    EXPECT_EQ(g_focusFit.c, 0.0f);
}

// --- FitLeastSquares directly --------------------------------------------------------------

struct Mat {
    CvMat* m;
    Mat(int rows, int cols) : m(cvCreateMat(rows, cols, CV_32FC1)) { cvSetZero(m); }
    ~Mat() { cvReleaseMat(&m); }
    Mat(const Mat&) = delete;
    Mat& operator=(const Mat&) = delete;
    float& operator()(int r, int c) { return CV_MAT_ELEM(*m, float, r, c); }
};

TEST(FitLeastSquares, RejectsBadShapesAndLeavesXUntouched) {
    const float sentinel = 42.0f;
    struct Shapes {
        int aRows, aCols, bRows, xRows, xCols;
    } cases[] = {
        {20, 3, 19, 3, 1},  // A and B differ in rows
        {20, 3, 20, 2, 1},  // columns of A differ from rows of X
        {20, 3, 20, 3, 2},  // X has two columns
    };
    for (const Shapes& s : cases) {
        Mat A(s.aRows, s.aCols), B(s.bRows, 1), X(s.xRows, s.xCols);
        cvSet(X.m, cvScalarAll(sentinel));
        EXPECT_FALSE(FitLeastSquares(A.m, B.m, X.m));
        for (int r = 0; r < s.xRows; ++r)
            for (int c = 0; c < s.xCols; ++c) EXPECT_EQ(X(r, c), sentinel);
    }

    Mat A(20, 3), B(20, 1), X(3, 1);
    // A target of two columns, or a matrix of doubles, is refused rather than raising an error.
    Mat wideB(20, 2);
    EXPECT_FALSE(FitLeastSquares(A.m, wideB.m, X.m));
    CvMat* doubles = cvCreateMat(20, 3, CV_64FC1);
    cvSetZero(doubles);
    EXPECT_FALSE(FitLeastSquares(doubles, B.m, X.m));
    cvReleaseMat(&doubles);
    EXPECT_FALSE(FitLeastSquares(nullptr, B.m, X.m));
    EXPECT_FALSE(FitLeastSquares(A.m, nullptr, X.m));
    EXPECT_FALSE(FitLeastSquares(A.m, B.m, nullptr));
}

TEST(FitLeastSquares, SingularNormalMatrixFailsAndLeavesXUntouched) {
    Mat A(20, 3), B(20, 1), X(3, 1);  // A all zero: At·A is the zero matrix
    for (int r = 0; r < 20; ++r) B(r, 0) = 1.0f;
    cvSet(X.m, cvScalarAll(7.0));
    EXPECT_FALSE(FitLeastSquares(A.m, B.m, X.m));
    EXPECT_EQ(X(0, 0), 7.0f);
    EXPECT_EQ(X(1, 0), 7.0f);
    EXPECT_EQ(X(2, 0), 7.0f);
}

TEST_F(FocusFitTest, StartsAtTheCentreWithAZeroFit) {
    // Other tests restore both globals, so the start values are still visible here.
    EXPECT_EQ(g_ptFocus.x, 320);
    EXPECT_EQ(g_ptFocus.y, 240);
    EXPECT_EQ(g_focusFit.a, 0.0f);
    EXPECT_EQ(g_focusFit.b, 0.0f);
    EXPECT_EQ(g_focusFit.c, 0.0f);
}

}  // namespace
