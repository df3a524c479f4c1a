// The settings file at the limits of its lists: 30,000 styles, 100 report
// forms and 30,000 reference values. Writing it (backup link, every write
// checked, synced, atomic replace) and reading it back (the whole-file check
// and the range checks included) are timed beside a plain copy of the same
// file, the least any save could cost, and a copy synced to the disk, as a
// save must be; "x_plain_copy" and "x_copy_fsync" are the ratios of the
// medians, measured round by round in the same run, and "memory_x_file" what
// the settings read hold beside the file's size.
#include "BenchTiming.h"
#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "foundation/modSettings.h"
#include "platform/ProgramFolder.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

namespace {

Style FullStyle(int number)
{
    Style s = BlankStyle;
    s.Name = QStringLiteral("STYLE %1").arg(number, 5, 10, QChar(u'0'));
    for (int t : {2, 5, 17}) {
        TestDefinition& d = s.Tests[t];
        d.Defined1 = true;
        d.Nominal1 = 100.0f;
        d.Lower1 = 90.0f;
        d.Upper1 = 110.0f;
        d.TestCount = 10;
        d.HeaderImage = std::string(58, 'H') + "\r\n";
    }
    for (int f = 1; f <= 3; ++f) {
        s.Forms[f].Name = QStringLiteral("Form %1").arg(f);
        s.Forms[f].Items[1] = ReportFormItem{2, true, false};
        s.Forms[f].Items[2] = ReportFormItem{5, false, false};
        s.Forms[f].Items[3] = ReportFormItem{17, true, true};
    }
    return s;
}

// The program folder with the settings of the largest installation, written once.
struct LargeSettings {
    QTemporaryDir folder;
    qint64 fileSize = 0;

    LargeSettings()
    {
        SetProgramFolder(folder.path());
        InitSettings();
        Styles.assign(1, BlankStyle);
        for (int i = 1; i <= 30000; ++i)
            Styles.push_back(FullStyle(i));
        ReportForms.assign(1, BlankReportForm);
        for (int i = 1; i <= 100; ++i) {
            ReportForm form = BlankReportForm;
            form.Name = QStringLiteral("Report form %1").arg(i);
            form.Items[1] = ReportFormItem{static_cast<int16_t>(i % 20 + 1), true, false};
            ReportForms.push_back(form);
        }
        Reference2Values.assign(1, QString());
        for (int i = 1; i <= 30000; ++i)
            Reference2Values.push_back(QStringLiteral("Lot 2024-%1").arg(i, 5, 10, QChar(u'0')));
        SaveSettings();
        fileSize = QFileInfo(SettingsFilePath()).size();
    }
};

// One plain copy of the settings file, as cp makes it, and with an fsync of
// the copy, as a save must have it on the disk: the seconds of each.
struct CopySeconds {
    double Plain = 0;
    double Synced = 0;
};

CopySeconds TimePlainCopy(const QString& folder)
{
    const QString target = folder + QStringLiteral("/COPY.DAT");
    CopySeconds seconds;
    QFile::remove(target);
    auto start = std::chrono::steady_clock::now();
    QFile::copy(SettingsFilePath(), target);
    seconds.Plain = SecondsSince(start);
    QFile::remove(target);
    start = std::chrono::steady_clock::now();
    QFile::copy(SettingsFilePath(), target);
    const int fd = ::open(QFile::encodeName(target).constData(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    seconds.Synced = SecondsSince(start);
    QFile::remove(target);
    return seconds;
}

// Bytes handed out by the allocator now, large blocks of their own included.
double AllocatedBytes()
{
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd);
}

LargeSettings& Large()
{
    static std::unique_ptr<LargeSettings> large = std::make_unique<LargeSettings>();
    SetProgramFolder(large->folder.path());
    return *large;
}

// Each round times the save and, beside it, the copies; the ratios take the
// median of each, so like is divided by like.
void Settings_Write(benchmark::State& state)
{
    LargeSettings& large = Large();
    std::vector<double> writes, copies, syncedCopies;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        WriteSettingsFile();
        writes.push_back(SecondsSince(start));
        state.PauseTiming();
        const CopySeconds copy = TimePlainCopy(large.folder.path());
        copies.push_back(copy.Plain);
        syncedCopies.push_back(copy.Synced);
        state.ResumeTiming();
    }
    state.counters["x_plain_copy"] = Median(writes) / Median(copies);
    state.counters["x_copy_fsync"] = Median(writes) / Median(syncedCopies);
    state.SetBytesProcessed(state.iterations() * large.fileSize);
    state.counters["file_MB"] = static_cast<double>(large.fileSize) / 1048576.0;
}
BENCHMARK(Settings_Write)->Unit(benchmark::kMillisecond);

// The memory counter is what the lists read hold beside the file's size.
void Settings_Read(benchmark::State& state)
{
    LargeSettings& large = Large();
    std::vector<double> reads, copies;
    double held = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Styles.clear();
        Styles.shrink_to_fit();
        Reference2Values.clear();
        Reference2Values.shrink_to_fit();
        ReportForms.clear();
        ReportForms.shrink_to_fit();
        malloc_trim(0);
        const double before = AllocatedBytes();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        ReadSettingsFile();
        reads.push_back(SecondsSince(start));
        benchmark::DoNotOptimize(Styles.data());
        state.PauseTiming();
        held = AllocatedBytes() - before;
        copies.push_back(TimePlainCopy(large.folder.path()).Plain);
        state.ResumeTiming();
    }
    state.counters["x_plain_copy"] = Median(reads) / Median(copies);
    state.counters["memory_x_file"] = held / static_cast<double>(large.fileSize);
    state.SetBytesProcessed(state.iterations() * large.fileSize);
    state.counters["styles"] = static_cast<double>(Styles.size() - 1);
}
BENCHMARK(Settings_Read)->Unit(benchmark::kMillisecond);

void Settings_PlainCopy(benchmark::State& state)
{
    LargeSettings& large = Large();
    const QString source = SettingsFilePath();
    const QString target = large.folder.path() + QStringLiteral("/COPY.DAT");
    for (auto _ : state) {
        QFile::remove(target);
        if (!QFile::copy(source, target))
            state.SkipWithError("copy failed");
    }
    state.SetBytesProcessed(state.iterations() * large.fileSize);
}
BENCHMARK(Settings_PlainCopy)->Unit(benchmark::kMillisecond);

} // namespace
