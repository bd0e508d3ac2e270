// The simulated cameras' exposure step: the sixteen-pixel path must give exactly what the
// per-pixel formula gives, for every scene level, every noise value and scales up to the top.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "simcam/frame_source.h"

namespace {

using vantrel::simcam::Expose;
using vantrel::simcam::ExposePixel;

TEST(SimulatedExposure, MatchesThePixelFormulaEverywhere) {
    // Every level once; an odd count so that the tail after the last group of sixteen is used.
    constexpr int kCount = 65536 + 13;
    std::vector<uint16_t> levels(kCount);
    for (int i = 0; i < kCount; ++i) levels[i] = static_cast<uint16_t>(i * 40503u);
    std::vector<int8_t> noise(kCount);
    std::vector<uint8_t> pixels(kCount);

    std::mt19937 random(7);
    std::vector<uint32_t> scales = {0, 1, 255, 256, 257, 4095, 32767, 32768, 32769, 65534, 65535};
    for (int i = 0; i < 20; ++i) scales.push_back(random() % 65536);

    for (const uint32_t scale : scales) {
        // Each level meets a different noise value for each scale, all 256 of them in turn.
        for (int i = 0; i < kCount; ++i)
            noise[i] = static_cast<int8_t>(static_cast<uint8_t>(i * 7 + scale));
        Expose(levels.data(), noise.data(), scale, pixels.data(), kCount);
        int mismatches = 0;
        for (int i = 0; i < kCount; ++i) {
            if (pixels[i] != ExposePixel(levels[i], noise[i], scale) && ++mismatches <= 5)
                ADD_FAILURE() << "scale " << scale << " level " << levels[i] << " noise "
                              << int{noise[i]} << ": " << int{pixels[i]} << " instead of "
                              << int{ExposePixel(levels[i], noise[i], scale)};
        }
        EXPECT_EQ(mismatches, 0) << "scale " << scale;
    }
}

TEST(SimulatedExposure, PixelFormulaClampsAtBothEnds) {
    EXPECT_EQ(ExposePixel(0, -128, 256), 0);
    EXPECT_EQ(ExposePixel(0, 0, 256), 2);  // the black level
    EXPECT_EQ(ExposePixel(100 * 256, 0, 256), 102);
    EXPECT_EQ(ExposePixel(65535, 127, 65535), 255);
    EXPECT_EQ(ExposePixel(65535, -128, 65535), 255);  // far above white, whatever the noise
}

}  // namespace
