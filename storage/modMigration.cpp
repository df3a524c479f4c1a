#include "storage/modMigration.h"

#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modLog.h"
#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "foundation/modSettings.h"
#include "instrument/ExpectedDataString.h"
#include "instrument/modDataString.h"
#include "platform/Conversions.h"
#include "platform/Cp1252.h"
#include "platform/ErrorCodes.h"
#include "platform/IniFile.h"
#include "platform/OleDate.h"
#include "platform/Paths.h"
#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"
#include "platform/Text.h"
#include "storage/modABTFile.h"
#include "storage/modDisk.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <charconv>
#include <initializer_list>
#include <cmath>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {


// The list limits of the settings file.
constexpr std::size_t MaxStyles = 30000;
constexpr std::size_t MaxReportForms = 100;

// Old text lines: the shortest that is read, and the longest that is held.
constexpr std::size_t MinOldLineLength = 131;
constexpr std::size_t MaxOldLineLength = 64 * 1024;

// Old curve files.
constexpr qint64 OldCurveFileSize = 3138;
constexpr std::size_t OldCurveHeadLength = 136;
constexpr std::size_t OldDataStringLength = 41;

// How far a report name made from an old date moves on when it was written
// before in the same run: one second at a time, at most an hour.
constexpr int MaxStampMoves = 3600;

constexpr double OneSecond = 1.0 / 86400.0;

