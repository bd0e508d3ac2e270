#include "fault_plan.h"

#include <charconv>
#include <utility>

namespace vantrel::doubles {

namespace {

template <typename Number>
bool ParseNumber(std::string_view text, Number& value) {
    const char* end = text.data() + text.size();
    const auto [rest, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && rest == end;
}

// "mode@Feature" or "mode".
std::pair<std::string_view, std::string> SplitFeature(std::string_view value) {
    const size_t at = value.find('@');
    if (at == std::string_view::npos) return {value, ""};
    return {value.substr(0, at), std::string(value.substr(at + 1))};
}

bool ParseFloatFault(std::string_view mode, FloatFault& fault) {
    static const std::pair<std::string_view, FloatFault> kModes[] = {
        {"fail", FloatFault::kFail}, {"nan", FloatFault::kNan},
        {"inf", FloatFault::kInf},   {"-inf", FloatFault::kMinusInf},
        {"huge", FloatFault::kHuge}, {"-huge", FloatFault::kMinusHuge}};
    for (const auto& [name, value] : kModes) {
        if (mode == name) {
            fault = value;
            return true;
        }
    }
    return false;
}

// Applies one key=value item; returns an error text or "".
std::string Apply(std::string_view key, std::string_view value, FaultPlan& plan) {
    if (key == "start") {
        if (value == "fail-always")
            plan.start = StartFault::kFailAlways;
        else if (value == "alternate")
            plan.start = StartFault::kAlternate;
        else
            return "start wants fail-always or alternate";
    } else if (key == "ready") {
        if (value == "never")
            plan.ready = ReadyFault::kNever;
        else if (value == "flap")
            plan.ready = ReadyFault::kFlap;
        else if (ParseNumber(value, plan.readyValue))
            plan.ready = ReadyFault::kValue;
        else
            return "ready wants never, flap or an integer";
    } else if (key == "buffer") {
        if (value == "null")
            plan.buffer = BufferFault::kNull;
        else if (value == "moving")
            plan.buffer = BufferFault::kMoving;
        else
            return "buffer wants null or moving";
    } else if (key == "float") {
        const auto [mode, feature] = SplitFeature(value);
        FloatFault fault;
        if (!ParseFloatFault(mode, fault)) return "float wants fail, nan, inf, -inf, huge or -huge";
        plan.floats[feature] = fault;
    } else if (key == "int") {
        const auto [mode, feature] = SplitFeature(value);
        if (mode == "silent")
            plan.ints[feature] = IntFault::kSilent;
        else if (mode == "fail")
            plan.ints[feature] = IntFault::kFail;
        else
            return "int wants silent or fail";
    } else if (key == "delay") {
        if (!ParseNumber(value, plan.delayMs) || plan.delayMs < 0)
            return "delay wants milliseconds";
    } else if (key == "init-delay") {
        if (!ParseNumber(value, plan.initDelayMs) || plan.initDelayMs < 0)
            return "init-delay wants milliseconds";
    } else {
        return "unknown key";
    }
    return "";
}

}  // namespace

ParsedPlan ParseFaultPlan(std::string_view text) {
    ParsedPlan parsed;
    while (!text.empty()) {
        const size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        if (item.empty()) continue;
        const size_t equals = item.find('=');
        std::string error =
            equals == std::string_view::npos
                ? std::string("missing '='")
                : Apply(item.substr(0, equals), item.substr(equals + 1), parsed.plan);
        if (!error.empty()) return {FaultPlan{}, std::string(item) + ": " + error};
    }
    return parsed;
}

}  // namespace vantrel::doubles
