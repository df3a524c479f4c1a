#include "foundation/modLog.h"
#include "platform/OleDate.h"
#include "platform/ProgramFolder.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class LogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetProgramFolder(m_dir.path());
        SetFixedClock(DateSerial(2024, 1, 5) + TimeSerial(9, 7, 3));
    }
    void TearDown() override
    {
        SetClock({});
        SetProgramFolder(QString());
    }
    QByteArray LogBytes() const
    {
        QFile f(m_dir.path() + QStringLiteral("/QUINTARA.LOG"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QTemporaryDir m_dir;
};

TEST_F(LogTest, LinesAreAppendedToTheByte)
{
    WriteLog(53, QStringLiteral("File not found"), QStringLiteral("ReadSettingsFile"));
    WriteLog(-5, QString(), QStringLiteral("abcdefghijklmnopqrstuvwxy"));
    WriteLog(70, QString::fromUtf8("Zugriff verweigert ä"), QStringLiteral("commOpen"));
    // A failed call's number and text, and what it concerned when given.
    const SystemError full{61, QStringLiteral("No space left on device")};
    WriteLog(full, QStringLiteral("dskPutTestReportAction"));
    WriteLog(full, QStringLiteral("abtFilePut"), QStringLiteral("/d/x.ABT"));
    EXPECT_EQ(LogBytes(),
              QByteArray("2024-01-05\t09:07:03\tReadSettingsFile    \t8.0\t53\tFile not found\r\n"
                         "2024-01-05\t09:07:03\tabcdefghijklmnopqrst\t8.0\t-5\t\r\n"
                         "2024-01-05\t09:07:03\tcommOpen            \t8.0\t70\tZugriff verweigert \xE4\r\n"
                         "2024-01-05\t09:07:03\tdskPutTestReportActi\t8.0\t61\tNo space left on device\r\n"
                         "2024-01-05\t09:07:03\tabtFilePut          \t8.0\t61\tNo space left on device: /d/x.ABT\r\n"));
}

TEST_F(LogTest, AFailingWriteIsSwallowed)
{
    SetProgramFolder(m_dir.path() + QStringLiteral("/missing/folder"));
    WriteLog(1, QStringLiteral("lost"), QStringLiteral("x"));
    EXPECT_FALSE(QFile::exists(m_dir.path() + QStringLiteral("/missing/folder/QUINTARA.LOG")));
}

} // namespace
