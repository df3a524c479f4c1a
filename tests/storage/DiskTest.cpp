#include "StorageTest.h"
#include "support/Bytes.h"
#include "support/ChildProcess.h"
#include "support/ReadOnlyFolder.h"

#include "foundation/Records.h"
#include "foundation/modLog.h"
#include "platform/OleDate.h"
#include "platform/Paths.h"
#include "platform/ProgramFolder.h"
#include "storage/modDisk.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStorageInfo>
#include <QTemporaryDir>

#include <functional>
#include <initializer_list>
#include <sys/mount.h>
#include <unistd.h>
#include <utility>

namespace {

class DiskTest : public StorageTest {
protected:
    void SetUp() override
    {
        StorageTest::SetUp();
        SetFixedClock(At(9, 7, 3));
    }
    void TearDown() override
    {
        SetClock({});
        StorageTest::TearDown();
    }

    QString Path(const QString& name) const { return Data + QLatin1Char('/') + name; }
    void MakeFile(const QString& name, const std::string& bytes = "x") const { WriteFileBytes(Path(name), bytes); }
    void MakeFiles(std::initializer_list<const char*> names) const
    {
        for (const char* name : names)
            MakeFile(QString::fromUtf8(name));
    }
};

// ---- Paths ------------------------------------------------------------------------------

TEST(DiskPaths, BuildPathJoinsWithOneSlashAndKeepsTheCaseOfTheFolder)
{
    const struct {
        const char* folder;
        const char* name;
        const char* path;
    } cases[] = {
        {"/no/Such/Data", "X.QTA", "/no/Such/Data/X.QTA"},
        {"/no/Such/Data//", "X.QTA", "/no/Such/Data/X.QTA"},
        {"/no/data\\", "X.QTA", "/no/data/X.QTA"},
        {"/", "X.QTA", "/X.QTA"},
        {"", "X.QTA", "/X.QTA"},
        {"/no/data", "", "/no/data/"},
        {"/no/data/", "", "/no/data/"},
        // A stored relative name with Windows separators.
        {"/no/data", "QTA123\\2011.12.08, 10.15.00.QTA", "/no/data/QTA123/2011.12.08, 10.15.00.QTA"},
        // A relative first argument, as the long-term search builds its paths.
        {"QTA123", "A.QTA", "QTA123/A.QTA"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dskBuildPath(QLatin1String(c.folder), QLatin1String(c.name)), QLatin1String(c.path))
            << c.folder << " " << c.name;
}

TEST_F(DiskTest, BuildPathFindsDataCopiedFromWindowsWhateverItsCase)
{
    ASSERT_TRUE(QDir(Data).mkdir(QStringLiteral("qta001")));
    MakeFiles({"qta001/2011.12.08, 10.15.00.qta", "report.Qta", "EXACT.QTA", "exact.qta"});
    const std::pair<const char*, const char*> cases[] = {
        {"REPORT.QTA", "report.Qta"},
        {"QTA001\\2011.12.08, 10.15.00.QTA", "qta001/2011.12.08, 10.15.00.qta"},
        {"QTA001", "qta001"},
        // The exact name wins over one that differs in case.
        {"exact.qta", "exact.qta"}, {"EXACT.QTA", "EXACT.QTA"},
        // A name that is nowhere is the path a new file is made at.
        {"QTA001\\NEW.QTA", "qta001/NEW.QTA"}, {"QTA002\\NEW.QTA", "QTA002/NEW.QTA"},
    };
    for (const auto& [name, found] : cases)
        EXPECT_EQ(dskBuildPath(Data, QLatin1String(name)), Path(QLatin1String(found))) << name;
}

TEST_F(DiskTest, FileExistsFindsVisibleFilesWhileTheListingHasHiddenOnesButNoFolders)
{
    MakeFiles({"A.QTA", "lower.qta", ".hidden.qta", "R.QTA"});
    ASSERT_TRUE(SetAttr(Path(QStringLiteral("R.QTA")), AttrReadOnly + AttrArchive));
    ASSERT_TRUE(QDir(Data).mkdir(QStringLiteral("SUB")));

    for (const char* name : {"A.QTA", "LOWER.QTA", "R.QTA"})
        EXPECT_TRUE(dskFileExists(Data, QLatin1String(name))) << name;
    EXPECT_TRUE(dskFileExists(Data + QLatin1Char('/'), QStringLiteral("A.QTA")));
    for (const char* name : {".hidden.qta", "SUB", "B.QTA"})
        EXPECT_FALSE(dskFileExists(Data, QLatin1String(name))) << name;
    EXPECT_FALSE(dskFileExists(Data, QString()));
    EXPECT_FALSE(dskFileExists(QStringLiteral("C:\\DATA"), QStringLiteral("A.QTA")));

    QStringList names = dskListFiles(Data);
    names.sort();
    EXPECT_EQ(names, (QStringList{QStringLiteral(".hidden.qta"), QStringLiteral("A.QTA"), QStringLiteral("R.QTA"),
                                  QStringLiteral("lower.qta")}));
    EXPECT_EQ(dskListFiles(Data + QLatin1Char('/')).size(), 4);
    EXPECT_TRUE(dskListFiles(Path(QStringLiteral("SUB"))).isEmpty());
    EXPECT_TRUE(dskListFiles(Path(QStringLiteral("missing"))).isEmpty());
    EXPECT_TRUE(dskListFiles(QStringLiteral("C:\\DATA")).isEmpty());
}

TEST_F(DiskTest, AFolderIsListedByNameAsAWindowsFileSystemListsItWhateverOrderItWasFilledIn)
{
    // By the names' code units upper-cased ("_" after the letters, "ä"
    // after "_"), a shorter name before its continuations, names alike but
    // for case by their exact code units; made in an order unlike it.
    const QStringList expected = {QStringLiteral("10.QTA"), QStringLiteral("9.QTA"),  QStringLiteral("A.QTA"),
                                  QStringLiteral("a.QTA"),  QStringLiteral("a.qta"),  QStringLiteral("AB.QTA"),
                                  QStringLiteral("b.QTA"),  QStringLiteral("Z.QTA"),  QStringLiteral("_1.QTA"),
                                  QString::fromUtf8("\xc3\xa4.QTA")};
    for (qsizetype i = expected.size(); i-- > 0;)
        MakeFile(expected.at(i));
    EXPECT_EQ(dskListFiles(Data), expected);
}

TEST_F(DiskTest, FileNamesAreMadeFromDates)
{
    const double date = At(13, 7, 9);
    EXPECT_EQ(dskFileNameFromDate(date, QStringLiteral("QTA")), QStringLiteral("2024.01.05, 13.07.09.QTA"));
    EXPECT_EQ(dskFileNameFromDate(date, QStringLiteral(".ABT")), QStringLiteral("2024.01.05, 13.07.09.ABT"));
    // Splitting rounds to the nearest second first, across midnight too.
    const double late = DateSerial(2023, 12, 31) + TimeSerial(23, 59, 59) + 0.6 / 86400.0;
    EXPECT_EQ(dskFileNameFromDate(late, QStringLiteral("QTA")), QStringLiteral("2024.01.01, 00.00.00.QTA"));
}

TEST_F(DiskTest, EnsureFolderMakesTheSubfolderOnceUnderAnExistingRoot)
{
    EXPECT_TRUE(dskEnsureFolder(Data, QStringLiteral("QTA000")));
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("QTA000"))).isDir());
    EXPECT_TRUE(dskEnsureFolder(Data + QLatin1Char('/'), QStringLiteral("QTA001")));
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("QTA001"))).isDir());
    // A folder copied in another case counts.
    EXPECT_TRUE(dskEnsureFolder(Data, QStringLiteral("qta002")));
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("qta002"))).isDir());
    EXPECT_TRUE(dskEnsureFolder(Data, QStringLiteral("QTA002")));
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("QTA002"))));

    MakeFile(QStringLiteral("QTA003"));
    EXPECT_FALSE(dskEnsureFolder(Data, QStringLiteral("QTA003")));
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
        // The position is left behind the version text.
        if (c.version == 8.0f) {
            EXPECT_EQ(file.read(1), QByteArray("\xAA"));
        }
    }
}

