// The four built-in reference pictures.
#pragma once

/// RR, RT, LL and LT back to back, each 640 x 480 8-bit grey levels, rows top first.
extern "C" const unsigned char SampleImageSet[1228800];
