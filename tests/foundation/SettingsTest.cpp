#include "support/Bytes.h"
#include "support/ChildProcess.h"
#include "support/ReadOnlyFolder.h"
#include "foundation/modConvert.h"
#include "foundation/modGlobals.h"
#include "foundation/modLog.h"
#include "foundation/modRecords.h"
#include "foundation/modSettings.h"
#include "platform/BinaryIO.h"
#include "platform/OleDate.h"
#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <tuple>

#include <sys/stat.h>
#include <unistd.h>

namespace {

enum class Layout { Before26, Before60, Current };

TestDefinition Definition(float nominal, bool defined)
{
    TestDefinition d = BlankTestDefinition;
    d.Defined1 = defined;
    d.Nominal1 = nominal;
    d.TestCount = 5;
    d.HeaderImage = "H" + std::to_string(static_cast<int>(nominal));
    return d;
}

ReportForm Form(const QString& name)
{
    ReportForm f = BlankReportForm;
    f.Name = name;
    f.Items[1] = ReportFormItem{17, true, false};
    f.Items[2] = ReportFormItem{16, false, true};
    f.Items[3] = ReportFormItem{0, false, false};
    return f;
}

// Test type t carries the nominal value t; in the old layout test type 16 is
// the last one before the insertion.
template <typename AnyStyle>
AnyStyle StyleNamed(const QString& name, int testTypes)
{
    AnyStyle s;
    s.Name = name;
    for (int t = 1; t <= testTypes; ++t)
        s.Tests[t] = Definition(static_cast<float>(t), t == 16);
    for (int f = 1; f <= StyleFormCount; ++f)
        s.Forms[f] = BlankReportForm;
    s.Forms[1] = Form(QStringLiteral("F1"));
    return s;
}

Style NewStyle(const QString& name) { return StyleNamed<Style>(name, TestTypeCount); }

void PutStyle(BinaryWriter& out, Layout layout, const QString& name)
{
    if (layout == Layout::Before26)
        PutRecord(out, StyleNamed<StyleBefore26>(name, OldTestTypeCount));
    else
        PutRecord(out, NewStyle(name));
}

// The same working series in each layout; the old layouts with a test in every block.
template <typename Series, typename SeriesStyle>
void PutWorkingSeries(BinaryWriter& out, Series p, const SeriesStyle& style)
{
    p.Style = style;
    p.Reference2 = QStringLiteral("Ref-2");
    p.Operator = QStringLiteral("Op");
    p.FormIndex = 3;
    p.CurrentProperty = 2;
    PutRecord(out, p);
}

void PutWorkingSeries(BinaryWriter& out, Layout layout)
{
    PropertyBlockBefore60 block;
    block.Values.resize(2);
    block.Values[1].Value1 = 5;
    block.Header = "header";
    block.LateralAir = NoValue;
    ProtocolBefore60 before60;
    before60.Blocks.fill(block);
    ProtocolBefore26 before26;
    before26.Blocks.fill(block);
    Protocol current = EmptyProtocol;
    current.K0006 = QStringLiteral("K6");
    current.Blocks[1].Values.push_back(EmptyTestValue);
    current.Blocks[1].Header = "header";
    if (layout == Layout::Current)
        PutWorkingSeries(out, current, NewStyle(QStringLiteral("Alpha")));
    else if (layout == Layout::Before60)
        PutWorkingSeries(out, before60, NewStyle(QStringLiteral("Alpha")));
    else
        PutWorkingSeries(out, before26, StyleNamed<StyleBefore26>(QStringLiteral("Alpha"), OldTestTypeCount));
}

void PutText(BinaryWriter& out, const char* text) { out.PutString(std::string(text)); }

const SystemSettings WrittenSettings{3, 2, 5, QStringLiteral("/data/x"), false, true, true, {2, 3, 0, 4, 0, 5}};

// The system settings as the globals hold them.
SystemSettings GlobalSettings()
{
    return SystemSettings{Language, DateFormat, ComPort, DataFolder, AutoSave, AutoPrint, SwitchBoxUsed, PortDevice};
}

// Every item of the file as the globals hold it, but the working series.
auto EveryItem()
{
    return std::tuple(RefTitles, Reference2Values, Reference3Values, Reference4Values, Operators, Styles, ReportForms,
                      SearchPatterns, KeyboardDef, StoredSettings, GlobalSettings(), CurrentProtocol, CurrentStyle,
                      UserPasswords, QDASFolder);
}

// Items 1 to 14 of a settings file with the given version text.
void PutItemsTo14(BinaryWriter& out, const std::string& version, Layout layout)
{
    out.PutBytes("QTA");
    out.PutString(version);
    for (int i = 0; i < 18; ++i)
        out.PutString("T" + std::to_string(i));
    out.PutInteger(2);      // reference 2 values
    PutText(out, "R2a");
    PutText(out, "R2b");
    out.PutInteger(0);      // reference 3 values
    out.PutInteger(1);      // reference 4 values
    PutText(out, "R4\xE4");
    out.PutInteger(1);      // operators
    PutText(out, "Meier");
    out.PutInteger(1);      // styles
    PutStyle(out, layout, QStringLiteral("Alpha"));
    out.PutInteger(1);      // report forms
    PutRecord(out, Form(QStringLiteral("Form A")));
    out.PutInteger(1);      // search patterns 0 to 1
    SearchPattern last = EmptySearchPattern;
    last.TestType = 3;
    last.Style = QStringLiteral("A*");
    PutRecord(out, last);
    SearchPattern saved = EmptySearchPattern;
    saved.Operator = QStringLiteral("B?");
    PutRecord(out, saved);
    KeyboardDefinition keyboard = EmptyKeyboardDefinition;
    keyboard.Instrument = QStringLiteral("KB");
    PutRecord(out, keyboard);
    PutRecord(out, WrittenSettings);
    out.PutInteger(2);      // current series
    PutWorkingSeries(out, layout);
}

// A whole file; the Q-DAS folder is written for every version, so that the
// reader has to leave it alone below 6.0.
std::string SettingsFile(const std::string& version, Layout layout)
{
    BinaryWriter out;
    PutItemsTo14(out, version, layout);
    PutStyle(out, layout, QStringLiteral("Beta"));
    PutRecord(out, Passwords{QStringLiteral("user1"), QStringLiteral("super1")});
    PutText(out, "/qdas");
    return out.Bytes();
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        SetProgramFolder(m_dir.path());
        SetFixedClock(DateSerial(2024, 1, 5) + TimeSerial(9, 7, 3));
    }
    void TearDown() override
    {
        SetClock({});
        SetProgramFolder(QString());
    }

