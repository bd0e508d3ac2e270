// State behind the call-log camera-link double: the log of calls and what reads answer.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace vantrel::doubles {

class CallLogDouble {
public:
    static CallLogDouble& Instance();

    void Reset();
    void Record(const std::string& line);
    const std::string& log() const { return log_; }

    // Reads return whether they succeed and write *out per the entry's mode.
    bool ReadInt(const char* name, int slot, int32_t* out) const;
    bool ReadFloat(const char* name, int slot, float* out) const;
    void ConfigureInt(const char* name, int slot, int32_t value, int mode);
    void ConfigureFloat(const char* name, int slot, float value, int mode);
    // Sets from the code under test keep the entry's mode, or make it readable when new.
    void StoreInt(const char* name, int slot, int32_t value);
    void StoreFloat(const char* name, int slot, float value);

    int startResult = 1;

    const uint8_t* Frame(int slot) const;
    void SetFrame(int slot, const uint8_t* pixels);

private:
    CallLogDouble() { Reset(); }

    template <typename T>
    struct Entry {
        T value;
        int mode;
    };
    using Key = std::pair<std::string, int>;

    std::string log_;
    std::map<Key, Entry<int32_t>> ints_;
    std::map<Key, Entry<float>> floats_;
    std::array<std::vector<uint8_t>, 4> frames_;
};

// "3", "-1" for ints; "12.0", "0.25" for floats; "(null)" for a null name.
std::string Text(const char* name);
std::string Text(float value);

}  // namespace vantrel::doubles
