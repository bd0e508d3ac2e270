// A fifteen-minute live session of the real dialog, in-process on Qt's offscreen platform,
// driven through the message map as the timers drive it: Start with the grid and the focus
// tool on, 8,182 frame ticks (WM_TIMER 1001), then the limit timer (WM_TIMER 1002). Prints the
// resident size along the way and the CPU time of the ticks.
//
//   live_session MODULE_FOLDER [TICKS]
//
// MODULE_FOLDER holds the camera-link module the dialog loads, as QxCamLinkDLLDALSA.so; with
// no detector module beside it, the dialog takes the DALSA module.
#include <sys/resource.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "dialog/vantrel_dlg.h"
#include "platform/app.h"
#include "platform/message_box.h"
#include "platform/module_loader.h"
#include "platform/resources.h"
#include "res/resource.h"
#include "res/templates.h"

namespace {

constexpr int kFifteenMinutesOfTicks = 8182;  // 900,000 ms / 110 ms
constexpr int kOneMinuteOfTicks = 545;        // 60,000 ms / 110 ms

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// What the event loop does between two ticks: paints, deferred deletions, posted events.
void RunEventLoopOnce() {
    QCoreApplication::sendPostedEvents(nullptr, 0);
    QCoreApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s MODULE_FOLDER [TICKS]\n", argv[0]);
        return 2;
    }
    const int ticks = argc > 2 ? std::atoi(argv[2]) : kFifteenMinutesOfTicks;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("LC_ALL", "ko_KR.UTF-8", 1);
    // Unset, the camera modules would search the network for real cameras.
    setenv("VANTREL_CAMERA", "sim-dalsa", 0);

    platform::EnsureGuiApplication();
    static CWinApp application(L"Vantrel");
    platform::SetProgramResources(res::ProgramResources());
    platform::SetModuleSearchFolder(argv[1]);
    int messages = 0;
    platform::SetMessageBoxHook([&messages](const std::wstring&, const std::wstring&) {
        ++messages;
        return IDOK;
    });

    long started = 0, firstTick = 0, oneMinute = 0, fifteenMinutes = 0, stopped = 0;
    double tickCpu = 0.0, tickWall = 0.0, startMs = 0.0;
    {
        CVantrelDlg dialog;
        if (!dialog.Create()) return 1;
        auto click = [&dialog](int id) {
            dialog.SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), 0);
        };
        dialog.GetDlgItem(IDC_CHECK_GRID_GUIDE)->SendMessage(BM_SETCHECK, BST_CHECKED);
        click(IDC_CHECK_GRID_GUIDE);
        dialog.GetDlgItem(IDC_CHECK_FOCUS_TOOL)->SendMessage(BM_SETCHECK, BST_CHECKED);
        click(IDC_CHECK_FOCUS_TOOL);
        const auto beforeStart = std::chrono::steady_clock::now();
        click(IDC_BTN_START);
        startMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() -
                                                            beforeStart)
                      .count();
        if (!dialog.IsCameraRunning()) {
            std::fprintf(stderr, "live_session: the cameras did not start\n");
            return 1;
        }
        RunEventLoopOnce();
        started = ResidentKiB();

        const double cpu0 = CpuSeconds();
        const auto wall0 = std::chrono::steady_clock::now();
        for (int tick = 1; tick <= ticks; ++tick) {
            dialog.SendMessage(WM_TIMER, CVantrelDlg::ID_TIMER_FRAME, 0);
            RunEventLoopOnce();
            if (tick == 1) firstTick = ResidentKiB();
            if (tick == kOneMinuteOfTicks) oneMinute = ResidentKiB();
        }
        tickCpu = CpuSeconds() - cpu0;
        tickWall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
        fifteenMinutes = ResidentKiB();

        dialog.SendMessage(WM_TIMER, CVantrelDlg::ID_TIMER_HEAT, 0);
        RunEventLoopOnce();
        stopped = ResidentKiB();
        if (dialog.IsCameraRunning() || messages != 1) {
            std::fprintf(stderr, "live_session: the limit timer did not stop the cameras\n");
            return 1;
        }
        dialog.DestroyWindow();
    }
    std::printf("ticks %d\n", ticks);
    std::printf("rss_kib_after_start %ld\n", started);
    std::printf("rss_kib_after_first_tick %ld\n", firstTick);
    std::printf("rss_kib_after_one_minute %ld\n", oneMinute);
    std::printf("rss_kib_after_fifteen_minutes %ld\n", fifteenMinutes);
    std::printf("rss_kib_after_limit_stop %ld\n", stopped);
    std::printf("start_click_ms %.1f\n", startMs);
    std::printf("tick_cpu_us %.1f\n", ticks > 0 ? tickCpu / ticks * 1e6 : 0.0);
    std::printf("tick_wall_us %.1f\n", ticks > 0 ? tickWall / ticks * 1e6 : 0.0);
    return 0;
}
