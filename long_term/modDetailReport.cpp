#include "long_term/modDetailReport.h"

#include "platform/ErrorCodes.h"

#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modLog.h"
#include "foundation/modMessage.h"
#include "instrument/modStatistic.h"
#include "platform/Cp1252.h"
#include "platform/Paths.h"
#include "storage/modDisk.h"

namespace {

constexpr int16_t MsgWriteFailed = 31;

bool IsCurveFileName(const QString& name)
{
    return IsBareStoredName(name) && HasExtension(name, QStringLiteral("ABT")) && !IsProgramOwnFileName(name);
}

void LogBadName(const QString& name, const QString& procedure)
{
    WriteLog(ClassicError::BadFileName, QStringLiteral("Bad file name: ") + name, procedure);
}

} // namespace

bool RewriteStoredReport(const QString& path, const Protocol& report, const QByteArray& openedChecksum,
                         bool& changedElsewhere)
{
    changedElsewhere = false;
    // What the write may replace: the file as read, or as the operator was
    // told of it and answered Yes.
    StoredReportNow agreed{StoredReportNow::Holds, openedChecksum};
    for (;;) {
        const StoredReportNow now = dskStoredReportNow(DataFolder, path);
        if (now.State != StoredReportNow::Unreadable && !(now == agreed)) {
            changedElsewhere = true;
            if (ShowMessage(MsgReportChangedElsewhere) != AnswerYes)
                return false;
            agreed = now;
            continue;
        }
        // Never the program folder in place of a data folder that is gone.
        if (now.State != StoredReportNow::Unreadable
            && dskRewriteTestReport(DataFolder, path, report, now.State == StoredReportNow::Holds))
            return true;
        // A name another seat took since: asked about above.
        const StoredReportNow after = dskStoredReportNow(DataFolder, path);
        if (after.State != StoredReportNow::Unreadable && !(after == agreed))
            continue;
        if (ShowMessage(MsgWriteFailed) != AnswerYes)
            return false;
    }
}

bool DeleteStoredReport(const Protocol& report, const QString& path, const QByteArray& openedChecksum,
                        bool& keptChanged)
{
    // The deletion goes by what the window shows: a report changed since
    // is not deleted unseen. One deleted since is what was asked for.
    keptChanged = false;
    const StoredReportNow now = dskStoredReportNow(DataFolder, path);
    if (now.State == StoredReportNow::Holds && now.Checksum != openedChecksum
        && ShowMessage(MsgReportChangedElsewhere) != AnswerYes) {
        keptChanged = true;
        return false;
    }
    dskDeleteFiles(DataFolder, {path});
    if (dskFileExists(DataFolder, path)) {
        ShowMessage(MsgReportNotDeleted);
        return false;
    }
    const QStringList curves = DeletableCurveFiles(report);
    if (!curves.isEmpty())
        dskDeleteFiles(DataFolder, curves);
    return true;
}

QStringList DeletableCurveFiles(const Protocol& report)
{
    QStringList names;
    for (const QString& name : dskCurveFileNames(report)) {
        if (IsCurveFileName(name))
            names.append(name);
        else
            LogBadName(name, QStringLiteral("cmdDelete_Click"));
    }
    return names;
}

QString CurveFileOfTest(const Protocol& report, int testIndex)
{
    const int b = report.CurrentProperty;
    if (b < 1 || b > PropertyCount)
        return QString();
    const std::vector<TestValue>& values = report.Blocks[static_cast<size_t>(b)].Values;
    if (testIndex < 1 || testIndex >= static_cast<int>(values.size()))
        return QString();
    const QString name = FromCp1252(values[static_cast<size_t>(testIndex)].CurveFile);
    if (name.isEmpty())
        return name;
    if (!IsCurveFileName(name)) {
        LogBadName(name, QStringLiteral("grdResult_DblClick"));
        return QString();
    }
    return name;
}

Protocol CurrentStyleCopy(const Protocol& report)
{
    Protocol copy = report;
    const int s = FindStyleIndex(report.Style.Name, Styles);
    if (s < 1 || report.FormIndex < 1 || report.FormIndex > StyleFormCount)
        return copy;
    const Style& present = Styles[static_cast<size_t>(s)];
    for (int p = 1; p <= PropertyCount; ++p) {
        const int16_t t = copy.Style.Forms[static_cast<size_t>(copy.FormIndex)].Items[static_cast<size_t>(p)].Property;
        if (t < 1 || t > TestTypeCount)
            continue;
        TestDefinition& definition = copy.Style.Tests[static_cast<size_t>(t)];
        definition = present.Tests[static_cast<size_t>(t)];
        DefaultLimitsFromMean(copy.Blocks[static_cast<size_t>(p)].Stats, definition);
    }
    return copy;
}
