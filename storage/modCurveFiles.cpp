#include "storage/modCurveFiles.h"

#include "foundation/modLog.h"
#include "platform/Cp1252.h"
#include "platform/ErrorCodes.h"
#include "platform/OleDate.h"
#include "platform/Paths.h"
#include "platform/SafeFile.h"
#include "storage/modDisk.h"
#include "storage/modTestReport.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <map>
#include <optional>

#include <sys/stat.h>

namespace {

const QString CurveExtension = QStringLiteral("ABT");
// As the curve writer: a name taken moves on one second, up to an hour.
constexpr int MaxStampMoves = 3600;

// The date and time a curve's name was made from ("2024.01.05, 13.07.09.ABT");
// nothing for a name of another form.
std::optional<double> DateOfCurveName(const QString& name)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{4})\\.(\\d{2})\\.(\\d{2}), (\\d{2})\\.(\\d{2})\\.(\\d{2})\\.abt$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(name);
    if (!match.hasMatch())
        return std::nullopt;
    auto part = [&](int n) { return match.captured(n).toInt(); };
    if (part(2) < 1 || part(2) > 12 || part(3) < 1 || part(3) > 31 || part(4) > 23 || part(5) > 59 || part(6) > 59)
        return std::nullopt;
    const double day = DateSerial(part(1), part(2), part(3));
    return day + TimeSerial(part(4), part(5), part(6));
}

// A name no entry of the folder has in any case and no other copy takes.
bool IsFreeIn(const QString& folder, const QString& name, const QSet<QString>& chosen)
{
    return !chosen.contains(dskNameKey(name)) && dskNamesInAnyCase(folder, name).isEmpty();
}

// The name the curve takes in the folder: its own where free, else the next
// free second after its own date (after now for a name of another form).
QString FreeCurveName(const QString& folder, const QString& name, const QSet<QString>& chosen)
{
    if (IsFreeIn(folder, name, chosen))
        return name;
    const double date = DateOfCurveName(name).value_or(Now());
    for (int move = 1; move <= MaxStampMoves; ++move) {
        const QString candidate = dskFileNameFromDate(date + move / 86400.0, CurveExtension);
        if (IsFreeIn(folder, candidate, chosen))
            return candidate;
    }
    return QString();
}

}  // namespace

std::vector<CurveFileCopy> PlanCurveFileCopies(const std::vector<const Protocol*>& series, const QString& from,
                                               const QString& to, const QString& procedure)
{
    std::vector<CurveFileCopy> copies;
    // The same folder under another name: the curves are where they belong.
    const QString fromItself = QFileInfo(from).canonicalFilePath();
    if (!fromItself.isEmpty() && fromItself == QFileInfo(to).canonicalFilePath())
        return copies;
    // An old folder that cannot be reached says nothing of its curves: each
    // is logged as not moved, and the series move without them.
    const bool reachable = !fromItself.isEmpty() && QFileInfo(fromItself).isDir();
    QSet<QString> seen;     // keys of the old names
    QSet<QString> chosen;   // keys of the new names
    // A curve that does not go along keeps its name only where no file of
    // the new folder has it (another seat's curve of the same second):
    // else its tests name a free one, with no file behind it.
    const auto notMoved = [&](const QString& name) {
        if (IsFreeIn(to, name, chosen))
            return;
        const QString newName = FreeCurveName(to, name, chosen);
        if (newName.isEmpty())
            return;
        chosen.insert(dskNameKey(newName));
        copies.push_back(CurveFileCopy{ToCp1252(name), ToCp1252(newName), QString(), QString(), QByteArray()});
    };
    for (const Protocol* record : series) {
        for (const QString& name : dskCurveFileNames(*record)) {
            if (!HasExtension(name, CurveExtension) || seen.contains(dskNameKey(name)))
                continue;
            seen.insert(dskNameKey(name));
            if (!reachable) {
                const SystemError error = ErrorFromErrno(ENOENT, from);
                WriteLog(error.Number,
                         QStringLiteral("%1 (curve not moved with its series: %2)").arg(error.Text, JoinPath(from, name)),
                         procedure);
                notMoved(name);
                continue;
            }
            const QString path = StoredNamePath(from, name);
            if (path.isEmpty())
                continue;
            struct stat file {};
            if (::stat(QFile::encodeName(path).constData(), &file) != 0 && errno == ENOENT) {
                notMoved(name);
                continue;
            }
            SystemError error;
            const std::optional<std::string> bytes = ReadFileWhole(path, error);
            if (!bytes) {
                WriteLog(error.Number, QStringLiteral("%1 (curve not moved with its series: %2)").arg(error.Text, path),
                         procedure);
                notMoved(name);
                continue;
            }
            const QString newName = FreeCurveName(to, name, chosen);
            if (newName.isEmpty()) {
                WriteLog(ClassicError::PathFileAccess,
                         QStringLiteral("No free name for the curve %1 in %2; not moved with its series").arg(name, to),
                         procedure);
                continue;
            }
            chosen.insert(dskNameKey(newName));
            copies.push_back(CurveFileCopy{ToCp1252(name), ToCp1252(newName), path, JoinPath(to, newName),
                                           IntentChecksum(*bytes)});
        }
    }
    return copies;
}

void RecordCurveFileCopies(IntentRecord& record, const std::vector<CurveFileCopy>& copies)
{
    for (const CurveFileCopy& copy : copies) {
        if (copy.OldPath.isEmpty())
            continue;
        record.Created.push_back(IntentFile{copy.NewPath, copy.Checksum});
        record.Removed.push_back(IntentFile{copy.OldPath, copy.Checksum});
    }
}

bool WriteCurveFileCopies(const std::vector<CurveFileCopy>& copies, const QString& procedure)
{
    for (const CurveFileCopy& copy : copies) {
        if (copy.OldPath.isEmpty())
            continue;
        SystemError error;
        if (!LinkOrCopyFile(copy.OldPath, copy.NewPath, error, ReadOnlyPermissions)) {
            WriteLog(error, procedure, copy.OldPath + QStringLiteral(" -> ") + copy.NewPath);
            return false;
        }
    }
    // The links on the disk before the settings can name their folder.
    const auto written = std::find_if(copies.begin(), copies.end(),
                                      [](const CurveFileCopy& copy) { return !copy.OldPath.isEmpty(); });
    if (written != copies.end() && !SyncFolder(QFileInfo(written->NewPath).absolutePath())) {
        WriteLog(ErrorFromErrno(errno, written->NewPath), procedure, written->NewPath);
        return false;
    }
    return true;
}

void NameCurveFileCopies(Protocol& series, const std::vector<CurveFileCopy>& copies)
{
    std::map<QString, const CurveFileCopy*> byKey;
    for (const CurveFileCopy& copy : copies)
        byKey[dskNameKey(FromCp1252(copy.OldName))] = &copy;
    for (PropertyBlock& block : series.Blocks) {
        for (std::size_t i = 1; i < block.Values.size(); ++i) {
            std::string& name = block.Values[i].CurveFile;
            if (name.empty())
                continue;
            const auto found = byKey.find(dskNameKey(FromCp1252(name)));
            if (found != byKey.end())
                name = found->second->NewName;
        }
    }
}
