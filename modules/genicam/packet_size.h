// The size of a GigE Vision camera's stream packets. A frame of 640 x 480 takes some 220 packets
// of the common 1400 bytes; one packet lost spoils the frame, and not every camera resends
// packets. Larger packets, where the link carries them, spoil fewer frames and cost less to
// receive.
#pragma once

#include "genicam/aravis.h"
#include "genicam/settings.h"

namespace vantrel::genicam {

// Sets GevSCPSPacketSize, through settings, to the largest size that reaches this computer: the
// size the camera's test packets find where it can fire them, otherwise the largest it accepts
// within the MTU of the network interface that faces it. Leaves other cameras alone.
void ChoosePacketSize(ArvCamera* camera, Settings& settings);

}  // namespace vantrel::genicam
