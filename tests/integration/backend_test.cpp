// Choosing, loading, resolving and releasing the camera-link module.
#include <dlfcn.h>

#include <QWidget>
#include <cstdlib>
#include <fstream>

#include "camlink/backend_loader.h"
#include "dialog_fixture.h"
#include "platform/module_loader.h"

using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

namespace {

class BackendTest : public DialogTest {
protected:
    bool IsLoaded(const std::string& moduleName) {
        const std::string path = (modules_->Path() / moduleName).string();
        void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (handle) dlclose(handle);
        return handle != nullptr;
    }
    size_t DetectorCalls(const std::string& log) {
        std::ifstream in(log);
        size_t lines = 0;
        for (std::string line; std::getline(in, line);) ++lines;
        return lines;
    }
    std::string ModuleOf(const CVantrelDlg& dialog) {
        return std::filesystem::path(platform::ModulePath(dialog.CamLinkModule())).filename();
    }
    static bool AllEntries(const CamLinkApi& api) {
        const void* entries[] = {reinterpret_cast<const void*>(api.GetVender),
                                 reinterpret_cast<const void*>(api.InitDevice),
                                 reinterpret_cast<const void*>(api.StartDevice),
                                 reinterpret_cast<const void*>(api.StopDevice),
                                 reinterpret_cast<const void*>(api.ReleaseDevice),
                                 reinterpret_cast<const void*>(api.GetFeatureValueINT),
                                 reinterpret_cast<const void*>(api.GetFeatureValueDWORD),
                                 reinterpret_cast<const void*>(api.GetFeatureValueSTR),
                                 reinterpret_cast<const void*>(api.GetFeatureValueFLOAT),
                                 reinterpret_cast<const void*>(api.SetFeatureValueINT),
                                 reinterpret_cast<const void*>(api.SetFeatureValueDWORD),
                                 reinterpret_cast<const void*>(api.SetFeatureValueSTR),
                                 reinterpret_cast<const void*>(api.SetFeatureValueFLOAT),
                                 reinterpret_cast<const void*>(api.GetBufferPointer)};
        for (const void* entry : entries)
            if (!entry) return false;
        return true;
    }
    static bool NoEntries(const CamLinkApi& api) {
        return !api.GetVender && !api.InitDevice && !api.StartDevice && !api.StopDevice &&
               !api.ReleaseDevice && !api.GetFeatureValueINT && !api.GetFeatureValueFLOAT &&
               !api.SetFeatureValueINT && !api.SetFeatureValueFLOAT && !api.GetBufferPointer &&
               !api.GetFeatureValueDWORD && !api.GetFeatureValueSTR && !api.SetFeatureValueDWORD &&
               !api.SetFeatureValueSTR;
    }
};

}  // namespace

TEST(BackendChoice, DetectorResultsNameTheirBackends) {
    EXPECT_EQ(BackendFromDetectorResult(1), CameraBackend::Dalsa);
    EXPECT_EQ(BackendFromDetectorResult(2), CameraBackend::Vieworks);
    EXPECT_EQ(BackendFromDetectorResult(3), CameraBackend::HV);
    for (int other : {0, 4, -1, 1000}) EXPECT_EQ(BackendFromDetectorResult(other), CameraBackend::None);
    EXPECT_STREQ(BackendModuleName(CameraBackend::Vieworks), L"QxCamLinkDLLVW.dll");
    EXPECT_EQ(BackendModuleName(CameraBackend::None), nullptr);
}

TEST_F(BackendTest, WithoutDetectorTheDalsaModuleIsLoadedSilently) {
    UseCamLink("calllog_camlink.so", "QxCamLinkDLLDALSA.so");
    CaptureStdout();
    CVantrelDlg& dialog = Open();
    EXPECT_EQ(GetCapturedStdout(), "");
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(ModuleOf(dialog), "QxCamLinkDLLDALSA.so");
    EXPECT_TRUE(AllEntries(dialog.CamLink()));
    EXPECT_EQ(dialog.SideCam(), 0);
    EXPECT_EQ(dialog.TopCam(), 0);
    EXPECT_TRUE(Calls().empty());  // loading calls nothing in the module
}

TEST_F(BackendTest, DetectorResultsLoadTheirModules) {
    const struct {
        const char* detector;
        const char* module;
    } cases[] = {{"detect_returns_1.so", "QxCamLinkDLLDALSA.so"},
                 {"detect_returns_2.so", "QxCamLinkDLLVW.so"},
                 {"detect_returns_3.so", "QxCamLinkDLLHV.so"},
                 {"detect_no_export.so", "QxCamLinkDLLDALSA.so"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.detector);
        UseDetector(c.detector);
        UseCamLink("calllog_camlink.so", c.module);
        CVantrelDlg& dialog = Open();
        EXPECT_TRUE(messages_.empty());
        EXPECT_EQ(ModuleOf(dialog), c.module);
        EXPECT_TRUE(AllEntries(dialog.CamLink()));
        EXPECT_FALSE(IsLoaded("QxCamDetecter.so"));  // freed before the camera-link module was used
        Close();
        std::filesystem::remove(modules_->Path() / c.module);
    }
}

