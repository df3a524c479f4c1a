#include "platform/FormSurface.h"

#include "platform/Colors.h"
#include "platform/PictureBox.h"
#include "platform/Twips.h"

#include <QMouseEvent>
#include <QPainter>

FormSurface::FormSurface(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
}

void FormSurface::AddShape(const FormShape* shape)
{
    m_shapes.push_back(shape);
    update();
}

void FormSurface::AddLine(const FormLine* line)
{
    m_lines.push_back(line);
    update();
}

void FormSurface::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    for (const FormShape* shape : m_shapes) {
        if (!shape->Visible)
            continue;
        const int left = TwipsToPixels(shape->Left);
        const int top = TwipsToPixels(shape->Top);
        const int width = TwipsToPixels(shape->Width);
        const int height = TwipsToPixels(shape->Height);
        if (width < 1 || height < 1)
            continue;
        painter.setPen(ToQColor(shape->BorderColor));
        // The outline lies inside the rectangle, as the design draws it.
        painter.drawRect(left, top, width - 1, height - 1);
    }
    for (const FormLine* line : m_lines) {
        if (!line->Visible)
            continue;
        painter.setPen(ToQColor(line->BorderColor));
        const int x1 = TwipsToPixels(line->X1);
        const int y1 = TwipsToPixels(line->Y1);
        int x2 = TwipsToPixels(line->X2);
        const int y2 = TwipsToPixels(line->Y2);
        // The end point is not drawn, so a line across a frame ends on its border.
        if (y1 == y2 && x2 > x1)
            --x2;
        painter.drawLine(x1, y1, x2, y2);
    }
}

void FormSurface::mouseMoveEvent(QMouseEvent* event)
{
    emit MouseMove(MouseButtonCode(event->buttons()), ShiftCode(event->modifiers()),
                   PixelsToTwips(event->position().x()), PixelsToTwips(event->position().y()));
}

void FormSurface::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    emit Resized();
}
