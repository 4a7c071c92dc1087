// "Now" for a place. The computer's clock gives one instant in Universal
// Time; the program shows it in the civil time of the chosen place (its
// time zone plus its daylight-saving hour), whatever time zone the
// computer itself is set to. The sky window, the time dialog and the
// command line all take "now" from here.
#pragma once

#include <chrono>
#include <functional>

#include "engine/sky.h"

namespace skyvane::places {

// Where the UTC instant "now" comes from: the computer's clock, or a test's.
using UtcClock = std::function<std::chrono::system_clock::time_point()>;

std::chrono::system_clock::time_point SystemUtcNow();

// A civil date and time in whole seconds, Gregorian calendar.
struct CivilTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;

    friend bool operator==(const CivilTime&, const CivilTime&) = default;
};

// `instant` in the civil time of a place `timeZone` hours east of
// Greenwich with `dst` daylight-saving hours in force, cut to the whole
// second. A zone that is not a number counts as 0; a civil time before
// -4713-01-01 00:00:00 or after 9999-12-31 23:59:59 stops at that end.
CivilTime CivilTimeAt(std::chrono::system_clock::time_point instant, double timeZone, int dst);

// Now for the place of `state`: its instant becomes the clock's UTC
// instant in the civil time of its time zone and daylight-saving flag.
void SetInstantToNow(engine::SkyState& state, const UtcClock& clock);

}  // namespace skyvane::places
