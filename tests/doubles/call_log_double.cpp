#include "call_log_double.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "camlink/camlink_exports.h"
#include "test_double_api.h"

namespace vantrel::doubles {

namespace {

using testing::kReadFails;
using testing::kReadWrites;

void AppendToFile(const std::string& line) {
    const char* path = std::getenv("VANTREL_CALL_LOG");
    if (path == nullptr || *path == '\0') return;
    if (FILE* file = std::fopen(path, "a")) {
        std::fputs(line.c_str(), file);
        std::fputc('\n', file);
        std::fclose(file);
    }
}

template <typename Map, typename T>
bool Read(const Map& entries, const char* name, int slot, T* out) {
    if (name == nullptr) return false;
    const auto found = entries.find({name, slot});
    if (found == entries.end() || found->second.mode == kReadFails) return false;
    if (found->second.mode == kReadWrites && out != nullptr) *out = found->second.value;
    return true;
}

template <typename Map, typename T>
void Store(Map& entries, const char* name, int slot, T value) {
    if (name == nullptr) return;
    auto [entry, inserted] =
        entries.try_emplace({name, slot}, typename Map::mapped_type{value, kReadWrites});
    if (!inserted) entry->second.value = value;
}

}  // namespace

CallLogDouble& CallLogDouble::Instance() {
    static CallLogDouble instance;
    return instance;
}

void CallLogDouble::Reset() {
    log_.clear();
    ints_.clear();
    floats_.clear();
    startResult = 1;
    for (int slot = 0; slot < 4; ++slot) {
        for (const auto& [name, value] : {std::pair{"MinExposure", 10},
                                          {"MaxExposure", 100000},
                                          {"Exposure", 5000},
                                          {"MinGain", 1},
                                          {"MaxGain", 10},
                                          {"Gain", 2},
                                          {"FrameGrapped", 1}}) {
            ints_[{name, slot}] = {value, kReadWrites};
        }
        for (const auto& [name, value] : {std::pair{"Exposure", 5000.0f},
                                          {"ExposureTime", 5000.0f},
                                          {"Gain", 2.0f},
                                          {"Temperature", 40.0f}}) {
            floats_[{name, slot}] = {value, kReadWrites};
        }
        frames_[slot].assign(kFrameBytes, testing::DefaultFramePixel(slot));
    }
}

void CallLogDouble::Record(const std::string& line) {
    log_ += line;
    log_ += '\n';
    AppendToFile(line);
}

bool CallLogDouble::ReadInt(const char* name, int slot, int32_t* out) const {
    return Read(ints_, name, slot, out);
}

bool CallLogDouble::ReadFloat(const char* name, int slot, float* out) const {
    return Read(floats_, name, slot, out);
}

void CallLogDouble::ConfigureInt(const char* name, int slot, int32_t value, int mode) {
    if (name != nullptr) ints_[{name, slot}] = {value, mode};
}

void CallLogDouble::ConfigureFloat(const char* name, int slot, float value, int mode) {
    if (name != nullptr) floats_[{name, slot}] = {value, mode};
}

void CallLogDouble::StoreInt(const char* name, int slot, int32_t value) {
    Store(ints_, name, slot, value);
}

void CallLogDouble::StoreFloat(const char* name, int slot, float value) {
    Store(floats_, name, slot, value);
}

const uint8_t* CallLogDouble::Frame(int slot) const {
    if (slot < 0 || slot >= static_cast<int>(frames_.size()) || frames_[slot].empty()) {
        return nullptr;
    }
    return frames_[slot].data();
}

void CallLogDouble::SetFrame(int slot, const uint8_t* pixels) {
    if (slot < 0 || slot >= static_cast<int>(frames_.size())) return;
    if (pixels == nullptr) {
        frames_[slot].clear();
    } else {
        frames_[slot].assign(pixels, pixels + kFrameBytes);
    }
}

std::string Text(const char* name) {
    return name != nullptr ? name : "(null)";
}

std::string Text(float value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, result.ptr);
    if (text.find_first_of(".eni") == std::string::npos) text += ".0";
    return text;
}

}  // namespace vantrel::doubles

using vantrel::doubles::CallLogDouble;

extern "C" {

void TestDouble_Reset(void) {
    CallLogDouble::Instance().Reset();
}

const char* TestDouble_CallLog(void) {
    return CallLogDouble::Instance().log().c_str();
}

void TestDouble_SetInt(const char* name, int slot, int32_t value, int mode) {
    CallLogDouble::Instance().ConfigureInt(name, slot, value, mode);
}

void TestDouble_SetFloat(const char* name, int slot, float value, int mode) {
    CallLogDouble::Instance().ConfigureFloat(name, slot, value, mode);
}

void TestDouble_SetStartResult(int result) {
    CallLogDouble::Instance().startResult = result;
}

void TestDouble_SetFrameReady(int slot, int32_t value) {
    CallLogDouble::Instance().ConfigureInt("FrameGrapped", slot, value,
                                           vantrel::testing::kReadWrites);
}

void TestDouble_SetFrame(int slot, const uint8_t* pixels) {
    CallLogDouble::Instance().SetFrame(slot, pixels);
}

}  // extern "C"
