#pragma once
// The folder of the settings file, the log, the optional logo and the
// single-instance lock; also the default data and Q-DAS folder.
#include "platform/CommandLine.h"

#include <QString>
#include <string>

// The program folder of this run, and whether it can be used.
struct ResolvedProgramFolder {
    QString Folder;
    // The system's error number when the folder could not be made or a file
    // could not be made in it; 0 when it can be used.
    int Error = 0;
    // Whether the error came from making the folder (else from writing in it).
    bool NotMade = false;
    // The folder's name as given (made absolute against the working folder),
    // as bytes. A name that is not UTF-8 cannot be used (EILSEQ): the
    // program's names are text.
    std::string Given;
};

// Resolves it once: the command line's --home, else $QUINTARA_HOME, else
// $XDG_DATA_HOME/quintara (~/.local/share/quintara), a relative name taken
// against the working folder (a name beginning with ":" is a folder there,
// not one of Qt's resources); creates it when missing
// and tries that a file can be made in it (one made and removed again, no
// link followed). The folder is in force afterwards, usable or not.
ResolvedProgramFolder ResolveProgramFolder(const CommandLine& commandLine);

// The one line (with its line end) for standard error about a folder that
// cannot be used: the folder and the system's reason.
std::string UnusableProgramFolderLine(const ResolvedProgramFolder& resolved);

// The folder in force. Tests point it at a temporary folder.
QString ProgramFolder();
void SetProgramFolder(const QString& folder);
