#include "genicam/device.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>

#include "genicam/control_probe.h"
#include "genicam/discovery.h"
#include "genicam/naming.h"
#include "genicam/values.h"

namespace vantrel::genicam {

namespace {

enum class Feature {
    kUnknown,
    kMinExposure,
    kMaxExposure,
    kMinGain,
    kMaxGain,
    kExposure,
    kExposureTime,
    kGain,
    kTemperature,
    kFrameGrapped,
};

Feature Lookup(std::string_view name) {
    static constexpr std::pair<std::string_view, Feature> kNames[] = {
        {"MinExposure", Feature::kMinExposure},
        {"MaxExposure", Feature::kMaxExposure},
        {"MinGain", Feature::kMinGain},
        {"MaxGain", Feature::kMaxGain},
        {"Exposure", Feature::kExposure},
        {"ExposureTime", Feature::kExposureTime},
        {"Gain", Feature::kGain},
        {"Temperature", Feature::kTemperature},
        {"FrameGrapped", Feature::kFrameGrapped},
    };
    for (const auto& [text, feature] : kNames) {
        if (text == name) return feature;
    }
    return Feature::kUnknown;
}

constexpr const char* kPositionNames[] = {"RR", "LL", "RT", "LT"};

SerialMap SerialMapFromEnvironment() {
    const char* text = std::getenv("VANTREL_CAMERA_SERIALS");
    SerialMap map = ParseSerialMap(text != nullptr ? text : "");
    ReportIgnoredItems("VANTREL_CAMERA_SERIALS", map.rejected);
    return map;
}

bool Succeeded(std::optional<int32_t> result, int32_t* value) {
    if (!result) return false;
    *value = *result;
    return true;
}

}  // namespace

bool GenicamDevice::Init() {
    CloseCameras();
    open_ = true;

    const std::vector<DeviceEntry> found = DiscoverDevices();
    // A camera that another program controls is not opened (Aravis would wait seconds for
    // control) but keeps its place, so that a start of its position says it is busy.
    std::vector<std::unique_ptr<Camera>> opened;
    std::vector<const DeviceEntry*> entries;
    std::vector<DeviceNames> names;
    for (const DeviceEntry& entry : found) {
        if (!entry.address.empty() && ControlHeldElsewhere(entry.address).value_or(false)) {
            names.push_back({"", entry.serial});
            entries.push_back(&entry);
            opened.push_back(nullptr);
            continue;
        }
        std::string error;
        std::unique_ptr<Camera> camera = Camera::Open(entry.id, &error);
        if (camera == nullptr) {
            std::fprintf(stderr, "QxCamLink: %s: %s\n", entry.id.c_str(), error.c_str());
            continue;
        }
        if (const auto kept = unrestored_.find(entry.id); kept != unrestored_.end()) {
            camera->AdoptUnrestored(std::move(kept->second));
            unrestored_.erase(kept);
        }
        std::string serial = entry.serial;
        if (serial.empty()) serial = camera->Text("DeviceSerialNumber").value_or("");
        names.push_back({camera->Text("DeviceUserID").value_or(""), std::move(serial)});
        entries.push_back(&entry);
        opened.push_back(std::move(camera));
    }

    const SlotDevices assignment = AssignPositions(names, SerialMapFromEnvironment());
    for (size_t index = 0; index < opened.size(); ++index) {
        const bool busy = opened[index] == nullptr || opened[index]->busy();
        std::string positions;
        for (size_t slot = 0; slot < slots_.size(); ++slot) {
            if (assignment[slot] != static_cast<int>(index)) continue;
            slots_[slot] = opened[index].get();
            busy_[slot] = busy;
            positions += std::string(" ") + kPositionNames[slot];
        }
        std::fprintf(stderr, "QxCamLink: %s %s, serial \"%s\", DeviceUserID \"%s\": %s%s\n",
                     entries[index]->vendor.c_str(), entries[index]->model.c_str(),
                     names[index].serial.c_str(), names[index].userId.c_str(),
                     positions.empty() ? "not used" : ("serves" + positions).c_str(),
                     busy ? ", in use by another program" : "");
        // Only the cameras that serve stay open; closing the others frees them for other programs.
        if (!positions.empty() && opened[index] != nullptr) {
            cameras_.push_back(std::move(opened[index]));
        }
    }
    const bool anyBusy = std::find(busy_.begin(), busy_.end(), true) != busy_.end();
    if (cameras_.empty() && !anyBusy) std::fprintf(stderr, "QxCamLink: no GenICam camera found\n");
    return !cameras_.empty() || anyBusy;
}

bool GenicamDevice::Start(int pair) {
    if (!open_ || (pair != 0 && pair != 1)) return false;
    Stop();
    startProblems_.fill({});
    bool any = false;
    for (const int slot : {pair, pair + 2}) {
        if (busy_[static_cast<size_t>(slot)]) {
            std::fprintf(stderr, "QxCamLink: %s: in use by another program\n", kPositionNames[slot]);
            startProblems_[static_cast<size_t>(slot)] = {Problem::Kind::kBusy, ""};
            Stop();
            return false;
        }
        Camera* camera = slots_[static_cast<size_t>(slot)];
        if (camera == nullptr) continue;
        std::string error;
        if (!camera->Start(&error)) {
            std::fprintf(stderr, "QxCamLink: %s: %s\n", kPositionNames[slot], error.c_str());
            startProblems_[static_cast<size_t>(slot)] = camera->problem();
            Stop();
            return false;
        }
        any = true;
    }
    if (any) startedPair_ = pair;
    return any;
}

bool GenicamDevice::Stop() {
    for (const std::unique_ptr<Camera>& camera : cameras_) camera->Stop();
    startedPair_ = -1;
    return true;
}

bool GenicamDevice::Release() {
    CloseCameras();
    RestoreLostCameras();
    open_ = false;
    return true;
}

void GenicamDevice::CloseCameras() {
    Stop();
    slots_.fill(nullptr);
    busy_.fill(false);
    startProblems_.fill({});
    for (std::unique_ptr<Camera>& camera : cameras_) {
        if (!camera->lost()) continue;
        Settings::Record record = camera->TakeUnrestored();
        if (!record.empty()) unrestored_[camera->id()] = std::move(record);
    }
    cameras_.clear();
}

void GenicamDevice::RestoreLostCameras() {
    for (auto& [id, record] : unrestored_) {
        std::string error;
        std::unique_ptr<Camera> camera = Camera::Open(id, &error);
        if (camera == nullptr || camera->busy()) {
            std::fprintf(stderr, "QxCamLink: %s: lost, its settings could not be written back\n",
                         id.c_str());
            continue;
        }
        // Closing it writes back what it was found with, and stops its acquisition.
        camera->AdoptUnrestored(std::move(record));
    }
    unrestored_.clear();
}

Camera* GenicamDevice::CameraAt(int slot) const {
    return slot >= 0 && slot < 4 ? slots_[static_cast<size_t>(slot)] : nullptr;
}

bool GenicamDevice::Running(int slot) const {
    return startedPair_ >= 0 && slot % 2 == startedPair_;
}

bool GenicamDevice::GetInt(const char* name, int slot, int32_t* value) {
    if (!open_ || name == nullptr || value == nullptr || slot < 0 || slot >= 4) return false;
    const Feature feature = Lookup(name);
    Camera* camera = CameraAt(slot);
    if (feature == Feature::kFrameGrapped) {
        // Answered for every position, so that a position without a camera just has no frame.
        *value = camera != nullptr && Running(slot) && camera->FrameReady() ? 1 : 0;
        return true;
    }
    if (camera == nullptr) return false;
    const auto limit = [&](Quantity quantity, bool maximum) -> std::optional<int32_t> {
        const std::optional<Bounds> bounds = camera->Limits(quantity);
        if (!bounds) return std::nullopt;
        return RoundToInt32(maximum ? bounds->max : bounds->min);
    };
    const auto current = [&](Quantity quantity) -> std::optional<int32_t> {
        const std::optional<double> number = camera->Value(quantity);
        if (!number) return std::nullopt;
        return RoundToInt32(*number);
    };
    switch (feature) {
        case Feature::kMinExposure:
            return Succeeded(limit(Quantity::kExposure, false), value);
        case Feature::kMaxExposure:
            return Succeeded(limit(Quantity::kExposure, true), value);
        case Feature::kMinGain:
            return Succeeded(limit(Quantity::kGain, false), value);
        case Feature::kMaxGain:
            return Succeeded(limit(Quantity::kGain, true), value);
        case Feature::kExposure:
            return Succeeded(current(Quantity::kExposure), value);
        case Feature::kGain:
            return Succeeded(current(Quantity::kGain), value);
        default:
            return false;
    }
}

bool GenicamDevice::GetFloat(const char* name, int slot, float* value) {
    if (!open_ || name == nullptr || value == nullptr) return false;
    Camera* camera = CameraAt(slot);
    if (camera == nullptr) return false;
    std::optional<double> number;
    switch (Lookup(name)) {
        case Feature::kExposure:
        case Feature::kExposureTime:
            number = camera->Value(Quantity::kExposure);
            break;
        case Feature::kGain:
            number = camera->Value(Quantity::kGain);
            break;
        case Feature::kTemperature:
            number = camera->Value(Quantity::kTemperature);
            break;
        default:
            return false;
    }
    if (!number || std::isnan(*number)) return false;
    *value = static_cast<float>(
        std::clamp(*number, -static_cast<double>(FLT_MAX), static_cast<double>(FLT_MAX)));
    return true;
}

bool GenicamDevice::SetInt(const char* name, int slot, int32_t value) {
    if (name == nullptr) return false;
    switch (Lookup(name)) {
        case Feature::kExposure:
        case Feature::kGain:
            return SetFloat(name, slot, static_cast<float>(value));
        default:
            return false;
    }
}

bool GenicamDevice::SetFloat(const char* name, int slot, float value) {
    if (!open_ || name == nullptr || !std::isfinite(value)) return false;
    Camera* camera = CameraAt(slot);
    if (camera == nullptr) return false;
    Quantity quantity;
    switch (Lookup(name)) {
        case Feature::kExposure:
        case Feature::kExposureTime:
            quantity = Quantity::kExposure;
            break;
        case Feature::kGain:
            quantity = Quantity::kGain;
            break;
        default:
            return false;
    }
    const std::optional<double> converted = ForTopCamera(slot, quantity, value);
    return converted && camera->Set(quantity, *converted);
}

std::optional<double> GenicamDevice::ForTopCamera(int slot, Quantity quantity, double value) {
    if (slot < 2) return value;
    // Both exposure features are in microseconds; a gain needs the side camera's unit.
    Camera* side = CameraAt(slot - 2);
    // Without a side camera the value is the caller's own.
    if (side == nullptr || side == CameraAt(slot)) return value;
    if (quantity == Quantity::kExposure) return value;
    return ConvertGain(value, side->gainUnit(), CameraAt(slot)->gainUnit());
}

bool GenicamDevice::GetString(const char* name, int slot, char* buffer, int32_t size) {
    if (!open_ || name == nullptr || buffer == nullptr || size <= 0) return false;
    Camera* camera = CameraAt(slot);
    const std::string_view feature(name);
    std::optional<std::string> text;
    if (feature == "VantrelStatus") {
        if (slot < 0 || slot >= 4) return false;
        text = Status(slot);
        if (text->empty()) return false;
    } else if (camera != nullptr &&
               (feature == "DeviceVendorName" || feature == "DeviceModelName" ||
                feature == "DeviceSerialNumber" || feature == "DeviceUserID")) {
        text = camera->Text(name);
    }
    if (!text || text->size() >= static_cast<size_t>(size)) return false;
    std::memcpy(buffer, text->c_str(), text->size() + 1);
    return true;
}

std::string GenicamDevice::Status(int slot) const {
    Problem problem = startProblems_[static_cast<size_t>(slot)];
    Camera* camera = CameraAt(slot);
    if (problem.kind == Problem::Kind::kNone && busy_[static_cast<size_t>(slot)]) {
        problem.kind = Problem::Kind::kBusy;
    } else if (problem.kind == Problem::Kind::kNone && camera != nullptr && Running(slot)) {
        problem = camera->problem();
    }
    const auto with = [&](const char* code) {
        return problem.detail.empty() ? std::string(code) : code + (" " + problem.detail);
    };
    switch (problem.kind) {
        case Problem::Kind::kBusy:
            return "busy";
        case Problem::Kind::kNoMono8:
            return "format";
        case Problem::Kind::kNoPicture:
            return with("size");
        case Problem::Kind::kNoStream:
            return with("stream");
        case Problem::Kind::kCropped:
            return with("cropped");
        case Problem::Kind::kNone:
            break;
    }
    return "";
}

const uint8_t* GenicamDevice::NextFrame(int slot) {
    Camera* camera = CameraAt(slot);
    if (camera == nullptr || !Running(slot)) return nullptr;
    return camera->TakeFrame();
}

}  // namespace vantrel::genicam
