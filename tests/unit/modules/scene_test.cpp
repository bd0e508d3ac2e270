// The scene renderer behind the simulated cameras and the reference pictures.
#include "sim/scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

namespace vantrel::sim {
namespace {

double Mean(const std::vector<float>& image) {
    return std::accumulate(image.begin(), image.end(), 0.0) / image.size();
}

double GradientEnergy(const std::vector<float>& image) {
    double sum = 0.0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x + 1 < kWidth; ++x) {
            const double d = image[y * kWidth + x + 1] - image[y * kWidth + x];
            sum += d * d;
        }
    }
    return sum;
}

TEST(Scene, LeftHandedViewsMirrorTheRightHandedOnes) {
    for (const auto& [right, left] : {std::pair{0, 1}, std::pair{2, 3}}) {
        const Radiance r = RenderRadiance(right);
        const Radiance l = RenderRadiance(left);
        ASSERT_EQ(r.size(), static_cast<size_t>(kPixels));
        ASSERT_EQ(l.size(), static_cast<size_t>(kPixels));
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                ASSERT_EQ(l[y * kWidth + x], r[y * kWidth + kWidth - 1 - x])
                    << "slot " << left << " at " << x << "," << y;
            }
        }
    }
}

TEST(Scene, ViewsAreDimWithBrightFeaturesAndDistinct) {
    const Radiance side = RenderRadiance(0);
    const Radiance top = RenderRadiance(2);
    for (const Radiance* view : {&side, &top}) {
        EXPECT_GT(Mean(*view), 8.0);
        EXPECT_LT(Mean(*view), 70.0);
        const auto [low, high] = std::minmax_element(view->begin(), view->end());
        EXPECT_GE(*low, 0.0f);
        EXPECT_GT(*high, 150.0f) << "the spot or the panels";
        EXPECT_LT(*high, 255.0f) << "nothing saturates at the nominal exposure";
    }
    EXPECT_NE(side, top);
    EXPECT_EQ(RenderRadiance(0), side) << "deterministic";
}

TEST(Scene, BadSlotsGiveNothing) {
    EXPECT_TRUE(RenderRadiance(-1).empty());
    EXPECT_TRUE(RenderRadiance(4).empty());
    std::vector<uint8_t> frame(kPixels, 9);
    EXPECT_FALSE(RenderFrame(4, {}, frame));
    EXPECT_FALSE(RenderFrame(0, {}, std::span(frame).first(kPixels - 1)));
    EXPECT_TRUE(std::all_of(frame.begin(), frame.end(), [](uint8_t v) { return v == 9; }));
}

TEST(Scene, DefocusSoftensEdgesAndKeepsTheLight) {
    const Radiance sharp = RenderRadiance(2);
    Radiance unchanged = sharp;
    Defocus(unchanged, 0.0f);
    EXPECT_EQ(unchanged, sharp);

    Radiance slightly = sharp;
    Defocus(slightly, 0.8f);
    Radiance strongly = sharp;
    Defocus(strongly, 2.4f);
    EXPECT_LT(GradientEnergy(slightly), 0.8 * GradientEnergy(sharp));
    EXPECT_LT(GradientEnergy(strongly), 0.8 * GradientEnergy(slightly));
    EXPECT_NEAR(Mean(strongly), Mean(sharp), 0.005 * Mean(sharp));
}

TEST(Scene, RenderFrameFollowsSeedAndBrightness) {
    std::vector<uint8_t> a(kPixels), b(kPixels), c(kPixels), bright(kPixels);
    const FrameSettings settings{1.0f, 2.0f, 1.0f, 1.5f, 7};
    ASSERT_TRUE(RenderFrame(1, settings, a));
    ASSERT_TRUE(RenderFrame(1, settings, b));
    EXPECT_EQ(a, b);
    FrameSettings otherSeed = settings;
    otherSeed.seed = 8;
    ASSERT_TRUE(RenderFrame(1, otherSeed, c));
    EXPECT_NE(a, c);

    FrameSettings brighter = settings;
    brighter.brightness = 3.0f;
    ASSERT_TRUE(RenderFrame(1, brighter, bright));
    const double dim = std::accumulate(a.begin(), a.end(), 0.0) / kPixels;
    const double lit = std::accumulate(bright.begin(), bright.end(), 0.0) / kPixels;
    EXPECT_GT(lit, 2.5 * dim);
}

}  // namespace
}  // namespace vantrel::sim
