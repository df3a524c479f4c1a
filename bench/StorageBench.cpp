// A change of data folder at a lab's sizes: nine open series of six
// properties with 999 tests, whose tests name airbag curves (the argument:
// curves per series, 999 as a busy lab has them), moved into an empty
// folder of the same file system with the settings saved between. Beside it,
// in the same run and on the same files, the two references it is held to:
// "cp -r" of the data folder, and a plain write of the same bytes as new
// files. "x_cp" and "x_write" divide the median change by each; "start_x_cp"
// is the start that finishes a change killed after the settings named the
// new folder (every old file checked and removed), against the same copy.
// The same into a folder on another file system (a tmpfs), where the curves
// are copied rather than linked.
#include "BenchSeries.h"
#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "foundation/modSettings.h"
#include "main_window/modPending.h"
#include "platform/OleDate.h"
#include "platform/ProgramFolder.h"
#include "storage/modDisk.h"
#include "storage/modTestReport.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int SeriesCount = 9;
constexpr int TestsPerProperty = 999;
// About what an airbag curve file holds.
constexpr std::size_t CurveBytes = 6200;

std::vector<Protocol> LabSeries(int curvesPerSeries, std::map<QString, std::string>& curves)
{
    std::mt19937 random(7);
    std::vector<Protocol> all;
    for (int s = 0; s < SeriesCount; ++s) {
        Protocol p = BenchFullSeries(DateSerial(2024, 3, 4) + s / 24.0);
        for (std::size_t b = 1; b <= 6; ++b) {
            std::vector<TestValue>& values = p.Blocks[b].Values;
            const std::size_t built = values.size() - 1;
            while (values.size() <= static_cast<std::size_t>(TestsPerProperty))
                values.push_back(values[1 + (values.size() - 1) % built]);
            p.Blocks[b].Stats.Count = TestsPerProperty;
        }
        for (int t = 1; t <= curvesPerSeries; ++t) {
            const double stamp = DateSerial(2024, 3, 4) + (s * 1000 + t) / 86400.0;
            const QString name = dskFileNameFromDate(stamp, QStringLiteral("ABT"));
            std::string bytes(CurveBytes, '\0');
            for (char& c : bytes)
                c = static_cast<char>(random());
            curves[name] = bytes;
            p.Blocks[1].Values[static_cast<std::size_t>(t)].CurveFile = name.toStdString();
        }
        all.push_back(p);
    }
    return all;
}

