#include "styles/ListEditorRules.h"

#include <gtest/gtest.h>

namespace {

TEST(ListEditorRulesTest, ChecksComeInTheOrderLimitDuplicateWildcard)
{
    const struct {
        const char* text;
        int count;
        bool listed;
        int limit;
        int16_t message;
    } rows[] = {
        {"Ann", 99, false, 100, 0},
        {"Ann", 100, true, 100, 9},     // full answers 9 also for a listed name
        {"A*", 120, true, 100, 9},      // an older file beyond its limit
        {"A*", 5, true, 100, 7},
        {"A*", 5, false, 100, 8},
        {"A?", 29999, false, 30000, 8},
        {"Lot", 30000, false, 30000, 9},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ListEntryCheck(QString::fromUtf8(row.text), row.count, row.listed, row.limit), row.message)
            << row.text << " " << row.count;
}

} // namespace