// n characters from position p (counted from 1); past the end gives what
// there is, or "".
std::string Mid(const std::string& text, std::size_t position, std::size_t length)
{
    if (position < 1 || position > text.size())
        return std::string();
    return text.substr(position - 1, length);
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool AllDigits(const std::string& text)
{
    if (text.empty())
        return false;
    for (const char c : text)
        if (!IsDigit(c))
            return false;
    return true;
}

// The number of a field of digits only; -1 for anything else.
int DigitsValue(const std::string& text)
{
    if (!AllDigits(text))
        return -1;
    int value = 0;
    for (const char c : text)
        value = value * 10 + (c - '0');
    return value;
}

QString OldText(const std::string& bytes)
{
    return Trim(FromCp1252(bytes));
}

// Test type and unit code of result 1 by instrument and measuring mode.
struct ModeRow {
    int16_t InstrumentCode;
    int Mode;               // -1: any mode
    int16_t TestType;
    const char* Unit;
};

const ModeRow ModeTable[] = {
    {1, -1, 1, ""},
    {2, 1, 2, "f"},   {2, 2, 2, "g"},   {2, 3, 3, "h"},   {2, 4, 3, "i"},
    {2, 6, 4, "k"},   {2, 7, 4, "l"},   {2, 8, 5, "k"},   {2, 9, 5, "l"},
    {3, 1, 7, "t"},   {3, 2, 7, "s"},   {3, 3, 8, "t"},   {3, 4, 8, "s"},
    {4, 1, 9, "8"},   {4, 2, 9, "="},   {4, 3, 9, ";"},
    {5, 1, 12, "C"},  {5, 2, 11, "a"},
    {9, 1, 16, "U"},  {9, 2, 16, "V"},  {9, 3, 16, "W"},  {9, 4, 16, "X"},
    {9, 5, 16, "Z"},  {9, 7, 16, "Y"},  {9, 9, 16, "H"},
    {12, -1, 18, "H"},
    {13, -1, 19, "7"},
    {15, -1, 20, "`"},
};

const ModeRow* FindMode(int16_t instrumentCode, int mode)
{
    for (const ModeRow& row : ModeTable)
        if (row.InstrumentCode == instrumentCode && (row.Mode == -1 || row.Mode == mode))
            return &row;
    return nullptr;
}

// Model identifier and code letter of the expected data string by test type.
struct HeaderRow {
    int16_t TestType;
    const char* Identifier;
    const char* CodeLetter;
};

const HeaderRow HeaderTable[] = {
    {1, "0000000", ""},
    {2, "D  7041", "F"},  {3, "D  7041", "N"},  {4, "D  7041", "A"},  {5, "D  7041", "P"},
    {7, "MP 4300", "U"},  {8, "MP 4300", "D"},
    {9, "MP 4800", "y"},  {10, "MP 4800", "s"},
    {11, "KR 6100", "K"}, {12, "KR 6100", "G"}, {13, "KR 6100", "P"},
    {16, "KR 6400", ""},
    {18, "KR 6450", ""},
    // The identifier the current instrument of this property sends.
    {19, "KR 6850", ""},
    {20, "LLISTER", ""},
};

// "ten digits and a real date": year, month, day, hour, minute in positions
// 2 to 11; false for anything else.
bool ReadOldStamp(const std::string& line, double& date, double& time)
{
    const std::string digits = Mid(line, 2, 10);
    if (digits.size() != 10 || !AllDigits(digits))
        return false;
    const int yy = DigitsValue(digits.substr(0, 2));
    const int year = yy < 91 ? 2000 + yy : 1900 + yy;
    const int month = DigitsValue(digits.substr(2, 2));
    const int day = DigitsValue(digits.substr(4, 2));
    const int hour = DigitsValue(digits.substr(6, 2));
    const int minute = DigitsValue(digits.substr(8, 2));
    if (!QDate::isValid(year, month, day) || hour > 23 || minute > 59)
        return false;
    date = DateSerial(year, month, day);
    time = TimeSerial(hour, minute, 0);
    return true;
}

bool AllPresent(std::initializer_list<float> values)
{
    for (const float v : values)
        if (v == NoValue)
            return false;
    return true;
}

void SetSeriesDate(Protocol& p, double date)
{
    p.Date = date;
    p.LastTestDate = date;
    p.Blocks[1].StartDate = date;
    p.Blocks[1].LastTestDate = date;
}

// The date of a name "yyyy.mm.dd, hh.nn.ss.EXT"; 0 when it is none. Read
// by its digits: a local time that a clock change skips is still a name.
double DateOfStampName(const QString& name)
{
    bool ok[6] = {};
    const int year = name.mid(0, 4).toInt(&ok[0]);
    const int month = name.mid(5, 2).toInt(&ok[1]);
    const int day = name.mid(8, 2).toInt(&ok[2]);
    const int hour = name.mid(12, 2).toInt(&ok[3]);
    const int minute = name.mid(15, 2).toInt(&ok[4]);
    const int second = name.mid(18, 2).toInt(&ok[5]);
    for (const bool b : ok)
        if (!b)
            return 0;
    if (!QDate::isValid(year, month, day) || !QTime::isValid(hour, minute, second))
        return 0;
    return DateSerial(year, month, day) + TimeSerial(hour, minute, second);
}

// Reads a text file line by line in pieces, so that no line is held longer
// than the limit: a longer one is reported as too long, with no text.
class OldTextReader {
public:
    explicit OldTextReader(QFile& file) : m_file(file) {}

    // The next line without its end (CR LF, LF or CR); false at the end.
    bool Next(std::string& line, bool& tooLong)
    {
        line.clear();
        tooLong = false;
        bool any = false;
        for (;;) {
            if (m_pos >= m_buffer.size() && !Fill())
                return any;
            any = true;
            const char* data = m_buffer.constData();
            const qsizetype size = m_buffer.size();
            qsizetype end = m_pos;
            while (end < size && data[end] != '\r' && data[end] != '\n')
                ++end;
            if (!tooLong) {
                line.append(data + m_pos, static_cast<std::size_t>(end - m_pos));
                if (line.size() > MaxOldLineLength) {
                    tooLong = true;
                    line.clear();
                    line.shrink_to_fit();
                }
            }
            m_pos = end;
            if (end < size) {
                const char ending = data[end];
                ++m_pos;
                // CR LF may be split between two pieces.
                if (ending == '\r' && (m_pos < m_buffer.size() || Fill()) && m_buffer.at(m_pos) == '\n')
                    ++m_pos;
                return true;
            }
        }
    }

private:
    bool Fill()
    {
        m_buffer = m_file.read(PieceSize);
        m_pos = 0;
        return !m_buffer.isEmpty();
    }

    static constexpr qint64 PieceSize = 64 * 1024;
    QFile& m_file;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
};

int16_t ReadInt16(const std::string& bytes, std::size_t offset)
{
    if (offset + 2 > bytes.size())
        return 0;
    const auto low = static_cast<unsigned char>(bytes[offset]);
    const auto high = static_cast<unsigned char>(bytes[offset + 1]);
    return static_cast<int16_t>(static_cast<uint16_t>(low | (high << 8)));
}

void LogError(const SystemError& error, const QString& what, const QString& procName)
{
    WriteLog(error.Number, error.Text + QStringLiteral(": ") + what, procName);
}

// The number ErrorFromErrno gives a write that found no room: ENOSPC, EDQUOT
// and EFBIG (a file size limit) alike.
constexpr int32_t DiskFullNumber = 61;

// One report that could not be written or moved. Only room on the disk is
// asked for at the end, and only when it was the cause: a read-only source
// folder needs no room, and the operator would look in vain.
void CountFailure(ImportRun& run, const SystemError& error)
{
    ++run.Failed;
    if (error.Number == DiskFullNumber)
        run.DiskFull = true;
}

// Converted lines are reports written only to be moved into their style
// folders a moment later. Waiting for the disk after each of them would cost
// more than all else the import does, so they are written under hidden
// temporary names without it, the disk is waited for once per batch, and
// only then do they take their names (never replacing one). A crash leaves
// at most hidden temporary files, never a report whose bytes are missing.
constexpr std::size_t StagedBatchSize = 500;
const char* const StagedNamePattern = "/.QTA-import-XXXXXX";

struct StagedReport {
    QString TempPath;
    QString Name;
};

void RemoveStaged(const QString& tempPath)
{
    UnlinkInSharedFolder(tempPath);
}

// The report's bytes in a new read-only file under a hidden temporary name
// in the folder; "" after one log line, with the error in failure.
QString WriteStagedReport(const QString& folder, const QString& name, const Protocol& record, SystemError& failure)
{
    const QString procName = QStringLiteral("ImportInstrumentFile");
    BinaryWriter out;
    dskPutHeader(out, "QTA");
    PutRecord(out, record);
    const std::string& bytes = out.Bytes();
    // Made in the folder as reached from the chosen one, never through a
    // link laid at a folder's name.
    QByteArray pattern = QFile::encodeName(folder + QString::fromLatin1(StagedNamePattern));
    QByteArray leaf;
    const int at = OpenSharedFolderOf(QFile::decodeName(pattern), leaf, failure);
    int fd = -1;
    for (int attempt = 0; at >= 0 && attempt < 100 && fd < 0; ++attempt) {
        QByteArray staged = leaf;
        for (qsizetype i = staged.size() - 6; i < staged.size(); ++i)
            staged[i] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"[QRandomGenerator::global()->bounded(62)];
        fd = ::openat(at, staged.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0)
            pattern = pattern.left(pattern.size() - leaf.size()) + staged;
        else if (errno != EEXIST)
            break;
    }
    CloseSharedFolder(at);
    if (fd < 0) {
        failure = ErrorFromErrno(errno);
        LogError(failure, JoinPath(folder, name), procName);
        return QString();
    }
    const QString tempPath = QFile::decodeName(pattern);
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    int reason = ::fchmod(fd, S_IRUSR | S_IRGRP | S_IROTH) == 0 ? 0 : errno;
    while (reason == 0 && left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            reason = written == 0 ? ENOSPC : errno;
            break;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    // A network file system may report a full disk only here.
    if (::close(fd) != 0 && reason == 0)
        reason = errno;
    if (reason != 0) {
        failure = ErrorFromErrno(reason);
        LogError(failure, JoinPath(folder, name), procName);
        RemoveStaged(tempPath);
        return QString();
    }
    return tempPath;
}

// True when everything written to the file system holding the folder is on
// the disk.
bool SyncFileSystemOf(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::syncfs(fd) == 0;
    ::close(fd);
    return synced;
}

// One file onto the disk, where the whole file system could not be.
bool SyncFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fdatasync(fd) == 0 || errno == EINVAL || errno == ENOTSUP;
    ::close(fd);
    return synced;
}

// Waits for the disk once, then gives every staged report its name. A
// report that cannot be synced or named is removed, with one log line, and
// its name is free again.
void CommitStaged(const QString& folder, std::vector<StagedReport>& staged, ImportRun& run)
{
    if (staged.empty())
        return;
    const bool synced = SyncFileSystemOf(folder);
    for (const StagedReport& report : staged) {
        const QString path = JoinPath(folder, report.Name);
        SystemError error;
        if (!synced && !SyncFile(report.TempPath))
            error = ErrorFromErrno(errno, path);
        else if (dskMoveFileNew(report.TempPath, path, error))
            continue;
        WriteLog(error.Number, error.Text + QStringLiteral(": ") + path, QStringLiteral("ImportInstrumentFile"));
        RemoveStaged(report.TempPath);
        run.SourceKeys.remove(dskNameKey(report.Name));
        CountFailure(run, error);
    }
    // The new names onto the disk too, once a batch.
    SyncFolder(folder);
    staged.clear();
}

// The settings with what the import added. A settings file that cannot be
// written would lose the new styles at the next start without a word, so
// message 31 asks while it fails, Yes trying again. False when the operator
// gave up: the reports already lie in their style folders, and the styles
// stay in the list in memory until a later save of the settings (the
// program's end saves them) gets them into the file. The operator is told
// so (message 43) when there are new styles to lose.
bool SaveImportSettings(const ImportRun& run)
{
    while (!SaveSettings()) {
        if (ShowMessage(31) != AnswerYes) {
            WriteLog(0,
                     QStringLiteral("settings file not written after the import: %1 new style(s) are in the "
                                    "list only until the settings are saved again")
                         .arg(run.Styles),
                     QStringLiteral("RunImport"));
            if (run.Styles > 0)
                ShowMessage(43);
            return false;
        }
    }
    return true;
}

// The names in a style folder below the data folder, listed once per run.
QSet<QString>& StyleFolderKeys(const QString& styleFolder, ImportRun& run)
{
    const QString target = dskBuildPath(DataFolder, styleFolder);
    auto listed = run.TargetKeys.find(target);
    if (listed == run.TargetKeys.end())
        listed = run.TargetKeys.emplace(target, dskFolderNameKeys(target)).first;
    return listed->second;
}

// Writes one converted line into the source folder under a name free in
// this run; the name is taken when the batch is committed.
void StoreConvertedLine(Protocol protocol, const QString& folder, ImportRun& run,
                        std::vector<StagedReport>& staged)
{
    const QString extension = QStringLiteral("QTA");
    QString name = dskFileNameFromDate(protocol.Date, extension);
    if (run.SourceWritten.contains(dskNameKey(name))) {
        int move = 1;
        for (; move <= MaxStampMoves; ++move) {
            name = dskFileNameFromDate(protocol.Date + move * OneSecond, extension);
            if (!run.SourceWritten.contains(dskNameKey(name)))
                break;
        }
        if (move > MaxStampMoves)
            return;
        // The dates of the series are those its name says.
        const double moved = DateOfStampName(name);
        SetSeriesDate(protocol, moved != 0 ? moved : protocol.Date + move * OneSecond);
    }
    // A report of that name in the source folder or in its style folder:
    // this line was converted before. Its name stays taken, so that the next
    // line of the same minute finds its own report of the earlier run.
    const QString key = dskNameKey(name);
    if (run.SourceKeys.contains(key)
        || StyleFolderKeys(dskStyleFolderName(protocol.Style.Name), run).contains(key)) {
        run.SourceWritten.insert(key);
        return;
    }
    SystemError failure;
    const QString tempPath = WriteStagedReport(folder, name, protocol, failure);
    if (tempPath.isEmpty()) {
        CountFailure(run, failure);
        return;
    }
    run.SourceKeys.insert(key);
    run.SourceWritten.insert(key);
    staged.push_back(StagedReport{tempPath, name});
    if (staged.size() >= StagedBatchSize)
        CommitStaged(folder, staged, run);
}

} // namespace

