#pragma once
// Shared by the long-term tests: a fresh program and data folder per test
// with the settings at their defaults, English texts, the locale pinned, a
// fixed clock and message boxes answered by script; series and report files
// built by hand.
#include "support/Bytes.h"
#include "support/LocaleFixture.h"
#include "support/ScriptedPresenter.h"
#include "foundation/OldRecords.h"
#include "foundation/Records.h"
#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "instrument/modDataString.h"
#include "platform/BinaryIO.h"
#include "platform/OleDate.h"
#include "platform/ProgramFolder.h"
#include "storage/modDisk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

class LongTermFixture : public LocaleFixture {
protected:
    void SetUp() override
    {
        LocaleFixture::SetUp();
        ASSERT_TRUE(Temp.isValid());
        Program = Temp.path() + QStringLiteral("/Program");
        Data = Temp.path() + QStringLiteral("/Data");
        ASSERT_TRUE(QDir().mkpath(Program));
        ASSERT_TRUE(QDir().mkpath(Data));
        SetProgramFolder(Program);
        ResetSettingsGlobals(Program);
        DataFolder = Data;
        Language = 2;
        SetFixedClock(DateSerial(2024, 6, 1) + TimeSerial(12, 0, 0));
        // The trash goes below the test's folder.
        savedDataHome_ = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(Temp.path() + QStringLiteral("/share")));
    }
    void TearDown() override
    {
        if (savedDataHome_.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", savedDataHome_);
        ResetSettingsGlobals(Program);
        SetProgramFolder(QString());
        SetClock(nullptr);
        LocaleFixture::TearDown();
    }

    // Lines of QUINTARA.LOG that name the procedure.
    int LogLinesOf(const QString& procedure) const
    {
        QFile log(Program + QStringLiteral("/QUINTARA.LOG"));
        if (!log.open(QIODevice::ReadOnly))
            return 0;
        const QString padded = procedure.leftJustified(20, u' ', true);
        return static_cast<int>(QString::fromLatin1(log.readAll()).split(QStringLiteral("\r\n")).filter(u'\t' + padded).size());
    }

    // The style folder of the style below the data folder, made.
    QString StyleFolder(const QString& style) const
    {
        const QString folder = Data + u'/' + dskStyleFolderName(style);
        QDir().mkpath(folder);
        return folder;
    }

    QTemporaryDir Temp;
    QString Program;
    QString Data;
    ScriptedPresenter Presenter;

private:
    QByteArray savedDataHome_;
};

// A tensile tester's data string (types 9 and 10) with the serial number, the
// unit code of result 1 and, where given, 28 characters of parameters.
inline std::string Header(const std::string& serial, const std::string& unit1 = "8",
                          const std::string& identifier = "MP 4800",
                          const std::string& parameters = std::string(28, ' '))
{
    std::string s = "\x1E" + identifier + serial + "A" + parameters + " " + "  12.5" + unit1 + "   2.0" + "\""
        + " " + "0";
    s.resize(57, ' ');
    return s + DataStringChecksum(s) + "\r\n";
}

inline TestValue Measured(float value1, float value2 = NoValue, bool deleted = false)
{
    TestValue t = EmptyTestValue;
    t.Value1 = value1;
    t.Unit1 = "8";
    t.Value2 = value2;
    t.Unit2 = "\"";
    t.Deleted = deleted;
    t.DataString = std::string(58, 'D') + "\r\n";
    t.Commentary = QStringLiteral("Probe");
    return t;
}

// A finished series of the style measuring the test type in the given block
// of report form 1 (block 1 measures type 3 otherwise), with its tests; the
// block's statistics count the tests.
inline Protocol Series(const QString& style, double date, std::initializer_list<TestValue> tests,
                       int16_t testType = 9, int block = 2, const std::string& header = Header("123"))
{
    Protocol p = EmptyProtocol;
    p.Style.Name = style;
    p.Style.Tests[static_cast<std::size_t>(testType)].HeaderImage = Header("123");
    p.Style.Forms[1].Name = QStringLiteral("Standard");
    if (block != 1)
        p.Style.Forms[1].Items[1].Property = 3;
    p.Style.Forms[1].Items[static_cast<std::size_t>(block)].Property = testType;
    p.Reference2 = QStringLiteral("Lot 7");
    p.Reference3 = QStringLiteral("Roll 2");
    p.K1031 = QStringLiteral("Weaving");
    p.Operator = QStringLiteral("Meier");
    p.Date = date;
    p.LastTestDate = date + 0.01;
    for (int b = 1; b <= PropertyCount; ++b) {
        if (b != 1 && b != block)
            continue;
        PropertyBlock& target = p.Blocks[static_cast<std::size_t>(b)];
        target.Header = b == block ? header : Header("999");
        target.Values.insert(target.Values.end(), tests);
        target.Stats.Count = static_cast<int32_t>(tests.size());
        target.Commentary = QStringLiteral("Block");
    }
    p.Finished = true;
    return p;
}

inline std::string CurrentReportBytes(const Protocol& p)
{
    BinaryWriter out;
    dskPutHeader(out, "QTA");
    PutRecord(out, p);
    return out.Bytes();
}

// The report file of a version before 6.0.
inline std::string OlderReportBytes(const Protocol& p)
{
    ProtocolBefore60 old;
    old.Style = p.Style;
    old.Reference2 = p.Reference2;
    old.Reference3 = p.Reference3;
    old.Reference4 = p.Reference4;
    old.Operator = p.Operator;
    old.Date = p.Date;
    old.LastTestDate = p.LastTestDate;
    for (int b = 1; b <= PropertyCount; ++b) {
        const PropertyBlock& from = p.Blocks[static_cast<std::size_t>(b)];
        PropertyBlockBefore60& to = old.Blocks[static_cast<std::size_t>(b)];
        to.Header = from.Header;
        for (const TestValue& v : from.Values)
            to.Values.push_back({v.Value1, v.Unit1, v.Value2, v.Unit2, v.Warning, v.Commentary, v.Deleted,
                                 v.DataString, v.CurveFile});
        to.LateralAir = from.LateralAir;
        to.Stats = from.Stats;
    }
    old.Finished = p.Finished;
    old.FormIndex = p.FormIndex;
    old.CurrentProperty = p.CurrentProperty;
    BinaryWriter out;
    out.PutBytes("QTA");
    out.PutString(std::string("5.9"));
    PutRecord(out, old);
    return out.Bytes();
}
