// The three ways the charts turn sky positions into window pixels, and the
// rule that decides which stars twilight leaves visible.
#pragma once

#include <cstdint>

#include "engine/apparent_place.h"
#include "engine/sky.h"

namespace skyvane::render {

struct PixelPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

// Casts toward zero as the charts' integer layout arithmetic does, with
// values no page or window can show (and NaN) pinned to something harmless
// first, so a wild input never becomes undefined behaviour.
int TruncateToPixel(double value);

// Catalogue positions reach the sky mappings as whole steps of 1/2700 hour
// and 1/360 degree, cut toward zero.
inline constexpr int kRaCodePerHour = 2700;
inline constexpr int kDecCodePerDegree = 360;
std::int32_t RaCode(double rightAscensionHours);
std::int32_t DecCode(double declinationDegrees);

// Horizontal chart: azimuthal equidistant, zenith at (cx, cy), horizon on
// the circle of `radius`. Azimuth in degrees from the south towards the
// west, altitude in degrees. `orientation` -1 puts north up and west right;
// +1 mirrors east and west.
PixelPoint ProjectHorizontal(int cx, int cy, int radius, double azimuth, double altitude,
                             int orientation);

// A catalogue object on the horizontal chart for the instant and observer of
// `state`: its J2000 catalogue position (as codes) carried to the apparent
// place of the instant. Objects at or below the horizon are not visible and
// keep (0, 0).
struct StarPlacement {
    bool visible = false;
    int x = 0;
    int y = 0;
};
StarPlacement ProjectStarHorizontal(const engine::SkyState& state, std::int32_t raCode,
                                    std::int32_t decCode, int cx, int cy, int radius,
                                    int orientation);

// A place already of date (as codes), such as a body's topocentric place,
// on the horizontal chart.
StarPlacement ProjectOfDateHorizontal(const engine::SkyState& state, std::int32_t raCode,
                                      std::int32_t decCode, int cx, int cy, int radius,
                                      int orientation);

// The observer's view of the sky of date at the state's instant: the local
// apparent sidereal angle and the latitude, as sines and cosines.
struct ObserverTurn {
    double sinSidereal = 0;
    double cosSidereal = 1;
    double sinLatitude = 0;
    double cosLatitude = 1;
    static ObserverTurn Of(const engine::SkyState& state);
};

// Azimuth (from the south towards the west, 0 <= A < 360) and altitude of
// an apparent direction of date; the azimuth only when `withAzimuth`.
engine::Horizontal HorizontalOfDirection(const engine::UnitVector& direction,
                                         const ObserverTurn& turn, bool withAzimuth = true);

// A direction in the observer's frame: its components towards the south
// and the west point, and up (kept within -1..1).
struct LocalComponents {
    double south, west, up;
};
LocalComponents LocalOf(const engine::UnitVector& direction, const ObserverTurn& turn);

// An apparent direction of date on the horizontal chart.
StarPlacement PlaceDirectionHorizontal(const engine::UnitVector& direction,
                                       const ObserverTurn& turn, int cx, int cy, int radius,
                                       int orientation);

// Whether a star of `magnitude` shows with the Sun at `sunAltitude` degrees:
// all of them in full night, only the brightest in twilight, none by day.
bool StarVisibleInTwilight(double sunAltitude, double magnitude);

// What the geocentric chart keeps below its map for the tables, in pixels.
inline constexpr int kGeocentricTableSpace = 200;

// Geocentric chart of a window width x height with `tableSpace` pixels kept
// below for the tables. With flip 1 (what the chart uses) right ascension
// runs from 24 h at the left edge to 0 h at the right and declination from
// +45 at the top to -45 at the bottom of the chart area.
PixelPoint ProjectGeocentric(std::int32_t raCode, std::int32_t decCode, int width, int height,
                             int flip, int tableSpace = kGeocentricTableSpace);

// The geocentric chart's placement of a position in hours and degrees:
// through the integer codes, with flip 1.
PixelPoint MapGeocentric(double raHours, double decDegrees, int width, int height,
                         int tableSpace = kGeocentricTableSpace);

// Heliocentric chart: offset from the Sun in pixels of a body at heliocentric
// `longitude` degrees and `distance` AU, `zoom` pixels per AU. Longitude 0 is
// up, 90 right, 180 down.
PixelPoint ProjectHeliocentric(double longitude, double distance, int zoom);

}  // namespace skyvane::render
