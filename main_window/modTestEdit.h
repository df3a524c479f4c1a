#pragma once
// The rules of commenting and deleting one test of a property, without a
// window: which test a hand-over text names, what deleting a test changes in
// its block, the statistics after an edit, and which test a click on a
// profile point stands for. The commentary dialog and the main window call
// these.
#include "foundation/Records.h"

#include <QString>

// The index of the test the text names: its decimal number when that is an
// element 1 to the upper bound of the block's Values; 0 for any other text
// ("0", "x", "", an index beyond the tests), which names no test.
int TestIndexFromTag(const QString& tag, const PropertyBlock& block);

// The number of tests of the block that are not deleted (elements 1 to the
// upper bound): the rows of the test grid.
int ListedTestCount(const PropertyBlock& block);

// Takes test `index` (1 to the upper bound) out of the series with the
// commentary given (trimmed) as its reason. When it was the last test not
// deleted that carried a warning sign, the block's header loses its warning
// sign. When no test is left that is not deleted, the block starts again
// empty, keeping only its lateral-air setting and value, so that later tests
// are still corrected. True when the block was emptied; an index that names
// no test changes nothing.
bool DeleteTest(PropertyBlock& block, int index, const QString& commentary);

// The statistics of the block after an edit. In a pressure-drop property
// (test type 17) a first reading that waits for its second (the newest test)
// is not counted: its flow is no result yet. Other test types count every
// test not deleted, also one that lacks its first result.
Statistics EditedStatistics(const PropertyBlock& block, int testType);

// The test (index into Values of the current property's block) that a left
// click at horizontal chart coordinate x of profile `result` (1 or 2) opens;
// 0 when the property lists no test. A profile of up to 100 listed tests
// shows one point per test: the nearest point, the first or the last one
// beyond the ends. A longer profile shows the minimum and maximum of each run
// of tests and then the remaining tests one by one: a minimum or maximum
// opens the first test of its run with that value, a point of the tail its
// own test.
int ProfileClickTest(const Protocol& protocol, int result, double x);
