#include "curves/modABTCurveClipboard.h"

#include "curves/modABTCurve.h"
#include "curves/modABTCurveTexts.h"
#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "instrument/modDataString.h"
#include "storage/modClipboard.h"

#include <QStringList>

#include <algorithm>

namespace {

const QString CrLf = QStringLiteral("\r\n");
const QChar Tab = u'\t';

} // namespace

QString clpCurveValues(const Protocol& /*protocol*/, int /*property*/, const ABTCurve& curve,
                       const AbtEvaluation& evaluation, const AbtOptions& options, int page, float thickness)
{
    constexpr int LastLine = 499;
    constexpr int LastSample = 500;
    QString text;
    auto cells = [](const QStringList& list) { return list.join(Tab) + CrLf; };
    auto tenth = [](float v) { return IsPresentValue(v) ? clpNumber(v / 10.0f) : QString(); };
    auto times10 = [](float v) { return IsPresentValue(v) ? clpNumber(v * 10.0f) : QString(); };
    const QString t = QStringLiteral("t [ms]");
    const QString p2Heading = QStringLiteral("p2 [kPa]");
    const QString sHeading = QStringLiteral("s [mm]");
    // Stress needs a thickness; without one it is missing, not a failure.
    const bool haveThickness = IsPresentValue(thickness) && thickness > 0;
    // The samples the window draws on the flow pages.
    const int n = std::clamp<int>(options.Smoothing, 0, 250);

    QStringList heading;
    switch (page) {
    case 0: heading = {t, QStringLiteral("p1 [kPa]"), p2Heading, sHeading}; break;
    case 1: heading = {t, p2Heading, sHeading}; break;
    case 2: heading = {t, QStringLiteral("Epsilon [%]"), QStringLiteral("Sigma [MPa]")}; break;
    case 3:
    case 4: heading = {t, p2Heading, QStringLiteral("v [mm/s]")}; break;
    default: break;
    }
    if (!heading.isEmpty()) {
        text += cells(heading) + clpRule('.');
        for (int i = 0; i <= LastLine; ++i) {
            QStringList line{QString::number(i)};
            switch (page) {
            case 0: line << tenth(curve.P1[i]) << tenth(curve.P2[i]) << times10(curve.S[i]); break;
            case 1: line << tenth(curve.P2[i]) << times10(curve.S[i]); break;
            case 2:
                line << clpNumber(abtBiaxialEpsilon(curve.S[i]))
                     << (haveThickness ? clpNumber(abtBiaxialSigma(curve.P2[i], thickness, curve.S[i])) : QString());
                break;
            default: {
                const bool drawn = i > 0 && i >= n && i <= LastSample - n;
                line << tenth(curve.P2[i]) << (drawn ? clpNumber(evaluation.SmoothedFlow[i]) : QString());
                break;
            }
            }
            text += cells(line);
        }
    }

    const auto title = [](int entry) { return clpLabelCell(AbtCurveTextOf(entry, Language)); };
    const QString ms = UnitText("_", Language);
    text += clpRule('-');
    text += title(AbtTextMaxPressure) + tenth(evaluation.PeakPressure) + Tab + UnitText("A", Language) + CrLf;
    text += title(AbtTextRiseTime) + QString::number(evaluation.PeakIndex - evaluation.StartIndex) + Tab + ms + CrLf;
    text += title(AbtTextFallTime)
        + (evaluation.FallTime == IntegerNoValue ? QStringLiteral(">500") : QString::number(evaluation.FallTime))
        + Tab + ms + CrLf;
    text += CrLf;
    text += title(AbtTextADAP);
    if (IsPresentValue(evaluation.ADAP))
        text += clpNumber(evaluation.ADAP) + Tab + UnitText("H", Language);
    text += CrLf;
    text += title(AbtTextExponent) + clpNumber(evaluation.Exponent) + CrLf;
    return text + clpRule('-');
}

QString clpCurveAnalysisText(const Protocol& protocol, const ABTCurve& curve, const AbtEvaluation& evaluation,
                             const AbtOptions& options, int page, float thickness)
{
    const int p = protocol.CurrentProperty;
    QString text = clpRule('=') + clpTitleLines();
    text += clpLine(clpSetTexts(Language).CurveTitle);
    text += clpStyleBlock(protocol);
    text += clpParameterLine(protocol, p);
    text += clpInfoBlock(protocol, p);
    text += clpCurveValues(protocol, p, curve, evaluation, options, page, thickness);
    text += clpStatistics(protocol, p);
    return text;
}

void clpCopyCurveAnalysis(const Protocol& protocol, const ABTCurve& curve, const AbtEvaluation& evaluation,
                          const AbtOptions& options, int page, float thickness)
{
    clpPutText(clpCurveAnalysisText(protocol, curve, evaluation, options, page, thickness));
}
