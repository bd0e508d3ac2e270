#include "random_ui_driver.h"

#include <opencv2/highgui/highgui_c.h>

#include <QApplication>
#include <QWidget>
#include <array>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "dialog/live_windows.h"
#include "imaging/focus.h"
#include "imaging/frame_grabber.h"

namespace {

const std::wstring kCannotStart = L"Cannot start Camera";
const std::wstring kLimit = L"발열문제로 카메라를 정지합니다.";

// True when every line of text says that a snapshot of the handedness was not saved because
// its camera delivered no picture.
bool OnlyNoPictureLines(const std::wstring& text, bool leftHanded) {
    const auto line = [](const wchar_t* file) {
        return L"카메라가 영상을 보내지 않아 " + std::wstring(file) + L" 파일을 저장하지 않았습니다.";
    };
    const std::wstring side = line(leftHanded ? L"ll.png" : L"rr.png");
    const std::wstring top = line(leftHanded ? L"lt.png" : L"rt.png");
    return text == side || text == top || text == side + L"\n" + top;
}

// Windows a user can close: the live windows of both pairs and the sample windows.
constexpr const char* kClosable[] = {"Right-Right", "Right-Top", "Left-Left", "Left-Top",
                                     "RR Sample",   "RT Sample", "LL Sample", "LT Sample"};

// Coordinates where something changes: the window limits of the focus measure, the picture's
// edges and the ends of the int range.
constexpr int kEdges[] = {INT_MIN, INT_MIN + 1, INT_MIN + 40, -41,         -40,    -39, -1,
                          0,       1,           39,           40,          439,    440, 479,
                          480,     519,         520,          599,         600,    639, 640,
                          679,     680,         INT_MAX - 40, INT_MAX - 1, INT_MAX};

// Relative frequencies, in the order of Action: frame ticks and mouse releases are cheap and
// common, snapshots and sample windows cost milliseconds and are rare.
constexpr std::array<double, 15> kWeights = {
    700,   // kStart
    200,   // kStop
    300,   // kRightHanded
    300,   // kLeftHanded
    500,   // kCenterGuide
    500,   // kGridGuide
    500,   // kFocusTool
    500,   // kGainRelease
    500,   // kExposureRelease
    4,     // kSaveImage
    12,    // kShowSample
    3500,  // kFrameTick
    40,    // kLimitTick
    300,   // kCloseWindow
    1800,  // kMouse
};

}  // namespace

void RandomUiTest::SetUp() {
    ReliabilityTest::SetUp();
    EnterScratchFolder();
}

int RandomUiTest::MessageCount(int fallback) {
    const char* text = std::getenv("VANTREL_FUZZ_MESSAGES");
    return text && *text ? std::atoi(text) : fallback;
}

uint64_t RandomUiTest::BaseSeed() {
    static const uint64_t seed = [] {
        const char* text = std::getenv("VANTREL_FUZZ_SEED");
        if (text && *text) return static_cast<uint64_t>(std::strtoull(text, nullptr, 10));
        return static_cast<uint64_t>(std::random_device{}()) << 32 | std::random_device{}();
    }();
    return seed;
}

const char* RandomUiTest::Name(Action action) {
    static constexpr const char* kNames[] = {
        "Start",       "Stop",       "Right-handed", "Left-handed",      "Center guide",
        "Grid",        "Focus",      "Gain release", "Exposure release", "Save Image",
        "Show Sample", "frame tick", "limit tick",   "close window",     "mouse"};
    return kNames[static_cast<int>(action)];
}

RandomUiTest::Action RandomUiTest::PickAction() {
    static std::discrete_distribution<int> pick(kWeights.begin(), kWeights.end());
    return static_cast<Action>(pick(random_));
}

bool RandomUiTest::WindowShown(const char* name) {
    return cvGetWindowHandle(name) && cvGetWindowProperty(name, CV_WND_PROP_VISIBLE) > 0;
}

int RandomUiTest::RandomCoordinate() {
    const int kind = static_cast<int>(random_() % 20);
    if (kind < 5) return kEdges[random_() % std::size(kEdges)];
    if (kind < 13) return static_cast<int>(random_() % 841) - 100;  // in and around the picture
    return static_cast<int>(static_cast<uint32_t>(random_()));      // anywhere
}

