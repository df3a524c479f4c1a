// The long-term search over one style folder of reports as a lab keeps
// them: 3 to 6 properties; 70 % of the reports with 30 to 60 tests a
// property, 22 % with 60 to 200, 8 % with 200 to 999; every test with its
// data string, some with a commentary, some deleted; about 45 KB a report.
// The folders of 1,000 and 10,000 reports are written once into the
// benchmarks' cache folder and reused by later runs (generation is not timed);
// 100,000 reports (4.5 GB) only with QUINTARA_LONGTERM_LARGE=1.
//
// Each round reads the same files raw (QFile::readAll of each, warm cache)
// and then searches them. ratio_to_raw is the median of the rounds' search
// over raw times, ratio_min the best. bytes_per_hit is the resident memory
// the search adds at its peak (VmHWM after it over VmRSS before it, with the
// free heap given back first), over the hits: what the hits and everything
// the search keeps while it runs cost; held_per_hit what stays resident
// with the result once the search is done. Both include the search's fixed
// costs (its buffers, the file list), which weigh on 1,000 reports.
//
// Last, untimed, the search's hits are checked against the full reader and
// the match on 1,000 reports.
//
// The long-term charts: a redraw of both results of 100,000 found reports
// at 1,200 x 400 pixels (target: at most 0.5 s), and the printed page of
// them into a PDF (target: at most 5 s; pdf_kb is the file's size).
#include "BenchCache.h"

#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "instrument/modDataString.h"
#include "long_term/LongTermChart.h"
#include "instrument/modStatistic.h"
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
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>

