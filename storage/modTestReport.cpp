#include "storage/modTestReport.h"

#include "foundation/modConvert.h"
#include "foundation/modGlobals.h"
#include "foundation/modLog.h"
#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "platform/BinaryIO.h"
#include "platform/Cp1252.h"
#include "platform/ErrorCodes.h"
#include "platform/Paths.h"
#include "platform/SafeFile.h"
#include "platform/Sha256.h"
#include "platform/Text.h"
#include "storage/modDisk.h"

#include <QFile>
#include <QFileInfo>

#include <array>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

const char* const ReportMagic = "QTA";
const char* const ReportExtension = "QTA";
// An hour of series started in one second is more than a lab ever has.
constexpr int MaxReportNameMoves = 3600;

// Trailing "/" and "\" do not make a folder different.
QString FolderKey(const QString& folder)
{
    QString key = folder;
    while (key.size() > 1 && (key.endsWith(u'/') || key.endsWith(u'\\')))
        key.chop(1);
    return key;
}

// Replaces the file at path with the report, whole and at once: a failed
// write (a full disk included) leaves the earlier file as it was. With
// permissions, the new file has them from the moment it takes the name.
// The bytes of the report file of the series.
BinaryWriter ReportFileImage(const Protocol& record)
{
    BinaryWriter out;
    dskPutHeader(out, ReportMagic);
    PutRecord(out, record);
    return out;
}

bool WriteReportBytes(const QString& path, const std::string& bytes, QFileDevice::Permissions permissions,
                      SystemError* failure = nullptr)
{
    SystemError error;
    if (!WriteFileAtomically(path, bytes, error, permissions)) {
        WriteLog(error, QStringLiteral("dskPutTestReportAction"), path);
        if (failure)
            *failure = error;
        return false;
    }
    // The writer has synced the folder too: a report whose name was lost in
    // a power cut would let its series come back open.
    return true;
}

bool WriteReportImage(const QString& path, const BinaryWriter& out, QFileDevice::Permissions permissions,
                      SystemError* failure = nullptr)
{
    if (!WriteReportBytes(path, out.Bytes(), permissions, failure))
        return false;
    if (out.TextsCut() > 0)
        WriteLog(0, QStringLiteral("%1 text(s) cut to 65535 bytes: %2").arg(out.TextsCut()).arg(path),
                 QStringLiteral("dskPutTestReportAction"));
    return true;
}

bool WriteReportFile(const QString& path, const Protocol& record,
                     QFileDevice::Permissions permissions = QFileDevice::Permissions())
{
    return WriteReportImage(path, ReportFileImage(record), permissions);
}

// The style folder of the series below the folder, made when missing; ""
// with a log line naming the file when it cannot be made (its error in
// failure, when given).
QString StyleDirectory(const QString& folder, const Protocol& record, const QString& name,
                       SystemError* failure = nullptr)
{
    const QString styleFolder = dskStyleFolderName(record.Style.Name);
    errno = 0;
    if (!dskEnsureFolder(folder, styleFolder)) {
        // The reason the folder could not be made (a read-only mount, a
        // file of that name); a missing path when none is known.
        const int reason = errno != 0 ? errno : ENOENT;
        const SystemError error = ErrorFromErrno(reason, dskBuildPath(dskBuildPath(folder, styleFolder), name));
        WriteLog(error, QStringLiteral("dskPutTestReportAction"));
        if (failure)
            *failure = error;
        return QString();
    }
    return dskBuildPath(folder, styleFolder);
}

enum class Existing {
    Replace,        // a file of that name, whatever its case, is replaced unless read-only
    ReplaceExact,   // only the exact name is written, read-only or not; case variants stay alone
};

