// One opened GenICam camera: set up for the program's 640 x 480 Mono8 picture, acquiring
// continuously into a small pool of stream buffers, and polled from the caller's thread.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "genicam/aravis.h"
#include "genicam/features.h"
#include "genicam/geometry.h"

namespace vantrel::genicam {

class Camera {
public:
    // Opens a device by its Aravis id; null, with the reason in *error, when it cannot.
    static std::unique_ptr<Camera> Open(const std::string& id, std::string* error);
    ~Camera();
    Camera(const Camera&) = delete;
    Camera& operator=(const Camera&) = delete;

    // A text feature, or nothing when the camera lacks it or does not answer.
    std::optional<std::string> Text(const char* feature);

    // Sets the camera up for 640 x 480 Mono8 and starts continuous acquisition; fails, with the
    // reason in *error, on a camera that cannot give that picture.
    bool Start(std::string* error);
    void Stop();
    bool running() const { return stream_ != nullptr; }
    // Set once the camera has been unplugged or stopped answering; it then stays silent.
    bool lost() const { return lost_.load(std::memory_order_relaxed); }

    // True when a complete frame has arrived since the last TakeFrame.
    bool FrameReady();
    // The newest complete frame (kFrameBytes bytes), or null when none has arrived since Start
    // or the camera is lost. Its buffer is not overwritten before the second-next call.
    const uint8_t* TakeFrame();

    std::optional<double> Value(Quantity quantity);
    std::optional<Bounds> Limits(Quantity quantity);
    // Sets the accepted value nearest to value.
    bool Set(Quantity quantity, double value);

    ArvDevice* device() const { return arv_camera_get_device(camera_.get()); }

private:
    explicit Camera(GObjectPtr<ArvCamera> camera);

    bool Configure(std::string* error);
    SensorLayout ReadLayout();
    bool Apply(const Geometry& geometry);
    void Collect();
    // Notes a camera that stopped answering; returns whether error says so.
    bool Check(const Error& error);
    static void OnControlLost(ArvDevice* device, gpointer self);

    GObjectPtr<ArvCamera> camera_;
    Features features_;
    GObjectPtr<ArvStream> stream_;
    gulong controlLostHandler_ = 0;
    // Written by Aravis's threads through the control-lost signal.
    std::atomic<bool> lost_{false};

    // Three frame buffers in turn: one being filled, the one handed out last, the one before.
    std::array<std::vector<uint8_t>, 3> frames_;
    int staged_ = 0;
    int shown_ = 1;
    int previous_ = 2;
    bool fresh_ = false;      // frames_[staged_] holds a frame not handed out yet
    bool delivered_ = false;  // frames_[shown_] holds a frame
};

}  // namespace vantrel::genicam
