#include "platform/FlexGrid.h"

#include "platform/Colors.h"
#include "platform/PictureBox.h"
#include "platform/Twips.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>

namespace {

// The colour values the program gave a cell, kept beside Qt's brushes so that
// they read back as given.
constexpr int ForeColourRole = Qt::UserRole + 1;
constexpr int BackColourRole = Qt::UserRole + 2;

// Text one pixel from the cell's left edge: a column measured as wide as its
// widest text still shows all of it.
constexpr int TextMargin = 1;

Qt::Alignment AlignmentOfCode(int code)
{
    switch (code) {
    case 0: return Qt::AlignLeft | Qt::AlignTop;
    case 2: return Qt::AlignLeft | Qt::AlignBottom;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

// Paints a cell: its ground colour when it has one, then its text clipped to
// the cell. No focus frame, no selection.
class CellPainter : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        painter->save();
        painter->setClipRect(option.rect);
        const QVariant back = index.data(Qt::BackgroundRole);
        if (back.canConvert<QBrush>())
            painter->fillRect(option.rect, back.value<QBrush>());
        const QVariant fore = index.data(Qt::ForegroundRole);
        painter->setPen(fore.canConvert<QBrush>() ? fore.value<QBrush>().color()
                                                  : option.palette.color(QPalette::Text));
        painter->setFont(option.font);
        const QRect area = option.rect.adjusted(TextMargin, 0, 0, 0);
        const int alignment = index.data(Qt::TextAlignmentRole).toInt();
        painter->drawText(area, alignment | Qt::TextSingleLine, index.data(Qt::DisplayRole).toString());
        painter->restore();
    }
};

} // namespace