    QString Path(const char* name) const { return m_dir.path() + QLatin1Char('/') + QLatin1String(name); }
    QString DatPath() const { return Path("QUINTARA.DAT"); }
    void ClearFolder() const
    {
        for (const QString& name : QDir(m_dir.path()).entryList(QDir::Files))
            QFile::remove(m_dir.filePath(name));
    }

    void WriteFile(const QString& path, const std::string& bytes) const
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    static std::string ReadFile(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
    }
    QStringList LogLines() const
    {
        const QString text = QString::fromLatin1(ReadFile(Path("QUINTARA.LOG")));
        QStringList lines = text.split(QStringLiteral("\r\n"));
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }
    // The log holds one line, which starts with the given text.
    void ExpectOneLogLine(const QByteArray& start) const
    {
        const QStringList lines = LogLines();
        ASSERT_EQ(lines.size(), 1);
        EXPECT_TRUE(lines[0].startsWith(QString::fromLatin1(start))) << lines[0].toStdString();
    }

    // Every setting changed from its default.
    void ChangeEveryItem()
    {
        for (int i = 0; i < 18; ++i)
            RefTitles.Titles[static_cast<std::size_t>(i)] = QStringLiteral("Title %1").arg(i);
        Reference2Values = {QString(), QStringLiteral("a"), QStringLiteral("b")};
        Reference3Values = {QString(), QString::fromUtf8("ü")};
        Reference4Values = {QString(), QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z")};
        Operators = {QString(), QStringLiteral("Meier"), QStringLiteral("Huber")};
        Styles = {Style{}, NewStyle(QStringLiteral("One")), NewStyle(QStringLiteral("Two"))};
        ReportForms = {ReportForm{}, Form(QStringLiteral("RF"))};
        SearchPatterns.assign(3, EmptySearchPattern);
        SearchPatterns[0].Style = QStringLiteral("last");
        SearchPatterns[2].TestType = 7;
        SearchPatterns[2].Reference4 = QStringLiteral("R?");
        SearchPatterns[2].DateFrom = DateSerial(2023, 1, 1);
        SearchPatterns[2].DateTo = DateSerial(2023, 12, 31);
        KeyboardDef.Instrument = QStringLiteral("Hand");
        KeyboardDef.Parameter4 = QStringLiteral("P4");
        Language = 5;
        DateFormat = 3;
        ComPort = 7;
        DataFolder = QStringLiteral("/somewhere/data");
        AutoSave = false;
        AutoPrint = false;
        SwitchBoxUsed = true;
        PortDevice = {1, 2, 3, 4, 5, 6};
        CurrentProtocol = 4;
        Protocols[0].Reference3 = QStringLiteral("prepared");
        Protocols[0].K1087 = QStringLiteral("k");
        Protocols[0].Style = NewStyle(QStringLiteral("Copy"));
        Protocols[0].Blocks[2].Commentary = QStringLiteral("tests are not kept");
        CurrentStyle = NewStyle(QStringLiteral("Editing"));
        UserPasswords = Passwords{QStringLiteral("user"), QStringLiteral("boss")};
        QDASFolder = QStringLiteral("/qdas/out");
    }

    QTemporaryDir m_dir;
};

TEST_F(SettingsTest, FirstStartUsesTheDefaultsAndLeavesNoFileAsAnEmptyOneIsNone)
{
    ChangeEveryItem();
    EXPECT_TRUE(InitSettings());
    const SystemSettings defaults{2, 1, 2, m_dir.path(), true, true, false, {}};
    EXPECT_EQ(GlobalSettings(), defaults);
    EXPECT_EQ(StoredSettings, defaults);
    EXPECT_EQ(QDASFolder, m_dir.path());
    EXPECT_TRUE(Protocols == std::vector<Protocol>{EmptyProtocol} && Styles == std::vector<Style>{BlankStyle});
    EXPECT_EQ(Reference2Values.size() + Operators.size() + SearchPatterns.size() + ReportForms.size(), 4u);
    EXPECT_EQ(RefTitles.Titles[9], QStringLiteral("Referenz 2:"));   // Italian slot
    EXPECT_TRUE(CurrentStyle == BlankStyle && UserPasswords == Passwords{});

    // The first save writes the first file, whole; until then the next start
    // is a first start again, also where an earlier version left an empty file.
    EXPECT_FALSE(QFileInfo::exists(DatPath()));
    EXPECT_TRUE(InitSettings());
    WriteFile(DatPath(), std::string());
    EXPECT_TRUE(InitSettings());
    EXPECT_EQ(Language, 2);
    EXPECT_TRUE(LogLines().isEmpty());
}

TEST_F(SettingsTest, EveryItemIsSavedAndReadBack)
{
    InitSettings();
    ChangeEveryItem();
    SaveSettings();
    const std::string bytes = ReadFile(DatPath());
    // The end of the file: current style, then the passwords and the Q-DAS folder.
    const std::string tail = Hex("04 00 75 73 65 72  04 00 62 6F 73 73"
                                 "09 00 2F 71 64 61 73 2F 6F 75 74");
    ASSERT_GT(bytes.size(), tail.size());
    EXPECT_EQ(ToHex(bytes.substr(bytes.size() - tail.size())), ToHex(tail));
    EXPECT_EQ(bytes, SettingsFileBytes());

    ASSERT_EQ(StoredSettings,
              (SystemSettings{5, 3, 7, QStringLiteral("/somewhere/data"), false, false, true, {1, 2, 3, 4, 5, 6}}));
    // Search patterns are stored without their dates, which come back as 0.
    SearchPatterns[2].DateFrom = SearchPatterns[2].DateTo = SearchPatterns[2].TimeFrom = SearchPatterns[2].TimeTo = 0;
    const auto saved = EveryItem();
    Protocol prepared = Protocols[0];

    EXPECT_FALSE(InitSettings());
    EXPECT_TRUE(EveryItem() == saved);
    EXPECT_EQ(CurrentProtocol, 4);
    // The prepared series comes back with six empty blocks.
    for (int b = 1; b <= PropertyCount; ++b)
        prepared.Blocks[b] = EmptyPropertyBlock;
    ASSERT_EQ(Protocols.size(), 1u);
    EXPECT_EQ(Protocols[0], prepared);
    EXPECT_TRUE(LogLines().isEmpty());
}

TEST_F(SettingsTest, ListsAreWrittenFromElementOneAndPatternsFromElementZero)
{
    InitSettings();
    for (QString& title : RefTitles.Titles)
        title.clear();
    Reference2Values = {QStringLiteral("never stored"), QStringLiteral("A"), QStringLiteral("Bc")};
    Reference4Values = {QString(), QString::fromUtf8("ä")};
    SearchPatterns.assign(1, EmptySearchPattern);
    SearchPatterns[0].TestType = 2;
    SearchPatterns[0].Style = QStringLiteral("S");
    const std::string bytes = SettingsFileBytes();
    const std::string expected = Hex("51 54 41 03 00 38 2E 30")
        + std::string(36, '\0')                                 // 18 empty captions
        + Hex("02 00  01 00 41  02 00 42 63")                   // reference 2: n = 2, "A", "Bc"
        + Hex("00 00")                                          // reference 3: none
        + Hex("01 00  01 00 E4")                                // reference 4: "ä"
        + Hex("00 00")                                          // operators
        + Hex("00 00")                                          // styles
        + Hex("00 00")                                          // report forms
        + Hex("00 00  02 00 01 00 53 00 00 00 00 00 00 00 00"); // patterns 0 to 0
    EXPECT_EQ(ToHex(bytes.substr(0, expected.size())), ToHex(expected));
}

struct VersionCase {
    const char* version;
    Layout layout;
    bool readsQdasFolder;
};

class SettingsVersionTest : public SettingsTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(SettingsVersionTest, EachVersionIsReadInItsLayout)
{
    const VersionCase c = GetParam();
    WriteFile(DatPath(), SettingsFile(c.version, c.layout));
    EXPECT_FALSE(InitSettings());

