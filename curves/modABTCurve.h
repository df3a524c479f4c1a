#pragma once
// The airbag-fabric curve: decoding of the instrument's block transfer, the
// curve file (".ABT"), the evaluation of the pressure pulse (volume, flow,
// smoothing, power-law fit, ADAP, biaxial strain and stress), and the five
// curve pages drawn on a drawing surface.
//
// Units: time in milliseconds (sample index), pressures in tenths of a kPa,
// bulge height in cm, volume in cm³, flow in mm/s. Whatever cannot be
// computed is NoValue (-32768 for the fall time); nothing here shows a
// message or touches a widget.
//
// The curve file itself is read and written by the storage subsystem
// (storage/modABTFile.h), which the import shares.
#include "foundation/CurveRecords.h"
#include "platform/BinaryIO.h"
#include "storage/modABTFile.h"

#include <QString>
#include <cstdint>
#include <string>

class DrawingSurface;

// ---------------------------------------------------------------------------
// Raw data

// A 16-bit word from four raw-line characters: the high-half markers of its
// high and low byte, then the low-half codes of its high and low byte. Codes
// are read unsigned; a byte of 128 may come as marker 1 + code 0 or as
// marker 0 + code 128. Above 32767 the word is negative (65535 is -1).
// Missing characters read as code 0.
int16_t abtDecodeWord(const std::string& fourCharacters);

// True when every one of the 26 lines is empty (nothing was received).
bool abtIsEmptyRawData(const AbtRawLines& raw);

// The curve of one transfer. Line 0 holds the older 41-character data
// string and the two scale factors, lines 1-8 P1, 9-16 P2 and 17-24 S; line
// 25 is not read. Empty raw data gives the empty curve; a transfer that
// ended early (any of lines 0 to 24 not exactly 256 characters) gives the
// empty curve and one log line.
ABTCurve abtParseRawData(const AbtRawLines& raw);

// True when the curve equals the empty curve; samples compare as "neither
// less nor greater" than NoValue, so a NaN sample counts as missing too.
bool abtIsEmptyCurve(const ABTCurve& curve);

// ---------------------------------------------------------------------------
// Evaluation. Every evaluation starts from AbtEvaluation{} (zeros): the
// smoothing reads Flow(0) and Flow(500), which the flow never writes.

// Volume, start, peak, fall time and end pressure of the pulse. V0 is the
// whole number of parameter 1 of the curve's header.
void abtEvaluatePulse(const ABTCurve& curve, AbtEvaluation& eval, const AbtOptions& options);

// Flow(1..499) from the gas balance of reservoir and test chamber. Flow(i)
// is NoValue where a quotient or root cannot be formed, a sample it needs is
// missing or a result is not finite (all of it for V0 <= 0); the masses and
// temperatures then keep their last good values.
void abtCalcFlow(const ABTCurve& curve, AbtEvaluation& eval, const AbtOptions& options);

// Triangular moving average of half-width options.Smoothing (0 to 250) over
// Flow on Smoothing..500 - Smoothing; NoValue where the window holds one.
// MaxFlow is the largest positive smoothed value, else 0. With a width of 8
// the result is also kept in FitFlow for the fit.
void abtSmoothCurve(AbtEvaluation& eval, const AbtOptions& options);

// Exponent and Factor of v = Factor * p^Exponent through the fit flows
// after the peak at the pressure limits. NoValue unless the limits lie 50
// or more apart inside 1..1000, the peak reaches the upper limit, the end
// pressure is known and at most the lower one, both limits were passed after
// the peak with usable flows, and the results are finite.
void abtFitPowerLaw(const ABTCurve& curve, AbtEvaluation& eval, const AbtOptions& options);

// ADAP: the mean of Factor * p^Exponent between the pressure limits; NoValue
// when the fit is missing or the mean cannot be formed.
void abt_6_CalcADAP(AbtEvaluation& eval, const AbtOptions& options);

// Biaxial strain in % of a bulge of height s (cm), and biaxial stress in MPa
// at pressure p (0.1 kPa) and thickness t (mm). NoValue without a log line
// for s <= 0 or a missing value (a resting sensor reads slightly negative);
// a formula that fails otherwise gives NoValue and one log line.
float abtBiaxialEpsilon(float s);
float abtBiaxialSigma(float p, float t, float s);

// ---------------------------------------------------------------------------
// Pages: 0 p = f(t), 1 h = f(p), 2 Sigma = f(Epsilon), 3 AP = f(p),
// 4 Log AP = f(Log p).

// The window of a page from the requested axis maxima (display units, 0 for
// "Auto"). An "Auto" maximum whose source is missing, not finite or not
// above 0 stays 0, which makes the window unusable. thickness (mm) is read
// by page 2, the fraction denominator n of "1/n" by page 4 (y1 = y2 / n).
PlotWindow abtPlotWindow(const PlotWindow& requested, const AbtEvaluation& eval, int page,
                         float thickness = 0, int fraction = 0);

// True when the page can be scaled to the window: pages 0 to 4 only, finite
// corners, x2 > x1 and y2 > y1, and on page 4 all corners above 0.
bool abtIsUsableWindow(const PlotWindow& window, int page);

// Scales the picture to the window, draws the grid and the curves of the
// page (and the computed power law in green on pages 3 and 4 when asked).
// The caller clears the picture first. A window that is not usable draws
// nothing; a segment with a missing or non-finite end is left out.
void abtDrawCurve(const ABTCurve& curve, const AbtEvaluation& eval, const AbtOptions& options,
                  const PlotWindow& window, int page, bool showComputed, DrawingSurface& picture,
                  float thickness = 0, int fraction = 0);

// Grey grid lines at every grid step up to the axis maxima, at most 1000 per
// direction; a step that is not above 0 or not finite draws none.
void abtDrawAxes(const PlotWindow& window, int page, DrawingSurface& picture);

// The grid step of an axis maximum: a tenth, eighth, sixth or fifth of it.
float abtGridStep(float maximum);

// Unit texts of a page's axes in the current language; "" for other pages.
QString abtXAxisUnit(int page);
QString abtYAxisUnit(int page);
