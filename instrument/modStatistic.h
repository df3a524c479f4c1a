#pragma once
// The statistics of a property's tests (mean, extremes, CV and the half width
// of the 95 % confidence interval, both in % of the mean) and the two-sided
// 95 % Student t table.
#include "foundation/Records.h"

#include <cstdint>
#include <vector>

// The statistics of the tests 1 to n of a block (element 0 is never read).
// Deleted tests are left out. Count is the number of tests not deleted,
// whether or not their values are present; the mean, CV and CI of each result
// are taken over the values present. A pass/fail result 1 (unit code "y") is
// only summed: its mean is the share of passes, and neither result gets a CV
// or CI then. Whatever is not computed is NoValue.
Statistics CalcMeanSdCvCi(const std::vector<TestValue>& values);

// The two-sided 95 % quantile of Student's t for n values (n - 1 degrees of
// freedom), as the table rounds it; 1.96 below 2 and from 1000 on.
float StudentT95(int n);
