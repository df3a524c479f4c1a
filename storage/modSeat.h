#pragma once
// Several installations (each with its own program folder, on one PC or on
// several) may share one data folder. Each is a seat with a name of its own,
// kept in its program folder, and keeps its open series apart from the other
// seats': its pending files and the records of its steps lie in a folder of
// its own in the data folder, "SEAT-" and its name. A start loads only its own
// seat's series. The program folder belongs to its own installation alone:
// with the settings naming it (the default, or standing in for a data folder
// that cannot be reached) the pending files lie in it directly, as ever.
//
// A seat runs once at a time: its folder holds a lock file that the running
// copy holds locked for the whole run (an open file description lock, which
// a share honours and which ends with the process). A second run of the same
// seat is refused like a second copy. On one machine a lock named after the
// seat, which lies on no file system, refuses it too, whatever folder or
// mount of the share it reaches (a copy of the program folder that kept the
// seat's name). A seat is one machine: a program
// folder copied to another PC names a seat of its own there (logged), as a
// lock may hold only through the mount that took it; one moved on its own
// machine keeps its seat. Where the seat it was (a copy's, or this PC's
// before its system was installed anew) left open series in its folder,
// the operator is told where and how many (message 53). A data folder on a file system whose locks hold
// only through one mount (FUSE: sshfs, smbnetfs, gvfs, rclone) is logged
// and told once for each seat (message 52).
//
// Pending files of the layout before seats ("PENDING n.QTA" in the data
// folder itself) are taken over once, by the first seat that starts, into
// its own folder.
#include "storage/modIntentRecord.h"

#include <QString>
#include <cstdint>
#include <vector>

// The seat's name in the program folder, then the machine it was named on:
// its machine id and host name, a line each (a file of one line, the name,
// is read too and gets the machine when the seat is next needed). Written
// when the seat is first needed (a seat folder in a data folder), so that a
// first start that is cancelled leaves nothing behind.
inline constexpr char SeatFileName[] = "QUINTARA.SEAT";
// The largest seat file read: three short lines (a name of at most 24
// characters, a machine id of 32 hexadecimal digits, a host name of at most
// 64 characters) fit many times over.
inline constexpr int64_t MaxSeatFileSize = 4096;
// The lock file in the seat's folder.
inline constexpr char SeatLockFileName[] = "SEAT.LCK";
// In the data folder itself: the lock held during a take-over. Its record
// lies beside it as a step on the pending files there ("PENDING n.STP").
inline constexpr char TakeOverLockFileName[] = "PENDING.LCK";
// In the seat's folder: the names of the old layout in the data folder that
// hold no series, with their size and time, each logged once.
inline constexpr char OldNamesFileName[] = "OLDNAMES.LST";
// The largest list read: more than a thousand names of the old layout.
inline constexpr int64_t MaxOldNamesSize = 64 * 1024;
// In the seat's folder: a note that the seat was told its data folder lies
// on a file system whose locks hold only through one mount.
inline constexpr char MountToldFileName[] = "FUSE.TOLD";

// A seat's name: 1 to 24 of "A"-"Z", "0"-"9" and "-", beginning and ending
// with a letter or digit. Upper case only, so that no two seats differ only
// in case, and nothing a share (NFS, SMB) or a Windows reader refuses in a
// folder name: no dot, blank, separator or reserved name ("CON", "NUL", ...
// need no dot to be refused, and every name holds a "-").
bool IsSeatName(const QString& name);

// The name a seat takes where its program folder cannot be written: the
// host name (letters and digits, others as "-", at most 15), "-" and eight
// hexadecimal digits of a SHA-256 of the host name and the program folder's
// path, the same at every start, so its series are found again. The name
// written when the seat is first needed is made alike from the path and a
// random number (PCs set up from one image share host name and path).
QString MakeSeatName(const QString& hostName, const QString& programFolder);

// "SEAT-" and the name: never a style folder's name ("QTA001" .. "QTA256").
QString SeatFolderName(const QString& seat);

// The name of the seat established in this process; empty before.
QString SeatName();

// Where this seat's pending files and step records lie in a data folder: its
// seat folder there (only named: it is made where the seat is established,
// by EstablishSeat and ClaimSeatFolder). The program folder itself, and the
// data folder of a process that established no seat (a module run on its
// own), hold them directly.
QString SeatPendingFolder(const QString& dataFolder);

