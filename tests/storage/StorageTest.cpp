#include "StorageTest.h"

#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "foundation/modSettings.h"
#include "instrument/modDataString.h"
#include "main_window/modPending.h"
#include "platform/BinaryIO.h"
#include "platform/Conversions.h"
#include "platform/OleDate.h"
#include "platform/ProgramFolder.h"
#include "platform/SharedFolder.h"
#include "storage/modTestReport.h"

#include <QDir>
#include <QFile>

#include <cstring>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

std::function<void(int fd)> FolderSyncObserver;
QString FailingSyncFolder;
QString LinksRefusedBelow;

extern "C" int link(const char* from, const char* to) noexcept
{
    if (!LinksRefusedBelow.isEmpty() && QFile::decodeName(from).startsWith(LinksRefusedBelow)) {
        errno = EXDEV;
        return -1;
    }
    return static_cast<int>(::syscall(SYS_linkat, AT_FDCWD, from, AT_FDCWD, to, 0));
}

std::function<int(const std::string& call, const std::string& path)> FileCallAnswer;

std::string FullPathAt(int folder, const char* path)
{
    if (folder == AT_FDCWD || path[0] == '/')
        return path;
    const QString spelled = PathOfSharedFolder(folder);
    if (!spelled.isEmpty())
        return QFile::encodeName(spelled).toStdString() + "/" + path;
    char base[PATH_MAX];
    const ssize_t length = ::readlink(("/proc/self/fd/" + std::to_string(folder)).c_str(), base, sizeof base);
    return length > 0 ? std::string(base, static_cast<std::size_t>(length)) + "/" + path : std::string(path);
}

extern "C" int linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags) noexcept
{
    if (!LinksRefusedBelow.isEmpty()
        && QFile::decodeName(FullPathAt(fromFolder, from).c_str()).startsWith(LinksRefusedBelow)) {
        errno = EXDEV;
        return -1;
    }
    const int answer = FileCallAnswer ? FileCallAnswer("link", FullPathAt(toFolder, to)) : 0;
    if (answer > 0) {
        errno = answer;
        return -1;
    }
    const int result = static_cast<int>(::syscall(SYS_linkat, fromFolder, from, toFolder, to, flags));
    if (result == 0 && answer < 0) {
        errno = -answer;
        return -1;
    }
    return result;
}

extern "C" int fsync(int fd)
{
    if (FolderSyncObserver)
        FolderSyncObserver(fd);
    struct stat file {};
    struct stat folder {};
    if (!FailingSyncFolder.isEmpty() && ::fstat(fd, &file) == 0 && S_ISDIR(file.st_mode)
        && ::stat(QFile::encodeName(FailingSyncFolder).constData(), &folder) == 0 && file.st_dev == folder.st_dev
        && file.st_ino == folder.st_ino) {
        errno = EIO;
        return -1;
    }
    return static_cast<int>(::syscall(SYS_fsync, fd));
}

void StorageTest::SetUp()
{
    ASSERT_TRUE(Temp.isValid());
    Program = Temp.path() + QStringLiteral("/Program");
    Data = Temp.path() + QStringLiteral("/Data");
    ASSERT_TRUE(QDir().mkpath(Program));
    ASSERT_TRUE(QDir().mkpath(Data));
    SetProgramFolder(Program);
    ResetSettingsGlobals(Program);
    DataFolder = Data;
    DecimalSeparator = QStringLiteral(".");
}

void StorageTest::TearDown()
{
    LinksRefusedBelow.clear();
    ResetSettingsGlobals(Program);
    DecimalSeparator = QStringLiteral(".");
    SetProgramFolder(QString());
}

QStringList StorageTest::LogLines() const
{
    QFile log(Program + QStringLiteral("/QUINTARA.LOG"));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromLatin1(log.readAll()).split(QStringLiteral("\r\n"));
    lines.removeAll(QString());
    return lines;
}

int StorageTest::LogLinesWith(const QString& text) const
{
    return static_cast<int>(LogLines().filter(u'\t' + text).size());
}

