#pragma once
// The inside of a window that draws the design's shapes and lines itself:
// rectangles that frame groups of controls and separator lines, in twips from
// the surface's top-left corner. They are painted on the surface, beneath its
// controls, so no control is ever covered by them. The surface reports pointer
// moves over its free area and every change of its size.
#include <QWidget>
#include <cstdint>
#include <vector>

// A rectangle shape, drawn as a one-pixel outline.
struct FormShape {
    double Left = 0;
    double Top = 0;
    double Width = 0;
    double Height = 0;
    bool Visible = true;
    int32_t BorderColor = static_cast<int32_t>(0x80000010u);   // button shadow
};

// A straight line from (X1, Y1) to (X2, Y2).
struct FormLine {
    double X1 = 0;
    double Y1 = 0;
    double X2 = 0;
    double Y2 = 0;
    bool Visible = true;
    int32_t BorderColor = static_cast<int32_t>(0x80000010u);
};

class FormSurface : public QWidget
{
    Q_OBJECT

public:
    explicit FormSurface(QWidget* parent = nullptr);

    // The shapes and lines to draw; they belong to the window, which keeps
    // them alive as long as the surface.
    void AddShape(const FormShape* shape);
    void AddLine(const FormLine* line);

signals:
    // Design button and shift codes, position in twips.
    void MouseMove(int button, int shift, double x, double y);
    void Resized();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::vector<const FormShape*> m_shapes;
    std::vector<const FormLine*> m_lines;
};