// The writer behind dskPutTestReportAction. Refusing must be decided here:
// root ignores write bits, so they cannot keep an earlier report.
bool PutTestReport(const QString& folder, const QString& name, const Protocol& record,
                   bool useStyleFolder, Existing existing)
{
    // A stored relative name may carry its style folder; one that goes into
    // the style folder is a bare file name.
    if (!dskCheckStoredName(name, !useStyleFolder, QStringLiteral("dskPutTestReportAction")))
        return false;
    const QString target = dskWriteFolder(folder, FolderKey(folder) == FolderKey(DataFolder) ? &DataFolder : nullptr);
    QString directory = target;
    if (useStyleFolder) {
        directory = StyleDirectory(target, record, name);
        if (directory.isEmpty())
            return false;
    }
    // Only a replacement looks for a file of that name in another case; the
    // other writes the exact name.
    const QString path = existing == Existing::Replace ? StoredNamePath(directory, name, !useStyleFolder)
                                                       : JoinPath(directory, name);
    if (path.isEmpty()) {
        WriteLog(ClassicError::BadFileName, QStringLiteral("Bad file name: ") + name,
                 QStringLiteral("dskPutTestReportAction"));
        return false;
    }
    if (existing == Existing::ReplaceExact) {
        // The program's own fixed names: reading an older layout may have
        // left the earlier file of the name read-only.
        if (QFileInfo::exists(path))
            SetAttr(path, AttrNormal);
    } else if (GetAttr(path) == AttrReadOnly) {
        // A stored report is read-only, and whoever means to rewrite one
        // clears that first; any other write onto it (an import of a series
        // with the same date) fails, for root too.
        WriteLog(ErrorFromErrno(EACCES, path), QStringLiteral("dskPutTestReportAction"), path);
        return false;
    }
    return WriteReportFile(path, record);
}

// The indexes a series carries into its own arrays: the report form in use,
// the current property and the test type of every report-form item (0 for an
// unused item). The program never writes one outside its range, so such a
// value comes from a damaged file and would index past an array later. Empty
// when all are in range, else what is out of it.
QString IndexOutOfRange(const std::array<ReportForm, StyleFormCount + 1>& forms, int16_t formIndex,
                        int16_t currentProperty)
{
    if (formIndex < 1 || formIndex > StyleFormCount)
        return QStringLiteral("report form %1").arg(formIndex);
    if (currentProperty < 1 || currentProperty > PropertyCount)
        return QStringLiteral("current property %1").arg(currentProperty);
    for (int f = 1; f <= StyleFormCount; ++f)
        for (int i = 1; i <= ReportFormItemCount; ++i) {
            const int testType = forms[f].Items[i].Property;
            if (testType < 0 || testType > TestTypeCount)
                return QStringLiteral("test type %1 in item %2 of report form %3").arg(testType).arg(i).arg(f);
        }
    return QString();
}

// The whole file into buffer, whose earlier content goes and whose capacity
// is kept for the next file; false with one log line when it cannot be read.
bool ReadWholeFile(QFile& file, std::string& buffer, const QString& procedure)
{
    const qint64 size = file.size();
    buffer.resize(static_cast<std::size_t>(size < 0 ? 0 : size));
    if (size < 0 || file.read(buffer.data(), size) != size) {
        WriteLog(ErrorFromFile(file), procedure);
        return false;
    }
    return true;
}

enum class ReportLayout { Before26, Before60, Current };

// The packed layout a report's version text stands for.
ReportLayout LayoutOf(const QString& versionText)
{
    if (VersionBefore(versionText, 2.6f))
        return ReportLayout::Before26;
    if (VersionBefore(versionText, 6.0f))
        return ReportLayout::Before60;
    return ReportLayout::Current;
}

// After a series has been read: false, with one log line, when the file
// ended before the series did or an index of the series lies outside its
// array. Both readers decide a damaged file by this.
bool ReadWhole(const BinaryReader& in, const std::array<ReportForm, StyleFormCount + 1>& forms, int16_t formIndex,
               int16_t currentProperty, const QString& path, const QString& procedure)
{
    if (!in.Ok()) {
        WriteLog(ClassicError::InputPastEndOfFile, QStringLiteral("Input past end of file: ") + path, procedure);
        return false;
    }
    const QString outOfRange = IndexOutOfRange(forms, formIndex, currentProperty);
    if (!outOfRange.isEmpty()) {
        WriteLog(ClassicError::SubscriptOutOfRange, QStringLiteral("Subscript out of range (%1): %2").arg(outOfRange, path),
                 procedure);
        return false;
    }
    return true;
}

