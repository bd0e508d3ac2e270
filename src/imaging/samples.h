// The reference pictures shown beside the live view.
#pragma once

#include <opencv2/core/core_c.h>

/// Size of one reference picture: 640 x 480 8-bit grey levels, rows top first, no padding.
constexpr int kSamplePictureBytes = 640 * 480;

/// Fills image (640 x 480, 8-bit, one channel) with picture and draws the sample's guide lines,
/// rows h/2 - 13 and h/2 + 13 and columns 30 and w - 30, and its label at (50, 50).
void PrepareSamplePicture(IplImage* image, const unsigned char* picture, const char* label);

/// Shows the two reference pictures of a handedness from sampleSet (RR, RT, LL, LT back to back)
/// in the windows named like their labels: "RR Sample" and "RT Sample", or "LL Sample" and
/// "LT Sample" when leftHanded is not 0.
void ShowSamplePictures(const unsigned char* sampleSet, int leftHanded);
