#include "main_window/modMeasure.h"

#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modInstrument.h"
#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "instrument/modCommunication.h"
#include "instrument/modDataString.h"
#include "platform/Cp1252.h"
#include "platform/Text.h"

namespace {

constexpr int PressureDropTestType = 17;
constexpr int KeyboardWidth = 6;
// The one model whose parameter 3 and 4 hold its measuring range together.
constexpr int16_t RangeModel = 8;
constexpr int MostTests = 999;
// Results must lie in this range, compared as singles.
constexpr float LowestResult = 0.0001f;
constexpr float HighestResult = 999999.0f;

bool InRange(float x)
{
    return IsBetween(static_cast<double>(x), static_cast<double>(LowestResult), static_cast<double>(HighestResult));
}

QString Hex(const std::string& bytes)
{
    return QString::fromStdString(commHexText(bytes));
}

// Message 24 refuses the parameter for these test types; elsewhere 25 asks.
bool ParameterRefuses(int parameter, int t)
{
    switch (parameter) {
    case 1:
        return IsInVariantArray(t, {10, 11, 13, 14, 15, 16, 17});
    case 2:
        return IsInVariantArray(t, {10, 11, 12, 13, 17});
    case 3:
        return IsInVariantArray(t, {13, 18});
    default:
        return IsInVariantArray(t, {13, 17});
    }
}

QString WithUnit(const QString& value, const QString& unit)
{
    return value + QStringLiteral(" ") + unit;
}

QString ParameterText(const DataStringRecord& r, int parameter)
{
    switch (parameter) {
    case 1:
        return WithUnit(r.Parameter1, r.Parameter1Unit);
    case 2:
        return WithUnit(r.Parameter2, r.Parameter2Unit);
    case 3:
        return WithUnit(r.Parameter3, r.Parameter3Unit);
    default:
        return WithUnit(r.Parameter4, r.Parameter4Unit);
    }
}

bool Present(float value)
{
    return IsPresentValue(value);
}

} // namespace

std::string KeyboardReply(const QString& typed)
{
    QString value = Trim(typed);
    if (value.isEmpty())
        return std::string();
    value.replace(u',', u'.');
    return RS + "00" + PadText(value.toStdString(), KeyboardWidth) + CR + LF;
}

std::string SwitchBoxChannel(int slot)
{
    return std::to_string(5 - slot);
}

ReplyCheck CheckReply(const std::string& received, int16_t length, int16_t code, int testType,
                      const std::string& expected)
{
    ReplyCheck check;
    std::string s = received;
    // This model still answers with the device code of its predecessor.
    if (code == 11 && s.size() >= 3)
        s = s.substr(0, 1) + "65" + s.substr(3);

    const std::size_t n = length > 0 ? static_cast<std::size_t>(length) : 0;
    if (s.size() < n || s.size() > 2 * n || s.empty()) {
        check.Message = s.empty() ? 15 : 14;
        if (!s.empty())
            check.Argument = QStringLiteral("E3: Data string too short: ") + Hex(s);
        return check;
    }

    const std::string converted = ConvertOldDataString(s, expected);
    if (!IsValidDataString(converted)) {
        check.Message = 14;
        // What could not be converted is shown as it came.
        check.Argument = QStringLiteral("E2: Checksum error: ") + Hex(converted.empty() ? s : converted);
        return check;
    }
    s = converted;

    if (code == 16) {
        for (std::size_t at = s.find("KR 6400"); at != std::string::npos; at = s.find("KR 6400", at + 7))
            s.replace(at, 7, "KR 6404");
    }

    check.Text = s;
    check.Record = ParseDataString(s);
    if (check.Record.InstrumentCode != code) {
        check.Message = 19;
        return check;
    }
    if (!Trim(check.Record.WarningSign).isEmpty() && IsInVariantArray(code, {2, 15})) {
        check.Message = 14;
        check.Argument = QStringLiteral("E1: Warning signal received");
        return check;
    }
    if (testType != PressureDropTestType && check.Record.AlreadyTransmitted)
        check.Message = 16;
    return check;
}

bool ValuesInRange(const DataStringRecord& rec, float lateralAir)
{
    bool ok1 = true;
    if (rec.Result != NoValue && rec.ResultUnit != UnitText(PassFailUnitCode, Language)) {
        ok1 = InRange(rec.Result);
        if (lateralAir != NoValue)
            ok1 = ok1 && InRange(rec.Result - lateralAir);
    }
    const bool ok2 = rec.Result2 != NoValue ? InRange(rec.Result2) : true;
    return ok1 && ok2;
}

