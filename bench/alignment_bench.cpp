// Cost of the Alignment Assistant's work per refresh and camera: one alignment measurement and
// one sharpness figure, on simulated camera pictures mounted off their reference. Measures the
// work itself on one core: OpenCV's worker threads are switched off.
#include <benchmark/benchmark.h>

#include <array>
#include <opencv2/core.hpp>
#include <span>

#include "imaging/alignment.h"
#include "imaging/sharpness.h"
#include "sim/scene.h"
#include "simulated_views.h"

namespace {

namespace sim = vantrel::sim;

cv::Mat Render(int slot, const sim::FrameSettings& settings) {
    cv::Mat picture(sim::kHeight, sim::kWidth, CV_8UC1);
    sim::RenderFrame(slot, settings, std::span(picture.data, sim::kPixels));
    return picture;
}

// The reference as the program bakes it, and a live picture far off it, blurred and noisy.
struct Camera {
    cv::Mat reference;
    cv::Mat live;
    cv::Mat next;   // the next frame: other noise, the camera turned a little further
    cv::Mat again;  // the next frame of a camera held still: other noise only
};

const Camera& CameraAt(int slot) {
    static std::array<Camera, 4> cameras;
    Camera& camera = cameras[slot];
    if (camera.reference.empty()) {
        camera.reference = bench::ReferencePicture(slot);
        camera.live = Render(slot, {.brightness = 1.6f,
                                    .defocus = 1.5f,
                                    .noise = 1.5f,
                                    .seed = 3,
                                    .pose = {-27.0f, 18.0f, 2.2f}});
        camera.next = Render(slot, {.brightness = 1.6f,
                                    .defocus = 1.5f,
                                    .noise = 1.5f,
                                    .seed = 4,
                                    .pose = {-26.5f, 18.3f, 2.25f}});
        camera.again = Render(slot, {.brightness = 1.6f,
                                     .defocus = 1.5f,
                                     .noise = 1.5f,
                                     .seed = 5,
                                     .pose = {-27.0f, 18.0f, 2.2f}});
    }
    return camera;
}

void BM_Measure(benchmark::State& state) {
    cv::setNumThreads(0);
    const Camera& camera = CameraAt(static_cast<int>(state.range(0)));
    AlignmentMeter meter;
    meter.SetReference(camera.reference);
    for (auto _ : state) {
        const AlignmentOffset offset = meter.Measure(camera.live);
        benchmark::DoNotOptimize(offset);
    }
}

// A camera followed as the assistant does: `warmups` pictures of camera.live first, then
// camera.live and `other` in turn.
void MeasureFollowed(benchmark::State& state, const Camera& camera, const cv::Mat& other,
                     int warmups) {
    cv::setNumThreads(0);
    AlignmentMeter meter;
    meter.SetReference(camera.reference);
    AlignmentTrack track;
    for (int i = 0; i < warmups; ++i) meter.Measure(camera.live, &track);
    bool useOther = true;
    for (auto _ : state) {
        const AlignmentOffset offset = meter.Measure(useOther ? other : camera.live, &track);
        benchmark::DoNotOptimize(offset);
        useOther = !useOther;
    }
}

// What the assistant pays per refresh while a camera stays near where it was: the fit follows
// it from the last picture (the two frames alternate, each a little off the other).
void BM_MeasureFollowing(benchmark::State& state) {
    const Camera& camera = CameraAt(static_cast<int>(state.range(0)));
    MeasureFollowed(state, camera, camera.next, 1);
}

// What the assistant pays per refresh while a camera is held still: the frames differ by their
// noise alone, and the figures of the last converged fit are given again (after a few pictures,
// until the fit converges).
void BM_MeasureStill(benchmark::State& state) {
    const Camera& camera = CameraAt(static_cast<int>(state.range(0)));
    MeasureFollowed(state, camera, camera.again, 4);
}

void BM_SetReference(benchmark::State& state) {
    cv::setNumThreads(0);
    const Camera& camera = CameraAt(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        AlignmentMeter meter;
        meter.SetReference(camera.reference);
        benchmark::DoNotOptimize(meter);
    }
}

void BM_Sharpness(benchmark::State& state) {
    const Camera& camera = CameraAt(0);
    for (auto _ : state) benchmark::DoNotOptimize(MeasureSharpness(camera.live, {318, 262}));
}

}  // namespace

// slot 0: the side camera, 2: the top camera.
BENCHMARK(BM_Measure)->ArgName("slot")->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeasureFollowing)->ArgName("slot")->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeasureStill)->ArgName("slot")->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetReference)->ArgName("slot")->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sharpness);

BENCHMARK_MAIN();
