#include "platform/Colors.h"

#include <QGuiApplication>
#include <QPalette>
#include <algorithm>

int32_t RGB(int red, int green, int blue)
{
    const int r = std::clamp(red, 0, 255);
    const int g = std::clamp(green, 0, 255);
    const int b = std::clamp(blue, 0, 255);
    return static_cast<int32_t>(r | (g << 8) | (b << 16));
}

int32_t QBColor(int number)
{
    static const int32_t palette[16] = {
        0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
        0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
    };
    if (number < 0 || number > 15)
        return vbBlack;
    return palette[number];
}

QColor ToQColor(int32_t colour)
{
    const uint32_t value = static_cast<uint32_t>(colour);
    if (value & 0x80000000u) {
        const QPalette palette = QGuiApplication::palette();
        switch (value & 0xFFu) {
        case 0x05: return palette.color(QPalette::Base);
        case 0x08: return palette.color(QPalette::Text);
        case 0x0F: return palette.color(QPalette::Button);
        case 0x12: return palette.color(QPalette::ButtonText);
        case 0x0D: return palette.color(QPalette::Highlight);
        case 0x0E: return palette.color(QPalette::HighlightedText);
        case 0x10: return palette.color(QPalette::Dark);
        case 0x17: return palette.color(QPalette::ToolTipText);
        case 0x18: return palette.color(QPalette::ToolTipBase);
        default: return QColor(0, 0, 0);
        }
    }
    return QColor(static_cast<int>(value & 0xFFu), static_cast<int>((value >> 8) & 0xFFu),
                  static_cast<int>((value >> 16) & 0xFFu));
}

int32_t FromQColor(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    return RGB(rgb.red(), rgb.green(), rgb.blue());
}
