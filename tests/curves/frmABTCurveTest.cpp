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

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabBar>

#include <cmath>

namespace {

// 5 January 2024, 13:07:09.
double Stamp() { return DateSerial(2024, 1, 5) + TimeSerial(13, 7, 9); }

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
    TestDefinition& d = p.Style.Tests[18];
    d.Defined1 = true;
    d.Nominal1 = 380, d.Lower1 = 350, d.Upper1 = 410;
    d.Nominal2 = 1.8f, d.Lower2 = 1.6f, d.Upper2 = 2.0f;
    p.Blocks[1].StartDate = Stamp();
    return p;
}

// Value and unit of a result grid, "|" between them.
QString Cells(const FlexGrid* grid)
{
    return grid->TextMatrix(0, 0) + u'|' + grid->TextMatrix(0, 1);
}

// What a user does: choose an entry of a box or list, click a tab.
void Choose(QComboBox* box, const char* text)
{
    const int index = box->findText(QString::fromLatin1(text));
    ASSERT_GE(index, 0) << text;
    box->setCurrentIndex(index);
    emit box->activated(index);
}

void Choose(QListWidget* list, const char* text)
{
    const QList<QListWidgetItem*> items = list->findItems(QString::fromLatin1(text), Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1) << text;
    list->setCurrentItem(items[0]);
}

void ClickTab(frmABTCurve& w, int tab)
{
    w.tabCurve->findChild<QTabBar*>()->setCurrentIndex(tab);
    ASSERT_EQ(w.Page, tab);
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
}

bool Marked(const frmABTCurve& w, int page)
{
    return ColourCount(Picture(w, page), vbMagenta) > 0;
}

class CurveWindowTest : public CurveTest {
protected:
    void SetUp() override
    {
        CurveTest::SetUp();
        DateFormat = 1;
        AbtProtocol = AirbagSeries();
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
        frmABTCurve::Unload();
        AbtFileName = abtFilePut(curve, Stamp() + (opened_++) / 86400.0);
        EXPECT_FALSE(AbtFileName.isEmpty());
        return *frmABTCurve::Instance();
    }
    frmABTCurve& Open(const AirbagHeaderFields& fields) { return Open(AirbagPulse(800, AirbagHeader(fields))); }

    ScriptedPresenter Presenter;

private:
    int opened_ = 0;
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
    EXPECT_EQ(w.Options, (AbtOptions{200, 600, 0, 0}));

    const std::pair<QString, const char*> shown[] = {
        {w.cboStyle->currentText(), "Airbag 470"},
        {w.cboReference[2]->currentText(), "Lot 4711"},
        {w.cboOperator->currentText(), "Müller"},
        {w.lblDateTimeE->text(), "05.01.2024, 13:07:09"},
        {w.lblInstrumentE->text(), "Zolvera KR 6450"},
        {w.lblSerialNumberE->text(), "123"},
        {w.lblSensorE->text(), "500/500 kPa"},
        {w.lblStartVolumeE->text(), "500 cm³"},
        {w.lblStartPressureE->text(), "200 kPa"},
        {w.lblTestAreaE->text(), "50 cm²"},
        // Peak 80 kPa at 40 ms, pulse from 1 ms, below 15 % 228 ms after the peak.
        {Cells(w.grdMaxPressure), "80.0|kPa"},
        {Cells(w.grdRiseTime), "39|ms"},
        {Cells(w.grdFallTime), "228|ms"},
        {Cells(w.grdADAP), "378|mm/s"},
        {Cells(w.grdExponent), "1.81|"},
        // The exponent's band comes from the mean and is not shown.
        {Cells(w.grdNominal) + w.grdNominal->TextMatrix(0, 2), "380|mm/s"},
        {Cells(w.grdLLimit) + Cells(w.grdULimit), "350|mm/s410|mm/s"},
        {w.lblXCoordinate[3]->text() + u'|' + w.lblYCoordinate[3]->text(), "80 kPa|6,000 mm/s"},
        {w.cboThickness->currentText() + u'|' + w.cboFormFactor->currentText(), "0.40|0"},
        {Current(w.lstFraction[4]) + u'|' + Current(w.lstXMax[3]) + u'|' + Current(w.lstYMax[3]), "1/20|Auto|Auto"},
    };
    for (const auto& [got, expected] : shown)
        EXPECT_EQ(got, QString::fromUtf8(expected));
    for (QLabel* caption : {w.lblXCoordinate[3], w.lblYCoordinate[3]})
        EXPECT_EQ(FromQColor(caption->palette().color(QPalette::WindowText)), vbBlue);
    EXPECT_TRUE(w.lblNoSensor->isHidden());
    EXPECT_FALSE(w.chkSmoothing->isChecked() || w.chkComputedCurve->isChecked());