    EXPECT_EQ(Reference4Values, (std::vector<QString>{QString(), QString::fromUtf8("R4ä")}));

    ASSERT_EQ(Styles.size(), 2u);
    const Style& style = Styles[1];
    EXPECT_EQ(style.Name, QStringLiteral("Alpha"));
    EXPECT_EQ(style.Tests[16], Definition(16, true));
    const int16_t movedProperty = c.layout == Layout::Before26 ? 18 : 17;
    if (c.layout == Layout::Before26) {
        // 19 test types become 20: type 17 starts as a copy of 16, 17 to 19 move up.
        EXPECT_EQ(style.Tests[17], Definition(16, true));
        EXPECT_EQ(style.Tests[18], Definition(17, false));
        EXPECT_EQ(style.Tests[20], Definition(19, false));
    } else {
        EXPECT_EQ(style.Tests[17], Definition(17, false));
        EXPECT_EQ(style.Tests[20], Definition(20, false));
    }
    EXPECT_EQ(style.Forms[1].Items[1].Property, movedProperty);
    EXPECT_EQ(style.Forms[1].Items[2].Property, 16);

    ASSERT_EQ(ReportForms.size(), 2u);
    EXPECT_EQ(ReportForms[1].Items[1].Property, movedProperty);
    EXPECT_EQ(GlobalSettings(), WrittenSettings);
    EXPECT_EQ(CurrentProtocol, 2);

    ASSERT_EQ(Protocols.size(), 1u);
    const Protocol& prepared = Protocols[0];
    EXPECT_EQ(prepared.Style, style);
    EXPECT_EQ(prepared.K0006, c.layout == Layout::Current ? QStringLiteral("K6") : QString());
    for (int b = 1; b <= PropertyCount; ++b)
        EXPECT_EQ(prepared.Blocks[b], EmptyPropertyBlock) << "block " << b;

