// What tells the three simulated camera families apart: names, units and ranges of exposure and
// gain, and how a gain setting amplifies the signal.
#pragma once

namespace vantrel::simcam {

enum class GainScale {
    kLinear,    // the setting is the amplification
    kDecibel,   // amplification 10^(setting / 20)
    kRegister,  // raw register steps, amplification 1 + setting / 8
};

struct VendorProfile {
    const char* name;
    const char* model;
    const char* serialPrefix;  // the serial number of a camera is this plus its slot
    // Exposure in the vendor's unit; microsecondsPerUnit converts it.
    float minExposure;
    float maxExposure;
    float defaultExposure;
    float microsecondsPerUnit;
    float minGain;
    float maxGain;
    float defaultGain;
    GainScale gainScale;
};

inline constexpr VendorProfile kDalsaProfile{
    .name = "Teledyne DALSA",
    .model = "Simulated DALSA camera",
    .serialPrefix = "SIMD-",
    .minExposure = 10.0f,
    .maxExposure = 100000.0f,
    .defaultExposure = 10000.0f,
    .microsecondsPerUnit = 1.0f,
    .minGain = 1.0f,
    .maxGain = 10.0f,
    .defaultGain = 1.0f,
    .gainScale = GainScale::kLinear,
};
inline constexpr VendorProfile kVieworksProfile{
    .name = "Vieworks",
    .model = "Simulated Vieworks camera",
    .serialPrefix = "SIMV-",
    .minExposure = 25.0f,
    .maxExposure = 1000000.0f,
    .defaultExposure = 10000.0f,
    .microsecondsPerUnit = 1.0f,
    .minGain = 0.0f,
    .maxGain = 24.0f,
    .defaultGain = 0.0f,
    .gainScale = GainScale::kDecibel,
};
inline constexpr VendorProfile kHvProfile{
    .name = "HV",
    .model = "Simulated HV camera",
    .serialPrefix = "SIMH-",
    .minExposure = 1.0f,
    .maxExposure = 2000.0f,
    .defaultExposure = 10.0f,
    .microsecondsPerUnit = 1000.0f,
    .minGain = 0.0f,
    .maxGain = 63.0f,
    .defaultGain = 0.0f,
    .gainScale = GainScale::kRegister,
};

// Linear amplification of a gain setting.
float GainFactor(const VendorProfile& vendor, float gain);

// Exposure times gain relative to the nominal picture (10 ms at unit amplification).
float Brightness(const VendorProfile& vendor, float exposure, float gain);

// Standard deviation of the sensor noise in grey levels: read noise amplified by the gain.
float NoiseSigma(const VendorProfile& vendor, float gain);

}  // namespace vantrel::simcam
