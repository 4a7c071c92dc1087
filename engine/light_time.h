// Light-time and aberration of the planets, and the parallax of a body seen
// from the observer on the Earth's surface.
#pragma once

#include "engine/planets.h"
#include "engine/transforms.h"

namespace skyvane::engine {

// Light needs this many days to cross one astronomical unit.
inline constexpr double kLightDaysPerAu = 0.0057755183;

// A body's heliocentric velocity in AU per day in the ecliptic and equinox
// of date, from its heliocentric ecliptic vector (AU) and the shape of its
// orbit (two-body motion on the mean orbit, turned by the precession since
// J2000), for the TT Julian day the motion was made for. For a BodyId
// without an orbit (Sun, Moon, Pluto) zero.
class OrbitalMotion {
public:
    explicit OrbitalMotion(double terrestrialJulianDay);
    EclipticVector Velocity(int body, const EclipticVector& position) const;

private:
    double sinShift_;
    double cosShift_;
};
EclipticVector OrbitalVelocity(int body, const EclipticVector& position,
                               double terrestrialJulianDay);

// Where the body appears from the Earth, as a geocentric ecliptic vector
// (AU) whose direction is the body's place corrected for light-time and
// annual aberration: the geometric vector less the relative velocity times
// the light time. The planet's motion over the light time is enough here;
// its series need not be evaluated a second time.
EclipticVector ApparentGeocentricVector(const EclipticVector& body,
                                        const EclipticVector& bodyVelocity,
                                        const EclipticVector& earth,
                                        const EclipticVector& earthVelocity);

// An observer on the reference ellipsoid of the Earth at height 0, in
// Earth equatorial radii: distance from the equatorial plane (rho sin phi')
// and from the axis (rho cos phi').
struct GeocentricObserver {
    double rhoSinLatitude;
    double rhoCosLatitude;
};
GeocentricObserver ObserverAt(double latitudeDegrees);

// A geocentric place (hours, degrees) of a body `earthRadii` equatorial
// radii from the Earth's centre seen from the observer at local hour angle
// `hourAngle` hours. Far bodies (or a distance of 0 or not finite) come back
// as they are.
Equatorial TopocentricPlace(const Equatorial& geocentric, double earthRadii, double hourAngle,
                            const GeocentricObserver& observer);

// The same for up to 16 bodies at once, with the sines and cosines from
// the series kernel; results agree with the single form to the last place
// or two.
void TopocentricPlaces(const Equatorial* geocentric, const double* earthRadii,
                       const double* hourAngle, int count, const GeocentricObserver& observer,
                       Equatorial* out);

// Equatorial radius of the Earth in kilometres and in astronomical units.
inline constexpr double kEarthRadiusKm = 6378.14;
inline constexpr double kEarthRadiusAu = 6378.14 / 149597870.7;

}  // namespace skyvane::engine
