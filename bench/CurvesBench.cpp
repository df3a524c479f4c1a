// The airbag curve after a measurement: decoding the transfer, writing the
// curve file and reading it back (beside writing and reading the same bytes
// as safely with no checks), in an empty data folder and beside 10,000 and
// 100,000 others; the evaluation chain of the curve window; the curve
// analysis window opened on a stored curve and redrawn per option change, and
// the report's curve box of a property with 50 airbag curves.
#include "BenchTiming.h"
#include "curves/frmABTCurve.h"
#include "curves/modABTCurve.h"
#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "instrument/modDataString.h"
#include "platform/DrawingSurface.h"
#include "platform/OleDate.h"
#include "platform/ProgramFolder.h"
#include "printing/modPrinter.h"
#include "storage/modDisk.h"
#include "bench/BenchCache.h"
#include "platform/BinaryIO.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <vector>

#include <unistd.h>

namespace {

// A pulse as the instrument records it: the reservoir empties into the
// chamber, the chamber pressure peaks at 40 ms and decays, the fabric bulges.
ABTCurve Pulse(const std::string& limits = "150/50")
{
    ABTCurve c = EmptyABTCurve;
    const std::string s = "\x1E" "KR 6450" "123" " " "   400" "/" "   123" "A" + limits + "A" "    50" ")" " "
                          " 123.4" "H" " 0.512" " " " " "0";
    c.Header = s + DataStringChecksum(s) + "\r\n";
    c.Factor1 = 3;
    c.Factor2 = 2;
    for (int i = 0; i < AbtSampleCount; ++i) {
        const double t = i;
        c.P1[i] = static_cast<float>(1000 + 2000 * std::exp(-t / 30));
        c.P2[i] = static_cast<float>(i < 40 ? 20 * t : 800 * std::exp(-(t - 40) / 120));
        c.S[i] = static_cast<float>(3.0 * (1 - std::exp(-t / 25)) * (i < 40 ? 1 : std::exp(-(t - 40) / 400)));
    }
    return c;
}

// A transfer of 25 full lines: the older reading in line 0, the samples
// running through every code (decoding costs the same for any content).
AbtRawLines Transfer()
{
    AbtRawLines raw;
    for (int k = 0; k < 25; ++k) {
        std::string line(256, '\0');
        for (int j = 0; j < 128; ++j) {
            line[static_cast<std::size_t>(j)] = static_cast<char>((k + j) % 2);
            line[static_cast<std::size_t>(128 + j)] = static_cast<char>((k * 7 + j * 13) % 128);
        }
        raw.Lines[k] = line;
    }
    const std::string old = "\x1E" "66" " 1234" "xx" " " " 500" "1500" " 400" " 123.4" " " "0.512" "1" "B12" "\r\n";
    raw.Lines[0].replace(128, old.size(), old);
    return raw;
}

struct Folder {
    QTemporaryDir Temp;
};

// An empty data folder with the settings pointed at it.
std::unique_ptr<Folder> EmptyDataFolder()
{
    auto folder = std::make_unique<Folder>();
    SetProgramFolder(folder->Temp.path());
    ResetSettingsGlobals(folder->Temp.path());
    DataFolder = folder->Temp.path();
    return folder;
}

// A data folder holding `others` curve files of other days, one a minute
// from 1 March 2023, written plainly once into the cache.
QString CachedCurveFolder(int others)
{
    return BenchCacheFolder(QStringLiteral("curves-%1").arg(others), [others](const QString& folder) {
        BinaryWriter out;
        dskPutHeader(out, "ABT");
        PutRecord(out, Pulse());
        const double day = DateSerial(2023, 3, 1);
        for (int i = 0; i < others; ++i) {
            QFile file(folder + QLatin1Char('/') + dskFileNameFromDate(day + i / 1440.0, QStringLiteral("ABT")));
            if (file.open(QIODevice::WriteOnly))
                file.write(out.Bytes().data(), static_cast<qint64>(out.Bytes().size()));
        }
    });
}

// A curve stored from its transfer and read back; the seconds it took.
double StoreAndRead(const AbtRawLines& raw, double stamp)
{
    const auto start = std::chrono::steady_clock::now();
    const ABTCurve curve = abtParseRawData(raw);
    const QString name = abtFilePut(curve, stamp);
    benchmark::DoNotOptimize(abtFileGet(DataFolder, name));
    const double seconds = SecondsSince(start);
    QFile::remove(DataFolder + QLatin1Char('/') + name);
    return seconds;
}

// The same bytes written as the program writes a file that must survive a
// crash (a temporary file, synced, renamed) and read back, with no checks;
// the seconds it took.
double PlainStoreAndRead(const QString& folder)
{
    static const std::string bytes(6218, 'x');
    const QString path = folder + QStringLiteral("/plain.ABT");
    const QString temp = path + QStringLiteral(".tmp");
    const auto start = std::chrono::steady_clock::now();
    QFile out(temp);
    out.open(QIODevice::WriteOnly | QIODevice::Truncate);
    out.write(bytes.data(), static_cast<qint64>(bytes.size()));
    out.flush();
    ::fsync(out.handle());
    out.close();
    ::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData());
    QFile in(path);
    in.open(QIODevice::ReadOnly);
    benchmark::DoNotOptimize(in.readAll());
    const double seconds = SecondsSince(start);
    QFile::remove(path);
    return seconds;
}

