// libFuzzer target for the focus measure: arbitrary pictures and focus points through
// MeasureFocus, and arbitrary small matrices through FitLeastSquares.
//
// Input: bytes 0..7 are the focus point (two little-endian int32, x then y); the rest, repeated
// (zeros when there is no rest), is the 640 x 480 picture and, read from its start, the shapes,
// types and element bytes of the matrices given to FitLeastSquares.
#include <opencv2/core/core_c.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "imaging/focus.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

#define FUZZ_CHECK(condition)                                                                 \
    do {                                                                                      \
        if (!(condition)) {                                                                   \
            std::fprintf(stderr, "focus fuzz: %s failed at line %d\n", #condition, __LINE__); \
            std::abort();                                                                     \
        }                                                                                     \
    } while (0)

// The bytes after the focus point, repeated forever; zeros when there are none.
class Cycle {
public:
    Cycle(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t Next() { return size_ == 0 ? 0 : data_[position_++ % size_]; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

// The window of the focus measure along one axis, worked out on its own in 64 bits.
int64_t WindowLength(int centre, int64_t limit) {
    const int64_t begin = std::max<int64_t>(int64_t{centre} - 40, 0);
    const int64_t end = std::min<int64_t>(int64_t{centre} + 40, limit);
    return std::max<int64_t>(end - begin, 0);
}

void CheckMeasure(const IplImage* picture, CvPoint focus) {
    int histogram[kFocusBins];
    CountFocusWindow(picture, focus, histogram);
    int64_t counted = 0;
    for (int count : histogram) {
        FUZZ_CHECK(count >= 0);
        counted += count;
    }
    FUZZ_CHECK(counted == WindowLength(focus.x, kWidth) * WindowLength(focus.y, kHeight));

    const int peak = FindHistogramPeak(histogram);
    FUZZ_CHECK(peak >= 0 && peak < kFocusBins);
    for (int bin = 0; bin < kFocusBins; ++bin)
        FUZZ_CHECK(histogram[bin] < histogram[peak] ||
                   (histogram[bin] == histogram[peak] && bin >= peak));
    const FocusRange range = FittingRange(peak);
    FUZZ_CHECK(range.hi - range.lo == kFocusRangeLength);
    FUZZ_CHECK(range.lo >= 0 && range.hi <= kFocusBins && range.lo <= peak && peak < range.hi);

    // A fit that succeeds overwrites all three coefficients with finite numbers; one that fails
    // leaves them as they were.
    const FocusFit sentinel{-1234.5f, 6789.25f, -0.125f};
    g_ptFocus = focus;
    g_focusFit = sentinel;
    MeasureFocus(picture);
    const bool untouched =
        g_focusFit.a == sentinel.a && g_focusFit.b == sentinel.b && g_focusFit.c == sentinel.c;
    if (!untouched)
        FUZZ_CHECK(std::isfinite(g_focusFit.a) && std::isfinite(g_focusFit.b) &&
                   std::isfinite(g_focusFit.c));
}

CvMat* MakeMatrix(Cycle& bytes, int rows, int cols, int type) {
    CvMat* m = cvCreateMat(rows, cols, type);
    const size_t total = static_cast<size_t>(rows) * cols * CV_ELEM_SIZE(type);
    for (size_t i = 0; i < total; ++i) m->data.ptr[i] = bytes.Next();
    return m;
}

void CheckFit(Cycle& bytes) {
    const uint8_t shape[8] = {bytes.Next(), bytes.Next(), bytes.Next(), bytes.Next(),
                              bytes.Next(), bytes.Next(), bytes.Next(), bytes.Next()};
    const int rowsA = 1 + shape[0] % 24;
    const int colsA = 1 + shape[1] % 5;
    // Mostly shapes that fit together, sometimes ones that do not.
    const int rowsB = shape[2] % 4 ? rowsA : 1 + shape[2] / 4 % 24;
    const int colsB = shape[3] % 8 ? 1 : 1 + shape[3] / 8 % 3;
    const int rowsX = shape[4] % 4 ? colsA : 1 + shape[4] / 4 % 5;
    const int colsX = shape[5] % 8 ? 1 : 1 + shape[5] / 8 % 3;
    const int type = shape[6] % 16 ? CV_32FC1 : (shape[6] & 16 ? CV_64FC1 : CV_8UC1);
    const int absent = shape[7] % 32;  // 0, 1, 2: that matrix is null

    CvMat* A = absent == 0 ? nullptr : MakeMatrix(bytes, rowsA, colsA, CV_32FC1);
    CvMat* B = absent == 1 ? nullptr : MakeMatrix(bytes, rowsB, colsB, type);
    CvMat* X = absent == 2 ? nullptr : MakeMatrix(bytes, rowsX, colsX, CV_32FC1);
    std::vector<uint8_t> before;
    if (X) before.assign(X->data.ptr, X->data.ptr + rowsX * colsX * sizeof(float));

    const bool solved = FitLeastSquares(A, B, X);
    const bool fits = A && B && X && colsA == rowsX && colsX == 1 && rowsA == rowsB;
    if (!fits) FUZZ_CHECK(!solved);
    if (!solved && X) FUZZ_CHECK(std::memcmp(before.data(), X->data.ptr, before.size()) == 0);

    cvReleaseMat(&X);
    cvReleaseMat(&B);
    cvReleaseMat(&A);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int32_t point[2] = {0, 0};
    std::memcpy(point, data, std::min<size_t>(size, sizeof point));
    const uint8_t* rest = data + std::min<size_t>(size, sizeof point);
    const size_t restSize = size - std::min<size_t>(size, sizeof point);

    // One picture for the whole run; the program creates one per frame, which only costs time here.
    static IplImage* const picture = cvCreateImage(cvSize(kWidth, kHeight), IPL_DEPTH_8U, 1);
    FUZZ_CHECK(picture->widthStep == kWidth);
    auto* pixels = reinterpret_cast<uint8_t*>(picture->imageData);
    const size_t pictureBytes = static_cast<size_t>(kWidth) * kHeight;
    if (restSize == 0) std::memset(pixels, 0, pictureBytes);
    for (size_t done = 0; restSize != 0 && done < pictureBytes; done += restSize)
        std::memcpy(pixels + done, rest, std::min(restSize, pictureBytes - done));
    CheckMeasure(picture, cvPoint(point[0], point[1]));

    Cycle matrices(rest, restSize);
    CheckFit(matrices);
    return 0;
}
