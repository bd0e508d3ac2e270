#include "genicam/settings.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "genicam/access.h"

namespace vantrel::genicam {

namespace {

using Value = SettingValue;

// The value of a feature node in the form its type has; nothing for a type the module never
// writes (commands, registers) or a camera that does not answer.
std::optional<Value> Read(ArvGcNode* node, Error* error) {
    if (ARV_IS_GC_ENUMERATION(node)) {
        const char* entry =
            arv_gc_enumeration_get_string_value(ARV_GC_ENUMERATION(node), error->out());
        if (*error || entry == nullptr) return std::nullopt;
        return Value(std::string(entry));
    }
    if (ARV_IS_GC_BOOLEAN(node)) {
        const bool value = arv_gc_boolean_get_value(ARV_GC_BOOLEAN(node), error->out());
        if (*error) return std::nullopt;
        return Value(value);
    }
    if (ARV_IS_GC_INTEGER(node)) {
        const int64_t value = arv_gc_integer_get_value(ARV_GC_INTEGER(node), error->out());
        if (*error) return std::nullopt;
        return Value(value);
    }
    if (ARV_IS_GC_FLOAT(node)) {
        const double value = arv_gc_float_get_value(ARV_GC_FLOAT(node), error->out());
        if (*error) return std::nullopt;
        return Value(value);
    }
    if (ARV_IS_GC_STRING(node)) {
        const char* text = arv_gc_string_get_value(ARV_GC_STRING(node), error->out());
        if (*error || text == nullptr) return std::nullopt;
        return Value(std::string(text));
    }
    return std::nullopt;
}

// Writes value in the form Read gave it for this node.
void WriteValue(ArvGcNode* node, const Value& value, Error* error) {
    if (const auto* text = std::get_if<std::string>(&value)) {
        if (ARV_IS_GC_ENUMERATION(node)) {
            arv_gc_enumeration_set_string_value(ARV_GC_ENUMERATION(node), text->c_str(),
                                                error->out());
        } else {
            arv_gc_string_set_value(ARV_GC_STRING(node), text->c_str(), error->out());
        }
    } else if (const auto* flag = std::get_if<bool>(&value)) {
        arv_gc_boolean_set_value(ARV_GC_BOOLEAN(node), *flag, error->out());
    } else if (const auto* integer = std::get_if<int64_t>(&value)) {
        arv_gc_integer_set_value(ARV_GC_INTEGER(node), *integer, error->out());
    } else {
        arv_gc_float_set_value(ARV_GC_FLOAT(node), std::get<double>(value), error->out());
    }
}

// Whether a value read back is the one written: floats may come back rounded to the camera's
// own resolution.
bool Holds(const Value& read, const Value& wanted) {
    const auto* got = std::get_if<double>(&read);
    const auto* want = std::get_if<double>(&wanted);
    if (got != nullptr && want != nullptr) {
        return std::abs(*got - *want) <= 1e-3 * std::max(1.0, std::abs(*want));
    }
    return read == wanted;
}

}  // namespace

bool Settings::KeepValue(const char* feature, const char* selector, const char* entry) {
    const std::string selectorName = selector != nullptr ? selector : "";
    const std::string entryName = entry != nullptr ? entry : "";
    const bool known = std::any_of(kept_.begin(), kept_.end(), [&](const Kept& kept) {
        return kept.feature == feature && kept.selector == selectorName && kept.entry == entryName;
    });
    if (known) return true;
    ArvGcNode* node = AvailableNode(device_, feature);
    if (node == nullptr) return false;
    Error error;
    std::optional<Value> value = Read(node, &error);
    if (!value) return false;
    kept_.push_back({feature, selectorName, entryName, std::move(*value)});
    return true;
}

bool Settings::Set(const char* feature, const Value& value, Error* error, const char* selector,
                   const char* entry) {
    ArvGcNode* node = AvailableNode(device_, feature);
    if (node == nullptr) return false;
    const std::optional<Value> current = Read(node, error);
    if (!current || current->index() != value.index()) return false;
    if (Holds(*current, value)) return true;
    KeepValue(feature, selector, entry);
    WriteValue(node, value, error);
    if (*error) return false;
    const std::optional<Value> now = Read(node, error);
    return now && Holds(*now, value);
}

bool Settings::SetInteger(const char* feature, int64_t value, Error* error) {
    return Set(feature, Value(value), error);
}

bool Settings::SetFloat(const char* feature, double value, Error* error) {
    return Set(feature, Value(value), error);
}

bool Settings::SetBoolean(const char* feature, bool value, Error* error) {
    return Set(feature, Value(value), error);
}

bool Settings::SetEntry(const char* feature, const char* entry, Error* error) {
    return Set(feature, Value(std::string(entry)), error);
}

bool Settings::SetSelected(const char* selector, const char* entry, const char* feature,
                           const char* value, Error* error) {
    return SetEntry(selector, entry, error) &&
           Set(feature, Value(std::string(value)), error, selector, entry);
}

bool Settings::Write(const Kept& kept, Error* error) {
    if (!kept.selector.empty()) {
        ArvGcNode* selector = AvailableNode(device_, kept.selector.c_str());
        if (selector == nullptr) return false;
        WriteValue(selector, Value(kept.entry), error);
        if (*error) return false;
    }
    ArvGcNode* node = AvailableNode(device_, kept.feature.c_str());
    if (node == nullptr) return false;
    WriteValue(node, kept.value, error);
    return !*error;
}

void Settings::Adopt(Record record) {
    for (Kept& kept : kept_) {
        const bool known = std::any_of(record.begin(), record.end(), [&](const Kept& found) {
            return found.feature == kept.feature && found.selector == kept.selector &&
                   found.entry == kept.entry;
        });
        if (!known) record.push_back(std::move(kept));
    }
    kept_ = std::move(record);
}

void Settings::Restore(Error* error) {
    bool gone = false;
    const auto put = [&](const Kept& kept) {
        if (gone) return false;
        if (Write(kept, error)) return true;
        gone = error->MeansDisconnected();
        return false;
    };
    std::vector<const Kept*> refused;
    for (auto kept = kept_.rbegin(); kept != kept_.rend(); ++kept) {
        if (!put(*kept)) refused.push_back(&*kept);
    }
    bool reselected = false;
    for (const Kept* kept : refused) {
        put(*kept);
        reselected = reselected || !kept->selector.empty();
    }
    // The second try at a selected feature moved its selector again: put the selectors back.
    for (auto kept = kept_.rbegin(); reselected && kept != kept_.rend(); ++kept) {
        const bool selects = std::any_of(kept_.begin(), kept_.end(), [&](const Kept& other) {
            return other.selector == kept->feature;
        });
        if (selects) put(*kept);
    }
    kept_.clear();
}

}  // namespace vantrel::genicam