namespace {

const QString StyleName = QStringLiteral("Airbag 470 dtex");
constexpr int16_t SearchedType = 9;
// The style's properties; the searched one is second on every form.
constexpr int16_t PropertyTypes[PropertyCount] = {3, SearchedType, 1, 5, 12, 14};

// A tensile tester's expected data string with the parameters given (28
// characters), serial number 123, results in N and mm.
std::string Header(const std::string& parameters)
{
    std::string s = "\x1E" "MP 4800" "123" "A" + parameters + " " + "  12.5" + "8" + "   2.0" + "\"" + " " + "0";
    s.resize(57, ' ');
    return s + DataStringChecksum(s) + "\r\n";
}

// A fixed sequence of numbers, so that every run writes the same reports.
struct Sequence {
    uint64_t State;
    uint32_t Next()
    {
        State = State * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<uint32_t>(State >> 33);
    }
    int Between(int low, int high) { return low + static_cast<int>(Next() % static_cast<uint32_t>(high - low + 1)); }
};

// The style as a report carries it: a definition and a header for each of
// its properties, form k - 2 naming the first k of them (k 3 to 6).
Style ReportStyle()
{
    Style style = BlankStyle;
    style.Name = StyleName;
    for (const int16_t type : PropertyTypes) {
        TestDefinition& d = style.Tests[static_cast<std::size_t>(type)];
        d.Defined1 = true;
        d.Nominal1 = 100, d.Lower1 = 95, d.Upper1 = 105;
        d.HeaderImage = Header(std::string(14, ' ') + "   200\"" + std::string(7, ' '));
    }
    for (int k = 3; k <= PropertyCount; ++k) {
        ReportForm& form = style.Forms[static_cast<std::size_t>(k - 2)];
        form.Name = QStringLiteral("Airbag %1").arg(k);
        for (int i = 1; i <= k; ++i)
            form.Items[static_cast<std::size_t>(i)].Property = PropertyTypes[i - 1];
    }
    return style;
}

const char* const Operators[] = {"Meier", "Schulz", "Okafor", "Lindqvist", "Moreau"};

// Report i of a folder of count: its date is spread over five years in an
// order unlike i, so the listing order is not the date order.
Protocol RealisticReport(int i, int count)
{
    static const Style style = ReportStyle();
    Sequence random{static_cast<uint64_t>(i) * 2654435761ULL + 17};
    const int slot = static_cast<int>((static_cast<int64_t>(i) * 7919) % count);
    const double date = DateSerial(2020, 1, 1) + TimeSerial(6, 0, 0) + slot * (1826.0 / count);
    Protocol p = EmptyProtocol;
    p.Style = style;
    const int properties = random.Between(3, PropertyCount);
    p.FormIndex = static_cast<int16_t>(properties - 2);
    p.Reference2 = QStringLiteral("Lot 24-%1").arg(random.Between(1, 900));
    p.Reference3 = QStringLiteral("Roll %1").arg(random.Between(1, 40));
    p.Operator = QString::fromLatin1(Operators[random.Between(0, 4)]);
    p.Date = date;
    p.LastTestDate = date + 0.08;
    p.Finished = true;
    const int size = random.Between(1, 100);
    const int fewest = size <= 70 ? 30 : size <= 92 ? 60 : 200;
    const int most = size <= 70 ? 60 : size <= 92 ? 200 : 999;
    for (int b = 1; b <= properties; ++b) {
        PropertyBlock& block = p.Blocks[static_cast<std::size_t>(b)];
        block.Header = style.Tests[static_cast<std::size_t>(PropertyTypes[b - 1])].HeaderImage;
        Statistics& s = block.Stats;
        s.Mean1 = s.Mean2 = NoValue;
        const int tests = random.Between(fewest, most);
        for (int t = 1; t <= tests; ++t) {
            TestValue v = EmptyTestValue;
            v.Value1 = 90.0f + static_cast<float>(random.Between(0, 2000)) / 100.0f;
            v.Unit1 = "8";
            v.Value2 = 2.0f + static_cast<float>(random.Between(0, 100)) / 100.0f;
            v.Unit2 = "\"";
            v.Warning = ' ';
            if (random.Between(1, 30) == 1)
                v.Commentary = QStringLiteral("Specimen slipped in the clamp");
            v.Deleted = random.Between(1, 50) == 1;
            std::string data = block.Header.substr(0, 44) + std::to_string(v.Value1).substr(0, 6);
            data.resize(57, ' ');
            v.DataString = data + DataStringChecksum(data) + "\r\n";
            v.TestTime = date + t / 14400.0;
            if (!v.Deleted) {
                ++s.Count;
                s.Sum1 += v.Value1, s.Sum2 += v.Value2;
                s.SumSq1 += static_cast<double>(v.Value1) * v.Value1;
                s.SumSq2 += static_cast<double>(v.Value2) * v.Value2;
                s.Min1 = s.Count == 1 ? v.Value1 : std::min(s.Min1, v.Value1);
                s.Max1 = s.Count == 1 ? v.Value1 : std::max(s.Max1, v.Value1);
                s.Min2 = s.Count == 1 ? v.Value2 : std::min(s.Min2, v.Value2);
                s.Max2 = s.Count == 1 ? v.Value2 : std::max(s.Max2, v.Value2);
            }
            block.Values.push_back(std::move(v));
        }
        if (s.Count > 0) {
            s.Mean1 = static_cast<float>(s.Sum1 / s.Count);
            s.Mean2 = static_cast<float>(s.Sum2 / s.Count);
        }
        block.StartDate = date;
        block.LastTestDate = date + 0.08;
        block.Terminated = true;
        if (random.Between(1, 10) == 1)
            block.Commentary = QStringLiteral("Conditioned 24 h at 20 °C, 65 % r.h.");
    }
    return p;
}

struct Folder {
    QString Data;   // the data folder
    QString Path;   // its style folder
    int Count = 0;
};

// The program folder with its settings and log, once for the whole run.
const QString& ProgramTemp()
{
    static QTemporaryDir temp;
    static const bool set = [] {
        SetProgramFolder(temp.path());
        ResetSettingsGlobals(temp.path());
        return true;
    }();
    (void)set;
    static const QString path = temp.path();
    return path;
}

// The data folder of count reports, kept in the benchmarks' cache folder.
Folder Reports(int count)
{
    ProgramTemp();
    Folder folder;
    folder.Count = count;
    folder.Data = BenchCacheFolder(QStringLiteral("longterm-%1").arg(count), [count](const QString& data) {
        const QString path = data + QLatin1Char('/') + dskStyleFolderName(StyleName);
        QDir().mkpath(path);
        for (int i = 0; i < count; ++i) {
            const Protocol p = RealisticReport(i, count);
            BinaryWriter out;
            dskPutHeader(out, "QTA");
            PutRecord(out, p);
            QFile file(path + QLatin1Char('/') + dskFileNameFromDate(p.Date, QStringLiteral("QTA")));
            if (!file.open(QIODevice::WriteOnly))
                break;
            file.write(out.Bytes().data(), static_cast<qint64>(out.Bytes().size()));
        }
    });
    folder.Path = folder.Data + QLatin1Char('/') + dskStyleFolderName(StyleName);
    DataFolder = folder.Data;
    return folder;
}

SearchPattern Criteria()
{
    SearchPattern c;
    c.TestType = SearchedType;
    c.Style = StyleName;
    c.Reference2 = c.Reference3 = c.Reference4 = c.Operator = QStringLiteral("*");
    c.DateFrom = DateSerial(2000, 1, 1);
    c.DateTo = DateSerial(2099, 12, 31);
    c.TimeTo = TimeSerial(23, 59, 59);
    return c;
}

// Milliseconds to read every file of the folder whole, as QFile gives it.
double RawReadMs(const Folder& folder, qint64& bytes)
{
    QElapsedTimer timer;
    timer.start();
    bytes = 0;
    for (const QString& name : QDir(folder.Path).entryList(QDir::Files | QDir::Hidden)) {
        QFile file(folder.Path + QLatin1Char('/') + name);
        if (file.open(QIODevice::ReadOnly)) {
            QByteArray content = file.readAll();
            bytes += content.size();
            benchmark::DoNotOptimize(content);
        }
    }
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// Kilobytes of a line of /proc/self/status ("VmRSS:", "VmHWM:").
long StatusKb(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(static_cast<qsizetype>(std::strlen(key))).trimmed().split(' ').value(0).toLong();
    return 0;
}

// The peak resident size starts again from the present one.
void ResetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// Argument: the number of reports.
void LongTerm_Search(benchmark::State& state)
{
    const Folder folder = Reports(static_cast<int>(state.range(0)));
    const SearchPattern criteria = Criteria();
    qint64 bytes = 0;
    RawReadMs(folder, bytes);   // warm
    std::vector<double> ratios;
    double bestSearch = 0;
    double bestRaw = 0;
    double bytesPerHit = 0;
    double heldPerHit = 0;
    std::size_t hits = 0;
    for (auto _ : state) {
        const double rawMs = RawReadMs(folder, bytes);
        malloc_trim(0);
        const long before = StatusKb("VmRSS:");
        ResetPeak();
        QElapsedTimer timer;
        timer.start();
        LongTermSearchResult result = SearchLongTermReports(criteria, BlankTestDefinition);
        const double searchMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        const long peak = StatusKb("VmHWM:");
        malloc_trim(0);
        const long held = StatusKb("VmRSS:");
        hits = result.Found.size() - 1;
        benchmark::DoNotOptimize(result);
        state.SetIterationTime(searchMs / 1000.0);
        ratios.push_back(searchMs / rawMs);
        bestSearch = bestSearch == 0 ? searchMs : std::min(bestSearch, searchMs);
        bestRaw = bestRaw == 0 ? rawMs : std::min(bestRaw, rawMs);
        if (hits > 0)
        {
            bytesPerHit = std::max(bytesPerHit, static_cast<double>(peak - before) * 1024.0 / static_cast<double>(hits));
            heldPerHit = std::max(heldPerHit, static_cast<double>(held - before) * 1024.0 / static_cast<double>(hits));
        }
    }
    std::sort(ratios.begin(), ratios.end());
    state.counters["files"] = folder.Count;
    state.counters["kb_per_file"] = static_cast<double>(bytes) / 1024.0 / folder.Count;
    state.counters["hits"] = static_cast<double>(hits);
    state.counters["raw_ms"] = bestRaw;
    state.counters["search_ms"] = bestSearch;
    state.counters["ratio_to_raw"] = ratios.empty() ? 0 : ratios[ratios.size() / 2];
    state.counters["ratio_min"] = ratios.empty() ? 0 : ratios.front();
    state.counters["bytes_per_hit"] = bytesPerHit;
    state.counters["held_per_hit"] = heldPerHit;
}

// Untimed: the full reader and the match find on 1,000 reports the hits the
// search finds, in the same order, and the statistics summed over them in
// date order show what the search's, summed as the files are read, show.
// sums_equal tells whether the double sums agree to the last bit too.
void LongTerm_ReadersAgree(benchmark::State& state)
{
    const Folder folder = Reports(1000);
    const SearchPattern criteria = Criteria();
    std::vector<std::pair<double, QString>> dated;
    std::map<QString, PropertyBlock> blocks;
    for (const QString& name : dskListFiles(folder.Path)) {
        const Protocol p = dskGetTestReport(folder.Path, name);
        QString serial = NoHitSerial;
        if (!MatchesSearchPattern(p, criteria, serial))
            continue;
        dated.push_back({p.Date, dskStyleFolderName(StyleName) + u'\\' + name});
        blocks[dated.back().second] = p.Blocks[static_cast<std::size_t>(FindPropertyBlock(p, SearchedType))];
    }
    std::sort(dated.begin(), dated.end());
    Statistics s = MakeEmptyStatistics();
    for (const auto& hit : dated)
        for (const TestValue& v : blocks[hit.second].Values)
            if (&v != &blocks[hit.second].Values[0] && !v.Deleted) {
                ++s.Count;
                s.Sum1 += v.Value1, s.Sum2 += v.Value2;
                s.SumSq1 += static_cast<double>(v.Value1) * v.Value1;
                s.SumSq2 += static_cast<double>(v.Value2) * v.Value2;
                s.Min1 = s.Min1 == NoValue ? v.Value1 : std::min(s.Min1, v.Value1);
                s.Max1 = s.Max1 == NoValue ? v.Value1 : std::max(s.Max1, v.Value1);
                s.Min2 = s.Min2 == NoValue ? v.Value2 : std::min(s.Min2, v.Value2);
                s.Max2 = s.Max2 == NoValue ? v.Value2 : std::max(s.Max2, v.Value2);
            }
    s.Mean1 = static_cast<float>(s.Sum1 / s.Count);
    s.Mean2 = static_cast<float>(s.Sum2 / s.Count);
    auto spread = [&s](double sum, double sumSq, float mean, float& cv, float& ci) {
        const double sd = std::sqrt(std::fabs(sumSq - static_cast<double>(mean) * sum) / (s.Count - 1));
        cv = static_cast<float>(sd * 100.0 / mean);
        ci = static_cast<float>(static_cast<double>(cv) * StudentT95(s.Count) / std::sqrt(static_cast<double>(s.Count)));
    };
    spread(s.Sum1, s.SumSq1, s.Mean1, s.CV1, s.CI1);
    spread(s.Sum2, s.SumSq2, s.Mean2, s.CV2, s.CI2);

    const LongTermSearchResult result = SearchLongTermReports(criteria, BlankTestDefinition);
    bool same = result.Found.size() == dated.size() + 1 && static_cast<int>(dated.size()) == folder.Count;
    for (std::size_t k = 0; same && k < dated.size(); ++k)
        same = result.Found[k + 1].Path == dated[k].second;
    const Statistics& r = result.Statistics;
    const bool shown = r.Count == s.Count && r.Mean1 == s.Mean1 && r.Mean2 == s.Mean2 && r.Min1 == s.Min1
        && r.Max1 == s.Max1 && r.Min2 == s.Min2 && r.Max2 == s.Max2 && r.CV1 == s.CV1 && r.CV2 == s.CV2
        && r.CI1 == s.CI1 && r.CI2 == s.CI2;
    for (auto _ : state) {
        if (!same)
            state.SkipWithError("the two readers disagree on the hits");
        else if (!shown)
            state.SkipWithError("the statistics differ");
    }
    state.counters["sample"] = folder.Count;
    state.counters["sums_equal"] = r.Sum1 == s.Sum1 && r.Sum2 == s.Sum2 && r.SumSq1 == s.SumSq1 && r.SumSq2 == s.SumSq2;
}

// An analysis of 100,000 found reports of tensile strength (two results), as
// the search leaves them: dates, block header and statistics. Means spread over the scale and beyond it; every
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
        hit.Block = 2;
        a.Found.reserve(Hits + 1);
        for (int i = 0; i < Hits; ++i) {
            const float mean = 100.0f + static_cast<float>((i * 37) % 250 - 125) / 10.0f;   // 87.5 to 112.4
            hit.Date = hit.LastTestDate = a.Pattern.DateFrom + i * (365.0 / Hits);
            hit.Header = i % 100 == 0 ? other : style;
            hit.Stats = MakeEmptyStatistics();
            hit.Stats.Count = 20;
            hit.Stats.Mean1 = mean, hit.Stats.Min1 = mean - 3, hit.Stats.Max1 = mean + 3;
            hit.Stats.Mean2 = 2.5f, hit.Stats.Min2 = 2.2f, hit.Stats.Max2 = 2.8f;
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
            DrawLongTermChart(a, r, a.Definition.HeaderImage, upper, chart, lower);
        benchmark::DoNotOptimize(chart.Image());
    }
    state.counters["hits"] = static_cast<double>(a.Found.size() - 1);
}

// The printed long-term page of 100,000 reports, into a PDF file.
void LongTerm_PrintPage(benchmark::State& state)
{
    const LongTermAnalysis& a = ChartAnalysis();
    const QString pdf = ProgramTemp() + QStringLiteral("/longterm.pdf");
    for (auto _ : state) {
        SetPrinterOutputFile(pdf);
        if (!ptrLongTermAnalysis(Printer(), a))
            state.SkipWithError("the page could not be printed");
        SetPrinterOutputFile(QString());
    }
    state.counters["pdf_kb"] = static_cast<double>(QFile(pdf).size()) / 1024.0;
    state.counters["hits"] = static_cast<double>(a.Found.size() - 1);
}

}  // namespace

static const bool LongTermRegistered = [] {
    auto* search = benchmark::RegisterBenchmark("LongTerm_Search", LongTerm_Search);
    search->Arg(1000)->Arg(10000)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
    if (qEnvironmentVariableIntValue("QUINTARA_LONGTERM_LARGE") > 0)
        benchmark::RegisterBenchmark("LongTerm_Search", LongTerm_Search)
            ->Arg(100000)
            ->Iterations(3)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("LongTerm_DrawChart", LongTerm_DrawChart)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("LongTerm_PrintPage", LongTerm_PrintPage)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("LongTerm_ReadersAgree", LongTerm_ReadersAgree)->Iterations(1);
    return true;
}();
