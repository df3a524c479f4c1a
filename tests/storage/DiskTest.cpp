#include "support/Bytes.h"
#include "foundation/Records.h"
#include "platform/OleDate.h"
#include "platform/Paths.h"
#include "platform/ProgramFolder.h"
#include "storage/modDisk.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class DiskTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(m_home.isValid());
        SetProgramFolder(m_home.path());
        SetFixedClock(DateSerial(2024, 1, 5) + TimeSerial(9, 7, 3));
    }
    void TearDown() override
    {
        SetClock({});
        SetProgramFolder(QString());
    }

    QString Path(const QString& name) const { return m_dir.path() + QLatin1Char('/') + name; }
    void MakeFile(const QString& name, const std::string& bytes = "x") const
    {
        QFile f(Path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << name.toStdString();
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    QStringList LogLines() const
    {
        QFile f(m_home.path() + QStringLiteral("/QUINTARA.LOG"));
        if (!f.open(QIODevice::ReadOnly))
            return QStringList();
        QStringList lines = QString::fromLatin1(f.readAll()).split(QStringLiteral("\r\n"));
        lines.removeAll(QString());
        return lines;
    }

    QTemporaryDir m_dir;
    QTemporaryDir m_home;   // the program folder, where the log goes
};

// ---- Paths ------------------------------------------------------------------------------

TEST_F(DiskTest, BuildPathJoinsWithOneSlashAndKeepsTheCaseOfTheFolder)
{
    EXPECT_EQ(dskBuildPath(QStringLiteral("/no/Such/Data"), QStringLiteral("X.QTA")),
              QStringLiteral("/no/Such/Data/X.QTA"));
    EXPECT_EQ(dskBuildPath(QStringLiteral("/no/Such/Data//"), QStringLiteral("X.QTA")),
              QStringLiteral("/no/Such/Data/X.QTA"));
    EXPECT_EQ(dskBuildPath(QStringLiteral("/no/data\\"), QStringLiteral("X.QTA")), QStringLiteral("/no/data/X.QTA"));
    EXPECT_EQ(dskBuildPath(QStringLiteral("/"), QStringLiteral("X.QTA")), QStringLiteral("/X.QTA"));
    EXPECT_EQ(dskBuildPath(QString(), QStringLiteral("X.QTA")), QStringLiteral("/X.QTA"));
    EXPECT_EQ(dskBuildPath(QStringLiteral("/no/data"), QString()), QStringLiteral("/no/data/"));
    EXPECT_EQ(dskBuildPath(QStringLiteral("/no/data/"), QString()), QStringLiteral("/no/data/"));
    // A stored relative name with Windows separators.
    EXPECT_EQ(dskBuildPath(QStringLiteral("/no/data"), QStringLiteral("QTA123\\2011.12.08, 10.15.00.QTA")),
              QStringLiteral("/no/data/QTA123/2011.12.08, 10.15.00.QTA"));
    // A relative first argument, as the long-term search builds its paths.
    EXPECT_EQ(dskBuildPath(QStringLiteral("QTA123"), QStringLiteral("A.QTA")), QStringLiteral("QTA123/A.QTA"));
}

TEST_F(DiskTest, BuildPathFindsDataCopiedFromWindowsWhateverItsCase)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("qta001")));
    MakeFile(QStringLiteral("qta001/2011.12.08, 10.15.00.qta"));
    MakeFile(QStringLiteral("report.Qta"));
    MakeFile(QStringLiteral("EXACT.QTA"));
    MakeFile(QStringLiteral("exact.qta"));

    EXPECT_EQ(dskBuildPath(m_dir.path(), QStringLiteral("REPORT.QTA")), Path(QStringLiteral("report.Qta")));
    EXPECT_EQ(dskBuildPath(m_dir.path(), QStringLiteral("QTA001\\2011.12.08, 10.15.00.QTA")),
              Path(QStringLiteral("qta001/2011.12.08, 10.15.00.qta")));
    EXPECT_EQ(dskBuildPath(m_dir.path(), QStringLiteral("QTA001")), Path(QStringLiteral("qta001")));
    // The exact name wins over one that differs in case.
    EXPECT_EQ(dskBuildPath(m_dir.path(), QStringLiteral("exact.qta")), Path(QStringLiteral("exact.qta")));
    EXPECT_EQ(dskBuildPath(m_dir.path(), QStringLiteral("EXACT.QTA")), Path(QStringLiteral("EXACT.QTA")));
    // A name that is nowhere is the path a new file is made at.
    EXPECT_EQ(dskBuildPath(m_dir.path(), QStringLiteral("QTA001\\NEW.QTA")), Path(QStringLiteral("qta001/NEW.QTA")));
    EXPECT_EQ(dskBuildPath(m_dir.path(), QStringLiteral("QTA002\\NEW.QTA")), Path(QStringLiteral("QTA002/NEW.QTA")));
}

