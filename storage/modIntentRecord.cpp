#include "storage/modIntentRecord.h"

#include "foundation/modDiskBasics.h"
#include "foundation/modLog.h"
#include "platform/BinaryIO.h"
#include "platform/Paths.h"
#include "platform/SafeFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cerrno>
#include <unistd.h>

namespace {

constexpr char Magic[] = "QSTP";
constexpr int16_t Version = 1;
constexpr std::size_t ChecksumSize = 32;
// Far more names than the open series of any lab; a larger count is damage.
constexpr int16_t MaxNames = 10000;

std::string PathBytes(const QString& path)
{
    const QByteArray bytes = QFile::encodeName(path);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString PathFromBytes(const std::string& bytes)
{
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

void PutNames(BinaryWriter& out, const std::vector<IntentFile>& files)
{
    out.PutInteger(static_cast<int16_t>(files.size()));
    for (const IntentFile& file : files) {
        out.PutString(PathBytes(file.Path));
        out.PutBytes(std::string(file.Checksum.constData(), static_cast<std::size_t>(file.Checksum.size())));
    }
}

bool GetNames(BinaryReader& in, std::vector<IntentFile>& files)
{
    const int16_t count = in.GetInteger();
    if (!in.Ok() || count < 0 || count > MaxNames)
        return false;
    for (int16_t n = 0; n < count; ++n) {
        IntentFile file;
        file.Path = PathFromBytes(in.GetBytesString());
        const std::string checksum = in.GetBytes(ChecksumSize);
        if (!in.Ok() || !QDir::isAbsolutePath(file.Path))
            return false;
        file.Checksum = QByteArray(checksum.data(), static_cast<qsizetype>(checksum.size()));
        files.push_back(file);
    }
    return true;
}

QString FolderOf(const QString& path) { return QFileInfo(path).absolutePath(); }

// Whether the file at path holds the bytes of the entry: 1 yes, 0 other
// bytes or no file (none when missing), -1 when it cannot be read.
int Holds(const IntentFile& file, bool& missing, SystemError& error)
{
    missing = false;
    std::optional<IntentFile> found;
    if (!IntentFileAsFound(file.Path, found, error))
        return -1;
    missing = !found.has_value();
    return found && found->Checksum == file.Checksum ? 1 : 0;
}

}  // namespace

QByteArray IntentChecksum(const std::string& bytes)
{
    return QCryptographicHash::hash(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())),
                                    QCryptographicHash::Sha256);
}

std::string IntentRecordBytes(const IntentRecord& record)
{
    BinaryWriter out;
    out.PutBytes(Magic);
    out.PutInteger(Version);
    out.PutInteger(static_cast<int16_t>(record.Commit));
    out.PutString(PathBytes(record.Folder));
    out.PutFlag(record.Committed);
    PutNames(out, record.Created);
    PutNames(out, record.Removed);
    const QByteArray sum = IntentChecksum(out.Bytes());
    out.PutBytes(std::string(sum.constData(), static_cast<std::size_t>(sum.size())));
    return out.TakeBytes();
}

std::optional<IntentRecord> ParseIntentRecord(const std::string& bytes)
{
    if (bytes.size() < ChecksumSize)
        return std::nullopt;
    const std::string body = bytes.substr(0, bytes.size() - ChecksumSize);
    const QByteArray sum = IntentChecksum(body);
    if (bytes.compare(body.size(), ChecksumSize, sum.constData(), ChecksumSize) != 0)
        return std::nullopt;
    BinaryReader in(body);
    IntentRecord record;
    if (in.GetBytes(4) != Magic || in.GetInteger() != Version)
        return std::nullopt;
    const int16_t commit = in.GetInteger();
    if (commit < static_cast<int16_t>(IntentCommit::SettingsNameFolder)
        || commit > static_cast<int16_t>(IntentCommit::FileRemoved))
        return std::nullopt;
    record.Commit = static_cast<IntentCommit>(commit);
    record.Folder = PathFromBytes(in.GetBytesString());
    record.Committed = in.GetFlag();
    if (!GetNames(in, record.Created) || !GetNames(in, record.Removed) || !in.Ok() || !in.AtEnd())
        return std::nullopt;
    // The commit point must be one the record names.
    if ((record.Commit == IntentCommit::SettingsNameFolder && record.Folder.isEmpty())
        || (record.Commit == IntentCommit::FileWritten && record.Created.empty())
        || (record.Commit == IntentCommit::FileRemoved && record.Removed.empty()))
        return std::nullopt;
    return record;
}

