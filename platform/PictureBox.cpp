#include "platform/PictureBox.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

PictureBox::PictureBox(QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    surface_.Changed = [this] { update(); };
    SyncSize();
}

DrawingSurface& PictureBox::Surface()
{
    SyncSize();
    return surface_;
}

QSize PictureBox::sizeHint() const
{
    return QSize(100, 100);
}

void PictureBox::SyncSize()
{
    const QSize inside = contentsRect().size();
    surface_.Resize(std::max(inside.width(), 0), std::max(inside.height(), 0));
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    {
        QPainter painter(this);
        painter.fillRect(rect(), ToQColor(surface_.BackColor()));
        painter.drawImage(contentsRect().topLeft(), surface_.Image());
    }
    QFrame::paintEvent(event);
}

void PictureBox::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    SyncSize();
}

int MouseButtonCode(Qt::MouseButtons buttons)
{
    int code = 0;
    if (buttons & Qt::LeftButton)
        code |= 1;
    if (buttons & Qt::RightButton)
        code |= 2;
    if (buttons & Qt::MiddleButton)
        code |= 4;
    return code;
}

int ShiftCode(Qt::KeyboardModifiers modifiers)
{
    int code = 0;
    if (modifiers & Qt::ShiftModifier)
        code |= 1;
    if (modifiers & Qt::ControlModifier)
        code |= 2;
    if (modifiers & Qt::AltModifier)
        code |= 4;
    return code;
}

void PictureBox::EmitMouse(QMouseEvent* event, int kind)
{
    SyncSize();
    const QPointF inside = event->position() - QPointF(contentsRect().topLeft());
    const double x = surface_.XFromPixel(std::floor(inside.x()));
    const double y = surface_.YFromPixel(std::floor(inside.y()));
    const int shift = ShiftCode(event->modifiers());
    switch (kind) {
    case 0: emit mouseDown(MouseButtonCode(event->button()), shift, x, y); break;
    case 1: emit mouseMove(MouseButtonCode(event->buttons()), shift, x, y); break;
    default: emit mouseUp(MouseButtonCode(event->button()), shift, x, y); break;
    }
}

void PictureBox::mousePressEvent(QMouseEvent* event)
{
    EmitMouse(event, 0);
}

void PictureBox::mouseMoveEvent(QMouseEvent* event)
{
    EmitMouse(event, 1);
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event)
{
    EmitMouse(event, 2);
}
