// The airbag curves of the open series go with them when the data folder
// changes: copied into the new folder within the change's record, named by
// the series once the settings name the folder, gone from the old one.
#include "StorageTest.h"
#include "support/AirbagCurves.h"
#include "support/ChildProcess.h"

#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "foundation/modSettings.h"
#include "main_window/modPending.h"
#include "platform/Cp1252.h"
#include "platform/OleDate.h"
#include "storage/modABTFile.h"
#include "storage/modTestReport.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

namespace {

const QString Taken = QStringLiteral("2024.01.05, 13.07.00.ABT");

// The curve files of a folder and what each holds.
std::map<QString, std::string> CurvesIn(const QString& folder)
{
    std::map<QString, std::string> curves;
    for (const QString& name : QDir(folder).entryList({QStringLiteral("*.ABT"), QStringLiteral("*.abt")}, QDir::Files))
        curves[name] = ReadFileBytes(folder + u'/' + name);
    return curves;
}

// A pressure-drop test keeps its two readings, a data string, where an
// airbag test keeps the name of its curve file.
const std::string PressureDropReading = "\x1EKR 6404 123 P   100   200  150l/dm?      ?  1.234?0.567?  \r\n";

// Where each series' tests keep a curve text.
struct CurveSlot {
    std::size_t Series;
    int Block;
    std::size_t Test;
};
const CurveSlot C1{1, 1, 1}, C2{1, 2, 2}, C2Again{1, 1, 4}, C3{2, 1, 2};

std::string& CurveText(std::vector<Protocol>& series, const CurveSlot& slot)
{
    return series[slot.Series].Blocks[static_cast<std::size_t>(slot.Block)].Values[slot.Test].CurveFile;
}

}  // namespace

class CurveFilesTest : public StorageTest {
protected:
    QString Other;
    std::vector<Protocol> Open;   // as loaded, element 0 the working record
    std::map<QString, std::string> Curves;   // the curves of the data folder, by name

    void SetUp() override
    {
        StorageTest::SetUp();
        Other = Temp.path() + QStringLiteral("/Other");
    }

    // Two open series in the data folder: a with three curves (one named by
    // two tests), a pressure-drop reading and a curve file that is not
    // there; b with one curve. The other folder empty.
    void Prepare()
    {
        QDir(Data).removeRecursively();
        QDir(Other).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(Data));
        ASSERT_TRUE(QDir().mkpath(Other));
        DataFolder = Data;
        ASSERT_TRUE(SaveSettings());
        std::vector<Protocol> series{EmptyProtocol, SampleProtocol(QStringLiteral("a"), At(9)),
                                     SampleProtocol(QStringLiteral("b"), At(10))};
        const double stamp = DateSerial(2024, 1, 5) + TimeSerial(13, 7, 0);
        const QString c1 = abtFilePut(AirbagPulse(800), stamp);
        const QString c2 = abtFilePut(AirbagPulse(600), stamp + 2 / 86400.0);
        const QString c3 = abtFilePut(AirbagPulse(700), stamp + 120 / 86400.0);
        ASSERT_EQ(c1, Taken);
        ASSERT_FALSE(c2.isEmpty() || c3.isEmpty());
        CurveText(series, C1) = ToCp1252(c1);
        CurveText(series, C2) = ToCp1252(c2);
        CurveText(series, C2Again) = ToCp1252(c2);
        CurveText(series, C3) = ToCp1252(c3);
        series[1].Blocks[2].Values[5].CurveFile = PressureDropReading;
        for (std::size_t n = 1; n < series.size(); ++n)
            WriteFileBytes(Data + QStringLiteral("/PENDING %1.QTA").arg(n), ReportFileBytes(series[n]));
        Curves = CurvesIn(Data);
        ASSERT_EQ(Curves.size(), 3u);
        Open = NextStart();
        ASSERT_EQ(Open, series);
    }
};

