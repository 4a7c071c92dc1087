// Zurich on a December evening, the sky many chart tests draw: thousands
// of stars, figures and Messier objects above the horizon, Orion in the
// south-east and the Milky Way overhead from Cygnus to Monoceros.
#pragma once

#include "engine/sky.h"

namespace skyvane {

// 22:00 local time (UTC+1) on the given December day of 2026, at 8.5° E,
// 47.32° N; not yet computed.
inline engine::SkyState ZurichDecemberEvening(int day = 7)
{
    engine::SkyState state{};
    state.year = 2026;
    state.month = 12;
    state.day = day;
    state.hour = 22;
    state.timeZone = 1;
    state.longitude = -8.5;
    state.latitude = 47.32;
    return state;
}

}  // namespace skyvane
