#pragma once
// The grid control of the windows: a table of text cells addressed by row and
// column from 0, without fixed rows or columns, grid lines, selection
// highlight or editing. The program writes the cells and their colours; the
// grid only shows them. Sizes are in twips (column widths, the mouse
// position), rows are 240 twips high.
//
// Row and Col name the current cell that Text, CellForeColor and
// CellBackColor address. A press of the left button moves them to the cell
// under the pointer before MouseDown is raised; Click follows the release of
// the left button, DblClick replaces the second Click of a double click.
// Mouse events carry the design's button and shift codes (MouseButtonCode,
// ShiftCode) and the position in twips from the grid's top-left corner.
//
// Enabled false takes the grid out of the keyboard: no focus, no keys. The
// widget itself stays enabled, so its mouse events still arrive and its text
// stays black; handlers that must ignore a disabled grid ask Enabled().
#include <QTableWidget>
#include <cstdint>
#include <vector>

class FlexGrid : public QTableWidget
{
    Q_OBJECT

public:
    explicit FlexGrid(QWidget* parent = nullptr);

    // Height of every row, in twips.
    static constexpr int RowHeightTwips = 240;

    int Rows() const;
    // Rows added are empty; rows removed lose their cells.
    void SetRows(int rows);
    int Cols() const;
    void SetCols(int cols);

    // The current cell. A value outside the grid is ignored.
    int Row() const;
    void SetRow(int row);
    int Col() const;
    void SetCol(int col);

    // The text of the current cell.
    QString Text() const;
    void SetText(const QString& text);

    // Any cell; outside the grid the text is empty and a write does nothing.
    QString TextMatrix(int row, int col) const;
    void SetTextMatrix(int row, int col, const QString& text);

    // Column width in twips (the width given, converted to whole pixels for
    // the screen). Columns without a width given are 0 wide.
    int32_t ColWidth(int col) const;
    void SetColWidth(int col, int32_t twips);

    // Alignment code of a column's cells: 0 left and top, 1 left and
    // vertically centred, 2 left and bottom.
    int ColAlignment(int col) const;
    void SetColAlignment(int col, int code);

    // Colours of the current cell as colour values (Colors.h); 0 stands for
    // the grid's own colour (black text, white ground).
    int32_t CellForeColor() const;
    void SetCellForeColor(int32_t colour);
    int32_t CellBackColor() const;
    void SetCellBackColor(int32_t colour);

    // True when the whole row lies inside the visible area.
    bool RowIsVisible(int row) const;
    // The first row shown; setting it scrolls (as far as the rows allow).
    int TopRow() const;
    void SetTopRow(int row);

    bool Enabled() const;
    void SetEnabled(bool enabled);

    // The grid's width in twips.
    int Width() const;

    // The row the result-grid marking marked last; kept per grid.
    int LastMarkedRow = 0;

signals:
    void MouseDown(int button, int shift, double x, double y);
    void MouseMove(int button, int shift, double x, double y);
    void MouseUp(int button, int shift, double x, double y);
    void Click();
    void DblClick();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QTableWidgetItem* Cell(int row, int col);
    const QTableWidgetItem* CellAt(int row, int col) const;
    bool IsCell(int row, int col) const;
    void Emit(QMouseEvent* event, int kind);

    int m_row = 0;
    int m_col = 0;
    bool m_enabled = true;
    bool m_releaseEndsDoubleClick = false;
    std::vector<int32_t> m_widths;
    std::vector<int> m_alignments;
};
