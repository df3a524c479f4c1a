// The main window's import command.
#include "main_window/frmMain.h"

#include "foundation/modGlobals.h"
#include "storage/frmMigration.h"

#include <QComboBox>

void frmMain::mnuFile_Import_Click()
{
    const std::size_t stylesBefore = Styles.size();
    frmMigration::ShowForm();
    // Only new styles change what the window shows; the list then has no
    // selection, and nothing else is refreshed.
    if (Styles.size() != stylesBefore)
        FillStyleCombo();
}
