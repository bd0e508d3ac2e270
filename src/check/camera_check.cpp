#include "check/camera_check.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "camlink/backend_loader.h"
#include "check/measurement.h"
#include "measure/reference_store.h"
#include "platform/module_loader.h"

namespace check {

const char* PositionName(int slot) {
    static const char* const kNames[4] = {"RR", "LL", "RT", "LT"};
    return slot >= 0 && slot < 4 ? kNames[slot] : "";
}

namespace {

// Between pictures: about the program's own pace of live view.
constexpr auto kFrameInterval = std::chrono::milliseconds(110);

struct Camera {
    int slot = 0;
    CameraResult result;
    cv::Mat reference;
    std::vector<cv::Mat> frames;
};

// The newest reference of the camera's position, or the verdict "no reference" with the reason.
void FindReference(const measure::ReferenceStore& store, Camera& camera) {
    const std::vector<measure::StoredReference> stored = store.List(camera.result.position);
    if (stored.empty()) {
        camera.result.verdict = Verdict::NoReference;
        camera.result.detail = "none in " + store.Folder();
        return;
    }
    camera.result.reference = stored.front().picturePath;
    const measure::PictureProblem problem =
        measure::ReferenceStore::Load(stored.front(), camera.reference);
    if (problem != measure::PictureProblem::kNone) {
        camera.result.verdict = Verdict::NoReference;
        camera.result.detail = std::string("unreadable: ") + PictureProblemText(problem);
        camera.reference.release();
    }
}

// The module's reason why a slot gives no picture ("busy", "stream none", ...), empty when none.
std::string SlotStatus(const CamLinkApi& api, int slot) {
    char text[128] = {};
    if (!api.GetFeatureValueSTR ||
        api.GetFeatureValueSTR("VantrelStatus", slot, text, sizeof text) == 0)
        return {};
    text[sizeof text - 1] = '\0';
    return text;
}

bool CopyFrame(const CamLinkApi& api, int slot, cv::Mat& frame) {
    int ready = -1;
    if (api.GetFeatureValueINT) api.GetFeatureValueINT("FrameGrapped", slot, &ready);
    if (ready != 1 || !api.GetBufferPointer) return false;
    const uint8_t* source = api.GetBufferPointer(slot);
    if (!source) return false;
    frame.create(kFrameHeight, kFrameWidth, CV_8UC1);
    std::memcpy(frame.data, source, kFrameBytes);
    return true;
}

// A pair that did not start: a camera another program holds is busy; the others give no picture,
// and say why when the module knows, or that the busy camera kept the pair from starting.
void MarkUnstarted(const CamLinkApi& api, std::vector<Camera*>& cameras) {
    std::vector<std::string> statuses;
    for (Camera* camera : cameras) statuses.push_back(SlotStatus(api, camera->slot));
    const bool anyBusy = std::find(statuses.begin(), statuses.end(), "busy") != statuses.end();
    for (size_t i = 0; i < cameras.size(); ++i) {
        CameraResult& result = cameras[i]->result;
        if (result.verdict == Verdict::NoReference) continue;
        const bool busy = statuses[i] == "busy";
        result.verdict = busy ? Verdict::Busy : Verdict::NoCamera;
        if (busy)
            result.detail = "held by another program";
        else if (!statuses[i].empty())
            result.detail = statuses[i];
        else
            result.detail = anyBusy ? "not started: the other camera of its pair is busy"
                                    : "the pair did not start";
    }
}

// Starts the pair, takes pictures for the given seconds, stops it.
void RunPair(const CamLinkApi& api, int pair, std::vector<Camera*> cameras, int seconds) {
    if (!api.StartDevice || !api.StopDevice || api.StartDevice(pair) == 0) {
        MarkUnstarted(api, cameras);
        return;
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
        for (Camera* camera : cameras) {
            cv::Mat frame;
            if (CopyFrame(api, camera->slot, frame)) camera->frames.push_back(frame);
            // The newest pictures are measured; older ones only show the camera delivers.
            if (camera->frames.size() > kMeasuredFrames)
                camera->frames.erase(camera->frames.begin());
        }
        std::this_thread::sleep_for(kFrameInterval);
    }
    for (Camera* camera : cameras) {
        if (camera->frames.empty() && camera->result.verdict != Verdict::NoReference) {
            const std::string status = SlotStatus(api, camera->slot);
            camera->result.verdict = status == "busy" ? Verdict::Busy : Verdict::NoCamera;
            camera->result.detail = status.empty() ? "no picture" : status;
        }
    }
    api.StopDevice();
}

}  // namespace

std::vector<CameraResult> CheckCameras(const std::vector<int>& pairs,
                                       const std::string& referenceFolder, int seconds) {
    std::vector<Camera> cameras;
    for (int pair : pairs)
        for (int slot : {pair, pair + 2}) cameras.push_back(Camera{slot, {}, {}, {}});
    const measure::ReferenceStore store(referenceFolder);
    for (Camera& camera : cameras) {
        camera.result.position = PositionName(camera.slot);
        camera.result.verdict = Verdict::Aligned;
        FindReference(store, camera);
    }

    const CameraBackend backend = DetectCameraBackend();
    HMODULE module =
        backend == CameraBackend::None ? nullptr : LoadLibraryW(BackendModuleName(backend));
    if (!module) {
        const wchar_t* text = backend == CameraBackend::None
                                  ? NoCameraText(false)
                                  : BackendLoadFailureText(backend, false);
        std::fprintf(stderr, "vantrel-check: %s\n", platform::ToUtf8(text).c_str());
        std::vector<CameraResult> results;
        for (Camera& camera : cameras) {
            if (camera.result.verdict != Verdict::NoReference) {
                camera.result.verdict = Verdict::NoCamera;
                camera.result.detail = "no camera module";
            }
            results.push_back(camera.result);
        }
        return results;
    }
    const CamLinkApi api = ResolveCamLinkApi(module);
    if (backend == CameraBackend::HV)
        std::fprintf(stderr, "last error: %d\n", static_cast<int>(GetLastError()));
    if (api.InitDevice) api.InitDevice();
    for (int pair : pairs) {
        std::vector<Camera*> ofPair;
        for (Camera& camera : cameras)
            if (camera.slot % 2 == pair) ofPair.push_back(&camera);
        RunPair(api, pair, ofPair, seconds);
    }
    if (api.ReleaseDevice) api.ReleaseDevice();
    FreeLibrary(module);

    std::vector<CameraResult> results;
    for (Camera& camera : cameras) {
        if (camera.result.verdict == Verdict::Aligned)
            MeasureCamera(camera.reference, camera.frames, camera.result);
        results.push_back(camera.result);
    }
    return results;
}

}  // namespace check
