#include "engine/sky.h"

#include <cmath>

#include "engine/calendar.h"
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

}  // namespace

double SkyCalculator::JulianDayOf(SkyState state)
{
    ClampYear(state);
    const int gregorian = state.realTime != 0 ? 1 : ChooseCalendar(state);
    return UniversalJulianDay(state, gregorian);
}

SkyState& SkyCalculator::ComputeSky(SkyState& state) const
{
    ClampYear(state);

    int gregorian = 1;
    if (state.realTime != 0) {
        state.shownYear = state.year;
        state.shownMonth = state.month;
        state.shownDay = state.day;
        state.shownHour = state.hour;
        state.shownMinute = state.minute;
        state.shownSecond = state.second;
    } else {
        gregorian = ChooseCalendar(state);
        const DateFields shown = NormaliseLocalInstant(state, gregorian);
        state.shownYear = shown.year;
        state.shownMonth = shown.month;
        state.shownDay = shown.day;
        state.shownHour = shown.hour;
        state.shownMinute = shown.minute;
        // Whole seconds, truncated.
        state.shownSecond = std::trunc(shown.second);
    }

    const double jd = UniversalJulianDay(state, gregorian);

    // Nutation and the Earth's series are evaluated once and shared by
    // every body below; each gives the same values as a fresh evaluation.
    const Nutation nutation = NutationAt(jd);
    const double meanObliquity = MeanObliquity(jd);
    state.obliquity = TrueObliquity(meanObliquity, nutation);
    state.siderealTime = GreenwichApparentSiderealTime(jd, meanObliquity, nutation);

    // The Earth first, then the planets seen from it.
    HeliocentricPosition helio[1 + kPlanetCount];
    helio[0] = HeliocentricPositionOf(kEarth, jd);
    for (int i = 0; i < kPlanetCount; ++i)
        helio[1 + i] = HeliocentricPositionOf(kPlanetsFromEarth[i], jd);
    EclipticVector vectors[1 + kPlanetCount];
    EclipticVectors(helio, 1 + kPlanetCount, vectors);

    const HeliocentricPosition& earth = helio[0];
    state.helioLongitude[kEarth] = earth.longitude;
    state.helioLatitude[kEarth] = earth.latitude;
    state.helioDistance[kEarth] = earth.radius;
    state.geoDistance[kEarth] = 0;

    // Apparent ecliptic places of every body shown from the Earth, in the
    // order of kPlaced, converted together below.
    double longitude[kPlacedCount];
    double latitude[kPlacedCount];

    const MoonPosition moon = MoonPositionAt(jd, nutation.longitude);
    state.helioLongitude[kMoon] = moon.longitude;
    state.helioLatitude[kMoon] = moon.latitude;
    state.helioDistance[kMoon] = 0;
    state.geoDistance[kMoon] = moon.distance;
    longitude[0] = moon.longitude;
    latitude[0] = moon.latitude;

    state.helioLongitude[kSun] = 0;
    state.helioLatitude[kSun] = 0;
    state.helioDistance[kSun] = 0;
    state.geoDistance[kSun] = earth.radius;
    longitude[1] = SunApparentLongitude(earth, nutation.longitude, jd);
    latitude[1] = SunApparentLatitude(earth, jd);

    for (int i = 0; i < kPlanetCount; ++i) {
        const int body = kPlanetsFromEarth[i];
        const HeliocentricPosition& p = helio[1 + i];
        state.helioLongitude[body] = p.longitude;
        state.helioLatitude[body] = p.latitude;
        state.helioDistance[body] = p.radius;
        const GeocentricPosition g = GeocentricFromVectors(vectors[1 + i], vectors[0]);
        state.geoDistance[body] = g.distance;
        longitude[2 + i] = g.longitude;
        latitude[2 + i] = g.latitude;
    }

    Equatorial equatorial[kPlacedCount];
    EclipticToEquatorial(longitude, latitude, kPlacedCount,
                         AngleTrig::OfDegrees(state.obliquity), equatorial);
    double hourAngle[kPlacedCount];
    double declination[kPlacedCount];
    for (int i = 0; i < kPlacedCount; ++i) {
        hourAngle[i] = HourAngle(state.siderealTime, state.longitude,
                                 equatorial[i].rightAscension);
        declination[i] = equatorial[i].declination;
    }
    Horizontal horizontal[kPlacedCount];
    EquatorialToHorizontal(hourAngle, declination, kPlacedCount,
                           AngleTrig::OfDegrees(state.latitude), horizontal);
    for (int i = 0; i < kPlacedCount; ++i) {
        const int body = kPlaced[i];
        state.rightAscension[body] = equatorial[i].rightAscension;
        state.declination[body] = equatorial[i].declination;
        state.azimuth[body] = horizontal[i].azimuth;
        state.altitude[body] = horizontal[i].altitude;
    }
    return state;
}

}  // namespace skyvane::engine
