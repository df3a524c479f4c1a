#include "platform/SortedList.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QListWidget>
#include <QSignalBlocker>

#include <algorithm>
#include <functional>
#include <numeric>
#include <vector>

namespace {

// A collator for the locale in force now (tests pin it per case). The C
// locale of a system without a language setting collates by code point, the
// very order to avoid; it takes the language-neutral order of English.
QCollator Collator()
{
    const QLocale locale;
    QCollator collator{locale.language() == QLocale::C ? QLocale(QLocale::English, QLocale::UnitedStates) : locale};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

int Sign(int value)
{
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

// The first row whose entry collates after the text (binary search; the
// entries are in order).
template <typename EntryAt>
int UpperBound(int count, const QString& text, const QCollator& collator, EntryAt entryAt)
{
    int low = 0;
    int high = count;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (collator.compare(text, entryAt(middle)) < 0)
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

} // namespace

int CompareCollated(const QString& a, const QString& b)
{
    return Sign(Collator().compare(a, b));
}

int SortedInsertRow(const QStringList& entries, const QString& text)
{
    return UpperBound(static_cast<int>(entries.size()), text, Collator(),
                      [&entries](int row) -> const QString& { return entries.at(row); });
}

QStringList SortCollated(const QStringList& entries)
{
    const QCollator collator = Collator();
    // Lists come back from the settings file in order; checking that costs
    // one comparison per entry, sorting many more.
    bool ordered = true;
    for (qsizetype i = 1; i < entries.size() && ordered; ++i)
        ordered = collator.compare(entries.at(i - 1), entries.at(i)) <= 0;
    if (ordered)
        return entries;

    std::vector<QCollatorSortKey> keys;
    keys.reserve(static_cast<size_t>(entries.size()));
    for (const QString& entry : entries)
        keys.push_back(collator.sortKey(entry));
    std::vector<qsizetype> order(static_cast<size_t>(entries.size()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&keys](qsizetype a, qsizetype b) {
        return keys[static_cast<size_t>(a)].compare(keys[static_cast<size_t>(b)]) < 0;
    });
    QStringList sorted;
    sorted.reserve(entries.size());
    for (const qsizetype i : order)
        sorted.append(entries.at(i));
    return sorted;
}

int InsertSorted(QListWidget* list, const QString& text)
{
    if (!list)
        return -1;
    const QSignalBlocker blocker(list);
    const int row = UpperBound(list->count(), text, Collator(),
                               [list](int r) { return list->item(r)->text(); });
    list->insertItem(row, text);
    return row;
}

void FillSorted(QListWidget* list, const QStringList& entries)
{
    if (!list)
        return;
    const QSignalBlocker blocker(list);
    list->clear();
    list->addItems(SortCollated(entries));
    list->setCurrentRow(-1);
    list->clearSelection();
}

QStringList ListEntries(const QListWidget* list)
{
    QStringList entries;
    if (!list)
        return entries;
    entries.reserve(list->count());
    for (int row = 0; row < list->count(); ++row)
        entries.append(list->item(row)->text());
    return entries;
}

int RemoveSelectedEntries(QListWidget* list)
{
    if (!list)
        return 0;
    const QSignalBlocker blocker(list);
    std::vector<int> rows;
    for (const QModelIndex& index : list->selectionModel()->selectedIndexes())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (const int row : rows)
        delete list->takeItem(row);
    list->setCurrentRow(-1);
    list->clearSelection();
    return static_cast<int>(rows.size());
}

void ClearListSelection(QListWidget* list)
{
    if (!list)
        return;
    const QSignalBlocker blocker(list);
    list->setCurrentRow(-1);
    list->clearSelection();
}
