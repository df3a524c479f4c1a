#include "platform/FlexGrid.h"

#include "platform/Colors.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QString>
#include <QWidget>
#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

namespace {

// A grid of 10 rows and 3 columns of 1500 twips (100 pixels) in a shown
// window, recording what it raises as text.
class FlexGridTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window_.resize(400, 300);
        grid_ = new FlexGrid(&window_);
        grid_->setGeometry(0, 0, 320, 16 * 6 + 2 * grid_->frameWidth());
        grid_->SetRows(10);
        grid_->SetCols(3);
        for (int c = 0; c < 3; ++c)
            grid_->SetColWidth(c, 1500);
        window_.show();
        QApplication::processEvents();
        connect("down", &FlexGrid::MouseDown);
        connect("up", &FlexGrid::MouseUp);
        QObject::connect(grid_, &FlexGrid::Click, [this] { log_.push_back(QStringLiteral("click row %1").arg(grid_->Row())); });
        QObject::connect(grid_, &FlexGrid::DblClick, [this] { log_.push_back(QStringLiteral("dblclick")); });
        QObject::connect(grid_, &FlexGrid::MouseMove, [this](int button, int, double x, double y) {
            log_.push_back(QStringLiteral("move %1 %2 %3").arg(button).arg(x).arg(y));
        });
    }

    void connect(const char* name, void (FlexGrid::*signal)(int, int, double, double))
    {
        const QString text = QString::fromLatin1(name);
        QObject::connect(grid_, signal, [this, text](int button, int shift, double x, double y) {
            log_.push_back(QStringLiteral("%1 %2 %3 row %4 col %5 at %6,%7")
                               .arg(text).arg(button).arg(shift).arg(grid_->Row()).arg(grid_->Col()).arg(x).arg(y));
        });
    }

    // A mouse event on the grid's viewport at a point of the grid.
    void Send(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers = {})
    {
        QWidget* viewport = grid_->viewport();
        const QPointF local = QPointF(at - viewport->pos());
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent event(type, local, viewport->mapToGlobal(local), button, held, modifiers);
        QApplication::sendEvent(viewport, &event);
    }

    // The middle of a cell, in the grid's pixels.
    QPoint CellMiddle(int row, int col) const
    {
        return grid_->viewport()->pos() + QPoint(col * 100 + 50, row * 16 + 8);
    }

    QWidget window_;
    FlexGrid* grid_ = nullptr;
    std::vector<QString> log_;
};

TEST_F(FlexGridTest, LeftPressMovesTheCurrentCellBeforeMouseDownAndClickFollowsTheRelease)
{
    const QPoint at = CellMiddle(3, 1);
    Send(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::ShiftModifier);
    Send(QEvent::MouseButtonRelease, at, Qt::LeftButton);
    const QString where = QStringLiteral("at %1,%2").arg(at.x() * 15).arg(at.y() * 15);
    EXPECT_EQ(log_, (std::vector<QString>{QStringLiteral("down 1 1 row 3 col 1 ") + where,
                                          QStringLiteral("up 1 0 row 3 col 1 ") + where,
                                          QStringLiteral("click row 3")}));
    // A move arrives without a button, in twips too.
    log_.clear();
    Send(QEvent::MouseMove, at, Qt::NoButton);
    EXPECT_EQ(log_, std::vector<QString>{QStringLiteral("move 0 %1 %2").arg(at.x() * 15).arg(at.y() * 15)});
}

TEST_F(FlexGridTest, RightButtonAndEmptyAreaLeaveTheCurrentCell)
{
    grid_->SetRows(2);
    grid_->SetRow(1);
    Send(QEvent::MouseButtonPress, CellMiddle(0, 2), Qt::RightButton);
    Send(QEvent::MouseButtonRelease, CellMiddle(0, 2), Qt::RightButton);
    Send(QEvent::MouseButtonPress, CellMiddle(4, 2), Qt::LeftButton);   // below the last row
    EXPECT_EQ(grid_->Row(), 1);
    EXPECT_EQ(grid_->Col(), 0);
    ASSERT_EQ(log_.size(), 3u);
    EXPECT_TRUE(log_[0].startsWith(QStringLiteral("down 2 0 row 1 col 0")));
    EXPECT_TRUE(log_[1].startsWith(QStringLiteral("up 2 0 row 1 col 0")));
}

// A double click replaces the second click, also on a grid out of the
// keyboard, which never takes the focus.
TEST_F(FlexGridTest, DoubleClickReplacesTheSecondClick)
{
    for (const bool enabled : {true, false}) {
        grid_->SetEnabled(enabled);
        log_.clear();
        const QPoint at = CellMiddle(2, 0);
        Send(QEvent::MouseButtonPress, at, Qt::LeftButton);
        Send(QEvent::MouseButtonRelease, at, Qt::LeftButton);
        Send(QEvent::MouseButtonDblClick, at, Qt::LeftButton);
        Send(QEvent::MouseButtonRelease, at, Qt::LeftButton);
        ASSERT_EQ(log_.size(), 5u) << enabled;
        EXPECT_EQ(log_[2], QStringLiteral("click row 2"));
        EXPECT_EQ(log_[3], QStringLiteral("dblclick"));
        EXPECT_TRUE(log_[4].startsWith(QStringLiteral("up 1 0 row 2")));
        EXPECT_EQ(window_.focusWidget() == grid_, enabled) << enabled;
        EXPECT_EQ(grid_->focusPolicy(), enabled ? Qt::StrongFocus : Qt::NoFocus) << enabled;
        grid_->clearFocus();
    }
}

