// Main window speed with the largest series, 999 tests: refilling the test
// grid and marking its last row (after every edit of a test), one resize of
// the whole window with those rows shown, choosing the profile and the
// histogram page (compute, reduce, draw), showing the series again when the
// operator switches to that property, and one pass of the enabling rules.
// The baseline writes the same texts into a plain table of the toolkit. The
// curve thumbnail, drawn after every measurement, with 50 and 999 airbag
// curves. Deleting one of 999 tests with the profile page on show, and
// terminating a series of six properties of 999 tests (saved and exported,
// not printed). Keeping nine open series of six properties of 999 tests on
// disk: the write after one accepted test, and the orderly end on SIGTERM.
#include "BenchSeries.h"
#include "curves/modABTCurve.h"
#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "foundation/modMessage.h"
#include "main_window/frmCommentary.h"
#include "main_window/frmMain.h"
#include "main_window/modGrid.h"
#include "main_window/modPending.h"
#include "instrument/modDataString.h"
#include "instrument/modStatistic.h"
#include "platform/FlexGrid.h"
#include "platform/MessagePresenter.h"
#include "platform/ModalDialog.h"
#include "platform/OleDate.h"
#include "platform/PictureBox.h"
#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"
#include "platform/SystemEnd.h"
#include "platform/TabControl.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <optional>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int SeriesSize = 999;

Protocol LargestSeries()
{
    Protocol p = MakeEmptyProtocol();
    p.Style.Forms[1].Items[1].Property = 3;
    p.Style.Tests[3].Lower1 = 100;
    p.Style.Tests[3].Upper1 = 900;
    for (int i = 1; i <= SeriesSize; ++i) {
        TestValue t = MakeEmptyTestValue();
        t.Value1 = static_cast<float>(i);
        t.Unit1 = "8";
        t.Value2 = static_cast<float>(i) / 7.0f;
        t.Unit2 = "\"";
        t.Commentary = QStringLiteral("specimen %1").arg(i);
        p.Blocks[1].Values.push_back(t);
    }
    return p;
}

} // namespace

static void BM_PlainTableOf999Rows(benchmark::State& state)
{
    QTableWidget table;
    table.resize(469, 288);
    table.show();
    for (auto _ : state) {
        table.setRowCount(0);
        table.setColumnCount(7);
        table.setRowCount(SeriesSize);
        for (int r = 0; r < SeriesSize; ++r) {
            for (int c = 0; c < 7; ++c)
                table.setItem(r, c, new QTableWidgetItem(QStringLiteral("%1").arg(r * 7 + c)));
        }
    }
    state.SetItemsProcessed(state.iterations() * SeriesSize);
}
BENCHMARK(BM_PlainTableOf999Rows)->Unit(benchmark::kMillisecond);

static void BM_FillTestGridAndMarkLastRow999(benchmark::State& state)
{
    Language = 2;
    const Protocol series = LargestSeries();
    FlexGrid grid;
    grid.resize(469, 288);
    SetupStatGrid(grid);
    grid.show();
    for (auto _ : state) {
        FillTestGrid(grid, series);
        int row = 0;
        MarkCurrentRow(grid, row);
        benchmark::DoNotOptimize(row);
    }
    state.SetItemsProcessed(state.iterations() * SeriesSize);
}
BENCHMARK(BM_FillTestGridAndMarkLastRow999)->Unit(benchmark::kMillisecond);

static void BM_ResizeMainWindowWith999Rows(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString savedFolder = ProgramFolder();
    SetProgramFolder(folder.path());
    ResetSettingsGlobals(folder.path());
    Language = 2;
    frmMain* window = frmMain::Instance();
    const Protocol series = LargestSeries();
    FillTestGrid(*window->grdResult, series);
    int row = 0;
    MarkCurrentRow(*window->grdResult, row);
    window->show();
    QApplication::processEvents();
    const QSize least = window->size();
    bool wide = false;
    for (auto _ : state) {
        wide = !wide;
        window->resize(wide ? least + QSize(200, 120) : least);
        QApplication::processEvents();
    }
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    SetProgramFolder(savedFolder);
}
BENCHMARK(BM_ResizeMainWindowWith999Rows)->Unit(benchmark::kMillisecond);

