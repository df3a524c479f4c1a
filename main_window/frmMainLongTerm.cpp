// The main window's command that opens the long-term analysis.
#include "main_window/frmMain.h"

#include "long_term/frmLongTermAnalysis.h"

void frmMain::mnuFunction_LongTermAnalysis_Click()
{
    // Shown first, so that it takes this window's place on the screen.
    frmLongTermAnalysis::ShowForm();
    hide();
}
