// The faults the faulty camera-link module injects, parsed from VANTREL_FAULTS (see
// faulty_api.h for the syntax).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel::doubles {

enum class StartFault { kNone, kFailAlways, kAlternate };
enum class ReadyFault { kNone, kNever, kFlap, kValue };
enum class BufferFault { kNone, kNull, kMoving };
enum class FloatFault { kFail, kNan, kInf, kMinusInf, kHuge, kMinusHuge };
enum class IntFault { kSilent, kFail };

struct FaultPlan {
    StartFault start = StartFault::kNone;
    ReadyFault ready = ReadyFault::kNone;
    int32_t readyValue = 0;  // with ReadyFault::kValue
    BufferFault buffer = BufferFault::kNone;
    // Keyed by feature name; "" applies to every feature without an entry of its own.
    std::map<std::string, FloatFault> floats;
    std::map<std::string, IntFault> ints;
    int delayMs = 0;
    int initDelayMs = 0;  // InitDevice alone, on top of delayMs

    template <typename Fault>
    static std::optional<Fault> For(const std::map<std::string, Fault>& faults, const char* name) {
        if (name) {
            const auto own = faults.find(name);
            if (own != faults.end()) return own->second;
        }
        const auto every = faults.find("");
        if (every != faults.end()) return every->second;
        return std::nullopt;
    }
};

struct ParsedPlan {
    FaultPlan plan;
    std::string error;  // empty when the text parsed; the plan is then healthy
};

ParsedPlan ParseFaultPlan(std::string_view text);

}  // namespace vantrel::doubles
