#include "platform/MousePointer.h"

#include <QCursor>
#include <QGuiApplication>

namespace {
// The pointer the program set; at most one override cursor is ever pushed, so
// a single restore brings the system pointer back.
int16_t g_pointer = PointerDefault;
bool g_overridden = false;

Qt::CursorShape ShapeOf(int16_t pointer)
{
    return pointer == PointerHourglass ? Qt::WaitCursor : Qt::ArrowCursor;
}
}

int16_t MousePointer() { return g_pointer; }

void SetMousePointer(int16_t pointer)
{
    if (pointer != PointerHourglass && pointer != PointerArrow)
        pointer = PointerDefault;
    g_pointer = pointer;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    if (pointer == PointerDefault) {
        if (g_overridden) {
            QGuiApplication::restoreOverrideCursor();
            g_overridden = false;
        }
        return;
    }
    if (g_overridden) {
        QGuiApplication::changeOverrideCursor(QCursor(ShapeOf(pointer)));
    } else {
        QGuiApplication::setOverrideCursor(QCursor(ShapeOf(pointer)));
        g_overridden = true;
    }
}

MousePointerGuard::MousePointerGuard(int16_t pointer)
    : m_previous(MousePointer())
{
    SetMousePointer(pointer);
}

MousePointerGuard::~MousePointerGuard() { SetMousePointer(m_previous); }