namespace {

// Closing the window with the series open asks whether to keep them: yes.
class KeepSeriesPresenter : public MessagePresenter {
public:
    int16_t Present(const MessageRequest&) override { return AnswerYes; }
};

// The main window loaded over a temporary program folder, showing the
// largest series as open series 1 with nominal 500 in 100..900; its
// property 2 holds no test.
class LoadedMainWindow {
public:
    LoadedMainWindow()
    {
        SetMessagePresenter(&presenter_);
        savedFolder_ = ProgramFolder();
        SetProgramFolder(folder_.path());
        ResetSettingsGlobals(folder_.path());
        Language = 2;
        LoginLevel = 2;
        Protocol series = LargestSeries();
        series.Style.Tests[3].Nominal1 = 500;
        series.Style.Forms[1].Items[1].Histogram = true;
        series.Style.Forms[1].Items[2].Property = 3;
        AddPendingSeries(series);
        CurrentProtocol = 1;
        window_ = frmMain::Instance();
        window_->show();
        QApplication::processEvents();
    }
    ~LoadedMainWindow()
    {
        window_->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SetProgramFolder(savedFolder_);
        ResetSettingsGlobals(savedFolder_);
        SetMessagePresenter(nullptr);
    }
    frmMain& Window() { return *window_; }

private:
    KeepSeriesPresenter presenter_;
    QTemporaryDir folder_;
    QString savedFolder_;
    frmMain* window_ = nullptr;
};

void ChoosePage(benchmark::State& state, int page)
{
    LoadedMainWindow loaded;
    frmMain& window = loaded.Window();
    window.tabDisplay->SetTab(page);
    for (auto _ : state)
        window.tabDisplay_Click(page);
    state.SetItemsProcessed(state.iterations() * SeriesSize);
}

} // namespace

static void BM_ProfilePageOf999Tests(benchmark::State& state)
{
    ChoosePage(state, 2);
}
BENCHMARK(BM_ProfilePageOf999Tests)->Unit(benchmark::kMillisecond);

static void BM_HistogramPageOf999Tests(benchmark::State& state)
{
    ChoosePage(state, 4);
}
BENCHMARK(BM_HistogramPageOf999Tests)->Unit(benchmark::kMillisecond);

static void BM_EnableControls(benchmark::State& state)
{
    LoadedMainWindow loaded;
    frmMain& window = loaded.Window();
    // Alternating states change most flags on every pass.
    int pass = 0;
    for (auto _ : state)
        window.EnableControls(++pass % 2 == 0 ? 5 : 3);
}
BENCHMARK(BM_EnableControls)->Unit(benchmark::kMicrosecond);

// The operator chooses the property holding 999 tests after another one:
// the whole window is brought in line with it.
static void BM_ShowProtocolSwitchingTo999Tests(benchmark::State& state)
{
    LoadedMainWindow loaded;
    frmMain& window = loaded.Window();
    Protocol& series = Protocols[1];
    for (auto _ : state) {
        state.PauseTiming();
        series.CurrentProperty = 2;
        window.ShowProtocol();
        state.ResumeTiming();
        series.CurrentProperty = 1;
        window.ShowProtocol();
    }
    state.SetItemsProcessed(state.iterations() * SeriesSize);
}
BENCHMARK(BM_ShowProtocolSwitchingTo999Tests)->Unit(benchmark::kMillisecond);

