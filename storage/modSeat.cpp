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
#include <QStringList>
#include <QSysInfo>
#include <QUuid>

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
// The lock file whose failure was logged last: a folder that cannot hold
// locks is told once, not at every save.
QString g_failureLogged;

QString CleanPath(const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

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

// The lock file of the seat's folder in the data folder; empty where the
// pending files lie in the data folder itself (the program folder, whose own
// lock keeps a second copy out, or no seat).
QString SeatLockPath(const QString& dataFolder)
{
    const QString folder = SeatPendingFolder(dataFolder);
    return folder == dataFolder ? QString() : JoinPath(folder, QLatin1String(SeatLockFileName));
}

// Locks the seat's folder in the data folder with the given lock: false only
// while another process holds it.
bool LockSeatFolder(FileLock& lock, const QString& dataFolder)
{
    const QString path = SeatLockPath(dataFolder);
    if (path.isEmpty()) {
        lock.Unlock();
        return true;
    }
    if (lock.IsLocked() && SameFile(lock.Path(), path))
        return true;
    SystemError error;
    switch (lock.TryLock(path, error)) {
    case FileLock::Result::Locked:
        g_failureLogged.clear();
        return true;
    case FileLock::Result::HeldElsewhere:
        WriteLog(0, QStringLiteral("%1 is held by another run of seat %2").arg(path, g_seat), SeatProcedure);
        return false;
    case FileLock::Result::Failed:
        // Says nothing of another run: the series are written there or not
        // as the folder allows.
        if (g_failureLogged != path)
            WriteLog(error, SeatProcedure, path);
        g_failureLogged = path;
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

// A step on the pending files of the data folder itself: a run before
// seats left it, or a take-over.
bool IsOldStepRecord(const QString& path)
{
    return QFileInfo(path).fileName().startsWith(QLatin1String(SeriesStepRecordStem));
}

// Finishes a record a run or a take-over left in the data folder itself.
// False when it stays (it could not be read or completed): what it may
// still remove is then added to leftovers.
bool FinishOldRecord(const QString& path, std::vector<IntentFile>& leftovers)
{
    IntentRecord record;
    switch (ReadIntentRecord(path, record, TakeOverProcedure)) {
    case IntentRead::Absent:
    case IntentRead::SetAside:
    case IntentRead::NotARecord:
    case IntentRead::Refused:
        return true;
    case IntentRead::Unreadable:
    case IntentRead::LaterVersion:
        return false;
    case IntentRead::Read:
        break;
    }
    const IntentCommitState state = IntentCommitOf(record, DataFolder);
    if (FinishIntent(path, record, state, TakeOverProcedure, true))
        return true;
    const std::vector<IntentFile> left = IntentLeftovers(record, state);
    leftovers.insert(leftovers.end(), left.begin(), left.end());
    return false;
}

bool IsNamedIn(const QString& path, const std::vector<IntentFile>& files)
{
    return std::any_of(files.begin(), files.end(), [&](const IntentFile& file) { return SameFile(file.Path, path); });
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
    if (g_seat.isEmpty() || dataFolder.isEmpty() || SameFolder(dataFolder, ProgramFolder()))
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
            // A name of its own: PCs set up from one image share their host
            // name and the program's path, and would be one seat by the
            // made name. That name stays where a run that could not write
            // its file left series under it.
            const QString fresh = QFileInfo::exists(JoinPath(DataFolder, SeatFolderName(made)))
                ? made
                : MakeSeatName(QSysInfo::machineHostName(), CleanPath(folder) + u'\n' + QUuid::createUuid().toString());
            SystemError error;
            if (!WriteFileAtomically(path, (fresh + QStringLiteral("\r\n")).toStdString(), error))
                WriteLog(error, SeatProcedure, path);
            // What the file holds now is the seat (a write whose sync failed
            // may still be in place); the made name where it holds none.
            name = ReadSeatFile(path);
            if (!name || name->isEmpty())
                name = made;
        }
        g_seat = *name;
    }
    return LockSeatFolder(g_lock, DataFolder);
}

void EndSeat()
{
    g_failureLogged.clear();
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
    const QString path = SeatLockPath(dataFolder);
    if (path.isEmpty() || (g_lock.IsLocked() && SameFile(g_lock.Path(), path)))
        return true;
    return LockSeatFolder(g_claim, dataFolder);
}

void SettleSeatFolder()
{
    const QString named = SeatLockPath(DataFolder);
    if (g_claim.IsLocked() && !named.isEmpty() && SameFile(g_claim.Path(), named))
        g_claim.MoveTo(g_lock);
    g_claim.Unlock();
    // A folder the settings no longer name (the program folder stands in
    // for it) is free to the seat's other runs.
    if (g_lock.IsLocked() && (named.isEmpty() || !SameFile(g_lock.Path(), named)))
        g_lock.Unlock();
}

bool HoldSeatFolder()
{
    if (g_seat.isEmpty())
        return true;
    const QString path = SeatLockPath(DataFolder);
    if (path.isEmpty() || (g_lock.IsLocked() && g_lock.Path() == path))
        return true;
    return LockSeatFolder(g_lock, DataFolder);
}

void TakeOverOldPendingFiles(const QString& dataFolder, std::vector<IntentFile>& leftovers)
{
    // The program folder is this seat's alone; another installation's holds
    // that installation's series directly.
    // Nor is a seat's folder chosen as the data folder (known by the lock
    // file every seat leaves in it, under whatever name it is reached): its
    // pending files are that seat's open series, perhaps open right now.
    const QString seatFolder = SeatPendingFolder(dataFolder);
    if (seatFolder == dataFolder || !QFileInfo(dataFolder).isDir()
        || QFileInfo::exists(JoinPath(dataFolder, QLatin1String(SeatFileName)))
        || QFileInfo::exists(JoinPath(dataFolder, QLatin1String(SeatLockFileName))))
        return;
    // Most starts find nothing of the old layout: no lock is taken then (a
    // data folder that may not be written makes no log line each start).
    // What is found is looked at again under the lock.
    const QStringList records = IntentRecordPaths(dataFolder);
    const QStringList names = dskListFiles(dataFolder);
    if (std::none_of(records.begin(), records.end(), IsOldStepRecord)
        && std::none_of(names.begin(), names.end(), IsPendingName))
        return;
    FileLock lock;
    SystemError error;
    if (lock.Lock(JoinPath(dataFolder, QLatin1String(TakeOverLockFileName)), error) != FileLock::Result::Locked) {
        // A data folder that cannot be written cannot give its files away.
        WriteLog(error, TakeOverProcedure, dataFolder);
        return;
    }
    if (!QFileInfo(seatFolder).isDir()) {
        WriteLog(ErrorFromErrno(ENOENT, seatFolder), TakeOverProcedure, seatFolder);
        return;
    }
    // What an earlier take-over and a run before seats left, first: a file
    // such a record still means to remove must not be taken, nor loaded.
    for (const QString& path : IntentRecordPaths(dataFolder))
        if (IsOldStepRecord(path) && !FinishOldRecord(path, leftovers))
            return;

    IntentRecord record{IntentCommit::FileRemoved, QString(), false, {}, {}};
    std::vector<std::string> bytes;
    int number = 1;
    for (const QString& name : dskListFiles(dataFolder)) {
        const QString path = CleanPath(JoinPath(dataFolder, name));
        if (!IsPendingName(name) || IsNamedIn(path, leftovers))
            continue;
        struct stat file {};
        if (::lstat(QFile::encodeName(path).constData(), &file) != 0 || !S_ISREG(file.st_mode)
            || !dskIsTestReportFile(dataFolder, name))
            continue;
        const std::optional<std::string> read = ReadFileWhole(path, error, LinkAtName::Refuse);
        if (!read) {
            WriteLog(error, TakeOverProcedure, path);
            continue;
        }
        // A name whose state cannot be told is not free.
        QString target;
        for (;;) {
            target = CleanPath(JoinPath(seatFolder, PendingName(number++)));
            std::optional<IntentFile> there;
            if (!IntentFileAsFound(target, there, error)) {
                WriteLog(error, TakeOverProcedure, target);
                return;
            }
            if (!there && !IsNamedIn(target, leftovers))
                break;
        }
        record.Created.push_back(IntentFile{target, IntentChecksum(*read)});
        record.Removed.push_back(IntentFile{path, IntentChecksum(*read)});
        bytes.push_back(*read);
    }
    if (record.Removed.empty())
        return;
    QString recordPath;
    if (!CreateIntentRecord(dataFolder, QLatin1String(SeriesStepRecordStem), record, recordPath, error)) {
        WriteLog(error, TakeOverProcedure, dataFolder);
        return;
    }
    // Ends the step as its commit point stands; one that cannot be finished
    // now is finished by the next start, and what it still means to remove
    // is not loaded.
    const auto finish = [&](IntentCommitState state) {
        if (FinishIntent(recordPath, record, state, TakeOverProcedure))
            return true;
        const std::vector<IntentFile> left = IntentLeftovers(record, state);
        leftovers.insert(leftovers.end(), left.begin(), left.end());
        return false;
    };
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (!WriteFileAtomically(record.Created[i].Path, bytes[i], error)) {
            WriteLog(error, TakeOverProcedure, record.Created[i].Path);
            finish(IntentCommitState::NotReached);
            return;
        }
    }
    // The commit point: the first old file gone.
    RemoveIfItHolds(record.Removed.front(), TakeOverProcedure);
    const IntentCommitState state = IntentCommitOf(record, DataFolder);
    if (finish(state) && state == IntentCommitState::Reached)
        WriteLog(0, QStringLiteral("%1 pending files taken over into %2").arg(record.Removed.size()).arg(seatFolder),
                 TakeOverProcedure);
}
