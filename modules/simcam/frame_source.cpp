#include "simcam/frame_source.h"

#include <algorithm>
#include <cmath>

#include "sim/prng.h"

namespace vantrel::simcam {

namespace {

// The blurred scenes keep 1/256 of a grey level; a frame scales them by brightness in 8.8 fixed
// point, which leaves brightness below 256 (beyond that every lit pixel is white anyway).
constexpr float kLevelScale = 256.0f;
constexpr float kMaxBrightness = 65535.0f / kLevelScale;
constexpr int kBlackLevel = 2;
// The noise of a frame is a window into this table at a random offset below kNoiseSlack.
constexpr int kNoiseSlack = 65536;

// Kept free of table look-ups and of aliasing so that the compiler vectorises it.
void Expose(const uint16_t* __restrict levels, const int8_t* __restrict noise, uint32_t scale,
            uint8_t* __restrict pixels) {
    for (int i = 0; i < sim::kPixels; ++i) {
        const int signal = static_cast<int>((levels[i] * scale) >> 16);
        pixels[i] = static_cast<uint8_t>(std::clamp(signal + kBlackLevel + noise[i], 0, 255));
    }
}

}  // namespace

const uint8_t* FrameSource::Produce(const FrameRequest& request) {
    const std::vector<uint16_t>& levels = Levels(DefocusLevelAt(slot_, request.index));
    PrepareNoise(request.noiseSigma, request.seed);

    std::vector<uint8_t>& out = buffers_[nextBuffer_];
    out.resize(sim::kPixels);
    nextBuffer_ ^= 1;

    const size_t offset =
        sim::Mix(request.seed, static_cast<uint64_t>(slot_), request.index) % kNoiseSlack;
    const float brightness = std::clamp(request.brightness, 0.0f, kMaxBrightness);
    const auto scale = static_cast<uint32_t>(std::lround(brightness * kLevelScale));
    Expose(levels.data(), noise_.data() + offset, scale, out.data());
    return out.data();
}

void FrameSource::Clear() {
    radiance_ = {};
    for (auto& level : levels_) level = {};
    noise_ = {};
    noiseSigma_ = -1.0f;
    for (auto& buffer : buffers_) buffer = {};
    nextBuffer_ = 0;
}

const std::vector<uint16_t>& FrameSource::Levels(int defocusLevel) {
    std::vector<uint16_t>& levels = levels_[defocusLevel];
    if (!levels.empty()) return levels;
    if (radiance_.empty()) radiance_ = sim::RenderRadiance(slot_);
    sim::Radiance blurred = radiance_;
    sim::Defocus(blurred, DefocusSigma(defocusLevel));
    levels.resize(sim::kPixels);
    for (int i = 0; i < sim::kPixels; ++i) {
        const long level = std::lround(blurred[i] * kLevelScale);
        levels[i] = static_cast<uint16_t>(std::clamp(level, 0L, 65535L));
    }
    return levels;
}

void FrameSource::PrepareNoise(float sigma, uint64_t seed) {
    if (sigma == noiseSigma_ && seed == noiseSeed_) return;
    noise_.resize(sim::kPixels + kNoiseSlack);
    sim::Rng rng(sim::Mix(seed, static_cast<uint64_t>(slot_) + 100));
    for (int8_t& n : noise_) {
        const long value = std::lround(sigma * rng.Gaussian());
        n = static_cast<int8_t>(std::clamp(value, -127L, 127L));
    }
    noiseSigma_ = sigma;
    noiseSeed_ = seed;
}

}  // namespace vantrel::simcam
