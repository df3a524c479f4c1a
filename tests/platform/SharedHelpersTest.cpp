// First checks of the shared writer, stored-name and input helpers; the
// full-disk, kill and paste cases live with their callers' tests.
#include "platform/Paths.h"
#include "platform/SafeFile.h"
#include "platform/TextInput.h"
#include "platform/Conversions.h"

#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(SafeFileTest, WritesWithTheGivenModeAndKeepsTheOldFileOnFailure)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.bin"));
    SystemError error;
    ASSERT_TRUE(WriteFileAtomically(path, "abc", error, OwnerOnlyPermissions));
    EXPECT_EQ(QFile::permissions(path) & (QFileDevice::ReadGroup | QFileDevice::ReadOther), QFileDevice::Permissions());
    ASSERT_TRUE(WriteFileAtomically(path, "defg", error, ReadOnlyPermissions));
    EXPECT_FALSE(QFile::permissions(path) & QFileDevice::WriteOwner);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("defg"));
    EXPECT_FALSE(WriteFileAtomically(dir.filePath(QStringLiteral("no/such/b.bin")), "x", error));
    EXPECT_NE(error.Number, 0);
}

TEST(SafeFileTest, ASecondNameKeepsTheOldContentWhenTheFileIsReplaced)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.bin"));
    const QString backup = dir.filePath(QStringLiteral("a.bak"));
    SystemError error;
    ASSERT_TRUE(WriteFileAtomically(path, "old", error, OwnerOnlyPermissions));
    ASSERT_TRUE(LinkOrCopyFile(path, backup, error, OwnerOnlyPermissions));
    ASSERT_TRUE(WriteFileAtomically(path, "new", error, OwnerOnlyPermissions));
    QFile kept(backup);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("old"));
    // The second name must be new, and the file must exist.
    EXPECT_FALSE(LinkOrCopyFile(path, backup, error));
    EXPECT_EQ(error.Number, 75);
    EXPECT_FALSE(LinkOrCopyFile(dir.filePath(QStringLiteral("none")), dir.filePath(QStringLiteral("b")), error));
    EXPECT_EQ(error.Number, 53);
}

TEST(StoredNameTest, OnlyBareNamesInsideTheFolder)
{
    const struct { const char* name; bool prefix; bool bare; } rows[] = {
        {"2011.12.08, 10.15.00.QTA", false, true},
        {"QTA123\\2011.12.08, 10.15.00.QTA", true, true},
        {"qta123/x.QTA", true, true},
        {"QTA123\\x.QTA", false, false},
        {"QTA12\\x.QTA", true, false},
        {"QTA123\\..", true, false},
        {"..\\..\\x.QTA", true, false},
        {"../x", false, false},
        {"a/b.ABT", false, false},
        {"/etc/passwd", false, false},
        {"..", false, false},
        {"", false, false},
        {"a\tb", false, false},
        {"QTA123\\QTA124\\x", true, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(IsBareStoredName(QString::fromUtf8(row.name), row.prefix), row.bare) << row.name;
        EXPECT_EQ(StoredNamePath(QStringLiteral("/data"), QString::fromUtf8(row.name), row.prefix).isEmpty(), !row.bare)
            << row.name;
    }
    EXPECT_EQ(StoredNamePath(QStringLiteral("/data/"), QStringLiteral("QTA001\\a.QTA"), true),
              QStringLiteral("/data/QTA001/a.QTA"));
    for (const char* own : {"QUINTARA.DAT", "quintara.dat.bak", "QUINTARA.DAT.BAD2", "QUINTARA.LOG", "QUINTARA.LCK",
                            "PENDING 1.QTA", "pending 12.qta", "PENDING 3.QTA.BAD", "TEMP.QTA"})
        EXPECT_TRUE(IsProgramOwnFileName(QString::fromUtf8(own))) << own;
    for (const char* other : {"PENDING.QTA", "PENDING x.QTA", "2011.12.08, 10.15.00.QTA", "QUINTARA.JPG", "QUINTARA.INI"})
        EXPECT_FALSE(IsProgramOwnFileName(QString::fromUtf8(other))) << other;
}

TEST(TextInputTest, RefusesControlAndForeignCharactersAndCutsAtTheLimit)
{
    QLineEdit box;
    InstallTextInput(&box, 5);
    const int beeps = InputBeepCount();
    box.insert(QStringLiteral("Ann"));
    box.insert(QStringLiteral("\tB"));
    box.insert(QString::fromUtf8("\xC5\x81"));   // "Ł"
    EXPECT_EQ(box.text(), QStringLiteral("Ann"));
    EXPECT_EQ(InputBeepCount(), beeps + 2);
    box.insert(QString::fromUtf8("\xC3\xA9\xE2\x82\xAC" "xyz"));   // "é€xyz"
    EXPECT_EQ(box.text(), QString::fromUtf8("Ann\xC3\xA9\xE2\x82\xAC"));
    EXPECT_EQ(InputBeepCount(), beeps + 3);

    const QString saved = DecimalSeparator;
    DecimalSeparator = QStringLiteral(",");
    QLineEdit number;
    InstallNumberInput(&number, 6);
    for (const char* refused : {"12.5", "-1", "1a", "1 000"}) {
        number.clear();
        number.insert(QString::fromUtf8(refused));
        EXPECT_EQ(number.text(), QString()) << refused;
    }
    number.insert(QStringLiteral("12,5"));
    number.insert(QStringLiteral(","));
    EXPECT_EQ(number.text(), QStringLiteral("12,5"));
    DecimalSeparator = saved;
}

} // namespace
