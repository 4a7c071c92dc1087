// Heliocentric positions of the eight major planets from the abridged
// VSOP87D series, their geocentric places, and the Sun's apparent position.
#pragma once

#include "engine/series_tables.h"

namespace skyvane::engine {

// Body arguments are BodyId values; bodies without a theory (Sun, Pluto,
// Moon, anything outside 0..10) give 0.
double HeliocentricLongitude(int body, double jd);  // degrees, 0..360
double HeliocentricLatitude(int body, double jd);   // degrees
double RadiusVector(int body, double jd);           // AU

struct HeliocentricPosition {
    double longitude;  // L, degrees 0..360
    double latitude;   // B, degrees
    double radius;     // R, AU
};
// All three coordinates in one call; the same values as the single ones.
HeliocentricPosition HeliocentricPositionOf(int body, double jd);

struct GeocentricPosition {
    double longitude;  // degrees, -180 < lambda <= 180
    double latitude;   // degrees
    double distance;   // AU
};
// Geometric place seen from the Earth (L0, B0, R0) of a body at (L, B, R).
GeocentricPosition HeliocentricToGeocentric(double l0, double b0, double r0, double l, double b,
                                            double r);

// Rectangular heliocentric ecliptic coordinates, AU. A scene takes the
// Earth's once and subtracts it from every planet's; the result is the same
// as HeliocentricToGeocentric's.
struct EclipticVector {
    double x, y, z;
    static EclipticVector Of(const HeliocentricPosition& p);
};
GeocentricPosition GeocentricFromVectors(const EclipticVector& body, const EclipticVector& earth);
// EclipticVector::Of for up to kVsopPlanetCount positions at once, with
// sines and cosines from the series kernel.
void EclipticVectors(const HeliocentricPosition* positions, int count, EclipticVector* out);

double SunGeometricLongitude(double jd);
double SunGeometricLatitude(double jd);
// Corrections from the dynamical to the FK5 frame, degrees.
double Fk5CorrectionLongitude(double longitude, double latitude, double jd);
double Fk5CorrectionLatitude(double longitude, double jd);
// Apparent longitude (nutation, aberration; not reduced) and latitude, degrees.
double SunApparentLongitude(double jd);
double SunApparentLatitude(double jd);

// The same from an Earth position and nutation in longitude (arc seconds)
// already at hand, so a scene evaluates the Earth's series once.
double SunApparentLongitude(const HeliocentricPosition& earth, double nutationLongitude,
                            double jd);
double SunApparentLatitude(const HeliocentricPosition& earth, double jd);

}  // namespace skyvane::engine
