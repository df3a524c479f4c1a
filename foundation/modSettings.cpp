#include "foundation/modSettings.h"

#include "foundation/modConvert.h"
#include "foundation/modGlobals.h"
#include "foundation/modLog.h"
#include "foundation/modRecords.h"
#include "platform/BinaryIO.h"
#include "platform/ErrorCodes.h"
#include "platform/ProgramFolder.h"
#include "storage/modDisk.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <optional>

namespace {

const QString SettingsFileName = QStringLiteral("QUINTARA.DAT");
const QString BackupFileName = QStringLiteral("QUINTARA.DAT.BAK");
const QString BadFileName = QStringLiteral("QUINTARA.DAT.BAD");

// Counts on file are Integers.
constexpr std::size_t MaxCount = 32767;
constexpr std::size_t PackedStringMinSize = 2;

// Classic number of a record that ends inside the file.
constexpr int32_t InputPastEndOfFile = 62;

// ---- Writing ----------------------------------------------------------------------

// The upper bound of a list whose element 0 is not stored, as written.
int16_t StoredUpperBound(std::size_t size)
{
    return static_cast<int16_t>(std::min(size > 0 ? size - 1 : 0, MaxCount));
}

void PutStringList(BinaryWriter& out, const std::vector<QString>& list)
{
    const int16_t n = StoredUpperBound(list.size());
    out.PutInteger(n);
    for (int16_t i = 1; i <= n; ++i)
        PutRecord(out, StringRecord{list[static_cast<std::size_t>(i)]});
}

template <typename Record>
void PutListFrom1(BinaryWriter& out, const std::vector<Record>& list)
{
    const int16_t n = StoredUpperBound(list.size());
    out.PutInteger(n);
    for (int16_t i = 1; i <= n; ++i)
        PutRecord(out, list[static_cast<std::size_t>(i)]);
}

// ---- Reading ----------------------------------------------------------------------

// A count read from the file; a negative one reads as 0. Fails the reader
// when that many elements of at least minSize bytes cannot follow.
std::size_t GetCount(BinaryReader& in, std::size_t minSize)
{
    const int16_t n = in.GetInteger();
    if (!in.Ok() || n <= 0)
        return 0;
    const std::size_t count = static_cast<std::size_t>(n);
    if (count * minSize > in.Remaining()) {
        in.Fail();
        return 0;
    }
    return count;
}

// A list stored from element 1: bounds 0 to n, element 0 fresh.
bool GetStringList(BinaryReader& in, std::vector<QString>& list)
{
    const std::size_t n = GetCount(in, PackedStringMinSize);
    if (!in.Ok())
        return false;
    std::vector<QString> values(n + 1);
    for (std::size_t i = 1; i <= n; ++i) {
        StringRecord text;
        GetRecord(in, text);
        values[i] = text.Text;
    }
    if (!in.Ok())
        return false;
    list = std::move(values);
    return true;
}

bool GetStyles(BinaryReader& in, bool before26, std::vector<Style>& styles)
{
    const std::size_t n = GetCount(in, before26 ? PackedStyleBefore26MinSize : PackedStyleMinSize);
    if (!in.Ok())
        return false;
    std::vector<Style> values(n + 1);
    for (std::size_t i = 1; i <= n && in.Ok(); ++i) {
        if (before26) {
            StyleBefore26 old;
            GetRecord(in, old);
            ConvertStyleBefore26(values[i], old);
        } else {
            GetRecord(in, values[i]);
        }
    }
    if (!in.Ok())
        return false;
    styles = std::move(values);
    return true;
}

bool GetReportForms(BinaryReader& in, bool before26, std::vector<ReportForm>& forms)
{
    const std::size_t n = GetCount(in, PackedReportFormMinSize);
    if (!in.Ok())
        return false;
    std::vector<ReportForm> values(n + 1);
    for (std::size_t i = 1; i <= n && in.Ok(); ++i) {
        GetRecord(in, values[i]);
        if (before26)
            RenumberReportFormBefore26(values[i]);
    }
    if (!in.Ok())
        return false;
    forms = std::move(values);
    return true;
}

// Stored with element 0 (the criteria last used): the upper bound, then
// elements 0 to n.
bool GetSearchPatterns(BinaryReader& in, std::vector<SearchPattern>& patterns)
{
    const int16_t upper = in.GetInteger();
    if (!in.Ok())
        return false;
    const std::size_t count = upper < 0 ? 0 : static_cast<std::size_t>(upper) + 1;
    if (count * PackedSearchPatternMinSize > in.Remaining()) {
        in.Fail();
        return false;
    }
    std::vector<SearchPattern> values(std::max<std::size_t>(count, 1), SearchPattern{});
    for (std::size_t i = 0; i < count && in.Ok(); ++i)
        GetRecord(in, values[i]);
    if (!in.Ok())
        return false;
    patterns = std::move(values);
    return true;
}

template <typename Record>
bool GetWhole(BinaryReader& in, Record& target)
{
    Record value;
    GetRecord(in, value);
    if (!in.Ok())
        return false;
    target = std::move(value);
    return true;
}

bool GetWorkingSeries(BinaryReader& in, float version, Protocol& target)
{
    Protocol protocol;
    if (version >= 6.0f) {
        GetRecord(in, protocol);
    } else if (version >= 2.6f) {
        ProtocolBefore60 old;
        GetRecord(in, old);
        if (in.Ok())
            ConvertProtocolBefore60(protocol, old);
    } else {
        ProtocolBefore26 old;
        GetRecord(in, old);
        if (in.Ok())
            ConvertProtocolBefore26(protocol, old);
    }
    if (!in.Ok())
        return false;
    // Tests never survive in the settings file: open series have their own files.
    for (int b = 1; b <= PropertyCount; ++b)
        protocol.Blocks[b] = EmptyPropertyBlock;
    target = std::move(protocol);
    return true;
}

bool GetCurrentStyle(BinaryReader& in, float version, Style& target)
{
    Style style;
    if (version >= 2.6f) {
        GetRecord(in, style);
    } else {
        StyleBefore26 old;
        GetRecord(in, old);
        if (in.Ok())
            ConvertStyleBefore26(style, old);
    }
    if (!in.Ok())
        return false;
    target = std::move(style);
    return true;
}

// Items 3 to 17 of the file, from behind the version text. Each item goes
// to its global only when it was read whole; the first one that is not ends
// the reading. False when an item ended inside the file's last bytes, that
// is, the file is damaged rather than written by a version without the
// later items.
bool GetSettingsItems(BinaryReader& in, float version)
{
    const bool before26 = !(version >= 2.6f);   // NoValue counts as the oldest layout
    bool cut = false;
    auto step = [&](bool ok) {
        if (!ok)
            cut = true;
        return ok;
    };
    // An item that starts at the end of the file is missing, not damaged.
    auto present = [&]() { return in.Ok() && !in.AtEnd(); };

    if (!present() || !step(GetWhole(in, RefTitles)))
        return !cut;
    if (!present() || !step(GetStringList(in, Reference2Values)))
        return !cut;
    if (!present() || !step(GetStringList(in, Reference3Values)))
        return !cut;
    if (!present() || !step(GetStringList(in, Reference4Values)))
        return !cut;
    if (!present() || !step(GetStringList(in, Operators)))
        return !cut;
    if (!present() || !step(GetStyles(in, before26, Styles)))
        return !cut;
    if (!present() || !step(GetReportForms(in, before26, ReportForms)))
        return !cut;
    if (!present() || !step(GetSearchPatterns(in, SearchPatterns)))
        return !cut;
    if (!present() || !step(GetWhole(in, KeyboardDef)))
        return !cut;

    if (!present())
        return true;
    SystemSettings settings;
    GetRecord(in, settings);
    if (!step(in.Ok()))
        return false;
    // A damaged value would select no text table.
    if (settings.Language < 1 || settings.Language > 6)
        settings.Language = StoredSettings.Language;
    if (settings.DateFormat < 1 || settings.DateFormat > 3)
        settings.DateFormat = StoredSettings.DateFormat;
    StoredSettings = settings;

    if (!present())
        return true;
    const int16_t current = in.GetInteger();
    if (!step(in.Ok()))
        return false;
    CurrentProtocol = std::max<int16_t>(current, 0);

    if (!present())
        return true;
    if (Protocols.empty())
        Protocols.assign(1, EmptyProtocol);
    if (!step(GetWorkingSeries(in, version, Protocols[0])))
        return false;

    if (!present()) {
        CurrentStyle = BlankStyle;
        return true;
    }
    if (!step(GetCurrentStyle(in, version, CurrentStyle)))
        return false;

    if (!present() || !step(GetWhole(in, UserPasswords)))
        return !cut;

    if (version >= 6.0f && present()) {
        StringRecord folder;
        if (!step(GetWhole(in, folder)))
            return false;
        QDASFolder = folder.Text;
    }
    return true;
}

// A whole file image with the magic, from behind the magic, into the globals.
// False when the file is damaged: an item, or the version, ends inside it.
bool GetSettingsImage(const std::string& bytes)
{
    BinaryReader in(bytes);
    in.GetBytes(3);
    float version = NoValue;
    if (!in.AtEnd()) {
        version = dskReadVersion(in);
        if (!in.Ok())
            return false;
    }
    return GetSettingsItems(in, version);
}

// Every settings global at its value before the file is read: the lists at
// bounds 0 to 0, the records blank, the passwords empty (the first login is
// the supervisor's with an empty entry), both folders the program folder.
void SetSettingsDefaults(const QString& folder)
{
    ResetSettingsGlobals(folder);
    SearchPatterns.assign(1, EmptySearchPattern);
}

// ---- Files ---------------------------------------------------------------------------

std::optional<std::string> ReadWholeFile(const QString& path, SystemError& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = ErrorFromFile(file);
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = ErrorFromFile(file);
        return std::nullopt;
    }
    return bytes.toStdString();
}

