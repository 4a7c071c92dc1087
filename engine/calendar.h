// Julian days, calendar dates in the Julian and Gregorian calendars, and
// Greenwich mean sidereal time.
#pragma once

namespace skyvane::engine {

constexpr double kJ2000 = 2451545.0;
// First Julian day number of the Gregorian calendar (1582-10-15).
constexpr double kFirstGregorianDay = 2299161;

// Julian centuries, millennia and units of 10,000 years since J2000.0.
double JulianCenturies(double jd);
double JulianMillennia(double jd);
double TenThousandYears(double jd);

// Julian day of a date. `day` may carry the fraction of the day and may run
// past the month's end; the result is linear in it. Year in astronomical
// numbering (year 0 exists). `gregorian` non-zero selects the Gregorian rule.
double JulianDay(int year, int month, double day, int gregorian);

// A calendar date broken into fields.
struct DateFields {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    double second = 0;
};

class CalendarDate {
public:
    // Sets jd from a date and time of day; hour, minute and second may lie
    // outside their usual ranges and simply move the Julian day.
    void Set(int year, int month, double day, double hour, double minute, double second,
             int gregorian);

    // The date of jd. Julian days before 1582-10-15 always come back in the
    // Julian calendar and later ones in the Gregorian, whatever `gregorian`
    // says. Julian days below zero (the year 4713 BC) are split with the
    // same formulas after rounding down rather than toward zero, which keeps
    // the fraction of the day positive and gives the proleptic Julian date.
    DateFields Split() const;

    int Year() const { return Split().year; }
    int Month() const { return Split().month; }
    int Day() const { return Split().day; }
    int Hour() const { return Split().hour; }
    int Minute() const { return Split().minute; }
    double Second() const { return Split().second; }
    double JulianDayValue() const { return jd; }

    double jd = 0;
    int gregorian = 1;
};

// Greenwich mean sidereal time in hours, 0 <= result <= 24.
double GreenwichMeanSiderealTime(double jd);

}  // namespace skyvane::engine
