#include "main_window/frmMain.h"

#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "instrument/modStatistic.h"
#include "main_window/modPending.h"
#include "main_window/modSeries.h"
#include "main_window/WindowFixture.h"
#include "platform/Colors.h"
#include "platform/FlexGrid.h"
#include "platform/TabControl.h"
#include "platform/TextInput.h"
#include "storage/modTestReport.h"
#include "support/ReadOnlyFolder.h"
#include "support/SeriesTests.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
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
    const int16_t types[] = {9, 16, 16, 17, 1, 0};
    for (size_t i = 1; i <= 6; ++i)
        s.Forms[1].Items[i] = ReportFormItem{types[i - 1], i == 1, false};
    s.Forms[2].Name = QStringLiteral("Form B");
    s.Forms[2].Items[1].Property = 9;
    s.Forms[2].Items[2].Property = 20;
    TestDefinition& d = s.Tests[9];
    d.Nominal1 = 100, d.Lower1 = 90, d.Upper1 = 110, d.Nominal2 = 20, d.TestCount = 10;
    d.HeaderImage = Build({.Id = "MP 4800", .Serial = "123", .RU1 = "8", .RU2 = "\""});
    s.Tests[16].TestCount = 5;
    s.Tests[16].HeaderImage = Build({.Id = "KR 6401", .Serial = "456", .RU1 = "8"});
    s.Tests[17].HeaderImage = s.Tests[16].HeaderImage;
    s.Tests[1].HeaderImage = Build({.Id = "0000000", .RU1 = "8"});
    return s;
}

// A series of Fabric with form A made 2011-12-08 10:15:00; property
// `withTests` holds the values.
Protocol Series(const char* op = "Miller", std::initializer_list<float> values = {}, int withTests = 1)
{
    Protocol p = MakeEmptyProtocol();
    p.Style = Fabric();
    p.Operator = QString::fromLatin1(op);
    p.Date = p.LastTestDate = DateSerial(2011, 12, 8) + TimeSerial(10, 15, 0);
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

class SeriesWindowTest : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        DateFormat = 3, LoginLevel = 2, PortOpen = true, AutoPrint = true;
        PortDevice = {4, 9, 0, 0, 0, 0};   // MP 4800 and KR 6400-II
        Styles = {MakeBlankStyle(), Fabric()};
    }
    // Files of other cases would come back as open series.
    static void RemovePendingFiles()
    {
        const QDir data(DataFolder);
        for (const QString& name : data.entryList({QStringLiteral("PENDING*")}, QDir::Files))
            QFile::remove(data.filePath(name));
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
    Protocol& Shown() { return Protocols[static_cast<size_t>(CurrentProtocol)]; }

    frmMain* w_ = nullptr;
};

// ---------------------------------------------------------------------------
// Display

