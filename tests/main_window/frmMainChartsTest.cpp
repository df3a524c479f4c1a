#include "main_window/frmMain.h"

#include "foundation/modRecords.h"
#include "instrument/modStatistic.h"
#include "main_window/modGrid.h"
#include "main_window/modPointerRouting.h"
#include "main_window/modProtocolState.h"
#include "main_window/WindowFixture.h"
#include "platform/FlexGrid.h"
#include "platform/PictureBox.h"
#include "platform/TabControl.h"
#include "support/SeriesTests.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <functional>
#include <limits>
#include <set>
#include <tuple>

namespace {

constexpr int32_t Grey = 0x808080;
constexpr int32_t LightGrey = 0xC0C0C0;

QString U(const char* text) { return QString::fromUtf8(text); }

// Test type 9 (results in N and mm) as property 1 of report form 1, with the
// histogram flag: nominal 100 within 90..110 and 20 within 18..22. The
// first `deleted` tests are deleted.
Protocol Series(int tests, int deleted = 0)
{
    Protocol p = MakeEmptyProtocol();
    p.FormIndex = 1;
    p.CurrentProperty = 1;
    p.Style.Forms[1].Items[1] = ReportFormItem{9, true, false};
    TestDefinition& d = p.Style.Tests[9];
    d.Nominal1 = 100, d.Lower1 = 90, d.Upper1 = 110;
    d.Nominal2 = 20, d.Lower2 = 18, d.Upper2 = 22;
    d.HeaderImage = Build({.Id = "MP 4800", .Serial = "123", .R1 = " 100.0", .RU1 = "8", .R2 = "  20.0", .RU2 = "\""});
    for (int i = 1; i <= tests; ++i)
        p.Blocks[1].Values.push_back(SeriesTest(100.0f + static_cast<float>(i % 9), 20, "8", i <= deleted));
    p.Blocks[1].Stats = CalcMeanSdCvCi(p.Blocks[1].Values);
    return p;
}

Histogram Classes(int16_t maxCount, std::initializer_list<std::pair<int, int16_t>> counts)
{
    Histogram h = MakeEmptyHistogram();
    h.Counts.fill(IntegerNoValue);
    for (const auto& [c, n] : counts)
        h.Counts[static_cast<size_t>(c)] = n;
    h.BelowCount = 1, h.AboveCount = 2, h.MaxCount = maxCount;
    h.NominalClass = 20, h.LowerClass = 10, h.UpperClass = 30;
    h.Nominal = 100, h.Lower = 90, h.Upper = 110;
    h.Unit = U("N");
    return h;
}

Profile Points(std::initializer_list<float> values, float nominal = 100, float lower = 90, float upper = 110)
{
    Profile p = MakeEmptyProfile();
    p.Values.insert(p.Values.end(), values);
    p.Nominal = nominal, p.Lower = lower, p.Upper = upper;
    p.Unit = U("N");
    return p;
}

class ChartsWindowTest : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        DateFormat = 1;
        LoginLevel = 2;
        main_ = frmMain::Instance();
    }
    // The series as open series 1, or as the working record.
    void Open(const Protocol& series, bool open = true)
    {
        Protocols.assign(1, MakeEmptyProtocol());
        if (open)
            Protocols.push_back(series);
        else
            Protocols[0] = series;
        CurrentProtocol = open ? 1 : 0;
    }
    void Select(int tab)
    {
        main_->tabDisplay->SetTab(tab);
        main_->tabDisplay_Click(0);
    }
    static int32_t At(PictureBox* picture, double x, double y) { return picture->Surface().Point(x, y); }
    std::vector<QLabel*> ReadOuts() const
    {
        return {main_->lblHistogramCoordinate[1], main_->lblHistogramCoordinate[2], main_->lblProfileCoordinate[1],
                main_->lblProfileCoordinate[2], main_->lblCurveCoordinate};
    }

    frmMain* main_ = nullptr;
};

// ---------------------------------------------------------------------------
// Charts

