#include "foundation/modRecords.h"

ReportFormItem MakeBlankReportFormItem() { return ReportFormItem{}; }

ReportForm MakeBlankReportForm()
{
    // Element 0 of a fixed array is never used and stays default-constructed.
    ReportForm form;
    for (int i = 1; i <= ReportFormItemCount; ++i)
        form.Items[i] = MakeBlankReportFormItem();
    return form;
}

TestDefinition MakeBlankTestDefinition()
{
    TestDefinition d;
    d.Nominal1 = d.Nominal2 = NoValue;
    d.Lower1 = d.Lower2 = NoValue;
    d.Upper1 = d.Upper2 = NoValue;
    d.CI1 = d.CI2 = NoValue;
    return d;
}

Style MakeBlankStyle()
{
    Style style;
    for (int t = 1; t <= TestTypeCount; ++t)
        style.Tests[t] = MakeBlankTestDefinition();
    for (int f = 1; f <= StyleFormCount; ++f)
        style.Forms[f] = MakeBlankReportForm();
    return style;
}

TestValue MakeEmptyTestValue()
{
    TestValue v;
    v.Value1 = NoValue;
    v.Value2 = NoValue;
    v.Warning = ' ';
    return v;
}

Statistics MakeEmptyStatistics()
{
    Statistics s;
    s.Mean1 = s.Mean2 = NoValue;
    s.Min1 = s.Min2 = NoValue;
    s.Max1 = s.Max2 = NoValue;
    s.CV1 = s.CV2 = NoValue;
    s.CI1 = s.CI2 = NoValue;
    return s;
}

PropertyBlock MakeEmptyPropertyBlock()
{
    PropertyBlock b;
    b.Values.assign(1, MakeEmptyTestValue());
    b.LateralAir = NoValue;
    b.Stats = MakeEmptyStatistics();
    return b;
}

Protocol MakeEmptyProtocol()
{
    Protocol p;
    p.Style = MakeBlankStyle();
    for (int b = 1; b <= PropertyCount; ++b)
        p.Blocks[b] = MakeEmptyPropertyBlock();
    p.FormIndex = 1;
    p.CurrentProperty = 1;
    return p;
}

FoundProtocol MakeEmptyFoundProtocol()
{
    FoundProtocol f;
    f.Stats = MakeEmptyStatistics();
    return f;
}

ReferenceTitles MakeDefaultReferenceTitles()
{
    static const char* const captions[6][3] = {
        {"Referenz 2:", "Referenz 3:", "Referenz 4:"},
        {"Reference 2:", "Reference 3:", "Reference 4:"},
        {"Référence 2:", "Référence 3:", "Référence 4:"},
        {"Referenz 2:", "Referenz 3:", "Referenz 4:"},
        {"Referencia 2:", "Referencia 3:", "Referencia 4:"},
        {"Ref. 2:", "Ref. 3:", "Ref. 4:"},
    };
    ReferenceTitles titles;
    for (int slot = 0; slot < 6; ++slot)
        for (int r = 0; r < 3; ++r)
            titles.Titles[slot * 3 + r] = QString::fromUtf8(captions[slot][r]);
    return titles;
}

DataStringRecord MakeEmptyDataStringRecord()
{
    DataStringRecord r;
    r.Result = NoValue;
    r.Result2 = NoValue;
    return r;
}

Profile MakeEmptyProfile()
{
    Profile p;
    p.Values.assign(1, NoValue);
    p.Nominal = p.Lower = p.Upper = NoValue;
    return p;
}

Histogram MakeEmptyHistogram()
{
    Histogram h;
    h.Nominal = h.Lower = h.Upper = NoValue;
    return h;
}

DeviationData MakeEmptyDeviationData()
{
    DeviationData d;
    d.Nominal = d.Lower = d.Upper = NoValue;
    d.Min = d.Max = d.Mean = d.Value = NoValue;
    return d;
}

