#include "engine/light_time.h"

#include <cmath>

#include "engine/body.h"
#include "engine/calendar.h"
#include "engine/units.h"

namespace skyvane::engine {

namespace {

// Gaussian gravitational constant, radians per day.
constexpr double kGauss = 0.01720209895;

// Mean orbits at J2000 referred to the ecliptic and equinox of J2000:
// semi-major axis (AU), eccentricity, inclination, longitude of perihelion
// and of the ascending node (degrees).
struct MeanOrbit {
    double a, e, inclination, perihelion, node;
};

const MeanOrbit* OrbitOf(int body)
{
    static constexpr MeanOrbit kOrbits[] = {
        {0.38709927, 0.20563593, 7.00497902, 77.45779628, 48.33076593},    // Mercury
        {0.72333566, 0.00677672, 3.39467605, 131.60246718, 76.67984255},   // Venus
        {1.00000261, 0.01671123, 0.0, 102.93768193, 0.0},                  // Earth
        {1.52371034, 0.09339410, 1.84969142, 336.05637041, 49.55953891},   // Mars
        {5.20288700, 0.04838624, 1.30439695, 14.72847983, 100.47390909},   // Jupiter
        {9.53667594, 0.05386179, 2.48599187, 92.59887831, 113.66242448},   // Saturn
        {19.18916464, 0.04725744, 0.77263783, 170.95427630, 74.01692503},  // Uranus
        {30.06992276, 0.00859048, 1.77004347, 44.96476227, 131.78422574},  // Neptune
    };
    if (body < kMercury || body > kNeptune)
        return nullptr;
    return &kOrbits[body - kMercury];
}

// General precession in longitude, degrees per Julian century: the
// perihelia and nodes of date move on by this against the equinox.
constexpr double kPrecessionPerCentury = 1.396971;

}  // namespace

EclipticVector OrbitalVelocity(int body, const EclipticVector& position,
                               double terrestrialJulianDay)
{
    const MeanOrbit* orbit = OrbitOf(body);
    const double r = std::sqrt(position.x * position.x + position.y * position.y +
                               position.z * position.z);
    if (orbit == nullptr || !(r > 0))
        return {0, 0, 0};
    const double shift = kPrecessionPerCentury * JulianCenturies(terrestrialJulianDay);
    const double perihelion = DegToRad(orbit->perihelion + shift);
    const double node = DegToRad(orbit->node + shift);
    const double inclination = DegToRad(orbit->inclination);
    // Unit vectors: towards the body, and the pole of its orbit.
    const double ux = position.x / r, uy = position.y / r, uz = position.z / r;
    const double nx = std::sin(inclination) * std::sin(node);
    const double ny = -std::sin(inclination) * std::cos(node);
    const double nz = std::cos(inclination);
    // Along the orbit, perpendicular to the radius, in the sense of motion.
    double tx = ny * uz - nz * uy;
    double ty = nz * ux - nx * uz;
    double tz = nx * uy - ny * ux;
    const double tn = std::sqrt(tx * tx + ty * ty + tz * tz);
    tx /= tn, ty /= tn, tz /= tn;
    // True anomaly from the direction of the perihelion (the small tilt of
    // the orbit against the ecliptic is left out).
    const double cosNu = ux * std::cos(perihelion) + uy * std::sin(perihelion);
    const double sinNu = uy * std::cos(perihelion) - ux * std::sin(perihelion);
    const double p = orbit->a * (1 - orbit->e * orbit->e);
    const double speed = kGauss / std::sqrt(p);
    const double radial = speed * orbit->e * sinNu;
    const double along = speed * (1 + orbit->e * cosNu);
    return {radial * ux + along * tx, radial * uy + along * ty, radial * uz + along * tz};
}

EclipticVector ApparentGeocentricVector(const EclipticVector& body,
                                        const EclipticVector& bodyVelocity,
                                        const EclipticVector& earth,
                                        const EclipticVector& earthVelocity)
{
    const double x = body.x - earth.x;
    const double y = body.y - earth.y;
    const double z = body.z - earth.z;
    const double tau = std::sqrt(x * x + y * y + z * z) * kLightDaysPerAu;
    // The body where it was when the light left it, seen from where the
    // Earth is, then displaced by the Earth's own motion (aberration): the
    // two together take the relative velocity over the light time.
    return {x - (bodyVelocity.x - earthVelocity.x) * tau,
            y - (bodyVelocity.y - earthVelocity.y) * tau,
            z - (bodyVelocity.z - earthVelocity.z) * tau};
}

GeocentricObserver ObserverAt(double latitudeDegrees)
{
    // Polar over equatorial radius of the reference ellipsoid.
    constexpr double kAxisRatio = 0.99664719;
    const double phi = DegToRad(latitudeDegrees);
    const double u = std::atan(kAxisRatio * std::tan(phi));
    return {kAxisRatio * std::sin(u), std::cos(u)};
}

Equatorial TopocentricPlace(const Equatorial& geocentric, double earthRadii, double hourAngle,
                            const GeocentricObserver& observer)
{
    if (!(earthRadii > 1) || !std::isfinite(earthRadii))
        return geocentric;
    const double sinParallax = 1 / earthRadii;
    const double h = HoursToRad(hourAngle);
    const double d = DegToRad(geocentric.declination);
    const double cosD = std::cos(d);
    const double denominator = cosD - observer.rhoCosLatitude * sinParallax * std::cos(h);
    const double shift =
        std::atan2(-observer.rhoCosLatitude * sinParallax * std::sin(h), denominator);
    double ra = geocentric.rightAscension + RadToHours(shift);
    if (ra < 0)
        ra += 24;
    if (ra >= 24)
        ra -= 24;
    const double dec = RadToDeg(std::atan2(
        (std::sin(d) - observer.rhoSinLatitude * sinParallax) * std::cos(shift), denominator));
    return {ra, dec};
}

}  // namespace skyvane::engine