// ---------------------------------------------------------------------------
// Records

OldRecord MakeEmptyOldRecord()
{
    OldRecord r;
    r.Mean1 = r.Min1 = r.Max1 = NoValue;
    r.Mean2 = r.Min2 = r.Max2 = NoValue;
    r.CV1 = r.CV2 = NoValue;
    r.Values1.assign(1, NoValue);
    r.Values2.assign(1, NoValue);
    return r;
}

OldRecord EmptyOldRecord = MakeEmptyOldRecord();

bool IsEmptyOldRecord(const OldRecord& r)
{
    const OldRecord& e = EmptyOldRecord;
    return r.InstrumentCode == e.InstrumentCode && r.TestDate == e.TestDate && r.TestTime == e.TestTime
        && r.StyleName == e.StyleName && r.Reference2 == e.Reference2 && r.Reference3 == e.Reference3
        && r.Operator == e.Operator && r.TestCount == e.TestCount && r.TestType == e.TestType
        && r.Unit == e.Unit && r.Mean1 == e.Mean1 && r.Min1 == e.Min1 && r.Max1 == e.Max1
        && r.Mean2 == e.Mean2 && r.Min2 == e.Min2 && r.Max2 == e.Max2 && r.CV1 == e.CV1 && r.CV2 == e.CV2
        && r.Values1.size() == e.Values1.size() && r.Values2.size() == e.Values2.size();
}

