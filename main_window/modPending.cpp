#include "main_window/modPending.h"

#include "curves/modPDRCurve.h"
#include "foundation/modGlobals.h"
#include "foundation/modLog.h"
#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "main_window/modSeries.h"
#include "platform/ErrorCodes.h"
#include "platform/Paths.h"
#include "platform/SafeFile.h"
#include "storage/modDisk.h"
#include "storage/modTestReport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int PressureDropTestType = 17;

// The file that holds an open series, and what tells its series from the
// others should the list change without a word (see Align). Series are told
// apart by their start date, which no edit changes; two series started in
// the same second by the texts that name them.
struct PendingFile {
    QString Path;             // empty while the series has no file
    double Date = 0;
    QString Identity;
    bool Stale = false;       // the file holds an older state: a write failed or waits
    bool Ended = false;       // terminated: its file went, and no other is written
};

// One per element of Protocols, in step with it (element 0, the working
// record, has none): series are only appended and removed during a run, and
// each removal is told (DropPendingSeries).
std::vector<PendingFile> g_open(1);
// Files of series that left the list and could not be removed yet.
QStringList g_gone;
// Message 31 was shown for a failed write and not answered by a success
// since: it is not shown again while writes keep failing.
bool g_failureTold = false;

bool IsPendingName(const QString& name)
{
    return name.endsWith(QLatin1String("QTA")) && name.contains(QLatin1String("PENDING "));
}

// The name of the temporary file the atomic writer makes beside a pending
// file, left by a kill before its rename: its name, "." and six random
// letters, which Qt draws from A-Z and a-z, no digits ("PENDING 1.QTA.RDhmwy").
// A user's copy can bear such a name too ("PENDING 1.QTA.backup"), and
// nothing in the file tells the two apart: such a file goes to the trash
// (see PutLeftoverAside), never away for good. Other names (the ".BAD"
// copies kept aside, ".bak") do not match.
bool IsLeftoverTemporary(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^PENDING [1-9][0-9]*\\.QTA\\.[A-Za-z]{6}$"));
    return pattern.match(name).hasMatch();
}

// Moves a file that may be the writer's leftover out of the data folder into
// the trash, where a user's copy can be taken back from. A symbolic link (or
// anything but a plain file) of such a name is the user's and stays; so does
// a file the trash refuses, with a log line, as no start loads it.
void PutLeftoverAside(const QString& folder, const QString& name)
{
    const QString path = JoinPath(folder, name);
    struct stat file {};
    if (::lstat(QFile::encodeName(path).constData(), &file) != 0 || !S_ISREG(file.st_mode))
        return;
    SystemError error;
    if (!dskMoveToTrash(path, error)) {
        WriteLog(error.Number, QStringLiteral("%1 (not moved to the trash: %2)").arg(error.Text, path),
                 QStringLiteral("LoadPendingProtocols"));
        return;
    }
    WriteLog(0, QStringLiteral("%1 may be left by an interrupted write; moved to the trash").arg(name),
             QStringLiteral("LoadPendingProtocols"));
}

QString SeriesIdentity(const Protocol& p)
{
    const QChar separator(u'\n');
    return p.Style.Name + separator + QString::number(p.FormIndex) + separator + p.Reference2 + separator
        + p.Reference3 + separator + p.Reference4 + separator + p.Operator;
}

QString FolderOf(const QString& path) { return QDir::cleanPath(QFileInfo(path).absolutePath()); }

// Only the system's "no such file" counts as removed without a removal: a
// folder that could not be searched (EACCES), an I/O error or a stale
// network handle say nothing of the file, which is then logged and tried
// again like a failed write. A removal is synced with its folder.
bool RemoveFile(const QString& path)
{
    if (::unlink(QFile::encodeName(path).constData()) != 0) {
        const int reason = errno;
        if (reason == ENOENT)
            return true;
        WriteLog(ErrorFromErrno(reason, path), QStringLiteral("SavePendingProtocols"), path);
        return false;
    }
    SyncFolder(FolderOf(path));
    return true;
}