// Reads the report at path; false when the file cannot be read or its record
// is damaged (then the log has one line and record is untouched).
bool ReadReport(const QString& path, Protocol& record, bool& converted, std::string* fileBytes = nullptr)
{
    const QString procedure = QStringLiteral("dskGetTestReport");
    QFile file(path);
    SystemError error;
    if (!OpenSharedFileToRead(file, path, MaxReportFileSize, error)) {
        WriteLog(error, procedure);
        return false;
    }
    std::string bytes;
    if (!ReadWholeFile(file, bytes, procedure))
        return false;
    BinaryReader in(bytes);
    in.GetBytes(3);
    const QString versionText = in.GetText();
    Protocol result;
    converted = false;
    switch (LayoutOf(versionText)) {
    case ReportLayout::Before26: {
        ProtocolBefore26 old;
        GetRecord(in, old);
        if (in.Ok())
            ConvertProtocolBefore26(result, old);
        converted = true;
        break;
    }
    case ReportLayout::Before60: {
        ProtocolBefore60 old;
        GetRecord(in, old);
        if (in.Ok())
            ConvertProtocolBefore60(result, old);
        converted = true;
        break;
    }
    case ReportLayout::Current:
        GetRecord(in, result);
        break;
    }
    if (!ReadWhole(in, result.Style.Forms, result.FormIndex, result.CurrentProperty, path, procedure))
        return false;
    record = std::move(result);
    if (fileBytes)
        *fileBytes = std::move(bytes);
    return true;
}

bool HasReportExtension(const QString& name)
{
    return name.right(3).compare(QLatin1String(ReportExtension), Qt::CaseInsensitive) == 0;
}

// ---- The search reader: the packed series walked, most of it not decoded ----

void SkipTestDefinition(BinaryReader& in)
{
    in.Skip(38);
    in.SkipString();
}

// The Integer at pos of an image long enough to hold it.
inline int16_t Int16At(const std::string& image, std::size_t pos)
{
    int16_t value;
    std::memcpy(&value, image.data() + pos, sizeof value);
    return value;
}

// The Single at pos of an image long enough to hold it.
inline float SingleAt(const std::string& image, std::size_t pos)
{
    float value;
    std::memcpy(&value, image.data() + pos, sizeof value);
    return value;
}

// The layout of one packed test: Value1, Unit1, Value2, Unit2, Warning,
// Commentary, Deleted, DataString, CurveFile, TestTime, K0006, K0016, K0053,
// that is eight Strings behind fixed bytes. The hundreds of tests of a
// report are most of its bytes, and the tests of a block mostly have the same
// layout (the same units, no commentary, data strings of one length): the
// last one is tried first, and when each length field holds what it held
// there, the test is passed over at once; else it is walked string by
// string, with the same bounds as reading it.
class TestLayout {
public:
    // Passes over the test at pos of the image; false when the image ends
    // first, as reading it would fail.
    bool Skip(const unsigned char* data, std::size_t size, std::size_t& pos)
    {
        if (m_size != 0 && m_size <= size - pos) {
            bool same = true;
            for (std::size_t k = 0; k < StringCount; ++k)
                same &= LengthAt(data + pos + m_at[k]) == m_length[k];
            if (same) {
                pos += m_size;
                return true;
            }
        }
        m_size = 0;
        std::size_t at = pos;
        for (std::size_t k = 0; k < StringCount; ++k) {
            at += Before[k];
            if (at + 2 > size)
                return false;
            m_at[k] = at - pos;
            m_length[k] = LengthAt(data + at);
            at += 2 + m_length[k];
            if (at > size)
                return false;
        }
        m_size = at - pos;
        pos = at;
        return true;
    }

    // From the start of the test last passed over.
    std::size_t Value2At() const { return m_at[0] + 2 + m_length[0]; }
    std::size_t DeletedAt() const { return m_at[2] + 2 + m_length[2]; }

private:
    static constexpr std::size_t StringCount = 8;
    // The fixed bytes before each String.
    static constexpr std::size_t Before[StringCount] = {4, 4, 1, 2, 0, 8, 0, 0};

