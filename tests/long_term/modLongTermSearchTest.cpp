#include "LongTermFixture.h"
#include "support/ReadOnlyFolder.h"
#include "long_term/modLongTermSearch.h"
#include "storage/modTestReport.h"

#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// Every report of January 2011 whatever its references, any time of day.
SearchFilterValues January(const QString& style = QStringLiteral("Denim"))
{
    const QString any = QStringLiteral("*");
    return {9, style, any, any, any, any, 2011, 1, 1, 2011, 1, 31, 0, 0, 23, 59};
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

// The statistics a search of January 2011 gives over the series, stored as
// the only reports of style "D".
Statistics SearchedStatistics(std::initializer_list<Protocol> series, int16_t testType = 9,
                              const TestDefinition& definition = BlankTestDefinition)
{
    const QString folder = DataFolder + u'/' + dskStyleFolderName(QStringLiteral("D"));
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    int k = 0;
    for (const Protocol& p : series)
        WriteBytes(folder + QStringLiteral("/%1.QTA").arg(++k), CurrentReportBytes(p));
    SearchFilterValues filters = January(QStringLiteral("D"));
    filters.PropertyCode = testType;
    return SearchLongTermReports(BuildSearchCriteria(filters), definition).Statistics;
}

TEST(LongTermPatterns, EscapeAndMatchTable)
{
    EXPECT_EQ(EscapeLikePattern(QStringLiteral("a]b[#*?")), QStringLiteral("a[]]b[[][#]*?"));
    EXPECT_EQ(UnescapeLikePattern(QStringLiteral("a[]]b[[][#]*?")), QStringLiteral("a]b[#*?"));
    EXPECT_EQ(UnescapeLikePattern(QStringLiteral("[ab][#")), QStringLiteral("[ab][#"));
    const struct {
        const char* value;
        const char* pattern;
        bool matches;
    } cases[] = {
        {"a#1", "A[#]1", true},  {"A21", "A[#]1", false}, {"a#1", "A?1", true},      {"A21", "A?1", true},
        {"A21", "A#1", true},    {"Ax1", "A#1", false},   {"", "*", true},           {"x", "*", true},
        {"", "", true},          {"x", "", false},        {"", "?", false},          {"[x]", "[[]x[]]", true},
        {"x", "[[]x[]]", false}, {"B", "[a-c]", true},    {"b", "[!a-c]", false},    {"d", "[!a-c]", true},
        {"[", "[", true},        {"ÿ", "Ÿ", true},        {"SS", "ß", false},        {"ß", "ß", true},
        {"aXbYc", "a*b*c", true}, {"aXbY", "a*b*c", false}, {"abab", "*ab", true},   {"Lot 7 ", "Lot ?", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesLikePattern(QString::fromUtf8(c.value), QString::fromUtf8(c.pattern)), c.matches)
            << c.value << " ~ " << c.pattern;
    // One way back to the last star: no blow-up on many stars.
    const QString pattern = QStringLiteral("*?").repeated(17) + u'x';
    EXPECT_FALSE(MatchesLikePattern(QString(65535, u'a'), pattern));
    EXPECT_TRUE(MatchesLikePattern(QString(65535, u'a') + u'x', pattern));
}

TEST_F(LongTermFixture, CriteriaAndWindows)
{
    SearchFilterValues f = January();
    f.Reference2 = QStringLiteral("  A#1 ");
    f.DayTo = 31, f.MonthTo = 4;    // 31 April is 1 May
    SearchPattern c = BuildSearchCriteria(f);
    EXPECT_EQ(c.Reference2, QStringLiteral("A[#]1"));
    EXPECT_EQ(c.DateFrom, 40544.0);
    EXPECT_EQ(c.DateTo, 40664.0);
    // 29 February 2011 is 1 March; reversed dates and times are exchanged,
    // hour and minute first: 18:00 to 06:00 is 06:00:00 to 18:00:59.
    f.YearFrom = 2011, f.MonthFrom = 2, f.DayFrom = 29, f.MonthTo = 1, f.DayTo = 1;
    f.HourFrom = 18, f.MinuteFrom = 0, f.HourTo = 6, f.MinuteTo = 0;
    c = BuildSearchCriteria(f);
    EXPECT_EQ(c.DateFrom, 40544.0);
    EXPECT_EQ(c.DateTo, 40603.0);
    EXPECT_DOUBLE_EQ(c.TimeFrom, 0.25);
    EXPECT_DOUBLE_EQ(c.TimeTo, (18 * 3600 + 59) / 86400.0);

    const SearchPattern january = BuildSearchCriteria(January());
    SearchPattern daytime = january;
    daytime.TimeFrom = c.TimeFrom, daytime.TimeTo = c.TimeTo;
    SearchPattern anyDate = january;
    anyDate.DateFrom = DateSerial(100, 1, 1), anyDate.DateTo = DateSerial(9999, 12, 31);
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double date;
        const SearchPattern& criteria;
        bool hit;
    } cases[] = {
        {Jan(1, 0), january, true},          {Jan(0, 23, 59, 59), january, false},
        {Jan(31, 23, 59, 59), january, true}, {Jan(31, 23, 59, 59.6), january, false},   // 1 Feb 00:00:00
        {Jan(5, 6), daytime, true},          {Jan(5, 5, 59, 59), daytime, false},
        {Jan(5, 18, 0, 59), daytime, true},  {Jan(5, 18, 1), daytime, false},
        {std::nan(""), anyDate, false},      {inf, anyDate, false},
        {-inf, anyDate, false},              {1e300, anyDate, false},
        {-1e9, anyDate, false},              {0.0, anyDate, false},
        {-1000.5, anyDate, false},           {Jan(1), anyDate, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Hit(Series(QStringLiteral("Denim"), c.date, {Measured(10)}), c.criteria), c.hit) << c.date;
}

TEST_F(LongTermFixture, HitRulesAndParameterFit)
{
    const SearchPattern criteria = BuildSearchCriteria(January());
    const Protocol good = Series(QStringLiteral("Denim"), Jan(3), {Measured(10)});
    Protocol unfinished = good, noTests = good, upper = good, blank = good, otherForm = good, reference = good;
    unfinished.Finished = false;
    noTests.Blocks[2].Stats.Count = 0;
    upper.Style.Name = QStringLiteral("DENIM");
    blank.Style.Name = QStringLiteral("Denim ");
    otherForm.FormIndex = 2;
    reference.Reference4 = QStringLiteral("x");
    SearchPattern exact = criteria;
    exact.Reference4 = QString();
    EXPECT_TRUE(Hit(good, criteria));
    EXPECT_FALSE(Hit(unfinished, criteria));
    EXPECT_FALSE(Hit(noTests, criteria));
    EXPECT_TRUE(Hit(upper, criteria));
    EXPECT_FALSE(Hit(blank, criteria));
    EXPECT_FALSE(Hit(otherForm, criteria));
    EXPECT_FALSE(Hit(reference, exact));
    EXPECT_TRUE(Hit(good, exact));

    // The test type in items 2 and 5: block 5.
    Protocol twice = Series(QStringLiteral("Denim"), Jan(3), {Measured(10)}, 9, 5);
    twice.Style.Forms[1].Items[2].Property = 9;
    EXPECT_EQ(FindPropertyBlock(twice, 9), 5);
    EXPECT_EQ(FindPropertyBlock(twice, 0), 0);
    twice.FormIndex = 11;
    EXPECT_EQ(FindPropertyBlock(twice, 9), 0);

    // The block's header is what was received, the style's the reference.
    auto kr = [](const std::string& serial, const std::string& area) {
        return Header(serial, "A", "KR 6101", "  60.0G" + area + ")" + std::string(14, ' '));
    };
    EXPECT_TRUE(TestParametersMatch(kr("456", "  26.0"), kr("123", "  26.0")));     // serial number only
    EXPECT_FALSE(TestParametersMatch(kr("123", "  28.0"), kr("123", "  26.0")));
    EXPECT_TRUE(TestParametersMatch(kr("123", " 26/28"), kr("123", "  26.0")));     // area 26/28 fits 26
    EXPECT_TRUE(TestParametersMatch(kr("123", "  28.0"), kr("123", "      ")));     // style leaves it blank
    EXPECT_FALSE(TestParametersMatch(Header("123", "9"), Header("123", "8")));
}

TEST_F(LongTermFixture, Statistics)
{
    Statistics s = SearchedStatistics(
        {Series(QStringLiteral("D"), Jan(1), {Measured(10, 1), Measured(20, 3), Measured(99, 99, true)}),
         Series(QStringLiteral("D"), Jan(2), {Measured(NoValue), Measured(std::nanf(""))})});
    // Deleted left out, missing values counted: sd = sqrt(|500 - 7.5 * 30| / 3).
    EXPECT_EQ(s.Count, 4);
    EXPECT_EQ(s.SumSq1, 500.0);
    EXPECT_EQ(s.Mean1, 7.5f);
    EXPECT_EQ(s.Min1, 10.0f);
    EXPECT_EQ(s.Max1, 20.0f);
    EXPECT_NEAR(s.CV1, 127.6569, 1e-3);
    EXPECT_NEAR(s.CI1, 202.9745, 1e-3);   // t = 3.18 for 4
    EXPECT_EQ(s.Mean2, 1.0f);

    // A sum not above 0: no mean, CV or CI; values all missing still count.
    s = SearchedStatistics({Series(QStringLiteral("D"), Jan(1), {Measured(-5), Measured(5), Measured(NoValue)})});
    EXPECT_EQ(s.Count, 3);
    EXPECT_EQ(s.Mean1, NoValue);
    EXPECT_EQ(s.CI1, NoValue);
    EXPECT_EQ(s.Min2, NoValue);
    EXPECT_TRUE(IsEmptyStatistics(SearchedStatistics({Series(QStringLiteral("D"), Jan(1), {Measured(5, NoValue, true)})})));

    // 40,000 values: a 32-bit count, and t = 1.96.
    Protocol many = Series(QStringLiteral("D"), Jan(1), {});
    for (int i = 0; i < 40000; ++i)
        many.Blocks[2].Values.push_back(Measured(i % 2 ? 11.0f : 9.0f));
    many.Blocks[2].Stats.Count = 40000;
    s = SearchedStatistics({many});
    EXPECT_EQ(s.Count, 40000);
    EXPECT_NEAR(s.CV1, 10.000125, 1e-4);
    EXPECT_NEAR(s.CI1, 0.0980012, 1e-6);
}

TEST_F(LongTermFixture, DefinitionForTheGridsAndChart)
{
    // Pass/fail (KR 6100-III, unit "y"), defined with an empty nominal.
    Style style = BlankStyle;
    style.Tests[13].Defined1 = true;
    style.Tests[13].HeaderImage = Header("123", "y", "KR 6100");
    Statistics s = SearchedStatistics({Series(QStringLiteral("D"), Jan(1), {Measured(0), Measured(0)}, 13)}, 13, style.Tests[13]);
    EXPECT_EQ(s.Mean1, 0.0f);   // all failed: 0 %
    TestDefinition d = LongTermDefinition(style, 13, s);
    PreparePassFailScale(d, s);
    EXPECT_EQ(std::pair(d.Nominal1, d.Lower1), std::pair(0.0f, 0.0f));
    EXPECT_EQ(d.Upper1, 100.0f);
    EXPECT_EQ(s.Min1, NoValue);
    EXPECT_EQ(s.CV1, NoValue);
    s.Mean1 = 0.75f;
    d = style.Tests[13];
    PreparePassFailScale(d, s);
    EXPECT_EQ(d.Lower1, 75.0f);
    s.Mean1 = NoValue;          // never NoValue times 100
    d = style.Tests[13];
    PreparePassFailScale(d, s);
    EXPECT_EQ(d.Lower1, NoValue);

    // The nominal of pass/fail is a percentage: one the style leaves open
    // (not defined) is the share of passes in percent with no limits, so
    // the 0 to 100 band starts at 80, not at 0.8; a defined one stays.
    const struct {
        bool defined;
        float nominal;
        float mean;
        float gridNominal;   // after the mean is applied, as the grids show it
        float chartLower;    // after the percent scale
    } passFail[] = {
        {false, NoValue, 0.8f, 80.0f, 80.0f}, {false, 95.0f, 0.8f, 80.0f, 80.0f}, {false, NoValue, 0.0f, 0.0f, 0.0f},
        {true, 90.0f, 0.8f, 90.0f, 90.0f},    {true, NoValue, 0.8f, NoValue, 80.0f},
    };
    for (const auto& c : passFail) {
        SCOPED_TRACE(testing::Message() << c.defined << " " << c.nominal << " " << c.mean);
        style.Tests[13].Defined1 = c.defined;
        style.Tests[13].Nominal1 = c.nominal;
        style.Tests[13].Lower1 = 3.0f;
        style.Tests[13].Upper1 = 4.0f;
        s = EmptyStatistics;
        s.Count = 5, s.Sum1 = c.mean * 5, s.Mean1 = c.mean;
        d = LongTermDefinition(style, 13, s);
        EXPECT_FLOAT_EQ(d.Nominal1, c.gridNominal);
        EXPECT_EQ(d.Lower1, c.defined ? 3.0f : NoValue);
        EXPECT_EQ(d.Upper1, c.defined ? 4.0f : NoValue);
        PreparePassFailScale(d, s);
        EXPECT_FLOAT_EQ(d.Lower1, c.chartLower);
        EXPECT_EQ(d.Upper1, 100.0f);
    }
    style.Tests[13].Defined1 = true;
    style.Tests[13].Lower1 = style.Tests[13].Upper1 = NoValue;

    // Type 13 in minutes keeps its limits and statistics; a result the
    // style does not define gets the mean and 10 % either side.
    style.Tests[13].HeaderImage = Header("123", "a", "KR 6101");
    style.Tests[13].Nominal1 = 12.0f;
    s = SearchedStatistics({Series(QStringLiteral("D"), Jan(1), {Measured(11, 4), Measured(13, 4)}, 13)}, 13, style.Tests[13]);
    const Statistics before = s;
    d = LongTermDefinition(style, 13, s);
    PreparePassFailScale(d, s);
    EXPECT_EQ(s, before);
    EXPECT_EQ(d.Nominal1, 12.0f);
    EXPECT_EQ(d.Upper1, NoValue);
    EXPECT_FLOAT_EQ(d.Upper2, 4.4f);

    d.HeaderImage = Header("123");
    ApplyCommonSerial(d, QString());
    EXPECT_EQ(d.HeaderImage, Header("   "));
    ApplyCommonSerial(d, QStringLiteral("456"));
    EXPECT_EQ(d.HeaderImage, Header("456"));
    d.HeaderImage.clear();
    ApplyCommonSerial(d, QStringLiteral("456"));
    EXPECT_EQ(d.HeaderImage, std::string());
}

std::vector<FoundProtocol> Dated(const std::vector<double>& dates)
{
    std::vector<FoundProtocol> found(dates.size());
    for (std::size_t i = 0; i < dates.size(); ++i)
        found[i].Date = dates[i], found[i].Path = QString::number(i);
    return found;
}

QString Tags(const std::vector<FoundProtocol>& found)
{
    QString tags;
    for (const FoundProtocol& f : found)
        tags += f.Path;
    return tags;
}

TEST(LongTermSort, EqualDatesInTheSchemesOrder)
{
    // By hand: pivot 3 at 2; i stops at 1, j at 4, exchanged; i stops at 2,
    // j at 2, exchanged with itself; 0..1 stays; in 3..5 pivot 5 at 4, i
    // stops at 3, j at 5, exchanged.
    std::vector<FoundProtocol> found = Dated({0, 5, 3, 5, 3, 5});
    SortFoundProtocols(found, 0, 5);
    EXPECT_EQ(Tags(found), QStringLiteral("042513"));
    found = Dated({9, 8, 7, 6});
    SortFoundProtocols(found, 2, 40);   // cut to the list
    EXPECT_EQ(Tags(found), QStringLiteral("0132"));
}

class LongTermSearch : public LongTermFixture {
protected:
    LongTermSearchResult Search(const SearchFilterValues& filters = January())
    {
        Progress.clear();
        return SearchLongTermReports(BuildSearchCriteria(filters), BlankTestDefinition,
                                     [this](int percent) { Progress.push_back(percent); });
    }
    void Put(const QString& name, const Protocol& p) { WriteBytes(StyleFolder(p.Style.Name) + u'/' + name, CurrentReportBytes(p)); }

    std::vector<int> Progress;
};

TEST_F(LongTermSearch, HitsSortedWithStatisticsAndCommonSerial)
{
    Put(QStringLiteral("b.QTA"), Series(QStringLiteral("Denim"), Jan(9), {Measured(30), Measured(99, NoValue, true)}));
    Put(QStringLiteral("a.qta"), Series(QStringLiteral("Denim"), Jan(4), {Measured(10), Measured(20)}));
    Put(QStringLiteral("c.QTA"), Series(QStringLiteral("Denim"), Jan(6), {Measured(40)}, 3, 1));   // no type 9
    // A style of the same letters shares the folder and is kept out.
    Put(QStringLiteral("d.QTA"), Series(QStringLiteral("Dmeni"), Jan(5), {Measured(50)}));
    LongTermSearchResult r = Search();
    ASSERT_EQ(r.Found.size(), 3u);
    EXPECT_TRUE(IsEmptyFoundProtocol(r.Found[0]));
    EXPECT_EQ(r.Found[1].Path, dskStyleFolderName(QStringLiteral("Denim")) + QStringLiteral("\\a.qta"));
    EXPECT_EQ(r.Found[2].Date, Jan(9));
    EXPECT_EQ(r.Statistics.Count, 3);
    EXPECT_EQ(r.Statistics.Mean1, 20.0f);
    EXPECT_EQ(r.CommonSerial, QStringLiteral("123"));
    EXPECT_EQ(Progress, (std::vector<int>{25, 50, 75, 100}));
    // A hit keeps what the chart, the detail window and the reports read.
    const Protocol full = Series(QStringLiteral("Denim"), Jan(4), {Measured(10), Measured(20)});
    EXPECT_EQ(std::tuple(r.Found[1].LastTestDate, r.Found[1].Block, r.Found[1].Header, r.Found[1].Stats),
              std::tuple(full.LastTestDate, 2, full.Blocks[2].Header, full.Blocks[2].Stats));

    Put(QStringLiteral("e.QTA"), Series(QStringLiteral("Denim"), Jan(7), {Measured(1)}, 9, 2, Header("456")));
    EXPECT_EQ(Search().CommonSerial, QString());
    // One reference among repeated ones: each text is judged on its own.
    Protocol lot8 = Series(QStringLiteral("Denim"), Jan(8), {Measured(1)});
    lot8.Reference2 = QStringLiteral("Lot 8");
    Put(QStringLiteral("f.QTA"), lot8);
    SearchFilterValues only8 = January();
    only8.Reference2 = QStringLiteral("lot 8");
    r = Search(only8);
    ASSERT_EQ(r.Found.size(), 2u);
    EXPECT_EQ(r.Found[1].Date, Jan(8));
    only8.Reference2 = QStringLiteral("Lot ?");
    EXPECT_EQ(Search(only8).Found.size(), 5u);
    SearchFilterValues nobody = January();
    nobody.Operator = QStringLiteral("Nobody");
    r = Search(nobody);
    EXPECT_EQ(r.CommonSerial, NoHitSerial);
    EXPECT_EQ(r.Found.size(), 1u);
    EXPECT_TRUE(IsEmptyStatistics(r.Statistics));
    EXPECT_EQ(Search(January(QStringLiteral("Nowhere"))).Found.size(), 1u);
    EXPECT_TRUE(Progress.empty());
    EXPECT_TRUE(Presenter.Shown.empty());
}

TEST_F(LongTermSearch, FolderHygiene)
{
    const Protocol good = Series(QStringLiteral("Denim"), Jan(4), {Measured(10), Measured(20)});
    const QString folder = StyleFolder(QStringLiteral("Denim"));
    const std::string bytes = CurrentReportBytes(good);
    const std::string older = OlderReportBytes(good);
    const struct {
        const char* name;
        std::string bytes;
    } files[] = {
        {"good.QTA", bytes},   {"cut.QTA", bytes.substr(0, bytes.size() - 1)},
        {"magic.QTA", "XYZ" + bytes.substr(3)}, {"empty.QTA", ""},
        {".hidden.QTA", bytes}, {"report.txt", bytes},
        {"ctl\x01.QTA", bytes}, {"..\\..\\x.QTA", older},   // would reach the older report two folders up
        {"old.QTA", older},
    };
    for (const auto& f : files)
        WriteBytes(folder + u'/' + QString::fromLatin1(f.name), f.bytes);
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/sub.QTA")));
    WriteBytes(Temp.path() + QStringLiteral("/x.QTA"), older);

    const LongTermSearchResult r = Search();
    ASSERT_EQ(r.Found.size(), 3u);   // good and old
    EXPECT_EQ(r.Statistics.Count, 4);
    EXPECT_EQ(ReadBytes(Temp.path() + QStringLiteral("/x.QTA")), older);
    EXPECT_EQ(ReadBytes(folder + QStringLiteral("/..\\..\\x.QTA")), older);
    const std::string rewritten = ReadBytes(folder + QStringLiteral("/old.QTA"));
    EXPECT_EQ(rewritten.substr(0, 8), bytes.substr(0, 8));   // "QTA", "8.0"
    EXPECT_EQ(rewritten, CurrentReportBytes(dskGetTestReport(folder, QStringLiteral("old.QTA"))));
    EXPECT_EQ(LogLinesOf(QStringLiteral("dskScanTestReport")), 3);     // cut, control character, backslashes
    EXPECT_TRUE(Presenter.Shown.empty());

    // Three older reports where they cannot be written back: used, one message.
    for (const char* name : {"1.QTA", "2.QTA", "3.QTA"})
        WriteBytes(folder + u'/' + QLatin1String(name), older);
    const ReadOnlyFolder readOnly(folder);
    if (!readOnly.Active())
        GTEST_SKIP() << "the file system lets the folder be written";
    EXPECT_EQ(Search().Found.size(), 6u);
    ASSERT_EQ(Presenter.Shown.size(), 1u);
    EXPECT_EQ(Presenter.Shown[0].Text, QStringLiteral("An error occurred while reading the file!"));
    EXPECT_EQ(ReadBytes(folder + QStringLiteral("/2.QTA")), older);
}

// Damaged forms of a report: cut at every 97th byte, FormIndex 11,
// CurrentProperty 7, test type 21 in item 1 of form 1, a huge test count,
// and in block 1 the last String of a test like the one before it (K0053)
// one byte long.
std::vector<std::string> Damaged(const Protocol& p)
{
    const std::string bytes = CurrentReportBytes(p);
    std::vector<std::string> files;
    for (std::size_t cut = 0; cut < bytes.size(); cut += 97)
        files.push_back(bytes.substr(0, cut));
    auto patched = [&](std::size_t at, const std::string& with) { return std::string(bytes).replace(at, with.size(), with); };
    files.push_back(patched(bytes.size() - 4, std::string("\x0B\x00", 2)));
    files.push_back(patched(bytes.size() - 2, std::string("\x07\x00", 2)));
    std::size_t item = 8 + 2 + static_cast<std::size_t>(p.Style.Name.size()) + 2 + static_cast<std::size_t>(p.Style.Forms[1].Name.size());
    for (int t = 1; t <= TestTypeCount; ++t)
        item += 40 + p.Style.Tests[static_cast<std::size_t>(t)].HeaderImage.size();
    files.push_back(patched(item, std::string("\x15\x00", 2)));
    const std::size_t header = bytes.find(p.Blocks[1].Header) + p.Blocks[1].Header.size();
    files.push_back(patched(header + 2, std::string("\xFF\xFF\xFF\x7F", 4)));
    const std::size_t second = bytes.find(std::string(58, 'D'), bytes.find(std::string(58, 'D')) + 1);
    if (second != std::string::npos)   // data string, CurveFile, TestTime, K0006, K0016
        files.push_back(patched(second + 60 + 2 + 8 + 2 + 2, std::string("\x01\x00", 2)));
    return files;
}

TEST_F(LongTermSearch, SearchReaderAgreesWithTheFullReader)
{
    Protocol formThree = Series(QStringLiteral("Denim"), Jan(5, 23, 59, 59), {Measured(NoValue), Measured(7)}, 9, 6);
    formThree.Style.Forms[3] = formThree.Style.Forms[1];
    formThree.Style.Forms[1].Items[6].Property = 0;
    formThree.FormIndex = 3;
    Protocol unfinished = Series(QStringLiteral("Denim"), Jan(6), {Measured(5)});
    unfinished.Finished = false;
    Protocol noCount = Series(QStringLiteral("Denim"), Jan(7), {Measured(5)});
    noCount.Blocks[2].Stats.Count = 0;
    std::vector<std::string> files;
    for (const Protocol& p : {Series(QStringLiteral("Denim"), Jan(4), {Measured(10, 2), Measured(20, NoValue, true)}),
                              formThree, unfinished, noCount, Series(QStringLiteral("Denim"), Jan(8), {})}) {
        files.push_back(CurrentReportBytes(p));
        for (const std::string& damaged : Damaged(p))
            files.push_back(damaged);
    }
    const QString folder = StyleFolder(QStringLiteral("Denim"));
    const SearchPattern criteria = BuildSearchCriteria(January());
    int hits = 0;
    int readable = 0;
    for (std::size_t k = 0; k < files.size(); ++k) {
        SCOPED_TRACE(k);
        WriteBytes(folder + QStringLiteral("/r.QTA"), files[k]);
        const Protocol full = dskGetTestReport(folder, QStringLiteral("r.QTA"));
        QString fullSerial = NoHitSerial;
        const bool fullHit = MatchesSearchPattern(full, criteria, fullSerial);
        ReportScan scan;
        bool writeBackFailed = false;
        const bool read = dskScanTestReport(folder, QStringLiteral("r.QTA"), scan, writeBackFailed);
        ASSERT_EQ(read, !IsEmptyProtocol(full));
        const int b = read ? FindPropertyBlock(full, 9) : 0;
        if (read) {
            ++readable;
            EXPECT_EQ(scan.FormIndex, full.FormIndex);
            EXPECT_EQ(scan.Forms[3].Items, full.Style.Forms[3].Items);
            EXPECT_EQ(scan.Finished, full.Finished);
        }
        // Value 1 and 2 of each test not deleted, bit for bit.
        std::vector<uint64_t> theirs;
        std::vector<uint64_t> mine;
        if (b > 0) {
            dskScanBlock(scan, b);
            const PropertyBlock& block = full.Blocks[static_cast<std::size_t>(b)];
            EXPECT_EQ(scan.Header, block.Header);
            EXPECT_EQ(scan.Stats, block.Stats);
            for (std::size_t t = 1; t < block.Values.size(); ++t)
                if (!block.Values[t].Deleted)
                    theirs.push_back(std::bit_cast<uint64_t>(std::array<float, 2>{block.Values[t].Value1, block.Values[t].Value2}));
            for (const ReportScan::Values& test : scan.Tests)
                mine.push_back(std::bit_cast<uint64_t>(std::array<float, 2>{test.Value1, test.Value2}));
            EXPECT_EQ(mine, theirs);
        }
        const LongTermSearchResult r = Search();
        ASSERT_EQ(r.Found.size(), fullHit ? 2u : 1u);
        EXPECT_EQ(r.CommonSerial, fullSerial);
        EXPECT_EQ(r.Statistics.Count, fullHit ? static_cast<int32_t>(theirs.size()) : 0);
        if (fullHit) {
            EXPECT_EQ(r.Found[1].Block, b);
        }
        hits += fullHit;
    }
    EXPECT_EQ(hits, 2);
    EXPECT_EQ(readable, 5);
}

}  // namespace
