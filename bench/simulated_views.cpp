#include "simulated_views.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "sim/prng.h"

namespace bench {

namespace sim = vantrel::sim;

cv::Mat ReferencePicture(int slot) {
    cv::Mat picture(sim::kHeight, sim::kWidth, CV_8UC1);
    sim::RenderReference(slot, std::span(picture.data, sim::kPixels));
    return picture;
}

cv::Mat LivePicture(const sim::Radiance& scene, const sim::Pose& pose, float sigma, float gain,
                    float exposure, uint64_t seed) {
    sim::Radiance image = scene;
    sim::Place(image, pose);
    sim::Defocus(image, sigma);
    sim::Rng rng(seed);
    const float noise = 0.6f + 0.6f * gain;
    cv::Mat picture(sim::kHeight, sim::kWidth, CV_8UC1);
    for (int i = 0; i < sim::kPixels; ++i) {
        const float value = image[i] * exposure * gain + 2.0f + noise * rng.Gaussian();
        picture.data[i] = static_cast<uint8_t>(std::clamp(std::lround(value), 0L, 255L));
    }
    return picture;
}

}  // namespace bench