TEST_F(ChartsWindowTest, DeviationChartPlacesBandStripsRangeMeanAndValue)
{
    PictureBox* chart = main_->picDeviation[1];
    struct Case {
        DeviationData data;
        std::vector<std::tuple<double, double, int32_t>> pixels;   // x, y, colour
    } const cases[] = {
        {{100, 90, 110, 92, 108, 101, 104},
         {{10, 95, Grey}, {10, 105, Grey}, {10, 100, LightGrey}, {10, 85, vbWhite}, {10, 115, vbWhite},
          {10, 79, vbRed}, {10, 121, vbRed}, {50, 95, vbBlack}, {50, 104, vbWhite}, {50, 101, vbBlack}}},
        // Beyond hi: in the middle of the upper strip.
        {{100, 90, 110, 95, 130, 101, 130}, {{50, 121, vbWhite}, {10, 121, vbRed}, {50, 118, vbBlack}}},
        // Missing statistics draw no mark in the lower strip and no range.
        {{100, 90, 110, NoValue, 105, NoValue, 104}, {{50, 79, vbRed}, {50, 95, Grey}, {50, 104, vbWhite}}},
    };
    for (const Case& c : cases) {
        main_->DrawDeviationChart(c.data, 1);
        const DrawingSurface& s = chart->Surface();
        EXPECT_EQ(std::vector<double>({s.ScaleLeft(), s.ScaleWidth(), s.ScaleTop(), s.ScaleTop() + s.ScaleHeight()}),
                  std::vector<double>({0, 100, 122, 78}));
        for (const auto& [x, y, colour] : c.pixels)
            EXPECT_EQ(At(chart, x, y), colour) << c.data.Value << " at " << x << ", " << y;
    }
    main_->DrawDeviationChart({100, 40, 110, 92, 108, 101, 104}, 1);
    EXPECT_EQ(chart->Surface().ScaleTop() + chart->Surface().ScaleHeight(), -6) << "lo raised to 0";
}

TEST_F(ChartsWindowTest, HistogramColoursBarsByClassAndDrawsTheCountGrid)
{
    PictureBox* bars = main_->picHistogram[1];
    main_->DrawHistogram(Classes(4, {{5, 2}, {9, 2}, {10, 3}, {20, 4}, {30, 1}, {31, 2}}), 1);
    EXPECT_EQ(std::vector<double>({bars->Surface().ScaleLeft(), bars->Surface().ScaleWidth(), bars->Surface().ScaleTop()}),
              std::vector<double>({-0.5, 41, 4}));
    // The top edge of each bar: below the lower-limit class blue, within black, above red.
    const std::tuple<int, int, int32_t> tops[] = {{5, 2, vbBlue},   {9, 2, vbBlue},  {10, 3, vbBlack},
                                                  {20, 4, vbBlack}, {30, 1, vbBlack}, {31, 2, vbRed}};
    for (const auto& [c, count, colour] : tops)
        EXPECT_EQ(At(bars, c, count), colour) << c;
    EXPECT_EQ(At(main_->picHistogramL[1], 0, 0.5), vbBlue);
    EXPECT_EQ(At(main_->picHistogramU[1], 0, 1), vbRed);
    EXPECT_LT(Count(main_->picHistogramL[1], vbBlue), Count(main_->picHistogramL[1], vbWhite)) << "hatched, not solid";
    EXPECT_EQ(main_->lblHistogramYMax[1]->text() + main_->lblHistogramYMin[1]->text()
                  + main_->lblHistogramXUnit[1]->text(),
              U("40N"));
    EXPECT_EQ(main_->lblHistogramXUnit[1]->palette().color(QPalette::WindowText), QColor(Qt::blue));

    const std::pair<int16_t, std::set<int>> grids[] = {{1, {}}, {4, {1, 2, 3}}, {12, {2, 4, 6, 8, 10}}};
    for (const auto& [top, lines] : grids) {
        Histogram h = Classes(top, {});
        h.BelowCount = h.AboveCount = IntegerNoValue;   // not drawn
        main_->DrawHistogram(h, 1);
        for (int y = 1; y < top; ++y) {
            bool blue = false;
            for (double x = -0.5; x < 40.5; x += 0.05)
                blue = blue || At(bars, x, y) == vbBlue;
            EXPECT_EQ(blue, lines.count(y) == 1) << "maximum " << top << ", line " << y;
        }
        EXPECT_EQ(Count(main_->picHistogramL[1], vbBlue), 0);
    }
}

