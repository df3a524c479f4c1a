// Shared main of every test executable: window tests run under Qt's offscreen
// platform with a private runtime folder, so no test needs a display, and
// with a private home, so no test touches the user's trash or settings.
#include "platform/InstanceLock.h"

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir runtimeDir;
    if (runtimeDir.isValid()) {
        QFile::setPermissions(runtimeDir.path(),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit());
    }
    // A home of the tests' own, on the file system of their scratch folders
    // (both in the temporary folder): a file moved to the trash goes to the
    // home trash in it, never the user's, and never to a .Trash-<uid> at the
    // top of a /tmp on a file system of its own. Whatever else goes below
    // the home or the data, config and cache folders stays in it too.
    QTemporaryDir home;
    if (home.isValid()) {
        const QString path = home.path();
        QDir().mkpath(path + QStringLiteral("/.local/share"));
        qputenv("HOME", QFile::encodeName(path));
        qputenv("XDG_DATA_HOME", QFile::encodeName(path + QStringLiteral("/.local/share")));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(path + QStringLiteral("/.config")));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(path + QStringLiteral("/.cache")));
        qputenv("XDG_STATE_HOME", QFile::encodeName(path + QStringLiteral("/.local/state")));
    }
    // Seats' locks on the machine of this test program's own: test programs
    // run side by side (and other people's on the machine) name their seats
    // alike. Children it forks share it.
    SetSeatMachineLockPrefixForTests(QStringLiteral("quintara-test-%1-seat-").arg(::getpid()));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
