#include "assist/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>
#include <algorithm>

namespace assist {
namespace {

constexpr const char* kOrganisation = "Vantrel";
constexpr const char* kPlaceKey = "AlignmentAssistant/position";

// Right of the dialog, else left of it, else below it, where the available area has room.
std::optional<QPoint> SideBySide(const QRect& dialogFrame, const QSize& frameSize,
                                 const QRect& available) {
    const int top =
        std::clamp(dialogFrame.top(), available.top(),
                   std::max(available.top(), available.bottom() + 1 - frameSize.height()));
    if (dialogFrame.right() + 1 + frameSize.width() <= available.right() + 1)
        return QPoint(dialogFrame.right() + 1, top);
    if (dialogFrame.left() - frameSize.width() >= available.left())
        return QPoint(dialogFrame.left() - frameSize.width(), top);
    if (dialogFrame.bottom() + 1 + frameSize.height() <= available.bottom() + 1) {
        const int left =
            std::clamp(dialogFrame.left(), available.left(),
                       std::max(available.left(), available.right() + 1 - frameSize.width()));
        return QPoint(left, dialogFrame.bottom() + 1);
    }
    return std::nullopt;
}

}  // namespace

QPoint PlaceBeside(const QRect& dialogFrame, const QSize& frameSize, const QRect& available) {
    if (const std::optional<QPoint> beside = SideBySide(dialogFrame, frameSize, available))
        return *beside;
    const int top =
        std::clamp(dialogFrame.top(), available.top(),
                   std::max(available.top(), available.bottom() + 1 - frameSize.height()));
    const int left =
        std::max(available.left(),
                 std::min(dialogFrame.right() + 1, available.right() + 1 - frameSize.width()));
    return {left, top};
}

Arrangement ArrangeBeside(const QRect& dialogFrame, const std::vector<QRect>& buttons,
                          const QSize& frameSize, const QRect& available) {
    if (const std::optional<QPoint> beside = SideBySide(dialogFrame, frameSize, available))
        return {*beside, std::nullopt, true};
    if (dialogFrame.width() + frameSize.width() <= available.width()) {
        // Both fit side by side: the dialog moves the shorter way.
        const int toLeft = dialogFrame.right() + 1 + frameSize.width() - (available.right() + 1);
        const int toRight = available.left() + frameSize.width() - dialogFrame.left();
        const QPoint moved =
            dialogFrame.topLeft() + QPoint(toLeft <= toRight ? -toLeft : toRight, 0);
        const QRect dialog(moved, dialogFrame.size());
        return {*SideBySide(dialog, frameSize, available), moved, true};
    }
    const QPoint corner(available.right() + 1 - dialogFrame.width(), available.top());
    const QRect window(QPoint(available.left(), available.top()), frameSize);
    int top = available.top();
    for (const QRect& button : buttons) {
        const QRect placed = button.translated(corner);
        if (placed.left() <= window.right() && placed.right() >= window.left())
            top = std::max(top, placed.bottom() + 1);
    }
    const int room = available.bottom() + 1 - top;
    top = std::min(top, std::max(available.top(), available.bottom() + 1 - frameSize.height()));
    return {{available.left(), top}, corner, false, room};
}

std::optional<QPoint> SavedPlace(const QSize& frameSize) {
    const QVariant saved = QSettings(kOrganisation, kOrganisation).value(QLatin1String(kPlaceKey));
    if (!saved.canConvert<QPoint>()) return std::nullopt;
    const QPoint place = saved.toPoint();
    // The title bar must be on a screen, or the window could not be moved back.
    const QScreen* screen = QGuiApplication::screenAt(place + QPoint(frameSize.width() / 2, 10));
    if (!screen) return std::nullopt;
    const QRect available = screen->availableGeometry();
    return QPoint(
        std::clamp(place.x(), available.left(),
                   std::max(available.left(), available.right() + 1 - frameSize.width())),
        std::clamp(place.y(), available.top(),
                   std::max(available.top(), available.bottom() + 1 - frameSize.height())));
}

void SavePlace(QPoint place) {
    QSettings(kOrganisation, kOrganisation).setValue(QLatin1String(kPlaceKey), place);
}

QSize FrameSize(const QWidget& window, const QWidget* other) {
    QSize margins(0, 0);
    if (other && other->isVisible())
        margins = other->frameGeometry().size() - other->geometry().size();
    return window.size() + margins;
}

}  // namespace assist