TEST_F(ChartsWindowTest, ProfileMarksValuesBeyondTheScaleInTheStripsAndBreaksAtGaps)
{
    PictureBox* points = main_->picProfile[1];
    main_->DrawProfile(Points({100, 110, 125, 95, NoValue, 100, 70, 115, 85}), 1);
    const DrawingSurface& s = points->Surface();
    EXPECT_EQ(std::vector<double>({s.ScaleWidth(), s.ScaleTop(), s.ScaleTop() + s.ScaleHeight()}),
              std::vector<double>({10, 120, 80}));
    EXPECT_TRUE(Near(points, 2, 110, vbBlack));
    EXPECT_FALSE(Near(points, 2, 110, vbRed)) << "a point on a limit is black";
    EXPECT_EQ(At(main_->picProfileU[1], 3, 1), vbRed);
    EXPECT_TRUE(Near(points, 2.5, 115.2, vbBlack)) << "the line runs on to the edge";
    EXPECT_EQ(At(main_->picProfileL[1], 7, 1), vbBlue);
    EXPECT_TRUE(Near(points, 6.5, 89.8, vbBlack));
    EXPECT_FALSE(Near(points, 5, 97.5, vbBlack)) << "a missing value breaks the line";
    EXPECT_NE(At(main_->picProfileL[1], 5, 1), vbBlue) << "and is not drawn as a low value";
    EXPECT_TRUE(Near(points, 8, 115, vbRed));
    EXPECT_TRUE(Near(points, 9, 85, vbBlue));
    EXPECT_EQ(main_->lblProfileYUnit[1]->text(), U("N"));

    main_->DrawProfile(Points({104}), 1);
    EXPECT_GT(Count(points, vbBlack), 0);
    EXPECT_LE(Count(points, vbBlack), 9) << "one point, no line";
    main_->DrawProfile(Points({NoValue, NoValue}), 1);
    EXPECT_EQ(Count(points, vbBlack) + Count(points, vbBlue) + Count(points, vbRed), 0);
    EXPECT_GT(Count(points, Grey), 0) << "the band only";
}

TEST_F(ChartsWindowTest, ChartsWithoutAWindowStayClearedWithoutReadOut)
{
    // Each after a chart drawn well, so a kept scale would show.
    struct Limits {
        float nominal, lower, upper;
    } const bad[] = {{90, 90, 90},      {100, 110, 90}, {100, NoValue, 110}, {100, 90, NoValue},
                     {100, 90, std::numeric_limits<float>::infinity()}, {NoValue, 90, 110}};
    for (const Limits& l : bad) {
        SCOPED_TRACE(testing::Message() << l.nominal << " " << l.lower << " " << l.upper);
        main_->DrawDeviationChart({100, 90, 110, 92, 108, 101, 104}, 2);
        main_->DrawDeviationChart({l.nominal, l.lower, l.upper, 92, 108, 101, 104}, 2);
        EXPECT_TRUE(Blank(main_->picDeviation[2]));

        Histogram h = Classes(4, {{20, 4}});
        main_->DrawHistogram(h, 2);
        h.Nominal = l.nominal, h.Lower = l.lower, h.Upper = l.upper;
        main_->DrawHistogram(h, 2);
        EXPECT_TRUE(Blank(main_->picHistogram[2]));
        EXPECT_EQ(main_->lblHistogramYMax[2]->text(), QString());
        main_->picHistogram_MouseMove(2, 0, 0, 20, 1);
        EXPECT_TRUE(main_->lblHistogramCoordinate[2]->isHidden());

        main_->DrawProfile(Points({100, 104}), 2);
        main_->DrawProfile(Points({100, 104}, l.nominal, l.lower, l.upper), 2);
        EXPECT_TRUE(Blank(main_->picProfile[2]));
        EXPECT_EQ(main_->lblProfileYUnit[2]->text(), QString());
        main_->picProfile_MouseMove(2, 0, 0, 1, 100);
        EXPECT_TRUE(main_->lblProfileCoordinate[2]->isHidden());
    }
}