// ---------------------------------------------------------------------------
// The old files

OldFileSet ReadOldIni(const QString& folder)
{
    OldFileSet set;
    set.Folder = folder;
    const QString iniName = QStringLiteral("QUINTARA.INI");
    // A user copies the old installation's file beside its data; else the
    // program folder's is read.
    QString path = IsExistingFolder(folder) ? dskBuildPath(folder, iniName) : QString();
    if (path.isEmpty() || !QFileInfo(path).isFile())
        path = ProgramFolder().isEmpty() ? QString() : dskBuildPath(ProgramFolder(), iniName);
    IniFile ini;
    if (!path.isEmpty())
        ini.Load(path);

    struct Key {
        const char* Name;
        const char* Default;
        QString OldFileSet::*Field;
    };
    static const Key keys[] = {
        {"Datei[1]", "MAN.DAT", &OldFileSet::File1},     {"Datei[3]", "BAL.DAT", &OldFileSet::File3},
        {"Datei[4]", "4300.DAT", &OldFileSet::File4},    {"Datei[5]", "4800.DAT", &OldFileSet::File5},
        {"Datei[6]", "6100.DAT", &OldFileSet::File6},    {"Datei[7]", "6400.DAT", &OldFileSet::File7},
        {"Datei[8]", "6450.DAT", &OldFileSet::File8},    {"Datei[9]", "6800.DAT", &OldFileSet::File9},
        {"Datei[10]", "LISTER.DAT", &OldFileSet::File10},
    };
    for (const Key& key : keys) {
        // The old reader took at most 254 characters of a value.
        const QString value = ini.Value(QStringLiteral("Daten"), QString::fromLatin1(key.Name),
                                        QString::fromLatin1(key.Default))
                                  .left(254);
        // "C:\QDATA\BAL.DAT" names BAL.DAT, looked for in the source folder.
        const qsizetype cut = std::max(value.lastIndexOf(u'\\'), value.lastIndexOf(u'/'));
        const QString part = value.mid(cut + 1);
        if (!IsBareStoredName(part)) {
            WriteLog(ClassicError::BadFileName, QStringLiteral("Bad file name: %1=%2").arg(QString::fromLatin1(key.Name), value),
                     QStringLiteral("ReadOldIni"));
            continue;
        }
        set.*key.Field = part;
    }
    return set;
}

float ParseOldNumber(const std::string& text)
{
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && text[i] == ' ')
        ++i;
    std::string number;
    // from_chars takes a minus sign only.
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-')
            number += '-';
        ++i;
    }
    int digits = 0;
    bool point = false;
    while (i < n && (IsDigit(text[i]) || ((text[i] == '.' || text[i] == ',') && !point))) {
        if (IsDigit(text[i])) {
            ++digits;
            number += text[i];
        } else {
            point = true;
            number += '.';
        }
        ++i;
    }
    if (digits == 0)
        return NoValue;
    if (i < n && (text[i] == 'E' || text[i] == 'e')) {
        number += 'e';
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-'))
            number += text[i++];
        int exponentDigits = 0;
        while (i < n && IsDigit(text[i])) {
            number += text[i++];
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return NoValue;
    }
    while (i < n && text[i] == ' ')
        ++i;
    if (i != n)
        return NoValue;
    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size())
        return NoValue;
    if (!std::isfinite(value) || std::fabs(value) > static_cast<double>(std::numeric_limits<float>::max()))
        return NoValue;
    const float single = static_cast<float>(value);
    return single > 0.0001f ? single : NoValue;
}

