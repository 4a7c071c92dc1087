// Everything the charts show for one instant and observer, and the one
// call that computes it.
//
// Time scales: the entered and shown instants are local civil time; every
// Julian day named "universal" is Universal Time (UT), which also turns the
// Earth (sidereal time); every Julian day named "terrestrial" is
// Terrestrial Time (TT = UT + Delta T), at which the Sun, Moon and planet
// series and the precession and nutation are evaluated.
#pragma once

#include <array>
#include <string>

#include "engine/apparent_place.h"
#include "engine/body.h"
#include "engine/planets.h"

namespace skyvane::engine {

// One observer place. Longitude in degrees positive west, latitude positive
// north, time zone in hours east of Greenwich, dst 0 or 1.
struct Location {
    std::string name;
    double longitude = 0;
    double latitude = 0;
    double timeZone = 0;
    int dst = 0;
};

constexpr int kLocationSlots = 10;
constexpr int kLocationsInUse = 5;

struct LocationTable {
    // Not "slots": Qt reserves that word as a macro.
    std::array<Location, kLocationSlots> entries{};
};

// The sky window's block of state; value-initialised it reads as zeros.
struct SkyState {
    // Instant in local civil time; year in astronomical numbering.
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int dst = 0;
    double second = 0;  // may run past 60: time stepping adds seconds here
    double timeZone = 0;  // hours east of Greenwich

    // The instant normalised for display.
    int shownYear = 0;
    int shownMonth = 0;
    int shownDay = 0;
    int shownHour = 0;
    int shownMinute = 0;
    double shownSecond = 0;

    double longitude = 0;  // degrees, positive west
    double latitude = 0;   // degrees, positive north

    // Indexed by BodyId. For the Moon (10) the heliocentric longitude and
    // latitude hold its geocentric apparent longitude and latitude, and its
    // geocentric distance is in kilometres. Heliocentric places are
    // geometric, at the terrestrial Julian day.
    double helioLongitude[kBodyCount] = {};
    double helioLatitude[kBodyCount] = {};
    double helioDistance[kBodyCount] = {};
    // Geocentric apparent places of date (true equator and equinox; the
    // planets with light-time and aberration): what the geocentric chart
    // and its table show.
    double rightAscension[kBodyCount] = {};  // hours
    double declination[kBodyCount] = {};     // degrees
    double geoDistance[kBodyCount] = {};     // AU, km for the Moon; geometric
    // Topocentric apparent places: the same seen from the observer on the
    // Earth's surface (height 0), with the parallax that moves the Moon by
    // up to a degree. Everything drawn or listed for an observer uses these.
    double topocentricRightAscension[kBodyCount] = {};  // hours
    double topocentricDeclination[kBodyCount] = {};     // degrees
    // Horizontal place of the topocentric place, no refraction.
    double azimuth[kBodyCount] = {};         // degrees from south towards west
    double altitude[kBodyCount] = {};        // degrees
    double obliquity = 0;                    // true obliquity of date, degrees
    double siderealTime = 0;                 // Greenwich apparent, hours, at UT

    // The instant on both time scales. universalJulianDay is UT;
    // terrestrialJulianDay is TT = UT + deltaT / 86400; deltaT in seconds.
    double universalJulianDay = 0;
    double terrestrialJulianDay = 0;
    double deltaT = 0;
    // J2000 catalogue places to apparent places of date at
    // terrestrialJulianDay (precession, nutation, annual aberration),
    // computed once per scene and applied to every catalogue object.
    ApparentPlaceFrame frame;

    std::string locationName;
    LocationTable locations;
    int realTime = 0;  // non-zero while following the computer clock
};

// Years outside this range are computed as the nearest end of it.
constexpr int kFirstYear = -4713;
constexpr int kLastYear = 9999;

// Local Julian days (the Julian day counted in the place's civil time) of
// the first instant computed, -4713-01-01 00:00:00 in the Julian calendar,
// and of the instant just after the last, 9999-12-31 23:59:59 Gregorian.
// Stepping or animating across either end stops on it.
constexpr double kFirstLocalJulianDay = -365.5;
constexpr double kEndLocalJulianDay = 5373484.5;

// Where a computed state's shown instant stands in the range.
enum class RangeEnd { kInside, kFirst, kLast };
RangeEnd ShownRangeEnd(const SkyState& state);

// Copies the normalised instant back into the entered one, as every caller
// of ComputeSky does after the call, so that accumulated seconds fold into
// the date.
void FoldShownInstant(SkyState& state);

// The apparent place of date (hours, degrees) of a J2000 catalogue place
// (hours, degrees) at the state's instant; the state must have been computed.
Equatorial ApparentPlaceOf(const SkyState& state, double rightAscensionHours,
                           double declinationDegrees);

// Azimuth and altitude for the state's observer of a place of date (hours,
// degrees) far enough for parallax not to matter (stars, Messier objects).
Horizontal HorizontalPlaceOf(const SkyState& state, const Equatorial& ofDate);

class SkyCalculator {
public:
    // Fills the computed and shown fields of `state` for its instant and
    // observer and returns it. An instant before the first or after the
    // last of the range is computed and shown as that end. May move
    // `state.day` while it reads the date in the right calendar; callers
    // copy the shown instant back afterwards.
    SkyState& ComputeSky(SkyState& state) const;

    // Fills the computed fields for the Universal Time Julian day
    // `universalJulianDay` (UT) exactly, for callers that start from a Julian
    // day rather than a local date. The entered instant is the caller's
    // local reading of that day and is shown as it is; nothing is clamped
    // or normalised.
    SkyState& ComputeSkyAt(SkyState& state, double universalJulianDay) const;

    // The Universal Time Julian day that ComputeSky uses for `state`.
    static double JulianDayOf(SkyState state);

    static GeocentricPosition HeliocentricToGeocentric(double l0, double b0, double r0, double l,
                                                       double b, double r);
};

}  // namespace skyvane::engine