TEST_F(ChartsWindowTest, PointColoursAreBlackBlueRedAndGreenOnly)
{
    const std::pair<int32_t, bool> colours[] = {{vbBlack, true}, {vbBlue, true}, {vbRed, true}, {vbGreen, true},
                                                {vbWhite, false}, {Grey, false}, {LightGrey, false}};
    DrawingSurface& s = main_->picProfile[1]->Surface();
    s.Scale(0, 1, 7, 0);
    for (size_t i = 0; i < 7; ++i)
        s.BoxFilled(static_cast<double>(i), 0, static_cast<double>(i) + 1, 1, colours[i].first);
    for (size_t i = 0; i < 7; ++i)
        EXPECT_EQ(frmMain::GetPointColour(main_->picProfile[1], static_cast<double>(i) + 0.5, 0.5), colours[i].second)
            << i;
    EXPECT_FALSE(frmMain::GetPointColour(main_->picProfile[1], -5, 0.5)) << "outside";
}

// ---------------------------------------------------------------------------
// Read-outs and pointer routing

TEST_F(ChartsWindowTest, ReadOutsShowClassesAndTestPositions)
{
    main_->DrawHistogram(Classes(4, {{20, 4}}), 1);
    const std::tuple<double, double, const char*> histogram[] = {{22.5, 2.4, " 2 / 2 "}, {-0.4, 3.5, " -20 / 4 "}};
    for (const auto& [x, y, text] : histogram) {
        main_->picHistogram_MouseMove(1, 0, 0, x, y);
        EXPECT_EQ(main_->lblHistogramCoordinate[1]->text(), U(text));
        EXPECT_FALSE(main_->lblHistogramCoordinate[1]->isHidden());
    }
    // Stored tests (deleted ones among them) against what the profile drew:
    // 95 undeleted of 105 are drawn unreduced and read directly.
    const std::tuple<int, int, double, const char*> profile[] = {
        {100, 0, 37.4, " 37 / 104 N "}, {101, 0, 10, " 19 / 104 N "}, {105, 10, 37.4, " 37 / 104 N "}};
    for (const auto& [tests, deleted, x, text] : profile) {
        Open(Series(tests, deleted));
        Select(2);
        main_->picProfile_MouseMove(1, 0, 0, x, 104.2);
        EXPECT_EQ(main_->lblProfileCoordinate[1]->text(), U(text)) << tests;
    }
    main_->picProfile_MouseMove(1, 1, 0, -1e30, 1e30);   // beyond every border: no fault
}

TEST_F(ChartsWindowTest, PointerMovesHideTheReadOutsByTheRoutingTable)
{
    main_->show();
    main_->DrawHistogram(Classes(4, {{20, 4}}), 1);
    QWidget* tabRow = main_->tabDisplay->findChild<QTabBar*>();
    const auto all = std::vector<bool>(5, true);
    const auto none = std::vector<bool>(5, false);
    struct Case {
        const char* what;
        int tab;
        QWidget* control;
        std::function<void()> prepare;
        std::vector<bool> hidden;   // histogram 1, 2, profile 1, 2, curve
    } const cases[] = {
        {"value grid", 0, main_->grdAvg->viewport(), [] {}, all},
        {"histogram strip", 4, main_->picHistogramL[1], [this] { main_->picHistogramL[1]->setEnabled(true); },
         {true, false, false, false, false}},
        {"count label", 4, main_->lblHistogramYMin[1], [] {}, {true, false, false, false, false}},
        {"profile strip 2", 3, main_->picProfileU[2], [this] { main_->picProfileU[2]->setEnabled(true); },
         {false, false, false, true, false}},
        {"lateral-air label", 0, main_->lblLateralAir[1], [this] { main_->lblLateralAir[1]->show(); }, none},
        {"style box", 0, main_->cboStyle, [this] { main_->cboStyle->setEnabled(true); }, none},
        {"disabled test grid", 0, main_->grdResult->viewport(), [this] { main_->grdResult->SetEnabled(false); }, all},
        {"disabled histogram", 4, main_->picHistogram[1], [this] { main_->picHistogram[1]->setEnabled(false); }, all},
        {"free page area", 4, main_->tabDisplay->Page(4), [] {}, all},
        {"window", 0, main_->centralWidget(), [] {}, all},
        {"tab row", 4, tabRow, [] {}, all},
        {"measure button", 0, main_->cmdMeasure, [] {}, all},
    };
    for (const Case& c : cases) {
        main_->tabDisplay->SetTab(c.tab);
        c.prepare();
        for (QLabel* label : ReadOuts()) {
            label->setText(U("1 / 2"));
            label->show();
        }
        QApplication::processEvents();
        const QPoint at = c.control == main_->tabDisplay->Page(4) ? QPoint(2, c.control->height() - 2)
                          : c.control == main_->centralWidget()    ? QPoint(3, 3)
                          : c.control == tabRow                    ? QPoint(c.control->width() - 2, 3)
                                                                   : c.control->rect().center();
        QTest::mouseMove(c.control, at);
        for (size_t k = 0; k < 5; ++k)
            EXPECT_EQ(ReadOuts()[k]->isHidden(), c.hidden[k]) << c.what << ", read-out " << k;
    }
    // An enabled histogram shows its own read-out where the pointer is.
    main_->tabDisplay->SetTab(4);
    main_->picHistogram[1]->setEnabled(true);
    QApplication::processEvents();
    QTest::mouseMove(main_->picHistogram[1], QPoint(3, 3));
    EXPECT_FALSE(main_->lblHistogramCoordinate[1]->isHidden());
    EXPECT_TRUE(main_->lblHistogramCoordinate[1]->text().endsWith(U(" / 4 "))) << "the top count";
}