TEST_F(BackendTest, OnlyTheHvPathPrintsTheLastError) {
    UseDetector("detect_returns_3.so");
    UseCamLink("calllog_camlink.so", "QxCamLinkDLLHV.so");
    CaptureStdout();
    Open();
    EXPECT_EQ(GetCapturedStdout(), "last error: 0\n");
    Close();

    // The last look-up of an HV module without a buffer entry fails: its error is printed.
    UseCamLink("camlink_missing_QxCamLink_GetBufferPointer.so", "QxCamLinkDLLHV.so");
    CaptureStdout();
    CVantrelDlg& dialog = Open();
    EXPECT_EQ(GetCapturedStdout(), "last error: 127\n");
    EXPECT_EQ(dialog.CamLink().GetBufferPointer, nullptr);
    EXPECT_NE(dialog.CamLink().GetFeatureValueFLOAT, nullptr);
    Close();

    UseDetector("detect_returns_2.so");
    UseCamLink("calllog_camlink.so", "QxCamLinkDLLVW.so");
    CaptureStdout();
    Open();
    EXPECT_EQ(GetCapturedStdout(), "");
}

TEST_F(BackendTest, NoCameraResultsShowTheMessageAndLeaveAnEmptyTable) {
    UseCamLink("calllog_camlink.so", "QxCamLinkDLLDALSA.so");
    const std::string log = (modules_->Path() / "detect.log").string();
    setenv("VANTREL_DETECT_LOG", log.c_str(), 1);
    size_t runs = 0;
    for (const char* detector : {"detect_returns_0.so", "detect_returns_4.so", "detect_returns_minus1.so"}) {
        for (const char* locale : {"ko_KR.UTF-8", "en_US.UTF-8"}) {
            SCOPED_TRACE(std::string(detector) + " " + locale);
            UseDetector(detector);
            SetLocale(locale);
            messages_.clear();
            CVantrelDlg& dialog = Open();
            ++runs;
            EXPECT_EQ(DetectorCalls(log), runs);  // asked once per start-up
            EXPECT_FALSE(IsLoaded("QxCamDetecter.so"));
            ASSERT_FALSE(messages_.empty());
            EXPECT_EQ(messages_.back(), std::string(locale) == "ko_KR.UTF-8"
                                            ? NoCameraText(true)
                                            : std::wstring(L"Cannot find Camera (Check Filter Diver or DLL). "));
            EXPECT_EQ(dialog.CamLinkModule(), nullptr);
            EXPECT_TRUE(NoEntries(dialog.CamLink()));
            EXPECT_TRUE(dialog.GetWidget()->isVisible());
            Close();
            EXPECT_TRUE(Calls().empty());  // neither StopDevice nor ReleaseDevice
        }
    }
    unsetenv("VANTREL_DETECT_LOG");
}

TEST_F(BackendTest, MissingExportsLeaveTheirEntriesNullAndUnreported) {
    UseCamLink("camlink_missing_QxCamLink_StartDevice.so", "QxCamLinkDLLDALSA.so");
    CVantrelDlg& dialog = Open();
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(dialog.CamLink().StartDevice, nullptr);
    EXPECT_NE(dialog.CamLink().InitDevice, nullptr);
    EXPECT_NE(dialog.CamLink().StopDevice, nullptr);
}

TEST_F(BackendTest, ClosingStopsARunningDeviceThenReleasesIt) {
    UseCamLink("calllog_camlink.so");
    Open();
    Click(IDC_BTN_START);
    ASSERT_TRUE(dialog_->IsCameraRunning());
    ClearCalls();
    Close();
    EXPECT_EQ(Calls(), (std::vector<std::string>{"StopDevice()", "ReleaseDevice()"}));
}

TEST_F(BackendTest, ClosingAfterAStopOnlyReleases) {
    UseCamLink("calllog_camlink.so");
    Open();
    Click(IDC_BTN_START);
    Click(IDC_BTN_STOP);
    ClearCalls();
    Close();
    EXPECT_EQ(Calls(), (std::vector<std::string>{"ReleaseDevice()"}));
}

TEST_F(BackendTest, ReleaseWithoutTheEntriesCallsNothingMissing) {
    UseCamLink("camlink_missing_QxCamLink_ReleaseDevice.so");
    Open();
    Close();
    EXPECT_TRUE(Calls().empty());
}
