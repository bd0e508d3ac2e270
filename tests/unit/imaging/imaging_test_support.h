// Helpers shared by the imaging tests: owned images, pixel access and a guard for the globals of
// the focus measure.
#pragma once

#include <gtest/gtest.h>
#include <opencv2/core/core_c.h>

#include <cstdint>

#include "imaging/focus.h"

namespace imaging_test {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

/// An IplImage owned by the test; GrabFrame may replace the pointer.
struct OwnedImage {
    IplImage* image = nullptr;

    OwnedImage() = default;
    explicit OwnedImage(uint8_t grey) {
        image = cvCreateImage(cvSize(kWidth, kHeight), IPL_DEPTH_8U, 1);
        cvSet(image, cvScalarAll(grey));
    }
    OwnedImage(const OwnedImage&) = delete;
    OwnedImage& operator=(const OwnedImage&) = delete;
    ~OwnedImage() {
        if (image) cvReleaseImage(&image);
    }
};

inline uint8_t& Pixel(IplImage* image, int x, int y) {
    return reinterpret_cast<uint8_t*>(image->imageData)[y * image->widthStep + x];
}

/// A camera picture that never holds the overlay colours 0 and 255, so every drawn pixel shows.
inline uint8_t PatternValue(int x, int y) {
    return static_cast<uint8_t>(1 + (x + 3 * y) % 250);
}

inline void FillPattern(IplImage* image) {
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) Pixel(image, x, y) = PatternValue(x, y);
}

/// Saves g_ptFocus and g_focusFit and puts them back, so tests may change them in any order.
class FocusGlobalsTest : public ::testing::Test {
protected:
    void TearDown() override {
        g_ptFocus = savedPoint_;
        g_focusFit = savedFit_;
    }

private:
    CvPoint savedPoint_ = g_ptFocus;
    FocusFit savedFit_ = g_focusFit;
};

}  // namespace imaging_test
