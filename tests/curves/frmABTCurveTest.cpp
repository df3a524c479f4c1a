// The curve analysis window on a curve file in a temporary data folder:
// what it shows on opening, the limits, the options and what each of them
// redraws, the pages and their enabling, the read-out, printing, copying and
// the inert window of a file without a curve.
#include "CurveTestSupport.h"
#include "support/AirbagCurves.h"
#include "support/ScriptedPresenter.h"

#include "curves/frmABTCurve.h"
#include "curves/modABTCurve.h"
#include "foundation/modGlobals.h"
#include "foundation/modInstrument.h"
#include "foundation/modRecords.h"
#include "foundation/modWindow.h"
#include "platform/FlexGrid.h"
#include "platform/MousePointer.h"
#include "platform/OleDate.h"
#include "platform/PictureBox.h"
#include "platform/TabControl.h"
#include "curves/modABTCurveClipboard.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabBar>

#include <cmath>

namespace {

// 5 January 2024, 13:07:09.
double Stamp()
{
    return DateSerial(2024, 1, 5) + TimeSerial(13, 7, 9);
}

// Style "Airbag 470" with ADAP 380 mm/s between 350 and 410 prescribed and a
// band for the exponent derived from the mean; the curve test is property 1.
Protocol AirbagSeries()
{
    Protocol p = MakeEmptyProtocol();
    p.Style = MakeBlankStyle();
    p.Style.Name = QStringLiteral("Airbag 470");
    p.Reference2 = QStringLiteral("Lot 4711");
    p.Operator = QStringLiteral("Müller");
    p.FormIndex = 1;
    p.CurrentProperty = 1;
    p.Style.Forms[1].Items[1].Property = 18;
    p.Style.Forms[1].Items[1].Curve = true;
    TestDefinition& d = p.Style.Tests[18];
    d.Defined1 = true;
    d.Nominal1 = 380;
    d.Lower1 = 350;
    d.Upper1 = 410;
    d.Nominal2 = 1.8f;
    d.Lower2 = 1.6f;
    d.Upper2 = 2.0f;
    p.Blocks[1].StartDate = Stamp();
    return p;
}

QString Cell(const FlexGrid* grid, int col = 0)
{
    return grid->TextMatrix(0, col);
}

// What a user does: choose an entry of a box or list, tick a box, click a tab.
void Choose(QComboBox* box, const QString& text)
{
    const int index = box->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    box->setCurrentIndex(index);
    emit box->activated(index);
}

void Choose(QListWidget* list, const QString& text)
{
    const QList<QListWidgetItem*> items = list->findItems(text, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1) << text.toStdString();
    list->setCurrentItem(items[0]);
}

void ClickTab(frmABTCurve& w, int tab)
{
    w.tabCurve->findChild<QTabBar*>()->setCurrentIndex(tab);
}

QString Current(const QListWidget* list)
{
    return list->currentItem() ? list->currentItem()->text() : QString();
}

QImage Picture(const frmABTCurve& w, int page)
{
    return w.picCurve[static_cast<size_t>(page)]->Surface().Image();
}

int ColourCount(const QImage& image, int32_t colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += FromQColor(QColor(image.pixel(x, y))) == colour;
    return n;
}

// A dot no drawing of the window makes: gone once the page is redrawn.
void Mark(frmABTCurve& w, int page)
{
    DrawingSurface& s = w.picCurve[static_cast<size_t>(page)]->Surface();
    s.SetDrawWidth(3);
    s.PSet(s.XFromPixel(300), s.YFromPixel(140), vbMagenta);
    s.SetDrawWidth(1);
    EXPECT_GT(ColourCount(s.Image(), vbMagenta), 0);
}

void MoveOver(QWidget* control)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), control->mapToGlobal(QPointF(2, 2)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(control, &move);
}