void StorageTest::NewDataFolderBeside(const QString& other) const
{
    QDir(Data).removeRecursively();
    QDir(other).removeRecursively();
    QDir().mkpath(Data);
    QDir().mkpath(other);
    DataFolder = Data;
    SaveSettings();
}

std::vector<Protocol> NextStart()
{
    Protocols = {EmptyProtocol};
    LoadPendingProtocols();
    return Protocols;
}

int ChangeDataFolder(const QString& folder)
{
    if (!BeginDataFolderChange(folder))
        return 1;
    const QString old = DataFolder;
    DataFolder = folder;
    if (!SaveSettings()) {
        DataFolder = old;
        return UndoDataFolderChange() ? 3 : 4;
    }
    if (!FinishDataFolderChange())
        return 2;
    bool ok = false;
    SavePendingProtocols(ok);
    return ok ? 0 : 5;
}

QString NamedDataFolder()
{
    ReadSettingsFile();
    StoredSettingsToGlobals();
    return DataFolder;
}

double At(int hour, int minute, int second)
{
    return DateSerial(2024, 1, 5) + TimeSerial(hour, minute, second);
}

std::string ReadFileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void WriteFileBytes(const QString& path, const std::string& bytes)
{
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes.data(), static_cast<qint64>(bytes.size())), static_cast<qint64>(bytes.size()));
}

bool IsReadOnly(const QString& path)
{
    // The "User" bits say what the running user may do, and root may always write.
    const QFileDevice::Permissions writeBits = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return QFile::exists(path) && (QFile::permissions(path) & writeBits) == 0;
}

std::string Repeat(const std::string& bytes, int n)
{
    std::string result;
    for (int i = 0; i < n; ++i)
        result += bytes;
    return result;
}

Protocol SampleProtocol(const QString& styleName, double date)
{
    Protocol p = EmptyProtocol;
    p.Style.Name = styleName;
    p.Style.Tests[3].Defined1 = true;
    p.Style.Tests[3].Nominal1 = 120.0f;
    p.Style.Forms[1].Name = QStringLiteral("Air");
    p.Style.Forms[1].Items[1].Property = 3;
    p.Reference2 = QStringLiteral("Lot 7");
    p.K1031 = QStringLiteral("Weaving");
    p.Operator = QStringLiteral("Müller");
    p.Date = date;
    p.LastTestDate = date + 0.01;
    for (int b = 1; b <= 2; ++b) {
        PropertyBlock& block = p.Blocks[b];
        block.Header = std::string(58, 'H') + "\r\n";
        for (int t = 1; t <= 5; ++t) {
            TestValue v = EmptyTestValue;
            v.Value1 = 100.0f + static_cast<float>(t);
            v.Unit1 = "a";
            v.Warning = ' ';
            v.Commentary = t == 2 ? QStringLiteral("Fleck") : QString();
            v.DataString = std::string(58, static_cast<char>('0' + t)) + "\r\n";
            v.CurveFile = t == 3 ? "2024.01.05, 13.08.00.ABT" : "";
            v.TestTime = date + t / 1440.0;
            v.K0006 = QStringLiteral("Nest %1").arg(t);
            block.Values.push_back(v);
        }
        block.Commentary = QStringLiteral("Blockkommentar");
        block.Stats.Count = 5;
        block.StartDate = date;
        block.LastTestDate = date + 0.01;
    }
    p.CurrentProperty = 2;
    return p;
}

std::string ReportHeader(const std::string& version)
{
    std::string header = "QTA";
    header += static_cast<char>(version.size());
    header += '\0';
    return header + version;
}

std::string ReportFileBytes(const Protocol& p)
{
    BinaryWriter out;
    PutRecord(out, p);
    return ReportHeader("8.0") + out.Bytes();
}

std::string MakeDataString(const std::string& identifier, const std::string& serial,
                           const std::string& codeLetter, const std::string& parameters28,
                           const std::string& warning, const std::string& result1,
                           const std::string& unit1, const std::string& result2,
                           const std::string& unit2)
{
    std::string s = "\x1E" + identifier + serial + codeLetter + parameters28 + warning + result1
        + unit1 + result2 + unit2 + " " + "0";
    s.resize(57, ' ');
    return s + DataStringChecksum(s) + "\r\n";
}