// ---------------------------------------------------------------------------
// Tabs, resize, clock

TEST_F(ChartsWindowTest, TabsDrawTheirPagesAndFallBackToResultsWhenDisabled)
{
    Open(Series(12));
    main_->cboProtocol->addItem(U("series"));
    main_->cboProtocol->setCurrentIndex(0);
    main_->RefreshEnabling();
    ASSERT_EQ(main_->ProtocolState, 5);

    // The user's choice of a tab draws it.
    main_->tabDisplay->findChild<QTabBar*>()->setCurrentIndex(4);
    EXPECT_EQ(At(main_->picHistogram[1], 20, 0.5), LightGrey);
    EXPECT_TRUE(main_->picDeviation[1]->isHidden());

    // Shown tab still available: redrawn with the new data.
    Protocols[1].Blocks[1].Values.resize(1);
    main_->RefreshEnabling();
    main_->TabRefresh();
    EXPECT_EQ(main_->tabDisplay->Tab(), 4);
    EXPECT_EQ(main_->lblHistogramYMax[1]->text(), U("1"));

    // No histogram for the property any more: tab 0, with its charts.
    Protocols[1].Style.Forms[1].Items[1].Histogram = false;
    main_->RefreshEnabling();
    EXPECT_FALSE(main_->tabDisplay->TabEnabled(4));
    EXPECT_EQ(main_->tabDisplay->Tab(), 4) << "disabling keeps the tab until the refresh";
    main_->TabRefresh();
    EXPECT_EQ(main_->tabDisplay->Tab(), 0);
    EXPECT_FALSE(main_->picDeviation[2]->isHidden());
    Select(6);
    EXPECT_TRUE(main_->picDeviation[1]->isHidden() && main_->picDeviation[2]->isHidden());

    // The commentary takes the focus only when it is enabled.
    main_->show();
    QApplication::setActiveWindow(main_);
    ASSERT_TRUE(QTest::qWaitForWindowActive(main_));
    for (bool enabled : {false, true}) {
        main_->txtCommentary->setEnabled(enabled);
        main_->cboProtocol->setEnabled(true);
        main_->cboProtocol->setFocus();
        Select(1);
        QWidget* expected = enabled ? static_cast<QWidget*>(main_->txtCommentary) : main_->cboProtocol;
        EXPECT_EQ(QApplication::focusWidget(), expected);
    }
}

TEST_F(ChartsWindowTest, ResizeRedrawsDeviationChartsOnlyWithAnOpenSeriesAndAlwaysTheShownTab)
{
    for (bool open : {true, false}) {
        Open(Series(5), open);
        FillTestGrid(*main_->grdResult, Protocols[static_cast<size_t>(CurrentProtocol)]);
        main_->grdResult->SetRow(2);   // the third test: 103 and 20
        Select(2);
        for (PictureBox* picture : {main_->picDeviation[1], main_->picDeviation[2], main_->picProfile[1]})
            picture->Surface().Cls();
        main_->Form_Resize();
        EXPECT_EQ(Blank(main_->picDeviation[1]) || Blank(main_->picDeviation[2]), !open);
        if (open) {
            EXPECT_EQ(At(main_->picDeviation[1], 50, 103), vbWhite) << "the cross on the selected test";
            EXPECT_EQ(At(main_->picDeviation[2], 50, 20), vbWhite);
        }
        EXPECT_GT(Count(main_->picProfile[1], Grey), 0);
    }
}

