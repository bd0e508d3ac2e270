#include "reliability_fixture.h"

#include <cstdlib>

namespace fs = std::filesystem;
using vantrel::testing::FaultyFramePixel;
using vantrel::testing::TestDoublePath;

namespace {

// Pixels clear of every overlay the tests switch on: away from the centre guide, the SCREEN
// letters, the grid lines and the focus marker at its default point.
constexpr struct {
    int x, y;
} kClearPixels[] = {{100, 400}, {5, 5}, {200, 300}, {500, 450}, {639, 479}, {450, 20}};

}  // namespace

void ReliabilityTest::SetUp() {
    DialogTest::SetUp();
    unsetenv("VANTREL_FAULTS");
}

void ReliabilityTest::TearDown() {
    DialogTest::TearDown();
    faulty_.reset();
    unsetenv("VANTREL_FAULTS");
    if (!previousFolder_.empty()) fs::current_path(previousFolder_);
}

void ReliabilityTest::UseFaultyCamera(const std::string& faults) {
    setenv("VANTREL_FAULTS", faults.c_str(), 1);
    UseDetector("detect_returns_1.so");
    faulty_.reset();
    modules_->Add(TestDoublePath("faulty_camlink.so"), "QxCamLinkDLLDALSA.so");
    faulty_ = std::make_unique<vantrel::testing::FaultyCamModule>(
        (modules_->Path() / "QxCamLinkDLLDALSA.so").string());
    ASSERT_TRUE(faulty_->ok());
    ASSERT_STREQ(faulty_->api().ConfigError(), "") << faults;
    faulty_->api().ResetCounters();
}

void ReliabilityTest::SetFaults(const std::string& faults) {
    setenv("VANTREL_FAULTS", faults.c_str(), 1);
}

const vantrel::testing::FaultyCamApi& ReliabilityTest::Faulty() {
    return faulty_->api();
}

void ReliabilityTest::UseSimulatedCamera() {
    // Unset, the module would search the network for real cameras.
    setenv("VANTREL_CAMERA", "sim-dalsa", 1);
    UseDetector("detect_returns_1.so");
    modules_->Add(testing_support::BinFolder() / "QxCamLinkDLLDALSA.so", "QxCamLinkDLLDALSA.so");
}

void ReliabilityTest::EnterScratchFolder() {
    const fs::path folder = modules_->Path() / "work";
    fs::create_directories(folder);
    if (previousFolder_.empty()) previousFolder_ = fs::current_path();
    fs::current_path(folder);
}

void ReliabilityTest::SetCheckBox(int id, int state) {
    Control(id).SendMessage(BM_SETCHECK, static_cast<WPARAM>(state));
    Click(id);
}

void ReliabilityTest::ReleaseSliderAt(int id, int position) {
    Control(id).SendMessage(TBM_SETPOS, TRUE, position);
    ReleaseSlider(id);
}

int ReliabilityTest::SliderPos(int id) {
    return static_cast<int>(Control(id).SendMessage(TBM_GETPOS));
}
int ReliabilityTest::SliderMin(int id) {
    return static_cast<int>(Control(id).SendMessage(TBM_GETRANGEMIN));
}
int ReliabilityTest::SliderMax(int id) {
    return static_cast<int>(Control(id).SendMessage(TBM_GETRANGEMAX));
}
bool ReliabilityTest::StartEnabled() {
    return Control(IDC_BTN_START).IsWindowEnabled();
}
bool ReliabilityTest::StopEnabled() {
    return Control(IDC_BTN_STOP).IsWindowEnabled();
}

int ReliabilityTest::PixelAt(int x, int y) {
    const IplImage* frame = dialog_->Frame();
    return static_cast<uint8_t>(frame->imageData[y * frame->widthStep + x]);
}

::testing::AssertionResult ReliabilityTest::IsBlackWithCentreGuide() {
    if (!dialog_->Frame()) return ::testing::AssertionFailure() << "no working image";
    for (const auto& p : kClearPixels)
        if (PixelAt(p.x, p.y) != 0)
            return ::testing::AssertionFailure()
                   << "pixel (" << p.x << ", " << p.y << ") is " << PixelAt(p.x, p.y);
    for (int x : {0, 100, 400, 639})
        for (int y : {228, 252})
            if (PixelAt(x, y) != 255)
                return ::testing::AssertionFailure()
                       << "guide pixel (" << x << ", " << y << ") is " << PixelAt(x, y);
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult ReliabilityTest::CarriesPattern(int slot) {
    if (!dialog_->Frame()) return ::testing::AssertionFailure() << "no working image";
    for (const auto& p : kClearPixels) {
        const int expected = FaultyFramePixel(slot, p.x, p.y);
        if (PixelAt(p.x, p.y) != expected)
            return ::testing::AssertionFailure() << "pixel (" << p.x << ", " << p.y << ") is "
                                                 << PixelAt(p.x, p.y) << ", not " << expected;
    }
    return ::testing::AssertionSuccess();
}
