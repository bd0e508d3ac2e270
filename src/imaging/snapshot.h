// Writing snapshots: OpenCV 2's cvSaveImage, and a save that never leaves a truncated file.
#pragma once

#include <opencv2/core/core_c.h>

/// Writes image to filename in the format its extension names, as OpenCV 2's cvSaveImage did.
/// Returns non-zero on success.
int cvSaveImage(const char* filename, const CvArr* image, const int* params = nullptr);

/// Writes image as fileName by way of a temporary file in the same folder, renamed over the old
/// file once complete: a failed or interrupted save leaves the old file, or none, never a part.
bool SaveSnapshot(const char* fileName, const IplImage* image);
