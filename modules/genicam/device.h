// The real cameras behind a camera-link module: the four camera positions, each served by the
// GenICam camera that names it, with the same calls as the simulated device.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "genicam/camera.h"

namespace vantrel::genicam {

class GenicamDevice {
public:
    GenicamDevice() = default;
    ~GenicamDevice() { Release(); }
    GenicamDevice(const GenicamDevice&) = delete;
    GenicamDevice& operator=(const GenicamDevice&) = delete;

    // Searches the cameras again, opens them and gives each its position (see AssignPositions);
    // cameras plugged in or renamed since the last call are found. True when any camera serves.
    bool Init();
    // pair 0 starts positions 0 and 2, pair 1 positions 1 and 3. Fails when neither position has
    // a camera or a camera cannot give the program's picture.
    bool Start(int pair);
    bool Stop();
    // Closes every camera.
    bool Release();

    // Feature access, as the simulated device offers it. Every call fails, leaving out values
    // untouched, before Init, for a slot outside 0..3, a null pointer, a name the feature does
    // not answer in that form, a position without a camera and a camera that does not answer.
    bool GetInt(const char* name, int slot, int32_t* value);
    bool GetFloat(const char* name, int slot, float* value);
    bool SetInt(const char* name, int slot, int32_t value);
    bool SetFloat(const char* name, int slot, float value);
    // Besides the device's names, "VantrelStatus" tells why a position gives no picture, or not
    // the whole one: "busy", "format", "size WIDTH HEIGHT", "stream none", "stream incomplete",
    // "cropped WIDTH HEIGHT PERCENT"; the call fails when nothing is wrong.
    bool GetString(const char* name, int slot, char* buffer, int32_t size);

    // The newest frame of a started position, or null.
    const uint8_t* NextFrame(int slot);

    // The camera serving a position, or null.
    Camera* CameraAt(int slot) const;

private:
    bool Running(int slot) const;
    // Closes every camera; what a lost camera could not write back is kept for the camera opened
    // for the same device later.
    void CloseCameras();
    // Writes back what lost cameras could not, on those that answer again.
    void RestoreLostCameras();
    // A value written to a top camera is the side camera's of its pair, in the side camera's unit:
    // the program copies it at Start and takes its sliders' ranges from the side camera. Nothing
    // where it has no faithful equivalent (raw gain steps against decibels).
    std::optional<double> ForTopCamera(int slot, Quantity quantity, double value);
    std::string Status(int slot) const;

    bool open_ = false;
    int startedPair_ = -1;
    std::vector<std::unique_ptr<Camera>> cameras_;
    std::array<Camera*, 4> slots_{};
    std::array<bool, 4> busy_{};  // positions whose camera another program controls
    std::array<Problem, 4> startProblems_{};
    std::map<std::string, Settings::Record> unrestored_;  // by Aravis device id
};

}  // namespace vantrel::genicam
