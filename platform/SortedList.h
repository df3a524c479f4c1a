#pragma once
// Lists whose entries stand in alphabetical order. Qt's own sorting of a
// list box compares code points ("Zeta" before "alpha", "ähnlich" last), so
// the entries are placed by the collation of the locale in force, with letter
// case ignored.
#include <QString>
#include <QStringList>

class QListWidget;

// -1, 0 or 1 as a collates before, with or after b (case ignored).
int CompareCollated(const QString& a, const QString& b);

// The row (0 to the count) at which the text goes into entries that are in
// collated order: after every entry that collates before or with it, so an
// equal entry keeps its place ahead of the new one.
int SortedInsertRow(const QStringList& entries, const QString& text);

// The entries in collated order; entries that collate alike keep their order.
QStringList SortCollated(const QStringList& entries);

// Inserts the text at its collated place in a list whose entries are in that
// order and returns its row. The list's signals are blocked meanwhile, and the
// current item and the selection stay as they were.
int InsertSorted(QListWidget* list, const QString& text);

// Clears the list and adds the entries in collated order, without signals;
// no item is current or selected afterwards.
void FillSorted(QListWidget* list, const QStringList& entries);

// The texts of the list's entries, first to last.
QStringList ListEntries(const QListWidget* list);

// Removes the selected entries, from the last to the first, without signals;
// afterwards no entry is current or selected (Qt would make the next entry
// current). Returns the number removed.
int RemoveSelectedEntries(QListWidget* list);

// Clears the current entry and the selection without signals.
void ClearListSelection(QListWidget* list);
