// A focus figure for turning the focus ring: the gradient energy of the focus window above its
// sensor noise, relative to its brightness.
#pragma once

#include <opencv2/core.hpp>

// Sharpness of the 80 x 80 focus window around point, clamped to the picture exactly as
// the focus measure clamps it (columns max(x-40,0)..min(x+40,640), rows likewise). Rises
// steadily as the picture sharpens; NaN when the window is empty. frame: CV_8UC1 640x480.
double MeasureSharpness(const cv::Mat& frame, cv::Point point);