    static std::size_t LengthAt(const unsigned char* at) { return at[0] | (static_cast<std::size_t>(at[1]) << 8); }

    std::array<std::size_t, StringCount> m_at{};       // each length field, from the test's start
    std::array<std::size_t, StringCount> m_length{};
    std::size_t m_size = 0;                             // the whole test; 0 when none is known
};

// Passes over count packed tests from the reader's position.
void SkipTestValues(BinaryReader& in, const std::string& image, int32_t count)
{
    const unsigned char* data = reinterpret_cast<const unsigned char*>(image.data());
    std::size_t pos = in.Position();
    TestLayout layout;
    for (int32_t i = 0; i < count; ++i) {
        if (!layout.Skip(data, image.size(), pos)) {
            in.Fail();
            return;
        }
    }
    in.Skip(pos - in.Position());
}

void SkipPropertyBlock(BinaryReader& in, const std::string& image)
{
    in.SkipString();    // Header
    const int32_t count = in.GetArrayHeader(PackedTestValueMinSize);
    SkipTestValues(in, image, count);
    in.Skip(2 + 4);     // LateralAirOn, LateralAir
    in.SkipString();    // Commentary
    in.Skip(PackedStatisticsSize + 8 + 8 + 2);   // Stats, StartDate, LastTestDate, Terminated
}

// Walks a current-layout series behind the version text: the style name,
// the items of its forms, references, operator, dates, Finished and
// FormIndex are taken, the place of every block is noted, the rest is passed
// over with the checks of the full reader. Returns CurrentProperty, which
// only the check of the indexes needs.
int16_t ScanProtocol(BinaryReader& in, ReportScan& scan)
{
    const std::size_t base = in.Position();
    scan.StyleName = in.GetBytesString();
    for (int t = 1; t <= TestTypeCount; ++t)
        SkipTestDefinition(in);
    for (int f = 1; f <= StyleFormCount; ++f) {
        in.SkipString();
        if (in.Remaining() < ReportFormItemCount * 6) {
            in.Fail();
            break;
        }
        for (int i = 1; i <= ReportFormItemCount; ++i) {
            const std::size_t at = in.Position() + static_cast<std::size_t>(i - 1) * 6;
            ReportFormItem& item = scan.Forms[f].Items[i];
            item.Property = Int16At(scan.Bytes, at);
            item.Histogram = Int16At(scan.Bytes, at + 2) != 0;
            item.Curve = Int16At(scan.Bytes, at + 4) != 0;
        }
        in.Skip(ReportFormItemCount * 6);
    }
    scan.Reference2 = in.GetBytesString();
    scan.Reference3 = in.GetBytesString();
    scan.Reference4 = in.GetBytesString();
    for (int k = 0; k < 7; ++k)     // the Q-DAS fields K0006 to K1087
        in.SkipString();
    scan.Operator = in.GetBytesString();
    scan.Date = in.GetDate();
    scan.LastTestDate = in.GetDate();
    for (int b = 1; b <= PropertyCount; ++b) {
        scan.BlockAt[b] = in.Position() - base;
        SkipPropertyBlock(in, scan.Bytes);
    }
    scan.Finished = in.GetFlag();
    scan.FormIndex = in.GetInteger();
    scan.SeriesAt = base;
    return in.GetInteger();
}

// The fields a search reads of a converted older report, as the walk takes
// them from a current one.
void TakeWholeRecord(ReportScan& scan)
{
    const Protocol& p = scan.Record;
    scan.StyleName = ToCp1252(p.Style.Name);
    scan.Reference2 = ToCp1252(p.Reference2);
    scan.Reference3 = ToCp1252(p.Reference3);
    scan.Reference4 = ToCp1252(p.Reference4);
    scan.Operator = ToCp1252(p.Operator);
    scan.Date = p.Date;
    scan.LastTestDate = p.LastTestDate;
    scan.Finished = p.Finished;
    scan.FormIndex = p.FormIndex;
    scan.Forms = p.Style.Forms;
}

