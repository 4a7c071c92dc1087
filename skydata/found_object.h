// What the program tells about one object found by name, for the instant
// and place of a computed sky: where it stands, and when it rises, passes
// the meridian and sets during that local civil day.
#pragma once

#include <string>

#include "engine/rise_set.h"
#include "engine/sky.h"
#include "skydata/catalogue.h"
#include "skydata/name_index.h"

namespace skyvane::skydata {

struct FoundObject {
    ObjectRef object;
    std::string name;       // UTF-8, as ObjectName gives it
    // A star's or Messier object's catalogue place, J2000 mean equator and
    // equinox (hours, degrees); not a number for a body, which has none.
    double catalogueRightAscension;
    double catalogueDeclination;
    // The geocentric apparent place of date (true equator and equinox,
    // aberration; for a body light-time too), hours and degrees.
    double rightAscension;
    double declination;
    // The place seen from the observer (topocentric; a catalogue object's
    // is its apparent place), and where that stands in the observer's sky.
    double topocentricRightAscension;
    double topocentricDeclination;
    double azimuth;         // degrees from the south point towards the west
    double altitude;        // degrees, geometric
    double jd;              // the instant, Universal Time
    double dayStart;        // UT of the local midnight that begins its day
    double civilOffsetHours;  // local civil time minus UT: time zone plus daylight saving
    engine::RiseTransitSet riseTransitSet;  // UT Julian days
};

// The object at the instant and place of `sky`, which ComputeSky has
// filled. Stars and Messier objects are carried from their J2000 place to
// the apparent place of the instant and rise and set at the stars'
// standard altitude. An object the catalogue does not hold (or the
// Earth, or Pluto) gives an empty name and nothing else.
FoundObject DescribeFoundObject(const SkyCatalogue& catalogue, ObjectRef object,
                                const engine::SkyState& sky);

// A UT Julian day as local civil time "YYYY-MM-DD HH:MM:SS", to the nearest
// second; years before 1 with their sign (astronomical numbering).
std::string LocalCivilTimeText(double jd, double civilOffsetHours);

// "normal", "alwaysAbove" or "neverRises".
const char* RiseSetStateName(engine::RiseSetState state);

}  // namespace skyvane::skydata