    EXPECT_EQ(CurrentStyle.Name, QStringLiteral("Beta"));
    EXPECT_EQ(CurrentStyle.Tests[18].Nominal1, c.layout == Layout::Before26 ? 17.0f : 18.0f);
    // Only an exact reading of the working series finds the passwords behind it.
    EXPECT_EQ(UserPasswords, (Passwords{QStringLiteral("user1"), QStringLiteral("super1")}));
    EXPECT_EQ(QDASFolder, c.readsQdasFolder ? QStringLiteral("/qdas") : m_dir.path());
    EXPECT_TRUE(LogLines().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Versions, SettingsVersionTest,
                         ::testing::Values(VersionCase{"2.5", Layout::Before26, false},
                                           VersionCase{"2.6", Layout::Before60, false},
                                           VersionCase{"5.9", Layout::Before60, false},
                                           VersionCase{"6.0", Layout::Current, true},
                                           VersionCase{"8.0", Layout::Current, true},
                                           VersionCase{"", Layout::Before26, false},
                                           VersionCase{"x", Layout::Before26, false}));

TEST_F(SettingsTest, AFileEndingAfterTheWorkingSeriesIsWholeOnlyForAnOlderVersion)
{
    // An older version may have written no current style and no passwords;
    // this version always writes all 17 items, so its file is incomplete
    // without them: it is read all the same, and kept aside as well.
    const struct {
        const char* version;
        Layout layout;
        bool whole;
    } cases[] = {{"5.9", Layout::Before60, true}, {"8.0", Layout::Current, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        QFile::remove(Path("QUINTARA.LOG"));
        QFile::remove(Path("QUINTARA.DAT.BAD"));
        BinaryWriter out;
        PutItemsTo14(out, c.version, c.layout);
        WriteFile(DatPath(), out.Bytes());
        CurrentStyle = NewStyle(QStringLiteral("left over"));
        EXPECT_FALSE(InitSettings());
        EXPECT_EQ(Protocols[0].Reference2, QStringLiteral("Ref-2"));
        EXPECT_EQ(CurrentStyle, BlankStyle);
        EXPECT_EQ(UserPasswords, Passwords{});
        EXPECT_EQ(QDASFolder, m_dir.path());
        EXPECT_EQ(ReadFile(DatPath()), out.Bytes());
        if (c.whole) {
            EXPECT_TRUE(LogLines().isEmpty());
            EXPECT_FALSE(QFile::exists(Path("QUINTARA.DAT.BAD")));
        } else {
            ExpectOneLogLine("2024-01-05\t09:07:03\tReadSettingsFile    \t" + QByteArray(ProgramVersion) + "\t62\t"
                             "The file ends before its last item; QUINTARA.DAT kept as QUINTARA.DAT.BAD");
            EXPECT_EQ(ReadFile(Path("QUINTARA.DAT.BAD")), out.Bytes());
        }
    }
}

TEST_F(SettingsTest, NegativeCountsReadAsNone)
{
    BinaryWriter out;
    out.PutBytes("QTA");
    PutText(out, "8.0");
    PutRecord(out, DefaultReferenceTitles);
    out.PutInteger(-3);     // reference 2
    out.PutInteger(-1);     // reference 3
    out.PutInteger(1);      // reference 4
    PutText(out, "kept");
    out.PutInteger(-32768); // operators
    out.PutInteger(-2);     // styles
    out.PutInteger(-1);     // report forms
    out.PutInteger(-1);     // search patterns: not even element 0
    KeyboardDefinition keyboard;
    keyboard.Property = QStringLiteral("after");
    PutRecord(out, keyboard);
    WriteFile(DatPath(), out.Bytes());

    EXPECT_FALSE(InitSettings());
    EXPECT_EQ(Reference2Values.size() + Operators.size() + Styles.size() + ReportForms.size(), 4u);
    EXPECT_EQ(Reference4Values, (std::vector<QString>{QString(), QStringLiteral("kept")}));
    EXPECT_EQ(SearchPatterns, std::vector<SearchPattern>(1));
    EXPECT_EQ(KeyboardDef.Property, QStringLiteral("after"));
}

TEST_F(SettingsTest, ValuesOutOfRangeReadAsTheirDefaultsWithOneLogLine)
{
    // Indexes into arrays and the selectors of text tables: a damaged file
    // could hold anything there.
    const struct {
        const char* what;
        std::function<int16_t&()> field;
        int16_t outside;
        int16_t edge;
        int16_t standard;
    } values[] = {
        {"language", [] () -> int16_t& { return Language; }, 0, 6, 2},
        {"date format", [] () -> int16_t& { return DateFormat; }, 4, 3, 1},
        {"report form of the working series", [] () -> int16_t& { return Protocols[0].FormIndex; }, 11, 10, 1},
        {"its current property", [] () -> int16_t& { return Protocols[0].CurrentProperty; }, 0, 6, 1},
        {"test type of its style's form",
         [] () -> int16_t& { return Protocols[0].Style.Forms[10].Items[6].Property; }, 21, 20, 0},
        {"test type of a style's form", [] () -> int16_t& { return Styles[2].Forms[3].Items[2].Property; }, -1, 20, 0},
        {"test type of a report form", [] () -> int16_t& { return ReportForms[1].Items[4].Property; }, 300, 20, 0},
        {"test type of the edited style",
         [] () -> int16_t& { return CurrentStyle.Forms[1].Items[1].Property; }, -32768, 1, 0},
    };
    for (const bool outside : {true, false}) {
        SCOPED_TRACE(outside ? "outside" : "at the edge");
        InitSettings();
        QFile::remove(Path("QUINTARA.LOG"));
        ChangeEveryItem();
        for (const auto& v : values)
            v.field() = outside ? v.outside : v.edge;
        SaveSettings();
        EXPECT_FALSE(InitSettings());
        for (const auto& v : values)
            EXPECT_EQ(v.field(), outside ? v.standard : v.edge) << v.what;
        // The rest of the file is read as it stands.
        EXPECT_EQ(UserPasswords.SupervisorPassword, QStringLiteral("boss"));
        if (outside)
            ExpectOneLogLine("2024-01-05\t09:07:03\tReadSettingsFile    \t" + QByteArray(ProgramVersion) + "\t9\tSubscript out of range: "
                             "8 value(s) read as their defaults, the first language 0");
        else
            EXPECT_TRUE(LogLines().isEmpty());
    }
}

TEST_F(SettingsTest, ListsAtAndBeyondTheLargestCountAndLongTextsAreSaved)
{
    // An upper bound of 32767 is the largest an Integer count holds; a
    // longer list is written up to it, a text up to 65535 bytes, both logged.
    InitSettings();
    Styles.assign(32768, BlankStyle);
    Styles[32767].Name = QStringLiteral("last");
    SearchPatterns.assign(32768, EmptySearchPattern);
    SearchPatterns[32767].Operator = QStringLiteral("last");
    Reference2Values.assign(40001, QStringLiteral("v"));
    Operators = {QString(), QString(70000, u'o')};
    SaveSettings();
    ExpectOneLogLine("2024-01-05\t09:07:03\tWriteSettingsFile   \t" + QByteArray(ProgramVersion) + "\t0\t"
                     "Reference2Values: 40000 entries, 32767 written; 1 text(s) cut to 65535 bytes");

    EXPECT_FALSE(InitSettings());
    ASSERT_EQ(Styles.size(), 32768u);
    EXPECT_EQ(Styles[32767].Name, QStringLiteral("last"));
    ASSERT_EQ(SearchPatterns.size(), 32768u);
    EXPECT_EQ(Reference2Values.size(), 32768u);
    ASSERT_EQ(Operators.size(), 2u);
    EXPECT_EQ(Operators[1], QString(65535, u'o'));
}

TEST_F(SettingsTest, ASaveIntoAFolderThatCannotBeWrittenKeepsTheOldFile)
{
    InitSettings();
    ChangeEveryItem();
    SaveSettings();
    const std::string before = ReadFile(DatPath());
    WriteFile(Path("QUINTARA.LOG"), std::string());     // the log can still be appended to
    {
        ReadOnlyFolder locked(m_dir.path());
        if (!locked.Active())
            GTEST_SKIP() << "this file system lets every folder be written";
        Language = 1;
        Styles.resize(1);
        SaveSettings();
        EXPECT_EQ(ReadFile(DatPath()), before);
        EXPECT_FALSE(QFile::exists(Path("QUINTARA.DAT.BAK")));
        EXPECT_EQ(Styles.size(), 1u);   // memory keeps what the user set
        ExpectOneLogLine("2024-01-05\t09:07:03\tWriteSettingsFile   \t" + QByteArray(ProgramVersion) + "\t70\t");
    }
    EXPECT_FALSE(InitSettings());
    EXPECT_EQ(Language, 5);
}

TEST_F(SettingsTest, AFullDiskKeepsTheOldFileByteForByte)
{
    // Writes past 4096 bytes fail (EFBIG), as on a full disk: a new file that
    // fits Qt's 16 KiB buffer and one beyond it.
    for (const int styles : {4, 40}) {
        SCOPED_TRACE(styles);
        ClearFolder();
        InitSettings();
        ChangeEveryItem();
        SaveSettings();
        const std::string before = ReadFile(DatPath());
        QFile::remove(Path("QUINTARA.LOG"));
        for (int i = 0; i < styles; ++i)
            Styles.push_back(NewStyle(QStringLiteral("Style %1").arg(i)));
        ASSERT_GT(SettingsFileBytes().size(), 4096u);
        const int result = RunWithFileSizeLimit(4096, [] {
            SaveSettings();
            return 0;
        });
        if (result == ChildSetupFailed)
            GTEST_SKIP() << "no file size limit";
        ASSERT_EQ(result, 0);
        EXPECT_EQ(ReadFile(DatPath()), before);
        EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden),
                  (QStringList{QStringLiteral("QUINTARA.DAT"), QStringLiteral("QUINTARA.LOG")}));
        ExpectOneLogLine("2024-01-05\t09:07:03\tWriteSettingsFile   \t" + QByteArray(ProgramVersion) + "\t61\t");
    }
}

TEST_F(SettingsTest, AFileThatCannotBeReadIsNeverOverwritten)
{
    // The user the program runs as may not read the file (root may), in a
    // folder that user owns: the file is moved aside, and the start is no
    // first start.
    const std::string whole = SettingsFile("8.0", Layout::Current);
    WriteFile(DatPath(), whole);
    ChownToNobody(QFile::encodeName(m_dir.path()).constData());
    ::chmod(QFile::encodeName(DatPath()).constData(), ::geteuid() == 0 ? 0600 : 0);
    int result = RunUnprivileged([] {
        const bool first = InitSettings();
        SaveSettings();
        return first ? 1 : 0;
    });
    if (result == ChildSetupFailed)
        GTEST_SKIP() << "cannot run as another user";
    EXPECT_EQ(result, 0);
    ::chmod(QFile::encodeName(Path("QUINTARA.DAT.BAD")).constData(), 0600);
    EXPECT_EQ(ReadFile(Path("QUINTARA.DAT.BAD")), whole);
    EXPECT_NE(ReadFile(DatPath()), whole);
    ExpectOneLogLine("2024-01-05\t09:07:03\tReadSettingsFile    \t" + QByteArray(ProgramVersion) + "\t70\t");
    EXPECT_TRUE(LogLines()[0].endsWith(QStringLiteral("; QUINTARA.DAT kept as QUINTARA.DAT.BAD")));

    // Where it cannot even be moved (root's file in a shared folder with the
    // sticky bit), no save of the run replaces it.
    if (::geteuid() != 0)
        return;
    ClearFolder();
    WriteFile(DatPath(), whole);
    ::chmod(QFile::encodeName(DatPath()).constData(), 0600);
    ASSERT_EQ(::chown(QFile::encodeName(m_dir.path()).constData(), 0, 0), 0);
    ::chmod(QFile::encodeName(m_dir.path()).constData(), 01777);
    result = RunUnprivileged([] {
        InitSettings();
        Language = 4;
        SaveSettings();
        return 0;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadFile(DatPath()), whole);
    const QStringList lines = LogLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].contains(QStringLiteral("\t70\tPermission denied; QUINTARA.DAT not kept aside")))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].contains(QStringLiteral("\tWriteSettingsFile   \t") + QLatin1String(ProgramVersion) + QStringLiteral("\t75\t"))) << lines[1].toStdString();
    ::chmod(QFile::encodeName(m_dir.path()).constData(), 0700);
}

