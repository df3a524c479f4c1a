#include "main_window/frmMain.h"

#include "foundation/modGlobals.h"
#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "instrument/DataStringFixture.h"
#include "instrument/modPropertyText.h"
#include "instrument/modStatistic.h"
#include "main_window/modPending.h"
#include "main_window/modSeries.h"
#include "platform/Colors.h"
#include "platform/FlexGrid.h"
#include "platform/OleDate.h"
#include "platform/PictureBox.h"
#include "platform/ProgramFolder.h"
#include "platform/TabControl.h"
#include "platform/Text.h"
#include "platform/TextInput.h"
#include "storage/modTestReport.h"
#include "support/ReadOnlyFolder.h"
#include "support/ScriptedPresenter.h"
#include "support/SeriesTests.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <optional>

namespace {

std::string S(const QString& text) { return text.toStdString(); }

std::string Cells(const FlexGrid* grid)
{
    QStringList cells;
    for (int c = 0; c < 5; ++c)
        cells << grid->TextMatrix(0, c);
    return S(cells.join(u'|'));
}

// "Fabric": form A holds tensile strength (type 9, with histograms), air
// permeability twice (16, lateral air), pressure drop (17), a typed value (1)
// and an unused slot; form B tensile strength and a Lister value (20) that no
// instrument position serves.
Style Fabric()
{
    Style s = MakeBlankStyle();
    s.Name = QStringLiteral("Fabric");
    s.Forms[1].Name = QStringLiteral("Form A");
    const int16_t typesA[] = {9, 16, 16, 17, 1, 0};
    for (size_t i = 1; i <= 6; ++i)
        s.Forms[1].Items[i] = ReportFormItem{typesA[i - 1], i == 1, false};
    s.Forms[2].Name = QStringLiteral("Form B");
    s.Forms[2].Items[1].Property = 9;
    s.Forms[2].Items[2].Property = 20;
    TestDefinition& d = s.Tests[9];
    d.Nominal1 = 100, d.Lower1 = 90, d.Upper1 = 110, d.Nominal2 = 20, d.Lower2 = 18, d.Upper2 = 22;
    d.TestCount = 10;
    d.HeaderImage = Build({.Id = "MP 4800", .Serial = "123", .RU1 = "8", .RU2 = "\""});
    s.Tests[16].TestCount = 5;
    s.Tests[16].HeaderImage = Build({.Id = "KR 6401", .Serial = "456", .RU1 = "8"});
    s.Tests[17].HeaderImage = Build({.Id = "KR 6401", .Serial = "456", .RU1 = "8", .RU2 = "\""});
    s.Tests[1].HeaderImage = Build({.Id = "0000000", .RU1 = "8"});
    return s;
}

double Moment() { return DateSerial(2011, 12, 24) + TimeSerial(14, 5, 9); }

// A series of Fabric with form A; property `withTests` holds the values.
Protocol Series(QString op = QStringLiteral("Miller"), std::initializer_list<float> values = {},
                int withTests = 1)
{
    Protocol p = MakeEmptyProtocol();
    p.Style = Fabric();
    p.Operator = op;
    p.Date = DateSerial(2011, 12, 8) + TimeSerial(10, 15, 0);
    p.LastTestDate = p.Date;
    PropertyBlock& b = p.Blocks[static_cast<size_t>(withTests)];
    for (float v : values)
        b.Values.push_back(SeriesTest(v, 20));
    if (values.size() > 0) {
        b.Header = p.Style.Tests[static_cast<size_t>(PropertyTestType(p, withTests))].HeaderImage;
        b.Stats = CalcMeanSdCvCi(b.Values);
        b.StartDate = p.Date;
    }
    return p;
}

class SeriesWindowTest : public DataStringFixture {
protected:
    void SetUp() override
    {
        DataStringFixture::SetUp();
        ASSERT_TRUE(folder_.isValid());
        savedFolder_ = ProgramFolder();
        savedLogin_ = LoginLevel;
        SetProgramFolder(folder_.path());
        ResetSettingsGlobals(folder_.path());
        Language = 2;
        DateFormat = 3;
        LoginLevel = 2;
        PortOpen = true;
        AutoPrint = true;
        PortDevice = {4, 9, 0, 0, 0, 0};   // MP 4800 and KR 6400-II
        Styles = {MakeBlankStyle(), Fabric()};
        SetFixedClock(Moment());
    }
    void TearDown() override
    {
        Close();
        SetClock({});
        SetProgramFolder(savedFolder_);
        ResetSettingsGlobals(savedFolder_);
        LoginLevel = savedLogin_;
        PortOpen = false;
        DataStringFixture::TearDown();
    }
    // Loads the window over the open series given (the working record first).
    void Load(std::vector<Protocol> series = {}, int16_t current = 1)
    {
        RemovePendingFiles();
        Protocols.assign(1, MakeEmptyProtocol());
        Protocols.insert(Protocols.end(), series.begin(), series.end());
        CurrentProtocol = current;
        w_ = frmMain::Instance();
    }
    // The working record with Fabric and form A chosen as the operator does.
    void Prepare()
    {
        w_->cboStyle->setCurrentIndex(0);
        w_->cboStyle_Click();
        w_->cboProtocol->setCurrentIndex(0);
        w_->cboProtocol_Click();
    }
    void ShowActive()
    {
        w_->show();
        w_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w_));
    }
    void Close()
    {
        if (frmMain::IsLoaded()) {
            ScriptedPresenter presenter;
            frmMain::Instance()->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        w_ = nullptr;
    }
    // Files of other cases would come back as open series.
    static void RemovePendingFiles()
    {
        const QDir data(DataFolder);
        for (const QString& name : data.entryList({QStringLiteral("PENDING*")}, QDir::Files))
            QFile::remove(data.filePath(name));
    }
    Protocol& Shown() { return Protocols[static_cast<size_t>(CurrentProtocol)]; }

    QTemporaryDir folder_;
    QString savedFolder_;
    int16_t savedLogin_ = 0;
    frmMain* w_ = nullptr;
};