// ---- Trash, free space -------------------------------------------------------------------

class TrashTest : public DiskTest {
protected:
    void SetUp() override
    {
        DiskTest::SetUp();
        m_savedDataHome = qgetenv("XDG_DATA_HOME");
        ASSERT_TRUE(QDir().mkpath(DataHome()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(DataHome()));
    }
    void TearDown() override
    {
        if (m_savedDataHome.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", m_savedDataHome);
        DiskTest::TearDown();
    }
    QString DataHome() const { return Temp.path() + QStringLiteral("/share"); }
    QString Trashed(const QString& name) const { return DataHome() + QStringLiteral("/Trash/files/") + name; }
    QString TrashInfo(const QString& name) const
    {
        return DataHome() + QStringLiteral("/Trash/info/") + name + QStringLiteral(".trashinfo");
    }

    QByteArray m_savedDataHome;
};

TEST_F(TrashTest, FilesGoToTheTrashButNeverTheProgramsOwnOrOnesOutsideTheFolder)
{
    // Nothing to delete touches no trash.
    MakeFile(QStringLiteral("QUINTARA.DAT"), "QUINTARA.DAT");
    EXPECT_TRUE(dskDeleteFiles(Data, {QStringLiteral("QUINTARA.DAT"), QStringLiteral("GONE.QTA")}));
    EXPECT_TRUE(dskDeleteFiles(Data, QStringList()));
    EXPECT_FALSE(QFileInfo::exists(DataHome() + QStringLiteral("/Trash")));

    // Names as a damaged or foreign report may carry them as curve files.
    const char* const own[] = {"QUINTARA.DAT", "QUINTARA.DAT.BAK", "QUINTARA.DAT.BAD2", "QUINTARA.LOG",
                               "QUINTARA.LCK", "QUINTARA.INI", "QUINTARA.JPG", "PENDING 1.QTA", "pending 12.qta",
                               "PENDING 3.QTA.BAD", "TEMP.QTA"};
    for (const char* name : own)
        MakeFile(QString::fromUtf8(name), name);
    WriteFileBytes(Temp.path() + QStringLiteral("/x.QTA"), "outside");
    ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("QTA199"))));
    MakeFile(QStringLiteral("QTA199/R.QTA"), "report");
    MakeFile(QStringLiteral("r.abt"), "curve");
    ASSERT_TRUE(SetAttr(Path(QStringLiteral("r.abt")), AttrReadOnly + AttrArchive));

    QStringList names = {QStringLiteral("..\\x.QTA"), QStringLiteral("../x.QTA"), QStringLiteral("QTA199\\..\\..\\x.QTA"),
                         QStringLiteral("quintara.log"), QStringLiteral("Pending 1.qta"), QStringLiteral("Temp.qta"),
                         QStringLiteral("QTA199\\R.QTA"), QStringLiteral("R.ABT"), QStringLiteral("MISSING.QTA")};
    for (const char* name : own)
        names << QString::fromUtf8(name);
    EXPECT_TRUE(dskDeleteFiles(Data, names));
    for (const char* name : own)
        EXPECT_EQ(ReadFileBytes(Path(QString::fromUtf8(name))), name);
    EXPECT_EQ(ReadFileBytes(Temp.path() + QStringLiteral("/x.QTA")), "outside");
    // Only the report in its style folder and the curve (read-only, named in
    // another case) went, recoverable from the trash.
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("r.abt"))));
    EXPECT_EQ(ReadFileBytes(Trashed(QStringLiteral("R.QTA"))), "report");
    EXPECT_EQ(ReadFileBytes(Trashed(QStringLiteral("r.abt"))), "curve");
    EXPECT_EQ(QDir(DataHome() + QStringLiteral("/Trash/files")).entryList(QDir::Files | QDir::Hidden).size(), 2);
    // One log line per name that reaches outside the folder.
    EXPECT_EQ(LogLinesWith(QStringLiteral("dskDeleteFiles      \t") + QLatin1String(ProgramVersion) + QStringLiteral("\t64\tBad file name: ")), 3);
}