// Another process cuts the file short between the moment its size is taken
// and its read (a network folder's read error is alike): the start goes on,
// and the file is kept aside as one that cannot be read.
TEST_F(SettingsTest, AFileCutShortWhileItIsReadIsKeptAsideAsUnreadable)
{
    const std::string whole = SettingsFile("8.0", Layout::Current);
    const std::string left = whole.substr(0, whole.size() / 2);
    WriteFile(DatPath(), whole);
    const pid_t child = StartChild([&] {
        ::alarm(20);
        bool cut = false;
        SetReadFileSizeTakenHook([&] {
            if (!cut)
                cut = ::truncate(QFile::encodeName(DatPath()).constData(), static_cast<off_t>(left.size())) == 0;
        });
        const bool first = InitSettings();
        SetReadFileSizeTakenHook({});
        return first ? 1 : Language;
    });
    EXPECT_EQ(WaitForChild(child), 2) << "no first start, the default language";
    EXPECT_EQ(ReadFile(Path("QUINTARA.DAT.BAD")), left);
    EXPECT_EQ(ReadFile(DatPath()), "");
    ExpectOneLogLine("2024-01-05\t09:07:03\tReadSettingsFile    \t" + QByteArray(ProgramVersion) + "\t62\t");
    EXPECT_TRUE(LogLines()[0].endsWith(
        QStringLiteral("The file became shorter while it was read; QUINTARA.DAT kept as QUINTARA.DAT.BAD")));
}

