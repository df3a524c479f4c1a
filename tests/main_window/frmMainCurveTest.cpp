#include "main_window/frmMain.h"

#include "curves/modABTCurve.h"
#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "main_window/WindowFixture.h"
#include "platform/OleDate.h"
#include "platform/PictureBox.h"
#include "platform/ProgramFolder.h"
#include "platform/TabControl.h"
#include "support/ScriptedPresenter.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <functional>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

constexpr int32_t DarkGreen = 32768;

QString U(const char* text) { return QString::fromUtf8(text); }

// A pressure pulse as the instrument records it: the chamber pressure rises
// to `peak` (0.1 kPa) at 40 ms and decays, the reservoir empties into it,
// the fabric bulges. The header is a KR 6450 reading with the given
// reservoir volume (parameter 1) and evaluation range (parameter 3).
ABTCurve Pulse(float peak, const std::string& volume = "   400", const std::string& range = "150/50")
{
    Fields f = KR6450Reading();
    f.P1 = volume;
    f.P3 = range;
    ABTCurve c = EmptyABTCurve;
    c.Header = Build(f);
    c.Factor1 = 3;
    c.Factor2 = 2;
    for (int i = 0; i < AbtSampleCount; ++i) {
        const double t = i;
        c.P1[i] = static_cast<float>(1000 + 2000 * std::exp(-t / 30));
        c.P2[i] = static_cast<float>(i < 40 ? peak * t / 40 : peak * std::exp(-(t - 40) / 120));
        c.S[i] = static_cast<float>(3.0 * (1 - std::exp(-t / 25)) * (i < 40 ? 1 : std::exp(-(t - 40) / 400)));
    }
    return c;
}

// A flat curve: the pressure never leaves 0 (a dead sensor).
ABTCurve Flat()
{
    ABTCurve c = Pulse(0);
    c.P1.fill(0);
    c.P2.fill(0);
    c.S.fill(0);
    return c;
}

// The merged second reading of a pressure-drop test as the test keeps it:
// both pressures (Pa), the nominal flow with its unit code, and the flows
// at the first and second pressure in mm/s.
std::string PressureDrop(const std::string& p1, const std::string& p2, const std::string& nominal,
                         const std::string& flow1, const std::string& flow2, const std::string& unit = "H")
{
    return Build({.Id = "KR 6420", .Serial = "123", .P1 = p1, .U1 = "?", .P2 = p2, .U2 = "?", .P4 = nominal,
                  .U4 = unit, .R1 = flow1, .RU1 = "?", .R2 = flow2, .RU2 = "?"});
}

TestValue WithCurve(const std::string& curveText, bool deleted = false)
{
    TestValue t = MakeEmptyTestValue();
    t.Value1 = 1;
    t.Value2 = 2;
    t.CurveFile = curveText;
    t.Deleted = deleted;
    return t;
}

class CurveThumbnailTest : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        DataFolder = folder_.path() + QStringLiteral("/Data");
        ASSERT_TRUE(QDir().mkpath(DataFolder));
        main_ = frmMain::Instance();
    }
    // A curve file in the data folder; its bare name.
    std::string Stored(const ABTCurve& curve)
    {
        const QString name = abtFilePut(curve, DateSerial(2024, 1, 5) + TimeSerial(13, 7, stamp_++));
        EXPECT_FALSE(name.isEmpty());
        return name.toStdString();
    }
    // Open series 1 whose current property is of the test type, with these
    // curve texts in tests 1, 2, ...
    void Open(int testType, const std::vector<TestValue>& tests)
    {
        Protocol p = MakeEmptyProtocol();
        p.FormIndex = 1;
        p.CurrentProperty = 2;
        p.Style.Forms[1].Items[2] = ReportFormItem{static_cast<int16_t>(testType), false, true};
        p.Blocks[2].Values.resize(1);
        p.Blocks[2].Values.insert(p.Blocks[2].Values.end(), tests.begin(), tests.end());
        Protocols = {MakeEmptyProtocol(), p};
        CurrentProtocol = 1;
    }
    // As the series display does: cleared, then drawn.
    void Show()
    {
        main_->picCurve->Surface().Cls();
        main_->lblCurveXMax->setText(QString());
        main_->lblCurveYMax->setText(QString());
        main_->DrawCurveThumbnail();
    }
    const DrawingSurface& Picture() const { return main_->picCurve->Surface(); }
    // The window the picture is scaled to: x1, y1, x2, y2.
    std::array<double, 4> Window() const
    {
        const DrawingSurface& s = Picture();
        return {s.ScaleLeft(), s.ScaleTop() + s.ScaleHeight(), s.ScaleLeft() + s.ScaleWidth(), s.ScaleTop()};
    }
    QString ReadOut(double x, double y)
    {
        main_->lblCurveCoordinate->setText(U("stale"));
        main_->lblCurveCoordinate->show();
        main_->picCurve_MouseMove(0, 0, x, y);
        return main_->lblCurveCoordinate->isHidden() ? QString() : main_->lblCurveCoordinate->text();
    }

    frmMain* main_ = nullptr;
    int stamp_ = 0;
};