TEST_F(SeriesWindowTest, ShowProtocolPutsTheSeriesIntoEveryControl)
{
    Protocol p = Series("Miller", {95, 100, 105, 100, 100, 100, 100, 100});
    p.Blocks[1].Values[2].Deleted = true;
    p.Blocks[1].Header = Build({.Id = "MP 4800", .Serial = "777", .RU1 = "8", .RU2 = "\""});   // as received
    p.Blocks[1].Stats = CalcMeanSdCvCi(p.Blocks[1].Values);
    p.Reference3 = QStringLiteral("lot 7");
    p.K1031 = QStringLiteral("K 1031");
    p.Blocks[1].Commentary = QStringLiteral("seam");
    DateFormat = 1;   // the title keeps year-month-day
    Load({p});
    const std::pair<QString, std::string> texts[] = {
        {w_->cboStyle->currentText(), "Fabric"},
        {w_->cboProtocol->currentText(), "2011-12-08, 10:15:00 - Form A"},
        {w_->lblFolderE->text(), S(dskStyleFolderName(QStringLiteral("Fabric")))},
        {w_->cboOperator->currentText(), "Miller"}, {w_->cboReference[3]->currentText(), "lot 7"},
        {w_->txtK1031->text(), "K 1031"}, {w_->lblDateTimeE->text(), "08.12.2011, 10:15:00"},
        {w_->lblInstrumentE->text(), "Zolvera MP 4800"}, {w_->lblSerialNumberE->text(), "777"},
        {w_->lblProperty[1]->text(), "Tensile Strength"}, {w_->lblParameter[1]->text(), "Test length:"},
        {w_->txtCommentary->text(), "seam"},
    };
    for (const auto& [shown, expected] : texts)
        EXPECT_EQ(S(shown), expected);
    EXPECT_EQ(Cells(w_->grdNominal), "100|N|20.0|mm|");
    EXPECT_EQ(S(w_->grdAvg->TextMatrix(0, 1)), "N");
    EXPECT_EQ(w_->grdResult->Rows(), 7);
    EXPECT_EQ(w_->ProtocolState, 5);

    // Rows of the report form: status (a definition without a number asks
    // for 999), lateral air only for type 16, the unused slot hidden.
    struct Row {
        bool shown;
        const char* status;
        bool lateralAir;
    } const rows[] = {{true, "7/10 (1)", false},  {true, "0/5 (0)", true},    {true, "0/5 (0)", true},
                      {true, "0/999 (0)", false}, {true, "0/999 (0)", false}, {false, "", false}};
    for (size_t i = 1; i <= 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(!w_->lblProperty[i]->isHidden(), rows[i - 1].shown);
        EXPECT_EQ(!w_->lblPropertyStatus[i]->isHidden(), rows[i - 1].shown);
        EXPECT_EQ(S(w_->lblPropertyStatus[i]->text()), rows[i - 1].status);
        EXPECT_EQ(!w_->chkLateralAir[i]->isHidden(), rows[i - 1].lateralAir);
        EXPECT_EQ(w_->lblProperty[i]->font().bold(), i == 1) << "the current property in bold";
    }
    // Form B: a property no instrument position measures is no row.
    Shown().FormIndex = 2;
    w_->ShowProtocol();
    EXPECT_FALSE(w_->lblProperty[1]->isHidden());
    EXPECT_TRUE(w_->lblProperty[2]->isHidden());
    EXPECT_TRUE(w_->lblPropertyStatus[2]->isHidden()) << "no status left from form A";

    // Typed values carry the keyboard definition's serial number.
    Shown() = Series("Miller", {12.5f}, 5);
    Shown().CurrentProperty = 5;
    for (const char* serial : {"K7", ""}) {
        KeyboardDef.SerialNumber = QString::fromLatin1(serial);
        w_->ShowProtocol();
        EXPECT_EQ(S(w_->lblSerialNumberE->text()), serial);
        EXPECT_EQ(w_->lblSerialNumber->isHidden(), serial[0] == '\0');
    }

    // An item without a test type leaves the controls as they are.
    const std::string nominal = Cells(w_->grdNominal);
    const std::function<void(Protocol&)> spoil[] = {
        [](Protocol& q) { q.FormIndex = 0; },  [](Protocol& q) { q.FormIndex = 11; },
        [](Protocol& q) { q.FormIndex = -1; }, [](Protocol& q) { q.CurrentProperty = 7; },
        [](Protocol& q) { q.Style.Forms[1].Items[5].Property = 25; },
    };
    for (size_t k = 0; k < std::size(spoil); ++k) {
        const Protocol kept = Shown();
        spoil[k](Shown());
        w_->TestCountAsked = w_->ConfidenceAsked = true;
        w_->ShowProtocol();
        EXPECT_EQ(Cells(w_->grdNominal), nominal) << k;
        EXPECT_FALSE(w_->TestCountAsked || w_->ConfidenceAsked) << k;
        Shown() = kept;
    }
}

