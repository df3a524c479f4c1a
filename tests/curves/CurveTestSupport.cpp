#include "CurveTestSupport.h"

#include "foundation/Records.h"
#include "foundation/modGlobals.h"
#include "instrument/modDataString.h"
#include "platform/Colors.h"
#include "platform/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cmath>

void CurveTest::SetUp()
{
    LocaleFixture::SetUp();
    ASSERT_TRUE(Temp.isValid());
    Program = Temp.path() + QStringLiteral("/Program");
    Data = Temp.path() + QStringLiteral("/Data");
    ASSERT_TRUE(QDir().mkpath(Program));
    ASSERT_TRUE(QDir().mkpath(Data));
    SetProgramFolder(Program);
    ResetSettingsGlobals(Program);
    DataFolder = Data;
    Language = 2;
}

void CurveTest::TearDown()
{
    ResetSettingsGlobals(Program);
    SetProgramFolder(QString());
    LocaleFixture::TearDown();
}

int CurveTest::LogLinesOf(const QString& procName) const
{
    QFile log(Program + QStringLiteral("/QUINTARA.LOG"));
    if (!log.open(QIODevice::ReadOnly))
        return 0;
    return static_cast<int>(QString::fromLatin1(log.readAll()).split(QStringLiteral("\r\n")).filter(u'\t' + procName).size());
}

std::string HeaderWithVolume(const std::string& field6)
{
    // Positions 1-12, parameters 1 to 4 with units, warning, results, flag.
    const std::string s = "\x1E" "KR 6450" "123" " " + field6 + "/" "   200" "A" " 50/20" "A" "    50" ")" " "
        " 123.4" "H" " 0.512" " " " " "0";
    return s + DataStringChecksum(s) + "\r\n";
}

ABTCurve ZeroCurve(const std::string& header)
{
    ABTCurve c;
    c.Header = header;
    c.Factor1 = 1;
    c.Factor2 = 1;
    return c;
}

int CountPixels(const DrawingSurface& picture, double xa, double ya, double xb, double yb, int32_t colour)
{
    const QImage& image = picture.Image();
    const int left = std::max(0, static_cast<int>(std::floor(std::min(picture.PixelFromX(xa), picture.PixelFromX(xb)))));
    const int right = std::min(image.width() - 1, static_cast<int>(std::max(picture.PixelFromX(xa), picture.PixelFromX(xb))));
    const int top = std::max(0, static_cast<int>(std::floor(std::min(picture.PixelFromY(ya), picture.PixelFromY(yb)))));
    const int bottom = std::min(image.height() - 1, static_cast<int>(std::max(picture.PixelFromY(ya), picture.PixelFromY(yb))));
    int count = 0;
    for (int px = left; px <= right; ++px)
        for (int py = top; py <= bottom; ++py) {
            const int32_t c = FromQColor(image.pixelColor(px, py));
            if (colour == -1 ? (c != vbWhite && c != 8421504) : c == colour)
                ++count;
        }
    return count;
}

int InkedPixels(const DrawingSurface& picture)
{
    const QImage& image = picture.Image();
    int count = 0;
    for (int px = 0; px < image.width(); ++px)
        for (int py = 0; py < image.height(); ++py)
            count += FromQColor(image.pixelColor(px, py)) != vbWhite ? 1 : 0;
    return count;
}
