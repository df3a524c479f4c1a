#include "platform/OleDate.h"

#include <QByteArray>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <ctime>

TEST(OleDateTest, SerialsCountDaysFromTheEpochAndCarryOver)
{
    const std::pair<double, double> serials[] = {
        {DateSerial(1899, 12, 30), 0.0},    {DateSerial(1900, 1, 1), 2.0},      {DateSerial(2001, 3, 5), 36955.0},
        {DateSerial(2000, 13, 1), 36892.0}, {DateSerial(2001, 3, 0), 36950.0},  {DateSerial(2001, 0, 1), 36861.0},
        {DateSerial(1, 3, 5), 36955.0},     {TimeSerial(12, 0, 0), 0.5},         {TimeSerial(6, 0, 0), 0.25},
        {TimeSerial(25, 0, 0), 1.0 + 1.0 / 24.0}, {TimeSerial(-18, 0, 0), -1.25},
    };
    for (const auto& [serial, expected] : serials)
        EXPECT_DOUBLE_EQ(serial, expected);
}

TEST(OleDateTest, PartsRoundToTheNearestSecond)
{
    const struct {
        double date;
        int year, month, day, hour, minute, second;
    } rows[] = {
        {36955.0 + (13 * 3600 + 7 * 60 + 9.6) / 86400.0, 2001, 3, 5, 13, 7, 10},
        {36955.0 + (13 * 3600 + 7 * 60 + 9.4) / 86400.0, 2001, 3, 5, 13, 7, 9},
        {36955.0 + (86400 - 0.4) / 86400.0, 2001, 3, 6, 0, 0, 0},   // into the next day
        {-1.25, 1899, 12, 29, 6, 0, 0},   // before the epoch the time counts forwards
    };
    for (const auto& r : rows) {
        EXPECT_EQ((std::array<int, 6>{Year(r.date), Month(r.date), Day(r.date), Hour(r.date), Minute(r.date),
                                      Second(r.date)}),
                  (std::array<int, 6>{r.year, r.month, r.day, r.hour, r.minute, r.second}))
            << r.date;
    }
}

TEST(OleDateTest, ConvertsToAndFromLocalDateTime)
{
    const QDateTime moment(QDate(2001, 3, 5), QTime(13, 7, 9));
    const double date = ToOleDate(moment);
    EXPECT_DOUBLE_EQ(date, 36955.0 + (13 * 3600 + 7 * 60 + 9) / 86400.0);
    EXPECT_EQ(FromOleDate(date + 0.3 / 86400.0), moment);
    EXPECT_DOUBLE_EQ(ToOleDate(moment.toUTC()), date);
    EXPECT_DOUBLE_EQ(ToOleDate(QDateTime(QDate(1899, 12, 29), QTime(6, 0))), -1.25);
    EXPECT_EQ(ToOleDate(QDateTime()), 0.0);
    EXPECT_FALSE(FromOleDate(std::nan("")).isValid());
    EXPECT_EQ(Year(1e12), 0);
}

TEST(OleDateTest, TheSkippedSummerTimeHourKeepsItsDay)
{
    const bool hadTz = qEnvironmentVariableIsSet("TZ");
    const QByteArray oldTz = qgetenv("TZ");
    qputenv("TZ", "Europe/Berlin");
    tzset();
    // 2024-03-31 02:30 does not exist in Berlin: the clocks go from 02:00 to 03:00.
    const double date = DateSerial(2024, 3, 31) + TimeSerial(2, 30, 0);
    EXPECT_EQ(Hour(date), 2);
    EXPECT_EQ(FromOleDate(date), QDateTime(QDate(2024, 3, 31), QTime(3, 30)));   // as the clocks show it
    EXPECT_DOUBLE_EQ(ToOleDate(QDateTime(QDate(2024, 3, 31), QTime(2, 30))), date);
    // Around the change the conversion is by calendar, not by elapsed time.
    EXPECT_DOUBLE_EQ(ToOleDate(QDateTime(QDate(2024, 3, 31), QTime(12, 0))), DateSerial(2024, 3, 31) + 0.5);
    EXPECT_DOUBLE_EQ(ToOleDate(QDateTime(QDate(2024, 10, 27), QTime(23, 0))),
                     DateSerial(2024, 10, 27) + TimeSerial(23, 0, 0));
    if (hadTz)
        qputenv("TZ", oldTz);
    else
        qunsetenv("TZ");
    tzset();
}

TEST(OleDateTest, NowComesFromTheInjectedClock)
{
    SetClock([] { return QDateTime(QDate(2001, 3, 5), QTime(13, 7, 9, 900)); });
    EXPECT_DOUBLE_EQ(Now(), DateSerial(2001, 3, 5) + TimeSerial(13, 7, 9));   // cut, not rounded
    EXPECT_EQ(Today(), DateSerial(2001, 3, 5));
    const double fixed = DateSerial(2011, 12, 8) + TimeSerial(10, 15, 0);
    SetFixedClock(fixed);
    EXPECT_DOUBLE_EQ(Now(), fixed);
    SetClock({});
    const double before = ToOleDate(QDateTime::currentDateTime()) - 2.0 / 86400.0;
    const double now = Now();
    EXPECT_GE(now, before);
    EXPECT_LE(now, ToOleDate(QDateTime::currentDateTime()) + 2.0 / 86400.0);
    const double seconds = std::fmod(now, 1.0) * 86400.0;
    EXPECT_NEAR(seconds, std::round(seconds), 1e-4);
}
