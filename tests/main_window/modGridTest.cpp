#include "main_window/modGrid.h"

#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "main_window/frmMain.h"
#include "platform/Colors.h"
#include "platform/FlexGrid.h"
#include "support/LocaleFixture.h"
#include "support/SeriesTests.h"

#include <QApplication>
#include <array>
#include <vector>

namespace {

using GridRow = std::array<const char*, 7>;

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

class GridTest : public LocaleFixture {
protected:
    void SetUp() override
    {
        LocaleFixture::SetUp();
        savedLanguage_ = Language;
        Language = 2;
        // Property 1 of form 1 is test type 3, result 1 between 10 and 20.
        protocol_ = MakeEmptyProtocol();
        protocol_.Style.Forms[1].Items[1].Property = 3;
        TestDefinition& definition = protocol_.Style.Tests[3];
        definition.Lower1 = 10;
        definition.Upper1 = 20;
        grid_.resize(600, 300);
        SetupStatGrid(grid_);
    }
    void TearDown() override
    {
        Language = savedLanguage_;
        LocaleFixture::TearDown();
    }

    void SetTests(std::vector<TestValue> values) { protocol_.Blocks[1].Values = std::move(values); }

    std::vector<std::array<QString, 7>> Texts() const
    {
        std::vector<std::array<QString, 7>> rows;
        for (int r = 0; r < grid_.Rows(); ++r) {
            std::array<QString, 7> row;
            for (int c = 0; c < 7; ++c)
                row[static_cast<size_t>(c)] = grid_.TextMatrix(r, c);
            rows.push_back(row);
        }
        return rows;
    }

    static std::vector<std::array<QString, 7>> Expected(const std::vector<GridRow>& rows)
    {
        std::vector<std::array<QString, 7>> texts;
        for (const GridRow& row : rows) {
            std::array<QString, 7> text;
            for (size_t c = 0; c < 7; ++c)
                text[c] = U(row[c]);
            texts.push_back(text);
        }
        return texts;
    }

