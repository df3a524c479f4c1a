#include "styles/ReportFormRules.h"

#include "foundation/modRecords.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

TestTypeFlags Flags(std::initializer_list<int> testTypes)
{
    TestTypeFlags flags{};
    for (const int t : testTypes)
        flags[static_cast<size_t>(t)] = true;
    return flags;
}

ReportForm Form(const char* name, std::initializer_list<ReportFormItem> items)
{
    ReportForm form = BlankReportForm;
    form.Name = QString::fromUtf8(name);
    size_t k = 0;
    for (const ReportFormItem& item : items)
        form.Items[++k] = item;
    return form;
}

Style StyleWith(std::initializer_list<ReportForm> forms)
{
    Style style = BlankStyle;
    size_t k = 0;
    for (const ReportForm& form : forms)
        style.Forms[++k] = form;
    return style;
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

TEST(ReportFormRulesTest, EntriesStandInTestTypeOrderWithTheFlagsOfCheckedProperties)
{
    PropertyBoxStates states;
    states.Property = Flags({9, 5, 2, 17});
    states.Histogram = Flags({2, 3, 17});   // 3 is not checked
    states.Curve = Flags({9, 17, 18});      // 9 has no curve box, 18 is not checked
    EXPECT_EQ(ReadEntry(QStringLiteral("  Yarn lab  "), states),
              Form("Yarn lab", {{2, true, false}, {5, false, false}, {9, false, false}, {17, true, true}}));
    states.Property = Flags({1, 2, 7, 9, 11, 15, 18});
    EXPECT_EQ(ReadEntry(QStringLiteral("x"), states).Items[6].Property, 15);

    // Shown, items outside 1 to 20 leave no trace.
    PropertyBoxStates shown;
    shown.Property = Flags({14});
    shown.Curve = Flags({14});
    EXPECT_EQ(EntryStates(Form("Odd", {{0, true, true}, {21, true, false}, {-3, true, false}, {14, false, true}})), shown);
}

TEST(ReportFormRulesTest, SaveReplacesAnyCaseAndRefusesTheHundredAndFirstName)
{
    std::vector<ReportForm> copy{BlankReportForm};
    for (int i = 1; i <= MaxReportForms; ++i)
        ASSERT_EQ(SaveReportForm(copy, Form(QByteArray::number(i).constData(), {{1, false, false}})).Index, i);
    const FormSaveResult refused = SaveReportForm(copy, Form("new", {{1, false, false}}));
    EXPECT_TRUE(refused.Refused);
    EXPECT_EQ(copy.size(), 101u);
    const ReportForm renamed = Form("50", {{4, true, false}});
    const FormSaveResult replaced = SaveReportForm(copy, renamed);
    EXPECT_EQ(replaced.Index, 50);
    EXPECT_FALSE(replaced.Added || replaced.Refused);
    EXPECT_EQ(copy[50], renamed);
}

TEST(ReportFormRulesTest, DeleteWaitsForTheLastStyleAndSavedFormsReachEveryStyle)
{
    const ReportForm a = Form("Alpha", {{2, false, false}});
    const ReportForm b = Form("Beta", {{3, false, false}});
    // Element 0 of the styles is no stored style.
    std::vector<Style> styles{StyleWith({a}), StyleWith({Form("BETA", {})})};
    std::vector<ReportForm> copy{BlankReportForm, a, b};
    EXPECT_EQ(DeleteReportForm(copy, QStringLiteral("beta"), styles), FormDeleteResult::LinkedToStyle);
    EXPECT_EQ(DeleteReportForm(copy, QStringLiteral("Gamma"), styles), FormDeleteResult::NotFound);
    EXPECT_EQ(DeleteReportForm(copy, QStringLiteral("ALPHA"), styles), FormDeleteResult::Deleted);
    EXPECT_EQ(copy, (std::vector<ReportForm>{BlankReportForm, b}));
    EXPECT_FALSE(IsFormLinkedToStyle(QString(), styles));   // an unused slot

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