TEST_F(ChartsWindowTest, TheSeriesChartsItsNewestTestLeftUndeleted)
{
    // Tests 101, 102 and 103 (result 2: 20), shown as they are and as taken
    // back from the pending files at the next start.
    const struct {
        std::vector<size_t> deleted;
        double cross;   // 0: no test left, nothing drawn
    } cases[] = {{{3}, 102}, {{1, 2, 3}, 0}};
    for (const auto& c : cases) {
        Protocol p = Series(3);
        for (size_t k : c.deleted)
            p.Blocks[1].Values[k].Deleted = true;
        p.Blocks[1].Stats = CalcMeanSdCvCi(p.Blocks[1].Values);
        Open(p);
        main_->ShowProtocol();
        for (bool reopened : {false, true}) {
            SCOPED_TRACE(c.cross + reopened);
            if (reopened) {
                Close();
                Protocols.assign(1, MakeEmptyProtocol());
                CurrentProtocol = 1;
                main_ = frmMain::Instance();
                ASSERT_EQ(Protocols.size(), 2u);
            }
            if (c.cross == 0) {
                EXPECT_TRUE(Blank(main_->picDeviation[1]) && Blank(main_->picDeviation[2]));
                continue;
            }
            for (double v : {101.0, 102.0, 103.0})
                EXPECT_EQ(At(main_->picDeviation[1], 50, v) == vbWhite, v == c.cross) << v;
            EXPECT_EQ(At(main_->picDeviation[2], 50, 20), vbWhite);
        }
    }
}

TEST_F(ChartsWindowTest, ClockShowsTheSeriesDateAndBlinksTheNotPrintedSymbol)
{
    Protocol dated = MakeEmptyProtocol();
    dated.Date = DateSerial(2009, 3, 7) + TimeSerial(8, 0, 1);
    Protocols = {MakeEmptyProtocol(), dated};
    // The working record, a dated series, and indexes outside Protocols, in each date format.
    const std::tuple<int, int, const char*> cases[] = {
        {0, 1, "24.12.2011, 14:05:09"}, {1, 1, "07.03.2009, 08:00:01"}, {2, 2, "12/24/2011, 14:05:09"},
        {-1, 3, "2011-12-24, 14:05:09"}, {1, 3, "2009-03-07, 08:00:01"}};
    for (const auto& [current, format, text] : cases) {
        CurrentProtocol = static_cast<int16_t>(current);
        DateFormat = static_cast<int16_t>(format);
        main_->timDateTime_Timer();
        EXPECT_EQ(main_->lblDateTimeE->text(), U(text)) << current << " " << format;
    }
    DateFormat = 1;
    for (bool autoPrint : {false, true}) {
        AutoPrint = autoPrint;
        main_->imgNotPrint->show();
        for (bool hidden : {true, false, true}) {
            main_->timDateTime_Timer();
            EXPECT_EQ(main_->imgNotPrint->isHidden(), autoPrint || hidden) << autoPrint;
        }
    }
    // The timer itself ticks.
    CurrentProtocol = 0;
    SetFixedClock(DateSerial(2012, 1, 2) + TimeSerial(3, 4, 5));
    QElapsedTimer waited;
    waited.start();
    while (main_->lblDateTimeE->text() != U("02.01.2012, 03:04:05") && waited.elapsed() < 5000)
        QTest::qWait(20);
    EXPECT_EQ(main_->lblDateTimeE->text(), U("02.01.2012, 03:04:05"));
}

// ---------------------------------------------------------------------------
// Protocol state and enabling

struct Situation {
    int level, state, type;
    bool histogram, curve, port, lateralAir, openSeries;
};
using Rule = std::function<bool(const Situation&)>;

