#include "main_window/modSeries.h"

#include "curves/modPDRCurve.h"
#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "instrument/modDataString.h"
#include "instrument/modStatistic.h"
#include "platform/Conversions.h"

#include <algorithm>

namespace {

constexpr int LateralAirTestType = 16;
constexpr int PressureDropTestType = 17;
// Position of the unit code of result 2 in a data string (counted from 1).
constexpr size_t Result2UnitPosition = 55;
const QString Percent = QStringLiteral("%");

bool IsProperty(int property)
{
    return property >= 1 && property <= PropertyCount;
}

PropertyBlock* BlockOf(Protocol& protocol, int property)
{
    return IsProperty(property) ? &protocol.Blocks[static_cast<size_t>(property)] : nullptr;
}

// The unit text of a pass/fail result ("1/0") and of a percentage ("%") in
// the current language: a parsed data string carries unit texts, not codes.
QString PassFailUnitText()
{
    return UnitText(PassFailUnitCode, Language);
}

QString PercentUnitText()
{
    return UnitText(std::string(1, static_cast<char>(110)), Language);
}

QString Number(float value)
{
    return FormatNumberText(value, 3);
}

QString OneDecimal(float value)
{
    return Format(value, QStringLiteral("0.0"));
}

// A value with its unit, or nothing when the value is missing.
void PutValue(QString& text, QString& unit, float value, const QString& unitText)
{
    if (!IsPresentValue(value))
        return;
    text = Number(value);
    unit = unitText;
}

void PutPercent(QString& text, QString& unit, float value)
{
    if (!IsPresentValue(value))
        return;
    text = OneDecimal(value);
    unit = Percent;
}

int UpperBound(const PropertyBlock& block)
{
    return std::max(static_cast<int>(block.Values.size()) - 1, 0);
}

} // namespace

bool BlockHoldsTest(const PropertyBlock& block)
{
    return block.Values.size() >= 2;
}

bool BlockHasStarted(const PropertyBlock& block)
{
    return BlockHoldsTest(block) || block.StartDate != 0;
}

int16_t PropertyTestType(const Protocol& protocol, int property)
{
    const int form = protocol.FormIndex;
    if (form < 1 || form > StyleFormCount || !IsProperty(property))
        return 0;
    const int16_t type = protocol.Style.Forms[static_cast<size_t>(form)].Items[static_cast<size_t>(property)].Property;
    return type >= 1 && type <= TestTypeCount ? type : int16_t{0};
}

QString ProtocolTitle(const Protocol& protocol)
{
    const int form = protocol.FormIndex;
    const QString name =
        form >= 1 && form <= StyleFormCount ? protocol.Style.Forms[static_cast<size_t>(form)].Name : QString();
    return FormatDateText(protocol.Date, 3) + QStringLiteral(", ") + FormatTimeText(protocol.Date, true)
           + QStringLiteral(" - ") + name;
}

QStringList ReportFormNames(const Style& style)
{
    QStringList names;
    for (size_t k = 1; k <= StyleFormCount; ++k) {
        if (!IsEmptyReportForm(style.Forms[k]))
            names << style.Forms[k].Name;
    }
    return names;
}

// ---------------------------------------------------------------------------
// Texts

NominalRows NominalGridRows(const TestDefinition& d)
{
    NominalRows rows;
    if (IsEmptyTestDefinition(d))
        return rows;
    const DataStringRecord header = ParseDataString(d.HeaderImage);
    // The nominal value of a pass/fail property is the share of passes.
    const QString nominalUnit = header.ResultUnit == PassFailUnitText() ? PercentUnitText() : header.ResultUnit;
    PutValue(rows.Nominal.Value1Text, rows.Nominal.Unit1Text, d.Nominal1, nominalUnit);
    PutValue(rows.Nominal.Value2Text, rows.Nominal.Unit2Text, d.Nominal2, header.Result2Unit);
    PutValue(rows.LLimit.Value1Text, rows.LLimit.Unit1Text, d.Lower1, header.ResultUnit);
    PutValue(rows.LLimit.Value2Text, rows.LLimit.Unit2Text, d.Lower2, header.Result2Unit);
    PutValue(rows.ULimit.Value1Text, rows.ULimit.Unit1Text, d.Upper1, header.ResultUnit);
    PutValue(rows.ULimit.Value2Text, rows.ULimit.Unit2Text, d.Upper2, header.Result2Unit);
    PutPercent(rows.NominalCI.Value1Text, rows.NominalCI.Unit1Text, d.CI1);
    PutPercent(rows.NominalCI.Value2Text, rows.NominalCI.Unit2Text, d.CI2);
    // A definition without a preset number asks for the most a block takes.
    rows.Test.Value1Text = QString::number(EffectiveTestCount(d));
    return rows;
}