LongTermAnalysis MakeEmptyLongTermAnalysis()
{
    LongTermAnalysis a;
    a.Definition = MakeBlankTestDefinition();
    a.Pattern = SearchPattern{};
    a.Found.assign(1, MakeEmptyFoundProtocol());
    a.Statistics = MakeEmptyStatistics();
    return a;
}

ABTCurve MakeEmptyABTCurve()
{
    ABTCurve c;
    c.Factor1 = IntegerNoValue;
    c.Factor2 = IntegerNoValue;
    c.P1.fill(NoValue);
    c.P2.fill(NoValue);
    c.S.fill(NoValue);
    return c;
}

AbtEvaluation MakeEmptyAbtEvaluation()
{
    AbtEvaluation e;
    e.Flow.fill(NoValue);
    e.SmoothedFlow.fill(NoValue);
    e.FitFlow.fill(NoValue);
    e.Volume.fill(NoValue);
    e.EndPressure = e.PeakPressure = e.PeakHeight = e.MaxFlow = NoValue;
    e.StartIndex = e.PeakIndex = e.FallTime = IntegerNoValue;
    e.ADAP = e.Exponent = e.Factor = NoValue;
    return e;
}

AbtOptions MakeEmptyAbtOptions()
{
    AbtOptions o;
    o.LowerLimit = o.UpperLimit = o.FormFactor = o.Smoothing = IntegerNoValue;
    return o;
}

TestValue EmptyTestValue = MakeEmptyTestValue();
Statistics EmptyStatistics = MakeEmptyStatistics();
PropertyBlock EmptyPropertyBlock = MakeEmptyPropertyBlock();
Protocol EmptyProtocol = MakeEmptyProtocol();
FoundProtocol EmptyFoundProtocol = MakeEmptyFoundProtocol();
ReportFormItem BlankReportFormItem = MakeBlankReportFormItem();
ReportForm BlankReportForm = MakeBlankReportForm();
TestDefinition BlankTestDefinition = MakeBlankTestDefinition();
Style BlankStyle = MakeBlankStyle();
SearchPattern EmptySearchPattern;
KeyboardDefinition EmptyKeyboardDefinition;
ReferenceTitles DefaultReferenceTitles = MakeDefaultReferenceTitles();
DataStringRecord EmptyDataStringRecord = MakeEmptyDataStringRecord();
Profile EmptyProfile = MakeEmptyProfile();
Histogram EmptyHistogram = MakeEmptyHistogram();
DeviationData EmptyDeviationData = MakeEmptyDeviationData();
GridInfoRow EmptyGridInfoRow;
LongTermAnalysis EmptyLongTermAnalysis = MakeEmptyLongTermAnalysis();
PlotWindow EmptyPlotWindow;
ABTCurve EmptyABTCurve = MakeEmptyABTCurve();
AbtEvaluation EmptyAbtEvaluation = MakeEmptyAbtEvaluation();
AbtOptions EmptyAbtOptions = MakeEmptyAbtOptions();
AbtRawLines EmptyAbtRawLines;

void InitDefaultRecords()
{
    BlankReportFormItem = MakeBlankReportFormItem();
    BlankReportForm = MakeBlankReportForm();
    BlankTestDefinition = MakeBlankTestDefinition();
    BlankStyle = MakeBlankStyle();

    EmptyTestValue = MakeEmptyTestValue();
    EmptyStatistics = MakeEmptyStatistics();
    EmptyPropertyBlock = MakeEmptyPropertyBlock();
    EmptyProtocol = MakeEmptyProtocol();

    EmptyDataStringRecord = MakeEmptyDataStringRecord();

    EmptyProfile = MakeEmptyProfile();
    EmptyHistogram = MakeEmptyHistogram();
    EmptyDeviationData = MakeEmptyDeviationData();

    EmptyGridInfoRow = GridInfoRow{};

    DefaultReferenceTitles = MakeDefaultReferenceTitles();
    EmptyKeyboardDefinition = KeyboardDefinition{};

    EmptySearchPattern = SearchPattern{};
    EmptyFoundProtocol = MakeEmptyFoundProtocol();
    EmptyLongTermAnalysis = MakeEmptyLongTermAnalysis();

    EmptyPlotWindow = PlotWindow{};
    EmptyABTCurve = MakeEmptyABTCurve();
    EmptyAbtEvaluation = MakeEmptyAbtEvaluation();
    EmptyAbtOptions = MakeEmptyAbtOptions();
    EmptyAbtRawLines = AbtRawLines{};
}