// Writes a new report file under its name only while the name is free,
// read-only from the moment it has it. A name taken is error 58.
bool WriteNewReportBytes(const QString& path, const std::string& bytes, SystemError& error)
{
    bool taken = false;
    if (WriteNewFile(path, bytes, error, ReadOnlyPermissions, &taken))
        return true;
    if (taken)
        error = SystemError{ClassicError::FileAlreadyExists, error.Text};
    return false;
}

}  // namespace

QString dskStyleFolderName(const QString& styleName)
{
    uint32_t sum = 0;
    for (const char32_t code : Trim(styleName).toUcs4()) {
        // A character outside the code page is stored as "?" and counts as
        // one, whatever its upper-case form, so a name gives the same folder
        // before and after it went through the settings file.
        char16_t unit = u'?';
        if (code <= 0xFFFF && IsCp1252Char(QChar(static_cast<char16_t>(code)))) {
            const QChar ch(static_cast<char16_t>(code));
            const QChar upper = ch.toUpper();
            // Only an upper-case form the code page holds replaces the
            // character, so names keep the number they had on Windows.
            unit = (IsCp1252Char(upper) ? upper : ch).unicode();
        }
        // The low byte of the 16-bit character code, not the code-page byte:
        // "’" (U+2019) adds 0x19, "€" (U+20AC) 0xAC, so the reports of an
        // existing installation are found in the folder they were stored in.
        sum += unit & 0xFFu;
    }
    return QStringLiteral("QTA%1").arg((sum & 255u) + 1u, 3, 10, QChar(u'0'));
}

bool dskIsTestReportFile(const QString& folder, const QString& name)
{
    if (!HasReportExtension(name))
        return false;
    // A stored relative name ("QTA123\...") must not reach outside the folder.
    if (!dskCheckStoredName(name, true, QStringLiteral("dskIsTestReportFile")))
        return false;
    if (!dskFileExists(folder, name))
        return false;
    QFile file;
    SystemError error;
    if (!OpenSharedFileToRead(file, dskBuildPath(folder, name), MaxReportFileSize, error)) {
        WriteLog(error, QStringLiteral("dskIsTestReportFile"));
        return false;
    }
    if (file.size() <= 3)
        return false;
    if (dskReadMagic(file) != QLatin1String(ReportMagic))
        return false;
    return dskReadVersion(file) != NoValue;
}

Protocol dskGetTestReport(const QString& folder, const QString& name, bool* writeBackFailed, QByteArray* checksum)
{
    if (writeBackFailed)
        *writeBackFailed = false;
    if (!dskIsTestReportFile(folder, name))
        return EmptyProtocol;
    const QString path = StoredNamePath(folder, name, true);
    if (path.isEmpty())
        return EmptyProtocol;
    Protocol record;
    bool converted = false;
    std::string bytes;
    if (!ReadReport(path, record, converted, &bytes))
        return EmptyProtocol;
    if (converted) {
        // Written back at once in the current layout, to the file that was
        // read whatever the case of its name, and read-only again afterwards.
        SetAttr(path, AttrArchive);
        const BinaryWriter image = ReportFileImage(record);
        const bool written = WriteReportImage(path, image, ReadOnlyPermissions);
        SetAttr(path, AttrReadOnly + AttrArchive);
        if (written)
            bytes = image.Bytes();
        // A caller that reads many reports says so once for all of them.
        if (!written) {
            if (writeBackFailed)
                *writeBackFailed = true;
            else
                ShowMessage(32);
        }
    }
    if (checksum)
        *checksum = dskReportChecksum(bytes);
    return record;
}

QByteArray dskReportChecksum(const std::string& bytes)
{
    return Sha256(bytes);
}

StoredReportNow dskStoredReportNow(const QString& folder, const QString& name)
{
    StoredReportNow now;
    const QString path = IsExistingFolder(folder) ? StoredNamePath(folder, name, true) : QString();
    if (path.isEmpty())
        return now;
    SystemError error;
    const std::optional<std::string> bytes = ReadFileWhole(path, error, LinkAtName::Refuse, MaxReportFileSize);
    if (bytes) {
        now.State = StoredReportNow::Holds;
        now.Checksum = dskReportChecksum(*bytes);
        return now;
    }
    // Gone only on the system's word that the name is missing in a folder
    // that is there; a share that went away says nothing about the file.
    struct stat entry {};
    if (::lstat(QFile::encodeName(path).constData(), &entry) != 0 && errno == ENOENT
        && QFileInfo(QFileInfo(path).absolutePath()).isDir())
        now.State = StoredReportNow::Gone;
    else
        WriteLog(error, QStringLiteral("dskStoredReportNow"), path);
    return now;
}

