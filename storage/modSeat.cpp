#include "storage/modSeat.h"

#include "foundation/modGlobals.h"
#include "foundation/modLog.h"
#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "platform/ErrorCodes.h"
#include "platform/FileLock.h"
#include "platform/Machine.h"
#include "platform/Paths.h"
#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"
#include "storage/modDisk.h"
#include "storage/modIntentRecord.h"
#include "storage/modTestReport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QUuid>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <list>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString SeatProcedure = QStringLiteral("EstablishSeat");
constexpr int16_t MsgMountLocalLocks = 52;
const QString TakeOverProcedure = QStringLiteral("TakeOverOldPendingFiles");

QString g_seat;
// The lock of the seat's folder in the data folder, and during a change of
// data folder the one in the new folder.
FileLock g_lock;
FileLock g_claim;
// The seat folders the program folder stood in for whose series this run
// loaded from there.
std::list<FileLock> g_left;
// The lock file whose failure was logged last: a folder that cannot hold
// locks is told once, not at every save.
QString g_failureLogged;

QString CleanPath(const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

// What the program folder's seat file holds: the seat's name, then the
// machine it was named on (its id and host name), a line each. A file of
// the shape before machines holds the name alone.
struct SeatFile {
    QString Name;
    QString MachineId;
    QString HostName;
};

// The seat file in the program folder; an empty name when there is none yet
// or it does not hold a seat's name (logged), unset when it cannot be read.
std::optional<SeatFile> ReadSeatFile(const QString& path)
{
    SystemError error;
    const std::optional<std::string> bytes = ReadFileWhole(path, error, LinkAtName::Follow, MaxSeatFileSize);
    if (!bytes) {
        if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
            return SeatFile{};
        WriteLog(error, SeatProcedure, path);
        return std::nullopt;
    }
    const QStringList lines = QString::fromLatin1(bytes->data(), static_cast<qsizetype>(bytes->size()))
                                  .split(QLatin1Char('\n'));
    SeatFile file;
    file.Name = lines.value(0).trimmed();
    file.MachineId = lines.value(1).trimmed();
    file.HostName = lines.value(2).trimmed();
    if (IsSeatName(file.Name))
        return file;
    WriteLog(0, QStringLiteral("%1 holds no seat name").arg(path), SeatProcedure);
    return SeatFile{};
}

// Whether the seat file was written on the machine this process runs on:
// by the machine id where both have one (a host name is often shared by PCs
// set up from one image, and may change), else by the host name.
bool NamedOnThisMachine(const SeatFile& file)
{
    // A file of the shape before machines is taken for this machine's.
    if (file.MachineId.isEmpty() && file.HostName.isEmpty())
        return true;
    const QString id = MachineId();
    if (!file.MachineId.isEmpty() && !id.isEmpty())
        return file.MachineId == id;
    return file.HostName == MachineHostName();
}

// The seat's name is written into the program folder when it is first
// needed (a seat folder in a data folder), not at the start: a first start
// that is cancelled leaves nothing behind. Until then it is only in memory.
bool g_seatUnwritten = false;
// What the seat becomes where its file cannot be written: the name made
// from the host and the program folder's path.
QString g_madeSeat;

// Writes the seat's name and this machine into the program folder, once;
// where that fails, the seat is the one the file names now, or the made one.
void WriteSeatFile()
{
    if (!g_seatUnwritten)
        return;
    g_seatUnwritten = false;
    const QString path = JoinPath(ProgramFolder(), QLatin1String(SeatFileName));
    const QString text = g_seat + QStringLiteral("\r\n") + MachineId() + QStringLiteral("\r\n") + MachineHostName()
        + QStringLiteral("\r\n");
    SystemError error;
    if (WriteFileAtomically(path, text.toStdString(), error))
        return;
    WriteLog(error, SeatProcedure, path);
    // What the file holds now is the seat (a write whose sync failed may
    // still be in place, or the file keeps its shape before machines); the
    // made name where it names none, or one of another machine.
    const std::optional<SeatFile> now = ReadSeatFile(path);
    g_seat = now && !now->Name.isEmpty() && NamedOnThisMachine(*now) ? now->Name : g_madeSeat;
}

// Looked at once a run for each data folder: a file system whose locks hold
// only through one mount.
QStringList g_mountLocalTold;

// Told once for each seat and data folder: a note in the seat's folder
// keeps that it was, so that an operator is not told again at each start
// of a lab that keeps such a share. Whatever lies at the note's name counts;
// it is never read.
void TellOfMountLocalLocks(const QString& dataFolder, const QString& seatFolder)
{
    if (g_mountLocalTold.contains(dataFolder))
        return;
    const QString type = MountLocalLockFileSystem(dataFolder);
    if (type.isEmpty())
        return;
    g_mountLocalTold << dataFolder;
    const QString note = JoinPath(seatFolder, QLatin1String(MountToldFileName));
    struct stat there {};
    if (::lstat(QFile::encodeName(note).constData(), &there) == 0)
        return;
    WriteLog(0,
             QStringLiteral("%1 lies on %2, whose locks hold only through this mount: a run of this seat on another "
                            "PC is not refused there")
                 .arg(dataFolder, type),
             SeatProcedure);
    ShowMessage(MsgMountLocalLocks);
    // Written after the message, so that a run ended while it was up tells
    // again; one that cannot be written tells again at the next start.
    SystemError error;
    WriteNewFile(note, (type + QStringLiteral("\r\n")).toStdString(), error, ReadOnlyPermissions);
}

// The lock file of the seat's folder in the data folder; empty where the
// pending files lie in the data folder itself (the program folder, whose own
// lock keeps a second copy out, or no seat).
QString SeatLockPath(const QString& dataFolder)
{
    const QString folder = SeatPendingFolder(dataFolder);
    return folder == dataFolder ? QString() : JoinPath(folder, QLatin1String(SeatLockFileName));
}

// The answers of a folder that cannot be reached now (a share whose server
// is gone or does not answer, a handle gone stale, a folder missing), as
// against those of a file system without such locks (ENOLCK, EOPNOTSUPP,
// EINVAL) or of one that may not be written: the series are not there to
// be written to. Told by the error's number (the classic one where the
// answer has one), not by its text, which follows the locale.
bool SaysUnreachable(const SystemError& error)
{
    for (const int reason : {EIO, ENOTCONN, ESTALE, EHOSTDOWN, ETIMEDOUT, ENOENT, ENOTDIR, ENXIO, ENODEV})
        if (error.Number == ClassicErrorNumber(reason))
            return true;
    return false;
}

// The device of the data folder when each lock was taken: a share
// unmounted (or mounted over it) meanwhile shows another file system at
// the same path, one whose folders the program did not lock.
dev_t g_lockDevice = 0;
dev_t g_claimDevice = 0;

std::optional<dev_t> DeviceOf(const QString& folder)
{
    struct stat info {};
    if (::stat(QFile::encodeName(folder).constData(), &info) != 0)
        return std::nullopt;
    return info.st_dev;
}

// Makes the seat's folder in a data folder that is there (never the data
// folder itself: one that cannot be reached must not be made anew). Only
// where the seat is established: a look-up during a run that made it would
// make it in an empty folder where a share was unmounted.
void MakeSeatFolder(const QString& dataFolder)
{
    const QString folder = SeatPendingFolder(dataFolder);
    if (folder != dataFolder && QFileInfo(dataFolder).isDir()
        && ::mkdir(QFile::encodeName(folder).constData(), 0777) == 0)
        SyncFolder(dataFolder);
}

enum class SeatLock { Held, HeldElsewhere, Unreachable };

// Locks the seat's folder in the data folder with the given lock. A folder
// that cannot hold the lock (no locks on its file system, read-only) is
// logged once and counts as held: the series are written there or not as
// the folder allows.
SeatLock LockSeatFolder(FileLock& lock, const QString& dataFolder, SystemError* reason = nullptr)
{
    const QString path = SeatLockPath(dataFolder);
    if (path.isEmpty()) {
        lock.Unlock();
        return SeatLock::Held;
    }
    if (lock.IsLocked() && SameFile(lock.Path(), path))
        return SeatLock::Held;
    TellOfMountLocalLocks(dataFolder, QFileInfo(path).path());
    SystemError error;
    switch (lock.TryLock(path, error)) {
    case FileLock::Result::Locked:
        g_failureLogged.clear();
        (&lock == &g_claim ? g_claimDevice : g_lockDevice) = DeviceOf(dataFolder).value_or(0);
        return SeatLock::Held;
    case FileLock::Result::HeldElsewhere:
        WriteLog(0, QStringLiteral("%1 is held by another run of seat %2").arg(path, g_seat), SeatProcedure);
        if (reason)
            *reason = ErrorFromErrno(EBUSY, path);
        return SeatLock::HeldElsewhere;
    case FileLock::Result::Failed:
        // Says nothing of another run: the series are written there or not
        // as the folder allows.
        if (g_failureLogged != path)
            WriteLog(error, SeatProcedure, path);
        g_failureLogged = path;
        if (reason)
            *reason = error;
        return SaysUnreachable(error) ? SeatLock::Unreachable : SeatLock::Held;
    }
    return SeatLock::Held;
}

// Whether the start found the seat's folder in the data folder out of
// reach, and why.
bool g_startUnreachable = false;
SystemError g_startReason;

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

// A name of the old layout that holds a series to take over: a file of its
// own (no link, no folder) that reads as a test report.
bool IsOldSeries(const QString& dataFolder, const QString& name)
{
    struct stat file {};
    return IsPendingName(name)
        && ::lstat(QFile::encodeName(JoinPath(dataFolder, name)).constData(), &file) == 0 && S_ISREG(file.st_mode)
        && dskIsTestReportFile(dataFolder, name);
}

// Names of the old layout that hold no series (a note someone laid there, a
// folder, a file cut short) are no reason to take the take-over lock; each
// is logged once for the seat, which keeps them, with their size and time,
// in its folder, so that a later start logs it again only once it changed.
void LogOldNamesOfNoSeries(const QString& dataFolder, const QString& seatFolder, const QStringList& names)
{
    const QString path = JoinPath(seatFolder, QLatin1String(OldNamesFileName));
    SystemError error;
    // Anyone who may write the data folder may lay something at this name:
    // only a file of its own, of a size this list can have, is read (a pipe
    // would hold the start, a link lead anywhere), as its descriptor tells,
    // not a look before; anything else is taken as no list, and the names
    // are logged once more.
    const std::optional<std::string> known = ReadFileWhole(path, error, LinkAtName::Refuse, MaxOldNamesSize);
    const QStringList before = known ? QString::fromUtf8(known->data(), static_cast<qsizetype>(known->size()))
                                           .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)
                                     : QStringList();
    QStringList lines;
    for (const QString& name : names) {
        struct stat file {};
        if (::lstat(QFile::encodeName(JoinPath(dataFolder, name)).constData(), &file) != 0)
            continue;
        const QString line = QStringLiteral("%1\t%2\t%3")
                                 .arg(name)
                                 .arg(static_cast<qint64>(file.st_size))
                                 .arg(static_cast<qint64>(file.st_mtim.tv_sec));
        lines << line;
        if (!before.contains(line))
            WriteLog(0, QStringLiteral("%1 holds no pending series: it is not taken over").arg(JoinPath(dataFolder, name)),
                     TakeOverProcedure);
    }
    if (lines == before || !QFileInfo(seatFolder).isDir())
        return;
    // Only a name that is gone is no longer kept; a write that fails costs
    // a second log line at a later start, nothing more.
    const QString text = lines.isEmpty() ? QString() : lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    if (!WriteFileAtomically(path, text.toStdString(), error))
        WriteLog(error, TakeOverProcedure, path);
}

