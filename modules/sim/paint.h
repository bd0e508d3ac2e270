// Drawing helpers of the scene renderer: procedural texture, lens fall-off and anti-aliased
// shapes on a radiance image.
#pragma once

#include <cstdint>
#include <span>

#include "sim/scene.h"

namespace vantrel::sim::paint {

struct Point {
    float x;
    float y;
};

inline float& At(Radiance& image, int x, int y) {
    return image[y * kWidth + x];
}

// Smooth noise in [0, 1] with features about one unit apart.
float ValueNoise(float x, float y, uint32_t salt);
// Sum of octaves of ValueNoise, each half the size and weight of the one before; in [0, 1].
float Fractal(float x, float y, int octaves, uint32_t salt);
// Independent per-pixel grain in [-1, 1].
float Grain(int x, int y, uint32_t salt);
// Relative illumination of a lens: 1 at the centre, 1 - strength in the corners.
float Vignette(int x, int y, float strength);

// Shapes are painted with their coverage of each pixel (4 x 4 samples): a pixel half covered
// becomes the mean of its old value and the shape's value.
void FillConvex(Radiance& image, std::span<const Point> polygon, float value);
void FillRect(Radiance& image, float left, float top, float right, float bottom, float value);
void FillEllipse(Radiance& image, Point centre, float rx, float ry, float value);
// Adds a Gaussian halo of the given peak and standard deviation around centre.
void AddGlow(Radiance& image, Point centre, float sigma, float peak);

}  // namespace vantrel::sim::paint
