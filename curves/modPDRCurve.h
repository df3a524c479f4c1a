#pragma once
// The pressure-drop test: two readings at two test pressures are merged into
// one test whose results are the pressure drop at the nominal flow and the
// exponent n of flow = k * pressure^n; and its double-logarithmic diagram.
//
// Data strings are Windows-1252 byte strings; positions count from 1
// (parameters at 13-18, 20-25, 27-32, 34-39 with unit codes behind them,
// warning 41, results 42-47 / 48 and 49-54 / 55, flag 57, checksum 58).
// Characters missing from a short string read as blanks; a field that is not
// a number reads 0. Nothing here touches a widget.
#include "foundation/CurveRecords.h"
#include "foundation/DataStringRecord.h"
#include "foundation/Records.h"

#include <QString>
#include <string>

class DrawingSurface;

// n = Log(r2 / r1) / Log(p2 / p1). NoValue when a value is 0 or missing,
// p1 = p2, a ratio is not positive or the result is not finite. Equal flows
// give 0.
float pdrPowerLawExponent(float r1, float p1, float r2, float p2);

// p1 * (r / r1) ^ (1 / n): the pressure at which the fitted flow equals r.
// NoValue when r1 = 0, n is missing or 0, a value is missing, r / r1 is not
// positive or the result is not finite.
float pdrPowerLawValue(float r1, float p1, float n, float r);

// The factor that turns a flow in the unit of the code (its first character)
// into mm/s; 1 for mm/s, l/m²/s and every unknown code.
float pdrUnitFactor(const std::string& code);

// False when the block's newest test waits for its second reading (not
// deleted, Value1 NoValue, Value2 present with the unit of a flow); True
// otherwise, also for a block without tests and for a completed test whose
// pressure drop is missing (its exponent has the blank unit code).
bool pdrIsLastTestComplete(const PropertyBlock& block);

// The merged data string of a received reading. A first reading is put into
// the parameter slot of its pressure and keeps its flow as result 2; a
// second one is joined with the waiting half, both flows converted to mm/s
// and ordered by pressure. Rewrites the block's Header (result fields).
std::string pdrMergeDataString(const std::string& received, PropertyBlock& block);

// When the newest test waits for its second reading: the completed string
// (pressure drop at the nominal flow in Pa as result 1, n as result 2), the
// waiting half removed from the block's Values and the block's Header
// cleared to its parameters. Otherwise the merged string unchanged. Fields
// that cannot be written soundly in six characters are six blanks.
std::string pdrCompleteDataString(const std::string& merged, PropertyBlock& block);

// The two points of a parsed merged string: both pressures, the flow at the
// first one, the nominal flow and its unit code, and the exponent. The
// numbers are read from the record's data string ("." as decimal point).
PdrPoint pdrFromDataString(const DataStringRecord& record);

// Unit text of the point's nominal flow and of the pressure ("Pa") in the
// current language.
QString pdrUnitText(const PdrPoint& point);
QString pdrPressureUnit();

// ---------------------------------------------------------------------------
// Diagram: flow (unit of the nominal flow) across, pressure (Pa) up, both
// logarithmic, the grid at the values 1, 2 and 5 times a power of ten.

// The diagram's window; 0 in a requested field means "Auto" (two decades
// around the nominal flow). An "Auto" pressure that cannot be computed
// stays 0, which makes the window unusable.
PlotWindow pdrComputeCurve(const PdrPoint& point, const PlotWindow& requested);

// True when the point can be drawn in the window: finite corners above 0,
// x2 > x1, y2 > y1, Result, P1 and P4 above 0 and an exponent present and
// not 0.
bool pdrIsUsableCurve(const PdrPoint& point, const PlotWindow& window);

// Scale, grid, the fitted law (black), the nominal flow (dark green) and
// the two measured points (thick black dots). The caller clears the picture
// first. Draws nothing when pdrIsUsableCurve is False.
void pdrDrawCurve(const PdrPoint& point, const PlotWindow& window, DrawingSurface& picture);

// The grey grid of the window (nothing when its corners are not all above 0).
void pdrDrawAxes(const PlotWindow& window, DrawingSurface& picture);
