#include "platform/ProgramFolder.h"

#include <QDir>
#include <QStandardPaths>

namespace {
QString g_programFolder;
}

QString ResolveProgramFolder(const QStringList& arguments)
{
    QString folder;
    const qsizetype at = arguments.indexOf(QStringLiteral("--home"));
    if (at >= 0 && at + 1 < arguments.size())
        folder = arguments.at(at + 1);
    if (folder.isEmpty())
        folder = qEnvironmentVariable("QUINTARA_HOME");
    if (folder.isEmpty()) {
        QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
        if (dataHome.isEmpty())
            dataHome = QDir::homePath() + QStringLiteral("/.local/share");
        folder = dataHome + QStringLiteral("/quintara");
    }
    folder = QDir::cleanPath(QDir(folder).absolutePath());
    QDir().mkpath(folder);
    SetProgramFolder(folder);
    return folder;
}

QString ProgramFolder() { return g_programFolder; }

void SetProgramFolder(const QString& folder) { g_programFolder = folder; }
