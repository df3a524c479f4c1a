#include "platform/ErrorCodes.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace {

TEST(ErrorCodesTest, ErrnoValuesGetTheirClassicNumbers)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_EQ(ClassicErrorNumber(ENOENT, dir.path() + QStringLiteral("/missing.dat")), 53);
    EXPECT_EQ(ClassicErrorNumber(ENOENT, dir.path() + QStringLiteral("/no/missing.dat")), 76);
    EXPECT_EQ(ClassicErrorNumber(ENOENT), 53);
    EXPECT_EQ(ClassicErrorNumber(ENOTDIR), 76);
    EXPECT_EQ(ClassicErrorNumber(EIO), 57);
    EXPECT_EQ(ClassicErrorNumber(ENOSPC), 61);
    EXPECT_EQ(ClassicErrorNumber(EDQUOT), 61);
    EXPECT_EQ(ClassicErrorNumber(EACCES), 70);
    EXPECT_EQ(ClassicErrorNumber(EPERM), 70);
    EXPECT_EQ(ClassicErrorNumber(EROFS), 70);
    EXPECT_EQ(ClassicErrorNumber(EISDIR), 75);
    EXPECT_EQ(ClassicErrorNumber(EBUSY), 75);
    EXPECT_EQ(ClassicErrorNumber(EINVAL), EINVAL);
    EXPECT_EQ(ClassicErrorNumber(EMFILE), EMFILE);

    const SystemError e = ErrorFromErrno(ENOSPC);
    EXPECT_EQ(e.Number, 61);
    EXPECT_EQ(e.Text, QString::fromLocal8Bit(std::strerror(ENOSPC)));
}

TEST(ErrorCodesTest, AFailedFileGivesTheNumberBehindItsMessage)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());

    QFile missing(dir.path() + QStringLiteral("/missing.dat"));
    ASSERT_FALSE(missing.open(QIODevice::ReadOnly));
    SystemError e = ErrorFromFile(missing);
    EXPECT_EQ(e.Number, 53);
    EXPECT_EQ(e.Text, QString::fromLocal8Bit(std::strerror(ENOENT)));

    QFile noFolder(dir.path() + QStringLiteral("/no/such/folder.dat"));
    ASSERT_FALSE(noFolder.open(QIODevice::WriteOnly));
    EXPECT_EQ(ErrorFromFile(noFolder).Number, 76);

    QFile folder(dir.path());
    ASSERT_FALSE(folder.open(QIODevice::WriteOnly));
    e = ErrorFromFile(folder);
    EXPECT_EQ(e.Number, 75);
    EXPECT_EQ(e.Text, QString::fromLocal8Bit(std::strerror(EISDIR)));

    QSaveFile save(dir.path() + QStringLiteral("/no/such/folder.dat"));
    ASSERT_FALSE(save.open(QIODevice::WriteOnly));
    EXPECT_EQ(ErrorFromFile(save).Number, 76);
}

} // namespace
