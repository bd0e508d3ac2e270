// Whether another program holds a GigE Vision camera's control channel, asked before the camera
// is opened: Aravis's open of such a camera waits seconds for a control request the camera never
// grants, and its close as long again. A camera answers register reads from anyone, so one read
// of its Control Channel Privilege register (0x0A00) tells within a few milliseconds.
#pragma once

#include <optional>
#include <string>

namespace vantrel::genicam {

// True when the camera at that IPv4 address grants control to a program now, false when it
// grants none; nothing when it does not answer within about 100 ms, or the address is not IPv4.
std::optional<bool> ControlHeldElsewhere(const std::string& address);

}  // namespace vantrel::genicam
