#include "main_window/modProtocolState.h"

#include "foundation/modRecords.h"
#include "support/SeriesTests.h"

#include <gtest/gtest.h>


namespace {

// A series whose properties hold the given numbers of tests (every second
// one deleted, still stored), with property `current` current and maybe
// terminated.
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
        // The working record: 1 to 3 by the selections, whatever it holds.
        {"nothing chosen, tests held", Series({3, 2, 0, 0, 0, 0}, 1), false, false, 0, 1},
        {"nothing chosen, terminated", Series({3, 0, 0, 0, 0, 0}, 1, true), false, false, 0, 1},
        {"entry without style", Series({3, 0, 0, 0, 0, 0}, 1), false, true, 0, 2},
        {"style without entry", Series({3, 0, 0, 0, 0, 0}, 1), true, false, 0, 3},
        // 7 before 5: terminated regardless of its tests.
        {"terminated with tests", Series({3, 0, 0, 0, 0, 0}, 1, true), true, true, 0, 7},
        {"terminated without tests", Series({0, 0, 0, 0, 0, 0}, 1, true), true, true, 0, 7},
        {"current holds tests", Series({0, 4, 0, 0, 0, 0}, 2), true, true, 0, 5},
        {"only a deleted test besides", Series({0, 0, 0, 0, 0, 2}, 6), true, true, 1, 5},
        {"another property holds tests", Series({0, 0, 0, 0, 1, 0}, 2), true, true, 0, 6},
        {"an empty pending series", Series({0, 0, 0, 0, 0, 0}, 3), true, true, 2, 6},
        {"the empty working record", Series({0, 0, 0, 0, 0, 0}, 3), true, true, 0, 4},
        // A current property out of range holds nothing and is not terminated.
        {"property 0", Series({2, 0, 0, 0, 0, 0}, 0), true, true, 0, 6},
        {"property 7, empty record", Series({0, 0, 0, 0, 0, 0}, 7), true, true, 0, 4},
        // An open series carries its own style: a style name no longer in the
        // list never locks it in 1 or 2.
        {"open, style gone, tests", Series({5, 0, 0, 0, 0, 0}, 1), false, true, 1, 5},
        {"open, style gone, empty", Series({0, 0, 0, 0, 0, 0}, 1), false, true, 3, 6},
        {"open, style gone, terminated", Series({5, 0, 0, 0, 0, 0}, 1, true), false, true, 1, 7},
        {"open, nothing chosen", Series({5, 0, 0, 0, 0, 0}, 1), false, false, 1, 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ProtocolStateOf(c.series, c.style, c.entry, c.currentProtocol), c.state) << c.what;
}

} // namespace
