#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(PathsTest, StoredNamesAreJoinedWithOneSlash)
{
    EXPECT_EQ(StoredNameToPath(QStringLiteral("QTA123\\2011.12.08, 10.15.00.QTA")),
              QStringLiteral("QTA123/2011.12.08, 10.15.00.QTA"));
    EXPECT_EQ(JoinPath(QStringLiteral("/Data/Mixed"), QStringLiteral("a\\b")), QStringLiteral("/Data/Mixed/a/b"));
    EXPECT_EQ(JoinPath(QStringLiteral("/Data/"), QStringLiteral("/x")), QStringLiteral("/Data/x"));
    EXPECT_EQ(JoinPath(QStringLiteral("/Data\\\\"), QString()), QStringLiteral("/Data/"));
    EXPECT_EQ(JoinPath(QStringLiteral("/"), QStringLiteral("x")), QStringLiteral("/x"));
}

TEST(PathsTest, ANameInAnotherCaseIsFoundTheSameWayEveryTime)
{
    QTemporaryDir dir;
    const QString root = dir.path();
    // Listed by the system in whatever order: among several spellings the one
    // first in code order is taken.
    for (const char* name : {"report.qta", "Report.QTA", "rEPORT.qta", ".Hidden.QTA"}) {
        QFile f(root + QLatin1Char('/') + QLatin1String(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << name;
    }
    ASSERT_TRUE(QDir(root).mkpath(QStringLiteral("Qta001/Sub")));
    EXPECT_EQ(FindExistingPath(root, QStringLiteral("REPORT.QTA")), root + QStringLiteral("/Report.QTA"));
    EXPECT_EQ(FindExistingPath(root, QStringLiteral("report.qta")), root + QStringLiteral("/report.qta"));
    EXPECT_EQ(FindExistingPath(root, QStringLiteral(".hidden.qta")), root + QStringLiteral("/.Hidden.QTA"));
    EXPECT_EQ(FindExistingPath(root + QStringLiteral("//"), QStringLiteral("QTA001\\SUB")),
              root + QStringLiteral("/Qta001/Sub"));
    // A name that differs by more than case, or by length, is not taken.
    EXPECT_EQ(FindExistingPath(root, QStringLiteral("REPORT.QT")), root + QStringLiteral("/REPORT.QT"));
    EXPECT_EQ(FindExistingPath(root, QStringLiteral("REPORT.QTA ")), root + QStringLiteral("/REPORT.QTA "));
    // The folder keeps the case it was given in, even where it does not exist.
    EXPECT_EQ(FindExistingPath(root + QStringLiteral("/QTA001"), QStringLiteral("sub")),
              root + QStringLiteral("/QTA001/sub"));
}

TEST(PathsTest, ExtensionsIgnoreCaseAndOnlyAbsoluteExistingFoldersExist)
{
    EXPECT_TRUE(HasExtension(QStringLiteral("X.Abt"), QStringLiteral(".ABT")));
    EXPECT_FALSE(HasExtension(QStringLiteral("XQTA"), QStringLiteral("QTA")));
    EXPECT_FALSE(HasExtension(QStringLiteral("X.QTA.BAK"), QStringLiteral("QTA")));
    QTemporaryDir dir;
    EXPECT_TRUE(IsExistingFolder(dir.path() + QLatin1Char('/')));
    for (const QString& folder : {dir.path() + QStringLiteral("/missing"), QStringLiteral("C:\\DATA"),
                                  QStringLiteral("C:"), QStringLiteral("."), QString()})
        EXPECT_FALSE(IsExistingFolder(folder)) << folder.toStdString();
}

TEST(PathsTest, ReadOnlyClearsEveryWriteBitAndNormalGivesTheOwnerOneBack)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/F.QTA");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                | QFileDevice::ReadGroup | QFileDevice::WriteGroup
                                                | QFileDevice::ReadOther | QFileDevice::WriteOther));
    EXPECT_EQ(GetAttr(path), AttrNormal);
    ASSERT_TRUE(SetAttr(path, AttrReadOnly + AttrArchive));
    EXPECT_EQ(GetAttr(path), AttrReadOnly);
    const QFileDevice::Permissions modeBits = QFile::permissions(path)
        & ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
    EXPECT_EQ(modeBits, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    ASSERT_TRUE(SetAttr(path, AttrNormal));
    EXPECT_TRUE(QFile::permissions(path) & QFileDevice::WriteOwner);
    EXPECT_FALSE(QFile::permissions(path) & QFileDevice::WriteOther);
    EXPECT_EQ(GetAttr(dir.path() + QStringLiteral("/missing")), -1);
    EXPECT_FALSE(SetAttr(dir.path() + QStringLiteral("/missing"), AttrNormal));
}

TEST(PathsTest, OnlyBareNamesInsideTheFolder)
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
                            "QUINTARA.INI", "Quintara.jpg", "PENDING 1.QTA", "pending 12.qta", "PENDING 3.QTA.BAD",
                            "TEMP.QTA"})
        EXPECT_TRUE(IsProgramOwnFileName(QString::fromUtf8(own))) << own;
    for (const char* other : {"PENDING.QTA", "PENDING x.QTA", "2011.12.08, 10.15.00.QTA", "QUINTARA", "QUINTARAX.DAT",
                              "TEMP.QTA.BAK"})
        EXPECT_FALSE(IsProgramOwnFileName(QString::fromUtf8(other))) << other;
}

} // namespace
