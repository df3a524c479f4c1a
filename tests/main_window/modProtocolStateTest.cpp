#include "main_window/modProtocolState.h"

#include "foundation/modRecords.h"
#include "main_window/modPointerRouting.h"
#include "support/SeriesTests.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <tuple>

namespace {

// A series whose properties hold the given numbers of tests (deleted ones
// counted as stored), with property `current` current and maybe terminated.
Protocol Series(std::array<int, 6> tests, int current, bool terminated = false)
{
    Protocol p = MakeEmptyProtocol();
    p.FormIndex = 1;
    p.CurrentProperty = static_cast<int16_t>(current);
    for (size_t i = 0; i < tests.size(); ++i) {
        std::vector<TestValue>& values = p.Blocks[i + 1].Values;
        for (int t = 0; t < tests[i]; ++t)
            values.push_back(SeriesTest(100, NoValue, "8", t % 2 == 1));
    }
    if (current >= 1 && current <= 6)
        p.Blocks[static_cast<size_t>(current)].Terminated = terminated;
    return p;
}

TEST(ProtocolStateTest, RowsAreTestedInTheOrderOfTheTable)
{
    struct Case {
        const char* what;
        Protocol series;
        bool style;
        bool entry;
        int currentProtocol;
        int16_t state;
    } const cases[] = {
        // 1 to 3: the selections.
        {"nothing chosen", Series({0, 0, 0, 0, 0, 0}, 1), false, false, 0, 1},
        {"nothing chosen, tests held", Series({3, 2, 0, 0, 0, 0}, 1), false, false, 0, 1},
        {"nothing chosen, terminated", Series({3, 0, 0, 0, 0, 0}, 1, true), false, false, 0, 1},
        {"entry without style", Series({3, 0, 0, 0, 0, 0}, 1), false, true, 0, 2},
        {"style without entry", Series({3, 0, 0, 0, 0, 0}, 1), true, false, 0, 3},
        // 7 before 5: terminated regardless of its tests.
        {"terminated with tests", Series({3, 0, 0, 0, 0, 0}, 1, true), true, true, 0, 7},
        {"terminated without tests", Series({0, 0, 0, 0, 0, 0}, 1, true), true, true, 0, 7},
        {"current holds tests", Series({0, 4, 0, 0, 0, 0}, 2), true, true, 0, 5},
        {"only deleted tests still stored", Series({0, 0, 0, 0, 0, 2}, 6), true, true, 1, 5},
        {"another property holds tests", Series({0, 0, 0, 0, 1, 0}, 2), true, true, 0, 6},
        {"an empty pending series", Series({0, 0, 0, 0, 0, 0}, 3), true, true, 2, 6},
        {"the empty working record", Series({0, 0, 0, 0, 0, 0}, 3), true, true, 0, 4},
        // A current property out of range holds nothing and is not terminated.
        {"property 0", Series({2, 0, 0, 0, 0, 0}, 0), true, true, 0, 6},
        {"property 7, empty record", Series({0, 0, 0, 0, 0, 0}, 7), true, true, 0, 4},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ProtocolStateOf(c.series, c.style, c.entry, c.currentProtocol), c.state) << c.what;
}

TEST(ProtocolStateTest, AnOpenSeriesCountsAsHavingItsStyle)
{
    // Its style name is no longer in the list (renamed, deleted, another
    // installation): it still measures, terminates and previews.
    const Protocol withTests = Series({5, 0, 0, 0, 0, 0}, 1);
    EXPECT_EQ(ProtocolStateOf(withTests, false, true, 1), 5);
    EXPECT_EQ(ProtocolStateOf(Series({0, 0, 0, 0, 0, 0}, 1), false, true, 3), 6);
    EXPECT_EQ(ProtocolStateOf(Series({5, 0, 0, 0, 0, 0}, 1, true), false, true, 1), 7);
    // Without an entry of the protocol list it is 3, never 1.
    EXPECT_EQ(ProtocolStateOf(withTests, false, false, 1), 3);
    // The working record keeps 1 and 2.
    EXPECT_EQ(ProtocolStateOf(withTests, false, true, 0), 2);
    EXPECT_EQ(ProtocolStateOf(withTests, false, false, 0), 1);
}

TEST(ProtocolStateTest, InputsComeFromTheCurrentItemAndBlockOrAreBlank)
{
    std::vector<Protocol> protocols(2, MakeEmptyProtocol());
    Protocol& p = protocols[1];
    p.FormIndex = 4;
    p.CurrentProperty = 5;
    p.Style.Forms[4].Items[5] = ReportFormItem{18, true, true};
    p.Blocks[5].LateralAirOn = true;
    const EnablingInputs in = EnablingInputsOf(6, protocols, 1, 2, true);
    EXPECT_EQ(std::vector<int>({in.State, in.LoginLevel, in.PortOpen, in.OpenSeries, in.TestType, in.Histogram,
                                in.Curve, in.CurrentProperty, in.LateralAirOn}),
              std::vector<int>({6, 2, 1, 1, 18, 1, 1, 5, 1}));
    // Out of range: the series index, the form, the test type.
    for (const auto& [form, type, current] : {std::tuple{4, 18, 2}, std::tuple{11, 18, 1}, std::tuple{4, 21, 1}}) {
        p.FormIndex = static_cast<int16_t>(form);
        p.Style.Forms[4].Items[5].Property = static_cast<int16_t>(type);
        const EnablingInputs blank = EnablingInputsOf(5, protocols, current, 1, false);
        EXPECT_EQ(blank.TestType + blank.Histogram + blank.Curve, 0) << form << " " << type << " " << current;
    }
}

TEST(ProtocolStateTest, AStateNotYetComputedMeetsOnlyTheRulesOfEveryState)
{
    EnablingInputs in;
    in.LoginLevel = 2;
    in.TestType = 1;
    const std::map<std::string, bool> expected = {{"mnuFile", true},   {"mnuFile_Import", true}, {"cboStyle", false},
                                                  {"cboProtocol", false}, {"mnuFile_Copy", false}, {"imgPrint", true}};
    for (int state : {0, 8}) {
        in.State = state;
        for (const EnablingRule& rule : EnablingTable()) {
            const auto found = expected.find(rule.Control);
            if (found != expected.end()) {
                EXPECT_EQ(IsRuleMet(rule, rule.First, in), found->second) << rule.Control << " " << state;
            }
        }
    }
}

TEST(ProtocolStateTest, EachControlHasOneEnablingRuleAndOneRouteAtMost)
{
    // A control named twice would be set twice, the later rule winning
    // unseen; the keyboard box alone has a visible and an enabled rule.
    std::set<std::string> ruled;
    for (const EnablingRule& rule : EnablingTable()) {
        for (int i = rule.First; i <= rule.Last; ++i) {
            const std::string key = ControlObjectName(rule.Control, i).toStdString()
                                    + (rule.Effect == EnablingEffect::Shown ? " shown" : "");
            EXPECT_TRUE(ruled.insert(key).second) << key;
        }
    }
    std::set<std::string> routed;
    for (const PointerRoute& route : PointerRoutes()) {
        for (int i = route.First; i <= route.Last; ++i)
            EXPECT_TRUE(routed.insert(ControlObjectName(route.Control, i).toStdString()).second) << route.Control;
        EXPECT_EQ(route.Chart != ReadOutChart::None,
                  route.Move == PointerMove::HideOwn || route.Move == PointerMove::ReadOut)
            << route.Control;
    }
}

} // namespace
