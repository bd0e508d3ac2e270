// Where the assistant's window goes: beside the dialog, never over it where there is room, and
// back where the user last put it.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>
#include <vector>

class QWidget;

namespace assist {

/// The top-left corner for a window of frameSize (frame included) beside dialogFrame: right of
/// it where the available area has room, else left of it, else below it; else right of it,
/// moved left as far as it must to stay on the screen.
QPoint PlaceBeside(const QRect& dialogFrame, const QSize& frameSize, const QRect& available);

/// Where the window and the dialog go when the window opens beside the dialog.
struct Arrangement {
    QPoint window;                 // the window's top-left corner, frame included
    std::optional<QPoint> dialog;  // where the dialog moves to make room, when it must
    bool besideDialog = true;      // false: the window covers part of the dialog, not its buttons
    int room = 0;                  // without the dialog beside: the height below its buttons
};

/// Arranges a window of frameSize with the dialog: beside the dialog where it stands (as
/// PlaceBeside, without its last resort); else the dialog moves sideways just as far as it must
/// to make room beside it; else, on a screen too narrow for both, the dialog goes to the top
/// right corner and the window to the left edge, below every button of the dialog it would
/// cover, as far as the height allows. buttons are relative to the dialog frame's corner.
Arrangement ArrangeBeside(const QRect& dialogFrame, const std::vector<QRect>& buttons,
                          const QSize& frameSize, const QRect& available);

/// Where the user last left the window, if that is still on a screen.
std::optional<QPoint> SavedPlace(const QSize& frameSize);
void SavePlace(QPoint place);

/// The frame size window will have, judged from the frame of other (a shown window).
QSize FrameSize(const QWidget& window, const QWidget* other);

}  // namespace assist