class CurveWindowTest : public CurveTest {
protected:
    void SetUp() override
    {
        CurveTest::SetUp();
        DateFormat = 1;
        AbtProtocol = AirbagSeries();
        AbtFileName.clear();
    }
    void TearDown() override
    {
        frmABTCurve::Unload();
        SetPrinterOutputFile(QString());
        AbtProtocol = MakeEmptyProtocol();
        AbtFileName.clear();
        SetMousePointer(PointerDefault);
        CurveTest::TearDown();
    }

    // The curve stored in the data folder and the window opened on it.
    frmABTCurve& Open(const ABTCurve& curve = AirbagPulse())
    {
        AbtFileName = abtFilePut(curve, Stamp());
        EXPECT_FALSE(AbtFileName.isEmpty());
        return *frmABTCurve::Instance();
    }

    static ABTCurve WithHeader(const AirbagHeaderFields& fields) { return AirbagPulse(800, AirbagHeader(fields)); }

    ScriptedPresenter Presenter;
};

TEST_F(CurveWindowTest, OpensOnTheAirPermeabilityPageWithHeaderResultsAndBlueCaptions)
{
    SetMousePointer(PointerHourglass);   // as the opener leaves it
    frmABTCurve& w = Open();
    EXPECT_TRUE(Presenter.Shown.empty());
    EXPECT_EQ(MousePointer(), PointerDefault);
    EXPECT_TRUE(w.Ready);
    EXPECT_EQ(w.Page, 3);
    EXPECT_EQ(w.tabCurve->Tab(), 3);

    const std::pair<QString, QString> shown[] = {
        {w.cboStyle->currentText(), QStringLiteral("Airbag 470")},
        {w.cboReference[2]->currentText(), QStringLiteral("Lot 4711")},
        {w.cboOperator->currentText(), QStringLiteral("Müller")},
        {w.lblDateTimeE->text(), QStringLiteral("05.01.2024, 13:07:09")},
        {w.lblInstrumentE->text(), ModelLongNameOf(12)},
        {w.lblSerialNumberE->text(), QStringLiteral("123")},
        {w.lblSensorE->text(), QStringLiteral("500/500 kPa")},
        {w.lblStartVolumeE->text(), QStringLiteral("500 cm³")},
        {w.lblStartPressureE->text(), QStringLiteral("200 kPa")},
        {w.lblTestAreaE->text(), QStringLiteral("50 cm²")},
        // Peak 80 kPa at 40 ms, pulse from 1 ms, below 15 % 228 ms after the peak.
        {Cell(w.grdMaxPressure) + u'|' + Cell(w.grdMaxPressure, 1), QStringLiteral("80.0|kPa")},
        {Cell(w.grdRiseTime) + u'|' + Cell(w.grdRiseTime, 1), QStringLiteral("39|ms")},
        {Cell(w.grdFallTime) + u'|' + Cell(w.grdFallTime, 1), QStringLiteral("228|ms")},
        {Cell(w.grdADAP) + u'|' + Cell(w.grdADAP, 1), QStringLiteral("378|mm/s")},
        {Cell(w.grdExponent), QStringLiteral("1.81")},
        // The exponent's band comes from the mean and is not shown.
        {Cell(w.grdNominal) + u'|' + Cell(w.grdNominal, 1) + u'|' + Cell(w.grdNominal, 2), QStringLiteral("380|mm/s|")},
        {Cell(w.grdLLimit) + u'|' + Cell(w.grdULimit), QStringLiteral("350|410")},
        {w.lblXCoordinate[3]->text(), QStringLiteral("80 kPa")},
        {w.lblYCoordinate[3]->text(), QStringLiteral("6,000 mm/s")},
        {w.cboThickness->currentText(), QStringLiteral("0.40")},
        {w.cboFormFactor->currentText(), QStringLiteral("0")},
        {Current(w.lstFraction[4]), QStringLiteral("1/20")},
        {Current(w.lstXMax[3]) + u'|' + Current(w.lstYMax[3]), QStringLiteral("Auto|Auto")},
    };
    for (const auto& [got, expected] : shown)
        EXPECT_EQ(got, expected);
    for (QLabel* caption : {w.lblXCoordinate[3], w.lblYCoordinate[3]})
        EXPECT_EQ(FromQColor(caption->palette().color(QPalette::WindowText)), vbBlue);
    EXPECT_TRUE(w.lblNoSensor->isHidden());
    EXPECT_FALSE(w.chkSmoothing->isChecked());
    EXPECT_FALSE(w.chkComputedCurve->isChecked());
    EXPECT_EQ(w.Options, (AbtOptions{200, 600, 0, 0}));

    // The curve in red up to the peak, black after it.
    const QImage picture = Picture(w, 3);
    EXPECT_EQ(picture.size(), QSize(605, 285));
    EXPECT_GT(ColourCount(picture, vbRed), 100);
    EXPECT_GT(ColourCount(picture, vbBlack), 100);
    // The other pages are drawn when they are chosen.
    EXPECT_EQ(ColourCount(Picture(w, 0), vbWhite), 605 * 285);
}

