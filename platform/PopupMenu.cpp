#include "platform/PopupMenu.h"

#include <QCursor>
#include <QMenu>

namespace {

PopupMenuRunner* runner = nullptr;

} // namespace

void PopupMenu(QMenu* menu, QAction* defaultItem)
{
    if (!menu)
        return;
    menu->setDefaultAction(defaultItem);
    if (runner)
        runner->Run(*menu, defaultItem);
    else
        menu->exec(QCursor::pos());
    menu->setDefaultAction(nullptr);
}

void SetPopupMenuRunner(PopupMenuRunner* newRunner)
{
    runner = newRunner;
}