// ---------------------------------------------------------------------------
// Display

TEST_F(SeriesWindowTest, ShowProtocolPutsTheSeriesShownIntoEveryControl)
{
    Protocol p = Series(QStringLiteral("Miller"), {95, 100, 105, 100, 100, 100, 100, 100});
    p.Blocks[1].Values[2].Deleted = true;
    p.Blocks[1].Stats = CalcMeanSdCvCi(p.Blocks[1].Values);
    p.Reference3 = QStringLiteral("lot 7");
    p.K1031 = QStringLiteral("K 1031");
    Load({p});

    EXPECT_EQ(S(w_->cboStyle->currentText()), "Fabric");
    EXPECT_EQ(w_->cboProtocol->currentIndex(), 0);
    EXPECT_EQ(w_->lblFolderE->text(), dskStyleFolderName(QStringLiteral("Fabric")));
    EXPECT_EQ(S(w_->cboOperator->currentText()), "Miller");
    EXPECT_EQ(S(w_->cboReference[3]->currentText()), "lot 7");
    EXPECT_EQ(S(w_->txtK1031->text()), "K 1031");
    EXPECT_EQ(S(w_->lblDateTimeE->text()), "2011-12-08, 10:15:00");
    EXPECT_EQ(S(w_->lblInstrumentE->text()), "Zolvera MP 4800");
    EXPECT_EQ(S(w_->lblSerialNumberE->text()), "123");
    EXPECT_EQ(Cells(w_->grdNominal), "100|N|20.0|mm|");
    EXPECT_EQ(Cells(w_->grdTest), "10||||");
    EXPECT_EQ(S(w_->grdAvg->TextMatrix(0, 1)), "N");
    EXPECT_EQ(w_->grdResult->Rows(), 7);
    EXPECT_EQ(w_->ProtocolState, 5);

    // Rows of the report form: names, status, lateral air only for type 16,
    // the unused slot hidden.
    struct Row {
        bool shown;
        const char* status;
        bool lateralAir;
        bool bold;
    } const rows[] = {{true, "7/10 (1)", false, true}, {true, "0/5 (0)", true, false}, {true, "0/5 (0)", true, false},
                      {true, "0/999 (0)", false, false}, {true, "0/999 (0)", false, false}, {false, "", false, false}};
    for (size_t i = 1; i <= 6; ++i) {
        SCOPED_TRACE(i);
        const Row& r = rows[i - 1];
        EXPECT_EQ(!w_->lblProperty[i]->isHidden(), r.shown);
        EXPECT_EQ(!w_->lblPropertyStatus[i]->isHidden(), r.shown);
        EXPECT_EQ(S(w_->lblPropertyStatus[i]->text()), r.status);
        EXPECT_EQ(!w_->chkLateralAir[i]->isHidden(), r.lateralAir);
        EXPECT_EQ(w_->lblProperty[i]->font().bold(), r.bold);
    }
    EXPECT_EQ(w_->lblProperty[1]->text(), PropertyName(9, 2));

    // Form B: a property no instrument position measures is no row.
    Shown().FormIndex = 2;
    w_->ShowProtocol();
    EXPECT_FALSE(w_->lblProperty[1]->isHidden());
    EXPECT_TRUE(w_->lblProperty[2]->isHidden());
}

