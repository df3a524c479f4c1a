#include "platform/WindowPlacement.h"

#include <QGuiApplication>
#include <QMargins>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace {

// Left, top, right and bottom of the frame around the inside.
QMargins FrameMargins(const QWidget* window)
{
    const QRect frame = window->frameGeometry();
    const QRect inside = window->geometry();
    return QMargins(inside.left() - frame.left(), inside.top() - frame.top(), frame.right() - inside.right(),
                    frame.bottom() - inside.bottom());
}

int Placed(int size, int areaStart, int areaSize, int ownerStart, int ownerSize)
{
    const int centred = ownerStart + (ownerSize - size) / 2;
    return std::max(areaStart, std::min(centred, areaStart + areaSize - size));
}

} // namespace

QRect PlacedFrame(const QSize& frame, const QRect& area, const QRect& owner)
{
    const QRect over = owner.isNull() ? area : owner;
    return QRect(Placed(frame.width(), area.left(), area.width(), over.left(), over.width()),
                 Placed(frame.height(), area.top(), area.height(), over.top(), over.height()), frame.width(),
                 frame.height());
}

void PlaceWindow(QWidget* window, const QWidget* owner)
{
    if (!window || window->isMaximized() || window->isFullScreen())
        return;
    const bool ownerShown = owner && owner != window && owner->isVisible();
    QScreen* screen = ownerShown ? owner->screen() : window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // The size the first showing would give it: a size set below what the
    // layout needs grows to that need when the window is shown.
    if (!window->isVisible()) {
        if (!window->testAttribute(Qt::WA_Resized))
            window->adjustSize();
        else
            window->resize(window->size().expandedTo(window->minimumSizeHint()));
    }

    // A window not shown yet has no frame of its own.
    QMargins frame = FrameMargins(window);
    if (frame.isNull() && ownerShown)
        frame = FrameMargins(owner);
    const QSize room = area.size().shrunkBy(frame);
    const QSize size = window->size();
    if (size.width() > room.width() || size.height() > room.height())
        window->resize(size.boundedTo(room).expandedTo(window->minimumSize()));

    const QRect placed = PlacedFrame(window->size().grownBy(frame), area,
                                     ownerShown ? owner->frameGeometry() : QRect());
    window->move(placed.topLeft());
}