// Writes the bytes through a temporary file and an atomic rename.
bool WriteWholeFile(const QString& path, const std::string& bytes, SystemError& error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = ErrorFromFile(file);
        return false;
    }
    if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
        error = ErrorFromFile(file);
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        error = ErrorFromFile(file);
        return false;
    }
    return true;
}

// A file the settings can be taken from: the magic and a readable version.
bool IsGoodSettingsImage(const std::string& bytes)
{
    if (dskReadMagic(bytes) != QLatin1String(SettingsMagic))
        return false;
    BinaryReader in(bytes);
    in.GetBytes(3);
    return dskReadVersion(in) != NoValue;
}

// True when a settings image reads to its end with no item cut short. It is
// read into the globals, so this runs only before the file is read, and the
// defaults are put back afterwards.
bool ReadsWhole(const std::string& bytes)
{
    const bool whole = IsGoodSettingsImage(bytes) && GetSettingsImage(bytes);
    SetSettingsDefaults(ProgramFolder());
    return whole;
}

// Moves QUINTARA.DAT to QUINTARA.DAT.BAD (in place of an older one) and logs
// why; False, with the failure logged, when it cannot be moved.
bool KeepSettingsFileAside(const QString& reason)
{
    const QString bad = SettingsBadPath();
    if (QFileInfo::exists(bad))
        QFile::remove(bad);
    QFile file(SettingsFilePath());
    if (!file.rename(bad)) {
        const SystemError error = ErrorFromFile(file);
        WriteLog(error.Number, error.Text, QStringLiteral("ReadSettingsFile"));
        return false;
    }
    WriteLog(0, QStringLiteral("QUINTARA.DAT %1; kept as QUINTARA.DAT.BAD").arg(reason),
             QStringLiteral("ReadSettingsFile"));
    return true;
}

