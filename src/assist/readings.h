// What the assistant tells the technician about one camera: the offset from the reference with
// the way to turn the camera, whether it is aligned, and the focus figures.
#pragma once

#include <QString>

#include "imaging/alignment.h"
#include "imaging/tolerances.h"

namespace assist {

using alignment::kAngleTolerance;
using alignment::kScaleTolerance;
using alignment::kShiftTolerancePx;

enum class Axis { Horizontal, Vertical, Rotation };

/// The offset along one axis: dx and dy in pixels, the angle in degrees.
double OffsetAlong(const AlignmentOffset& offset, Axis axis);
bool WithinTolerance(Axis axis, double value);
using alignment::IsAligned;

/// The offset as the window shows it: each figure rounded to the decimals it is shown with
/// (0.1 px, 0.01°), and kept at the figure shown before while the new value stays within three
/// quarters of a step of it, so that a value at the edge of a step does not flicker. The words
/// and the verdict are taken from this offset, so that they always agree with the figures.
AlignmentOffset ShownOffset(const AlignmentOffset& measured, const AlignmentOffset& before);

/// The number as shown: "+12.0 px", "-0.35°"; "-" when the offset was not measured.
QString OffsetText(const AlignmentOffset& offset, Axis axis);
/// Which way to turn the camera so that the live picture moves onto the reference, or "OK"
/// within the tolerance; empty when not measured.
///
/// A point of the reference shows in the live picture at c + R(angle)(p - c) + (dx, dy). Turning
/// a camera to the right moves what it sees to the left of its picture, tilting it down moves
/// the picture up, and rolling it clockwise (seen from behind, looking where it looks) turns the
/// picture anticlockwise. So content right of the reference (dx > 0) asks for a turn to the
/// right, content below it (dy > 0) for a tilt down, and content turned clockwise (angle > 0)
/// for a clockwise roll.
QString DirectionText(const AlignmentOffset& offset, Axis axis, bool korean);
/// "87 %", or "-" when not measured.
QString ConfidenceText(const AlignmentOffset& offset);

/// The scale as shown: "+1.2 %" (the live picture shows things larger), "-" when not measured.
QString ScaleText(const AlignmentOffset& offset);
/// "move back" when the live picture shows things larger (the camera is nearer than the
/// reference's), "move closer" when smaller, "OK" within kScaleTolerance; empty when not
/// measured.
QString DistanceText(const AlignmentOffset& offset, bool korean);
/// A figure with the given decimals, or "-" when it is not a number.
QString FigureText(double value, int decimals);

}  // namespace assist
