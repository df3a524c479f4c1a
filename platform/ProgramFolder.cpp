#include "platform/ProgramFolder.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString g_programFolder;

bool IsFolder(const QByteArray& path)
{
    struct stat status {};
    return ::stat(path.constData(), &status) == 0 && S_ISDIR(status.st_mode);
}

// Makes the folder and the folders above it that are missing; the error
// number of the step that failed, 0 when the folder is there.
int MakeFolder(const QByteArray& path)
{
    if (::mkdir(path.constData(), 0777) == 0)
        return 0;
    int error = errno;
    if (error == ENOENT) {
        const qsizetype slash = path.lastIndexOf('/');
        if (slash > 0) {
            const int above = MakeFolder(path.left(slash));
            if (above != 0)
                return above;
        }
        if (::mkdir(path.constData(), 0777) == 0)
            return 0;
        error = errno;
    }
    // Made meanwhile, or there before, as it should be: a file of that name is not.
    if (error == EEXIST)
        return IsFolder(path) ? 0 : ENOTDIR;
    return error;
}

// Whether a file can be made and removed in the folder: a new name of this
// process, made exclusively (so no link of that name is followed and no file
// of another is touched), then removed. The error number, 0 when it can.
int TryWriting(const QByteArray& folder)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray probe = folder + "/.QUINTARA.PROBE." + QByteArray::number(::getpid()) + '.'
            + QByteArray::number(attempt);
        const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return errno;
        }
        ::close(fd);
        return ::unlink(probe.constData()) == 0 ? 0 : errno;
    }
    return EEXIST;
}

} // namespace

ResolvedProgramFolder ResolveProgramFolder(const CommandLine& commandLine)
{
    // The name as bytes, as the system takes it: a name that is no UTF-8
    // would come back from a QString as another name (U+FFFD in place of
    // its bytes), and the program would make and use a folder nobody named.
    QByteArray given = QByteArray::fromStdString(commandLine.Home);
    if (given.isEmpty())
        given = qgetenv("QUINTARA_HOME");
    if (given.isEmpty()) {
        QByteArray dataHome = qgetenv("XDG_DATA_HOME");
        if (dataHome.isEmpty())
            dataHome = QFile::encodeName(QDir::homePath()) + "/.local/share";
        given = dataHome + "/quintara";
    }
    // Relative to the working folder, made absolute here once: Qt takes a
    // name that begins with ":" for one of its resources, and every later
    // use of the folder (settings, log, lock, data folder) joins names to it.
    if (!given.startsWith('/')) {
        char* working = ::getcwd(nullptr, 0);
        if (working) {
            given = QByteArray(working) + '/' + given;
            std::free(working);
        }
    }
    ResolvedProgramFolder resolved;
    resolved.Given = given.toStdString();
    const QString folder = QFile::decodeName(given);
    resolved.Folder = QDir::cleanPath(folder);
    SetProgramFolder(resolved.Folder);
    if (QFile::encodeName(folder) != given || !given.startsWith('/')) {
        resolved.Error = given.startsWith('/') ? EILSEQ : ENOENT;
        resolved.NotMade = true;
        return resolved;
    }
    const QByteArray path = QFile::encodeName(resolved.Folder);
    resolved.Error = MakeFolder(path);
    resolved.NotMade = resolved.Error != 0;
    if (resolved.Error == 0)
        resolved.Error = TryWriting(path);
    return resolved;
}

std::string UnusableProgramFolderLine(const ResolvedProgramFolder& resolved)
{
    const std::string named = EscapedForOneLine(resolved.Given.empty()
                                                    ? QFile::encodeName(resolved.Folder).toStdString()
                                                    : resolved.Given);
    if (resolved.Error == EILSEQ)
        return "quintara: the program folder " + named
            + " cannot be used: its name is not UTF-8, which the program's file names must be\n";
    return "quintara: the program folder " + named
        + (resolved.NotMade ? " cannot be made: " : " cannot be written: ") + std::strerror(resolved.Error) + "\n";
}

QString ProgramFolder() { return g_programFolder; }

void SetProgramFolder(const QString& folder) { g_programFolder = folder; }