// At the start, once the settings name the data folder: reads the seat's
// name from the program folder (made where there is none, or the file was
// written on another machine, and written there when first needed), takes
// the machine's lock of the seat, makes the seat's folder in DataFolder when
// missing and locks it for the run. False only while another running
// process holds either lock (the machine's before anything of the seat's
// folder is touched); a data folder
// that cannot hold the lock (read-only, no locks on its file system) is
// logged, and the start goes on, as with the program folder's own lock.
// One that cannot be reached (missing, or the lock file answering EIO,
// ENOTCONN, ESTALE, EHOSTDOWN or ETIMEDOUT) is logged with the system's
// reason and told by SeatFolderUnreachableAtStart (with that reason): the
// start stands in.
bool EstablishSeat();
bool SeatFolderUnreachableAtStart(SystemError* reason = nullptr);
// Gives up the seat and its lock (the end of a run; tests).
void EndSeat();

// A change of data folder locks the seat's folder in the new folder before
// the settings name it. False while another process holds that lock (the
// change is then refused); a folder that cannot hold the lock is logged and
// claimed all the same. Once the settings named a folder (the dialog closed,
// the program folder stood in), SettleSeatFolder keeps the lock of the folder
// DataFolder names and gives up any other. The program folder needs none:
// its own lock keeps a second copy out.
bool ClaimSeatFolder(const QString& dataFolder);
void SettleSeatFolder();

// Before series are written into the seat's folder in DataFolder: its lock,
// taken now when the start could not take it or the folder was left since.
// False while another run of this seat holds it, having started meanwhile:
// its series lie there, and this run writes none among them (the program
// folder stands in, as for a data folder that cannot be reached). False too
// where the folder this run locked is no longer where the series are: the
// seat folder gone, a link or another folder laid at its name (told by its
// device and inode when locked, never through a link), or the data folder
// on another device than when the lock was taken (a share unmounted, an
// empty local folder showing), or the lock file cannot be reached. reason, when given, gets why (logged). A folder
// that cannot hold the lock is logged once, and true.
bool HoldSeatFolder(SystemError* reason = nullptr);

// A seat folder the program folder stood in for, whose series the start
// loads from there once it is back: locked for the run like the seat's own,
// so that no other run of the seat loads them too (a change of data folder
// into it keeps that lock). False while another run holds it or it cannot
// be reached.
bool HoldLeftSeatFolder(const QString& seatFolder);

// A seat folder the program folder stood in for since the seat's first
// start, never made: made now (true) where the data folder holding it is
// back with series or records of the layout before seats for the seat to
// take over. An empty folder where a share was unmounted gets none.
bool MakeLeftSeatFolder(const QString& seatFolder);

// Whether the seat folder this run locked in DataFolder has been replaced
// since: a link, a file or another folder at its name. False while no lock
// is held there, and where it cannot be looked at (HoldSeatFolder tells).
bool SeatFolderReplaced();

// Whether something other than a folder of its own lies at the seat folder's
// name: a link laid there (wherever it leads) or a file. Such a seat folder
// is away, never read or written through; reason gets why. A folder that
// cannot be looked at says nothing (false).
bool SeatFolderIsLaidOver(const QString& seatFolder, SystemError* reason = nullptr);

// Takes the pending files of the layout before seats, in the data folder
// itself, into this seat's folder, under the take-over lock (a short wait
// while another seat takes them; a lock held longer, by anything, is logged
// and the start goes on without the take-over). Names of that shape that
// hold no series (no file of its own, no report) are logged once and are no
// reason to take the lock. First the records such a run or an earlier
// take-over left there are finished; then every test report whose name holds
// "PENDING " and ends in "QTA" (exact case), apart from the files in
// leftovers (a step that could not be completed still means to remove them),
// is copied into the seat's folder under a free name and removed from the
// data folder, in one step recorded there whose commit point is the first old
// file gone: a kill or a failure at any moment leaves each series in exactly
// one of the two places, and the next start of any seat finishes what it
// left. A data folder that cannot be reached, or a file whose state cannot be
// told, gives nothing away and loses nothing. What a record there still means
// to remove, in this seat's folder too, is added to leftovers: the start
// must not load it. Nothing without an established seat, in the program
// folder, in another installation's program folder (it holds its seat's
// name), or in a seat's folder (it holds a seat's lock file).
void TakeOverOldPendingFiles(const QString& dataFolder, std::vector<IntentFile>& leftovers);
// For tests: the longest wait for the take-over lock (5 seconds).
void SetTakeOverWait(int milliseconds);
