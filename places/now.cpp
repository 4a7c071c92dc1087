#include "places/now.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace skyvane::places {
namespace {

using std::chrono::days;
using std::chrono::floor;
using std::chrono::seconds;
using std::chrono::sys_days;
using std::chrono::sys_seconds;

// No civil time differs from UT by more than a day; a damaged setting may
// hold anything, and this bound keeps the arithmetic in range (the result
// then stops at an end of the range).
constexpr double kLargestOffsetHours = 1e9;

const sys_seconds kFirstCivil{sys_days{std::chrono::year{engine::kFirstYear} / 1 / 1}};
const sys_seconds kLastCivil{sys_days{std::chrono::year{engine::kLastYear} / 12 / 31} +
                             days{1} - seconds{1}};

seconds OffsetOf(double timeZone, int dst)
{
    double hours = timeZone + dst;
    if (!std::isfinite(hours)) hours = std::isnan(hours) ? 0 : std::copysign(kLargestOffsetHours, hours);
    hours = std::clamp(hours, -kLargestOffsetHours, kLargestOffsetHours);
    return seconds{std::llround(hours * 3600)};
}

}  // namespace

std::chrono::system_clock::time_point SystemUtcNow()
{
    return std::chrono::system_clock::now();
}

CivilTime CivilTimeAt(std::chrono::system_clock::time_point instant, double timeZone, int dst)
{
    // Whole seconds towards the past, so that 23:59:59.7 is still 23:59:59.
    sys_seconds local = floor<seconds>(instant) + OffsetOf(timeZone, dst);
    local = std::clamp(local, kFirstCivil, kLastCivil);
    const sys_days date = floor<days>(local);
    const std::chrono::year_month_day ymd{date};
    const std::chrono::hh_mm_ss time{local - date};
    return {static_cast<int>(ymd.year()),
            static_cast<int>(static_cast<unsigned>(ymd.month())),
            static_cast<int>(static_cast<unsigned>(ymd.day())),
            static_cast<int>(time.hours().count()),
            static_cast<int>(time.minutes().count()),
            static_cast<int>(time.seconds().count())};
}

void SetInstantToNow(engine::SkyState& state, const UtcClock& clock)
{
    const CivilTime now = CivilTimeAt(clock ? clock() : SystemUtcNow(), state.timeZone, state.dst);
    state.year = now.year;
    state.month = now.month;
    state.day = now.day;
    state.hour = now.hour;
    state.minute = now.minute;
    state.second = now.second;
}

}  // namespace skyvane::places
