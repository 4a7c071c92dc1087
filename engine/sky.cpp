#include "engine/sky.h"

#include <array>
#include <cmath>

#include "engine/calendar.h"
#include "engine/delta_t.h"
#include "engine/light_time.h"
#include "engine/moon.h"
#include "engine/transforms.h"

namespace skyvane::engine {

namespace {

// From 1501 to the calendar reform the entered date is read in the Julian
// calendar: the two calendars differ by exactly ten days there, so the day
// is moved on by ten and the Gregorian rule applied. From 5 October 1582
// on the date is Gregorian as entered.
int ChooseCalendar(SkyState& state)
{
    if (state.year <= 1500)
        return 0;
    if (state.year <= 1582) {
        state.day += 10;
        if (state.year == 1582 && 30 * state.month + state.day >= 315)
            state.day -= 10;
    }
    return 1;
}

constexpr int kPlanetsFromEarth[] = {kMercury, kVenus,  kMars,   kJupiter,
                                     kSaturn,  kUranus, kNeptune};
constexpr int kPlanetCount = sizeof kPlanetsFromEarth / sizeof kPlanetsFromEarth[0];

// Every body with an apparent place: the Moon, the Sun, then the planets.
constexpr int kPlaced[] = {kMoon,    kSun,    kMercury, kVenus,  kMars,
                           kJupiter, kSaturn, kUranus,  kNeptune};
constexpr int kPlacedCount = sizeof kPlaced / sizeof kPlaced[0];

}  // namespace

void FoldShownInstant(SkyState& state)
{
    state.year = state.shownYear;
    state.month = state.shownMonth;
    state.day = state.shownDay;
    state.hour = state.shownHour;
    state.minute = state.shownMinute;
    state.second = state.shownSecond;
}

GeocentricPosition SkyCalculator::HeliocentricToGeocentric(double l0, double b0, double r0,
                                                          double l, double b, double r)
{
    return engine::HeliocentricToGeocentric(l0, b0, r0, l, b, r);
}

namespace {

void ClampYear(SkyState& state)
{
    if (state.year <= kFirstYear)
        state.year = kFirstYear;
    if (state.year >= kLastYear)
        state.year = kLastYear;
}

// Julian day in Universal Time of the entered local instant, read in the
// given calendar.
double UniversalJulianDay(const SkyState& state, int gregorian)
{
    return JulianDay(state.year, state.month,
                     state.day + (state.hour - state.timeZone - state.dst) / 24 +
                         state.minute / 1440.0 + state.second / 86400,
                     gregorian);
}

// The entered local instant with its time of day carried into the date,
// read in the given calendar. The date goes through a Julian day at
// midnight, which a double holds exactly; the time of day is carried in
// seconds. Splitting one fractional Julian day instead would resolve only
// some 40 microseconds, so a stepped time of 12:04:00 could come back as
// 12:03:59.99996 and, truncated, lose a second at every time step.
DateFields NormaliseLocalInstant(const SkyState& state, int gregorian)
{
    const double secondsOfDay = state.hour * 3600.0 + state.minute * 60.0 + state.second;
    double days = std::floor(secondsOfDay / 86400);
    double rest = secondsOfDay - days * 86400;
    // The division may round across a day boundary.
    if (rest < 0) {
        rest += 86400;
        days -= 1;
    } else if (rest >= 86400) {
        rest -= 86400;
        days += 1;
    }
    // Seconds so large (or not a number) that no time of day survives them.
    if (!(rest >= 0 && rest < 86400))
        rest = 0;
    CalendarDate midnight;
    midnight.Set(state.year, state.month, state.day + days, 0, 0, 0, gregorian);
    DateFields shown = midnight.Split();
    const double hour = std::floor(rest / 3600);
    const double minute = std::floor((rest - hour * 3600) / 60);
    shown.hour = static_cast<int>(hour);
    shown.minute = static_cast<int>(minute);
    shown.second = rest - hour * 3600 - minute * 60;
    return shown;
}

void CopyEnteredToShown(SkyState& state)
{
    state.shownYear = state.year;
    state.shownMonth = state.month;
    state.shownDay = state.day;
    state.shownHour = state.hour;
    state.shownMinute = state.minute;
    state.shownSecond = state.second;
}

// A local instant as whole fields, in the order they compare.
using ShownFields = std::array<double, 6>;

ShownFields FieldsOf(int year, int month, int day, int hour, int minute, double second)
{
    return {double(year), double(month), double(day), double(hour), double(minute),
            std::trunc(second)};
}

constexpr ShownFields kFirstShown = {kFirstYear, 1, 1, 0, 0, 0};
constexpr ShownFields kLastShown = {kLastYear, 12, 31, 23, 59, 59};

void SetEnteredInstant(SkyState& state, const ShownFields& instant)
{
    state.year = static_cast<int>(instant[0]);
    state.month = static_cast<int>(instant[1]);
    state.day = static_cast<int>(instant[2]);
    state.hour = static_cast<int>(instant[3]);
    state.minute = static_cast<int>(instant[4]);
    state.second = instant[5];
}

// Moves an entered instant that lies before the first or after the last
// instant of the range onto that end, so that a step or an animation
// across an end stops there instead of keeping its time of year in a
// clamped year. The year itself was clamped already; this catches the
// seconds, days and months that carry the date over an end.
RangeEnd SaturateToRange(SkyState& state, int gregorian)
{
    const double localDay =
        JulianDay(state.year, state.month,
                  state.day + state.hour / 24.0 + state.minute / 1440.0 + state.second / 86400,
                  gregorian);
    RangeEnd end = RangeEnd::kInside;
    // Far outside (or so far that the date would not survive a split): no
    // need to look closer. Not a number stays as it is.
    if (localDay < kFirstLocalJulianDay - 2) {
        end = RangeEnd::kFirst;
    } else if (localDay > kEndLocalJulianDay + 2) {
        end = RangeEnd::kLast;
    } else if (localDay < kFirstLocalJulianDay + 2 || localDay > kEndLocalJulianDay - 2) {
        // Near an end: the normalised fields decide, as they are shown.
        const DateFields f = NormaliseLocalInstant(state, gregorian);
        const ShownFields instant = FieldsOf(f.year, f.month, f.day, f.hour, f.minute, f.second);
        if (instant < kFirstShown)
            end = RangeEnd::kFirst;
        else if (instant > kLastShown)
            end = RangeEnd::kLast;
    }
    if (end == RangeEnd::kFirst)
        SetEnteredInstant(state, kFirstShown);
    else if (end == RangeEnd::kLast)
        SetEnteredInstant(state, kLastShown);
    return end;
}

// Everything computed for the Universal Time Julian day `jd`.
void ComputeBodies(SkyState& state, double jd)
{
    // The series run on Terrestrial Time; the Earth's rotation on UT.
    state.universalJulianDay = jd;
    state.deltaT = DeltaTAt(jd);
    const double tt = jd + state.deltaT / 86400;
    state.terrestrialJulianDay = tt;

    // Nutation and the Earth's series are evaluated once and shared by
    // every body below; each gives the same values as a fresh evaluation.
    const Nutation nutation = NutationAt(tt);
    const double meanObliquity = MeanObliquity(tt);
    state.obliquity = TrueObliquity(meanObliquity, nutation);
    state.siderealTime = GreenwichApparentSiderealTime(jd, meanObliquity, nutation);

    // The Earth first, then the planets seen from it.
    HeliocentricPosition helio[1 + kPlanetCount];
    helio[0] = HeliocentricPositionOf(kEarth, tt);
    for (int i = 0; i < kPlanetCount; ++i)
        helio[1 + i] = HeliocentricPositionOf(kPlanetsFromEarth[i], tt);
    EclipticVector vectors[1 + kPlanetCount];
    EclipticVectors(helio, 1 + kPlanetCount, vectors);
    const OrbitalMotion motion(tt);
    const EclipticVector earthVelocity = motion.Velocity(kEarth, vectors[0]);
    // The catalogue's frame, with the Earth's velocity from its own series
    // for the aberration.
    constexpr double kLightAuPerDay = 1 / kLightDaysPerAu;
    state.frame = ApparentPlaceFrameAt(tt, meanObliquity, nutation,
                                       {earthVelocity.x / kLightAuPerDay,
                                        earthVelocity.y / kLightAuPerDay,
                                        earthVelocity.z / kLightAuPerDay});

    const HeliocentricPosition& earth = helio[0];
    state.helioLongitude[kEarth] = earth.longitude;
    state.helioLatitude[kEarth] = earth.latitude;
    state.helioDistance[kEarth] = earth.radius;
    state.geoDistance[kEarth] = 0;

    // Apparent ecliptic places of every body shown from the Earth, in the
    // order of kPlaced, converted together below.
    double longitude[kPlacedCount];
    double latitude[kPlacedCount];
    // Distances from the Earth's centre in equatorial radii, for parallax.
    double earthRadii[kPlacedCount];

    const MoonPosition moon = MoonPositionAt(tt, nutation.longitude);
    state.helioLongitude[kMoon] = moon.longitude;
    state.helioLatitude[kMoon] = moon.latitude;
    state.helioDistance[kMoon] = 0;
    state.geoDistance[kMoon] = moon.distance;
    longitude[0] = moon.longitude;
    latitude[0] = moon.latitude;
    earthRadii[0] = moon.distance / kEarthRadiusKm;

    state.helioLongitude[kSun] = 0;
    state.helioLatitude[kSun] = 0;
    state.helioDistance[kSun] = 0;
    state.geoDistance[kSun] = earth.radius;
    longitude[1] = SunApparentLongitude(earth, nutation.longitude, tt);
    latitude[1] = SunApparentLatitude(earth, tt);
    earthRadii[1] = earth.radius / kEarthRadiusAu;

    for (int i = 0; i < kPlanetCount; ++i) {
        const int body = kPlanetsFromEarth[i];
        const HeliocentricPosition& p = helio[1 + i];
        state.helioLongitude[body] = p.longitude;
        state.helioLatitude[body] = p.latitude;
        state.helioDistance[body] = p.radius;
        const double dx = vectors[1 + i].x - vectors[0].x;
        const double dy = vectors[1 + i].y - vectors[0].y;
        const double dz = vectors[1 + i].z - vectors[0].z;
        const double distance = std::sqrt(dx * dx + dy * dy + dz * dz);
        state.geoDistance[body] = distance;
        earthRadii[2 + i] = distance / kEarthRadiusAu;
        // Light-time and aberration, then nutation: the apparent place.
        const EclipticVector seen = ApparentGeocentricVector(
            vectors[1 + i], motion.Velocity(body, vectors[1 + i]), vectors[0], earthVelocity);
        const GeocentricPosition g = GeocentricFromVectors(seen, {0, 0, 0});
        longitude[2 + i] = g.longitude + nutation.longitude / 3600;
        latitude[2 + i] = g.latitude;
    }

    Equatorial equatorial[kPlacedCount];
    EclipticToEquatorial(longitude, latitude, kPlacedCount,
                         AngleTrig::OfDegrees(state.obliquity), equatorial);
    // Seen from the observer: parallax on the place of date.
    double geocentricHourAngle[kPlacedCount];
    for (int i = 0; i < kPlacedCount; ++i) {
        const int body = kPlaced[i];
        state.rightAscension[body] = equatorial[i].rightAscension;
        state.declination[body] = equatorial[i].declination;
        geocentricHourAngle[i] =
            HourAngle(state.siderealTime, state.longitude, equatorial[i].rightAscension);
    }
    Equatorial topocentric[kPlacedCount];
    TopocentricPlaces(equatorial, earthRadii, geocentricHourAngle, kPlacedCount,
                      ObserverAt(state.latitude), topocentric);
    double hourAngle[kPlacedCount];
    double declination[kPlacedCount];
    for (int i = 0; i < kPlacedCount; ++i) {
        const int body = kPlaced[i];
        state.topocentricRightAscension[body] = topocentric[i].rightAscension;
        state.topocentricDeclination[body] = topocentric[i].declination;
        hourAngle[i] = HourAngle(state.siderealTime, state.longitude, topocentric[i].rightAscension);
        declination[i] = topocentric[i].declination;
    }
    Horizontal horizontal[kPlacedCount];
    EquatorialToHorizontal(hourAngle, declination, kPlacedCount,
                           AngleTrig::OfDegrees(state.latitude), horizontal);
    for (int i = 0; i < kPlacedCount; ++i) {
        const int body = kPlaced[i];
        state.azimuth[body] = horizontal[i].azimuth;
        state.altitude[body] = horizontal[i].altitude;
    }
}

}  // namespace

double SkyCalculator::JulianDayOf(SkyState state)
{
    ClampYear(state);
    int gregorian = 1;
    if (state.realTime == 0) {
        gregorian = ChooseCalendar(state);
        if (SaturateToRange(state, gregorian) != RangeEnd::kInside)
            gregorian = state.year == kFirstYear ? 0 : 1;
    }
    return UniversalJulianDay(state, gregorian);
}

SkyState& SkyCalculator::ComputeSky(SkyState& state) const
{
    ClampYear(state);

    int gregorian = 1;
    if (state.realTime != 0) {
        CopyEnteredToShown(state);
    } else {
        gregorian = ChooseCalendar(state);
        if (SaturateToRange(state, gregorian) != RangeEnd::kInside)
            gregorian = state.year == kFirstYear ? 0 : 1;
        const DateFields shown = NormaliseLocalInstant(state, gregorian);
        state.shownYear = shown.year;
        state.shownMonth = shown.month;
        state.shownDay = shown.day;
        state.shownHour = shown.hour;
        state.shownMinute = shown.minute;
        // Whole seconds, truncated.
        state.shownSecond = std::trunc(shown.second);
    }

    ComputeBodies(state, UniversalJulianDay(state, gregorian));
    return state;
}

SkyState& SkyCalculator::ComputeSkyAt(SkyState& state, double universalJulianDay) const
{
    CopyEnteredToShown(state);
    ComputeBodies(state, universalJulianDay);
    return state;
}

Equatorial ApparentPlaceOf(const SkyState& state, double rightAscensionHours,
                           double declinationDegrees)
{
    return ApparentPlace(state.frame, rightAscensionHours, declinationDegrees);
}

Horizontal HorizontalPlaceOf(const SkyState& state, const Equatorial& ofDate)
{
    return EquatorialToHorizontal(
        HourAngle(state.siderealTime, state.longitude, ofDate.rightAscension),
        ofDate.declination, state.latitude);
}

RangeEnd ShownRangeEnd(const SkyState& state)
{
    const ShownFields shown = FieldsOf(state.shownYear, state.shownMonth, state.shownDay,
                                       state.shownHour, state.shownMinute, state.shownSecond);
    if (shown <= kFirstShown)
        return RangeEnd::kFirst;
    if (shown >= kLastShown)
        return RangeEnd::kLast;
    return RangeEnd::kInside;
}

}  // namespace skyvane::engine
