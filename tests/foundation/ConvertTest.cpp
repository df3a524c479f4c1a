#include "foundation/modConvert.h"
#include "foundation/modRecords.h"

#include <gtest/gtest.h>

namespace {

TestValueBefore60 OldTest(float value, bool deleted)
{
    TestValueBefore60 v;
    v.Value1 = value;
    v.Unit1 = "N";
    v.Value2 = 7.5f;
    v.Warning = '!';
    v.Commentary = QString::fromUtf8("ä");
    v.Deleted = deleted;
    v.DataString = "ds";
    v.CurveFile = "C.ABT";
    return v;
}

PropertyBlockBefore60 OldBlock(int tests)
{
    PropertyBlockBefore60 b;
    b.Header = "hdr";
    b.Values.push_back(OldTest(NoValue, false));
    for (int t = 1; t <= tests; ++t)
        b.Values.push_back(OldTest(static_cast<float>(t), t == 2));
    b.LateralAirOn = true;
    b.LateralAir = 2.5f;
    b.Commentary = QStringLiteral("block");
    b.Stats = EmptyStatistics;
    b.Stats.Count = tests;
    b.Stats.Sum1 = 99.5;
    b.StartDate = 40000.25;
    b.LastTestDate = 40000.5;
    b.Terminated = true;
    return b;
}

TEST(ConvertSubRecordArray, KeepsBoundsAndClearsNewFields)
{
    PropertyBlockBefore60 old = OldBlock(5);
    PropertyBlock b;
    ConvertSubRecordArray(b, old);
    ASSERT_EQ(b.Values.size(), 6u);
    for (const TestValue& v : b.Values) {
        EXPECT_EQ(v.TestTime, 0.0);
        EXPECT_TRUE(v.K0006.isEmpty() && v.K0016.isEmpty() && v.K0053.isEmpty());
    }
    EXPECT_EQ(b.Values[3].Value1, 3.0f);
    EXPECT_EQ(b.Values[3].Value2, 7.5f);
    EXPECT_EQ(b.Values[3].Warning, '!');
    EXPECT_TRUE(b.Values[2].Deleted);
    EXPECT_FALSE(b.Values[3].Deleted);
    EXPECT_EQ(b.Values[4].CurveFile, "C.ABT");
    EXPECT_EQ(b.Stats, old.Stats);
    // What the block kept of its series: lateral air, remark, dates and the end mark.
    EXPECT_TRUE(b.LateralAirOn);
    EXPECT_EQ(b.LateralAir, 2.5f);
    EXPECT_EQ(b.Commentary, QStringLiteral("block"));
    EXPECT_EQ(b.StartDate, 40000.25);
    EXPECT_EQ(b.LastTestDate, 40000.5);
    EXPECT_TRUE(b.Terminated);
}

TEST(VersionText, ComparesInSinglePrecision)
{
    EXPECT_FALSE(VersionBefore(QStringLiteral("2.6"), 2.6f));
    EXPECT_TRUE(VersionBefore(QStringLiteral("2.5"), 2.6f));
    EXPECT_FALSE(VersionBefore(QStringLiteral("6.0"), 6.0f));
    EXPECT_TRUE(VersionBefore(QStringLiteral("2.6"), 6.0f));
    EXPECT_FALSE(VersionBefore(QStringLiteral("8.0"), 6.0f));
}

} // namespace
