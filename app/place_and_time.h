// The place and instant every command that computes the sky takes
// (ephemeris, find, render, print): their options, the checks across them,
// and the step from a request to the computed sky, shared so that each
// command reads a place and a time exactly as the others do.
#pragma once

#include <chrono>
#include <string>

#include "app/command_options.h"
#include "engine/sky.h"

namespace skyvane::app {

enum class InstantSource { kLocalDate, kJulianDay, kNow };

struct EphemerisRequest {
    InstantSource source = InstantSource::kLocalDate;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
    double second = 0;
    double julianDay = 0;  // Universal Time, with kJulianDay
    double timeZone = 0;   // hours east of Greenwich
    int dst = 0;
    double longitude = 0;  // degrees, positive west
    double latitude = 0;
    bool json = false;
    bool help = false;
    std::string output = "-";  // "-": standard output
    // How often an instant was given (--date, --jd, --now) and whether a
    // time of day was: checked once every option has been read.
    int instantOptions = 0;
    bool timeGiven = false;
};

// The place and time options that ephemeris, find, render and print share.
const CommandOptions<EphemerisRequest>& PlaceAndTimeOptions();

// After the place and time options: exactly one instant, and a time of day
// only with a date. With `nowWhenNoInstant` no instant at all means now.
bool CheckPlaceAndTime(EphemerisRequest& request, bool nowWhenNoInstant, std::string& error);

// The sky window's state for the request, not yet computed. `now` is the
// computer clock's UTC instant, used with kNow; `nowJulianDay` is the same
// as a Universal Time Julian day.
engine::SkyState SkyStateFor(const EphemerisRequest& request,
                             std::chrono::system_clock::time_point now);
engine::SkyState SkyStateFor(const EphemerisRequest& request, double nowJulianDay);

// Computes the state from SkyStateFor and returns the Universal Time Julian
// day it was computed for: a requested Julian day exactly, otherwise that
// of the local instant.
double ComputeRequestedSky(const EphemerisRequest& request, engine::SkyState& state);

}  // namespace skyvane::app
