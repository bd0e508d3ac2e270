// Where the assistant's window goes: beside the dialog, never over it where there is room, and
// back where the user last put it.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

class QWidget;

namespace assist {

/// The top-left corner for a window of frameSize (frame included) beside dialogFrame: right of
/// it where the available area has room, else left of it, else below it; else right of it,
/// moved left as far as it must to stay on the screen.
QPoint PlaceBeside(const QRect& dialogFrame, const QSize& frameSize, const QRect& available);

/// Where the user last left the window, if that is still on a screen.
std::optional<QPoint> SavedPlace(const QSize& frameSize);
void SavePlace(QPoint place);

/// The frame size window will have, judged from the frame of other (a shown window).
QSize FrameSize(const QWidget& window, const QWidget* other);

}  // namespace assist