TEST_F(CurveWindowTest, LimitsFromTheHeaderAndFromTheBoxes)
{
    const struct {
        const char* field;     // parameter 3, six characters
        const char* lowerBox;
        const char* upperBox;
        AbtOptions options;
        const char* adap;
    } cases[] = {
        {" 60/20", "20", "60", {200, 600, 0, 0}, "378"},
        {"   abc", "", "", {0, 0, 0, 0}, "---"},
        {"      ", "", "", {0, 0, 0, 0}, "---"},
        {"    20", "", "", {0, 0, 0, 0}, "---"},
        {"  0/60", "", "60", {0, 0, 0, 0}, "---"},
        {"150/20", "", "20", {0, 0, 0, 0}, "---"},
        {"9999/2", "", "2", {0, 0, 0, 0}, "---"},
    };
    for (const auto& c : cases) {
        AirbagHeaderFields fields;
        fields.Limits = c.field;
        frmABTCurve& w = Open(WithHeader(fields));
        EXPECT_TRUE(w.Ready) << c.field;
        EXPECT_EQ(w.cboLimit[1]->currentText(), QString::fromLatin1(c.lowerBox)) << c.field;
        EXPECT_EQ(w.cboLimit[2]->currentText(), QString::fromLatin1(c.upperBox)) << c.field;
        EXPECT_EQ(w.Options, c.options) << c.field;
        EXPECT_EQ(Cell(w.grdADAP), QString::fromLatin1(c.adap)) << c.field;
        frmABTCurve::Unload();
        QFile::remove(Data + u'/' + AbtFileName);
    }

    // Chosen in reverse order: computed as 300/800, shown as chosen.
    frmABTCurve& w = Open();
    Choose(w.cboLimit[1], QStringLiteral("80"));
    Choose(w.cboLimit[2], QStringLiteral("30"));
    EXPECT_EQ(w.Options.LowerLimit, 300);
    EXPECT_EQ(w.Options.UpperLimit, 800);
    EXPECT_EQ(w.cboLimit[1]->currentText(), QStringLiteral("80"));
    EXPECT_EQ(w.cboLimit[2]->currentText(), QStringLiteral("30"));
    // No pressure after the peak reaches 80 kPa again: no fit.
    EXPECT_EQ(Cell(w.grdADAP), QStringLiteral("---"));
    frmABTCurve::Unload();

    // A box left empty by the header gets its value: the fit follows.
    AirbagHeaderFields fields;
    fields.Limits = "150/20";
    frmABTCurve& v = Open(WithHeader(fields));
    Choose(v.cboLimit[1], QStringLiteral("60"));
    EXPECT_EQ(v.Options.LowerLimit, 200);
    EXPECT_EQ(v.Options.UpperLimit, 600);
    EXPECT_EQ(Cell(v.grdADAP), QStringLiteral("378"));
    EXPECT_TRUE(v.chkComputedCurve->isEnabled());
}

