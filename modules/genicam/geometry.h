// How a camera gives the program's 640 x 480 picture: binning where the camera offers it, then
// the centred 640 x 480 region of the (binned) sensor. Pure arithmetic; camera.cpp applies it.
#pragma once

#include <cstdint>
#include <vector>

namespace vantrel::genicam {

// The values an integer feature accepts: min, min + inc, ... up to max.
struct IntRange {
    int64_t min = 0;
    int64_t max = 0;
    int64_t inc = 1;

    bool Contains(int64_t value) const;
};

// The accepted value nearest below value (min when value is below it, the largest accepted one
// when value is above max); min when the range is empty.
int64_t AlignDown(int64_t value, const IntRange& range);

struct SensorLayout {
    int64_t width = 0;  // full sensor, unbinned pixels
    int64_t height = 0;
    // {1, 1, 1} for a camera without binning.
    IntRange binningX{1, 1, 1};
    IntRange binningY{1, 1, 1};
};

struct Geometry {
    int64_t binning;  // the same in both directions
    // Top left corner of the centred region, in binned pixels.
    int64_t offsetX;
    int64_t offsetY;
};

// The ways to take the picture, best first: the strongest binning both directions accept whose
// binned sensor still holds 640 x 480, then each weaker one, down to no binning. Empty when the
// sensor is smaller than 640 x 480.
std::vector<Geometry> GeometryCandidates(const SensorLayout& sensor);

// The share (0..1) of the sensor's largest 4:3 region that the picture taken this way shows.
double FieldOfViewShare(const SensorLayout& sensor, const Geometry& geometry);

}  // namespace vantrel::genicam
