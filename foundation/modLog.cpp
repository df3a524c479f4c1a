#include "foundation/modLog.h"

#include "foundation/modGeneral.h"
#include "platform/Cp1252.h"
#include "platform/OleDate.h"
#include "platform/Paths.h"
#include "platform/ProgramFolder.h"

#include <QFile>

#include <cerrno>
#include <string>

#include <fcntl.h>
#include <unistd.h>

const char ProgramVersion[] = QUINTARA_VERSION;
const char ProgramReleaseDate[] = QUINTARA_RELEASE_DATE;

QString LogLine(double oleDate, int32_t errNumber, const QString& errText, const QString& procName)
{
    const QChar tab(u'\t');
    const QString date = FormatDateText(oleDate, 3);
    const QString time = FormatTimeText(oleDate, true);
    const QString name = procName.left(20).leftJustified(20, u' ');
    return date + tab + time + tab + name + tab + QString::fromLatin1(ProgramVersion) + tab
        + QString::number(errNumber) + tab + errText;
}

namespace {

// What the log's last line lacks of its CR LF: nothing for an empty log or
// an ended line, LF for a line cut between the two.
std::string MissingLineEnd(QFile& log)
{
    const qint64 size = log.size();
    char last = '\n';
    if (size <= 0 || !log.seek(size - 1) || log.read(&last, 1) != 1)
        return std::string();
    if (last == '\n')
        return std::string();
    return last == '\r' ? std::string("\n") : std::string("\r\n");
}

} // namespace

void WriteLog(int32_t errNumber, const QString& errText, const QString& procName)
{
    const QString folder = ProgramFolder();
    if (folder.isEmpty())
        return;
    // Joined in the platform layer: the disk module logs through here.
    const QByteArray name = QFile::encodeName(FindExistingPath(folder, QStringLiteral("QUINTARA.LOG")));
    // Never through a link at the name: what it leads to is not the log.
    int fd = ::open(name.constData(), O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    const bool readable = fd >= 0;
    // A log the program may write but not read is still written to.
    if (fd < 0 && errno == EACCES)
        fd = ::open(name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return;
    // Unbuffered, so that the check and the append are one read and one
    // write on the file itself.
    QFile log;
    const QIODevice::OpenMode mode = (readable ? QIODevice::ReadWrite : QIODevice::WriteOnly) | QIODevice::Append
        | QIODevice::Unbuffered;
    if (!log.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return;
    }
    // A line cut short by a full disk or a file size limit was never ended:
    // this one must not be glued to it.
    std::string text;
    if (readable)
        text = MissingLineEnd(log);
    text += ToCp1252(LogLine(Now(), errNumber, errText, procName)) + "\r\n";
    log.write(text.data(), static_cast<qint64>(text.size()));
}

void WriteLog(const SystemError& error, const QString& procName, const QString& concerning)
{
    WriteLog(error.Number, concerning.isEmpty() ? error.Text : error.Text + QStringLiteral(": ") + concerning,
             procName);
}
