// Cost of preparing one live picture, against a plain copy of its pixels as the floor.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "imaging/focus.h"
#include "imaging/frame_grabber.h"

namespace {

// A camera picture with some texture, so the focus window spreads over several bins.
std::vector<uint8_t> MakePicture() {
    std::vector<uint8_t> picture(kFrameBytes);
    for (int y = 0; y < kFrameHeight; ++y)
        for (int x = 0; x < kFrameWidth; ++x)
            picture[y * kFrameWidth + x] = static_cast<uint8_t>(60 + (x * 7 + y * 13) % 120);
    return picture;
}

const std::vector<uint8_t>& Picture() {
    static const std::vector<uint8_t> picture = MakePicture();
    return picture;
}

int ReadyFrame(const char*, CameraSlot, int32_t* value) {
    *value = 1;
    return 1;
}

const uint8_t* Buffer(CameraSlot) {
    return Picture().data();
}

CamLinkApi FakeCamera() {
    CamLinkApi api;
    api.GetFeatureValueINT = &ReadyFrame;
    api.GetBufferPointer = &Buffer;
    return api;
}

void GrabLoop(benchmark::State& state, int drawOverlays) {
    const CamLinkApi camLink = FakeCamera();
    const OverlayOptions overlays{.centerGuide = true, .gridGuide = true, .focusTool = true};
    IplImage* frame = nullptr;
    for (auto _ : state) {
        GrabFrame(frame, camLink, kSlotRightSide, drawOverlays, overlays);
        benchmark::DoNotOptimize(frame->imageData);
        benchmark::ClobberMemory();
    }
    cvReleaseImage(&frame);
}

void BM_CopyFloor(benchmark::State& state) {
    std::vector<uint8_t> target(kFrameBytes);
    for (auto _ : state) {
        std::memcpy(target.data(), Picture().data(), kFrameBytes);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
}

void BM_GrabFrameAllOverlays(benchmark::State& state) {
    GrabLoop(state, 1);
}
void BM_GrabFrameNoOverlays(benchmark::State& state) {
    GrabLoop(state, 0);
}

// flat 0: the textured picture; flat 1: a flat grey window crossed by the centre guide's two
// rows, what the measure usually sees at the default focus point.
void BM_MeasureFocus(benchmark::State& state) {
    IplImage* frame = nullptr;
    GrabFrame(frame, FakeCamera(), kSlotRightSide, 0, OverlayOptions{});
    if (state.range(0) == 1) {
        cvSet(frame, cvScalarAll(100));
        DrawCenterGuide(frame, 0);
    }
    for (auto _ : state) {
        MeasureFocus(frame);
        benchmark::DoNotOptimize(g_focusFit);
    }
    cvReleaseImage(&frame);
}

}  // namespace

BENCHMARK(BM_CopyFloor);
BENCHMARK(BM_GrabFrameNoOverlays);
BENCHMARK(BM_GrabFrameAllOverlays);
BENCHMARK(BM_MeasureFocus)->ArgName("flat")->Arg(0)->Arg(1);

BENCHMARK_MAIN();
