#include <algorithm>
#include <cmath>
#include <numbers>

#include "sim/scene.h"

namespace vantrel::sim {
namespace {

constexpr float kCentreX = (kWidth - 1) / 2.0f;
constexpr float kCentreY = (kHeight - 1) / 2.0f;

// Keys' cubic convolution weights (a = -1/2) of the four samples around a point t past the
// second of them.
void CubicWeights(float t, float (&w)[4]) {
    const float t2 = t * t;
    const float t3 = t2 * t;
    w[0] = -0.5f * t3 + t2 - 0.5f * t;
    w[1] = 1.5f * t3 - 2.5f * t2 + 1.0f;
    w[2] = -1.5f * t3 + 2.0f * t2 + 0.5f * t;
    w[3] = 0.5f * t3 - 0.5f * t2;
}

float Sample(const Radiance& image, float x, float y) {
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    float wx[4], wy[4];
    CubicWeights(x - fx, wx);
    CubicWeights(y - fy, wy);
    const int x0 = static_cast<int>(fx) - 1;
    const int y0 = static_cast<int>(fy) - 1;
    float sum = 0.0f;
    for (int j = 0; j < 4; ++j) {
        const float* row = image.data() + std::clamp(y0 + j, 0, kHeight - 1) * kWidth;
        float line = 0.0f;
        for (int i = 0; i < 4; ++i) line += wx[i] * row[std::clamp(x0 + i, 0, kWidth - 1)];
        sum += wy[j] * line;
    }
    return sum;
}

}  // namespace

void Place(Radiance& image, const Pose& pose) {
    if (pose.IsIdentity() || image.size() < static_cast<size_t>(kPixels)) return;
    // Each pixel q of the moved picture shows the scene at T^-1(q) = c + R(-angle) (q - c - d).
    const double radians = pose.angle * std::numbers::pi / 180.0;
    const float cosine = static_cast<float>(std::cos(radians));
    const float sine = static_cast<float>(std::sin(radians));
    const Radiance scene = image;
    for (int y = 0; y < kHeight; ++y) {
        const float v = y - kCentreY - pose.dy;
        for (int x = 0; x < kWidth; ++x) {
            const float u = x - kCentreX - pose.dx;
            const float sx = kCentreX + cosine * u + sine * v;
            const float sy = kCentreY - sine * u + cosine * v;
            // Far outside the scene every sample is an edge pixel; keep the coordinates small.
            image[y * kWidth + x] = Sample(scene, std::clamp(sx, -4.0f, kWidth + 4.0f),
                                           std::clamp(sy, -4.0f, kHeight + 4.0f));
        }
    }
}

}  // namespace vantrel::sim