// How long a start waits for another seat's take-over: one takes a moment;
// a lock held longer is held by something else (a tool, a hung process), and
// the start goes on without taking over.
int g_takeOverWaitMilliseconds = 5000;

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
    // The seat is first needed where its folder is: its name goes into the
    // program folder before a path under it is handed out.
    WriteSeatFile();
    return JoinPath(dataFolder, SeatFolderName(g_seat));
}

bool EstablishSeat()
{
    if (g_seat.isEmpty()) {
        const QString folder = ProgramFolder();
        const QString path = JoinPath(folder, QLatin1String(SeatFileName));
        const std::optional<SeatFile> file = ReadSeatFile(path);
        g_madeSeat = MakeSeatName(MachineHostName(), CleanPath(folder));
        if (!file) {
            // It may still be there: no second name is written over it, and
            // this run works as the seat the folder would make.
            g_seat = g_madeSeat;
        } else if (file->Name.isEmpty() || !NamedOnThisMachine(*file)) {
            // A name of its own: PCs set up from one image share their host
            // name and the program's path, and would be one seat by the
            // made name. That name stays where a run that could not write
            // its file left series under it.
            // A program folder copied to another machine is a seat of its
            // own there too: a lock taken through one mount of a share may
            // not keep out a run of the same seat through another.
            if (!file->Name.isEmpty())
                WriteLog(0,
                         QStringLiteral("%1 names seat %2 of machine %3 (%4); this is %5 (%6): a seat of its own is "
                                        "named, the series of seat %2 stay that seat's")
                             .arg(path, file->Name, file->MachineId, file->HostName, MachineId(), MachineHostName()),
                         SeatProcedure);
            g_seat = QFileInfo::exists(JoinPath(DataFolder, SeatFolderName(g_madeSeat)))
                ? g_madeSeat
                : MakeSeatName(MachineHostName(), CleanPath(folder) + u'\n' + QUuid::createUuid().toString());
            g_seatUnwritten = true;
        } else {
            g_seat = file->Name;
            // A file of the shape before machines gets this one, the machine
            // it runs on, when the seat is next needed.
            g_seatUnwritten = file->MachineId.isEmpty() && file->HostName.isEmpty();
        }
    }
    MakeSeatFolder(DataFolder);
    const SeatLock lock = LockSeatFolder(g_lock, DataFolder, &g_startReason);
    g_startUnreachable = lock == SeatLock::Unreachable;
    return lock != SeatLock::HeldElsewhere;
}