StatisticsRows StatisticsGridRows(const Protocol& protocol, int property)
{
    StatisticsRows rows;
    if (!IsProperty(property))
        return rows;
    const PropertyBlock& b = protocol.Blocks[static_cast<size_t>(property)];
    if (!BlockHoldsTest(b))
        return rows;
    const TestDefinition d = PropertyTestDefinition(protocol, protocol.CurrentProperty);
    const DataStringRecord header = ParseDataString(b.Header);
    const Statistics& s = b.Stats;
    for (GridInfoRow* row : {&rows.Avg, &rows.Min, &rows.Max, &rows.CV, &rows.CI})
        row->Value1Text = QStringLiteral("---");

    if (IsPresentValue(s.Mean1)) {
        if (header.ResultUnit != PassFailUnitText()) {
            rows.Avg.Value1Text = Number(s.Mean1);
            rows.Avg.Unit1Text = header.ResultUnit;
            rows.Avg.Sign1 = LimitSign(s.Mean1, d, 1);
        } else {
            rows.Avg.Value1Text = Number(s.Mean1 * 100.0f);
            rows.Avg.Unit1Text = PercentUnitText();
        }
    }
    if (IsPresentValue(s.Mean2)) {
        rows.Avg.Value2Text = Number(s.Mean2);
        rows.Avg.Unit2Text = header.Result2Unit;
        rows.Avg.Sign2 = LimitSign(s.Mean2, d, 2);
    }
    rows.Avg.LastColumnText = header.WarningSign;

    struct Extreme {
        GridInfoRow* Row;
        float Value1;
        float Value2;
    } const extremes[] = {{&rows.Min, s.Min1, s.Min2}, {&rows.Max, s.Max1, s.Max2}};
    for (const Extreme& e : extremes) {
        if (IsPresentValue(e.Value1)) {
            e.Row->Value1Text = Number(e.Value1);
            e.Row->Unit1Text = header.ResultUnit;
            e.Row->Sign1 = LimitSign(e.Value1, d, 1);
        }
        if (IsPresentValue(e.Value2)) {
            e.Row->Value2Text = Number(e.Value2);
            e.Row->Unit2Text = header.Result2Unit;
            e.Row->Sign2 = LimitSign(e.Value2, d, 2);
        }
    }
    PutPercent(rows.CV.Value1Text, rows.CV.Unit1Text, s.CV1);
    PutPercent(rows.CV.Value2Text, rows.CV.Unit2Text, s.CV2);
    PutPercent(rows.CI.Value1Text, rows.CI.Unit1Text, s.CI1);
    PutPercent(rows.CI.Value2Text, rows.CI.Unit2Text, s.CI2);
    return rows;
}

QString PropertyStatusText(const Protocol& protocol, int property)
{
    const int16_t type = PropertyTestType(protocol, property);
    if (type == 0)
        return QString();
    const PropertyBlock& b = protocol.Blocks[static_cast<size_t>(property)];
    const int count = b.Stats.Count;
    const int wanted = EffectiveTestCount(protocol.Style.Tests[static_cast<size_t>(type)]);
    return QStringLiteral("%1/%2 (%3)").arg(count).arg(wanted).arg(UpperBound(b) - count);
}