// Beside `others` curve files of other days; each round also stores one in
// an empty folder and writes the same bytes plainly, so the ratios compare
// medians of one run.
void CurveStoreAndRead(benchmark::State& state)
{
    const std::unique_ptr<Folder> empty = EmptyDataFolder();
    const int others = static_cast<int>(state.range(0));
    const QString crowded = others > 0 ? CachedCurveFolder(others) : empty->Temp.path();
    const AbtRawLines raw = Transfer();
    const double stamp = DateSerial(2024, 1, 5) + TimeSerial(13, 7, 9);
    std::vector<double> stores, emptyStores, plain;
    for (auto _ : state) {
        DataFolder = crowded;
        stores.push_back(StoreAndRead(raw, stamp));
        state.PauseTiming();
        DataFolder = empty->Temp.path();
        emptyStores.push_back(StoreAndRead(raw, stamp));
        plain.push_back(PlainStoreAndRead(empty->Temp.path()));
        state.ResumeTiming();
    }
    state.counters["ratio_to_empty_folder"] = Median(stores) / Median(emptyStores);
    state.counters["ratio_to_plain"] = Median(stores) / Median(plain);
}
BENCHMARK(CurveStoreAndRead)->Arg(0)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// Baseline: the same bytes written as safely (synced, renamed) and read
// back with no checks.
void CurveStoreAndReadPlain(benchmark::State& state)
{
    const std::unique_ptr<Folder> folder = EmptyDataFolder();
    for (auto _ : state)
        benchmark::DoNotOptimize(PlainStoreAndRead(DataFolder));
}
BENCHMARK(CurveStoreAndReadPlain)->Unit(benchmark::kMicrosecond);

void CurveEvaluationChain(benchmark::State& state)
{
    const ABTCurve curve = Pulse();
    for (auto _ : state) {
        AbtEvaluation e{};
        AbtOptions o{50, 150, 0, 8};
        abtEvaluatePulse(curve, e, o);
        abtCalcFlow(curve, e, o);
        abtSmoothCurve(e, o);
        o.Smoothing = 0;
        abtFitPowerLaw(curve, e, o);
        abtSmoothCurve(e, o);
        abt_6_CalcADAP(e, o);
        benchmark::DoNotOptimize(e);
    }
}
BENCHMARK(CurveEvaluationChain)->Unit(benchmark::kMicrosecond);

// The curve window opened on a stored curve: its controls, the file read,
// the evaluation chain and the first drawing of page 3.
void CurveWindowOpen(benchmark::State& state)
{
    const std::unique_ptr<Folder> folder = EmptyDataFolder();
    AbtFileName = abtFilePut(Pulse(" 60/20"), DateSerial(2024, 1, 5));
    AbtProtocol = MakeEmptyProtocol();
    for (auto _ : state) {
        benchmark::DoNotOptimize(frmABTCurve::Instance());
        state.PauseTiming();
        frmABTCurve::Unload();
        state.ResumeTiming();
    }
}
BENCHMARK(CurveWindowOpen)->Unit(benchmark::kMillisecond);

// What one option change costs, each back and forth: 0 an axis maximum, 1 the
// smoothing, 2 a pressure limit with the computed curve shown, 3 the form factor.
void CurveWindowOptionChange(benchmark::State& state)
{
    const std::unique_ptr<Folder> folder = EmptyDataFolder();
    AbtFileName = abtFilePut(Pulse(" 60/20"), DateSerial(2024, 1, 5));
    AbtProtocol = MakeEmptyProtocol();
    frmABTCurve& w = *frmABTCurve::Instance();
    w.chkComputedCurve->setChecked(true);
    const int option = static_cast<int>(state.range(0));
    int flip = 0;
    for (auto _ : state) {
        flip ^= 1;
        switch (option) {
        case 0: w.lstXMax[3]->setCurrentRow(flip ? 10 : 21); break;
        case 1:
            w.chkSmoothing->setChecked(flip != 0);
            w.chkSmoothing_Click();
            break;
        case 2:
            w.cboLimit[1]->setCurrentIndex(flip ? 29 : 19);
            w.cboLimit_Click(1);
            break;
        default:
            w.cboFormFactor->setCurrentIndex(flip ? 25 : 20);
            w.cboFormFactor_Click();
            break;
        }
    }
    frmABTCurve::Unload();
}
BENCHMARK(CurveWindowOptionChange)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// The report's curve box of one property holding 50 airbag curves, drawn on
// a preview page.
void ReportCurveBox(benchmark::State& state)
{
    const std::unique_ptr<Folder> folder = EmptyDataFolder();
    Protocol series = MakeEmptyProtocol();
    series.FormIndex = 1;
    series.Style.Forms[1].Items[1].Property = 18;
    series.Style.Forms[1].Items[1].Curve = true;
    series.Blocks[1].Values = {EmptyTestValue};
    for (int i = 0; i < state.range(0); ++i) {
        TestValue t = EmptyTestValue;
        t.CurveFile = abtFilePut(Pulse(), DateSerial(2024, 1, 5) + i / 86400.0).toStdString();
        series.Blocks[1].Values.push_back(t);
    }
    DrawingSurface page(794, 1123);
    OutputObject = &page;
    for (auto _ : state) {
        page.Cls();
        ptrInitPage();
        ptrCurves(series, 1, PrintRect{12, 40, 96, 70});
    }
    OutputObject = nullptr;
}
BENCHMARK(ReportCurveBox)->Arg(50)->Unit(benchmark::kMillisecond);

} // namespace
