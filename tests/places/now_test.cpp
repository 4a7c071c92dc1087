// "Now" for a place: the clock's UTC instant in the place's civil time,
// whatever zone the computer is set to.
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "engine/body.h"
#include "places/now.h"
#include "../scoped_time_zone.h"

namespace skyvane::places {
namespace {

using namespace std::chrono;
using namespace std::chrono_literals;

system_clock::time_point Utc(int year, unsigned month, unsigned day, hours h, minutes m = 0min,
                             seconds s = 0s)
{
    return sys_days{std::chrono::year{year} / month / day} + h + m + s;
}


TEST(CivilTimeAt, ShowsTheUtcInstantInThePlacesZoneAndDaylightSavingHour)
{
    const auto instant = Utc(2026, 12, 7, 11h, 28min, 5s);
    // At Greenwich nothing moves.
    EXPECT_EQ(CivilTimeAt(instant, 0, 0), (CivilTime{2026, 12, 7, 11, 28, 5}));
    // Thousand Oaks, California: eight hours behind.
    EXPECT_EQ(CivilTimeAt(instant, -8, 0), (CivilTime{2026, 12, 7, 3, 28, 5}));
    EXPECT_EQ(CivilTimeAt(instant, -8, 1), (CivilTime{2026, 12, 7, 4, 28, 5}));
    // Sydney, and zones of half and three quarters of an hour.
    EXPECT_EQ(CivilTimeAt(instant, 10, 0), (CivilTime{2026, 12, 7, 21, 28, 5}));
    EXPECT_EQ(CivilTimeAt(instant, -9.5, 0), (CivilTime{2026, 12, 7, 1, 58, 5}));
    EXPECT_EQ(CivilTimeAt(instant, 5.75, 0), (CivilTime{2026, 12, 7, 17, 13, 5}));
    // Across the day, the month and the year.
    EXPECT_EQ(CivilTimeAt(instant, 13, 0), (CivilTime{2026, 12, 8, 0, 28, 5}));
    EXPECT_EQ(CivilTimeAt(Utc(2026, 12, 31, 23h, 30min), 1, 0), (CivilTime{2027, 1, 1, 0, 30, 0}));
    EXPECT_EQ(CivilTimeAt(Utc(2027, 3, 1, 2h), -5, 0), (CivilTime{2027, 2, 28, 21, 0, 0}));
    EXPECT_EQ(CivilTimeAt(Utc(2028, 3, 1, 2h), -5, 0), (CivilTime{2028, 2, 29, 21, 0, 0}));
}

TEST(CivilTimeAt, CutsToTheWholeSecondTowardsThePast)
{
    const auto justBefore = Utc(2026, 12, 7, 23h, 59min, 59s) + 999ms;
    EXPECT_EQ(CivilTimeAt(justBefore, 0, 0), (CivilTime{2026, 12, 7, 23, 59, 59}));
    // Before 1970 the clock's count is negative; cutting still goes back.
    const auto early = Utc(1969, 12, 31, 23h, 59min, 59s) + 500ms;
    EXPECT_EQ(CivilTimeAt(early, 0, 0), (CivilTime{1969, 12, 31, 23, 59, 59}));
}

TEST(CivilTimeAt, DamagedZonesGiveAClearAnswer)
{
    const auto instant = Utc(2026, 12, 7, 11h, 28min);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(CivilTimeAt(instant, nan, 0), (CivilTime{2026, 12, 7, 11, 28, 0}));
    EXPECT_EQ(CivilTimeAt(instant, inf, 0), (CivilTime{9999, 12, 31, 23, 59, 59}));
    EXPECT_EQ(CivilTimeAt(instant, -inf, 0), (CivilTime{-4713, 1, 1, 0, 0, 0}));
    EXPECT_EQ(CivilTimeAt(instant, 1e300, 1), (CivilTime{9999, 12, 31, 23, 59, 59}));
    EXPECT_EQ(CivilTimeAt(instant, -1e15, 0), (CivilTime{-4713, 1, 1, 0, 0, 0}));
}

TEST(SetInstantToNow, TakesThePlaceOfTheStateNotTheComputersZone)
{
    // A computer in UTC and one far east of every place below.
    for (const char* computer : {"UTC0", "XYZ-13:45"}) {
        ScopedTimeZone zone(computer);
        engine::SkyState state{};
        state.timeZone = -8;  // Thousand Oaks
        state.longitude = 118.82333333;
        state.latitude = 34.21388888;
        SetInstantToNow(state, [] { return Utc(2026, 12, 7, 11h, 28min, 30s); });
        EXPECT_EQ((CivilTime{state.year, state.month, state.day, state.hour, state.minute,
                             static_cast<int>(state.second)}),
                  (CivilTime{2026, 12, 7, 3, 28, 30}))
            << computer;
        EXPECT_EQ(state.second, 30.0);

        // What the window computes from it: night, the Sun far below the
        // horizon (shown as 11:28 it would stand some 33 degrees high).
        state.realTime = 1;
        engine::SkyCalculator().ComputeSky(state);
        EXPECT_LT(state.altitude[engine::kSun], -35) << computer;
        EXPECT_GT(state.altitude[engine::kSun], -45) << computer;
        EXPECT_EQ(state.shownHour, 3);

        // The daylight-saving flag of the instant adds its hour.
        state.dst = 1;
        SetInstantToNow(state, [] { return Utc(2026, 12, 7, 11h, 28min, 30s); });
        EXPECT_EQ(state.hour, 4) << computer;
    }
}

TEST(SetInstantToNow, WithoutAClockOfItsOwnReadsTheComputersClock)
{
    engine::SkyState state{};
    state.timeZone = 0;
    const CivilTime before = CivilTimeAt(system_clock::now(), 0, 0);
    SetInstantToNow(state, {});
    const CivilTime after = CivilTimeAt(system_clock::now(), 0, 0);
    const CivilTime got{state.year, state.month, state.day, state.hour, state.minute,
                        static_cast<int>(state.second)};
    EXPECT_TRUE(got == before || got == after);
}

}  // namespace
}  // namespace skyvane::places
