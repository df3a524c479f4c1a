#pragma once
// The printed long-term report, drawn with the report printer's page parts
// (frame, header, parameter block, statistics table) on the printer or the
// preview.
#include "foundation/LongTermRecords.h"
#include "foundation/Records.h"
#include "printing/PrintRecords.h"

class DrawingSurface;

// One page: customer header, the long-term title, the search criteria as a
// report header, the property's title and parameter block, then per result
// of the property a trend chart with one mark per found report and the
// long-term statistics table; footer and frame. When the output is the
// printer the document is ended. False (after message 17) when the output
// could not be prepared; nothing is drawn then.
bool ptrLongTermAnalysis(DrawingSurface& output, const LongTermAnalysis& analysis);
// The trend chart of result 1 or 2 in the box: value axis labels, the band
// of the limits and the nominal line (for a result the style defines), one
// mark per found report at its mean with its range clipped to the scale, a
// mean beyond the scale in the top or bottom margin; the dates of the first
// and last report below. An analysis without found reports draws nothing.
// CurrentY ends at box y2.
void ptrLongTermChart(const LongTermAnalysis& analysis, int result, const PrintRect& box);
// The series record the header, parameter and statistics parts print.
Protocol ptrInitLongTermPrintRecord(const LongTermAnalysis& analysis);
