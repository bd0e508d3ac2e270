// The mounting pose of each simulated camera position, from VANTREL_SIM_POSE: a camera can be
// mounted off the pose its reference picture was taken from, so that alignment can be measured.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "sim/scene.h"

namespace vantrel::simcam {

struct Mounting {
    // By camera position (0 RR, 1 LL, 2 RT, 3 LT); the identity pose where none is named.
    std::array<sim::Pose, 4> poses{};
    // Items that name no position, do not hold three or four finite numbers (a scale of
    // -50 % or less, or +100 % or more), or repeat a position.
    std::vector<std::string> rejected;
};

// Parses semicolon-separated POSITION=DX,DY,ANGLE[,SCALE] items, e.g.
// "RR=12,-5,1.5;RT=0,3,-0.4,2": the pixels by which the picture's centre moves (DX right, DY
// down), the degrees by which the picture turns clockwise (roll), and how many percent larger
// it shows things (0 when left out). The camera is turned, not slid: see sim::Pose. Positions are
// RR, LL, RT and LT in any case; blanks around items, names and numbers are ignored.
Mounting ParseMounting(std::string_view text);

// VANTREL_SIM_POSE parsed; each rejected item is named on standard error. Unset: every camera
// at its reference pose.
std::array<sim::Pose, 4> MountingFromEnvironment();

// How often a dark figure walks through each camera position's view, from
// VANTREL_SIM_CROSSING: semicolon-separated POSITION=FRAMES items, e.g. "RR=100;RT=150", a
// figure every FRAMES frames (at least kCrossingFrames, frame_source.h). 0 where none is named.
struct Crossings {
    std::array<int, 4> periods{};
    std::vector<std::string> rejected;
};
Crossings ParseCrossings(std::string_view text);
std::array<int, 4> CrossingsFromEnvironment();

}  // namespace vantrel::simcam