// Renames with rename(2), which is atomic on every POSIX file system, after
// a check of its own that the new name is free: QFile::rename falls back to
// a link and an unlink where the file system refuses RENAME_NOREPLACE (NFS,
// some FUSE file systems), and a kill between the two left the series in two
// files. The rename is synced with its folder.
bool RenamePendingFile(const QString& from, const QString& to)
{
    const QByteArray target = QFile::encodeName(to);
    struct stat existing {};
    int reason = 0;
    if (::lstat(target.constData(), &existing) == 0)
        reason = EEXIST;
    else if (errno != ENOENT)
        reason = errno;
    else if (::rename(QFile::encodeName(from).constData(), target.constData()) != 0)
        reason = errno;
    if (reason != 0) {
        WriteLog(ErrorFromErrno(reason, from), QStringLiteral("SavePendingProtocols"), from + QStringLiteral(" -> ") + to);
        return false;
    }
    SyncFolder(FolderOf(to));
    return true;
}

// For each open series 1 to n the index of its file among the known ones,
// or -1 for a series that has none.
std::vector<int> MatchFiles(const std::vector<PendingFile>& known)
{
    std::vector<int> match(Protocols.size(), -1);
    std::vector<bool> taken(known.size(), false);
    for (std::size_t i = 1; i < Protocols.size(); ++i) {
        const QString identity = SeriesIdentity(Protocols[i]);
        int best = -1;
        int bestScore = 0;
        for (std::size_t k = 0; k < known.size(); ++k) {
            if (taken[k] || known[k].Date != Protocols[i].Date)
                continue;
            const int score = known[k].Identity == identity ? 2 : 1;
            if (score > bestScore) {
                best = static_cast<int>(k);
                bestScore = score;
            }
        }
        if (best >= 0) {
            taken[static_cast<std::size_t>(best)] = true;
            match[i] = best;
        }
    }
    return match;
}

// Brings g_open in step with Protocols: series appended since get no file
// yet. When the list changed otherwise (a caller that set Protocols itself),
// the files are matched to the series by date and identity, and the files
// of series no longer open are to be removed.
void Align()
{
    const std::size_t size = std::max<std::size_t>(Protocols.size(), 1);
    bool inStep = g_open.size() <= size;
    for (std::size_t i = 1; inStep && i < g_open.size(); ++i)
        inStep = g_open[i].Path.isEmpty() || g_open[i].Date == Protocols[i].Date;
    if (inStep) {
        g_open.resize(size);
        return;
    }
    std::vector<PendingFile> known;
    for (std::size_t i = 1; i < g_open.size(); ++i)
        if (!g_open[i].Path.isEmpty())
            known.push_back(g_open[i]);
    const std::vector<int> match = MatchFiles(known);
    std::vector<bool> matched(known.size(), false);
    g_open.assign(size, PendingFile{});
    for (std::size_t i = 1; i < Protocols.size(); ++i) {
        if (match[i] < 0)
            continue;
        matched[static_cast<std::size_t>(match[i])] = true;
        g_open[i] = known[static_cast<std::size_t>(match[i])];
    }
    for (std::size_t k = 0; k < known.size(); ++k)
        if (!matched[k])
            g_gone << known[k].Path;
}

// The name for series i when it needs a new file: its own number when no
// file holds it, else the first free number above every open series. The
// files of the other open series count as held even when missing.
QString FreePendingName(const QString& folder, std::size_t i, const QSet<QString>& held)
{
    auto isFree = [&](int number) {
        const QString path = JoinPath(folder, PendingFileName(number));
        return !held.contains(path) && !QFileInfo::exists(path);
    };
    if (isFree(static_cast<int>(i)))
        return PendingFileName(static_cast<int>(i));
    for (int number = static_cast<int>(Protocols.size());; ++number)
        if (isFree(number))
            return PendingFileName(number);
}

