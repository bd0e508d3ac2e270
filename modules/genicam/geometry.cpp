#include "genicam/geometry.h"

#include <algorithm>

#include "camlink/camlink_exports.h"

namespace vantrel::genicam {

bool IntRange::Contains(int64_t value) const {
    return inc > 0 && value >= min && value <= max &&
           (static_cast<uint64_t>(value) - static_cast<uint64_t>(min)) %
                   static_cast<uint64_t>(inc) ==
               0;
}

int64_t AlignDown(int64_t value, const IntRange& range) {
    if (range.max < range.min || value <= range.min) return range.min;
    const uint64_t step = static_cast<uint64_t>(std::max<int64_t>(range.inc, 1));
    const uint64_t above =
        static_cast<uint64_t>(std::min(value, range.max)) - static_cast<uint64_t>(range.min);
    return static_cast<int64_t>(static_cast<uint64_t>(range.min) + above / step * step);
}

std::vector<Geometry> GeometryCandidates(const SensorLayout& sensor) {
    std::vector<Geometry> candidates;
    if (sensor.width < kFrameWidth || sensor.height < kFrameHeight) return candidates;
    const int64_t strongest = std::min(sensor.width / kFrameWidth, sensor.height / kFrameHeight);
    for (int64_t binning = strongest; binning >= 1; --binning) {
        const bool offered = sensor.binningX.Contains(binning) && sensor.binningY.Contains(binning);
        if (!offered && binning > 1) continue;
        candidates.push_back({binning, (sensor.width / binning - kFrameWidth) / 2,
                              (sensor.height / binning - kFrameHeight) / 2});
    }
    return candidates;
}

double FieldOfViewShare(const SensorLayout& sensor, const Geometry& geometry) {
    if (sensor.width <= 0 || sensor.height <= 0) return 0.0;
    const double width = std::min(static_cast<double>(sensor.width),
                                  static_cast<double>(sensor.height) * kFrameWidth / kFrameHeight);
    const double shown = static_cast<double>(kFrameWidth) * static_cast<double>(geometry.binning);
    return std::min(1.0, shown / width * (shown / width));
}

}  // namespace vantrel::genicam
