// The program's entry point: the application object, the program folder, then
// the start-up sequence; afterwards the program lives in the main window's
// events and ends when the main window closes.
#include "foundation/modMain.h"
#include "platform/ProgramFolder.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quintara"));
    // The main window ends the program when it closes, not the last window:
    // the welcome and login windows close before the main window exists.
    QApplication::setQuitOnLastWindowClosed(false);
    ResolveProgramFolder(QApplication::arguments());

    const int refused = Main();
    if (refused != 0)
        return refused;
    const int status = QApplication::exec();
    ReleaseInstanceLock();
    return status;
}