TEST_F(DiskTest, FileExistsFindsVisibleFilesOnly)
{
    MakeFile(QStringLiteral("A.QTA"));
    MakeFile(QStringLiteral("lower.qta"));
    MakeFile(QStringLiteral(".hidden.qta"));
    MakeFile(QStringLiteral("R.QTA"));
    ASSERT_TRUE(SetAttr(Path(QStringLiteral("R.QTA")), AttrReadOnly + AttrArchive));
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("SUB")));

    EXPECT_TRUE(dskFileExists(m_dir.path(), QStringLiteral("A.QTA")));
    EXPECT_TRUE(dskFileExists(m_dir.path() + QLatin1Char('/'), QStringLiteral("A.QTA")));
    EXPECT_TRUE(dskFileExists(m_dir.path(), QStringLiteral("LOWER.QTA")));
    EXPECT_TRUE(dskFileExists(m_dir.path(), QStringLiteral("R.QTA")));
    EXPECT_FALSE(dskFileExists(m_dir.path(), QStringLiteral(".hidden.qta")));
    EXPECT_FALSE(dskFileExists(m_dir.path(), QStringLiteral("SUB")));
    EXPECT_FALSE(dskFileExists(m_dir.path(), QStringLiteral("B.QTA")));
    EXPECT_FALSE(dskFileExists(m_dir.path(), QString()));
    EXPECT_FALSE(dskFileExists(QStringLiteral("C:\\DATA"), QStringLiteral("A.QTA")));
}

TEST_F(DiskTest, FileNamesAreMadeFromDates)
{
    const double date = DateSerial(2024, 1, 5) + TimeSerial(13, 7, 9);
    EXPECT_EQ(dskFileNameFromDate(date, QStringLiteral("QTA")), QStringLiteral("2024.01.05, 13.07.09.QTA"));
    EXPECT_EQ(dskFileNameFromDate(date, QStringLiteral(".ABT")), QStringLiteral("2024.01.05, 13.07.09.ABT"));
    // Splitting rounds to the nearest second first, across midnight too.
    const double late = DateSerial(2023, 12, 31) + TimeSerial(23, 59, 59) + 0.6 / 86400.0;
    EXPECT_EQ(dskFileNameFromDate(late, QStringLiteral("QTA")), QStringLiteral("2024.01.01, 00.00.00.QTA"));
}

TEST_F(DiskTest, EnsureFolderMakesTheSubfolderOnceUnderAnExistingRoot)
{
    EXPECT_TRUE(dskEnsureFolder(m_dir.path(), QStringLiteral("QTA001")));
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("QTA001"))).isDir());
    EXPECT_TRUE(dskEnsureFolder(m_dir.path() + QLatin1Char('/'), QStringLiteral("QTA001")));
    // The name is used as given, and a folder copied in another case counts.
    EXPECT_TRUE(dskEnsureFolder(m_dir.path(), QStringLiteral("qta002")));
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("qta002"))).isDir());
    EXPECT_TRUE(dskEnsureFolder(m_dir.path(), QStringLiteral("QTA002")));
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("QTA002"))));

    MakeFile(QStringLiteral("QTA003"));
    EXPECT_FALSE(dskEnsureFolder(m_dir.path(), QStringLiteral("QTA003")));
    EXPECT_FALSE(dskEnsureFolder(Path(QStringLiteral("missing")), QStringLiteral("QTA001")));
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("missing"))));
    EXPECT_FALSE(dskEnsureFolder(QStringLiteral("C:\\DATA"), QStringLiteral("QTA001")));
    EXPECT_FALSE(dskEnsureFolder(QString(), QStringLiteral("QTA001")));
}

