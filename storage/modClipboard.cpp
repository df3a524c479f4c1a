#include "storage/modClipboard.h"

#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modInstrument.h"
#include "foundation/modMainTexts.h"
#include "foundation/modRecords.h"
#include "instrument/modDataString.h"
#include "instrument/modPropertyText.h"
#include "instrument/modStatistic.h"
#include "platform/Conversions.h"
#include "platform/Cp1252.h"
#include "platform/Installation.h"
#include "storage/modTestReport.h"

#include <QClipboard>
#include <QGuiApplication>


namespace {

const QString CrLf = QStringLiteral("\r\n");
const QChar Tab = u'\t';
constexpr int LeftAligned = 0;
constexpr int16_t AirbagInstrumentCode = 12;   // the KR 6450 measures the airbag curves
constexpr int16_t KR6100III = 6;

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// A caption of the main window in the current language.
QString Caption(const char* control, int index = -1)
{
    return MainCaption(QString::fromLatin1(control), index, Language);
}

const PropertyBlock& BlockOf(const Protocol& protocol, int property)
{
    static const PropertyBlock none = MakeEmptyPropertyBlock();
    if (property < 1 || property > PropertyCount)
        return none;
    return protocol.Blocks[static_cast<size_t>(property)];
}

// The nominal values and limits the style prescribes for the test type, not
// a band derived from the mean.
TestDefinition DefinitionOf(const Protocol& protocol, int16_t testType)
{
    if (testType < 1 || testType > TestTypeCount)
        return MakeBlankTestDefinition();
    return PrescribedDefinition(protocol.Style.Tests[static_cast<size_t>(testType)]);
}

// "0.0" of a percentage, a TAB and "%"; empty for NoValue.
QString PercentText(float value)
{
    if (!IsPresentValue(value))
        return QString();
    return Format(static_cast<double>(value), QStringLiteral("0.0")) + Tab + u'%';
}

// Value, TAB, unit, TAB, limit sign of one result; only two TABs when the
// value is missing.
QString ValueCells(float value, const QString& unit, const TestDefinition& definition, int result)
{
    if (!IsPresentValue(value))
        return QString(Tab) + Tab;
    return clpNumber(value) + Tab + unit + Tab + LimitSign(value, definition, result);
}

// The result-2 part of the mean, minimum and maximum lines.
QString SecondValueCells(float value, const QString& unit, const TestDefinition& definition)
{
    QString text(Tab);
    if (IsPresentValue(value))
        text += clpNumber(value) + Tab + unit;
    return text + Tab + LimitSign(value, definition, 2);
}

// The nominal value and limits: value and unit, or an empty pair.
QString SetValueCells(float value, const QString& unit)
{
    if (!IsPresentValue(value))
        return QString(Tab);
    return clpNumber(value) + Tab + unit;
}

QString SecondSetValueCells(float value, const QString& unit)
{
    QString text = QString(Tab) + Tab;
    if (IsPresentValue(value))
        text += clpNumber(value) + Tab + unit;
    return text;
}

} // namespace

ClipboardTexts clpSetTexts(int16_t language)
{
    static const char* const titles[5] = { "Prüfprotokoll", "Test Report", "Protocole d'essai",
                                           "Protocollo di prova", "Informe del ensayo" };
    static const char* const deleted[5] = { "««« gelöscht", "««« deleted", "««« annulée",
                                            "««« annullato", "««« cancelado" };
    static const char* const longTerm[5] = { "Langzeitstatistik", "Long term analysis",
                                             "Évaluation de longue durée",
                                             "Valutazione di lunga durata",
                                             "Evaluación de larga duración" };
    static const char* const curveWord[5] = { "Kurvenanalyse", "Curve analysis", "", "", "" };

    ClipboardTexts texts;
    if (language >= 1 && language <= 5) {
        const int i = language - 1;
        texts.ReportTitle = U(titles[i]);
        texts.DeletedMark = U(deleted[i]);
        texts.LongTermTitle = U(longTerm[i]);
        texts.CurveTitleWord = U(curveWord[i]);
    } else {
        texts.DeletedMark = U("««« ");
    }
    texts.CurveTitle = ModelLongNameOf(AirbagInstrumentCode) + u' ' + texts.CurveTitleWord;
    return texts;
}

void clpPutText(const QString& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return;
    clipboard->clear();
    clipboard->setText(text);
}

QString clpRule(char ruleCharacter)
{
    return QString(65, QLatin1Char(ruleCharacter)) + CrLf;
}

QString clpLabelCell(const QString& label)
{
    return PadText(label, 20, LeftAligned) + Tab;
}