// The operator types the 999th value of a property while its profile is
// shown: the test is checked, stored and drawn, and the property closes.
static void BM_TypedTest999ClosesTheProperty(benchmark::State& state)
{
    LoadedMainWindow loaded;
    frmMain& window = loaded.Window();
    Protocol& series = Protocols[1];
    series.Style.Forms[1].Items[1].Property = 1;
    series.Style.Tests[1] = series.Style.Tests[3];
    const std::string head = "\x1E" "0000000" + std::string(33, ' ') + "      8" + std::string(6, ' ') + "  0";
    series.Style.Tests[1].HeaderImage = head + DataStringChecksum(head) + "\r\n";
    PropertyBlock& block = series.Blocks[1];
    block.Header = series.Style.Tests[1].HeaderImage;
    block.Values.pop_back();
    window.tabDisplay->SetTab(2);
    window.ShowProtocol();
    for (auto _ : state) {
        state.PauseTiming();
        block.Values.resize(SeriesSize);
        block.Terminated = false;
        block.Stats = CalcMeanSdCvCi(block.Values);
        window.txtKeyboard->setText(QStringLiteral("500"));
        state.ResumeTiming();
        window.cmdMeasure_Click();
    }
    if (!block.Terminated || block.Values.size() != SeriesSize + 1)
        state.SkipWithError("the 999th test did not close the property");
}
BENCHMARK(BM_TypedTest999ClosesTheProperty)->Unit(benchmark::kMillisecond);

namespace {

// The commentary dialog answered with Delete, and the questions of
// terminating: yes to all but printing.
class DeletingRunner : public ModalDialogRunner {
public:
    int Run(QDialog& dialog) override
    {
        auto& commentary = static_cast<frmCommentary&>(dialog);
        commentary.txtCommentary->setText(QStringLiteral("torn"));
        commentary.cmdDelete->click();
        return dialog.result();
    }
};

class NoPrintPresenter : public MessagePresenter {
public:
    int16_t Present(const MessageRequest& request) override
    {
        return request.Text == ComposeMessage(27, {}, Language).Text ? AnswerNo : AnswerYes;
    }
};

} // namespace

static void BM_EditTestDeletingOneOf999WithTheProfileShown(benchmark::State& state)
{
    LoadedMainWindow loaded;
    frmMain& window = loaded.Window();
    DeletingRunner runner;
    SetModalDialogRunner(&runner);
    window.tabDisplay->SetTab(2);
    const Protocol series = Protocols[1];
    int k = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Protocols[1] = series;
        k = k % 999 + 1;
        state.ResumeTiming();
        window.EditTest(k);
    }
    SetModalDialogRunner(nullptr);
}
BENCHMARK(BM_EditTestDeletingOneOf999WithTheProfileShown)->Unit(benchmark::kMillisecond);

static void BM_TerminateSixPropertiesOf999Tests(benchmark::State& state)
{
    LoadedMainWindow loaded;
    frmMain& window = loaded.Window();
    NoPrintPresenter presenter;
    SetMessagePresenter(&presenter);
    Protocol series = Protocols[1];
    for (size_t p = 1; p <= 6; ++p) {
        series.Style.Forms[1].Items[p].Property = 3;
        series.Blocks[p] = series.Blocks[1];
        series.Blocks[p].Stats = CalcMeanSdCvCi(series.Blocks[p].Values);
        series.Blocks[p].StartDate = series.Date + static_cast<double>(p) / 86400;
    }
    const QString data = DataFolder + QStringLiteral("/data");
    const QString qdas = DataFolder + QStringLiteral("/qdas");
    AutoSave = true;
    AutoPrint = false;
    for (auto _ : state) {
        state.PauseTiming();
        QDir(data).removeRecursively();
        QDir(qdas).removeRecursively();
        QDir().mkpath(data);
        QDir().mkpath(qdas);
        DataFolder = data;
        QDASFolder = qdas;
        Protocols.resize(1);
        PendingSeriesReplaced();
        AddPendingSeries(series);
        CurrentProtocol = 1;
        state.ResumeTiming();
        window.cmdTerminateProtocol_Click();
    }
    state.SetItemsProcessed(state.iterations() * 6 * SeriesSize);
    const int written = static_cast<int>(QDir(qdas).entryList(QDir::Files).size());
    if (written != 6 || Protocols.size() != 1)
        state.SkipWithError("the series was not saved and exported whole");
    SetMessagePresenter(nullptr);
}
BENCHMARK(BM_TerminateSixPropertiesOf999Tests)->Unit(benchmark::kMillisecond);

