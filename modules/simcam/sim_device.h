// The simulated device behind a camera-link module: four camera positions, of which the started
// pair delivers frames, with exposure, gain, temperature and frame state as named features.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "simcam/frame_source.h"
#include "simcam/vendor.h"

namespace vantrel::simcam {

class SimDevice {
public:
    explicit SimDevice(const VendorProfile& vendor);

    const VendorProfile& vendor() const { return vendor_; }

    // The first Init after construction or Release opens the device with the vendor's default
    // settings and reads the noise seed from VANTREL_SIM_SEED and the cameras' mounting from
    // VANTREL_SIM_POSE; later ones keep the settings.
    bool Init();
    // pair 0 starts positions 0 and 2, pair 1 positions 1 and 3; any other value fails.
    bool Start(int pair);
    bool Stop();
    // Forgets settings, frame counts and every buffer.
    bool Release();

    // Feature access. Every call fails, leaving out values untouched, before Init, for a slot
    // outside 0..3, for a null pointer and for a name the feature does not answer in that form.
    bool GetInt(const char* name, int slot, int32_t* value) const;
    bool GetFloat(const char* name, int slot, float* value) const;
    bool SetInt(const char* name, int slot, int32_t value);
    bool SetFloat(const char* name, int slot, float value);
    bool GetString(const char* name, int slot, char* buffer, int32_t size) const;

    // The next frame of a started position, or null.
    const uint8_t* NextFrame(int slot);

private:
    struct Camera {
        float exposure;
        float gain;
        uint64_t frames;
    };

    bool Accepts(const char* name, int slot) const;
    bool Running(int slot) const;
    void ResetCameras();

    const VendorProfile& vendor_;
    bool open_ = false;
    int startedPair_ = -1;
    uint64_t seed_ = 0;
    std::array<Camera, 4> cameras_{};
    std::array<FrameSource, 4> sources_{FrameSource(0), FrameSource(1), FrameSource(2),
                                        FrameSource(3)};
};

// The noise seed: VANTREL_SIM_SEED when it holds an unsigned decimal integer, else kDefaultSeed.
inline constexpr uint64_t kDefaultSeed = 1;
uint64_t SeedFromEnvironment();

}  // namespace vantrel::simcam
