#include "simcam/drift.h"

#include <cmath>
#include <numbers>

namespace vantrel::simcam {

namespace {
constexpr double kFocusPeriodFrames = 720.0;
constexpr float kSharpestSigma = 0.4f;
constexpr float kSoftestSigma = 2.4f;
constexpr double kStartTemperature = 35.0;
constexpr double kFinalTemperature = 48.0;
constexpr double kWarmUpFrames = 2400.0;
}  // namespace

int DefocusLevelAt(int slot, uint64_t frame) {
    const double phase = 2.0 * std::numbers::pi * static_cast<double>(frame) / kFocusPeriodFrames;
    const double swing = 0.5 - 0.5 * std::cos(phase + 1.7 * slot);
    return static_cast<int>(std::lround(swing * (kDefocusLevels - 1)));
}

float DefocusSigma(int level) {
    return kSharpestSigma + (kSoftestSigma - kSharpestSigma) * level / (kDefocusLevels - 1);
}

float TemperatureAt(int slot, uint64_t frames) {
    const double warmth = 1.0 - std::exp(-static_cast<double>(frames) / kWarmUpFrames);
    const double offset = slot >= 2 ? 0.5 : 0.0;
    return static_cast<float>(kStartTemperature + offset +
                              (kFinalTemperature - kStartTemperature) * warmth);
}

}  // namespace vantrel::simcam