TEST_F(SeriesWindowTest, AnOpenSeriesWhoseStyleIsGoneKeepsItsCopyAndStaysMeasurable)
{
    Style other = Fabric();
    other.Name = QStringLiteral("Other");
    Styles = {MakeBlankStyle(), other};
    Load({Series()});
    EXPECT_EQ(w_->cboStyle->currentIndex(), -1);
    EXPECT_EQ(S(w_->cboStyle->placeholderText()), "Fabric");
    EXPECT_EQ(w_->ProtocolState, 6);
    EXPECT_TRUE(w_->cmdMeasure->isEnabled());

    // Choosing a style while a series is shown changes no series and no list.
    w_->cboStyle->setCurrentIndex(0);
    w_->cboStyle_Click();
    EXPECT_EQ(S(Shown().Style.Name), "Fabric");
    EXPECT_TRUE(IsEmptyStyle(Protocols[0].Style));
    EXPECT_EQ(w_->cboProtocol->currentText(), ProtocolTitle(Shown()));

    // The working record takes a stored style; a name not stored, or a report
    // form its style does not hold, is ignored.
    w_->optProtocol[1]->click();
    ASSERT_EQ(CurrentProtocol, 0);
    w_->cboStyle->setCurrentIndex(0);
    w_->cboStyle_Click();
    w_->cboStyle->addItem(QStringLiteral("Ghost"));
    w_->cboStyle->setCurrentIndex(1);
    w_->cboStyle_Click();
    EXPECT_EQ(S(Shown().Style.Name), "Other");
    w_->cboProtocol->addItem(QStringLiteral("Form Z"));
    w_->cboProtocol->setCurrentIndex(w_->cboProtocol->count() - 1);
    w_->cboProtocol_Click();
    EXPECT_EQ(Shown().FormIndex, 1);
    EXPECT_EQ(S(w_->cboStyle->placeholderText()), "");
}

// ---------------------------------------------------------------------------
// Life cycle

TEST_F(SeriesWindowTest, ANewSeriesTakesTheWorkingRecordWithItsFieldsAndLateralAir)
{
    Load({Series("A")}, 0);
    EXPECT_EQ(w_->cboProtocol->count(), 0) << "an empty working record lists no forms";
    Prepare();
    w_->txtK0006->setText(QStringLiteral("  part 1  "));
    // Lateral air belongs to the row of its box, not to the current property.
    w_->chkLateralAir[3]->click();
    EXPECT_TRUE(Shown().Blocks[3].LateralAirOn);
    EXPECT_FALSE(Shown().Blocks[1].LateralAirOn);

    w_->NewProtocol();
    ASSERT_EQ(std::pair(Protocols.size(), CurrentProtocol), std::pair(size_t{3}, int16_t{2}));
    EXPECT_EQ(std::pair(S(Shown().K0006), Shown().Date), std::pair(std::string("part 1"), Moment()));
    EXPECT_TRUE(w_->optProtocol[2]->isChecked() && w_->cboProtocol->currentIndex() == 1);
    EXPECT_EQ(Shown().LastTestDate, Moment());
    EXPECT_TRUE(IsEmptyPropertyBlock(Shown().Blocks[1]));
    EXPECT_EQ(S(w_->cboProtocol->currentText()), "2011-12-24, 14:05:09 - Form A");

    w_->ShowProtocol();
    EXPECT_TRUE(w_->chkLateralAir[3]->isChecked());
    w_->InitPropertyBlock(Shown(), 3);
    EXPECT_TRUE(Shown().Blocks[3].LateralAirOn);

    // Either view lists without a selection.
    for (int16_t view : {2, 0}) {
        CurrentProtocol = view;
        w_->FillProtocolCombo(Shown());
        EXPECT_EQ(std::pair(w_->cboProtocol->count(), w_->cboProtocol->currentIndex()), std::pair(2, -1));
    }
}

// A start that shows an open series (the index the settings remember, or a
// series back from a folder that was away) leaves the working record as it
// was: New over a record never prepared has no report-form item to show, so
// the window keeps what it showed, and the series' tests stay the series'.
TEST_F(SeriesWindowTest, NewOverAWorkingRecordNeverPreparedTakesNothingOfTheSeriesShown)
{
    Load({Series("Miller", {12.5f})}, 1);
    ASSERT_EQ(S(w_->grdResult->TextMatrix(0, 1)), "12.5");
    w_->optProtocol[1]->click();
    EXPECT_EQ(CurrentProtocol, 0);
    EXPECT_TRUE(IsEmptyProtocol(Protocols[0]));
    EXPECT_EQ(Protocols[1].Blocks[1].Values.size(), size_t{2});
    EXPECT_EQ(w_->cboProtocol->count(), 0) << "an empty working record lists no forms";
    EXPECT_EQ(S(w_->grdResult->TextMatrix(0, 1)), "12.5") << "nothing to show: the view stays";
    // Prepared, it shows its own: no test.
    Prepare();
    EXPECT_EQ(S(w_->grdResult->TextMatrix(0, 1)), "");
    EXPECT_EQ(Protocols[1].Blocks[1].Values.size(), size_t{2});
}