// Gives series i the file PENDING i.QTA by renames, each of which moves one
// whole file to a name no file holds: a series is in exactly one file at
// every moment. A name held by a file that is not an open series' stays
// with it, and the series keeps the number it has.
void NumberInOrder(const QString& folder, std::vector<PendingFile>& files)
{
    for (std::size_t i = 1; i < files.size(); ++i) {
        if (files[i].Path.isEmpty() || FolderOf(files[i].Path) != folder)
            continue;
        const QString target = JoinPath(folder, PendingFileName(static_cast<int>(i)));
        if (files[i].Path == target)
            continue;
        if (QFileInfo::exists(target)) {
            std::size_t holder = 0;
            for (std::size_t j = 1; j < files.size(); ++j)
                if (j != i && files[j].Path == target)
                    holder = j;
            if (holder == 0)
                continue;
            const QString free = JoinPath(folder, FreePendingName(folder, files.size(), QSet<QString>()));
            if (!RenamePendingFile(files[holder].Path, free))
                continue;
            files[holder].Path = free;
        }
        if (RenamePendingFile(files[i].Path, target))
            files[i].Path = target;
    }
}

// Brings the pending files up to the open series: the files of series no
// longer open are removed first (whatever fails later, such a series must
// not come back); then series `changed` (every series with all) is written,
// and with it every series without a file of its own in the folder or whose
// last write failed; each replaces its own file whole, so it keeps its old
// file until the new one is written. Then the numbers follow the order.
bool Save(std::size_t changed, bool all)
{
    Align();
    bool ok = true;
    const std::size_t n = Protocols.empty() ? 0 : Protocols.size() - 1;
    // Where the report writer puts them: the data folder, or the program
    // folder while that is missing.
    const QString folder =
        QDir::cleanPath(QFileInfo(dskWriteFolder(DataFolder, n > 0 ? &DataFolder : nullptr)).absoluteFilePath());

    QStringList left;
    for (const QString& path : std::as_const(g_gone))
        if (!RemoveFile(path))
            left << path;
    ok = left.isEmpty();
    g_gone = left;

    QSet<QString> held;
    for (std::size_t i = 1; i <= n; ++i)
        if (!g_open[i].Path.isEmpty())
            held.insert(g_open[i].Path);
    for (std::size_t i = 1; i <= n; ++i) {
        PendingFile& file = g_open[i];
        file.Date = Protocols[i].Date;
        file.Identity = SeriesIdentity(Protocols[i]);
        if (file.Ended)
            continue;
        const bool inPlace = !file.Path.isEmpty() && FolderOf(file.Path) == folder;
        if (!all && i != changed && inPlace && !file.Stale)
            continue;
        const QString name = inPlace ? QFileInfo(file.Path).fileName() : FreePendingName(folder, i, held);
        if (!dskPutTestReportExact(folder, name, Protocols[i])) {
            ok = false;
            file.Stale = !file.Path.isEmpty();
            continue;
        }
        if (!inPlace && !file.Path.isEmpty() && !RemoveFile(file.Path)) {
            g_gone << file.Path;
            ok = false;
        }
        file.Path = JoinPath(folder, name);
        file.Stale = false;
        held.insert(file.Path);
    }
    NumberInOrder(folder, g_open);
    return ok;
}

// Saves after a change during the run. The first failure asks message 31,
// whose Yes tries once more at once; while writes keep failing it is not
// asked again: the next change and the end try anyway.
bool SaveTelling(std::size_t changed)
{
    if (Save(changed, false)) {
        g_failureTold = false;
        return true;
    }
    if (g_failureTold)
        return false;
    g_failureTold = true;
    return ShowMessage(31) == AnswerYes && Save(changed, false);
}

// A pending file that cannot be loaded is renamed aside ("PENDING 3.QTA.BAD",
// ".BAD2", ... beside earlier ones), so no later save can remove it.
void SetPendingFileAside(const QString& folder, const QString& name)
{
    QString aside = dskAsideName(name, 1);
    for (int n = 2; QFileInfo::exists(JoinPath(folder, aside)); ++n)
        aside = dskAsideName(name, n);
    QFile file(JoinPath(folder, name));
    if (!file.rename(JoinPath(folder, aside))) {
        const SystemError error = ErrorFromFile(file);
        WriteLog(error.Number, QStringLiteral("%1 (%2 could not be loaded)").arg(error.Text, name),
                 QStringLiteral("LoadPendingProtocols"));
        return;
    }
    SyncFolder(folder);
    WriteLog(0, QStringLiteral("%1 could not be loaded; kept as %2").arg(name, aside),
             QStringLiteral("LoadPendingProtocols"));
}