bool SeatFolderUnreachableAtStart(SystemError* reason)
{
    if (reason && g_startUnreachable)
        *reason = g_startReason;
    return g_startUnreachable;
}

void EndSeat()
{
    g_failureLogged.clear();
    g_mountLocalTold.clear();
    g_seatUnwritten = false;
    g_startUnreachable = false;
    g_left.clear();
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
    // A folder this run loaded series from is claimed by this lock alone.
    g_left.remove_if([&](const FileLock& left) { return SameFile(left.Path(), path); });
    // Chosen by the operator: the seat is established there.
    MakeSeatFolder(dataFolder);
    return LockSeatFolder(g_claim, dataFolder) != SeatLock::HeldElsewhere;
}

void SettleSeatFolder()
{
    const QString named = SeatLockPath(DataFolder);
    if (g_claim.IsLocked() && !named.isEmpty() && SameFile(g_claim.Path(), named)) {
        g_claim.MoveTo(g_lock);
        g_lockDevice = g_claimDevice;
    }
    g_claim.Unlock();
    // A folder the settings no longer name (the program folder stands in
    // for it) is free to the seat's other runs.
    if (g_lock.IsLocked() && (named.isEmpty() || !SameFile(g_lock.Path(), named)))
        g_lock.Unlock();
}