std::string MakeDataString(const std::string& identifier, const std::string& serial,
                           const std::string& unit1, const std::string& unit2)
{
    return MakeDataString(identifier, serial, "A", std::string(28, ' '), " ", "  12.5", unit1,
                          "      ", unit2);
}

TestValue MakeTest(float value1, const std::string& unit1, double testTime, float value2,
                   const std::string& unit2)
{
    TestValue t = MakeEmptyTestValue();
    t.Value1 = value1;
    t.Unit1 = unit1;
    t.Value2 = value2;
    t.Unit2 = unit2;
    t.Warning = ' ';
    t.TestTime = testTime;
    return t;
}

Statistics MakeStatistics(int count)
{
    Statistics s = MakeEmptyStatistics();
    s.Count = count;
    return s;
}

PropertyBlock MakeBlock(const std::string& header, double startDate, std::initializer_list<TestValue> tests)
{
    PropertyBlock b = MakeEmptyPropertyBlock();
    b.Header = header;
    b.StartDate = startDate;
    b.Values.insert(b.Values.end(), tests);
    b.Stats = MakeStatistics(2);
    return b;
}

void SetResult1(TestDefinition& d, float nominal, float lower, float upper, int16_t testCount)
{
    d.Defined1 = true;
    d.Nominal1 = nominal;
    d.Lower1 = lower;
    d.Upper1 = upper;
    d.TestCount = testCount;
}

Protocol StoredWithNaN(const Protocol& p, float value, const QString& folder, int& replaced)
{
    std::string bytes = ReportFileBytes(p);
    char pattern[4];
    std::memcpy(pattern, &value, 4);
    const std::string from(pattern, 4);
    const std::string nan("\x00\x00\xC0\x7F", 4);
    replaced = 0;
    for (std::size_t at = bytes.find(from); at != std::string::npos; at = bytes.find(from, at + 4)) {
        bytes.replace(at, 4, nan);
        ++replaced;
    }
    WriteFileBytes(folder + QStringLiteral("/NAN.QTA"), bytes);
    return dskGetTestReport(folder, QStringLiteral("NAN.QTA"));
}

namespace {

TestValueBefore60 OldTest(float value, const char* curveFile)
{
    TestValueBefore60 v;
    v.Value1 = value;
    v.Unit1 = "a";
    v.Value2 = NoValue;
    v.Warning = ' ';
    v.Commentary = QStringLiteral("alt");
    v.DataString = std::string(58, '7') + "\r\n";
    v.CurveFile = curveFile;
    return v;
}

} // namespace

PropertyBlockBefore60 OldBlock()
{
    PropertyBlockBefore60 b;
    b.Header = std::string(58, 'H') + "\r\n";
    TestValueBefore60 empty;
    empty.Value1 = empty.Value2 = NoValue;
    empty.Warning = ' ';
    b.Values = {empty, OldTest(11.5f, "2011.12.08, 10.16.00.ABT"), OldTest(12.5f, "")};
    b.LateralAir = NoValue;
    b.Stats = MakeStatistics(2);
    b.StartDate = DateSerial(2011, 12, 8);
    return b;
}

ProtocolBefore60 Old26Protocol()
{
    ProtocolBefore60 p;
    p.Style = BlankStyle;
    p.Style.Name = QStringLiteral("abc");
    p.Reference3 = QStringLiteral("Rolle 4");
    p.Operator = QStringLiteral("Meier");
    p.Date = DateSerial(2011, 12, 8) + TimeSerial(10, 15, 0);
    p.Blocks[1] = OldBlock();
    p.Blocks[2] = OldBlock();
    for (int b = 3; b <= PropertyCount; ++b)
        p.Blocks[b].Values.resize(1);
    p.FormIndex = 2;
    p.CurrentProperty = 2;
    return p;
}
