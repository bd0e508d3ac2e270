// The reference store keeps every picture whole, never replaces one, and reads back what it
// wrote; a picture offered as a reference is judged from its header alone.
#include "measure/reference_store.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "measure/picture_file.h"

namespace fs = std::filesystem;
using measure::PictureFormat;
using measure::PictureProblem;

namespace {

class Scratch : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/vantrel-references-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        folder_ = name;
    }
    void TearDown() override { fs::remove_all(folder_); }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(folder_ / name, std::ios::binary) << bytes;
    }
    fs::path folder_;
};

// A PNG's signature and IHDR chunk (with a dummy CRC), and nothing after it.
std::string PngHeader(uint32_t width, uint32_t height, char depth, char colourType) {
    std::string bytes = "\x89PNG\r\n\x1a\n";
    auto be32 = [&](uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>(v >> shift);
    };
    be32(13);
    bytes += "IHDR";
    be32(width);
    be32(height);
    bytes += {depth, colourType, 0, 0, 0};
    be32(0);
    return bytes;
}

cv::Mat Picture(int seed) {
    cv::Mat picture(480, 640, CV_8UC1);
    cv::RNG(seed).fill(picture, cv::RNG::UNIFORM, 0, 256);
    return picture;
}

TEST_F(Scratch, ReferencesAreAddedNeverReplacedAndReadBackNewestFirst) {
    const measure::ReferenceStore store((folder_ / "new" / "references").string());
    measure::ReferenceInfo info;
    info.position = "RR";
    info.takenAt = 1'765'000'000;
    info.exposure = 12500;
    info.gain = 2.5;
    info.model = "Model\nwith a line break";
    info.serial = "SN-1";
    const cv::Mat first = Picture(0), second = Picture(1), other = Picture(2);
    measure::StoredReference saved;
    ASSERT_EQ(store.Save(first, info, &saved), 0);
    info.serial = "SN-2";
    ASSERT_EQ(store.Save(second, info, nullptr), 0);  // the same second: a second file
    info.takenAt -= 3600;
    info.position = "RT";
    ASSERT_EQ(store.Save(other, info, nullptr), 0);
    Write("new/references/RR-stray.txt", "picture=gone.pgm\nposition=RR\n");

    const auto listed = store.List("RR");
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].info.serial, "SN-2");
    EXPECT_EQ(listed[1].picturePath, saved.picturePath);
    EXPECT_EQ(listed[1].info.model, "Model with a line break");
    EXPECT_EQ(listed[1].info.exposure, 12500);
    EXPECT_EQ(listed[1].info.gain, 2.5);
    cv::Mat read;
    ASSERT_EQ(measure::ReferenceStore::Load(listed[1], read), PictureProblem::kNone);
    EXPECT_EQ(cv::norm(read, first, cv::NORM_INF), 0.0);
    ASSERT_EQ(measure::ReferenceStore::Load(listed[0], read), PictureProblem::kNone);
    EXPECT_EQ(cv::norm(read, second, cv::NORM_INF), 0.0);
    EXPECT_EQ(store.List("RT").size(), 1u);
    EXPECT_TRUE(store.List("LL").empty());
    // Only pictures, sidecars and nothing half-written in the folder.
    int files = 0;
    for (const auto& entry : fs::directory_iterator(folder_ / "new" / "references")) {
        EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
        ++files;
    }
    EXPECT_EQ(files, 7);

    EXPECT_EQ(store.Save(cv::Mat(240, 320, CV_8UC1), info, nullptr), EINVAL);
    Write("blocked", "a file where the folder should be");
    EXPECT_EQ(
        measure::ReferenceStore((folder_ / "blocked" / "x").string()).Save(first, info, nullptr),
        ENOTDIR);
}

TEST(ReferenceFolder, FollowsXdgDataHomeElseHome) {
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string previous = saved ? saved : "";
    setenv("XDG_DATA_HOME", "/data/user", 1);
    EXPECT_EQ(measure::ReferenceStore::DefaultFolder(), "/data/user/vantrel/references");
    setenv("XDG_DATA_HOME", "relative", 1);
    EXPECT_EQ(measure::ReferenceStore::DefaultFolder(),
              std::string(std::getenv("HOME")) + "/.local/share/vantrel/references");
    if (saved)
        setenv("XDG_DATA_HOME", previous.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
}

// An oversized picture is refused with its size and a broken one as broken, from the first bytes
// (these files hold no pixels at all); a colour PNG of the right size serves, turned grey.
TEST_F(Scratch, OfferedPicturesAreJudgedFromTheirHeader) {
    Write("huge.png", PngHeader(20000, 20000, 8, 0));
    Write("colour.png", PngHeader(640, 480, 8, 2));
    Write("broken.png", PngHeader(640, 480, 8, 2).substr(0, 20));
    Write("badtype.png", PngHeader(640, 480, 8, 5));
    Write("text.png", "not a picture");
    Write("small.pgm", "P5\n# comment\n320 240\n255\n");
    Write("deep.pgm", "P5 640 480 65535\n");
    Write("short.pgm", "P5\n640 480\n255\n" + std::string(1000, '\0'));
    Write("grey.pgm", measure::EncodePgm(Picture(3)));
    {
        std::ofstream big(folder_ / "big.png", std::ios::binary);
        big << PngHeader(640, 480, 8, 0);
    }
    fs::resize_file(folder_ / "big.png", measure::kMaxPictureFileBytes + 1);

    const auto check = [&](const char* name) {
        return measure::CheckPictureFile((folder_ / name).string());
    };
    const measure::PictureHeader huge = check("huge.png");
    EXPECT_EQ(huge.problem, PictureProblem::kWrongSize);
    EXPECT_EQ(huge.width, 20000);
    EXPECT_EQ(huge.height, 20000);
    const measure::PictureHeader colour = check("colour.png");
    EXPECT_EQ(colour.problem, PictureProblem::kNone);
    EXPECT_EQ(colour.format, PictureFormat::kPng);
    EXPECT_TRUE(colour.colour);
    EXPECT_EQ(check("broken.png").problem, PictureProblem::kMalformed);
    EXPECT_EQ(check("badtype.png").problem, PictureProblem::kMalformed);
    EXPECT_EQ(check("text.png").problem, PictureProblem::kNotAPicture);
    EXPECT_EQ(check("missing.png").problem, PictureProblem::kMissing);
    EXPECT_EQ(check("big.png").problem, PictureProblem::kTooLarge);
    EXPECT_EQ(check("small.pgm").problem, PictureProblem::kWrongSize);
    EXPECT_EQ(check("small.pgm").width, 320);
    EXPECT_EQ(check("deep.pgm").problem, PictureProblem::kUnsupported);
    EXPECT_EQ(check("short.pgm").problem, PictureProblem::kMalformed);

    cv::Mat read;
    EXPECT_EQ(measure::ReadPgm((folder_ / "short.pgm").string(), read), PictureProblem::kMalformed);
    EXPECT_TRUE(read.empty());
    EXPECT_EQ(measure::ReadPgm((folder_ / "grey.pgm").string(), read), PictureProblem::kNone);
    EXPECT_EQ(cv::norm(read, Picture(3), cv::NORM_INF), 0.0);
}

}  // namespace
