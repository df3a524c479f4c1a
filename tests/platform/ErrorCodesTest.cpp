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
    // Without a classic code the number stays errno.
    const std::pair<int, int> numbers[] = {{ENOENT, 53}, {ENOTDIR, 76}, {EIO, 57},    {ENOSPC, 61},
                                           {EDQUOT, 61}, {EFBIG, 61},  {EACCES, 70},  {EPERM, 70},  {EROFS, 70},
                                           {EISDIR, 75}, {EBUSY, 75},   {EINVAL, EINVAL}, {EMFILE, EMFILE}};
    for (const auto& [error, number] : numbers)
        EXPECT_EQ(ClassicErrorNumber(error), number) << std::strerror(error);

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
