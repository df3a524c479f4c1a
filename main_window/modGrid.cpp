#include "main_window/modGrid.h"

#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "instrument/modDataString.h"
#include "instrument/modPropertyText.h"
#include "instrument/modStatistic.h"
#include "main_window/frmMain.h"
#include "platform/Colors.h"
#include "platform/Conversions.h"
#include "platform/Cp1252.h"
#include "platform/FlexGrid.h"
#include "platform/Text.h"

#include <algorithm>

namespace {

constexpr int TestGridColumns = 7;
constexpr int ValueGridColumns = 5;
// The commentary column leaves room for the grid's frame and scroll bar.
constexpr double ScrollBarAllowance = 285;

const PropertyBlock* CurrentBlock(const Protocol& protocol)
{
    const int property = protocol.CurrentProperty;
    if (property < 1 || property > PropertyCount)
        return nullptr;
    return &protocol.Blocks[static_cast<size_t>(property)];
}

int32_t Measured(const QString& text)
{
    return CLng(frmMain::TextWidth(text));
}

int32_t NumberColumnWidth() { return Measured(FormatNumberText(999999.0f, 3)); }
int32_t UnitColumnWidth() { return Measured(QStringLiteral(" cm\u00B3/cm\u00B2/s +")); }
int32_t SignColumnWidth() { return Measured(QStringLiteral(" + ")); }

// Value and unit columns of one result: empty without a value, the two words
// of a pass/fail text over both columns, else the number and the unit with
// its limit sign.
void ResultColumns(float value, const std::string& unit, bool passFailAllowed, const TestDefinition& definition,
                   int resultNumber, QString& valueText, QString& unitText)
{
    valueText.clear();
    unitText.clear();
    if (!IsPresentValue(value))
        return;
    if (passFailAllowed && IsPassFail(unit)) {
        const QStringList words = PassFailText(value, Language).split(u' ', Qt::SkipEmptyParts);
        if (words.size() == 1) {
            unitText = words[0];
        } else if (words.size() >= 2) {
            valueText = words[0];
            unitText = words.mid(1).join(u' ');
        }
        return;
    }
    valueText = FormatNumberText(value, 3);
    unitText = Trim(UnitText(unit, Language) + QStringLiteral(" ") + LimitSign(value, definition, resultNumber));
}

// True when no test before testIndex is left undeleted.
bool IsFirstTestShown(const PropertyBlock& block, int testIndex)
{
    for (int i = 1; i < testIndex; ++i) {
        if (!block.Values[static_cast<size_t>(i)].Deleted)
            return false;
    }
    return true;
}

} // namespace

int TestEntryIndex(const Protocol& protocol, int row)
{
    const PropertyBlock* block = CurrentBlock(protocol);
    if (!block || row < 0)
        return 0;
    int k = row + 1;
    for (size_t i = 1; i < block->Values.size(); ++i) {
        if (!block->Values[i].Deleted && --k == 0)
            return static_cast<int>(i);
    }
    return 0;
}

void FillTestGrid(FlexGrid& grid, const Protocol& protocol)
{
    grid.SetRows(1);
    for (int c = 0; c < TestGridColumns; ++c)
        grid.SetTextMatrix(0, c, QString());
    const PropertyBlock* block = CurrentBlock(protocol);
    if (!block)
        return;
    bool first = true;
    for (size_t i = 1; i < block->Values.size(); ++i) {
        if (block->Values[i].Deleted)
            continue;
        FillTestRow(grid, protocol, static_cast<int>(i), first ? grid.Rows() : grid.Rows() + 1);
        first = false;
    }
}

