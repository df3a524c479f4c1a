// Printing speed: the test report of six properties to a PDF through the
// program's printer, per page, beside a document of as many pages of plain
// text lines drawn on the same kind of target; and the same report drawn into the preview's page
// pictures (about 90 pages for 999 tests a property), with the bytes the
// pictures hold and the process's peak memory.
#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "instrument/modDataString.h"
#include "instrument/modStatistic.h"
#include "platform/DrawingSurface.h"
#include "platform/ModalDialog.h"
#include "platform/OleDate.h"
#include "platform/ProgramFolder.h"
#include "printing/frmPreview.h"
#include "printing/modPrinter.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <string>

namespace {

std::string DataString(const std::string& fields)
{
    const std::string head = "\x1E" + fields;
    return head + DataStringChecksum(head) + "\r\n";
}

// Six properties of an MP 4800 (tensile strength, two results) and a D 7041
// (area weight), each with `tests` tests, histograms on.
Protocol SixProperties(int tests)
{
    Protocol p = MakeEmptyProtocol();
    p.Style = MakeBlankStyle();
    p.Style.Name = QStringLiteral("Airbag 470 dtex");
    p.FormIndex = 1;
    p.Reference2 = QStringLiteral("Lot 2024-117");
    p.Operator = QStringLiteral("Operator");
    p.Date = DateSerial(2024, 3, 4) + TimeSerial(8, 15, 0);
    p.LastTestDate = p.Date + 0.3;
    const std::string tensile =
        DataString("MP 4800A23    200\"   100N              " " 1234.58  23.4n 0");
    const std::string area = DataString("D  7041       100)                      " " 215.3k        0");
    for (int b = 1; b <= PropertyCount; ++b) {
        const bool two = b % 2 == 1;
        const int16_t testType = two ? 9 : 4;
        ReportFormItem& item = p.Style.Forms[1].Items[static_cast<size_t>(b)];
        item.Property = testType;
        item.Histogram = true;
        TestDefinition& d = p.Style.Tests[static_cast<size_t>(testType)];
        d = MakeBlankTestDefinition();
        d.HeaderImage = two ? tensile : area;
        d.Defined1 = d.Defined2 = true;
        d.Nominal1 = two ? 1250 : 210;
        d.Lower1 = two ? 1000 : 200;
        d.Upper1 = two ? 1400 : 220;
        d.Nominal2 = 23;
        d.Lower2 = 20;
        d.Upper2 = 26;
        d.TestCount = 999;
        PropertyBlock& block = p.Blocks[static_cast<size_t>(b)];
        block.Header = d.HeaderImage;
        block.Commentary = QStringLiteral("Conditioned 24 h at 20 °C and 65 % relative humidity before testing.");
        block.Values = {MakeEmptyTestValue()};
        for (int t = 1; t <= tests; ++t) {
            TestValue v = MakeEmptyTestValue();
            v.Value1 = (two ? 1000.0f : 198.0f) + static_cast<float>((t * 37) % 100) * (two ? 5.0f : 0.25f);
            v.Unit1 = two ? "8" : "k";
            v.Value2 = two ? 20.0f + static_cast<float>(t % 7) : NoValue;
            v.Unit2 = two ? "n" : "";
            v.Deleted = t % 50 == 0;
            block.Values.push_back(v);
        }
        block.Stats = CalcMeanSdCvCi(block.Values);
        block.StartDate = p.Date;
        block.LastTestDate = p.LastTestDate;
    }
    return p;
}

// The pages of a PDF file: its page objects.
int PdfPageCount(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray bytes = file.readAll();
    return static_cast<int>(bytes.count("/Type /Page") - bytes.count("/Type /Pages"));
}

long PeakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Closes the preview at once, noting its pages and their bytes.
class CountingRunner : public ModalDialogRunner {
public:
    int Run(QDialog& dialog) override
    {
        auto& preview = static_cast<frmPreview&>(dialog);
        Pages = preview.picSourceCount();
        Bytes = preview.PageBytes();
        dialog.reject();
        return dialog.result();
    }
    int Pages = 0;
    qint64 Bytes = 0;
};

struct Environment {
    QTemporaryDir Temp;
    Environment()
    {
        SetProgramFolder(Temp.path());
        Language = 2;
        DateFormat = 1;
    }
};

} // namespace

static void BM_TestReportToPdf(benchmark::State& state)
{
    Environment env;
    const Protocol series = SixProperties(static_cast<int>(state.range(0)));
    const QString pdf = env.Temp.filePath(QStringLiteral("report.pdf"));
    SetPrinterOutputFile(pdf);
    QElapsedTimer clock;
    clock.start();
    for (auto _ : state)
        ptrTestReport(Printer(), series);
    const double elapsed = static_cast<double>(clock.elapsed());
    SetPrinterOutputFile(QString());
    const int pages = PdfPageCount(pdf);
    state.counters["pages"] = pages;
    state.counters["ms_per_page"] = elapsed / static_cast<double>(state.iterations()) / std::max(pages, 1);
    state.counters["pdf_kB"] = static_cast<double>(QFileInfo(pdf).size()) / 1024.0;
}
BENCHMARK(BM_TestReportToPdf)->Arg(20)->Arg(999)->Unit(benchmark::kMillisecond);

// The baseline: a document of as many pages of 80 plain text lines as the
// report has on the PDF printer, so that both pay the document's own cost
// once and are compared page for page.
static void BM_PlainTextPagesToPdf(benchmark::State& state)
{
    Environment env;
    SetPrinterOutputFile(env.Temp.filePath(QStringLiteral("plain.pdf")));
    DrawingSurface& printer = Printer();
    const int pages = static_cast<int>(state.range(0));
    QElapsedTimer clock;
    clock.start();
    for (auto _ : state) {
        printer.Begin();
        for (int page = 0; page < pages; ++page) {
            if (page > 0)
                printer.NewPage();
            printer.Scale(0, 0, 100, 141);
            for (int line = 0; line < 80; ++line)
                printer.PrintAligned(QStringLiteral("%1:   1,234   N     23.4   %").arg(line + 1), vbLeftJustify, 12,
                                     3 + line * 1.7);
        }
        printer.EndDoc();
    }
    state.counters["pages"] = pages;
    state.counters["ms_per_page"] =
        static_cast<double>(clock.elapsed()) / static_cast<double>(state.iterations()) / pages;
    SetPrinterOutputFile(QString());
}
// As many pages as BM_TestReportToPdf/20 and /999 print.
BENCHMARK(BM_PlainTextPagesToPdf)->Arg(5)->Arg(89)->Unit(benchmark::kMillisecond);

static void BM_PreviewTestReport(benchmark::State& state)
{
    Environment env;
    const Protocol series = SixProperties(static_cast<int>(state.range(0)));
    CountingRunner runner;
    SetModalDialogRunner(&runner);
    for (auto _ : state)
        ptrPreviewTestReport(series);
    SetModalDialogRunner(nullptr);
    state.counters["pages"] = runner.Pages;
    state.counters["kB_per_page"] = static_cast<double>(runner.Bytes) / 1024.0 / std::max(runner.Pages, 1);
    state.counters["peak_MB"] = static_cast<double>(PeakKilobytes()) / 1024.0;
}
BENCHMARK(BM_PreviewTestReport)->Arg(20)->Arg(999)->Unit(benchmark::kMillisecond)->Iterations(3);
