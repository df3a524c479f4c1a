#include "main_window/modPending.h"

#include "foundation/modGlobals.h"
#include "foundation/modLog.h"
#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "platform/ErrorCodes.h"
#include "platform/Paths.h"
#include "storage/modDisk.h"
#include "storage/modTestReport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <limits>
#include <utility>
#include <vector>

namespace {

// A pending file this run knows: loaded at the start or written since, and
// what tells its series from the others. Series are told apart by their
// start date, which no edit changes; two series started in the same second
// by the texts that name them, then by their order, which the run keeps
// (series are only appended and removed).
struct PendingFile {
    QString Path;
    double Date = 0;
    QString Identity;
};

// In the order of their series in Protocols, then files still to be removed.
std::vector<PendingFile> g_files;

bool IsPendingName(const QString& name)
{
    return name.endsWith(QLatin1String("QTA")) && name.contains(QLatin1String("PENDING "));
}

QString SeriesIdentity(const Protocol& p)
{
    const QChar separator(u'\n');
    return p.Style.Name + separator + QString::number(p.FormIndex) + separator + p.Reference2 + separator
        + p.Reference3 + separator + p.Reference4 + separator + p.Operator;
}

PendingFile FileOf(const QString& path, const Protocol& series)
{
    return PendingFile{path, series.Date, SeriesIdentity(series)};
}

QString FolderOf(const QString& path) { return QDir::cleanPath(QFileInfo(path).absolutePath()); }

bool LogFailure(const QFile& file)
{
    WriteLog(ErrorFromFile(file), QStringLiteral("SavePendingProtocols"), file.fileName());
    return false;
}

bool RemoveFile(const QString& path)
{
    if (!QFileInfo::exists(path))
        return true;
    SetAttr(path, AttrNormal);
    QFile file(path);
    return file.remove() || LogFailure(file);
}

// For each open series 1 to n the index of its file in g_files, or -1 for
// a series that has none yet.
std::vector<int> MatchFiles()
{
    std::vector<int> match(Protocols.size(), -1);
    std::vector<bool> taken(g_files.size(), false);
    for (std::size_t i = 1; i < Protocols.size(); ++i) {
        const QString identity = SeriesIdentity(Protocols[i]);
        int best = -1;
        int bestScore = 0;
        for (std::size_t k = 0; k < g_files.size(); ++k) {
            if (taken[k] || g_files[k].Date != Protocols[i].Date)
                continue;
            const int score = g_files[k].Identity == identity ? 2 : 1;
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
            QFile file(files[holder].Path);
            if (!file.rename(free)) {
                LogFailure(file);
                continue;
            }
            files[holder].Path = free;
        }
        QFile file(files[i].Path);
        if (file.rename(target))
            files[i].Path = target;
        else
            LogFailure(file);
    }
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
    WriteLog(0, QStringLiteral("%1 could not be loaded; kept as %2").arg(name, aside),
             QStringLiteral("LoadPendingProtocols"));
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
    ok = true;
    const std::size_t n = Protocols.empty() ? 0 : Protocols.size() - 1;
    // Where the report writer puts them: the data folder, or the program
    // folder while that is missing.
    const QString folder =
        QDir::cleanPath(QFileInfo(dskWriteFolder(DataFolder, n > 0 ? &DataFolder : nullptr)).absoluteFilePath());
    const std::vector<int> match = MatchFiles();

    // First the files of series that are no longer open (terminated, or
    // removed): whatever fails later, such a series must not come back.
    std::vector<bool> matched(g_files.size(), false);
    for (std::size_t i = 1; i <= n; ++i)
        if (match[i] >= 0)
            matched[static_cast<std::size_t>(match[i])] = true;
    std::vector<PendingFile> toRemove;
    for (std::size_t k = 0; k < g_files.size(); ++k) {
        if (matched[k] || RemoveFile(g_files[k].Path))
            continue;
        ok = false;
        toRemove.push_back(g_files[k]);
    }

    // Each open series replaces its own file whole, so it keeps its old file
    // until the new one is written; a series without a file (or with one in
    // another folder) gets a new one.
    QSet<QString> held;
    for (std::size_t i = 1; i <= n; ++i)
        if (match[i] >= 0)
            held.insert(g_files[static_cast<std::size_t>(match[i])].Path);
    std::vector<PendingFile> files(n + 1);
    for (std::size_t i = 1; i <= n; ++i) {
        PendingFile file = match[i] >= 0 ? g_files[static_cast<std::size_t>(match[i])] : PendingFile{};
        const bool inPlace = !file.Path.isEmpty() && FolderOf(file.Path) == folder;
        const QString name = inPlace ? QFileInfo(file.Path).fileName() : FreePendingName(folder, i, held);
        if (dskPutTestReportExact(folder, name, Protocols[i])) {
            if (!inPlace && !file.Path.isEmpty() && !RemoveFile(file.Path))
                toRemove.push_back(file);
            file = FileOf(JoinPath(folder, name), Protocols[i]);
            held.insert(file.Path);
        } else {
            ok = false;
        }
        files[i] = file;
    }
    NumberInOrder(folder, files);

    g_files.clear();
    for (std::size_t i = 1; i <= n; ++i)
        if (!files[i].Path.isEmpty())
            g_files.push_back(files[i]);
    for (const PendingFile& file : toRemove)
        g_files.push_back(PendingFile{file.Path, std::numeric_limits<double>::quiet_NaN(), QString()});
}

void LoadPendingProtocols()
{
    if (Protocols.empty())
        Protocols.push_back(EmptyProtocol);
    g_files.clear();
    const QString folder = DataFolder;
    // The file each series came from, by its place in Protocols.
    std::vector<QString> origin(Protocols.size());
    bool writeBackFailed = false;
    for (const QString& name : dskListFiles(folder)) {
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
    for (std::size_t i = 1; i <= upper; ++i)
        if (!origin[i].isEmpty())
            g_files.push_back(FileOf(QDir::cleanPath(QFileInfo(origin[i]).absoluteFilePath()), Protocols[i]));
    // Older files that could not be written back in the current layout are
    // told once, however many there were; their series are loaded all the same.
    if (writeBackFailed)
        ShowMessage(32);
}