// ---------------------------------------------------------------------------
// Airbag curves

TEST_F(CurveThumbnailTest, AirbagCurvesShareTheFirstCurvesScaleAndMaxima)
{
    const std::string small = Stored(Pulse(240));
    const std::string large = Stored(Pulse(800, "  1500", "400/90"));
    Open(18, {WithCurve(small)});
    Show();
    const std::array<double, 4> first = Window();
    EXPECT_EQ(first[0], 0);
    EXPECT_EQ(first[1], 0);
    EXPECT_EQ(first[2], 250) << "the peak of 240 raised to the next axis value";
    ASSERT_GT(first[3], 0) << "the flow axis";
    EXPECT_EQ(main_->lblCurveXMax->text(), U("25 kPa"));
    EXPECT_EQ(main_->lblCurveYMax->text(), QLocale(U("en_US")).toString(std::lround(first[3])) + U(" mm/s"));
    EXPECT_GT(Count(main_->picCurve, vbRed), 0) << "the rise to the peak";
    EXPECT_GT(Count(main_->picCurve, vbBlack), 0) << "the fall after it";
    const int alone = Count(main_->picCurve, vbBlack) + Count(main_->picCurve, vbRed);

    // A larger curve after it is drawn on the same scale, the labels kept;
    // a larger one first sets a larger scale.
    Open(18, {WithCurve(small), WithCurve(large)});
    Show();
    EXPECT_EQ(Window(), first);
    EXPECT_EQ(main_->lblCurveXMax->text(), U("25 kPa"));
    EXPECT_GT(Count(main_->picCurve, vbBlack) + Count(main_->picCurve, vbRed), alone);
    Open(18, {WithCurve(large), WithCurve(small)});
    Show();
    EXPECT_EQ(Window()[2], 800);
    EXPECT_EQ(main_->lblCurveXMax->text(), U("80 kPa"));
}

TEST_F(CurveThumbnailTest, ARedrawNeverShowsACurveItsTestPropertySeriesOrFileNoLongerHas)
{
    // The first curve drawn sets the scale: 250 for the small pulse, 800 for
    // the large one. The large one's name in another folder holds a small pulse.
    const std::string small = Stored(Pulse(240));
    const std::string large = Stored(Pulse(800, "  1500", "400/90"));
    QTemporaryDir other;
    const QString data = DataFolder;
    DataFolder = other.path();
    stamp_ = 1;
    ASSERT_EQ(Stored(Pulse(240)), large);
    DataFolder = data;
    Open(18, {WithCurve(small), WithCurve(large)});
    Protocols[1].Style.Forms[1].Items[3] = ReportFormItem{18, false, true};
    Protocols[1].Blocks[3].Values.push_back(WithCurve(large));
    auto tests = []() -> std::vector<TestValue>& { return Protocols[1].Blocks[2].Values; };
    const struct {
        const char* change;
        std::function<void()> apply;
        double scale;
    } steps[] = {
        {"first drawing", [] {}, 250},
        {"test 1 deleted", [&] { tests()[1].Deleted = true; }, 800},
        {"test 1 back", [&] { tests()[1].Deleted = false; }, 250},
        {"test 1 edited to the large curve", [&] { tests()[1].CurveFile = large; }, 800},
        {"test 1 edited back", [&] { tests()[1].CurveFile = small; }, 250},
        {"property 3 shown", [] { Protocols[1].CurrentProperty = 3; }, 800},
        {"property 2 again", [] { Protocols[1].CurrentProperty = 2; }, 250},
        {"another series", [&] { Open(18, {WithCurve(large), WithCurve(small)}); }, 800},
        {"another data folder", [&] { DataFolder = other.path(); }, 250},
        {"the data folder again", [&] { DataFolder = data; }, 800},
        {"the file replaced", [&] {
             const QString path = data + U("/") + QString::fromStdString(large);
             QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
             QFile::remove(path);
             QFile::copy(other.filePath(QString::fromStdString(large)), path);
         }, 250},
        {"a test added, drawn over the kept picture", [&] { tests().push_back(WithCurve(Stored(Pulse(200)))); }, 250},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.change);
        step.apply();
        Show();
        EXPECT_EQ(Window()[2], step.scale);
        // The same as drawn from nothing kept (another spelling of the
        // folder); then drawn again, kept for the next change.
        const QImage shown = Picture().Image();
        const QString folder = DataFolder;
        DataFolder += U("/");
        Show();
        EXPECT_EQ(shown, Picture().Image());
        DataFolder = folder;
        Show();
    }
}

