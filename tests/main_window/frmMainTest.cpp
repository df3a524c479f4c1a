#include "main_window/frmMain.h"

#include "foundation/frmResource.h"
#include "main_window/WindowFixture.h"
#include "platform/Colors.h"
#include "platform/FlexGrid.h"
#include "platform/LoadedForms.h"
#include "platform/PictureBox.h"
#include "platform/SerialDevices.h"
#include "platform/TabControl.h"
#include "platform/TextInput.h"
#include "storage/frmDataSetting.h"
#include "storage/frmQDASSetting.h"
#include "system_settings/frmAbout.h"
#include "system_settings/frmCountrySetting.h"
#include "system_settings/frmPassword.h"
#include "system_settings/frmReferenceTitle.h"
#include "system_settings/frmSystemSettings.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <array>
#include <vector>

namespace {

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

class MainWindowTest : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        DateFormat = 1;
        main_ = frmMain::Instance();
    }

    void ShowAtSize(int widthPixels, int heightPixels)
    {
        main_->show();
        main_->resize(widthPixels, heightPixels);
        QApplication::processEvents();
    }

    // A control's place as the screen shows it, in twips; page controls in
    // the tab control's coordinates.
    QRect Shown(const QWidget* control) const
    {
        const QWidget* base = main_->tabDisplay->isAncestorOf(control) && control != main_->tabDisplay
                                  ? static_cast<const QWidget*>(main_->tabDisplay)
                                  : main_->centralWidget();
        const QPoint at = control->mapTo(base, QPoint(0, 0));
        return QRect(at * 15, control->size() * 15);
    }

    std::vector<std::pair<QWidget*, TwipsRect>> Places() const
    {
        std::vector<std::pair<QWidget*, TwipsRect>> placed;
        for (QWidget* w : main_->findChildren<QWidget*>()) {
            if (main_->Place(w) != TwipsRect{})
                placed.emplace_back(w, main_->Place(w));
        }
        return placed;
    }

    frmMain* main_ = nullptr;
};

// ---------------------------------------------------------------------------
// Controls and menus

// The handlers, the pointer routes and the enabling rules find the
// controls by these names ("lblReference_3" is element 3 of lblReference).
TEST_F(MainWindowTest, EveryControlOfTheWindowIsThereByItsName)
{
    struct Array {
        const char* name;
        int first;
        int last;
    } const arrays[] = {
        {"cboReference", 2, 4}, {"optProtocol", 1, 2},   {"chkLateralAir", 1, 6},   {"picDeviation", 1, 2},
        {"picProfile", 1, 2},   {"picProfileY", 1, 2},   {"picProfileL", 1, 2},     {"picProfileU", 1, 2},
        {"picHistogram", 1, 2}, {"picHistogramX", 1, 2}, {"picHistogramL", 1, 2},   {"picHistogramU", 1, 2},
        {"lblReference", 2, 4}, {"lblParameter", 1, 4},  {"lblLateralAir", 1, 6},   {"lblParameterE", 1, 4},
        {"lblLateralAirE", 1, 6}, {"lblProperty", 1, 6}, {"lblPropertyStatus", 1, 6}, {"lblResult", 1, 2},
        {"lblHistogramXUnit", 1, 2}, {"lblHistogramYMax", 1, 2}, {"lblHistogramYMin", 1, 2},
        {"lblProfileYUnit", 1, 2}, {"lblProfileCoordinate", 1, 2}, {"lblHistogramCoordinate", 1, 2},
        {"imgTerminated", 1, 6},
    };
    for (const Array& a : arrays) {
        for (int i = a.first; i <= a.last; ++i)
            EXPECT_NE(main_->findChild<QWidget*>(QStringLiteral("%1_%2").arg(QLatin1String(a.name)).arg(i)), nullptr)
                << a.name << " " << i;
    }
    // Members and names agree, and the arrays are indexed as named.
    EXPECT_EQ(main_->lblReference[3]->objectName(), U("lblReference_3"));
    EXPECT_EQ(main_->chkLateralAir[6]->objectName(), U("chkLateralAir_6"));
    EXPECT_EQ(main_->picHistogramU[2]->objectName(), U("picHistogramU_2"));
    EXPECT_EQ(main_->picProfileL[1]->objectName(), U("picProfileL_1"));
    EXPECT_EQ(main_->lblCurveCoordinate->parentWidget(), main_->picCurve);
    EXPECT_EQ(main_->lblProfileCoordinate[2]->parentWidget(), main_->picProfile[2]);
    EXPECT_EQ(main_->grdResult->parentWidget(), main_->tabDisplay->Page(0));
    EXPECT_EQ(main_->txtK1087->parentWidget(), main_->tabDisplay->Page(7));
    EXPECT_EQ(main_->tabDisplay->Tabs(), 8);
}

