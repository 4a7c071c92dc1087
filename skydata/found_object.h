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
    double rightAscension;  // hours: a catalogue object's J2000 place,
    double declination;     // degrees  a body's place as the scene computation gives it
    double azimuth;         // degrees from the south point towards the west
    double altitude;        // degrees, geometric
    double jd;              // the instant, Universal Time
    double dayStart;        // UT of the local midnight that begins its day
    double civilOffsetHours;  // local civil time minus UT: time zone plus daylight saving
    engine::RiseTransitSet riseTransitSet;  // UT Julian days
};

// The object at the instant and place of `sky`, which ComputeSky has
// filled. Stars and Messier objects rise and set as fixed points at the
// stars' standard altitude. An object the catalogue does not hold (or the
// Earth, or Pluto) gives an empty name and nothing else.
FoundObject DescribeFoundObject(const SkyCatalogue& catalogue, ObjectRef object,
                                const engine::SkyState& sky,
                                const DeepSkyCatalogue* deepSky = nullptr);

// A UT Julian day as local civil time "YYYY-MM-DD HH:MM:SS", to the nearest
// second; years before 1 with their sign (astronomical numbering).
std::string LocalCivilTimeText(double jd, double civilOffsetHours);

// "normal", "alwaysAbove" or "neverRises".
const char* RiseSetStateName(engine::RiseSetState state);

}  // namespace skyvane::skydata
