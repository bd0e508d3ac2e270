// Randomized use of the dialog: every control a technician can reach, the timers, the live
// windows' close boxes and mouse releases anywhere, in a random order from a printed seed, with
// the dialog's state checked for consistency after every single message.
#pragma once

#include <cstdint>
#include <deque>
#include <random>
#include <string>

#include "reliability_fixture.h"

class RandomUiTest : public ReliabilityTest {
protected:
    void SetUp() override;

    /// Opens the dialog and sends `count` random messages, checking after each one. Returns
    /// false (after recording a failure that names the seed) at the first inconsistency.
    bool RunRandomSession(const std::string& label, uint64_t seedOffset, int count);

    /// VANTREL_FUZZ_MESSAGES when set, otherwise fallback.
    static int MessageCount(int fallback);
    /// VANTREL_FUZZ_SEED when set, otherwise a fresh seed; the same for every session of a run.
    static uint64_t BaseSeed();

private:
    enum class Action {
        kStart,
        kStop,
        kRightHanded,
        kLeftHanded,
        kCenterGuide,
        kGridGuide,
        kFocusTool,
        kGainRelease,
        kExposureRelease,
        kSaveImage,
        kShowSample,
        kFrameTick,
        kLimitTick,
        kCloseWindow,
        kMouse,
        kCount
    };
    struct Buttons {
        bool start = true;
        bool stop = true;
    };
    struct Before {
        bool running;
        bool leftHanded;
        bool liveWindowOpen;  // either live window of the current handedness shown
        size_t messages;
    };

    Action PickAction();
    /// Performs action; false when it could not be sent (a disabled button, no window to close).
    bool Perform(Action action);
    std::string Check(Action action, const Before& before);
    bool WindowShown(const char* name);
    int RandomCoordinate();
    static const char* Name(Action action);

    std::mt19937_64 random_;
    Buttons buttons_;
    CvPoint focus_{320, 240};
    std::deque<std::string> recent_;
};