TEST_F(MainWindowTest, MenuBarHoldsTheTreeWithItsSeparatorsAndOnlyItsShortcuts)
{
    // Each menu's items in order, "-" a separator, a shortcut after its item.
    const char* const expected[] = {
        "mnuFile: Copy Ctrl+C, -, Import, -, Password, -, Exit",
        "mnuFunction: Measure Ctrl+M, LongTermAnalysis Ctrl+L",
        "mnuSettings: CountrySettings, -, SystemSettings, -, ReferenceTitle, DataSettings, QDASSettings",
        "mnuStandard: Style Ctrl+S, Reference2to4 Ctrl+O, Operator Ctrl+R, -, ReportForm Ctrl+F, "
        "KeyboardSettings Ctrl+K",
        "mnuInfo: About"};
    QStringList shown;
    for (QAction* entry : main_->menuBar()->actions()) {
        QStringList items;
        for (QAction* item : entry->menu()->actions()) {
            const QString name = item->objectName().section(u'_', 1) + u' ' + item->shortcut().toString();
            items << (item->isSeparator() ? U("-") : name.trimmed());
        }
        shown << entry->menu()->objectName() + U(": ") + items.join(U(", "));
    }
    QStringList texts;
    for (const char* text : expected)
        texts << U(text);
    EXPECT_EQ(shown, texts);
    EXPECT_EQ(main_->mnuFile_Exit->text(), U("&Exit\tAlt+F4"));
    EXPECT_TRUE(main_->mnuFile_Exit->shortcut().isEmpty()) << "Alt+F4 is only shown";
}

TEST_F(MainWindowTest, StoredBoxesTakeOnlyWhatCanBeKeptAndTheValueBoxOnlyANumber)
{
    struct Box {
        QLineEdit* box;
        int limit;
        bool number;
    } const boxes[] = {
        {main_->txtCommentary, 255, false}, {main_->txtK0006, 14, false}, {main_->txtK0016, 32, false},
        {main_->txtK0053, 20, false},       {main_->txtK1031, 20, false}, {main_->txtK1032, 40, false},
        {main_->txtK1086, 40, false},       {main_->txtK1087, 40, false},
        {main_->cboOperator->lineEdit(), 35, false},   {main_->cboReference[2]->lineEdit(), 35, false},
        {main_->cboReference[3]->lineEdit(), 35, false}, {main_->cboReference[4]->lineEdit(), 35, false},
        {main_->txtKeyboard, 6, true},
    };
    auto paste = [](QLineEdit* box, const QString& text) {
        QApplication::clipboard()->setText(text);
        box->paste();
    };
    for (const Box& b : boxes) {
        SCOPED_TRACE(b.box->objectName().isEmpty() ? b.box->parentWidget()->objectName().toStdString()
                                                   : b.box->objectName().toStdString());
        EXPECT_EQ(b.box->maxLength(), b.limit);
        const QString good = b.number ? U("12.5") : U("Müller & Söhne");
        b.box->clear();
        paste(b.box, good);
        EXPECT_EQ(b.box->text(), good);

        // The input rule is installed (its cases are the text input's tests).
        const int beeps = InputBeepCount();
        paste(b.box, b.number ? U("1a") : U("A\tB"));
        EXPECT_EQ(std::pair(b.box->text(), InputBeepCount()), std::pair(good, beeps + 1));

        b.box->clear();
        paste(b.box, QString(b.limit + 5, u'7'));
        EXPECT_EQ(b.box->text(), QString(b.limit, u'7')) << "cut at the limit";
    }
}

// ---------------------------------------------------------------------------
// Captions

