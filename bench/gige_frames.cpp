// Complete frames a second that reach the program through a camera-link module: loads the module
// from the given folder as the program does, starts a pair of positions with the cameras it finds
// (VANTREL_CAMERA and VANTREL_CAMERA_SERIALS choose them) and polls each started position every
// 2 ms for SECONDS, counting the frames it hands out that it had not handed out before. A camera
// at 20 frames a second leaves 50 ms between frames, so no complete frame goes uncounted.
// Prints one line a position: "RR 19.98" (frames a second).
//
// With --ticks it makes, every 110 ms, the module calls of the program's frame tick instead
// (FrameGrapped and the buffer of both positions, then the six read-outs) and prints the longest
// time one tick spent in the module and the longest gap between the starts of two ticks, in ms:
// what a camera that dies meanwhile costs the program's window.
//
// Usage: gige_frames MODULE_FOLDER [SECONDS] [--ticks]
#include <dlfcn.h>

#include <algorithm>
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
    const bool ticks = argc > 3 && std::string(argv[3]) == "--ticks";
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
    if (ticks) {
        const auto grabbed = Resolve<decltype(&QxCamLink_GetFeatureValueINT)>(
            module, "QxCamLink_GetFeatureValueINT");
        const auto readout = Resolve<decltype(&QxCamLink_GetFeatureValueFLOAT)>(
            module, "QxCamLink_GetFeatureValueFLOAT");
        using Clock = std::chrono::steady_clock;
        double longestTick = 0;
        double longestGap = 0;
        const auto end = Clock::now() + std::chrono::duration<double>(seconds);
        auto previous = Clock::now();
        for (auto next = previous; next < end; next += std::chrono::milliseconds(110)) {
            std::this_thread::sleep_until(next);
            const auto begin = Clock::now();
            for (const int slot : slots) {
                int32_t ready = 0;
                grabbed("FrameGrapped", slot, &ready);
                buffer(slot);
            }
            float value = 0;
            for (const int slot : slots) {
                for (const char* name : {"Gain", "ExposureTime", "Temperature"}) {
                    readout(name, slot, &value);
                }
            }
            const auto done = Clock::now();
            longestTick =
                std::max(longestTick, std::chrono::duration<double, std::milli>(done - begin).count());
            longestGap = std::max(
                longestGap, std::chrono::duration<double, std::milli>(begin - previous).count());
            previous = begin;
            // A tick that ran late delays the next one, as the program's timer does.
            if (done > next) next = done;
        }
        release();
        std::printf("longest tick %.1f ms, longest gap %.1f ms\n", longestTick, longestGap);
        return 0;
    }
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
