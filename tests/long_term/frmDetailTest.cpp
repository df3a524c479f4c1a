#include "LongTermWindowFixture.h"

#include "curves/frmABTCurve.h"
#include "curves/modABTCurve.h"
#include "long_term/modLongTermDisplay.h"
#include "platform/TextInput.h"
#include "platform/ProgramFolder.h"
#include "storage/modTestReport.h"
#include "support/ChildProcess.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <unistd.h>

namespace {

class DetailWindowTest : public LongTermWindowFixture {
protected:
    void SetUp() override
    {
        LongTermWindowFixture::SetUp();
        Report = Denim(1, {11, 12, 13});
        Report.Blocks[2].Values[2].Deleted = true;
        Report.Blocks[2].Stats = CalcMeanSdCvCi(Report.Blocks[2].Values);
        Report.Blocks[2].Commentary = QStringLiteral(" dry ");
        Path = Store(QStringLiteral("r.QTA"), Report);
        File = StyleFolder(QStringLiteral("Denim")) + QStringLiteral("/r.QTA");
    }

    // Opens the window for the hand-over text, lets the action work on it
    // and returns its answer.
    QString Run(const QString& handOver, const std::function<void(frmDetail&)>& action)
    {
        Dialogs.Then([&action](QDialog& d) { action(static_cast<frmDetail&>(d)); });
        return frmDetail::ShowForm(handOver);
    }
    QString HandOver(int block = 2) const { return MakeHandOver(9, block, Path); }

