#include "storage/modSeat.h"

#include "foundation/modGlobals.h"
#include "foundation/modLog.h"
#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "platform/ErrorCodes.h"
#include "platform/FileLock.h"
#include "platform/InstanceLock.h"
#include "platform/Machine.h"
#include "platform/Paths.h"
#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"
#include "platform/SharedFolder.h"
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

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString SeatProcedure = QStringLiteral("EstablishSeat");
constexpr int16_t MsgMountLocalLocks = 52;
constexpr int16_t MsgFormerSeatsSeries = 53;
const QString TakeOverProcedure = QStringLiteral("TakeOverOldPendingFiles");

QString g_seat;
// The lock of the seat's folder in the data folder, and during a change of
// data folder the one in the new folder.
FileLock g_lock;
FileLock g_claim;
// The seat's lock on this machine, which lies on no share: a copy of the
// program folder that kept the seat's name, or a second mount of the share
// (whose client keeps its locks, and even its exclusive creates, to
// itself), reaches another SEAT.LCK or none that holds, but never another
// machine lock. SEAT.LCK stays for the runs of other machines.
MachineLock g_machineLock;
// The machine lock that could not be taken for want of such sockets, logged
// once.
QString g_machineFailureLogged;
// The seat folders the program folder stood in for whose series this run
// loaded from there.
std::list<FileLock> g_left;
// The lock file whose failure was logged last: a folder that cannot hold
// locks is told once, not at every save.
QString g_failureLogged;

