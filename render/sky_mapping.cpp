#include "render/sky_mapping.h"

#include "render/catalogue_of_date.h"

#include <limits>

#include <cmath>

#include "engine/transforms.h"
#include "engine/units.h"

namespace skyvane::render {

namespace {

// The charts convert degrees with this divisor, not a multiplication by
// pi / 180, so the last bit of a position matches theirs.
constexpr double kDegreesPerRadian = 57.29577951308232;

int Truncate(double value)
{
    return static_cast<int>(value);
}

}  // namespace

namespace {

// Cut toward zero like a plain cast, but a catalogue value far outside the
// sky (or not a number) must not turn into undefined behaviour: it
// saturates, and NaN becomes 0.
std::int32_t TruncatedCode(double value)
{
    if (!(value == value))
        return 0;
    constexpr double kMax = std::numeric_limits<std::int32_t>::max();
    constexpr double kMin = std::numeric_limits<std::int32_t>::min();
    if (value >= kMax)
        return std::numeric_limits<std::int32_t>::max();
    if (value <= kMin)
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

}  // namespace

int TruncateToPixel(double value)
{
    constexpr double kFarOutside = 1e6;
    if (!(value > -kFarOutside)) {
        return std::isnan(value) ? 0 : -static_cast<int>(kFarOutside);
    }
    if (value > kFarOutside) {
        return static_cast<int>(kFarOutside);
    }
    return static_cast<int>(value);
}

std::int32_t RaCode(double rightAscensionHours)
{
    return TruncatedCode(rightAscensionHours * kRaCodePerHour);
}

std::int32_t DecCode(double declinationDegrees)
{
    return TruncatedCode(declinationDegrees * kDecCodePerDegree);
}

PixelPoint ProjectHorizontal(int cx, int cy, int radius, double azimuth, double altitude,
                             int orientation)
{
    const double theta = (azimuth + 180) * orientation / kDegreesPerRadian;
    // Floating division: the horizon must land on the rim, not inside it.
    const double rho = (90 - altitude) * (radius / 90.0);
    return {cx + Truncate(std::sin(theta) * rho), cy - Truncate(std::cos(theta) * rho)};
}

ObserverTurn ObserverTurn::Of(const engine::SkyState& state)
{
    // Local apparent sidereal time: the hour angle of right ascension 0.
    const double sidereal =
        engine::HoursToRad(engine::HourAngle(state.siderealTime, state.longitude, 0));
    const double latitude = engine::DegToRad(state.latitude);
    return {std::sin(sidereal), std::cos(sidereal), std::sin(latitude), std::cos(latitude)};
}

LocalComponents LocalOf(const engine::UnitVector& v, const ObserverTurn& turn)
{
    // Into the hour-angle frame: x towards the meridian, y towards the west
    // (cos d cos H and cos d sin H).
    const double towardsMeridian = v.x * turn.cosSidereal + v.y * turn.sinSidereal;
    const double towardsWest = v.x * turn.sinSidereal - v.y * turn.cosSidereal;
    const double up = v.z * turn.sinLatitude + towardsMeridian * turn.cosLatitude;
    return {towardsMeridian * turn.sinLatitude - v.z * turn.cosLatitude, towardsWest,
            up > 1 ? 1 : (up < -1 ? -1 : up)};
}

engine::Horizontal HorizontalOfDirection(const engine::UnitVector& v, const ObserverTurn& turn,
                                         bool withAzimuth)
{
    const LocalComponents local = LocalOf(v, turn);
    engine::Horizontal h{0, engine::RadToDeg(std::asin(local.up))};
    if (withAzimuth) {
        constexpr double kFullTurn = 360;
        double azimuth = engine::RadToDeg(std::atan2(local.west, local.south));
        if (azimuth < 0) {
            azimuth += kFullTurn;
        }
        if (azimuth >= kFullTurn) {
            azimuth -= kFullTurn;
        }
        h.azimuth = azimuth;
    }
    return h;
}

StarPlacement PlaceDirectionHorizontal(const engine::UnitVector& direction,
                                       const ObserverTurn& turn, int cx, int cy, int radius,
                                       int orientation)
{
    StarPlacement placement;
    const engine::Horizontal altitudeOnly = HorizontalOfDirection(direction, turn, false);
    placement.visible = altitudeOnly.altitude > 0;
    if (placement.visible) {
        const engine::Horizontal h = HorizontalOfDirection(direction, turn);
        const PixelPoint point = ProjectHorizontal(cx, cy, radius, h.azimuth, h.altitude, orientation);
        placement.x = point.x;
        placement.y = point.y;
    }
    return placement;
}

StarPlacement ProjectStarHorizontal(const engine::SkyState& state, std::int32_t raCode,
                                    std::int32_t decCode, int cx, int cy, int radius,
                                    int orientation)
{
    return PlaceDirectionHorizontal(ApparentDirectionOfCodes(state, raCode, decCode),
                                    ObserverTurn::Of(state), cx, cy, radius, orientation);
}

StarPlacement ProjectOfDateHorizontal(const engine::SkyState& state, std::int32_t raCode,
                                      std::int32_t decCode, int cx, int cy, int radius,
                                      int orientation)
{
    StarPlacement placement;
    const double ra = static_cast<double>(raCode) / kRaCodePerHour;
    const double dec = static_cast<double>(decCode) / kDecCodePerDegree;
    const double hourAngle = engine::HourAngle(state.siderealTime, state.longitude, ra);
    const engine::Horizontal horizontal =
        engine::EquatorialToHorizontal(hourAngle, dec, state.latitude);
    placement.visible = horizontal.altitude > 0;
    if (placement.visible) {
        const PixelPoint point =
            ProjectHorizontal(cx, cy, radius, horizontal.azimuth, horizontal.altitude, orientation);
        placement.x = point.x;
        placement.y = point.y;
    }
    return placement;
}

bool StarVisibleInTwilight(double sunAltitude, double magnitude)
{
    constexpr double kFullNight = -15;
    constexpr double kDaylight = -1;
    if (sunAltitude <= kFullNight) {
        return true;
    }
    if (sunAltitude < kDaylight) {
        // The limiting magnitude rises by 0.55 per degree the Sun sinks.
        constexpr double kLimitOffset = 4;
        constexpr double kLimitPerDegree = 0.55;
        return magnitude < (-sunAltitude - kLimitOffset) * kLimitPerDegree;
    }
    return false;
}

PixelPoint ProjectGeocentric(std::int32_t raCode, std::int32_t decCode, int width, int height,
                             int flip, int tableSpace)
{
    constexpr double kHoursPerTurn = 24;
    constexpr double kDegreesPerChartHeight = 90;
    double ra = static_cast<double>(raCode) / kRaCodePerHour;
    double dec = static_cast<double>(decCode) / kDecCodePerDegree;
    if (flip == 1) {
        ra = -ra;
    } else {
        dec = -dec;
    }
    const int chartHeight = height - tableSpace;
    // (chartHeight / 2) is whole-number division: the chart's equator sits on
    // a whole pixel row.
    return {Truncate(ra * width / kHoursPerTurn + width),
            Truncate(-chartHeight * dec / kDegreesPerChartHeight + chartHeight / 2)};
}

PixelPoint MapGeocentric(double raHours, double decDegrees, int width, int height,
                         int tableSpace)
{
    constexpr int kFlip = 1;
    return ProjectGeocentric(RaCode(raHours), DecCode(decDegrees), width, height, kFlip,
                             tableSpace);
}

PixelPoint ProjectHeliocentric(double longitude, double distance, int zoom)
{
    double a = longitude - 90;
    if (a < 0) {
        a += 360;
    }
    a /= kDegreesPerRadian;
    return {Truncate(std::cos(a) * distance * zoom), Truncate(std::sin(a) * distance * zoom)};
}

}  // namespace skyvane::render
