// Small deterministic random numbers for the simulated sensor: the same seed gives the same
// sequence on every run and every machine.
#pragma once

#include <cstdint>

namespace vantrel::sim {

// Mixes any number of integers into one well-spread 64-bit value.
constexpr uint64_t Mix(uint64_t x) {
    x += 0x9e3779b97f4a7c15ull;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
    return x ^ (x >> 31);
}
constexpr uint64_t Mix(uint64_t a, uint64_t b) {
    return Mix(Mix(a) ^ b);
}
constexpr uint64_t Mix(uint64_t a, uint64_t b, uint64_t c) {
    return Mix(Mix(a, b) ^ c);
}

// SplitMix64 stream.
class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed) {}

    uint64_t Next() {
        state_ += 0x9e3779b97f4a7c15ull;
        uint64_t z = state_;
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }

    // Approximately normal with mean 0 and standard deviation 1: a sum of four uniforms, which
    // is close enough for sensor noise and needs no transcendental functions.
    float Gaussian() {
        const uint64_t r = Next();
        const float sum = static_cast<float>((r & 0xffff) + ((r >> 16) & 0xffff) +
                                             ((r >> 32) & 0xffff) + (r >> 48));
        // Four uniforms on [0, 65536): mean 131070, variance 4 * 65536^2 / 12.
        constexpr float kMean = 2.0f * 65535.0f;
        constexpr float kInvStd = 1.0f / 37837.23f;
        return (sum - kMean) * kInvStd;
    }

private:
    uint64_t state_;
};

}  // namespace vantrel::sim
