// One opened GenICam camera: set up for the program's 640 x 480 Mono8 picture, acquiring
// continuously into a small pool of stream buffers, and polled from the caller's thread. What the
// module changes on the camera it writes back when the camera is closed.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "genicam/aravis.h"
#include "genicam/features.h"
#include "genicam/geometry.h"
#include "genicam/settings.h"

namespace vantrel::genicam {

class Camera {
public:
    // Opens a device by its Aravis id; null, with the reason in *error, when it cannot.
    static std::unique_ptr<Camera> Open(const std::string& id, std::string* error);
    // Stops the camera and writes back every feature the module changed on it.
    ~Camera();
    Camera(const Camera&) = delete;
    Camera& operator=(const Camera&) = delete;

    // A text feature, or nothing when the camera lacks it or does not answer.
    std::optional<std::string> Text(const char* feature);

    // Sets the camera up for 640 x 480 Mono8 at about twenty frames a second where it lets the
    // rate be set, and starts continuous acquisition; fails, with the reason in *error, on a
    // camera that cannot give that picture.
    bool Start(std::string* error);
    void Stop();
    bool running() const { return stream_ != nullptr; }
    // Set once the camera has been unplugged or stopped answering; it then stays silent.
    bool lost() const { return lost_.load(std::memory_order_relaxed); }

    // True while the camera holds a complete frame delivered since Start: a camera slower than
    // the caller repeats its last picture. False before the first frame, and from the moment the
    // camera is lost or its stream has given no complete frame for kSilenceLimit (plus the
    // exposure time) until the next Start.
    bool FrameReady();
    // The newest complete frame (kFrameBytes bytes), when FrameReady holds; null otherwise. Its
    // buffer is not overwritten before the second-next call.
    const uint8_t* TakeFrame();

    std::optional<double> Value(Quantity quantity);
    std::optional<Bounds> Limits(Quantity quantity);
    // Sets the accepted value nearest to value.
    bool Set(Quantity quantity, double value);

    ArvDevice* device() const { return arv_camera_get_device(camera_.get()); }

    static constexpr std::chrono::seconds kSilenceLimit{2};

private:
    Camera(std::string id, GObjectPtr<ArvCamera> camera);

    bool Configure(std::string* error);
    void ClearTriggers();
    SensorLayout ReadLayout();
    bool Apply(const Geometry& geometry);
    void Collect();
    bool Silent();
    // Notes a camera that stopped answering; returns whether error says so.
    bool Check(const Error& error);
    static void OnControlLost(ArvDevice* device, gpointer self);

    std::string id_;
    GObjectPtr<ArvCamera> camera_;
    Features features_;
    Settings settings_;
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
    // When the stream last gave a complete frame (or was started), and how long it may be
    // silent before it counts as lost.
    std::chrono::steady_clock::time_point lastFrame_;
    std::chrono::microseconds silenceLimit_{kSilenceLimit};
    bool silent_ = false;
};

}  // namespace vantrel::genicam
