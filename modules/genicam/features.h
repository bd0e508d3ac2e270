// The camera values the program reads and sets, each through whichever GenICam feature the
// camera offers for it: the SFNC name first, then the older forms.
#pragma once

#include <array>
#include <optional>

#include "genicam/aravis.h"
#include "genicam/values.h"

namespace vantrel::genicam {

enum class Quantity {
    kExposure,     // ExposureTime, ExposureTimeAbs (microseconds)
    kGain,         // Gain, GainAbs, GainRaw
    kTemperature,  // DeviceTemperature, TemperatureAbs, Temperature (degrees Celsius), whatever
                   // sensor the camera's selector chooses now
};


class Features {
public:
    // Looks up, once, the feature the device offers for each quantity. The device must outlive
    // this object.
    explicit Features(ArvDevice* device);

    // Each fails, reporting the camera's error in *error, when the camera has no feature for the
    // quantity or the camera does not answer.
    std::optional<double> Value(Quantity quantity, Error* error) const;
    std::optional<Bounds> Limits(Quantity quantity, Error* error) const;
    // Sets the value nearest to value that the feature accepts; value must be finite.
    bool Set(Quantity quantity, double value, Error* error) const;
    // The feature chosen for the quantity, or null.
    const char* Name(Quantity quantity) const { return At(quantity).name; }
    GainUnit gainUnit() const { return gainUnit_; }

private:
    struct Entry {
        const char* name = nullptr;
        ArvGcNode* node = nullptr;
        bool integer = false;
    };
    const Entry& At(Quantity quantity) const { return entries_[static_cast<size_t>(quantity)]; }

    std::array<Entry, 3> entries_;
    GainUnit gainUnit_ = GainUnit::kNone;
};

}  // namespace vantrel::genicam