TEST_F(SettingsTest, ASaveKilledAtAnyFileCallLeavesNoTemporaryFileAfterTheNextStart)
{
    // The writer's temporary file (hidden, the name, six letters or digits,
    // ".WRITING") holds the passwords: the start removes it, and only it.
    // Names of another case or another length, and a link, stay.
    const QStringList others = {QStringLiteral(".quintara.dat.Abcdef.WRITING"), QStringLiteral("QUINTARA.DAT.BAD123"),
                                QStringLiteral(".QUINTARA.DAT.Abcdefg.WRITING"), QStringLiteral("QUINTARA.DAT.Linked")};
    const auto isLeftover = [&](const QString& name) {
        static const QRegularExpression shape(QStringLiteral("^\\.QUINTARA\\.DAT\\.[A-Za-z0-9]{6}\\.WRITING$"));
        return shape.match(name).hasMatch() && !QFileInfo(m_dir.filePath(name)).isSymLink();
    };
    std::string before;
    std::string after;
    const auto prepare = [&] {
        ClearFolder();
        QFile::remove(Path("QUINTARA.DAT.Linked"));
        InitSettings();
        ChangeEveryItem();
        SaveSettings();
        before = ReadFile(DatPath());
        Operators.push_back(QStringLiteral("Kill"));
        after = SettingsFileBytes();
        for (const QString& name : others.mid(0, 3))
            WriteFile(m_dir.filePath(name), "other");
        QFile::link(Path("QUINTARA.LOG"), Path("QUINTARA.DAT.Linked"));
    };
    int leftBehind = 0;
    const auto check = [&](int) {
        const QStringList left = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
        const int found = static_cast<int>(std::count_if(left.begin(), left.end(), isLeftover));
        leftBehind += found;
        QFile::remove(Path("QUINTARA.LOG"));
        InitSettings();
        const QStringList now = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
        ASSERT_EQ(std::count_if(now.begin(), now.end(), isLeftover), 0) << now.join(u' ').toStdString();
        for (const QString& name : others)
            ASSERT_TRUE(QFileInfo(m_dir.filePath(name)).isSymLink() || ReadFile(m_dir.filePath(name)) == "other")
                << name.toStdString();
        ASSERT_TRUE(QFileInfo(Path("QUINTARA.DAT.Linked")).isSymLink());
        const std::string kept = ReadFile(DatPath());
        ASSERT_TRUE(kept == before || kept == after);
        ASSERT_EQ(LogLines().filter(QStringLiteral("\tReadSettingsFile    \t") + QLatin1String(ProgramVersion) + QStringLiteral("\t0\tRemoved a settings file left by an "
                                                   "unfinished write: ")
                                    + m_dir.path())
                      .size(),
                  found);
    };
    const int kills = KillBeforeEachFileCall(prepare, [] { return SaveSettings() ? 0 : 1; }, check);
    if (kills < 0)
        GTEST_SKIP() << "no tracing of a child";
    EXPECT_GE(kills, 3);
    // The kill between the temporary file's name and the rename came.
    EXPECT_GE(leftBehind, 1);
}

TEST_F(SettingsTest, TheFilesThatHoldThePasswordsAreTheOwnersAlone)
{
    const auto mode = [](const QString& path) {
        struct stat st {};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
    };
    const auto openToAll = [](const QString& path) { ::chmod(QFile::encodeName(path).constData(), 0644); };
    const std::string whole = SettingsFile("8.0", Layout::Current);

    WriteFile(DatPath(), whole);
    openToAll(DatPath());   // as an earlier version left it
    InitSettings();
    EXPECT_EQ(mode(DatPath()), 0600);
    QFile::remove(DatPath());
    SaveSettings();
    EXPECT_EQ(mode(DatPath()), 0600);

    QFile::remove(DatPath());
    WriteFile(Path("QUINTARA.DAT.BAK"), whole);
    openToAll(Path("QUINTARA.DAT.BAK"));
    InitSettings();   // restored from the backup
    EXPECT_EQ(mode(DatPath()), 0600);
    EXPECT_EQ(mode(Path("QUINTARA.DAT.BAK")), 0600);
    QFile::remove(Path("QUINTARA.DAT.BAK"));

    WriteFile(DatPath(), whole.substr(0, 100));
    openToAll(DatPath());
    InitSettings();   // kept aside as a copy
    EXPECT_EQ(mode(Path("QUINTARA.DAT.BAD")), 0600);
    WriteFile(DatPath(), "XYZ");
    openToAll(DatPath());
    InitSettings();   // moved aside, nothing in its place until the next save
    EXPECT_EQ(mode(Path("QUINTARA.DAT.BAD2")), 0600);
    EXPECT_EQ(mode(DatPath()), -1);

    // --- A link laid at the name: its target, open to all, is not the
    // program's, and keeps its mode and bytes. ---
    QTemporaryDir outside;
    ASSERT_TRUE(outside.isValid());
    const QString victim = outside.path() + QStringLiteral("/victim");
    for (const QString& name : {DatPath(), Path("QUINTARA.DAT.BAK")}) {
        SCOPED_TRACE(name.toStdString());
        WriteFile(victim, whole);
        openToAll(victim);
        QFile::remove(name);
        ASSERT_TRUE(QFile::link(victim, name));
        InitSettings();
        EXPECT_EQ(mode(victim), 0644);
        EXPECT_EQ(ReadFile(victim), whole);
        QFile::remove(name);
    }
}