// The enabling rules written out afresh, control by control ("tab n" is a
// tab, "name shown" the visible flag); the lateral-air box of property 3 is
// the current one.
std::vector<std::pair<std::vector<std::string>, Rule>> Expectations()
{
    auto in = [](const Situation& s, int a, int b) { return s.state >= a && s.state <= b; };
    auto results = [](int t) { return t == 0 ? 0 : (t == 9 || t == 10 || t == 14 || t == 17 || t == 18) ? 2 : 1; };
    auto curveItem = [](const Situation& s) { return (s.type == 14 || s.type == 17 || s.type == 18) && s.curve; };
    auto tab = [=](int minimum, bool histogram) {
        return [=](const Situation& s) { return in(s, 4, 7) && results(s.type) >= minimum && (!histogram || s.histogram); };
    };
    std::vector<std::pair<std::vector<std::string>, Rule>> e = {
        {{"mnuFile", "mnuFile_Exit", "mnuFunction", "mnuSettings", "mnuStandard", "mnuInfo", "mnuInfo_About",
          "mnuSettings_QDASSettings shown", "optProtocol_1", "tab 0", "tab 1", "tab 7", "txtK0053 shown",
          "lblK1086 shown", "imgPrint", "imgNotPrint"},
         [](const Situation&) { return true; }},
        {{"mnuFunction_Measure"}, [](const Situation&) { return false; }},
        {{"mnuFile_Import", "mnuFile_Password", "mnuFunction_LongTermAnalysis", "mnuStandard_Reference2to4",
          "mnuStandard_Operator"},
         [](const Situation& s) { return s.level == 2; }},
        {{"mnuSettings_CountrySettings", "mnuSettings_SystemSettings", "mnuSettings_ReferenceTitle",
          "mnuSettings_DataSettings", "mnuSettings_QDASSettings", "mnuStandard_Style", "mnuStandard_ReportForm",
          "mnuStandard_KeyboardSettings"},
         [=](const Situation& s) { return s.level == 2 && in(s, 1, 4); }},
        {{"mnuFile_Copy"}, [](const Situation& s) { return s.state == 5 || s.state == 7; }},
        {{"cboStyle", "cboReference_2", "cboReference_3", "cboReference_4", "cboOperator", "txtK0016", "lblK0016",
          "txtK0006", "lblK0006", "txtK0053", "lblK0053", "txtK1031", "lblK1031", "txtK1032", "lblK1032", "txtK1086",
          "lblK1086", "txtK1087", "lblK1087"},
         [=](const Situation& s) { return in(s, 1, 4); }},
        {{"optProtocol_2"}, [](const Situation& s) { return s.openSeries; }},
        {{"cboProtocol"}, [=](const Situation& s) { return in(s, 3, 7); }},
        {{"grdResult", "txtCommentary", "picProfile_1", "picProfile_2", "picProfileL_1", "picProfileL_2",
          "picProfileU_1", "picProfileU_2", "picHistogram_1", "picHistogram_2", "picHistogramL_1", "picHistogramL_2",
          "picHistogramU_1", "picHistogramU_2", "picCurve"},
         [](const Situation& s) { return s.state == 5; }},
        {{"tab 2"}, tab(1, false)}, {{"tab 3"}, tab(2, false)}, {{"tab 4"}, tab(1, true)}, {{"tab 5"}, tab(2, true)},
        {{"tab 6"}, [=](const Situation& s) { return in(s, 4, 7) && curveItem(s); }},
        {{"chkLateralAir_1", "chkLateralAir_2", "chkLateralAir_4", "chkLateralAir_5", "chkLateralAir_6"},
         [](const Situation& s) { return s.state == 4 || s.state == 6; }},
        {{"chkLateralAir_3"},
         [](const Situation& s) { return s.state == 4 || s.state == 6 || (s.state == 5 && s.lateralAir); }},
        {{"imgTerminated_1", "imgTerminated_2", "imgTerminated_3", "imgTerminated_4", "imgTerminated_5",
          "imgTerminated_6", "cmdTerminateProtocol", "cmdPreview"},
         [=](const Situation& s) { return in(s, 5, 7); }},
        {{"cmdAnalyzeCurve"},
         [=](const Situation& s) { return s.type != 17 && (s.state == 5 || s.state == 7) && curveItem(s); }},
        {{"cmdMeasure"}, [=](const Situation& s) { return in(s, 4, 6) && s.port; }},
        {{"txtKeyboard"}, [=](const Situation& s) { return s.type == 1 && in(s, 4, 6); }},
        {{"txtKeyboard shown"}, [](const Situation& s) { return s.type == 1; }},
    };
    return e;
}