// ---- Common header -----------------------------------------------------------------------

TEST_F(DiskTest, HeaderIsMagicAndVersionText)
{
    BinaryWriter out;
    dskPutHeader(out, "ABT");
    EXPECT_EQ(ToHex(out.Bytes()), ToHex(Hex("41 42 54 03 00 38 2E 30")));
}

TEST_F(DiskTest, HeaderIsReadFromAnOpenFile)
{
    struct Case {
        std::string bytes;
        const char* magic;
        float version;
    };
    const Case cases[] = {
        {Hex("51 54 41 03 00 38 2E 30 AA"), "QTA", 8.0f},
        {Hex("51 54 41 03 00 32 2E 36"), "QTA", 2.6f},
        {Hex("41 42 54 04 00 20 35 2E 39"), "ABT", 5.9f},
        {"QTA", "QTA", NoValue},                         // a 3-byte file has no version
        {"QT", "", NoValue},
        {"", "", NoValue},
        {Hex("51 54 41 00 00"), "QTA", NoValue},         // empty version text
        {Hex("51 54 41 01 00 78"), "QTA", NoValue},      // "x"
        {Hex("51 54 41 03 00 38 2C 30"), "QTA", NoValue},   // "8,0" is not read with a comma
        {Hex("51 54 41 0A 00 38 2E 30"), "QTA", NoValue},   // text cut short
        {Hex("51 54 41 01"), "QTA", NoValue},            // length cut short
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToHex(c.bytes));
        QByteArray data = QByteArray::fromStdString(c.bytes);
        QBuffer file(&data);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(dskReadMagic(file), QLatin1String(c.magic));
        EXPECT_EQ(dskReadVersion(file), c.version);
        EXPECT_EQ(dskReadMagic(c.bytes), QLatin1String(c.magic));
        if (c.bytes.size() >= 3) {
            BinaryReader in(c.bytes);
            in.GetBytes(3);
            EXPECT_EQ(dskReadVersion(in), c.version);
        }
    }

    // The position is left behind the version text, on a real file as well.
    MakeFile(QStringLiteral("H.QTA"), Hex("51 54 41 03 00 38 2E 30 7F"));
    QFile file(Path(QStringLiteral("H.QTA")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(dskReadMagic(file), QStringLiteral("QTA"));
    EXPECT_EQ(dskReadVersion(file), 8.0f);
    EXPECT_EQ(file.pos(), 8);
    EXPECT_EQ(file.read(1), QByteArray("\x7F"));
}

// ---- Listing, trash, free space ------------------------------------------------------------

TEST_F(DiskTest, ListingGivesEveryFileWithHiddenOnesButNoFolders)
{
    MakeFile(QStringLiteral("B.QTA"));
    MakeFile(QStringLiteral("a.qta"));
    MakeFile(QStringLiteral(".hidden"));
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("QTA001")));
    QStringList names = dskListFiles(m_dir.path());
    names.sort();
    EXPECT_EQ(names, (QStringList{QStringLiteral(".hidden"), QStringLiteral("B.QTA"), QStringLiteral("a.qta")}));
    EXPECT_EQ(dskListFiles(m_dir.path() + QLatin1Char('/')).size(), 3);
    EXPECT_TRUE(dskListFiles(Path(QStringLiteral("QTA001"))).isEmpty());
    EXPECT_TRUE(dskListFiles(Path(QStringLiteral("missing"))).isEmpty());
    EXPECT_TRUE(dskListFiles(QStringLiteral("C:\\DATA")).isEmpty());
}

class TrashTest : public DiskTest {
protected:
    void SetUp() override
    {
        DiskTest::SetUp();
        ASSERT_TRUE(m_dataHome.isValid());
        m_savedDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dataHome.path()));
    }
    void TearDown() override
    {
        if (m_savedDataHome.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", m_savedDataHome);
        DiskTest::TearDown();
    }
    QString Trashed(const QString& name) const { return m_dataHome.path() + QStringLiteral("/Trash/files/") + name; }

    QTemporaryDir m_dataHome;
    QByteArray m_savedDataHome;
};