// The bytes the files hold for the first count tests (all by default): two
// tests are alike when their bytes are, so that a value kept as a NaN is
// alike to itself as it is in the file.
std::string TestBytes(const std::vector<TestValue>& tests, std::size_t count = SIZE_MAX)
{
    BinaryWriter out;
    for (std::size_t t = 0; t < tests.size() && t < count; ++t)
        PutRecord(out, tests[t]);
    return out.Bytes();
}

std::string RecordBytes(const Protocol& record)
{
    BinaryWriter out;
    PutRecord(out, record);
    return out.Bytes();
}

// True when terminating block b of the pending series gives the report's
// block: the block was open and holds a pressure-drop test waiting for its
// second reading, which the termination drops, and the tests before it are
// the report's. Any other test more in the pending file is one the report
// lacks.
bool WaitingReadingDropped(const Protocol& pending, const Protocol& report, std::size_t b)
{
    const PropertyBlock& open = pending.Blocks[b];
    const PropertyBlock& saved = report.Blocks[b];
    return PropertyTestType(pending, static_cast<int>(b)) == PressureDropTestType && !pdrIsLastTestComplete(open)
        && !open.Terminated && saved.Terminated && open.Values.size() == saved.Values.size() + 1
        && TestBytes(open.Values, saved.Values.size()) == TestBytes(saved.Values);
}

// True when the report holds the series of the pending file: started at
// the same moment, named alike and with the same tests, byte for byte.
// Terminating sets the end dates and flags, and drops a pressure-drop test
// still waiting for its second reading, so those may differ. A series
// without a test is never saved as a report.
bool SavedAs(const Protocol& pending, const Protocol& report)
{
    if (pending.Date != report.Date || SeriesIdentity(pending) != SeriesIdentity(report))
        return false;
    bool tests = false;
    for (std::size_t b = 1; b <= static_cast<std::size_t>(PropertyCount); ++b) {
        const std::vector<TestValue>& open = pending.Blocks[b].Values;
        const std::vector<TestValue>& saved = report.Blocks[b].Values;
        tests = tests || saved.size() > 1;
        if (open.size() == saved.size() && TestBytes(open) == TestBytes(saved))
            continue;
        if (!WaitingReadingDropped(pending, report, b))
            return false;
    }
    return tests;
}

// True when two pending files hold one series: the same bytes, or the same
// start date, names and tests (two series started in the same second differ
// in their names). A kill inside a rename that the file system made a link
// and an unlink leaves such a pair.
bool SameSeries(const Protocol& a, const Protocol& b)
{
    if (RecordBytes(a) == RecordBytes(b))
        return true;
    if (a.Date != b.Date || SeriesIdentity(a) != SeriesIdentity(b))
        return false;
    for (std::size_t p = 1; p <= static_cast<std::size_t>(PropertyCount); ++p)
        if (TestBytes(a.Blocks[p].Values) != TestBytes(b.Blocks[p].Values))
            return false;
    return true;
}

// Of two files of one series, whether the second (record from path) holds
// the later state: its last test is later, or with the same tests the file
// was written later.
bool Later(const Protocol& record, const QString& path, const Protocol& kept, const QString& keptPath)
{
    if (record.LastTestDate != kept.LastTestDate)
        return record.LastTestDate > kept.LastTestDate;
    return QFileInfo(path).lastModified() > QFileInfo(keptPath).lastModified();
}

// True when the copy holds the series or an earlier state of it: the same
// series by the loader's rule, or started at the same moment, named alike
// (what tells series apart) and with no test later than the series' last.
// A copy left in a folder the data folder was moved away from is such a
// state: the series may have taken tests, edits and its termination since.
bool EarlierStateOf(const Protocol& copy, const Protocol& series)
{
    if (SameSeries(copy, series))
        return true;
    return copy.Date == series.Date && SeriesIdentity(copy) == SeriesIdentity(series)
        && copy.LastTestDate <= series.LastTestDate;
}

// The report a terminated series was saved as, relative to the data folder;
// empty when there is none. saved tells the pending series and a report of
// it apart.
QString SavedReportOf(const Protocol& pending, bool (*saved)(const Protocol& pending, const Protocol& report) = SavedAs)
{
    for (const QString& path : dskSavedReportCandidates(pending)) {
        const QFileInfo file(path);
        const QString folder = file.absolutePath();
        if (!dskIsTestReportFile(folder, file.fileName()))
            continue;
        bool writeBackFailed = false;
        if (saved(pending, dskGetTestReport(folder, file.fileName(), &writeBackFailed)))
            return QFileInfo(folder).fileName() + u'/' + file.fileName();
    }
    return QString();
}

