// The settings file at the limits of its lists: 30,000 styles, 100 report
// forms and 30,000 reference values. Writing it (backup link, every write
// checked, synced, atomic replace) and reading it back (the whole-file check
// and the range checks included) are timed beside a plain copy of the same
// file, the least any save could cost; "x_plain_copy" is the ratio, measured
// in the same run.
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

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Seconds of one plain copy of the settings file: the best of five.
double PlainCopySeconds(const QString& folder)
{
    static double seconds = 0;
    if (seconds > 0)
        return seconds;
    const QString target = folder + QStringLiteral("/COPY.DAT");
    seconds = 1e9;
    for (int i = 0; i < 5; ++i) {
        QFile::remove(target);
        const auto start = std::chrono::steady_clock::now();
        QFile::copy(SettingsFilePath(), target);
        seconds = std::min(seconds, SecondsSince(start));
    }
    QFile::remove(target);
    return seconds;
}

void ReportRatio(benchmark::State& state, double seconds, const QString& folder)
{
    const double perIteration = seconds / static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
    state.counters["x_plain_copy"] = perIteration / PlainCopySeconds(folder);
}

LargeSettings& Large()
{
    static std::unique_ptr<LargeSettings> large = std::make_unique<LargeSettings>();
    SetProgramFolder(large->folder.path());
    return *large;
}

void Settings_Write(benchmark::State& state)
{
    LargeSettings& large = Large();
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state)
        WriteSettingsFile();
    ReportRatio(state, SecondsSince(start), large.folder.path());
    state.SetBytesProcessed(state.iterations() * large.fileSize);
    state.counters["file_MB"] = static_cast<double>(large.fileSize) / 1048576.0;
}
BENCHMARK(Settings_Write)->Unit(benchmark::kMillisecond);

void Settings_Read(benchmark::State& state)
{
    LargeSettings& large = Large();
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        ReadSettingsFile();
        benchmark::DoNotOptimize(Styles.data());
    }
    ReportRatio(state, SecondsSince(start), large.folder.path());
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