    // The curve in red up to the peak, black after it; the other pages are
    // drawn when they are chosen.
    EXPECT_EQ(Picture(w, 3).size(), QSize(605, 285));
    EXPECT_GT(ColourCount(Picture(w, 3), vbRed), 100);
    EXPECT_GT(ColourCount(Picture(w, 3), vbBlack), 100);
    EXPECT_EQ(ColourCount(Picture(w, 0), vbWhite), 605 * 285);
}

TEST_F(CurveWindowTest, LimitsFromTheHeaderAndFromTheBoxes)
{
    // Parameter 3 of the header: the limits in tenths of kPa and the boxes in
    // order; a part that does not count leaves its box empty and nothing fitted.
    const struct { const char* field; const char* boxes; AbtOptions options; const char* adap; } cases[] = {
        {" 60/20", "20|60", {200, 600, 0, 0}, "378"},
        {"   abc", "|", {0, 0, 0, 0}, "---"},
        {"150/20", "|20", {0, 0, 0, 0}, "---"},
    };
    for (const auto& c : cases) {
        frmABTCurve& w = Open(AirbagHeaderFields{"   500", c.field, ' '});
        EXPECT_TRUE(w.Ready) << c.field;
        EXPECT_EQ(w.cboLimit[1]->currentText() + u'|' + w.cboLimit[2]->currentText(), QString::fromLatin1(c.boxes));
        EXPECT_EQ(w.Options, c.options) << c.field;
        EXPECT_EQ(w.grdADAP->TextMatrix(0, 0), QString::fromLatin1(c.adap)) << c.field;
    }
    // The box the header left empty gets its value: the fit follows.
    frmABTCurve& v = *frmABTCurve::Instance();
    Choose(v.cboLimit[1], "60");
    EXPECT_EQ(v.Options, (AbtOptions{200, 600, 0, 0}));
    EXPECT_EQ(Cells(v.grdADAP), QStringLiteral("378|mm/s"));
    EXPECT_TRUE(v.chkComputedCurve->isEnabled());

    // Chosen in reverse order (the module computes 300/800) and shown as
    // chosen. No pressure after the peak reaches 80 kPa again: no fit.
    Choose(v.cboLimit[1], "80");
    Choose(v.cboLimit[2], "30");
    EXPECT_EQ(v.Options, (AbtOptions{300, 800, 0, 0}));
    EXPECT_EQ(v.cboLimit[1]->currentText() + v.cboLimit[2]->currentText(), QStringLiteral("8030"));
    EXPECT_EQ(Cells(v.grdADAP), QStringLiteral("---|"));
    EXPECT_FALSE(v.chkComputedCurve->isEnabled());
}

