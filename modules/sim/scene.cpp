#include "sim/scene.h"

#include <algorithm>
#include <cmath>

#include "sim/prng.h"
#include "sim/scenes.h"

namespace vantrel::sim {
namespace {

void MirrorRows(Radiance& image) {
    for (int y = 0; y < kHeight; ++y) {
        std::reverse(image.begin() + y * kWidth, image.begin() + (y + 1) * kWidth);
    }
}

}  // namespace

Radiance RenderRadiance(int slot) {
    Radiance image;
    switch (slot) {
        case 0:
        case 1:
            image = RenderSideView();
            break;
        case 2:
        case 3:
            image = RenderTopView();
            break;
        default:
            return image;
    }
    if (slot == 1 || slot == 3) MirrorRows(image);
    return image;
}

bool RenderFrame(int slot, const FrameSettings& settings, std::span<uint8_t> out) {
    if (out.size() < static_cast<size_t>(kPixels)) return false;
    Radiance image = RenderRadiance(slot);
    if (image.empty()) return false;
    Place(image, settings.pose);
    Defocus(image, settings.defocus);
    Rng rng(Mix(settings.seed, static_cast<uint64_t>(slot)));
    for (int i = 0; i < kPixels; ++i) {
        float value = image[i] * settings.brightness + settings.blackLevel;
        if (settings.noise > 0.0f) value += settings.noise * rng.Gaussian();
        out[i] = static_cast<uint8_t>(std::clamp(std::lround(value), 0L, 255L));
    }
    return true;
}

bool RenderReference(int slot, std::span<uint8_t> out) {
    // Each picture has its own noise, seeded by its place in the built-in block (RR, RT, LL, LT).
    static constexpr uint32_t kBlockIndex[4] = {0, 2, 1, 3};
    if (slot < 0 || slot > 3) return false;
    return RenderFrame(slot, {.noise = 1.0f, .seed = 20210127u + kBlockIndex[slot]}, out);
}

}  // namespace vantrel::sim
