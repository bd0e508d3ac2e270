// Save Image and Show Sample in the running dialog.
#include <QApplication>
#include <QImage>
#include <QWidget>
#include <opencv2/highgui/highgui_c.h>
#include <opencv2/imgcodecs.hpp>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "dialog_fixture.h"
#include "platform/message_box.h"
#include "platform/module_loader.h"
#include "res/samples.h"

namespace fs = std::filesystem;
using vantrel::testing::DefaultFramePixel;

namespace {

class StillImagesTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        UseDetector("detect_returns_1.so");
        UseCamLink("calllog_camlink.so");
        previous_ = fs::current_path();
        folder_ = modules_->Path() / "work";
        fs::create_directory(folder_);
        fs::current_path(folder_);
    }
    void TearDown() override {
        fs::current_path(previous_);
        DialogTest::TearDown();
    }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        if (!fs::exists(folder_)) return names;
        for (const auto& entry : fs::directory_iterator(folder_)) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    // The saved picture must be the camera's raw frame: every pixel of the slot's fill value.
    void ExpectRawFrame(const std::string& file, int slot) {
        const cv::Mat read = cv::imread((folder_ / file).string(), cv::IMREAD_UNCHANGED);
        ASSERT_EQ(read.type(), CV_8UC1) << file;
        ASSERT_EQ(read.size(), cv::Size(640, 480)) << file;
        double lowest = 0, highest = 0;
        cv::minMaxLoc(read, &lowest, &highest);
        EXPECT_EQ(lowest, DefaultFramePixel(slot)) << file;
        EXPECT_EQ(highest, DefaultFramePixel(slot)) << file;
    }
    static std::string ReadAll(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    fs::path previous_;
    fs::path folder_;
};

}  // namespace

TEST_F(StillImagesTest, RightHandedSaveWritesRawFramesOfBothCameras) {
    CVantrelDlg& dialog = Open();
    Control(IDC_CHECK_GRID_GUIDE).SendMessage(BM_SETCHECK, BST_CHECKED);
    Click(IDC_CHECK_GRID_GUIDE);
    Click(IDC_BTN_START);
    Tick();
    { std::ofstream old(folder_ / "rr.png"); old << "older"; }
    Click(IDC_BTN_SAVE_IMAGE);
    EXPECT_EQ(Files(), (std::vector<std::string>{"rr.png", "rt.png"}));
    ExpectRawFrame("rr.png", 0);
    ExpectRawFrame("rt.png", 2);
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(dialog.TimerPeriod(1001), 330);
    EXPECT_EQ(dialog.TimerPeriod(1002), 900000);
    // The working image holds the top camera's raw frame until the next tick.
    ASSERT_NE(dialog.Frame(), nullptr);
    EXPECT_EQ(static_cast<uint8_t>(dialog.Frame()->imageData[0]), DefaultFramePixel(2));

    Click(IDC_BTN_STOP);
    Click(IDC_BTN_START);
    EXPECT_EQ(dialog.TimerPeriod(1001), 110);
}

TEST_F(StillImagesTest, LeftHandedSaveWritesTheLeftFiles) {
    Open();
    Click(IDC_BTN_LEFT_HANDED);
    Click(IDC_BTN_START);
    Tick();
    Click(IDC_BTN_SAVE_IMAGE);
    EXPECT_EQ(Files(), (std::vector<std::string>{"ll.png", "lt.png"}));
    ExpectRawFrame("ll.png", 1);
    ExpectRawFrame("lt.png", 3);
}

TEST_F(StillImagesTest, SaveDoesNothingWhileIdleOrBeforeTheFirstTick) {
    CVantrelDlg& dialog = Open();
    Click(IDC_BTN_SAVE_IMAGE);
    Click(IDC_BTN_START);
    ClearCalls();
    Click(IDC_BTN_SAVE_IMAGE);
    EXPECT_TRUE(Files().empty());
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(dialog.TimerPeriod(1001), 110);
}

TEST_F(StillImagesTest, CameraWithoutAPictureKeepsItsFileAndTheOtherIsWritten) {
    CVantrelDlg& dialog = Open();
    Click(IDC_BTN_START);
    Tick();
    { std::ofstream old(folder_ / "rr.png"); old << "older"; }
    Double().SetFrameReady(0, 0);  // the side camera has delivered nothing
    int periodWhenShown = 0;
    platform::SetMessageBoxHook([&](const std::wstring& text, const std::wstring&) {
        messages_.push_back(text);
        periodWhenShown = dialog.TimerPeriod(1001);
        return IDOK;
    });
    Click(IDC_BTN_SAVE_IMAGE);
    EXPECT_EQ(messages_, std::vector<std::wstring>{
                             L"카메라가 영상을 보내지 않아 rr.png 파일을 저장하지 않았습니다."});
    EXPECT_EQ(periodWhenShown, 330);  // the box is shown with the frame timer armed again
    EXPECT_EQ(ReadAll(folder_ / "rr.png"), "older");
    EXPECT_EQ(Files(), (std::vector<std::string>{"rr.png", "rt.png"}));
    ExpectRawFrame("rt.png", 2);
}

