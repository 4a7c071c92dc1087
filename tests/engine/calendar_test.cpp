// Julian days, calendar dates, mean sidereal time and the angle reductions.
#include <array>
#include <cfloat>
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "engine/calendar.h"
#include "engine/units.h"

namespace skyvane::engine {
namespace {

void ExpectDate(const DateFields& f, int year, int month, int day, int hour, int minute,
                double second)
{
    EXPECT_EQ((std::array{f.year, f.month, f.day, f.hour, f.minute}),
              (std::array{year, month, day, hour, minute}));
    EXPECT_NEAR(f.second, second, 1e-3);
}

DateFields SplitJd(double jd, int gregorian = 1)
{
    CalendarDate date;
    date.jd = jd;
    date.gregorian = gregorian;
    return date.Split();
}

TEST(JulianDayTest, WorkedDates)
{
    EXPECT_EQ(JulianDay(2000, 1, 1.5, 1), 2451545.0);
    EXPECT_NEAR(JulianDay(1957, 10, 4.81, 1), 2436116.31, 1e-9);
    EXPECT_EQ(JulianDay(333, 1, 27.5, 0), 1842713.0);
    EXPECT_EQ(JulianDay(-4712, 1, 1.5, 0), 0.0);
    // The last Julian and the first Gregorian day of the reform follow each other.
    EXPECT_EQ(JulianDay(1582, 10, 4, 0), 2299159.5);
    EXPECT_EQ(JulianDay(1582, 10, 15, 1), 2299160.5);
    // Days and months outside their ranges move the day linearly.
    EXPECT_EQ(JulianDay(2000, 1, 32, 1), JulianDay(2000, 2, 1, 1));
    EXPECT_EQ(JulianDay(2001, 3, 0, 1), JulianDay(2001, 2, 28, 1));
    EXPECT_EQ(JulianDay(1999, 13, 1, 1), JulianDay(2000, 1, 1, 1));
    EXPECT_EQ(JulianDay(1000, 3, 40, 0) - JulianDay(1000, 3, 1, 0), 39.0);
}

TEST(CalendarDateTest, SetFoldsTimeOfDayIntoTheDay)
{
    CalendarDate date;
    EXPECT_EQ(date.JulianDayValue(), 0.0);
    EXPECT_EQ(date.gregorian, 1);
    date.Set(1957, 10, 4, 19, 26, 24, 1);
    EXPECT_NEAR(date.JulianDayValue(), 2436116.31, 1e-8);
    date.Set(2000, 1, 1, 36, 0, 0, 1);  // hours past 24 carry
    EXPECT_EQ(date.jd, 2451546.0);
    date.Set(2000, 1, 2, -12, 0, 0, 1);  // and negative hours borrow
    EXPECT_EQ(date.jd, 2451545.0);
    date.Set(2000, 1, 1, 0, 0, 86400 + 43200, 1);  // as do seconds
    EXPECT_EQ(date.jd, 2451546.0);
    date.Set(333, 1, 27, 12, 0, 0, 0);
    EXPECT_EQ(date.jd, 1842713.0);
    EXPECT_EQ(date.gregorian, 0);
}

TEST(CalendarDateTest, SplitWorkedDates)
{
    ExpectDate(SplitJd(2436116.31), 1957, 10, 4, 19, 26, 24);
    ExpectDate(SplitJd(2299160.5), 1582, 10, 15, 0, 0, 0);
    ExpectDate(SplitJd(2299159.5), 1582, 10, 4, 0, 0, 0);
    ExpectDate(SplitJd(2451545.0), 2000, 1, 1, 12, 0, 0);
    ExpectDate(SplitJd(0.0), -4712, 1, 1, 12, 0, 0);
    // The calendar follows from the Julian day, not from the flag.
    ExpectDate(SplitJd(2299159.5, 1), 1582, 10, 4, 0, 0, 0);
    ExpectDate(SplitJd(2299160.5, 0), 1582, 10, 15, 0, 0, 0);
    // Negative Julian days (4714 BC) give proleptic Julian dates.
    ExpectDate(SplitJd(-0.5), -4712, 1, 1, 0, 0, 0);
    ExpectDate(SplitJd(-1.0), -4713, 12, 31, 12, 0, 0);
    ExpectDate(SplitJd(-365.25), -4713, 1, 1, 6, 0, 0);

    CalendarDate date;
    date.jd = 2436116.31;
    EXPECT_EQ(date.Year() * 10000 + date.Month() * 100 + date.Day(), 19571004);
    EXPECT_EQ(date.Hour() * 100 + date.Minute(), 1926);
    EXPECT_NEAR(date.Second(), 24, 1e-3);
}

int DaysInMonth(int year, int month, bool gregorian)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = year % 4 == 0 && (!gregorian || year % 100 != 0 || year % 400 == 0);
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// Every date the program accepts, Julian calendar up to 1582-10-04 and
// Gregorian from 1582-10-15, comes back from Split unchanged, and the days
// follow each other without gaps.
TEST(CalendarDateTest, RoundTripOverTheWholeAcceptedRange)
{
    // 64 bits: count * 7919 passes 2^31, and long has 32 bits on Windows.
    long long count = 0;
    double previous = -366.5;  // 4714 BC (year -4713) begins at JD -365.5
    for (int year = -4713; year <= 9999; ++year) {
        for (int month = 1; month <= 12; ++month) {
            for (int day = 1;; ++day) {
                if (year == 1582 && month == 10 && day == 5)
                    day = 15;
                const int gregorian = year > 1582 || (year == 1582 && month > 10) ||
                                      (year == 1582 && month == 10 && day >= 15);
                if (day > DaysInMonth(year, month, gregorian))
                    break;
                const double midnight = JulianDay(year, month, day, gregorian);
                ASSERT_EQ(midnight, previous + 1) << year << "-" << month << "-" << day;
                previous = midnight;
                // Whole seconds plus a half, away from the day boundaries.
                const double seconds = static_cast<double>(count++ * 7919 % 86399) + 0.5;
                const DateFields f =
                    SplitJd(JulianDay(year, month, day + seconds / 86400, gregorian));
                ASSERT_EQ(f.year * 10000 + f.month * 100 + f.day, year * 10000 + month * 100 + day)
                    << "JD " << midnight;
                ASSERT_NEAR(f.hour * 3600.0 + f.minute * 60.0 + f.second, seconds, 1e-3)
                    << year << "-" << month << "-" << day;
            }
        }
    }
    EXPECT_EQ(previous, 5373483.5);  // 9999-12-31 0h
}

// Sidereal time at 0h UT of the day, advanced at the sidereal rate.
double ReferenceGmst(double jd0, double jd)
{
    const double t = (jd0 - 2451545.0) / 36525;
    const double theta0 =
        100.46061837 + 36000.770053608 * t + 0.000387933 * t * t - t * t * t / 38710000;
    const double hours = std::fmod((theta0 + 1.00273790935 * 360 * (jd - jd0)) / 15, 24);
    return hours < 0 ? hours + 24 : hours;
}

TEST(SiderealTimeTest, MeanSiderealTime)
{
    const double second = 1.0 / 3600;
    // 1987-04-10 at 0h and at 19:21 UT.
    EXPECT_NEAR(GreenwichMeanSiderealTime(2446895.5), 13 + 10 / 60.0 + 46.3668 * second,
                1e-3 * second);
    EXPECT_NEAR(GreenwichMeanSiderealTime(2446895.5 + (19 + 21 / 60.0) / 24),
                8 + 34 / 60.0 + 57.0896 * second, 1e-3 * second);
    // 333-01-27 12h UT (Julian) counts from 0h of the same Julian day.
    EXPECT_NEAR(GreenwichMeanSiderealTime(1842713.0), ReferenceGmst(1842712.5, 1842713.0), 1e-7);

    // And so does every instant, Julian or Gregorian, negative JDs included.
    for (int i = 0; i <= 400; ++i) {
        const double jd = -365.0 + i * 13433.7123;
        const double gmst = GreenwichMeanSiderealTime(jd);
        ASSERT_GE(gmst, 0) << jd;
        ASSERT_LE(gmst, 24) << jd;
        const double jd0 = std::floor(jd - 0.5) + 0.5;
        EXPECT_LT(std::fabs(std::remainder(gmst - ReferenceGmst(jd0, jd), 24)), 1e-7) << jd;
    }
}

double SteppedReduce(double x, double turn)
{
    while (x < 0)
        x += turn;
    while (x > turn)
        x -= turn;
    return x;
}

class ReduceTest : public testing::TestWithParam<double> {
protected:
    double Reduce(double x) const { return GetParam() == 360 ? Reduce360(x) : Reduce24(x); }
};

// Ordinary values reduce exactly as stepping one turn at a time does.
TEST_P(ReduceTest, MatchesOneTurnAtATime)
{
    const double turn = GetParam();
    const double dmin = std::numeric_limits<double>::denorm_min();
    const double values[] = {0.0, turn, 2 * turn, -turn, -2 * turn, -0.0001, turn + 1e-9,
                             turn - 1e-9, -1e-20, 1e-300, dmin, -dmin, DBL_MIN, -DBL_MIN,
                             64 * turn, 64 * turn + 0.25, -64 * turn - 0.25, 65 * turn,
                             -65 * turn, 123.456 * turn, -123.456 * turn};
    for (double x : values)
        EXPECT_EQ(Reduce(x), SteppedReduce(x, turn)) << "x = " << x;
    unsigned state = 12345;
    for (int i = 0; i < 2000; ++i) {
        state = state * 1103515245u + 12345u;
        const double x = (state / 4294967296.0 - 0.5) * 10 * turn;
        EXPECT_EQ(Reduce(x), SteppedReduce(x, turn)) << "x = " << x;
    }
    EXPECT_EQ(Reduce(turn), turn);
    EXPECT_EQ(Reduce(2 * turn), turn);
    EXPECT_EQ(Reduce(-turn), 0.0);
}

// Far values end quickly and land in range; whole turns keep their rule.
TEST_P(ReduceTest, FarAndNonFiniteValuesTerminate)
{
    const double turn = GetParam();
    for (double x : {1e300, -1e300, DBL_MAX, -DBL_MAX, 1e17, -1e17, 0x1p53 + 2}) {
        EXPECT_GE(Reduce(x), 0) << "x = " << x;
        EXPECT_LE(Reduce(x), turn) << "x = " << x;
    }
    EXPECT_EQ(Reduce(turn * 1e9 + 0.5), 0.5);
    EXPECT_EQ(Reduce(-turn * 1e9 + 0.5), 0.5);
    EXPECT_EQ(Reduce(turn * 1e12), turn);
    EXPECT_EQ(Reduce(-turn * 1e12), 0.0);
    EXPECT_TRUE(std::isnan(Reduce(std::numeric_limits<double>::infinity())));
    EXPECT_TRUE(std::isnan(Reduce(-std::numeric_limits<double>::infinity())));
    EXPECT_TRUE(std::isnan(Reduce(std::numeric_limits<double>::quiet_NaN())));
}

INSTANTIATE_TEST_SUITE_P(Turns, ReduceTest, testing::Values(360.0, 24.0));

}  // namespace
}  // namespace skyvane::engine