void WritePlain(const QString& path, const std::string& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

// The data folder as the lab left it: the pending files and the curves.
void MakeDataFolder(const QString& folder, const std::vector<Protocol>& series,
                    const std::map<QString, std::string>& curves)
{
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    for (std::size_t n = 0; n < series.size(); ++n)
        WritePlain(folder + QStringLiteral("/PENDING %1.QTA").arg(n + 1), dskTestReportFileBytes(series[n]));
    for (const auto& [name, bytes] : curves)
        WritePlain(folder + QLatin1Char('/') + name, bytes);
}

double Seconds(const QElapsedTimer& clock) { return static_cast<double>(clock.nsecsElapsed()) / 1e9; }

// secondFolder: where the new folder and the references' copies lie (the
// temporary folder itself, or another file system).
void ChangeAtLabSizes(benchmark::State& state, const QString& secondFolder)
{
    const int curvesPerSeries = static_cast<int>(state.range(0));
    std::map<QString, std::string> curves;
    const std::vector<Protocol> series = LabSeries(curvesPerSeries, curves);
    QTemporaryDir temp;
    QTemporaryDir second(secondFolder.isEmpty() ? QDir::tempPath() + QStringLiteral("/XXXXXX")
                                                : secondFolder + QStringLiteral("/XXXXXX"));
    if (!temp.isValid() || !second.isValid()) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const QString program = temp.path() + QStringLiteral("/Program");
    const QString data = temp.path() + QStringLiteral("/Data");
    const QString other = (secondFolder.isEmpty() ? temp.path() : second.path()) + QStringLiteral("/Other");
    const QString copy = (secondFolder.isEmpty() ? temp.path() : second.path()) + QStringLiteral("/Copy");
    QDir().mkpath(program);
    SetProgramFolder(program);
    ResetSettingsGlobals(program);
    std::vector<double> changes, begins, finishes, starts, copies, writes;
    bool ok = true;
    for (auto _ : state) {
        MakeDataFolder(data, series, curves);
        QDir(other).removeRecursively();
        QDir().mkpath(other);
        // A lab's curves were written long before: the change reads each
        // once (one written in the last moments is read again to be removed).
        QThread::msleep(2100);
        DataFolder = data;
        SaveSettings();
        Protocols.assign(1, EmptyProtocol);
        LoadPendingProtocols();
        ok = ok && Protocols.size() == series.size() + 1;

        // The change as the data settings' OK makes it.
        QElapsedTimer clock;
        clock.start();
        ok = BeginDataFolderChange(other) && ok;
        begins.push_back(Seconds(clock));
        DataFolder = other;
        ok = SaveSettings() && ok;
        QElapsedTimer finish;
        finish.start();
        ok = FinishDataFolderChange() && ok;
        finishes.push_back(Seconds(finish));
        changes.push_back(Seconds(clock));
        ok = ok && QDir(data).entryList(QDir::Files).isEmpty();

        // Back again, killed once the settings named the data folder: the
        // next start finishes it.
        ok = BeginDataFolderChange(data) && ok;
        DataFolder = data;
        ok = SaveSettings() && ok;
        Protocols.assign(1, EmptyProtocol);
        clock.start();
        LoadPendingProtocols();
        starts.push_back(Seconds(clock));
        ok = ok && Protocols.size() == series.size() + 1 && QDir(other).entryList(QDir::Files).isEmpty();

        // The references, on the same files.
        QDir(copy).removeRecursively();
        clock.start();
        ok = QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-r"), data, copy}) == 0 && ok;
        copies.push_back(Seconds(clock));
        // Every file cp copied, the series' files in the seat's folder too.
        std::vector<std::pair<QString, std::string>> files;
        QDirIterator found(data, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (found.hasNext()) {
            QFile file(found.next());
            file.open(QIODevice::ReadOnly);
            const QByteArray bytes = file.readAll();
            files.emplace_back(QDir(data).relativeFilePath(file.fileName()),
                               std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        }
        QDir(copy).removeRecursively();
        for (const auto& [name, bytes] : files)
            QDir().mkpath(QFileInfo(copy + QLatin1Char('/') + name).absolutePath());
        clock.start();
        for (const auto& [name, bytes] : files)
            WritePlain(copy + QLatin1Char('/') + name, bytes);
        writes.push_back(Seconds(clock));
    }
    if (!ok)
        state.SkipWithError("the change did not go through");
    const auto median = [](std::vector<double> values) {
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    state.counters["files"] = static_cast<double>(series.size() + curves.size());
    state.counters["change_s"] = median(changes);
    state.counters["begin_s"] = median(begins);
    state.counters["finish_s"] = median(finishes);
    state.counters["cp_s"] = median(copies);
    state.counters["write_s"] = median(writes);
    state.counters["x_cp"] = median(changes) / median(copies);
    state.counters["x_write"] = median(changes) / median(writes);
    state.counters["start_x_cp"] = median(starts) / median(copies);
    Protocols.assign(1, EmptyProtocol);
    SetProgramFolder(QString());
}

void DataFolderChange_LabSizes(benchmark::State& state) { ChangeAtLabSizes(state, QString()); }

// From the temporary folder to a tmpfs (/dev/shm): the curves are copied,
// and the references copy across too.
void DataFolderChange_ToAnotherFileSystem(benchmark::State& state)
{
    ChangeAtLabSizes(state, QStringLiteral("/dev/shm"));
}

}  // namespace

static const bool StorageRegistered = [] {
    benchmark::RegisterBenchmark("DataFolderChange_LabSizes", DataFolderChange_LabSizes)
        ->Arg(100)->Iterations(3)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("DataFolderChange_LabSizes", DataFolderChange_LabSizes)
        ->Arg(999)->Iterations(1)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("DataFolderChange_ToAnotherFileSystem", DataFolderChange_ToAnotherFileSystem)
        ->Arg(100)->Iterations(3)->Unit(benchmark::kMillisecond);
    return true;
}();