TEST_F(MainWindowTest, CaptionsFollowTheLanguage)
{
    main_->lblReference[2]->setText(U("kept"));
    const struct {
        int language;
        std::array<const char*, 7> texts;   // file menu, Exit, lateral air, tab 5, Tests, Terminate, K1031
    } cases[] = {
        {1, {"&Datei", "&Beenden\tAlt+F4", "Seitenluft:", "Histogramm 2", "Anzahl:", "Protokoll &beenden",
             "Stücklistenversion (K1031):"}},
        {2, {"&File", "&Exit\tAlt+F4", "Lateral air:", "Histogram 2", "Tests:", "&Terminate test report",
             "Stücklistenversion (K1031):"}},
        {3, {"&Fichier", "&Terminer\tAlt+F4", "Air latéral:", "Histogramme 2", "Nb. mes.:", "&Terminer le protocole",
             "Stücklistenversion (K1031):"}},
        {4, {"&File", "&Terminare\tAlt+F4", "Aria lat.:", "Istogramma 2", "No. mis.:", "&Terminare il protocollo",
             "Stücklistenversion (K1031):"}},
        {5, {"&Fichero", "&Terminar\tAlt+F4", "Aire lateral:", "Histograma 2", "No. med.:", "&Terminar el protocolo",
             "Stücklistenversion (K1031):"}},
        {6, {"", "\tAlt+F4", "", "", "", "", ""}},   // a language without texts
        {-1, {"", "\tAlt+F4", "", "", "", "", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        main_->SetLanguageCaptions(c.language);
        EXPECT_EQ(main_->windowTitle(), U("ZOLVERA D 7110 QUINTARA III"));
        const QStringList shown = {main_->mnuFile->title(),         main_->mnuFile_Exit->text(),
                                   main_->lblLateralAir[5]->text(), main_->tabDisplay->TabCaption(5),
                                   main_->lblTest->text(),          main_->cmdTerminateProtocol->text(),
                                   main_->lblK1031->text()};
        QStringList expected;
        for (const char* text : c.texts)
            expected << U(text);
        EXPECT_EQ(shown, expected);
        for (QAction* line : {main_->mnuFile_Line1, main_->mnuFile_Line3, main_->mnuStandard_Line1})
            EXPECT_TRUE(line->isSeparator() && line->text().isEmpty()) << "a plain line, no text beside it";
        EXPECT_EQ(main_->lblReference[2]->text(), U("kept")) << "reference captions are not fixed texts";
        // A frame label ends at least two pixels before its grid ("Nominale:", "No. med.:").
        const std::pair<QLabel*, FlexGrid*> rows[] = {
            {main_->lblAvg, main_->grdAvg},         {main_->lblCI, main_->grdCI},
            {main_->lblNominal, main_->grdNominal}, {main_->lblTest, main_->grdTest},
            {main_->lblNominalCI, main_->grdNominalCI}};
        for (const auto& [label, grid] : rows)
            EXPECT_LE(label->x() + QFontMetricsF(label->font()).horizontalAdvance(label->text()), grid->x() - 2)
                << label->text().toStdString();
    }
}

TEST_F(MainWindowTest, ReferenceTitlesComeFromTheLanguagesSlot)
{
    ReferenceTitles titles;
    for (size_t i = 0; i < titles.Titles.size(); ++i)
        titles.Titles[i] = QStringLiteral("T%1").arg(i);
    struct Case {
        int language;
        const char* expected[3];
    } const cases[] = {
        {1, {"T0", "T1", "T2"}},    {2, {"T3", "T4", "T5"}},    {5, {"T12", "T13", "T14"}},
        {6, {"T15", "T16", "T17"}}, {0, {"T15", "T16", "T17"}}, {7, {"T15", "T16", "T17"}},
        {-1, {"T15", "T16", "T17"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        main_->SetReferenceTitles(titles, c.language);
        for (size_t k = 0; k < 3; ++k)
            EXPECT_EQ(main_->lblReference[2 + k]->text(), U(c.expected[k]));
    }
    main_->SetReferenceTitles(ReferenceTitles{}, 2);
    for (size_t k = 2; k <= 4; ++k)
        EXPECT_EQ(main_->lblReference[k]->text(), QString());
}

TEST_F(MainWindowTest, LoadingShowsTheSettingsTitlesPicturesGridsAndTheMoment)
{
    // Loaded in English with the default titles.
    EXPECT_EQ(main_->lblReference[2]->text(), RefTitles.Titles[3]);
    EXPECT_EQ(main_->lblStyle->text(), U("Style:"));
    EXPECT_EQ(main_->lblDateTimeE->text(), U("24.12.2011, 14:05:09"));
    EXPECT_FALSE(main_->imgNoConnection->isHidden()) << "the port is closed";
    frmResource* resource = frmResource::Instance();
    const std::pair<QLabel*, QPixmap> pictures[] = {
        {main_->imgFlip, resource->imgFlip}, {main_->imgPrint, resource->imgPrint},
        {main_->imgNotPrint, resource->imgCross}, {main_->imgNoConnection, resource->imgNoConnection},
        {main_->imgFolder, resource->imgFolder},
    };
    for (const auto& [image, picture] : pictures)
        EXPECT_EQ(image->pixmap().toImage(), picture.toImage()) << image->objectName().toStdString();
    EXPECT_EQ(main_->timDateTime->interval(), 500);
    // No property is shown yet, so no lateral-air row either.
    for (size_t i = 1; i <= 6; ++i)
        EXPECT_TRUE(main_->chkLateralAir[i]->isHidden() && main_->lblLateralAirE[i]->isHidden()) << i;

    // The value grids take the value layout (its columns are checked with the grid rules).
    for (FlexGrid* grid : {main_->grdAvg, main_->grdCI, main_->grdNominalCI, main_->grdTest})
        EXPECT_EQ(std::pair(grid->Cols(), grid->Enabled()), std::pair(5, false));
    for (QLabel* readOut : {main_->lblProfileCoordinate[1], main_->lblHistogramCoordinate[2], main_->lblCurveCoordinate}) {
        EXPECT_EQ(readOut->palette().color(QPalette::Window), ToQColor(vbInfoBackground));
        EXPECT_EQ(readOut->palette().color(QPalette::WindowText), ToQColor(vbInfoText));
        EXPECT_TRUE(readOut->isHidden() && readOut->testAttribute(Qt::WA_TransparentForMouseEvents));
    }
}

// ---------------------------------------------------------------------------
// Layout

TEST_F(MainWindowTest, WiderAndTallerWindowsMoveAndStretchTheAreas)
{
    // At the least size every rule gives back the design place.
    const auto before = Places();
    ASSERT_GT(before.size(), 140u);
    ShowAtSize(200, 100);
    EXPECT_EQ(std::pair(main_->Width(), main_->Height()), std::pair(12120, 9150));
    for (const auto& [control, place] : before)
        EXPECT_EQ(main_->Place(control), place) << control->objectName().toStdString();
    EXPECT_EQ(main_->shpReference.Width, 6435);
    EXPECT_EQ(Shown(main_->cboStyle).width(), 5055);
    EXPECT_EQ(Shown(main_->tabDisplay), QRect(60, 1890, 7515, 5025));
    EXPECT_EQ(main_->shpStatistic.Top, 6960);
    EXPECT_EQ(main_->shpNominal.Left, 4440);
    EXPECT_EQ(main_->shpNominal.Width, 4335);
    EXPECT_EQ(Shown(main_->grdResult), QRect(120, 570, 7035, 4320));
    EXPECT_EQ(Shown(main_->picProfileL[2]).top(), 4785);
    const FormShape reference = main_->shpReference;
    const FormShape statistic = main_->shpStatistic;
    const FormShape nominal = main_->shpNominal;
    const FormShape property = main_->shpProperty;
    const QSize least = main_->size();

    // 1500 twips wider and 600 twips taller.
    main_->resize(least + QSize(100, 40));
    QApplication::processEvents();
    ASSERT_EQ(main_->Width(), 12120 + 1500);
    ASSERT_EQ(main_->Height(), 9150 + 600);

    auto was = [&before](const QWidget* control) {
        for (const auto& [c, place] : before) {
            if (c == control)
                return place;
        }
        return TwipsRect{};
    };
    auto moved = [&](const QWidget* control) {
        const TwipsRect now = main_->Place(control);
        const TwipsRect then = was(control);
        return TwipsRect{now.Left - then.Left, now.Top - then.Top, now.Width - then.Width, now.Height - then.Height};
    };
    struct Case {
        const QWidget* control;
        TwipsRect change;
    } const cases[] = {
        {main_->tabDisplay, {0, 0, 1500, 600}},
        {main_->cboStyle, {0, 0, 1500, 0}},
        {main_->cboReference[4], {0, 0, 1500, 0}},
        {main_->cboOperator, {0, 0, 1500, 0}},
        {main_->lblDateTime, {1500, 0, 0, 0}},
        {main_->lblParameterE[3], {1500, 0, 0, 0}},
        {main_->lblSerialNumberE, {1500, 0, 0, 0}},
        {main_->imgFolder, {1500, 0, 0, 0}},
        {main_->optProtocol[2], {1500, 0, 0, 0}},
        {main_->cboProtocol, {1500, 0, 0, 0}},
        {main_->imgFlip, {1500, 0, 0, 0}},
        {main_->lblLateralAirE[6], {1500, 0, 0, 0}},
        {main_->imgTerminated[1], {1500, 0, 0, 0}},
        {main_->cmdPreview, {1500, 600, 0, 0}},
        {main_->cmdTerminateProtocol, {1500, 600, 0, 0}},
        {main_->imgNoConnection, {1500, 600, 0, 0}},
        {main_->imgPrint, {1500, 600, 0, 0}},
        {main_->imgNotPrint, {1500, 600, 0, 0}},
        {main_->txtKeyboard, {1500, 600, 0, 0}},
        {main_->cmdMeasure, {1500, 600, 0, 0}},
        {main_->pgbProgress, {1500, 600, 0, 0}},
        {main_->grdResult, {0, 0, 1500, 600}},
        {main_->picDeviation[1], {1500, 0, 0, 300}},
        {main_->picDeviation[2], {1500, 300, 0, 300}},
        {main_->picProfile[1], {0, 0, 1500, 600}},
        {main_->picProfileL[1], {0, 600, 1500, 0}},
        {main_->picHistogramU[2], {1500, 0, 0, 600}},
        {main_->picHistogramX[2], {0, 600, 1500, 0}},
        {main_->lblHistogramYMin[1], {0, 600, 0, 0}},
        {main_->picCurve, {0, 0, 1500, 600}},
        {main_->lblCurveXMax, {0, 600, 1500, 0}},
        {main_->cmdAnalyzeCurve, {0, 600, 1500, 0}},
        {main_->txtCommentary, {0, 0, 1500, 0}},
        {main_->lblAvg, {0, 600, 0, 0}},
        {main_->grdCI, {0, 600, 0, 0}},
        {main_->lblNominal, {750, 600, 0, 0}},
        {main_->grdNominalCI, {750, 600, 0, 0}},
        {main_->lblStyle, {0, 0, 0, 0}},
        {main_->grdMin, {0, 600, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control->objectName().toStdString());
        EXPECT_EQ(moved(c.control), c.change);
        // The screen shows the place.
        const TwipsRect now = main_->Place(c.control);
        EXPECT_EQ(Shown(c.control), QRect(static_cast<int>(now.Left), static_cast<int>(now.Top),
                                          static_cast<int>(now.Width), static_cast<int>(now.Height)));
    }
    EXPECT_EQ(main_->shpReference.Width - reference.Width, 1500);
    EXPECT_EQ(std::pair(main_->shpStatistic.Width - statistic.Width, main_->shpStatistic.Top - statistic.Top),
              std::pair(750.0, 600.0));
    EXPECT_EQ(std::pair(main_->shpNominal.Width - nominal.Width, main_->shpNominal.Left - nominal.Left),
              std::pair(750.0, 750.0));
    EXPECT_EQ(std::pair(main_->shpProperty.Left - property.Left, main_->shpProperty.Height - property.Height),
              std::pair(1500.0, 600.0));
    EXPECT_EQ(main_->linProtocolSeparator[5].X1, main_->shpProperty.Left);
    EXPECT_EQ(main_->linProtocolSeparator[5].X2, main_->shpProperty.Left + main_->shpProperty.Width);

    int32_t used = 285;
    for (int c = 0; c < 6; ++c)
        used += main_->grdResult->ColWidth(c);
    EXPECT_EQ(main_->grdResult->ColWidth(6), static_cast<int32_t>(main_->Place(main_->grdResult).Width) - used);

    // Smaller than the least size: back to it.
    main_->resize(300, 200);
    QApplication::processEvents();
    EXPECT_EQ(std::pair(main_->Width(), main_->Height()), std::pair(12120, 9150));
    for (const auto& [control, place] : before)
        EXPECT_EQ(main_->Place(control), place) << control->objectName().toStdString();
}

// At the least size and larger, no visible control is cut by the window's
// edge or by the control that holds it.
TEST_F(MainWindowTest, EveryControlLiesWhollyInsideTheWindowAtEverySize)
{
    for (const QSize size : {QSize(200, 100), QSize(900, 700), QSize(1500, 950)}) {
        ShowAtSize(size.width(), size.height());
        for (const QWidget* w : main_->findChildren<QWidget*>()) {
            if (!w->isVisibleTo(main_) || w->isWindow() || qobject_cast<const QAbstractScrollArea*>(w->parentWidget()))
                continue;
            EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry()))
                << w->objectName().toStdString() << " at " << size.width() << "x" << size.height();
        }
    }
}

TEST_F(MainWindowTest, AMinimisedWindowKeepsItsLayoutUntilRestored)
{
    ShowAtSize(200, 100);
    const TwipsRect tab = main_->Place(main_->tabDisplay);
    main_->setWindowState(Qt::WindowMinimized);
    QApplication::processEvents();
    EXPECT_EQ(main_->WindowState(), 1);
    main_->resize(main_->size() + QSize(60, 0));
    main_->centralWidget()->resize(main_->centralWidget()->size() + QSize(60, 0));
    main_->Form_Resize();
    EXPECT_EQ(main_->Place(main_->tabDisplay), tab);

    main_->setWindowState(Qt::WindowNoState);
    QApplication::processEvents();
    EXPECT_EQ(main_->WindowState(), 0);
    EXPECT_EQ(main_->Place(main_->tabDisplay).Width, static_cast<double>(main_->Width() - 4605));
}

// ---------------------------------------------------------------------------
// Pointer, guard and unloading

TEST_F(MainWindowTest, RefreshingHoldsWhileAnyGuardLives)
{
    EXPECT_FALSE(main_->Refreshing());
    {
        frmMain::RefreshGuard outer(*main_);
        {
            frmMain::RefreshGuard inner(*main_);
            EXPECT_TRUE(main_->Refreshing());
        }
        EXPECT_TRUE(main_->Refreshing());
    }
    EXPECT_FALSE(main_->Refreshing());
}

TEST_F(MainWindowTest, ClosingUnloadsEveryOtherWindowThroughItsOwnUnload)
{
    // No real port is probed by the data settings.
    std::vector<QByteArray> names;
    for (int n = 1; n <= 8; ++n) {
        names.push_back(SerialPortEnvironmentName(n).toLatin1());
        qputenv(names.back().constData(), QByteArray("/nonexistent/ttyQ"));
    }
    // Dialogs loaded but not shown, as a window left behind at exit is.
    frmDataSetting::Instance(), frmQDASSetting::Instance(), frmAbout::Instance(), frmCountrySetting::Instance();
    frmPassword::Instance(), frmReferenceTitle::Instance(), frmSystemSettings::Instance();
    ASSERT_TRUE(frmResource::IsLoaded());
    Close();
    const bool loaded[] = {frmMain::IsLoaded(),          frmDataSetting::IsLoaded(),    frmQDASSetting::IsLoaded(),
                           frmAbout::IsLoaded(),         frmCountrySetting::IsLoaded(), frmPassword::IsLoaded(),
                           frmReferenceTitle::IsLoaded(), frmSystemSettings::IsLoaded(), frmResource::IsLoaded()};
    for (size_t k = 0; k < std::size(loaded); ++k)
        EXPECT_FALSE(loaded[k]) << k;
    EXPECT_TRUE(LoadedForms().empty());
    EXPECT_TRUE(QFile::exists(folder_.filePath(QStringLiteral("QUINTARA.DAT")))) << "settings saved";
    for (const QByteArray& name : names)
        qunsetenv(name.constData());
}

} // namespace
