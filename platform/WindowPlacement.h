#pragma once
// Where a window opens: whole on the available area of its screen (without
// panels and docks), centred over the window that owns it, or over the area
// when it has none. The window manager may add a frame that is not known
// before the first showing; the owner's frame stands for it then.
#include <QRect>
#include <QSize>

class QWidget;

// The frame of the given size centred over the owner's frame (over the area
// when the owner is a null rectangle) and moved inside the area; a frame
// larger than the area starts at its left or top edge.
QRect PlacedFrame(const QSize& frame, const QRect& area, const QRect& owner);

// Places a window that is about to be shown: a window larger than the area
// first shrinks to it, as far as its least size allows. A maximised or
// full-screen window is left to the window manager.
void PlaceWindow(QWidget* window, const QWidget* owner);