TEST_F(SeriesWindowTest, PendingListsTheOpenSeriesEachByItsPlaceEvenUnderEqualTitles)
{
    Load({Series("a"), Series("b"), Series("c")}, 0);
    Prepare();
    w_->optProtocol[2]->click();
    EXPECT_EQ(CurrentProtocol, 1);
    ASSERT_EQ(w_->cboProtocol->count(), 3);
    ASSERT_EQ(w_->cboProtocol->itemText(0), w_->cboProtocol->itemText(2));
    for (int entry : {0, 2, 1}) {
        w_->cboProtocol->setCurrentIndex(entry);
        w_->cboProtocol_Click();
        EXPECT_EQ(S(w_->cboOperator->currentText()), std::string(1, static_cast<char>('a' + entry)));
    }
    w_->RemoveProtocolFromCombo(1);
    EXPECT_EQ(S(Protocols[1].Operator + Protocols[2].Operator), "bc");
    EXPECT_EQ(std::pair(w_->cboProtocol->count(), CurrentProtocol), std::pair(2, int16_t{1})) << "the series shown";
    CurrentProtocol = 2;
    w_->RemoveProtocolFromCombo(2);   // the series shown goes: the index stays in the list
    w_->RemoveProtocolFromCombo(2);   // none such
    EXPECT_EQ(std::pair(Protocols.size(), CurrentProtocol), std::pair(size_t{2}, int16_t{1}));
    w_->optProtocol[1]->click();
    EXPECT_EQ(CurrentProtocol, 0);
    EXPECT_EQ(S(w_->cboProtocol->currentText()), "Form A");
}

TEST_F(SeriesWindowTest, SwitchingLateralAirOffKeepsTheMeanAndTheSeriesHeader)
{
    Protocol p = Series("Miller", {1.0f, 2.0f, 3.0f}, 2);
    p.CurrentProperty = 2;
    p.Blocks[2].LateralAirOn = true;
    // The stored style was edited since the series began.
    Styles[1].Tests[16].HeaderImage = Build({.Id = "KR 6401", .Serial = "999", .P1 = "   200", .RU1 = "8"});
    Load({p});
    ASSERT_TRUE(w_->chkLateralAir[2]->isEnabled());
    w_->chkLateralAir[2]->click();
    const PropertyBlock& b = Shown().Blocks[2];
    EXPECT_EQ(std::tuple(b.LateralAir, b.LateralAirOn, b.Values.size()), std::tuple(2.0f, false, size_t{1}));
    EXPECT_EQ(b.Header, Fabric().Tests[16].HeaderImage);
    EXPECT_EQ(S(w_->lblLateralAirE[2]->text()), "2.00 N");
    EXPECT_EQ(w_->ProtocolState, 6);
}

// ---------------------------------------------------------------------------
// Pointer

