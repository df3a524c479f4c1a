// The import of the previous version's data at its sizes: 10,000 current
// reports of one style moved into an empty style folder, and an old text
// file of 10,000 lines turned into reports and moved; each beside a plain
// baseline measured in the same run (renaming the same files; writing the
// reports the import wrote as new synced files). The peak resident memory
// is reported after each, so a growth with the count shows.
#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "platform/BinaryIO.h"
#include "platform/MessagePresenter.h"
#include "platform/OleDate.h"
#include "platform/ProgramFolder.h"
#include "storage/modDisk.h"
#include "storage/modMigration.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <sys/resource.h>

namespace {

// Every message of the import answered at once.
class SilentPresenter : public MessagePresenter {
public:
    int16_t Present(const MessageRequest&) override { return AnswerOK; }
};

double PeakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// A source folder and a data folder below one temporary folder, with the
// settings pointed at them.
struct ImportFolders {
    QTemporaryDir Temp;
    QString Source;
    QString Data;

    ImportFolders()
    {
        Source = Temp.path() + QStringLiteral("/Source");
        Data = Temp.path() + QStringLiteral("/Data");
        QDir().mkpath(Source);
        QDir().mkpath(Data);
        SetProgramFolder(Temp.path());
        ResetSettingsGlobals(Temp.path());
        DataFolder = Data;
    }
};

std::string ReportBytes(double date)
{
    Protocol p = EmptyProtocol;
    p.Style.Name = QStringLiteral("Airbag 470 dtex");
    p.Style.Forms[1].Name = QStringLiteral("Airbag");
    p.Date = date;
    p.Blocks[1].Header = std::string(58, 'H') + "\r\n";
    for (int t = 1; t <= 20; ++t) {
        TestValue v = EmptyTestValue;
        v.Value1 = 100.0f + static_cast<float>(t);
        v.Unit1 = "H";
        p.Blocks[1].Values.push_back(v);
    }
    BinaryWriter out;
    dskPutHeader(out, "QTA");
    PutRecord(out, p);
    return out.Bytes();
}

void WriteReports(const QString& folder, int count)
{
    const double start = DateSerial(2024, 1, 5);
    for (int i = 0; i < count; ++i) {
        const double date = start + i / 86400.0;
        const std::string bytes = ReportBytes(date);
        QFile file(folder + QLatin1Char('/') + dskFileNameFromDate(date, QStringLiteral("QTA")));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
}

// An old balance file: one test line per minute.
std::string OldTextFile(int lines)
{
    std::string text;
    for (int i = 0; i < lines; ++i) {
        const int minutes = i;
        char stamp[16];
        std::snprintf(stamp, sizeof stamp, "1103%02d%02d%02d", 1 + minutes / 1440, (minutes / 60) % 24, minutes % 60);
        std::string line = "\x1E" + std::string(stamp);
        line += "Denim               " + std::string(60, ' ') + " 5" + "1" + std::string(8, ' ');
        line += "      12.5" + std::string(20, ' ');
        text += line + "\r\n";
    }
    return text;
}

void Import_CurrentReports(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    SilentPresenter presenter;
    SetMessagePresenter(&presenter);
    int files = 0;
    std::unique_ptr<ImportFolders> folders;
    for (auto _ : state) {
        state.PauseTiming();
        folders = std::make_unique<ImportFolders>();
        WriteReports(folders->Source, count);
        state.ResumeTiming();
        files = RunImport(folders->Source, {}).Files;
    }
    SetMessagePresenter(nullptr);
    state.counters["files"] = files;
    state.counters["peak_MB"] = PeakMegabytes();
}

// The baseline: the same files renamed into one folder.
void Import_CurrentReportsRenameOnly(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    std::unique_ptr<ImportFolders> folders;
    for (auto _ : state) {
        state.PauseTiming();
        folders = std::make_unique<ImportFolders>();
        WriteReports(folders->Source, count);
        const QString target = folders->Data + QStringLiteral("/QTA001");
        QDir().mkpath(target);
        state.ResumeTiming();
        for (const QString& name : QDir(folders->Source).entryList(QDir::Files))
            QFile::rename(folders->Source + QLatin1Char('/') + name, target + QLatin1Char('/') + name);
    }
    state.counters["peak_MB"] = PeakMegabytes();
}

// The reports under the folder, each as a path and its bytes.
std::vector<std::pair<QString, QByteArray>> ReportsBelow(const QString& folder)
{
    std::vector<std::pair<QString, QByteArray>> reports;
    QDirIterator it(folder, QStringList{QStringLiteral("*.QTA")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (file.open(QIODevice::ReadOnly))
            reports.emplace_back(QFileInfo(file.fileName()).fileName(), file.readAll());
    }
    return reports;
}

// The baseline of the import: the reports it wrote, written again as new
// files into an empty folder and synced, as the import syncs its batches,
// with one sync of the file system.
double CopySeconds(const std::vector<std::pair<QString, QByteArray>>& reports, const QString& folder)
{
    QDir().mkpath(folder);
    QElapsedTimer clock;
    clock.start();
    for (const auto& [name, bytes] : reports) {
        QFile file(folder + QLatin1Char('/') + name);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            file.write(bytes);
    }
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }
    return static_cast<double>(clock.nsecsElapsed()) / 1e9;
}

// The old text file turned into reports; each round copies the reports it
// wrote as well, and "x_copy" divides the median import by the median copy.
void Import_OldTextFile(benchmark::State& state)
{
    const int lines = static_cast<int>(state.range(0));
    const std::string text = OldTextFile(lines);
    SilentPresenter presenter;
    SetMessagePresenter(&presenter);
    int files = 0;
    std::vector<double> imports, copies;
    std::unique_ptr<ImportFolders> folders;
    for (auto _ : state) {
        state.PauseTiming();
        folders = std::make_unique<ImportFolders>();
        QFile file(folders->Source + QStringLiteral("/BAL.DAT"));
        if (file.open(QIODevice::WriteOnly))
            file.write(text.data(), static_cast<qint64>(text.size()));
        file.close();
        QElapsedTimer clock;
        clock.start();
        state.ResumeTiming();
        files = RunImport(folders->Source, {}).Files;
        state.PauseTiming();
        imports.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e9);
        copies.push_back(CopySeconds(ReportsBelow(folders->Data), folders->Temp.path() + QStringLiteral("/Copy")));
        state.ResumeTiming();
    }
    SetMessagePresenter(nullptr);
    std::sort(imports.begin(), imports.end());
    std::sort(copies.begin(), copies.end());
    state.counters["files"] = files;
    state.counters["x_copy"] = imports[imports.size() / 2] / copies[copies.size() / 2];
    state.counters["peak_MB"] = PeakMegabytes();
}

}  // namespace

static const bool MigrationRegistered = [] {
    for (const int count : {1000, 10000}) {
        benchmark::RegisterBenchmark("Import_CurrentReports", Import_CurrentReports)
            ->Arg(count)->Iterations(1)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("Import_CurrentReportsRenameOnly", Import_CurrentReportsRenameOnly)
            ->Arg(count)->Iterations(1)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("Import_OldTextFile", Import_OldTextFile)
            ->Arg(count)->Iterations(3)->Unit(benchmark::kMillisecond);
    }
    return true;
}();
