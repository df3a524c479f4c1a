#include "storage/modCurveFiles.h"

#include "foundation/modLog.h"
#include "platform/Cp1252.h"
#include "platform/ErrorCodes.h"
#include "platform/OleDate.h"
#include "platform/Paths.h"
#include "platform/SafeFile.h"
#include "storage/frmFileProgress.h"
#include "storage/modABTFile.h"
#include "storage/modDisk.h"
#include "storage/modTestReport.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// The name the curve takes in the folder: its own where free, else the next
// free second after its own date (after now for a name of another form).
// taken holds the keys of the folder's entries, from one listing, and of the
// names other copies took.
QString FreeCurveName(const QString& name, const QSet<QString>& taken)
{
    if (!taken.contains(dskNameKey(name)))
        return name;
    const double date = DateOfCurveName(name).value_or(Now());
    for (int move = 1; move <= MaxStampMoves; ++move) {
        const QString candidate = dskFileNameFromDate(date + move / 86400.0, CurveExtension);
        if (!taken.contains(dskNameKey(candidate)))
            return candidate;
    }
    return QString();
}

// The bytes of a curve file, with the look its descriptor gave before they
// were read: a change reads thousands of them, so one open, one look and the
// reads, no more. missing when there is no such file. A link laid at the
// name is not read through (ELOOP): copied into the shared folder, its
// target's bytes would be there for anyone.
std::optional<std::string> ReadCurveFile(const QString& path, struct stat& look, bool& missing, SystemError& error)
{
    // Never waited on: a pipe laid at the name is a damaged file, as is a
    // file larger than a curve can be, told by the descriptor's fstat.
    const int opened = OpenInSharedFolder(path, O_RDONLY, 0, error);
    missing = opened < 0 && errno == ENOENT;
    const int fd = CheckedToRead(opened, path, MaxCurveFileSize, error, &look);
    if (fd < 0)
        return std::nullopt;
    int reason = 0;
    std::string bytes(static_cast<std::size_t>(look.st_size), '\0');
    std::size_t done = 0;
    bool short_ = false;
    while (reason == 0 && done < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            reason = errno;
        else if (got == 0)
            short_ = true;
        if (got <= 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    ::close(fd);
    if (reason != 0) {
        error = ErrorFromErrno(reason, path);
        return std::nullopt;
    }
    if (short_) {
        error = SystemError{ClassicError::InputPastEndOfFile, QStringLiteral("The file became shorter while it was read")};
        return std::nullopt;
    }
    return bytes;
}

// Gives the copy its name in the new folder: a second link to the same
// bytes where the file system allows it, else a read-only copy of them,
// written whole and synced before it takes its name, which is never
// replaced. Its folder is synced once for all copies by the caller. A curve
// that no longer holds the bytes the change found there is not copied.
bool LinkOrCopyCurve(const CurveFileCopy& copy, SystemError& error)
{
    const QByteArray from = QFile::encodeName(copy.OldPath);
    if (LinkInSharedFolder(copy.OldPath, copy.NewPath) == 0)
        return true;
    // The second name must be new, and a missing curve has nothing to keep.
    const int reason = errno;
    if (reason == EEXIST || reason == ENOENT) {
        error = ErrorFromErrno(reason, reason == EEXIST ? copy.NewPath : copy.OldPath);
        return false;
    }
    struct stat look {};
    bool missing = false;
    const struct timespec lookedAt = IntentLookClock();
    const std::optional<std::string> bytes = ReadCurveFile(copy.OldPath, look, missing, error);
    if (!bytes)
        return false;
    if (IntentChecksum(*bytes) != copy.Checksum) {
        error = SystemError{ClassicError::PathFileAccess,
                            QStringLiteral("The curve changed while the data folder changed")};
        return false;
    }
    if (!WriteNewFile(copy.NewPath, *bytes, error, ReadOnlyPermissions, nullptr, false))
        return false;
    // Known by these bytes: the finish does not read it again. The copy,
    // just written, is read again where it is to be removed (an undone
    // change).
    RememberIntentFile(copy.OldPath, copy.Checksum, look, lookedAt);
    return true;
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
    // Keys of the names in the new folder, and of those the copies take.
    QSet<QString> taken = dskFolderNameKeys(to);
    // A curve that does not go along keeps its name only where no file of
    // the new folder has it (another seat's curve of the same second):
    // else its tests name a free one, with no file behind it.
    const auto notMoved = [&](const QString& name) {
        const QString newName = FreeCurveName(name, taken);
        if (newName.isEmpty())
            return;
        taken.insert(dskNameKey(newName));
        if (newName != name)
            copies.push_back(
                CurveFileCopy{ToCp1252(name), ToCp1252(newName), QString(), QString(), QByteArray(), dskNameKey(name)});
    };
    for (const Protocol* record : series) {
        for (const QString& name : dskCurveFileNames(*record)) {
            if (!HasExtension(name, CurveExtension) || seen.contains(dskNameKey(name)))
                continue;
            seen.insert(dskNameKey(name));
            // Counted once it is to move; the window is kept up to date
            // while thousands are read.
            KeepFileProgressShown();
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
            SystemError error;
            bool missing = false;
            const struct timespec lookedAt = IntentLookClock();
            const std::optional<std::string> bytes = ReadCurveFile(path, file, missing, error);
            if (missing) {
                notMoved(name);
                continue;
            }
            if (!bytes) {
                WriteLog(error.Number, QStringLiteral("%1 (curve not moved with its series: %2)").arg(error.Text, path),
                         procedure);
                notMoved(name);
                continue;
            }
            const QByteArray checksum = IntentChecksum(*bytes);
            // Unchanged while it was read: the finish knows it by these bytes.
            RememberIntentFile(path, checksum, file, lookedAt);
            const QString newName = FreeCurveName(name, taken);
            if (newName.isEmpty()) {
                WriteLog(ClassicError::PathFileAccess,
                         QStringLiteral("No free name for the curve %1 in %2; not moved with its series").arg(name, to),
                         procedure);
                continue;
            }
            taken.insert(dskNameKey(newName));
            copies.push_back(
                CurveFileCopy{ToCp1252(name), ToCp1252(newName), path, JoinPath(to, newName), checksum, dskNameKey(name)});
            AddFilesToMove(1);
        }
    }
    // In the order of their old names' keys, so that each series finds its
    // curves among thousands without a table made for it.
    std::sort(copies.begin(), copies.end(),
              [](const CurveFileCopy& a, const CurveFileCopy& b) { return a.OldKey < b.OldKey; });
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
        const bool known = KnownIntentFile(copy.OldPath, copy.Checksum);
        if (!LinkOrCopyCurve(copy, error)) {
            WriteLog(error, procedure, copy.OldPath + QStringLiteral(" -> ") + copy.NewPath);
            return false;
        }
        // A second name of the file read when the change began: both are
        // known by its bytes without reading it again (the link moved its
        // change time). A copy is another file.
        if (known)
            RememberIntentLink(copy.NewPath, copy.Checksum);
        CountFileMoved();
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

namespace {

// The copy of the curve a test names, or null.
const CurveFileCopy* CopyOfCurve(const std::string& name, const std::vector<CurveFileCopy>& copies)
{
    if (name.empty())
        return nullptr;
    const QString key = dskNameKey(FromCp1252(name));
    const auto found = std::lower_bound(copies.begin(), copies.end(), key,
                                        [](const CurveFileCopy& copy, const QString& k) { return copy.OldKey < k; });
    return found != copies.end() && found->OldKey == key ? &*found : nullptr;
}

}  // namespace

void NameCurveFileCopies(Protocol& series, const std::vector<CurveFileCopy>& copies)
{
    for (PropertyBlock& block : series.Blocks) {
        for (std::size_t i = 1; i < block.Values.size(); ++i) {
            std::string& name = block.Values[i].CurveFile;
            if (const CurveFileCopy* copy = CopyOfCurve(name, copies))
                name = copy->NewName;
        }
    }
}

bool CurveFileCopiesRename(const Protocol& series, const std::vector<CurveFileCopy>& copies)
{
    for (const PropertyBlock& block : series.Blocks) {
        for (std::size_t i = 1; i < block.Values.size(); ++i) {
            const std::string& name = block.Values[i].CurveFile;
            const CurveFileCopy* copy = CopyOfCurve(name, copies);
            if (copy != nullptr && copy->NewName != name)
                return true;
        }
    }
    return false;
}
