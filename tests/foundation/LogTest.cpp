#include "foundation/modLog.h"
#include "platform/OleDate.h"
#include "platform/ProgramFolder.h"
#include "support/ChildProcess.h"

#include <QFile>
#include <sys/stat.h>
#include <unistd.h>
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
    void SetLogBytes(const QByteArray& bytes) const
    {
        QFile f(m_dir.path() + QStringLiteral("/QUINTARA.LOG"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(bytes), bytes.size());
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
              QByteArray("2024-01-05\t09:07:03\tReadSettingsFile    \t" + QByteArray(ProgramVersion) + "\t53\tFile not found\r\n"
                         "2024-01-05\t09:07:03\tabcdefghijklmnopqrst\t" + QByteArray(ProgramVersion) + "\t-5\t\r\n"
                         "2024-01-05\t09:07:03\tcommOpen            \t" + QByteArray(ProgramVersion) + "\t70\tZugriff verweigert \xE4\r\n"
                         "2024-01-05\t09:07:03\tdskPutTestReportActi\t" + QByteArray(ProgramVersion) + "\t61\tNo space left on device\r\n"
                         "2024-01-05\t09:07:03\tabtFilePut          \t" + QByteArray(ProgramVersion) + "\t61\tNo space left on device: /d/x.ABT\r\n"));
}

// A line cut short by a full disk is never ended; the next one, a run later,
// starts on a line of its own all the same.
TEST_F(LogTest, ALineCutShortIsEndedBeforeTheNext)
{
    const QByteArray cut("2026-12-07\t13:53:29\tWriteSettingsFile   \t" + QByteArray(ProgramVersion) + "\t61\tFile too");
    const QByteArray next("2024-01-05\t09:07:03\tReadSettingsFile    \t" + QByteArray(ProgramVersion) + "\t53\tFile not found\r\n");
    SetLogBytes(cut);
    WriteLog(53, QStringLiteral("File not found"), QStringLiteral("ReadSettingsFile"));
    EXPECT_EQ(LogBytes(), cut + "\r\n" + next);

    // Cut between its CR and its LF: the LF alone ends it.
    SetLogBytes(cut + "\r");
    WriteLog(53, QStringLiteral("File not found"), QStringLiteral("ReadSettingsFile"));
    EXPECT_EQ(LogBytes(), cut + "\r\n" + next);

    // An empty log gets no empty line.
    SetLogBytes(QByteArray());
    WriteLog(53, QStringLiteral("File not found"), QStringLiteral("ReadSettingsFile"));
    EXPECT_EQ(LogBytes(), next);

    // Cut by a file size limit as it was written, then a line written with room.
    const QByteArray cutByLimit("2024-01-05\t09:07:03\tWriteSettings");
    const qint64 limit = next.size() + cutByLimit.size();
    const int result = RunWithFileSizeLimit(static_cast<long>(limit), [] {
        WriteLog(61, QStringLiteral("No space left on device"), QStringLiteral("WriteSettingsFile"));
        return 0;
    });
    if (result == ChildSetupFailed)
        GTEST_SKIP() << "no file size limit here";
    ASSERT_EQ(result, 0);
    ASSERT_EQ(LogBytes().size(), limit);
    WriteLog(53, QStringLiteral("File not found"), QStringLiteral("ReadSettingsFile"));
    EXPECT_EQ(LogBytes(), next + cutByLimit + "\r\n" + next);
}

TEST_F(LogTest, ALogThatMayBeWrittenButNotReadIsStillWritten)
{
    // Mode 0200 (a log kept from the eyes of the users who write it): the
    // line end of the last line cannot be checked, the line is appended.
    const QByteArray first("2024-01-05\t09:07:03\tReadSettingsFile    \t" + QByteArray(ProgramVersion) + "\t53\tFile not found\r\n");
    SetLogBytes(first);
    const QByteArray log = QFile::encodeName(m_dir.path() + QStringLiteral("/QUINTARA.LOG"));
    ASSERT_EQ(::chmod(log.constData(), 0200), 0);
    ChownToNobody(log.constData());
    ChownToNobody(QFile::encodeName(m_dir.path()).constData());
    const int result = RunUnprivileged([&] {
        if (::access(log.constData(), R_OK) == 0)
            return ChildSetupFailed;
        WriteLog(61, QStringLiteral("No space left on device"), QStringLiteral("WriteSettingsFile"));
        return 0;
    });
    if (result == ChildSetupFailed)
        GTEST_SKIP() << "the log stays readable here";
    ASSERT_EQ(result, 0);
    EXPECT_EQ(LogBytes(), first + "2024-01-05\t09:07:03\tWriteSettingsFile   \t" + QByteArray(ProgramVersion) + "\t61\tNo space left on device\r\n");
}

TEST_F(LogTest, AFailingWriteIsSwallowed)
{
    SetProgramFolder(m_dir.path() + QStringLiteral("/missing/folder"));
    WriteLog(1, QStringLiteral("lost"), QStringLiteral("x"));
    EXPECT_FALSE(QFile::exists(m_dir.path() + QStringLiteral("/missing/folder/QUINTARA.LOG")));
}

} // namespace
