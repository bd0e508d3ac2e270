// The modules loaded and unloaded in turn as the program does, in a process that does not link
// Aravis itself: the detector first, then a camera-link module, and again.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "camlink_module.h"

namespace vantrel::testing {
namespace {

TEST(GenicamLoading, SurvivesUnloadingAndReloadingTheModulesThatUseAravis) {
    // Only the fake camera: no test searches the network.
    ASSERT_EQ(setenv("VANTREL_GENICAM_FAKE", "1", 1), 0);
    ASSERT_EQ(setenv("VANTREL_CAMERA", "genicam", 1), 0);
    for (int run = 0; run < 3; ++run) {
        void* detector =
            dlopen(ProgramModulePath("QxCamDetecter.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(detector, nullptr) << dlerror();
        const auto detect =
            reinterpret_cast<decltype(&QxCamDetect)>(dlsym(detector, "QxCamDetect"));
        ASSERT_NE(detect, nullptr);
        EXPECT_EQ(detect(), 3) << "run " << run;
        dlclose(detector);

        LoadedModule module(ProgramModulePath("QxCamLinkDLLDALSA.so"));
        ASSERT_NE(module.handle(), nullptr) << dlerror();
        ASSERT_EQ(module->InitDevice(), 1) << "run " << run;
        ASSERT_EQ(module->StartDevice(0), 1) << "run " << run;
        int32_t grabbed = 0;
        for (int wait = 0; wait < 500 && grabbed != 1; ++wait) {
            ASSERT_EQ(module->GetFeatureValueINT("FrameGrapped", kSlotRightSide, &grabbed), 1);
            if (grabbed != 1) usleep(10000);
        }
        EXPECT_EQ(grabbed, 1) << "run " << run;
        EXPECT_NE(module->GetBufferPointer(kSlotRightSide), nullptr) << "run " << run;
        // The last run unloads the module while its camera still runs, without ReleaseDevice.
        if (run < 2) module->ReleaseDevice();
    }
    unsetenv("VANTREL_CAMERA");
}

}  // namespace
}  // namespace vantrel::testing
