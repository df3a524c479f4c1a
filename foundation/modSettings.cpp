#include "foundation/modSettings.h"

#include "foundation/modConvert.h"
#include "foundation/modDiskBasics.h"
#include "foundation/modGlobals.h"
#include "foundation/modLog.h"
#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "platform/BinaryIO.h"
#include "platform/ErrorCodes.h"
#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"
#include "platform/SystemEnd.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <optional>

#include <sys/stat.h>

namespace {

const QString SettingsFileName = QStringLiteral("QUINTARA.DAT");
const QString BackupFileName = QStringLiteral("QUINTARA.DAT.BAK");

// Counts on file are Integers.
constexpr std::size_t MaxCount = 32767;
constexpr std::size_t PackedStringMinSize = 2;

// Set when QUINTARA.DAT could not be read whole and could not be kept aside
// either: nothing in this run may replace it then.
bool g_keepSettingsFile = false;

// ---- Writing ----------------------------------------------------------------------

struct SettingsImage {
    std::string Bytes;
    QStringList Cuts;   // what did not fit the file's counts and lengths
};

// The upper bound written for a list whose element 0 is not stored. A list
// longer than an Integer count can say is written up to that count.
std::size_t StoredUpperBound(std::size_t size, const char* list, QStringList& cuts)
{
    const std::size_t upper = size > 0 ? size - 1 : 0;
    if (upper <= MaxCount)
        return upper;
    cuts.append(QStringLiteral("%1: %2 entries, %3 written").arg(QLatin1String(list)).arg(upper).arg(MaxCount));
    return MaxCount;
}

void PutStringList(BinaryWriter& out, const std::vector<QString>& list, const char* name, QStringList& cuts)
{
    const std::size_t n = StoredUpperBound(list.size(), name, cuts);
    out.PutInteger(static_cast<int16_t>(n));
    for (std::size_t i = 1; i <= n; ++i)
        PutRecord(out, StringRecord{list[i]});
}

template <typename Record>
void PutListFrom1(BinaryWriter& out, const std::vector<Record>& list, const char* name, QStringList& cuts)
{
    const std::size_t n = StoredUpperBound(list.size(), name, cuts);
    out.PutInteger(static_cast<int16_t>(n));
    for (std::size_t i = 1; i <= n; ++i)
        PutRecord(out, list[i]);
}

SettingsImage BuildSettingsImage(std::size_t expectedSize = 0)
{
    SettingsImage image;
    QStringList& cuts = image.Cuts;
    BinaryWriter out;
    // A large file grows in one step: the size of the file it replaces and a little more.
    out.Reserve(expectedSize + expectedSize / 16 + 4096);
    dskPutHeader(out, SettingsMagic);
    PutRecord(out, RefTitles);
    PutStringList(out, Reference2Values, "Reference2Values", cuts);
    PutStringList(out, Reference3Values, "Reference3Values", cuts);
    PutStringList(out, Reference4Values, "Reference4Values", cuts);
    PutStringList(out, Operators, "Operators", cuts);
    PutListFrom1(out, Styles, "Styles", cuts);
    PutListFrom1(out, ReportForms, "ReportForms", cuts);
    // Stored with element 0 (the criteria last used): the upper bound, then elements 0 to n.
    if (SearchPatterns.empty()) {
        out.PutInteger(0);
        PutRecord(out, EmptySearchPattern);
    } else {
        const std::size_t n = StoredUpperBound(SearchPatterns.size(), "SearchPatterns", cuts);
        out.PutInteger(static_cast<int16_t>(n));
        for (std::size_t i = 0; i <= n; ++i)
            PutRecord(out, SearchPatterns[i]);
    }
    PutRecord(out, KeyboardDef);
    PutRecord(out, StoredSettings);
    out.PutInteger(CurrentProtocol);
    PutRecord(out, Protocols.empty() ? EmptyProtocol : Protocols[0]);
    PutRecord(out, CurrentStyle);
    PutRecord(out, UserPasswords);
    PutRecord(out, StringRecord{QDASFolder});
    if (out.TextsCut() > 0)
        cuts.append(QStringLiteral("%1 text(s) cut to 65535 bytes").arg(out.TextsCut()));
    image.Bytes = out.TakeBytes();
    return image;
}

// ---- Reading ----------------------------------------------------------------------

// How far a settings image reads.
enum class ImageRead {
    Whole,        // every item its version holds
    Incomplete,   // it ends between two items, before its last one
    Cut,          // an item, or the version text, ends inside it
};

// A list stored with its upper bound n and elements 1 to n, read element by
// element: the elements read whole before a cut stay in the list. Element 0
// is fresh. False when the file ends inside the list.
template <typename Element, typename ReadOne>
bool GetListFrom1(BinaryReader& in, std::vector<Element>& list, std::size_t minSize, ReadOne readOne)
{
    const int16_t stored = in.GetInteger();
    if (!in.Ok())
        return false;
    const std::size_t n = stored > 0 ? static_cast<std::size_t>(stored) : 0;
    std::vector<Element> values(1);
    values.reserve(std::min(n, in.Remaining() / minSize) + 1);
    // Each element is read where it stays: a style is large to move.
    for (std::size_t i = 1; i <= n; ++i) {
        readOne(values.emplace_back());
        if (!in.Ok()) {
            values.pop_back();
            break;
        }
    }
    list = std::move(values);
    return in.Ok();
}

bool GetStringList(BinaryReader& in, std::vector<QString>& list)
{
    return GetListFrom1(in, list, PackedStringMinSize, [&in](QString& value) {
        StringRecord text;
        GetRecord(in, text);
        value = std::move(text.Text);
    });
}

bool GetStyles(BinaryReader& in, bool before26, std::vector<Style>& styles)
{
    const std::size_t minSize = before26 ? PackedStyleBefore26MinSize : PackedStyleMinSize;
    return GetListFrom1(in, styles, minSize, [&in, before26](Style& style) {
        if (!before26) {
            GetRecord(in, style);
            return;
        }
        StyleBefore26 old;
        GetRecord(in, old);
        if (in.Ok())
            ConvertStyleBefore26(style, old);
    });
}

bool GetReportForms(BinaryReader& in, bool before26, std::vector<ReportForm>& forms)
{
    return GetListFrom1(in, forms, PackedReportFormMinSize, [&in, before26](ReportForm& form) {
        GetRecord(in, form);
        if (in.Ok() && before26)
            RenumberReportFormBefore26(form);
    });
}

// Stored with element 0: the upper bound, then elements 0 to n. The
// patterns read whole before a cut are kept; at least element 0 remains.
bool GetSearchPatterns(BinaryReader& in, std::vector<SearchPattern>& patterns)
{
    const int16_t upper = in.GetInteger();
    if (!in.Ok())
        return false;
    const std::size_t count = upper < 0 ? 0 : static_cast<std::size_t>(upper) + 1;
    std::vector<SearchPattern> values;
    values.reserve(std::min(count, in.Remaining() / PackedSearchPatternMinSize) + 1);
    for (std::size_t i = 0; i < count; ++i) {
        SearchPattern pattern;
        GetRecord(in, pattern);
        if (!in.Ok())
            break;
        values.push_back(std::move(pattern));
    }
    if (values.empty())
        values.assign(1, SearchPattern{});
    patterns = std::move(values);
    return in.Ok();
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

// Item 3 to 17 of the file into its global; false when the file ends inside it.
bool GetSettingsItem(BinaryReader& in, int item, float version)
{
    const bool before26 = !(version >= 2.6f);   // NoValue counts as the oldest layout
    switch (item) {
    case 3:
        return GetWhole(in, RefTitles);
    case 4:
        return GetStringList(in, Reference2Values);
    case 5:
        return GetStringList(in, Reference3Values);
    case 6:
        return GetStringList(in, Reference4Values);
    case 7:
        return GetStringList(in, Operators);
    case 8:
        return GetStyles(in, before26, Styles);
    case 9:
        return GetReportForms(in, before26, ReportForms);
    case 10:
        return GetSearchPatterns(in, SearchPatterns);
    case 11:
        return GetWhole(in, KeyboardDef);
    case 12:
        return GetWhole(in, StoredSettings);
    case 13: {
        const int16_t current = in.GetInteger();
        if (!in.Ok())
            return false;
        CurrentProtocol = std::max<int16_t>(current, 0);
        return true;
    }
    case 14:
        if (Protocols.empty())
            Protocols.assign(1, EmptyProtocol);
        return GetWorkingSeries(in, version, Protocols[0]);
    case 15:
        return GetCurrentStyle(in, version, CurrentStyle);
    case 16:
        return GetWhole(in, UserPasswords);
    case 17: {
        StringRecord folder;
        if (!GetWhole(in, folder))
            return false;
        QDASFolder = folder.Text;
        return true;
    }
    default:
        return true;
    }
}

// Items 3 to 17, from behind the version text, each into its global as far
// as it reads: a list keeps the elements read whole before a cut, a record
// is taken only whole, and the first item that is cut ends the reading.
ImageRead GetSettingsItems(BinaryReader& in, float version)
{
    // The Q-DAS folder exists from 6.0 on. This version's writer writes
    // every item, and its file is whole only with all of them; a file of an
    // older version may end after the working series.
    const int items = version >= 6.0f ? 17 : 16;
    const int lastNeeded = version >= 8.0f ? 17 : 14;
    for (int item = 3; item <= items; ++item) {
        if (in.AtEnd()) {
            if (item == 15)
                CurrentStyle = BlankStyle;
            return item > lastNeeded ? ImageRead::Whole : ImageRead::Incomplete;
        }
        if (!GetSettingsItem(in, item, version))
            return ImageRead::Cut;
    }
    return ImageRead::Whole;
}

// Values out of range that were read as their defaults: how many, and the first.
struct OutOfRange {
    int Count = 0;
    QString First;

    void Note(const QString& what)
    {
        if (Count++ == 0)
            First = what;
    }
};

// Resets the test types of the form's items that lie outside 0 to 20 to 0
// (unused); the number of the first such item, 0 when there is none.
int DefaultFormTestTypes(ReportForm& form)
{
    int first = 0;
    for (int k = 1; k <= ReportFormItemCount; ++k) {
        int16_t& testType = form.Items[k].Property;
        if (testType >= 0 && testType <= TestTypeCount)
            continue;
        testType = 0;
        if (first == 0)
            first = k;
    }
    return first;
}

void DefaultStyleTestTypes(Style& style, const QString& where, OutOfRange& found)
{
    for (int f = 1; f <= StyleFormCount; ++f)
        if (const int k = DefaultFormTestTypes(style.Forms[f]))
            found.Note(QStringLiteral("test type in item %1 of report form %2 of %3").arg(k).arg(f).arg(where));
}

// The indexes the settings carry into arrays (the report form and property
// of the working series, the test type of each report-form item) and the
// language and date format, which select text tables: a damaged file could
// hold any value, and each one outside its range reads as its default.
OutOfRange DefaultOutOfRangeValues()
{
    OutOfRange found;
    const SystemSettings defaults = DefaultSystemSettings(QString());
    if (StoredSettings.Language < 1 || StoredSettings.Language > 6) {
        found.Note(QStringLiteral("language %1").arg(StoredSettings.Language));
        StoredSettings.Language = defaults.Language;
    }
    if (StoredSettings.DateFormat < 1 || StoredSettings.DateFormat > 3) {
        found.Note(QStringLiteral("date format %1").arg(StoredSettings.DateFormat));
        StoredSettings.DateFormat = defaults.DateFormat;
    }
    for (std::size_t i = 1; i < Styles.size(); ++i)
        DefaultStyleTestTypes(Styles[i], QStringLiteral("style %1").arg(i), found);
    for (std::size_t i = 1; i < ReportForms.size(); ++i)
        if (const int k = DefaultFormTestTypes(ReportForms[i]))
            found.Note(QStringLiteral("test type in item %1 of report form %2").arg(k).arg(i));
    if (!Protocols.empty()) {
        Protocol& working = Protocols[0];
        if (working.FormIndex < 1 || working.FormIndex > StyleFormCount) {
            found.Note(QStringLiteral("report form %1 of the working series").arg(working.FormIndex));
            working.FormIndex = 1;
        }
        if (working.CurrentProperty < 1 || working.CurrentProperty > PropertyCount) {
            found.Note(QStringLiteral("current property %1 of the working series").arg(working.CurrentProperty));
            working.CurrentProperty = 1;
        }
        DefaultStyleTestTypes(working.Style, QStringLiteral("the working series"), found);
    }
    DefaultStyleTestTypes(CurrentStyle, QStringLiteral("the style in the editor"), found);
    return found;
}

// A whole file image with the magic, from behind the magic, into the
// globals; values out of range read as their defaults and are noted.
ImageRead ReadSettingsImage(const char* data, std::size_t size, OutOfRange& found)
{
    BinaryReader in(data, size);
    in.GetBytes(3);
    ImageRead state = ImageRead::Incomplete;
    if (!in.AtEnd()) {
        const float version = dskReadVersion(in);
        state = in.Ok() ? GetSettingsItems(in, version) : ImageRead::Cut;
    }
    found = DefaultOutOfRangeValues();
    return state;
}

ImageRead ReadSettingsImage(const std::string& bytes, OutOfRange& found)
{
    return ReadSettingsImage(bytes.data(), bytes.size(), found);
}

// Every settings global at its value before the file is read: the lists at
// bounds 0 to 0, the records blank, the passwords empty (the first login is
// the supervisor's with an empty entry), both folders the program folder.
void SetSettingsDefaults(const QString& folder) { ResetSettingsGlobals(folder); }

// ---- Files ---------------------------------------------------------------------------

// A file the settings can be taken from: the magic and a readable version.
bool IsGoodSettingsImage(const std::string& bytes)
{
    if (dskReadMagic(bytes) != QLatin1String(SettingsMagic))
        return false;
    BinaryReader in(bytes);
    in.GetBytes(3);
    return dskReadVersion(in) != NoValue;
}

// The backup's bytes when it exists, reads and is a settings file.
std::optional<std::string> GoodBackupImage()
{
    const QString backup = SettingsBackupPath();
    if (!QFileInfo(backup).isFile())
        return std::nullopt;
    SystemError error;
    std::optional<std::string> bytes = ReadFileWhole(backup, error, LinkAtName::Follow, MaxSettingsFileSize);
    if (!bytes || !IsGoodSettingsImage(*bytes))
        return std::nullopt;
    return bytes;
}

// The files that hold the passwords are the owner's alone, also when an
// earlier version left them readable for others.
void KeepPrivate(const QString& path)
{
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
        | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    // Never through a link at the name: its target is not the program's.
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return;
    if (QFile::permissions(path) & others)
        QFile::setPermissions(path, OwnerOnlyPermissions);
}

// The first free name of QUINTARA.DAT.BAD, .BAD2, .BAD3, ..., or the one
// that already holds these very bytes (same set), so a damaged file read at
// several starts is kept once.
QString BadFilePath(const std::string* bytes, bool& same)
{
    same = false;
    for (int n = 1;; ++n) {
        const QString path = SettingsBadPath(n);
        const QFileInfo info(path);
        if (!info.exists())
            return path;
        if (!bytes || !info.isFile() || info.size() != static_cast<qint64>(bytes->size()))
            continue;
        SystemError error;
        const std::optional<std::string> kept = ReadFileWhole(path, error, LinkAtName::Follow, MaxSettingsFileSize);
        if (kept && *kept == *bytes) {
            same = true;
            return path;
        }
    }
}

enum class Aside {
    Copy,   // QUINTARA.DAT stays where it is as well (it is read as far as it goes)
    Move,   // QUINTARA.DAT leaves its place
};

// Keeps QUINTARA.DAT as a .BAD file before anything can replace it, and
// writes the one log line that says why and where. bytes: its content when
// it could be read. A copy that cannot be written falls back to moving the
// file; when neither works the file is kept from every write of this run.
void KeepSettingsFileAside(const std::string* bytes, Aside how, int32_t number, const QString& reason)
{
    const QString path = SettingsFilePath();
    bool same = false;
    const QString bad = BadFilePath(bytes, same);
    SystemError error;
    bool kept = same;
    if (same && how == Aside::Move) {
        QFile file(path);
        kept = file.remove();
        if (!kept)
            error = ErrorFromFile(file);
    }
    if (!kept && how == Aside::Copy && bytes)
        kept = WriteFileAtomically(bad, *bytes, error, OwnerOnlyPermissions);
    if (!kept) {
        QFile file(path);
        kept = file.rename(bad);
        if (kept)
            KeepPrivate(bad);
        else
            error = ErrorFromFile(file);
    }
    const QString what = reason.isEmpty() ? QString() : reason + QStringLiteral("; ");
    if (kept) {
        WriteLog(number, what + QStringLiteral("QUINTARA.DAT kept as ") + QFileInfo(bad).fileName(),
                 QStringLiteral("ReadSettingsFile"));
        return;
    }
    g_keepSettingsFile = true;
    WriteLog(number, what + QStringLiteral("QUINTARA.DAT not kept aside (%1), so it is not replaced").arg(error.Text),
             QStringLiteral("ReadSettingsFile"));
}

void KeepSettingsFileAside(const std::string* bytes, Aside how, ImageRead state)
{
    const QString reason = state == ImageRead::Cut ? QStringLiteral("Input past end of file")
                                                   : QStringLiteral("The file ends before its last item");
    KeepSettingsFileAside(bytes, how, ClassicError::InputPastEndOfFile, reason);
}

// A backup that does not read whole beside a settings file that does not
// either: the next save would remove it, and it may hold what the settings
// file lost, so it goes to the next .BAD name with one log line.
void KeepBackupAside()
{
    bool same = false;
    const QString bad = BadFilePath(nullptr, same);
    QFile file(SettingsBackupPath());
    if (!file.rename(bad)) {
        WriteLog(ErrorFromFile(file), QStringLiteral("ReadSettingsFile"), QStringLiteral("QUINTARA.DAT.BAK"));
        return;
    }
    WriteLog(ClassicError::InputPastEndOfFile,
             QStringLiteral("QUINTARA.DAT.BAK does not read whole either; kept as ") + QFileInfo(bad).fileName(),
             QStringLiteral("ReadSettingsFile"));
}

// Writes the backup's bytes as QUINTARA.DAT.
void RestoreFromBackup(const std::string& saved)
{
    if (g_keepSettingsFile)
        return;
    SystemError error;
    if (!WriteFileAtomically(SettingsFilePath(), saved, error, OwnerOnlyPermissions)) {
        WriteLog(error, QStringLiteral("ReadSettingsFile"));
        return;
    }
    WriteLog(0, QStringLiteral("QUINTARA.DAT restored from QUINTARA.DAT.BAK"), QStringLiteral("ReadSettingsFile"));
}

void LogOutOfRange(const OutOfRange& found)
{
    if (found.Count == 0)
        return;
    WriteLog(ClassicError::SubscriptOutOfRange,
             QStringLiteral("Subscript out of range: %1 value(s) read as their defaults, the first %2")
                 .arg(found.Count)
                 .arg(found.First),
             QStringLiteral("ReadSettingsFile"));
}

// A settings write killed after its temporary file got a name and before
// the rename left that file beside the settings: it holds the passwords, so
// it goes for good (not to the trash), and the settings file itself is the
// old one or the new one, whole either way. Only the writer's own shape
// goes: the shape of earlier versions' temporary files is one a user's copy
// may bear too ("QUINTARA.DAT.backup"), so such a file goes to the trash,
// where it can be taken back from.
void RemoveSettingsWriteLeftovers()
{
    for (const QString& left : AtomicWriteLeftovers(SettingsFilePath())) {
        QFile file(left);
        if (file.remove())
            WriteLog(0, QStringLiteral("Removed a settings file left by an unfinished write: ") + left,
                     QStringLiteral("ReadSettingsFile"));
        else
            WriteLog(ErrorFromFile(file), QStringLiteral("ReadSettingsFile"), left);
    }
    for (const QString& left : EarlierAtomicWriteLeftovers(SettingsFilePath())) {
        SystemError error;
        if (dskMoveToTrash(left, error))
            WriteLog(0, QStringLiteral("%1 may be left by an unfinished write of an earlier version; moved to the trash")
                            .arg(left), QStringLiteral("ReadSettingsFile"));
        else
            WriteLog(error.Number, QStringLiteral("%1 (not moved to the trash: %2)").arg(error.Text, left),
                     QStringLiteral("ReadSettingsFile"));
    }
}

// ReadSettingsFile behind its name; true when the settings came from a file
// or its backup, that is, this is no first start.
//
// A file that reads whole is read. One that does not read whole (cut inside
// an item, or ending before its last item) is kept as QUINTARA.DAT.BAD (or
// .BAD2, ...) before anything can replace it; a backup that reads whole is
// then preferred (an earlier version renamed the file to the backup before
// it wrote it anew, so a write it did not finish left the whole settings in
// the backup only), else the file is read as far as it goes. A file that
// cannot be read at all, or is no settings file, is moved aside; a missing
// or empty one is restored from a backup that is a settings file, and
// without one it is a first start. No file is made here: the first one is
// written whole by the first save, so a first start that ends before it
// (a cancelled login, a logout in the welcome window) leaves none, and the
// next start greets the user again.
bool TakeSettingsFile()
{
    g_keepSettingsFile = false;
    const QString path = SettingsFilePath();
    KeepPrivate(path);
    KeepPrivate(SettingsBackupPath());
    OutOfRange found;
    bool foundFile = false;

    if (QFileInfo::exists(path)) {
        SystemError error;
        const std::optional<std::string> bytes = ReadFileWhole(path, error, LinkAtName::Follow, MaxSettingsFileSize);
        // An empty file holds no settings: an earlier version made one at the
        // first start, before anything was written into it.
        foundFile = !bytes || !bytes->empty();
        if (!bytes) {
            KeepSettingsFileAside(nullptr, Aside::Move, error.Number, error.Text);
        } else if (!bytes->empty() && dskReadMagic(bytes->substr(0, 3)) != QLatin1String(SettingsMagic)) {
            KeepSettingsFileAside(&*bytes, Aside::Move, 0, QStringLiteral("Not a settings file"));
        } else if (!bytes->empty()) {
            const ImageRead state = ReadSettingsImage(bytes->data(), bytes->size(), found);
            if (state != ImageRead::Whole) {
                const std::string& damaged = *bytes;
                std::optional<std::string> saved = GoodBackupImage();
                bool restored = false;
                if (saved) {
                    SetSettingsDefaults(ProgramFolder());
                    restored = ReadSettingsImage(*saved, found) == ImageRead::Whole;
                    if (!restored) {
                        SetSettingsDefaults(ProgramFolder());
                        ReadSettingsImage(damaged, found);
                    }
                }
                KeepSettingsFileAside(&damaged, restored ? Aside::Move : Aside::Copy, state);
                if (restored)
                    RestoreFromBackup(*saved);
                else if (saved)
                    KeepBackupAside();
            }
            LogOutOfRange(found);
            return true;
        }
    }

    // No settings file to read: missing, empty, or just kept aside.
    if (const std::optional<std::string> saved = GoodBackupImage()) {
        ReadSettingsImage(*saved, found);
        RestoreFromBackup(*saved);
        LogOutOfRange(found);
        return true;
    }
    return foundFile;
}

} // namespace

QString SettingsFilePath() { return dskBuildPath(ProgramFolder(), SettingsFileName); }
QString SettingsBackupPath() { return dskBuildPath(ProgramFolder(), BackupFileName); }

QString SettingsBadPath(int number)
{
    return dskBuildPath(ProgramFolder(), dskAsideName(SettingsFileName, number));
}

bool InitSettings()
{
    const QString folder = ProgramFolder();
    SetSettingsDefaults(folder);
    if (folder.isEmpty())
        return true;
    RemoveSettingsWriteLeftovers();
    const bool found = TakeSettingsFile();
    StoredSettingsToGlobals();
    return !found;
}

void ReadSettingsFile()
{
    if (ProgramFolder().isEmpty())
        return;
    TakeSettingsFile();
}

std::string SettingsFileBytes() { return BuildSettingsImage().Bytes; }

bool SaveSettings()
{
    GlobalsToStoredSettings();
    return WriteSettingsFile();
}

namespace {

// True when the settings file holds what a save would write now.
bool SettingsFileIsCurrent()
{
    SystemError error;
    const std::optional<std::string> bytes = ReadFileWhole(SettingsFilePath(), error, LinkAtName::Follow, MaxSettingsFileSize);
    return bytes && *bytes == SettingsFileBytes();
}

} // namespace

bool SaveSettingsTelling(SettingsSaveAsk ask)
{
    constexpr int16_t MsgWriteError = 31;
    constexpr int16_t MsgKeptInMemory = 44;
    bool saved = SaveSettings();
    // The system's end has nobody to ask; a file that holds the settings
    // already loses nothing.
    if (saved || SystemEndRequested() || SettingsFileIsCurrent())
        return saved;
    if (ask != SettingsSaveAsk::Declined) {
        while (!saved && ShowMessage(MsgWriteError) == AnswerYes)
            saved = SaveSettings();
        if (saved)
            return true;
    }
    if (ask != SettingsSaveAsk::ProgramEnd)
        ShowMessage(MsgKeptInMemory);
    return false;
}

bool WriteSettingsFile()
{
    if (ProgramFolder().isEmpty())
        return true;
    if (g_keepSettingsFile) {
        WriteLog(ClassicError::PathFileAccess,
                 QStringLiteral("The settings file could not be kept aside; it is not replaced: ") + SettingsFilePath(),
                 QStringLiteral("WriteSettingsFile"));
        return false;
    }
    const QString path = SettingsFilePath();
    const QString backup = SettingsBackupPath();
    const SettingsImage image = BuildSettingsImage(static_cast<std::size_t>(std::max<qint64>(QFileInfo(path).size(), 0)));
    std::optional<SystemError> failure;
    QString failedPath;
    SystemError error;

    // The backup holds the old file while the new one is written; the
    // settings file itself is replaced at once and is never missing.
    bool backedUp = false;
    if (QFileInfo(path).isFile()) {
        // A backup left over from an earlier write gives way.
        if (QFileInfo::exists(backup))
            UnlinkInSharedFolder(backup);
        if (LinkOrCopyFile(path, backup, error, OwnerOnlyPermissions)) {
            backedUp = true;
        } else {
            failure = error;
            failedPath = backup;
        }
    }

    const bool written = WriteFileAtomically(path, image.Bytes, error, OwnerOnlyPermissions);
    if (!written) {
        failure = error;
        failedPath = path;
    }

    // After a good write the backup is no longer needed; after a failed one
    // the settings file is the old one and the backup adds nothing.
    if (backedUp || (written && QFileInfo::exists(backup))) {
        QFile file(backup);
        if (!file.remove() && written) {
            failure = ErrorFromFile(file);
            failedPath = backup;
        }
    }
    if (written && !image.Cuts.isEmpty())
        WriteLog(0, image.Cuts.join(QStringLiteral("; ")), QStringLiteral("WriteSettingsFile"));
    if (failure)
        WriteLog(*failure, QStringLiteral("WriteSettingsFile"), failedPath);
    return written;
}
