#include "LongTermFixture.h"
#include "support/ReadOnlyFolder.h"
#include "long_term/modLongTermSearch.h"
#include "storage/modTestReport.h"

#include <QFileInfo>

#include <bit>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// Every report of January 2011 whatever its references, any time of day.
SearchFilterValues January(const QString& style = QStringLiteral("Denim"))
{
    SearchFilterValues f;
    f.PropertyCode = 9;
    f.StyleName = style;
    f.Reference2 = f.Reference3 = f.Reference4 = f.Operator = QStringLiteral("*");
    f.YearFrom = 2011;
    f.MonthFrom = 1;
    f.DayFrom = 1;
    f.YearTo = 2011;
    f.MonthTo = 1;
    f.DayTo = 31;
    f.HourFrom = 0;
    f.MinuteFrom = 0;
    f.HourTo = 23;
    f.MinuteTo = 59;
    return f;
}

double Jan(int day, int hour = 12, int minute = 0, double second = 0)
{
    return 40543.0 + day + (hour * 3600 + minute * 60 + second) / 86400.0;
}

bool Hit(const Protocol& p, const SearchPattern& criteria)
{
    QString serial = NoHitSerial;
    return MatchesSearchPattern(p, criteria, serial);
}

FoundProtocol Found(const Protocol& p, const QString& tag = QString())
{
    FoundProtocol f;
    f.Protocol = p;
    f.Path = tag;
    return f;
}

// ---------------------------------------------------------------------------
// Wildcards

TEST(LongTermPatterns, EscapingIsUndoneLeftToRight)
{
    const struct {
        const char* text;
        const char* escaped;
    } cases[] = {
        {"A#1", "A[#]1"},
        {"[x]", "[[]x[]]"},
        {"a]b[", "a[]]b[[]"},
        {"*?!-", "*?!-"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(EscapeLikePattern(QString::fromUtf8(c.text)), QString::fromUtf8(c.escaped));
        EXPECT_EQ(UnescapeLikePattern(QString::fromUtf8(c.escaped)), QString::fromUtf8(c.text));
    }
    // What no escape produced stays as it is.
    EXPECT_EQ(UnescapeLikePattern(QStringLiteral("[ab][#")), QStringLiteral("[ab][#"));
}

TEST(LongTermPatterns, MatchTable)
{
    const struct {
        const char* value;
        const char* pattern;
        bool matches;
    } cases[] = {
        {"a#1", "A[#]1", true},     // an escaped "#" is itself, case ignored
        {"A21", "A[#]1", false},
        {"a#1", "A?1", true},
        {"A21", "A?1", true},
        {"A21", "A#1", true},       // unescaped "#" is a digit
        {"Ax1", "A#1", false},
        {"", "*", true},
        {"anything", "*", true},
        {"", "", true},
        {"x", "", false},
        {"", "?", false},
        {"[x]", "[[]x[]]", true},
        {"x", "[[]x[]]", false},
        {"]", "[]]", true},
        {"b", "[a-c]", true},
        {"B", "[a-c]", true},
        {"b", "[!a-c]", false},
        {"d", "[!a-c]", true},
        {"[", "[", true},           // a "[" without its "]" is itself
        {"ÿ", "Ÿ", true},
        {"Ä", "ä", true},
        {"SS", "ß", false},         // folded one character at a time
        {"ß", "ß", true},
        {"aXXbYYc", "a*b*c", true},
        {"aXXbYY", "a*b*c", false},
        {"abab", "*ab", true},
        {"aab", "*a?b*", true},
        {"Lot 7", "Lot ?", true},
        {"Lot 7 ", "Lot ?", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.value) + " ~ " + c.pattern);
        EXPECT_EQ(MatchesLikePattern(QString::fromUtf8(c.value), QString::fromUtf8(c.pattern)), c.matches);
    }
}

TEST(LongTermPatterns, ManyStarsOnALongValueFinish)
{
    // Exponential with backtracking at every star; one way back suffices.
    const QString value(65535, u'a');
    const QString pattern = QStringLiteral("*?").repeated(17) + u'x';
    EXPECT_FALSE(MatchesLikePattern(value, pattern));
    EXPECT_TRUE(MatchesLikePattern(value + u'x', pattern));
}

// ---------------------------------------------------------------------------
// Criteria and windows

