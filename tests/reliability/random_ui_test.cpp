// Randomized use of the dialog against the simulated cameras and against several mixes of
// camera faults. The seed is printed; VANTREL_FUZZ_SEED replays a run and VANTREL_FUZZ_MESSAGES
// changes the number of messages per session.
#include "random_ui_driver.h"

namespace {

constexpr int kSimulatedMessages = 100000;
constexpr int kFaultyMessages = 25000;

const char* const kFaultMixes[] = {
    "start=alternate,ready=flap,buffer=moving",
    "ready=-1,buffer=null,float=nan,int=silent@Gain",
    "ready=2,float=fail@Temperature,float=inf@Gain,float=-huge@ExposureTime",
    "start=alternate,int=silent,float=fail,buffer=moving",
};

}  // namespace

TEST_F(RandomUiTest, SimulatedCamerasStayConsistent) {
    UseSimulatedCamera();
    RunRandomSession("simulated", 0, MessageCount(kSimulatedMessages));
}

TEST_F(RandomUiTest, FaultyCamerasStayConsistent) {
    uint64_t offset = 1;
    for (const char* faults : kFaultMixes) {
        SCOPED_TRACE(faults);
        UseFaultyCamera(faults);
        if (!RunRandomSession(faults, offset++, MessageCount(kFaultyMessages))) break;
    }
}