OldRecord ParseOldLine(int16_t instrumentCode, const std::string& line)
{
    if (line.size() < MinOldLineLength)
        return EmptyOldRecord;
    const char kind = line[0];
    if (kind != '\x1E' && kind != '\x1D' && kind != '\x1C')
        return EmptyOldRecord;
    OldRecord r = EmptyOldRecord;
    if (!ReadOldStamp(line, r.TestDate, r.TestTime))
        return EmptyOldRecord;
    r.StyleName = OldText(Mid(line, 12, 20));
    if (r.StyleName.isEmpty())
        return EmptyOldRecord;
    r.Reference2 = OldText(Mid(line, 32, 20));
    r.Reference3 = OldText(Mid(line, 52, 20));
    r.Operator = OldText(Mid(line, 72, 20));
    const int count = DigitsValue(Trim(Mid(line, 92, 2)));
    if (count < 1 || count > 99)
        return EmptyOldRecord;
    const int mode = DigitsValue(Mid(line, 94, 1));
    if (mode < 0)
        return EmptyOldRecord;
    const ModeRow* row = FindMode(instrumentCode, mode);
    if (!row)
        return EmptyOldRecord;
    r.InstrumentCode = instrumentCode;
    r.TestCount = static_cast<int16_t>(count);
    r.TestType = row->TestType;
    r.Unit = row->Unit;

    if (kind == '\x1E') {
        r.Mean1 = r.Min1 = r.Max1 = ParseOldNumber(Mid(line, 103, 10));
        r.Mean2 = r.Min2 = r.Max2 = ParseOldNumber(Mid(line, 113, 10));
        r.CV1 = ParseOldNumber(Mid(line, 123, 5));
        r.CV2 = ParseOldNumber(Mid(line, 128, 5));
    } else {
        r.Mean1 = ParseOldNumber(Mid(line, 103, 10));
        r.Min1 = ParseOldNumber(Mid(line, 113, 10));
        r.Max1 = ParseOldNumber(Mid(line, 123, 10));
        r.Mean2 = ParseOldNumber(Mid(line, 133, 10));
        r.Min2 = ParseOldNumber(Mid(line, 143, 10));
        r.Max2 = ParseOldNumber(Mid(line, 153, 10));
        r.CV1 = ParseOldNumber(Mid(line, 163, 5));
        r.CV2 = ParseOldNumber(Mid(line, 168, 5));
    }
    if (kind == '\x1C') {
        // Pairs of 20 characters while the pair begins inside the line; a
        // cut last pair counts when what is left still forms a number.
        for (std::size_t p = 173; p < line.size(); p += 20) {
            const float value1 = ParseOldNumber(Mid(line, p, 10));
            if (value1 == NoValue)
                continue;
            r.Values1.push_back(value1);
            r.Values2.push_back(ParseOldNumber(Mid(line, p + 10, 10)));
        }
    }
    if (!AllPresent({r.Mean1, r.Min1, r.Max1}))
        return EmptyOldRecord;
    if ((instrumentCode == 4 || instrumentCode == 12) && !AllPresent({r.Mean2, r.Min2, r.Max2}))
        return EmptyOldRecord;
    return r;
}

std::string BuildHeaderImage(int16_t testType, const DataStringRecord& d)
{
    ExpectedDataStringInput input;
    for (const HeaderRow& row : HeaderTable) {
        if (row.TestType == testType) {
            input.Identifier = row.Identifier;
            input.CodeLetter = row.CodeLetter;
            break;
        }
    }
    // Eleven blanks where no model is known: an empty identifier pads to seven.
    input.Parameters = {d.Parameter1, d.Parameter2, d.Parameter3, d.Parameter4};
    input.ParameterUnits = {ToCp1252(d.Parameter1Unit), ToCp1252(d.Parameter2Unit), ToCp1252(d.Parameter3Unit),
                            ToCp1252(d.Parameter4Unit)};
    input.ResultUnit = ToCp1252(d.ResultUnit);
    // The tensile tester sends its elongation in % (code "n") as result 2,
    // and the result units are compared even where the expected one is blank.
    input.Result2Unit = ToCp1252(d.Result2Unit);
    if (input.Result2Unit.empty() && testType == 9)
        input.Result2Unit = "n";
    return BuildExpectedDataString(input);
}

