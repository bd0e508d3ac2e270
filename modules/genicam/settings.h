// The features the module writes on a camera. Every write goes through Settings, which keeps the
// value a feature had before the module first changed it, so that Restore leaves the camera as
// it was found: the sensor's own software finds its region, format, triggers and rate again.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "genicam/aravis.h"

namespace vantrel::genicam {

// A feature's value, in the form its type has: integer, float, boolean or enumeration entry.
using SettingValue = std::variant<int64_t, double, bool, std::string>;

class Settings {
public:
    // The device must outlive this object.
    explicit Settings(ArvDevice* device) : device_(device) {}

    // Each writes one feature the camera offers now, keeping its earlier value first, and says
    // whether the camera holds the value afterwards (a float within the camera's rounding);
    // *error receives the camera's own error. A value the feature holds already is not written.
    bool SetInteger(const char* feature, int64_t value, Error* error);
    bool SetFloat(const char* feature, double value, Error* error);
    bool SetBoolean(const char* feature, bool value, Error* error);
    // An enumeration entry, by name.
    bool SetEntry(const char* feature, const char* entry, Error* error);
    // A feature as a selector chooses it, such as TriggerMode for one TriggerSelector entry. The
    // selector keeps the entry afterwards; it is restored too.
    bool SetSelected(const char* selector, const char* entry, const char* feature,
                     const char* value, Error* error);

    // Keeps the value of a feature that is about to be written elsewhere (exposure and gain).
    void Keep(const char* feature) { KeepValue(feature, nullptr, nullptr); }

private:
    struct Kept;

public:
    // The kept values, to move to another Settings of the same camera.
    using Record = std::vector<Kept>;
    Record TakeRecord() { return std::exchange(kept_, {}); }
    // Takes over the values kept by an earlier Settings of this camera: they were found first
    // and stay what Restore writes back.
    void Adopt(Record record);

    // Writes every kept value back, the most recently kept first, then tries once more those the
    // camera refused (a width may fit only once the binning is back), and forgets them. Features
    // that fail are passed over; an error that means the camera is gone ends it, in *error.
    void Restore(Error* error);

private:
    using Value = SettingValue;
    struct Kept {
        std::string feature;
        std::string selector;  // empty for a feature without selector
        std::string entry;
        Value value;
    };

    // Keeps the current value of feature (under selector = entry, already selected) unless it is
    // kept already; false when the camera does not offer it or does not answer.
    bool KeepValue(const char* feature, const char* selector, const char* entry);
    // Writes feature, keeping its earlier value first (under selector = entry when given).
    bool Set(const char* feature, const Value& value, Error* error,
             const char* selector = nullptr, const char* entry = nullptr);
    bool Write(const Kept& kept, Error* error);

    ArvDevice* device_;
    std::vector<Kept> kept_;
};

}  // namespace vantrel::genicam