    Protocol Report;
    QString Path;
    QString File;
};

TEST_F(DetailWindowTest, ShowsTheStoredReport)
{
    Styles[1].Name = QStringLiteral("Denim old");   // no such style now
    const QString answer = Run(HandOver(), [](frmDetail& d) {
        EXPECT_EQ(d.lblProperty->text(), QStringLiteral("Tensile Strength"));
        EXPECT_EQ(d.lblReferenceE[2]->text(), QStringLiteral("Lot 7"));
        EXPECT_EQ(d.lblDateTimeE->text(), QStringLiteral("05.01.2011, 12:00:00 - 05.01.2011, 12:30:15"));
        EXPECT_EQ(d.lblStatusE->text(), QStringLiteral("2/10 (1)"));
        EXPECT_EQ(d.grdAvg->TextMatrix(0, 0), QStringLiteral("12.0"));
        EXPECT_EQ(d.grdResult->TextMatrix(1, 1), QStringLiteral("13.0"));
        EXPECT_EQ(d.txtCommentary->toPlainText(), QStringLiteral("dry"));
        // A style of the report's name is gone: only "original" prints.
        EXPECT_FALSE(d.cmdPrintCurrent->isEnabled() || d.cmdPreviewCurrent->isEnabled());
        EXPECT_TRUE(d.cmdPrintOriginal->isEnabled());
        d.cmdCopy_Click();
        EXPECT_TRUE(QApplication::clipboard()->text().contains(QStringLiteral("Tensile Strength")));
    });
    EXPECT_EQ(answer, QStringLiteral("False"));
    EXPECT_TRUE(Presenter.Shown.empty());
}

TEST_F(DetailWindowTest, UnreadableReportsAndHandOvers)
{
    const QString cases[] = {
        MakeHandOver(9, 2, dskStyleFolderName(QStringLiteral("Denim")) + QStringLiteral("\\missing.QTA")),
        MakeHandOver(9, 9, Path),
    };
    for (const QString& handOver : cases) {
        Presenter.Shown.clear();
        const QString answer = Run(handOver, [](frmDetail& d) {
            for (QPushButton* b : {d.cmdModify, d.cmdDelete, d.cmdPrintOriginal, d.cmdPreviewOriginal,
                                   d.cmdPrintCurrent, d.cmdPreviewCurrent, d.cmdCopy, d.cmdOK})
                EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
            d.grdResult_DblClick();
            d.cmdCancel_Click();
        });
        EXPECT_EQ(answer, QStringLiteral("False"));
        ASSERT_EQ(Presenter.Shown.size(), 1u) << handOver.mid(2).toStdString();
        EXPECT_EQ(Presenter.Shown[0].Text, QStringLiteral("An error occurred while reading the file!"));
    }
}

TEST_F(DetailWindowTest, ModifyAndWriteBack)
{
    const std::string stored = ReadBytes(File);
    // Modify without a change writes nothing.
    EXPECT_EQ(Run(HandOver(), [](frmDetail& d) {
                  d.cmdModify_Click();
                  EXPECT_EQ(d.cboReference[2]->currentText(), QStringLiteral("Lot 7"));
                  d.cmdOK_Click();
              }),
              QStringLiteral("False"));
    EXPECT_EQ(ReadBytes(File), stored);

    // Changed: written whole, trimmed, with the block of the hand-over as
    // current property, read-only again.
    EXPECT_EQ(Run(HandOver(), [](frmDetail& d) {
                  d.cmdModify_Click();
                  d.cboOperator->setEditText(QStringLiteral("  Weber "));
                  d.cboOperator_Change();
                  d.txtCommentary->setPlainText(QStringLiteral(" wet "));
                  d.cmdOK_Click();
              }),
              QStringLiteral("True"));
    const Protocol written = dskGetTestReport(Data, Path);
    EXPECT_EQ(written.Operator, QStringLiteral("Weber"));
    EXPECT_EQ(written.Blocks[2].Commentary, QStringLiteral("wet"));
    EXPECT_EQ(written.CurrentProperty, 2);
    EXPECT_EQ(GetAttr(File), AttrReadOnly);

    // Changed elsewhere meanwhile and kept (No), then a write that fails and
    // is given up: the analysis still searches again.
    const QString elsewhere = File + QStringLiteral(".elsewhere");
    EXPECT_EQ(Run(HandOver(), [&](frmDetail& d) {
                  d.cmdModify_Click();
                  d.cboOperator->setEditText(QStringLiteral("Vogel"));
                  d.cboOperator_Change();
                  WriteBytes(elsewhere, stored + "x");
                  ASSERT_EQ(::rename(QFile::encodeName(elsewhere).constData(), QFile::encodeName(File).constData()), 0);
                  Presenter.Answer(AnswerNo);
                  d.cmdOK_Click();
                  ASSERT_TRUE(d.isVisible());
                  // The report can no longer be written: a folder in its place.
                  ASSERT_TRUE(QFile::remove(File));
                  ASSERT_TRUE(QDir().mkdir(File));
                  Presenter.Answer(AnswerNo);
                  d.cmdOK_Click();
              }),
              QStringLiteral("True"));
    ASSERT_EQ(Presenter.Shown.size(), 2u);
    EXPECT_TRUE(Presenter.Shown[1].Text.startsWith(
        QStringLiteral("An error occurred while writing the file. Ensure that there is enough space on the disk.")));
    ASSERT_TRUE(QDir().rmdir(File));
    WriteBytes(File, stored);

    // Cancel answers "False", the close box nothing.
    EXPECT_EQ(Run(HandOver(), [](frmDetail& d) { d.cmdCancel_Click(); }), QStringLiteral("False"));
    EXPECT_EQ(Run(HandOver(), [](frmDetail& d) { d.close(); }), HandOver());
    QTest::qWait(0);
}

TEST_F(DetailWindowTest, BoxesKeepWhatAReportCanStore)
{
    Run(HandOver(), [](frmDetail& d) {
        d.show();
        d.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
        const QSize size = d.size();
        // Modify keeps the window's size and leaves the first reference's
        // text selected; a click into the commentary selects it too.
        d.cmdModify_Click();
        QApplication::processEvents();
        EXPECT_EQ(d.size(), size);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("z"));
        EXPECT_EQ(d.cboReference[2]->currentText(), QStringLiteral("z"));
        QTest::mouseClick(d.txtCommentary->viewport(), Qt::LeftButton, {}, QPoint(2, 2));
        QApplication::processEvents();
        QTest::keyClicks(d.txtCommentary, QStringLiteral("w"));
        EXPECT_EQ(d.txtCommentary->toPlainText(), QStringLiteral("w"));

        const int beeps = InputBeepCount();
        QLineEdit* reference = d.cboReference[3]->lineEdit();
        reference->clear();
        QTest::keyClicks(reference, QString(36, u'r'));
        EXPECT_EQ(reference->text(), QString(35, u'r'));
        EXPECT_EQ(InputBeepCount(), beeps + 1);
        d.txtCommentary->setPlainText(QStringLiteral("ok"));
        for (const char* refused : {"\tTAB", "Ω"})   // a control character, a letter outside Windows-1252
            d.txtCommentary->insertPlainText(QString::fromUtf8(refused));
        EXPECT_EQ(d.txtCommentary->toPlainText(), QStringLiteral("ok"));
        d.txtCommentary->setPlainText(QString(300, u'c'));
        EXPECT_EQ(d.txtCommentary->toPlainText().size(), 255);
        EXPECT_EQ(InputBeepCount(), beeps + 4);
        EXPECT_TRUE(d.Changed);
        d.cmdCancel_Click();
    });
}

