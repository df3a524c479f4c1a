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
#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"
#include "platform/Text.h"
#include "storage/modDisk.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace {

const char* const ReportMagic = "QTA";
const char* const ReportExtension = "QTA";

// Path/file access error: the number the log carries for a report that must
// not be replaced because one of that name exists.
constexpr int32_t ErrPathFileAccess = 75;
// Input past end of file: the file ends before its record does.
constexpr int32_t ErrInputPastEnd = 62;
// Subscript out of range: an index the record carries lies outside its array.
constexpr int32_t ErrSubscriptOutOfRange = 9;
// Bad file name: a name read from a file that cannot be used as one.
constexpr int32_t ErrBadFileName = 64;

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
bool WriteReportFile(const QString& path, const Protocol& record,
                     QFileDevice::Permissions permissions = QFileDevice::Permissions())
{
    BinaryWriter out;
    dskPutHeader(out, ReportMagic);
    PutRecord(out, record);
    SystemError error;
    if (!WriteFileAtomically(path, out.Bytes(), error, permissions)) {
        WriteLog(error.Number, error.Text, QStringLiteral("dskPutTestReportAction"));
        return false;
    }
    if (out.TextsCut() > 0)
        WriteLog(0, QStringLiteral("%1 text(s) cut to 65535 bytes: %2").arg(out.TextsCut()).arg(path),
                 QStringLiteral("dskPutTestReportAction"));
    return true;
}

enum class Existing {
    Replace,        // a file of that name, whatever its case, is replaced unless read-only
    ReplaceExact,   // only the exact name is written, read-only or not; case variants stay alone
    Refuse,         // a file of that name, whatever its case, makes the write fail
};

// The writer behind dskPutTestReportAction. Refusing must be decided here:
// root ignores write bits, so they cannot keep an earlier report.
bool PutTestReport(const QString& folder, const QString& name, const Protocol& record,
                   bool useStyleFolder, Existing existing, QFileDevice::Permissions permissions)
{
    // A stored relative name may carry its style folder; one that goes into
    // the style folder is a bare file name.
    if (!dskCheckStoredName(name, !useStyleFolder, QStringLiteral("dskPutTestReportAction")))
        return false;
    QString target = folder;
    if (!IsExistingFolder(folder)) {
        target = ProgramFolder();
        if (FolderKey(folder) == FolderKey(DataFolder))
            DataFolder = target;
    }
    QString directory = target;
    if (useStyleFolder) {
        const QString styleFolder = dskStyleFolderName(record.Style.Name);
        errno = 0;
        if (!dskEnsureFolder(target, styleFolder)) {
            // The reason the folder could not be made (a read-only mount, a
            // file of that name); a missing path when none is known.
            const int reason = errno != 0 ? errno : ENOENT;
            const SystemError error = ErrorFromErrno(reason, dskBuildPath(dskBuildPath(target, styleFolder), name));
            WriteLog(error.Number, error.Text, QStringLiteral("dskPutTestReportAction"));
            return false;
        }
        directory = dskBuildPath(target, styleFolder);
    }
    if (existing == Existing::Refuse && dskFileExists(directory, name)) {
        WriteLog(ErrPathFileAccess, ErrorFromErrno(EEXIST).Text + QStringLiteral(": ") + name,
                 QStringLiteral("dskPutTestReportAction"));
        return false;
    }
    // Only a replacement looks for a file of that name in another case; the
    // other two write the exact name.
    const QString path = existing == Existing::Replace ? StoredNamePath(directory, name, !useStyleFolder)
                                                       : JoinPath(directory, name);
    if (path.isEmpty()) {
        WriteLog(ErrBadFileName, QStringLiteral("Bad file name: ") + name, QStringLiteral("dskPutTestReportAction"));
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
        const SystemError error = ErrorFromErrno(EACCES, path);
        WriteLog(error.Number, error.Text + QStringLiteral(": ") + path, QStringLiteral("dskPutTestReportAction"));
        return false;
    }
    return WriteReportFile(path, record, permissions);
}

// The indexes a series carries into its own arrays: the report form in use,
// the current property and the test type of every report-form item (0 for an
// unused item). The program never writes one outside its range, so such a
// value comes from a damaged file and would index past an array later. Empty
// when all are in range, else what is out of it.
QString IndexOutOfRange(const Protocol& record)
{
    if (record.FormIndex < 1 || record.FormIndex > StyleFormCount)
        return QStringLiteral("report form %1").arg(record.FormIndex);
    if (record.CurrentProperty < 1 || record.CurrentProperty > PropertyCount)
        return QStringLiteral("current property %1").arg(record.CurrentProperty);
    for (int f = 1; f <= StyleFormCount; ++f)
        for (int i = 1; i <= ReportFormItemCount; ++i) {
            const int testType = record.Style.Forms[f].Items[i].Property;
            if (testType < 0 || testType > TestTypeCount)
                return QStringLiteral("test type %1 in item %2 of report form %3").arg(testType).arg(i).arg(f);
        }
    return QString();
}

