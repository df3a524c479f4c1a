#include "foundation/modConvert.h"

#include "foundation/modRecords.h"
#include "platform/Conversions.h"

// ---- Packed layouts of the old records --------------------------------------

void PutRecord(BinaryWriter& out, const StyleBefore26& style)
{
    out.PutString(style.Name);
    for (int t = 1; t <= OldTestTypeCount; ++t)
        PutRecord(out, style.Tests[t]);
    for (int f = 1; f <= StyleFormCount; ++f)
        PutRecord(out, style.Forms[f]);
}

void GetRecord(BinaryReader& in, StyleBefore26& style)
{
    style.Name = in.GetText();
    style.Tests[0] = TestDefinition{};
    for (int t = 1; t <= OldTestTypeCount; ++t)
        GetRecord(in, style.Tests[t]);
    style.Forms[0] = ReportForm{};
    for (int f = 1; f <= StyleFormCount; ++f)
        GetRecord(in, style.Forms[f]);
}

void PutRecord(BinaryWriter& out, const TestValueBefore60& v)
{
    out.PutSingle(v.Value1);
    out.PutString(v.Unit1);
    out.PutSingle(v.Value2);
    out.PutString(v.Unit2);
    out.PutChar1(v.Warning);
    out.PutString(v.Commentary);
    out.PutFlag(v.Deleted);
    out.PutString(v.DataString);
    out.PutString(v.CurveFile);
}

void GetRecord(BinaryReader& in, TestValueBefore60& v)
{
    v.Value1 = in.GetSingle();
    v.Unit1 = in.GetBytesString();
    v.Value2 = in.GetSingle();
    v.Unit2 = in.GetBytesString();
    v.Warning = in.GetChar1();
    v.Commentary = in.GetText();
    v.Deleted = in.GetFlag();
    v.DataString = in.GetBytesString();
    v.CurveFile = in.GetBytesString();
}

void PutRecord(BinaryWriter& out, const PropertyBlockBefore60& b)
{
    out.PutString(b.Header);
    out.PutArrayHeader(static_cast<int32_t>(b.Values.size()));
    for (const TestValueBefore60& v : b.Values)
        PutRecord(out, v);
    out.PutFlag(b.LateralAirOn);
    out.PutSingle(b.LateralAir);
    out.PutString(b.Commentary);
    PutRecord(out, b.Stats);
    out.PutDate(b.StartDate);
    out.PutDate(b.LastTestDate);
    out.PutFlag(b.Terminated);
}

void GetRecord(BinaryReader& in, PropertyBlockBefore60& b)
{
    b.Header = in.GetBytesString();
    const int32_t count = in.GetArrayHeader(PackedTestValueBefore60MinSize);
    b.Values.assign(count > 0 ? static_cast<std::size_t>(count) : 1u, TestValueBefore60{});
    for (int32_t i = 0; i < count; ++i)
        GetRecord(in, b.Values[i]);
    b.LateralAirOn = in.GetFlag();
    b.LateralAir = in.GetSingle();
    b.Commentary = in.GetText();
    GetRecord(in, b.Stats);
    b.StartDate = in.GetDate();
    b.LastTestDate = in.GetDate();
    b.Terminated = in.GetFlag();
}

namespace {

// The part of both old series layouts that follows the style.
template <typename OldProtocol>
void PutOldProtocolBody(BinaryWriter& out, const OldProtocol& p)
{
    out.PutString(p.Reference2);
    out.PutString(p.Reference3);
    out.PutString(p.Reference4);
    out.PutString(p.Operator);
    out.PutDate(p.Date);
    out.PutDate(p.LastTestDate);
    for (int b = 1; b <= PropertyCount; ++b)
        PutRecord(out, p.Blocks[b]);
    out.PutFlag(p.Finished);
    out.PutInteger(p.FormIndex);
    out.PutInteger(p.CurrentProperty);
}

template <typename OldProtocol>
void GetOldProtocolBody(BinaryReader& in, OldProtocol& p)
{
    p.Reference2 = in.GetText();
    p.Reference3 = in.GetText();
    p.Reference4 = in.GetText();
    p.Operator = in.GetText();
    p.Date = in.GetDate();
    p.LastTestDate = in.GetDate();
    p.Blocks[0] = PropertyBlockBefore60{};
    for (int b = 1; b <= PropertyCount; ++b)
        GetRecord(in, p.Blocks[b]);
    p.Finished = in.GetFlag();
    p.FormIndex = in.GetInteger();
    p.CurrentProperty = in.GetInteger();
}

// The fields both old series layouts share with the current one.
template <typename OldProtocol>
void ConvertOldProtocolBody(Protocol& p, const OldProtocol& old)
{
    p.Reference2 = old.Reference2;
    p.Reference3 = old.Reference3;
    p.Reference4 = old.Reference4;
    p.Operator = old.Operator;
    p.Date = old.Date;
    p.LastTestDate = old.LastTestDate;
    p.Finished = old.Finished;
    p.FormIndex = old.FormIndex;
    p.CurrentProperty = old.CurrentProperty;
    p.K0006 = EmptyProtocol.K0006;
    p.K0016 = EmptyProtocol.K0016;
    p.K0053 = EmptyProtocol.K0053;
    p.K1031 = EmptyProtocol.K1031;
    p.K1032 = EmptyProtocol.K1032;
    p.K1086 = EmptyProtocol.K1086;
    p.K1087 = EmptyProtocol.K1087;
    p.Blocks[0] = PropertyBlock{};
    for (int b = 1; b <= PropertyCount; ++b)
        ConvertSubRecordArray(p.Blocks[b], old.Blocks[b]);
}

} // namespace