TEST_F(SettingsTest, AMissingOrEmptyFileIsRestoredFromAGoodBackupButNotFromABadOneWhichAGoodSaveRemoves)
{
    WriteFile(Path("QUINTARA.DAT.BAK"), SettingsFile("8.0", Layout::Current));
    EXPECT_FALSE(InitSettings());
    EXPECT_EQ(UserPasswords.SupervisorPassword, QStringLiteral("super1"));
    EXPECT_EQ(ReadFile(DatPath()), SettingsFile("8.0", Layout::Current));
    ExpectOneLogLine("2024-01-05\t09:07:03\tReadSettingsFile    \t" + QByteArray(ProgramVersion) + "\t0\t");
    EXPECT_TRUE(LogLines()[0].contains(QStringLiteral("restored")));

    // An empty file beside a backup that is none: a first start.
    WriteFile(DatPath(), std::string());
    WriteFile(Path("QUINTARA.DAT.BAK"), "QT");
    EXPECT_TRUE(InitSettings());
    EXPECT_EQ(Language, 2);
    EXPECT_EQ(QFileInfo(DatPath()).size(), 0);
    EXPECT_EQ(LogLines().size(), 1);

    WriteFile(Path("QUINTARA.DAT.BAK"), SettingsFile("5.9", Layout::Before60));
    EXPECT_FALSE(InitSettings());
    EXPECT_EQ(Language, 3);
    EXPECT_EQ(LogLines().size(), 2);

    // A stale backup is gone after a good save.
    Language = 4;
    SaveSettings();
    EXPECT_FALSE(QFile::exists(Path("QUINTARA.DAT.BAK")));
    EXPECT_FALSE(InitSettings());
    EXPECT_EQ(Language, 4);
}

// A whole "8.0" file with three reference values and three styles, and the
// offsets at which each of them, the system settings and the passwords end.
struct MarkedFile {
    std::string Bytes;
    std::vector<std::size_t> ReferenceEnds;
    std::vector<std::size_t> StyleEnds;
    std::size_t SettingsEnd = 0;
    std::size_t PasswordsEnd = 0;
};

MarkedFile ThreeStyleFile()
{
    MarkedFile file;
    BinaryWriter out;
    out.PutBytes("QTA");
    PutText(out, "8.0");
    PutRecord(out, DefaultReferenceTitles);
    out.PutInteger(3);
    for (const char* value : {"R2a", "R2b", "R2c"}) {
        PutText(out, value);
        file.ReferenceEnds.push_back(out.Bytes().size());
    }
    for (int list = 0; list < 3; ++list)   // reference 3 and 4 values, operators
        out.PutInteger(0);
    out.PutInteger(3);
    for (const char* name : {"One", "Two", "Three"}) {
        PutRecord(out, NewStyle(QLatin1String(name)));
        file.StyleEnds.push_back(out.Bytes().size());
    }
    out.PutInteger(0);   // report forms
    out.PutInteger(0);   // search pattern 0 only
    PutRecord(out, EmptySearchPattern);
    PutRecord(out, EmptyKeyboardDefinition);
    PutRecord(out, WrittenSettings);
    file.SettingsEnd = out.Bytes().size();
    out.PutInteger(0);
    PutRecord(out, EmptyProtocol);
    PutRecord(out, BlankStyle);
    PutRecord(out, Passwords{QStringLiteral("user1"), QStringLiteral("super1")});
    file.PasswordsEnd = out.Bytes().size();
    PutText(out, "/qdas");
    file.Bytes = out.Bytes();
    return file;
}

std::size_t EndsWithin(const std::vector<std::size_t>& ends, std::size_t cut)
{
    return static_cast<std::size_t>(std::count_if(ends.begin(), ends.end(), [cut](std::size_t end) { return end <= cut; }));
}

TEST_F(SettingsTest, AFileCutAnywhereIsKeptAsideAndReadAsFarAsItGoes)
{
    const MarkedFile whole = ThreeStyleFile();
    int kept = 0;
    for (std::size_t cut = 0; cut < whole.Bytes.size(); cut += 50) {
        SCOPED_TRACE(cut);
        QFile::remove(Path("QUINTARA.LOG"));
        const std::string bytes = whole.Bytes.substr(0, cut);
        WriteFile(DatPath(), bytes);
        // Never a first start while a settings file with anything in it exists.
        ASSERT_EQ(InitSettings(), cut == 0);

        // What reads whole before the cut is kept, list elements included.
        EXPECT_EQ(Reference2Values.size() - 1, EndsWithin(whole.ReferenceEnds, cut));
        ASSERT_EQ(Styles.size() - 1, EndsWithin(whole.StyleEnds, cut));
        for (std::size_t i = 1; i < Styles.size(); ++i)
            EXPECT_EQ(Styles[i], NewStyle(QLatin1String(std::array{"One", "Two", "Three"}[i - 1])));
        EXPECT_EQ(Language, cut >= whole.SettingsEnd ? 3 : 2);
        EXPECT_EQ(UserPasswords.SupervisorPassword,
                  cut >= whole.PasswordsEnd ? QStringLiteral("super1") : QString());

        // The file that does not read whole is kept, next to the earlier ones;
        // an empty file holds nothing to keep and says nothing.
        if (cut == 0) {
            EXPECT_TRUE(LogLines().isEmpty());
            continue;
        }
        ++kept;
        const QString bad = SettingsBadPath(kept);
        EXPECT_EQ(ReadFile(bad), bytes);
        ExpectOneLogLine("2024-01-05\t09:07:03\tReadSettingsFile    \t" + QByteArray(ProgramVersion) + "\t");
        EXPECT_TRUE(LogLines()[0].endsWith(QStringLiteral("kept as ") + QFileInfo(bad).fileName()));
        // The next save writes what was read; the copy stays.
        SaveSettings();
        EXPECT_EQ(ReadFile(bad), bytes);
        EXPECT_EQ(ReadFile(DatPath()), SettingsFileBytes());
    }
    EXPECT_TRUE(QFile::exists(Path("QUINTARA.DAT.BAD2")));

    // The same damaged file at two starts is kept once.
    const std::size_t at = whole.StyleEnds[1] + (whole.StyleEnds[1] % 50 == 49 ? 2 : 1);
    const std::string cut = whole.Bytes.substr(0, at);
    for (int start = 0; start < 2; ++start) {
        WriteFile(DatPath(), cut);
        EXPECT_FALSE(InitSettings());
        EXPECT_EQ(Styles.size(), 3u);
    }
    EXPECT_EQ(ReadFile(SettingsBadPath(kept + 1)), cut);
    EXPECT_FALSE(QFile::exists(SettingsBadPath(kept + 2)));
}

