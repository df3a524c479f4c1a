#include "styles/ReportFormRules.h"

#include "StylesTest.h"

namespace {

TestTypeFlags Flags(std::initializer_list<int> testTypes)
{
    TestTypeFlags flags{};
    for (const int t : testTypes)
        flags[static_cast<size_t>(t)] = true;
    return flags;
}

TEST(ReportFormRulesTest, EnablingFollowsTheConfiguredInstruments)
{
    const struct {
        const char* what;
        std::array<int16_t, 6> devices;
        TestTypeFlags checked;
        TestTypeFlags enabled;
    } rows[] = {
        {"nothing configured", {0, 0, 0, 0, 0, 0}, {}, Flags({1})},
        {"D 7041 offers 2 to 6", {2, 0, 0, 0, 0, 0}, {}, Flags({1, 2, 3, 4, 5, 6})},
        {"one of them checked", {0, 0, 2, 0, 0, 0}, Flags({3}), Flags({1, 3})},
        {"16 and 17 stay free", {0, 7, 0, 0, 0, 0}, Flags({16}), Flags({1, 16, 17})},
        {"each instrument on its own", {2, 4, 12, 0, 0, 0}, Flags({2, 9}), Flags({1, 2, 9, 18})},
        {"two of one kind agree", {5, 6, 0, 0, 0, 0}, Flags({12}), Flags({1, 12})},
        {"14 is never enabled", {2, 3, 4, 5, 7, 12}, Flags({14}),
         Flags({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 16, 17, 18})},
        {"checked, no instrument", {0, 0, 0, 0, 0, 0}, Flags({2}), Flags({1})},
        {"codes outside 0 to 16", {99, -1, 17, 0, 0, 0}, {}, Flags({1})},
    };
    for (const auto& row : rows)
        EXPECT_EQ(EnabledPropertyBoxes(row.checked, row.devices), row.enabled) << row.what;
}

// Each saved form, in order, replaces the first form of its name (any case)
// in every stored style; element 0 is no stored style, and an unused slot or
// a blank saved form links to nothing.
TEST(ReportFormRulesTest, SavedFormsReachEveryStyleHoldingThem)
{
    const ReportForm a = Form("Alpha", {{2, false, false}});
    std::vector<Style> styles{StyleWith({a}), StyleWith({Form("BETA", {})})};
    EXPECT_TRUE(IsFormLinkedToStyle(QStringLiteral("beta"), styles));
    EXPECT_FALSE(IsFormLinkedToStyle(QStringLiteral("alpha"), styles));
    EXPECT_FALSE(IsFormLinkedToStyle(QString(), styles));
    const ReportForm first = Form("beta", {{2, true, false}});
    const ReportForm second = Form("Beta", {{3, true, false}, {17, true, true}});
    styles.push_back(StyleWith({a, Form("Beta", {}), Form("beta", {})}));
    ApplySavedForms(styles, {first, Form("Nowhere", {}), second, BlankReportForm});
    EXPECT_EQ(styles[0], StyleWith({a}));
    EXPECT_EQ(styles[1], StyleWith({second}));
    // Only the first form of that name in a style is replaced.
    EXPECT_EQ(styles[2], StyleWith({a, second, Form("beta", {})}));
}

} // namespace
