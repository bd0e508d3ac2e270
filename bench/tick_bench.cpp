// The frame tick's own work against its floor, side by side: two grabs with every overlay and
// the focus tool on plus the six read-outs, against copying the two frames' pixels. The camera
// table answers from fixed data, so no camera simulation is measured.
#include <benchmark/benchmark.h>

#include <QLabel>
#include <QWidget>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "dialog/readouts.h"
#include "fixed_camera.h"
#include "imaging/focus.h"
#include "imaging/frame_grabber.h"
#include "platform/app.h"

namespace {

constexpr OverlayOptions kEveryOverlay{.centerGuide = true, .gridGuide = true, .focusTool = true};

// Six read-out labels as the dialog has them: CStatic handles of QLabels.
class Readouts {
public:
    Readouts() {
        for (int i = 0; i < 6; ++i) {
            labels_[i] = new QLabel(QStringLiteral("-"), &parent_);
            statics_[i].Attach(labels_[i], 1025 + i, nullptr);
        }
    }
    ~Readouts() {
        for (auto& handle : statics_) handle.Detach();
    }
    ReadoutControls Controls() {
        return {statics_[0], statics_[1], statics_[2], statics_[3], statics_[4], statics_[5]};
    }

private:
    QWidget parent_;
    QLabel* labels_[6] = {};
    CStatic statics_[6];
};

void BM_TwoFrameCopy(benchmark::State& state) {
    std::vector<uint8_t> target(kFrameBytes);
    const uint8_t* side = bench::FixedFrame(kSlotRightSide);
    const uint8_t* top = bench::FixedFrame(kSlotRightTop);
    for (auto _ : state) {
        std::memcpy(target.data(), side, kFrameBytes);
        benchmark::ClobberMemory();
        std::memcpy(target.data(), top, kFrameBytes);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
}

void BM_TickWork(benchmark::State& state) {
    const CamLinkApi camLink = bench::FixedCamLinkApi();
    Readouts readouts;
    const ReadoutControls controls = readouts.Controls();
    IplImage* frame = nullptr;
    for (auto _ : state) {
        GrabFrame(frame, camLink, kSlotRightSide, 1, kEveryOverlay);
        benchmark::DoNotOptimize(frame->imageData);
        GrabFrame(frame, camLink, kSlotRightTop, 1, kEveryOverlay);
        benchmark::DoNotOptimize(frame->imageData);
        RefreshReadouts(camLink, kSlotRightSide, kSlotRightTop, true, controls);
        benchmark::ClobberMemory();
    }
    cvReleaseImage(&frame);
}

// The parts of the tick's work, one at a time: a grab with and without its overlays, each
// overlay, the read-outs.
void BM_OneGrab(benchmark::State& state) {
    const CamLinkApi camLink = bench::FixedCamLinkApi();
    const int drawOverlays = static_cast<int>(state.range(0));
    IplImage* frame = nullptr;
    for (auto _ : state) {
        GrabFrame(frame, camLink, kSlotRightSide, drawOverlays, kEveryOverlay);
        benchmark::DoNotOptimize(frame->imageData);
        benchmark::ClobberMemory();
    }
    cvReleaseImage(&frame);
}

void BM_Overlay(benchmark::State& state) {
    IplImage* frame = nullptr;
    GrabFrame(frame, bench::FixedCamLinkApi(), kSlotRightSide, 0, OverlayOptions{});
    for (auto _ : state) {
        switch (state.range(0)) {
            case 0:
                DrawCenterGuide(frame, 0);
                break;
            case 1:
                DrawGrid(frame);
                break;
            default:
                DrawFocusMarker(frame);
                break;
        }
        benchmark::ClobberMemory();
    }
    cvReleaseImage(&frame);
}

void BM_SixReadouts(benchmark::State& state) {
    const CamLinkApi camLink = bench::FixedCamLinkApi();
    Readouts readouts;
    const ReadoutControls controls = readouts.Controls();
    for (auto _ : state) RefreshReadouts(camLink, kSlotRightSide, kSlotRightTop, true, controls);
}

}  // namespace

BENCHMARK(BM_TwoFrameCopy);
BENCHMARK(BM_TickWork);
BENCHMARK(BM_OneGrab)->ArgName("drawOverlays")->DenseRange(0, 1);
BENCHMARK(BM_Overlay)->ArgName("centre0_grid1_focus2")->DenseRange(0, 2);
BENCHMARK(BM_SixReadouts);

int main(int argc, char** argv) {
    // The read-out labels are Qt widgets; they need an application, not a screen.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    platform::EnsureGuiApplication();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
