#include "genicam/camera.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "camlink/camlink_exports.h"
#include "genicam/access.h"
#include "genicam/frame_rate.h"
#include "genicam/packet_size.h"

namespace vantrel::genicam {

namespace {

constexpr int kStreamBuffers = 4;

// How long a running camera may give no complete frame before it counts as lost: a long
// exposure delays every frame by as much.
std::chrono::microseconds SilenceLimit(double exposureMicroseconds) {
    const double exposure =
        std::isfinite(exposureMicroseconds) ? std::clamp(exposureMicroseconds, 0.0, 3600e6) : 0.0;
    return Camera::kSilenceLimit + std::chrono::microseconds(static_cast<int64_t>(exposure));
}

}  // namespace

std::unique_ptr<Camera> Camera::Open(const std::string& id, std::string* error) {
    Error failure;
    GObjectPtr<ArvCamera> camera(arv_camera_new(id.c_str(), failure.out()));
    if (camera == nullptr) {
        *error = failure ? failure.message() : "cannot be opened";
        return nullptr;
    }
    return std::unique_ptr<Camera>(new Camera(id, std::move(camera)));
}

Camera::Camera(std::string id, GObjectPtr<ArvCamera> camera)
    : id_(std::move(id)),
      camera_(std::move(camera)),
      features_(arv_camera_get_device(camera_.get())),
      settings_(arv_camera_get_device(camera_.get())) {
    controlLostHandler_ =
        g_signal_connect(device(), "control-lost", G_CALLBACK(&Camera::OnControlLost), this);
    for (std::vector<uint8_t>& frame : frames_) frame.assign(kFrameBytes, 0);
    // A camera refuses a write to a feature that is locked (the region while it acquires, the
    // exposure while auto exposure is on); Aravis checks the same before writing, so that the
    // module sees the refusal whatever the camera does with such a write.
    ArvDevice* device = this->device();
    arv_device_set_access_check_policy(device, ARV_ACCESS_CHECK_POLICY_ENABLE);
    // A GigE Vision camera whose control channel another program holds is opened for reading
    // only: its registers answer, every write is refused.
    busy_ = ARV_IS_GV_DEVICE(device) && !arv_gv_device_is_controller(ARV_GV_DEVICE(device));
    for (const char* name :
         {"DeviceVendorName", "DeviceModelName", "DeviceSerialNumber", "DeviceUserID"}) {
        if (!Has(device, name)) continue;
        Error error;
        const char* text = arv_device_get_string_feature_value(device, name, error.out());
        if (!Check(error) && text != nullptr) names_.emplace_back(name, text);
    }
}

Camera::~Camera() {
    Stop();
    if (!lost() && !busy_) {
        Error error;
        // Also a camera that was found acquiring stops: nothing reads its stream any more.
        if (everAcquired_) arv_camera_stop_acquisition(camera_.get(), error.out());
        settings_.Restore(&error);
    }
    g_signal_handler_disconnect(device(), controlLostHandler_);
    // camera_ goes last: releasing it ends Aravis's threads for the device, so no signal
    // handler can still be running once this object is gone.
}

void Camera::OnControlLost(ArvDevice*, gpointer self) {
    static_cast<Camera*>(self)->lost_.store(true, std::memory_order_relaxed);
}

bool Camera::Check(const Error& error) {
    if (error.MeansDisconnected()) lost_.store(true, std::memory_order_relaxed);
    return static_cast<bool>(error);
}

std::optional<std::string> Camera::Text(const char* feature) {
    for (const auto& [name, text] : names_) {
        if (name == feature) return text;
    }
    if (lost() || live_ != nullptr || !Has(device(), feature)) return std::nullopt;
    Error error;
    const char* text = arv_device_get_string_feature_value(device(), feature, error.out());
    if (Check(error) || text == nullptr) return std::nullopt;
    return std::string(text);
}

bool Camera::Fail(Problem::Kind kind, std::string detail, std::string reason,
                  std::string* error) {
    problem_ = {kind, std::move(detail)};
    *error = std::move(reason);
    return false;
}

bool Camera::Start(std::string* error) {
    Stop();
    problem_ = {};
    if (lost()) {
        *error = "the camera does not answer";
        return false;
    }
    if (busy_) return Fail(Problem::Kind::kBusy, "", "in use by another program", error);
    if (!Configure(error)) return false;
    if (!CreateStream(error)) return false;

    Error failure;
    everAcquired_ = true;
    arv_camera_start_acquisition(camera_.get(), failure.out());
    if (failure) {
        Check(failure);
        *error = std::string("acquisition does not start: ") + failure.message();
        stream_.reset();
        return false;
    }
    LiveControl::Values initial;
    for (const Quantity quantity : {Quantity::kExposure, Quantity::kGain, Quantity::kTemperature}) {
        initial[static_cast<size_t>(quantity)] = ReadNow(quantity);
    }
    for (const Quantity quantity : {Quantity::kExposure, Quantity::kGain}) {
        Error ignored;
        limits_[static_cast<size_t>(quantity)] = features_.Limits(quantity, &ignored);
    }
    SetSilenceLimit(initial[static_cast<size_t>(Quantity::kExposure)].value_or(0.0));
    started_ = lastFrame_ = std::chrono::steady_clock::now();
    silent_ = false;
    fresh_ = false;
    delivered_ = false;
    live_ = std::make_unique<LiveControl>(
        [this](Quantity quantity) { return ReadNow(quantity); },
        [this](Quantity quantity, double value) { return WriteNow(quantity, value); }, initial);
    return true;
}

bool Camera::CreateStream(std::string* error) {
    Error failure;
    const guint payload = arv_camera_get_payload(camera_.get(), failure.out());
    if (!failure) {
        stream_.reset(arv_camera_create_stream(camera_.get(), nullptr, nullptr, failure.out()));
    }
    if (stream_ == nullptr) {
        Check(failure);
        *error = std::string("no stream: ") + failure.message();
        return false;
    }
    if (ARV_IS_GV_STREAM(stream_.get())) {
        // An ordinary account receives through a plain socket, whose default buffer holds a
        // fraction of a frame: the packets of a frame that arrive while the stream thread is
        // busy would be dropped. The buffer is made as large as a frame (within the system's
        // net.core.rmem_max).
        g_object_set(stream_.get(), "socket-buffer", ARV_GV_STREAM_SOCKET_BUFFER_AUTO, nullptr);
    }
    for (int i = 0; i < kStreamBuffers; ++i) {
        arv_stream_push_buffer(stream_.get(), arv_buffer_new_allocate(payload));
    }
    return true;
}

void Camera::Stop() {
    // The control thread goes first: from here on this thread talks to the camera again.
    live_.reset();
    if (stream_ == nullptr) return;
    if (!lost()) {
        Error error;
        arv_camera_stop_acquisition(camera_.get(), error.out());
        Check(error);
    }
    // Releasing the stream ends its thread and frees the buffers it holds.
    stream_.reset();
    fresh_ = false;
    delivered_ = false;
}

bool Camera::Configure(std::string* error) {
    ArvDevice* device = this->device();
    Error failure;
    // A camera left acquiring by someone else refuses format changes.
    arv_camera_stop_acquisition(camera_.get(), failure.out());
    if (Check(failure) && lost()) {
        *error = "the camera does not answer";
        return false;
    }

    if (!settings_.SetEntry("PixelFormat", "Mono8", &failure)) {
        Check(failure);
        return Fail(Problem::Kind::kNoMono8, "",
                    std::string("no Mono8 pixel format: ") + failure.message(), error);
    }
    // The technician sets exposure and gain; the camera must not change them on its own.
    settings_.SetEntry("ExposureAuto", "Off", &failure);
    settings_.SetEntry("GainAuto", "Off", &failure);
    ClearTriggers();

    const SensorLayout layout = ReadLayout();
    const std::vector<Geometry> candidates = GeometryCandidates(layout);
    const auto taken = std::find_if(candidates.begin(), candidates.end(),
                                    [this](const Geometry& geometry) { return Apply(geometry); });
    const std::string sensor = std::to_string(layout.width) + " " + std::to_string(layout.height);
    if (taken == candidates.end()) {
        return Fail(Problem::Kind::kNoPicture, sensor,
                    "cannot give a 640 x 480 picture (sensor " + sensor + ")", error);
    }
    const int share = static_cast<int>(std::lround(100.0 * FieldOfViewShare(layout, *taken)));
    if (share < 80) {
        problem_ = {Problem::Kind::kCropped, sensor + " " + std::to_string(share)};
        std::fprintf(stderr,
                     "QxCamLink: %s: the picture shows %d %% of the sensor's field of view "
                     "(sensor %s, no binning to fit it)\n",
                     id_.c_str(), share, sensor.c_str());
    }
    settings_.SetEntry("AcquisitionMode", "Continuous", &failure);
    RequestFrameRate(device, settings_);
    ChoosePacketSize(camera_.get(), settings_);
    return true;
}

void Camera::ClearTriggers() {
    ArvDevice* device = this->device();
    Error error;
    if (!Has(device, "TriggerSelector")) {
        settings_.SetEntry("TriggerMode", "Off", &error);
        return;
    }
    guint count = 0;
    const char** triggers = arv_device_dup_available_enumeration_feature_values_as_strings(
        device, "TriggerSelector", &count, error.out());
    for (guint i = 0; i < count; ++i) {
        settings_.SetSelected("TriggerSelector", triggers[i], "TriggerMode", "Off", &error);
    }
    g_free(triggers);
}

SensorLayout Camera::ReadLayout() {
    ArvDevice* device = this->device();
    Error ignored;
    // Undo any earlier region and binning, so that the maxima below are the whole sensor's.
    for (const char* feature : {"OffsetX", "OffsetY"}) settings_.SetInteger(feature, 0, &ignored);
    for (const char* feature : {"BinningHorizontal", "BinningVertical"}) {
        settings_.SetInteger(feature, 1, &ignored);
    }
    const auto extent = [&](const char* maximum, const char* sensor, const char* size) {
        if (const auto value = Integer(device, maximum)) return *value;
        if (const auto value = Integer(device, sensor)) return *value;
        const auto range = Range(device, size);
        return range ? range->max : int64_t{0};
    };
    SensorLayout layout;
    layout.width = extent("WidthMax", "SensorWidth", "Width");
    layout.height = extent("HeightMax", "SensorHeight", "Height");
    layout.binningX = Range(device, "BinningHorizontal").value_or(IntRange{1, 1, 1});
    layout.binningY = Range(device, "BinningVertical").value_or(IntRange{1, 1, 1});
    return layout;
}

bool Camera::Apply(const Geometry& geometry) {
    ArvDevice* device = this->device();
    Error ignored;
    for (const char* feature : {"BinningHorizontal", "BinningVertical"}) {
        if (!Has(device, feature)) {
            if (geometry.binning != 1) return false;
        } else if (!settings_.SetInteger(feature, geometry.binning, &ignored)) {
            return false;
        }
    }
    if (!settings_.SetInteger("Width", kFrameWidth, &ignored) ||
        !settings_.SetInteger("Height", kFrameHeight, &ignored)) {
        return false;
    }
    // Without offsets the picture is the sensor's top left corner.
    if (const auto range = Range(device, "OffsetX")) {
        settings_.SetInteger("OffsetX", AlignDown(geometry.offsetX, *range), &ignored);
    }
    if (const auto range = Range(device, "OffsetY")) {
        settings_.SetInteger("OffsetY", AlignDown(geometry.offsetY, *range), &ignored);
    }
    Error error;
    const guint payload = arv_camera_get_payload(camera_.get(), error.out());
    return !error && payload >= static_cast<guint>(kFrameBytes) &&
           Integer(device, "Width") == kFrameWidth && Integer(device, "Height") == kFrameHeight;
}

std::optional<double> Camera::Value(Quantity quantity) {
    if (lost()) return std::nullopt;
    if (live_ != nullptr) return live_->Value(quantity);
    return ReadNow(quantity);
}

std::optional<double> Camera::ReadNow(Quantity quantity) {
    if (lost()) return std::nullopt;
    Error error;
    const std::optional<double> value = features_.Value(quantity, &error);
    Check(error);
    return value;
}

std::optional<Bounds> Camera::Limits(Quantity quantity) {
    if (lost()) return std::nullopt;
    if (live_ != nullptr) {
        return quantity == Quantity::kTemperature ? std::nullopt
                                                  : limits_[static_cast<size_t>(quantity)];
    }
    Error error;
    const std::optional<Bounds> bounds = features_.Limits(quantity, &error);
    Check(error);
    return bounds;
}

bool Camera::Set(Quantity quantity, double value) {
    if (lost() || busy_) return false;
    if (live_ != nullptr) return live_->Set(quantity, value);
    return WriteNow(quantity, value);
}

bool Camera::WriteNow(Quantity quantity, double value) {
    if (lost()) return false;
    Error error;
    // A value set by hand needs the camera's own control of it off, which may lock it.
    if (quantity == Quantity::kExposure) settings_.SetEntry("ExposureAuto", "Off", &error);
    if (quantity == Quantity::kGain) settings_.SetEntry("GainAuto", "Off", &error);
    if (const char* feature = features_.Name(quantity)) settings_.Keep(feature);
    const bool set = features_.Set(quantity, value, &error);
    Check(error);
    if (set && quantity == Quantity::kExposure) SetSilenceLimit(ReadNow(quantity).value_or(value));
    return set;
}

void Camera::SetSilenceLimit(double exposureMicroseconds) {
    silenceLimitUs_.store(SilenceLimit(exposureMicroseconds).count(), std::memory_order_relaxed);
}

Problem Camera::problem() const {
    if (problem_.kind != Problem::Kind::kNone || stream_ == nullptr || lost()) return problem_;
    if (fresh_ || delivered_ || std::chrono::steady_clock::now() - started_ < kStreamWait) {
        return problem_;
    }
    guint64 completed = 0;
    guint64 failures = 0;
    guint64 underruns = 0;
    arv_stream_get_statistics(stream_.get(), &completed, &failures, &underruns);
    return {Problem::Kind::kNoStream, failures + completed > 0 ? "incomplete" : "none"};
}

}  // namespace vantrel::genicam