// A curve file rewritten in place, same size, whose modification time (past
// 2262, as ext4 keeps it) moved by one nanosecond only, is read again.
TEST_F(CurveThumbnailTest, AFileDatedAfter2262IsReadAgainWhenItsTimeMovesByOneNanosecond)
{
    const std::string name = Stored(Pulse(240));
    const QString path = DataFolder + U("/") + QString::fromStdString(name);
    QTemporaryDir other;
    const QString data = DataFolder;
    DataFolder = other.path();
    stamp_ = 0;
    ASSERT_EQ(Stored(Pulse(800, "  1500", "400/90")), name);
    DataFolder = data;
    QFile larger(other.filePath(QString::fromStdString(name)));
    ASSERT_TRUE(larger.open(QIODevice::ReadOnly));
    const QByteArray largerBytes = larger.readAll();
    ASSERT_EQ(largerBytes.size(), QFileInfo(path).size());

    const auto setModified = [&](long nanoseconds) {
        // 2300-01-01 00:00:00 UTC
        const struct timespec times[2] = {{10413792000, nanoseconds}, {10413792000, nanoseconds}};
        return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
    };
    ASSERT_TRUE(setModified(0));
    Open(18, {WithCurve(name)});
    Show();
    EXPECT_EQ(Window()[2], 250);

    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_EQ(file.write(largerBytes), largerBytes.size());
    file.close();
    ASSERT_TRUE(setModified(1));
    Show();
    EXPECT_EQ(Window()[2], 800);
}

TEST_F(CurveThumbnailTest, CurvesThatCannotBeDrawnAreSkippedAndLeaveTheScaleToTheNext)
{
    const std::string good = Stored(Pulse(240));
    Open(18, {WithCurve(good)});
    Show();
    const std::array<double, 4> goodWindow = Window();
    const QString goodY = main_->lblCurveYMax->text();

    // A curve file cut short, and one whose samples are not numbers.
    const std::string cut = Stored(Pulse(240));
    const QString cutPath = DataFolder + U("/") + QString::fromStdString(cut);
    QFile::setPermissions(cutPath, QFile::ReadOwner | QFile::WriteOwner);
    QFile::resize(cutPath, 3000);
    ABTCurve damaged = Pulse(240);
    damaged.P2[100] = std::nanf("");
    const std::string notNumbers = Stored(damaged);

    const struct {
        const char* what;
        TestValue test;
    } unusable[] = {
        {"flat curve", WithCurve(Stored(Flat()))},
        {"no reservoir volume: no flow", WithCurve(Stored(Pulse(240, "   abc", "   abc")))},
        {"missing file", WithCurve("2001.01.01, 00.00.00.ABT")},
        {"name outside the data folder", WithCurve("../x.ABT")},
        {"file cut short", WithCurve(cut)},
        {"samples that are not numbers", WithCurve(notNumbers)},
        {"deleted test", WithCurve(Stored(Pulse(800)), true)},
        {"pressure drop without nominal flow", WithCurve(PressureDrop("   100", "   200", "      ", "    50", "    80"))},
        {"pressure drop at equal pressures", WithCurve(PressureDrop("   100", "   100", "   100", "    50", "    80"))},
        {"pressure drop without flow", WithCurve(PressureDrop("   100", "   200", "   100", "     0", "    80"))},
    };
    for (const auto& u : unusable) {
        SCOPED_TRACE(u.what);
        // Alone it leaves picture and labels empty, and no read-out.
        Open(18, {u.test});
        Show();
        EXPECT_TRUE(Blank(main_->picCurve));
        EXPECT_EQ(main_->lblCurveXMax->text(), QString());
        EXPECT_EQ(main_->lblCurveYMax->text(), QString());
        EXPECT_EQ(ReadOut(100, 10), QString());
        // Before a good curve it leaves the scale to that one.
        Open(18, {u.test, WithCurve(good)});
        Show();
        EXPECT_EQ(Window(), goodWindow);
        EXPECT_EQ(main_->lblCurveXMax->text(), U("25 kPa"));
        EXPECT_EQ(main_->lblCurveYMax->text(), goodY);
        EXPECT_FALSE(ReadOut(100, 10).isEmpty());
    }
}