// Before the settings are read: a file that is not a settings file is kept
// aside, and a missing, empty or unusable file is replaced by a good backup.
// A settings file cut short inside an item is replaced too, when the backup
// reads whole: an earlier version renamed the file to the backup before
// writing it anew, so a write it did not finish left the whole settings in
// the backup only.
void RecoverSettingsFile()
{
    const QString backup = SettingsBackupPath();
    SystemError error;
    std::optional<std::string> saved;

    if (QFileInfo(SettingsFilePath()).isFile()) {
        const std::optional<std::string> bytes = ReadWholeFile(SettingsFilePath(), error);
        if (!bytes)
            return;     // the read reports it
        if (!bytes->empty() && dskReadMagic(*bytes) != QLatin1String(SettingsMagic)) {
            if (!KeepSettingsFileAside(QStringLiteral("is not a settings file")))
                return;
        } else if (!bytes->empty()) {
            // A settings file: the read takes it from here unless it is damaged
            // and a backup holds the whole settings.
            if (!QFileInfo(backup).isFile())
                return;
            saved = ReadWholeFile(backup, error);
            if (!saved || ReadsWhole(*bytes) || !ReadsWhole(*saved))
                return;
            if (!KeepSettingsFileAside(QStringLiteral("is damaged")))
                return;
        }
    }

    if (!saved) {
        if (!QFileInfo(backup).isFile())
            return;
        saved = ReadWholeFile(backup, error);
        if (!saved || !IsGoodSettingsImage(*saved))
            return;
    }
    if (!WriteWholeFile(SettingsFilePath(), *saved, error)) {
        WriteLog(error.Number, error.Text, QStringLiteral("ReadSettingsFile"));
        return;
    }
    WriteLog(0, QStringLiteral("QUINTARA.DAT restored from QUINTARA.DAT.BAK"),
             QStringLiteral("ReadSettingsFile"));
}

} // namespace

