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

}  // namespace skyvane::engine