TEST_F(CurveWindowTest, EachChangeRedrawsOnlyWhatDependsOnIt)
{
    frmABTCurve& w = Open();
    // A limit change refreshes the results but redraws nothing on pages 0 to 2
    // or without the computed curve.
    int step = 0;
    for (const int page : {0, 1, 2, 3}) {
        ClickTab(w, page);
        ASSERT_EQ(w.Page, page);
        Mark(w, page);
        const QImage before = Picture(w, page);
        const QString adapBefore = Cell(w.grdADAP);
        Choose(w.cboLimit[1], step++ % 2 == 0 ? QStringLiteral("30") : QStringLiteral("20"));
        EXPECT_NE(Cell(w.grdADAP), adapBefore) << page;
        EXPECT_EQ(Picture(w, page), before) << page;
    }
    // With the computed curve the flow pages are redrawn.
    w.chkComputedCurve->click();
    const QImage withLaw = Picture(w, 3);
    EXPECT_GT(ColourCount(withLaw, vbGreen), 50);
    Mark(w, 3);
    Choose(w.cboLimit[1], QStringLiteral("40"));
    EXPECT_EQ(ColourCount(Picture(w, 3), vbMagenta), 0);
    EXPECT_NE(Picture(w, 3), withLaw);

    // The smoothing ticked stays applied after a form-factor change.
    w.chkSmoothing->click();
    EXPECT_EQ(w.Options.Smoothing, 4);
    const QImage smoothed = Picture(w, 3);
    Choose(w.cboFormFactor, QStringLiteral("5"));
    EXPECT_EQ(w.Options.FormFactor, 5);
    EXPECT_EQ(w.Options.Smoothing, 4);
    EXPECT_NE(Picture(w, 3), smoothed);
    Choose(w.cboFormFactor, QStringLiteral("0"));
    EXPECT_EQ(Picture(w, 3), smoothed);
    w.chkSmoothing->click();
    EXPECT_EQ(w.Options.Smoothing, 0);
    EXPECT_NE(Picture(w, 3), smoothed);

    // Axis maxima: a page change sets the new page's lists to "Auto", the
    // page on show chosen again changes nothing.
    Choose(w.lstXMax[3], QStringLiteral("30"));
    EXPECT_EQ(w.lblXCoordinate[3]->text(), QStringLiteral("30 kPa"));
    Mark(w, 3);
    w.tabCurve_Click();
    EXPECT_GT(ColourCount(Picture(w, 3), vbMagenta), 0);
    EXPECT_EQ(Current(w.lstXMax[3]), QStringLiteral("30"));
    EXPECT_EQ(w.lblXCoordinate[3]->text(), QStringLiteral("30 kPa"));
    ClickTab(w, 4);
    EXPECT_EQ(Current(w.lstXMax[4]), QStringLiteral("Auto"));
    Choose(w.lstYMax[4], QStringLiteral("1,000"));
    EXPECT_EQ(w.lblYCoordinate[4]->text(), QStringLiteral("1,000 mm/s"));
    Choose(w.lstFraction[4], QStringLiteral("1/2"));
    ClickTab(w, 3);
    EXPECT_EQ(Current(w.lstXMax[3]), QStringLiteral("Auto"));
    EXPECT_EQ(w.lblXCoordinate[3]->text(), QStringLiteral("80 kPa"));
    EXPECT_EQ(w.XMaxValues.size(), 22u);
    EXPECT_EQ(w.YMaxValues[11], QStringLiteral("300"));
}

