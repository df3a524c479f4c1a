#pragma once
// The statistics of a property's tests (mean, extremes, CV and the half width
// of the 95 % confidence interval, both in % of the mean), the two-sided 95 %
// Student t table, and the data the charts draw: histogram, profile and
// deviation of one result of one property.
#include "foundation/ChartRecords.h"
#include "foundation/Records.h"

#include <cstdint>
#include <string>
#include <vector>

// The statistics of the tests 1 to n of a block (element 0 is never read).
// Deleted tests are left out. Count is the number of tests not deleted,
// whether or not their values are present; the mean, CV and CI of each result
// are taken over the values present (a NaN or infinity counts as missing). A
// measured result has a mean only when its sum is above 0. Whether result 1
// is pass/fail is decided once for the block by its unit code ("y"), not test
// by test: a pass/fail result is only summed, its mean is the share of passes
// (0 when every test failed), it has no minimum or maximum, and neither
// result gets a CV or CI then. Whatever is not computed is NoValue.
// Without a unit code, the block's is that of its first test not deleted.
Statistics CalcMeanSdCvCi(const std::vector<TestValue>& values);
Statistics CalcMeanSdCvCi(const std::vector<TestValue>& values, const std::string& resultUnitCode);

// The two-sided 95 % quantile of Student's t for n values (n - 1 degrees of
// freedom), as the table rounds it; 1.96 below 2 and from 1000 on.
float StudentT95(int n);

// The test definition of property p (1 to 6) of the protocol: the style's
// definition of the test type that item p of the protocol's report form
// names. A property that names no test type gives the blank definition.
TestDefinition PropertyTestDefinition(const Protocol& protocol, int property);

// The protocol's report form (FormIndex 1 to 10), else the empty form.
ReportForm CurrentReportForm(const Protocol& protocol);

// Item CurrentProperty of the current report form: {test type, histogram
// flag, curve flag}. The blank item (all 0) when FormIndex is outside 1..10,
// CurrentProperty outside 1..6 or the item's test type outside 0..20, so no
// caller indexes an array with a value read from a damaged file.
ReportFormItem CurrentFormItem(const Protocol& protocol);

// Classes of 41 around the nominal value of result r (1 or 2; any other value
// means 2) of property p: class 20 holds the nominal, 10 and 30 the limits of a
// symmetric band. A pass/fail property, a missing nominal value, a missing
// limit or an upper limit not above the lower one give the empty histogram.
// Missing values (NoValue, NaN, infinity) are not counted.
Histogram ComputeHistogram(const Protocol& protocol, int property, int result);

// The values of result r of property p in test order from element 1 (deleted
// tests left out, missing values, NaN and infinity included, kept as
// NoValue). A pass/fail property or a missing nominal value gives the empty
// profile.
Profile ComputeProfile(const Protocol& protocol, int property, int result);

// A profile of more than 100 values thinned to a minimum and maximum per run
// of 2 x step values, the remainder kept as it is: about 50 to 100 values.
Profile ReduceProfile(const Profile& profile);

// The minimum and maximum of the 2 x step values ending at element `end`.
// min starts at +3.402823E+38 (bits 0x7F7FFFFD), max at NoValue; a NoValue
// element becomes the minimum. Elements outside the profile are passed over.
void MinMaxInRange(const Profile& profile, int step, int end, float& min, float& max);

// Limits and nominal of result r of the current property, its block's
// minimum, maximum and mean, and the selected value; any of them that is not
// finite is NoValue. A pass/fail property or a missing selected value gives
// the empty record.
DeviationData ComputeDeviationData(const Protocol& protocol, float selectedValue, int result);

// For a result without a defined nominal, shows the mean as nominal with
// limits 10 % either side. Only those fields are changed.
void DefaultLimitsFromMean(const Statistics& statistics, TestDefinition& definition);

// The definition with only the nominal values and limits the style
// prescribes: those of a result whose Defined flag is off are NoValue, for a
// series' copy of the style may carry a band derived from the mean for
// display (above); so is a value that is not finite. What exports and
// reports present as the style's tolerances.
TestDefinition PrescribedDefinition(const TestDefinition& definition);