TEST_F(DetailWindowTest, DeleteAsksFirst)
{
    const std::string stored = ReadBytes(File);
    Presenter.Answer(AnswerNo);
    Presenter.Answer(AnswerYes);
    const QString answer = Run(HandOver(), [this, stored](frmDetail& d) {
        d.cmdDelete_Click();
        EXPECT_TRUE(frmDetail::IsLoaded());
        EXPECT_EQ(ReadBytes(File), stored);
        d.cmdDelete_Click();
        EXPECT_FALSE(frmDetail::IsLoaded());
    });
    EXPECT_EQ(answer, QStringLiteral("True"));
    ASSERT_EQ(Presenter.Shown.size(), 2u);
    EXPECT_EQ(Presenter.Shown[0].Text, QStringLiteral("Are you sure?"));
    EXPECT_FALSE(QFileInfo::exists(File));
}

TEST_F(DetailWindowTest, AReportAnotherSeatChangedOrDeletedIsReplacedOnlyAfterAYes)
{
    // Two seats, each a process with a program folder of its own, have the
    // detail window of one report open. B saves an edit or deletes it; then
    // A saves an edit or deletes: message 45 asks, No leaves what B left as
    // it is (a deleted report is not brought back) and A's window open with
    // A's edit, Yes goes on.
    enum class Act { Edit, Delete };
    const struct {
        const char* what;
        Act b;
        Act a;
        int16_t answer;
    } rows[] = {
        {"B edits, A saves, No", Act::Edit, Act::Edit, AnswerNo},
        {"B edits, A saves, Yes", Act::Edit, Act::Edit, AnswerYes},
        {"B deletes, A saves, No", Act::Delete, Act::Edit, AnswerNo},
        {"B deletes, A saves, Yes", Act::Delete, Act::Edit, AnswerYes},
        {"B edits, A deletes, No", Act::Edit, Act::Delete, AnswerNo},
        {"B edits, A deletes, Yes", Act::Edit, Act::Delete, AnswerYes},
    };
    const QString question =
        QStringLiteral("The test report was changed or deleted after it was opened here.\r\nContinue anyway?");
    const std::string gone = "<gone>";
    const auto state = [&] { return QFileInfo::exists(File) ? ReadBytes(File) : gone; };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        SetAttr(File, AttrNormal);
        QFile::remove(File);
        Store(QStringLiteral("r.QTA"), Report);
        // A seat's run: its window on the report, the act once it may go,
        // and what it was asked and answered left in its program folder.
        const auto seat = [&](const QString& name, Act act, int16_t answer, const std::function<void()>& wait) {
            ::alarm(30);
            const QString program = Temp.path() + u'/' + name;
            SetProgramFolder(program);
            Presenter.Shown.clear();
            if (act == Act::Delete)
                Presenter.Answer(AnswerYes);   // "Are you sure?"
            Presenter.Answer(answer);
            QString stillOpen;
            Dialogs.Then([&](QDialog& dialog) {
                frmDetail& d = static_cast<frmDetail&>(dialog);
                wait();
                if (act == Act::Delete) {
                    d.cmdDelete_Click();
                    return;
                }
                d.cmdModify_Click();
                d.cboOperator->setEditText(name);
                d.cboOperator_Change();
                d.cmdOK_Click();
                // Still open after No: the operator's edit is there; Cancel.
                if (d.isVisible()) {
                    stillOpen = QStringLiteral("open with ") + d.cboOperator->currentText();
                    d.cmdCancel_Click();
                }
            });
            QStringList told{frmDetail::ShowForm(HandOver())};
            if (!stillOpen.isEmpty())
                told << stillOpen;
            for (const MessageRequest& box : Presenter.Shown)
                told << box.Text;
            WriteBytes(program + QStringLiteral("/told.txt"), told.join(u'|').toStdString());
            return 0;
        };
        for (const char* name : {"SeatA", "SeatB"})
            QDir().mkpath(Temp.path() + u'/' + QLatin1String(name));
        int go[2];
        ASSERT_EQ(::pipe(go), 0);
        const ReadyChild seatA = StartChildUntilReady([&](const std::function<void()>& ready) {
            ::close(go[1]);
            return seat(QStringLiteral("SeatA"), row.a, row.answer, [&] {
                ready();
                char byte = 0;
                (void)!::read(go[0], &byte, 1);
            });
        });
        ::close(go[0]);
        ASSERT_TRUE(seatA.Ready);
        EXPECT_EQ(WaitForChild(StartChild([&] { return seat(QStringLiteral("SeatB"), row.b, AnswerYes, [] {}); })), 0);
        const std::string afterB = state();
        ASSERT_NE(afterB, CurrentReportBytes(Report));   // B's act is on disk
        ::close(go[1]);
        EXPECT_EQ(WaitForChild(seatA.Pid), 0);

        const QStringList told = QString::fromLatin1(ReadBytes(Temp.path() + QStringLiteral("/SeatA/told.txt"))).split(u'|');
        // The analysis searches again whatever the answer: the report is not
        // what it showed.
        QStringList expected = row.a == Act::Delete
            ? QStringList{QStringLiteral("True"), QStringLiteral("Are you sure?"), question}
            : QStringList{QStringLiteral("True"), question};
        if (row.a == Act::Edit && row.answer == AnswerNo)
            expected.insert(1, QStringLiteral("open with SeatA"));
        EXPECT_EQ(told.join(u'|').toStdString(), expected.join(u'|').toStdString());
        if (row.answer == AnswerNo) {
            EXPECT_TRUE(state() == afterB);
        } else if (row.a == Act::Delete) {
            EXPECT_FALSE(QFileInfo::exists(File));
        } else {
            EXPECT_EQ(dskGetTestReport(Data, Path).Operator, QStringLiteral("SeatA"));
            EXPECT_EQ(GetAttr(File), AttrReadOnly);
        }
    }
}

