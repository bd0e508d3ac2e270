#include "simcam/vendor.h"

#include <cmath>

namespace vantrel::simcam {

namespace {
constexpr float kNominalExposureUs = 10000.0f;
}

float GainFactor(const VendorProfile& vendor, float gain) {
    switch (vendor.gainScale) {
        case GainScale::kLinear:
            return gain;
        case GainScale::kDecibel:
            return std::pow(10.0f, gain / 20.0f);
        case GainScale::kRegister:
            return 1.0f + gain / 8.0f;
    }
    return 1.0f;
}

float Brightness(const VendorProfile& vendor, float exposure, float gain) {
    return exposure * vendor.microsecondsPerUnit / kNominalExposureUs * GainFactor(vendor, gain);
}

float NoiseSigma(const VendorProfile& vendor, float gain) {
    return 0.6f + 0.6f * GainFactor(vendor, gain);
}

}  // namespace vantrel::simcam