bool RandomUiTest::Perform(Action action) {
    std::ostringstream what;
    what << Name(action);
    switch (action) {
        case Action::kStart:
            if (!StartEnabled()) return false;
            Click(IDC_BTN_START);
            break;
        case Action::kStop:
            if (!StopEnabled()) return false;
            Click(IDC_BTN_STOP);
            break;
        case Action::kRightHanded:
            Click(IDC_BTN_RIGHT_HANDED);
            break;
        case Action::kLeftHanded:
            Click(IDC_BTN_LEFT_HANDED);
            break;
        case Action::kCenterGuide:
        case Action::kGridGuide:
        case Action::kFocusTool: {
            const int id = action == Action::kCenterGuide ? IDC_CHECK_CENTER_GUIDE
                           : action == Action::kGridGuide ? IDC_CHECK_GRID_GUIDE
                                                          : IDC_CHECK_FOCUS_TOOL;
            const int state = random_() % 2 ? BST_CHECKED : BST_UNCHECKED;
            what << ' ' << state;
            SetCheckBox(id, state);
            break;
        }
        case Action::kGainRelease:
        case Action::kExposureRelease: {
            const int position = RandomCoordinate();
            what << ' ' << position;
            ReleaseSliderAt(action == Action::kGainRelease ? IDC_SLIDER_GAIN : IDC_SLIDER_EXPOSURE,
                            position);
            break;
        }
        case Action::kSaveImage:
            Click(IDC_BTN_SAVE_IMAGE);
            break;
        case Action::kShowSample:
            Click(IDC_BTN_SHOW_SAMPLE);
            break;
        case Action::kFrameTick:
            Tick(CVantrelDlg::ID_TIMER_FRAME);
            break;
        case Action::kLimitTick:
            Tick(CVantrelDlg::ID_TIMER_HEAT);
            break;
        case Action::kCloseWindow: {
            const char* name = kClosable[random_() % std::size(kClosable)];
            if (!WindowShown(name)) return false;
            what << ' ' << name;
            static_cast<QWidget*>(cvGetWindowHandle(name))->close();
            break;
        }
        case Action::kMouse: {
            // Mostly left-button releases; other events must leave the focus point alone.
            const int event = random_() % 8 ? CV_EVENT_LBUTTONUP : static_cast<int>(random_() % 11);
            const int x = RandomCoordinate();
            const int y = RandomCoordinate();
            what << " event " << event << " at (" << x << ", " << y << ")";
            OnLiveWindowMouse(event, x, y, 0, nullptr);
            if (event == CV_EVENT_LBUTTONUP) focus_ = cvPoint(x, y);
            break;
        }
        case Action::kCount:
            return false;
    }
    recent_.push_back(what.str());
    if (recent_.size() > 12) recent_.pop_front();
    return true;
}

