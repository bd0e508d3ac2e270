// Keeps reference pictures for the unattended check's tests, as a technician keeps them once the
// cameras are right: loads a camera-link module, starts a pair, and saves the newest picture of
// each camera of the pair (after a few frames) into a reference folder.
//   check_reference MODULE PAIR FOLDER
#include <dlfcn.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <thread>

#include "camlink/camlink_exports.h"
#include "measure/reference_store.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: check_reference MODULE PAIR FOLDER\n");
        return 2;
    }
    void* module = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        std::fprintf(stderr, "%s\n", dlerror());
        return 1;
    }
    auto init =
        reinterpret_cast<decltype(&QxCamLink_InitDevice)>(dlsym(module, "QxCamLink_InitDevice"));
    auto start =
        reinterpret_cast<decltype(&QxCamLink_StartDevice)>(dlsym(module, "QxCamLink_StartDevice"));
    auto stop =
        reinterpret_cast<decltype(&QxCamLink_StopDevice)>(dlsym(module, "QxCamLink_StopDevice"));
    auto release = reinterpret_cast<decltype(&QxCamLink_ReleaseDevice)>(
        dlsym(module, "QxCamLink_ReleaseDevice"));
    auto buffer = reinterpret_cast<decltype(&QxCamLink_GetBufferPointer)>(
        dlsym(module, "QxCamLink_GetBufferPointer"));
    const int pair = std::atoi(argv[2]);
    if (!init || !start || !stop || !release || !buffer || !init() || !start(pair)) {
        std::fprintf(stderr, "the cameras of pair %d do not start\n", pair);
        return 1;
    }
    const measure::ReferenceStore store(argv[3]);
    int saved = 0;
    for (int slot : {pair, pair + 2}) {
        cv::Mat frame(kFrameHeight, kFrameWidth, CV_8UC1);
        const uint8_t* data = nullptr;
        for (int i = 0; i < 30; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(110));
            if (const uint8_t* next = buffer(slot)) data = next;
            if (data && i >= 5) break;
        }
        if (!data) continue;
        std::memcpy(frame.data, data, kFrameBytes);
        measure::ReferenceInfo info;
        static const char* const kNames[4] = {"RR", "LL", "RT", "LT"};
        info.position = kNames[slot];
        info.takenAt = static_cast<std::int64_t>(std::time(nullptr));
        if (store.Save(frame, info, nullptr) == 0) ++saved;
    }
    stop();
    release();
    dlclose(module);
    std::printf("%d\n", saved);
    return saved > 0 ? 0 : 1;
}