namespace {

// A pulse as the instrument records it: the chamber pressure peaks at 40 ms
// and decays, the reservoir empties into it, the fabric bulges.
ABTCurve AirbagPulse(float peak)
{
    ABTCurve c = EmptyABTCurve;
    const std::string s = "\x1E" "KR 6450" "123" " " "   400" "/" "   123" "A" "150/50" "A" "    50" ")" " "
                          " 123.4" "H" " 0.512" " " " " "0";
    c.Header = s + DataStringChecksum(s) + "\r\n";
    c.Factor1 = 3;
    c.Factor2 = 2;
    for (int i = 0; i < AbtSampleCount; ++i) {
        const double t = i;
        c.P1[i] = static_cast<float>(1000 + 2000 * std::exp(-t / 30));
        c.P2[i] = static_cast<float>(i < 40 ? peak * t / 40 : peak * std::exp(-(t - 40) / 120));
        c.S[i] = static_cast<float>(3.0 * (1 - std::exp(-t / 25)) * (i < 40 ? 1 : std::exp(-(t - 40) / 400)));
    }
    return c;
}

} // namespace

// The main window's thumbnail of a property whose `curves` airbag tests each
// have their own file: the first drawing (counter first_ms) and every
// redraw after it (a tab change, a resize), as ShowProtocol draws it.
static void ThumbnailCurves(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString savedFolder = ProgramFolder();
    SetProgramFolder(folder.path());
    ResetSettingsGlobals(folder.path());
    DataFolder = folder.path();
    Language = 2;
    Protocol series = MakeEmptyProtocol();
    series.FormIndex = 1;
    series.CurrentProperty = 1;
    series.Style.Forms[1].Items[1] = ReportFormItem{18, false, true};
    const int curves = static_cast<int>(state.range(0));
    for (int i = 0; i < curves; ++i) {
        TestValue test = MakeEmptyTestValue();
        const QString name = abtFilePut(AirbagPulse(static_cast<float>(200 + i % 50)),
                                        DateSerial(2024, 1, 5) + i / 86400.0);
        test.CurveFile = name.toStdString();
        series.Blocks[1].Values.push_back(test);
    }
    // The series comes after the window is shown, so the first drawing is timed here.
    Protocols = {MakeEmptyProtocol()};
    PendingSeriesReplaced();
    CurrentProtocol = 0;
    KeepSeriesPresenter presenter;
    SetMessagePresenter(&presenter);
    frmMain* window = frmMain::Instance();
    window->show();
    QApplication::processEvents();
    AddPendingSeries(series);
    CurrentProtocol = 1;
    QElapsedTimer first;
    first.start();
    window->picCurve->Surface().Cls();
    window->DrawCurveThumbnail();
    state.counters["first_ms"] = static_cast<double>(first.nsecsElapsed()) / 1e6;
    for (auto _ : state) {
        window->picCurve->Surface().Cls();
        window->DrawCurveThumbnail();
    }
    state.SetItemsProcessed(state.iterations() * curves);
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Protocols.clear();
    SetMessagePresenter(nullptr);
    SetProgramFolder(savedFolder);
    ResetSettingsGlobals(savedFolder);
}
BENCHMARK(ThumbnailCurves)->Arg(50)->Arg(999)->Unit(benchmark::kMillisecond);

