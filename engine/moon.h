// Geocentric position of the Moon from the truncated ELP-2000/82 series:
// 60 terms for longitude and distance, 60 for latitude.
#pragma once

namespace skyvane::engine {

// Fundamental arguments, degrees reduced to 0..360 (the eccentricity factor
// is a plain number).
double MoonMeanLongitude(double jd);       // L'
double MoonMeanElongation(double jd);      // D
double SunMeanAnomaly(double jd);          // M
double MoonMeanAnomaly(double jd);         // M'
double MoonArgumentOfLatitude(double jd);  // F
double EccentricityFactor(double jd);      // E

// The periodic sums in their table units (1e-6 degree, 1e-3 km).
struct MoonSums {
    double longitude;  // sigma l, additive terms included
    double latitude;   // sigma b, additive terms included
    double distance;   // sigma r
};
MoonSums MoonPeriodicSums(double jd);

double MoonLongitude(double jd);  // apparent longitude, degrees 0..360
double MoonLatitude(double jd);   // degrees
double MoonDistance(double jd);   // km, centre to centre

struct MoonPosition {
    double longitude;  // apparent, degrees 0..360
    double latitude;   // degrees
    double distance;   // km
};
// All three from one pass over the series, with the nutation in longitude
// (arc seconds) already at hand.
MoonPosition MoonPositionAt(double jd, double nutationLongitude);

}  // namespace skyvane::engine
