#include <algorithm>

#include "sim/paint.h"
#include "sim/scenes.h"

namespace vantrel::sim {
namespace {

using paint::At;

constexpr float kHorizon = 236.0f;  // the mat's far edge
constexpr float kScreenEdge = 610.0f;

float Wall(int x, int y) {
    const float blotches = paint::Fractal(x / 120.0f, y / 120.0f, 4, 11);
    const float shade = 0.75f + 0.25f * (y / kHorizon);
    return (19.0f + 10.0f * blotches) * shade + 0.8f * paint::Grain(x, y, 12);
}

// The mat is a plane seen at a grazing angle, so its texture shrinks toward the far edge.
float Mat(int x, int y) {
    const float rows = y + 0.5f - kHorizon;
    const float depth = 80.0f / (rows + 4.0f);
    const float across = (x - kWidth / 2.0f) * depth / 160.0f;
    const float turf = paint::Fractal(across * 3.0f, depth * 3.0f, 3, 23);
    const float nearness = 0.8f + 0.3f * std::min(1.0f, rows / 240.0f);
    return (10.0f + 7.0f * turf + 2.5f * paint::Grain(x, y, 24)) * nearness;
}

}  // namespace

Radiance RenderSideView() {
    Radiance image(kPixels);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            At(image, x, y) = y < kHorizon ? Wall(x, y) : Mat(x, y);
        }
    }
    paint::FillRect(image, 0.0f, kHorizon - 11.0f, kWidth, kHorizon - 3.0f, 31.0f);  // skirting
    paint::FillRect(image, 0.0f, kHorizon, kWidth, kHorizon + 2.0f, 36.0f);          // mat edge

    // The screen stands at the right; its dark bezel lines up with the right guide column.
    paint::FillRect(image, kScreenEdge - 5.0f, 0.0f, kScreenEdge, kHeight, 7.0f);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = static_cast<int>(kScreenEdge); x < kWidth; ++x) {
            At(image, x, y) = 54.0f + 12.0f * paint::Fractal(x / 40.0f, y / 200.0f, 2, 31) +
                              paint::Grain(x, y, 32);
        }
    }

    // The spot: a bright, slightly flattened disc with a halo, casting a short shadow.
    const paint::Point spot{318.0f, 262.0f};
    paint::FillEllipse(image, {spot.x + 7.0f, spot.y + 4.0f}, 13.0f, 2.5f, 5.0f);
    paint::FillEllipse(image, spot, 8.0f, 4.5f, 196.0f);
    paint::FillEllipse(image, {spot.x - 1.0f, spot.y - 1.0f}, 4.0f, 2.2f, 222.0f);
    paint::AddGlow(image, spot, 6.0f, 22.0f);

    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            At(image, x, y) *= paint::Vignette(x, y, 0.4f);
        }
    }
    return image;
}

}  // namespace vantrel::sim