// Reads the report at path; false when the file cannot be read or its record
// is damaged (then the log has one line and record is untouched).
bool ReadReport(const QString& path, Protocol& record, bool& converted)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        const SystemError error = ErrorFromFile(file);
        WriteLog(error.Number, error.Text, QStringLiteral("dskGetTestReport"));
        return false;
    }
    const qint64 size = file.size();
    QByteArray copy;
    const char* data = reinterpret_cast<const char*>(file.map(0, size));
    if (!data) {
        copy = file.readAll();
        if (copy.size() != size) {
            const SystemError error = ErrorFromFile(file);
            WriteLog(error.Number, error.Text, QStringLiteral("dskGetTestReport"));
            return false;
        }
        data = copy.constData();
    }
    BinaryReader in(data, static_cast<std::size_t>(size));
    in.GetBytes(3);
    const QString versionText = in.GetText();
    Protocol result;
    converted = false;
    if (VersionBefore(versionText, 2.6f)) {
        ProtocolBefore26 old;
        GetRecord(in, old);
        if (in.Ok())
            ConvertProtocolBefore26(result, old);
        converted = true;
    } else if (VersionBefore(versionText, 6.0f)) {
        ProtocolBefore60 old;
        GetRecord(in, old);
        if (in.Ok())
            ConvertProtocolBefore60(result, old);
        converted = true;
    } else {
        GetRecord(in, result);
    }
    if (!in.Ok()) {
        WriteLog(ErrInputPastEnd, QStringLiteral("Input past end of file: ") + path,
                 QStringLiteral("dskGetTestReport"));
        return false;
    }
    const QString outOfRange = IndexOutOfRange(result);
    if (!outOfRange.isEmpty()) {
        WriteLog(ErrSubscriptOutOfRange,
                 QStringLiteral("Subscript out of range (%1): %2").arg(outOfRange, path),
                 QStringLiteral("dskGetTestReport"));
        return false;
    }
    record = std::move(result);
    return true;
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
    if (name.right(3).compare(QLatin1String(ReportExtension), Qt::CaseInsensitive) != 0)
        return false;
    // A stored relative name ("QTA123\...") must not reach outside the folder.
    if (!dskCheckStoredName(name, true, QStringLiteral("dskIsTestReportFile")))
        return false;
    if (!dskFileExists(folder, name))
        return false;
    QFile file(dskBuildPath(folder, name));
    if (!file.open(QIODevice::ReadOnly)) {
        const SystemError error = ErrorFromFile(file);
        WriteLog(error.Number, error.Text, QStringLiteral("dskIsTestReportFile"));
        return false;
    }
    if (file.size() <= 3)
        return false;
    if (dskReadMagic(file) != QLatin1String(ReportMagic))
        return false;
    return dskReadVersion(file) != NoValue;
}

Protocol dskGetTestReport(const QString& folder, const QString& name, bool* writeBackFailed)
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
    if (!ReadReport(path, record, converted))
        return EmptyProtocol;
    if (converted) {
        // Written back at once in the current layout, to the file that was
        // read whatever the case of its name, and read-only again afterwards.
        SetAttr(path, AttrArchive);
        const bool written = WriteReportFile(path, record, ReadOnlyPermissions);
        SetAttr(path, AttrReadOnly + AttrArchive);
        // A caller that reads many reports says so once for all of them.
        if (!written) {
            if (writeBackFailed)
                *writeBackFailed = true;
            else
                ShowMessage(32);
        }
    }
    return record;
}

bool dskPutTestReportAction(const QString& folder, const QString& name, const Protocol& record,
                            bool useStyleFolder)
{
    return PutTestReport(folder, name, record, useStyleFolder, Existing::Replace, QFileDevice::Permissions());
}

bool dskSaveNewTestReport(const Protocol& record)
{
    const QString name = dskFileNameFromDate(record.Date, QString::fromLatin1(ReportExtension));
    // Read-only from the moment it has its name, so no kill leaves it writable.
    return PutTestReport(DataFolder, name, record, true, Existing::Refuse, ReadOnlyPermissions);
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
                WriteLog(ErrBadFileName, QStringLiteral("Bad file name: ") + name,
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
    return PutTestReport(folder, name, record, false, Existing::ReplaceExact, QFileDevice::Permissions());
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
        || (keys ? keys->contains(dskNameKey(name)) : dskFolderNameKeys(folder).contains(dskNameKey(name)));
    if (exists) {
        WriteLog(ErrPathFileAccess, ErrorFromErrno(EEXIST).Text + QStringLiteral(": ") + path, procName);
        return false;
    }
    if (!WriteReportFile(path, record, ReadOnlyPermissions))
        return false;
    if (keys)
        keys->insert(dskNameKey(name));
    return true;
}
