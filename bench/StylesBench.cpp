// The list and form editors at the limits of their lists: the reference
// editor with three lists of 30,000 values (loading, one Save into a list of
// 29,999, storing the lists on OK without the settings write), and the report
// form editor's OK putting a saved form into 30,000 styles. Loading is shown
// beside three list boxes filled plainly, the least a load could cost.
#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "styles/ReportFormRules.h"
#include "styles/frmReference.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>

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

} // namespace
