#include "foundation/modRecords.h"
#include "support/Bytes.h"

#include <gtest/gtest.h>

namespace {

template <typename Record>
std::string Pack(const Record& record)
{
    BinaryWriter out;
    PutRecord(out, record);
    return out.Bytes();
}

const char* const NoValueHex = "FD FF 7F FF";

std::string EmptyTestValueBytes()
{
    return Hex("FD FF 7F FF  00 00  FD FF 7F FF  00 00  20  00 00  00 00  00 00  00 00"
               "00 00 00 00 00 00 00 00  00 00  00 00  00 00");
}

std::string EmptyStatisticsBytes()
{
    std::string bytes(4 + 4 * 8, '\0');
    for (int i = 0; i < 10; ++i)
        bytes += Hex(NoValueHex);
    return bytes;
}

std::string EmptyPropertyBlockBytes()
{
    return Hex("00 00  01 00  01 00 00 00  00 00 00 00") + EmptyTestValueBytes()
        + Hex("00 00") + Hex(NoValueHex) + Hex("00 00") + EmptyStatisticsBytes()
        + std::string(16, '\0') + Hex("00 00");
}

TEST(PackedLayout, EmptyRecordsMatchBytesWorkedOutByHand)
{
    InitDefaultRecords();
    EXPECT_EQ(ToHex(Pack(EmptyTestValue)), ToHex(EmptyTestValueBytes()));
    EXPECT_EQ(ToHex(Pack(EmptyStatistics)), ToHex(EmptyStatisticsBytes()));
    EXPECT_EQ(ToHex(Pack(EmptyPropertyBlock)), ToHex(EmptyPropertyBlockBytes()));
    std::string definition;
    definition += Hex("00 00 00 00");
    for (int i = 0; i < 8; ++i)
        definition += Hex(NoValueHex);
    definition += Hex("00 00  00 00");
    EXPECT_EQ(ToHex(Pack(BlankTestDefinition)), ToHex(definition));
    EXPECT_EQ(definition.size(), 40u);

    const std::string form = Hex("00 00") + std::string(36, '\0');
    EXPECT_EQ(ToHex(Pack(BlankReportForm)), ToHex(form));

    std::string style = Hex("00 00");
    for (int t = 0; t < 20; ++t)
        style += definition;
    for (int f = 0; f < 10; ++f)
        style += form;
    EXPECT_EQ(Pack(BlankStyle), style);
    EXPECT_EQ(style.size(), 1182u);

    std::string protocol = style + std::string(22, '\0') + std::string(16, '\0');
    for (int b = 0; b < 6; ++b)
        protocol += EmptyPropertyBlockBytes();
    protocol += Hex("00 00  01 00  01 00");
    EXPECT_EQ(Pack(EmptyProtocol), protocol);
    EXPECT_EQ(protocol.size(), 2120u);
}

TEST(PackedLayout, FilledTestValueMatchesBytesWorkedOutByHand)
{
    TestValue v = EmptyTestValue;
    v.Value1 = 1.5f;
    v.Unit1 = "N";
    v.Warning = '*';
    v.Commentary = QString::fromUtf8("ä€");
    v.Deleted = true;
    v.DataString = "AB";
    v.TestTime = 36955.5;
    v.K0006 = QStringLiteral("x");
    EXPECT_EQ(ToHex(Pack(v)),
              ToHex(Hex("00 00 C0 3F  01 00 4E  FD FF 7F FF  00 00  2A  02 00 E4 80  FF FF"
                        "02 00 41 42  00 00  00 00 00 00 70 0B E2 40  01 00 78  00 00  00 00")));
}

TEST(PackedLayout, SettingsRecordsMatchBytesWorkedOutByHand)
{
    SystemSettings s = DefaultSystemSettings(QStringLiteral("/d"));
    s.PortDevice[1] = 12;
    EXPECT_EQ(ToHex(Pack(s)), ToHex(Hex("02 00  01 00  02 00  02 00 2F 64  FF FF  FF FF  00 00"
                                        "00 00  0C 00  00 00 00 00 00 00 00 00")));

    SearchPattern p;
    p.TestType = 3;
    p.Style = QStringLiteral("S*");
    p.DateFrom = 40000;
    p.TimeTo = 0.5;
    EXPECT_EQ(ToHex(Pack(p)), ToHex(Hex("03 00  02 00 53 2A  00 00  00 00  00 00  00 00")));

    ReportFormItem item{17, true, false};
    EXPECT_EQ(ToHex(Pack(item)), "11 00 FF FF 00 00");
}

TEST(PackedLayout, SearchPatternReadBackLosesItsDates)
{
    SearchPattern p;
    p.TestType = 5;
    p.Style = QStringLiteral("A?");
    p.Reference2 = QStringLiteral("r2");
    p.Reference3 = QStringLiteral("r3");
    p.Reference4 = QStringLiteral("r4");
    p.Operator = QStringLiteral("op");
    p.DateFrom = 1;
    p.DateTo = 2;
    p.TimeFrom = 0.25;
    p.TimeTo = 0.75;
    const std::string bytes = Pack(p);
    BinaryReader in(bytes);
    SearchPattern back;
    back.DateFrom = 99;
    GetRecord(in, back);
    ASSERT_TRUE(in.Ok());
    p.DateFrom = p.DateTo = p.TimeFrom = p.TimeTo = 0;
    EXPECT_EQ(back, p);
}

Protocol FilledProtocol()
{
    Protocol p = EmptyProtocol;
    p.Style.Name = QString::fromUtf8("Prüfung ä€");
    p.Style.Tests[3].Defined1 = true;
    p.Style.Tests[3].HeaderImage = std::string("\x1E") + "KR6450 ";
    p.Style.Forms[2].Items[2] = ReportFormItem{18, false, true};
    p.Reference2 = QStringLiteral("Lot 7");
    p.Operator = QString::fromUtf8("Müller");
    p.Date = 45296.546631944444;
    for (int b = 1; b <= 3; ++b) {
        PropertyBlock& block = p.Blocks[b];
        block.Header = "header " + std::to_string(b);
        for (int t = 1; t <= b + 1; ++t) {
            TestValue v = EmptyTestValue;
            v.Value1 = 10.5f * t;
            v.Unit1 = "N";
            v.Value2 = b == 2 ? NoValue : 3.25f;
            v.Commentary = QString::fromUtf8("Prüfung ä€ %1").arg(t);
            v.Deleted = (t == 2);
            v.DataString = std::string("\x1E") + "data\x80\x81";
            v.TestTime = 45296.5 + t / 1440.0;
            block.Values.push_back(v);
        }
        block.Stats.Sum1 = 42.5;
    }
    p.CurrentProperty = 3;
    return p;
}

TEST(PackedLayout, FilledProtocolRoundTripsToIdenticalBytes)
{
    const Protocol original = FilledProtocol();
    const std::string bytes = Pack(original);
    BinaryReader in(bytes);
    Protocol back;
    GetRecord(in, back);
    ASSERT_TRUE(in.Ok());
    EXPECT_TRUE(in.AtEnd());
    EXPECT_EQ(back, original);
    EXPECT_EQ(Pack(back), bytes);
}

TEST(PackedLayout, DamagedArraysAndStringsFailTheReadWithoutAllocating)
{
    // Dimension count 2, lower bound 1, an element count far beyond the bytes left.
    for (const char* header : {"02 00  01 00 00 00  00 00 00 00", "01 00  01 00 00 00  01 00 00 00",
                               "01 00  FF FF FF 7F  00 00 00 00"}) {
        SCOPED_TRACE(header);
        const std::string bytes = Hex("00 00") + Hex(header) + EmptyTestValueBytes();
        BinaryReader in(bytes);
        PropertyBlock b;
        GetRecord(in, b);
        EXPECT_FALSE(in.Ok());
        EXPECT_EQ(b.Values.size(), 1u);
        EXPECT_EQ(b.LateralAir, 0.0f);
    }
    // A string longer than what remains.
    {
        const std::string bytes = Hex("10 00 41 42");
        BinaryReader in(bytes);
        StringRecord s;
        GetRecord(in, s);
        EXPECT_FALSE(in.Ok());
        EXPECT_TRUE(s.Text.isEmpty());
        EXPECT_EQ(in.GetInteger(), 0);
    }
}

TEST(PackedLayout, TruncatedProtocolKeepsZerosForWhatWasNotRead)
{
    const std::string bytes = Pack(FilledProtocol());
    const std::string cut = bytes.substr(0, 1200);
    BinaryReader in(cut);
    Protocol p;
    GetRecord(in, p);
    EXPECT_FALSE(in.Ok());
    EXPECT_EQ(p.Style.Name, QString::fromUtf8("Prüfung ä€"));
    EXPECT_TRUE(p.Operator.isEmpty());
}

TEST(PackedLayout, LongStringsAreCutTo65535Bytes)
{
    BinaryWriter out;
    out.PutString(std::string(70000, 'x'));
    ASSERT_EQ(out.Bytes().size(), 2u + 65535u);
    EXPECT_EQ(out.Bytes().substr(0, 2), Hex("FF FF"));
}

TEST(PackedLayout, AnyNonZeroFlagReadsAsTrue)
{
    const std::string bytes = Hex("01 00  00 00");
    BinaryReader in(bytes);
    EXPECT_TRUE(in.GetFlag());
    EXPECT_FALSE(in.GetFlag());
}

TEST(Emptiness, PropertyBlockIgnoresBoundsButNotHeaderAndProfileTheReverse)
{
    PropertyBlock b = EmptyPropertyBlock;
    b.Values.resize(4, EmptyTestValue);
    EXPECT_TRUE(IsEmptyPropertyBlock(b));
    b.Header = "x";
    EXPECT_FALSE(IsEmptyPropertyBlock(b));

    PropertyBlock zero;   // all zeros is not the empty block
    zero.Values.resize(1);
    EXPECT_FALSE(IsEmptyPropertyBlock(zero));

    // A profile compares its bounds, not its elements.
    Profile p = EmptyProfile;
    p.Values[0] = 5;
    EXPECT_TRUE(IsEmptyProfile(p));
    p.Values.push_back(NoValue);
    EXPECT_FALSE(IsEmptyProfile(p));
}

TEST(Emptiness, EveryEmptyInstancePassesItsOwnTest)
{
    InitDefaultRecords();
    EXPECT_TRUE(IsEmptyTestValue(EmptyTestValue));
    EXPECT_TRUE(IsEmptyStatistics(EmptyStatistics));
    EXPECT_TRUE(IsEmptyProtocol(EmptyProtocol));
    EXPECT_TRUE(IsEmptyFoundProtocol(EmptyFoundProtocol));
    EXPECT_TRUE(IsEmptyStyle(BlankStyle));
    EXPECT_TRUE(IsEmptySearchPattern(EmptySearchPattern));
    EXPECT_TRUE(IsEmptyKeyboardDefinition(EmptyKeyboardDefinition));
    EXPECT_TRUE(IsEmptyDataStringRecord(EmptyDataStringRecord));
    EXPECT_TRUE(IsEmptyPlotWindow(EmptyPlotWindow));
    EXPECT_TRUE(IsEmptyHistogram(EmptyHistogram));
    EXPECT_TRUE(IsEmptyDeviationData(EmptyDeviationData));
    EXPECT_TRUE(IsEmptyLongTermAnalysis(EmptyLongTermAnalysis));

    EXPECT_FALSE(IsEmptyTestValue(TestValue{}));
    EXPECT_FALSE(IsEmptyStatistics(Statistics{}));
    EXPECT_FALSE(IsEmptyProtocol(Protocol{}));
    EXPECT_FALSE(IsEmptyStyle(Style{}));
    SearchPattern pattern = EmptySearchPattern;
    pattern.Operator = QStringLiteral("M*");
    EXPECT_FALSE(IsEmptySearchPattern(pattern));

    Protocol p = EmptyProtocol;
    p.CurrentProperty = 2;
    EXPECT_FALSE(IsEmptyProtocol(p));
    LongTermAnalysis a = EmptyLongTermAnalysis;
    a.Found.push_back(EmptyFoundProtocol);
    EXPECT_FALSE(IsEmptyLongTermAnalysis(a));
}

TEST(DefaultRecords, CurveRecordsUseTheirNoValueMarkers)
{
    EXPECT_EQ(EmptyABTCurve.Factor1, -32768);
    EXPECT_EQ(EmptyABTCurve.P2[511], NoValue);
    EXPECT_EQ(EmptyAbtEvaluation.FallTime, -32768);
    EXPECT_EQ(EmptyAbtEvaluation.Volume[0], NoValue);
    EXPECT_EQ(EmptyAbtOptions.Smoothing, -32768);
    EXPECT_TRUE(EmptyAbtRawLines.Lines[25].empty());
}

TEST(DefaultRecords, ReferenceCaptionsBySlot)
{
    // Italian shows the German captions until the user changes them.
    const char* captions[6][3] = {
        {"Referenz 2:", "Referenz 3:", "Referenz 4:"},       {"Reference 2:", "Reference 3:", "Reference 4:"},
        {"Référence 2:", "Référence 3:", "Référence 4:"},    {"Referenz 2:", "Referenz 3:", "Referenz 4:"},
        {"Referencia 2:", "Referencia 3:", "Referencia 4:"}, {"Ref. 2:", "Ref. 3:", "Ref. 4:"},
    };
    for (size_t slot = 0; slot < 6; ++slot)
        for (size_t r = 0; r < 3; ++r)
            EXPECT_EQ(DefaultReferenceTitles.Titles[slot * 3 + r], QString::fromUtf8(captions[slot][r])) << slot << r;
}

} // namespace