TEST_F(CurveWindowTest, EnablingPerPage)
{
    frmABTCurve& w = Open();
    const struct {
        int page;
        bool thickness, fraction, formFactor, computed;
    } pages[] = {
        {0, false, false, false, false}, {1, false, false, false, false}, {2, true, false, false, false},
        {3, false, false, true, true},   {4, false, true, true, true},
    };
    for (const auto& p : pages) {
        ClickTab(w, p.page);
        EXPECT_EQ(w.fraThickness->isEnabled(), p.thickness) << p.page;
        EXPECT_EQ(w.cboThickness->isEnabled(), p.thickness) << p.page;
        EXPECT_EQ(w.lstFraction[4]->isEnabled(), p.fraction) << p.page;
        EXPECT_EQ(w.cboFormFactor->isEnabled(), p.formFactor) << p.page;
        EXPECT_EQ(w.chkSmoothing->isEnabled(), p.formFactor) << p.page;
        EXPECT_EQ(w.chkComputedCurve->isEnabled(), p.computed) << p.page;
        EXPECT_TRUE(w.cmdPrint->isEnabled());
        EXPECT_TRUE(w.mnuFile_Copy->isEnabled());
        for (int tab = 0; tab <= 4; ++tab)
            EXPECT_TRUE(w.tabCurve->TabEnabled(tab));
    }
    // Without a fit the computed curve cannot be chosen.
    Choose(w.cboLimit[2], QStringLiteral("99"));
    EXPECT_EQ(Cell(w.grdExponent), QStringLiteral("---"));
    EXPECT_FALSE(w.chkComputedCurve->isEnabled());
    frmABTCurve::Unload();

    // No bulging-height signal: pages 1 and 2 cannot be chosen.
    AirbagHeaderFields fields;
    fields.Warning = '!';
    frmABTCurve& v = Open(WithHeader(fields));
    EXPECT_FALSE(v.lblNoSensor->isHidden());
    EXPECT_EQ(v.lblNoSensor->text(), QStringLiteral("Without sensor!"));
    const bool enabled[] = {true, false, false, true, true};
    for (int tab = 0; tab <= 4; ++tab)
        EXPECT_EQ(v.tabCurve->TabEnabled(tab), enabled[tab]) << tab;
}

TEST_F(CurveWindowTest, WithoutACurveMessage35OnceAndAnInertWindow)
{
    const struct {
        const char* name;
        std::function<QString()> store;
    } cases[] = {
        {"vanished", [] { return QStringLiteral("2024.01.05, 13.07.09.ABT"); }},
        {"cut short",
         [] {
             const QString name = abtFilePut(AirbagPulse(), Stamp());
             const QString path = DataFolder + u'/' + name;
             QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
             WriteBytes(path, ReadBytes(path).substr(0, 3000));
             return name;
         }},
        {"empty record", [] { return abtFilePut(EmptyABTCurve, Stamp() + 1); }},
    };
    const QString pdf = Temp.filePath(QStringLiteral("inert.pdf"));
    QClipboard* clipboard = QGuiApplication::clipboard();
    for (const auto& c : cases) {
        Presenter.Shown.clear();
        AbtFileName = c.store();
        frmABTCurve& w = *frmABTCurve::Instance();
        ASSERT_EQ(Presenter.Shown.size(), 1u) << c.name;
        EXPECT_EQ(Presenter.Shown[0].Text, QStringLiteral("No curve data available for this test result."));
        EXPECT_EQ(w.Page, frmABTCurve::NoPage);
        EXPECT_FALSE(w.Ready);
        EXPECT_EQ(w.tabCurve->Tab(), 3);
        for (int tab = 0; tab <= 4; ++tab)
            EXPECT_FALSE(w.tabCurve->TabEnabled(tab) || w.lstXMax[static_cast<size_t>(tab)]->isEnabled()) << tab;
        EXPECT_FALSE(w.cmdPrint->isEnabled());
        EXPECT_FALSE(w.mnuFile_Copy->isEnabled());
        EXPECT_FALSE(w.cboLimit[1]->isEnabled());

        // No handler acts.
        SetPrinterOutputFile(pdf);
        clipboard->setText(QStringLiteral("untouched"));
        const AbtOptions options = w.Options;
        w.tabCurve_Click();
        w.cboFormFactor_Click();
        w.cboLimit_Click(1);
        w.cboThickness_Click();
        w.chkSmoothing_Click();
        w.chkComputedCurve_Click();
        w.lstFraction_Click(4);
        w.lstXMax_Click(3);
        w.lstYMax_Click(3);
        w.cmdPrint_Click();
        w.mnuFile_Copy_Click();
        w.picCurve_MouseMove(3, 0, 0, 100, 100);
        EXPECT_EQ(w.Options, options);
        EXPECT_EQ(Presenter.Shown.size(), 1u);
        EXPECT_FALSE(QFile::exists(pdf));
        EXPECT_EQ(clipboard->text(), QStringLiteral("untouched"));
        EXPECT_TRUE(w.lblCoordinate[3]->isHidden());
        EXPECT_EQ(ColourCount(Picture(w, 3), vbWhite), 605 * 285);
        frmABTCurve::Unload();
    }
}

