#include "platform/ErrorCodes.h"

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
    EXPECT_EQ(ClassicErrorNumber(ENOENT, dir.path() + QStringLiteral("/missing.dat")), 53);
    EXPECT_EQ(ClassicErrorNumber(ENOENT, dir.path() + QStringLiteral("/no/missing.dat")), 76);
    // Without a classic code the number stays errno.
    const std::pair<int, int> numbers[] = {{ENOENT, 53}, {ENOTDIR, 76}, {EIO, 57},    {ENOSPC, 61},
                                           {EDQUOT, 61}, {EFBIG, 61},  {EACCES, 70},  {EPERM, 70},  {EROFS, 70},
                                           {EISDIR, 75}, {EBUSY, 75},   {EINVAL, EINVAL}, {EMFILE, EMFILE}};
    for (const auto& [error, number] : numbers)
        EXPECT_EQ(ClassicErrorNumber(error), number) << std::strerror(error);
    EXPECT_EQ(ErrorFromErrno(ENOSPC).Text, QString::fromLocal8Bit(std::strerror(ENOSPC)));
}

TEST(ErrorCodesTest, AFailedFileGivesTheNumberBehindItsMessage)
{
    QTemporaryDir dir;
    const struct {
        QString path;
        QIODevice::OpenMode mode;
        int number;
        int error;   // whose system text the message is
    } rows[] = {
        {dir.path() + QStringLiteral("/missing.dat"), QIODevice::ReadOnly, 53, ENOENT},
        {dir.path() + QStringLiteral("/no/such/folder.dat"), QIODevice::WriteOnly, 76, ENOENT},
        {dir.path(), QIODevice::WriteOnly, 75, EISDIR},
    };
    for (const auto& row : rows) {
        QFile file(row.path);
        ASSERT_FALSE(file.open(row.mode));
        const SystemError e = ErrorFromFile(file);
        EXPECT_EQ(e.Number, row.number) << row.path.toStdString();
        EXPECT_EQ(e.Text, QString::fromLocal8Bit(std::strerror(row.error))) << row.path.toStdString();
    }
    QSaveFile save(dir.path() + QStringLiteral("/no/such/folder.dat"));
    ASSERT_FALSE(save.open(QIODevice::WriteOnly));
    EXPECT_EQ(ErrorFromFile(save).Number, 76);
}

} // namespace