void FillTestRow(FlexGrid& grid, const Protocol& protocol, int testIndex, int row)
{
    const PropertyBlock* block = CurrentBlock(protocol);
    if (!block || testIndex < 1 || testIndex >= static_cast<int>(block->Values.size()) || row < 1)
        return;
    const TestValue& test = block->Values[static_cast<size_t>(testIndex)];
    if (test.Deleted)
        return;

    // The first test shown takes the single empty row of a grid without
    // tests, also when deleted tests stand before it.
    if (row == 2 && grid.Rows() == 1 && IsFirstTestShown(*block, testIndex))
        row = 1;
    if (row > grid.Rows())
        grid.SetRows(row);
    grid.SetRow(row - 1);

    const TestDefinition definition = PropertyTestDefinition(protocol, protocol.CurrentProperty);
    QString value1;
    QString unit1;
    QString value2;
    QString unit2;
    ResultColumns(test.Value1, test.Unit1, true, definition, 1, value1, unit1);
    ResultColumns(test.Value2, test.Unit2, false, definition, 2, value2, unit2);

    const int r = row - 1;
    grid.SetTextMatrix(r, 0, QString::number(row) + QStringLiteral(":"));
    grid.SetTextMatrix(r, 1, value1);
    grid.SetTextMatrix(r, 2, unit1);
    grid.SetTextMatrix(r, 3, value2);
    grid.SetTextMatrix(r, 4, unit2);
    grid.SetTextMatrix(r, 5, test.Warning == 0 ? QString() : FromCp1252(std::string(1, test.Warning)));
    grid.SetTextMatrix(r, 6, test.Commentary);
    grid.SetCol(0);
}

void MarkCurrentRow(FlexGrid& grid, int& row)
{
    row = grid.Row();
    const int last = std::max(grid.Rows() - 1, 0);

    grid.SetRow(std::min(grid.LastMarkedRow, last));
    for (int c = 0; c < grid.Cols(); ++c) {
        grid.SetCol(c);
        grid.SetCellBackColor(0);
        grid.SetCellForeColor(vbBlack);
    }

    grid.SetRow(std::min(row, last));
    for (int c = 0; c < grid.Cols(); ++c) {
        grid.SetCol(c);
        grid.SetCellBackColor(vbHighlight);
        grid.SetCellForeColor(vbWhite);
    }
    grid.SetCol(0);

    if (!grid.RowIsVisible(row)) {
        int visible = 0;
        for (int r = 0; r < grid.Rows(); ++r) {
            if (grid.RowIsVisible(r))
                ++visible;
        }
        grid.SetTopRow(grid.Rows() - visible);
    }
    grid.LastMarkedRow = std::min(row, last);
}

void SetupStatGrid(FlexGrid& grid)
{
    grid.SetRows(1);
    grid.SetCols(TestGridColumns);
    const int32_t number = NumberColumnWidth();
    const int32_t unit = UnitColumnWidth();
    const int32_t widths[TestGridColumns - 1] = {
        Measured(QStringLiteral("9999:")), number, unit, number, unit, SignColumnWidth(),
    };
    const int alignments[TestGridColumns] = {1, 1, 0, 1, 0, 2, 0};
    for (int c = 0; c < TestGridColumns - 1; ++c) {
        grid.SetColWidth(c, widths[c]);
        grid.SetColAlignment(c, alignments[c]);
    }
    grid.SetColWidth(6, CommentaryColumnWidth(grid, grid.Width()));
    grid.SetColAlignment(6, alignments[6]);
}

void SetupNominalGrid(FlexGrid& grid)
{
    grid.SetEnabled(false);
    grid.SetRows(1);
    grid.SetCols(ValueGridColumns);
    const int32_t number = NumberColumnWidth();
    const int32_t unit = UnitColumnWidth();
    const int32_t widths[ValueGridColumns] = {number, unit, number, unit, SignColumnWidth()};
    const int alignments[ValueGridColumns] = {1, 0, 1, 0, 2};
    for (int c = 0; c < ValueGridColumns; ++c) {
        grid.SetColWidth(c, widths[c]);
        grid.SetColAlignment(c, alignments[c]);
    }
}

void FillInfoRow(FlexGrid& grid, const GridInfoRow& info)
{
    grid.SetRow(0);
    grid.SetTextMatrix(0, 0, Trim(info.Value1Text));
    grid.SetTextMatrix(0, 1, Trim(info.Unit1Text + QStringLiteral(" ") + info.Sign1));
    grid.SetTextMatrix(0, 2, Trim(info.Value2Text));
    grid.SetTextMatrix(0, 3, Trim(info.Unit2Text + QStringLiteral(" ") + info.Sign2));
    grid.SetTextMatrix(0, 4, Trim(info.LastColumnText));
    grid.SetCol(0);
}

int32_t CommentaryColumnWidth(const FlexGrid& grid, double gridWidth)
{
    double rest = gridWidth - ScrollBarAllowance;
    for (int c = 0; c <= 5; ++c)
        rest -= grid.ColWidth(c);
    // Wider texts than the design's font made can leave less than nothing.
    return std::max(CLng(rest), 0);
}
