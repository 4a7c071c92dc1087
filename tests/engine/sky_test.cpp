// The scene computation: calendar reading, normalised display instant, the
// Julian day every theory sees, and which SkyState entries are written.
#include <algorithm>
#include <array>
#include <cmath>

#include <gtest/gtest.h>

#include "engine/calendar.h"
#include "engine/delta_t.h"
#include "engine/moon.h"
#include "engine/planets.h"
#include "engine/sky.h"
#include "engine/transforms.h"

namespace skyvane::engine {
namespace {

constexpr double kDegree = 0.017453292519943295;

SkyState Instant(int year, int month, int day, int hour = 0, int minute = 0, double second = 0)
{
    SkyState s{};
    s.year = year;
    s.month = month;
    s.day = day;
    s.hour = hour;
    s.minute = minute;
    s.second = second;
    return s;
}

SkyState Computed(SkyState s)
{
    SkyCalculator().ComputeSky(s);
    return s;
}

void ExpectShown(const SkyState& s, int year, int month, int day, int hour, int minute,
                 double second)
{
    EXPECT_EQ((std::array{s.shownYear, s.shownMonth, s.shownDay, s.shownHour, s.shownMinute}),
              (std::array{year, month, day, hour, minute}));
    EXPECT_EQ(s.shownSecond, second);
}

// The Julian day a scene was computed for shows in every body; the Earth's
// longitude (a degree a day) and the Moon's (thirteen) pin it down. The
// series run at Terrestrial Time, the sidereal time at Universal Time.
void ExpectComputedFor(const SkyState& s, double jd)
{
    const double tt = TerrestrialJulianDay(jd);
    EXPECT_DOUBLE_EQ(s.universalJulianDay, jd);
    EXPECT_DOUBLE_EQ(s.terrestrialJulianDay, tt);
    EXPECT_DOUBLE_EQ(s.deltaT, DeltaTAt(jd));
    EXPECT_NEAR(s.helioLongitude[kEarth], HeliocentricLongitude(kEarth, tt), 1e-8);
    EXPECT_NEAR(s.helioDistance[kEarth], RadiusVector(kEarth, tt), 1e-12);
    EXPECT_NEAR(s.helioLongitude[kMoon], MoonLongitude(tt), 1e-7);
    EXPECT_NEAR(s.obliquity, TrueObliquity(tt), 1e-12);
    EXPECT_NEAR(std::remainder(s.siderealTime - GreenwichApparentSiderealTime(
                                                    jd, MeanObliquity(tt), NutationAt(tt)),
                               24),
                0, 1e-7);
    const Equatorial sun =
        EclipticToEquatorial(SunApparentLongitude(tt), SunApparentLatitude(tt), TrueObliquity(tt));
    EXPECT_NEAR(s.rightAscension[kSun], sun.rightAscension, 1e-8);
    EXPECT_NEAR(s.declination[kSun], sun.declination, 1e-8);
}

TEST(ComputeSkyTest, YearsOutsideTheRangeAreClamped)
{
    const SkyState early = Computed(Instant(-5000, 3, 15, 18, 0, 30.5));
    EXPECT_EQ(early.year, -4713);
    // Negative Julian days read back as the proleptic Julian date entered.
    ExpectShown(early, -4713, 3, 15, 18, 0, 30);
    ExpectComputedFor(early, JulianDay(-4713, 3, 15.75 + 30.5 / 86400, 0));
    EXPECT_EQ(Computed(Instant(-4714, 3, 15, 18)).shownYear, -4713);
    EXPECT_EQ(Computed(Instant(10000, 3, 15, 18)).shownYear, 9999);

    const SkyState late = Computed(Instant(12000, 12, 31, 23, 59, 30.5));
    EXPECT_EQ(late.year, 9999);
    ExpectShown(late, 9999, 12, 31, 23, 59, 30);
    ExpectComputedFor(late, JulianDay(9999, 12, 31 + 86370.5 / 86400, 1));
}

// Adds `seconds` to a computed state's instant, as a time step does, and
// computes again.
SkyState Stepped(SkyState s, double seconds)
{
    FoldShownInstant(s);
    s.second += seconds;
    return Computed(s);
}

TEST(ComputeSkyTest, StepsAcrossTheRangeEndsStopOnTheFirstAndLastInstant)
{
    // Backwards by days from 4714 BC January 2: one day, then the first
    // instant, and there it stays (the time of day goes too).
    SkyState back = Computed(Instant(-4713, 1, 2, 18, 30, 15));
    back = Stepped(back, -86400);
    ExpectShown(back, -4713, 1, 1, 18, 30, 15);
    EXPECT_EQ(ShownRangeEnd(back), RangeEnd::kInside);
    back = Stepped(back, -86400);
    ExpectShown(back, -4713, 1, 1, 0, 0, 0);
    EXPECT_EQ(ShownRangeEnd(back), RangeEnd::kFirst);
    ExpectComputedFor(back, kFirstLocalJulianDay);
    back = Stepped(back, -86400);
    ExpectShown(back, -4713, 1, 1, 0, 0, 0);

    // Forwards from 9999 December 29: the 30th, the 31st, then the last
    // second of the year, never a day of 10000 or a January of 9999.
    SkyState ahead = Computed(Instant(9999, 12, 29, 12));
    ahead.timeZone = 2;
    ahead = Stepped(ahead, 86400);
    ahead = Stepped(ahead, 86400);
    ExpectShown(ahead, 9999, 12, 31, 12, 0, 0);
    ahead = Stepped(ahead, 86400);
    ExpectShown(ahead, 9999, 12, 31, 23, 59, 59);
    EXPECT_EQ(ShownRangeEnd(ahead), RangeEnd::kLast);
    ExpectComputedFor(ahead, kEndLocalJulianDay - 1.0 / 86400 - 2.0 / 24);
    ahead = Stepped(ahead, 3600);
    ExpectShown(ahead, 9999, 12, 31, 23, 59, 59);
    // And back from the end by a day is a day before it.
    ExpectShown(Stepped(ahead, -86400), 9999, 12, 30, 23, 59, 59);
}

TEST(ComputeSkyTest, MonthsHoursAndHugeSecondsPastTheEndsSaturateToo)
{
    ExpectShown(Computed(Instant(9999, 13, 15, 6)), 9999, 12, 31, 23, 59, 59);
    ExpectShown(Computed(Instant(-4713, 1, 1, -1)), -4713, 1, 1, 0, 0, 0);
    ExpectShown(Computed(Instant(-4713, 0, 1)), -4713, 1, 1, 0, 0, 0);
    ExpectShown(Computed(Instant(9999, 12, 31, 23, 59, 60)), 9999, 12, 31, 23, 59, 59);
    // Seconds far beyond any date a split could hold.
    ExpectShown(Computed(Instant(2000, 1, 1, 0, 0, 1e300)), 9999, 12, 31, 23, 59, 59);
    ExpectShown(Computed(Instant(2000, 1, 1, 0, 0, -1e300)), -4713, 1, 1, 0, 0, 0);
    // The last and the first instant themselves are inside and unchanged.
    EXPECT_EQ(ShownRangeEnd(Computed(Instant(9999, 12, 31, 23, 59, 58.9))), RangeEnd::kInside);
    ExpectShown(Computed(Instant(-4713, 1, 1)), -4713, 1, 1, 0, 0, 0);
    // The Julian day of a scene agrees with what the window shows.
    SkyState late = Instant(9999, 14, 1);
    EXPECT_DOUBLE_EQ(SkyCalculator::JulianDayOf(late), kEndLocalJulianDay - 1.0 / 86400);
}

TEST(ComputeSkyTest, ComputeSkyAtTakesTheJulianDayExactlyAndShowsTheFieldsAsGiven)
{
    SkyState s = Instant(2023, 2, 24, 19, 0, 0);
    s.timeZone = 1;
    const double jd = 2460000.25 + 1e-7;
    SkyCalculator().ComputeSkyAt(s, jd);
    ExpectShown(s, 2023, 2, 24, 19, 0, 0);
    ExpectComputedFor(s, jd);
}

TEST(ComputeSkyTest, RealTimeShowsTheInputUnchangedAndReadsItGregorian)
{
    SkyState s = Instant(1550, 6, 1, 22, 7, 13.625);
    s.realTime = 1;
    s.timeZone = 2;
    s = Computed(s);
    ExpectShown(s, 1550, 6, 1, 22, 7, 13.625);
    ExpectComputedFor(s, JulianDay(1550, 6, 1 + (20 + 7 / 60.0 + 13.625 / 3600) / 24, 1));

    s = Instant(2024, 2, 30, 25, 61, 75.5);  // not normalised either
    s.realTime = 1;
    ExpectShown(Computed(s), 2024, 2, 30, 25, 61, 75.5);
}

TEST(ComputeSkyTest, NewYorkSummerSolsticeNoonUsesUniversalTime)
{
    SkyState s = Instant(2006, 6, 21, 12, 0, 0);
    s.timeZone = -5;
    s.dst = 1;
    s.longitude = 74.006;
    s.latitude = 40.714;
    s = Computed(s);
    ExpectShown(s, 2006, 6, 21, 12, 0, 0);
    const double jd = 2453907.5 + 16.0 / 24;  // 2006-06-21 16:00 UT
    ExpectComputedFor(s, jd);

    // An hour before local noon at the solstice: high in the south-east.
    EXPECT_GT(s.azimuth[kSun], 270);
    EXPECT_GT(s.altitude[kSun], 65);
    EXPECT_LT(s.altitude[kSun], 72.9);
}

TEST(ComputeSkyTest, DatesAroundTheCalendarReform)
{
    const SkyState s = Computed(Instant(1550, 6, 1));
    ExpectShown(s, 1550, 6, 1, 0, 0, 0);
    ExpectComputedFor(s, 2287346.5);
    ExpectShown(Computed(Instant(1582, 10, 4)), 1582, 10, 4, 0, 0, 0);
    ExpectComputedFor(Computed(Instant(1582, 10, 4)), 2299159.5);
    ExpectShown(Computed(Instant(1582, 10, 15)), 1582, 10, 15, 0, 0, 0);
    ExpectComputedFor(Computed(Instant(1582, 10, 15)), 2299160.5);
    // Days of the gap are read as Gregorian.
    ExpectShown(Computed(Instant(1582, 10, 5)), 1582, 9, 25, 0, 0, 0);
    ExpectShown(Computed(Instant(1582, 10, 10)), 1582, 9, 30, 0, 0, 0);

    // Before the reform every entered date is a Julian-calendar date and
    // shows unchanged, leap days of Julian century years included.
    ExpectShown(Computed(Instant(1500, 2, 29)), 1500, 2, 29, 0, 0, 0);
    for (int year = 1499; year <= 1582; ++year) {
        for (int month = 1; month <= (year == 1582 ? 9 : 12); ++month) {
            for (int day = 1; day <= 28; day += 9) {
                const SkyState d = Computed(Instant(year, month, day, 6));
                ASSERT_EQ(d.shownYear * 10000 + d.shownMonth * 100 + d.shownDay,
                          year * 10000 + month * 100 + day);
            }
        }
    }
}

TEST(ComputeSkyTest, SecondsCarryAndShowTruncated)
{
    ExpectShown(Computed(Instant(2006, 1, 1, 0, 0, 86400)), 2006, 1, 2, 0, 0, 0);
    ExpectShown(Computed(Instant(2006, 1, 1, 0, 0, 55.9)), 2006, 1, 1, 0, 0, 55);
    ExpectShown(Computed(Instant(2006, 1, 1, 0, 0, 89.6)), 2006, 1, 1, 0, 1, 29);
    ExpectShown(Computed(Instant(2006, 1, 32, 12, 0, 0)), 2006, 2, 1, 12, 0, 0);
    const SkyState s = Computed(Instant(2010, 7, 7, 14, 3, 3600 * 30 + 0.75));
    ExpectShown(s, 2010, 7, 8, 20, 3, 0);
    ExpectComputedFor(s, JulianDay(2010, 7, 7 + (44 + 3 / 60.0 + 0.75 / 3600) / 24, 1));
}

// Time stepping adds seconds and folds the shown instant back after every
// scene: a year of 4-minute steps must land on the same instant as one jump.
TEST(ComputeSkyTest, FoldingTheShownInstantKeepsSteppedTimeExact)
{
    SkyState s = Instant(2006, 12, 31, 23, 0, 0);
    for (int step = 0; step < 15; ++step) {
        s.second += 240;
        SkyCalculator().ComputeSky(s);
        FoldShownInstant(s);
    }
    EXPECT_EQ((std::array{s.year, s.month, s.day, s.hour, s.minute}),
              (std::array{2007, 1, 1, 0, 0}));
    EXPECT_EQ(s.second, 0);
}

// Garbage in the seconds (from a damaged setting, say) gives some instant
// with a valid time of day, never a crash.
TEST(ComputeSkyTest, AbsurdSecondsStillShowAValidTimeOfDay)
{
    for (double second : {std::nan(""), 1e300, -1e300, HUGE_VAL}) {
        const SkyState s = Computed(Instant(2006, 6, 1, 12, 0, second));
        EXPECT_GE(s.shownHour, 0) << second;
        EXPECT_LT(s.shownHour, 24) << second;
        EXPECT_GE(s.shownMinute, 0) << second;
        EXPECT_LT(s.shownMinute, 60) << second;
    }
}

// 1992-10-13 0h TT: the Sun's apparent place; the scene reaches that
// instant from the Universal Time Delta T (about 59 s) earlier.
TEST(ComputeSkyTest, SunOn1992October13)
{
    constexpr double kTerrestrial = 2448908.5;
    double universal = kTerrestrial;
    for (int i = 0; i < 3; ++i)
        universal = kTerrestrial - DeltaTAt(universal) / 86400;
    EXPECT_NEAR((kTerrestrial - universal) * 86400, 59, 1);
    SkyState s{};
    SkyCalculator().ComputeSkyAt(s, universal);
    EXPECT_NEAR(s.terrestrialJulianDay, kTerrestrial, 1e-9);
    EXPECT_NEAR(s.rightAscension[kSun], 13 + 13 / 60.0 + 30.8 / 3600, 0.1 / 3600);
    EXPECT_NEAR(s.declination[kSun], -7.7839, 1e-4);
    EXPECT_NEAR(s.obliquity, 23.44014, 1e-5);
    EXPECT_NEAR(s.geoDistance[kSun], 0.99760775, 1e-8);
    ExpectComputedFor(s, universal);
}

TEST(ComputeSkyTest, WritesExactlyTheDocumentedEntries)
{
    constexpr double kSentinel = -12345.25;
    SkyState s = Instant(1992, 4, 12, 3, 0);
    s.longitude = -8.5;
    s.latitude = 47.4;
    s.timeZone = 1;
    const auto arrays = [](SkyState& st) {
        return std::array{st.helioLongitude,          st.helioLatitude,         st.helioDistance,
                          st.rightAscension,          st.declination,           st.geoDistance,
                          st.topocentricRightAscension, st.topocentricDeclination, st.azimuth,
                          st.altitude};
    };
    for (double* a : arrays(s))
        std::fill(a, a + kBodyCount, kSentinel);
    s = Computed(s);
    const double jd = TerrestrialJulianDay(2448724.5 + 2.0 / 24);

    for (double* a : arrays(s))
        EXPECT_EQ(a[kPluto], kSentinel);
    for (double* a : {s.rightAscension, s.declination, s.topocentricRightAscension,
                      s.topocentricDeclination, s.azimuth, s.altitude})
        EXPECT_EQ(a[kEarth], kSentinel);
    for (double* a : {s.helioLongitude, s.helioLatitude, s.helioDistance})
        EXPECT_EQ(a[kSun], 0.0);
    EXPECT_EQ(s.geoDistance[kEarth], 0.0);
    EXPECT_EQ(s.helioDistance[kMoon], 0.0);
    EXPECT_NEAR(s.helioLatitude[kMoon], MoonLatitude(jd), 1e-9);
    EXPECT_NEAR(s.geoDistance[kMoon], MoonDistance(jd), 1e-6);

    const HeliocentricPosition e = HeliocentricPositionOf(kEarth, jd);
    for (int body : {kSun, kMercury, kVenus, kMars, kJupiter, kSaturn, kUranus, kNeptune, kMoon}) {
        EXPECT_TRUE(s.rightAscension[body] >= 0 && s.rightAscension[body] < 24) << body;
        EXPECT_TRUE(s.azimuth[body] >= 0 && s.azimuth[body] < 360) << body;
        EXPECT_LE(std::fabs(s.altitude[body]), 90) << body;
        if (body == kSun || body == kMoon)
            continue;
        const HeliocentricPosition p = HeliocentricPositionOf(body, jd);
        EXPECT_NEAR(s.helioLongitude[body], p.longitude, 1e-8) << body;
        EXPECT_NEAR(s.helioLatitude[body], p.latitude, 1e-9) << body;
        EXPECT_NEAR(s.helioDistance[body], p.radius, 1e-12) << body;
        const GeocentricPosition g = HeliocentricToGeocentric(e.longitude, e.latitude, e.radius,
                                                              p.longitude, p.latitude, p.radius);
        EXPECT_NEAR(s.geoDistance[body], g.distance, 1e-12) << body;
        // Apparent places: the geometric place of date moved by nutation
        // (some 10 arc seconds that day) and by light-time and aberration
        // (under a minute of arc for every planet).
        const Equatorial eq = EclipticToEquatorial(g.longitude + NutationInLongitude(jd) / 3600,
                                                   g.latitude, TrueObliquity(jd));
        EXPECT_NEAR(std::remainder(s.rightAscension[body] - eq.rightAscension, 24) * 15 *
                        std::cos(eq.declination * kDegree),
                    0, 1.0 / 60) << body;
        EXPECT_NEAR(s.declination[body], eq.declination, 1.0 / 60) << body;
    }
}

// With the observer moved to where the Sun's hour angle is zero, the Sun
// stands on the meridian: due south from the north, due north from far south.
TEST(ComputeSkyTest, BodyOnTheMeridian)
{
    const SkyState greenwich = Computed(Instant(2006, 6, 21, 12));
    auto sunFrom = [&](double latitude) {
        SkyState s = Instant(2006, 6, 21, 12);
        s.longitude = 15 * (greenwich.siderealTime - greenwich.rightAscension[kSun]);
        s.latitude = latitude;
        return Computed(s);
    };
    const SkyState north = sunFrom(47.4);
    EXPECT_LT(std::fabs(std::remainder(north.azimuth[kSun], 360)), 1e-6);
    // On the meridian parallax moves the Sun in declination only.
    EXPECT_NEAR(north.topocentricRightAscension[kSun], north.rightAscension[kSun], 1e-9);
    EXPECT_NEAR(north.altitude[kSun], 90 - 47.4 + north.topocentricDeclination[kSun], 1e-6);
    const SkyState south = sunFrom(-30);
    EXPECT_NEAR(south.azimuth[kSun], 180, 1e-6);
    EXPECT_NEAR(south.altitude[kSun], 90 - 30 - south.topocentricDeclination[kSun], 1e-6);
}

}  // namespace
}  // namespace skyvane::engine
