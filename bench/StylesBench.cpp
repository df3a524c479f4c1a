// The list and form editors at the limits of their lists: the reference
// editor with three lists of 30,000 values (loading, one Save into a list of
// 29,999, storing the lists on OK without the settings write), and the report
// form editor's OK putting a saved form into 30,000 styles. Loading is shown
// beside three list boxes filled plainly, the least a load could cost.
// The style editor with 30,000 styles of twenty test types each and 100
// report forms: opening it, one Save into the list, OK with the settings
// write it does, and the memory the open editor takes beside the stored styles; and
// the twenty pages filled and shown as the editor does when it opens, in its
// controls and, beside it, on the page states alone.
#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "foundation/modSettings.h"
#include "instrument/ExpectedDataString.h"
#include "platform/ProgramFolder.h"
#include "styles/ReportFormRules.h"
#include "styles/TestPage.h"
#include "styles/frmReference.h"
#include "styles/frmStyle.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QLineEdit>
#include <QListWidget>

#include <malloc.h>

#include <benchmark/benchmark.h>

namespace {

constexpr int ListSize = 30000;

std::vector<QString> Values(int reference, int count)
{
    std::vector<QString> values{QString()};
    values.reserve(static_cast<size_t>(count) + 1);
    for (int n = 1; n <= count; ++n)
        values.push_back(QStringLiteral("Lot %1-%2").arg(reference).arg(n * 2, 5, 10, QChar(u'0')));
    return values;
}

void FillReferenceLists(int count)
{
    Reference2Values = Values(2, count);
    Reference3Values = Values(3, count);
    Reference4Values = Values(4, count);
}

void CloseReference(frmReference* form)
{
    form->cmdCancel_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void Styles_ReferenceLoad(benchmark::State& state)
{
    FillReferenceLists(ListSize);
    for (auto _ : state) {
        frmReference* form = frmReference::Instance();
        benchmark::DoNotOptimize(form->lstReference[4]->count());
        CloseReference(form);
    }
    state.counters["values"] = 3.0 * ListSize;
}
BENCHMARK(Styles_ReferenceLoad)->Unit(benchmark::kMillisecond);

void Styles_PlainListFill(benchmark::State& state)
{
    FillReferenceLists(ListSize);
    std::array<QStringList, 3> lists;
    for (int i = 0; i < 3; ++i) {
        const std::vector<QString>& values = i == 0 ? Reference2Values : (i == 1 ? Reference3Values : Reference4Values);
        lists[static_cast<size_t>(i)] = QStringList(values.begin() + 1, values.end());
    }
    for (auto _ : state) {
        std::array<QListWidget, 3> boxes;
        for (size_t i = 0; i < 3; ++i)
            boxes[i].addItems(lists[i]);
        benchmark::DoNotOptimize(boxes[2].count());
    }
}
BENCHMARK(Styles_PlainListFill)->Unit(benchmark::kMillisecond);

void Styles_ReferenceSave(benchmark::State& state)
{
    FillReferenceLists(ListSize - 1);
    frmReference* form = frmReference::Instance();
    QListWidget* list = form->lstReference[2];
    // An odd number falls between the listed even ones, in the middle.
    const QString text = QStringLiteral("Lot 2-15001");
    for (auto _ : state) {
        form->txtReference[2]->setText(text);
        form->cmdSave_Click(2);
        state.PauseTiming();
        if (list->count() != ListSize)
            state.SkipWithError("not added");
        delete list->takeItem(FindInList(text, list) - 1);
        state.ResumeTiming();
    }
    CloseReference(form);
}
BENCHMARK(Styles_ReferenceSave)->Unit(benchmark::kMicrosecond);

void Styles_ReferenceStore(benchmark::State& state)
{
    FillReferenceLists(ListSize);
    frmReference* form = frmReference::Instance();
    for (auto _ : state) {
        form->StoreLists();
        benchmark::DoNotOptimize(Reference4Values.data());
    }
    CloseReference(form);
    state.counters["values"] = 3.0 * ListSize;
}
BENCHMARK(Styles_ReferenceStore)->Unit(benchmark::kMillisecond);

void Styles_ApplySavedForm(benchmark::State& state)
{
    std::vector<Style> styles(1, BlankStyle);
    styles.reserve(ListSize + 1);
    for (int s = 1; s <= ListSize; ++s) {
        Style style = BlankStyle;
        style.Name = QStringLiteral("Style %1").arg(s);
        for (int k = 1; k <= StyleFormCount; ++k)
            style.Forms[static_cast<size_t>(k)].Name = QStringLiteral("Form %1").arg((s + k) % 40);
        styles.push_back(style);
    }
    ReportForm saved = BlankReportForm;
    saved.Name = QStringLiteral("FORM 7");
    saved.Items[1] = ReportFormItem{2, true, false};
    saved.Items[2] = ReportFormItem{17, true, true};
    for (auto _ : state) {
        ApplySavedForms(styles, {saved});
        benchmark::DoNotOptimize(styles.data());
    }
    state.counters["styles"] = ListSize;
}
BENCHMARK(Styles_ApplySavedForm)->Unit(benchmark::kMillisecond);

// ---------------------------------------------------------------------------
// The style editor

// Bytes handed out by the allocator now, large blocks of their own included.
double AllocatedBytes()
{
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd);
}

// 30,000 styles with every test type defined and two forms each, and 100
// forms; returns the bytes they took.
double FillStyles(int count)
{
    Styles.assign(1, BlankStyle);
    Styles.shrink_to_fit();
    const double before = AllocatedBytes();
    ReportForms.assign(1, BlankReportForm);
    for (int f = 1; f <= MaxReportForms; ++f) {
        ReportForm form = BlankReportForm;
        form.Name = QStringLiteral("Form %1").arg(f, 3, 10, QChar(u'0'));
        form.Items[1] = ReportFormItem{static_cast<int16_t>(f % 20 + 1), true, false};
        ReportForms.push_back(form);
    }
    TestDefinition definition{true, false, 10, NoValue, 8, NoValue, 12, NoValue, 5, NoValue, 20, {}};
    Styles.reserve(static_cast<size_t>(count) + 1);
    for (int s = 1; s <= count; ++s) {
        Style style = BlankStyle;
        style.Name = QStringLiteral("Style %1").arg(s * 2, 5, 10, QChar(u'0'));
        for (int t = 1; t <= TestTypeCount; ++t) {
            definition.HeaderImage = BuildExpectedDataString({"KR 6400", "", {QString::number(s % 999)}, {"?"}, "H", ""});
            style.Tests[static_cast<size_t>(t)] = definition;
        }
        style.Forms[1] = ReportForms[static_cast<size_t>(s % 100 + 1)];
        style.Forms[2] = ReportForms[static_cast<size_t>((s + 7) % 100 + 1)];
        Styles.push_back(style);
    }
    CurrentStyle = Styles[1];
    return AllocatedBytes() - before;
}

void CloseStyleEditor(frmStyle* form)
{
    form->cmdCancel_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void Styles_StyleEditorOpen(benchmark::State& state)
{
    const double stored = FillStyles(ListSize);
    double working = 0;
    for (auto _ : state) {
        const double before = AllocatedBytes();
        frmStyle* form = frmStyle::Instance();
        working = AllocatedBytes() - before;
        benchmark::DoNotOptimize(form->lstStyle->count());
        state.PauseTiming();
        CloseStyleEditor(form);
        state.ResumeTiming();
    }
    state.counters["styles"] = ListSize;
    // About 1: the open editor holds one working copy of the stored styles.
    state.counters["open/stored bytes"] = working / stored;
}
BENCHMARK(Styles_StyleEditorOpen)->Unit(benchmark::kMillisecond);

void Styles_StyleEditorSave(benchmark::State& state)
{
    FillStyles(ListSize - 1);
    frmStyle* form = frmStyle::Instance();
    form->lstProtocol->item(0)->setSelected(true);
    // An odd number falls between the listed even ones, in the middle.
    const QString name = QStringLiteral("Style 30001");
    for (auto _ : state) {
        form->txtName->setText(name);
        form->cmdSave_Click();
        state.PauseTiming();
        if (form->lstStyle->count() != ListSize)
            state.SkipWithError("not saved");
        form->lstStyle->setCurrentRow(FindInList(name, form->lstStyle) - 1);
        form->cmdDelete_Click();
        state.ResumeTiming();
    }
    CloseStyleEditor(form);
}
BENCHMARK(Styles_StyleEditorSave)->Unit(benchmark::kMillisecond);

// What OK does: the styles stored, then the settings file written.
void Styles_StyleEditorStore(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString savedFolder = ProgramFolder();
    SetProgramFolder(folder.path());
    FillStyles(ListSize);
    frmStyle* form = frmStyle::Instance();
    for (auto _ : state) {
        state.PauseTiming();
        form->WorkingStyles = Styles;
        state.ResumeTiming();
        form->StoreStyles();
        SaveSettings();
        benchmark::DoNotOptimize(Styles.data());
    }
    CloseStyleEditor(form);
    state.counters["styles"] = ListSize;
    state.counters["file_MB"] = static_cast<double>(QFileInfo(SettingsFilePath()).size()) / 1048576.0;
    SetProgramFolder(savedFolder);
}
BENCHMARK(Styles_StyleEditorStore)->Unit(benchmark::kMillisecond);

void Styles_StyleEditorPages(benchmark::State& state)
{
    Styles.assign(1, BlankStyle);
    ReportForms.assign(1, BlankReportForm);
    CurrentStyle = BlankStyle;
    // Opening with a blank current style gives it the page defaults.
    frmStyle* form = frmStyle::Instance();
    for (auto _ : state) {
        for (int t = 1; t <= TestTypeCount; ++t) {
            form->InitTestControls(t);
            form->ShowTest(t, CurrentStyle.Tests[static_cast<size_t>(t)]);
        }
    }
    CloseStyleEditor(form);
}
BENCHMARK(Styles_StyleEditorPages)->Unit(benchmark::kMillisecond);

void Styles_PageStates(benchmark::State& state)
{
    TestPages pages = MakeTestPages();
    NominalArea area;
    const PageContext context;
    for (auto _ : state) {
        for (int t = 1; t <= TestTypeCount; ++t) {
            TestPage& page = pages[static_cast<size_t>(t)];
            InitTestControls(page, context);
            ShowTest(page, area, CurrentStyle.Tests[static_cast<size_t>(t)], context);
        }
        benchmark::DoNotOptimize(pages.data());
    }
}
BENCHMARK(Styles_PageStates)->Unit(benchmark::kMillisecond);

} // namespace
