#include "platform/ModalDialog.h"

#include "platform/SystemEnd.h"

#include <QDialog>

namespace {
ModalDialogRunner* g_runner = nullptr;
}

int ShowModal(QDialog& dialog)
{
    if (g_runner)
        return g_runner->Run(dialog);
    if (SystemEndRequested())
        return QDialog::Rejected;
    dialog.setWindowModality(Qt::ApplicationModal);
    return dialog.exec();
}

void SetModalDialogRunner(ModalDialogRunner* runner) { g_runner = runner; }
