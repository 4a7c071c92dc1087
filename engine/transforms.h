// Orientation of the Earth (obliquity, nutation, apparent sidereal time) and
// the conversions ecliptic -> equatorial -> horizontal.
#pragma once

namespace skyvane::engine {

// Mean obliquity of the ecliptic, degrees.
double MeanObliquity(double jd);

// Nutation in longitude (delta psi) and in obliquity (delta epsilon), arc
// seconds, from the 63-term series.
struct Nutation {
    double longitude;
    double obliquity;
};
// Both nutation components from one pass over the series; a scene needs
// them several times for the same instant and computes them once.
Nutation NutationAt(double jd);
double NutationInLongitude(double jd);
double NutationInObliquity(double jd);

// True obliquity: mean obliquity plus nutation in obliquity, degrees.
double TrueObliquity(double jd);
double TrueObliquity(double meanObliquity, const Nutation& nutation);

// Greenwich apparent sidereal time, hours, 0 <= result <= 24.
double GreenwichApparentSiderealTime(double jd);
double GreenwichApparentSiderealTime(double jd, double meanObliquity, const Nutation& nutation);

struct Equatorial {
    double rightAscension;  // hours, 0 <= ra < 24
    double declination;     // degrees
};
// Ecliptic longitude, latitude and obliquity in degrees.
Equatorial EclipticToEquatorial(double longitude, double latitude, double obliquity);

struct Horizontal {
    double azimuth;   // degrees from the south point towards the west, 0 <= A < 360
    double altitude;  // degrees
};
// Hour angle in hours, declination and observer latitude in degrees.
Horizontal EquatorialToHorizontal(double hourAngle, double declination, double latitude);

// Sine and cosine of an angle given in degrees.
struct AngleTrig {
    double sin;
    double cos;
    static AngleTrig OfDegrees(double degrees);
};

// The two conversions for many bodies at once, with the same obliquity or
// observer latitude; a scene converts all its bodies this way. The sines
// and cosines come from the series kernel, so results agree with the single
// forms to the last place or two.
void EclipticToEquatorial(const double* longitude, const double* latitude, int count,
                          const AngleTrig& obliquity, Equatorial* out);
void EquatorialToHorizontal(const double* hourAngle, const double* declination, int count,
                            const AngleTrig& latitude, Horizontal* out);

// Hour angle in hours of a body at right ascension `ra` (hours) for an
// observer at `longitude` degrees, positive west; not reduced.
double HourAngle(double siderealTime, double longitude, double ra);

}  // namespace skyvane::engine
