#include "engine/light_time.h"

#include <cmath>

#include "engine/body.h"
#include "engine/calendar.h"
#include "engine/trig_kernels.h"
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

// The mean orbits with what the velocity needs of them worked out once:
// the orbit's pole and the direction of its perihelion in the ecliptic and
// equinox of J2000, and the speed scale.
struct OrbitShape {
    double e;
    double speed;  // Gaussian constant over sqrt(a (1 - e^2)), AU per day
    double poleX, poleY, poleZ;
    double perihelionCos, perihelionSin;

    explicit OrbitShape(const MeanOrbit& o = {1, 0, 0, 0, 0})
        : e(o.e), speed(kGauss / std::sqrt(o.a * (1 - o.e * o.e)))
    {
        const double i = DegToRad(o.inclination);
        const double node = DegToRad(o.node);
        poleX = std::sin(i) * std::sin(node);
        poleY = -std::sin(i) * std::cos(node);
        poleZ = std::cos(i);
        perihelionCos = std::cos(DegToRad(o.perihelion));
        perihelionSin = std::sin(DegToRad(o.perihelion));
    }
};

const OrbitShape* ShapeOf(int body)
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
    static const struct Shapes {
        OrbitShape shape[8];
        Shapes()
        {
            for (int i = 0; i < 8; ++i)
                shape[i] = OrbitShape(kOrbits[i]);
        }
    } shapes;
    if (body < kMercury || body > kNeptune)
        return nullptr;
    return &shapes.shape[body - kMercury];
}

// General precession in longitude, degrees per Julian century: the
// perihelia and nodes of date move on by this against the equinox.
constexpr double kPrecessionPerCentury = 1.396971;

}  // namespace

OrbitalMotion::OrbitalMotion(double terrestrialJulianDay)
{
    const double shift = DegToRad(kPrecessionPerCentury * JulianCenturies(terrestrialJulianDay));
    sinShift_ = std::sin(shift);
    cosShift_ = std::cos(shift);
}

EclipticVector OrbitalMotion::Velocity(int body, const EclipticVector& position) const
{
    const OrbitShape* orbit = ShapeOf(body);
    const double r = std::sqrt(position.x * position.x + position.y * position.y +
                               position.z * position.z);
    if (orbit == nullptr || !(r > 0))
        return {0, 0, 0};
    // Pole and perihelion turned about the ecliptic pole by the precession.
    const double nx = orbit->poleX * cosShift_ - orbit->poleY * sinShift_;
    const double ny = orbit->poleX * sinShift_ + orbit->poleY * cosShift_;
    const double nz = orbit->poleZ;
    const double pc = orbit->perihelionCos * cosShift_ - orbit->perihelionSin * sinShift_;
    const double ps = orbit->perihelionSin * cosShift_ + orbit->perihelionCos * sinShift_;
    // Unit vector towards the body.
    const double ux = position.x / r, uy = position.y / r, uz = position.z / r;
    // Along the orbit, perpendicular to the radius, in the sense of motion.
    double tx = ny * uz - nz * uy;
    double ty = nz * ux - nx * uz;
    double tz = nx * uy - ny * ux;
    const double tn = std::sqrt(tx * tx + ty * ty + tz * tz);
    tx /= tn, ty /= tn, tz /= tn;
    // True anomaly from the direction of the perihelion (the small tilt of
    // the orbit against the ecliptic is left out).
    const double cosNu = ux * pc + uy * ps;
    const double sinNu = uy * pc - ux * ps;
    const double radial = orbit->speed * orbit->e * sinNu;
    const double along = orbit->speed * (1 + orbit->e * cosNu);
    return {radial * ux + along * tx, radial * uy + along * ty, radial * uz + along * tz};
}

EclipticVector OrbitalVelocity(int body, const EclipticVector& position,
                               double terrestrialJulianDay)
{
    return OrbitalMotion(terrestrialJulianDay).Velocity(body, position);
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

namespace {

Equatorial TopocentricFromTrig(const Equatorial& geocentric, double earthRadii, double sinH,
                               double cosH, double sinD, double cosD,
                               const GeocentricObserver& observer)
{
    if (!(earthRadii > 1) || !std::isfinite(earthRadii))
        return geocentric;
    const double sinParallax = 1 / earthRadii;
    // Beyond the Moon the parallax is under 40 arc seconds (2e-4 rad) and
    // its first order is exact to a thousandth of an arc second, away from
    // the poles of the equator.
    constexpr double kFirstOrderParallax = 2.5e-4;
    if (sinParallax < kFirstOrderParallax && cosD > 0.01) {
        double ra = geocentric.rightAscension -
                    RadToHours(observer.rhoCosLatitude * sinParallax * sinH / cosD);
        if (ra < 0)
            ra += 24;
        if (ra >= 24)
            ra -= 24;
        const double dec =
            geocentric.declination -
            RadToDeg(sinParallax *
                     (observer.rhoSinLatitude * cosD - observer.rhoCosLatitude * cosH * sinD));
        return {ra, dec};
    }
    // The body's vector less the observer's, over the body's distance, in
    // a frame turned to the body's right ascension: (along, across, up).
    const double along = cosD - observer.rhoCosLatitude * sinParallax * cosH;
    const double across = -observer.rhoCosLatitude * sinParallax * sinH;
    const double up = sinD - observer.rhoSinLatitude * sinParallax;
    double ra = geocentric.rightAscension + RadToHours(std::atan2(across, along));
    if (ra < 0)
        ra += 24;
    if (ra >= 24)
        ra -= 24;
    // Against the length in the equator's plane, which is never negative:
    // a body near the pole that the parallax carries over it comes out on
    // the far side, 12 hours round, not beyond 90 degrees.
    const double dec = RadToDeg(std::atan2(up, std::sqrt(along * along + across * across)));
    return {ra, dec};
}

constexpr int kMaxTopocentric = 16;

}  // namespace

Equatorial TopocentricPlace(const Equatorial& geocentric, double earthRadii, double hourAngle,
                            const GeocentricObserver& observer)
{
    const double h = HoursToRad(hourAngle);
    const double d = DegToRad(geocentric.declination);
    return TopocentricFromTrig(geocentric, earthRadii, std::sin(h), std::cos(h), std::sin(d),
                               std::cos(d), observer);
}

void TopocentricPlaces(const Equatorial* geocentric, const double* earthRadii,
                       const double* hourAngle, int count, const GeocentricObserver& observer,
                       Equatorial* out)
{
    const int n = count < kMaxTopocentric ? count : kMaxTopocentric;
    double arg[2 * kMaxTopocentric] = {};
    for (int i = 0; i < n; ++i) {
        arg[i] = HoursToRad(hourAngle[i]);
        arg[kMaxTopocentric + i] = DegToRad(geocentric[i].declination);
    }
    double sinArg[2 * kMaxTopocentric];
    double cosArg[2 * kMaxTopocentric];
    SinCosArrays(arg, sinArg, cosArg, 2 * kMaxTopocentric);
    for (int i = 0; i < n; ++i)
        out[i] = TopocentricFromTrig(geocentric[i], earthRadii[i], sinArg[i], cosArg[i],
                                     sinArg[kMaxTopocentric + i], cosArg[kMaxTopocentric + i],
                                     observer);
}

}  // namespace skyvane::engine