QString LateralAirText(const Protocol& protocol, int property)
{
    const int16_t type = PropertyTestType(protocol, property);
    if (type == 0)
        return QString();
    const PropertyBlock& b = protocol.Blocks[static_cast<size_t>(property)];
    if (!IsPresentValue(b.LateralAir))
        return QString();
    const DataStringRecord header = ParseDataString(protocol.Style.Tests[static_cast<size_t>(type)].HeaderImage);
    return Number(b.LateralAir) + QStringLiteral(" ") + header.ResultUnit;
}

// ---------------------------------------------------------------------------
// Changes

Protocol NewSeriesFrom(const Protocol& working, double now)
{
    Protocol r = working;
    r.Date = now;
    r.LastTestDate = r.Date;
    for (int p = 1; p <= PropertyCount; ++p) {
        PropertyBlock& b = r.Blocks[static_cast<size_t>(p)];
        // Lateral air ticked before the first test is the operator's choice
        // for that property; the box shows it, so the series keeps it.
        const bool lateralAir = b.LateralAirOn && PropertyTestType(working, p) == LateralAirTestType;
        b = EmptyPropertyBlock;
        b.LateralAirOn = lateralAir;
    }
    return r;
}

void StartPropertyBlock(Protocol& protocol, int property, bool lateralAirOn, double now)
{
    PropertyBlock* b = BlockOf(protocol, property);
    if (!b)
        return;
    const int16_t type = PropertyTestType(protocol, property);
    b->Values.assign(1, EmptyTestValue);
    b->Header = type == 0 ? std::string() : protocol.Style.Tests[static_cast<size_t>(type)].HeaderImage;
    // Only the property with the lateral-air correction takes the choice: a
    // block marked so is left out of reports and exports.
    b->LateralAirOn = lateralAirOn && type == LateralAirTestType;
    // A value kept from lateral-air tests goes on being subtracted.
    if (!IsPresentValue(b->LateralAir))
        b->LateralAir = NoValue;
    b->Commentary.clear();
    b->Stats = EmptyStatistics;
    b->StartDate = now;
    b->LastTestDate = b->StartDate;
    b->Terminated = false;
}

void ToggleTerminated(Protocol& protocol, int property, double now)
{
    PropertyBlock* b = BlockOf(protocol, property);
    if (!b)
        return;
    b->Terminated = !b->Terminated;
    b->LastTestDate = now;
    protocol.LastTestDate = b->LastTestDate;
    if (!b->Terminated || PropertyTestType(protocol, property) != PressureDropTestType
        || !BlockHoldsTest(*b) || pdrIsLastTestComplete(*b))
        return;
    b->Values.pop_back();
    if (b->Header.size() >= Result2UnitPosition)
        b->Header[Result2UnitPosition - 1] = ' ';
    b->Stats = CalcMeanSdCvCi(b->Values);
}

void EndLateralAir(Protocol& protocol, int property, double now)
{
    PropertyBlock* b = BlockOf(protocol, property);
    if (!b)
        return;
    const int16_t type = PropertyTestType(protocol, property);
    b->LateralAir = IsPresentValue(b->Stats.Mean1) ? b->Stats.Mean1 : NoValue;
    b->Values.assign(1, EmptyTestValue);
    b->LateralAirOn = false;
    // The parameters the series was measured with, whatever became of the
    // stored style since.
    b->Header = type == 0 ? std::string() : protocol.Style.Tests[static_cast<size_t>(type)].HeaderImage;
    b->Commentary.clear();
    b->Stats = EmptyStatistics;
    b->LastTestDate = now;
    b->Terminated = false;
}

void RemoveSeries(std::vector<Protocol>& protocols, int index, int16_t& current)
{
    if (index < 1 || static_cast<size_t>(index) >= protocols.size())
        return;
    protocols.erase(protocols.begin() + index);
    if (current > index)
        --current;
    const int upper = static_cast<int>(protocols.size()) - 1;
    if (current > upper)
        current = static_cast<int16_t>(upper);
}
