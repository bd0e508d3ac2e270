// Turning camera values into the program's: rounding to its 32-bit integers and keeping
// settings within what a camera accepts.
#pragma once

#include <cstdint>
#include <optional>

#include "genicam/geometry.h"

namespace vantrel::genicam {

struct Bounds {
    double min;
    double max;
};

// Nearest 32-bit integer, saturating at its limits (cameras may state bounds of +-DBL_MAX);
// nothing for NaN.
std::optional<int32_t> RoundToInt32(double value);

// value within bounds; bounds with min above max are taken as [max, min].
double ClampToBounds(double value, Bounds bounds);

// The value an integer feature accepts nearest to a finite value.
int64_t NearestAccepted(double value, const IntRange& range);

// The unit a camera states its gain in. A gain is carried over between decibels and a plain
// factor; raw register steps mean something different on every model.
enum class GainUnit { kNone, kDecibel, kFactor, kSteps };

// A gain in one unit as the same amplification in another; nothing where no faithful conversion
// exists (steps to or from anything else, a factor that is not positive, no unit).
std::optional<double> ConvertGain(double value, GainUnit from, GainUnit to);

}  // namespace vantrel::genicam