TEST_F(TrashTest, FilesGoToTheTrashButNeverTheSettingsFile)
{
    MakeFile(QStringLiteral("A.QTA"), "first");
    MakeFile(QStringLiteral("r.qta"), "second");
    ASSERT_TRUE(SetAttr(Path(QStringLiteral("r.qta")), AttrReadOnly + AttrArchive));
    MakeFile(QStringLiteral("QUINTARA.DAT"), "settings");
    MakeFile(QStringLiteral("KEEP.QTA"));

    EXPECT_TRUE(dskDeleteFiles(m_dir.path(), {QStringLiteral("A.QTA"), QStringLiteral("R.QTA"),
                                              QStringLiteral("QUINTARA.DAT"), QStringLiteral("quintara.dat"),
                                              QStringLiteral("MISSING.QTA")}));
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("A.QTA"))));
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("r.qta"))));
    EXPECT_TRUE(QFile::exists(Path(QStringLiteral("QUINTARA.DAT"))));
    EXPECT_TRUE(QFile::exists(Path(QStringLiteral("KEEP.QTA"))));
    // Recoverable: the trash holds them with their content.
    QFile trashed(Trashed(QStringLiteral("A.QTA")));
    ASSERT_TRUE(trashed.open(QIODevice::ReadOnly));
    EXPECT_EQ(trashed.readAll(), QByteArray("first"));
    EXPECT_TRUE(QFile::exists(Trashed(QStringLiteral("r.qta"))));
    EXPECT_TRUE(LogLines().isEmpty());
}

TEST_F(TrashTest, NothingToDeleteTouchesNoTrash)
{
    MakeFile(QStringLiteral("QUINTARA.DAT"), "settings");
    EXPECT_TRUE(dskDeleteFiles(m_dir.path(), {QStringLiteral("QUINTARA.DAT"), QStringLiteral("GONE.QTA")}));
    EXPECT_TRUE(dskDeleteFiles(m_dir.path(), QStringList()));
    EXPECT_FALSE(QFileInfo::exists(m_dataHome.path() + QStringLiteral("/Trash")));
    EXPECT_TRUE(QFile::exists(Path(QStringLiteral("QUINTARA.DAT"))));
}

TEST_F(TrashTest, AFileTheTrashRefusesStaysWithItsAttributes)
{
    // A trash that cannot be made: its place is taken by a plain file.
    QFile blocker(m_dataHome.path() + QStringLiteral("/Trash"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    MakeFile(QStringLiteral("A.QTA"), "kept");
    ASSERT_TRUE(SetAttr(Path(QStringLiteral("A.QTA")), AttrReadOnly + AttrArchive));

    EXPECT_FALSE(dskDeleteFiles(m_dir.path(), {QStringLiteral("A.QTA")}));
    QFile kept(Path(QStringLiteral("A.QTA")));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("kept"));
    EXPECT_EQ(GetAttr(Path(QStringLiteral("A.QTA"))), AttrReadOnly);
    const QStringList lines = LogLines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("2024-01-05\t09:07:03\tdskDeleteFiles      \t8.0\t")));
    EXPECT_TRUE(lines[0].contains(QStringLiteral("A.QTA")));
}

TEST_F(DiskTest, FreeSpaceIsReadForAnExistingFolderOnly)
{
    const float free = dskFreeSpaceMB(m_dir.path() + QLatin1Char('/'));
    const double expected = static_cast<double>(QStorageInfo(m_dir.path()).bytesAvailable()) / 1048576.0;
    EXPECT_GE(free, 0.0f);
    EXPECT_NEAR(free, expected, expected * 0.05 + 16.0);
    EXPECT_EQ(dskFreeSpaceMB(Path(QStringLiteral("missing"))), -1.0f);
    EXPECT_EQ(dskFreeSpaceMB(QStringLiteral("C:\\")), -1.0f);
    EXPECT_EQ(dskFreeSpaceMB(QString()), -1.0f);
}

} // namespace