// A pending file found in a folder the open series move into.
struct FoundCopy {
    QString Path;
    Protocol Series;
    int Holder = 0;    // the open series it is a copy of (0: none)
};

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// The pending files in the folder, each read. Left out are the files of the
// open series themselves, where the folder is the data folder reached by
// another path (a link, a second mount): as copies they would be written
// over and then removed under their old path, the series with them.
std::vector<FoundCopy> PendingCopiesIn(const QString& folder)
{
    std::vector<struct stat> own;
    for (std::size_t i = 1; i < g_open.size(); ++i) {
        struct stat file {};
        if (!g_open[i].Path.isEmpty() && ::stat(QFile::encodeName(g_open[i].Path).constData(), &file) == 0)
            own.push_back(file);
    }
    std::vector<FoundCopy> copies;
    for (const QString& name : dskListFiles(folder)) {
        if (!IsPendingName(name) || !dskIsTestReportFile(folder, name))
            continue;
        const QString path = JoinPath(folder, name);
        struct stat file {};
        if (::stat(QFile::encodeName(path).constData(), &file) != 0)
            continue;
        if (std::any_of(own.begin(), own.end(), [&](const struct stat& o) { return SameFile(o, file); }))
            continue;
        bool writeBackFailed = false;
        Protocol series = dskGetTestReport(folder, name, &writeBackFailed);
        if (!IsEmptyProtocol(series))
            copies.push_back(FoundCopy{path, std::move(series)});
    }
    return copies;
}

bool CanBeOpened(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
}

}  // namespace

QString PendingFileName(int index)
{
    return QStringLiteral("PENDING ") + QString::number(index) + QStringLiteral(".QTA");
}

void SavePendingProtocols(bool& ok)
{
    ok = Save(0, true);
    if (ok)
        g_failureTold = false;
}

bool KeepPendingSeries(int index)
{
    if (index < 1 || static_cast<std::size_t>(index) >= Protocols.size())
        return true;
    return SaveTelling(static_cast<std::size_t>(index));
}

void MarkPendingSeriesChanged(int index)
{
    Align();
    if (index >= 1 && static_cast<std::size_t>(index) < g_open.size())
        g_open[static_cast<std::size_t>(index)].Stale = true;
}

bool KeepChangedPendingSeries()
{
    Align();
    for (std::size_t i = 1; i < g_open.size(); ++i)
        if (g_open[i].Stale && !g_open[i].Ended)
            return SaveTelling(0);
    return true;
}

bool EndPendingSeries(int index)
{
    Align();
    if (index < 1 || static_cast<std::size_t>(index) >= g_open.size())
        return true;
    PendingFile& file = g_open[static_cast<std::size_t>(index)];
    if (!file.Path.isEmpty())
        g_gone << file.Path;
    file.Path.clear();
    file.Ended = true;
    return SaveTelling(0);
}

bool DropPendingSeries(int index)
{
    if (index >= 1 && static_cast<std::size_t>(index) < g_open.size()) {
        if (!g_open[static_cast<std::size_t>(index)].Path.isEmpty())
            g_gone << g_open[static_cast<std::size_t>(index)].Path;
        g_open.erase(g_open.begin() + index);
    }
    return SaveTelling(0);
}