SystemSettings DefaultSystemSettings(const QString& programFolder)
{
    SystemSettings s;
    s.Language = 2;
    s.DateFormat = 1;
    s.ComPort = 2;
    s.DataFolder = programFolder;
    s.AutoSave = true;
    s.AutoPrint = true;
    s.SwitchBoxUsed = false;
    s.PortDevice.fill(0);
    return s;
}

// ---- Emptiness tests -------------------------------------------------------

bool IsEmptyTestValue(const TestValue& value) { return value == EmptyTestValue; }

bool IsEmptyStatistics(const Statistics& stats) { return stats == EmptyStatistics; }

bool IsEmptyPropertyBlock(const PropertyBlock& block)
{
    const PropertyBlock& e = EmptyPropertyBlock;
    if (block.Header != e.Header)
        return false;
    for (const TestValue& v : block.Values)
        if (!IsEmptyTestValue(v))
            return false;
    return block.LateralAirOn == e.LateralAirOn && block.LateralAir == e.LateralAir
        && block.Commentary == e.Commentary && IsEmptyStatistics(block.Stats)
        && block.StartDate == e.StartDate && block.LastTestDate == e.LastTestDate
        && block.Terminated == e.Terminated;
}

bool IsEmptyProtocol(const Protocol& p)
{
    const Protocol& e = EmptyProtocol;
    if (!IsEmptyStyle(p.Style))
        return false;
    if (p.Reference2 != e.Reference2 || p.Reference3 != e.Reference3 || p.Reference4 != e.Reference4
        || p.K0006 != e.K0006 || p.K0016 != e.K0016 || p.K0053 != e.K0053 || p.K1031 != e.K1031
        || p.K1032 != e.K1032 || p.K1086 != e.K1086 || p.K1087 != e.K1087 || p.Operator != e.Operator)
        return false;
    if (p.Date != e.Date || p.LastTestDate != e.LastTestDate)
        return false;
    for (int b = 1; b <= PropertyCount; ++b)
        if (!IsEmptyPropertyBlock(p.Blocks[b]))
            return false;
    return p.Finished == e.Finished && p.FormIndex == e.FormIndex
        && p.CurrentProperty == e.CurrentProperty;
}

bool IsEmptyFoundProtocol(const FoundProtocol& found)
{
    const FoundProtocol& e = EmptyFoundProtocol;
    return found.Date == e.Date && found.LastTestDate == e.LastTestDate && found.Block == e.Block
        && found.Header == e.Header && IsEmptyStatistics(found.Stats) && found.Path == e.Path;
}

bool IsEmptyStyle(const Style& style)
{
    if (style.Name != BlankStyle.Name)
        return false;
    for (int t = 1; t <= TestTypeCount; ++t)
        if (!IsEmptyTestDefinition(style.Tests[t]))
            return false;
    for (int f = 1; f <= StyleFormCount; ++f)
        if (!IsEmptyReportForm(style.Forms[f]))
            return false;
    return true;
}

bool IsEmptyTestDefinition(const TestDefinition& definition)
{
    return definition == BlankTestDefinition;
}

bool IsEmptyReportForm(const ReportForm& form)
{
    if (form.Name != BlankReportForm.Name)
        return false;
    for (int i = 1; i <= ReportFormItemCount; ++i)
        if (!IsEmptyReportFormItem(form.Items[i]))
            return false;
    return true;
}

bool IsEmptyReportFormItem(const ReportFormItem& item) { return item == BlankReportFormItem; }

bool IsEmptySearchPattern(const SearchPattern& pattern) { return pattern == EmptySearchPattern; }

