#pragma once
// The folder of the settings file, the log, the optional logo and the
// single-instance lock; also the default data and Q-DAS folder.
#include <QString>
#include <QStringList>

// Resolves it once: "--home DIR" among the arguments, else $QUINTARA_HOME,
// else $XDG_DATA_HOME/quintara (~/.local/share/quintara); creates it when missing.
QString ResolveProgramFolder(const QStringList& arguments);

// The folder in force. Tests point it at a temporary folder.
QString ProgramFolder();
void SetProgramFolder(const QString& folder);
