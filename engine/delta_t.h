// Delta T, the difference between Terrestrial Time and Universal Time.
//
// The scene takes Universal Time (the clock, the calendar, the Earth's
// rotation) and evaluates the Sun, Moon and planet series at Terrestrial
// Time = UT + Delta T. The model is the one eclipse canons use over five
// millennia: piecewise polynomials from 500 BC (-499) to AD 2150, and the
// long-term parabola of the tidal slowing of the Earth outside them.
#pragma once

namespace skyvane::engine {

// Delta T in seconds for a decimal year (astronomical numbering; 2000.5 is
// the middle of the year 2000). Finite for every finite year; not a number
// gives not a number.
double DeltaTSeconds(double decimalYear);

// The decimal year of a Julian day (any scale; a year is 365.25 days).
double DecimalYear(double julianDay);

// Delta T in seconds at the Universal Time Julian day `universalJulianDay`.
double DeltaTAt(double universalJulianDay);

// The Terrestrial Time Julian day of the Universal Time Julian day
// `universalJulianDay`.
double TerrestrialJulianDay(double universalJulianDay);

}  // namespace skyvane::engine
