#include "foundation/modConvert.h"
#include "foundation/modRecords.h"

#include <gtest/gtest.h>

namespace {

TestDefinition Definition(float nominal)
{
    TestDefinition d = BlankTestDefinition;
    d.Defined1 = true;
    d.Nominal1 = nominal;
    d.TestCount = 10;
    d.HeaderImage = "image " + std::to_string(static_cast<int>(nominal));
    return d;
}

StyleBefore26 OldStyle()
{
    StyleBefore26 s;
    s.Name = QStringLiteral("Old");
    for (int t = 1; t <= OldTestTypeCount; ++t)
        s.Tests[t] = Definition(static_cast<float>(t));
    for (int f = 1; f <= StyleFormCount; ++f)
        s.Forms[f] = BlankReportForm;
    s.Forms[1].Name = QStringLiteral("F1");
    s.Forms[1].Items[1] = ReportFormItem{16, true, false};
    s.Forms[1].Items[2] = ReportFormItem{17, false, true};
    s.Forms[1].Items[3] = ReportFormItem{19, true, true};
    return s;
}

TestValueBefore60 OldTest(float value, bool deleted)
{
    TestValueBefore60 v;
    v.Value1 = value;
    v.Unit1 = "N";
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
    b.Stats = EmptyStatistics;
    b.Stats.Sum1 = 99.5;
    b.LastTestDate = 40000.5;
    return b;
}

TEST(ConvertSubRecordArray, KeepsBoundsAndClearsNewFields)
{
    PropertyBlockBefore60 old = OldBlock(5);
    PropertyBlock b;
    ConvertSubRecordArray(b, old);
    ASSERT_EQ(b.Values.size(), 6u);
    for (const TestValue& v : b.Values)
        EXPECT_EQ(v.TestTime, 0.0);
    EXPECT_EQ(b.Values[3].Value1, 3.0f);
    EXPECT_EQ(b.Values[4].CurveFile, "C.ABT");
    EXPECT_EQ(b.Stats, old.Stats);
}

// Series of the oldest layout carry their test values in the 2.6 layout; a
// reader that took them as current would misalign all that follows.
TEST(ConvertProtocolBefore26, OldFileFollowedByFurtherDataReadsIntact)
{
    ProtocolBefore26 old;
    old.Style = OldStyle();
    old.Reference4 = QStringLiteral("c");
    old.Operator = QString::fromUtf8("Bär");
    old.LastTestDate = 36955.75;
    for (int b = 1; b <= PropertyCount; ++b)
        old.Blocks[b] = OldBlock(b % 3 + 1);
    old.CurrentProperty = 4;

    BinaryWriter out;
    PutRecord(out, old);
    PutRecord(out, StringRecord{QStringLiteral("after the series")});
    out.PutInteger(1234);

    BinaryReader in(out.Bytes());
    ProtocolBefore26 read;
    GetRecord(in, read);
    StringRecord tail;
    GetRecord(in, tail);
    const int16_t last = in.GetInteger();
    ASSERT_TRUE(in.Ok());
    EXPECT_TRUE(in.AtEnd());
    EXPECT_EQ(read, old);
    EXPECT_EQ(tail.Text, QStringLiteral("after the series"));
    EXPECT_EQ(last, 1234);

    Protocol p;
    ConvertProtocolBefore26(p, read);
    // Test type 17 is inserted as a copy of 16; 17 to 19 move up by one.
    EXPECT_EQ(p.Style.Tests[17], old.Style.Tests[16]);
    EXPECT_EQ(p.Style.Tests[20].Nominal1, 19.0f);
    EXPECT_EQ(p.Style.Forms[1].Items[3].Property, 20);
    EXPECT_EQ(p.Operator, QString::fromUtf8("Bär"));
    EXPECT_EQ(p.Blocks[2].Values.size(), old.Blocks[2].Values.size());
}

TEST(VersionText, ComparesInSinglePrecision)
{
    EXPECT_FALSE(VersionBefore(QStringLiteral("2.6"), 2.6f));
    EXPECT_TRUE(VersionBefore(QStringLiteral("2.5"), 2.6f));
    EXPECT_FALSE(VersionBefore(QStringLiteral("6.0"), 6.0f));
}

} // namespace
