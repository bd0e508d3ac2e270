#include "genicam/camera.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "camlink/camlink_exports.h"

namespace vantrel::genicam {

namespace {

constexpr int kStreamBuffers = 4;

bool Has(ArvDevice* device, const char* feature) {
    Error error;
    return arv_device_get_feature(device, feature) != nullptr &&
           arv_device_is_feature_available(device, feature, error.out()) && !error;
}

std::optional<int64_t> Integer(ArvDevice* device, const char* feature) {
    if (!Has(device, feature)) return std::nullopt;
    Error error;
    const int64_t value = arv_device_get_integer_feature_value(device, feature, error.out());
    if (error) return std::nullopt;
    return value;
}

std::optional<IntRange> Range(ArvDevice* device, const char* feature) {
    if (!Has(device, feature)) return std::nullopt;
    Error error;
    gint64 min = 0;
    gint64 max = 0;
    arv_device_get_integer_feature_bounds(device, feature, &min, &max, error.out());
    if (error) return std::nullopt;
    const gint64 inc = arv_device_get_integer_feature_increment(device, feature, error.out());
    if (error) return std::nullopt;
    return IntRange{min, max, std::max<gint64>(inc, 1)};
}

bool SetInteger(ArvDevice* device, const char* feature, int64_t value) {
    if (Integer(device, feature) == value) return true;
    Error error;
    arv_device_set_integer_feature_value(device, feature, value, error.out());
    return !error && Integer(device, feature) == value;
}

void SetTextIfPresent(ArvDevice* device, const char* feature, const char* value) {
    if (!Has(device, feature)) return;
    Error ignored;
    arv_device_set_string_feature_value(device, feature, value, ignored.out());
}

// Copies a Mono8 640 x 480 image out of a stream buffer; false for anything else.
bool CopyImage(ArvBuffer* buffer, std::vector<uint8_t>& frame) {
    if (arv_buffer_get_status(buffer) != ARV_BUFFER_STATUS_SUCCESS) return false;
    if (arv_buffer_get_image_width(buffer) != kFrameWidth ||
        arv_buffer_get_image_height(buffer) != kFrameHeight ||
        arv_buffer_get_image_pixel_format(buffer) != ARV_PIXEL_FORMAT_MONO_8) {
        return false;
    }
    gint paddingX = 0;
    gint paddingY = 0;
    arv_buffer_get_image_padding(buffer, &paddingX, &paddingY);
    size_t size = 0;
    const auto* data = static_cast<const uint8_t*>(arv_buffer_get_image_data(buffer, &size));
    const size_t stride = kFrameWidth + static_cast<size_t>(std::max(paddingX, 0));
    if (data == nullptr || size < stride * (kFrameHeight - 1) + kFrameWidth) return false;
    for (int row = 0; row < kFrameHeight; ++row) {
        std::memcpy(frame.data() + static_cast<size_t>(row) * kFrameWidth, data + row * stride,
                    kFrameWidth);
    }
    return true;
}

}  // namespace

std::unique_ptr<Camera> Camera::Open(const std::string& id, std::string* error) {
    Error failure;
    GObjectPtr<ArvCamera> camera(arv_camera_new(id.c_str(), failure.out()));
    if (camera == nullptr) {
        *error = failure ? failure.message() : "cannot be opened";
        return nullptr;
    }
    return std::unique_ptr<Camera>(new Camera(std::move(camera)));
}

Camera::Camera(GObjectPtr<ArvCamera> camera)
    : camera_(std::move(camera)), features_(arv_camera_get_device(camera_.get())) {
    controlLostHandler_ =
        g_signal_connect(device(), "control-lost", G_CALLBACK(&Camera::OnControlLost), this);
    for (std::vector<uint8_t>& frame : frames_) frame.assign(kFrameBytes, 0);
}

Camera::~Camera() {
    Stop();
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
    if (lost() || !Has(device(), feature)) return std::nullopt;
    Error error;
    const char* text = arv_device_get_string_feature_value(device(), feature, error.out());
    if (Check(error) || text == nullptr) return std::nullopt;
    return std::string(text);
}

bool Camera::Start(std::string* error) {
    Stop();
    if (lost()) {
        *error = "the camera does not answer";
        return false;
    }
    if (!Configure(error)) return false;

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
    for (int i = 0; i < kStreamBuffers; ++i) {
        arv_stream_push_buffer(stream_.get(), arv_buffer_new_allocate(payload));
    }
    arv_camera_set_acquisition_mode(camera_.get(), ARV_ACQUISITION_MODE_CONTINUOUS, failure.out());
    if (!failure) arv_camera_start_acquisition(camera_.get(), failure.out());
    if (failure) {
        Check(failure);
        *error = std::string("acquisition does not start: ") + failure.message();
        stream_.reset();
        return false;
    }
    fresh_ = false;
    delivered_ = false;
    return true;
}

void Camera::Stop() {
    if (stream_ == nullptr) return;
    if (!lost()) {
        Error ignored;
        arv_camera_stop_acquisition(camera_.get(), ignored.out());
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

    arv_device_set_string_feature_value(device, "PixelFormat", "Mono8", failure.out());
    const char* format =
        failure ? nullptr : arv_device_get_string_feature_value(device, "PixelFormat", nullptr);
    if (format == nullptr || std::string_view(format) != "Mono8") {
        *error = std::string("no Mono8 pixel format: ") + failure.message();
        return false;
    }
    // The technician sets exposure and gain; the camera must not change them on its own.
    SetTextIfPresent(device, "ExposureAuto", "Off");
    SetTextIfPresent(device, "GainAuto", "Off");
    arv_camera_clear_triggers(camera_.get(), failure.out());

    for (const Geometry& geometry : GeometryCandidates(ReadLayout())) {
        if (Apply(geometry)) return true;
    }
    *error = "cannot give a 640 x 480 picture";
    return false;
}

SensorLayout Camera::ReadLayout() {
    ArvDevice* device = this->device();
    // Undo any earlier region and binning, so that the maxima below are the whole sensor's.
    for (const char* feature : {"OffsetX", "OffsetY"}) {
        if (Has(device, feature)) SetInteger(device, feature, 0);
    }
    for (const char* feature : {"BinningHorizontal", "BinningVertical"}) {
        if (Has(device, feature)) SetInteger(device, feature, 1);
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
    for (const char* feature : {"BinningHorizontal", "BinningVertical"}) {
        if (!Has(device, feature)) {
            if (geometry.binning != 1) return false;
        } else if (!SetInteger(device, feature, geometry.binning)) {
            return false;
        }
    }
    if (!SetInteger(device, "Width", kFrameWidth) || !SetInteger(device, "Height", kFrameHeight)) {
        return false;
    }
    // Without offsets the picture is the sensor's top left corner.
    if (const auto range = Range(device, "OffsetX")) {
        SetInteger(device, "OffsetX", AlignDown(geometry.offsetX, *range));
    }
    if (const auto range = Range(device, "OffsetY")) {
        SetInteger(device, "OffsetY", AlignDown(geometry.offsetY, *range));
    }
    Error error;
    const guint payload = arv_camera_get_payload(camera_.get(), error.out());
    return !error && payload >= static_cast<guint>(kFrameBytes) &&
           Integer(device, "Width") == kFrameWidth && Integer(device, "Height") == kFrameHeight;
}

void Camera::Collect() {
    if (stream_ == nullptr || lost()) return;
    // Only the newest complete frame matters; every buffer goes straight back to the stream.
    ArvBuffer* newest = nullptr;
    while (ArvBuffer* buffer = arv_stream_try_pop_buffer(stream_.get())) {
        if (arv_buffer_get_status(buffer) == ARV_BUFFER_STATUS_SUCCESS) {
            std::swap(newest, buffer);
        }
        if (buffer != nullptr) arv_stream_push_buffer(stream_.get(), buffer);
    }
    if (newest == nullptr) return;
    if (CopyImage(newest, frames_[staged_])) fresh_ = true;
    arv_stream_push_buffer(stream_.get(), newest);
}

bool Camera::FrameReady() {
    Collect();
    return fresh_ && !lost();
}

const uint8_t* Camera::TakeFrame() {
    Collect();
    if (lost()) return nullptr;
    if (fresh_) {
        const int reusable = previous_;
        previous_ = shown_;
        shown_ = staged_;
        staged_ = reusable;
        fresh_ = false;
        delivered_ = true;
    }
    return delivered_ ? frames_[shown_].data() : nullptr;
}

std::optional<double> Camera::Value(Quantity quantity) {
    if (lost()) return std::nullopt;
    Error error;
    const std::optional<double> value = features_.Value(quantity, &error);
    Check(error);
    return value;
}

std::optional<Bounds> Camera::Limits(Quantity quantity) {
    if (lost()) return std::nullopt;
    Error error;
    const std::optional<Bounds> bounds = features_.Limits(quantity, &error);
    Check(error);
    return bounds;
}

bool Camera::Set(Quantity quantity, double value) {
    if (lost()) return false;
    Error error;
    const bool set = features_.Set(quantity, value, &error);
    Check(error);
    return set;
}

}  // namespace vantrel::genicam