TEST_F(TrashTest, AFileTheTrashRefusesStaysWithItsAttributes)
{
    // A trash that cannot be made: its place is taken by a plain file.
    WriteFileBytes(DataHome() + QStringLiteral("/Trash"), "");
    MakeFile(QStringLiteral("A.QTA"), "kept");
    ASSERT_TRUE(SetAttr(Path(QStringLiteral("A.QTA")), AttrReadOnly + AttrArchive));

    EXPECT_FALSE(dskDeleteFiles(Data, {QStringLiteral("A.QTA")}));
    EXPECT_EQ(ReadFileBytes(Path(QStringLiteral("A.QTA"))), "kept");
    EXPECT_EQ(GetAttr(Path(QStringLiteral("A.QTA"))), AttrReadOnly);
    EXPECT_EQ(LogLinesWith(QStringLiteral("dskDeleteFiles      \t") + QLatin1String(ProgramVersion) + QStringLiteral("\t")), 1);
    const QStringList lines = LogLines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("2024-01-05\t09:07:03\tdskDeleteFiles      \t") + QLatin1String(ProgramVersion) + QStringLiteral("\t")));
    EXPECT_TRUE(lines[0].contains(QStringLiteral("A.QTA")));
}

// The info file of a trashed file, as a trash reader takes it: whole when
// it holds the group, a Path and a DeletionDate and ends its last line.
struct TrashInfoFile {
    bool Whole = false;
    QString Path;      // percent-decoded
    QByteArray Raw;    // as written
};

