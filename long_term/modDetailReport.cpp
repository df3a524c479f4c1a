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

#include <QFileInfo>

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

bool RewriteStoredReport(const QString& path, const Protocol& report)
{
    for (;;) {
        bool written = false;
        // Never the program folder in place of a data folder that is gone.
        const QString file = IsExistingFolder(DataFolder) ? StoredNamePath(DataFolder, path, true) : QString();
        if (!file.isEmpty()) {
            if (QFileInfo::exists(file))
                SetAttr(file, AttrNormal);
            written = dskPutTestReportAction(DataFolder, path, report, false);
            if (QFileInfo::exists(file))
                SetAttr(file, AttrReadOnly + AttrArchive);
        }
        if (written)
            return true;
        if (ShowMessage(MsgWriteFailed) != AnswerYes)
            return false;
    }
}

bool DeleteStoredReport(const Protocol& report, const QString& path)
{
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
