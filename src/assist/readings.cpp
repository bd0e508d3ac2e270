#include "assist/readings.h"

#include <cmath>

namespace assist {

double OffsetAlong(const AlignmentOffset& offset, Axis axis) {
    switch (axis) {
        case Axis::Horizontal:
            return offset.dx;
        case Axis::Vertical:
            return offset.dy;
        case Axis::Rotation:
            return offset.angle;
    }
    return 0.0;
}

bool WithinTolerance(Axis axis, double value) {
    return std::abs(value) <= (axis == Axis::Rotation ? kAngleTolerance : kShiftTolerancePx);
}

AlignmentOffset ShownOffset(const AlignmentOffset& measured, const AlignmentOffset& before) {
    if (!measured.measured) return measured;
    AlignmentOffset shown = measured;
    for (Axis axis : {Axis::Horizontal, Axis::Vertical, Axis::Rotation}) {
        const double unit = axis == Axis::Rotation ? 100.0 : 10.0;
        const double value = OffsetAlong(measured, axis);
        const double previous = OffsetAlong(before, axis);
        const bool keep = before.measured && std::abs(value - previous) < 0.75 / unit;
        const double figure = keep ? previous : std::round(value * unit) / unit;
        (axis == Axis::Horizontal ? shown.dx
         : axis == Axis::Vertical ? shown.dy
                                  : shown.angle) = figure;
    }
    return shown;
}

QString OffsetText(const AlignmentOffset& offset, Axis axis) {
    if (!offset.measured) return QStringLiteral("-");
    // Rounded first, so that a value that shows as zero carries no sign.
    const int decimals = axis == Axis::Rotation ? 2 : 1;
    const double unit = std::pow(10.0, decimals);
    const double value = std::round(OffsetAlong(offset, axis) * unit) / unit;
    const QString number = value == 0.0 ? QString::number(0.0, 'f', decimals)
                                        : QString::asprintf("%+.*f", decimals, value);
    return axis == Axis::Rotation ? number + QChar(0x00B0) : number + QStringLiteral(" px");
}

QString DirectionText(const AlignmentOffset& offset, Axis axis, bool korean) {
    if (!offset.measured) return {};
    const double value = OffsetAlong(offset, axis);
    if (WithinTolerance(axis, value)) return korean ? QStringLiteral("맞음") : QStringLiteral("OK");
    const bool positive = value > 0;
    // The camera is the object of every direction: "turn right" turns the camera.
    switch (axis) {
        case Axis::Horizontal:
            if (korean)
                return positive ? QStringLiteral("오른쪽으로 돌리세요")
                                : QStringLiteral("왼쪽으로 돌리세요");
            return positive ? QStringLiteral("turn right") : QStringLiteral("turn left");
        case Axis::Vertical:
            if (korean)
                return positive ? QStringLiteral("아래로 기울이세요")
                                : QStringLiteral("위로 기울이세요");
            return positive ? QStringLiteral("tilt down") : QStringLiteral("tilt up");
        case Axis::Rotation:
            if (korean)
                return positive ? QStringLiteral("시계 방향으로 돌리세요")
                                : QStringLiteral("반시계 방향으로 돌리세요");
            return positive ? QStringLiteral("roll clockwise")
                            : QStringLiteral("roll anticlockwise");
    }
    return {};
}

QString ConfidenceText(const AlignmentOffset& offset) {
    if (!offset.measured) return QStringLiteral("-");
    return QString::asprintf("%.0f %%", 100.0 * offset.confidence);
}

QString ScaleText(const AlignmentOffset& offset) {
    if (!offset.measured) return QStringLiteral("-");
    const double percent = std::round((offset.scale - 1.0) * 1000.0) / 10.0;
    return percent == 0.0 ? QStringLiteral("0.0 %") : QString::asprintf("%+.1f %%", percent);
}

QString DistanceText(const AlignmentOffset& offset, bool korean) {
    if (!offset.measured) return {};
    if (std::abs(offset.scale - 1.0) <= kScaleTolerance)
        return korean ? QStringLiteral("맞음") : QStringLiteral("OK");
    if (offset.scale > 1.0) return korean ? QStringLiteral("뒤로") : QStringLiteral("move back");
    return korean ? QStringLiteral("앞으로") : QStringLiteral("move closer");
}

QString FigureText(double value, int decimals) {
    if (!std::isfinite(value)) return QStringLiteral("-");
    return QString::number(value, 'f', decimals);
}

}  // namespace assist