TEST_F(StillImagesTest, FileSizeLimitKeepsTheOldFilesAndNamesFolderAndReason) {
    SetLocale("en_US.UTF-8");
    UseLanguagePack();
    Open();
    Click(IDC_BTN_START);
    Tick();
    for (const char* file : {"rr.png", "rt.png"}) {
        std::ofstream old(folder_ / file);
        old << "older " << file;
    }
    // A limit one byte below either new picture, which a write past it exceeds with EFBIG.
    size_t smallest = SIZE_MAX;
    for (int slot : {0, 2}) {
        std::vector<uchar> png;
        ASSERT_TRUE(cv::imencode(
            ".png", cv::Mat(480, 640, CV_8UC1, cv::Scalar(DefaultFramePixel(slot))), png));
        smallest = std::min(smallest, png.size());
    }
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit limited = previous;
    limited.rlim_cur = smallest - 1;
    void (*previousHandler)(int) = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    Click(IDC_BTN_SAVE_IMAGE);
    setrlimit(RLIMIT_FSIZE, &previous);
    signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(Files(), (std::vector<std::string>{"rr.png", "rt.png"}));
    EXPECT_EQ(ReadAll(folder_ / "rr.png"), "older rr.png");
    EXPECT_EQ(ReadAll(folder_ / "rt.png"), "older rt.png");
    const std::wstring folder = fs::canonical(folder_).wstring();
    const std::wstring reason = platform::FromUtf8(std::strerror(EFBIG));
    EXPECT_EQ(messages_, std::vector<std::wstring>{
                             L"Cannot save image rr.png in " + folder + L": " + reason +
                             L"\nCannot save image rt.png in " + folder + L": " + reason});
}

TEST_F(StillImagesTest, ShowSampleOpensThePairOfTheHandednessAtFullSize) {
    CVantrelDlg& dialog = Open();
    Click(IDC_BTN_SHOW_SAMPLE);
    for (const char* name : {"RR Sample", "RT Sample"}) {
        auto* window = static_cast<QWidget*>(cvGetWindowHandle(name));
        ASSERT_NE(window, nullptr) << name;
        EXPECT_TRUE(window->isVisible());
    }
    EXPECT_EQ(cvGetWindowHandle("LL Sample"), nullptr);
    EXPECT_EQ(dialog.Frame(), nullptr);

    Click(IDC_BTN_LEFT_HANDED);
    Click(IDC_BTN_SHOW_SAMPLE);
    EXPECT_NE(cvGetWindowHandle("LL Sample"), nullptr);
    EXPECT_NE(cvGetWindowHandle("LT Sample"), nullptr);
    // Again while running. The windows exist now: creating one lets OpenCV run the event loop,
    // where the real frame timer could replace the working image under the test.
    Click(IDC_BTN_START);
    Tick();
    const IplImage* frame = dialog.Frame();
    Click(IDC_BTN_SHOW_SAMPLE);
    EXPECT_EQ(dialog.Frame(), frame);  // the working image is untouched
    EXPECT_TRUE(Calls().size() > 0);

    // The window shows the LT picture with its guide lines, at full size.
    auto* window = static_cast<QWidget*>(cvGetWindowHandle("LT Sample"));
    QApplication::processEvents();
    const QImage shown = window->grab().toImage().convertToFormat(QImage::Format_Grayscale8);
    ASSERT_GE(shown.width(), 640);
    ASSERT_GE(shown.height(), 480);
    const unsigned char* lt = SampleImageSet + 3 * 307200;
    int matching = 0, compared = 0;
    for (int y = 100; y < 460; y += 37)
        for (int x = 40; x < 600; x += 41, ++compared)
            matching += std::abs(qGray(shown.pixel(x, y)) - lt[y * 640 + x]) <= 2;
    EXPECT_GT(matching, compared * 9 / 10);
    EXPECT_EQ(qGray(shown.pixel(320, 227)), 255);
    EXPECT_EQ(qGray(shown.pixel(30, 400)), 255);
}
