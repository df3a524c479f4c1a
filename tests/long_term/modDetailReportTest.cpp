#include "LongTermFixture.h"

#include "foundation/modGeneral.h"
#include "long_term/modDetailReport.h"
#include "platform/Cp1252.h"
#include "platform/Paths.h"
#include "storage/modTestReport.h"
#include "support/ReadOnlyFolder.h"

#include <QFileInfo>

namespace {

class DetailReportTest : public LongTermFixture {
protected:
    void SetUp() override
    {
        LongTermFixture::SetUp();
        Folder = StyleFolder(QStringLiteral("Denim"));
        Report = Series(QStringLiteral("Denim"), 40550.5, {Measured(10), Measured(11)});
        Report.FormIndex = 1;
        Report.CurrentProperty = 2;
        Path = dskStyleFolderName(QStringLiteral("Denim")) + QStringLiteral("\\r.QTA");
        Stored = CurrentReportBytes(Report);
        WriteBytes(File(), Stored);
        SetAttr(File(), AttrReadOnly + AttrArchive);
    }
    QString Share() const { return Temp.path() + QStringLiteral("/share"); }
    QString File() const { return Folder + QStringLiteral("/r.QTA"); }
    QString Trashed(const QString& name) const { return Share() + QStringLiteral("/Trash/files/") + name; }
    // The rewrite of a window that read the file when it held `opened`.
    bool Rewrite(const Protocol& p, const std::string& opened)
    {
        bool changedElsewhere = false;
        const bool written = RewriteStoredReport(Path, p, dskReportChecksum(opened), changedElsewhere);
        EXPECT_FALSE(changedElsewhere);
        return written;
    }
    bool Delete()
    {
        bool keptChanged = false;
        return DeleteStoredReport(Report, Path, dskReportChecksum(Stored), keptChanged);
    }
    void Curve(Protocol& p, int test, const char* name)
    {
        p.Blocks[2].Values[static_cast<size_t>(test)].CurveFile = name;
    }

