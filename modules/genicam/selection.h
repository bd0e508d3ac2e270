// What the environment asks the camera modules for: VANTREL_CAMERA picks real GenICam cameras
// (unset, as when started from the desktop menu) or simulated ones; VANTREL_GENICAM_FAKE swaps the
// real cameras for Aravis's fake one.
#pragma once

#include <string_view>

namespace vantrel::genicam {

enum class CameraChoice {
    kGenicam,    // unset, empty or "genicam": the GenICam cameras Aravis finds
    kSimulated,  // sim-dalsa, sim-vieworks, sim-hv, sim-none or a decimal vendor code
    kUnknown,    // anything else: no camera
};

struct Selection {
    CameraChoice choice = CameraChoice::kGenicam;
    // The detector's answer for a simulated choice (sim-none is 0; a number is itself).
    int code = 0;
};

inline constexpr std::string_view kGenicamSelection = "genicam";

Selection ParseSelection(std::string_view text);

// VANTREL_CAMERA, read at every call.
Selection SelectionFromEnvironment();

// True when VANTREL_GENICAM_FAKE is "1": Aravis's in-process fake camera stands in for the
// network and USB cameras, which are then not searched at all.
bool FakeCameraRequested();

}  // namespace vantrel::genicam
