// Catalogue places carried from J2000 to the apparent place of an instant.
//
// Catalogues hold places on the mean equator and equinox of J2000. What an
// observer sees at another instant is the apparent place: the same star
// referred to the true equator and equinox of date (precession, then
// nutation) and displaced towards the Earth's motion (annual aberration).
// Precession is the long-term model of Vondrak, Capitaine and Wallace
// (2011), which holds over hundreds of millennia, where the classical
// polynomials drift away from the truth within a few thousand years of 2000;
// nutation is the engine's own series.
//
// One frame is computed per instant and then applied to every object: a
// rotation matrix and a velocity vector, a few dozen operations per object.
// Every Julian day here is Terrestrial Time.
#pragma once

#include "engine/transforms.h"

namespace skyvane::engine {

// A direction as a unit vector: x towards right ascension 0h, y towards 6h,
// z towards the north pole of the equator it is referred to.
struct UnitVector {
    double x = 0;
    double y = 0;
    double z = 0;
};

// Right ascension in hours and declination in degrees to a unit vector and
// back (right ascension 0 <= ra < 24).
UnitVector UnitVectorOf(double rightAscensionHours, double declinationDegrees);
Equatorial EquatorialOf(const UnitVector& v);

// A 3 x 3 rotation: to = m * from.
struct RotationMatrix {
    double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    UnitVector Apply(const UnitVector& v) const;
    // The transpose, which is the inverse of a rotation.
    UnitVector ApplyInverse(const UnitVector& v) const;
};
RotationMatrix operator*(const RotationMatrix& a, const RotationMatrix& b);

// The poles of the mean equator and of the ecliptic of date as unit vectors
// in the J2000 mean equator and equinox, from the long-term precession
// model, at the Julian epoch (TT) 2000 + (TT Julian day - J2000) / 365.25.
UnitVector LongTermEquatorPole(double terrestrialJulianDay);
UnitVector LongTermEclipticPole(double terrestrialJulianDay);

// Precession from the J2000 mean equator and equinox to the mean equator
// and equinox of date (terrestrialJulianDay, TT).
RotationMatrix PrecessionMatrix(double terrestrialJulianDay);

// Nutation from the mean to the true equator and equinox of date, for a
// mean obliquity (degrees) and the nutation in longitude and obliquity (arc
// seconds) of that date.
RotationMatrix NutationMatrix(double meanObliquity, const Nutation& nutation);

// Everything the apparent place of a catalogue object needs for one instant.
struct ApparentPlaceFrame {
    double terrestrialJulianDay = 0;  // TT Julian day of the instant
    // J2000 mean equator and equinox -> true equator and equinox of date
    // (nutation times precession).
    RotationMatrix toDate;
    // The Earth's velocity divided by the speed of light, in the true
    // equator and equinox of date: annual aberration moves a direction p to
    // p + v - (p.v) p.
    UnitVector earthVelocity;
};

// The frame of the instant `terrestrialJulianDay` (TT).
ApparentPlaceFrame ApparentPlaceFrameAt(double terrestrialJulianDay);
// The same with the instant's mean obliquity (degrees) and nutation already
// at hand, as the scene has them.
ApparentPlaceFrame ApparentPlaceFrameAt(double terrestrialJulianDay, double meanObliquity,
                                        const Nutation& nutation);
// ... and the Earth's velocity over the speed of light in the ecliptic and
// equinox of date, which the scene has from the Earth's own series.
ApparentPlaceFrame ApparentPlaceFrameAt(double terrestrialJulianDay, double meanObliquity,
                                        const Nutation& nutation,
                                        const UnitVector& earthVelocityOverLight);

// The apparent direction of date of a J2000 catalogue direction.
UnitVector ApparentDirection(const ApparentPlaceFrame& frame, const UnitVector& catalogue);

// The apparent place of date (hours, degrees) of a J2000 catalogue place
// (hours, degrees).
Equatorial ApparentPlace(const ApparentPlaceFrame& frame, double rightAscensionHours,
                         double declinationDegrees);

// The J2000 catalogue place of an apparent place of date: the inverse of
// ApparentPlace, aberration taken off to first order (a few milliarcseconds
// off), for turning a point of the chart into a catalogue query.
Equatorial CataloguePlace(const ApparentPlaceFrame& frame, double rightAscensionHours,
                          double declinationDegrees);

// Many catalogue directions at once, as columns (x[i], y[i], z[i]) of J2000
// unit vectors, into the columns of their apparent directions of date. The
// output may not overlap the input. A scene carries its whole catalogue
// this way; the directions come out of unit length.
void ApparentDirections(const ApparentPlaceFrame& frame, const double* x, const double* y,
                        const double* z, int count, double* outX, double* outY, double* outZ);

}  // namespace skyvane::engine