TEST_F(CurveWindowTest, SensorRangesBeyondSixteenBitsAndAPulseThatDoesNotEnd)
{
    ABTCurve curve = AirbagPulse();
    curve.Factor1 = 400;
    for (int i = 41; i < AbtSampleCount; ++i)
        curve.P2[i] = 700;   // no fall below 15 % of the peak, no pressure below the lower limit
    frmABTCurve& w = Open(curve);
    EXPECT_EQ(w.lblSensorE->text(), QStringLiteral("40000/500 kPa"));
    EXPECT_EQ(Cell(w.grdFallTime), QStringLiteral(">500"));
    EXPECT_EQ(Cell(w.grdADAP) + Cell(w.grdADAP, 1), QStringLiteral("---"));
    EXPECT_EQ(Cell(w.grdExponent), QStringLiteral("---"));
}

TEST_F(CurveWindowTest, ReadOutFollowsThePointerAndHidesOverOtherControls)
{
    frmABTCurve& w = Open();
    w.show();
    ClickTab(w, 4);
    QLabel* readOut = w.lblCoordinate[4];
    w.picCurve_MouseMove(4, 0, 0, std::log(500.0), std::log(1000.0));
    EXPECT_FALSE(readOut->isHidden());
    EXPECT_EQ(readOut->text(), QStringLiteral(" 50.0 kPa / 1,000 mm/s "));
    for (QWidget* other : {static_cast<QWidget*>(w.lblADAP), static_cast<QWidget*>(w.lstYMax[4]->viewport())}) {
        w.picCurve_MouseMove(4, 0, 0, std::log(500.0), std::log(1000.0));
        MoveOver(other);
        EXPECT_TRUE(readOut->isHidden()) << other->objectName().toStdString();
        EXPECT_TRUE(readOut->text().isEmpty());
    }
    // A real move over the picture, and none for a page not on show.
    PictureBox* picture = w.picCurve[4];
    MoveOver(picture);
    EXPECT_FALSE(readOut->isHidden());
    HideLabel(readOut);
    w.picCurve_MouseMove(3, 0, 0, 300, 300);
    EXPECT_TRUE(w.lblCoordinate[3]->isHidden());
}

TEST_F(CurveWindowTest, UnscalablePageIsClearedWithoutCaptionsOrReadOut)
{
    ABTCurve flat = AirbagPulse();
    flat.S.fill(0);   // no bulge: no strain, no height
    frmABTCurve& w = Open(flat);
    for (const int page : {1, 2}) {
        ClickTab(w, page);
        EXPECT_EQ(ColourCount(Picture(w, page), vbWhite), 605 * 285) << page;
        EXPECT_TRUE(w.lblXCoordinate[static_cast<size_t>(page)]->text().isEmpty());
        EXPECT_TRUE(w.lblYCoordinate[static_cast<size_t>(page)]->text().isEmpty());
        w.picCurve_MouseMove(page, 0, 0, 10, 10);
        EXPECT_TRUE(w.lblCoordinate[static_cast<size_t>(page)]->isHidden());
    }
    // The pressure pages still draw.
    ClickTab(w, 0);
    EXPECT_GT(ColourCount(Picture(w, 0), vbBlack), 100);
    EXPECT_EQ(w.lblXCoordinate[0]->text(), QStringLiteral("500 ms"));
}