TestValue NewTestEntry(const DataStringRecord& rec, float lateralAir, const std::string& curve, double now,
                       const QString& k0006, const QString& k0016, const QString& k0053)
{
    TestValue test = EmptyTestValue;
    // A missing result stays missing: nothing is taken off it.
    test.Value1 = Present(lateralAir) && Present(rec.Result) ? rec.Result - lateralAir : rec.Result;
    test.Unit1 = UnitCode(rec.ResultUnit, Language);
    test.Value2 = rec.Result2;
    test.Unit2 = UnitCode(rec.Result2Unit, Language);
    const std::string warning = ToCp1252(rec.WarningSign);
    test.Warning = warning.empty() ? ' ' : warning[0];
    test.Commentary.clear();
    test.Deleted = false;
    test.DataString = rec.Text;
    test.CurveFile = curve;
    test.TestTime = now;
    test.K0006 = Trim(k0006);
    test.K0016 = Trim(k0016);
    test.K0053 = Trim(k0053);
    return test;
}

DeviationQuestion DataStringQuestion(int field, int testType, const DataStringRecord& received,
                                     const DataStringRecord& expected, const std::array<QString, 5>& labels)
{
    DeviationQuestion q;
    switch (field) {
    case FieldIdentifier:
        q.Message = 20;
        q.B = ModelLongNameOf(received.InstrumentCode);
        q.C = ModelLongNameOf(expected.InstrumentCode);
        break;
    case FieldSerialNumber:
        q.Message = 23;
        q.B = received.SerialNumber;
        q.C = expected.SerialNumber;
        break;
    case FieldCodeLetter:
        q.Message = 21;
        break;
    case FieldResultUnit:
        q.Message = 22;
        q.B = received.ResultUnit;
        q.C = expected.ResultUnit;
        break;
    case FieldResult2Unit:
        q.Message = 22;
        q.B = received.Result2Unit;
        q.C = expected.Result2Unit;
        break;
    default:
        if (field < FieldParameter1 || field > FieldParameter4Unit)
            break;
        {
            // Fields 4 and 5 are parameter 1 and its unit, and so on.
            const int parameter = (field - FieldParameter1) / 2 + 1;
            q.Message = ParameterRefuses(parameter, testType) ? 24 : 25;
            q.A = labels[static_cast<std::size_t>(parameter)];
            q.B = ParameterText(received, parameter);
            q.C = ParameterText(expected, parameter);
        }
        break;
    }
    return q;
}

bool AskDataStringMessage(std::string& header, int field, int16_t message, const QString& a, const QString& b,
                          const QString& c)
{
    const int16_t answer = ShowMessage(message, {a, b, c});
    if ((message != 23 && message != 25) || answer != AnswerYes)
        return false;
    const bool range = DataStringInstrumentCode(header) == RangeModel && field == FieldParameter3;
    header = SetDataStringField(header, static_cast<int16_t>(field), QString());
    if (range)
        header = SetDataStringField(header, FieldParameter4, QString());
    return true;
}

bool CheckDataStringValues(const std::string& s, std::string& header, int testType,
                           const std::array<QString, 5>& labels)
{
    const std::array<int16_t, 14> fields = CompareDataStringParameters(s, header);
    const DataStringRecord received = ParseDataString(s);
    const DataStringRecord expected = ParseDataString(header);
    bool ok = true;
    for (std::size_t i = 0; i < fields.size() && ok; ++i) {
        const int field = fields[i];
        if (field == 0)
            continue;
        const DeviationQuestion q = DataStringQuestion(field, testType, received, expected, labels);
        if (q.Message == 0)
            continue;
        ok = AskDataStringMessage(header, field, q.Message, q.A, q.B, q.C);
    }
    return ok;
}

bool CheckProtocolComplete(const Statistics& stats, const TestDefinition& definition, bool& testCountAsked,
                           bool& confidenceAsked)
{
    const int c = stats.Count;
    if (c <= 1) {
        testCountAsked = false;
        confidenceAsked = false;
    }
    if (c >= MostTests)
        return true;
    bool terminate = false;
    // A definition without a preset number asks for the most a block takes.
    if (c >= EffectiveTestCount(definition) && !testCountAsked) {
        terminate = ShowMessage(36) == AnswerYes;
        testCountAsked = true;
    }
    // An interval that is missing on either side reaches nothing.
    auto reached = [](float interval, float preset) {
        return Present(interval) && Present(preset) && interval < preset;
    };
    if (!terminate && c > 2 && (reached(stats.CI1, definition.CI1) || reached(stats.CI2, definition.CI2))
        && !confidenceAsked) {
        terminate = ShowMessage(37) == AnswerYes;
        confidenceAsked = true;
    }
    return terminate;
}