TEST_F(LongTermFixture, CriteriaFromTheFilterValues)
{
    SearchFilterValues f = January();
    f.Reference2 = QStringLiteral("  A#1 ");
    f.Operator = QStringLiteral(" [x] ");
    f.DayTo = 31;
    f.MonthTo = 4;      // 31 April is 1 May
    SearchPattern c = BuildSearchCriteria(f);
    EXPECT_EQ(c.TestType, 9);
    EXPECT_EQ(c.Style, QStringLiteral("Denim"));
    EXPECT_EQ(c.Reference2, QStringLiteral("A[#]1"));
    EXPECT_EQ(c.Operator, QStringLiteral("[[]x[]]"));
    EXPECT_EQ(c.DateFrom, 40544.0);
    EXPECT_EQ(c.DateTo, 40664.0);

    // 29 February 2011 is 1 March; dates given the wrong way round are exchanged.
    f.YearFrom = 2011, f.MonthFrom = 2, f.DayFrom = 29;
    f.YearTo = 2011, f.MonthTo = 1, f.DayTo = 1;
    c = BuildSearchCriteria(f);
    EXPECT_EQ(c.DateFrom, 40544.0);
    EXPECT_EQ(c.DateTo, 40603.0);

    // 18:00 to 06:00 is searched from 06:00:00 to 18:00:59.
    f.HourFrom = 18, f.MinuteFrom = 0, f.HourTo = 6, f.MinuteTo = 0;
    c = BuildSearchCriteria(f);
    EXPECT_DOUBLE_EQ(c.TimeFrom, 0.25);
    EXPECT_DOUBLE_EQ(c.TimeTo, (18 * 3600 + 59) / 86400.0);
}

TEST_F(LongTermFixture, DateAndTimeWindows)
{
    const SearchPattern january = BuildSearchCriteria(January());
    SearchFilterValues dayShift = January();
    dayShift.HourFrom = 18, dayShift.HourTo = 6, dayShift.MinuteTo = 0;   // 06:00:00 to 18:00:59
    const SearchPattern daytime = BuildSearchCriteria(dayShift);
    SearchFilterValues always = January();
    always.YearFrom = 100, always.YearTo = 9999, always.MonthTo = 12;
    const SearchPattern anyDate = BuildSearchCriteria(always);
    const double infinity = std::numeric_limits<double>::infinity();
    const struct {
        const char* what;
        double date;
        const SearchPattern& criteria;
        bool hit;
    } cases[] = {
        {"1 Jan 00:00:00", Jan(1, 0), january, true},
        {"31 Dec 23:59:59", Jan(0, 23, 59, 59), january, false},
        {"31 Jan 23:59:59", Jan(31, 23, 59, 59), january, true},
        {"31 Jan 23:59:59.6 is 1 Feb", Jan(31, 23, 59, 59.6), january, false},
        {"06:00:00", Jan(5, 6, 0, 0), daytime, true},
        {"05:59:59", Jan(5, 5, 59, 59), daytime, false},
        {"18:00:59", Jan(5, 18, 0, 59), daytime, true},
        {"18:01:00", Jan(5, 18, 1, 0), daytime, false},
        {"NaN", std::nan(""), anyDate, false},
        {"+inf", infinity, anyDate, false},
        {"-inf", -infinity, anyDate, false},
        {"1e300", 1e300, anyDate, false},
        {"-1e9", -1e9, anyDate, false},
        {"0, the empty date", 0.0, anyDate, false},
        {"a date before it", -1000.5, anyDate, false},
        {"1 Jan 2011", Jan(1), anyDate, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Hit(Series(QStringLiteral("Denim"), c.date, {Measured(10)}), c.criteria), c.hit);
    }
}

// ---------------------------------------------------------------------------
// One report

TEST_F(LongTermFixture, HitRules)
{
    const SearchPattern criteria = BuildSearchCriteria(January());
    const Protocol good = Series(QStringLiteral("Denim"), Jan(3), {Measured(10)});
    ASSERT_TRUE(Hit(good, criteria));

    Protocol unfinished = good;
    unfinished.Finished = false;
    Protocol noTests = good;
    noTests.Blocks[2].Stats.Count = 0;
    Protocol otherCase = good;
    otherCase.Style.Name = QStringLiteral("DENIM");
    Protocol trailingBlank = good;
    trailingBlank.Style.Name = QStringLiteral("Denim ");
    Protocol otherForm = good;
    otherForm.FormIndex = 2;
    Protocol reference = good;
    reference.Reference4 = QStringLiteral("x");
    SearchPattern exact = criteria;
    exact.Reference4 = QString();
    const struct {
        const char* what;
        const Protocol& protocol;
        const SearchPattern& criteria;
        bool hit;
    } cases[] = {
        {"unfinished", unfinished, criteria, false},
        {"count 0", noTests, criteria, false},
        {"style in other case", otherCase, criteria, true},
        {"style with a trailing blank", trailingBlank, criteria, false},
        {"form without the property", otherForm, criteria, false},
        {"empty pattern, reference set", reference, exact, false},
        {"empty pattern, empty reference", good, exact, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Hit(c.protocol, c.criteria), c.hit);
    }

    // The test type in items 2 and 5: block 5 counts.
    Protocol twice = Series(QStringLiteral("Denim"), Jan(3), {Measured(10)}, 9, 5);
    twice.Style.Forms[1].Items[2].Property = 9;
    EXPECT_EQ(FindPropertyBlock(twice, 9), 5);
    EXPECT_EQ(FindPropertyBlock(twice, 3), 1);
    EXPECT_EQ(FindPropertyBlock(twice, 4), 0);
    EXPECT_EQ(FindPropertyBlock(twice, 0), 0);     // unused items are no property
    twice.FormIndex = 11;
    EXPECT_EQ(FindPropertyBlock(twice, 9), 0);
}

