// `skyvane ephemeris`: the scene computation for a place and instant,
// printed as a table or as JSON.
#pragma once

#include <chrono>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "app/command_options.h"
#include "app/place_and_time.h"
#include "engine/sky.h"

namespace skyvane::app {

// The options of skyvane ephemeris: the place and time, and its own.
const CommandOptions<EphemerisRequest>& EphemerisOptions();

// Reads the command's arguments (without the subcommand itself). On a bad
// argument returns nothing and sets `error` to one line naming it.
std::optional<EphemerisRequest> ParseEphemerisArguments(const std::vector<std::string>& args,
                                                        std::string& error);

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
