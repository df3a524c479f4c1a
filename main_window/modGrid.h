#pragma once
// The result grids: the test grid (one row per test of the current property
// that is not deleted, seven columns) and the one-row value grids (statistics,
// nominal values, limits, test count; five columns). They are laid out,
// filled and marked here for every window that shows them. Column widths are
// texts measured in the main window's font.
#include "foundation/GridInfoRow.h"
#include "foundation/Records.h"

class FlexGrid;

// The index into Values of the current property's block of the test shown in
// a 0-based row of the test grid: the (row + 1)-th test that is not deleted,
// counted from element 1. 0 (the empty test) when there is no such test, for
// example the empty row of a property without tests.
int TestEntryIndex(const Protocol& protocol, int row);

// Rewrites the test grid from the block of the protocol's current property;
// a property without tests leaves one empty row. Afterwards the grid's
// current row is the last one filled.
void FillTestGrid(FlexGrid& grid, const Protocol& protocol);

// Writes test testIndex of the current property's block into row `row`
// (counted from 1) of the test grid, growing the grid when the row is new;
// a deleted or missing test writes nothing. The first test that is not
// deleted takes the grid's single empty row even when asked for row 2.
void FillTestRow(FlexGrid& grid, const Protocol& protocol, int testIndex, int row);

// Marks the grid's current row (white text on the highlight colour in every
// cell), unmarks the row this grid marked last (limited to its last row),
// scrolls the last rows into view when the marked row is not visible, and
// returns the marked row in `row`.
void MarkCurrentRow(FlexGrid& grid, int& row);

// Lays out a test grid: one row, seven columns; column 6 takes the width
// left over (never below 0).
void SetupStatGrid(FlexGrid& grid);

// Lays out a value grid: one row, five columns, out of the keyboard.
void SetupNominalGrid(FlexGrid& grid);

// Writes the texts into row 0 of a value grid, trimmed, each unit with its sign.
void FillInfoRow(FlexGrid& grid, const GridInfoRow& info);

// The width column 6 of a test grid of that width gets, in twips, from the
// widths its columns 0 to 5 have: never below 0.
int32_t CommentaryColumnWidth(const FlexGrid& grid, double gridWidth);