void PutRecord(BinaryWriter& out, const ProtocolBefore26& p)
{
    PutRecord(out, p.Style);
    PutOldProtocolBody(out, p);
}

void GetRecord(BinaryReader& in, ProtocolBefore26& p)
{
    GetRecord(in, p.Style);
    GetOldProtocolBody(in, p);
}

void PutRecord(BinaryWriter& out, const ProtocolBefore60& p)
{
    PutRecord(out, p.Style);
    PutOldProtocolBody(out, p);
}

void GetRecord(BinaryReader& in, ProtocolBefore60& p)
{
    GetRecord(in, p.Style);
    GetOldProtocolBody(in, p);
}

// ---- Conversions -------------------------------------------------------------

void RenumberReportFormBefore26(ReportForm& form)
{
    for (int i = 1; i <= ReportFormItemCount; ++i)
        if (form.Items[i].Property > 16)
            form.Items[i].Property = static_cast<int16_t>(form.Items[i].Property + 1);
}

void ConvertStyleBefore26(Style& newStyle, const StyleBefore26& oldStyle)
{
    Style style;    // all zeros and empty texts
    style.Name = oldStyle.Name;
    for (int t = 1; t <= 16; ++t)
        style.Tests[t] = oldStyle.Tests[t];
    for (int t = 17; t <= TestTypeCount; ++t)
        style.Tests[t] = oldStyle.Tests[t - 1];
    for (int f = 1; f <= StyleFormCount; ++f) {
        style.Forms[f] = oldStyle.Forms[f];
        style.Forms[f].Items[0] = ReportFormItem{};
        RenumberReportFormBefore26(style.Forms[f]);
    }
    newStyle = style;
}

void ConvertProtocolBefore26(Protocol& newProtocol, const ProtocolBefore26& oldProtocol)
{
    Protocol p;
    ConvertStyleBefore26(p.Style, oldProtocol.Style);
    ConvertOldProtocolBody(p, oldProtocol);
    newProtocol = p;
}

void ConvertProtocolBefore60(Protocol& newProtocol, const ProtocolBefore60& oldProtocol)
{
    Protocol p;
    p.Style = oldProtocol.Style;
    ConvertOldProtocolBody(p, oldProtocol);
    newProtocol = p;
}

void ConvertSubRecordArray(PropertyBlock& newBlock, const PropertyBlockBefore60& oldBlock)
{
    PropertyBlock b;
    b.Header = oldBlock.Header;
    b.Values.resize(oldBlock.Values.size());
    for (std::size_t i = 0; i < oldBlock.Values.size(); ++i)
        ConvertSubRecord(b.Values[i], oldBlock.Values[i]);
    b.LateralAirOn = oldBlock.LateralAirOn;
    b.LateralAir = oldBlock.LateralAir;
    b.Commentary = oldBlock.Commentary;
    b.Stats = oldBlock.Stats;
    b.StartDate = oldBlock.StartDate;
    b.LastTestDate = oldBlock.LastTestDate;
    b.Terminated = oldBlock.Terminated;
    newBlock = b;
}

void ConvertSubRecord(TestValue& newValue, const TestValueBefore60& oldValue)
{
    TestValue v;
    v.Value1 = oldValue.Value1;
    v.Unit1 = oldValue.Unit1;
    v.Value2 = oldValue.Value2;
    v.Unit2 = oldValue.Unit2;
    v.Warning = oldValue.Warning;
    v.Commentary = oldValue.Commentary;
    v.Deleted = oldValue.Deleted;
    v.DataString = oldValue.DataString;
    v.CurveFile = oldValue.CurveFile;
    v.TestTime = EmptyTestValue.TestTime;
    v.K0006 = EmptyTestValue.K0006;
    v.K0016 = EmptyTestValue.K0016;
    v.K0053 = EmptyTestValue.K0053;
    newValue = v;
}

float VersionNumber(const QString& versionText)
{
    return static_cast<float>(Val(versionText));
}

bool VersionBefore(const QString& versionText, float version)
{
    return VersionNumber(versionText) < version;
}
