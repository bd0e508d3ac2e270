// Snapshot files and the reference pictures.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc/imgproc_c.h>

#include "imaging/samples.h"
#include "imaging/snapshot.h"
#include "res/samples.h"

namespace fs = std::filesystem;

namespace {

struct Image {
    Image() : image(cvCreateImage(cvSize(640, 480), IPL_DEPTH_8U, 1)) {}
    ~Image() { cvReleaseImage(&image); }
    uint8_t At(int x, int y) const { return static_cast<uint8_t>(image->imageData[y * 640 + x]); }
    IplImage* image;
};

class ScratchFolder : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "vantrel-still-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    void TearDown() override { fs::remove_all(folder); }
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    fs::path folder;
};

std::string ReadAll(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void FillGradient(IplImage* image) {
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) image->imageData[y * 640 + x] = static_cast<char>((x + 3 * y) & 0xFF);
}

}  // namespace

TEST_F(ScratchFolder, SnapshotIsAnExactGreyPngWithTheModeTheUmaskGives) {
    Image picture;
    FillGradient(picture.image);
    const std::string file = (folder / "rr.png").string();
    { std::ofstream old(file); old << "an older snapshot"; }
    for (const mode_t mask : {mode_t{022}, mode_t{077}}) {
        const mode_t previous = umask(mask);
        const int error = SaveSnapshot(file.c_str(), picture.image);
        umask(previous);
        ASSERT_EQ(error, 0) << std::strerror(error);
        EXPECT_EQ(Entries(), std::vector<std::string>{"rr.png"});  // no temporary file left behind
        struct stat status {};
        ASSERT_EQ(stat(file.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0666 & ~mask) << std::oct << mask;
        const cv::Mat read = cv::imread(file, cv::IMREAD_UNCHANGED);
        ASSERT_EQ(read.type(), CV_8UC1);
        ASSERT_EQ(read.cols, 640);
        ASSERT_EQ(read.rows, 480);
        EXPECT_EQ(cv::norm(read, cv::cvarrToMat(picture.image), cv::NORM_INF), 0.0);
    }
}

TEST_F(ScratchFolder, FailedSnapshotLeavesTheOldFileAndNoTemporary) {
    Image picture;
    FillGradient(picture.image);
    const std::string file = (folder / "rr.png").string();
    { std::ofstream old(file); old << "an older snapshot"; }

    // A folder the user may not write to. Root writes anywhere, so as root a child process that
    // has become nobody tries it.
    int error = -1;
    if (geteuid() == 0) {
        fs::permissions(folder, fs::perms(0755));
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (setgid(65534) != 0 || setuid(65534) != 0) _exit(255);
            _exit(SaveSnapshot(file.c_str(), picture.image));
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        if (WEXITSTATUS(status) == 255) GTEST_SKIP() << "cannot become the user nobody";
        error = WEXITSTATUS(status);
    } else {
        fs::permissions(folder, fs::perms(0555));
        error = SaveSnapshot(file.c_str(), picture.image);
        fs::permissions(folder, fs::perms(0755));
    }
    EXPECT_EQ(error, EACCES) << std::strerror(error);
    EXPECT_EQ(Entries(), std::vector<std::string>{"rr.png"});
    EXPECT_EQ(ReadAll(file), "an older snapshot");

    // A folder in the file's place: the finished picture cannot be put there.
    fs::create_directory(folder / "rt.png");
    EXPECT_EQ(SaveSnapshot((folder / "rt.png").string().c_str(), picture.image), EISDIR);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"rr.png", "rt.png"}));
    EXPECT_TRUE(fs::is_directory(folder / "rt.png"));
}

TEST(SamplePictures, PreparedPictureHasTheBytesGuideLinesAndLabel) {
    Image image;
    std::vector<unsigned char> picture(kSamplePictureBytes);
    for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<unsigned char>(i % 200);
    PrepareSamplePicture(image.image, picture.data(), "RT Sample");
    for (int x = 0; x < 640; x += 7) {
        EXPECT_EQ(image.At(x, 227), 255) << x;
        EXPECT_EQ(image.At(x, 253), 255) << x;
    }
    for (int y = 0; y < 480; y += 7) {
        EXPECT_EQ(image.At(30, y), 255) << y;
        EXPECT_EQ(image.At(610, y), 255) << y;
    }
    // Away from the lines and the label the picture is untouched.
    for (int y : {100, 226, 228, 252, 254, 400})
        for (int x : {29, 31, 300, 609, 611})
            EXPECT_EQ(image.At(x, y), picture[static_cast<size_t>(y * 640 + x)]) << x << "," << y;
    // The label stands on its origin (50, 50): white strokes above the baseline, none well below.
    int whiteAbove = 0, whiteBelow = 0;
    for (int y = 15; y < 50; ++y)
        for (int x = 50; x < 400; ++x) whiteAbove += image.At(x, y) == 255 && picture[y * 640 + x] != 255;
    for (int y = 75; y < 100; ++y)
        for (int x = 50; x < 400; ++x) whiteBelow += image.At(x, y) == 255;
    EXPECT_GT(whiteAbove, 300);
    EXPECT_EQ(whiteBelow, 0);
}

TEST(SamplePictures, BlockHoldsFourDimPicturesWithMirroredLeftHandedPair) {
    const unsigned char* rr = SampleImageSet;
    const unsigned char* rt = SampleImageSet + kSamplePictureBytes;
    const unsigned char* ll = SampleImageSet + 2 * kSamplePictureBytes;
    const unsigned char* lt = SampleImageSet + 3 * kSamplePictureBytes;
    auto mean = [](const unsigned char* p) {
        double sum = 0;
        for (int i = 0; i < kSamplePictureBytes; ++i) sum += p[i];
        return sum / kSamplePictureBytes;
    };
    auto mirroredDifference = [](const unsigned char* a, const unsigned char* b) {
        double sum = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) sum += std::abs(a[y * 640 + x] - b[y * 640 + 639 - x]);
        return sum / kSamplePictureBytes;
    };
    for (const unsigned char* p : {rr, rt, ll, lt}) {
        EXPECT_GT(mean(p), 3.0);
        EXPECT_LT(mean(p), 80.0);  // dim
        EXPECT_EQ(*std::max_element(p, p + kSamplePictureBytes) > 150, true);  // bright features
    }
    EXPECT_GT(std::abs(mean(rr) - mean(rt)), 5.0);  // side and top see different scenes
    EXPECT_LT(mirroredDifference(rr, ll), 2.0);     // only the sensor noise differs
    EXPECT_LT(mirroredDifference(rt, lt), 2.0);
}
