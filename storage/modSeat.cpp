#include "storage/modSeat.h"

#include "foundation/modGlobals.h"
#include "foundation/modLog.h"
#include "platform/ErrorCodes.h"
#include "platform/FileLock.h"
#include "platform/Paths.h"
#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"
#include "storage/modDisk.h"
#include "storage/modIntentRecord.h"
#include "storage/modTestReport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString SeatProcedure = QStringLiteral("EstablishSeat");
const QString TakeOverProcedure = QStringLiteral("TakeOverOldPendingFiles");

QString g_seat;
// The lock of the seat's folder in the data folder, and during a change of
// data folder the one in the new folder.
FileLock g_lock;
FileLock g_claim;

QString CleanPath(const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

// One file however it is reached (a symbolic link, a share mounted twice).
bool SameFile(const QString& a, const QString& b)
{
    struct stat first {};
    struct stat second {};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0
        && ::stat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev
        && first.st_ino == second.st_ino;
}

// The name in the program folder; empty when there is none yet or it does
// not hold a seat's name (logged), unset when it cannot be read.
std::optional<QString> ReadSeatFile(const QString& path)
{
    SystemError error;
    const std::optional<std::string> bytes = ReadFileWhole(path, error);
    if (!bytes) {
        if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
            return QString();
        WriteLog(error, SeatProcedure, path);
        return std::nullopt;
    }
    const QString name = QString::fromLatin1(bytes->data(), static_cast<qsizetype>(bytes->size())).trimmed();
    if (IsSeatName(name))
        return name;
    WriteLog(0, QStringLiteral("%1 holds no seat name").arg(path), SeatProcedure);
    return QString();
}

// Locks the seat's folder in the data folder with the given lock: false only
// while another process holds it.
bool LockSeatFolder(FileLock& lock, const QString& dataFolder)
{
    const QString folder = SeatPendingFolder(dataFolder);
    const QString path = JoinPath(folder, QLatin1String(SeatLockFileName));
    if (lock.IsLocked() && SameFile(lock.Path(), path))
        return true;
    SystemError error;
    switch (lock.TryLock(path, error)) {
    case FileLock::Result::Locked:
        return true;
    case FileLock::Result::HeldElsewhere:
        WriteLog(0, QStringLiteral("%1 is held by another run of seat %2").arg(path, g_seat), SeatProcedure);
        return false;
    case FileLock::Result::Failed:
        // Says nothing of another run: the series are written there or not
        // as the folder allows.
        WriteLog(error, SeatProcedure, path);
        return true;
    }
    return true;
}

// The name of a pending file as the loader takes it: "PENDING " in it and
// "QTA" at its end, exact case.
bool IsPendingName(const QString& name)
{
    return name.endsWith(QLatin1String("QTA")) && name.contains(QLatin1String("PENDING "));
}

// The data folder as the writer of a record found there reached it: a
// take-over keeps it as the record's folder; a step on the pending files
// lies beside the pending file it names (the one a termination removes, the
// one a move makes).
QString WrittenFolder(const IntentRecord& record)
{
    if (!record.Folder.isEmpty())
        return record.Folder;
    if (record.Commit == IntentCommit::FileWritten && !record.Removed.empty())
        return QFileInfo(record.Removed.front().Path).absolutePath();
    if (record.Commit == IntentCommit::FileRemoved && !record.Created.empty())
        return QFileInfo(record.Created.front().Path).absolutePath();
    return QString();
}

// Such a record names its files by absolute paths below that folder: a seat
// that mounts the share at another path finds them below its own.
IntentRecord Rebased(IntentRecord record, const QString& dataFolder)
{
    record.Folder = WrittenFolder(record);
    const QString from = record.Folder + u'/';
    const QString to = CleanPath(dataFolder) + u'/';
    if (record.Folder.isEmpty() || from == to)
        return record;
    for (std::vector<IntentFile>* files : {&record.Created, &record.Removed})
        for (IntentFile& file : *files)
            if (file.Path.startsWith(from))
                file.Path = to + file.Path.mid(from.size());
    record.Folder = CleanPath(dataFolder);
    return record;
}

// Finishes a record a run or a take-over left in the data folder itself.
// False when it stays (it could not be read or completed): what it may
// still remove is then in keep.
bool FinishOldRecord(const QString& dataFolder, const char* name, QSet<QString>& keep)
{
    const QString path = JoinPath(dataFolder, QLatin1String(name));
    IntentRecord record;
    switch (ReadIntentRecord(path, record, TakeOverProcedure)) {
    case IntentRead::Absent:
    case IntentRead::SetAside:
        return true;
    case IntentRead::Unreadable:
        return false;
    case IntentRead::Read:
        break;
    }
    record = Rebased(record, dataFolder);
    const bool committed = IntentCommitted(record, DataFolder);
    if (FinishIntent(path, record, committed, TakeOverProcedure, true))
        return true;
    for (const IntentFile& file : IntentLeftovers(record, committed))
        keep.insert(CleanPath(file.Path));
    return false;
}

QString PendingName(int number) { return QStringLiteral("PENDING %1.QTA").arg(number); }

}  // namespace