// What the window shows of one of those names.
bool Shown(frmMain& w, const std::string& name)
{
    if (name.rfind("tab ", 0) == 0)
        return w.tabDisplay->TabEnabled(std::stoi(name.substr(4)));
    const bool visible = name.ends_with(" shown");
    QObject* o = w.findChild<QObject*>(QString::fromStdString(name.substr(0, name.find(' '))));
    if (auto* menu = qobject_cast<QMenu*>(o))
        o = menu->menuAction();
    if (auto* action = qobject_cast<QAction*>(o))
        return visible ? action->isVisible() : action->isEnabled();
    if (auto* grid = qobject_cast<FlexGrid*>(o))
        return grid->Enabled();
    auto* widget = qobject_cast<QWidget*>(o);
    return widget && (visible ? !widget->isHidden() : widget->isEnabled());
}

class EnablingTest : public ChartsWindowTest {
protected:
    void Apply(const Situation& s)
    {
        Protocol p = MakeEmptyProtocol();
        p.FormIndex = 1;
        p.CurrentProperty = 3;
        p.Style.Forms[1].Items[3] = ReportFormItem{static_cast<int16_t>(s.type), s.histogram, s.curve};
        p.Blocks[3].LateralAirOn = s.lateralAir;
        Open(p, s.openSeries);
        LoginLevel = static_cast<int16_t>(s.level);
        PortOpen = s.port;
        main_->EnableControls(s.state);
    }
};

TEST_F(ChartsWindowTest, EveryRouteNamesOneControlOfTheWindowOnce)
{
    // A misspelt or doubled name would leave a control without its move
    // handler, or with the later row's, without a word.
    std::set<std::string> routed;
    for (const PointerRoute& route : PointerRoutes()) {
        for (int i = route.First; i <= route.Last; ++i) {
            const QString name = ControlObjectName(route.Control, i);
            EXPECT_TRUE(routed.insert(name.toStdString()).second) << name.toStdString();
            EXPECT_TRUE(name == U("frmMain") || main_->findChild<QWidget*>(name)) << name.toStdString();
        }
    }
}

TEST_F(EnablingTest, ControlsFollowStateLoginLevelTestTypeFlagsAndPort)
{
    const auto expectations = Expectations();
    const std::pair<bool, bool> flags[] = {{false, false}, {true, true}, {true, false}, {false, true}};
    std::vector<std::string> wrong;
    int n = 0;
    for (int level = 0; level <= 2; ++level)
        for (int state = 1; state <= 7; ++state)
            for (int type : {0, 1, 14, 16, 17, 18})
                for (const auto& [h, c] : flags)
                    for (bool port : {false, true}) {
                        const bool odd = ++n % 2 == 1;
                        const Situation s{level, state, type, h, c, port, odd, odd};
                        Apply(s);
                        for (const auto& [names, rule] : expectations)
                            for (const std::string& name : names)
                                if (Shown(*main_, name) != rule(s) && wrong.size() < 20)
                                    wrong.push_back(name + ": " + testing::PrintToString(std::vector<int>{
                                                                      level, state, type, h, c, port, odd}));
                    }
    EXPECT_TRUE(wrong.empty()) << testing::PrintToString(wrong);

    // A report form, current property or series index out of range: test type 0.
    for (const auto& [form, property, current] : {std::tuple{12, 3, 1}, std::tuple{1, 7, 1}, std::tuple{1, 3, 2}}) {
        Apply({2, 5, 1, true, true, true, false, true});
        Protocols[1].FormIndex = static_cast<int16_t>(form);
        Protocols[1].CurrentProperty = static_cast<int16_t>(property);
        CurrentProtocol = static_cast<int16_t>(current);
        main_->EnableControls(5);
        EXPECT_FALSE(Shown(*main_, "tab 2") || Shown(*main_, "txtKeyboard shown")) << form << property << current;
    }
}

} // namespace