TEST_F(FlexGridTest, CellsOutsideTheGridReadEmptyAndIgnoreWrites)
{
    grid_->SetTextMatrix(9, 2, QStringLiteral("last"));
    for (const QPoint cell : {QPoint(10, 0), QPoint(-1, 0), QPoint(0, 3), QPoint(0, -1)}) {
        grid_->SetTextMatrix(cell.x(), cell.y(), QStringLiteral("x"));
        EXPECT_EQ(grid_->TextMatrix(cell.x(), cell.y()), QString());
    }
    grid_->SetRow(12);
    grid_->SetCol(5);
    EXPECT_EQ(grid_->Row(), 0);
    EXPECT_EQ(grid_->Col(), 0);
    EXPECT_EQ(grid_->TextMatrix(9, 2), QStringLiteral("last"));
    EXPECT_EQ(grid_->ColWidth(7), 0);
    // Fewer rows drop the cells below; the current row follows.
    grid_->SetRow(9);
    grid_->SetRows(4);
    EXPECT_EQ(grid_->Row(), 3);
    grid_->SetRows(10);
    EXPECT_EQ(grid_->TextMatrix(9, 2), QString());
    // Widths are twips; colours belong to one cell.
    grid_->SetColWidth(1, 1000);
    EXPECT_EQ(grid_->columnWidth(1), 67);
    grid_->SetColWidth(2, -30);
    EXPECT_EQ(grid_->ColWidth(2), 0);
    grid_->SetRow(2);
    grid_->SetCol(1);
    grid_->SetCellBackColor(vbHighlight);
    EXPECT_EQ(grid_->CellBackColor(), vbHighlight);
    grid_->SetCol(0);
    EXPECT_EQ(grid_->CellBackColor(), 0);
}

TEST_F(FlexGridTest, MarkedCellShowsWhiteTextOnTheHighlightColour)
{
    grid_->SetTextMatrix(1, 0, QStringLiteral("MMMMMMMM"));
    grid_->SetRow(1);
    grid_->SetCol(0);
    grid_->SetCellBackColor(vbHighlight);
    grid_->SetCellForeColor(vbWhite);
    const QImage image = grid_->viewport()->grab().toImage();
    const QColor highlight = ToQColor(vbHighlight);
    EXPECT_EQ(image.pixelColor(95, 16 + 1), highlight) << "the ground beyond the text";
    // Text drawn smoothly: count the pixels near white.
    int white = 0;
    for (int x = 0; x < 60; ++x)
        for (int y = 17; y < 31; ++y)
            white += std::min({image.pixelColor(x, y).red(), image.pixelColor(x, y).green(),
                               image.pixelColor(x, y).blue()}) > 220;
    EXPECT_GT(white, 20) << "white text";
    EXPECT_NE(image.pixelColor(95, 8), highlight) << "row 0 keeps the grid's ground";
}

TEST_F(FlexGridTest, AlignmentCodesPlaceTheTextInTheCell)
{
    grid_->SetColAlignment(0, 0);
    grid_->SetColAlignment(1, 2);
    for (int c = 0; c < 3; ++c)
        grid_->SetTextMatrix(0, c, QStringLiteral("a"));
    const Qt::Alignment expected[] = {Qt::AlignLeft | Qt::AlignTop, Qt::AlignLeft | Qt::AlignBottom,
                                      Qt::AlignLeft | Qt::AlignVCenter};
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(grid_->item(0, c)->textAlignment(), static_cast<int>(expected[c])) << c;
    // A later code applies to the cells already written.
    grid_->SetColAlignment(0, 1);
    EXPECT_EQ(grid_->item(0, 0)->textAlignment(), static_cast<int>(Qt::AlignLeft | Qt::AlignVCenter));
}

TEST_F(FlexGridTest, TopRowScrollsAsFarAsTheRowsAllow)
{
    // Six rows fit.
    EXPECT_TRUE(grid_->RowIsVisible(5));
    EXPECT_FALSE(grid_->RowIsVisible(6));
    grid_->SetTopRow(3);
    EXPECT_FALSE(grid_->RowIsVisible(2));
    EXPECT_TRUE(grid_->RowIsVisible(8));
    grid_->SetTopRow(50);
    EXPECT_EQ(grid_->TopRow(), 4);
    // Rows added just now are reached at once.
    grid_->SetRows(100);
    grid_->SetTopRow(94);
    EXPECT_EQ(grid_->TopRow(), 94);
}

} // namespace