bool MovePendingSeries(const QString& folder)
{
    Align();
    const QString target = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    // The report writer would put them into the program folder instead.
    // With no series open there is nothing to put anywhere, nor any copy
    // in a folder that is not there.
    if (!QFileInfo(target).isDir()) {
        if (std::all_of(g_open.begin() + 1, g_open.end(), [](const PendingFile& file) { return file.Ended; }))
            return true;
        WriteLog(ErrorFromErrno(ENOENT, target), QStringLiteral("SavePendingProtocols"), target);
        return false;
    }
    // Back into the data folder, the one the settings name (they could not
    // name the folder the series went to): a start loads the series from
    // their files there, so a failure undoes nothing in it.
    const bool back = target == QDir::cleanPath(QFileInfo(DataFolder).absoluteFilePath());
    // A kill during an earlier change of the data folder can have left
    // copies of series here (after the writes here and before the settings,
    // or after the settings and before the old files went). The next start
    // would load such a copy beside the series, or open a series that was
    // terminated since: the copy of an open series is written over, and the
    // others of it and those of a series saved as a report (in the data
    // folder it was terminated in, the one the series leave now) go once the
    // series are all written. In a move back the copy written over is the
    // series' own file there.
    std::vector<FoundCopy> copies = PendingCopiesIn(target);
    std::vector<QString> written(g_open.size());
    std::vector<QString> own(g_open.size());
    // Each series first takes the copy that holds it as it is (in a move
    // back its own file), then one of an earlier state of it, and only then
    // its other earlier states: a series named like another and started in
    // the same second, with no later test, is such an earlier state of it,
    // and taken in file order by the other its own file would go.
    const auto claim = [&](bool (*holds)(const Protocol& copy, const Protocol& series), bool one) {
        for (std::size_t i = 1; i < g_open.size(); ++i) {
            if (g_open[i].Ended || (one && !own[i].isEmpty()))
                continue;
            for (FoundCopy& copy : copies) {
                if (copy.Holder != 0 || !holds(copy.Series, Protocols[i]))
                    continue;
                copy.Holder = static_cast<int>(i);
                if (own[i].isEmpty())
                    own[i] = copy.Path;
                if (one)
                    break;
            }
        }
    };
    claim(SameSeries, true);
    claim(EarlierStateOf, true);
    claim(EarlierStateOf, false);
    QSet<QString> held;
    bool ok = true;
    for (std::size_t i = 1; (ok || back) && i < g_open.size(); ++i) {
        if (g_open[i].Ended)
            continue;
        // In a move back a series already there is written over its own
        // file, and the copies of it go.
        if (back && !g_open[i].Path.isEmpty() && FolderOf(g_open[i].Path) == target)
            own[i] = JoinPath(target, QFileInfo(g_open[i].Path).fileName());
        const QString name = own[i].isEmpty() ? FreePendingName(target, i, held) : QFileInfo(own[i]).fileName();
        if (!dskPutTestReportExact(target, name, Protocols[i])) {
            ok = false;
            continue;
        }
        written[i] = JoinPath(target, name);
        held.insert(written[i]);
    }
    for (std::size_t k = 0; (ok || back) && k < copies.size(); ++k) {
        const FoundCopy& copy = copies[k];
        const QString name = QFileInfo(copy.Path).fileName();
        QString line;
        if (copy.Holder != 0) {
            const std::size_t holder = static_cast<std::size_t>(copy.Holder);
            if (own[holder] == copy.Path)
                continue;
            line = QStringLiteral("%1 holds an earlier state of the series moved as %2; removed")
                       .arg(name, QFileInfo(own[holder]).fileName());
        } else {
            const QString saved = SavedReportOf(copy.Series, [](const Protocol& pending, const Protocol& report) {
                return SavedAs(pending, report) || EarlierStateOf(pending, report);
            });
            if (saved.isEmpty())
                continue;
            line = QStringLiteral("%1 holds the series saved as %2; removed").arg(name, saved);
        }
        if (RemoveFile(copy.Path)) {
            WriteLog(0, line, QStringLiteral("SavePendingProtocols"));
        } else {
            // In the data folder it goes with the next save.
            if (back)
                g_gone << copy.Path;
            ok = false;
        }
    }
    if (!ok && !back) {
        // Nothing of this move stays in the folder: a series is in one folder
        // only, and the settings still name the one it is in.
        for (const QString& path : written)
            if (!path.isEmpty() && !RemoveFile(path))
                g_gone << path;
        return false;
    }
    for (std::size_t i = 1; i < g_open.size(); ++i) {
        PendingFile& file = g_open[i];
        if (file.Ended)
            continue;
        QString path = written[i];
        if (path.isEmpty()) {
            // A move back whose write of this series failed: its own file in
            // the data folder stays its file, and the next save writes it
            // again; a series without one stays where it is until then.
            file.Stale = true;
            if (own[i].isEmpty())
                continue;
            path = own[i];
        }
        if (!file.Path.isEmpty() && file.Path != path) {
            // The files in the folder left go with the next save, once the
            // settings name the new one; in a move back the settings name
            // it already, and the copies go now.
            if (!back || !RemoveFile(file.Path))
                g_gone << file.Path;
        }
        // A move back to a folder just left makes a file meant to go the
        // series' own again.
        g_gone.removeAll(path);
        file.Path = path;
        file.Date = Protocols[i].Date;
        file.Identity = SeriesIdentity(Protocols[i]);
        file.Stale = written[i].isEmpty();
    }
    return ok;
}

