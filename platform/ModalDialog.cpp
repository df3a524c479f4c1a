#include "platform/ModalDialog.h"

#include "platform/WindowPlacement.h"

#include <QApplication>
#include <QDialog>

namespace {
ModalDialogRunner* g_runner = nullptr;
}

int ShowModal(QDialog& dialog)
{
    if (g_runner)
        return g_runner->Run(dialog);
    dialog.setWindowModality(Qt::ApplicationModal);
    const QWidget* owner = dialog.parentWidget() ? dialog.parentWidget()->window() : QApplication::activeWindow();
    PlaceWindow(&dialog, owner);
    return dialog.exec();
}

void SetModalDialogRunner(ModalDialogRunner* runner) { g_runner = runner; }