bool IsEmptyKeyboardDefinition(const KeyboardDefinition& definition)
{
    return definition == EmptyKeyboardDefinition;
}

bool IsEmptyDataStringRecord(const DataStringRecord& record)
{
    return record == EmptyDataStringRecord;
}

bool IsEmptyPlotWindow(const PlotWindow& window) { return window == EmptyPlotWindow; }

bool IsEmptyProfile(const Profile& profile)
{
    const Profile& e = EmptyProfile;
    return profile.Values.size() == e.Values.size() && profile.Nominal == e.Nominal
        && profile.Lower == e.Lower && profile.Upper == e.Upper && profile.Unit == e.Unit;
}

bool IsEmptyHistogram(const Histogram& histogram) { return histogram == EmptyHistogram; }

bool IsEmptyDeviationData(const DeviationData& data) { return data == EmptyDeviationData; }

bool IsEmptyLongTermAnalysis(const LongTermAnalysis& analysis)
{
    if (!IsEmptyTestDefinition(analysis.Definition) || !IsEmptySearchPattern(analysis.Pattern))
        return false;
    if (analysis.Found.size() != EmptyLongTermAnalysis.Found.size())
        return false;
    for (const FoundProtocol& f : analysis.Found)
        if (!IsEmptyFoundProtocol(f))
            return false;
    return IsEmptyStatistics(analysis.Statistics);
}

// ---- Packed layout ---------------------------------------------------------

void PutRecord(BinaryWriter& out, const TestValue& v)
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
    out.PutDate(v.TestTime);
    out.PutString(v.K0006);
    out.PutString(v.K0016);
    out.PutString(v.K0053);
}

void GetRecord(BinaryReader& in, TestValue& v)
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
    v.TestTime = in.GetDate();
    v.K0006 = in.GetText();
    v.K0016 = in.GetText();
    v.K0053 = in.GetText();
}

void PutRecord(BinaryWriter& out, const Statistics& s)
{
    out.PutLong(s.Count);
    out.PutDouble(s.Sum1);
    out.PutDouble(s.Sum2);
    out.PutDouble(s.SumSq1);
    out.PutDouble(s.SumSq2);
    out.PutSingle(s.Mean1);
    out.PutSingle(s.Mean2);
    out.PutSingle(s.Min1);
    out.PutSingle(s.Min2);
    out.PutSingle(s.Max1);
    out.PutSingle(s.Max2);
    out.PutSingle(s.CV1);
    out.PutSingle(s.CV2);
    out.PutSingle(s.CI1);
    out.PutSingle(s.CI2);
}

void GetRecord(BinaryReader& in, Statistics& s)
{
    s.Count = in.GetLong();
    s.Sum1 = in.GetDouble();
    s.Sum2 = in.GetDouble();
    s.SumSq1 = in.GetDouble();
    s.SumSq2 = in.GetDouble();
    s.Mean1 = in.GetSingle();
    s.Mean2 = in.GetSingle();
    s.Min1 = in.GetSingle();
    s.Min2 = in.GetSingle();
    s.Max1 = in.GetSingle();
    s.Max2 = in.GetSingle();
    s.CV1 = in.GetSingle();
    s.CV2 = in.GetSingle();
    s.CI1 = in.GetSingle();
    s.CI2 = in.GetSingle();
}

void PutRecord(BinaryWriter& out, const PropertyBlock& b)
{
    out.PutString(b.Header);
    out.PutArrayHeader(static_cast<int32_t>(b.Values.size()));
    for (const TestValue& v : b.Values)
        PutRecord(out, v);
    out.PutFlag(b.LateralAirOn);
    out.PutSingle(b.LateralAir);
    out.PutString(b.Commentary);
    PutRecord(out, b.Stats);
    out.PutDate(b.StartDate);
    out.PutDate(b.LastTestDate);
    out.PutFlag(b.Terminated);
}

