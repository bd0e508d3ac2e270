#include "genicam/values.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vantrel::genicam {

std::optional<int32_t> RoundToInt32(double value) {
    if (std::isnan(value)) return std::nullopt;
    constexpr double kLow = std::numeric_limits<int32_t>::min();
    constexpr double kHigh = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::round(std::clamp(value, kLow, kHigh)));
}

double ClampToBounds(double value, Bounds bounds) {
    return std::clamp(value, std::min(bounds.min, bounds.max), std::max(bounds.min, bounds.max));
}

int64_t NearestAccepted(double value, const IntRange& range) {
    if (range.max <= range.min) return range.min;
    // Unbounded integer features span the whole int64 range: count steps from min in long double
    // (exact for 64-bit integers here) and add them in unsigned arithmetic.
    const long double span = static_cast<long double>(range.max) - range.min;
    const long double step = static_cast<long double>(std::max<int64_t>(range.inc, 1));
    const long double offset = std::clamp(static_cast<long double>(value) - range.min, 0.0L, span);
    long double steps = std::round(offset / step);
    if (steps * step > span) steps -= 1;
    const uint64_t delta = static_cast<uint64_t>(steps) * static_cast<uint64_t>(step);
    return static_cast<int64_t>(static_cast<uint64_t>(range.min) + delta);
}

std::optional<double> ConvertGain(double value, GainUnit from, GainUnit to) {
    if (!std::isfinite(value) || from == GainUnit::kNone || to == GainUnit::kNone) {
        return std::nullopt;
    }
    if (from == to) return value;
    if (from == GainUnit::kDecibel && to == GainUnit::kFactor) return std::pow(10.0, value / 20.0);
    if (from == GainUnit::kFactor && to == GainUnit::kDecibel && value > 0.0) {
        return 20.0 * std::log10(value);
    }
    return std::nullopt;
}

}  // namespace vantrel::genicam
