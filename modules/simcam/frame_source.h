// Produces the frames of one simulated camera position cheaply: the scene is rendered once and
// each blur step once; a frame is then one multiplication per pixel for exposure and gain plus a
// slice of a precomputed noise table.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "sim/scene.h"
#include "simcam/drift.h"

namespace vantrel::simcam {

// Frames a figure walking through the view takes to cross it.
inline constexpr int kCrossingFrames = 40;

struct FrameRequest {
    uint64_t index;    // frames delivered before this one
    float brightness;  // exposure times gain, relative to the nominal picture
    float noiseSigma;  // grey levels
    uint64_t seed;
};

// One pixel of a frame: the blurred scene level (1/256 grey) times scale (8.8 fixed point,
// below 65536), plus the black level and the noise, clamped to 0..255.
uint8_t ExposePixel(uint16_t level, int8_t noise, uint32_t scale);

// ExposePixel over count pixels, sixteen at a time where the processor allows.
void Expose(const uint16_t* levels, const int8_t* noise, uint32_t scale, uint8_t* pixels,
            int count);

class FrameSource {
public:
    explicit FrameSource(int slot) : slot_(slot) {}

    // Renders the frame into the buffer that was not returned last time and returns it. A
    // returned buffer is overwritten by the second call after the one that returned it.
    const uint8_t* Produce(const FrameRequest& request);

    // Takes now the memory that the blur steps, the noise and the frames will need, so that a
    // running camera does not grow while the focus drifts through the blur steps; each step is
    // rendered when the focus first reaches it.
    void Prepare();

    // Frees the buffers and every cached table.
    void Clear();

    // Mounts the camera at pose; its frames show the scene moved accordingly. A new pose
    // discards the blur steps rendered so far.
    void SetPose(const sim::Pose& pose);

    // Lets a dark figure, about a fifth of the picture, walk through the view from left to
    // right once every period frames, taking kCrossingFrames of them; 0: never.
    void SetCrossing(int period) { crossingPeriod_ = period; }

private:
    const std::vector<uint16_t>& Levels(int defocusLevel);
    void PrepareNoise(float sigma, uint64_t seed);

    int slot_;
    sim::Pose pose_;
    int crossingPeriod_ = 0;
    sim::Radiance radiance_;
    // Scene after each blur step, in 1/256 of a grey level, once rendered.
    std::array<std::vector<uint16_t>, kDefocusLevels> levels_;
    std::array<bool, kDefocusLevels> rendered_{};
    std::vector<int8_t> noise_;
    float noiseSigma_ = -1.0f;
    uint64_t noiseSeed_ = 0;
    std::array<std::vector<uint8_t>, 2> buffers_;
    int nextBuffer_ = 0;
};

}  // namespace vantrel::simcam