bool IntentFileAsFound(const QString& path, std::optional<IntentFile>& entry, SystemError& error)
{
    entry.reset();
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return true;
    const std::optional<std::string> bytes = ReadFileWhole(path, error);
    if (!bytes) {
        // Gone between the two looks.
        if (!QFileInfo::exists(path))
            return true;
        return false;
    }
    entry = IntentFile{path, IntentChecksum(*bytes)};
    return true;
}

bool WriteIntentRecord(const QString& path, const IntentRecord& record, SystemError& error)
{
    return WriteFileAtomically(path, IntentRecordBytes(record), error);
}

IntentRead ReadIntentRecord(const QString& path, IntentRecord& record, const QString& procedure)
{
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return IntentRead::Absent;
    SystemError error;
    const std::optional<std::string> bytes = ReadFileWhole(path, error);
    if (!bytes) {
        if (!QFileInfo::exists(path))
            return IntentRead::Absent;
        WriteLog(error, procedure, path);
        return IntentRead::Unreadable;
    }
    const std::optional<IntentRecord> read = ParseIntentRecord(*bytes);
    if (read) {
        record = *read;
        return IntentRead::Read;
    }
    const QString folder = FolderOf(path);
    const QString name = QFileInfo(path).fileName();
    QString aside = dskAsideName(name, 1);
    for (int n = 2; QFileInfo::exists(JoinPath(folder, aside)); ++n)
        aside = dskAsideName(name, n);
    if (::rename(QFile::encodeName(path).constData(), QFile::encodeName(JoinPath(folder, aside)).constData()) != 0) {
        WriteLog(ErrorFromErrno(errno, path), procedure,
                 QStringLiteral("%1 is no whole record of a step; nothing was done on its word").arg(path));
        return IntentRead::Unreadable;
    }
    SyncFolder(folder);
    WriteLog(0, QStringLiteral("%1 is no whole record of a step; kept as %2, nothing was done on its word")
                    .arg(path, aside), procedure);
    return IntentRead::SetAside;
}

bool IntentCommitted(const IntentRecord& record, const QString& dataFolder)
{
    if (record.Committed)
        return true;
    SystemError error;
    bool missing = false;
    switch (record.Commit) {
    case IntentCommit::SettingsNameFolder:
        return QDir::cleanPath(QFileInfo(dataFolder).absoluteFilePath())
            == QDir::cleanPath(QFileInfo(record.Folder).absoluteFilePath());
    case IntentCommit::FileWritten:
        return Holds(record.Created.front(), missing, error) == 1;
    case IntentCommit::FileRemoved:
        // A file that cannot be read says nothing: the step is taken as not
        // committed, which removes only names it created itself.
        return Holds(record.Removed.front(), missing, error) == 0;
    }
    return false;
}

const std::vector<IntentFile>& IntentLeftovers(const IntentRecord& record, bool committed)
{
    return committed ? record.Removed : record.Created;
}

bool FinishIntent(const QString& recordPath, const IntentRecord& record, bool committed, const QString& procedure,
                  bool tellEach)
{
    bool ok = true;
    QSet<QString> folders;
    for (const IntentFile& file : IntentLeftovers(record, committed)) {
        SystemError error;
        bool missing = false;
        const int holds = Holds(file, missing, error);
        if (holds < 0) {
            WriteLog(error, procedure, file.Path);
            ok = false;
            continue;
        }
        if (holds == 0) {
            if (!missing)
                WriteLog(0, QStringLiteral("%1 holds other bytes than the step wrote or found there; left alone")
                                .arg(file.Path), procedure);
            continue;
        }
        if (::unlink(QFile::encodeName(file.Path).constData()) != 0 && errno != ENOENT) {
            WriteLog(ErrorFromErrno(errno, file.Path), procedure, file.Path);
            ok = false;
            continue;
        }
        folders.insert(FolderOf(file.Path));
        if (tellEach)
            WriteLog(0, QStringLiteral("%1 removed: %2").arg(file.Path, committed ? QStringLiteral("a step done before a stop left it")
                                                                                 : QStringLiteral("made by a step a stop cut short")),
                     procedure);
    }
    // The removals on the disk before the record that named them goes: a
    // power cut must not bring back a file with no record left to name it.
    for (const QString& folder : std::as_const(folders)) {
        if (!SyncFolder(folder)) {
            WriteLog(ErrorFromErrno(errno, folder), procedure, folder);
            ok = false;
        }
    }
    if (!ok)
        return false;
    if (::unlink(QFile::encodeName(recordPath).constData()) != 0 && errno != ENOENT) {
        WriteLog(ErrorFromErrno(errno, recordPath), procedure, recordPath);
        return false;
    }
    SyncFolder(FolderOf(recordPath));
    return true;
}