bool IsSeatName(const QString& name)
{
    if (name.isEmpty() || name.size() > 24 || name.startsWith(u'-') || name.endsWith(u'-'))
        return false;
    for (const QChar c : name)
        if (!((c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-'))
            return false;
    return true;
}

QString MakeSeatName(const QString& hostName, const QString& programFolder)
{
    QString host;
    for (const QChar c : hostName.toUpper()) {
        const bool plain = (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
        if (plain)
            host += c;
        else if (!host.isEmpty() && !host.endsWith(u'-'))
            host += u'-';
        if (host.size() == 15)
            break;
    }
    while (host.endsWith(u'-'))
        host.chop(1);
    if (host.isEmpty())
        host = QStringLiteral("PC");
    const QByteArray sum = QCryptographicHash::hash((hostName + u'\n' + programFolder).toUtf8(),
                                                    QCryptographicHash::Sha256);
    return host + u'-' + QString::fromLatin1(sum.left(4).toHex().toUpper());
}

QString SeatFolderName(const QString& seat) { return QStringLiteral("SEAT-") + seat; }

QString SeatName() { return g_seat; }

QString SeatPendingFolder(const QString& dataFolder)
{
    if (g_seat.isEmpty())
        return dataFolder;
    const QString folder = JoinPath(dataFolder, SeatFolderName(g_seat));
    // Made here, below a data folder that is there, and never the data
    // folder itself: one that cannot be reached now must not be made anew.
    if (QFileInfo(dataFolder).isDir() && ::mkdir(QFile::encodeName(folder).constData(), 0777) == 0)
        SyncFolder(dataFolder);
    return folder;
}

bool EstablishSeat()
{
    if (g_seat.isEmpty()) {
        const QString folder = ProgramFolder();
        const QString path = JoinPath(folder, QLatin1String(SeatFileName));
        std::optional<QString> name = ReadSeatFile(path);
        const QString made = MakeSeatName(QSysInfo::machineHostName(), CleanPath(folder));
        if (!name) {
            // It may still be there: no second name is written over it, and
            // this run works as the seat the folder would make.
            name = made;
        } else if (name->isEmpty()) {
            name = made;
            SystemError error;
            if (!WriteFileAtomically(path, (made + QStringLiteral("\r\n")).toStdString(), error))
                WriteLog(error, SeatProcedure, path);
        }
        g_seat = *name;
    }
    return LockSeatFolder(g_lock, DataFolder);
}

void EndSeat()
{
    g_claim.Unlock();
    g_lock.Unlock();
    g_seat.clear();
}

bool ClaimSeatFolder(const QString& dataFolder)
{
    if (g_seat.isEmpty())
        return true;
    // The folder this run holds already, under another name: the lock
    // stays where it is.
    const QString path = JoinPath(SeatPendingFolder(dataFolder), QLatin1String(SeatLockFileName));
    if (g_lock.IsLocked() && SameFile(g_lock.Path(), path))
        return true;
    return LockSeatFolder(g_claim, dataFolder);
}

void SettleSeatFolder()
{
    if (!g_claim.IsLocked())
        return;
    const QString named = JoinPath(SeatPendingFolder(DataFolder), QLatin1String(SeatLockFileName));
    if (SameFile(g_claim.Path(), named))
        g_claim.MoveTo(g_lock);
    else
        g_claim.Unlock();
}

void TakeOverOldPendingFiles(const QString& dataFolder, const QSet<QString>& keep)
{
    if (g_seat.isEmpty() || !QFileInfo(dataFolder).isDir())
        return;
    // Most starts find nothing of the old layout: no lock is taken then (a
    // data folder that may not be written makes no log line each start).
    // What is found is looked at again under the lock.
    const QStringList names = dskListFiles(dataFolder);
    if (!names.contains(QLatin1String(TakeOverRecordName)) && !names.contains(QLatin1String(SeriesStepRecordName))
        && std::none_of(names.begin(), names.end(), IsPendingName))
        return;
    const QString seatFolder = SeatPendingFolder(dataFolder);
    FileLock lock;
    SystemError error;
    if (lock.Lock(JoinPath(dataFolder, QLatin1String(TakeOverLockFileName)), error) != FileLock::Result::Locked) {
        // A data folder that cannot be written cannot give its files away.
        WriteLog(error, TakeOverProcedure, dataFolder);
        return;
    }
    // What an earlier take-over and a run before seats left, first: a file
    // such a record still means to remove must not be taken.
    QSet<QString> kept = keep;
    if (!FinishOldRecord(dataFolder, TakeOverRecordName, kept))
        return;
    if (!FinishOldRecord(dataFolder, SeriesStepRecordName, kept))
        return;

    IntentRecord record{IntentCommit::FileRemoved, CleanPath(dataFolder), false, {}, {}};
    std::vector<std::string> bytes;
    QSet<QString> chosen;
    int number = 1;
    for (const QString& name : dskListFiles(dataFolder)) {
        const QString path = CleanPath(JoinPath(dataFolder, name));
        if (!IsPendingName(name) || kept.contains(path))
            continue;
        struct stat file {};
        if (::lstat(QFile::encodeName(path).constData(), &file) != 0 || !S_ISREG(file.st_mode)
            || !dskIsTestReportFile(dataFolder, name))
            continue;
        const std::optional<std::string> read = ReadFileWhole(path, error);
        if (!read) {
            WriteLog(error, TakeOverProcedure, path);
            continue;
        }
        QString target;
        do
            target = CleanPath(JoinPath(seatFolder, PendingName(number++)));
        while (QFileInfo::exists(target) || QFileInfo(target).isSymLink());
        record.Created.push_back(IntentFile{target, IntentChecksum(*read)});
        record.Removed.push_back(IntentFile{path, IntentChecksum(*read)});
        bytes.push_back(*read);
    }
    if (record.Removed.empty())
        return;
    const QString recordPath = JoinPath(dataFolder, QLatin1String(TakeOverRecordName));
    if (!WriteIntentRecord(recordPath, record, error)) {
        WriteLog(error, TakeOverProcedure, recordPath);
        return;
    }
    auto undo = [&] {
        // Not committed: the copies go, the old files stay; a record that
        // cannot be finished now is finished by the next start.
        FinishIntent(recordPath, record, false, TakeOverProcedure);
    };
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (!WriteFileAtomically(record.Created[i].Path, bytes[i], error)) {
            WriteLog(error, TakeOverProcedure, record.Created[i].Path);
            undo();
            return;
        }
    }
    // The commit point: the first old file gone.
    const QString first = record.Removed.front().Path;
    if (::unlink(QFile::encodeName(first).constData()) != 0) {
        WriteLog(ErrorFromErrno(errno, first), TakeOverProcedure, first);
        undo();
        return;
    }
    SyncFolder(dataFolder);
    if (FinishIntent(recordPath, record, true, TakeOverProcedure))
        WriteLog(0, QStringLiteral("%1 pending files taken over into %2").arg(record.Removed.size()).arg(seatFolder),
                 TakeOverProcedure);
}
