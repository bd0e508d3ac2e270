// Aravis, with owned references and errors released on scope exit.
#pragma once

#include <arv.h>

#include <memory>

namespace vantrel::genicam {

struct GObjectUnref {
    void operator()(gpointer object) const {
        if (object != nullptr) g_object_unref(object);
    }
};

// An owned reference to a GObject.
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

// A GError out-parameter, cleared before each use and freed on scope exit.
class Error {
public:
    Error() = default;
    ~Error() { g_clear_error(&error_); }
    Error(const Error&) = delete;
    Error& operator=(const Error&) = delete;

    GError** out() {
        g_clear_error(&error_);
        return &error_;
    }
    explicit operator bool() const { return error_ != nullptr; }
    const char* message() const { return error_ != nullptr ? error_->message : ""; }
    // True for the errors of a device that no longer answers.
    bool MeansDisconnected() const {
        return error_ != nullptr && error_->domain == ARV_DEVICE_ERROR &&
               (error_->code == ARV_DEVICE_ERROR_NOT_CONNECTED ||
                error_->code == ARV_DEVICE_ERROR_TIMEOUT ||
                error_->code == ARV_DEVICE_ERROR_TRANSFER_ERROR);
    }

private:
    GError* error_ = nullptr;
};

}  // namespace vantrel::genicam
