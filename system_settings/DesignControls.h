#pragma once
// What the dialogs of this folder share of their design: controls placed at
// their design positions in twips, the design's small sans-serif font, and
// the line control that joins pictures.
#include <QWidget>

class QLabel;
#include <cstdint>

// Moves and sizes the control to its design rectangle (twips, in its parent).
void PlaceControl(QWidget* control, int left, int top, int width, int height);

// The font the twips of the design were measured with: 8 points at 96 dpi.
void SetDesignFont(QWidget* form);

// Sets the caption; a caption wider than the label gets a smaller font (down
// to 9 pixels), so that long model names are not cut off.
void SetFittedCaption(QLabel* label, const QString& caption);

// A straight line between two points of its parent, in twips, drawn in the
// border colour (0x00BBGGRR) and width in pixels. Lines lie behind the other
// controls and take no mouse input, as the design's lines do.
class LineControl : public QWidget {
    Q_OBJECT
public:
    explicit LineControl(QWidget* parent);

    void SetEnds(int x1, int y1, int x2, int y2);
    void SetBorderWidth(int pixels);
    void SetBorderColor(int32_t colour);

    // The ends in pixels of the parent.
    QPoint Start() const { return m_start; }
    QPoint End() const { return m_end; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Relayout();

    QPoint m_start;
    QPoint m_end;
    int m_width = 1;
    int32_t m_colour = 0;
};
