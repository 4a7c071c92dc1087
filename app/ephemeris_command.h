// `skyvane ephemeris`: the scene computation for a place and instant,
// printed as a table or as JSON.
#pragma once

#include <chrono>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

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

// The place and time options that ephemeris, render and print share.
const CommandOptions<EphemerisRequest>& PlaceAndTimeOptions();

// After the place and time options: exactly one instant, and a time of day
// only with a date. With `nowWhenNoInstant` no instant at all means now.
bool CheckPlaceAndTime(EphemerisRequest& request, bool nowWhenNoInstant, std::string& error);

// Reads the command's arguments (without the subcommand itself). On a bad
// argument returns nothing and sets `error` to one line naming it.
std::optional<EphemerisRequest> ParseEphemerisArguments(const std::vector<std::string>& args,
                                                        std::string& error);

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

// Hours as "13h 13m 30.76s", to the hundredth of a second; the table pads
// the hours to two places ("6h" lines up as " 6h").
std::string FormatHours(double hours, bool padHours = true);

// A computed state as a readable table and as one JSON object.
std::string FormatEphemerisTable(const engine::SkyState& state, double jd);
std::string FormatEphemerisJson(const engine::SkyState& state, double jd);

std::string EphemerisUsage();

// The whole command; returns the process exit status.
int RunEphemerisCommand(const std::vector<std::string>& args, std::ostream& out,
                        std::ostream& err);

}  // namespace skyvane::app