    Protocol protocol_;
    FlexGrid grid_;
    int16_t savedLanguage_ = 0;
};

TestValue Commented(TestValue test, char warning, const char* commentary)
{
    test.Warning = warning;
    test.Commentary = U(commentary);
    return test;
}

// ---------------------------------------------------------------------------
// Filling

TEST_F(GridTest, FillShowsEachTestThatIsNotDeletedInItsRow)
{
    const GridRow empty = {"", "", "", "", "", "", ""};
    struct Case {
        const char* name;
        std::vector<TestValue> values;
        std::vector<GridRow> rows;
    } cases[] = {
        {"first test in row 0, deleted tests leave no gap",
         SeriesValues({SeriesTest(12.5f, 3.0f), SeriesTest(99, NoValue, "8", true), SeriesTest(15)}),
         {{"1:", "12.5", "N", "3.00", "mm", " ", ""}, {"2:", "15.0", "N", "", "", " ", ""}}},
        {"result 1 missing empties its two columns only",
         SeriesValues({Commented(SeriesTest(NoValue, 4.5f), '!', "torn")}),
         {{"1:", "", "", "4.50", "mm", "!", "torn"}}},
        {"limit signs follow the unit after one blank",
         SeriesValues({SeriesTest(9.5f), SeriesTest(20.5f), SeriesTest(10)}),
         {{"1:", "9.50", "N -", "", "", " ", ""}, {"2:", "20.5", "N +", "", "", " ", ""},
          {"3:", "10.0", "N", "", "", " ", ""}}},
        {"all deleted: one empty row",
         SeriesValues({SeriesTest(12, NoValue, "8", true), SeriesTest(13, NoValue, "8", true)}), {empty}},
        {"no tests: one empty row", SeriesValues({}), {empty}},
        {"damaged block without even the empty test: one empty row", {}, {empty}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetTests(c.values);
        FillTestGrid(grid_, protocol_);
        EXPECT_EQ(Texts(), Expected(c.rows));
        EXPECT_EQ(grid_.Row(), grid_.Rows() - 1);
        EXPECT_EQ(grid_.Col(), 0);
    }
}

TEST_F(GridTest, PassFailTextIsSplitOverTheValueAndUnitColumns)
{
    struct Case {
        int language;
        float value;
        const char* column1;
        const char* column2;
    } cases[] = {
        {1, 0, "nicht", "bestanden"}, {1, 1, "", "bestanden"}, {2, 0, "", "failed"},
        {2, 1, "", "passed"},         {3, 0, "pas", "passé"},  {3, 1, "", "passé"},
        {4, 0, "", "fallito"},        {5, 0, "no", "cumple"},  {5, 1, "", "cumple"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.language << " " << c.value);
        Language = static_cast<int16_t>(c.language);
        SetTests(SeriesValues({SeriesTest(c.value, NoValue, "y")}));
        FillTestGrid(grid_, protocol_);
        EXPECT_EQ(grid_.TextMatrix(0, 1), U(c.column1));
        EXPECT_EQ(grid_.TextMatrix(0, 2), U(c.column2));
    }
}

TEST_F(GridTest, DamagedIndexesFillWithoutLimitsOrLeaveTheEmptyRow)
{
    SetTests(SeriesValues({SeriesTest(25)}));
    struct Case {
        const char* name;
        int formIndex;
        int currentProperty;
        int testType;
        std::vector<GridRow> rows;
    } cases[] = {
        {"form 0", 0, 1, 3, {{"1:", "25.0", "N", "", "", " ", ""}}},
        {"form 11", 11, 1, 3, {{"1:", "25.0", "N", "", "", " ", ""}}},
        {"test type 25", 1, 1, 25, {{"1:", "25.0", "N", "", "", " ", ""}}},
        {"property 7", 1, 7, 3, {{"", "", "", "", "", "", ""}}},
        {"property 0", 1, 0, 3, {{"", "", "", "", "", "", ""}}},
        {"sound protocol for comparison", 1, 1, 3, {{"1:", "25.0", "N +", "", "", " ", ""}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Protocol p = protocol_;
        p.FormIndex = static_cast<int16_t>(c.formIndex);
        p.CurrentProperty = static_cast<int16_t>(c.currentProperty);
        p.Style.Forms[1].Items[1].Property = static_cast<int16_t>(c.testType);
        FillTestGrid(grid_, p);
        EXPECT_EQ(Texts(), Expected(c.rows));
        EXPECT_EQ(TestEntryIndex(p, 0), c.currentProperty == 1 ? 1 : 0);
    }
}

TEST_F(GridTest, AddedTestTakesTheEmptyRowEvenBehindDeletedTests)
{
    // As the measurement adds a test: the row after the last one shown.
    struct Case {
        const char* name;
        std::vector<TestValue> before;
    } cases[] = {
        {"new series", SeriesValues({})},
        {"every earlier test deleted, block kept (older file)",
         SeriesValues({SeriesTest(1, NoValue, "8", true), SeriesTest(2, NoValue, "8", true)})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetTests(c.before);
        FillTestGrid(grid_, protocol_);
        protocol_.Blocks[1].Values.push_back(SeriesTest(14));
        const int added = static_cast<int>(protocol_.Blocks[1].Values.size()) - 1;
        FillTestRow(grid_, protocol_, added, grid_.Rows() + 1);
        EXPECT_EQ(Texts(), Expected({{"1:", "14.0", "N", "", "", " ", ""}}));
        EXPECT_EQ(grid_.Row(), 0);

        protocol_.Blocks[1].Values.push_back(SeriesTest(16));
        FillTestRow(grid_, protocol_, added + 1, grid_.Rows() + 1);
        EXPECT_EQ(grid_.Rows(), 2);
        EXPECT_EQ(grid_.TextMatrix(1, 0), U("2:"));
        EXPECT_EQ(grid_.Row(), 1);
    }
}

TEST_F(GridTest, FillRowIgnoresDeletedAndMissingTests)
{
    SetTests(SeriesValues({SeriesTest(12), SeriesTest(13, NoValue, "8", true)}));
    FillTestGrid(grid_, protocol_);
    const auto before = Texts();
    for (int index : {2, 3, 0, -1}) {
        SCOPED_TRACE(index);
        FillTestRow(grid_, protocol_, index, 2);
        EXPECT_EQ(Texts(), before);
    }
}

TEST_F(GridTest, TestEntryIndexCountsOnlyTestsThatAreNotDeleted)
{
    SetTests(SeriesValues({SeriesTest(1, NoValue, "8", true), SeriesTest(2), SeriesTest(3, NoValue, "8", true),
                           SeriesTest(4, NoValue, "8", true), SeriesTest(5), SeriesTest(6)}));
    const std::pair<int, int> rows[] = {{0, 2}, {1, 5}, {2, 6}, {3, 0}, {99, 0}, {-1, 0}};
    for (const auto& [row, index] : rows)
        EXPECT_EQ(TestEntryIndex(protocol_, row), index) << row;

    SetTests(SeriesValues({}));
    EXPECT_EQ(TestEntryIndex(protocol_, 0), 0) << "the empty row of a property without tests";
    SetTests({});
    EXPECT_EQ(TestEntryIndex(protocol_, 0), 0) << "a block without even the empty test";
}

// ---------------------------------------------------------------------------
// Marking

bool RowMarked(const FlexGrid& grid, int row)
{
    FlexGrid& g = const_cast<FlexGrid&>(grid);
    const int savedRow = g.Row();
    const int savedCol = g.Col();
    g.SetRow(row);
    bool allMarked = true;
    bool noneMarked = true;
    for (int c = 0; c < g.Cols(); ++c) {
        g.SetCol(c);
        const bool marked = g.CellBackColor() == vbHighlight && g.CellForeColor() == vbWhite;
        const bool plain = g.CellBackColor() == 0 && g.CellForeColor() == vbBlack;
        allMarked = allMarked && marked;
        noneMarked = noneMarked && plain;
    }
    g.SetRow(savedRow);
    g.SetCol(savedCol);
    EXPECT_TRUE(allMarked || noneMarked) << "row " << row << " is marked in part";
    return allMarked;
}

std::vector<TestValue> Tests(int count)
{
    std::vector<TestValue> values{MakeEmptyTestValue()};
    for (int i = 1; i <= count; ++i)
        values.push_back(SeriesTest(static_cast<float>(i)));
    return values;
}

TEST_F(GridTest, MarkingMovesTheMarkAndLimitsRowsToTheGrid)
{
    SetTests(Tests(5));
    FillTestGrid(grid_, protocol_);
    int row = -1;
    MarkCurrentRow(grid_, row);
    EXPECT_EQ(row, 4);
    EXPECT_TRUE(RowMarked(grid_, 4));
    EXPECT_EQ(grid_.Col(), 0);

    grid_.SetRow(1);
    MarkCurrentRow(grid_, row);
    EXPECT_EQ(row, 1);
    for (int r = 0; r < 5; ++r)
        EXPECT_EQ(RowMarked(grid_, r), r == 1) << r;

    // Row 4 was marked last; the grid now has two rows.
    grid_.SetRow(4);
    MarkCurrentRow(grid_, row);
    SetTests(Tests(2));
    FillTestGrid(grid_, protocol_);
    grid_.SetRow(0);
    MarkCurrentRow(grid_, row);
    EXPECT_TRUE(RowMarked(grid_, 0));
    EXPECT_FALSE(RowMarked(grid_, 1));
    EXPECT_EQ(grid_.LastMarkedRow, 0);
}

TEST_F(GridTest, EachGridRemembersItsOwnMarkedRow)
{
    FlexGrid other;
    other.resize(600, 300);
    SetupStatGrid(other);
    SetTests(Tests(4));
    FillTestGrid(grid_, protocol_);
    FillTestGrid(other, protocol_);
    int row = 0;
    grid_.SetRow(2);
    MarkCurrentRow(grid_, row);
    other.SetRow(3);
    MarkCurrentRow(other, row);
    other.SetRow(0);
    MarkCurrentRow(other, row);

    EXPECT_TRUE(RowMarked(grid_, 2)) << "marking the other grid leaves this one";
    EXPECT_TRUE(RowMarked(other, 0));
    EXPECT_FALSE(RowMarked(other, 3));
}

TEST_F(GridTest, MarkingAHiddenRowScrollsTheLastPageIntoView)
{
    grid_.resize(600, 16 * 10 + 2 * grid_.frameWidth());
    grid_.show();
    QApplication::processEvents();
    SetTests(Tests(999));
    FillTestGrid(grid_, protocol_);
    int row = 0;
    MarkCurrentRow(grid_, row);
    EXPECT_EQ(row, 998);
    EXPECT_EQ(grid_.TopRow(), 989);
    EXPECT_TRUE(grid_.RowIsVisible(998));
    EXPECT_FALSE(grid_.RowIsVisible(988));

    // A visible row marks without scrolling.
    grid_.SetRow(992);
    MarkCurrentRow(grid_, row);
    EXPECT_EQ(grid_.TopRow(), 989);
}

// ---------------------------------------------------------------------------
// Layouts and value rows

TEST_F(GridTest, GridLayoutsMeasureTheirColumnsInTheWindowFont)
{
    const int32_t number = CLng(frmMain::TextWidth(U("1,000,000")));
    const int32_t unit = CLng(frmMain::TextWidth(U(" cm³/cm²/s +")));
    const int32_t sign = CLng(frmMain::TextWidth(U(" + ")));
    const int32_t running = CLng(frmMain::TextWidth(U("9999:")));

    const std::vector<int32_t> testWidths = {running, number, unit, number, unit, sign};
    const std::vector<int> testAlignments = {1, 1, 0, 1, 0, 2, 0};
    EXPECT_EQ(grid_.Cols(), 7);
    EXPECT_EQ(grid_.Rows(), 1);
    int32_t used = 0;
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(grid_.ColWidth(c), testWidths[static_cast<size_t>(c)]) << c;
        used += testWidths[static_cast<size_t>(c)];
    }
    EXPECT_EQ(grid_.ColWidth(6), 600 * 15 - 285 - used);
    for (int c = 0; c < 7; ++c)
        EXPECT_EQ(grid_.ColAlignment(c), testAlignments[static_cast<size_t>(c)]) << c;
    EXPECT_TRUE(grid_.Enabled());

    FlexGrid values;
    SetupNominalGrid(values);
    const std::vector<int32_t> valueWidths = {number, unit, number, unit, sign};
    const std::vector<int> valueAlignments = {1, 0, 1, 0, 2};
    EXPECT_EQ(values.Cols(), 5);
    EXPECT_EQ(values.Rows(), 1);
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(values.ColWidth(c), valueWidths[static_cast<size_t>(c)]) << c;
        EXPECT_EQ(values.ColAlignment(c), valueAlignments[static_cast<size_t>(c)]) << c;
    }
    EXPECT_FALSE(values.Enabled());
    EXPECT_TRUE(values.isEnabled()) << "its mouse handlers still run";
}

TEST_F(GridTest, CommentaryColumnNeverTurnsNegative)
{
    FlexGrid narrow;
    narrow.resize(100, 50);
    SetupStatGrid(narrow);
    EXPECT_EQ(narrow.ColWidth(6), 0);
    EXPECT_EQ(CommentaryColumnWidth(grid_, 0), 0);
    // Halves round to even, as the design's whole-number conversion does.
    int32_t used = 0;
    for (int c = 0; c < 6; ++c)
        used += grid_.ColWidth(c);
    EXPECT_EQ(CommentaryColumnWidth(grid_, used + 285 + 2.5), 2);
    EXPECT_EQ(CommentaryColumnWidth(grid_, used + 285 + 3.5), 4);
}

TEST_F(GridTest, InfoRowTrimsEachCellAndJoinsUnitsWithTheirSigns)
{
    FlexGrid values;
    SetupNominalGrid(values);
    values.SetCol(3);
    const GridInfoRow info{U(" 12.5 "), U("N"), U("+"), U(""), U(" mm "), U(""), U(" ! ")};
    FillInfoRow(values, info);
    const QStringList expected = {U("12.5"), U("N +"), U(""), U("mm"), U("!")};
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(values.TextMatrix(0, c), expected[c]) << c;
    EXPECT_EQ(values.Row(), 0);
    EXPECT_EQ(values.Col(), 0);

    FillInfoRow(values, GridInfoRow{});
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(values.TextMatrix(0, c), QString()) << c;
}

} // namespace