bool dskRewriteTestReport(const QString& folder, const QString& name, const Protocol& record, bool replace)
{
    const QString procName = QStringLiteral("dskPutTestReportAction");
    const QString path = IsExistingFolder(folder) ? StoredNamePath(folder, name, true) : QString();
    if (path.isEmpty()) {
        WriteLog(ErrorFromErrno(ENOENT, JoinPath(folder, name)), procName);
        return false;
    }
    if (!replace)
        return dskPutNewTestReport(QFileInfo(path).absolutePath(), QFileInfo(path).fileName(), record);
    // The writer refuses to replace a file it may not write: read-only is
    // cleared for the write, and the new file is read-only from its rename.
    SetAttr(path, AttrNormal);
    const bool written = WriteReportFile(path, record, ReadOnlyPermissions);
    SetAttr(path, AttrReadOnly + AttrArchive);
    return written;
}

bool dskPutTestReportAction(const QString& folder, const QString& name, const Protocol& record,
                            bool useStyleFolder)
{
    return PutTestReport(folder, name, record, useStyleFolder, Existing::Replace);
}

bool dskPlaceNewTestReport(const Protocol& record, NewTestReport& report, SystemError* failure)
{
    const QString procName = QStringLiteral("dskPutTestReportAction");
    const QString extension = QString::fromLatin1(ReportExtension);
    const QString first = dskFileNameFromDate(record.Date, extension);
    const QString directory = StyleDirectory(dskWriteFolder(DataFolder, &DataFolder), record, first, failure);
    if (directory.isEmpty())
        return false;
    RemoveNewFileLeftoversOnce(directory, extension);
    BinaryWriter image = ReportFileImage(record);
    report.TextsCut = image.TextsCut();
    report.Bytes = image.TakeBytes();
    // A name taken in any case is an earlier save of this very series when
    // it holds the same bytes (a save the program could not tell of before
    // it ended); else another series of the same second, and the name moves
    // on a second at a time while the dates inside stay.
    for (int move = 0; move <= MaxReportNameMoves; ++move) {
        const QString name = move == 0 ? first : dskFileNameFromDate(record.Date + move / 86400.0, extension);
        const QStringList taken = dskNamesInAnyCase(directory, name);
        if (taken.isEmpty()) {
            report.Path = JoinPath(directory, name);
            report.Saved = false;
            return true;
        }
        for (const QString& earlier : taken) {
            SystemError error;
            const std::optional<std::string> bytes = ReadFileWhole(JoinPath(directory, earlier), error, LinkAtName::Refuse,
                                                                      MaxReportFileSize);
            if (bytes && *bytes == report.Bytes) {
                report.Path = JoinPath(directory, earlier);
                report.Saved = true;
                return true;
            }
        }
    }
    const SystemError taken{ClassicError::PathFileAccess, ErrorFromErrno(EEXIST).Text};
    WriteLog(taken, procName, JoinPath(directory, first));
    if (failure)
        *failure = taken;
    return false;
}

bool dskWriteNewTestReport(const NewTestReport& report, SystemError* failure)
{
    if (report.Saved)
        return true;
    SystemError error;
    if (!WriteNewReportBytes(report.Path, report.Bytes, error)) {
        WriteLog(error, QStringLiteral("dskPutTestReportAction"), report.Path);
        if (failure)
            *failure = error;
        return false;
    }
    if (report.TextsCut > 0)
        WriteLog(0, QStringLiteral("%1 text(s) cut to 65535 bytes: %2").arg(report.TextsCut).arg(report.Path),
                 QStringLiteral("dskPutTestReportAction"));
    return true;
}

