// Angle and unit helpers shared by every part of the engine.
#pragma once

#include <cmath>

namespace skyvane::engine {

// Inline: the series evaluation calls these for every term.
constexpr double DegToRad(double degrees) { return degrees * 0.017453292519943295; }
constexpr double RadToDeg(double radians) { return radians * 57.29577951308232; }
constexpr double RadToHours(double radians) { return radians * 3.819718634205488; }
constexpr double HoursToRad(double hours) { return hours * 0.26179938779914946; }
constexpr double HoursToDeg(double hours) { return hours * 15; }
constexpr double DegToHours(double degrees) { return degrees / 15; }

// d + m/60 + s/3600 when `positive` is non-zero, otherwise its negative.
double DmsToDeg(double d, double m, double s, int positive);

// Brings x into 0 <= x <= 360 by whole turns; an exact 360 stays 360.
// Non-finite input gives NaN.
double Reduce360(double x);
// The same for hours, 0 <= x <= 24.
double Reduce24(double x);

// The largest integral value not above x (the INT of the calendar formulas).
// Kept as a double so no input can overflow an integer type.
inline double IntPart(double x) { return std::floor(x); }

// atan2(y, x) within a few units in the last place, several times faster
// than the C library's, which rounds correctly at a cost that showed in
// frames placing tens of thousands of points by right ascension and
// declination. Octant reduction to |t| <= 0.66, then a degree 4/5 rational
// minimax approximation of atan (Moshier's); the fixed pi/2, pi/4 and pi
// are each short of the true angle by the tail added back. Zeros,
// infinities and NaN go to the C library.
inline double Arctangent2(double y, double x)
{
    const double ax = std::fabs(x);
    const double ay = std::fabs(y);
    if (!(ax > 0 && ax < INFINITY && ay < INFINITY)) return std::atan2(y, x);
    constexpr double kHalfPi = 1.57079632679489661923;
    constexpr double kQuarterPi = 0.785398163397448309616;
    constexpr double kPi = 3.14159265358979323846;
    constexpr double kHalfPiTail = 6.123233995736765886130e-17;  // pi/2 - kHalfPi
    constexpr double kTanThreeEighthsPi = 2.41421356237309504880;
    constexpr double kReduceAbove = 0.66;
    double t = ay / ax;
    double base = 0;
    double tail = 0;
    if (t > kTanThreeEighthsPi) {
        t = -1 / t;
        base = kHalfPi;
        tail = kHalfPiTail;
    } else if (t > kReduceAbove) {
        t = (t - 1) / (t + 1);
        base = kQuarterPi;
        tail = 0.5 * kHalfPiTail;
    }
    const double z = t * t;
    const double p = (((-8.750608600031904122785e-1 * z - 1.615753718733365076637e1) * z -
                       7.500855792314704667340e1) * z - 1.228866684490136173410e2) * z -
                     6.485021904942025371773e1;
    const double q = ((((z + 2.485846490142306297962e1) * z + 1.650270098316988542046e2) * z +
                       4.328810604912902668951e2) * z + 4.853903996359136964868e2) * z +
                     1.945506571482613964425e2;
    double angle = base + (t * z * p / q + t + tail);
    if (x < 0) angle = kPi - angle + 2 * kHalfPiTail;
    return std::signbit(y) ? -angle : angle;
}

}  // namespace skyvane::engine
