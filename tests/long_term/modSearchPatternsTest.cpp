#include "LongTermFixture.h"
#include "foundation/modSettings.h"
#include "long_term/modLongTermSearch.h"
#include "long_term/modSearchPatterns.h"

#include <vector>

namespace {

SearchPattern Pattern(int16_t testType, const char* style, const char* reference2, const char* reference3 = "*",
                      const char* reference4 = "*", const char* operatorText = "*")
{
    return {testType, QString::fromUtf8(style), QString::fromUtf8(reference2), QString::fromUtf8(reference3),
            QString::fromUtf8(reference4), QString::fromUtf8(operatorText), 0, 0, 0, 0};
}

// Element 0 and n saved patterns whose second reference is their number.
std::vector<SearchPattern> Saved(int n)
{
    std::vector<SearchPattern> patterns(1);
    for (int i = 1; i <= n; ++i)
        patterns.push_back(Pattern(9, "S", QByteArray::number(i).constData()));
    return patterns;
}

TEST_F(LongTermFixture, PatternCaptions)
{
    EXPECT_EQ(PatternMenuCaption(Pattern(9, "STYLE A", "12345678"), 1, 2),
              QStringLiteral("&1 Tensile Strength | STYLE A | 12345.. | * | * | * | "));
    EXPECT_EQ(PatternMenuCaption(Pattern(9, "A&B", "12345", "123456", "x&y", "A[#]1"), 2, 2),
              QStringLiteral("&2 Tensile Strength | A&&B | 12345 | 12345.. | x&&y | A[#]1 | "));
    EXPECT_EQ(PatternMenuCaption(Pattern(9, "", "", "", "", ""), 9, 1),
              QStringLiteral("&9 Reissfestigkeit |  |  |  |  |  | "));
}

TEST_F(LongTermFixture, AddAndRemoveFollowTheirEnabling)
{
    const struct {
        int saved;
        int checked;
        bool add;
        bool remove;
        int shown;
    } cases[] = {
        {0, 1, true, false, 0}, {4, 0, true, false, 4}, {4, 2, true, true, 4}, {4, 5, true, false, 4},
        {8, 8, true, true, 8},  {9, 9, false, true, 9}, {11, 9, false, true, 9}, {11, 10, false, false, 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.saved << " saved, item " << c.checked << " checked");
        std::vector<SearchPattern> patterns = Saved(c.saved);
        EXPECT_EQ(PatternAddEnabled(patterns), c.add);
        EXPECT_EQ(PatternRemoveEnabled(patterns, c.checked), c.remove);
        EXPECT_EQ(ShownPatternCount(patterns), c.shown);
        std::vector<SearchPattern> removed = patterns;
        EXPECT_EQ(RemoveSearchPattern(removed, c.checked), c.remove);
        EXPECT_EQ(AddSearchPattern(patterns, Pattern(9, "S", "new")), c.add ? c.saved + 1 : 0);
        EXPECT_EQ(patterns.size(), static_cast<std::size_t>(c.saved + (c.add ? 2 : 1)));
    }
    // Removing 2 of 4: the items show the former 1, 3 and 4.
    std::vector<SearchPattern> patterns = Saved(4);
    ASSERT_TRUE(RemoveSearchPattern(patterns, 2));
    EXPECT_EQ(patterns, (std::vector<SearchPattern>{SearchPattern{}, Pattern(9, "S", "1"), Pattern(9, "S", "3"),
                                                     Pattern(9, "S", "4")}));
    std::vector<SearchPattern> none;
    EXPECT_EQ(AddSearchPattern(none, Pattern(9, "S", "x")), 1);   // element 0 made first
}

TEST_F(LongTermFixture, ElevenSavedPatternsSurviveSaveAndRead)
{
    SearchPatterns = Saved(11);
    SearchPatterns[0] = Pattern(4, "closing", " as typed ");
    const std::vector<SearchPattern> written = SearchPatterns;
    SearchPatterns[5].DateFrom = 40000.0;   // dates are not stored
    WriteSettingsFile();
    SearchPatterns.assign(1, SearchPattern{});
    ReadSettingsFile();
    EXPECT_EQ(SearchPatterns, written);
    EXPECT_FALSE(PatternAddEnabled(SearchPatterns));
    EXPECT_EQ(ShownPatternCount(SearchPatterns), 9);
}

TEST_F(LongTermFixture, AppliedPatternFindsWhatItFoundWhenSaved)
{
    const SearchFilterValues filters{9, QStringLiteral("Denim"), QStringLiteral(" A#1 "), QStringLiteral("[x]"),
                                     QStringLiteral("*"), QStringLiteral("M?ier"), 2011, 1, 1, 2011, 1, 31, 0, 0, 23, 59};
    std::vector<SearchPattern> patterns(1);
    ASSERT_EQ(AddSearchPattern(patterns, BuildSearchCriteria(filters)), 1);
    EXPECT_EQ(patterns[1].Reference2, QStringLiteral("A[#]1"));     // stored escaped, as before
    const AppliedPattern applied = PatternToApply(patterns[1]);
    EXPECT_EQ(applied.TestType, 9);
    EXPECT_EQ(applied.Style, QStringLiteral("Denim"));
    EXPECT_EQ(applied.Reference2, QStringLiteral("A#1"));
    EXPECT_EQ(applied.Reference3, QStringLiteral("[x]"));
    EXPECT_EQ(applied.Operator, QStringLiteral("M?ier"));

    // The boxes filled from the pattern give the same criteria again.
    SearchFilterValues again = filters;
    again.Reference2 = applied.Reference2, again.Reference3 = applied.Reference3;
    again.Reference4 = applied.Reference4, again.Operator = applied.Operator;
    const SearchPattern criteria = BuildSearchCriteria(again);
    EXPECT_EQ(criteria, patterns[1]);
    Protocol report = Series(QStringLiteral("Denim"), 40550.5, {Measured(10)});
    report.Reference2 = QStringLiteral("a#1");
    report.Reference3 = QStringLiteral("[X]");
    QString serial = NoHitSerial;
    EXPECT_TRUE(MatchesSearchPattern(report, criteria, serial));
    report.Reference2 = QStringLiteral("A21");
    EXPECT_FALSE(MatchesSearchPattern(report, criteria, serial));

    // Closing keeps the filters as they stand in element 0, dates untouched.
    patterns[0].DateFrom = 40000.0;
    KeepClosingFilters(patterns, 7, QStringLiteral("Denim "), QStringLiteral(" A#1"), QString(), QStringLiteral("*"),
                       QStringLiteral("Meier"));
    SearchPattern closing = Pattern(7, "Denim ", " A#1", "", "*", "Meier");
    closing.DateFrom = 40000.0;
    EXPECT_EQ(patterns[0], closing);
    EXPECT_EQ(patterns.size(), 2u);
}

}  // namespace
