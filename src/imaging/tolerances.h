// When a camera counts as aligned with its reference: the one definition that the assistant's
// window and the unattended check share. Plain C++, no window code.
#pragma once

#include <cmath>

#include "imaging/alignment.h"

namespace alignment {

/// A camera counts as aligned when every offset lies within these.
constexpr double kShiftTolerancePx = 2.0;
constexpr double kAngleTolerance = 0.3;  // degrees
/// The distance counts as right while the live picture's scale is within this of the
/// reference's.
constexpr double kScaleTolerance = 0.005;

/// Measured, and within the tolerance on both shifts, the roll and the scale.
inline bool IsAligned(const AlignmentOffset& offset) {
    return offset.measured && std::abs(offset.scale - 1.0) <= kScaleTolerance &&
           std::abs(offset.dx) <= kShiftTolerancePx && std::abs(offset.dy) <= kShiftTolerancePx &&
           std::abs(offset.angle) <= kAngleTolerance;
}

}  // namespace alignment
