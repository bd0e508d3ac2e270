#include "sim/paint.h"

#include <algorithm>
#include <cmath>

#include "sim/prng.h"

namespace vantrel::sim::paint {
namespace {

float LatticeValue(int x, int y, uint32_t salt) {
    const uint64_t h = Mix(static_cast<uint32_t>(x), static_cast<uint32_t>(y), salt);
    return static_cast<float>(h >> 40) * (1.0f / 16777216.0f);
}

float Smooth(float t) {
    return t * t * (3.0f - 2.0f * t);
}

// Paints value over every pixel of the box [x0, x1) x [y0, y1) in proportion to the share of
// its 16 sample points for which inside(x, y) holds.
template <typename Inside>
void FillCovered(Radiance& image, float left, float top, float right, float bottom, float value,
                 Inside inside) {
    const int x0 = std::max(0, static_cast<int>(std::floor(left)));
    const int y0 = std::max(0, static_cast<int>(std::floor(top)));
    const int x1 = std::min(kWidth, static_cast<int>(std::ceil(right)) + 1);
    const int y1 = std::min(kHeight, static_cast<int>(std::ceil(bottom)) + 1);
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            int hits = 0;
            for (int sy = 0; sy < 4; ++sy) {
                for (int sx = 0; sx < 4; ++sx) {
                    hits += inside(x + (sx + 0.5f) / 4.0f, y + (sy + 0.5f) / 4.0f) ? 1 : 0;
                }
            }
            if (hits > 0) {
                float& pixel = At(image, x, y);
                pixel += (value - pixel) * (hits / 16.0f);
            }
        }
    }
}

}  // namespace

float ValueNoise(float x, float y, uint32_t salt) {
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const int ix = static_cast<int>(fx);
    const int iy = static_cast<int>(fy);
    const float tx = Smooth(x - fx);
    const float ty = Smooth(y - fy);
    const float top = std::lerp(LatticeValue(ix, iy, salt), LatticeValue(ix + 1, iy, salt), tx);
    const float bottom =
        std::lerp(LatticeValue(ix, iy + 1, salt), LatticeValue(ix + 1, iy + 1, salt), tx);
    return std::lerp(top, bottom, ty);
}

float Fractal(float x, float y, int octaves, uint32_t salt) {
    float sum = 0.0f;
    float weight = 1.0f;
    float total = 0.0f;
    for (int i = 0; i < octaves; ++i) {
        sum += weight * ValueNoise(x, y, salt + static_cast<uint32_t>(i));
        total += weight;
        x *= 2.0f;
        y *= 2.0f;
        weight *= 0.5f;
    }
    return sum / total;
}

float Grain(int x, int y, uint32_t salt) {
    return 2.0f * LatticeValue(x, y, salt ^ 0x5a5a) - 1.0f;
}

float Vignette(int x, int y, float strength) {
    const float dx = (x + 0.5f - kWidth / 2.0f) / (kWidth / 2.0f);
    const float dy = (y + 0.5f - kHeight / 2.0f) / (kWidth / 2.0f);
    // Normalised so that the corners reach 1 - strength.
    constexpr float kCorner = 1.0f + (480.0f * 480.0f) / (640.0f * 640.0f);
    const float r2 = (dx * dx + dy * dy) / kCorner;
    return 1.0f - strength * r2 * (2.0f - r2);
}

void FillConvex(Radiance& image, std::span<const Point> polygon, float value) {
    if (polygon.size() < 3) return;
    float left = polygon[0].x, right = left, top = polygon[0].y, bottom = top;
    float area = 0.0f;
    for (size_t i = 0; i < polygon.size(); ++i) {
        const Point a = polygon[i];
        const Point b = polygon[(i + 1) % polygon.size()];
        left = std::min(left, a.x);
        right = std::max(right, a.x);
        top = std::min(top, a.y);
        bottom = std::max(bottom, a.y);
        area += a.x * b.y - b.x * a.y;
    }
    const float orientation = area < 0.0f ? -1.0f : 1.0f;
    FillCovered(image, left, top, right, bottom, value, [&](float x, float y) {
        for (size_t i = 0; i < polygon.size(); ++i) {
            const Point a = polygon[i];
            const Point b = polygon[(i + 1) % polygon.size()];
            const float cross = (b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x);
            if (cross * orientation < 0.0f) return false;
        }
        return true;
    });
}

void FillRect(Radiance& image, float left, float top, float right, float bottom, float value) {
    const Point corners[] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
    FillConvex(image, corners, value);
}

void FillEllipse(Radiance& image, Point centre, float rx, float ry, float value) {
    FillCovered(image, centre.x - rx, centre.y - ry, centre.x + rx, centre.y + ry, value,
                [&](float x, float y) {
                    const float u = (x - centre.x) / rx;
                    const float v = (y - centre.y) / ry;
                    return u * u + v * v <= 1.0f;
                });
}

void AddGlow(Radiance& image, Point centre, float sigma, float peak) {
    const int reach = static_cast<int>(std::ceil(4.0f * sigma));
    const int x0 = std::max(0, static_cast<int>(centre.x) - reach);
    const int x1 = std::min(kWidth, static_cast<int>(centre.x) + reach + 1);
    const int y0 = std::max(0, static_cast<int>(centre.y) - reach);
    const int y1 = std::min(kHeight, static_cast<int>(centre.y) + reach + 1);
    const float k = -0.5f / (sigma * sigma);
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const float dx = x + 0.5f - centre.x;
            const float dy = y + 0.5f - centre.y;
            At(image, x, y) += peak * std::exp(k * (dx * dx + dy * dy));
        }
    }
}

}  // namespace vantrel::sim::paint
