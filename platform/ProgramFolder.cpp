#include "platform/ProgramFolder.h"

#include <QDir>
#include <QFile>

#include <cerrno>
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
    QString folder = QFile::decodeName(QByteArray::fromStdString(commandLine.Home));
    if (folder.isEmpty())
        folder = qEnvironmentVariable("QUINTARA_HOME");
    if (folder.isEmpty()) {
        QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
        if (dataHome.isEmpty())
            dataHome = QDir::homePath() + QStringLiteral("/.local/share");
        folder = dataHome + QStringLiteral("/quintara");
    }
    ResolvedProgramFolder resolved;
    resolved.Folder = QDir::cleanPath(QDir(folder).absolutePath());
    SetProgramFolder(resolved.Folder);
    const QByteArray path = QFile::encodeName(resolved.Folder);
    resolved.Error = MakeFolder(path);
    resolved.NotMade = resolved.Error != 0;
    if (resolved.Error == 0)
        resolved.Error = TryWriting(path);
    return resolved;
}

std::string UnusableProgramFolderLine(const ResolvedProgramFolder& resolved)
{
    return "quintara: the program folder " + EscapedForOneLine(QFile::encodeName(resolved.Folder).toStdString())
        + (resolved.NotMade ? " cannot be made: " : " cannot be written: ") + std::strerror(resolved.Error) + "\n";
}

QString ProgramFolder() { return g_programFolder; }

void SetProgramFolder(const QString& folder) { g_programFolder = folder; }
