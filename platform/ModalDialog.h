#pragma once
// Modal dialogs are opened through one seam: the program runs them with
// exec(); tests install a runner that drives the dialog and closes it, so no
// test waits on exec().
class QDialog;

class ModalDialogRunner {
public:
    virtual ~ModalDialogRunner() = default;
    // Shows the dialog modally until it is closed; returns its result code.
    virtual int Run(QDialog& dialog) = 0;
};

// Shows the dialog modally through the runner in force (exec() by default,
// placed over its owner or the active window) and returns its result code.
int ShowModal(QDialog& dialog);
// Installs a runner (not owned); nullptr goes back to exec().
void SetModalDialogRunner(ModalDialogRunner* runner);