// ---------------------------------------------------------------------------
// Pressure-drop diagrams

TEST_F(CurveThumbnailTest, PressureDropDiagramIsDrawnOnLogarithmicAxes)
{
    // 50 mm/s at 100 Pa, 80 mm/s at 200 Pa, nominal 100 mm/s: flow axis 10
    // to 1000; the fitted pressure at 10 mm/s is 9.33 Pa, at 1000 mm/s 8300.
    Open(17, {WithCurve(PressureDrop("   100", "   200", "   100", "    50", "    80"))});
    Show();
    const std::array<double, 4> w = Window();
    EXPECT_NEAR(w[0], std::log(10.0), 1e-6);
    EXPECT_NEAR(w[1], std::log(5.0), 1e-6);
    EXPECT_NEAR(w[2], std::log(1000.0), 1e-6);
    EXPECT_NEAR(w[3], std::log(10000.0), 1e-6);
    EXPECT_EQ(main_->lblCurveXMax->text(), U("1,000 mm/s"));
    EXPECT_EQ(main_->lblCurveYMax->text(), U("10,000 Pa"));
    EXPECT_TRUE(Near(main_->picCurve, std::log(50.0), std::log(100.0), vbBlack)) << "the first measured point";
    EXPECT_TRUE(Near(main_->picCurve, std::log(80.0), std::log(200.0), vbBlack)) << "the second";
    EXPECT_TRUE(Near(main_->picCurve, std::log(100.0), std::log(1000.0), DarkGreen)) << "the nominal flow";

    // A curve text of the pressure-drop family is a reading whatever the
    // test type. The two kinds do not share axes (logarithmic and linear):
    // whichever comes first keeps the picture, its scale and the labels.
    const std::string airbag = Stored(Pulse(240));
    const QImage diagram = Picture().Image();
    const std::string reading = PressureDrop("   100", "   200", "   100", "    50", "    80");
    Open(17, {WithCurve(reading), WithCurve(airbag), WithCurve(reading)});
    Show();
    EXPECT_EQ(Window(), w);
    EXPECT_EQ(Picture().Image(), diagram);
    EXPECT_EQ(main_->lblCurveXMax->text(), U("1,000 mm/s"));
    EXPECT_EQ(main_->lblCurveYMax->text(), U("10,000 Pa"));
    EXPECT_EQ(ReadOut(std::log(100.0), std::log(1000.0)), U(" 100 mm/s / 1,000 Pa "));
    Open(18, {WithCurve(airbag), WithCurve(reading)});
    Show();
    EXPECT_EQ(Window()[2], 250);
    EXPECT_EQ(Count(main_->picCurve, DarkGreen), 0);
    EXPECT_EQ(main_->lblCurveXMax->text(), U("25 kPa"));
}

// ---------------------------------------------------------------------------
// Read-out