bool HoldSeatFolder(SystemError* reason)
{
    if (g_seat.isEmpty())
        return true;
    const QString path = SeatLockPath(DataFolder);
    if (path.isEmpty())
        return true;
    if (g_lock.IsLocked() && g_lock.Path() == path) {
        // The folder this run locked is still the one at that path: not
        // gone, and not an empty folder of another file system where a
        // share was unmounted (or one mounted over it).
        const QString folder = SeatPendingFolder(DataFolder);
        struct stat info {};
        if (::stat(QFile::encodeName(folder).constData(), &info) != 0) {
            const SystemError gone = ErrorFromErrno(errno, folder);
            WriteLog(gone, SeatProcedure, folder);
            if (reason)
                *reason = gone;
            return false;
        }
        if (info.st_dev == g_lockDevice && DeviceOf(DataFolder) == g_lockDevice)
            return true;
        const QString moved =
            QStringLiteral("%1 lies on another file system than when its lock was taken").arg(DataFolder);
        WriteLog(0, moved, SeatProcedure);
        if (reason)
            *reason = SystemError{0, moved};
        return false;
    }
    // Not taken yet in this folder (it could not hold locks at the start).
    return LockSeatFolder(g_lock, DataFolder, reason) == SeatLock::Held;
}

bool HoldLeftSeatFolder(const QString& seatFolder)
{
    // Without a seat the series lie in the data folder itself, unlocked.
    if (g_seat.isEmpty())
        return true;
    const QString path = JoinPath(seatFolder, QLatin1String(SeatLockFileName));
    SystemError error;
    switch (g_left.emplace_back().TryLock(path, error)) {
    case FileLock::Result::Locked:
        return true;
    case FileLock::Result::HeldElsewhere:
        g_left.pop_back();
        WriteLog(0, QStringLiteral("%1 is held by another run of seat %2").arg(path, g_seat), SeatProcedure);
        return false;
    case FileLock::Result::Failed:
        break;
    }
    g_left.pop_back();
    WriteLog(error, SeatProcedure, path);
    return !SaysUnreachable(error);
}

