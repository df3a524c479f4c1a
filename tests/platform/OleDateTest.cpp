#include "platform/OleDate.h"

#include <QByteArray>
#include <gtest/gtest.h>

#include <cmath>
#include <ctime>

TEST(OleDateTest, DateSerialCountsDaysFromTheEpoch)
{
    EXPECT_EQ(DateSerial(1899, 12, 30), 0.0);
    EXPECT_EQ(DateSerial(1900, 1, 1), 2.0);
    EXPECT_EQ(DateSerial(2001, 3, 5), 36955.0);
    // Months and days out of range carry over.
    EXPECT_EQ(DateSerial(2000, 13, 1), DateSerial(2001, 1, 1));
    EXPECT_EQ(DateSerial(2001, 3, 0), DateSerial(2001, 2, 28));
    EXPECT_EQ(DateSerial(2001, 0, 1), DateSerial(2000, 12, 1));
    EXPECT_EQ(DateSerial(1, 3, 5), DateSerial(2001, 3, 5));
}

TEST(OleDateTest, TimeSerialIsTheFractionOfTheDay)
{
    EXPECT_DOUBLE_EQ(TimeSerial(12, 0, 0), 0.5);
    EXPECT_DOUBLE_EQ(TimeSerial(6, 0, 0), 0.25);
    EXPECT_DOUBLE_EQ(TimeSerial(25, 0, 0), 1.0 + 1.0 / 24.0);
}

TEST(OleDateTest, PartsRoundToTheNearestSecond)
{
    const double date = 36955.0 + (13 * 3600 + 7 * 60 + 9.6) / 86400.0;
    EXPECT_EQ(Year(date), 2001);
    EXPECT_EQ(Month(date), 3);
    EXPECT_EQ(Day(date), 5);
    EXPECT_EQ(Hour(date), 13);
    EXPECT_EQ(Minute(date), 7);
    EXPECT_EQ(Second(date), 10);
    EXPECT_EQ(Second(36955.0 + (13 * 3600 + 7 * 60 + 9.4) / 86400.0), 9);

    // Half a second before midnight rounds into the next day.
    const double lateEvening = 36955.0 + (86400 - 0.4) / 86400.0;
    EXPECT_EQ(Day(lateEvening), 6);
    EXPECT_EQ(Hour(lateEvening), 0);
    EXPECT_EQ(FromOleDate(lateEvening), QDateTime(QDate(2001, 3, 6), QTime(0, 0)));
}

TEST(OleDateTest, DatesBeforeTheEpochCountTheTimeForwards)
{
    // -1.25 is 1899-12-29 06:00.
    EXPECT_EQ(Day(-1.25), 29);
    EXPECT_EQ(Hour(-1.25), 6);
    EXPECT_DOUBLE_EQ(ToOleDate(QDateTime(QDate(1899, 12, 29), QTime(6, 0))), -1.25);
    EXPECT_DOUBLE_EQ(TimeSerial(-18, 0, 0), -1.25);
}

TEST(OleDateTest, ConvertsToAndFromLocalDateTime)
{
    const QDateTime moment(QDate(2001, 3, 5), QTime(13, 7, 9));
    const double date = ToOleDate(moment);
    EXPECT_DOUBLE_EQ(date, 36955.0 + (13 * 3600 + 7 * 60 + 9) / 86400.0);
    EXPECT_EQ(FromOleDate(date), moment);
    EXPECT_EQ(FromOleDate(date + 0.3 / 86400.0), moment);
    EXPECT_DOUBLE_EQ(ToOleDate(moment.toUTC()), date);
    EXPECT_EQ(ToOleDate(QDateTime()), 0.0);
    EXPECT_FALSE(FromOleDate(std::nan("")).isValid());
    EXPECT_EQ(Year(1e12), 0);
}

// Runs the test body with the local time zone of Berlin and restores the
// previous zone afterwards.
class BerlinTimeZone : public ::testing::Test {
protected:
    void SetUp() override
    {
        hadTz_ = qEnvironmentVariableIsSet("TZ");
        oldTz_ = qgetenv("TZ");
        qputenv("TZ", "Europe/Berlin");
        tzset();
    }
    void TearDown() override
    {
        if (hadTz_)
            qputenv("TZ", oldTz_);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    bool hadTz_ = false;
    QByteArray oldTz_;
};

TEST_F(BerlinTimeZone, TheSkippedSummerTimeHourKeepsItsDay)
{
    // 2024-03-31 02:30 does not exist in Berlin: the clocks go from 02:00 to 03:00.
    const double date = DateSerial(2024, 3, 31) + TimeSerial(2, 30, 0);
    EXPECT_EQ(Day(date), 31);
    EXPECT_EQ(Hour(date), 2);
    EXPECT_EQ(Minute(date), 30);
    const QDateTime shown = FromOleDate(date);
    ASSERT_TRUE(shown.isValid());
    EXPECT_EQ(shown.date(), QDate(2024, 3, 31));
    EXPECT_EQ(shown.time(), QTime(3, 30)); // as the clocks show it
    EXPECT_DOUBLE_EQ(ToOleDate(QDateTime(QDate(2024, 3, 31), QTime(2, 30))), date);
    // Around the change the conversion is by calendar, not by elapsed time.
    EXPECT_DOUBLE_EQ(ToOleDate(QDateTime(QDate(2024, 3, 31), QTime(12, 0))), DateSerial(2024, 3, 31) + 0.5);
    EXPECT_DOUBLE_EQ(ToOleDate(QDateTime(QDate(2024, 10, 27), QTime(23, 0))),
                     DateSerial(2024, 10, 27) + TimeSerial(23, 0, 0));

    SetFixedClock(date);
    EXPECT_DOUBLE_EQ(Now(), date);
    SetClock({});
}

TEST(OleDateTest, NowComesFromTheInjectedClock)
{
    SetClock([] { return QDateTime(QDate(2001, 3, 5), QTime(13, 7, 9, 900)); });
    EXPECT_DOUBLE_EQ(Now(), DateSerial(2001, 3, 5) + TimeSerial(13, 7, 9)); // cut, not rounded
    EXPECT_EQ(Today(), DateSerial(2001, 3, 5));

    const double fixed = DateSerial(2011, 12, 8) + TimeSerial(10, 15, 0);
    SetFixedClock(fixed);
    EXPECT_DOUBLE_EQ(Now(), fixed);
    EXPECT_EQ(Today(), DateSerial(2011, 12, 8));

    SetClock({});
    const double before = ToOleDate(QDateTime::currentDateTime()) - 2.0 / 86400.0;
    const double now = Now();
    const double after = ToOleDate(QDateTime::currentDateTime()) + 2.0 / 86400.0;
    EXPECT_GE(now, before);
    EXPECT_LE(now, after);
    const double seconds = std::fmod(now, 1.0) * 86400.0;
    EXPECT_NEAR(seconds, std::round(seconds), 1e-4);
}
