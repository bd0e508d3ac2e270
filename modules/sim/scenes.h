// The two right-handed views; the left-handed ones are their mirror images.
#pragma once

#include "sim/scene.h"

namespace vantrel::sim {

// Side camera: the back wall, the dark mat receding to its far edge near the middle row, a small
// bright spot on the mat, and the screen's edge at the right.
Radiance RenderSideView();

// Top camera: a board with two bright panels and a grid of triangular marks on a dark floor,
// the screen's edge at the right.
Radiance RenderTopView();

}  // namespace vantrel::sim
