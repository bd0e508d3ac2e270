// Focus measure: a histogram-parabola fit over the 80 x 80 window around the focus point.
#pragma once

#include <opencv2/core/core_c.h>

#include <optional>

/// Coefficients of the last successful fit count(j) = a*j*j + b*j + c. a is the focus value.
struct FocusFit {
    float a = 0.0f;
    float b = 0.0f;
    float c = 0.0f;
};

/// Centre of the focus window in image pixels; (320, 240) until the first click.
extern CvPoint g_ptFocus;
/// The last successful fit; zero at program start, kept when a solve fails.
extern FocusFit g_focusFit;

constexpr int kFocusBins = 86;
/// The focus window reaches this far left, right, up and down of the focus point.
constexpr int kFocusWindowHalf = 40;

/// The window around focus that the focus measure reads: columns max(x - 40, 0) up to
/// min(x + 40, 640), rows likewise up to 480, for any int point; empty (zero width and height)
/// when the point lies 40 or more pixels outside the picture.
CvRect FocusWindowRect(CvPoint focus);
constexpr int kFocusRangeLength = 20;

/// Half-open range [lo, hi) of histogram bins that the parabola is fitted to.
struct FocusRange {
    int lo;
    int hi;
};

/// Counts the grey levels (bin = value / 3) of the clamped window around focus, columns outer,
/// rows inner. frame is 640 x 480, 8-bit, one channel.
void CountFocusWindow(const IplImage* frame, CvPoint focus, int (&histogram)[kFocusBins]);
/// Highest bin; ties go to the lowest bin, an all-zero histogram gives 0.
int FindHistogramPeak(const int (&histogram)[kFocusBins]);
/// The 20 bins around peak, shifted to stay inside [0, 86).
FocusRange FittingRange(int peak);
/// Solves X = inverse(At A) At B in 32-bit floats; false (X untouched) on bad arguments or an
/// exactly singular normal matrix.
bool FitLeastSquares(CvMat* A, CvMat* B, CvMat* X);
/// The fit of frame around focus, as MeasureFocus makes it; empty when the solve fails. Touches
/// no global.
std::optional<FocusFit> FitFocusWindow(const IplImage* frame, CvPoint focus);
/// Measures frame around g_ptFocus and stores the fit in g_focusFit when the solve succeeds.
void MeasureFocus(const IplImage* frame);