TEST_F(SettingsTest, AFileCutAnywhereGivesWayToABackupThatReadsWhole)
{
    // The backup an earlier version left when a write did not finish.
    const MarkedFile whole = ThreeStyleFile();
    for (std::size_t cut = 0; cut < whole.Bytes.size(); cut += 50) {
        SCOPED_TRACE(cut);
        ClearFolder();
        const std::string bytes = whole.Bytes.substr(0, cut);
        WriteFile(DatPath(), bytes);
        WriteFile(Path("QUINTARA.DAT.BAK"), whole.Bytes);
        ASSERT_FALSE(InitSettings());
        EXPECT_EQ(UserPasswords.SupervisorPassword, QStringLiteral("super1"));
        EXPECT_EQ(ReadFile(DatPath()), whole.Bytes);
        EXPECT_EQ(ReadFile(Path("QUINTARA.DAT.BAK")), whole.Bytes);
        const QStringList lines = LogLines();
        ASSERT_EQ(lines.size(), cut == 0 ? 1 : 2);
        EXPECT_TRUE(lines.last().endsWith(QStringLiteral("\t0\tQUINTARA.DAT restored from QUINTARA.DAT.BAK")));
        if (cut > 0) {
            EXPECT_EQ(ReadFile(Path("QUINTARA.DAT.BAD")), bytes);
            EXPECT_TRUE(lines[0].endsWith(QStringLiteral("; QUINTARA.DAT kept as QUINTARA.DAT.BAD")));
        }
    }

    // A backup cut short as well replaces nothing, and trying it leaves no
    // trace in the settings; it is kept aside too, for the next save would
    // remove it while it holds more than the file.
    const std::string cut = whole.Bytes.substr(0, whole.StyleEnds[0] + 100);
    const std::string cutBackup = whole.Bytes.substr(0, whole.Bytes.size() - 3);
    WriteFile(DatPath(), cut);
    WriteFile(Path("QUINTARA.DAT.BAK"), cutBackup);
    QFile::remove(Path("QUINTARA.LOG"));
    EXPECT_FALSE(InitSettings());
    EXPECT_EQ(ReadFile(DatPath()), cut);
    EXPECT_EQ(ReadFile(Path("QUINTARA.DAT.BAD2")), cut);
    EXPECT_EQ(Styles.size(), 2u);
    EXPECT_EQ(UserPasswords, Passwords{});
    EXPECT_FALSE(QFile::exists(Path("QUINTARA.DAT.BAK")));
    EXPECT_TRUE(LogLines().last().endsWith(QStringLiteral("\t62\tQUINTARA.DAT.BAK does not read whole either; kept as QUINTARA.DAT.BAD3")));
    SaveSettings();
    EXPECT_EQ(ReadFile(Path("QUINTARA.DAT.BAD3")), cutBackup);

    // A whole file, even of an older version, keeps its place beside a backup.
    const std::string older = SettingsFile("5.9", Layout::Before60);
    WriteFile(DatPath(), older);
    WriteFile(Path("QUINTARA.DAT.BAK"), whole.Bytes);
    QFile::remove(Path("QUINTARA.LOG"));
    EXPECT_FALSE(InitSettings());
    EXPECT_EQ(ReadFile(DatPath()), older);
    EXPECT_EQ(QDASFolder, m_dir.path());
    EXPECT_TRUE(LogLines().isEmpty());
}

TEST_F(SettingsTest, AFileWithAnotherMagicIsKeptAside)
{
    const std::string foreign = "ABC\x03\x00" "8.0 something the user may need";
    WriteFile(DatPath(), foreign);
    EXPECT_FALSE(InitSettings());
    EXPECT_EQ(ReadFile(Path("QUINTARA.DAT.BAD")), foreign);
    EXPECT_EQ(QFileInfo(DatPath()).size(), 0);
    ExpectOneLogLine("2024-01-05\t09:07:03\tReadSettingsFile    \t");
    EXPECT_TRUE(LogLines()[0].contains(QStringLiteral("QUINTARA.DAT.BAD")));

    // With a good backup beside it, the backup is taken as well.
    WriteFile(DatPath(), foreign);
    WriteFile(Path("QUINTARA.DAT.BAK"), SettingsFile("6.0", Layout::Current));
    EXPECT_FALSE(InitSettings());
    EXPECT_EQ(ReadFile(Path("QUINTARA.DAT.BAD")), foreign);
    EXPECT_EQ(Language, 3);
    EXPECT_EQ(LogLines().size(), 3);
}

} // namespace
