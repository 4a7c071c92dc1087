// Where a finder chart is aimed: an object found by name, or coordinates of
// the chart's own kind (azimuth and altitude for the horizontal chart,
// right ascension and declination for the geocentric one).
#pragma once

#include <optional>
#include <string>

#include "engine/sky.h"
#include "render/chart_view.h"
#include "skydata/found_object.h"
#include "skydata/sky_data.h"

namespace skyvane::app {

// Two numbers separated by a comma: decimal ("5.59,-5.45") or sexagesimal
// with colons ("5:35:24,-5:27:00"); a sign before the first field of either
// applies to the whole value. Nothing when the text is not such a pair.
std::optional<std::pair<double, double>> ParseCoordinatePair(const std::string& text);

// The chart's own sky point of an object found by name at the instant and
// place of `state` (computed): its azimuth (from the south towards the
// west) and altitude on the horizontal chart, its right ascension and
// declination on the geocentric one.
render::SkyPoint ChartPointOf(const skydata::FoundObject& found, bool horizontal);

// When an object below the horizon next rises, as a sentence: "M42 is below
// the horizon; it rises at 2026-12-07 18:40 local time." (or that it does
// not rise on this day). An object that has set for the day rises the next:
// that rising is named. `state` is the sky the object was described for.
std::string BelowHorizonText(const skydata::FoundObject& found, const engine::SkyState& state);

// The centre of a finder chart for `target`: a name the name index finds,
// or "A,B" coordinates of the chart's kind, the azimuth counted from the
// north through the east as the command line counts it. Nothing, with
// `error` set, for a name nothing answers to, coordinates off the sky, or
// (on the horizontal chart) a target below the horizon.
std::optional<render::SkyPoint> FinderCentre(const std::string& target, bool horizontal,
                                             const skydata::SkyData& data,
                                             const engine::SkyState& state, std::string& error);

}  // namespace skyvane::app