namespace {

// Nine open series of six properties with 999 tests each, as a busy lab
// leaves them, started an hour apart.
std::vector<Protocol> NineFullSeries()
{
    std::vector<Protocol> all;
    for (int s = 0; s < 9; ++s) {
        Protocol p = BenchFullSeries(DateSerial(2024, 3, 4) + s / 24.0);
        for (size_t b = 1; b <= 6; ++b) {
            std::vector<TestValue>& values = p.Blocks[b].Values;
            const size_t built = values.size() - 1;
            while (values.size() <= SeriesSize)
                values.push_back(values[1 + (values.size() - 1) % built]);
            p.Blocks[b].Stats.Count = SeriesSize;
        }
        all.push_back(p);
    }
    return all;
}

} // namespace

// One accepted test of the fifth of nine open series: its pending file is
// written again, the other eight are left as they are. The counter compares
// it with one atomic write of the same bytes.
static void BM_PendingWriteAfterOneTestOfNineSeries(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString savedData = DataFolder;
    DataFolder = folder.path();
    Protocols.assign(1, MakeEmptyProtocol());
    LoadPendingProtocols();
    for (const Protocol& p : NineFullSeries())
        AddPendingSeries(p);
    bool ok = false;
    SavePendingProtocols(ok);
    const QString pending = folder.filePath(QStringLiteral("PENDING 5.QTA"));
    const QString reference = folder.filePath(QStringLiteral("REFERENCE.QTA"));
    PropertyBlock& block = Protocols[5].Blocks[3];
    QElapsedTimer clock;
    qint64 keepNs = 0;
    qint64 atomicNs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        block.Values.push_back(block.Values[1]);
        state.ResumeTiming();
        clock.start();
        ok = KeepPendingSeries(5) && ok;
        keepNs += clock.nsecsElapsed();
        state.PauseTiming();
        SystemError error;
        const std::optional<std::string> bytes = ReadFileWhole(pending, error);
        clock.start();
        ok = bytes && WriteFileAtomically(reference, *bytes, error) && ok;
        atomicNs += clock.nsecsElapsed();
        block.Values.pop_back();
        state.ResumeTiming();
    }
    state.counters["ratio_to_atomic_write"] = static_cast<double>(keepNs) / static_cast<double>(std::max<qint64>(atomicNs, 1));
    if (!ok || QDir(folder.path()).entryList({QStringLiteral("PENDING*")}).size() != 9)
        state.SkipWithError("the pending files were not written");
    Protocols.assign(1, MakeEmptyProtocol());
    LoadPendingProtocols();
    DataFolder = savedData;
}
BENCHMARK(BM_PendingWriteAfterOneTestOfNineSeries)->Unit(benchmark::kMillisecond)->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The system ends the program (SIGTERM) while the window shows the first of
// nine open series: from the signal until the process is gone, with the
// pending files, the port and the settings done. Each round is a child of
// this process, so the time is measured from outside.
static void BM_OrderlyEndOnSigtermWithNineSeries(benchmark::State& state)
{
    LoadedMainWindow loaded;
    frmMain& window = loaded.Window();
    Protocols.resize(1);
    LoadPendingProtocols();
    for (const Protocol& p : NineFullSeries())
        AddPendingSeries(p);
    CurrentProtocol = 1;
    window.ShowProtocol();
    bool ok = false;
    SavePendingProtocols(ok);
    for (auto _ : state) {
        int ready[2];
        if (::pipe(ready) != 0) {
            state.SkipWithError("no pipe");
            break;
        }
        const pid_t pid = ::fork();
        if (pid == 0) {
            InstallSystemEnd(frmMain::EndBySystem);
            (void)!::write(ready[1], "r", 1);
            ::_exit(QApplication::exec());
        }
        ::close(ready[1]);
        char byte = 0;
        (void)!::read(ready[0], &byte, 1);
        ::close(ready[0]);
        QElapsedTimer clock;
        clock.start();
        ::kill(pid, SIGTERM);
        int status = -1;
        ::waitpid(pid, &status, 0);
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the program did not end with status 0");
            break;
        }
    }
    Protocols.resize(2);
    CurrentProtocol = 1;
}
BENCHMARK(BM_OrderlyEndOnSigtermWithNineSeries)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