bool dskMoveStagedTestReport(const NewTestReport& report, const QString& staged, SystemError* failure)
{
    const QString procName = QStringLiteral("dskPutTestReportAction");
    SystemError error;
    // A copy cut short by a stop is the termination's record's to undo.
    if (!dskMoveFileNew(staged, report.Path, error, MoveByCopy::Allowed)) {
        if (error.Number == ErrorFromErrno(EEXIST).Number)
            error.Number = ClassicError::FileAlreadyExists;
        WriteLog(error, procName, report.Path);
        if (failure)
            *failure = error;
        return false;
    }
    if (!SyncFolder(QFileInfo(report.Path).absolutePath()))
        WriteLog(ErrorFromErrno(errno, report.Path), procName, report.Path);
    if (report.TextsCut > 0)
        WriteLog(0, QStringLiteral("%1 text(s) cut to 65535 bytes: %2").arg(report.TextsCut).arg(report.Path),
                 procName);
    return true;
}

bool dskSaveNewTestReport(const Protocol& record, QString* savedName, SystemError* failure)
{
    // A name another seat took after it was chosen is never replaced: the
    // next free one is chosen.
    constexpr int Attempts = 10;
    SystemError error;
    for (int attempt = 1; attempt <= Attempts; ++attempt) {
        NewTestReport report;
        if (!dskPlaceNewTestReport(record, report, failure))
            return false;
        if (dskWriteNewTestReport(report, &error)) {
            if (savedName)
                *savedName = QFileInfo(report.Path).fileName();
            return true;
        }
        if (error.Number != ClassicError::FileAlreadyExists)
            break;
    }
    if (failure)
        *failure = error;
    return false;
}

std::string dskTestReportFileBytes(const Protocol& record)
{
    return ReportFileImage(record).TakeBytes();
}

bool dskWriteTestReportFile(const QString& path, const std::string& bytes, SystemError* failure)
{
    return WriteReportBytes(path, bytes, QFileDevice::Permissions(), failure);
}

QStringList dskCurveFileNames(const Protocol& record)
{
    QStringList names;
    for (int b = 1; b <= PropertyCount; ++b) {
        const std::vector<TestValue>& values = record.Blocks[b].Values;
        for (std::size_t i = 1; i < values.size(); ++i) {
            const std::string& curveFile = values[i].CurveFile;
            if (curveFile.empty() || curveFile.find("KR") != std::string::npos)
                continue;
            // The names are read, rewritten and deleted in the data folder:
            // one that reaches outside it, or names one of the program's own
            // files, is no curve.
            const QString name = FromCp1252(curveFile);
            if (!IsBareStoredName(name) || IsProgramOwnFileName(name)) {
                WriteLog(ClassicError::BadFileName, QStringLiteral("Bad file name: ") + name,
                         QStringLiteral("dskCurveFileNames"));
                continue;
            }
            names.append(name);
        }
    }
    return names;
}

bool dskPutTestReportExact(const QString& folder, const QString& name, const Protocol& record)
{
    return PutTestReport(folder, name, record, false, Existing::ReplaceExact);
}

bool dskScanTestReport(const QString& folder, const QString& name, ReportScan& scan, bool& writeBackFailed)
{
    const QString procedure = QStringLiteral("dskScanTestReport");
    writeBackFailed = false;
    scan.Whole = false;
    // A listed name is a bare file name; one holding a separator or a control
    // character would be read as a path to somewhere else, so it is never
    // opened. Hidden files and other extensions are no reports, as for
    // dskIsTestReportFile.
    if (!dskCheckStoredName(name, false, procedure))
        return false;
    if (!HasReportExtension(name) || name.startsWith(QLatin1Char('.')))
        return false;
    const QString path = JoinPath(folder, name);
    QFile file;
    SystemError error;
    if (!OpenSharedFileToRead(file, path, MaxReportFileSize, error)) {
        WriteLog(error, procedure);
        return false;
    }
    if (!ReadWholeFile(file, scan.Bytes, procedure))
        return false;
    file.close();
    if (scan.Bytes.size() <= 3 || scan.Bytes.compare(0, 3, ReportMagic) != 0)
        return false;
    BinaryReader in(scan.Bytes);
    in.Skip(3);
    const std::string versionText = in.GetBytesString();
    if (!in.Ok())
        return false;
    // The files of a folder mostly carry one version text: its layout is
    // worked out once.
    if (versionText != scan.VersionText || scan.VersionText.empty()) {
        scan.VersionText = versionText;
        scan.VersionLayout = !dskIsVersionText(versionText) ? -1 : static_cast<int>(LayoutOf(FromCp1252(versionText)));
    }
    if (scan.VersionLayout < 0)
        return false;
    if (scan.VersionLayout != static_cast<int>(ReportLayout::Current)) {
        // An older report is converted and written back as the full reader
        // does it; a failed write-back is the caller's to tell, once.
        scan.Record = dskGetTestReport(folder, name, &writeBackFailed);
        scan.Whole = true;
        TakeWholeRecord(scan);
        return !IsEmptyProtocol(scan.Record);
    }
    const int16_t currentProperty = ScanProtocol(in, scan);
    return ReadWhole(in, scan.Forms, scan.FormIndex, currentProperty, path, procedure);
}

