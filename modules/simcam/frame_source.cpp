#include "simcam/frame_source.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// The walking figure: a dark body with a head, 120 x 440 pixels, its grey level at kFigure
// plus the frame's noise. It enters at the left when a period starts and has left at the right
// after kCrossingFrames frames.
constexpr int kFigureWidth = 120;
constexpr int kFigureHeight = 440;
constexpr int kFigure = 9;

void PaintFigure(uint64_t frame, int period, const int8_t* noise, uint8_t* pixels) {
    const uint64_t phase = frame % static_cast<uint64_t>(period);
    if (phase >= static_cast<uint64_t>(kCrossingFrames)) return;
    const int travel = sim::kWidth + kFigureWidth;
    const int left = -kFigureWidth + static_cast<int>(phase) * travel / kCrossingFrames;
    const int top = sim::kHeight - kFigureHeight;
    const int head = kFigureWidth / 4;  // radius
    for (int y = top; y < sim::kHeight; ++y) {
        for (int x = std::max(left, 0); x < std::min(left + kFigureWidth, sim::kWidth); ++x) {
            const int u = x - left - kFigureWidth / 2;
            const int v = y - top - head;
            // The head is a disc; the body below it a block a little narrower at the shoulders.
            const bool inHead = v < head && u * u + v * v <= head * head;
            const bool inBody =
                v >= head + 4 && std::abs(u) <= kFigureWidth / 2 - (v < 3 * head ? 8 : 0);
            if (!inHead && !inBody) continue;
            const int i = y * sim::kWidth + x;
            pixels[i] = static_cast<uint8_t>(std::clamp(kFigure + noise[i], 0, 255));
        }
    }
}

}  // namespace

uint8_t ExposePixel(uint16_t level, int8_t noise, uint32_t scale) {
    const int signal = static_cast<int>((level * scale) >> 16);
    return static_cast<uint8_t>(std::clamp(signal + kBlackLevel + noise, 0, 255));
}

void Expose(const uint16_t* __restrict levels, const int8_t* __restrict noise, uint32_t scale,
            uint8_t* __restrict pixels, int count) {
    int i = 0;
#if defined(__SSE2__)
    // The same sums sixteen pixels at a time in 16 bits. scale is below 65536, so
    // (level * scale) >> 16 is the high half of a 16-bit product. A signal above 512 gives
    // white whatever the noise, so it is capped there and the sum fits in 16 bits; the final
    // pack saturates to 0..255 as the clamp does.
    const __m128i factor = _mm_set1_epi16(static_cast<short>(scale));
    const __m128i black = _mm_set1_epi16(kBlackLevel);
    const __m128i cap = _mm_set1_epi16(512);
    auto sum = [&](__m128i level, __m128i noise16) {
        __m128i signal = _mm_mulhi_epu16(level, factor);
        signal = _mm_sub_epi16(signal, _mm_subs_epu16(signal, cap));  // min(signal, cap)
        return _mm_add_epi16(_mm_add_epi16(signal, black), noise16);
    };
    for (; i + 16 <= count; i += 16) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(levels + i));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(levels + i + 8));
        const __m128i grain = _mm_loadu_si128(reinterpret_cast<const __m128i*>(noise + i));
        // Sign-extends the noise bytes to 16 bits.
        const __m128i grainLow = _mm_srai_epi16(_mm_unpacklo_epi8(grain, grain), 8);
        const __m128i grainHigh = _mm_srai_epi16(_mm_unpackhi_epi8(grain, grain), 8);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels + i),
                         _mm_packus_epi16(sum(low, grainLow), sum(high, grainHigh)));
    }
#endif
    for (; i < count; ++i) pixels[i] = ExposePixel(levels[i], noise[i], scale);
}

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
    Expose(levels.data(), noise_.data() + offset, scale, out.data(), sim::kPixels);
    if (crossingPeriod_ > 0)
        PaintFigure(request.index, crossingPeriod_, noise_.data() + offset, out.data());
    return out.data();
}

void FrameSource::Prepare() {
    for (auto& level : levels_) level.resize(sim::kPixels);
    noise_.resize(sim::kPixels + kNoiseSlack);
    for (auto& buffer : buffers_) buffer.resize(sim::kPixels);
}

void FrameSource::Clear() {
    // Assigning empty vectors, not {}, so that their memory is freed.
    radiance_ = sim::Radiance();
    for (auto& level : levels_) level = std::vector<uint16_t>();
    rendered_ = {};
    noise_ = std::vector<int8_t>();
    noiseSigma_ = -1.0f;
    for (auto& buffer : buffers_) buffer = std::vector<uint8_t>();
    nextBuffer_ = 0;
}

void FrameSource::SetPose(const sim::Pose& pose) {
    if (pose == pose_) return;
    pose_ = pose;
    radiance_ = sim::Radiance();
    rendered_ = {};
}

const std::vector<uint16_t>& FrameSource::Levels(int defocusLevel) {
    std::vector<uint16_t>& levels = levels_[defocusLevel];
    if (rendered_[defocusLevel]) return levels;
    if (radiance_.empty()) {
        radiance_ = sim::RenderRadiance(slot_);
        sim::Place(radiance_, pose_);
    }
    sim::Radiance blurred = radiance_;
    sim::Defocus(blurred, DefocusSigma(defocusLevel));
    levels.resize(sim::kPixels);
    for (int i = 0; i < sim::kPixels; ++i) {
        const long level = std::lround(blurred[i] * kLevelScale);
        levels[i] = static_cast<uint16_t>(std::clamp(level, 0L, 65535L));
    }
    rendered_[defocusLevel] = true;
    // With every blur step rendered the sharp scene is not needed any more.
    if (std::find(rendered_.begin(), rendered_.end(), false) == rendered_.end())
        radiance_ = sim::Radiance();
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