TEST_F(SeriesWindowTest, TypedValuesShowTheKeyboardSerialNumber)
{
    Protocol p = Series(QStringLiteral("Miller"), {12.5f}, 5);
    p.CurrentProperty = 5;
    Load({p});
    for (const char* serial : {"K7", ""}) {
        KeyboardDef.SerialNumber = QString::fromLatin1(serial);
        w_->ShowProtocol();
        EXPECT_EQ(S(w_->lblSerialNumberE->text()), serial);
        EXPECT_EQ(w_->lblSerialNumber->isHidden(), serial[0] == '\0');
    }
}

TEST_F(SeriesWindowTest, AnOpenSeriesWhoseStyleIsGoneKeepsItsCopyAndStaysMeasurable)
{
    Style other = Fabric();
    other.Name = QStringLiteral("Other");
    other.Tests[9].Nominal1 = 500;
    Styles = {MakeBlankStyle(), other};
    Load({Series()});

    EXPECT_EQ(w_->cboStyle->currentIndex(), -1);
    EXPECT_EQ(S(w_->cboStyle->placeholderText()), "Fabric");
    EXPECT_EQ(w_->ProtocolState, 6);
    EXPECT_TRUE(w_->cmdMeasure->isEnabled());
    EXPECT_TRUE(w_->imgTerminated[1]->isEnabled());

    // Choosing a style while a series is shown does not replace its copy.
    w_->cboStyle->setCurrentIndex(0);
    w_->cboStyle_Click();
    EXPECT_EQ(Shown().Style, Fabric());

    // The working record takes a stored style; a name not stored is ignored,
    // and so is a report form that its style does not hold.
    w_->optProtocol[1]->click();
    ASSERT_EQ(CurrentProtocol, 0);
    w_->cboStyle->addItem(QStringLiteral("Ghost"));
    w_->cboStyle->setCurrentIndex(1);
    w_->cboStyle_Click();
    EXPECT_TRUE(IsEmptyStyle(Shown().Style));
    w_->cboStyle->setCurrentIndex(0);
    w_->cboStyle_Click();
    EXPECT_EQ(S(Shown().Style.Name), "Other");
    w_->cboProtocol->addItem(QStringLiteral("Form Z"));
    w_->cboProtocol->setCurrentIndex(w_->cboProtocol->count() - 1);
    w_->cboProtocol_Click();
    EXPECT_EQ(Shown().FormIndex, 1);
    EXPECT_EQ(S(w_->cboStyle->placeholderText()), "");
}

