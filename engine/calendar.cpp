#include "engine/calendar.h"

#include <climits>
#include <cmath>

#include "engine/units.h"

namespace skyvane::engine {

double JulianCenturies(double jd) { return (jd - kJ2000) / 36525; }
double JulianMillennia(double jd) { return (jd - kJ2000) / 365250; }
double TenThousandYears(double jd) { return (jd - kJ2000) / 3652500; }

double JulianDay(int year, int month, double day, int gregorian)
{
    // Computed in doubles: an int year near INT_MAX must not overflow.
    double y = year;
    double m = month;
    if (month <= 2) {
        y -= 1;
        m += 12;
    }
    double b = 0;
    if (gregorian != 0) {
        const double a = IntPart(y / 100);
        b = 2 - a + IntPart(a / 4);
    }
    return IntPart(365.25 * (y + 4716)) + IntPart(30.6001 * (m + 1)) + day + b - 1524.5;
}

void CalendarDate::Set(int year, int month, double day, double hour, double minute,
                       double second, int gregorianFlag)
{
    gregorian = gregorianFlag;
    jd = JulianDay(year, month, day + hour / 24 + minute / 1440 + second / 86400, gregorian);
}

namespace {

// Integral doubles from the split can only leave the int range for Julian
// days far outside anything the program accepts; saturate rather than
// invoke undefined behaviour.
int ToInt(double x)
{
    if (!(x == x))
        return 0;
    if (x >= INT_MAX)
        return INT_MAX;
    if (x <= INT_MIN)
        return INT_MIN;
    return static_cast<int>(x);
}

}  // namespace

DateFields CalendarDate::Split() const
{
    DateFields out;
    if (!std::isfinite(jd))
        return out;

    const double shifted = jd + 0.5;
    const double z = std::floor(shifted);
    const double f = shifted - z;

    double a = z;
    if (z >= kFirstGregorianDay) {
        const double alpha = IntPart((z - 1867216.25) / 36524.25);
        a = z + 1 + alpha - IntPart(alpha / 4);
    }
    const double b = a + 1524;
    const double c = IntPart((b - 122.1) / 365.25);
    const double d = IntPart(365.25 * c);
    const double e = IntPart((b - d) / 30.6001);

    const double dayWithFraction = b - d - IntPart(30.6001 * e) + f;
    const double day = IntPart(dayWithFraction);
    const double month = e < 14 ? e - 1 : e - 13;
    const double year = month > 2 ? c - 4716 : c - 4715;

    const double dayFraction = dayWithFraction - day;
    const double hour = IntPart(24 * dayFraction);
    const double minute = IntPart(1440 * (dayFraction - hour / 24));

    out.year = ToInt(year);
    out.month = ToInt(month);
    out.day = ToInt(day);
    out.hour = ToInt(hour);
    out.minute = ToInt(minute);
    out.second = 86400 * (dayFraction - hour / 24 - minute / 1440);
    return out;
}

double GreenwichMeanSiderealTime(double jd)
{
    CalendarDate date;
    date.jd = jd;
    const DateFields f = date.Split();
    // 0h UT of the same day, in the calendar the split used for it.
    const int gregorian = std::floor(jd + 0.5) >= kFirstGregorianDay ? 1 : 0;
    const double jd0 = JulianDay(f.year, f.month, f.day, gregorian);
    const double t = JulianCenturies(jd0);
    const double theta0 =
        100.46061837 + 36000.770053608 * t + 0.000387933 * t * t - t * t * t / 38710000;
    const double theta =
        theta0 + 1.00273790935 * (15.0 * f.hour + 0.25 * f.minute + f.second / 240);
    return Reduce24(theta / 15);
}

}  // namespace skyvane::engine
