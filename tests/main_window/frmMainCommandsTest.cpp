#include "main_window/CommandFixture.h"

#include "curves/frmABTCurve.h"
#include "curves/modABTCurve.h"
#include "foundation/modSettings.h"
#include "main_window/frmCommentary.h"
#include "main_window/modPending.h"
#include "platform/Cp1252.h"
#include "platform/FlexGrid.h"
#include "platform/PictureBox.h"
#include "platform/SafeFile.h"
#include "platform/TabControl.h"
#include "storage/frmDataSetting.h"
#include "storage/modDisk.h"
#include "support/AirbagCurves.h"
#include "support/Bytes.h"
#include "support/ReadOnlyFolder.h"
#include "support/SimInstrument.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDirIterator>
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
constexpr int16_t Yes = AnswerYes, No = AnswerNo;

class CommandsTest : public CommandFixture {
protected:
    static int Files(const QString& folder, const char* pattern)
    {
        int n = 0;
        for (QDirIterator it(folder, {QString::fromLatin1(pattern)}, QDir::Files, QDirIterator::Subdirectories);
             it.hasNext(); it.next())
            ++n;
        return n;
    }
    // Reports, PDF, Q-DAS files written.
    std::vector<int> Written() { return {Files(DataFolder, "*.QTA"), QFile::exists(pdf_), Files(QDASFolder, "*.DFQ")}; }
    // Tests in properties 1 and 2; property 2 was closed before.
    static Protocol TwoProperties()
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
    // Makes the folder writable again while the second message is up.
    static void UnlockAtSecondMessage(ScriptedPresenter& presenter, std::optional<ReadOnlyFolder>& locked)
    {
        presenter.OnPresent = [&locked, n = 0](const MessageRequest&) mutable {
            if (++n == 2)
                locked.reset();
        };
    }
};

TEST_F(CommandsTest, EditingRecomputesAfterAChangeOnly)
{
    const auto remove = [](int k) {
        return Act([k](QDialog& d) {
            auto& c = static_cast<frmCommentary&>(d);
            ASSERT_EQ(c.TestIndex, k);
            c.txtCommentary->setText(QStringLiteral("torn"));
            c.cmdDelete->click();
        });
    };
    const struct {
        std::initializer_list<float> values;
        bool open;
        int row;
        Act act;
        int count;
        float mean1;
        int rows, state;
        bool dated;
    } cases[] = {
        {{100, 104, 108}, true, 1, [](QDialog&) {}, 3, 104, 3, 5, false},
        {{100, 104, 108}, true, 0, remove(1), 2, 106, 2, 5, true},
        {{100}, true, 0, remove(1), 0, 0, 1, 6, false},
        {{100}, false, 0, remove(1), 0, 0, 1, 4, false},   // the working record
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(&c - cases));
        const Protocol p = Series(c.values);
        Load(c.open ? std::vector<Protocol>{p} : std::vector<Protocol>{}, c.open ? 1 : 0);
        if (!c.open) {
            w_->cboStyle->setCurrentIndex(0);
            w_->cboStyle_Click();
            Protocols[0].Blocks[1] = p.Blocks[1];
            w_->ShowProtocol();
            w_->RefreshEnabling();
        }
        ScriptedDialogRunner dialogs;
        dialogs.Then(c.act);
        SetFixedClock(Moment() + 1);
        w_->grdResult->SetRow(c.row);
        w_->grdResult_DblClick();
        const PropertyBlock& b = Shown().Blocks[1];
        EXPECT_EQ(b.Stats.Count, c.count);
        EXPECT_FLOAT_EQ(c.count ? b.Stats.Mean1 : 0, c.mean1);
        EXPECT_EQ(w_->grdResult->Rows(), c.rows);
        EXPECT_EQ(w_->ProtocolState, c.state);
        EXPECT_EQ(Shown().LastTestDate == Moment() + 1 && b.LastTestDate == Moment() + 1, c.dated);
        EXPECT_TRUE(w_->Tag.isEmpty());
    }
}

