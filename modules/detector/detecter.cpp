// The detector module: reports which camera vendor VANTREL_CAMERA selects. Unset, empty or
// "genicam" searches the GenICam cameras (1 all Teledyne DALSA, 2 all Vieworks, 3 any other, 0
// none found); the simulated choices give their code (sim-dalsa 1, sim-vieworks 2, sim-hv 3,
// sim-none 0, a decimal number as it is). Anything else: 0, no camera.
#include <cstdio>
#include <cstdlib>

#include "camlink/camlink_exports.h"
#include "genicam/discovery.h"
#include "genicam/selection.h"

extern "C" int QxCamDetect(void) {
    using vantrel::genicam::CameraChoice;
    const vantrel::genicam::Selection selection = vantrel::genicam::SelectionFromEnvironment();
    switch (selection.choice) {
        case CameraChoice::kSimulated:
            return selection.code;
        case CameraChoice::kGenicam: {
            const int code = vantrel::genicam::DetectVendorCode();
            if (code == 0) std::fprintf(stderr, "QxCamDetecter: no GenICam camera found\n");
            return code;
        }
        case CameraChoice::kUnknown:
            std::fprintf(stderr, "QxCamDetecter: VANTREL_CAMERA=\"%s\" selects no camera\n",
                         std::getenv("VANTREL_CAMERA"));
            return 0;
    }
    return 0;
}