void GetRecord(BinaryReader& in, PropertyBlock& b)
{
    b.Header = in.GetBytesString();
    const int32_t count = in.GetArrayHeader(PackedTestValueMinSize);
    b.Values.assign(count > 0 ? static_cast<std::size_t>(count) : 1u, TestValue{});
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

void PutRecord(BinaryWriter& out, const TestDefinition& d)
{
    out.PutFlag(d.Defined1);
    out.PutFlag(d.Defined2);
    out.PutSingle(d.Nominal1);
    out.PutSingle(d.Nominal2);
    out.PutSingle(d.Lower1);
    out.PutSingle(d.Lower2);
    out.PutSingle(d.Upper1);
    out.PutSingle(d.Upper2);
    out.PutSingle(d.CI1);
    out.PutSingle(d.CI2);
    out.PutInteger(d.TestCount);
    out.PutString(d.HeaderImage);
}

void GetRecord(BinaryReader& in, TestDefinition& d)
{
    d.Defined1 = in.GetFlag();
    d.Defined2 = in.GetFlag();
    d.Nominal1 = in.GetSingle();
    d.Nominal2 = in.GetSingle();
    d.Lower1 = in.GetSingle();
    d.Lower2 = in.GetSingle();
    d.Upper1 = in.GetSingle();
    d.Upper2 = in.GetSingle();
    d.CI1 = in.GetSingle();
    d.CI2 = in.GetSingle();
    d.TestCount = in.GetInteger();
    d.HeaderImage = in.GetBytesString();
}

void PutRecord(BinaryWriter& out, const ReportFormItem& item)
{
    out.PutInteger(item.Property);
    out.PutFlag(item.Histogram);
    out.PutFlag(item.Curve);
}

void GetRecord(BinaryReader& in, ReportFormItem& item)
{
    item.Property = in.GetInteger();
    item.Histogram = in.GetFlag();
    item.Curve = in.GetFlag();
}

void PutRecord(BinaryWriter& out, const ReportForm& form)
{
    out.PutString(form.Name);
    for (int i = 1; i <= ReportFormItemCount; ++i)
        PutRecord(out, form.Items[i]);
}

void GetRecord(BinaryReader& in, ReportForm& form)
{
    form.Name = in.GetText();
    form.Items[0] = ReportFormItem{};
    for (int i = 1; i <= ReportFormItemCount; ++i)
        GetRecord(in, form.Items[i]);
}

void PutRecord(BinaryWriter& out, const Style& style)
{
    out.PutString(style.Name);
    for (int t = 1; t <= TestTypeCount; ++t)
        PutRecord(out, style.Tests[t]);
    for (int f = 1; f <= StyleFormCount; ++f)
        PutRecord(out, style.Forms[f]);
}

void GetRecord(BinaryReader& in, Style& style)
{
    style.Name = in.GetText();
    style.Tests[0] = TestDefinition{};
    for (int t = 1; t <= TestTypeCount; ++t)
        GetRecord(in, style.Tests[t]);
    style.Forms[0] = ReportForm{};
    for (int f = 1; f <= StyleFormCount; ++f)
        GetRecord(in, style.Forms[f]);
}

void PutRecord(BinaryWriter& out, const Protocol& p)
{
    PutRecord(out, p.Style);
    out.PutString(p.Reference2);
    out.PutString(p.Reference3);
    out.PutString(p.Reference4);
    out.PutString(p.K0006);
    out.PutString(p.K0016);
    out.PutString(p.K0053);
    out.PutString(p.K1031);
    out.PutString(p.K1032);
    out.PutString(p.K1086);
    out.PutString(p.K1087);
    out.PutString(p.Operator);
    out.PutDate(p.Date);
    out.PutDate(p.LastTestDate);
    for (int b = 1; b <= PropertyCount; ++b)
        PutRecord(out, p.Blocks[b]);
    out.PutFlag(p.Finished);
    out.PutInteger(p.FormIndex);
    out.PutInteger(p.CurrentProperty);
}

void GetRecord(BinaryReader& in, Protocol& p)
{
    GetRecord(in, p.Style);
    p.Reference2 = in.GetText();
    p.Reference3 = in.GetText();
    p.Reference4 = in.GetText();
    p.K0006 = in.GetText();
    p.K0016 = in.GetText();
    p.K0053 = in.GetText();
    p.K1031 = in.GetText();
    p.K1032 = in.GetText();
    p.K1086 = in.GetText();
    p.K1087 = in.GetText();
    p.Operator = in.GetText();
    p.Date = in.GetDate();
    p.LastTestDate = in.GetDate();
    p.Blocks[0] = PropertyBlock{};
    for (int b = 1; b <= PropertyCount; ++b)
        GetRecord(in, p.Blocks[b]);
    p.Finished = in.GetFlag();
    p.FormIndex = in.GetInteger();
    p.CurrentProperty = in.GetInteger();
}

void PutRecord(BinaryWriter& out, const SearchPattern& s)
{
    out.PutInteger(s.TestType);
    out.PutString(s.Style);
    out.PutString(s.Reference2);
    out.PutString(s.Reference3);
    out.PutString(s.Reference4);
    out.PutString(s.Operator);
}

void GetRecord(BinaryReader& in, SearchPattern& s)
{
    s.TestType = in.GetInteger();
    s.Style = in.GetText();
    s.Reference2 = in.GetText();
    s.Reference3 = in.GetText();
    s.Reference4 = in.GetText();
    s.Operator = in.GetText();
    s.DateFrom = s.DateTo = s.TimeFrom = s.TimeTo = 0;
}

void PutRecord(BinaryWriter& out, const KeyboardDefinition& k)
{
    out.PutString(k.Instrument);
    out.PutString(k.SerialNumber);
    out.PutString(k.Property);
    out.PutString(k.Parameter1);
    out.PutString(k.Parameter2);
    out.PutString(k.Parameter3);
    out.PutString(k.Parameter4);
}

void GetRecord(BinaryReader& in, KeyboardDefinition& k)
{
    k.Instrument = in.GetText();
    k.SerialNumber = in.GetText();
    k.Property = in.GetText();
    k.Parameter1 = in.GetText();
    k.Parameter2 = in.GetText();
    k.Parameter3 = in.GetText();
    k.Parameter4 = in.GetText();
}

void PutRecord(BinaryWriter& out, const ReferenceTitles& titles)
{
    for (const QString& t : titles.Titles)
        out.PutString(t);
}

void GetRecord(BinaryReader& in, ReferenceTitles& titles)
{
    for (QString& t : titles.Titles)
        t = in.GetText();
}

void PutRecord(BinaryWriter& out, const SystemSettings& s)
{
    out.PutInteger(s.Language);
    out.PutInteger(s.DateFormat);
    out.PutInteger(s.ComPort);
    out.PutString(s.DataFolder);
    out.PutFlag(s.AutoSave);
    out.PutFlag(s.AutoPrint);
    out.PutFlag(s.SwitchBoxUsed);
    for (int16_t code : s.PortDevice)
        out.PutInteger(code);
}

void GetRecord(BinaryReader& in, SystemSettings& s)
{
    s.Language = in.GetInteger();
    s.DateFormat = in.GetInteger();
    s.ComPort = in.GetInteger();
    s.DataFolder = in.GetText();
    s.AutoSave = in.GetFlag();
    s.AutoPrint = in.GetFlag();
    s.SwitchBoxUsed = in.GetFlag();
    for (int16_t& code : s.PortDevice)
        code = in.GetInteger();
}

void PutRecord(BinaryWriter& out, const Passwords& p)
{
    out.PutString(p.UserPassword);
    out.PutString(p.SupervisorPassword);
}

void GetRecord(BinaryReader& in, Passwords& p)
{
    p.UserPassword = in.GetText();
    p.SupervisorPassword = in.GetText();
}

void PutRecord(BinaryWriter& out, const StringRecord& text) { out.PutString(text.Text); }

void GetRecord(BinaryReader& in, StringRecord& text) { text.Text = in.GetText(); }
