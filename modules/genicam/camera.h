// One opened GenICam camera: set up for the program's 640 x 480 Mono8 picture, acquiring
// continuously into a small pool of stream buffers. Frames are polled from the caller's thread;
// while the camera acquires, its control channel belongs to a thread of its own (LiveControl), so
// no call waits on a camera that stopped answering. What the module changes on the camera it
// writes back when the camera is closed.
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
#include "genicam/live_control.h"
#include "genicam/settings.h"

namespace vantrel::genicam {

// Why a camera gives no picture, or not the whole one; the program shows it to the technician.
struct Problem {
    enum class Kind {
        kNone,
        kBusy,        // another program holds the camera's control channel
        kNoMono8,     // the camera offers no Mono8 pixel format
        kNoPicture,   // the camera cannot give a 640 x 480 picture
        kNoStream,    // acquiring, but no complete frame arrives
        kCropped,     // a notice: the picture is only part of the sensor's field of view
    };
    Kind kind = Kind::kNone;
    // kNoStream: "none" when no stream packet arrives at all, "incomplete" when frames arrive
    // with packets missing. kCropped: "WIDTH HEIGHT PERCENT" of the sensor and the share of its
    // field of view. kNoPicture: "WIDTH HEIGHT" of the sensor.
    std::string detail;
};

class Camera {
public:
    // Opens a device by its Aravis id; null, with the reason in *error, when it cannot.
    static std::unique_ptr<Camera> Open(const std::string& id, std::string* error);
    // Stops the camera and writes back every feature the module changed on it.
    ~Camera();
    Camera(const Camera&) = delete;
    Camera& operator=(const Camera&) = delete;

    // A text feature, or nothing when the camera lacks it or does not answer. The names of the
    // device (vendor, model, serial number, user id) are read once, when it is opened.
    std::optional<std::string> Text(const char* feature);
    // Whether another program held the camera's control channel when it was opened: the camera
    // answers, but takes no setting, so it is never started.
    bool busy() const { return busy_; }
    GainUnit gainUnit() const { return features_.gainUnit(); }
    // Why the last Start failed, or what limits the running camera's picture.
    Problem problem() const;

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
    const std::string& id() const { return id_; }

    // The values the camera had before the module changed them and that it could not write back
    // (the camera was lost), to be handed to the camera opened for the same device later.
    Settings::Record TakeUnrestored() { return settings_.TakeRecord(); }
    void AdoptUnrestored(Settings::Record record) {
        // The module set it up and started it before it was lost; it may be acquiring still.
        if (!record.empty()) everAcquired_ = true;
        settings_.Adopt(std::move(record));
    }

    static constexpr std::chrono::seconds kSilenceLimit{2};
    // How long after Start a camera that delivered nothing counts as one whose stream does not
    // arrive.
    static constexpr std::chrono::seconds kStreamWait{3};

private:
    Camera(std::string id, GObjectPtr<ArvCamera> camera);

    bool Configure(std::string* error);
    bool CreateStream(std::string* error);
    bool Fail(Problem::Kind kind, std::string detail, std::string reason, std::string* error);
    std::optional<double> ReadNow(Quantity quantity);
    bool WriteNow(Quantity quantity, double value);
    void SetSilenceLimit(double exposureMicroseconds);
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
    bool busy_ = false;
    std::vector<std::pair<std::string, std::string>> names_;  // device names read at opening
    Problem problem_;             // of the last Start
    bool everAcquired_ = false;
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
    // silent before it counts as lost (written by the control thread when the exposure changes).
    std::chrono::steady_clock::time_point started_;
    std::chrono::steady_clock::time_point lastFrame_;
    std::atomic<int64_t> silenceLimitUs_{
        std::chrono::duration_cast<std::chrono::microseconds>(kSilenceLimit).count()};
    bool silent_ = false;

    // While acquiring: the exposure and gain limits read at Start, and the control thread.
    std::array<std::optional<Bounds>, 2> limits_;
    std::unique_ptr<LiveControl> live_;
};

}  // namespace vantrel::genicam
