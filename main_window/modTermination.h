#pragma once
// The rules of terminating a series that need no window: whether there is
// anything to store, and the Q-DAS export that asks before it gives up a
// file it could not write.
#include "foundation/Records.h"

// True when a block of the series holds a test (deleted ones count): only
// then is the series stored, printed and exported.
bool SeriesHoldsTest(const Protocol& protocol);

// Writes the Q-DAS file of every property that is exported, as the export of
// the series does. When files could not be written, message 31 asks: Yes
// tries again those properties only, so no file is written twice; No gives
// them up. True when every file was written in the end.
bool ExportToQdasAsking(const Protocol& protocol);
