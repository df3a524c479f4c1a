// One style folder full of test reports: how long listing it and reading every
// report with dskGetTestReport takes, beside reading the same files' bytes
// raw; and a new report saved beside 0, 10,000 and 100,000 others, beside
// the same save into an empty folder. The argument is the number of report files (run a smaller one with
// --benchmark_filter=Reports.*/100).
#include "BenchTiming.h"
#include "bench/BenchCache.h"
#include "bench/BenchSeries.h"
#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "platform/BinaryIO.h"
#include "platform/OleDate.h"
#include "platform/ProgramFolder.h"
#include "storage/modDisk.h"
#include "storage/modTestReport.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <vector>

namespace {

// A series of 6 properties with 20 tests each, as a full day's work leaves it.
Protocol FullSeries(double date)
{
    return BenchFullSeries(date);
}

// Writes `count` reports of one series a second straight into the style
// folder below data and returns that folder: saving each through the program
// would sync every one, which only slows the making of the folder.
QString WritePlainReports(const QString& data, int count)
{
    const Protocol series = FullSeries(0);
    const QString folder = data + QLatin1Char('/') + dskStyleFolderName(series.Style.Name);
    QDir().mkpath(folder);
    const double start = DateSerial(2024, 1, 5) + TimeSerial(6, 0, 0);
    for (int i = 0; i < count; ++i) {
        const Protocol p = FullSeries(start + i / 86400.0);
        BinaryWriter out;
        dskPutHeader(out, "QTA");
        PutRecord(out, p);
        QFile file(folder + QLatin1Char('/') + dskFileNameFromDate(p.Date, QStringLiteral("QTA")));
        if (!file.open(QIODevice::WriteOnly))
            break;
        file.write(out.Bytes().data(), static_cast<qint64>(out.Bytes().size()));
    }
    return folder;
}

struct ReportFolder {
    QTemporaryDir Temp;
    QString Folder;
    qint64 Bytes = 0;
};

// Made once per file count and kept for all runs of that count.
ReportFolder& Reports(int count)
{
    static std::map<int, std::unique_ptr<ReportFolder>> folders;
    std::unique_ptr<ReportFolder>& entry = folders[count];
    if (!entry) {
        entry = std::make_unique<ReportFolder>();
        SetProgramFolder(entry->Temp.path());
        ResetSettingsGlobals(entry->Temp.path());
        DataFolder = entry->Temp.path();
        entry->Folder = WritePlainReports(DataFolder, count);
        for (const QFileInfo& info : QDir(entry->Folder).entryInfoList(QDir::Files))
            entry->Bytes += info.size();
    }
    return *entry;
}

void Reports_ListAndRead(benchmark::State& state)
{
    const ReportFolder& reports = Reports(static_cast<int>(state.range(0)));
    int64_t files = 0;
    for (auto _ : state) {
        for (const QString& name : dskListFiles(reports.Folder)) {
            Protocol p = dskGetTestReport(reports.Folder, name);
            benchmark::DoNotOptimize(p);
            ++files;
        }
    }
    state.SetItemsProcessed(files);
    state.SetBytesProcessed(reports.Bytes * state.iterations());
    state.counters["files"] = static_cast<double>(files) / static_cast<double>(state.iterations());
}

void Reports_ListAndReadRaw(benchmark::State& state)
{
    const ReportFolder& reports = Reports(static_cast<int>(state.range(0)));
    int64_t files = 0;
    for (auto _ : state) {
        for (const QString& name : dskListFiles(reports.Folder)) {
            QFile file(reports.Folder + QLatin1Char('/') + name);
            if (file.open(QIODevice::ReadOnly)) {
                QByteArray bytes = file.readAll();
                benchmark::DoNotOptimize(bytes);
            }
            ++files;
        }
    }
    state.SetItemsProcessed(files);
    state.SetBytesProcessed(reports.Bytes * state.iterations());
    state.counters["files"] = static_cast<double>(files) / static_cast<double>(state.iterations());
}

// A data folder whose style folder holds `count` reports of one series a
// second, written plainly once into the cache.
QString CachedReportFolder(int count)
{
    return BenchCacheFolder(QStringLiteral("reports-%1").arg(count), [count](const QString& data) {
        WritePlainReports(data, count);
    });
}

// One new report saved into the data folder and taken away again; the
// seconds the save took.
double SaveNew(const QString& data, const Protocol& series)
{
    DataFolder = data;
    const auto start = std::chrono::steady_clock::now();
    QString name;
    if (!dskSaveNewTestReport(series, &name))
        return -1;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    QFile::remove(data + QLatin1Char('/') + dskStyleFolderName(series.Style.Name) + QLatin1Char('/') + name);
    return seconds;
}

// A terminated series saved beside `count` reports of its style; each round
// saves it into an empty data folder as well, and the ratio compares the
// medians of one run.
void Reports_SaveNew(benchmark::State& state)
{
    QTemporaryDir empty;
    SetProgramFolder(empty.path());
    ResetSettingsGlobals(empty.path());
    const int count = static_cast<int>(state.range(0));
    const QString crowded = count > 0 ? CachedReportFolder(count) : empty.path();
    const Protocol series = FullSeries(DateSerial(2030, 6, 1) + TimeSerial(12, 0, 0));
    std::vector<double> saves, emptySaves;
    for (auto _ : state) {
        saves.push_back(SaveNew(crowded, series));
        state.PauseTiming();
        emptySaves.push_back(SaveNew(empty.path(), series));
        state.ResumeTiming();
    }
    if (std::any_of(saves.begin(), saves.end(), [](double seconds) { return seconds < 0; }))
        state.SkipWithError("not saved");
    state.counters["ratio_to_empty_folder"] = Median(saves) / Median(emptySaves);
}

}  // namespace

// Each file count reads through dskGetTestReport and then raw, one beside the other.
static const bool ReportsRegistered = [] {
    for (const int count : {100, 10000}) {
        benchmark::RegisterBenchmark("Reports_ListAndRead", Reports_ListAndRead)
            ->Arg(count)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("Reports_ListAndReadRaw", Reports_ListAndReadRaw)
            ->Arg(count)->Unit(benchmark::kMillisecond);
    }
    for (const int count : {0, 10000, 100000})
        benchmark::RegisterBenchmark("Reports_SaveNew", Reports_SaveNew)->Arg(count)->Unit(benchmark::kMillisecond);
    return true;
}();
