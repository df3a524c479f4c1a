#pragma once
// A picture box control: a frame whose inside is a drawing surface that keeps
// its drawing. The surface's image always has the size of the inside of the
// frame; the control repaints whenever the surface changes. Mouse events
// arrive in the surface's scale with the original's button and shift codes
// (buttons: 1 left, 2 right, 4 middle; shift: 1 Shift, 2 Ctrl, 4 Alt).
#include "platform/DrawingSurface.h"

#include <QFrame>

class PictureBox : public QFrame
{
    Q_OBJECT

public:
    explicit PictureBox(QWidget* parent = nullptr);

    // The surface, sized to the control first (a hidden control that was
    // resized gets its new size here, before it is ever shown).
    DrawingSurface& Surface();

    QSize sizeHint() const override;

signals:
    void mouseDown(int button, int shift, double x, double y);
    void mouseMove(int button, int shift, double x, double y);
    void mouseUp(int button, int shift, double x, double y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void SyncSize();
    void EmitMouse(QMouseEvent* event, int kind);

    DrawingSurface surface_;
};

// The original's button code of one Qt button or of a set of pressed buttons.
int MouseButtonCode(Qt::MouseButtons buttons);
// The original's shift code of the keyboard modifiers.
int ShiftCode(Qt::KeyboardModifiers modifiers);
