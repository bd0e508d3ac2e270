#include <algorithm>
#include <cmath>
#include <vector>

#include "sim/scene.h"

namespace vantrel::sim {
namespace {

std::vector<float> GaussianKernel(float sigma) {
    const int radius = static_cast<int>(std::ceil(3.0f * sigma));
    std::vector<float> kernel(2 * radius + 1);
    float sum = 0.0f;
    for (int i = -radius; i <= radius; ++i) {
        kernel[i + radius] = std::exp(-0.5f * i * i / (sigma * sigma));
        sum += kernel[i + radius];
    }
    for (float& k : kernel) k /= sum;
    return kernel;
}

// Convolves count samples spaced stride apart in source with kernel, into target.
void Convolve(const float* source, float* target, int count, int stride,
              const std::vector<float>& kernel) {
    const int radius = static_cast<int>(kernel.size() / 2);
    for (int i = 0; i < count; ++i) {
        float sum = 0.0f;
        for (int k = -radius; k <= radius; ++k) {
            const int j = std::clamp(i + k, 0, count - 1);
            sum += kernel[k + radius] * source[j * stride];
        }
        target[i * stride] = sum;
    }
}

}  // namespace

void Defocus(std::span<float> image, float sigma) {
    if (!(sigma > 0.0f) || image.size() < static_cast<size_t>(kPixels)) return;
    const std::vector<float> kernel = GaussianKernel(sigma);
    std::vector<float> rows(kPixels);
    for (int y = 0; y < kHeight; ++y) {
        Convolve(image.data() + y * kWidth, rows.data() + y * kWidth, kWidth, 1, kernel);
    }
    for (int x = 0; x < kWidth; ++x) {
        Convolve(rows.data() + x, image.data() + x, kHeight, kWidth, kernel);
    }
}

}  // namespace vantrel::sim
