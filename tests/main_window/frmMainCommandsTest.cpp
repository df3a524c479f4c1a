#include "main_window/CommandFixture.h"

#include "curves/frmABTCurve.h"
#include "curves/modABTCurve.h"
#include "main_window/frmCommentary.h"
#include "instrument/modPropertyText.h"
#include "main_window/modMainTexts.h"
#include "platform/Cp1252.h"
#include "platform/FlexGrid.h"
#include "platform/PictureBox.h"
#include "platform/TabControl.h"
#include "storage/modClipboard.h"
#include "support/AirbagCurves.h"
#include "support/ReadOnlyFolder.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <functional>
#include <optional>

namespace {

using Act = std::function<void(QDialog&)>;

// Files of a kind below a folder.
int Files(const QString& folder, const QString& pattern)
{
    int n = 0;
    for (QDirIterator it(folder, {pattern}, QDir::Files, QDirIterator::Subdirectories); it.hasNext(); it.next())
        ++n;
    return n;
}

class CommandsTest : public CommandFixture {
protected:
    int Reports() { return Files(DataFolder, QStringLiteral("*.QTA")); }
    int Exports() { return Files(QDASFolder, QStringLiteral("*.DFQ")); }
    bool Printed() { return QFile::exists(pdf_); }
    // A series with tests in properties 1 and 2, property 2 already closed.
    Protocol TwoProperties()
    {
        Protocol p = Series({100, 104, 108});
        p.Blocks[2] = Series({50, 60}, 2).Blocks[2];
        p.Blocks[2].Terminated = true;
        p.Blocks[2].LastTestDate = 1;
        return p;
    }
    void Terminate(ScriptedPresenter& presenter, std::initializer_list<int16_t> answers)
    {
        for (int16_t a : answers)
            presenter.Answer(a);
        w_->cmdTerminateProtocol_Click();
    }
};

// ---------------------------------------------------------------------------
// Editing

TEST_F(CommandsTest, EditingRecomputesAfterAChangeOnly)
{
    const Act cancel = [](QDialog&) {};
    const auto remove = [](int k) {
        return Act([k](QDialog& d) {
            auto& c = static_cast<frmCommentary&>(d);
            ASSERT_EQ(c.TestIndex, k);
            c.txtCommentary->setText(QStringLiteral("torn"));
            c.cmdDelete->click();
        });
    };
    TestValue half = SeriesTest(NoValue, 80);
    const struct {
        const char* what;
        Protocol series;
        bool open;
        int row;
        Act act;
        int count;
        float mean1;
        int rows;
        int state;
    } cases[] = {
        {"cancel", Series({100, 104, 108}), true, 1, cancel, 3, 104, 3, 5},
        {"one of three", Series({100, 104, 108}), true, 0, remove(1), 2, 106, 2, 5},
        {"the last of an open series", Series({100}), true, 0, remove(1), 0, 0, 1, 6},
        {"the last of the working record", Series({100}), false, 0, remove(1), 0, 0, 1, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedDialogRunner dialogs;
        dialogs.Then(c.act);
        Load(c.open ? std::vector<Protocol>{c.series} : std::vector<Protocol>{}, c.open ? 1 : 0);
        if (!c.open) {
            Protocols[0] = c.series;
            w_->cboStyle->setCurrentIndex(0);
            w_->cboStyle_Click();
            Protocols[0].Blocks[1] = c.series.Blocks[1];
            w_->ShowProtocol();
            w_->RefreshEnabling();
        }
        SetFixedClock(Moment() + 1);
        w_->grdResult->SetRow(c.row);
        w_->grdResult_DblClick();
        const PropertyBlock& b = Shown().Blocks[1];
        EXPECT_EQ(b.Stats.Count, c.count);
        if (c.count > 0) {
            EXPECT_FLOAT_EQ(b.Stats.Mean1, c.mean1);
        }
        EXPECT_EQ(w_->grdResult->Rows(), c.rows);
        EXPECT_EQ(w_->ProtocolState, c.state);
        const bool dated = c.count > 0 && c.count < 3;
        EXPECT_EQ(Shown().LastTestDate == Moment() + 1, dated);
        EXPECT_EQ(b.LastTestDate == Moment() + 1, dated);
        EXPECT_TRUE(w_->Tag.isEmpty());
    }

    // A first pressure-drop reading waiting for its second counts nowhere.
    Protocol p = Series({100, 110}, 4);
    p.Blocks[4].Values.push_back(half);
    Load({p});
    ScriptedDialogRunner dialogs;
    dialogs.Then([](QDialog& d) {
        static_cast<frmCommentary&>(d).txtCommentary->setText(QStringLiteral("ok"));
        static_cast<frmCommentary&>(d).cmdOK->click();
    });
    w_->EditTest(1);
    EXPECT_EQ(Shown().Blocks[4].Stats.Count, 2);
    EXPECT_FLOAT_EQ(Shown().Blocks[4].Stats.Mean2, 20);
}

TEST_F(CommandsTest, AClickOnAProfilePointOpensItsTest)
{
    // Listed: 101, 103, 104, 104 at 1 to 4, joined by black lines.
    Protocol p = Series({101, 102, 103, 104, 104});
    p.Blocks[1].Values[2].Deleted = true;
    Load({p});
    w_->tabDisplay->SetTab(2);
    w_->tabDisplay_Click(0);
    DrawingSurface& chart = w_->picProfile[1]->Surface();
    chart.PSet(4.8, 85, 0x000000);   // a black pixel beyond the last point
    const struct {
        double x, y;
        int test;   // 0: nothing opened
    } cases[] = {{2, 85, 0}, {2, 95, 0}, {2, 103, 3}, {3.4, 104, 4}, {4.8, 85, 5}};
    for (const auto& c : cases) {
        ScriptedDialogRunner dialogs;
        int opened = 0;
        dialogs.Then([&opened](QDialog& d) { opened = static_cast<frmCommentary&>(d).TestIndex; });
        w_->picProfile_MouseUp(1, 1, 0, c.x, c.y);
        EXPECT_EQ(opened, c.test) << c.x << " " << c.y;
    }
}

// ---------------------------------------------------------------------------
// Terminating

TEST_F(CommandsTest, TerminatingSavesPrintsAndExportsAsTheSettingsAndAnswersSay)
{
    const int16_t Yes = AnswerYes, No = AnswerNo;
    const struct {
        bool autoSave, autoPrint;
        std::initializer_list<int16_t> answers;
        std::vector<int> asked;
        int reports;
        bool printed;
        int exports;
        bool removed;
    } cases[] = {
        {true, true, {Yes}, {30}, 1, true, 2, true},
        {false, true, {Yes, No}, {30, 28}, 0, true, 2, true},
        {true, false, {Yes, Yes}, {30, 27}, 1, true, 2, true},
        {false, false, {Yes, No, No}, {30, 28, 27}, 0, false, 2, true},
        {true, true, {No}, {30}, 0, false, 0, false},
    };
    int run = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(run);
        UseFolders(QString::number(++run));
        AutoSave = c.autoSave;
        AutoPrint = c.autoPrint;
        Load({TwoProperties()});
        ScriptedPresenter presenter;
        Terminate(presenter, c.answers);
        EXPECT_EQ(Numbers(presenter), c.asked);
        EXPECT_EQ(Reports(), c.reports);
        EXPECT_EQ(Printed(), c.printed);
        EXPECT_EQ(Exports(), c.exports);
        EXPECT_EQ(Protocols.size(), c.removed ? 1u : 2u);
        EXPECT_EQ(CurrentProtocol, c.removed ? 0 : 1);
        EXPECT_EQ(w_->optProtocol[1]->isChecked(), c.removed);
    }

    // Nothing measured: removed, nothing written.
    UseFolders(QStringLiteral("empty"));
    Load({Series({}, 1)});
    ScriptedPresenter presenter;
    Terminate(presenter, {Yes});
    EXPECT_EQ(Protocols.size(), 1u);
    EXPECT_EQ(Reports() + Exports(), 0);
    EXPECT_FALSE(Printed());
}

TEST_F(CommandsTest, ASaveGivenUpKeepsTheSeriesOpenAndTerminatingAgainStoresItOnce)
{
    std::optional<ReadOnlyFolder> locked(std::in_place, DataFolder);
    if (!locked->Active())
        GTEST_SKIP() << "the folder cannot be made read-only here";
    Load({TwoProperties()});
    {
        ScriptedPresenter presenter;
        Terminate(presenter, {AnswerYes, AnswerNo});
        EXPECT_EQ(Numbers(presenter), (std::vector<int>{30, 31}));
    }
    ASSERT_EQ(Protocols.size(), 2u);
    EXPECT_EQ(CurrentProtocol, 1);
    EXPECT_FALSE(Shown().Finished);
    EXPECT_TRUE(Shown().Blocks[1].Terminated && Shown().Blocks[2].Terminated);
    EXPECT_EQ(Shown().Blocks[2].LastTestDate, 1) << "a closed property is not reopened";
    EXPECT_EQ(w_->ProtocolState, 7);
    EXPECT_FALSE(Printed());
    EXPECT_EQ(Exports(), 0);

    // The folder is made writable while message 31 is up.
    ScriptedPresenter presenter;
    presenter.OnPresent = [&locked, n = 0](const MessageRequest&) mutable {
        if (++n == 2)
            locked.reset();
    };
    Terminate(presenter, {AnswerYes, AnswerYes});
    EXPECT_EQ(Numbers(presenter), (std::vector<int>{30, 31}));
    EXPECT_EQ(Reports(), 1);
    EXPECT_TRUE(Printed());
    EXPECT_EQ(Protocols.size(), 1u);
}

TEST_F(CommandsTest, AnExportThatFailedIsRetriedForItsFilesOnly)
{
    Protocol p = TwoProperties();
    p.Blocks[2].Terminated = false;
    std::optional<ReadOnlyFolder> locked(std::in_place, QDASFolder);
    if (!locked->Active())
        GTEST_SKIP() << "the folder cannot be made read-only here";
    Load({p});
    ScriptedPresenter presenter;
    presenter.OnPresent = [&locked, n = 0](const MessageRequest&) mutable {
        if (++n == 2)
            locked.reset();
    };
    Terminate(presenter, {AnswerYes, AnswerYes});
    EXPECT_EQ(Numbers(presenter), (std::vector<int>{30, 31}));
    EXPECT_EQ(Exports(), 2);
    EXPECT_EQ(Reports(), 1);
}

// ---------------------------------------------------------------------------
// Curve analysis

TEST_F(CommandsTest, CurveAnalysisOpensOnlyAGoodCurveFileOfTheSelectedTest)
{
    const QString good = abtFilePut(AirbagPulse(), Moment());
    ASSERT_FALSE(good.isEmpty());
    QFile foreign(DataFolder + QStringLiteral("/FOREIGN.ABT"));
    ASSERT_TRUE(foreign.open(QIODevice::WriteOnly));
    foreign.write(QByteArray(9000, 'x'));
    foreign.close();
    const struct {
        int property;
        QString file;
        bool test;
        int message;
    } cases[] = {{6, good, true, 0},
                 {3, QString(), true, 35},
                 {3, QStringLiteral("MISSING.ABT"), true, 35},
                 {3, QStringLiteral("FOREIGN.ABT"), true, 35},
                 {3, QStringLiteral("../") + good, true, 35},
                 {3, good, false, 35},
                 {3, good, true, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        Protocol p = Series(c.test ? std::initializer_list<float>{100} : std::initializer_list<float>{}, c.property);
        if (c.test)
            p.Blocks[static_cast<size_t>(c.property)].Values[1].CurveFile = ToCp1252(c.file);
        Load({p});
        AbtFileName.clear();
        ScriptedPresenter presenter;
        ScriptedDialogRunner dialogs;
        w_->cmdAnalyzeCurve_Click();
        EXPECT_EQ(Numbers(presenter), c.message ? std::vector<int>{c.message} : std::vector<int>{});
        const bool opened = c.property == 3 && c.message == 0;
        EXPECT_EQ(dialogs.Ran, opened ? std::vector<QString>{QStringLiteral("frmABTCurve")} : std::vector<QString>{});
        if (opened) {
            EXPECT_EQ(AbtFileName, good);
            EXPECT_EQ(AbtProtocol, Shown());
        }
    }
}

// ---------------------------------------------------------------------------
// Menu commands

TEST_F(CommandsTest, MenuCommandsRefreshWhatTheirDialogsChanged)
{
    Load({Series({100})});
    // A new language redoes every caption; another date format only the date.
    ScriptedDialogRunner dialogs;
    dialogs.Then([](QDialog& d) { DateFormat = 1, d.accept(); });
    w_->mnuSettings_CountrySettings_Click();
    EXPECT_EQ(w_->mnuFile->title(), MainCaption(QStringLiteral("mnuFile"), 2));
    EXPECT_EQ(w_->lblDateTimeE->text(), QStringLiteral("08.12.2011, 10:15:00"));
    RefTitles.Titles[0] = QStringLiteral("Los");
    dialogs.Then([](QDialog& d) { Language = 1, d.accept(); });
    w_->mnuSettings_CountrySettings_Click();
    EXPECT_EQ(w_->mnuFile->title(), MainCaption(QStringLiteral("mnuFile"), 1));
    EXPECT_EQ(w_->lblProperty[1]->text(), PropertyName(9, 1));
    EXPECT_EQ(w_->lblParameter[1]->text(), ParameterNames(9, 1, 1) + QStringLiteral(":"));
    EXPECT_EQ(w_->lblReference[2]->text(), QStringLiteral("Los"));
    Language = 2;

    // Data settings reopen the port after Cancel too; a port that cannot be
    // opened is told, and Measure follows.
    qputenv("QUINTARA_COM8", "/nonexistent/tty");
    ComPort = 8;
    {
        ScriptedPresenter presenter;
        w_->mnuSettings_DataSettings_Click();
        EXPECT_EQ(Numbers(presenter), std::vector<int>{13});
    }
    qunsetenv("QUINTARA_COM8");
    EXPECT_FALSE(PortOpen);
    EXPECT_FALSE(w_->imgNoConnection->isHidden());
    EXPECT_FALSE(w_->cmdMeasure->isEnabled());

    // Typed texts survive the list editors; the lists are renewed.
    w_->cboOperator->setEditText(QStringLiteral("Typed"));
    w_->cboReference[3]->setEditText(QStringLiteral("lot 9"));
    dialogs.Then([](QDialog& d) { Operators = {QString(), QStringLiteral("Ann"), QStringLiteral("Bob")}, d.accept(); });
    dialogs.Then([](QDialog& d) { Reference3Values = {QString(), QStringLiteral("lot 1")}, d.accept(); });
    w_->mnuStandard_Operator_Click();
    w_->mnuStandard_Reference2to4_Click();
    EXPECT_EQ(w_->cboOperator->count(), 2);
    EXPECT_EQ(w_->cboOperator->currentText(), QStringLiteral("Typed"));
    EXPECT_EQ(w_->cboReference[3]->count(), 1);
    EXPECT_EQ(w_->cboReference[3]->currentText(), QStringLiteral("lot 9"));
    EXPECT_EQ(Shown().Operator, QString());

    // Report forms are not re-applied to an open series.
    dialogs.Then([](QDialog& d) { Styles[1].Forms[1].Name = QStringLiteral("Form Z"), d.accept(); });
    w_->mnuStandard_ReportForm_Click();
    EXPECT_EQ(Shown().Style.Forms[1].Name, QStringLiteral("Form A"));

    // Copy puts the report of the series shown on the clipboard.
    w_->mnuFile_Copy_Click();
    EXPECT_EQ(QApplication::clipboard()->text(), clpTestReportText(Shown()));
}

TEST_F(CommandsTest, TheStyleEditorReselectsTheStyleByNameAndReappliesItToTheWorkingRecord)
{
    const struct {
        const char* name;
        int selected;
        int state;
    } cases[] = {{"Cloth", -1, 2}, {"FABRIC", 0, 4}};
    for (const auto& c : cases) {
        Styles = {MakeBlankStyle(), Fabric()};
        Load({}, 0);
        w_->cboStyle->setCurrentIndex(0);
        w_->cboStyle_Click();
        w_->cboProtocol->setCurrentIndex(0);
        w_->cboProtocol_Click();
        ASSERT_EQ(w_->ProtocolState, 4);
        ScriptedDialogRunner dialogs;
        dialogs.Then([&c](QDialog& d) {
            Styles[1].Name = QString::fromLatin1(c.name);
            Styles[1].Tests[9].Nominal1 = 200;
            d.done(QDialog::Accepted);
        });
        w_->mnuStandard_Style_Click();
        EXPECT_EQ(w_->cboStyle->currentIndex(), c.selected) << c.name;
        EXPECT_EQ(w_->ProtocolState, c.state) << c.name;
        EXPECT_EQ(Protocols[0].Style.Tests[9].Nominal1 == 200, c.selected == 0) << c.name;
    }
}

// ---------------------------------------------------------------------------
// Pointer routing

TEST_F(CommandsTest, DoubleClicksAndRightButtonsLeadToTheCommandsOfTheDisplays)
{
    const char* Styles = "frmStyle";
    const char* Standard = "mnuStandard";
    const struct {
        const char* control;
        int first, last;
        const char* dialog;   // opened by a double-click; nullptr none
        const char* menu;     // popped up by the right button
        const char* item;     // its default item
    } members[] = {
        {"grdNominal", -1, -1, Styles, Standard, "mnuStandard_Style"},
        {"grdTest", -1, -1, Styles, Standard, "mnuStandard_Style"},
        {"lblNominalCI", -1, -1, Styles, Standard, "mnuStandard_Style"},
        {"lblStyle", -1, -1, Styles, Standard, "mnuStandard_Style"},
        {"imgFolder", -1, -1, Styles, Standard, "mnuStandard_Style"},
        {"lblParameterE", 1, 4, Styles, Standard, "mnuStandard_Style"},
        {"lblProfileYUnit", 1, 2, Styles, Standard, "mnuStandard_Style"},
        {"picDeviation", 1, 2, Styles, Standard, "mnuStandard_Style"},
        {"picHistogram", 1, 2, Styles, Standard, "mnuStandard_Style"},
        {"picHistogramU", 1, 2, Styles, Standard, "mnuStandard_Style"},
        {"picProfile", 1, 2, Styles, Standard, "mnuStandard_Style"},
        {"picProfileL", 1, 2, Styles, Standard, "mnuStandard_Style"},
        {"lblSerialNumberE", -1, -1, "frmSystemSettings", "mnuSettings", "mnuSettings_SystemSettings"},
        {"lblDateTime", -1, -1, "frmCountrySetting", "mnuSettings", "mnuSettings_CountrySettings"},
        {"imgNoConnection", -1, -1, "frmDataSetting", "mnuSettings", "mnuSettings_DataSettings"},
        {"lblOperator", -1, -1, "frmOperator", Standard, "mnuStandard_Operator"},
        {"lblReference", 2, 4, "frmReference", Standard, "mnuStandard_Reference2to4"},
        {"optProtocol", 1, 2, nullptr, Standard, "mnuStandard_ReportForm"},
        {"grdAvg", -1, -1, nullptr, nullptr, nullptr},
        {"lblHistogramYMin", 1, 2, nullptr, nullptr, nullptr},
        {"picCurve", -1, -1, nullptr, nullptr, nullptr},
        {"lblProperty", 1, 6, nullptr, nullptr, nullptr},
        {"imgPrint", -1, -1, nullptr, nullptr, nullptr},
    };
    Load({Series({100})});
    const auto send = [](QWidget* target, QEvent::Type type, Qt::MouseButton button) {
        if (auto* grid = qobject_cast<FlexGrid*>(target))
            target = grid->viewport();
        QMouseEvent event(type, QPointF(2, 2), target->mapToGlobal(QPointF(2, 2)), button,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &event);
    };
    for (const auto& m : members) {
        for (int i = m.first; i <= m.last; ++i) {
            const QString name = i < 0 ? QString::fromLatin1(m.control) : QStringLiteral("%1_%2").arg(m.control).arg(i);
            SCOPED_TRACE(name.toStdString());
            auto* control = w_->findChild<QWidget*>(name);
            ASSERT_TRUE(control);
            for (bool enabled : {true, false}) {
                // Items as given before each event (a command's own refresh
                // changes them); the menus themselves stay enabled, as always.
                const auto items = [&] {
                    for (QAction* item : w_->findChildren<QAction*>())
                        item->setEnabled(enabled);
                    for (QMenu* menu : w_->findChildren<QMenu*>())
                        menu->menuAction()->setEnabled(true);
                    control->setEnabled(true);
                };
                ScriptedPresenter presenter;
                ScriptedDialogRunner dialogs;
                RecordingPopupRunner popups;
                for (const auto& [type, button] : {std::pair{QEvent::MouseButtonDblClick, Qt::LeftButton},
                                                   {QEvent::MouseButtonRelease, Qt::MiddleButton},
                                                   {QEvent::MouseButtonRelease, Qt::LeftButton},
                                                   {QEvent::MouseButtonRelease, Qt::RightButton}}) {
                    items();
                    send(control, type, button);
                }
                const bool runs = m.dialog && enabled;
                EXPECT_EQ(dialogs.Ran, runs ? std::vector<QString>{QString::fromLatin1(m.dialog)}
                                            : std::vector<QString>{});
                // The menu of the report forms pops up whatever its item.
                const bool pops = m.menu && (enabled || m.dialog == nullptr);
                ASSERT_EQ(popups.Popped.size(), pops ? 1u : 0u);
                if (pops) {
                    EXPECT_EQ(popups.Popped[0].Menu, QString::fromLatin1(m.menu));
                    EXPECT_EQ(popups.Popped[0].DefaultItem, QString::fromLatin1(m.item));
                }
            }
            // A disabled control takes no button.
            for (QAction* item : w_->findChildren<QAction*>())
                item->setEnabled(true);
            control->setEnabled(false);
            ScriptedDialogRunner dialogs;
            RecordingPopupRunner popups;
            send(control, QEvent::MouseButtonDblClick, Qt::LeftButton);
            send(control, QEvent::MouseButtonRelease, Qt::RightButton);
            EXPECT_TRUE(dialogs.Ran.empty() && popups.Popped.empty());
            control->setEnabled(true);
        }
    }
}

TEST_F(CommandsTest, ShortcutsRunOnlyEnabledItems)
{
    Load({Series({100})});
    w_->show();
    w_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w_));
    ScriptedPresenter presenter;
    ScriptedDialogRunner dialogs;
    w_->RefreshEnabling();   // an open series with tests: styles may not be edited
    QTest::keyClick(w_, Qt::Key_M, Qt::ControlModifier);
    QTest::keyClick(w_, Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(w_, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(dialogs.Ran, std::vector<QString>{QStringLiteral("frmOperator")});
    EXPECT_TRUE(presenter.Shown.empty());
}

} // namespace