TrashInfoFile ReadTrashInfo(const QString& file)
{
    TrashInfoFile info;
    const QByteArray bytes = QByteArray::fromStdString(ReadFileBytes(file));
    const QList<QByteArray> lines = bytes.split('\n');
    static const QRegularExpression date(QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d$"));
    bool hasDate = false;
    for (const QByteArray& line : lines) {
        if (line.startsWith("Path="))
            info.Raw = line.mid(5);
        else if (line.startsWith("DeletionDate="))
            hasDate = date.match(QString::fromLatin1(line.mid(13))).hasMatch();
    }
    info.Path = QFile::decodeName(QByteArray::fromPercentEncoding(info.Raw));
    info.Whole = lines.first() == "[Trash Info]" && !info.Raw.isEmpty() && hasDate && bytes.endsWith('\n');
    return info;
}

TEST_F(TrashTest, AMoveKilledAtAnyFileCallLeavesTheFileWholeInPlaceOrWholeInTheTrashWithItsInfo)
{
    const QString name = QStringLiteral("R 7.QTA");
    const std::string bytes(3000, 'r');
    const auto prepare = [&] {
        QDir(DataHome() + QStringLiteral("/Trash")).removeRecursively();
        MakeFile(name, bytes);
    };
    const auto move = [&] {
        SystemError error;
        return dskMoveToTrash(Path(name), error) ? 0 : 1;
    };
    int trashed = 0;
    const auto check = [&](int) {
        const bool inPlace = QFile::exists(Path(name));
        ASSERT_NE(inPlace, QFile::exists(Trashed(name)));
        if (inPlace) {
            ASSERT_EQ(ReadFileBytes(Path(name)), bytes);
            return;
        }
        ASSERT_EQ(ReadFileBytes(Trashed(name)), bytes);
        const TrashInfoFile info = ReadTrashInfo(TrashInfo(name));
        ASSERT_TRUE(info.Whole) << info.Raw.toStdString();
        ASSERT_EQ(info.Path, Path(name));
        ++trashed;
    };
    const int kills = KillBeforeEachFileCall(prepare, move, check);
    if (kills < 0)
        GTEST_SKIP() << "no tracing of a child";
    // The info file, the move, the folder's sync at least; the last run
    // went through.
    EXPECT_GE(kills, 3);
    EXPECT_GT(trashed, 1);
}

TEST_F(TrashTest, ARenameAnsweredAsFailedKeepsTheInfoFileWhereItWasDone)
{
    // A share may apply the rename into the trash and lose its answer, or
    // refuse it: the info file stays exactly where the file went.
    const struct {
        const char* what;
        int answer;     // as FileCallAnswer gives it: below 0 done all the same
        bool moved;
    } rows[] = {
        {"done, answered as failed", -EIO, true},
        {"refused", EIO, false},
    };
    const std::string bytes(3000, 'r');
    const QString name = QStringLiteral("R 7.QTA");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        QDir(DataHome() + QStringLiteral("/Trash")).removeRecursively();
        MakeFile(name, bytes);
        const std::string trashed = QFile::encodeName(Trashed(name)).toStdString();
        FileCallAnswer = [&](const std::string& call, const std::string& path) {
            return call == "rename" && path == trashed ? row.answer : 0;
        };
        SystemError error;
        const bool done = dskMoveToTrash(Path(name), error);
        FileCallAnswer = nullptr;
        EXPECT_EQ(done, row.moved);
        EXPECT_EQ(QFile::exists(Path(name)), !row.moved);
        ASSERT_EQ(QFile::exists(Trashed(name)), row.moved);
        if (row.moved) {
            EXPECT_EQ(ReadFileBytes(Trashed(name)), bytes);
            const TrashInfoFile info = ReadTrashInfo(TrashInfo(name));
            EXPECT_TRUE(info.Whole) << info.Raw.toStdString();
            EXPECT_EQ(info.Path, Path(name));
        } else {
            EXPECT_EQ(ReadFileBytes(Path(name)), bytes);
            EXPECT_EQ(QDir(DataHome() + QStringLiteral("/Trash/info")).entryList(QDir::Files | QDir::Hidden),
                      QStringList());
        }
    }
}

