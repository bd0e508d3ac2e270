// The detector module and the detector doubles.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "camlink_module.h"
#include "test_double_api.h"

namespace vantrel::testing {
namespace {

using Detect = decltype(&QxCamDetect);

class Library {
public:
    explicit Library(const std::string& path)
        : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {}
    ~Library() {
        if (handle_ != nullptr) dlclose(handle_);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    void* handle() const { return handle_; }
    Detect detect() const {
        return handle_ != nullptr ? reinterpret_cast<Detect>(dlsym(handle_, "QxCamDetect"))
                                  : nullptr;
    }

private:
    void* handle_;
};

TEST(Detector, ReportsTheVendorThatVantrelCameraSelects) {
    Library detector(ProgramModulePath("QxCamDetecter.so"));
    const Detect detect = detector.detect();
    ASSERT_NE(detect, nullptr) << dlerror();
    const char* given = std::getenv("VANTREL_CAMERA");
    const std::string before = given != nullptr ? given : "sim-none";

    const std::pair<const char*, int> cases[] = {{"sim-dalsa", 1}, {"sim-vieworks", 2},
                                                 {"sim-hv", 3},    {"sim-none", 0},
                                                 {"1", 1},         {"2", 2},
                                                 {"3", 3},         {"0", 0},
                                                 {"-1", -1},       {"4", 4},
                                                 {"sim-foo", 0},   {"2x", 0},
                                                 {"SIM-DALSA", 0}};
    for (const auto& [selection, code] : cases) {
        setenv("VANTREL_CAMERA", selection, 1);
        EXPECT_EQ(detect(), code) << "VANTREL_CAMERA=\"" << selection << "\"";
    }

    // Unset or empty, as from the desktop menu: the GenICam cameras are searched. Here Aravis's
    // in-process fake stands in for them (vendor "Aravis": 3), so nothing goes on the network.
    setenv("VANTREL_GENICAM_FAKE", "1", 1);
    unsetenv("VANTREL_CAMERA");
    EXPECT_EQ(detect(), 3) << "unset";
    setenv("VANTREL_CAMERA", "", 1);
    EXPECT_EQ(detect(), 3) << "empty";
    unsetenv("VANTREL_GENICAM_FAKE");
    setenv("VANTREL_CAMERA", before.c_str(), 1);
}

TEST(DetectorDoubles, ReturnTheirCodeAndCountTheirCalls) {
    const std::string log = ::testing::TempDir() + "detect_calls_" + std::to_string(getpid());
    std::remove(log.c_str());
    setenv("VANTREL_DETECT_LOG", log.c_str(), 1);
    const std::pair<const char*, int> doubles[] = {
        {"detect_returns_0.so", 0}, {"detect_returns_1.so", 1}, {"detect_returns_2.so", 2},
        {"detect_returns_3.so", 3}, {"detect_returns_4.so", 4}, {"detect_returns_minus1.so", -1}};
    int calls = 0;
    for (const auto& [file, code] : doubles) {
        Library library(TestDoublePath(file));
        ASSERT_NE(library.detect(), nullptr) << file;
        EXPECT_EQ(library.detect()(), code) << file;
        ++calls;
    }
    Library second(TestDoublePath("detect_returns_1.so"));
    ASSERT_NE(second.detect(), nullptr);
    second.detect()();
    ++calls;
    unsetenv("VANTREL_DETECT_LOG");

    std::ifstream lines(log);
    int counted = 0;
    for (std::string line; std::getline(lines, line);) counted += line == "QxCamDetect" ? 1 : 0;
    EXPECT_EQ(counted, calls);
    std::remove(log.c_str());

    Library without(TestDoublePath("detect_no_export.so"));
    ASSERT_NE(without.handle(), nullptr) << dlerror();
    EXPECT_EQ(without.detect(), nullptr);
}

}  // namespace
}  // namespace vantrel::testing
