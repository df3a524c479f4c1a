#include "system_settings/DesignControls.h"

#include "platform/Colors.h"
#include "platform/Twips.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <algorithm>

void PlaceControl(QWidget* control, int left, int top, int width, int height)
{
    control->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height));
}

void SetDesignFont(QWidget* form)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    form->setFont(font);
}

void SetFittedCaption(QLabel* label, const QString& caption)
{
    label->setFont(QFont());   // back to the form's font
    QFont font = label->font();
    int size = font.pixelSize();
    while (size > 9 && QFontMetrics(font).horizontalAdvance(caption) > label->width()) {
        font.setPixelSize(--size);
    }
    label->setFont(font);
    label->setText(caption);
}

LineControl::LineControl(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents, true);
    setAttribute(Qt::WA_NoSystemBackground, true);
    lower();
}

void LineControl::SetEnds(int x1, int y1, int x2, int y2)
{
    m_start = QPoint(TwipsToPixels(x1), TwipsToPixels(y1));
    m_end = QPoint(TwipsToPixels(x2), TwipsToPixels(y2));
    Relayout();
}

void LineControl::SetBorderWidth(int pixels)
{
    m_width = std::max(1, pixels);
    Relayout();
}

void LineControl::SetBorderColor(int32_t colour)
{
    m_colour = colour;
    update();
}

void LineControl::Relayout()
{
    // The widget covers the line's bounding box and the pen around it.
    const int margin = m_width;
    const QRect box = QRect(m_start, m_end).normalized().adjusted(-margin, -margin, margin, margin);
    setGeometry(box);
    update();
}

void LineControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(QPen(ToQColor(m_colour), m_width, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(m_start - pos(), m_end - pos());
}