QString clpNumber(float value)
{
    // An unset value is shown as an empty cell, not as the marker's
    // magnitude; so is a NaN or infinity from a damaged file.
    if (!IsPresentValue(value))
        return QString();
    return FormatNumberText(value, 3);
}

QString clpDateTime(double date)
{
    return FormatDateText(date, DateFormat) + QStringLiteral(", ") + FormatTimeText(date, true);
}

int16_t clpTestType(const Protocol& protocol, int property)
{
    const int form = protocol.FormIndex;
    if (form < 1 || form > StyleFormCount || property < 1 || property > ReportFormItemCount)
        return 0;
    return protocol.Style.Forms[static_cast<size_t>(form)].Items[static_cast<size_t>(property)].Property;
}

bool clpTwoResults(int16_t testType)
{
    if (ResultCountByTestType(testType) > 1)
        return true;
    return (testType == 11 || testType == 12) && IsInVariantArray(KR6100III, PortDevice);
}

QString clpTitleLines()
{
    return InstallationCustomer() + CrLf + clpRule('-');
}

QString clpLine(const QString& text)
{
    return text + CrLf + CrLf;
}

QString clpStyleBlock(const Protocol& protocol)
{
    QString text = clpLabelCell(Caption("lblStyle")) + protocol.Style.Name + CrLf;
    text += clpLabelCell(GetReferenceTitle(2, Language)) + protocol.Reference2 + CrLf;
    text += clpLabelCell(GetReferenceTitle(3, Language)) + protocol.Reference3 + CrLf;
    text += clpLabelCell(GetReferenceTitle(4, Language)) + protocol.Reference4 + CrLf;
    text += CrLf;
    text += clpLabelCell(Caption("lblDateTime")) + clpDateTime(protocol.Date) + QStringLiteral(" - ")
        + clpDateTime(protocol.LastTestDate) + CrLf;
    text += clpLabelCell(Caption("lblOperator")) + protocol.Operator + CrLf;
    return text + clpRule('=');
}

QString clpParameterLine(const Protocol& protocol, int property)
{
    return PropertyName(clpTestType(protocol, property), Language) + CrLf + CrLf;
}

QString clpInfoBlock(const Protocol& protocol, int property)
{
    const int16_t testType = clpTestType(protocol, property);
    const PropertyBlock& block = BlockOf(protocol, property);
    const DataStringRecord header = ParseDataString(block.Header);
    const QString parameters[5] = { QString(), header.Parameter1, header.Parameter2,
                                    header.Parameter3, header.Parameter4 };
    const QString units[5] = { QString(), header.Parameter1Unit, header.Parameter2Unit,
                               header.Parameter3Unit, header.Parameter4Unit };

    QString text;
    for (int16_t k = 1; k <= 4; ++k) {
        const QString name = ParameterNames(testType, k, Language);
        if (name.isEmpty())
            continue;
        text += clpLabelCell(name + u':') + parameters[k] + u' ' + units[k] + CrLf;
    }
    text += CrLf;
    text += clpLabelCell(Caption("lblDateTime")) + clpDateTime(block.StartDate) + QStringLiteral(" - ")
        + clpDateTime(block.LastTestDate) + CrLf;
    text += clpLabelCell(Caption("lblInstrument")) + ModelLongNameOf(header.InstrumentCode);
    if (!header.SerialNumber.isEmpty())
        text += QStringLiteral(", ") + Caption("lblSerialNumber") + u' ' + header.SerialNumber;
    text += CrLf;
    return text + clpRule('-');
}

QString clpSingleValues(const Protocol& protocol, int property)
{
    const int16_t testType = clpTestType(protocol, property);
    const PropertyBlock& block = BlockOf(protocol, property);
    const TestDefinition definition = DefinitionOf(protocol, testType);
    const bool two = clpTwoResults(testType);
    const QString deletedMark = PadText(clpSetTexts(Language).DeletedMark, 15, LeftAligned);

    QString text = Tab + ResultLabels(testType, 1, Language) + Tab + Tab
        + ResultLabels(testType, 2, Language) + CrLf;
    text += clpRule('-');

    int number = 0;
    for (size_t i = 1; i < block.Values.size(); ++i) {
        const TestValue& test = block.Values[i];
        ++number;
        QString line = PadText(QString::number(number), 3, LeftAligned) + Tab;
        if (test.Unit1 == PassFailUnitCode)
            line += PassFailText(test.Value1, Language) + Tab + Tab;
        else
            line += clpNumber(test.Value1) + Tab + UnitText(test.Unit1, Language) + Tab
                + LimitSign(test.Value1, definition, 1);
        if (two && IsPresentValue(test.Value2))
            line += Tab + clpNumber(test.Value2) + Tab + UnitText(test.Unit2, Language) + Tab
                + LimitSign(test.Value2, definition, 2);
        line += Tab;
        if (test.Warning != 0)
            line += Cp1252ToChar(static_cast<unsigned char>(test.Warning));
        line += Tab + (test.Deleted ? deletedMark : QString(15, u' '));
        line += Tab + test.Commentary + CrLf;
        text += line;
        // A deleted test gives its number to the test after it.
        if (test.Deleted)
            --number;
    }

    text += CrLf;
    text += clpLabelCell(Caption("tabDisplay", 1) + u':') + block.Commentary + CrLf;
    return text + clpRule('-');
}

