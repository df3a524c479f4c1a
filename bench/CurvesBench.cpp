// The airbag curve after a measurement: decoding the transfer, writing the
// curve file and reading it back (beside writing and reading the same bytes
// plainly), the evaluation chain of the curve window, and what the main
// window's thumbnail does per curve (read, evaluate, draw page 3); the curve
// analysis window opened on a stored curve and redrawn per option change, and
// the report's curve box of a property with 50 airbag curves.
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

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

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

// A data folder holding `others` curve files of other days.
std::unique_ptr<Folder> DataFolderWith(int others)
{
    auto folder = std::make_unique<Folder>();
    SetProgramFolder(folder->Temp.path());
    ResetSettingsGlobals(folder->Temp.path());
    DataFolder = folder->Temp.path();
    const double day = DateSerial(2023, 3, 1);
    for (int i = 0; i < others; ++i)
        abtFilePut(Pulse(), day + i / 1440.0);
    return folder;
}

void CurveStoreAndRead(benchmark::State& state)
{
    const std::unique_ptr<Folder> folder = DataFolderWith(static_cast<int>(state.range(0)));
    const AbtRawLines raw = Transfer();
    const double stamp = DateSerial(2024, 1, 5) + TimeSerial(13, 7, 9);
    for (auto _ : state) {
        const ABTCurve curve = abtParseRawData(raw);
        const QString name = abtFilePut(curve, stamp);
        benchmark::DoNotOptimize(abtFileGet(DataFolder, name));
        state.PauseTiming();
        QFile::remove(DataFolder + QLatin1Char('/') + name);
        state.ResumeTiming();
    }
}
BENCHMARK(CurveStoreAndRead)->Arg(0)->Arg(1000)->Unit(benchmark::kMicrosecond);

// Baseline: the same bytes written and read back with no checks.
void CurveStoreAndReadPlain(benchmark::State& state)
{
    const std::unique_ptr<Folder> folder = DataFolderWith(0);
    const std::string bytes(6218, 'x');
    const QString path = DataFolder + QStringLiteral("/plain.ABT");
    for (auto _ : state) {
        QFile out(path);
        out.open(QIODevice::WriteOnly | QIODevice::Truncate);
        out.write(bytes.data(), static_cast<qint64>(bytes.size()));
        out.close();
        QFile in(path);
        in.open(QIODevice::ReadOnly);
        benchmark::DoNotOptimize(in.readAll());
    }
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

// The thumbnail's work per curve, for 50 curves on one picture.
void ThumbnailCurves(benchmark::State& state)
{
    const std::unique_ptr<Folder> folder = DataFolderWith(0);
    const int count = static_cast<int>(state.range(0));
    QStringList names;
    for (int i = 0; i < count; ++i)
        names.append(abtFilePut(Pulse(), DateSerial(2024, 1, 5) + i / 86400.0));
    DrawingSurface picture(300, 200);
    for (auto _ : state) {
        picture.Cls();
        PlotWindow window;
        for (const QString& name : names) {
            if (!abtIsAirbagFile(DataFolder, name))
                continue;
            const ABTCurve curve = abtFileGet(DataFolder, name);
            AbtEvaluation e{};
            const AbtOptions o{50, 150, 0, 0};
            abtEvaluatePulse(curve, e, o);
            abtCalcFlow(curve, e, o);
            abtSmoothCurve(e, o);
            if (!abtIsUsableWindow(window, 3))
                window = abtPlotWindow(PlotWindow{}, e, 3);
            abtDrawCurve(curve, e, o, window, 3, false, picture);
        }
    }
}
BENCHMARK(ThumbnailCurves)->Arg(50)->Unit(benchmark::kMillisecond);

// The curve window opened on a stored curve: its controls, the file read,
// the evaluation chain and the first drawing of page 3.
void CurveWindowOpen(benchmark::State& state)
{
    const std::unique_ptr<Folder> folder = DataFolderWith(0);
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
    const std::unique_ptr<Folder> folder = DataFolderWith(0);
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
    const std::unique_ptr<Folder> folder = DataFolderWith(0);
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