TEST_F(CurveWindowTest, EachChangeRedrawsOnlyWhatDependsOnIt)
{
    frmABTCurve& w = Open();
    // A limit change refreshes the results but redraws nothing on pages 0 to
    // 2 or without the computed curve.
    const char* const lower[] = {"30", "20", "30", "20"};
    for (const int page : {0, 1, 2, 3}) {
        ClickTab(w, page);
        Mark(w, page);
        const QString adap = Cells(w.grdADAP);
        Choose(w.cboLimit[1], lower[page]);
        EXPECT_NE(Cells(w.grdADAP), adap) << page;
        EXPECT_TRUE(Marked(w, page)) << page;
    }
    // With the computed curve the flow pages are redrawn.
    w.chkComputedCurve->click();
    EXPECT_GT(ColourCount(Picture(w, 3), vbGreen), 50);
    const QImage withLaw = Picture(w, 3);
    Mark(w, 3);
    Choose(w.cboLimit[1], "40");
    EXPECT_FALSE(Marked(w, 3));
    EXPECT_NE(Picture(w, 3), withLaw);

    // The smoothing ticked stays applied after a form-factor change.
    w.chkSmoothing->click();
    EXPECT_EQ(w.Options.Smoothing, 4);
    const QImage smoothed = Picture(w, 3);
    Choose(w.cboFormFactor, "5");
    EXPECT_EQ(w.Options.FormFactor, 5);
    EXPECT_EQ(w.Options.Smoothing, 4);
    EXPECT_NE(Picture(w, 3), smoothed);
    Choose(w.cboFormFactor, "0");
    EXPECT_EQ(Picture(w, 3), smoothed);
    // Unticked, the curve is drawn unsmoothed again.
    w.chkSmoothing->click();
    EXPECT_EQ(w.Options.Smoothing, 0);
    EXPECT_NE(Picture(w, 3), smoothed);

    // Axis maxima: the page on show chosen again changes nothing, a page
    // change sets the new page's lists to "Auto".
    Choose(w.lstXMax[3], "30");
    EXPECT_EQ(w.lblXCoordinate[3]->text(), QStringLiteral("30 kPa"));
    Mark(w, 3);
    w.tabCurve_Click();
    EXPECT_TRUE(Marked(w, 3));
    EXPECT_EQ(Current(w.lstXMax[3]), QStringLiteral("30"));
    ClickTab(w, 4);
    Choose(w.lstYMax[4], "1,000");
    EXPECT_EQ(w.lblYCoordinate[4]->text(), QStringLiteral("1,000 mm/s"));
    Mark(w, 4);
    Choose(w.lstFraction[4], "1/2");
    EXPECT_FALSE(Marked(w, 4));
    ClickTab(w, 3);
    EXPECT_EQ(Current(w.lstXMax[3]), QStringLiteral("Auto"));
    EXPECT_EQ(w.lblXCoordinate[3]->text(), QStringLiteral("80 kPa"));
    EXPECT_EQ(w.YMaxValues[11], QStringLiteral("300"));
}

TEST_F(CurveWindowTest, EnablingPerPage)
{
    frmABTCurve& w = Open();
    const struct { int page; bool thickness, fraction, formFactor; } pages[] = {
        {0, false, false, false}, {1, false, false, false}, {2, true, false, false}, {3, false, false, true},
        {4, false, true, true}};
    for (const auto& p : pages) {
        ClickTab(w, p.page);
        const std::pair<QWidget*, bool> expected[] = {
            {w.fraThickness, p.thickness},     {w.cboThickness, p.thickness},     {w.lstFraction[4], p.fraction},
            {w.cboFormFactor, p.formFactor},   {w.chkSmoothing, p.formFactor},    {w.chkComputedCurve, p.formFactor},
            {w.cmdPrint, true},                {w.cboLimit[2], true},
        };
        for (const auto& [control, enabled] : expected)
            EXPECT_EQ(control->isEnabled(), enabled) << p.page << " " << control->objectName().toStdString();
        for (int tab = 0; tab <= 4; ++tab)
            EXPECT_TRUE(w.tabCurve->TabEnabled(tab)) << p.page << " " << tab;
    }
    // No bulging-height signal: pages 1 and 2 cannot be chosen.
    frmABTCurve& v = Open(AirbagHeaderFields{"   500", " 60/20", '!'});
    EXPECT_FALSE(v.lblNoSensor->isHidden());
    EXPECT_EQ(v.lblNoSensor->text(), QStringLiteral("Without sensor!"));
    const bool enabled[] = {true, false, false, true, true};
    for (int tab = 0; tab <= 4; ++tab)
        EXPECT_EQ(v.tabCurve->TabEnabled(tab), enabled[tab]) << tab;
}