TEST_F(SeriesWindowTest, ClicksChooseThePropertyAndTheTestCloseItAndSwitchPrinting)
{
    Load({Series("Miller", {95, 100, 108})});
    ShowActive();
    struct Case {
        QWidget* target;
        Qt::MouseButton button;
        int property;
    } const cases[] = {
        {w_->lblProperty[1], Qt::LeftButton, 1},       {w_->lblProperty[2], Qt::RightButton, 1},
        {w_->lblPropertyStatus[2], Qt::LeftButton, 2}, {w_->lblLateralAir[3], Qt::LeftButton, 3},
        {w_->lblLateralAirE[2], Qt::LeftButton, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(S(c.target->objectName()));
        const int before = Shown().CurrentProperty;
        w_->grdAvg->SetTextMatrix(0, 0, QStringLiteral("marker"));
        QTest::mouseClick(c.target, c.button, {}, QPoint(2, 2));
        EXPECT_EQ(Shown().CurrentProperty, c.property);
        EXPECT_EQ(w_->grdAvg->TextMatrix(0, 0) == QStringLiteral("marker"), before == c.property) << "redrawn";
    }
    w_->lblProperty_MouseUp(6, 1, 0, 0, 0);   // an empty row is no property
    EXPECT_EQ(Shown().CurrentProperty, 2);
    // A page the new property lacks gives way to the results.
    w_->lblProperty_MouseUp(1, 1, 0, 0, 0);
    w_->tabDisplay->SetTab(4);
    w_->lblProperty_MouseUp(4, 1, 0, 0, 0);
    EXPECT_EQ(w_->tabDisplay->Tab(), 0);

    // A grid press marks its row, the click draws its test.
    w_->lblProperty_MouseUp(1, 1, 0, 0, 0);
    FlexGrid* grid = w_->grdResult;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualItemRect(grid->item(0, 0)).center());
    grid->SetRow(0), grid->SetCol(0);
    EXPECT_EQ(grid->CellBackColor(), vbHighlight);
    grid->SetRow(2);
    EXPECT_NE(grid->CellBackColor(), vbHighlight);
    const QImage clicked = w_->picDeviation[1]->Surface().Image();
    w_->DrawDeviationChart(ComputeDeviationData(Shown(), 95, 1), 1);
    EXPECT_EQ(clicked, w_->picDeviation[1]->Surface().Image());
    w_->DrawDeviationChart(ComputeDeviationData(Shown(), 108, 1), 1);
    EXPECT_NE(clicked, w_->picDeviation[1]->Surface().Image());

    // Either printer picture switches automatic printing with the left button.
    for (QLabel* picture : {w_->imgPrint, w_->imgNotPrint}) {
        picture->show();
        for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
            const bool before = AutoPrint;
            QTest::mouseClick(picture, button, {}, QPoint(3, 3));
            EXPECT_EQ(AutoPrint != before, button == Qt::LeftButton) << S(picture->objectName());
        }
    }

    // The mark closes a property below 999 counted tests, after making it
    // current.
    struct Mark {
        size_t row;
        int32_t counted;
        bool closes;
    } const marks[] = {{1, 999, false}, {1, 998, true}, {3, 0, true}};
    for (const Mark& m : marks) {
        Shown().Blocks[m.row].Stats.Count = m.counted;
        QTest::mouseClick(w_->imgTerminated[m.row], Qt::LeftButton, {}, QPoint(2, 2));
        EXPECT_EQ(Shown().Blocks[m.row].Terminated, m.closes) << m.row << " " << m.counted;
        EXPECT_EQ(w_->imgTerminated[m.row]->pixmap().isNull(), !m.closes);
        EXPECT_EQ(Shown().CurrentProperty, m.closes ? static_cast<int>(m.row) : 1);
    }
    EXPECT_EQ(w_->ProtocolState, 7);
}

// ---------------------------------------------------------------------------
// Start and end

TEST_F(SeriesWindowTest, LoadingTakesBackThePendingSeries)
{
    struct Case {
        int pending;
        int16_t remembered;
        bool prepared;
        int16_t current;
        int option;
        int16_t state;
    } const cases[] = {{0, 5, false, 0, 1, 1}, {3, 5, false, 3, 2, 6}, {3, 2, false, 2, 2, 6}, {0, 0, true, 0, 1, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pending * 10 + c.remembered);
        RemovePendingFiles();
        Protocols.assign(1, MakeEmptyProtocol());
        // Series started a second apart: files of one series load as one.
        for (int k = 1; k <= c.pending; ++k) {
            Protocols.push_back(Series());
            Protocols.back().Date += k / 86400.0;
        }
        bool ok = false;
        SavePendingProtocols(ok);
        ASSERT_TRUE(ok);
        Protocols.assign(1, MakeEmptyProtocol());
        if (c.prepared)
            Protocols[0].Style = Fabric();
        CurrentProtocol = c.remembered;
        w_ = frmMain::Instance();
        EXPECT_EQ(static_cast<int>(Protocols.size()), c.pending + 1);
        EXPECT_EQ(CurrentProtocol, c.current);
        EXPECT_TRUE(w_->optProtocol[static_cast<size_t>(c.option)]->isChecked());
        EXPECT_EQ(w_->ProtocolState, c.state);
        EXPECT_EQ(w_->lblFolderE->text().isEmpty(), !c.prepared && c.pending == 0) << "shown only when prepared";
        for (int tab = 2; tab <= 6; ++tab)
            EXPECT_EQ(w_->tabDisplay->TabEnabled(tab), c.state != 1 && tab <= 5) << tab;
        Protocols.assign(1, MakeEmptyProtocol());   // nothing left open to ask about
        Close();
    }
    // The style list is sorted (in the locale's order, case ignored), nothing chosen.
    Styles = {MakeBlankStyle(), Fabric(), Fabric()};
    Styles[1].Name = QStringLiteral("Zeta"), Styles[2].Name = QStringLiteral("alpha");
    Load({}, 0);
    EXPECT_EQ(S(w_->cboStyle->itemText(0)), "alpha");
    EXPECT_EQ(w_->cboStyle->currentIndex(), -1);
}