Protocol ConvertOldRecord(const OldRecord& r)
{
    const int t = r.TestType;
    if (t < 1 || t > TestTypeCount || r.TestCount < 1)
        return EmptyProtocol;
    const int n = r.TestCount;
    const QString migration = QString::fromLatin1(MigrationText);

    Protocol p = EmptyProtocol;
    p.Style = BlankStyle;
    p.Style.Name = r.StyleName;

    TestDefinition& def = p.Style.Tests[t];
    def.Defined1 = false;
    def.Defined2 = false;
    def.Nominal1 = r.Mean1;
    def.Lower1 = r.Mean1 == NoValue ? NoValue : r.Mean1 - r.Mean1 / 10;
    def.Upper1 = r.Mean1 == NoValue ? NoValue : r.Mean1 + r.Mean1 / 10;
    def.Nominal2 = r.Mean2;
    def.Lower2 = r.Mean2 == NoValue ? NoValue : r.Mean2 - r.Mean2 / 10;
    def.Upper2 = r.Mean2 == NoValue ? NoValue : r.Mean2 + r.Mean2 / 10;
    def.CI1 = NoValue;
    def.CI2 = NoValue;
    def.TestCount = r.TestCount;
    DataStringRecord d = EmptyDataStringRecord;
    d.InstrumentCode = r.InstrumentCode;
    d.ResultUnit = FromCp1252(r.Unit);
    def.HeaderImage = BuildHeaderImage(static_cast<int16_t>(t), d);

    // A form of its own per test type: styles refer to stored forms by name,
    // and one name shared by all would give every style the test type of the
    // first once a form is saved in the editor.
    ReportForm& form = p.Style.Forms[1];
    form.Name = migration + QLatin1Char(' ') + QString::number(t);
    form.Items[1].Property = static_cast<int16_t>(t);
    form.Items[1].Histogram = false;
    form.Items[1].Curve = false;
    p.FormIndex = 1;
    p.CurrentProperty = 1;

    p.Reference2 = r.Reference2;
    p.Reference3 = r.Reference3;
    p.Reference4 = migration;
    p.Operator = r.Operator;
    p.Date = r.TestDate + r.TestTime;
    p.LastTestDate = p.Date;
    p.Finished = true;

    PropertyBlock& block = p.Blocks[1];
    block.Header = def.HeaderImage;
    block.Values.assign(1, EmptyTestValue);
    for (int i = 1; i <= n; ++i) {
        TestValue v = EmptyTestValue;
        v.Value1 = static_cast<std::size_t>(i) < r.Values1.size() ? r.Values1[static_cast<std::size_t>(i)] : r.Mean1;
        v.Value2 = static_cast<std::size_t>(i) < r.Values2.size() ? r.Values2[static_cast<std::size_t>(i)] : r.Mean2;
        v.Unit1 = r.Unit;
        v.Unit2.clear();
        v.Commentary.clear();
        v.DataString.clear();
        v.CurveFile.clear();
        v.Deleted = false;
        block.Values.push_back(v);
    }
    block.LateralAirOn = false;
    block.LateralAir = NoValue;
    block.Commentary = migration;

    Statistics& s = block.Stats;
    s.Count = n;
    s.Sum1 = static_cast<double>(r.Mean1) * n;
    s.SumSq1 = static_cast<double>(r.Mean1) * n * static_cast<double>(r.Mean1);
    if (r.Mean2 != NoValue) {
        s.Sum2 = static_cast<double>(r.Mean2) * n;
        s.SumSq2 = static_cast<double>(r.Mean2) * n * static_cast<double>(r.Mean2);
    } else {
        s.Sum2 = NoValue;
        s.SumSq2 = NoValue;
    }
    s.Mean1 = r.Mean1;
    s.Mean2 = r.Mean2;
    s.Min1 = r.Min1;
    s.Min2 = r.Min2;
    s.Max1 = r.Max1;
    s.Max2 = r.Max2;
    s.CV1 = r.CV1;
    s.CV2 = r.CV2;
    s.CI1 = NoValue;
    s.CI2 = NoValue;
    block.StartDate = p.Date;
    block.LastTestDate = p.Date;
    block.Terminated = true;
    return p;
}

