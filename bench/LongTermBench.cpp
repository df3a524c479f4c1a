// The long-term search over one style folder of full reports (6 properties
// of 20 tests, about 13.5 KB each, as the report benchmark writes them):
// listing alone, the raw read of the same files, the whole search at 100 %,
// 1 % and 0 % hits, the sort and the statistics alone. Each search reports
// ratio_to_raw (its time over a raw read of the same files measured in the
// same run) and peak_mb (how far the search raised the process's peak
// memory), so the figures compare across machines.
//
// 10,000 reports by default; QUINTARA_LONGTERM_REPORTS=100000 asks for more.
// Last, untimed, both readers are checked to find the same hits on 1,000
// of the files.
//
// The long-term charts: a redraw of both results of 100,000 found reports
// at 1,200 x 400 pixels (target: at most 0.5 s), and the printed page of
// them into a PDF (target: at most 5 s; pdf_kb is the file's size).
#include "bench/BenchSeries.h"
#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "instrument/modDataString.h"
#include "long_term/LongTermChart.h"
#include "long_term/modLongTermSearch.h"
#include "long_term/modPrinterLongTerm.h"
#include "platform/BinaryIO.h"
#include "platform/DrawingSurface.h"
#include "platform/OleDate.h"
#include "platform/ProgramFolder.h"
#include "printing/modPrinter.h"
#include "storage/modDisk.h"
#include "storage/modTestReport.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <map>
#include <memory>

