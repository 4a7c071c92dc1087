// Text formatters for chart captions, chart tables and printouts. Results are
// single-byte Windows-1252 strings: the degree sign is the byte 0xB0 (see
// windows1252.h to show them on screen).
#pragma once

#include <string>

namespace skyvane::places {

// Styles of FormatAngle.
inline constexpr int kAngleUnsignedDegrees = 0;  // "118° 49' 24.0\""
inline constexpr int kAngleSignedDegrees = 1;    // "+ 23° 26' 24.0\"", "-  08° 30' 00.0\""
inline constexpr int kAngleHours = 2;            // "05h 30m 00.0s"

// Styles of FormatDateTime.
inline constexpr int kDateMonthDayYear12h = 0;  // "03/21/2006 AD  08:05:09 PM*"
inline constexpr int kDateDayMonthYear24h = 1;  // "21.03.2006 AD  20:05:09*"

// An angle or hour value as whole-minutes-seconds. Only the signed style
// shows a sign, and zero counts as negative there. Seconds are rounded to
// one decimal and carry into the minutes (and the minutes into the whole),
// so they never read "60.0". Any other style gives the empty string.
std::string FormatAngle(double value, int style);

// The date and time line of a caption. Years below zero print as BC with
// their magnitude (astronomical numbering is not adjusted: -3167 is
// "3167 BC"). A daylightSaving of exactly 1 appends "*". Any other style
// gives the empty string.
std::string FormatDateTime(int year, int month, int day, int hour, int minute, double second,
                           int style, int daylightSaving);

// The zodiac sign of a right ascension (each sign spans two hours) and the
// degrees within it, 0 <= degrees < 30. Hours outside 0 <= h < 24 are first
// brought into that range by whole days; a non-finite value has no sign:
// the name is empty and the degrees are NaN.
void ZodiacSign(double hours, std::string& name, double& degrees);

}  // namespace skyvane::places
