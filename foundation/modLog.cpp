#include "foundation/modLog.h"

#include "foundation/modGeneral.h"
#include "platform/Cp1252.h"
#include "platform/OleDate.h"
#include "platform/Paths.h"
#include "platform/ProgramFolder.h"

#include <QFile>

QString LogLine(double oleDate, int32_t errNumber, const QString& errText, const QString& procName)
{
    const QChar tab(u'\t');
    const QString date = FormatDateText(oleDate, 3);
    const QString time = FormatTimeText(oleDate, true);
    const QString name = procName.left(20).leftJustified(20, u' ');
    return date + tab + time + tab + name + tab + QString::fromLatin1(ProgramVersion) + tab
        + QString::number(errNumber) + tab + errText;
}

void WriteLog(int32_t errNumber, const QString& errText, const QString& procName)
{
    const QString folder = ProgramFolder();
    if (folder.isEmpty())
        return;
    // Joined in the platform layer: the disk module logs through here.
    QFile log(FindExistingPath(folder, QStringLiteral("QUINTARA.LOG")));
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    const std::string line = ToCp1252(LogLine(Now(), errNumber, errText, procName)) + "\r\n";
    log.write(line.data(), static_cast<qint64>(line.size()));
}

void WriteLog(const SystemError& error, const QString& procName, const QString& concerning)
{
    WriteLog(error.Number, concerning.isEmpty() ? error.Text : error.Text + QStringLiteral(": ") + concerning,
             procName);
}