TEST_F(DetailWindowTest, CurveOfAnAirbagTest)
{
    // The airbag test (18) with a curve file: a good one opens the curve
    // window, a missing or unusable one shows message 35; other test types
    // do nothing.
    ABTCurve curve = EmptyABTCurve;
    curve.Header = std::string(58, 'H') + "\r\n";
    const QString stored = abtFilePut(curve, DateSerial(2011, 1, 5) + TimeSerial(12, 1, 0));
    ASSERT_FALSE(stored.isEmpty());
    Protocol airbag = Report;
    airbag.Style.Forms[1].Items[2].Property = 18;
    airbag.Blocks[2].Values[1].CurveFile = "missing.ABT";
    airbag.Blocks[2].Values[3].CurveFile = "../x.ABT";
    airbag.Blocks[2].Values.push_back(Measured(14));
    airbag.Blocks[2].Values[4].CurveFile = stored.toStdString();
    Path = Store(QStringLiteral("a.QTA"), airbag);
    std::vector<QString> opened;
    Run(MakeHandOver(18, 2, Path), [this, &opened](frmDetail& d) {
        // The curve window gets a copy of the report and the curve's name.
        Dialogs.Then([&opened](QDialog&) { opened.push_back(AbtFileName + QString::number(AbtProtocol.CurrentProperty)); });
        d.grdResult->SetRow(0);
        d.grdResult_DblClick();
        d.grdResult->SetRow(1);
        d.grdResult_DblClick();
        d.grdResult->SetRow(2);
        d.grdResult_DblClick();
        d.cmdCancel_Click();
    });
    EXPECT_EQ(Presenter.Shown.size(), 2u);
    EXPECT_EQ(opened, std::vector<QString>{stored + QStringLiteral("2")});
    EXPECT_EQ(Dialogs.Ran, (std::vector<QString>{QStringLiteral("frmDetail"), QStringLiteral("frmABTCurve")}));
    Run(MakeHandOver(9, 2, Path), [](frmDetail& d) {
        d.grdResult_DblClick();
        d.cmdCancel_Click();
    });
    EXPECT_EQ(Presenter.Shown.size(), 2u);
}

}  // namespace
