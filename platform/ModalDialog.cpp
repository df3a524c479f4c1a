#include "platform/ModalDialog.h"

#include "platform/SystemEnd.h"
#include "platform/WindowPlacement.h"

#include <QApplication>
#include <QDialog>
#include <QMainWindow>

namespace {

ModalDialogRunner* g_runner = nullptr;

// The window a dialog is opened from: its parent's, else the modal dialog or
// the window in front, else a main window on the screen.
const QWidget* OwnerOf(const QDialog& dialog)
{
    if (dialog.parentWidget())
        return dialog.parentWidget()->window();
    for (const QWidget* w : {QApplication::activeModalWidget(), QApplication::activeWindow()})
        if (w && w != &dialog && w->isVisible())
            return w;
    for (const QWidget* w : QApplication::topLevelWidgets())
        if (w != &dialog && w->isVisible() && qobject_cast<const QMainWindow*>(w))
            return w;
    return nullptr;
}

} // namespace

int ShowModal(QDialog& dialog)
{
    if (g_runner)
        return g_runner->Run(dialog);
    if (SystemEndRequested())
        return QDialog::Rejected;
    dialog.setWindowModality(Qt::ApplicationModal);
    PlaceWindow(&dialog, OwnerOf(dialog));
    return dialog.exec();
}

void SetModalDialogRunner(ModalDialogRunner* runner) { g_runner = runner; }