TEST_F(TrashTest, AnInfoFileThatCannotBeWrittenKeepsTheFileInPlace)
{
    // A disk as full as a file size limit below an info file's length
    // makes it; the file itself is there already.
    const std::string bytes(3000, 'r');
    MakeFile(QStringLiteral("R.QTA"), bytes);
    const int result = RunWithFileSizeLimit(16, [&] {
        SystemError error;
        if (dskMoveToTrash(Path(QStringLiteral("R.QTA")), error))
            return 1;
        return error.Number == 61 ? 0 : 2;
    });
    if (result == ChildSetupFailed)
        GTEST_SKIP() << "no file size limit";
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadFileBytes(Path(QStringLiteral("R.QTA"))), bytes);
    EXPECT_FALSE(QFile::exists(Trashed(QStringLiteral("R.QTA"))));
    EXPECT_TRUE(QDir(DataHome() + QStringLiteral("/Trash/info")).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(TrashTest, ANameWithABlankAndAPercentSignIsFoundAgainThroughItsPath)
{
    // "%41" would come back as "A" from a Path written as it stands.
    const QString name = QStringLiteral("Lot 7 %41 100%.QTA");
    MakeFile(name, "report");
    SystemError error;
    ASSERT_TRUE(dskMoveToTrash(Path(name), error));
    EXPECT_EQ(ReadFileBytes(Trashed(name)), "report");
    const TrashInfoFile info = ReadTrashInfo(TrashInfo(name));
    EXPECT_TRUE(info.Whole);
    EXPECT_EQ(info.Path, Path(name));
    EXPECT_FALSE(info.Raw.contains(' ')) << info.Raw.toStdString();
}

TEST_F(TrashTest, AFileOnAnotherFileSystemGoesToTheTrashAtItsTopWithAPathRelativeToIt)
{
    // A file system of its own, mounted in a child's own mount namespace
    // inside the test's folder: its trash is .Trash-<uid> at its top, and
    // Path there is relative to that top, so the trash still names the file
    // wherever the file system is mounted next.
    const QString top = Temp.path() + QStringLiteral("/mounted");
    ASSERT_TRUE(QDir().mkpath(top));
    const QByteArray mountPoint = QFile::encodeName(top);
    const QString uid = QString::number(::geteuid());
    const int result = RunInMountNamespace([&] {
        if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=1m") != 0)
            return ChildSetupFailed;
        if (!QDir().mkpath(top + QStringLiteral("/lot 7")))
            return 2;
        WriteFileBytes(top + QStringLiteral("/lot 7/R 100%.QTA"), "report");
        SystemError error;
        if (!dskMoveToTrash(top + QStringLiteral("/lot 7/R 100%.QTA"), error))
            return 3;
        const QString trash = top + QStringLiteral("/.Trash-") + uid;
        if (ReadFileBytes(trash + QStringLiteral("/files/R 100%.QTA")) != "report")
            return 4;
        const TrashInfoFile info = ReadTrashInfo(trash + QStringLiteral("/info/R 100%.QTA.trashinfo"));
        if (!info.Whole || info.Raw != "lot%207/R%20100%25.QTA")
            return 5;
        // Nothing of it in the home trash.
        return QDir(DataHome() + QStringLiteral("/Trash/files")).isEmpty() ? 0 : 6;
    });
    if (result == ChildSetupFailed)
        GTEST_SKIP() << "no file system of its own can be mounted here";
    EXPECT_EQ(result, 0);
}

TEST_F(TrashTest, ASecondFileOfOneNameLeavesTheFirstOneAndItsInfoWhole)
{
    MakeFile(QStringLiteral("R.QTA"), "first");
    SystemError error;
    ASSERT_TRUE(dskMoveToTrash(Path(QStringLiteral("R.QTA")), error));
    MakeFile(QStringLiteral("R.QTA"), "second");
    ASSERT_TRUE(dskMoveToTrash(Path(QStringLiteral("R.QTA")), error));
    for (const auto& [name, bytes] : {std::pair{"R.QTA", "first"}, std::pair{"R.2.QTA", "second"}}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ReadFileBytes(Trashed(QString::fromLatin1(name))), bytes);
        const TrashInfoFile info = ReadTrashInfo(TrashInfo(QString::fromLatin1(name)));
        EXPECT_TRUE(info.Whole) << info.Raw.toStdString();
        EXPECT_EQ(info.Path, Path(QStringLiteral("R.QTA")));
    }
}

