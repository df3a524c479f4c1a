#pragma once
// A window's caption. On X11 Qt puts the application's name into the title
// bar of a window whose title is empty; a window meant to show no title text
// gets a single blank instead, which shows as nothing.
#include <QString>
#include <QWidget>

inline void SetWindowCaption(QWidget& window, const QString& caption)
{
    window.setWindowTitle(caption.isEmpty() ? QStringLiteral(" ") : caption);
}