TEST_F(CurveThumbnailTest, ReadOutShowsTheCurveCoordinatesOnlyOverADrawnCurve)
{
    const std::string airbag = Stored(Pulse(240));
    const std::string reading = PressureDrop("   100", "   200", "   100", "    50", "    80");
    TestValue waiting = MakeEmptyTestValue();
    waiting.Value1 = NoValue;
    waiting.Value2 = 50;
    const struct {
        const char* what;
        int testType;
        std::vector<TestValue> tests;
        double x, y;
        const char* text;   // "" for no read-out
    } cases[] = {
        {"airbag", 18, {WithCurve(airbag)}, 123, 45.6, " 12.3 kPa / 45.6 mm/s "},
        {"airbag, nothing drawn", 18, {WithCurve(Stored(Flat()))}, 123, 45.6, ""},
        {"airbag, no tests", 18, {}, 123, 45.6, ""},
        {"test type 14 draws but reads nothing", 14, {WithCurve(airbag)}, 123, 45.6, ""},
        {"pressure drop", 17, {WithCurve(reading)}, std::log(100.0), std::log(1000.0), " 100 mm/s / 1,000 Pa "},
        {"pressure drop in m/s", 17, {WithCurve(PressureDrop("   100", "   200", "   0.1", "    50", "    80", "J"))},
         std::log(0.2), std::log(50.0), " 0.200 m/s / 50.0 Pa "},
        {"pressure drop, newest test waiting", 17, {WithCurve(reading), waiting}, 4.6, 6.9, ""},
        {"pressure-drop curve under test type 18", 18, {WithCurve(reading)}, 4.6, 6.9, ""},
        {"airbag curve under test type 17", 17, {WithCurve(airbag)}, 123, 45.6, ""},
        {"beyond every border", 18, {WithCurve(airbag)}, -1e300 * 1e300, 1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Open(c.testType, c.tests);
        Show();
        EXPECT_EQ(ReadOut(c.x, c.y), U(c.text));
    }
    // No series shown.
    CurrentProtocol = 5;
    EXPECT_EQ(ReadOut(123, 45.6), QString());

    // The pointer over the picture, also over the label on it, shows the
    // read-out; elsewhere it is hidden.
    Open(18, {WithCurve(airbag)});
    main_->picCurve->setEnabled(true);
    main_->show();
    main_->tabDisplay->SetTab(6);
    main_->tabDisplay_Click(0);
    QApplication::processEvents();
    QTest::mouseMove(main_->picCurve, main_->picCurve->rect().center());
    EXPECT_TRUE(main_->lblCurveCoordinate->text().contains(U(" kPa / ")));
    QTest::mouseMove(main_->lblCurveCoordinate, main_->lblCurveCoordinate->rect().center());
    EXPECT_FALSE(main_->lblCurveCoordinate->isHidden());
    QTest::mouseMove(main_->cmdAnalyzeCurve, main_->cmdAnalyzeCurve->rect().center());
    EXPECT_TRUE(main_->lblCurveCoordinate->isHidden());
}


// ---------------------------------------------------------------------------
// Curve page

TEST_F(CurveThumbnailTest, CurvePageDrawsTheThumbnailAnewAlsoAfterAResize)
{
    Open(18, {WithCurve(Stored(Pulse(240)))});
    main_->show();
    QApplication::processEvents();
    // Whatever the picture held before is replaced.
    main_->picCurve->Surface().BoxFilled(0, 0, 20000, 20000, vbBlue);
    main_->lblCurveXMax->setText(U("old"));
    main_->tabDisplay->SetTab(6);
    main_->tabDisplay_Click(0);
    EXPECT_EQ(Count(main_->picCurve, vbBlue), 0);
    EXPECT_EQ(main_->lblCurveXMax->text(), U("25 kPa"));
    EXPECT_TRUE(main_->picDeviation[1]->isHidden());

    // A resize redraws the page at the new size, not the old drawing stretched.
    const QSize before = Picture().Image().size();
    main_->resize(main_->size() + QSize(300, 200));
    QApplication::processEvents();
    main_->Form_Resize();
    const QImage redrawn = Picture().Image();
    ASSERT_NE(redrawn.size(), before);
    Show();
    EXPECT_EQ(redrawn, Picture().Image());
}

} // namespace