QString CleanPath(const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

// What the program folder's seat file holds: the seat's name, then the
// machine it was named on (its id and host name), a line each. A file of
// the shape before machines holds the name alone. A fourth line names the
// seat the folder was before this machine named it anew, until the operator
// was told of that seat's open series (the data folder was away then).
struct SeatFile {
    QString Name;
    QString MachineId;
    QString HostName;
    QString Former;
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
    file.Former = lines.value(3).trimmed();
    if (!IsSeatName(file.Former))
        file.Former.clear();
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
// The seat the program folder was before this machine named it anew, while
// its open series are still to be told.
QString g_formerSeat;

// Writes the seat's name and this machine into the program folder, once;
// where that fails, the seat is the one the file names now, or the made one.
void WriteSeatFile()
{
    if (!g_seatUnwritten)
        return;
    g_seatUnwritten = false;
    const QString path = JoinPath(ProgramFolder(), QLatin1String(SeatFileName));
    QString text = g_seat + QStringLiteral("\r\n") + MachineId() + QStringLiteral("\r\n") + MachineHostName()
        + QStringLiteral("\r\n");
    if (!g_formerSeat.isEmpty())
        text += g_formerSeat + QStringLiteral("\r\n");
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

// Holds the machine's lock of the seat under its present name (moved along
// where the name changed since). False while another run on this machine
// holds it; a machine that cannot give such a lock is logged once, and the
// run goes on as with a program folder that cannot hold its lock.
bool HoldSeatOnMachine()
{
    const QString name = SeatMachineLockName(g_seat);
    SystemError error;
    switch (g_machineLock.TryLock(name, error)) {
    case MachineLock::Result::Locked:
        return true;
    case MachineLock::Result::HeldElsewhere:
        WriteLog(0,
                 QStringLiteral("seat %1 runs already on this machine (a copy of the program folder %2, or one "
                                "reaching the data folder through another path or mount)")
                     .arg(g_seat, ProgramFolder()),
                 SeatProcedure);
        return false;
    case MachineLock::Result::Failed:
        break;
    }
    if (g_machineFailureLogged != name)
        WriteLog(error, SeatProcedure, name);
    g_machineFailureLogged = name;
    return true;
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

// A seat folder as a look found it: a folder of its own at its name, known
// by device and inode; something else laid at its name (a link, wherever it
// leads, or a file); or nothing to tell (missing, out of reach).
enum class SeatFolderKind { Own, NotOwn, Unseen };
struct SeatFolderLook {
    bool Known = false;
    dev_t Device = 0;
    ino_t Inode = 0;
};
// The seat folders as they were when each lock was taken: the folder the
// seat locked is the one its files are written to and loaded from, not a
// link or another folder laid at its name since.
SeatFolderLook g_lockFolder;
SeatFolderLook g_claimFolder;

// Looks at the seat folder without following a link at its name: opened
// below its data folder (reached as named: a link in the data folder's own
// path is the user's choice) as a folder of its own, told by fstat on that
// descriptor. error gets why, where it is not Own.
SeatFolderKind LookAtSeatFolder(const QString& seatFolder, SeatFolderLook& look, SystemError& error)
{
    look = SeatFolderLook{};
    const QFileInfo info(seatFolder);
    const int data = ::open(QFile::encodeName(info.absolutePath()).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (data < 0) {
        error = ErrorFromErrno(errno, info.absolutePath());
        return SeatFolderKind::Unseen;
    }
    const int fd = ::openat(data, QFile::encodeName(info.fileName()).constData(),
                            O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    int reason = fd < 0 ? errno : 0;
    ::close(data);
    struct stat found {};
    if (fd >= 0) {
        if (::fstat(fd, &found) != 0)
            reason = errno;
        else if (!S_ISDIR(found.st_mode))
            reason = ENOTDIR;
        ::close(fd);
    }
    if (reason == ELOOP || reason == ENOTDIR) {
        error = SystemError{ErrorFromErrno(ENOTDIR).Number,
                            QStringLiteral("%1 is no folder of its own: a link or a file lies at its name")
                                .arg(seatFolder)};
        return SeatFolderKind::NotOwn;
    }
    if (reason != 0) {
        error = ErrorFromErrno(reason, seatFolder);
        return SeatFolderKind::Unseen;
    }
    look = SeatFolderLook{true, found.st_dev, found.st_ino};
    return SeatFolderKind::Own;
}

// Makes the seat's folder in a data folder that is there (never the data
// folder itself: one that cannot be reached must not be made anew). Only
// where the seat is established: a look-up during a run that made it would
// make it in an empty folder where a share was unmounted.
void MakeSeatFolder(const QString& dataFolder)
{
    const QString folder = SeatPendingFolder(dataFolder);
    if (folder != dataFolder && QFileInfo(dataFolder).isDir()
        && MkdirInSharedFolder(folder, 0777) == 0)
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
    // Something laid at the seat folder's name (a link to a folder outside)
    // is the folder away: no lock file, no note, no series is written
    // through it. One that is no longer the folder looked at once its lock
    // is taken was swapped meanwhile, and is away too.
    const QString folder = QFileInfo(path).path();
    SeatFolderLook& locked = &lock == &g_claim ? g_claimFolder : g_lockFolder;
    locked = SeatFolderLook{};
    SeatFolderLook before;
    SystemError error;
    const auto away = [&](const SystemError& why) {
        lock.Unlock();
        if (g_failureLogged != path)
            WriteLog(why, SeatProcedure, folder);
        g_failureLogged = path;
        if (reason)
            *reason = why;
        return SeatLock::Unreachable;
    };
    if (LookAtSeatFolder(folder, before, error) == SeatFolderKind::NotOwn)
        return away(error);
    TellOfMountLocalLocks(dataFolder, folder);
    switch (lock.TryLock(path, error)) {
    case FileLock::Result::Locked: {
        SeatFolderLook after;
        if (before.Known
            && (LookAtSeatFolder(folder, after, error) != SeatFolderKind::Own || after.Device != before.Device
                || after.Inode != before.Inode))
            return away(error.Text.isEmpty()
                            ? SystemError{ErrorFromErrno(ENOTDIR).Number,
                                          QStringLiteral("%1 was replaced while its lock was taken").arg(folder)}
                            : error);
        g_failureLogged.clear();
        locked = before;
        (&lock == &g_claim ? g_claimDevice : g_lockDevice) = DeviceOf(dataFolder).value_or(0);
        return SeatLock::Held;
    }
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

// Whether the file lies right in a seat's folder of the data folder.
bool InASeatFolder(const QString& dataFolder, const QString& path)
{
    const QString folder = QFileInfo(path).absolutePath();
    return QFileInfo(folder).fileName().startsWith(QLatin1String("SEAT-"))
        && SameFolder(QFileInfo(folder).absolutePath(), dataFolder);
}

// The part of a record in the data folder itself that this seat acts on. A
// seat's files are acted on by that seat's steps alone: of the copies a
// take-over made into seats' folders (the only names of a seat's folder such
// a record may hold), this seat's own, and each only while the old file in
// the data folder still holds the copy's bytes. The series is then there, to
// be taken over again, and the copy may go (the step undone) or wait unloaded
// (the step not judged yet); a copy whose old file is gone, changed or cannot
// be read is the seat's series, whoever laid the record. othersLeft tells
// whether copies in another seat's folder are still there: only that seat
// undoes them, and until then the step stays, so that its old files are not
// taken over twice. A step whose commit cannot be judged (waiting false:
// judged, not merely waiting for the take-over lock) by a file no take-over
// removes (one not right in the data folder) hides none of this seat's
// copies: anyone may lay a record no start can ever judge, and a duplicate
// of the copy's bytes beside it. One judged by an old file of the data
// folder that cannot be read now hides them until it can.
IntentRecord OwnPartOfOldRecord(const IntentRecord& record, const QString& dataFolder, const QString& seatFolder,
                                IntentCommitState state, bool& othersLeft, bool waiting = false)
{
    othersLeft = false;
    if (state == IntentCommitState::Reached)
        return record;
    IntentRecord own = record;
    own.Created.clear();
    for (const IntentFile& copy : record.Created) {
        if (!InASeatFolder(dataFolder, copy.Path)) {
            own.Created.push_back(copy);
            continue;
        }
        SystemError error;
        std::optional<IntentFile> there;
        if (!SameFolder(QFileInfo(copy.Path).absolutePath(), seatFolder)) {
            othersLeft = othersLeft || !IntentFileAsFound(copy.Path, there, error) || there.has_value();
            continue;
        }
        if (state == IntentCommitState::Unknown && !waiting && !record.Removed.empty()
            && !SameFolder(QFileInfo(record.Removed.front().Path).absolutePath(), dataFolder)) {
            WriteLog(0, QStringLiteral("%1 is loaded: the step that names it as a copy cannot be judged").arg(copy.Path),
                     TakeOverProcedure);
            continue;
        }
        const bool oldHoldsIt = std::any_of(record.Removed.begin(), record.Removed.end(), [&](const IntentFile& old) {
            std::optional<IntentFile> found;
            return old.Checksum == copy.Checksum && !InASeatFolder(dataFolder, old.Path)
                && IntentFileAsFound(old.Path, found, error) && found && found->Checksum == copy.Checksum;
        });
        if (oldHoldsIt)
            own.Created.push_back(copy);
        else if (state == IntentCommitState::NotReached)
            WriteLog(0, QStringLiteral("%1 is kept: the file it would be the copy of no longer holds its bytes")
                            .arg(copy.Path), TakeOverProcedure);
    }
    return own;
}

// Finishes a record a run or a take-over left in the data folder itself, as
// far as this seat (seatFolder) may. False when it stays (it could not be
// read or completed, or waits for another seat): what it may still remove
// is then added to leftovers.
bool FinishOldRecord(const QString& path, const QString& seatFolder, std::vector<IntentFile>& leftovers)
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
    bool othersLeft = false;
    const IntentRecord own = OwnPartOfOldRecord(record, DataFolder, seatFolder, state, othersLeft);
    if (othersLeft)
        WriteLog(0, QStringLiteral("%1 is a take-over cut short whose copies lie in another seat's folder: that "
                                   "seat's next start undoes it, and nothing is taken over until then")
                        .arg(path), TakeOverProcedure);
    else if (FinishIntent(path, own, state, TakeOverProcedure, true))
        return true;
    const std::vector<IntentFile> left = IntentLeftovers(own, state);
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

// The open series in a seat's folder: files of their own of a pending
// file's name that read as test reports.
int OpenSeriesIn(const QString& seatFolder)
{
    int count = 0;
    for (const QString& name : dskListFiles(seatFolder))
        if (IsOldSeries(seatFolder, name))
            ++count;
    return count;
}

// A seat named anew over another machine's (a system installed anew, an id
// made at each boot, a copied program folder) leaves the former seat's
// series in its folder, loaded by no start of this one: the operator is
// told where they lie and how many they are, once the data folder can be
// looked into (until then the seat file keeps the former name).
void TellOfFormerSeat()
{
    if (g_formerSeat.isEmpty() || g_startUnreachable || SameFolder(DataFolder, ProgramFolder())
        || !QFileInfo(DataFolder).isDir())
        return;
    const QString folder = JoinPath(DataFolder, SeatFolderName(g_formerSeat));
    const int count = QFileInfo(folder).isDir() ? OpenSeriesIn(folder) : 0;
    if (count > 0) {
        WriteLog(0,
                 QStringLiteral("%1 holds %2 open series of seat %3, which this seat %4 does not load")
                     .arg(folder)
                     .arg(count)
                     .arg(g_formerSeat, g_seat),
                 SeatProcedure);
        ShowMessage(MsgFormerSeatsSeries, {folder, count});
    }
    // Told (written after the message, so that a run ended while it was up
    // tells again): the seat file no longer names the former seat.
    g_formerSeat.clear();
    g_seatUnwritten = true;
    WriteSeatFile();
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
            if (file->Name != g_seat)
                g_formerSeat = file->Name;
        } else {
            g_seat = file->Name;
            // A file of the shape before machines gets this one, the machine
            // it runs on, when the seat is next needed.
            g_seatUnwritten = file->MachineId.isEmpty() && file->HostName.isEmpty();
            g_formerSeat = file->Former;
        }
    }
    // Before the seat's folder is touched; again once the name is written,
    // which may have made it another.
    if (!HoldSeatOnMachine())
        return false;
    MakeSeatFolder(DataFolder);
    const SeatLock lock = LockSeatFolder(g_lock, DataFolder, &g_startReason);
    g_startUnreachable = lock == SeatLock::Unreachable;
    if (lock == SeatLock::HeldElsewhere || !HoldSeatOnMachine())
        return false;
    TellOfFormerSeat();
    // Its seat file written anew may name another seat (a write that failed).
    return HoldSeatOnMachine();
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
    g_formerSeat.clear();
    g_startUnreachable = false;
    g_left.clear();
    g_claim.Unlock();
    g_lock.Unlock();
    g_machineLock.Unlock();
    g_machineFailureLogged.clear();
    g_lockFolder = SeatFolderLook{};
    g_claimFolder = SeatFolderLook{};
    g_seat.clear();
}

bool ClaimSeatFolder(const QString& dataFolder)
{
    if (g_seat.isEmpty())
        return true;
    // The folder this run holds already, under another name: the lock
    // stays where it is.
    const QString path = SeatLockPath(dataFolder);
    if (!HoldSeatOnMachine())
        return false;
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
        g_lockFolder = g_claimFolder;
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
    if (!HoldSeatOnMachine()) {
        if (reason)
            *reason = ErrorFromErrno(EBUSY, ProgramFolder());
        return false;
    }
    if (path.isEmpty())
        return true;
    if (g_lock.IsLocked() && g_lock.Path() == path) {
        // The folder this run locked is still the one at that path: not
        // gone, not a link or another folder laid at its name, and not an
        // empty folder of another file system where a share was unmounted
        // (or one mounted over it).
        const QString folder = SeatPendingFolder(DataFolder);
        SeatFolderLook now;
        SystemError gone;
        if (LookAtSeatFolder(folder, now, gone) != SeatFolderKind::Own) {
            WriteLog(gone, SeatProcedure, folder);
            if (reason)
                *reason = gone;
            return false;
        }
        const bool same = g_lockFolder.Known ? now.Device == g_lockFolder.Device && now.Inode == g_lockFolder.Inode
                                             : now.Device == g_lockDevice;
        if (same && DeviceOf(DataFolder) == g_lockDevice)
            return true;
        const QString moved = now.Device == g_lockDevice && DeviceOf(DataFolder) == g_lockDevice
            ? QStringLiteral("%1 is another folder than the one this run locked").arg(folder)
            : QStringLiteral("%1 lies on another file system than when its lock was taken").arg(DataFolder);
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
    // A link laid at its name leads to no series of the seat's, nor one
    // laid there while the lock was taken.
    if (SeatFolderIsLaidOver(seatFolder, &error)) {
        WriteLog(error, SeatProcedure, seatFolder);
        return false;
    }
    switch (g_left.emplace_back().TryLock(path, error)) {
    case FileLock::Result::Locked:
        if (!SeatFolderIsLaidOver(seatFolder, &error))
            return true;
        g_left.pop_back();
        WriteLog(error, SeatProcedure, seatFolder);
        return false;
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

bool MakeLeftSeatFolder(const QString& seatFolder)
{
    const QString dataFolder = QFileInfo(seatFolder).path();
    if (g_seat.isEmpty() || QFileInfo(seatFolder).fileName() != SeatFolderName(g_seat)
        || QFileInfo::exists(seatFolder) || !QFileInfo(dataFolder).isDir())
        return false;
    const QStringList records = IntentRecordPaths(dataFolder);
    const QStringList names = dskListFiles(dataFolder);
    if (std::none_of(records.begin(), records.end(), IsOldStepRecord)
        && std::none_of(names.begin(), names.end(), [&](const QString& name) { return IsOldSeries(dataFolder, name); }))
        return false;
    MakeSeatFolder(dataFolder);
    return QFileInfo(seatFolder).isDir();
}

bool SeatFolderReplaced()
{
    const QString path = g_seat.isEmpty() ? QString() : SeatLockPath(DataFolder);
    if (path.isEmpty() || !g_lock.IsLocked() || g_lock.Path() != path || !g_lockFolder.Known)
        return false;
    SeatFolderLook now;
    SystemError error;
    switch (LookAtSeatFolder(QFileInfo(path).path(), now, error)) {
    case SeatFolderKind::NotOwn:
        return true;
    case SeatFolderKind::Own:
        return now.Device != g_lockFolder.Device || now.Inode != g_lockFolder.Inode;
    case SeatFolderKind::Unseen:
        break;
    }
    return false;
}

bool SeatFolderIsLaidOver(const QString& seatFolder, SystemError* reason)
{
    SeatFolderLook look;
    SystemError error;
    if (LookAtSeatFolder(seatFolder, look, error) != SeatFolderKind::NotOwn)
        return false;
    if (reason)
        *reason = error;
    return true;
}

void SetTakeOverWait(int milliseconds) { g_takeOverWaitMilliseconds = milliseconds; }

void TakeOverOldPendingFiles(const QString& dataFolder, std::vector<IntentFile>& leftovers)
{
    // The program folder is this seat's alone; another installation's holds
    // that installation's series directly.
    // Nor is a seat's folder chosen as the data folder (known by the lock
    // file every seat leaves in it, under whatever name it is reached): its
    // pending files are that seat's open series, perhaps open right now.
    // Nor is anything written through a link laid at the seat folder's name.
    const QString seatFolder = SeatPendingFolder(dataFolder);
    if (seatFolder == dataFolder || !QFileInfo(dataFolder).isDir() || SeatFolderIsLaidOver(seatFolder)
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
                bool othersLeft = false;
                const std::vector<IntentFile> left = IntentLeftovers(
                    OwnPartOfOldRecord(record, dataFolder, seatFolder, IntentCommitState::Unknown, othersLeft, true),
                    IntentCommitState::Unknown);
                leftovers.insert(leftovers.end(), left.begin(), left.end());
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
        if (IsOldStepRecord(path) && !FinishOldRecord(path, seatFolder, leftovers))
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