void SetTakeOverWait(int milliseconds) { g_takeOverWaitMilliseconds = milliseconds; }

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
    QStringList noSeries;
    bool series = false;
    for (const QString& name : names) {
        if (!IsPendingName(name))
            continue;
        if (IsOldSeries(dataFolder, name))
            series = true;
        else
            noSeries << name;
    }
    LogOldNamesOfNoSeries(dataFolder, seatFolder, noSeries);
    if (std::none_of(records.begin(), records.end(), IsOldStepRecord) && !series)
        return;
    FileLock lock;
    SystemError error;
    const QString lockPath = JoinPath(dataFolder, QLatin1String(TakeOverLockFileName));
    QElapsedTimer waited;
    waited.start();
    FileLock::Result locked = lock.TryLock(lockPath, error);
    while (locked == FileLock::Result::HeldElsewhere && waited.elapsed() < g_takeOverWaitMilliseconds) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        locked = lock.TryLock(lockPath, error);
    }
    if (locked == FileLock::Result::HeldElsewhere) {
        WriteLog(0, QStringLiteral("%1 is held longer than %2 s: the pending files of the layout before seats are not "
                                   "taken over at this start")
                        .arg(lockPath)
                        .arg(g_takeOverWaitMilliseconds / 1000.0),
                 TakeOverProcedure);
        // A step left there may still remove a copy in this seat's folder:
        // none of what it names is loaded now.
        for (const QString& path : records) {
            IntentRecord record;
            if (IsOldStepRecord(path) && ReadIntentRecord(path, record, TakeOverProcedure) == IntentRead::Read) {
                leftovers.insert(leftovers.end(), record.Created.begin(), record.Created.end());
                leftovers.insert(leftovers.end(), record.Removed.begin(), record.Removed.end());
            }
        }
        return;
    }
    if (locked != FileLock::Result::Locked) {
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
        const std::optional<std::string> read = ReadFileWhole(path, error, LinkAtName::Refuse, MaxReportFileSize);
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