void LoadPendingProtocols()
{
    if (Protocols.empty())
        Protocols.push_back(EmptyProtocol);
    g_open.assign(1, PendingFile{});
    g_gone.clear();
    g_failureTold = false;
    const QString folder = DataFolder;
    // The file each series came from, by its place in Protocols.
    std::vector<QString> origin(Protocols.size());
    bool writeBackFailed = false;
    for (const QString& name : dskListFiles(folder)) {
        if (IsLeftoverTemporary(name)) {
            PutLeftoverAside(folder, name);
            continue;
        }
        if (!IsPendingName(name))
            continue;
        const QString path = JoinPath(folder, name);
        // A file that is no test report at all is neither loaded nor touched;
        // one that cannot even be opened (logged by the check) is not loaded.
        const bool isReport = dskIsTestReportFile(folder, name);
        if (!isReport && CanBeOpened(path))
            continue;
        // The reader gives the empty series for a damaged file, and for one
        // whose report form or current property is out of range (logged).
        bool failed = false;
        Protocol record = isReport ? dskGetTestReport(folder, name, &failed) : EmptyProtocol;
        writeBackFailed = writeBackFailed || failed;
        if (IsEmptyProtocol(record)) {
            SetPendingFileAside(folder, name);
            continue;
        }
        // Saved as a report, and a kill or a power cut kept its pending
        // file: opened again, it would be saved a second time.
        const QString saved = SavedReportOf(record);
        if (!saved.isEmpty()) {
            WriteLog(0, QStringLiteral("%1 holds the series saved as %2; removed").arg(name, saved),
                     QStringLiteral("LoadPendingProtocols"));
            if (!RemoveFile(path))
                g_gone << path;
            continue;
        }
        // A second file of a series already loaded goes; of the two the
        // one changed last is kept.
        std::size_t twin = 0;
        for (std::size_t k = 1; twin == 0 && k < Protocols.size(); ++k)
            if (!origin[k].isEmpty() && SameSeries(Protocols[k], record))
                twin = k;
        if (twin > 0) {
            QString extra = path;
            if (Later(record, path, Protocols[twin], origin[twin])) {
                Protocols[twin] = std::move(record);
                std::swap(origin[twin], extra);
            }
            WriteLog(0, QStringLiteral("%1 holds the same series as %2; removed")
                            .arg(QFileInfo(extra).fileName(), QFileInfo(origin[twin]).fileName()),
                     QStringLiteral("LoadPendingProtocols"));
            if (!RemoveFile(extra))
                g_gone << extra;
            continue;
        }
        Protocols.push_back(std::move(record));
        origin.push_back(path);
    }
    // By creation date, exchanging elements as the design does.
    const std::size_t upper = Protocols.size() - 1;
    for (std::size_t i = 1; i < upper; ++i)
        for (std::size_t j = i + 1; j <= upper; ++j)
            if (Protocols[j].Date < Protocols[i].Date) {
                std::swap(Protocols[i], Protocols[j]);
                std::swap(origin[i], origin[j]);
            }
    g_open.resize(upper + 1);
    for (std::size_t i = 1; i <= upper; ++i)
        if (!origin[i].isEmpty())
            g_open[i] = PendingFile{QDir::cleanPath(QFileInfo(origin[i]).absoluteFilePath()), Protocols[i].Date,
                                    SeriesIdentity(Protocols[i])};
    // Older files that could not be written back in the current layout are
    // told once, however many there were; their series are loaded all the same.
    if (writeBackFailed)
        ShowMessage(32);
}
