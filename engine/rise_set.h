// Rising, upper transit and setting of a star or a solar-system body during
// one local civil day, found by iteration on the positions the scene
// computation itself gives (geocentric, no refraction).
//
// Every Julian day here is Universal Time; the places are evaluated at
// Terrestrial Time = UT + Delta T, as in the scene. Places are geocentric
// apparent places of date: the Moon's parallax is folded into its standard
// altitude, as almanacs do.
#pragma once

#include <optional>

namespace skyvane::engine {

// Altitudes of the centre at which an object counts as rising or setting,
// degrees. Stars and planets: the refraction at the horizon. The Sun: that
// and its semidiameter. The Moon: that, its semidiameter and its horizontal
// parallax, which geocentric positions leave out.
inline constexpr double kStarStandardAltitude = -0.5667;
inline constexpr double kSunStandardAltitude = -0.8333;
inline constexpr double kMoonStandardAltitude = 0.125;

// The standard altitude of a body (a BodyId).
double StandardAltitude(int body);

// A body's place as the scene computation gives it: geocentric apparent
// right ascension and declination of date and the Greenwich apparent
// sidereal time, all at UT `jd`.
struct SkyPlace {
    double rightAscension;  // hours
    double declination;     // degrees
    double siderealTime;    // hours
};
SkyPlace BodySkyPlace(int body, double jd);

// What rises and sets: a body (a BodyId other than the Earth and Pluto), or
// a catalogue object (body < 0) at its J2000 place `rightAscension` hours
// and `declination` degrees, carried to the apparent place of each instant
// as the charts draw it.
struct RiseSetTarget {
    int body = -1;
    double rightAscension = 0;
    double declination = 0;

    static RiseSetTarget Star(double rightAscension, double declination)
    {
        return {-1, rightAscension, declination};
    }
    static RiseSetTarget Body(int body) { return {body, 0, 0}; }
};
SkyPlace SkyPlaceOf(const RiseSetTarget& target, double jd);

enum class RiseSetState {
    kNormal,       // it rises or sets (or both) during the day
    kAlwaysAbove,  // above the standard altitude all day
    kNeverRises,   // below it all day
};

// The first rising, upper transit and setting from the start of the day
// (inclusive) to its end (exclusive), as UT Julian days; an event that does
// not happen that day is empty. The transit is given in every state.
struct RiseTransitSet {
    RiseSetState state = RiseSetState::kNormal;
    std::optional<double> rise;
    std::optional<double> transit;
    std::optional<double> set;
};

// For an observer at `longitude` degrees (positive west) and `latitude`
// degrees, during the 24 hours from UT `dayStart` (the local midnight that
// begins the day). `standardAltitude` in degrees.
RiseTransitSet FindRiseTransitSet(const RiseSetTarget& target, double dayStart, double longitude,
                                  double latitude, double standardAltitude);

// The UT Julian day of the local midnight that begins the civil day in
// which UT `jd` falls, for a civil time `offsetHours` ahead of UT (time
// zone plus daylight-saving hours).
double LocalDayStart(double jd, double offsetHours);

}  // namespace skyvane::engine
