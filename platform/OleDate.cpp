#include "platform/OleDate.h"

#include <cmath>
#include <cstdint>

namespace {

const QDate OleEpoch(1899, 12, 30);

// The range of dates the original platform accepts (years 100 to 9999).
constexpr double MinOleDate = -657434.0;
constexpr double MaxOleDate = 2958466.0;

constexpr int SecondsPerDay = 86400;

// Builds a date from whole days since the epoch and the seconds of the day.
// Before the epoch the day counts down while the time of day still counts up,
// so the fraction is subtracted: -1.25 is 1899-12-29 06:00.
double MakeOleDate(int64_t days, double secondsOfDay)
{
    const double fraction = secondsOfDay / SecondsPerDay;
    return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

// Splits a date into its calendar day and the seconds of the day, rounded to
// the nearest second. Works on the calendar alone, never through a point in
// time, so a local time that does not exist (the hour skipped when summer
// time starts) keeps its day and hour.
bool SplitOleDate(double oleDate, QDate& date, int& secondsOfDay)
{
    if (!std::isfinite(oleDate) || oleDate < MinOleDate || oleDate >= MaxOleDate)
        return false;
    const double whole = std::trunc(oleDate);
    const double fraction = std::fabs(oleDate - whole);
    int64_t days = static_cast<int64_t>(whole);
    int64_t seconds = std::llround(fraction * SecondsPerDay);
    if (seconds >= SecondsPerDay) {
        // 23:59:59.6 rounds into the next calendar day.
        seconds -= SecondsPerDay;
        ++days;
    }
    date = OleEpoch.addDays(days);
    secondsOfDay = static_cast<int>(seconds);
    return date.isValid();
}

int64_t FloorDiv(int64_t a, int64_t b)
{
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

std::function<QDateTime()> Clock;
bool ClockFixed = false;
double FixedNow = 0.0;

} // namespace

double ToOleDate(const QDateTime& local)
{
    // A local date and time are taken as they read, even when Qt calls them
    // invalid because they fall into the hour skipped by summer time.
    if (local.timeSpec() == Qt::LocalTime && local.date().isValid() && local.time().isValid())
        return MakeOleDate(OleEpoch.daysTo(local.date()), local.time().msecsSinceStartOfDay() / 1000.0);
    if (!local.isValid())
        return 0.0;
    const QDateTime inLocal = local.toLocalTime();
    return MakeOleDate(OleEpoch.daysTo(inLocal.date()), inLocal.time().msecsSinceStartOfDay() / 1000.0);
}

QDateTime FromOleDate(double oleDate)
{
    QDate date;
    int seconds = 0;
    if (!SplitOleDate(oleDate, date, seconds))
        return QDateTime();
    const QTime time = QTime::fromMSecsSinceStartOfDay(seconds * 1000);
    const QDateTime local(date, time);
    if (local.isValid())
        return local;
    // A local time inside the hour skipped when summer time starts does not
    // exist, and Qt gives an invalid value for it. Read it with the offset in
    // force before the change, so 02:30 becomes 03:30 as the clocks would
    // show. The parts functions below do not depend on this.
    const QDateTime dayBefore(date.addDays(-1), time);
    const int offset = dayBefore.isValid() ? dayBefore.offsetFromUtc() : 0;
    return QDateTime(date, time, Qt::UTC).addSecs(-offset).toLocalTime();
}

double DateSerial(int year, int month, int day)
{
    // Two-digit years as the original platform reads them.
    if (year >= 0 && year <= 29)
        year += 2000;
    else if (year >= 30 && year <= 99)
        year += 1900;
    // Months and days outside their range carry over: month 13 is January of
    // the next year, day 0 the last day of the month before.
    const int64_t monthIndex = static_cast<int64_t>(year) * 12 + (month - 1);
    const int64_t normalYear = FloorDiv(monthIndex, 12);
    const int normalMonth = static_cast<int>(monthIndex - normalYear * 12) + 1;
    if (normalYear < 100 || normalYear > 9999)
        return 0.0;
    const QDate first(static_cast<int>(normalYear), normalMonth, 1);
    const QDate date = first.addDays(static_cast<int64_t>(day) - 1);
    if (!date.isValid())
        return 0.0;
    return static_cast<double>(OleEpoch.daysTo(date));
}

double TimeSerial(int hour, int minute, int second)
{
    const int64_t total = static_cast<int64_t>(hour) * 3600 + static_cast<int64_t>(minute) * 60 + second;
    const int64_t days = FloorDiv(total, SecondsPerDay);
    return MakeOleDate(days, static_cast<double>(total - days * SecondsPerDay));
}

int Year(double oleDate)
{
    QDate date;
    int seconds = 0;
    return SplitOleDate(oleDate, date, seconds) ? date.year() : 0;
}

int Month(double oleDate)
{
    QDate date;
    int seconds = 0;
    return SplitOleDate(oleDate, date, seconds) ? date.month() : 0;
}

int Day(double oleDate)
{
    QDate date;
    int seconds = 0;
    return SplitOleDate(oleDate, date, seconds) ? date.day() : 0;
}

int Hour(double oleDate)
{
    QDate date;
    int seconds = 0;
    return SplitOleDate(oleDate, date, seconds) ? seconds / 3600 : 0;
}

int Minute(double oleDate)
{
    QDate date;
    int seconds = 0;
    return SplitOleDate(oleDate, date, seconds) ? seconds / 60 % 60 : 0;
}

int Second(double oleDate)
{
    QDate date;
    int seconds = 0;
    return SplitOleDate(oleDate, date, seconds) ? seconds % 60 : 0;
}

bool OleDayAndSecond(double oleDate, int64_t& day, int& secondsOfDay)
{
    QDate date;
    if (!SplitOleDate(oleDate, date, secondsOfDay))
        return false;
    day = OleEpoch.daysTo(date);
    return true;
}

double Now()
{
    if (ClockFixed) {
        QDate date;
        int seconds = 0;
        if (!SplitOleDate(FixedNow, date, seconds))
            return 0.0;
        return MakeOleDate(OleEpoch.daysTo(date), seconds);
    }
    const QDateTime now = Clock ? Clock() : QDateTime::currentDateTime();
    if (!now.isValid())
        return 0.0;
    const QDateTime local = now.timeSpec() == Qt::LocalTime ? now : now.toLocalTime();
    // Whole seconds, cut off rather than rounded, so Now never runs ahead.
    const int seconds = local.time().msecsSinceStartOfDay() / 1000;
    return MakeOleDate(OleEpoch.daysTo(local.date()), seconds);
}

double Today()
{
    QDate date;
    int seconds = 0;
    if (!SplitOleDate(Now(), date, seconds))
        return 0.0;
    return static_cast<double>(OleEpoch.daysTo(date));
}

void SetClock(std::function<QDateTime()> clock)
{
    Clock = std::move(clock);
    ClockFixed = false;
}

void SetFixedClock(double oleDate)
{
    // Kept as the date itself rather than as a QDateTime, so that a fixed
    // local time in the hour skipped by summer time is answered unchanged.
    Clock = nullptr;
    ClockFixed = true;
    FixedNow = oleDate;
}