TEST_F(SeriesWindowTest, AnItemWithoutATestTypeLeavesTheControls)
{
    Load({Series(QStringLiteral("Miller"), {100})});
    const std::string nominal = Cells(w_->grdNominal);
    struct Case {
        const char* name;
        std::function<void(Protocol&)> spoil;
    } const cases[] = {
        {"form 0", [](Protocol& p) { p.FormIndex = 0; }},
        {"form 11", [](Protocol& p) { p.FormIndex = 11; }},
        {"form -1", [](Protocol& p) { p.FormIndex = -1; }},
        {"property 7", [](Protocol& p) { p.CurrentProperty = 7; }},
        {"test type 25", [](Protocol& p) { p.Style.Forms[1].Items[1].Property = 25; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Protocol kept = Shown();
        c.spoil(Shown());
        w_->TestCountAsked = w_->ConfidenceAsked = true;
        w_->ShowProtocol();
        EXPECT_EQ(Cells(w_->grdNominal), nominal);
        EXPECT_EQ(S(w_->cboOperator->currentText()), "Miller");
        EXPECT_FALSE(w_->TestCountAsked || w_->ConfidenceAsked);
        Shown() = kept;
    }
}

// ---------------------------------------------------------------------------
// Life cycle

TEST_F(SeriesWindowTest, ANewSeriesComesFromTheWorkingRecordWithTrimmedFields)
{
    Load({Series(QStringLiteral("A"))}, 0);
    EXPECT_TRUE(w_->optProtocol[1]->isChecked());
    EXPECT_EQ(w_->cboProtocol->count(), 0) << "an empty working record lists no forms";
    Prepare();
    EXPECT_EQ(w_->ProtocolState, 4);
    w_->txtK0006->setText(QStringLiteral("  part 1  "));
    w_->txtK1087->setText(QStringLiteral(" x "));

    w_->NewProtocol();
    ASSERT_EQ(Protocols.size(), 3u);
    EXPECT_EQ(CurrentProtocol, 2);
    const Protocol& p = Protocols[2];
    EXPECT_EQ(S(p.K0006), "part 1");
    EXPECT_EQ(S(p.K1087), "x");
    EXPECT_EQ(p.Date, Moment());
    EXPECT_EQ(p.LastTestDate, Moment());
    for (size_t b = 1; b <= 6; ++b)
        EXPECT_TRUE(IsEmptyPropertyBlock(p.Blocks[b])) << b;
    EXPECT_TRUE(w_->optProtocol[2]->isChecked());
    EXPECT_EQ(w_->cboProtocol->count(), 2);
    EXPECT_EQ(w_->cboProtocol->currentIndex(), 1);
    EXPECT_EQ(w_->cboProtocol->currentText(), ProtocolTitle(p));

    // Either view lists without a selection.
    w_->FillProtocolCombo(p);
    EXPECT_EQ(w_->cboProtocol->currentIndex(), -1);
    CurrentProtocol = 0;
    w_->FillProtocolCombo(Protocols[0]);
    EXPECT_EQ(w_->cboProtocol->count(), 2);
    EXPECT_EQ(w_->cboProtocol->currentIndex(), -1);
}

TEST_F(SeriesWindowTest, EqualTitlesStillNameTheirOwnSeries)
{
    Load({Series(QStringLiteral("first")), Series(QStringLiteral("second"))}, 2);
    ASSERT_EQ(w_->cboProtocol->itemText(0), w_->cboProtocol->itemText(1));
    for (int entry : {0, 1}) {
        w_->cboProtocol->setCurrentIndex(entry);
        w_->cboProtocol_Click();
        EXPECT_EQ(CurrentProtocol, entry + 1);
        EXPECT_EQ(S(w_->cboOperator->currentText()), entry == 0 ? "first" : "second");
    }
    w_->RemoveProtocolFromCombo(1);
    ASSERT_EQ(Protocols.size(), 2u);
    EXPECT_EQ(S(Protocols[1].Operator), "second");
    EXPECT_EQ(w_->cboProtocol->count(), 1);
    EXPECT_EQ(CurrentProtocol, 1);
}

// ---------------------------------------------------------------------------
// Lateral air

TEST_F(SeriesWindowTest, LateralAirActsOnTheRowOfItsBox)
{
    Load({}, 0);
    Prepare();
    ASSERT_EQ(Shown().CurrentProperty, 1);
    w_->chkLateralAir[3]->click();
    EXPECT_TRUE(Shown().Blocks[3].LateralAirOn);
    EXPECT_FALSE(Shown().Blocks[1].LateralAirOn);
    EXPECT_TRUE(w_->chkLateralAir[3]->isChecked()) << "the box keeps its tick";

    // The block holds no test yet: its first test starts it with the choice.
    EXPECT_FALSE(BlockHasStarted(Shown().Blocks[3]));
    w_->InitPropertyBlock(Shown(), 3);
    EXPECT_TRUE(Shown().Blocks[3].LateralAirOn);
    EXPECT_EQ(Shown().Blocks[3].Header, Fabric().Tests[16].HeaderImage);
}

TEST_F(SeriesWindowTest, SwitchingLateralAirOffKeepsTheMeanAndTheSeriesHeader)
{
    Protocol p = Series(QStringLiteral("Miller"), {1.0f, 2.0f, 3.0f}, 2);
    p.CurrentProperty = 2;
    p.Blocks[2].LateralAirOn = true;
    // The stored style was edited since the series began.
    Styles[1].Tests[16].HeaderImage = Build({.Id = "KR 6401", .Serial = "999", .P1 = "   200", .RU1 = "8"});
    Load({p});
    ASSERT_EQ(w_->ProtocolState, 5);
    ASSERT_TRUE(w_->chkLateralAir[2]->isEnabled());

    w_->chkLateralAir[2]->click();
    const PropertyBlock& b = Shown().Blocks[2];
    EXPECT_FLOAT_EQ(b.LateralAir, 2.0f);
    EXPECT_FALSE(b.LateralAirOn);
    EXPECT_EQ(b.Values.size(), 1u);
    EXPECT_EQ(b.Header, Fabric().Tests[16].HeaderImage);
    EXPECT_FALSE(w_->chkLateralAir[2]->isChecked());
    EXPECT_EQ(S(w_->lblLateralAirE[2]->text()), "2.00 N");
    EXPECT_EQ(w_->ProtocolState, 6);
}

// ---------------------------------------------------------------------------
// Choosing

TEST_F(SeriesWindowTest, PendingShowsTheFirstOpenSeriesAndNewTheWorkingRecord)
{
    Load({Series(QStringLiteral("a")), Series(QStringLiteral("b")), Series(QStringLiteral("c"))}, 0);
    Prepare();
    w_->optProtocol[2]->click();
    EXPECT_EQ(CurrentProtocol, 1);
    EXPECT_EQ(w_->cboProtocol->count(), 3);
    EXPECT_EQ(w_->cboProtocol->currentIndex(), 0);
    EXPECT_EQ(S(w_->cboOperator->currentText()), "a");
    w_->optProtocol[1]->click();
    EXPECT_EQ(CurrentProtocol, 0);
    EXPECT_EQ(S(w_->cboProtocol->currentText()), "Form A");
}

TEST_F(SeriesWindowTest, RowClicksChooseThePropertyOrChangeNothing)
{
    Load({Series(QStringLiteral("Miller"), {100, 101})});
    ShowActive();
    struct Case {
        const char* name;
        QWidget* target;
        Qt::MouseButton button;
        int property;
    } const cases[] = {
        {"current property", w_->lblProperty[1], Qt::LeftButton, 1},
        {"right button", w_->lblProperty[2], Qt::RightButton, 1},
        {"status label", w_->lblPropertyStatus[2], Qt::LeftButton, 2},
        {"lateral-air caption", w_->lblLateralAir[3], Qt::LeftButton, 3},
        {"lateral-air value", w_->lblLateralAirE[2], Qt::LeftButton, 2},
        {"property name", w_->lblProperty[1], Qt::LeftButton, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int before = Shown().CurrentProperty;
        w_->grdAvg->SetTextMatrix(0, 0, QStringLiteral("marker"));
        QTest::mouseClick(c.target, c.button, {}, QPoint(2, 2));
        EXPECT_EQ(Shown().CurrentProperty, c.property);
        EXPECT_EQ(w_->grdAvg->TextMatrix(0, 0) == QStringLiteral("marker"), before == c.property) << "redrawn";
    }
    // An empty row is no property.
    w_->lblProperty_MouseUp(6, 1, 0, 0, 0);
    EXPECT_EQ(Shown().CurrentProperty, 1);

    // A page the new property lacks gives way to the results; one it has stays.
    w_->tabDisplay->SetTab(4);
    w_->lblProperty_MouseUp(4, 1, 0, 0, 0);
    EXPECT_EQ(w_->tabDisplay->Tab(), 0);
    w_->lblProperty_MouseUp(1, 1, 0, 0, 0);
    w_->tabDisplay->SetTab(2);
    w_->lblProperty_MouseUp(2, 1, 0, 0, 0);
    EXPECT_EQ(w_->tabDisplay->Tab(), 2);
}

TEST_F(SeriesWindowTest, TheMarkClosesAndReopensBelowTheMostTests)
{
    struct Case {
        int row;
        int32_t counted;
        bool closed;
    } const cases[] = {{1, 998, true}, {1, 999, false}, {3, 0, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row * 1000 + c.counted);
        Protocol p = Series(QStringLiteral("Miller"), {100, 101});
        p.Blocks[1].Stats.Count = c.counted;
        Load({p});
        ShowActive();
        QTest::mouseClick(w_->imgTerminated[static_cast<size_t>(c.row)], Qt::LeftButton, {}, QPoint(2, 2));
        EXPECT_EQ(Shown().Blocks[static_cast<size_t>(c.row)].Terminated, c.closed);
        EXPECT_EQ(Shown().CurrentProperty, c.closed ? c.row : 1);
        EXPECT_EQ(w_->imgTerminated[static_cast<size_t>(c.row)]->pixmap().isNull(), !c.closed);
        EXPECT_EQ(w_->ProtocolState, c.closed ? 7 : 5);
        Close();
    }
    // While the working record is prepared the marks are out of use.
    Load({}, 0);
    Prepare();
    ShowActive();
    ASSERT_FALSE(w_->imgTerminated[1]->isEnabled());
    QTest::mouseClick(w_->imgTerminated[1], Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_FALSE(Shown().Blocks[1].Terminated);
}

TEST_F(SeriesWindowTest, TheStyleListIsInTheLocalesOrderIgnoringCase)
{
    Styles = {MakeBlankStyle(), Fabric(), Fabric(), Fabric(), Fabric()};
    const char* names[] = {"yarn", "Zeta", "Ärmel", "alpha"};
    for (size_t k = 0; k < 4; ++k)
        Styles[k + 1].Name = QString::fromUtf8(names[k]);
    Load();
    QStringList shown;
    for (int i = 0; i < w_->cboStyle->count(); ++i)
        shown << w_->cboStyle->itemText(i);
    EXPECT_EQ(S(shown.join(u',')), "alpha,Ärmel,yarn,Zeta");
    EXPECT_EQ(w_->cboStyle->currentIndex(), -1);
}

TEST_F(SeriesWindowTest, AGridPressMarksItsRowAndTheClickDrawsItsTest)
{
    Load({Series(QStringLiteral("Miller"), {95, 100, 108})});
    ShowActive();
    FlexGrid* grid = w_->grdResult;
    const QRect firstRow = grid->visualItemRect(grid->item(0, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, firstRow.center());
    grid->SetRow(0), grid->SetCol(0);
    EXPECT_EQ(grid->CellBackColor(), vbHighlight);
    grid->SetRow(2);
    EXPECT_NE(grid->CellBackColor(), vbHighlight);

    const QImage clicked = w_->picDeviation[1]->Surface().Image();
    w_->DrawDeviationChart(ComputeDeviationData(Shown(), 95, 1), 1);
    EXPECT_EQ(clicked, w_->picDeviation[1]->Surface().Image());
    w_->DrawDeviationChart(ComputeDeviationData(Shown(), 108, 1), 1);
    EXPECT_NE(clicked, w_->picDeviation[1]->Surface().Image());

    // A closed property's grid answers no click.
    w_->TogglePropertyTerminated(1, 1);
    w_->RefreshEnabling();
    const QImage before = w_->picDeviation[1]->Surface().Image();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, firstRow.center());
    EXPECT_EQ(before, w_->picDeviation[1]->Surface().Image());
}

TEST_F(SeriesWindowTest, EitherPrintPictureSwitchesAutomaticPrintingWithTheLeftButton)
{
    Load();
    ShowActive();
    struct Case {
        QLabel* picture;
        Qt::MouseButton button;
        bool switches;
    } const cases[] = {{w_->imgPrint, Qt::LeftButton, true},
                       {w_->imgNotPrint, Qt::LeftButton, true},
                       {w_->imgPrint, Qt::RightButton, false},
                       {w_->imgNotPrint, Qt::RightButton, false}};
    for (const Case& c : cases) {
        const bool before = AutoPrint;
        c.picture->show();
        QTest::mouseClick(c.picture, c.button, {}, QPoint(3, 3));
        EXPECT_EQ(AutoPrint != before, c.switches) << S(c.picture->objectName());
    }
}

// ---------------------------------------------------------------------------
// Start and end

TEST_F(SeriesWindowTest, LoadingTakesBackThePendingSeries)
{
    struct Case {
        const char* name;
        int pending;
        int16_t remembered;
        bool prepared;
        int16_t current;
        int option;
        int16_t state;
    } const cases[] = {
        {"none pending", 0, 5, false, 0, 1, 1},
        {"three pending", 3, 5, false, 3, 2, 6},
        {"remembered within", 3, 2, false, 2, 2, 6},
        {"prepared working record", 0, 0, true, 0, 1, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RemovePendingFiles();
        Protocols.assign(1, MakeEmptyProtocol());
        for (int k = 1; k <= c.pending; ++k)
            Protocols.push_back(Series(QString::number(k)));
        bool ok = false;
        SavePendingProtocols(ok);
        ASSERT_TRUE(ok);
        Protocols.assign(1, MakeEmptyProtocol());
        if (c.prepared) {
            Protocols[0].Style = Fabric();
            Protocols[0].FormIndex = 1;
        }
        CurrentProtocol = c.remembered;
        w_ = frmMain::Instance();
        EXPECT_EQ(static_cast<int>(Protocols.size()), c.pending + 1);
        EXPECT_EQ(CurrentProtocol, c.current);
        EXPECT_TRUE(w_->optProtocol[static_cast<size_t>(c.option)]->isChecked());
        EXPECT_EQ(w_->ProtocolState, c.state);
        // Shown only when there is something to show.
        EXPECT_EQ(w_->lblFolderE->text().isEmpty(), !c.prepared && c.pending == 0);
        for (int tab = 2; tab <= 6; ++tab)
            EXPECT_EQ(w_->tabDisplay->TabEnabled(tab), c.state != 1 && tab <= 5) << tab;
        Protocols.assign(1, MakeEmptyProtocol());   // nothing left open to ask about
        Close();
    }
}

TEST_F(SeriesWindowTest, ClosingKeepsTheOpenSeriesOrTheWindow)
{
    QDir(folder_.path()).mkdir(QStringLiteral("data"));
    DataFolder = QDir(folder_.path()).filePath(QStringLiteral("data"));
    const std::string question = S(ComposeMessage(34, {1}, 2).Text);
    const std::string retry = S(ComposeMessage(31, {}, 2).Text);
    struct Case {
        const char* name;
        bool unwritable;
        std::vector<int16_t> answers;
        std::vector<std::string> shown;
        bool closed;
    } const cases[] = {
        {"No to leaving them", false, {AnswerNo}, {question}, false},
        {"a disk that refuses, retried, then No", true, {AnswerYes, AnswerYes, AnswerNo}, {question, retry, retry},
         false},
        {"Yes", false, {AnswerYes}, {question}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(QDir(folder_.path()).filePath(QStringLiteral("QUINTARA.DAT")));
        Load({Series()});
        std::optional<ReadOnlyFolder> readOnly;
        if (c.unwritable) {
            readOnly.emplace(DataFolder);
            if (!readOnly->Active())
                continue;
        }
        ScriptedPresenter presenter;
        for (int16_t answer : c.answers)
            presenter.Answer(answer);
        w_->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        std::vector<std::string> texts;
        for (const MessageRequest& r : presenter.Shown)
            texts.push_back(S(r.Text));
        EXPECT_EQ(texts, c.shown);
        readOnly.reset();
        EXPECT_EQ(!frmMain::IsLoaded(), c.closed);
        EXPECT_EQ(QFile::exists(QDir(DataFolder).filePath(QStringLiteral("PENDING 1.QTA"))), c.closed);
        EXPECT_EQ(QFile::exists(QDir(folder_.path()).filePath(QStringLiteral("QUINTARA.DAT"))), c.closed);
        Close();
    }
}

// ---------------------------------------------------------------------------
// Text fields and keys

TEST_F(SeriesWindowTest, TypedTextIsKeptTrimmedWhereItBelongs)
{
    Load({}, 0);
    Prepare();
    struct Case {
        const char* name;
        QLineEdit* box;
        const char* typed;
        std::function<QString()> kept;
    } const cases[] = {
        {"Q-DAS field", w_->txtK1031, "  abc ", [] { return Protocols[0].K1031; }},
        {"operator", w_->cboOperator->lineEdit(), " Miller  ", [] { return Protocols[0].Operator; }},
        {"reference 3", w_->cboReference[3]->lineEdit(), " lot 9 ", [] { return Protocols[0].Reference3; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.box->clear();
        QTest::keyClicks(c.box, QString::fromLatin1(c.typed));
        EXPECT_EQ(S(c.kept()), Trim(std::string(c.typed)));
    }
    // Showing the working record again keeps what was typed.
    w_->lblProperty_MouseUp(2, 1, 0, 0, 0);
    EXPECT_EQ(S(w_->txtK1031->text()), "abc");

    // A long paste is cut with a beep.
    const int beeps = InputBeepCount();
    QApplication::clipboard()->setText(QString(36, u'x'));
    w_->cboOperator->lineEdit()->clear();
    w_->cboOperator->lineEdit()->paste();
    EXPECT_EQ(Protocols[0].Operator, QString(35, u'x'));
    EXPECT_EQ(InputBeepCount(), beeps + 1);

    // The commentary of the property shown, at every key, not while refreshing.
    Close();
    Load({Series(QStringLiteral("Miller"), {100})});
    QTest::keyClicks(w_->txtCommentary, QStringLiteral(" seam "));
    EXPECT_EQ(S(Shown().Blocks[1].Commentary), "seam");
    {
        frmMain::RefreshGuard refreshing(*w_);
        QTest::keyClicks(w_->txtCommentary, QStringLiteral("x"));
    }
    EXPECT_EQ(S(Shown().Blocks[1].Commentary), "seam");
}

TEST_F(SeriesWindowTest, TheValueBoxTakesANumberOfTheLocale)
{
    Load();
    w_->txtKeyboard->setEnabled(true);
    struct Case {
        const char* locale;
        const char* typed;
        const char* text;
        int beeps;
    } const cases[] = {
        {"en_US", "12.5", "12.5", 0}, {"de_DE", "12,5", "12,5", 0}, {"en_US", "12,5", "125", 1},
        {"de_DE", "12.5", "125", 1},  {"en_US", "1.2.3", "1.23", 1}, {"en_US", "-5", "5", 1},
        {"en_US", "a1b", "1", 2},     {"en_US", "1234567", "123456", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.locale) + " " + c.typed);
        Pin(QString::fromLatin1(c.locale));
        w_->txtKeyboard->clear();
        const int beeps = InputBeepCount();
        QTest::keyClicks(w_->txtKeyboard, QString::fromLatin1(c.typed));
        EXPECT_EQ(S(w_->txtKeyboard->text()), c.text);
        EXPECT_EQ(InputBeepCount() - beeps, c.beeps);
    }
    // A separator in the text blocks another even when it is selected.
    Pin(QStringLiteral("en_US"));
    w_->txtKeyboard->setText(QStringLiteral("1.5"));
    w_->txtKeyboard->setSelection(1, 1);
    QTest::keyClick(w_->txtKeyboard, Qt::Key_Period);
    EXPECT_EQ(S(w_->txtKeyboard->text()), "1.5");
}

TEST_F(SeriesWindowTest, FocusByTabOrClickSelectsTheWholeText)
{
    Load({}, 0);
    Prepare();
    ShowActive();
    w_->tabDisplay->SetTab(7);
    w_->txtKeyboard->show();
    w_->txtKeyboard->setEnabled(true);
    for (QLineEdit* box : {w_->txtK0006, w_->txtK1087, w_->cboOperator->lineEdit(), w_->txtKeyboard}) {
        SCOPED_TRACE(S(box->objectName()));
        box->setText(box == w_->txtKeyboard ? QStringLiteral("12.5") : QStringLiteral("some text"));
        w_->cmdMeasure->setFocus(Qt::OtherFocusReason);
        box->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        EXPECT_EQ(box->selectedText(), box->text()) << "by Tab";
        w_->cmdMeasure->setFocus(Qt::OtherFocusReason);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
        QApplication::processEvents();
        EXPECT_EQ(box->selectedText(), box->text()) << "by click";
    }
}

TEST_F(SeriesWindowTest, EnterMeasuresUnlessTheFocusedControlTakesIt)
{
    Load({Series(QStringLiteral("Miller"), {100})});
    ShowActive();
    ScriptedDialogRunner preview;   // the preview button opens the preview
    int measured = 0;
    int previewed = 0;
    QObject::connect(w_->cmdMeasure, &QPushButton::clicked, w_, [&] { ++measured; });
    QObject::connect(w_->cmdPreview, &QPushButton::clicked, w_, [&] { ++previewed; });
    w_->txtKeyboard->show();
    w_->txtKeyboard->setEnabled(true);
    struct Case {
        QWidget* focused;
        bool measureEnabled;
        int measured;
        int previewed;
        int beeps;
    } const cases[] = {
        {w_->txtKeyboard, true, 1, 0, 0}, {w_->txtKeyboard, false, 0, 0, 0}, {w_->txtCommentary, true, 0, 0, 1},
        {w_->cmdPreview, true, 0, 1, 0},  {w_->cboProtocol, true, 1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(S(c.focused->objectName()) + (c.measureEnabled ? "" : " disabled"));
        w_->tabDisplay->SetTab(c.focused == w_->txtCommentary ? 1 : 0);
        w_->cmdMeasure->setEnabled(c.measureEnabled);
        c.focused->setFocus(Qt::OtherFocusReason);
        measured = previewed = 0;
        const int beeps = InputBeepCount();
        QTest::keyClick(c.focused, Qt::Key_Return);
        EXPECT_EQ(measured, c.measured);
        EXPECT_EQ(previewed, c.previewed);
        EXPECT_EQ(InputBeepCount() - beeps, c.beeps);
    }
}

} // namespace