void dskScanBlock(ReportScan& scan, int b)
{
    scan.Tests.clear();
    if (b < 1 || b > PropertyCount)
        return;
    if (scan.Whole) {
        const PropertyBlock& block = scan.Record.Blocks[b];
        scan.Header = block.Header;
        scan.Stats = block.Stats;
        for (std::size_t t = 1; t < block.Values.size(); ++t)
            if (!block.Values[t].Deleted)
                scan.Tests.push_back({block.Values[t].Value1, block.Values[t].Value2});
        return;
    }
    // The walk has proved the block whole: only its values are read.
    BinaryReader in(scan.Bytes);
    in.Skip(scan.SeriesAt + scan.BlockAt[b]);
    scan.Header = in.GetBytesString();
    const int32_t count = in.GetArrayHeader(PackedTestValueMinSize);
    const unsigned char* data = reinterpret_cast<const unsigned char*>(scan.Bytes.data());
    std::size_t pos = in.Position();
    TestLayout layout;
    for (int32_t i = 0; i < count; ++i) {
        const std::size_t start = pos;
        if (!layout.Skip(data, scan.Bytes.size(), pos))
            break;
        // Element 0 is the empty test.
        if (i > 0 && Int16At(scan.Bytes, start + layout.DeletedAt()) == 0)
            scan.Tests.push_back({SingleAt(scan.Bytes, start), SingleAt(scan.Bytes, start + layout.Value2At())});
    }
    in.Skip(pos - in.Position());
    in.Skip(2 + 4);
    in.SkipString();
    GetRecord(in, scan.Stats);
}

bool dskPutNewTestReport(const QString& folder, const QString& name, const Protocol& record, QSet<QString>* keys)
{
    const QString procName = QStringLiteral("dskPutTestReportAction");
    if (!dskCheckStoredName(name, false, procName))
        return false;
    if (!IsExistingFolder(folder)) {
        const SystemError error = ErrorFromErrno(ENOENT, JoinPath(folder, name));
        WriteLog(error.Number, error.Text + QStringLiteral(": ") + folder, procName);
        return false;
    }
    const QString path = JoinPath(folder, name);
    // The exact name costs one check; the name in another case is looked up
    // in the caller's listing, else in the folder.
    const bool exists = QFileInfo::exists(path)
        || (keys ? keys->contains(dskNameKey(name)) : !dskNamesInAnyCase(folder, name).isEmpty());
    const auto refuse = [&] {
        WriteLog(ClassicError::PathFileAccess, ErrorFromErrno(EEXIST).Text + QStringLiteral(": ") + path, procName);
        return false;
    };
    if (exists)
        return refuse();
    SystemError error;
    const BinaryWriter image = ReportFileImage(record);
    if (!WriteNewReportBytes(path, image.Bytes(), error)) {
        if (error.Number == ClassicError::FileAlreadyExists)
            return refuse();
        WriteLog(error, procName, path);
        return false;
    }
    if (image.TextsCut() > 0)
        WriteLog(0, QStringLiteral("%1 text(s) cut to 65535 bytes: %2").arg(image.TextsCut()).arg(path), procName);
    if (keys)
        keys->insert(dskNameKey(name));
    return true;
}
