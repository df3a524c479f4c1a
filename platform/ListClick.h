#pragma once
// The Click of a list box as the design knows it: once for each click of the
// user on an entry and for each move of the current entry by a key. Qt has
// no such signal: currentRowChanged misses a click on the entry that is
// already current, and itemClicked follows the change a click made, so a
// click would count twice.
#include <functional>

class QListWidget;

// Calls the handler on each such click of the list. Program changes of the
// list raise it only when they change the current row with signals on, so
// callers block signals around fills, inserts and removals. Getting the
// focus raises none: a list without a current entry keeps none.
void ConnectListClick(QListWidget* list, std::function<void()> handler);