FlexGrid::FlexGrid(QWidget* parent) : QTableWidget(parent)
{
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(TwipsToPixels(RowHeightTwips));
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setShowGrid(false);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setTabKeyNavigation(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setItemDelegate(new CellPainter(this));
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    SetRows(1);
    SetCols(2);
}

int FlexGrid::Rows() const { return rowCount(); }

void FlexGrid::SetRows(int rows)
{
    setRowCount(std::max(rows, 0));
    m_row = std::clamp(m_row, 0, std::max(rowCount() - 1, 0));
}

int FlexGrid::Cols() const { return columnCount(); }

void FlexGrid::SetCols(int cols)
{
    const int count = std::max(cols, 0);
    setColumnCount(count);
    m_widths.resize(static_cast<size_t>(count), 0);
    m_alignments.resize(static_cast<size_t>(count), 1);
    for (int c = 0; c < count; ++c)
        setColumnWidth(c, TwipsToPixels(m_widths[static_cast<size_t>(c)]));
    m_col = std::clamp(m_col, 0, std::max(count - 1, 0));
}

int FlexGrid::Row() const { return m_row; }

void FlexGrid::SetRow(int row)
{
    if (row >= 0 && row < rowCount())
        m_row = row;
}

int FlexGrid::Col() const { return m_col; }

void FlexGrid::SetCol(int col)
{
    if (col >= 0 && col < columnCount())
        m_col = col;
}

QString FlexGrid::Text() const { return TextMatrix(m_row, m_col); }

void FlexGrid::SetText(const QString& text) { SetTextMatrix(m_row, m_col, text); }

bool FlexGrid::IsCell(int row, int col) const
{
    return row >= 0 && row < rowCount() && col >= 0 && col < columnCount();
}

const QTableWidgetItem* FlexGrid::CellAt(int row, int col) const
{
    return IsCell(row, col) ? item(row, col) : nullptr;
}

QTableWidgetItem* FlexGrid::Cell(int row, int col)
{
    if (!IsCell(row, col))
        return nullptr;
    QTableWidgetItem* cell = item(row, col);
    if (!cell) {
        cell = new QTableWidgetItem();
        cell->setFlags(Qt::ItemIsEnabled);
        cell->setTextAlignment(AlignmentOfCode(m_alignments[static_cast<size_t>(col)]));
        setItem(row, col, cell);
    }
    return cell;
}

QString FlexGrid::TextMatrix(int row, int col) const
{
    const QTableWidgetItem* cell = CellAt(row, col);
    return cell ? cell->text() : QString();
}

void FlexGrid::SetTextMatrix(int row, int col, const QString& text)
{
    // An empty text needs no cell of its own.
    if (text.isEmpty() && IsCell(row, col) && !item(row, col))
        return;
    if (QTableWidgetItem* cell = Cell(row, col))
        cell->setText(text);
}

int32_t FlexGrid::ColWidth(int col) const
{
    if (col < 0 || col >= columnCount())
        return 0;
    return m_widths[static_cast<size_t>(col)];
}

void FlexGrid::SetColWidth(int col, int32_t twips)
{
    if (col < 0 || col >= columnCount())
        return;
    m_widths[static_cast<size_t>(col)] = std::max(twips, 0);
    setColumnWidth(col, TwipsToPixels(m_widths[static_cast<size_t>(col)]));
}

int FlexGrid::ColAlignment(int col) const
{
    if (col < 0 || col >= columnCount())
        return 0;
    return m_alignments[static_cast<size_t>(col)];
}

void FlexGrid::SetColAlignment(int col, int code)
{
    if (col < 0 || col >= columnCount())
        return;
    m_alignments[static_cast<size_t>(col)] = code;
    const Qt::Alignment alignment = AlignmentOfCode(code);
    for (int r = 0; r < rowCount(); ++r) {
        if (QTableWidgetItem* cell = item(r, col))
            cell->setTextAlignment(alignment);
    }
}

int32_t FlexGrid::CellForeColor() const
{
    const QTableWidgetItem* cell = CellAt(m_row, m_col);
    return cell ? cell->data(ForeColourRole).toInt() : 0;
}

void FlexGrid::SetCellForeColor(int32_t colour)
{
    QTableWidgetItem* cell = Cell(m_row, m_col);
    if (!cell)
        return;
    cell->setData(ForeColourRole, colour);
    cell->setData(Qt::ForegroundRole, colour == 0 ? QVariant() : QVariant(QBrush(ToQColor(colour))));
}

int32_t FlexGrid::CellBackColor() const
{
    const QTableWidgetItem* cell = CellAt(m_row, m_col);
    return cell ? cell->data(BackColourRole).toInt() : 0;
}

void FlexGrid::SetCellBackColor(int32_t colour)
{
    QTableWidgetItem* cell = Cell(m_row, m_col);
    if (!cell)
        return;
    cell->setData(BackColourRole, colour);
    cell->setData(Qt::BackgroundRole, colour == 0 ? QVariant() : QVariant(QBrush(ToQColor(colour))));
}

bool FlexGrid::RowIsVisible(int row) const
{
    if (row < 0 || row >= rowCount())
        return false;
    // Reckoned from the frame, not from the viewport, so the answer holds
    // before a hidden grid has been laid out.
    const int top = TopRow();
    const int rowHeight = verticalHeader()->defaultSectionSize();
    return row >= top && (row - top + 1) * rowHeight <= contentsRect().height();
}

int FlexGrid::TopRow() const { return verticalScrollBar()->value(); }

void FlexGrid::SetTopRow(int row)
{
    // The scroll range follows new rows only at the next layout; bring it up
    // to date first so that a top row among them is reached now.
    updateGeometries();
    verticalScrollBar()->setValue(std::max(row, 0));
}

bool FlexGrid::Enabled() const { return m_enabled; }

void FlexGrid::SetEnabled(bool enabled)
{
    m_enabled = enabled;
    setFocusPolicy(enabled ? Qt::StrongFocus : Qt::NoFocus);
    if (!enabled && hasFocus())
        clearFocus();
}

int FlexGrid::Width() const { return static_cast<int>(PixelsToTwips(width())); }

void FlexGrid::Emit(QMouseEvent* event, int kind)
{
    // Viewport positions, moved to the grid's own corner and into twips.
    const QPointF at = event->position() + QPointF(viewport()->pos());
    const double x = PixelsToTwips(at.x());
    const double y = PixelsToTwips(at.y());
    const int shift = ShiftCode(event->modifiers());
    switch (kind) {
    case 0: emit MouseDown(MouseButtonCode(event->button()), shift, x, y); break;
    case 1: emit MouseMove(MouseButtonCode(event->buttons()), shift, x, y); break;
    default: emit MouseUp(MouseButtonCode(event->button()), shift, x, y); break;
    }
}

void FlexGrid::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const QPoint at = event->position().toPoint();
        const int row = rowAt(at.y());
        const int col = columnAt(at.x());
        if (row >= 0 && col >= 0) {
            m_row = row;
            m_col = col;
        }
    }
    if (m_enabled)
        setFocus(Qt::MouseFocusReason);
    Emit(event, 0);
}

void FlexGrid::mouseMoveEvent(QMouseEvent* event)
{
    Emit(event, 1);
}

void FlexGrid::mouseReleaseEvent(QMouseEvent* event)
{
    Emit(event, 2);
    const bool endsDoubleClick = m_releaseEndsDoubleClick;
    m_releaseEndsDoubleClick = false;
    if (event->button() == Qt::LeftButton && !endsDoubleClick)
        emit Click();
}

void FlexGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        mousePressEvent(event);
        return;
    }
    m_releaseEndsDoubleClick = true;
    emit DblClick();
}

void FlexGrid::keyPressEvent(QKeyEvent* event)
{
    if (!m_enabled) {
        event->ignore();
        return;
    }
    // The keys only scroll; the current cell stays where the program put it.
    QScrollBar* bar = verticalScrollBar();
    switch (event->key()) {
    case Qt::Key_Up: bar->triggerAction(QAbstractSlider::SliderSingleStepSub); break;
    case Qt::Key_Down: bar->triggerAction(QAbstractSlider::SliderSingleStepAdd); break;
    case Qt::Key_PageUp: bar->triggerAction(QAbstractSlider::SliderPageStepSub); break;
    case Qt::Key_PageDown: bar->triggerAction(QAbstractSlider::SliderPageStepAdd); break;
    case Qt::Key_Home: bar->triggerAction(QAbstractSlider::SliderToMinimum); break;
    case Qt::Key_End: bar->triggerAction(QAbstractSlider::SliderToMaximum); break;
    default: event->ignore(); return;
    }
}
