// Focus measure: grey-level histogram of the window around the focus point, and a least-squares
// parabola through the 20 bins around its peak.
#include "imaging/focus.h"

#include <algorithm>
#include <cstdint>

CvPoint g_ptFocus = {320, 240};
FocusFit g_focusFit;

namespace {

// The window limits are fixed to the camera geometry, not read from the image.
constexpr int64_t kWindowMaxX = 640;
constexpr int64_t kWindowMaxY = 480;

struct Span {
    int begin;
    int end;  // exclusive
};

// The window along one axis. Computed in 64 bits so that a focus point anywhere in the int range
// clamps instead of overflowing; a point 40 or more pixels outside the picture gives an empty span.
Span WindowSpan(int centre, int64_t limit) {
    const int64_t begin = std::max<int64_t>(int64_t{centre} - kFocusWindowHalf, 0);
    const int64_t end = std::min<int64_t>(int64_t{centre} + kFocusWindowHalf, limit);
    if (begin >= end) return {0, 0};
    return {static_cast<int>(begin), static_cast<int>(end)};
}

void FillDesign(CvMat* A, CvMat* B, FocusRange range, const int (&histogram)[kFocusBins]) {
    for (int j = range.lo; j < range.hi; ++j) {
        const int r = j - range.lo;
        CV_MAT_ELEM(*A, float, r, 0) = static_cast<float>(j * j);
        CV_MAT_ELEM(*A, float, r, 1) = static_cast<float>(j);
        CV_MAT_ELEM(*A, float, r, 2) = 1.0f;
        CV_MAT_ELEM(*B, float, r, 0) = static_cast<float>(histogram[j]);
    }
}

}  // namespace

CvRect FocusWindowRect(CvPoint focus) {
    const Span columns = WindowSpan(focus.x, kWindowMaxX);
    const Span rows = WindowSpan(focus.y, kWindowMaxY);
    if (columns.begin == columns.end || rows.begin == rows.end) return cvRect(0, 0, 0, 0);
    return cvRect(columns.begin, rows.begin, columns.end - columns.begin, rows.end - rows.begin);
}

void CountFocusWindow(const IplImage* frame, CvPoint focus, int (&histogram)[kFocusBins]) {
    const CvRect window = FocusWindowRect(focus);
    const Span columns{window.x, window.x + window.width};
    const Span rows{window.y, window.y + window.height};
    const auto* pixels = reinterpret_cast<const unsigned char*>(frame->imageData);
    const int stride = frame->width;

    // A focus target is mostly one grey level. Counting it into a single set of counters makes
    // each increment wait on the one before, and a line crossing the window makes the processor
    // mispredict that chain. Four sets, one for each of four consecutive rows, keep the
    // increments independent; their sums are the same counts.
    int lanes[4][kFocusBins] = {};
    for (int x = columns.begin; x < columns.end; ++x) {
        const unsigned char* column = pixels + x;
        int y = rows.begin;
        for (; y + 4 <= rows.end; y += 4) {
            ++lanes[0][column[y * stride] / 3];
            ++lanes[1][column[(y + 1) * stride] / 3];
            ++lanes[2][column[(y + 2) * stride] / 3];
            ++lanes[3][column[(y + 3) * stride] / 3];
        }
        for (; y < rows.end; ++y) ++lanes[0][column[y * stride] / 3];
    }
    for (int bin = 0; bin < kFocusBins; ++bin) {
        histogram[bin] = lanes[0][bin] + lanes[1][bin] + lanes[2][bin] + lanes[3][bin];
    }
}

int FindHistogramPeak(const int (&histogram)[kFocusBins]) {
    int peak = 0;
    int best = 0;
    for (int bin = 0; bin < kFocusBins; ++bin) {
        if (histogram[bin] > best) {
            best = histogram[bin];
            peak = bin;
        }
    }
    return peak;
}

FocusRange FittingRange(int peak) {
    FocusRange range{peak - kFocusRangeLength / 2, peak + kFocusRangeLength / 2};
    if (range.lo < 0) {
        range.hi -= range.lo;
        range.lo = 0;
    }
    if (range.hi > kFocusBins) {
        range.lo += kFocusBins - range.hi;
        range.hi = kFocusBins;
    }
    return range;
}

bool FitLeastSquares(CvMat* A, CvMat* B, CvMat* X) {
    if (!A || !B || !X) return false;
    if (A->cols != X->rows || X->cols != 1 || A->rows != B->rows) return false;
    // The products below would raise an error on a target of more than one column or on
    // matrices of another element type; refuse them like any other bad shape.
    if (B->cols != 1) return false;
    for (const CvMat* m : {A, B, X})
        if (CV_MAT_TYPE(m->type) != CV_32FC1) return false;

    CvMat* At = cvCreateMat(A->cols, A->rows, CV_32FC1);
    CvMat* N = cvCreateMat(A->cols, A->cols, CV_32FC1);
    CvMat* Ninv = cvCreateMat(A->cols, A->cols, CV_32FC1);
    CvMat* P = cvCreateMat(A->cols, A->rows, CV_32FC1);
    auto releaseTemporaries = [&] {
        cvReleaseMat(&P);
        cvReleaseMat(&Ninv);
        cvReleaseMat(&N);
        cvReleaseMat(&At);
    };

    cvTranspose(A, At);
    cvGEMM(At, A, 1.0, nullptr, 1.0, N, 0);
    // Only an exact zero means singular; anything else, NaN included, goes on to the product.
    const double d = cvInvert(N, Ninv, CV_LU);
    if (d == 0.0) {
        releaseTemporaries();
        return false;
    }
    cvGEMM(Ninv, At, 1.0, nullptr, 1.0, P, 0);
    cvGEMM(P, B, 1.0, nullptr, 1.0, X, 0);
    releaseTemporaries();
    return true;
}

std::optional<FocusFit> FitFocusWindow(const IplImage* frame, CvPoint focus) {
    int histogram[kFocusBins];
    CountFocusWindow(frame, focus, histogram);
    const FocusRange range = FittingRange(FindHistogramPeak(histogram));

    const int n = range.hi - range.lo;
    CvMat* A = cvCreateMat(n, 3, CV_32FC1);
    CvMat* B = cvCreateMat(n, 1, CV_32FC1);
    CvMat* X = cvCreateMat(3, 1, CV_32FC1);
    FillDesign(A, B, range, histogram);

    std::optional<FocusFit> fit;
    if (FitLeastSquares(A, B, X))
        fit = FocusFit{CV_MAT_ELEM(*X, float, 0, 0), CV_MAT_ELEM(*X, float, 1, 0),
                       CV_MAT_ELEM(*X, float, 2, 0)};

    cvReleaseMat(&X);
    cvReleaseMat(&B);
    cvReleaseMat(&A);
    return fit;
}

void MeasureFocus(const IplImage* frame) {
    if (const std::optional<FocusFit> fit = FitFocusWindow(frame, g_ptFocus)) g_focusFit = *fit;
}
