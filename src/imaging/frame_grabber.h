// Frame acquisition: the one place where a camera picture enters the program, and the
// alignment overlays drawn into it.
#pragma once

#include <opencv2/core/core_c.h>

#include "camlink/camlink_exports.h"

/// Which overlays a grab with drawOverlays == 1 draws.
struct OverlayOptions {
    bool centerGuide = true;
    bool gridGuide = false;
    bool focusTool = false;
    int leftHanded = 0;  ///< SCREEN marker at column 610 when 0, at column 1 otherwise
};

/// Releases frame (when not null), creates a new 640 x 480 8-bit one-channel image in it, fills
/// it black and copies the slot's newest frame into it when the module reports one ready. True
/// when the picture is a camera frame, false when it is the black fill. Never calls a null entry
/// of camLink.
bool FetchFrame(IplImage*& frame, const CamLinkApi& camLink, CameraSlot slot);
/// Draws the enabled overlays into frame: centre guide, grid, then the focus marker.
void DrawOverlays(IplImage* frame, const OverlayOptions& overlays);
/// FetchFrame, then DrawOverlays when drawOverlays == 1.
void GrabFrame(IplImage*& frame, const CamLinkApi& camLink, CameraSlot slot, int drawOverlays,
               const OverlayOptions& overlays);

/// The centre guide: rows h/2 - 12 and h/2 + 12, columns 30 and w - 30, and the SCREEN marker.
void DrawCenterGuide(IplImage* frame, int leftHanded);
/// The 5 x 5 grid: lines at k * w/5 and k * h/5 for k = 0..4.
void DrawGrid(IplImage* frame);
/// The same two overlays drawn with OpenCV's drawing calls every time. DrawCenterGuide and
/// DrawGrid paint exactly these pixels, from a list made once per picture geometry.
void DrawCenterGuideDirect(IplImage* frame, int leftHanded);
void DrawGridDirect(IplImage* frame);
/// Runs MeasureFocus, then draws the ticks, the circle and the focus value around g_ptFocus.
void DrawFocusMarker(IplImage* frame);

/// Mouse callback of the live windows: a left-button release moves g_ptFocus to (x, y).
void OnLiveWindowMouse(int event, int x, int y, int flags, void* userData);
