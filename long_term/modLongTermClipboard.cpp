#include "long_term/modLongTermClipboard.h"

#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "instrument/modDataString.h"
#include "instrument/modPropertyText.h"
#include "long_term/LongTermChart.h"
#include "long_term/modLongTermReport.h"
#include "storage/modClipboard.h"

namespace {

const QString CrLf = QStringLiteral("\r\n");
const QChar Tab = u'\t';


// A value and its unit, or two empty cells.
QString ValueAndUnit(float value, const QString& unit)
{
    if (!IsPresentValue(value))
        return QString(Tab);
    return clpNumber(value) + Tab + unit;
}

} // namespace

Protocol clpLongTermRecord(const LongTermAnalysis& analysis)
{
    return LongTermReportRecord(analysis);
}

QString clpLongTermValues(const LongTermAnalysis& analysis)
{
    if (!HasLongTermHits(analysis))
        return clpRule('-');
    const DataStringRecord image = ParseDataString(analysis.Definition.HeaderImage);
    const bool passFail = IsPassFailResult(analysis.Definition, 1);
    const QString unit1 = passFail ? UnitText("n", Language) : image.ResultUnit;
    const QString unit2 = image.Result2Unit;

    QString text;
    for (size_t i = 1; i < analysis.Found.size(); ++i) {
        const FoundProtocol& hit = analysis.Found[i];
        const LongTermMark first = LongTermMarkOf(hit, 1, passFail);
        if (!first.Shown)
            continue;
        text += ValueAndUnit(first.Mean, unit1) + Tab + ValueAndUnit(first.Min, unit1) + Tab
            + ValueAndUnit(first.Max, unit1);
        const LongTermMark second = LongTermMarkOf(hit, 2, false);
        if (IsPresentValue(second.Mean) && IsPresentValue(second.Min) && IsPresentValue(second.Max))
            text += Tab + ValueAndUnit(second.Mean, unit2) + Tab + ValueAndUnit(second.Min, unit2) + Tab
                + ValueAndUnit(second.Max, unit2);
        text += CrLf;
    }
    return text + clpRule('-');
}

QString clpLongTermAnalysisText(const LongTermAnalysis& analysis)
{
    const ClipboardTexts texts = clpSetTexts(Language);
    const Protocol record = clpLongTermRecord(analysis);
    QString text = clpRule('=') + clpTitleLines();
    text += clpLine(texts.LongTermTitle);
    text += clpStyleBlock(record);
    text += clpParameterLine(record, 1);
    text += clpInfoBlock(record, 1);
    text += clpLongTermValues(analysis);
    text += clpStatistics(record, 1);
    return text;
}

void clpCopyLongTermAnalysis(const LongTermAnalysis& analysis)
{
    clpPutText(clpLongTermAnalysisText(analysis));
}