QString SettingsFilePath() { return dskBuildPath(ProgramFolder(), SettingsFileName); }
QString SettingsBackupPath() { return dskBuildPath(ProgramFolder(), BackupFileName); }
QString SettingsBadPath() { return dskBuildPath(ProgramFolder(), BadFileName); }

bool InitSettings()
{
    const QString folder = ProgramFolder();
    SetSettingsDefaults(folder);
    if (folder.isEmpty())
        return true;
    // A file kept aside as not being a settings file still means this is no first start.
    const bool existedBefore = QFileInfo(SettingsFilePath()).isFile();
    RecoverSettingsFile();
    const bool existed = existedBefore || QFileInfo(SettingsFilePath()).isFile();
    ReadSettingsFile();
    StoredSettingsToGlobals();
    return !existed;
}

void ReadSettingsFile()
{
    if (ProgramFolder().isEmpty())
        return;
    const QString path = SettingsFilePath();
    SystemError error;
    if (!QFileInfo::exists(path)) {
        // The first start leaves an empty file, so the next start is not a first one.
        QFile create(path);
        if (!create.open(QIODevice::WriteOnly)) {
            error = ErrorFromFile(create);
            WriteLog(error.Number, error.Text, QStringLiteral("ReadSettingsFile"));
            return;
        }
        create.close();
    }
    const std::optional<std::string> bytes = ReadWholeFile(path, error);
    if (!bytes) {
        WriteLog(error.Number, error.Text, QStringLiteral("ReadSettingsFile"));
        return;
    }
    if (dskReadMagic(*bytes) != QLatin1String(SettingsMagic))
        return;
    if (!GetSettingsImage(*bytes))
        WriteLog(InputPastEndOfFile, QStringLiteral("Input past end of file"), QStringLiteral("ReadSettingsFile"));
}

std::string SettingsFileBytes()
{
    BinaryWriter out;
    dskPutHeader(out, SettingsMagic);
    PutRecord(out, RefTitles);
    PutStringList(out, Reference2Values);
    PutStringList(out, Reference3Values);
    PutStringList(out, Reference4Values);
    PutStringList(out, Operators);
    PutListFrom1(out, Styles);
    PutListFrom1(out, ReportForms);
    if (SearchPatterns.empty()) {
        out.PutInteger(0);
        PutRecord(out, EmptySearchPattern);
    } else {
        const int16_t n = StoredUpperBound(SearchPatterns.size());
        out.PutInteger(n);
        for (int16_t i = 0; i <= n; ++i)
            PutRecord(out, SearchPatterns[static_cast<std::size_t>(i)]);
    }
    PutRecord(out, KeyboardDef);
    PutRecord(out, StoredSettings);
    out.PutInteger(CurrentProtocol);
    PutRecord(out, Protocols.empty() ? EmptyProtocol : Protocols[0]);
    PutRecord(out, CurrentStyle);
    PutRecord(out, UserPasswords);
    PutRecord(out, StringRecord{QDASFolder});
    return out.Bytes();
}

void SaveSettings()
{
    GlobalsToStoredSettings();
    WriteSettingsFile();
}

void WriteSettingsFile()
{
    if (ProgramFolder().isEmpty())
        return;
    const QString path = SettingsFilePath();
    const QString backup = SettingsBackupPath();
    const std::string bytes = SettingsFileBytes();
    std::optional<SystemError> failure;
    SystemError error;

    // The backup is a copy, so the settings file itself is never missing.
    bool backedUp = false;
    if (QFileInfo(path).isFile()) {
        // A backup left over from an earlier write gives way to the copy.
        if (QFileInfo::exists(backup))
            QFile::remove(backup);
        QFile file(path);
        if (file.copy(backup))
            backedUp = true;
        else
            failure = ErrorFromFile(file);
    }

    const bool written = WriteWholeFile(path, bytes, error);
    if (!written)
        failure = error;

    // After a good write the backup is no longer needed; after a failed one
    // the settings file is the old one and the copy of it adds nothing.
    if (backedUp || (written && QFileInfo::exists(backup))) {
        QFile file(backup);
        if (!file.remove() && written)
            failure = ErrorFromFile(file);
    }
    if (failure)
        WriteLog(failure->Number, failure->Text, QStringLiteral("WriteSettingsFile"));
}
