#pragma once
// A fresh program folder (where the log goes) and data folder per test with
// the settings at their defaults, and series built by hand.
#include "support/ScriptedPresenter.h"
#include "foundation/OldRecords.h"
#include "foundation/Records.h"
#include "platform/BinaryIO.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <vector>

class StorageTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Lines of QUINTARA.LOG; how many hold the text right behind a tab.
    QStringList LogLines() const;
    int LogLinesWith(const QString& text) const;
    // The data folder and an other folder beside it, both made anew and
    // empty, and the settings naming the data folder saved.
    void NewDataFolderBeside(const QString& other) const;

    QTemporaryDir Temp;
    QString Program;    // program folder
    QString Data;       // DataFolder
    ScriptedPresenter Presenter;
};

// fsync in this test program (Qt's included) hands each descriptor to the
// observer when one is set, and fails with EIO for the folder named here,
// as on a share whose server is gone.
extern std::function<void(int fd)> FolderSyncObserver;
extern QString FailingSyncFolder;
// link in this test program fails with EXDEV for files below the folder
// named here (its path and "/"), as between two file systems.
extern QString LinksRefusedBelow;

// The unlink, rename and linkat stand-ins of this test program ask this
// first, when set, with the call ("unlink", "rename", "link") and the path
// it removes, renames or links onto: an errno refuses the call (a share gone away), 0 runs it,
// and minus an errno runs it and then answers that error (a share that
// applied the call and lost the answer).
extern std::function<int(const std::string& call, const std::string& path)> FileCallAnswer;

// The whole path a call relative to a folder descriptor names, as the
// program spelled the folder where it opened it (OpenSharedFolderOf), so
// that the stand-ins above match the calls by the paths the tests know.
std::string FullPathAt(int folder, const char* path);

// The next start: the series the pending files give.
std::vector<Protocol> NextStart();
// The order of the data settings: the series written into the new folder,
// then the settings naming it saved, then the old files removed; or, the
// settings refused, the copies removed; then the window's save after the
// dialog. 0 when all went, else where it stopped: 1 the copies, 2 the old
// files, 3 refused and undone, 4 refused and not undone, 5 the save.
int ChangeDataFolder(const QString& folder);
// The folder the settings name, as the next start reads it.
QString NamedDataFolder();

// 5 January 2024 at the given time.
double At(int hour, int minute = 0, int second = 0);

std::string ReadFileBytes(const QString& path);
void WriteFileBytes(const QString& path, const std::string& bytes);
// True when no write bit of the file is set.
bool IsReadOnly(const QString& path);
// n copies of the bytes.
std::string Repeat(const std::string& bytes, int n);

// A series with texts, dates and tests in two blocks.
Protocol SampleProtocol(const QString& styleName, double date);
// The header of a report file of the given version text.
std::string ReportHeader(const std::string& version);
// A current report file: the header of "8.0", then the packed series.
std::string ReportFileBytes(const Protocol& p);
// A report file of an older version.
template <typename Record>
std::string OldReportFile(const std::string& version, const Record& old)
{
    BinaryWriter out;
    PutRecord(out, old);
    return ReportHeader(version) + out.Bytes();
}
// A block of the layout before 6.0 with two tests (the first with a curve file).
PropertyBlockBefore60 OldBlock();
// A series of the layout of 2.6 to 5.9: style "abc", two such blocks, form 2.
ProtocolBefore60 Old26Protocol();

// A 60-character data string with a valid checksum.
std::string MakeDataString(const std::string& identifier, const std::string& serial,
                           const std::string& codeLetter, const std::string& parameters28,
                           const std::string& warning, const std::string& result1,
                           const std::string& unit1, const std::string& result2,
                           const std::string& unit2);
// A short form: no parameters, results "  12.5", the given units.
std::string MakeDataString(const std::string& identifier, const std::string& serial,
                           const std::string& unit1, const std::string& unit2);

// A test with its first value and unit code, no second value, at the given time.
TestValue MakeTest(float value1, const std::string& unit1, double testTime, float value2 = NoValue,
                   const std::string& unit2 = " ");
// Statistics of the given count, the rest empty.
Statistics MakeStatistics(int count);
// Result 1 of a test definition as the style editor defines it.
void SetResult1(TestDefinition& d, float nominal, float lower, float upper, int16_t testCount);
// The series stored as "NAN.QTA" with every Single equal to value replaced
// by 00 00 C0 7F (a NaN), read back; replaced counts them.
Protocol StoredWithNaN(const Protocol& p, float value, const QString& folder, int& replaced);

// A property block: the empty test as element 0, then the tests.
PropertyBlock MakeBlock(const std::string& header, double startDate, std::initializer_list<TestValue> tests);