TEST_F(CommandsTest, AClickOnAProfilePointOpensItsTest)
{
    // Listed: 101, 103, 104, 104 at 1 to 4, joined by black lines.
    Protocol p = Series({101, 102, 103, 104, 104});
    p.Blocks[1].Values[2].Deleted = true;
    Load({p})->tabDisplay->SetTab(2);
    w_->tabDisplay_Click(0);
    w_->picProfile[1]->Surface().PSet(4.8, 85, 0x000000);   // black beyond the last point
    const struct {
        double x, y;
        int test;
    } cases[] = {{2, 85, 0}, {2, 95, 0}, {2, 103, 3}, {3.4, 104, 4}, {4.8, 85, 5}};
    for (const auto& c : cases) {
        ScriptedDialogRunner dialogs;
        int opened = 0;
        dialogs.Then([&opened](QDialog& d) { opened = static_cast<frmCommentary&>(d).TestIndex; });
        w_->picProfile_MouseUp(1, 1, 0, c.x, c.y);
        EXPECT_EQ(opened, c.test) << c.x << " " << c.y;
    }
}

// A value beyond the chart's scale is a point in the strip below or above
// it; a click on that point, in each result's strips, opens its test.
TEST_F(CommandsTest, AClickOnAStripPointOpensItsTest)
{
    // Result 1 within 90..110 (scale 80..120), result 2 within 18..22
    // (scale 16..24): test 2 is below both scales, test 3 above.
    Protocol p = Series({});
    p.Blocks[1].Values = SeriesValues({SeriesTest(100, 20), SeriesTest(70, 10), SeriesTest(130, 30)});
    p.Blocks[1].Stats = CalcMeanSdCvCi(p.Blocks[1].Values);
    Load({p});
    for (size_t result = 1; result <= 2; ++result) {
        w_->tabDisplay->SetTab(static_cast<int>(result) + 1);
        w_->tabDisplay_Click(0);
        const struct {
            PictureBox* strip;
            double point;
            int test;
        } cases[] = {
            {w_->picProfileL[result], 2, 2}, {w_->picProfileU[result], 3, 3},
            {w_->picProfileL[result], 3, 0}, {w_->picProfileU[result], 1, 0},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(c.strip->objectName().toStdString() + " " + std::to_string(c.point));
            const DrawingSurface& s = c.strip->Surface();
            const QPointF at = QPointF(s.PixelFromX(c.point), s.PixelFromY(1)) + c.strip->contentsRect().topLeft();
            ScriptedDialogRunner dialogs;
            int opened = 0;
            dialogs.Then([&opened](QDialog& d) { opened = static_cast<frmCommentary&>(d).TestIndex; });
            QMouseEvent release(QEvent::MouseButtonRelease, at, c.strip->mapToGlobal(at), Qt::LeftButton,
                                Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(c.strip, &release);
            EXPECT_EQ(opened, c.test);
        }
    }
}

TEST_F(CommandsTest, TerminatingSavesPrintsAndExportsAsTheSettingsAndAnswersSay)
{
    const struct {
        bool autoSave, autoPrint, tests;
        std::initializer_list<int16_t> answers;
        std::vector<int> asked, written;   // reports, PDF, Q-DAS files
        bool removed;
    } cases[] = {
        {true, true, true, {Yes}, {30}, {1, 1, 2}, true},
        {false, true, true, {Yes, No}, {30, 28}, {0, 1, 2}, true},
        {true, false, true, {Yes, Yes}, {30, 27}, {1, 1, 2}, true},
        {false, false, true, {Yes, No, No}, {30, 28, 27}, {0, 0, 2}, true},
        {true, true, true, {No}, {30}, {0, 0, 0}, false},
        {true, true, false, {Yes}, {30}, {0, 0, 0}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(&c - cases));
        UseFolders(QString::number(&c - cases));
        AutoSave = c.autoSave;
        AutoPrint = c.autoPrint;
        Load({c.tests ? TwoProperties() : Series({})});
        ScriptedPresenter presenter;
        Terminate(presenter, c.answers);
        EXPECT_EQ(Numbers(presenter), c.asked);
        EXPECT_EQ(Written(), c.written);
        EXPECT_EQ(Protocols.size(), c.removed ? 1u : 2u);
        EXPECT_EQ(w_->optProtocol[1]->isChecked(), c.removed);
    }
}

TEST_F(CommandsTest, AFailedWriteIsAskedAboutAndTriedAgainOnlyForWhatFailed)
{
    // The report: No keeps the series open and unprinted, Yes after the
    // folder became writable saves it once.
    std::optional<ReadOnlyFolder> locked(std::in_place, DataFolder);
    if (!locked->Active())
        GTEST_SKIP() << "the folder cannot be made read-only here";
    Load({TwoProperties()});
    ScriptedPresenter presenter;
    Terminate(presenter, {Yes, No});
    ASSERT_EQ(Protocols.size(), 2u);
    EXPECT_FALSE(Shown().Finished);
    EXPECT_TRUE(Shown().Blocks[1].Terminated && Shown().Blocks[2].Terminated);
    EXPECT_EQ(Shown().Blocks[2].LastTestDate, 1) << "a closed property is not reopened";
    EXPECT_EQ(w_->ProtocolState, 7);
    EXPECT_EQ(Written(), (std::vector<int>{0, 0, 0}));
    UnlockAtSecondMessage(presenter, locked);
    Terminate(presenter, {Yes, Yes});
    EXPECT_EQ(Numbers(presenter), (std::vector<int>{30, 31, 30, 31}));
    EXPECT_EQ(Written(), (std::vector<int>{1, 1, 2}));
    EXPECT_EQ(Protocols.size(), 1u);

    // The Q-DAS files: one question for both, each written once.
    UseFolders(QStringLiteral("qdas"));
    locked.emplace(QDASFolder);
    Load({TwoProperties()});
    ScriptedPresenter asked;
    UnlockAtSecondMessage(asked, locked);
    Terminate(asked, {Yes, Yes});
    EXPECT_EQ(Numbers(asked), (std::vector<int>{30, 31}));
    EXPECT_EQ(Written(), (std::vector<int>{1, 1, 2}));
}

TEST_F(CommandsTest, AReportNameAnotherSeatTakesMeanwhileMovesOnWithoutAWord)
{
    // Another seat on the data folder stores its report under the name this
    // termination chose, before its write: that report stays, and this one
    // takes the next second without a message about a failed write.
    AutoSave = true;
    Load({TwoProperties()});
    ASSERT_TRUE(KeepPendingSeries(1));
    const QString folder = DataFolder + u'/' + dskStyleFolderName(Shown().Style.Name);
    const QString name = dskFileNameFromDate(Shown().Date, QStringLiteral("QTA"));
    const QString next = dskFileNameFromDate(Shown().Date + 1 / 86400.0, QStringLiteral("QTA"));
    bool taken = false;
    SetReadFileSizeTakenHook([&] {
        if (!taken && QFileInfo(folder).isDir()) {
            taken = true;
            WriteBytes(folder + u'/' + name, "the other seat's report");
        }
    });
    ScriptedPresenter presenter;
    Terminate(presenter, {Yes});
    SetReadFileSizeTakenHook(nullptr);
    ASSERT_TRUE(taken);
    EXPECT_EQ(Numbers(presenter), std::vector<int>{30});
    EXPECT_EQ(ReadBytes(folder + u'/' + name), "the other seat's report");
    EXPECT_TRUE(dskIsTestReportFile(folder, next));
    EXPECT_EQ(Protocols.size(), 1u);
}

TEST_F(CommandsTest, CurveAnalysisOpensOnlyAGoodCurveFileOfTheSelectedTest)
{
    const QString good = abtFilePut(AirbagPulse(), Moment());
    ASSERT_FALSE(good.isEmpty());
    const struct {
        int property;
        QString file;
        bool test;
        std::vector<int> asked;
    } cases[] = {{6, good, true, {}},
                 {3, QString(), true, {35}},
                 {3, QStringLiteral("MISSING.ABT"), true, {35}},
                 {3, QStringLiteral("QUINTARA.LOG"), true, {35}},
                 {3, QStringLiteral("../") + good, true, {35}},
                 {3, good, false, {35}},   // closed by its mark without a test
                 {3, good, true, {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        Protocol p = Series({100}, c.property);
        p.Blocks[static_cast<size_t>(c.property)].Values[1].CurveFile = ToCp1252(c.file);
        p.Blocks[static_cast<size_t>(c.property)].Values.resize(c.test ? 2 : 1);
        Load({p});
        ScriptedPresenter presenter;
        ScriptedDialogRunner dialogs;
        AbtFileName.clear();
        w_->cmdAnalyzeCurve_Click();
        EXPECT_EQ(Numbers(presenter), c.asked);
        const bool opened = c.property == 3 && c.asked.empty();
        EXPECT_EQ(dialogs.Ran.size(), opened ? 1u : 0u);
        EXPECT_EQ(opened, AbtFileName == good && AbtProtocol == Shown());
    }
}

TEST_F(CommandsTest, MenuCommandsRefreshWhatTheirDialogsChanged)
{
    Load({Series({100})});
    ScriptedDialogRunner dialogs;
    // Another date format redraws the date only; a new language every caption.
    dialogs.Then([](QDialog& d) { DateFormat = 1, d.accept(); });
    w_->mnuSettings_CountrySettings_Click();
    EXPECT_EQ(w_->mnuFile->title(), QStringLiteral("&File"));
    EXPECT_EQ(w_->lblDateTimeE->text(), QStringLiteral("08.12.2011, 10:15:00")) << "the series' date";
    RefTitles.Titles[0] = QStringLiteral("Los");
    dialogs.Then([](QDialog& d) { Language = 1, d.accept(); });
    w_->mnuSettings_CountrySettings_Click();
    EXPECT_EQ(w_->mnuFile->title(), QStringLiteral("&Datei"));
    EXPECT_EQ(w_->lblProperty[1]->text(), QStringLiteral("Reissfestigkeit"));
    EXPECT_EQ(w_->lblParameter[1]->text(), QString::fromUtf8("Prüflänge:"));
    EXPECT_EQ(w_->lblReference[2]->text(), QStringLiteral("Los"));
    Language = 2;

    // The port is opened again after Cancel too; Measure follows the port.
    qputenv("QUINTARA_COM8", "/nonexistent/tty");
    ComPort = 8;
    ScriptedPresenter presenter;
    w_->mnuSettings_DataSettings_Click();
    qunsetenv("QUINTARA_COM8");
    EXPECT_EQ(Numbers(presenter), std::vector<int>{13});
    EXPECT_TRUE(!PortOpen && !w_->imgNoConnection->isHidden() && !w_->cmdMeasure->isEnabled());

    // Typed texts survive the list editors, which renew the lists.
    w_->cboOperator->setEditText(QStringLiteral("Typed"));
    w_->cboReference[3]->setEditText(QStringLiteral("lot 9"));
    dialogs.Then([](QDialog& d) { Operators = {QString(), QStringLiteral("Ann"), QStringLiteral("Bob")}, d.accept(); });
    dialogs.Then([](QDialog& d) { Reference3Values = {QString(), QStringLiteral("lot 1")}, d.accept(); });
    w_->mnuStandard_Operator_Click();
    w_->mnuStandard_Reference2to4_Click();
    EXPECT_EQ(std::pair(w_->cboOperator->count(), w_->cboOperator->currentText()),
              std::pair(2, QStringLiteral("Typed")));
    EXPECT_EQ(std::pair(w_->cboReference[3]->count(), w_->cboReference[3]->currentText()),
              std::pair(1, QStringLiteral("lot 9")));
    EXPECT_EQ(Shown().Operator, QString());

    // Report forms are not re-applied to an open series.
    dialogs.Then([](QDialog& d) { Styles[1].Forms[1].Name = QStringLiteral("Form Z"), d.accept(); });
    w_->mnuStandard_ReportForm_Click();
    EXPECT_EQ(Shown().Style.Forms[1].Name, QStringLiteral("Form A"));

    // Copy puts the series shown on the clipboard.
    w_->mnuFile_Copy_Click();
    const QString copied = QApplication::clipboard()->text();
    for (const char* line : {"Style:              \tFabric", "Instrument:         \tZolvera MP 4800, s/n: 123",
                             "\n1  \t100\tN\t\t20.0\tmm\t", "\nTests:              \t10"})
        EXPECT_TRUE(copied.contains(QString::fromLatin1(line))) << line;
}

TEST_F(CommandsTest, DataSettingsNameAnotherDataFolderOnlyOnceTheOpenSeriesAreInIt)
{
    // A folder gone by OK cannot take the open series: message 31, and No
    // keeps the data folder, still named by the settings, with the series'
    // files. One that can takes them before the settings name it, and the
    // old folder is cleared.
    SimInstrument sim;
    ASSERT_TRUE(sim.Start({QStringLiteral("--model"), QStringLiteral("6")}, 3));
    ComPort = 3;
    Protocol later = Series({104});
    later.Date += 1.0 / 24;
    Load({Series({100}), later});
    bool ok = false;
    SavePendingProtocols(ok);
    ASSERT_TRUE(ok);
    ASSERT_TRUE(SaveSettings());
    const QString old = DataFolder;
    const QString next = QDir::cleanPath(old + QStringLiteral("/../next"));
    const auto pending = [](const QString& folder) {
        return QDir(folder).entryList({QStringLiteral("PENDING*")}, QDir::Files | QDir::Hidden);
    };
    ScriptedDialogRunner dialogs;
    for (const bool gone : {true, false}) {
        SCOPED_TRACE(gone ? "a folder gone by OK" : "a folder that takes them");
        ASSERT_TRUE(QDir().mkpath(next));
        ScriptedPresenter presenter;
        presenter.Answer(No);
        dialogs.Then([&](QDialog& d) {
            auto& form = dynamic_cast<frmDataSetting&>(d);
            ASSERT_TRUE(form.dirDirectory->SetPath(next));
            if (gone) {
                ASSERT_TRUE(QDir(next).removeRecursively());
            }
            form.cmdOK_Click();
        });
        w_->mnuSettings_DataSettings_Click();
        const QString data = gone ? old : next;
        EXPECT_EQ(Numbers(presenter), gone ? std::vector<int>{31} : std::vector<int>{});
        EXPECT_EQ(DataFolder.toStdString(), data.toStdString());
        ReadSettingsFile();
        EXPECT_EQ(StoredSettings.DataFolder.toStdString(), data.toStdString());
        EXPECT_EQ(pending(data).join(u',').toStdString(), "PENDING 1.QTA,PENDING 2.QTA");
        EXPECT_EQ(pending(gone ? next : old).join(u',').toStdString(), "");
    }
    // A folder chosen again gives back the series a stand-in left there
    // (played by a series added while the dialog is open): the list of
    // series shows them, and the series shown stays chosen.
    dialogs.Then([](QDialog& d) {
        AddPendingSeries(Series({108}));
        d.reject();
    });
    w_->mnuSettings_DataSettings_Click();
    EXPECT_EQ(w_->cboProtocol->count(), static_cast<int>(Protocols.size()) - 1);
    EXPECT_EQ(w_->cboProtocol->currentIndex(), CurrentProtocol - 1);
}

// With the port's device not openable, a new folder taken at OK tells the
// port's refusal once: in the dialog, not again when the port is opened
// after it. Cancel still tells it, once.
TEST_F(CommandsTest, APortRefusedAtTheDataSettingsOkIsToldOnce)
{
    Load({Series({100})});
    ASSERT_TRUE(SaveSettings());
    const QString next = QDir::cleanPath(DataFolder + QStringLiteral("/../next"));
    ASSERT_TRUE(QDir().mkpath(next));
    qputenv("QUINTARA_COM8", "/nonexistent/tty");
    ComPort = 8;
    ScriptedDialogRunner dialogs;
    for (const bool ok : {true, false}) {
        SCOPED_TRACE(ok ? "OK with a new folder" : "Cancel");
        ScriptedPresenter presenter;
        dialogs.Then([&](QDialog& d) {
            auto& form = dynamic_cast<frmDataSetting&>(d);
            if (!ok) {
                d.reject();
                return;
            }
            ASSERT_TRUE(form.dirDirectory->SetPath(next));
            form.cmdOK_Click();
        });
        w_->mnuSettings_DataSettings_Click();
        EXPECT_EQ(Numbers(presenter), std::vector<int>{13});
        EXPECT_EQ(DataFolder.toStdString(), next.toStdString());
        EXPECT_TRUE(!PortOpen && !w_->imgNoConnection->isHidden());
    }
    qunsetenv("QUINTARA_COM8");
}

TEST_F(CommandsTest, TheStyleEditorReselectsTheStyleByNameAndReappliesItToTheWorkingRecord)
{
    for (const auto& [name, selected, state] : {std::tuple{"Cloth", -1, 2}, {"FABRIC", 0, 4}}) {
        Styles = {MakeBlankStyle(), Fabric()};
        Load({}, 0)->cboStyle->setCurrentIndex(0);
        w_->cboStyle_Click();
        w_->cboProtocol->setCurrentIndex(0);
        w_->cboProtocol_Click();
        ScriptedDialogRunner dialogs;
        dialogs.Then([name = name](QDialog& d) {
            Styles[1].Name = QString::fromLatin1(name);
            Styles[1].Tests[9].Nominal1 = 200;
            d.done(QDialog::Accepted);
        });
        w_->mnuStandard_Style_Click();
        EXPECT_EQ(w_->cboStyle->currentIndex(), selected) << name;
        EXPECT_EQ(w_->ProtocolState, state) << name;
        EXPECT_EQ(Protocols[0].Style.Tests[9].Nominal1 == 200, selected == 0) << name;
    }
}

TEST_F(CommandsTest, DoubleClicksAndRightButtonsLeadToTheCommandsOfTheDisplays)
{
    const char *Style = "frmStyle", *Standard = "mnuStandard", *StyleItem = "mnuStandard_Style";
    const struct {
        const char* control;
        const char* dialog;   // opened by a double-click
        const char* menu;     // popped up by the right button, with this item in bold
        const char* item;
    } members[] = {
        {"grdTest", Style, Standard, StyleItem},
        {"lblStyle", Style, Standard, StyleItem},
        {"lblParameterE_1", Style, Standard, StyleItem},
        {"lblParameterE_2", Style, Standard, StyleItem},
        {"lblParameterE_3", Style, Standard, StyleItem},
        {"lblParameterE_4", Style, Standard, StyleItem},
        {"picHistogramU_1", Style, Standard, StyleItem},
        {"picHistogramU_2", Style, Standard, StyleItem},
        {"picProfile_1", Style, Standard, StyleItem},
        {"picProfile_2", Style, Standard, StyleItem},
        {"picProfileL_2", Style, Standard, StyleItem},
        {"lblSerialNumberE", "frmSystemSettings", "mnuSettings", "mnuSettings_SystemSettings"},
        {"lblDateTime", "frmCountrySetting", "mnuSettings", "mnuSettings_CountrySettings"},
        {"imgNoConnection", "frmDataSetting", "mnuSettings", "mnuSettings_DataSettings"},
        {"lblOperator", "frmOperator", Standard, "mnuStandard_Operator"},
        {"lblReference_2", "frmReference", Standard, "mnuStandard_Reference2to4"},
        {"lblReference_3", "frmReference", Standard, "mnuStandard_Reference2to4"},
        {"lblReference_4", "frmReference", Standard, "mnuStandard_Reference2to4"},
        {"optProtocol_1", nullptr, Standard, "mnuStandard_ReportForm"},
        {"optProtocol_2", nullptr, Standard, "mnuStandard_ReportForm"},
        {"cmdMeasure", nullptr, "mnuSettings", "mnuSettings_DataSettings"},
        {"grdAvg", nullptr, nullptr, nullptr},
        {"lblHistogramYMin_1", nullptr, nullptr, nullptr},
        {"picCurve", nullptr, nullptr, nullptr},
        {"lblProperty_1", nullptr, nullptr, nullptr},
    };
    Load({Series({100})});
    const auto send = [](QWidget* target, QEvent::Type type, Qt::MouseButton button) {
        if (auto* grid = qobject_cast<FlexGrid*>(target))
            target = grid->viewport();
        QMouseEvent event(type, QPointF(2, 2), target->mapToGlobal(QPointF(2, 2)), button,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &event);
    };
    const std::pair<QEvent::Type, Qt::MouseButton> events[] = {{QEvent::MouseButtonDblClick, Qt::LeftButton},
                                                               {QEvent::MouseButtonRelease, Qt::MiddleButton},
                                                               {QEvent::MouseButtonRelease, Qt::LeftButton},
                                                               {QEvent::MouseButtonRelease, Qt::RightButton}};
    for (const auto& m : members) {
        SCOPED_TRACE(m.control);
        auto* control = w_->findChild<QWidget*>(QString::fromLatin1(m.control));
        ASSERT_TRUE(control);
        // Items enabled or not, the control enabled or not; the menus
        // themselves are always enabled.
        for (const auto& [items, enabled] : {std::pair{true, true}, {false, true}, {true, false}}) {
            ScriptedPresenter presenter;
            ScriptedDialogRunner dialogs;
            RecordingPopupRunner popups;
            for (const auto& [type, button] : events) {
                for (QAction* item : w_->findChildren<QAction*>())
                    item->setEnabled(items);
                for (QMenu* menu : w_->findChildren<QMenu*>())
                    menu->menuAction()->setEnabled(true);
                control->setEnabled(enabled);
                send(control, type, button);
            }
            const bool runs = m.dialog && items && enabled;
            EXPECT_EQ(dialogs.Ran, runs ? std::vector<QString>{QString::fromLatin1(m.dialog)} : std::vector<QString>{});
            // The menu of the report forms pops up whatever its item.
            const bool pops = m.menu && (items || !m.dialog) && enabled;
            ASSERT_EQ(popups.Popped.size(), pops ? 1u : 0u);
            if (pops) {
                EXPECT_EQ(popups.Popped[0].Menu, QString::fromLatin1(m.menu));
                EXPECT_EQ(popups.Popped[0].DefaultItem, QString::fromLatin1(m.item));
            }
        }
        control->setEnabled(true);
    }

    // Shortcuts run only enabled items: with tests, styles may not be edited.
    w_->RefreshEnabling();
    w_->show();
    w_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w_));
    ScriptedPresenter presenter;
    ScriptedDialogRunner dialogs;
    for (Qt::Key key : {Qt::Key_M, Qt::Key_S, Qt::Key_R})
        QTest::keyClick(w_, key, Qt::ControlModifier);
    EXPECT_EQ(dialogs.Ran, std::vector<QString>{QStringLiteral("frmOperator")});
}


TEST_F(CommandsTest, AfterAChangeOfDataFolderTheCurveTabAndTheAnalysisFindTheSeriesCurveThere)
{
    // The series' curve goes with it into the new folder, where its name is
    // taken by a file of the user's: the test names the copy, which the
    // thumbnail draws and the curve analysis opens.
    SimInstrument sim;
    ASSERT_TRUE(sim.Start({QStringLiteral("--model"), QStringLiteral("6")}, 3));
    ComPort = 3;
    const QString curve = abtFilePut(AirbagPulse(800), DateSerial(2024, 1, 5) + TimeSerial(13, 7, 0));
    ASSERT_EQ(curve, QStringLiteral("2024.01.05, 13.07.00.ABT"));
    Protocol p = Series({100}, 3);
    p.Blocks[3].Values[1].CurveFile = ToCp1252(curve);
    Load({p});
    bool ok = false;
    SavePendingProtocols(ok);
    ASSERT_TRUE(ok);
    ASSERT_TRUE(SaveSettings());
    const QString next = QDir::cleanPath(DataFolder + QStringLiteral("/../next"));
    ASSERT_TRUE(QDir().mkpath(next));
    QFile users(next + u'/' + curve);
    ASSERT_TRUE(users.open(QIODevice::WriteOnly) && users.write("the user's") == 10);
    users.close();
    ScriptedPresenter presenter;
    ScriptedDialogRunner dialogs;
    dialogs.Then([&](QDialog& d) {
        auto& form = dynamic_cast<frmDataSetting&>(d);
        ASSERT_TRUE(form.dirDirectory->SetPath(next));
        form.cmdOK_Click();
    });
    w_->mnuSettings_DataSettings_Click();
    ASSERT_EQ(DataFolder.toStdString(), next.toStdString());
    const QString copy = QStringLiteral("2024.01.05, 13.07.01.ABT");
    EXPECT_EQ(Shown().Blocks[3].Values[1].CurveFile, copy.toStdString());

    w_->picCurve->Surface().Cls();
    w_->lblCurveXMax->setText(QString());
    w_->DrawCurveThumbnail();
    EXPECT_EQ(w_->lblCurveXMax->text().toStdString(), "80 kPa");
    AbtFileName.clear();
    w_->cmdAnalyzeCurve_Click();
    EXPECT_EQ(Numbers(presenter), std::vector<int>{});
    EXPECT_EQ(AbtFileName.toStdString(), copy.toStdString());
}

} // namespace