TEST_F(CurveFilesTest, AChangeOfDataFolderTakesTheOpenSeriesCurvesAlong)
{
    const QString c2 = QStringLiteral("2024.01.05, 13.07.02.ABT");
    const QString c3 = QStringLiteral("2024.01.05, 13.09.00.ABT");
    const struct {
        const char* what;
        bool refused;                     // the settings cannot name the new folder: No
        std::map<QString, std::string> found;   // files in the new folder before
        bool unreadable;                  // c2 cannot be read
        std::map<QString, QString> named;   // each curve's name afterwards
        bool away;                        // the old folder cannot be reached
        bool linked = false;              // c2 is a link laid to a file elsewhere
    } cases[] = {
        {"committed", false, {}, false, {{Taken, Taken}, {c2, c2}, {c3, c3}}, false},
        {"the settings refused, No", true, {}, false, {{Taken, Taken}, {c2, c2}, {c3, c3}}, false},
        // Taken in any case in the new folder: the next free seconds, and
        // c2 finds its own name taken by c1's copy.
        {"names taken in the new folder",
         false,
         {{Taken, "the user's"}, {QStringLiteral("2024.01.05, 13.07.01.abt"), "the user's too"}},
         false,
         {{Taken, c2}, {c2, QStringLiteral("2024.01.05, 13.07.03.ABT")}, {c3, c3}},
         false},
        {"a curve that cannot be read", false, {}, true, {{Taken, Taken}, {c2, c2}, {c3, c3}}, false},
        // The series move from memory; each curve is logged, left where it
        // is and still named by its tests.
        {"the old folder gone away", false, {}, false, {{Taken, Taken}, {c2, c2}, {c3, c3}}, true},
        // Copied between two file systems, its target's bytes would lie in
        // the shared folder: it is not read through, and stays as it is.
        {"a curve that is a link", false, {}, false, {{Taken, Taken}, {c2, c2}, {c3, c3}}, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Prepare();
        if (HasFatalFailure())
            return;
        for (const auto& [name, bytes] : c.found)
            WriteFileBytes(Other + u'/' + name, bytes);
        if (c.unreadable) {
            // A folder where the curve should be: it cannot be read as a file.
            ASSERT_TRUE(QFile::remove(Data + u'/' + c2));
            ASSERT_TRUE(QDir(Data).mkdir(c2));
        }
        const QString elsewhere = Temp.path() + QStringLiteral("/private");
        if (c.linked) {
            WriteFileBytes(elsewhere, "the user's own");
            ASSERT_TRUE(QFile::remove(Data + u'/' + c2));
            ASSERT_TRUE(QFile::link(elsewhere, Data + u'/' + c2));
            LinksRefusedBelow = Data + u'/';
        }
        if (c.refused) {
            QFile::remove(SettingsFilePath());
            ASSERT_TRUE(QDir().mkpath(SettingsFilePath()));
        }
        const int logged = static_cast<int>(LogLines().filter(QStringLiteral("curve not moved with its series")).size());
        const QString away = Data + QStringLiteral(".away");
        if (c.away) {
            ASSERT_TRUE(QDir().rename(Data, away));
        }
        // The old files wait for their folder: told as not removed.
        EXPECT_EQ(ChangeDataFolder(Other), c.refused ? 3 : c.away ? 2 : 0);
        LinksRefusedBelow.clear();
        const int loggedByTheChange = static_cast<int>(LogLines().filter(QStringLiteral("curve not moved with its series")).size()) - logged;
        if (c.away) {
            ASSERT_TRUE(QDir().rename(away, Data));
        }
        if (c.refused) {
            // The port chosen, saved once the file can be written again.
            ASSERT_TRUE(QDir(SettingsFilePath()).removeRecursively());
            ASSERT_TRUE(SaveSettings());
        }
        const QString from = c.refused ? Data : Other;
        const QString left = c.refused ? Other : Data;
        EXPECT_EQ(NamedDataFolder(), c.refused ? Data : Other);

        // The series name the curves in the folder they are in now, and
        // nothing else of them changed.
        std::vector<Protocol> expected = Open;
        for (const CurveSlot& slot : {C1, C2, C2Again, C3}) {
            std::string& text = CurveText(expected, slot);
            const bool moved = !c.refused && !c.away && !((c.unreadable || c.linked) && FromCp1252(text) == c2);
            if (moved)
                text = ToCp1252(c.named.at(FromCp1252(text)));
        }
        EXPECT_TRUE(Protocols == expected);
        EXPECT_TRUE(NextStart() == expected);
        for (const CurveSlot& slot : {C1, C2, C3}) {
            const QString name = FromCp1252(CurveText(expected, slot));
            if ((c.unreadable || c.linked) && name == c2)
                continue;
            EXPECT_FALSE(abtFileGet(c.away ? Data : from, name) == EmptyABTCurve) << name.toStdString();
        }

        // Every curve once, in the folder of its series; the user's files as
        // they were.
        std::map<QString, std::string> there = c.found;
        std::map<QString, std::string> here;
        for (const auto& [name, bytes] : Curves) {
            if ((c.unreadable || c.linked) && name == c2)
                continue;
            const bool stays = c.refused || c.away;
            (stays ? here : there)[stays ? name : c.named.at(name)] = bytes;
        }
        EXPECT_EQ(CurvesIn(Other), c.refused ? c.found : there);
        if (c.linked)
            here[c2] = "the user's own";
        EXPECT_EQ(CurvesIn(Data), c.refused || c.away || c.linked ? here : (std::map<QString, std::string>{}));
        EXPECT_FALSE(QFile::exists(left + QStringLiteral("/PENDING 1.QTA")));
        if (c.unreadable) {
            EXPECT_TRUE(QFileInfo(Data + u'/' + c2).isDir());
        }
        if (c.linked) {
            EXPECT_EQ(QFileInfo(Data + u'/' + c2).symLinkTarget(), elsewhere);
            EXPECT_EQ(ReadFileBytes(elsewhere), "the user's own");
        }
        // One line for each curve that could not go with its series: with
        // the folder away, the one named but not there too.
        EXPECT_EQ(loggedByTheChange, c.away ? 4 : c.unreadable || c.linked ? 1 : 0) << LogLines().join(u'\n').toStdString();

        // The report of a terminated series names them too.
        if (!c.refused) {
            ASSERT_TRUE(SavePendingSeriesReport(1));
            // Style "a": 65 + 1.
            const Protocol report =
                dskGetTestReport(from + QStringLiteral("/QTA066"), QStringLiteral("2024.01.05, 09.00.00.QTA"));
            EXPECT_TRUE(report == expected[1]);
        }
    }
}

TEST_F(CurveFilesTest, AChangeKilledOrFailingAtAnyFileCallLosesNoCurveAndLeavesEachNamedWhereTheSettingsPoint)
{
    // After a kill or a failure at each file call of the change (into a
    // folder where the first curve's name is taken) and the next start, the
    // curves the open series name are in the folder the settings name, and
    // every curve of the data folder is in exactly one file of the two
    // folders: none lost, none left twice.
    const auto check = [&](int) {
        const QString named = NamedDataFolder();
        ASSERT_TRUE(named == Data || named == Other) << named.toStdString();
        const std::vector<Protocol> back = NextStart();
        ASSERT_EQ(back.size(), Open.size());
        for (std::size_t n = 1; n < back.size(); ++n) {
            ASSERT_EQ(back[n].Date, Open[n].Date);
            for (const QString& name : dskCurveFileNames(back[n])) {
                if (name == QStringLiteral("2024.01.05, 13.08.00.ABT"))   // never there
                    continue;
                ASSERT_TRUE(abtIsAirbagFile(named, name)) << name.toStdString() << " in " << named.toStdString();
            }
        }
        std::vector<std::string> all;
        for (const QString& folder : {Data, Other})
            for (const auto& [name, bytes] : CurvesIn(folder))
                all.push_back(bytes);
        for (const auto& [name, bytes] : Curves)
            ASSERT_EQ(std::count(all.begin(), all.end(), bytes), 1) << name.toStdString();
        ASSERT_EQ(ReadFileBytes(Other + u'/' + Taken), "the user's");
    };
    // A name taken in the new folder, so that the series' copies name
    // another file than their old ones.
    const auto prepare = [&] {
        Prepare();
        WriteFileBytes(Other + u'/' + Taken, "the user's");
    };
    const auto change = [&] { return ChangeDataFolder(Other); };
    // The curves linked on one file system, copied as between two, and
    // copied into a share that neither links nor renames without replacing.
    enum class Way { Links, Copies, ShareWithoutLinks };
    for (const Way way : {Way::Links, Way::Copies, Way::ShareWithoutLinks}) {
        SCOPED_TRACE(way == Way::Links ? "links" : way == Way::Copies ? "copies" : "a share without links");
        LinksRefusedBelow = way == Way::Copies ? Data + u'/' : QString();
        std::optional<ShareWithoutLinks> share;
        if (way == Way::ShareWithoutLinks)
            share.emplace(QFile::encodeName(Other).constData());
        const int kills = KillBeforeEachFileCall(prepare, change, check);
        if (kills < 0)
            GTEST_SKIP() << "no tracing of a child";
        EXPECT_GT(kills, 10);
        // The run that went through changed the folder.
        EXPECT_EQ(NamedDataFolder(), Other);
        std::vector<std::pair<int, FileCallFault>> faults{{EIO, FileCallFault::Once},
                                                          {ENOSPC, FileCallFault::DiskStaysFull}};
        // A copy into the share fails as a copy between two file systems does.
        if (way == Way::ShareWithoutLinks)
            faults.clear();
        for (const auto& [error, fault] : faults) {
            SCOPED_TRACE(error);
            const int runs = FailEachFileCall(prepare, change, error, fault, [&](int k, int) { check(k); });
            if (runs < 0)
                GTEST_SKIP() << "no failing of a child's file calls here";
            EXPECT_GT(runs, 10);
            if (HasFatalFailure())
                break;
        }
        LinksRefusedBelow.clear();
        if (HasFatalFailure())
            return;
    }
}
