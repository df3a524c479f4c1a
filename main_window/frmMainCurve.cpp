// The curve page of the main window.
#include "main_window/frmMain.h"

// The thumbnail of the current property's curve. Its drawing comes with the
// curve page; until then the page stays as ShowProtocol cleared it.
void frmMain::DrawCurveThumbnail()
{
}