QString clpStatistics(const Protocol& protocol, int property)
{
    const int16_t testType = clpTestType(protocol, property);
    const PropertyBlock& block = BlockOf(protocol, property);
    const Statistics& stats = block.Stats;
    const TestDefinition definition = DefinitionOf(protocol, testType);
    const bool two = clpTwoResults(testType);
    const DataStringRecord header = ParseDataString(block.Header);
    const QString unit1 = header.ResultUnit;
    const QString unit2 = header.Result2Unit;
    const QString percent = UnitText("n", Language);
    const bool passFail = unit1 == UnitText(PassFailUnitCode, Language);

    QString text = clpLabelCell(Caption("lblAvg"));
    if (passFail)
        text += clpNumber(IsPresentValue(stats.Mean1) ? stats.Mean1 * 100 : NoValue) + Tab + percent + Tab;
    else
        text += clpNumber(stats.Mean1) + Tab + unit1 + Tab + LimitSign(stats.Mean1, definition, 1);
    if (two)
        text += SecondValueCells(stats.Mean2, unit2, definition);
    text += CrLf;

    text += clpLabelCell(Caption("lblMin")) + ValueCells(stats.Min1, unit1, definition, 1);
    if (two)
        text += SecondValueCells(stats.Min2, unit2, definition);
    text += CrLf;
    text += clpLabelCell(Caption("lblMax")) + ValueCells(stats.Max1, unit1, definition, 1);
    if (two)
        text += SecondValueCells(stats.Max2, unit2, definition);
    text += CrLf;

    text += clpLabelCell(Caption("lblCV")) + PadText(PercentText(stats.CV1), 20, LeftAligned);
    if (two)
        text += QString(Tab) + Tab + PercentText(stats.CV2);
    text += CrLf;
    text += clpLabelCell(Caption("lblCI")) + PadText(PercentText(stats.CI1), 20, LeftAligned);
    if (two)
        text += QString(Tab) + Tab + PercentText(stats.CI2);
    text += CrLf;
    text += CrLf;

    text += clpLabelCell(Caption("lblNominal"))
        + SetValueCells(definition.Nominal1, passFail ? percent : unit1);
    if (two)
        text += SecondSetValueCells(definition.Nominal2, unit2);
    text += CrLf;
    text += clpLabelCell(Caption("lblLLimit")) + SetValueCells(definition.Lower1, unit1);
    if (two)
        text += SecondSetValueCells(definition.Lower2, unit2);
    text += CrLf;
    text += clpLabelCell(Caption("lblULimit")) + SetValueCells(definition.Upper1, unit1);
    if (two)
        text += SecondSetValueCells(definition.Upper2, unit2);
    text += CrLf;

    text += clpLabelCell(Caption("lblTest")) + QString::number(definition.TestCount) + CrLf;
    text += clpLabelCell(Caption("lblNominalCI")) + PercentText(definition.CI1);
    if (two)
        text += QString(Tab) + Tab + PercentText(definition.CI2);
    text += CrLf;
    return text + clpRule('=');
}

QString clpTestReportText(const Protocol& protocol)
{
    const int p = protocol.CurrentProperty;
    const ClipboardTexts texts = clpSetTexts(Language);
    QString text = clpRule('=') + clpTitleLines();
    text += clpLine(texts.ReportTitle + QStringLiteral(" (") + dskStyleFolderName(protocol.Style.Name)
                    + u')');
    text += clpStyleBlock(protocol);
    text += clpParameterLine(protocol, p);
    text += clpInfoBlock(protocol, p);
    text += clpSingleValues(protocol, p);
    text += clpStatistics(protocol, p);
    return text;
}

void clpCopyTestReport(const Protocol& protocol)
{
    clpPutText(clpTestReportText(protocol));
}