bool IsOldCurveFile(const QString& folder, const QString& name)
{
    // The name first: it costs no disk access.
    if (name.size() <= 8)
        return false;
    std::string digits;
    for (int i = 0; i < 8; ++i) {
        const char16_t c = name[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        digits += static_cast<char>(c);
    }
    const int lastDigit = DigitsValue(digits.substr(0, 1));
    const int year = lastDigit < 5 ? 2000 + lastDigit : 1990 + lastDigit;
    if (!QDate::isValid(year, DigitsValue(digits.substr(1, 2)), DigitsValue(digits.substr(3, 2))))
        return false;
    if (!dskFileExists(folder, name))
        return false;
    QFile file(dskBuildPath(folder, name));
    if (file.size() != OldCurveFileSize || !file.open(QIODevice::ReadOnly))
        return false;
    return file.read(3) == QByteArray("\x1E" "66");
}

ABTCurve ReadOldCurve(const std::string& bytes)
{
    const std::string oldString = bytes.substr(0, std::min(bytes.size(), OldDataStringLength));
    ABTCurve curve = EmptyABTCurve;
    curve.Header = ConvertOldDataString(oldString);
    const bool shortString = oldString.find('\r') == 34;
    curve.Factor1 = ReadInt16(bytes, shortString ? 46 : 51);
    curve.Factor2 = ReadInt16(bytes, shortString ? 48 : 53);
    for (int i = 0; i < AbtSampleCount; ++i) {
        const std::size_t at = 2 * static_cast<std::size_t>(i);
        // The blocks lie 1000 bytes apart: entries 500 to 511 of p1 and p2
        // are the first values of the next block.
        curve.P1[i] = static_cast<float>(ReadInt16(bytes, 136 + at) / 15.0 * curve.Factor1);
        curve.P2[i] = static_cast<float>(ReadInt16(bytes, 1136 + at) / 15.0 * curve.Factor2);
        curve.S[i] = static_cast<float>(ReadInt16(bytes, 2136 + at) / 7895.0);
    }
    return curve;
}

// ---------------------------------------------------------------------------
// One import

ImportRun BeginImportRun(const QString& folder)
{
    ImportRun run;
    run.SourceKeys = dskFolderNameKeys(folder);
    run.DataKeysBefore = dskFolderNameKeys(DataFolder);
    return run;
}

void ImportInstrumentFile(int16_t instrumentCode, const QString& folder, const QString& name, ImportRun& run)
{
    if (name.isEmpty() || !dskFileExists(folder, name))
        return;
    // Read a line at a time, so of any size; never a pipe laid at the name.
    QFile file;
    SystemError error;
    if (!OpenSharedFileToRead(file, dskBuildPath(folder, name), NoSizeLimit, error)) {
        LogError(error, dskBuildPath(folder, name), QStringLiteral("ImportInstrumentFile"));
        return;
    }
    OldTextReader reader(file);
    std::vector<StagedReport> staged;
    std::string line;
    bool tooLong = false;
    while (reader.Next(line, tooLong)) {
        const std::string stamp = Mid(line, 2, 10);
        if (tooLong || stamp.size() != 10 || !AllDigits(stamp))
            continue;
        const OldRecord record = ParseOldLine(instrumentCode, line);
        if (IsEmptyOldRecord(record))
            continue;
        const Protocol protocol = ConvertOldRecord(record);
        if (IsEmptyProtocol(protocol))
            continue;
        StoreConvertedLine(protocol, folder, run, staged);
    }
    CommitStaged(folder, staged, run);
}

void ImportCurveFile(const QString& folder, const QString& name, ImportRun& run)
{
    const QString procName = QStringLiteral("ImportCurveFile");
    if (!IsOldCurveFile(folder, name))
        return;
    const QString path = dskBuildPath(folder, name);
    QFile file;
    SystemError error;
    if (!OpenSharedFileToRead(file, path, OldCurveFileSize, error)) {
        LogError(error, path, procName);
        return;
    }
    const QByteArray raw = file.read(OldCurveFileSize + 1);
    if (raw.size() != OldCurveFileSize)
        return;
    const std::string bytes = raw.toStdString();
    const QDateTime modified = file.fileTime(QFileDevice::FileModificationTime);
    file.close();

    // 1. Date from the name, time from the file.
    const int lastDigit = name[0].digitValue();
    const int year = lastDigit < 5 ? 2000 + lastDigit : 1990 + lastDigit;
    const double date = DateSerial(year, name.mid(1, 2).toInt(), name.mid(3, 2).toInt());
    const double time = TimeSerial(modified.time().hour(), modified.time().minute(), modified.time().second());
    const std::string converted = ConvertOldDataString(bytes.substr(0, OldDataStringLength));
    const DataStringRecord parsed = ParseDataString(converted);

    // 2. The curve record.
    const ABTCurve curve = ReadOldCurve(bytes);

    // 3. The record of the file.
    OldRecord r = EmptyOldRecord;
    r.InstrumentCode = 12;
    r.TestType = 18;
    r.TestCount = 1;
    r.TestDate = date;
    r.TestTime = time;
    const std::string head = bytes.substr(0, OldCurveHeadLength);
    r.StyleName = OldText(head.substr(56, 20));
    r.Reference2 = OldText(head.substr(76, 20));
    r.Reference3 = OldText(head.substr(96, 20));
    r.Operator = OldText(head.substr(116, 20));
    r.Unit = UnitCode(parsed.ResultUnit, Language);
    // Language 6 has no unit texts to look the code up by: the string's own.
    if (r.Unit == " " && converted.size() >= 48)
        r.Unit = converted.substr(47, 1);
    r.Mean1 = r.Min1 = r.Max1 = parsed.Result;
    r.Values1 = {NoValue, parsed.Result};
    r.Mean2 = r.Min2 = r.Max2 = parsed.Result2;
    r.Values2 = {NoValue, parsed.Result2};
    if (r.StyleName.isEmpty() || !IsPresentValue(parsed.Result) || !IsPresentValue(parsed.Result2))
        return;

    // 4. The series, with the received string where the curve needs it.
    Protocol p = ConvertOldRecord(r);
    if (IsEmptyProtocol(p))
        return;
    p.Style.Tests[18].HeaderImage = converted;
    p.Blocks[1].Header = converted;
    p.Style.Forms[1].Name += QStringLiteral(" C");
    p.Style.Forms[1].Items[1].Curve = true;
    p.Blocks[1].Values[1].DataString = converted;

    // Converted before: its curve name was there when the run began.
    const double when = date + time;
    if (run.DataKeysBefore.contains(dskNameKey(dskFileNameFromDate(when, QStringLiteral("ABT")))))
        return;
    // A report that cannot join the list of styles is not stored at all,
    // where no search would find it.
    if (FindStyleIndex(p.Style.Name, Styles) == 0 && Styles.size() > MaxStyles) {
        run.StyleLimitReached = true;
        return;
    }

    // 5. The curve file; its stamp moves on past names taken in this run.
    SystemError failure;
    const QString curveName = abtFilePut(curve, when, &failure);
    if (curveName.isEmpty()) {
        CountFailure(run, failure);
        return;
    }
    const double stamp = DateOfStampName(curveName);
    SetSeriesDate(p, stamp != 0 ? stamp : when);
    p.Blocks[1].Values[1].CurveFile = ToCp1252(curveName);

    // 6. The report into its style folder; without it the curve is no use.
    if (!dskSaveNewTestReport(p, nullptr, &failure)) {
        CountFailure(run, failure);
        const QString curvePath = JoinPath(DataFolder, curveName);
        SetAttr(curvePath, AttrNormal);
        if (UnlinkInSharedFolder(curvePath) != 0)
            LogError(ErrorFromErrno(errno, curvePath), curvePath, procName);
        return;
    }
    const QString styleFolder = dskBuildPath(DataFolder, dskStyleFolderName(p.Style.Name));
    const auto listed = run.TargetKeys.find(styleFolder);
    if (listed != run.TargetKeys.end())
        listed->second.insert(dskNameKey(dskFileNameFromDate(p.Date, QStringLiteral("QTA"))));
    ++run.Files;
    if (MergeStyleOfReport(p, run) == ImportDone)
        ++run.Styles;
}

int MergeStyleOfReport(const Protocol& report, ImportRun& run)
{
    if (IsEmptyProtocol(report))
        return NoReport;
    const QString& name = report.Style.Name;
    if (Trim(name).isEmpty() || FindStyleIndex(name, Styles) != 0)
        return StyleKnown;
    // Element 0 of the list is no style.
    if (Styles.size() > MaxStyles) {
        run.StyleLimitReached = true;
        return StyleListFull;
    }
    Styles.push_back(report.Style);
    for (int f = 1; f <= StyleFormCount; ++f) {
        const ReportForm& form = report.Style.Forms[f];
        if (form.Name.isEmpty() || FindReportFormIndex(form.Name, ReportForms) != 0)
            continue;
        // A form the list cannot take stays in the style's own copy.
        if (ReportForms.size() > MaxReportForms) {
            run.FormLimitReached = true;
            continue;
        }
        ReportForms.push_back(form);
    }
    return ImportDone;
}

int MoveTestReport(const QString& folder, const QString& name, const Protocol& report, ImportRun& run)
{
    const QString procName = QStringLiteral("MoveTestReport");
    if (IsEmptyProtocol(report))
        return NoReport;
    const QString styleFolder = dskStyleFolderName(report.Style.Name);
    errno = 0;
    if (!dskEnsureFolder(DataFolder, styleFolder)) {
        const int reason = errno != 0 ? errno : ENOENT;
        const SystemError error = ErrorFromErrno(reason);
        LogError(error, JoinPath(DataFolder, styleFolder), procName);
        CountFailure(run, error);
        return NoStyleFolder;
    }
    const QString target = dskBuildPath(DataFolder, styleFolder);
    QSet<QString>& listed = StyleFolderKeys(styleFolder, run);
    const QString key = dskNameKey(name);
    const QString targetPath = JoinPath(target, name);
    if (listed.contains(key)) {
        LogError(ErrorFromErrno(EEXIST), targetPath, procName);
        return MoveFailed;
    }
    SystemError error;
    if (!dskMoveFileNew(JoinPath(folder, name), targetPath, error)) {
        WriteLog(error.Number, error.Text + QStringLiteral(": ") + JoinPath(folder, name), procName);
        CountFailure(run, error);
        return MoveFailed;
    }
    listed.insert(key);
    run.SourceKeys.remove(key);
    return ImportDone;
}

ImportCounts RunImport(const QString& folder, const std::function<void(int)>& progress)
{
    ImportRun run = BeginImportRun(folder);

    // Old text and curve files, where the folder can be read.
    const OldFileSet files = ReadOldIni(folder);
    if (dskFreeSpaceMB(files.Folder) != -1.0f) {
        const std::pair<int16_t, QString> textFiles[] = {
            {1, files.File1}, {2, files.File3}, {3, files.File4},  {4, files.File5},  {5, files.File6},
            {9, files.File7}, {12, files.File8}, {13, files.File9}, {15, files.File10},
        };
        for (const auto& [code, name] : textFiles)
            ImportInstrumentFile(code, files.Folder, name, run);
        for (const QString& name : dskListFiles(files.Folder))
            if (dskFileExists(files.Folder, name) && IsOldCurveFile(files.Folder, name))
                ImportCurveFile(files.Folder, name, run);
    }

    if (!IsExistingFolder(folder)) {
        ShowMessage(10);
        const bool saved = run.Styles == 0 || SaveImportSettings(run);
        return ImportCounts{run.Files, run.Styles, saved};
    }

    // The reports of the folder, largest name first.
    QStringList listed = dskListFiles(folder);
    const QStringList names = SortCollection(listed);
    const qsizetype count = names.size();
    for (qsizetype i = 0; i < count; ++i) {
        const QString& name = names.at(i);
        // An open series kept for the next start and the long-term window's
        // safety copy are no stored reports.
        if (!IsProgramOwnFileName(name) && IsBareStoredName(name)) {
            bool writeBackFailed = false;
            const Protocol report = dskGetTestReport(folder, name, &writeBackFailed);
            run.WriteBackFailed = run.WriteBackFailed || writeBackFailed;
            const int merged = MergeStyleOfReport(report, run);
            if (merged == ImportDone)
                ++run.Styles;
            if (merged != StyleListFull && MoveTestReport(folder, name, report, run) == ImportDone)
                ++run.Files;
        }
        if (progress)
            progress(std::min(100, static_cast<int>(CInt(static_cast<double>(i + 1) / static_cast<double>(count) * 100.0))));
    }

    // The reports' names, new in the style folders and gone from this one,
    // onto the disk once for the whole run.
    for (const auto& [styleFolder, keys] : run.TargetKeys)
        SyncFolder(dskBuildPath(DataFolder, styleFolder));
    SyncFolder(folder);

    if (run.WriteBackFailed)
        ShowMessage(32);
    if (run.StyleLimitReached)
        ShowMessage(9, {static_cast<int>(MaxStyles)});
    if (run.FormLimitReached)
        ShowMessage(9, {static_cast<int>(MaxReportForms)});
    // The counts close the import: by then the settings are written, or the
    // operator has been told where the new styles are.
    const bool saved = SaveImportSettings(run);
    ShowMessage(39, {run.Files, run.Styles});
    // On a full disk most of the folder may stay behind, and the log may not
    // take a line either: the operator is told how many, and asked for room
    // only when room was what they lacked.
    if (run.Failed > 0)
        ShowMessage(run.DiskFull ? 41 : 42, {run.Failed});
    return ImportCounts{run.Files, run.Styles, saved};
}