std::string RandomUiTest::Check(Action action, const Before& before) {
    CVantrelDlg& dialog = *dialog_;
    const bool running = dialog.IsCameraRunning();
    const bool switching = (action == Action::kRightHanded && before.leftHanded) ||
                           (action == Action::kLeftHanded && !before.leftHanded);
    const bool restarts = switching && before.running;
    // OpenCV pumps the event loop when it creates a window, so a real frame tick may run inside
    // Show Sample while capture runs; with no live window left open, that tick stops capture.
    const bool nestedTickStopped =
        action == Action::kShowSample && before.running && !before.liveWindowOpen && !running;
    const bool stopRan = action == Action::kStop || action == Action::kLimitTick ||
                         (action == Action::kFrameTick && !before.liveWindowOpen) || restarts ||
                         nestedTickStopped;
    const bool mayStart = action == Action::kStart || restarts;

    if (stopRan && running && !restarts) return "still running after a stop";
    if (!stopRan && before.running && !running) return "capture stopped on its own";
    if (!mayStart && !before.running && running) return "capture started on its own";
    if (action == Action::kRightHanded && dialog.IsLeftHanded()) return "handedness not right";
    if (action == Action::kLeftHanded && !dialog.IsLeftHanded()) return "handedness not left";

    if (mayStart && running) {
        const LiveWindowNames names = LiveWindowsFor(dialog.IsLeftHanded() ? 1 : 0);
        if (!WindowShown(names.side) || !WindowShown(names.top)) return "started without windows";
    }

    if (stopRan) buttons_ = {true, false};
    if (running) buttons_ = {false, true};
    if (StartEnabled() != buttons_.start || StopEnabled() != buttons_.stop)
        return "Start/Stop enabled " + std::to_string(StartEnabled()) + "/" +
               std::to_string(StopEnabled()) + ", expected " + std::to_string(buttons_.start) +
               "/" + std::to_string(buttons_.stop);

    const int frame = dialog.TimerPeriod(CVantrelDlg::ID_TIMER_FRAME);
    const int limit = dialog.TimerPeriod(CVantrelDlg::ID_TIMER_HEAT);
    if (running && !((frame == 110 || frame == 330) && limit == 900000))
        return "running with timers " + std::to_string(frame) + "/" + std::to_string(limit);
    if (!running && (frame != -1 || limit != -1))
        return "idle with timers " + std::to_string(frame) + "/" + std::to_string(limit);
    if (!running && dialog.Frame()) return "idle but an image is held";

    if (!std::isfinite(g_focusFit.a) || !std::isfinite(g_focusFit.b) ||
        !std::isfinite(g_focusFit.c))
        return "focus fit not finite";
    if (g_ptFocus.x != focus_.x || g_ptFocus.y != focus_.y) return "focus point moved";

    std::vector<std::wstring> expected;
    if (action == Action::kLimitTick) expected.push_back(kLimit);
    if (mayStart && !running) expected.push_back(kCannotStart);
    const std::vector<std::wstring> shown(messages_.begin() + before.messages, messages_.end());
    // A camera that had no frame keeps its snapshot, and Save Image says so. The faulty
    // module's readiness faults bring that about; the simulated cameras always have a frame.
    if (action == Action::kSaveImage && faulty_ && shown.size() == 1 &&
        OnlyNoPictureLines(shown[0], dialog.IsLeftHanded()))
        expected = shown;
    if (shown != expected) return "unexpected message boxes: " + std::to_string(shown.size());

    if (faulty_ && Faulty().Violations() != 0)
        return std::string("module contract broken: ") + Faulty().FirstViolation();
    return "";
}

bool RandomUiTest::RunRandomSession(const std::string& label, uint64_t seedOffset, int count) {
    const uint64_t seed = BaseSeed() + seedOffset;
    random_.seed(seed);
    std::printf("[%s] seed %llu (VANTREL_FUZZ_SEED=%llu replays), %d messages\n", label.c_str(),
                static_cast<unsigned long long>(seed), static_cast<unsigned long long>(BaseSeed()),
                count);
    std::fflush(stdout);
    buttons_ = {};
    focus_ = g_ptFocus;
    recent_.clear();
    messages_.clear();
    Open();

    std::array<int, static_cast<size_t>(Action::kCount)> sent{};
    for (int message = 0; message < count;) {
        const Action action = PickAction();
        const LiveWindowNames names = LiveWindowsFor(dialog_->IsLeftHanded() ? 1 : 0);
        const Before before{dialog_->IsCameraRunning(), dialog_->IsLeftHanded(),
                            WindowShown(names.side) || WindowShown(names.top), messages_.size()};
        if (!Perform(action)) continue;
        ++sent[static_cast<size_t>(action)];
        ++message;
        const std::string problem = Check(action, before);
        if (!problem.empty()) {
            std::ostringstream last;
            for (const std::string& step : recent_) last << "\n  " << step;
            ADD_FAILURE() << "[" << label << "] seed " << seed << ", message " << message << " ("
                          << Name(action) << "): " << problem << "\nlast messages:" << last.str();
            return false;
        }
        // Deliver what the handlers posted (repaints, deferred deletions of closed windows),
        // as the message loop would between two messages; the dialog's real timers stay out.
        if (message % 32 == 0) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }
    std::printf("[%s] sent:", label.c_str());
    for (int a = 0; a < static_cast<int>(Action::kCount); ++a)
        std::printf(" %s %d;", Name(static_cast<Action>(a)), sent[static_cast<size_t>(a)]);
    std::printf("\n");
    Close();
    return true;
}