// A file system of its own at Temp/mounted, in a child's mount namespace,
// with the folders and the file given to the user the work runs as: a
// file there goes to the trash at its top.
int WithFileSystemOfItsOwn(const QString& top, const std::function<int()>& work)
{
    const QByteArray mountPoint = QFile::encodeName(top);
    return RunInMountNamespace([&] {
        if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=1m,mode=0755") != 0)
            return ChildSetupFailed;
        return work();
    });
}

TEST_F(TrashTest, AFileInTheTrashKeepsItsWriteProtection)
{
    // The move needs the right to write the folders, not the file: a user
    // who may not write the report still trashes it, and it stays
    // read-only in the trash, in the home trash and in a .Trash-<uid>.
    const QString top = Temp.path() + QStringLiteral("/mounted");
    ASSERT_TRUE(QDir().mkpath(top));
    const auto readOnlyFile = [](const QString& path) {
        WriteFileBytes(path, "report");
        return SetAttr(path, AttrReadOnly + AttrArchive);
    };
    const auto chownAll = [](const QStringList& paths) {
        for (const QString& path : paths)
            ChownToNobody(QFile::encodeName(path).constData());
    };
    const auto trashAsUser = [](const QString& file, const QString& trashed) {
        return RunUnprivileged([&] {
            SystemError error;
            if (!dskMoveToTrash(file, error))
                return 1;
            if (QFile::exists(file) || ReadFileBytes(trashed) != "report")
                return 2;
            return GetAttr(trashed) == AttrReadOnly ? 0 : 3;
        });
    };

    // Through dskDeleteFiles, as the detail window deletes a report.
    ASSERT_TRUE(readOnlyFile(Path(QStringLiteral("A.QTA"))));
    EXPECT_TRUE(dskDeleteFiles(Data, {QStringLiteral("A.QTA")}));
    EXPECT_EQ(ReadFileBytes(Trashed(QStringLiteral("A.QTA"))), "report");
    EXPECT_EQ(GetAttr(Trashed(QStringLiteral("A.QTA"))), AttrReadOnly);

    // The home trash, by a user without the right to write the file.
    ASSERT_TRUE(readOnlyFile(Path(QStringLiteral("B.QTA"))));
    chownAll({Temp.path(), Data, DataHome(), DataHome() + QStringLiteral("/Trash"),
              DataHome() + QStringLiteral("/Trash/files"), DataHome() + QStringLiteral("/Trash/info")});
    EXPECT_EQ(trashAsUser(Path(QStringLiteral("B.QTA")), Trashed(QStringLiteral("B.QTA"))), 0);

    // The trash at the top of another file system.
    const int result = WithFileSystemOfItsOwn(top, [&] {
        const QString uid = QString::number(::geteuid() == 0 ? NobodyId : ::geteuid());
        if (!QDir().mkpath(top + QStringLiteral("/lot")) || !readOnlyFile(top + QStringLiteral("/lot/C.QTA")))
            return 4;
        chownAll({top, top + QStringLiteral("/lot")});
        return trashAsUser(top + QStringLiteral("/lot/C.QTA"), top + QStringLiteral("/.Trash-") + uid
                                                                  + QStringLiteral("/files/C.QTA"));
    });
    if (result == ChildSetupFailed)
        GTEST_SKIP() << "no file system of its own can be mounted here";
    EXPECT_EQ(result, 0);
}

