#pragma once
// Pop-up menus: a menu of the menu bar shown at the pointer, with one item in
// bold as the default. The chosen item runs its handler through its action's
// triggered signal, as a click in the menu bar would. Tests install a runner
// that records the menu instead of showing it, so no test waits on a menu.
class QAction;
class QMenu;

class PopupMenuRunner {
public:
    virtual ~PopupMenuRunner() = default;
    // Shows the menu until it closes; defaultItem (may be null) is bold meanwhile.
    virtual void Run(QMenu& menu, QAction* defaultItem) = 0;
};

// Pops the menu up at the pointer through the runner in force and returns
// when it has closed. The default item is cleared again afterwards.
void PopupMenu(QMenu* menu, QAction* defaultItem = nullptr);
// Installs a runner (not owned); nullptr goes back to showing the menu.
void SetPopupMenuRunner(PopupMenuRunner* runner);