TEST_F(CurveWindowTest, WithoutACurveMessage35OnceAndAnInertWindow)
{
    AbtFileName = QStringLiteral("2024.01.05, 13.07.09.ABT");   // gone since the caller's check
    frmABTCurve& w = *frmABTCurve::Instance();
    ASSERT_EQ(Presenter.Shown.size(), 1u);
    EXPECT_EQ(Presenter.Shown[0].Text, QStringLiteral("No curve data available for this test result."));
    EXPECT_EQ(w.Page, frmABTCurve::NoPage);
    EXPECT_FALSE(w.Ready);
    EXPECT_EQ(w.tabCurve->Tab(), 3);
    for (int tab = 0; tab <= 4; ++tab)
        EXPECT_FALSE(w.tabCurve->TabEnabled(tab) || w.lstXMax[static_cast<size_t>(tab)]->isEnabled()) << tab;
    EXPECT_FALSE(w.cmdPrint->isEnabled() || w.mnuFile_Copy->isEnabled() || w.cboLimit[1]->isEnabled());

    // No handler acts.
    const QString pdf = Temp.filePath(QStringLiteral("inert.pdf"));
    SetPrinterOutputFile(pdf);
    QGuiApplication::clipboard()->setText(QStringLiteral("untouched"));
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
    EXPECT_FALSE(QFileInfo::exists(pdf));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("untouched"));
    EXPECT_TRUE(w.lblCoordinate[3]->isHidden());
    EXPECT_EQ(ColourCount(Picture(w, 3), vbWhite), 605 * 285);
}

TEST_F(CurveWindowTest, ReadOutFollowsThePointerAndHidesOverOtherControls)
{
    frmABTCurve& w = Open();
    w.show();
    ClickTab(w, 4);
    QLabel* readOut = w.lblCoordinate[4];
    for (QWidget* other : {static_cast<QWidget*>(w.lblADAP), static_cast<QWidget*>(w.lstYMax[4]->viewport()),
                           static_cast<QWidget*>(w.fraThickness)}) {
        w.picCurve_MouseMove(4, 0, 0, std::log(500.0), std::log(1000.0));
        EXPECT_EQ(readOut->text(), QStringLiteral(" 50.0 kPa / 1,000 mm/s "));
        EXPECT_FALSE(readOut->isHidden());
        QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), other->mapToGlobal(QPointF(2, 2)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(other, &move);
        EXPECT_TRUE(readOut->isHidden()) << other->objectName().toStdString();
    }
    // None for a page not on show.
    w.picCurve_MouseMove(3, 0, 0, 300, 300);
    EXPECT_TRUE(w.lblCoordinate[3]->isHidden());
}

TEST_F(CurveWindowTest, SensorRangesBeyond16BitsAPulseThatDoesNotEndAndUnscalablePages)
{
    ABTCurve curve = AirbagPulse();
    curve.Factor1 = 400;
    curve.S.fill(0);   // no bulge: no strain, no height
    for (int i = 41; i < AbtSampleCount; ++i)
        curve.P2[i] = 700;   // no fall below 15 % of the peak, no pressure below the lower limit
    frmABTCurve& w = Open(curve);
    EXPECT_EQ(w.lblSensorE->text(), QStringLiteral("40000/500 kPa"));
    EXPECT_EQ(Cells(w.grdFallTime), QStringLiteral(">500|ms"));
    EXPECT_EQ(Cells(w.grdADAP) + Cells(w.grdExponent), QStringLiteral("---|---|"));
    // Pages 1 and 2 are cleared, without captions or read-out.
    for (const int page : {1, 2}) {
        ClickTab(w, page);
        const size_t i = static_cast<size_t>(page);
        EXPECT_EQ(ColourCount(Picture(w, page), vbWhite), 605 * 285) << page;
        EXPECT_TRUE(w.lblXCoordinate[i]->text().isEmpty() && w.lblYCoordinate[i]->text().isEmpty()) << page;
        w.picCurve_MouseMove(page, 0, 0, 10, 10);
        EXPECT_TRUE(w.lblCoordinate[i]->isHidden()) << page;
    }
    // The pressure pages still draw.
    ClickTab(w, 0);
    EXPECT_GT(ColourCount(Picture(w, 0), vbBlack), 100);
    EXPECT_EQ(w.lblXCoordinate[0]->text(), QStringLiteral("500 ms"));
}