    QString Folder;
    QString Path;
    Protocol Report;
    std::string Stored;
};

TEST_F(DetailReportTest, RewriteInPlaceOrNotAtAll)
{
    // A stale TEMP.QTA from an earlier run is nobody's business here.
    WriteBytes(Data + QStringLiteral("/TEMP.QTA"), "stale");
    Protocol changed = Report;
    changed.Reference2 = QStringLiteral("Lot 8");
    changed.CurrentProperty = 2;
    ASSERT_TRUE(Rewrite(changed, Stored));
    EXPECT_EQ(ReadBytes(File()), CurrentReportBytes(changed));
    EXPECT_EQ(GetAttr(File()), AttrReadOnly);
    EXPECT_EQ(ReadBytes(Data + QStringLiteral("/TEMP.QTA")), "stale");

    // The write refused: message 31; No keeps the file as it was, Yes tries again.
    const std::string before = ReadBytes(File());
    {
        const ReadOnlyFolder readOnly(Folder);
        if (!readOnly.Active())
            GTEST_SKIP() << "the file system lets the folder be written";
        Presenter.Answer(AnswerYes);
        Presenter.Answer(AnswerNo);
        EXPECT_FALSE(Rewrite(Report, before));
    }
    ASSERT_EQ(Presenter.Shown.size(), 2u);
    EXPECT_TRUE(Presenter.Shown[0].Text.startsWith(QStringLiteral("An error occurred while writing the file.")));
    EXPECT_EQ(ReadBytes(File()), before);

    // A data folder that is gone is no reason to write into the program folder.
    Presenter.Shown.clear();
    const QString gone = Data + QStringLiteral("/gone");
    DataFolder = gone;
    Presenter.Answer(AnswerNo);
    EXPECT_FALSE(Rewrite(Report, before));
    EXPECT_EQ(Presenter.Shown.size(), 1u);
    EXPECT_EQ(DataFolder, gone);
    EXPECT_FALSE(QFileInfo::exists(Program + u'/' + Path.section(u'\\', 0, 0)));
}

TEST_F(DetailReportTest, DeleteTheReportThenItsCurves)
{
    Report.Blocks[2].Values.push_back(Measured(12));
    Report.Blocks[2].Values.push_back(Measured(13));
    Report.Blocks[2].Values.push_back(Measured(14));
    Curve(Report, 1, "2011.01.05, 12.01.00.ABT");
    Curve(Report, 2, "../x.ABT");
    Curve(Report, 3, "QUINTARA.LOG");
    Curve(Report, 4, "PENDING 1.QTA");
    Curve(Report, 5, "other.QTA");
    for (const char* name : {"2011.01.05, 12.01.00.ABT", "QUINTARA.LOG", "PENDING 1.QTA", "other.QTA"})
        WriteBytes(Data + u'/' + QString::fromLatin1(name), name);
    WriteBytes(Temp.path() + QStringLiteral("/x.ABT"), "outside");

    // No trash: the report stays, the user is told, the curves stay too.
    QDir().mkpath(Share());
    WriteBytes(Share() + QStringLiteral("/Trash"), "not a folder");
    EXPECT_FALSE(Delete());
    ASSERT_EQ(Presenter.Shown.size(), 1u);
    EXPECT_EQ(Presenter.Shown[0].Text, QStringLiteral("The test report could not be deleted."));
    EXPECT_EQ(ReadBytes(File()), Stored);
    EXPECT_EQ(ReadBytes(Data + QStringLiteral("/2011.01.05, 12.01.00.ABT")), "2011.01.05, 12.01.00.ABT");

    QFile::remove(Share() + QStringLiteral("/Trash"));
    EXPECT_TRUE(Delete());
    EXPECT_FALSE(QFileInfo::exists(File()));
    EXPECT_EQ(ReadBytes(Trashed(QStringLiteral("r.QTA"))), Stored);
    EXPECT_EQ(ReadBytes(Trashed(QStringLiteral("2011.01.05, 12.01.00.ABT"))), "2011.01.05, 12.01.00.ABT");
    for (const char* name : {"QUINTARA.LOG", "PENDING 1.QTA", "other.QTA"})
        EXPECT_EQ(ReadBytes(Data + u'/' + QString::fromLatin1(name)), name);
    EXPECT_EQ(ReadBytes(Temp.path() + QStringLiteral("/x.ABT")), "outside");
}

TEST_F(DetailReportTest, CurveFileOfATest)
{
    Report.Blocks[2].Values.push_back(Measured(12));
    Report.Blocks[2].Values.push_back(Measured(13));
    Curve(Report, 1, "C.ABT");
    Curve(Report, 2, "..\\C.ABT");
    Curve(Report, 3, "C.TXT");
    const struct {
        int test;
        const char* name;
    } cases[] = {{1, "C.ABT"}, {2, ""}, {3, ""}, {4, ""}, {0, ""}, {-1, ""}};
    for (const auto& c : cases)
        EXPECT_EQ(CurveFileOfTest(Report, c.test), QString::fromLatin1(c.name)) << c.test;
    EXPECT_EQ(LogLinesOf(QStringLiteral("grdResult_DblClick")), 2);
    Report.CurrentProperty = 7;
    EXPECT_EQ(CurveFileOfTest(Report, 1), QString());
}

TEST_F(DetailReportTest, CopyAgainstThePresentStyle)
{
    Report.Style.Tests[9].Defined1 = true;
    Report.Style.Tests[9].Nominal1 = 5;
    Report.Blocks[2].Stats.Mean1 = 10.5f;
    Report.Blocks[2].Stats.Mean2 = 2.0f;
    // No such style now: the report as stored.
    EXPECT_EQ(CurrentStyleCopy(Report), Report);
    Style present = BlankStyle;
    present.Name = QStringLiteral("DENIM");
    present.Tests[9].Defined1 = true;
    present.Tests[9].Nominal1 = 11;
    present.Tests[9].TestCount = 7;
    Styles.push_back(present);
    const Protocol copy = CurrentStyleCopy(Report);
    EXPECT_EQ(copy.Style.Tests[9].TestCount, 7);
    // Result 2 undefined in the present style: the mean and 10 % either side.
    EXPECT_FLOAT_EQ(copy.Style.Tests[9].Nominal2, 2.0f);
    EXPECT_FLOAT_EQ(copy.Style.Tests[9].Upper2, 2.2f);
    EXPECT_EQ(copy.Blocks, Report.Blocks);
}

}  // namespace
