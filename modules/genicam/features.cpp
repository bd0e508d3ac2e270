#include "genicam/features.h"

#include <cmath>
#include <span>
#include <string_view>

namespace vantrel::genicam {

namespace {

std::span<const char* const> Candidates(Quantity quantity) {
    static constexpr const char* kExposure[] = {"ExposureTime", "ExposureTimeAbs"};
    static constexpr const char* kGain[] = {"Gain", "GainAbs", "GainRaw"};
    static constexpr const char* kTemperature[] = {"DeviceTemperature", "TemperatureAbs",
                                                   "Temperature"};
    switch (quantity) {
        case Quantity::kExposure:
            return kExposure;
        case Quantity::kGain:
            return kGain;
        case Quantity::kTemperature:
            return kTemperature;
    }
    return {};
}

bool Implemented(ArvGcNode* node) {
    if (node == nullptr || !ARV_IS_GC_FEATURE_NODE(node)) return false;
    if (!ARV_IS_GC_FLOAT(node) && !ARV_IS_GC_INTEGER(node)) return false;
    Error error;
    return arv_gc_feature_node_is_implemented(ARV_GC_FEATURE_NODE(node), error.out()) && !error;
}

bool Available(ArvGcNode* node) {
    Error error;
    return arv_gc_feature_node_is_available(ARV_GC_FEATURE_NODE(node), error.out()) && !error;
}

GainUnit UnitOf(const char* name, ArvGcNode* node) {
    if (node == nullptr) return GainUnit::kNone;
    if (std::string_view(name) == "GainRaw" || ARV_IS_GC_INTEGER(node)) return GainUnit::kSteps;
    // The standard states Gain in decibels; a camera that says otherwise names its unit.
    const char* unit = arv_gc_float_get_unit(ARV_GC_FLOAT(node));
    const std::string_view text = unit != nullptr ? unit : "";
    if (text.empty() || text == "dB") return GainUnit::kDecibel;
    if (text == "x" || text == "X" || text == "times" || text == "Times") return GainUnit::kFactor;
    return GainUnit::kSteps;
}

}  // namespace

Features::Features(ArvDevice* device) {
    for (const Quantity quantity : {Quantity::kExposure, Quantity::kGain, Quantity::kTemperature}) {
        // The first feature available now; failing that the first the camera has at all, as some
        // cameras make a feature available only in some modes (exposure with ExposureAuto off).
        Entry& entry = entries_[static_cast<size_t>(quantity)];
        for (const char* name : Candidates(quantity)) {
            ArvGcNode* node = arv_device_get_feature(device, name);
            if (!Implemented(node)) continue;
            const bool available = Available(node);
            if (entry.node == nullptr || available) {
                entry = {name, node, ARV_IS_GC_INTEGER(node) != 0};
            }
            if (available) break;
        }
    }
    const Entry& gain = At(Quantity::kGain);
    gainUnit_ = UnitOf(gain.name, gain.node);
}

std::optional<double> Features::Value(Quantity quantity, Error* error) const {
    const Entry& entry = At(quantity);
    if (entry.node == nullptr) return std::nullopt;
    const double value = entry.integer
                             ? static_cast<double>(arv_gc_integer_get_value(
                                   ARV_GC_INTEGER(entry.node), error->out()))
                             : arv_gc_float_get_value(ARV_GC_FLOAT(entry.node), error->out());
    if (*error) return std::nullopt;
    return value;
}

std::optional<Bounds> Features::Limits(Quantity quantity, Error* error) const {
    const Entry& entry = At(quantity);
    if (entry.node == nullptr) return std::nullopt;
    Bounds bounds{};
    if (entry.integer) {
        ArvGcInteger* integer = ARV_GC_INTEGER(entry.node);
        bounds.min = static_cast<double>(arv_gc_integer_get_min(integer, error->out()));
        if (*error) return std::nullopt;
        bounds.max = static_cast<double>(arv_gc_integer_get_max(integer, error->out()));
    } else {
        ArvGcFloat* number = ARV_GC_FLOAT(entry.node);
        bounds.min = arv_gc_float_get_min(number, error->out());
        if (*error) return std::nullopt;
        bounds.max = arv_gc_float_get_max(number, error->out());
    }
    if (*error) return std::nullopt;
    return bounds;
}

bool Features::Set(Quantity quantity, double value, Error* error) const {
    const Entry& entry = At(quantity);
    if (entry.node == nullptr || !std::isfinite(value)) return false;
    if (entry.integer) {
        ArvGcInteger* integer = ARV_GC_INTEGER(entry.node);
        IntRange range;
        range.min = arv_gc_integer_get_min(integer, error->out());
        if (*error) return false;
        range.max = arv_gc_integer_get_max(integer, error->out());
        if (*error) return false;
        range.inc = arv_gc_integer_get_inc(integer, error->out());
        if (*error) return false;
        arv_gc_integer_set_value(integer, NearestAccepted(value, range), error->out());
    } else {
        const std::optional<Bounds> bounds = Limits(quantity, error);
        if (!bounds) return false;
        arv_gc_float_set_value(ARV_GC_FLOAT(entry.node), ClampToBounds(value, *bounds),
                               error->out());
    }
    return !*error;
}

}  // namespace vantrel::genicam