TEST_F(TrashTest, ATrashFolderOfAnotherUserOrALinkIsNotUsed)
{
    // $top/.Trash-$uid must be the user's own folder, not a link: another
    // user could read or remove what goes there. The file then stays.
    const QString top = Temp.path() + QStringLiteral("/mounted");
    ASSERT_TRUE(QDir().mkpath(top));
    const QString trash = top + QStringLiteral("/.Trash-") + QString::number(::geteuid());
    const struct {
        const char* name;
        std::function<bool()> make;
    } cases[] = {
        {"another user's",
         [&] {
             return QDir().mkpath(trash + QStringLiteral("/files")) && QDir().mkpath(trash + QStringLiteral("/info"))
                    && ::chown(QFile::encodeName(trash).constData(), NobodyId, NobodyId) == 0;
         }},
        {"a link",
         [&] {
             const QString elsewhere = top + QStringLiteral("/elsewhere");
             return QDir().mkpath(elsewhere + QStringLiteral("/files")) && QDir().mkpath(elsewhere + QStringLiteral("/info"))
                    && QFile::link(elsewhere, trash);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int result = WithFileSystemOfItsOwn(top, [&] {
            if (::geteuid() != 0 || !QDir().mkpath(top + QStringLiteral("/lot")) || !c.make())
                return ChildSetupFailed;
            WriteFileBytes(top + QStringLiteral("/lot/R.QTA"), "report");
            SystemError error;
            if (dskMoveToTrash(top + QStringLiteral("/lot/R.QTA"), error))
                return 1;
            if (ReadFileBytes(top + QStringLiteral("/lot/R.QTA")) != "report")
                return 2;
            const QDir files(trash + QStringLiteral("/files"));
            const QDir info(trash + QStringLiteral("/info"));
            return files.isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
                           && info.isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
                       ? 0
                       : 3;
        });
        if (result == ChildSetupFailed)
            GTEST_SKIP() << "no file system of its own, or no other user's folder, here";
        EXPECT_EQ(result, 0);
    }
}

TEST_F(DiskTest, FreeSpaceIsReadForAnExistingFolderOnly)
{
    const double expected = static_cast<double>(QStorageInfo(Data).bytesAvailable()) / 1048576.0;
    EXPECT_NEAR(dskFreeSpaceMB(Data + QLatin1Char('/')), expected, expected * 0.05 + 16.0);
    EXPECT_EQ(dskFreeSpaceMB(Path(QStringLiteral("missing"))), -1.0f);
    EXPECT_EQ(dskFreeSpaceMB(QStringLiteral("C:\\")), -1.0f);
    EXPECT_EQ(dskFreeSpaceMB(QString()), -1.0f);
}

TEST_F(DiskTest, NameKeysListEveryEntryOnceIgnoringCase)
{
    MakeFiles({"A.qta", ".hidden"});
    ASSERT_TRUE(QDir(Data).mkdir(QStringLiteral("QTA001")));
    const QSet<QString> keys = dskFolderNameKeys(Data);
    EXPECT_EQ(keys, (QSet<QString>{dskNameKey(QStringLiteral("a.QTA")), dskNameKey(QStringLiteral(".HIDDEN")),
                                   dskNameKey(QStringLiteral("qta001"))}));
    EXPECT_EQ(dskNameKey(QStringLiteral("Ä.QTA")), dskNameKey(QStringLiteral("ä.qta")));
    EXPECT_TRUE(dskFolderNameKeys(Path(QStringLiteral("missing"))).isEmpty());
}

TEST_F(DiskTest, AMoveNeverReplacesAndLeavesNoSecondCopy)
{
    ASSERT_TRUE(QDir(Data).mkdir(QStringLiteral("to")));
    MakeFile(QStringLiteral("A.QTA"), "report");
    ASSERT_TRUE(SetAttr(Path(QStringLiteral("A.QTA")), AttrReadOnly));
    SystemError error;
    ASSERT_TRUE(dskMoveFileNew(Path(QStringLiteral("A.QTA")), Path(QStringLiteral("to/A.QTA")), error));
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("A.QTA"))));
    EXPECT_EQ(ReadFileBytes(Path(QStringLiteral("to/A.QTA"))), "report");
    EXPECT_TRUE(IsReadOnly(Path(QStringLiteral("to/A.QTA"))));

    // An existing target, read-only or not, stays; so does the file.
    MakeFile(QStringLiteral("B.QTA"), "new");
    MakeFile(QStringLiteral("to/B.QTA"), "earlier");
    EXPECT_FALSE(dskMoveFileNew(Path(QStringLiteral("B.QTA")), Path(QStringLiteral("to/B.QTA")), error));
    EXPECT_EQ(error.Number, 75);
    EXPECT_EQ(ReadFileBytes(Path(QStringLiteral("B.QTA"))), "new");
    EXPECT_EQ(ReadFileBytes(Path(QStringLiteral("to/B.QTA"))), "earlier");

    // To another file system: copied with its mode, the original gone; a
    // source folder that keeps its files leaves no copy behind.
    QTemporaryDir shm(QStringLiteral("/dev/shm/quintara-XXXXXX"));
    if (!shm.isValid() || QStorageInfo(shm.path()).device() == QStorageInfo(Data).device())
        GTEST_SKIP() << "no second file system here";
    const QString far = shm.path() + QStringLiteral("/A.QTA");
    ASSERT_TRUE(dskMoveFileNew(Path(QStringLiteral("to/A.QTA")), far, error));
    EXPECT_EQ(ReadFileBytes(far), "report");
    EXPECT_TRUE(IsReadOnly(far));
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("to/A.QTA"))));
    EXPECT_FALSE(dskMoveFileNew(Path(QStringLiteral("B.QTA")), far, error));
    EXPECT_EQ(ReadFileBytes(far), "report");
    {
        ReadOnlyFolder readOnly(Path(QStringLiteral("to")));
        if (!readOnly.Active())
            GTEST_SKIP() << "the folder cannot be made read-only here";
        EXPECT_FALSE(dskMoveFileNew(Path(QStringLiteral("to/B.QTA")), shm.path() + QStringLiteral("/B.QTA"), error));
        EXPECT_FALSE(dskMoveFileNew(Path(QStringLiteral("to/B.QTA")), Path(QStringLiteral("C.QTA")), error));
    }
    EXPECT_EQ(QDir(shm.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("A.QTA")});
    EXPECT_EQ(ReadFileBytes(Path(QStringLiteral("to/B.QTA"))), "earlier");
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("C.QTA"))));
}

} // namespace
