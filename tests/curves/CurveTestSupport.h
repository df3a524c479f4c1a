#pragma once
// Shared by the curve tests: a fresh program and data folder per test with
// the settings at their defaults and the locale pinned, the log read back,
// curves and data strings built by hand, and pixels counted on an image.
#include "support/Bytes.h"
#include "support/LocaleFixture.h"

#include "foundation/CurveRecords.h"
#include "platform/DrawingSurface.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <string>

class CurveTest : public LocaleFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // Lines of QUINTARA.LOG that name the procedure (all lines for "").
    int LogLinesOf(const QString& procName) const;

    QTemporaryDir Temp;
    QString Program;    // program folder (the log goes there)
    QString Data;       // DataFolder
};

// A 60-character data string whose parameter 1 (positions 13-18) is the
// given field: what the evaluation reads of a curve's header.
std::string HeaderWithVolume(const std::string& field6);

// A curve with every sample 0 and the given header and factors.
ABTCurve ZeroCurve(const std::string& header = HeaderWithVolume("   500"));

// Pixels in the user rectangle (x from xa to xb, y from ya to yb) of the
// given colour, or of any colour but white and grey when colour is -1.
int CountPixels(const DrawingSurface& picture, double xa, double ya, double xb, double yb, int32_t colour = -1);

// Pixels of the whole image that are not white (grid lines count).
int InkedPixels(const DrawingSurface& picture);