TEST_F(CurveWindowTest, TextsByLanguage)
{
    // Title, tab 3, fall time, style, reference 2.
    const struct { int16_t language; const char* texts; } cases[] = {
        {1, "ZOLVERA D 7110 QUINTARA III - Kurve analysieren|LD: LD = f (p)|Abfallzeit:|Artikel:|Referenz 2:"},
        {5, "ZOLVERA D 7110 QUINTARA III - Analizar la curva|PA: PA = f (p)|Tiempo de disminución:|Articulo:|Referencia 2:"},
        {6, "ZOLVERA D 7110 QUINTARA III - ||||Ref. 2:"},
    };
    for (const auto& c : cases) {
        Language = c.language;
        frmABTCurve& w = Open();
        EXPECT_EQ(QStringList({w.windowTitle(), w.tabCurve->TabCaption(3), w.lblFallTime->text(), w.lblStyle->text(),
                               w.lblReference[2]->text()}).join(u'|'),
                  QString::fromUtf8(c.texts));
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
    Choose(w.cboThickness, "0.80");
    QGuiApplication::clipboard()->clear();
    w.mnuFile_Copy->trigger();
    const QString copied = QGuiApplication::clipboard()->text();
    // The series, the property, page 2's table and the results the window shows, in this order.
    const char* const parts[] = {
        "Zolvera KR 6450 Curve analysis\r\n\r\nStyle:              \tAirbag 470\r\nReference 2:        \tLot 4711\r\n",
        "Operator:           \tMüller\r\n",
        "Dynamic Air Permeability\r\n",
        "\r\nt [ms]\tEpsilon [%]\tSigma [MPa]\r\n",
        "\r\n499\t",
        "\r\nMax. pressure:      \t80.0\tkPa\r\nRise time:          \t39\tms\r\nFall time:          \t228\tms\r\n\r\n"
        "ADAP:               \t378\tmm/s\r\nExponent:           \t1.81\r\n",
        "Nominal:            \t380\t",
        "Min:                \t350\t",
        "Max:                \t410\t",
    };
    qsizetype at = 0;
    for (const char* part : parts) {
        const qsizetype found = copied.indexOf(QString::fromUtf8(part), at);
        EXPECT_GE(found, at) << part;
        at = std::max(at, found);
    }
    // Half the thickness, twice the stress; the strain stays.
    auto line100 = [](const QString& text) {
        const qsizetype from = text.indexOf(QStringLiteral("\r\n100\t")) + 2;
        return text.mid(from, text.indexOf(QStringLiteral("\r\n"), from) - from).split(u'\t');
    };
    Choose(w.cboThickness, "0.40");
    w.mnuFile_Copy->trigger();
    const QStringList thick = line100(copied);
    const QStringList thin = line100(QGuiApplication::clipboard()->text());
    ASSERT_EQ(thick.size(), 3);
    ASSERT_EQ(thin.size(), 3);
    EXPECT_EQ(thin[1], thick[1]);
    EXPECT_NEAR(thin[2].toDouble() / thick[2].toDouble(), 2.0, 0.01) << thick[2].toStdString() << " " << thin[2].toStdString();

    // On a flow page with the smoothing ticked the flow starts at sample 4,
    // as drawn.
    ClickTab(w, 3);
    w.chkSmoothing->click();
    w.mnuFile_Copy->trigger();
    const QString flow = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(flow.contains(QStringLiteral("\r\nt [ms]\tp2 [kPa]\tv [mm/s]\r\n")));
    EXPECT_TRUE(flow.contains(QRegularExpression(QStringLiteral("\r\n3\t[0-9.,]+\t\r\n4\t[0-9.,]+\t[0-9.,]+\r\n"))));
    ClickTab(w, 2);

    const CurvePageTexts texts = w.PageTexts();
    EXPECT_EQ(texts.XCaption + u'|' + texts.YCaption, w.lblXCoordinate[2]->text() + u'|' + w.lblYCoordinate[2]->text());
    EXPECT_EQ(texts.ADAP, (CurveResultCell{QStringLiteral("ADAP:"), QStringLiteral("378"), QStringLiteral("mm/s"), {}, {}}));
    EXPECT_EQ(texts.Nominal.Value1 + texts.UpperLimit.Caption, QStringLiteral("380Max:"));

    // The page goes to the printer (here a file).
    const QString pdf = Temp.filePath(QStringLiteral("curve.pdf"));
    SetPrinterOutputFile(pdf);
    w.cmdPrint->click();
    EXPECT_GT(QFileInfo(pdf).size(), 1000);
    EXPECT_TRUE(Presenter.Shown.empty());
}

} // namespace
