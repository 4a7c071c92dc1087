// What a mount is sent to: an object of the catalogue or a body at its
// apparent place of date as the observer sees it, with where that stands
// in the observer's sky. The window's Goto Selected and the command line's
// telescope goto share it.
#pragma once

#include <string>

#include "engine/sky.h"
#include "skydata/catalogue.h"
#include "skydata/found_object.h"
#include "skydata/name_index.h"
#include "telescope/mount.h"

namespace skyvane::app {

struct TelescopeTarget {
    std::string name;
    telescope::PlaceOfDate place;  // apparent place of date, topocentric for bodies
    double azimuth = 0;            // degrees from the south towards the west
    double altitude = 0;           // degrees, no refraction
};

// `sky` is computed for the instant and observer.
TelescopeTarget TargetOf(const skydata::SkyCatalogue& catalogue, skydata::ObjectRef object,
                         const std::string& name, const engine::SkyState& sky,
                         const skydata::DeepSkyCatalogue* deepSky = nullptr);

// Azimuth and altitude of a mount's pointing for the observer of `sky`.
engine::Horizontal HorizontalOfPointing(const engine::SkyState& sky,
                                        const telescope::PlaceOfDate& pointing);

// A target below the horizon is not sent: the one line that says so.
std::string BelowHorizonRefusal(const TelescopeTarget& target);

}  // namespace skyvane::app
