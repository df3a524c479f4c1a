#pragma once
// Dates are OLE Automation dates: days since 1899-12-30 local time, the time
// of day as the fraction. "Now" comes from one injectable clock so that tests
// can set it.
#include <QDateTime>
#include <cstdint>
#include <functional>

// Days of 1899-12-30.
inline constexpr double OleDateEpochOffset = 0.0;

double ToOleDate(const QDateTime& local);
// Rounds to the nearest second first, as splitting a date does.
QDateTime FromOleDate(double oleDate);

double DateSerial(int year, int month, int day);
double TimeSerial(int hour, int minute, int second);

// The parts of a date, after rounding to the nearest second.
int Year(double oleDate);
int Month(double oleDate);
int Day(double oleDate);
int Hour(double oleDate);
int Minute(double oleDate);
int Second(double oleDate);

// The calendar day (days since 1899-12-30) and the second of that day of a
// date, after rounding to the nearest second, so 23:59:59.6 is 00:00:00 of the
// next day. False for a date that is not finite or lies outside the years 100
// to 9999.
bool OleDayAndSecond(double oleDate, int64_t& day, int& secondsOfDay);

// Local time truncated to whole seconds, from the clock below.
double Now();
// The date part of Now().
double Today();

// Tests install a clock; passing an empty function restores the system clock.
void SetClock(std::function<QDateTime()> clock);
// Convenience for tests: a clock that always answers the given date.
void SetFixedClock(double oleDate);