TEST_F(SeriesWindowTest, ClosingKeepsTheOpenSeriesOrTheWindow)
{
    QDir(folder_.path()).mkdir(QStringLiteral("data"));
    DataFolder = QDir(folder_.path()).filePath(QStringLiteral("data"));
    const std::string question = S(ComposeMessage(34, {1}, 2).Text);
    const std::string retry = S(ComposeMessage(31, {}, 2).Text);
    struct Case {
        bool unwritable;
        std::vector<int16_t> answers;
        std::vector<std::string> shown;
        bool closed;
    } const cases[] = {
        {false, {AnswerNo}, {question}, false},
        {true, {AnswerYes, AnswerYes, AnswerNo}, {question, retry, retry}, false},
        {false, {AnswerYes}, {question}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answers.size());
        QFile::remove(QDir(folder_.path()).filePath(QStringLiteral("QUINTARA.DAT")));
        Load({Series()});
        std::optional<ReadOnlyFolder> readOnly;
        if (c.unwritable && !readOnly.emplace(DataFolder).Active()) {
            Close();
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
    // Each list holds an entry with blanks around it, as a settings file may.
    for (std::vector<QString>* list : {&Reference2Values, &Reference3Values, &Reference4Values, &Operators})
        *list = {QString(), QStringLiteral("first"), QStringLiteral(" lot 1  ")};
    Load({}, 0);
    Prepare();
    const Protocol& working = Protocols[0];
    const struct {
        QLineEdit* box;
        QComboBox* list;   // chosen from as well
        const QString* kept;
    } boxes[] = {
        {w_->txtK1031, nullptr, &working.K1031},
        {w_->cboOperator->lineEdit(), w_->cboOperator, &working.Operator},
        {w_->cboReference[2]->lineEdit(), w_->cboReference[2], &working.Reference2},
        {w_->cboReference[3]->lineEdit(), w_->cboReference[3], &working.Reference3},
        {w_->cboReference[4]->lineEdit(), w_->cboReference[4], &working.Reference4},
    };
    for (const auto& b : boxes) {
        SCOPED_TRACE(S(b.box->objectName()) + (b.list ? S(b.list->objectName()) : std::string()));
        b.box->clear();
        QTest::keyClicks(b.box, QStringLiteral("  abc "));
        EXPECT_EQ(S(*b.kept), "abc");
        if (!b.list)
            continue;
        // The operator's way of choosing: the arrow keys move through the list.
        b.list->setCurrentIndex(0);
        QTest::keyClick(b.list, Qt::Key_Down);
        ASSERT_EQ(b.list->currentIndex(), 1);
        EXPECT_EQ(S(*b.kept), "lot 1");
    }
    // Showing the working record again keeps what was typed.
    w_->lblProperty_MouseUp(2, 1, 0, 0, 0);
    EXPECT_EQ(S(w_->txtK1031->text()), "abc");

    // The commentary of the property shown, at every key, not while refreshing.
    Close();
    Load({Series("Miller", {100})});
    QTest::keyClicks(w_->txtCommentary, QStringLiteral(" seam "));
    EXPECT_EQ(S(Shown().Blocks[1].Commentary), "seam");
    frmMain::RefreshGuard refreshing(*w_);
    QTest::keyClicks(w_->txtCommentary, QStringLiteral("x"));
    EXPECT_EQ(S(Shown().Blocks[1].Commentary), "seam");
}

TEST_F(SeriesWindowTest, KeysOfTheValueBoxFocusAndEnter)
{
    Load({Series("Miller", {100})});
    ShowActive();
    w_->txtKeyboard->show();
    w_->txtKeyboard->setEnabled(true);
    // The value box takes a point or a comma as its one decimal separator in
    // every locale (the value is sent on with a point); a separator in the
    // text blocks another of either kind, even one that would replace it.
    for (const char* locale : {"en_US", "de_DE"}) {
        Pin(QString::fromLatin1(locale));
        for (const QString& separator : {QStringLiteral("."), QStringLiteral(",")}) {
            SCOPED_TRACE(std::string(locale) + " " + S(separator));
            w_->txtKeyboard->clear();
            int beeps = InputBeepCount();
            QTest::keyClicks(w_->txtKeyboard, QStringLiteral("12") + separator + QStringLiteral("5x"));
            EXPECT_EQ(w_->txtKeyboard->text(), QStringLiteral("12") + separator + QStringLiteral("5"));
            EXPECT_EQ(InputBeepCount(), beeps + 1);
            w_->txtKeyboard->setSelection(2, 1);
            beeps = InputBeepCount();
            QTest::keyClicks(w_->txtKeyboard, QStringLiteral(".,"));
            EXPECT_EQ(std::pair(w_->txtKeyboard->text(), InputBeepCount()),
                      std::pair(QStringLiteral("12") + separator + QStringLiteral("5"), beeps + 2));
        }
        // Pasted text (a paste inserts it as this does) is judged the same:
        // one separator of either kind, over the whole text or beside none.
        const struct {
            const char* before;
            const char* pasted;
            const char* after;
        } pastes[] = {{"", "12,5", "12,5"}, {"", "12.5", "12.5"}, {"", "1.2,5", ""}, {"", "1,2,5", ""},
                      {"12", ",5", "12,5"}, {"12.", ",5", "12."}, {"12,", ".5", "12,"}, {"", "12;5", ""}};
        for (const auto& paste : pastes) {
            SCOPED_TRACE(std::string(locale) + " " + paste.before + " + " + paste.pasted);
            w_->txtKeyboard->setText(QString::fromLatin1(paste.before));
            w_->txtKeyboard->end(false);
            w_->txtKeyboard->insert(QString::fromLatin1(paste.pasted));
            EXPECT_EQ(w_->txtKeyboard->text(), QString::fromLatin1(paste.after));
        }
    }

    // Focus by Tab or by click selects the whole text.
    w_->tabDisplay->SetTab(1);
    for (QLineEdit* box : {w_->txtCommentary, w_->cboOperator->lineEdit(), w_->txtKeyboard}) {
        box->parentWidget()->setEnabled(true), box->setEnabled(true);
        box->setText(QStringLiteral("12.5"));
        for (bool byTab : {true, false}) {
            w_->cmdMeasure->setFocus(Qt::OtherFocusReason);
            if (byTab)
                box->setFocus(Qt::TabFocusReason);
            else
                QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
            QApplication::processEvents();
            EXPECT_EQ(box->selectedText(), box->text()) << S(box->objectName()) << byTab;
        }
    }

    // Enter measures unless the focused control takes it.
    ScriptedDialogRunner preview;   // the preview button opens the preview
    ScriptedPresenter presenter;
    QString pressed;
    QObject::connect(w_->cmdMeasure, &QPushButton::clicked, w_, [&] { pressed += QStringLiteral("measure"); });
    QObject::connect(w_->cmdPreview, &QPushButton::clicked, w_, [&] { pressed += QStringLiteral("preview"); });
    struct Enter {
        QWidget* focused;
        bool measureEnabled;
        const char* pressed;
        int beeps;
    } const enter[] = {
        {w_->txtKeyboard, true, "measure", 0}, {w_->txtKeyboard, false, "", 0}, {w_->txtCommentary, true, "", 1},
        {w_->cmdPreview, true, "preview", 0},  {w_->cboProtocol, true, "measure", 0},
    };
    for (const Enter& c : enter) {
        SCOPED_TRACE(S(c.focused->objectName()) + (c.measureEnabled ? "" : " disabled"));
        w_->tabDisplay->SetTab(c.focused == w_->txtCommentary ? 1 : 0);
        w_->cmdMeasure->setEnabled(c.measureEnabled);
        c.focused->setFocus(Qt::OtherFocusReason);
        pressed.clear();
        const int beeps = InputBeepCount();
        QTest::keyClick(c.focused, Qt::Key_Return);
        EXPECT_EQ(S(pressed), c.pressed);
        EXPECT_EQ(InputBeepCount() - beeps, c.beeps);
    }
}

} // namespace