TEST_F(CurveWindowTest, TextsByLanguage)
{
    const struct {
        int16_t language;
        const char* title;
        const char* tab3;
        const char* style;
        const char* reference2;
    } cases[] = {
        {1, "ZOLVERA D 7110 QUINTARA III - Kurve analysieren", "LD: LD = f (p)", "Artikel:", "Referenz 2:"},
        {2, "ZOLVERA D 7110 QUINTARA III - Analyze curve", "AP: AP = f (p)", "Style:", "Reference 2:"},
        {6, "ZOLVERA D 7110 QUINTARA III - ", "", "", "Ref. 2:"},
    };
    for (const auto& c : cases) {
        Language = c.language;
        frmABTCurve& w = Open();
        EXPECT_EQ(w.windowTitle(), QString::fromUtf8(c.title));
        EXPECT_EQ(w.tabCurve->TabCaption(3), QString::fromUtf8(c.tab3));
        EXPECT_EQ(w.lblStyle->text(), QString::fromUtf8(c.style));
        EXPECT_EQ(w.lblReference[2]->text(), QString::fromUtf8(c.reference2));
        frmABTCurve::Unload();
        QFile::remove(Data + u'/' + AbtFileName);
    }
}

TEST_F(CurveWindowTest, ShownModallyAndDeletedOnClosing)
{
    AbtFileName = abtFilePut(AirbagPulse(), Stamp());
    ScriptedDialogRunner runner;
    bool wasReady = false;
    runner.Then([&](QDialog& dialog) {
        auto& w = static_cast<frmABTCurve&>(dialog);
        wasReady = w.Ready && w.Page == 3;
        w.cmdBack->click();
    });
    EXPECT_EQ(frmABTCurve::ShowForm(), QDialog::Rejected);
    EXPECT_TRUE(wasReady);
    EXPECT_EQ(runner.Ran, std::vector<QString>{QStringLiteral("frmABTCurve")});
    EXPECT_FALSE(frmABTCurve::IsLoaded());
}

TEST_F(CurveWindowTest, PrintAndCopyHandTheWindowsTextsOver)
{
    frmABTCurve& w = Open();
    ClickTab(w, 2);
    Choose(w.cboThickness, QStringLiteral("0.80"));
    QGuiApplication::clipboard()->clear();
    w.mnuFile_Copy->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              clpCurveAnalysisText(AbtProtocol, w.Curve, w.Evaluation, w.Options, 2, 0.8f));

    const CurvePageTexts texts = w.PageTexts();
    EXPECT_EQ(texts.XCaption, w.lblXCoordinate[2]->text());
    EXPECT_EQ(texts.YCaption, w.lblYCoordinate[2]->text());
    EXPECT_EQ(texts.ADAP, (CurveResultCell{QStringLiteral("ADAP:"), QStringLiteral("378"), QStringLiteral("mm/s"), {}, {}}));
    EXPECT_EQ(texts.Nominal.Value1, QStringLiteral("380"));
    EXPECT_EQ(texts.FallTime.Caption, QStringLiteral("Fall time:"));

    // The page goes to the printer (here a file).
    const QString pdf = Temp.filePath(QStringLiteral("curve.pdf"));
    SetPrinterOutputFile(pdf);
    w.cmdPrint->click();
    SetPrinterOutputFile(QString());
    EXPECT_GT(QFileInfo(pdf).size(), 1000);
    EXPECT_TRUE(Presenter.Shown.empty());
}

} // namespace