namespace {

const QString StyleName = QStringLiteral("Airbag 470 dtex");
constexpr int16_t SearchedType = 9;

// The series of the report benchmark, finished, its report form naming the
// six properties. Every hundredth carries the reference "Lot X".
Protocol FullSeries(double date, bool marked)
{
    Protocol p = BenchFullSeries(date);
    p.Style.Name = StyleName;
    p.Style.Forms[1].Name = QStringLiteral("Airbag");
    for (int b = 1; b <= PropertyCount; ++b)
        p.Style.Forms[1].Items[b].Property = static_cast<int16_t>(b == 2 ? SearchedType : b + 10);
    p.Reference2 = marked ? QStringLiteral("Lot X") : QStringLiteral("Lot Y");
    p.Finished = true;
    return p;
}

// A tensile tester's expected data string with the parameters given (28
// characters), serial number 123, results in N and mm.
std::string Header(const std::string& parameters)
{
    std::string s = "\x1E" "MP 4800" "123" "A" + parameters + " " + "  12.5" + "8" + "   2.0" + "\"" + " " + "0";
    s.resize(57, ' ');
    return s + DataStringChecksum(s) + "\r\n";
}

int ReportCount()
{
    const int asked = qEnvironmentVariableIntValue("QUINTARA_LONGTERM_REPORTS");
    return asked > 0 ? asked : 10000;
}

struct Folder {
    QTemporaryDir Temp;
    QString Path;
    int Count = 0;
};

Folder& Reports()
{
    static std::unique_ptr<Folder> folder;
    if (!folder) {
        folder = std::make_unique<Folder>();
        SetProgramFolder(folder->Temp.path());
        ResetSettingsGlobals(folder->Temp.path());
        DataFolder = folder->Temp.path();
        folder->Path = DataFolder + QLatin1Char('/') + dskStyleFolderName(StyleName);
        QDir().mkpath(folder->Path);
        folder->Count = ReportCount();
        // Spread over a year, written in an order unlike the dates.
        const double start = DateSerial(2024, 1, 1) + TimeSerial(6, 0, 0);
        for (int i = 0; i < folder->Count; ++i) {
            const int slot = static_cast<int>((static_cast<int64_t>(i) * 7919) % folder->Count);
            const Protocol p = FullSeries(start + slot * (365.0 / folder->Count), i % 100 == 0);
            BinaryWriter out;
            dskPutHeader(out, "QTA");
            PutRecord(out, p);
            QFile file(folder->Path + QLatin1Char('/') + QStringLiteral("R%1.QTA").arg(i, 6, 10, QChar(u'0')));
            if (!file.open(QIODevice::WriteOnly))
                break;
            file.write(out.Bytes().data(), static_cast<qint64>(out.Bytes().size()));
        }
    }
    return *folder;
}

SearchPattern Criteria(const QString& reference2)
{
    SearchPattern c;
    c.TestType = SearchedType;
    c.Style = StyleName;
    c.Reference2 = reference2;
    c.Reference3 = c.Reference4 = c.Operator = QStringLiteral("*");
    c.DateFrom = DateSerial(2000, 1, 1);
    c.DateTo = DateSerial(2099, 12, 31);
    c.TimeTo = TimeSerial(23, 59, 59);
    return c;
}

// The full reader and the match on the first 1,000 files find what the
// search finds there.
QString CompareReaders(const Folder& folder)
{
    const SearchPattern criteria = Criteria(QStringLiteral("*"));
    QStringList names = dskListFiles(folder.Path);
    names.sort();
    names = names.mid(0, 1000);
    QSet<QString> full;
    for (const QString& name : names) {
        QString serial = NoHitSerial;
        if (MatchesSearchPattern(dskGetTestReport(folder.Path, name), criteria, serial))
            full.insert(name);
    }
    QSet<QString> searched;
    for (const FoundProtocol& hit : SearchLongTermReports(criteria, BlankTestDefinition).Found) {
        const QString name = hit.Path.mid(hit.Path.indexOf(u'\\') + 1);
        if (names.contains(name))
            searched.insert(name);
    }
    return full == searched && full.size() == names.size() ? QString()
                                                           : QStringLiteral("the two readers disagree");
}

double RawReadMs(const Folder& folder)
{
    QElapsedTimer timer;
    timer.start();
    for (const QString& name : dskListFiles(folder.Path)) {
        QFile file(folder.Path + QLatin1Char('/') + name);
        if (file.open(QIODevice::ReadOnly)) {
            QByteArray bytes = file.readAll();
            benchmark::DoNotOptimize(bytes);
        }
    }
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

long PeakKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void LongTerm_List(benchmark::State& state)
{
    const Folder& folder = Reports();
    for (auto _ : state) {
        QStringList names = dskListFiles(folder.Path);
        benchmark::DoNotOptimize(names);
    }
    state.counters["files"] = folder.Count;
}

void LongTerm_RawRead(benchmark::State& state)
{
    const Folder& folder = Reports();
    for (auto _ : state)
        benchmark::DoNotOptimize(RawReadMs(folder));
    state.counters["files"] = folder.Count;
}

// Argument: the percentage of hits, 100, 1 or 0.
void LongTerm_Search(benchmark::State& state)
{
    const Folder& folder = Reports();
    const int share = static_cast<int>(state.range(0));
    const SearchPattern criteria
        = Criteria(share == 100 ? QStringLiteral("*") : share == 1 ? QStringLiteral("Lot X") : QStringLiteral("Lot Z"));
    RawReadMs(folder);   // warm
    const double rawMs = RawReadMs(folder);
    // The process's peak only grows: what the first search of each case
    // added to it is that case's figure (the 100 % case runs first).
    static std::map<int, double> peakMb;
    const bool firstRun = peakMb.find(share) == peakMb.end();
    const long peakBefore = PeakKb();
    double searchMs = 0;
    std::size_t hits = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        LongTermSearchResult result = SearchLongTermReports(criteria, BlankTestDefinition);
        searchMs += static_cast<double>(timer.nsecsElapsed()) / 1e6;
        hits = result.Found.size() - 1;
        benchmark::DoNotOptimize(result);
        if (firstRun && peakMb.find(share) == peakMb.end())
            peakMb[share] = static_cast<double>(PeakKb() - peakBefore) / 1024.0;
    }
    state.counters["files"] = folder.Count;
    state.counters["hits"] = static_cast<double>(hits);
    state.counters["raw_ms"] = rawMs;
    state.counters["ratio_to_raw"] = searchMs / static_cast<double>(state.iterations()) / rawMs;
    state.counters["peak_mb"] = peakMb[share];
}

// The hits of a full search, their order scrambled before each sort.
void LongTerm_SortAlone(benchmark::State& state)
{
    const Folder& folder = Reports();
    std::vector<FoundProtocol> found = SearchLongTermReports(Criteria(QStringLiteral("*")), BlankTestDefinition).Found;
    for (auto _ : state) {
        state.PauseTiming();
        std::reverse(found.begin() + 1, found.end());
        state.ResumeTiming();
        SortFoundProtocols(found, 0, static_cast<int32_t>(found.size()) - 1);
    }
    state.counters["hits"] = static_cast<double>(found.size() - 1);
    state.counters["files"] = folder.Count;
}

// Statistics over at most 10,000 whole hits in memory (each holding its
// tests, as ComputeLongTermStatistics takes them).
void LongTerm_StatisticsAlone(benchmark::State& state)
{
    const int count = std::min(Reports().Count, 10000);
    std::vector<FoundProtocol> found(1, EmptyFoundProtocol);
    for (int i = 0; i < count; ++i) {
        FoundProtocol hit;
        hit.Protocol = FullSeries(45000.0 + i, false);
        found.push_back(std::move(hit));
    }
    for (auto _ : state) {
        Statistics s = ComputeLongTermStatistics(found, SearchedType, false);
        benchmark::DoNotOptimize(s);
    }
    state.counters["hits"] = count;
}

// An analysis of 100,000 found reports of tensile strength (two results), as
// the search leaves them: style name, forms, dates, block header and
// statistics. Means spread over the scale and beyond it; every
// hundredth report has other test parameters.
const LongTermAnalysis& ChartAnalysis()
{
    static const LongTermAnalysis analysis = [] {
        constexpr int Hits = 100000;
        const std::string style = Header(std::string(14, ' ') + "   200\"" + std::string(7, ' '));
        const std::string other = Header(std::string(14, ' ') + "   100\"" + std::string(7, ' '));
        LongTermAnalysis a = MakeEmptyLongTermAnalysis();
        a.Pattern.TestType = SearchedType;
        a.Pattern.Style = StyleName;
        a.Pattern.DateFrom = DateSerial(2024, 1, 1);
        a.Pattern.DateTo = DateSerial(2024, 12, 31);
        a.Definition.Defined1 = a.Definition.Defined2 = true;
        a.Definition.Nominal1 = 100, a.Definition.Lower1 = 95, a.Definition.Upper1 = 105;
        a.Definition.Nominal2 = 2.5f, a.Definition.Lower2 = 2, a.Definition.Upper2 = 3;
        a.Definition.HeaderImage = style;
        FoundProtocol hit;
        hit.Protocol.Style.Name = StyleName;
        hit.Protocol.FormIndex = 1;
        for (int b = 1; b <= PropertyCount; ++b)
            hit.Protocol.Style.Forms[1].Items[b].Property = static_cast<int16_t>(b == 2 ? SearchedType : b + 10);
        a.Found.reserve(Hits + 1);
        for (int i = 0; i < Hits; ++i) {
            const float mean = 100.0f + static_cast<float>((i * 37) % 250 - 125) / 10.0f;   // 87.5 to 112.4
            hit.Protocol.Date = hit.Protocol.LastTestDate = a.Pattern.DateFrom + i * (365.0 / Hits);
            PropertyBlock& block = hit.Protocol.Blocks[2];
            block.Header = i % 100 == 0 ? other : style;
            block.Stats = MakeEmptyStatistics();
            block.Stats.Count = 20;
            block.Stats.Mean1 = mean, block.Stats.Min1 = mean - 3, block.Stats.Max1 = mean + 3;
            block.Stats.Mean2 = 2.5f, block.Stats.Min2 = 2.2f, block.Stats.Max2 = 2.8f;
            a.Found.push_back(hit);
        }
        a.Statistics = MakeEmptyStatistics();
        a.Statistics.Count = Hits * 20;
        a.Statistics.Mean1 = 100, a.Statistics.Min1 = 84.5f, a.Statistics.Max1 = 115.4f;
        a.Statistics.Mean2 = 2.5f, a.Statistics.Min2 = 2.2f, a.Statistics.Max2 = 2.8f;
        return a;
    }();
    return analysis;
}

// The long-term window's redraw of both charts, 1,200 x 400 pixels each,
// with the strips above and below.
void LongTerm_DrawChart(benchmark::State& state)
{
    const LongTermAnalysis& a = ChartAnalysis();
    DrawingSurface upper(1200, 9);
    DrawingSurface chart(1200, 400);
    DrawingSurface lower(1200, 9);
    for (auto _ : state) {
        for (int r = 1; r <= 2; ++r)
            DrawLongTermChart(a, SearchedType, r, a.Definition.HeaderImage, upper, chart, lower);
        benchmark::DoNotOptimize(chart.Image());
    }
    state.counters["hits"] = static_cast<double>(a.Found.size() - 1);
}

// The printed long-term page of 100,000 reports, into a PDF file.
void LongTerm_PrintPage(benchmark::State& state)
{
    const LongTermAnalysis& a = ChartAnalysis();
    Reports();   // the program folder and settings of the other cases
    const QString pdf = DataFolder + QStringLiteral("/longterm.pdf");
    for (auto _ : state) {
        SetPrinterOutputFile(pdf);
        if (!ptrLongTermAnalysis(Printer(), a))
            state.SkipWithError("the page could not be printed");
        SetPrinterOutputFile(QString());
    }
    state.counters["pdf_kb"] = static_cast<double>(QFile(pdf).size()) / 1024.0;
    state.counters["hits"] = static_cast<double>(a.Found.size() - 1);
}

// Untimed: the check that both readers agree, run once after the rest.
void LongTerm_ReadersAgree(benchmark::State& state)
{
    const QString error = CompareReaders(Reports());
    for (auto _ : state) {
        if (!error.isEmpty())
            state.SkipWithError(error.toStdString().c_str());
    }
    state.counters["sample"] = std::min(Reports().Count, 1000);
}

}  // namespace

// The search at 100 % first, so that its peak memory is measured from the
// lowest point of the run.
static const bool LongTermRegistered = [] {
    benchmark::RegisterBenchmark("LongTerm_Search", LongTerm_Search)->Arg(100)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("LongTerm_Search", LongTerm_Search)->Arg(1)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("LongTerm_Search", LongTerm_Search)->Arg(0)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("LongTerm_List", LongTerm_List)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("LongTerm_RawRead", LongTerm_RawRead)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("LongTerm_SortAlone", LongTerm_SortAlone)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("LongTerm_StatisticsAlone", LongTerm_StatisticsAlone)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("LongTerm_DrawChart", LongTerm_DrawChart)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("LongTerm_PrintPage", LongTerm_PrintPage)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("LongTerm_ReadersAgree", LongTerm_ReadersAgree)->Iterations(1);
    return true;
}();
