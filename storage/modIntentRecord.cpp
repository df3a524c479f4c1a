#include "storage/modIntentRecord.h"

#include "foundation/modDiskBasics.h"
#include "foundation/modLog.h"
#include "foundation/modRecords.h"
#include "platform/BinaryIO.h"
#include "platform/Paths.h"
#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"
#include "platform/Sha256.h"
#include "storage/frmFileProgress.h"
#include "storage/modABTFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <map>
#include <utility>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

static_assert(MaxStepFileSize >= MaxReportFileSize && MaxStepFileSize >= MaxCurveFileSize,
              "a record names reports and curves");

namespace {

constexpr char Magic[] = "QSTP";
constexpr int16_t Version = 2;
constexpr std::size_t ChecksumSize = 32;
// A list's count is an Integer: a step that names more files in one list
// has no record (the writer refuses it rather than write one its reader
// would take for damage).
constexpr std::size_t MaxNames = 32767;
// The fewest bytes a name takes: its length and its checksum.
constexpr std::size_t MinNameBytes = 2 + ChecksumSize;

std::string PathBytes(const QString& path)
{
    const QByteArray bytes = QFile::encodeName(path);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString PathFromBytes(const std::string& bytes)
{
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

// Absolute and clean. Only "/" makes a name absolute: Qt would take one
// beginning with ":" (a folder of that name) for one of its resources.
QString Clean(const QString& path)
{
    return QDir::cleanPath(path.startsWith(QLatin1Char('/')) ? path : QDir::currentPath() + QLatin1Char('/') + path);
}

// A name in or below the folder (base: the folder cleaned, with "/") as it
// stands relative to it, else whole.
QString StoredName(const QString& path, const QString& base)
{
    const QString clean = Clean(path);
    return clean.startsWith(base) ? clean.mid(base.size()) : clean;
}

void PutNames(BinaryWriter& out, const std::vector<IntentFile>& files, const QString& folder)
{
    out.PutInteger(static_cast<int16_t>(files.size()));
    const QString base = Clean(folder) + QLatin1Char('/');
    for (const IntentFile& file : files) {
        out.PutString(PathBytes(StoredName(file.Path, base)));
        out.PutBytes(std::string(file.Checksum.constData(), static_cast<std::size_t>(file.Checksum.size())));
    }
}

// The parts of a name between its separators. A record's names are the
// program's own, written from this system's paths: a "\\" in them is a
// character of a name (a folder may bear one), not a separator.
QStringList NameParts(const QString& name)
{
    return name.split(QLatin1Char('/'));
}

// A relative name must stay below the record's folder.
bool IsNameBelow(const QString& name)
{
    if (name.isEmpty())
        return false;
    for (const QString& part : NameParts(name))
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
            return false;
    return true;
}

bool GetNames(BinaryReader& in, std::vector<IntentFile>& files, int16_t version, const QString& folder)
{
    const int16_t count = in.GetInteger();
    if (!in.Ok() || count < 0 || static_cast<std::size_t>(count) > in.Remaining() / MinNameBytes)
        return false;
    for (int16_t n = 0; n < count; ++n) {
        IntentFile file;
        file.Path = PathFromBytes(in.GetBytesString());
        const std::string checksum = in.GetBytes(ChecksumSize);
        if (!in.Ok())
            return false;
        if (!file.Path.startsWith(QLatin1Char('/'))) {
            if (version < 2 || !IsNameBelow(file.Path))
                return false;
            // Joined as written: the join of stored report names would read
            // a "\\" in it as "/".
            const QString base = Clean(folder);
            file.Path = (base.endsWith(QLatin1Char('/')) ? base : base + QLatin1Char('/')) + file.Path;
        }
        file.Checksum = QByteArray(checksum.data(), static_cast<qsizetype>(checksum.size()));
        files.push_back(file);
    }
    return true;
}

QString FolderOf(const QString& path) { return QFileInfo(path).absolutePath(); }

// What the system says of a file that tells whether it still holds the bytes
// it held: any write moves its modification and change times, and a change
// of its names or mode its change time.
struct FileLook {
    off_t Size = 0;
    struct timespec Modified {};
    struct timespec Changed {};
    QByteArray Checksum;
};
std::map<std::pair<dev_t, ino_t>, FileLook> g_known;
// A change within the tick of the file system's clock in which the file
// last changed leaves its times as they were: a look tells of changes after
// it only where the file's last change lies this long before the clock read
// just before the look (two seconds: FAT's tick, and more than one second of
// a server's). A file changed later than that is read again when it is to
// be removed, as any file never looked at.
int g_lookMarginMs = 2000;

// Whether the change time lies the margin before the clock.
bool ChangedBefore(const struct timespec& changed, const struct timespec& clock)
{
    const long long margin = static_cast<long long>(g_lookMarginMs) * 1000000LL;
    const long long at = static_cast<long long>(changed.tv_sec) * 1000000000LL + changed.tv_nsec;
    const long long now = static_cast<long long>(clock.tv_sec) * 1000000000LL + clock.tv_nsec;
    return at + margin <= now;
}

bool SameLook(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size
        && a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec
        && a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

// The checksum the run knows the file of this look by, or empty.
QByteArray KnownChecksum(const struct stat& info)
{
    if (!S_ISREG(info.st_mode))
        return QByteArray();
    const auto found = g_known.find({info.st_dev, info.st_ino});
    if (found == g_known.end())
        return QByteArray();
    const FileLook& look = found->second;
    struct stat known = info;
    known.st_size = look.Size;
    known.st_mtim = look.Modified;
    known.st_ctim = look.Changed;
    return SameLook(info, known) ? look.Checksum : QByteArray();
}

// True when the folder is there to be searched; else false with the reason.
bool FolderIsThere(const QString& folder, SystemError& error)
{
    struct stat info {};
    if (::stat(QFile::encodeName(folder).constData(), &info) != 0) {
        error = ErrorFromErrno(errno, folder);
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        error = ErrorFromErrno(ENOTDIR, folder);
        return false;
    }
    return true;
}

// Whether the file at path holds the bytes of the entry: 1 yes, 0 other
// bytes or no file (missing set when there is none), -1 when it or its
// folder cannot be reached.
int Holds(const IntentFile& file, bool& missing, SystemError& error)
{
    missing = false;
    std::optional<IntentFile> found;
    if (!IntentFileAsFound(file.Path, found, error))
        return -1;
    missing = !found.has_value();
    return found && found->Checksum == file.Checksum ? 1 : 0;
}

bool HasStagedReport(const IntentRecord& record)
{
    return record.Commit == IntentCommit::FileWritten && record.Created.size() >= 2
        && IsStagedReportName(QFileInfo(record.Created[1].Path).fileName());
}

// Whether the staged report went to its name. The record was written after
// the staged file, so a staged name with no file was renamed away; one still
// there is a second name of the report only where the file system cannot
// rename without replacing and the step stopped between link and unlink.
// Where it cannot link either, the report is a copy, made under its name
// exclusively, and the step is done only once the staged file is gone: a
// copy beside it, whole or not, is undone.
IntentCommitState StagedReportRenamed(const QString& report, const QString& staged, SystemError& error)
{
    std::optional<IntentFile> left;
    if (!IntentFileAsFound(staged, left, error))
        return IntentCommitState::Unknown;
    if (!left)
        return IntentCommitState::Reached;
    struct stat one {};
    struct stat two {};
    if (::lstat(QFile::encodeName(report).constData(), &one) != 0)
        // A report that cannot be looked at may be that second name.
        return errno == ENOENT && FolderIsThere(FolderOf(report), error) ? IntentCommitState::NotReached
                                                                         : IntentCommitState::Unknown;
    return ::lstat(QFile::encodeName(staged).constData(), &two) == 0 && S_ISREG(two.st_mode)
            && one.st_dev == two.st_dev && one.st_ino == two.st_ino
        ? IntentCommitState::Reached
        : IntentCommitState::NotReached;
}

// A name "<stem> <n>.STP", or the "<stem>.STP" of earlier versions.
bool IsRecordName(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^(PENDING|QUINTARA)( [1-9][0-9]{0,8})?\\.STP$"));
    return pattern.match(name).hasMatch();
}

bool SyncOrFail(const QString& folder, SystemError& error)
{
    if (SyncFolder(folder))
        return true;
    error = ErrorFromErrno(errno, folder);
    return false;
}

// Writes the bytes to a new file at path, made only where no file is
// (EEXIST otherwise), and syncs it; a file cut short is removed again.
bool WriteNewFile(const QString& path, const std::string& bytes, SystemError& error, int& reason)
{
    reason = 0;
    const int fd = OpenInSharedFolder(path, O_WRONLY | O_CREAT | O_EXCL, 0644, error);
    if (fd < 0) {
        reason = errno;
        error = ErrorFromErrno(reason, path);
        return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            reason = errno;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (reason == 0 && ::fsync(fd) != 0)
        reason = errno;
    if (::close(fd) != 0 && reason == 0)
        reason = errno;
    if (reason != 0) {
        UnlinkInSharedFolder(path);
        error = ErrorFromErrno(reason, path);
        return false;
    }
    return true;
}

// Creates the record under the first free name of the stem.
bool CreateRecordFile(const QString& folder, const QString& stem, const std::string& bytes, QString& path,
                      SystemError& error)
{
    if (bytes.empty()) {
        error = SystemError{ErrorFromErrno(EOVERFLOW).Number,
                            QStringLiteral("The step names more than %1 files in one list, more than its record holds")
                                .arg(MaxNames)};
        return false;
    }
    for (int n = 1; n < 100000; ++n) {
        path = JoinPath(folder, QStringLiteral("%1 %2.STP").arg(stem).arg(n));
        int reason = 0;
        if (WriteNewFile(path, bytes, error, reason))
            return true;
        if (reason != EEXIST)
            return false;
    }
    return false;
}

// A name of a file a step in a shared folder works on: a pending file (its
// loader's shape: "PENDING " in it, "QTA" at its end, exact case, as the
// take-over of the old layout takes them) or a test report.
bool IsSharedStepFileName(const QString& name)
{
    if (name.startsWith(QLatin1Char('.')))
        return false;
    return (name.endsWith(QLatin1String("QTA")) && name.contains(QLatin1String("PENDING ")))
        || name.endsWith(QLatin1String(".QTA"), Qt::CaseInsensitive);
}

// The program's own files beside the settings, which no step ever removes.
bool IsProgramOwnName(const QString& name)
{
    return name.startsWith(QLatin1String("QUINTARA."), Qt::CaseInsensitive)
        || name.endsWith(QLatin1String(".STP"), Qt::CaseInsensitive)
        || name.endsWith(QLatin1String(".LCK"), Qt::CaseInsensitive);
}

// A name as the program writes it: absolute and clean. Qt reads a name
// beginning with ":" from its resources, and takes it for an absolute one.
bool IsCleanAbsolute(const QString& name)
{
    return QDir::cleanPath(name) == name && name.startsWith(QLatin1Char('/'));
}

// Whether path is a file a step works on (IsSharedStepFileName) in the data
// folder or in one real folder below it; with seat given (a seat's folder
// in it), none in another seat's folder.
bool StepFileBelow(const QString& data, const QString& path, const QString& seat)
{
    const QString base = data == QLatin1String("/") ? data : data + QLatin1Char('/');
    if (!path.startsWith(base))
        return false;
    const QString below = path.mid(base.size());
    const QStringList parts = NameParts(below);
    if (parts.size() > 2 || !IsNameBelow(below) || !IsSharedStepFileName(parts.last()))
        return false;
    // A seat's folder holds that seat's open series: only a record in it
    // touches them. None of another seat's, and none laid in the data folder
    // itself (its take-over's copies aside: TakeOverCopy).
    if (parts.size() == 2 && parts.first().startsWith(QLatin1String("SEAT-")) && base + parts.first() != seat)
        return false;
    // A folder on the way is a folder of its own, never a link laid there
    // to lead elsewhere.
    struct stat way {};
    return parts.size() < 2 || ::lstat(QFile::encodeName(base + parts.first()).constData(), &way) != 0
        || S_ISDIR(way.st_mode);
}

// Whether the created name at index is a copy the take-over of the layout
// before seats made, named by its record in the data folder itself: a
// pending file in a seat's folder right below it, beside a removed old file
// of the same bytes right in that folder. What a start may do with such a
// copy is told where the take-over finishes its records; no other name of a
// seat's folder is a record's there.
bool TakeOverCopy(const IntentRecord& record, const QString& folder, std::size_t index)
{
    if (record.Commit != IntentCommit::FileRemoved || index >= record.Created.size())
        return false;
    const IntentFile& copy = record.Created[index];
    const QString base = folder == QLatin1String("/") ? folder : folder + QLatin1Char('/');
    if (!IsCleanAbsolute(copy.Path) || !copy.Path.startsWith(base))
        return false;
    const QStringList parts = NameParts(copy.Path.mid(base.size()));
    if (parts.size() != 2 || !parts.first().startsWith(QLatin1String("SEAT-")) || !IsNameBelow(copy.Path.mid(base.size()))
        || !IsSharedStepFileName(parts.last()))
        return false;
    const bool paired = std::any_of(record.Removed.begin(), record.Removed.end(), [&](const IntentFile& old) {
        return old.Checksum == copy.Checksum && IsCleanAbsolute(old.Path) && old.Path.startsWith(base)
            && IsNameBelow(old.Path.mid(base.size())) && NameParts(old.Path.mid(base.size())).size() == 1
            && IsSharedStepFileName(old.Path.mid(base.size()));
    });
    struct stat way {};
    return paired
        && (::lstat(QFile::encodeName(base + parts.first()).constData(), &way) != 0 || S_ISDIR(way.st_mode));
}

// Whether the record lying in folder names only what a record there may
// (IntentRecordMayName); offending gets the first name that fails.
bool NamesStayInside(const IntentRecord& record, const QString& folder, QString& offending)
{
    if (record.Commit == IntentCommit::SettingsNameFolder && !SameFolder(folder, ProgramFolder())) {
        offending = record.Folder;
        return false;
    }
    // A change of data folder also moves the curves the tests name, whatever
    // their names; those are never the program's own.
    const bool change = record.Commit == IntentCommit::SettingsNameFolder;
    std::vector<IntentFile> names = record.Created;
    names.insert(names.end(), record.Removed.begin(), record.Removed.end());
    const bool program = SameFolder(folder, ProgramFolder());
    for (std::size_t n = 0; n < names.size(); ++n) {
        const IntentFile& file = names[n];
        const bool curve = change && IsCleanAbsolute(file.Path) && !IsProgramOwnName(QFileInfo(file.Path).fileName());
        const bool copy = !program && n < record.Created.size() && TakeOverCopy(record, Clean(folder), n);
        if (!curve && !copy && !IntentRecordMayName(folder, file.Path)) {
            offending = file.Path;
            return false;
        }
    }
    offending.clear();
    return true;
}

}  // namespace

bool IntentRecordMayName(const QString& folder, const QString& path)
{
    if (!IsCleanAbsolute(path))
        return false;
    const QString clean = Clean(folder);
    // The program folder is the user's own: a record there may name the
    // data folders too, but only files of the shapes a step writes.
    if (SameFolder(clean, ProgramFolder())) {
        const QString file = QFileInfo(path).fileName();
        return IsSharedStepFileName(file) && !IsProgramOwnName(file);
    }
    // A record names files of its own folder; one in a seat's folder also
    // the reports of the data folder that folder lies in. Either reading
    // holds: a data folder may bear a name that begins as a seat's does.
    return StepFileBelow(clean, path, QString())
        || (QFileInfo(clean).fileName().startsWith(QLatin1String("SEAT-")) && StepFileBelow(FolderOf(clean), path, clean));
}

QString StagedReportName(int n) { return QStringLiteral("ENDING %1.QTA").arg(n); }

bool IsStagedReportName(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^ENDING [1-9][0-9]{0,8}\\.QTA$"));
    return pattern.match(name).hasMatch();
}

QStringList IntentRecordPaths(const QString& folder)
{
    QStringList paths;
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& name : std::as_const(names))
        if (IsRecordName(name))
            paths << JoinPath(folder, name);
    return paths;
}

bool SameFolder(const QString& a, const QString& b)
{
    if (Clean(a) == Clean(b))
        return true;
    struct stat one {};
    struct stat two {};
    return ::stat(QFile::encodeName(a).constData(), &one) == 0 && ::stat(QFile::encodeName(b).constData(), &two) == 0
        && one.st_dev == two.st_dev && one.st_ino == two.st_ino;
}

bool SameFile(const QString& a, const QString& b)
{
    const QFileInfo one(a);
    const QFileInfo two(b);
    return one.fileName() == two.fileName() && SameFolder(one.absolutePath(), two.absolutePath());
}

QByteArray IntentChecksum(const std::string& bytes)
{
    return Sha256(bytes);
}

std::string IntentRecordBytes(const IntentRecord& record, const QString& folder)
{
    if (record.Created.size() > MaxNames || record.Removed.size() > MaxNames)
        return std::string();
    BinaryWriter out;
    out.PutBytes(Magic);
    out.PutInteger(Version);
    out.PutInteger(static_cast<int16_t>(record.Commit));
    out.PutString(PathBytes(record.Folder));
    out.PutFlag(record.Committed);
    PutNames(out, record.Created, folder);
    PutNames(out, record.Removed, folder);
    const QByteArray sum = IntentChecksum(out.Bytes());
    out.PutBytes(std::string(sum.constData(), static_cast<std::size_t>(sum.size())));
    return out.TakeBytes();
}

IntentParse ParseIntentRecord(const std::string& bytes, const QString& folder, IntentRecord& record)
{
    // A later version may have laid its bytes out otherwise: its magic and
    // version are all this one can read of it.
    if (bytes.size() >= 6 && bytes.compare(0, 4, Magic) == 0) {
        const auto version = static_cast<int16_t>(static_cast<uint16_t>(static_cast<unsigned char>(bytes[4]))
                                                  | static_cast<uint16_t>(static_cast<unsigned char>(bytes[5]) << 8));
        if (version > Version)
            return IntentParse::LaterVersion;
    }
    if (bytes.size() < ChecksumSize)
        return IntentParse::Damaged;
    const std::string body = bytes.substr(0, bytes.size() - ChecksumSize);
    const QByteArray sum = IntentChecksum(body);
    if (bytes.compare(body.size(), ChecksumSize, sum.constData(), ChecksumSize) != 0)
        return IntentParse::Damaged;
    BinaryReader in(body);
    IntentRecord read;
    const bool magic = in.GetBytes(4) == Magic;
    const int16_t version = in.GetInteger();
    if (!magic || version < 1 || version > Version)
        return IntentParse::Damaged;
    const int16_t commit = in.GetInteger();
    if (commit < static_cast<int16_t>(IntentCommit::SettingsNameFolder)
        || commit > static_cast<int16_t>(IntentCommit::StoodIn))
        return IntentParse::Damaged;
    read.Commit = static_cast<IntentCommit>(commit);
    read.Folder = PathFromBytes(in.GetBytesString());
    read.Committed = in.GetFlag();
    if (!GetNames(in, read.Created, version, folder) || !GetNames(in, read.Removed, version, folder) || !in.Ok()
        || !in.AtEnd())
        return IntentParse::Damaged;
    // The commit point must be one the record names.
    if (((read.Commit == IntentCommit::SettingsNameFolder || read.Commit == IntentCommit::StoodIn)
         && read.Folder.isEmpty())
        || (read.Commit == IntentCommit::FileWritten && read.Created.empty())
        || (read.Commit == IntentCommit::FileRemoved && read.Removed.empty()))
        return IntentParse::Damaged;
    record = read;
    return IntentParse::Whole;
}

bool IntentFileAsFound(const QString& path, std::optional<IntentFile>& entry, SystemError& error)
{
    entry.reset();
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::lstat(name.constData(), &info) != 0) {
        if (errno != ENOENT) {
            error = ErrorFromErrno(errno, path);
            return false;
        }
        // No such file says so only where its folder is there.
        return FolderIsThere(FolderOf(path), error);
    }
    // A link holds no bytes of anyone's step, wherever it leads: it is
    // never read through, so nothing is removed for what its target holds.
    if (S_ISLNK(info.st_mode)) {
        entry = IntentFile{path, QByteArray()};
        return true;
    }
    const QByteArray known = KnownChecksum(info);
    if (!known.isEmpty()) {
        entry = IntentFile{path, known};
        return true;
    }
    const std::optional<std::string> bytes = ReadFileWhole(path, error, LinkAtName::Refuse, MaxStepFileSize);
    if (!bytes) {
        // A pipe, socket or device laid at the name, or a file larger than
        // any a step writes, holds no bytes of anyone's step either. A
        // folder there tells nothing of the file the name held: it stays
        // unknown, as a file that cannot be read does.
        if (IsDamagedFileError(error) && !S_ISDIR(info.st_mode)) {
            entry = IntentFile{path, QByteArray()};
            return true;
        }
        if (::lstat(name.constData(), &info) != 0 && errno == ENOENT)
            // Gone between the two looks.
            return FolderIsThere(FolderOf(path), error);
        if (S_ISLNK(info.st_mode)) {
            entry = IntentFile{path, QByteArray()};
            return true;
        }
        return false;
    }
    entry = IntentFile{path, IntentChecksum(*bytes)};
    return true;
}

bool CreateIntentRecord(const QString& folder, const QString& stem, const IntentRecord& record, QString& path,
                        SystemError& error)
{
    if (!CreateRecordFile(folder, stem, IntentRecordBytes(record, folder), path, error))
        return false;
    // Only a record whose name is on the disk counts as written.
    if (SyncOrFail(folder, error))
        return true;
    UnlinkInSharedFolder(path);
    SyncFolder(folder);
    return false;
}

bool RewriteIntentRecord(const QString& path, const IntentRecord& record, SystemError& error)
{
    const QString folder = FolderOf(path);
    const QString stem = QFileInfo(path).fileName().section(QLatin1Char(' '), 0, 0).section(QLatin1Char('.'), 0, 0);
    QString made;
    if (!CreateRecordFile(folder, stem, IntentRecordBytes(record, folder), made, error))
        return false;
    if (RenameInSharedFolder(made, path) != 0) {
        error = ErrorFromErrno(errno, path);
        UnlinkInSharedFolder(made);
        return false;
    }
    return SyncOrFail(folder, error);
}

IntentRead ReadIntentRecord(const QString& path, IntentRecord& record, const QString& procedure)
{
    SystemError error;
    std::optional<IntentFile> there;
    if (!IntentFileAsFound(path, there, error)) {
        WriteLog(error, procedure, path);
        return IntentRead::Unreadable;
    }
    if (!there)
        return IntentRead::Absent;
    const QString folder = FolderOf(path);
    struct stat info {};
    // A link in a record's place is set aside itself; what it leads to is
    // neither read nor moved.
    // So is a pipe, socket, device or folder, or a file larger than any
    // record, told by its descriptor: never waited on nor read.
    bool damaged = ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISLNK(info.st_mode);
    std::optional<std::string> bytes = damaged ? std::optional<std::string>(std::string(Magic))
                                               : ReadFileWhole(path, error, LinkAtName::Refuse, MaxIntentRecordSize);
    if (!bytes && IsDamagedFileError(error)) {
        WriteLog(error, procedure, path);
        damaged = true;
        bytes = std::string(Magic);
    }
    if (!bytes) {
        WriteLog(error, procedure, path);
        return IntentRead::Unreadable;
    }
    switch (damaged ? IntentParse::Damaged : ParseIntentRecord(*bytes, folder, record)) {
    case IntentParse::Whole: {
        QString offending;
        if (NamesStayInside(record, folder, offending))
            return IntentRead::Read;
        WriteLog(ErrorFromErrno(EACCES, path), procedure,
                 QStringLiteral("%1 names %2, outside what a record there may name; kept, nothing was done on its word")
                     .arg(path, offending));
        record = IntentRecord{};
        return IntentRead::Refused;
    }
    case IntentParse::LaterVersion:
        WriteLog(0, QStringLiteral("%1 is the record of a later version of the program; left as it is").arg(path),
                 procedure);
        return IntentRead::LaterVersion;
    case IntentParse::Damaged:
        break;
    }
    // A file that does not begin as a record is someone else's; one cut
    // short before its first bytes (a kill right after it was made) is ours.
    const std::size_t head = std::min<std::size_t>(bytes->size(), 4);
    if (bytes->compare(0, head, Magic, head) != 0)
        return IntentRead::NotARecord;
    const QString name = QFileInfo(path).fileName();
    QString aside = dskAsideName(name, 1);
    for (int n = 2; QFileInfo::exists(JoinPath(folder, aside)); ++n)
        aside = dskAsideName(name, n);
    if (RenameInSharedFolder(path, JoinPath(folder, aside)) != 0) {
        WriteLog(ErrorFromErrno(errno, path), procedure,
                 QStringLiteral("%1 is no whole record of a step; nothing was done on its word").arg(path));
        return IntentRead::Unreadable;
    }
    SyncFolder(folder);
    WriteLog(0, QStringLiteral("%1 is no whole record of a step; kept as %2, nothing was done on its word")
                    .arg(path, aside), procedure);
    return IntentRead::SetAside;
}

IntentCommitState IntentCommitOf(const IntentRecord& record, const QString& dataFolder)
{
    // A note is no step, and its flag says nothing of a commit.
    if (record.Commit == IntentCommit::StoodIn)
        return IntentCommitState::Unknown;
    if (record.Committed)
        return IntentCommitState::Reached;
    SystemError error;
    bool missing = false;
    switch (record.Commit) {
    case IntentCommit::SettingsNameFolder:
        return SameFolder(dataFolder, record.Folder) ? IntentCommitState::Reached : IntentCommitState::NotReached;
    case IntentCommit::FileWritten: {
        if (HasStagedReport(record))
            return StagedReportRenamed(record.Created.front().Path, record.Created[1].Path, error);
        const int holds = Holds(record.Created.front(), missing, error);
        return holds < 0 ? IntentCommitState::Unknown
                         : holds == 1 ? IntentCommitState::Reached : IntentCommitState::NotReached;
    }
    case IntentCommit::FileRemoved: {
        // The old file is gone, not merely other bytes: rewritten in place
        // it is still the series' file.
        const int holds = Holds(record.Removed.front(), missing, error);
        return holds < 0 ? IntentCommitState::Unknown
                         : missing ? IntentCommitState::Reached : IntentCommitState::NotReached;
    }
    case IntentCommit::StoodIn:
        break;
    }
    return IntentCommitState::Unknown;
}

std::vector<IntentFile> IntentLeftovers(const IntentRecord& record, IntentCommitState state)
{
    switch (state) {
    case IntentCommitState::Reached:
        return record.Removed;
    case IntentCommitState::NotReached:
        return record.Created;
    case IntentCommitState::Unknown:
        break;
    }
    std::vector<IntentFile> both = record.Created;
    both.insert(both.end(), record.Removed.begin(), record.Removed.end());
    return both;
}

struct timespec IntentLookClock()
{
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return now;
}

void RememberIntentFile(const QString& path, const QByteArray& checksum, const struct stat& before,
                        const struct timespec& lookedAt)
{
    struct stat now {};
    if (::lstat(QFile::encodeName(path).constData(), &now) != 0 || !S_ISREG(now.st_mode) || !SameLook(before, now)
        || !ChangedBefore(now.st_ctim, lookedAt))
        return;
    g_known[{now.st_dev, now.st_ino}] = FileLook{now.st_size, now.st_mtim, now.st_ctim, checksum};
}

void RememberIntentLink(const QString& path, const QByteArray& checksum)
{
    struct stat now {};
    if (::lstat(QFile::encodeName(path).constData(), &now) != 0 || !S_ISREG(now.st_mode))
        return;
    // One inode with the file the run noted: the same bytes while nothing
    // but its change time moved. The caller found the file as noted, change
    // time and all, right before the link; the one change this misses is a
    // write after that look, within the clock tick of the link, that also
    // set the modification time back: a window of a few milliseconds, as
    // short as the one between a removal's read and its unlink (and none
    // where the file system stamps changes finer than its tick).
    const auto found = g_known.find({now.st_dev, now.st_ino});
    if (found == g_known.end() || found->second.Checksum != checksum || found->second.Size != now.st_size
        || found->second.Modified.tv_sec != now.st_mtim.tv_sec || found->second.Modified.tv_nsec != now.st_mtim.tv_nsec)
        return;
    found->second.Changed = now.st_ctim;
}

void SetIntentLookMargin(int milliseconds) { g_lookMarginMs = milliseconds; }

bool KnownIntentFile(const QString& path, const QByteArray& checksum)
{
    struct stat now {};
    return ::lstat(QFile::encodeName(path).constData(), &now) == 0 && !checksum.isEmpty()
        && KnownChecksum(now) == checksum;
}

IntentRemoval RemoveIfItHolds(const IntentFile& file, const QString& procedure, bool syncFolder)
{
    SystemError error;
    bool missing = false;
    const int holds = Holds(file, missing, error);
    if (holds < 0) {
        WriteLog(error, procedure, file.Path);
        return IntentRemoval::Failed;
    }
    if (holds == 0) {
        if (missing)
            return IntentRemoval::Gone;
        WriteLog(0, QStringLiteral("%1 holds other bytes than the step wrote or found there; left alone")
                        .arg(file.Path), procedure);
        return IntentRemoval::OtherBytes;
    }
    if (UnlinkInSharedFolder(file.Path) != 0) {
        WriteLog(ErrorFromErrno(errno, file.Path), procedure, file.Path);
        return IntentRemoval::Failed;
    }
    // On the disk before anything that relies on it goes: a power cut must
    // not bring back a file with nothing left to name it.
    if (syncFolder && !SyncOrFail(FolderOf(file.Path), error)) {
        WriteLog(error, procedure, file.Path);
        return IntentRemoval::Failed;
    }
    return IntentRemoval::Removed;
}

namespace {

// Whether the report of an undone step is the beginning of its staged file
// (which holds the bytes the record lists): a copy a stop cut short, on a
// file system that can neither link nor rename without replacing. The step
// made that name exclusively, and no one else's file begins with the bytes
// of this series' report (an empty one is no report either).
bool CutShortCopyOf(const IntentFile& staged, const QString& report)
{
    // Only a file shorter than the staged one is read: no pipe, no link, no
    // file too large to be such a copy.
    struct stat copy {};
    struct stat original {};
    if (::lstat(QFile::encodeName(report).constData(), &copy) != 0 || !S_ISREG(copy.st_mode)
        || ::lstat(QFile::encodeName(staged.Path).constData(), &original) != 0 || !S_ISREG(original.st_mode)
        || copy.st_size >= original.st_size)
        return false;
    SystemError error;
    const std::optional<std::string> whole = ReadFileWhole(staged.Path, error, LinkAtName::Refuse);
    if (!whole || IntentChecksum(*whole) != staged.Checksum)
        return false;
    const std::optional<std::string> begun = ReadFileWhole(report, error, LinkAtName::Refuse);
    return begun && begun->size() < whole->size() && whole->compare(0, begun->size(), *begun) == 0;
}

} // namespace

bool FinishIntent(const QString& recordPath, const IntentRecord& record, IntentCommitState state,
                  const QString& procedure, bool tellEach)
{
    if (state == IntentCommitState::Unknown)
        return false;
    bool ok = true;
    QStringList folders;
    std::vector<IntentFile> leftovers = IntentLeftovers(record, state);
    // A report staged and not renamed goes only after the record: while the
    // record is there, its staged name gone says the rename was done.
    std::optional<IntentFile> staged;
    if (state == IntentCommitState::NotReached && HasStagedReport(record)) {
        staged = leftovers[1];
        leftovers.erase(leftovers.begin() + 1);
    }
    for (const IntentFile& file : leftovers) {
        KeepFileProgressShown();
        IntentRemoval removal = IntentRemoval::Failed;
        if (staged && CutShortCopyOf(*staged, file.Path)) {
            if (UnlinkInSharedFolder(file.Path) == 0) {
                removal = IntentRemoval::Removed;
                WriteLog(0, QStringLiteral("%1 removed: a copy of %2 a stop cut short").arg(file.Path, staged->Path),
                         procedure);
            } else {
                WriteLog(ErrorFromErrno(errno, file.Path), procedure, file.Path);
            }
        } else {
            removal = RemoveIfItHolds(file, procedure, false);
        }
        ok = ok && removal != IntentRemoval::Failed;
        if ((removal == IntentRemoval::Removed || removal == IntentRemoval::Gone)
            && !folders.contains(FolderOf(file.Path)))
            folders << FolderOf(file.Path);
        if (removal == IntentRemoval::Removed && tellEach) {
            const QString why = state == IntentCommitState::Reached
                ? QStringLiteral("a step done before a stop left it")
                : QStringLiteral("made by a step a stop cut short");
            WriteLog(0, QStringLiteral("%1 removed: %2").arg(file.Path, why), procedure);
        }
    }
    // The removals on the disk before the record goes, one sync for each
    // folder: a power cut must not bring back a file with nothing left to
    // name it. A file found gone may be the removal of an earlier try whose
    // sync failed, so its folder is synced as well.
    SystemError error;
    for (const QString& folder : std::as_const(folders)) {
        if (!SyncOrFail(folder, error)) {
            WriteLog(error, procedure, folder);
            ok = false;
        }
    }
    if (!ok)
        return false;
    // The record is gone only once its folder says so on the disk.
    if (UnlinkInSharedFolder(recordPath) != 0
        && (errno != ENOENT || !FolderIsThere(FolderOf(recordPath), error))) {
        WriteLog(error.Number != 0 ? error : ErrorFromErrno(errno, recordPath), procedure, recordPath);
        return false;
    }
    if (!SyncOrFail(FolderOf(recordPath), error)) {
        WriteLog(error, procedure, recordPath);
        return false;
    }
    if (staged)
        RemoveIfItHolds(*staged, procedure, true);
    return true;
}
