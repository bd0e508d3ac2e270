// The stream's frames: the newest complete one kept, handed out, and a stream fallen silent.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "camlink/camlink_exports.h"
#include "genicam/camera.h"

namespace vantrel::genicam {

namespace {

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

void Camera::Collect() {
    if (stream_ == nullptr || lost()) return;
    // Only the newest complete frame matters; every buffer goes straight back to the stream, and
    // an incomplete one is dropped on its own.
    ArvBuffer* newest = nullptr;
    while (ArvBuffer* buffer = arv_stream_try_pop_buffer(stream_.get())) {
        if (arv_buffer_get_status(buffer) == ARV_BUFFER_STATUS_SUCCESS) {
            std::swap(newest, buffer);
        }
        if (buffer != nullptr) arv_stream_push_buffer(stream_.get(), buffer);
    }
    if (newest == nullptr) return;
    if (CopyImage(newest, frames_[staged_])) {
        fresh_ = true;
        lastFrame_ = std::chrono::steady_clock::now();
    }
    arv_stream_push_buffer(stream_.get(), newest);
}

bool Camera::Silent() {
    if (silent_ || stream_ == nullptr) return silent_;
    const std::chrono::microseconds limit(silenceLimitUs_.load(std::memory_order_relaxed));
    if (std::chrono::steady_clock::now() - lastFrame_ > limit) {
        silent_ = true;
        std::fprintf(
            stderr,
            "QxCamLink: %s: no complete frame for %.1f s, no picture until the next start\n",
            id_.c_str(), std::chrono::duration<double>(limit).count());
    }
    return silent_;
}

bool Camera::FrameReady() {
    Collect();
    return (fresh_ || delivered_) && !lost() && !Silent();
}

const uint8_t* Camera::TakeFrame() {
    if (!FrameReady()) return nullptr;
    if (fresh_) {
        const int reusable = previous_;
        previous_ = shown_;
        shown_ = staged_;
        staged_ = reusable;
        fresh_ = false;
        delivered_ = true;
    }
    return frames_[shown_].data();
}

}  // namespace vantrel::genicam