TEST_F(LongTermFixture, CommonSerialNarrowsWithEachHit)
{
    PropertyBlock block;
    block.Header = Header("123");
    PropertyBlock other;
    other.Header = Header("456");
    EXPECT_EQ(CommonSerialNumber(block, NoHitSerial), QStringLiteral("123"));
    EXPECT_EQ(CommonSerialNumber(block, QStringLiteral("123")), QStringLiteral("123"));
    EXPECT_EQ(CommonSerialNumber(other, QStringLiteral("123")), QString());
    EXPECT_EQ(CommonSerialNumber(block, QString()), QString());

    QString serial = NoHitSerial;
    const SearchPattern criteria = BuildSearchCriteria(January());
    ASSERT_TRUE(MatchesSearchPattern(Series(QStringLiteral("Denim"), Jan(3), {Measured(1)}), criteria, serial));
    EXPECT_EQ(serial, QStringLiteral("123"));
    EXPECT_FALSE(MatchesSearchPattern(Series(QStringLiteral("Other"), Jan(3), {Measured(1)}, 9, 2, Header("456")),
                                      criteria, serial));
    EXPECT_EQ(serial, QStringLiteral("123"));   // no hit changes nothing
}

TEST_F(LongTermFixture, TestParametersAreComparedWithTheStyleAsReference)
{
    // KR 6101 hydrostatic-head data strings: parameter 2 is the test area.
    auto kr = [](const std::string& serial, const std::string& area) {
        return Header(serial, "A", "KR 6101", "  60.0G" + area + "A" + std::string(14, ' '));
    };
    const struct {
        const char* what;
        std::string header;
        std::string expected;
        bool fits;
    } cases[] = {
        {"same", kr("123", "  26.0"), kr("123", "  26.0"), true},
        {"serial number only", kr("456", "  26.0"), kr("123", "  26.0"), true},
        {"other area", kr("123", "  28.0"), kr("123", "  26.0"), false},
        {"area 26/28 fits 26", kr("123", " 26/28"), kr("123", "  26.0"), true},
        {"style leaves the area blank", kr("123", "  28.0"), kr("123", "      "), true},
        {"other result unit", Header("123", "9"), Header("123", "8"), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(TestParametersMatch(c.header, c.expected), c.fits);
    }
}

// ---------------------------------------------------------------------------
// Statistics and what the window shows of them

TEST_F(LongTermFixture, Statistics)
{
    const std::vector<FoundProtocol> found = {
        EmptyFoundProtocol,
        Found(Series(QStringLiteral("Denim"), Jan(1), {Measured(10, 1), Measured(20, 3), Measured(99, 99, true)})),
        Found(Series(QStringLiteral("Denim"), Jan(2), {Measured(NoValue), Measured(std::nanf(""))})),
    };
    Statistics s = ComputeLongTermStatistics(found, 9, false);
    EXPECT_EQ(s.Count, 4);    // deleted left out; missing values count
    EXPECT_EQ(s.Sum1, 30.0);
    EXPECT_EQ(s.SumSq1, 500.0);
    EXPECT_EQ(s.Mean1, 7.5f);
    EXPECT_EQ(s.Min1, 10.0f);
    EXPECT_EQ(s.Max1, 20.0f);
    // sd = sqrt(|500 - 7.5 * 30| / 3) = 9.5743; CV = sd / 7.5; CI = CV * 3.18 / 2.
    EXPECT_NEAR(s.CV1, 127.6569, 1e-3);
    EXPECT_NEAR(s.CI1, 202.9745, 1e-3);
    EXPECT_EQ(s.Mean2, 1.0f);
    EXPECT_EQ(s.Min2, 1.0f);
    EXPECT_EQ(s.Max2, 3.0f);

    // A sum not above 0 has no mean, CV or CI; all values missing still count.
    const std::vector<FoundProtocol> flat = {
        EmptyFoundProtocol, Found(Series(QStringLiteral("Denim"), Jan(1), {Measured(-5), Measured(5), Measured(NoValue)}))};
    s = ComputeLongTermStatistics(flat, 9, false);
    EXPECT_EQ(s.Count, 3);
    EXPECT_EQ(s.Mean1, NoValue);
    EXPECT_EQ(s.CV1, NoValue);
    EXPECT_EQ(s.CI1, NoValue);
    EXPECT_EQ(s.Min1, -5.0f);
    EXPECT_EQ(s.Mean2, NoValue);
    EXPECT_EQ(s.Min2, NoValue);
    EXPECT_FALSE(IsEmptyStatistics(s));

    // Only deleted tests: nothing counts.
    const std::vector<FoundProtocol> deleted = {
        EmptyFoundProtocol, Found(Series(QStringLiteral("Denim"), Jan(1), {Measured(5, NoValue, true)}))};
    EXPECT_TRUE(IsEmptyStatistics(ComputeLongTermStatistics(deleted, 9, false)));

    // 40,000 values: the count needs 32 bits and t is 1.96.
    Protocol many = Series(QStringLiteral("Denim"), Jan(1), {});
    for (int i = 0; i < 40000; ++i)
        many.Blocks[2].Values.push_back(Measured(i % 2 ? 11.0f : 9.0f));
    many.Blocks[2].Stats.Count = 40000;
    s = ComputeLongTermStatistics({EmptyFoundProtocol, Found(many)}, 9, false);
    EXPECT_EQ(s.Count, 40000);
    EXPECT_EQ(s.Mean1, 10.0f);
    EXPECT_NEAR(s.CV1, 10.000125, 1e-4);
    EXPECT_NEAR(s.CI1, 0.0980012, 1e-6);
}

TEST_F(LongTermFixture, PassFailScale)
{
    std::string passFailHeader = Header("123", "y", "KR 6100");
    TestDefinition passFail = BlankTestDefinition;
    passFail.Defined1 = true;           // defined with its nominal left empty
    passFail.HeaderImage = passFailHeader;
    const std::vector<FoundProtocol> allFailed = {
        EmptyFoundProtocol, Found(Series(QStringLiteral("Denim"), Jan(1), {Measured(0), Measured(0)}, 13))};

    // Every test failed: 0 %, never a missing mean times 100.
    Statistics s = ComputeLongTermStatistics(allFailed, 13, true);
    EXPECT_EQ(s.Mean1, 0.0f);
    Style passFailStyle = BlankStyle;
    passFailStyle.Tests[13] = passFail;
    TestDefinition d = LongTermDefinition(passFailStyle, 13, s);
    EXPECT_EQ(d.Nominal1, NoValue);
    PreparePassFailScale(d, s);
    EXPECT_EQ(d.Nominal1, 0.0f);
    EXPECT_EQ(d.Lower1, 0.0f);
    EXPECT_EQ(d.Upper1, 100.0f);
    EXPECT_EQ(s.Min1, NoValue);
    EXPECT_EQ(s.Max1, NoValue);
    EXPECT_EQ(s.CV1, NoValue);
    EXPECT_EQ(s.CI1, NoValue);

    // Three of four passed: 75 %.
    s = ComputeLongTermStatistics({EmptyFoundProtocol,
                                   Found(Series(QStringLiteral("Denim"), Jan(1), {Measured(1), Measured(1), Measured(0), Measured(1)}, 13))},
                                  13, true);
    d = passFail;
    PreparePassFailScale(d, s);
    EXPECT_EQ(d.Nominal1, 75.0f);
    EXPECT_EQ(d.Lower1, 75.0f);

    // No mean at all: the nominal stays missing instead of becoming -inf.
    Statistics none = MakeEmptyStatistics();
    d = passFail;
    PreparePassFailScale(d, none);
    EXPECT_EQ(d.Nominal1, NoValue);
    EXPECT_EQ(d.Lower1, NoValue);

    // Type 13 measured in minutes keeps its limits and statistics.
    Style style = BlankStyle;
    style.Tests[13].HeaderImage = Header("123", "a", "KR 6101");
    style.Tests[13].Defined1 = true;
    style.Tests[13].Nominal1 = 12.0f;
    style.Tests[13].Lower1 = 10.0f;
    style.Tests[13].Upper1 = 14.0f;
    s = ComputeLongTermStatistics({EmptyFoundProtocol,
                                   Found(Series(QStringLiteral("Denim"), Jan(1), {Measured(11), Measured(13)}, 13))},
                                  13, false);
    const Statistics before = s;
    d = LongTermDefinition(style, 13, s);
    PreparePassFailScale(d, s);
    EXPECT_EQ(d, style.Tests[13]);
    EXPECT_EQ(s, before);
    EXPECT_EQ(s.Min1, 11.0f);
}

TEST_F(LongTermFixture, DefinitionAndCommonSerialForTheGrids)
{
    Statistics s = MakeEmptyStatistics();
    s.Count = 2;
    s.Mean1 = 50.0f;
    s.Mean2 = 4.0f;
    Style style = BlankStyle;
    style.Tests[9].Defined1 = true;
    style.Tests[9].Nominal1 = 48.0f;
    style.Tests[9].HeaderImage = Header("123");
    TestDefinition d = LongTermDefinition(style, 9, s);
    EXPECT_EQ(d.Nominal1, 48.0f);                   // the style's own
    EXPECT_EQ(d.Nominal2, 4.0f);                    // from the mean
    EXPECT_FLOAT_EQ(d.Lower2, 3.6f);
    EXPECT_FLOAT_EQ(d.Upper2, 4.4f);

    ApplyCommonSerial(d, QString());
    EXPECT_EQ(d.HeaderImage, Header("   "));
    ApplyCommonSerial(d, QStringLiteral("456"));
    EXPECT_EQ(d.HeaderImage, Header("456"));
    EXPECT_TRUE(IsValidDataString(d.HeaderImage));
    // A style that expects no data string gets none.
    TestDefinition empty = BlankTestDefinition;
    ApplyCommonSerial(empty, QStringLiteral("456"));
    EXPECT_EQ(empty.HeaderImage, std::string());
}

// ---------------------------------------------------------------------------
// Sort

// The partition scheme as the original program wrote it, recursive.
void ReferenceSort(std::vector<std::pair<double, int>>& a, int low, int high)
{
    int i = low;
    int j = high;
    const double pivot = a[static_cast<std::size_t>((low + high) / 2)].first;
    do {
        while (a[static_cast<std::size_t>(i)].first < pivot)
            ++i;
        while (a[static_cast<std::size_t>(j)].first > pivot)
            --j;
        if (i <= j)
            std::swap(a[static_cast<std::size_t>(i++)], a[static_cast<std::size_t>(j--)]);
    } while (i <= j);
    if (low < j)
        ReferenceSort(a, low, j);
    if (i < high)
        ReferenceSort(a, i, high);
}

std::vector<FoundProtocol> Dated(const std::vector<double>& dates)
{
    std::vector<FoundProtocol> found(dates.size());
    for (std::size_t i = 0; i < dates.size(); ++i) {
        found[i].Protocol.Date = dates[i];
        found[i].Path = QString::number(i);
    }
    return found;
}

QStringList Tags(const std::vector<FoundProtocol>& found)
{
    QStringList tags;
    for (const FoundProtocol& f : found)
        tags << f.Path;
    return tags;
}

TEST(LongTermSort, EqualDatesInTheOrderOfThePartitionScheme)
{
    // Worked through by hand: pivot 3 (position 2); i stops at 1, j at 4,
    // exchanged; i stops at 2, j passes 3 and stops at 2, exchanged with
    // itself; 0..1 stays; in 3..5 the pivot 5 (position 4) exchanges 3 and 5.
    std::vector<FoundProtocol> found = Dated({0, 5, 3, 5, 3, 5});
    SortFoundProtocols(found, 0, 5);
    EXPECT_EQ(Tags(found), QStringList({"0", "4", "2", "5", "1", "3"}));

    // Bounds past the list are cut to it; a part leaves the rest alone.
    found = Dated({9, 8, 7, 6});
    SortFoundProtocols(found, 2, 40);
    EXPECT_EQ(Tags(found), QStringList({"0", "1", "3", "2"}));
    SortFoundProtocols(found, -3, 1);
    EXPECT_EQ(Tags(found), QStringList({"1", "0", "3", "2"}));
}

TEST(LongTermSort, HundredThousandHitsBothWays)
{
    for (const bool ascending : {true, false}) {
        SCOPED_TRACE(ascending ? "ascending" : "descending");
        const int n = 100000;
        std::vector<double> dates(n + 1);
        std::vector<std::pair<double, int>> reference(n + 1);
        for (int i = 0; i <= n; ++i) {
            // Runs of equal dates, so their order is the scheme's.
            dates[static_cast<std::size_t>(i)] = i == 0 ? 0.0 : 40000.0 + (ascending ? i / 3 : (n - i) / 3);
            reference[static_cast<std::size_t>(i)] = {dates[static_cast<std::size_t>(i)], i};
        }
        std::vector<FoundProtocol> found = Dated(dates);
        SortFoundProtocols(found, 0, n);
        ReferenceSort(reference, 0, n);
        bool same = true;
        for (int i = 0; i <= n && same; ++i)
            same = found[static_cast<std::size_t>(i)].Path.toInt() == reference[static_cast<std::size_t>(i)].second;
        EXPECT_TRUE(same);
        EXPECT_EQ(found[0].Path, QStringLiteral("0"));
    }
}

// ---------------------------------------------------------------------------
// The search over a style folder

class LongTermSearch : public LongTermFixture {
protected:
    LongTermSearchResult Search(const SearchFilterValues& filters = January(), std::vector<int>* progress = nullptr)
    {
        TestDefinition definition = BlankTestDefinition;
        definition.HeaderImage = Header("123");
        return SearchLongTermReports(BuildSearchCriteria(filters), definition, [progress](int percent) {
            if (progress)
                progress->push_back(percent);
        });
    }
    void Put(const QString& name, const Protocol& p)
    {
        WriteBytes(StyleFolder(p.Style.Name) + u'/' + name, CurrentReportBytes(p));
    }
};

TEST_F(LongTermSearch, HitsSortedWithStatisticsAndCommonSerial)
{
    // Listed in any order; found by date.
    Put(QStringLiteral("b.QTA"), Series(QStringLiteral("Denim"), Jan(9), {Measured(30), Measured(99, NoValue, true)}));
    Put(QStringLiteral("a.qta"), Series(QStringLiteral("Denim"), Jan(4), {Measured(10), Measured(20)}));
    Put(QStringLiteral("c.QTA"), Series(QStringLiteral("Denim"), Jan(6), {Measured(40)}, 3, 1));  // no type 9
    // A style of the same letters shares the folder and is kept out.
    ASSERT_EQ(dskStyleFolderName(QStringLiteral("Dmeni")), dskStyleFolderName(QStringLiteral("Denim")));
    Put(QStringLiteral("d.QTA"), Series(QStringLiteral("Dmeni"), Jan(5), {Measured(50)}));

    std::vector<int> progress;
    const LongTermSearchResult r = Search(January(), &progress);
    ASSERT_EQ(r.Found.size(), 3u);
    EXPECT_TRUE(IsEmptyFoundProtocol(r.Found[0]));
    const QString folder = dskStyleFolderName(QStringLiteral("Denim"));
    EXPECT_EQ(r.Found[1].Path, folder + QStringLiteral("\\a.qta"));
    EXPECT_EQ(r.Found[2].Path, folder + QStringLiteral("\\b.QTA"));
    EXPECT_EQ(r.Found[1].Protocol.Date, Jan(4));
    EXPECT_EQ(r.Statistics.Count, 3);
    EXPECT_EQ(r.Statistics.Mean1, 20.0f);
    EXPECT_EQ(r.CommonSerial, QStringLiteral("123"));
    EXPECT_EQ(progress, (std::vector<int>{25, 50, 75, 100}));

    // A hit keeps what the chart, detail window and reports read, no tests.
    const Protocol& hit = r.Found[1].Protocol;
    const Protocol full = Series(QStringLiteral("Denim"), Jan(4), {Measured(10), Measured(20)});
    EXPECT_EQ(hit.Style.Name, full.Style.Name);
    EXPECT_EQ(hit.Style.Forms, full.Style.Forms);
    EXPECT_EQ(hit.FormIndex, 1);
    EXPECT_EQ(hit.LastTestDate, full.LastTestDate);
    EXPECT_EQ(hit.Blocks[2].Header, full.Blocks[2].Header);
    EXPECT_EQ(hit.Blocks[2].Stats, full.Blocks[2].Stats);
    EXPECT_TRUE(hit.Blocks[2].Values.empty());
    EXPECT_TRUE(hit.Reference2.isEmpty());
    EXPECT_EQ(FindPropertyBlock(hit, 9), 2);

    // Two serial numbers: none in common.
    Put(QStringLiteral("e.QTA"), Series(QStringLiteral("Denim"), Jan(7), {Measured(1)}, 9, 2, Header("456")));
    EXPECT_EQ(Search().CommonSerial, QString());
    // No hit: three blanks.
    SearchFilterValues nobody = January();
    nobody.Operator = QStringLiteral("Nobody");
    const LongTermSearchResult none = Search(nobody);
    EXPECT_EQ(none.CommonSerial, NoHitSerial);
    EXPECT_EQ(none.Found.size(), 1u);
    EXPECT_TRUE(IsEmptyStatistics(none.Statistics));
    // A style without a folder: nothing, no progress.
    progress.clear();
    EXPECT_EQ(Search(January(QStringLiteral("Nowhere")), &progress).Found.size(), 1u);
    EXPECT_TRUE(progress.empty());
    EXPECT_TRUE(Presenter.Shown.empty());
}

TEST_F(LongTermSearch, DamagedForeignAndUnsafeFilesAreSkipped)
{
    const Protocol good = Series(QStringLiteral("Denim"), Jan(4), {Measured(10)});
    const QString folder = StyleFolder(QStringLiteral("Denim"));
    Put(QStringLiteral("good.QTA"), good);
    const std::string bytes = CurrentReportBytes(good);
    WriteBytes(folder + QStringLiteral("/cut.QTA"), bytes.substr(0, bytes.size() - 1));
    WriteBytes(folder + QStringLiteral("/magic.QTA"), "XYZ" + bytes.substr(3));
    WriteBytes(folder + QStringLiteral("/empty.QTA"), std::string());
    WriteBytes(folder + QStringLiteral("/.hidden.QTA"), bytes);
    WriteBytes(folder + QStringLiteral("/report.txt"), bytes);
    WriteBytes(folder + QStringLiteral("/ctl\x01.QTA"), bytes);
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/sub.QTA")));
    // A name that would reach two folders up, where an older report lies
    // that a read would convert and write back.
    const QString outside = Temp.path() + QStringLiteral("/x.QTA");
    const std::string older = OlderReportBytes(good);
    WriteBytes(outside, older);
    WriteBytes(folder + QStringLiteral("/..\\..\\x.QTA"), older);

    const LongTermSearchResult r = Search();
    ASSERT_EQ(r.Found.size(), 2u);
    EXPECT_EQ(r.Found[1].Path, dskStyleFolderName(QStringLiteral("Denim")) + QStringLiteral("\\good.QTA"));
    EXPECT_EQ(ReadBytes(outside), older);
    EXPECT_EQ(ReadBytes(folder + QStringLiteral("/..\\..\\x.QTA")), older);
    EXPECT_EQ(LogLinesOf(QStringLiteral("dskScanTestReport")), 3);   // cut, control character, backslashes
    EXPECT_TRUE(Presenter.Shown.empty());
}

TEST_F(LongTermSearch, OlderReportsAreConvertedAndToldOnceWhenTheyCannotBeWritten)
{
    const QString folder = StyleFolder(QStringLiteral("Denim"));
    const Protocol old = Series(QStringLiteral("Denim"), Jan(4), {Measured(10), Measured(20)});
    WriteBytes(folder + QStringLiteral("/old.QTA"), OlderReportBytes(old));
    LongTermSearchResult r = Search();
    ASSERT_EQ(r.Found.size(), 2u);
    EXPECT_EQ(r.Statistics.Mean1, 15.0f);
    const std::string rewritten = ReadBytes(folder + QStringLiteral("/old.QTA"));
    EXPECT_EQ(rewritten.substr(0, 8), std::string("QTA\x03\x00" "8.0", 8));
    EXPECT_EQ(rewritten, CurrentReportBytes(dskGetTestReport(folder, QStringLiteral("old.QTA"))));

    // Three older reports on a folder that refuses the write-back: all used,
    // one message.
    for (const char* name : {"1.QTA", "2.QTA", "3.QTA"})
        WriteBytes(folder + u'/' + QLatin1String(name), OlderReportBytes(old));
    const ReadOnlyFolder readOnly(folder);
    if (!readOnly.Active())
        GTEST_SKIP() << "the file system lets the folder be written";
    r = Search();
    EXPECT_EQ(r.Found.size(), 5u);
    ASSERT_EQ(Presenter.Shown.size(), 1u);
    EXPECT_EQ(Presenter.Shown[0].Text, QStringLiteral("An error occurred while reading the file!"));
    EXPECT_EQ(ReadBytes(folder + QStringLiteral("/2.QTA")), OlderReportBytes(old));
}

// The reports of the differential test: varied in form, block, finishing,
// deleted and missing values, counts.
std::vector<Protocol> VariedReports()
{
    std::vector<Protocol> reports;
    reports.push_back(Series(QStringLiteral("Denim"), Jan(4), {Measured(10, 2), Measured(20, NoValue, true), Measured(30, 4)}));
    Protocol second = Series(QStringLiteral("Denim"), Jan(5, 23, 59, 59), {Measured(NoValue), Measured(7)}, 9, 6);
    second.Style.Forms[3] = second.Style.Forms[1];
    second.Style.Forms[1].Items[6].Property = 0;
    second.FormIndex = 3;
    second.Reference4 = QStringLiteral("[x]");
    reports.push_back(second);
    Protocol unfinished = Series(QStringLiteral("Denim"), Jan(6), {Measured(5)});
    unfinished.Finished = false;
    reports.push_back(unfinished);
    Protocol noCount = Series(QStringLiteral("Denim"), Jan(7), {Measured(5)});
    noCount.Blocks[2].Stats.Count = 0;
    reports.push_back(noCount);
    reports.push_back(Series(QStringLiteral("Denim"), Jan(8), {}));
    return reports;
}

// Damaged forms of a report file: cut at every 97th byte, an index out of
// range, a huge count.
std::vector<std::string> Damaged(const Protocol& p)
{
    std::vector<std::string> files;
    const std::string bytes = CurrentReportBytes(p);
    for (std::size_t cut = 0; cut < bytes.size(); cut += 97)
        files.push_back(bytes.substr(0, cut));
    auto patched = [&bytes](std::size_t at, const std::string& with) {
        std::string b = bytes;
        b.replace(at, with.size(), with);
        return b;
    };
    const std::size_t end = bytes.size();
    files.push_back(patched(end - 4, std::string("\x0B\x00", 2)));          // FormIndex 11
    files.push_back(patched(end - 2, std::string("\x07\x00", 2)));          // CurrentProperty 7
    // Test type 21 in item 1 of form 1: behind the name, 20 definitions and the form's name.
    std::size_t at = 5 + 3 + 2 + static_cast<std::size_t>(p.Style.Name.size());
    for (int t = 1; t <= TestTypeCount; ++t)
        at += 40 + p.Style.Tests[static_cast<std::size_t>(t)].HeaderImage.size();
    at += 2 + static_cast<std::size_t>(p.Style.Forms[1].Name.size());
    files.push_back(patched(at, std::string("\x15\x00", 2)));
    // The test count of the first block made huge.
    const std::size_t header = bytes.find(p.Blocks[1].Header);
    files.push_back(patched(header + p.Blocks[1].Header.size() + 2, std::string("\xFF\xFF\xFF\x7F", 4)));
    return files;
}

TEST_F(LongTermSearch, SearchReaderAgreesWithTheFullReader)
{
    const QString folder = StyleFolder(QStringLiteral("Denim"));
    const QString name = QStringLiteral("r.QTA");
    const SearchPattern criteria = BuildSearchCriteria(January());
    std::vector<std::string> files;
    for (const Protocol& p : VariedReports()) {
        files.push_back(CurrentReportBytes(p));
        for (const std::string& damaged : Damaged(p))
            files.push_back(damaged);
    }
    int hits = 0;
    int unreadable = 0;
    for (std::size_t k = 0; k < files.size(); ++k) {
        SCOPED_TRACE(k);
        WriteBytes(folder + u'/' + name, files[k]);
        // The full reader and the match on the whole series.
        const Protocol full = dskGetTestReport(folder, name);
        QString fullSerial = NoHitSerial;
        const bool fullHit = MatchesSearchPattern(full, criteria, fullSerial);
        // The search reader, alone and in the search.
        ReportScan scan;
        bool writeBackFailed = false;
        const bool read = dskScanTestReport(folder, name, scan, writeBackFailed);
        ASSERT_EQ(read, !IsEmptyProtocol(full));
        unreadable += read ? 0 : 1;
        if (read) {
            const int b = FindPropertyBlock(full, 9);
            ASSERT_EQ(FindPropertyBlock(scan.Record, 9), b);
            if (b > 0) {
                dskScanBlock(scan, b);
                const PropertyBlock& mine = scan.Record.Blocks[static_cast<std::size_t>(b)];
                const PropertyBlock& theirs = full.Blocks[static_cast<std::size_t>(b)];
                EXPECT_EQ(mine.Header, theirs.Header);
                EXPECT_EQ(mine.Stats, theirs.Stats);
                ASSERT_EQ(mine.Values.size(), theirs.Values.size());
                for (std::size_t t = 1; t < mine.Values.size(); ++t) {
                    EXPECT_EQ(std::bit_cast<uint32_t>(mine.Values[t].Value1), std::bit_cast<uint32_t>(theirs.Values[t].Value1));
                    EXPECT_EQ(std::bit_cast<uint32_t>(mine.Values[t].Value2), std::bit_cast<uint32_t>(theirs.Values[t].Value2));
                    EXPECT_EQ(mine.Values[t].Deleted, theirs.Values[t].Deleted);
                }
            }
        }
        const LongTermSearchResult r = Search();
        ASSERT_EQ(r.Found.size(), fullHit ? 2u : 1u);
        EXPECT_EQ(r.CommonSerial, fullSerial);
        EXPECT_EQ(r.Statistics, fullHit ? ComputeLongTermStatistics({EmptyFoundProtocol, Found(full)}, 9, false)
                                        : MakeEmptyStatistics());
        hits += fullHit ? 1 : 0;
    }
    // Both verdicts occurred, and most damaged files were refused.
    EXPECT_EQ(hits, 2);
    EXPECT_GT(unreadable, static_cast<int>(files.size()) / 2);
}

}  // namespace
