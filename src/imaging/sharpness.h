// A focus figure for turning the focus ring: the gradient energy of the focus window above its
// sensor noise, relative to its brightness.
#pragma once

#include <opencv2/core.hpp>

// Sharpness of the 80 x 80 focus window around point, clamped to the picture exactly as
// the focus measure clamps it (columns max(x-40,0)..min(x+40,640), rows likewise). Rises
// steadily as the picture sharpens. Clipped pixels (kSharpnessClipped and above), which carry
// no edge, and the pixels next to them are left out. NaN when the window is empty or
// over-exposed. frame: CV_8UC1 640x480.
double MeasureSharpness(const cv::Mat& frame, cv::Point point);

inline constexpr int kSharpnessClipped = 250;
// More than half of the focus window around point is clipped: it gives no figure.
bool FocusWindowOverExposed(const cv::Mat& frame, cv::Point point);
