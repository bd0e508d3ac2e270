// Complete frames a second that reach the program through a camera-link module: loads the module
// from the given folder as the program does, starts a pair of positions with the cameras it finds
// (VANTREL_CAMERA and VANTREL_CAMERA_SERIALS choose them) and polls each started position every
// 2 ms for SECONDS, counting the frames it hands out that it had not handed out before. A camera
// at 20 frames a second leaves 50 ms between frames, so no complete frame goes uncounted.
//
// Usage: gige_frames MODULE_FOLDER [SECONDS]
// Prints one line a position: "RR 19.98" (frames a second).
#include <dlfcn.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "camlink/camlink_exports.h"

namespace {

template <typename Entry>
Entry Resolve(void* module, const char* name) {
    return reinterpret_cast<Entry>(dlsym(module, name));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: gige_frames MODULE_FOLDER [SECONDS]\n");
        return 2;
    }
    const double seconds = argc > 2 ? std::atof(argv[2]) : 10.0;
    const std::string path = std::string(argv[1]) + "/QxCamLinkDLLDALSA.so";
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        std::fprintf(stderr, "gige_frames: %s\n", dlerror());
        return 1;
    }
    const auto init = Resolve<decltype(&QxCamLink_InitDevice)>(module, "QxCamLink_InitDevice");
    const auto start = Resolve<decltype(&QxCamLink_StartDevice)>(module, "QxCamLink_StartDevice");
    const auto release =
        Resolve<decltype(&QxCamLink_ReleaseDevice)>(module, "QxCamLink_ReleaseDevice");
    const auto buffer =
        Resolve<decltype(&QxCamLink_GetBufferPointer)>(module, "QxCamLink_GetBufferPointer");
    if (init == nullptr || start == nullptr || release == nullptr || buffer == nullptr) {
        std::fprintf(stderr, "gige_frames: %s lacks a camera-link entry\n", path.c_str());
        return 1;
    }
    if (init() == 0 || start(0) == 0) {
        std::fprintf(stderr, "gige_frames: the cameras do not start\n");
        release();
        return 1;
    }
    const int slots[2] = {kSlotRightSide, kSlotRightTop};
    const char* names[2] = {"RR", "RT"};
    const uint8_t* last[2] = {nullptr, nullptr};
    int frames[2] = {0, 0};
    // The first frames after the start are not counted: the stream settles.
    const auto begin = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    const auto end = begin + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        for (int i = 0; i < 2; ++i) {
            const uint8_t* frame = buffer(slots[i]);
            if (frame == nullptr || frame == last[i]) continue;
            last[i] = frame;
            if (std::chrono::steady_clock::now() >= begin) ++frames[i];
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    release();
    for (int i = 0; i < 2; ++i) std::printf("%s %.2f\n", names[i], frames[i] / seconds);
    return 0;
}
