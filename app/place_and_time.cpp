#include "app/place_and_time.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <regex>

#include "engine/calendar.h"
#include "places/now.h"

namespace skyvane::app {

using engine::SkyState;

namespace {

// Julian days that can lie in the range in some time zone: the first and
// the last local instant with a day to spare. Whether one does in the
// zone asked for is checked once every option is read.
constexpr double kFirstJulianDay = engine::kFirstLocalJulianDay - 1;
constexpr double kLastJulianDay = engine::kEndLocalJulianDay + 1;

// Julian day of the Unix epoch, for the computer clock.
constexpr double kUnixEpochJulianDay = 2440587.5;

bool ParseNumber(const std::string& text, double& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(value);
}

// Days of a month as the scene computation reads the date: in the Julian
// calendar up to 1582 (every fourth year a leap year, year 0 and -4
// included), in the Gregorian one after.
int DaysInMonth(int year, int month)
{
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month != 2)
        return kDays[month - 1];
    constexpr int kLastJulianYear = 1582;
    const bool leap = year <= kLastJulianYear
                          ? year % 4 == 0
                          : (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return leap ? 29 : 28;
}

bool ParseDate(const std::string& text, EphemerisRequest& r, std::string& why)
{
    static const std::regex kDate(R"(^(-?\d{1,5})-(\d{1,2})-(\d{1,2})$)");
    std::smatch m;
    if (!std::regex_match(text, m, kDate)) {
        why = "expected YEAR-MONTH-DAY such as 2006-06-21 or -3167-03-01";
        return false;
    }
    r.year = std::stoi(m[1]);
    r.month = std::stoi(m[2]);
    r.day = std::stoi(m[3]);
    if (r.year < engine::kFirstYear || r.year > engine::kLastYear) {
        why = "year must lie between -4713 and 9999";
        return false;
    }
    if (r.month < 1 || r.month > 12 || r.day < 1 || r.day > 31) {
        why = "month must be 1-12 and day 1-31";
        return false;
    }
    // A day the month does not have would be carried into the next month
    // without a word, as the time dialog does; on the command line it is a
    // mistake.
    if (const int days = DaysInMonth(r.year, r.month); r.day > days) {
        char month[32];
        std::snprintf(month, sizeof month, "%d-%02d", r.year, r.month);
        why = "day must be 1-" + std::to_string(days) + " in " + month;
        return false;
    }
    return true;
}

bool ParseTime(const std::string& text, EphemerisRequest& r, std::string& why)
{
    static const std::regex kTime(R"(^(\d{1,2}):(\d{1,2})(?::(\d{1,2}(?:\.\d+)?))?$)");
    std::smatch m;
    if (!std::regex_match(text, m, kTime)) {
        why = "expected HOUR:MINUTE[:SECOND] such as 12:00:00";
        return false;
    }
    r.hour = std::stoi(m[1]);
    r.minute = std::stoi(m[2]);
    r.second = m[3].matched ? std::stod(m[3]) : 0;
    if (r.hour > 23 || r.minute > 59 || r.second >= 60) {
        why = "hour must be 0-23, minute 0-59 and second below 60";
        return false;
    }
    return true;
}

struct NumberOption {
    const char* name;
    double EphemerisRequest::*field;
    double min;
    double max;
};

std::string Quote(const std::string& s) { return Quoted(s); }

std::string FormatNumber(double x)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.17g", x);
    return buf;
}

// A number option's reader: the value within [min, max], or why not.
std::function<std::string(EphemerisRequest&, const std::string&)> NumberReader(
    const NumberOption& option)
{
    return [option](EphemerisRequest& r, const std::string& value) -> std::string {
        double x = 0;
        if (!ParseNumber(value, x) || x < option.min || x > option.max)
            return "expected a number from " + FormatNumber(option.min) + " to " +
                   FormatNumber(option.max) + ", got " + Quote(value);
        r.*option.field = x;
        return {};
    };
}

constexpr NumberOption kTimeZone{"--tz", &EphemerisRequest::timeZone, -14, 14};
constexpr NumberOption kLongitude{"--lon", &EphemerisRequest::longitude, -180, 180};
constexpr NumberOption kLatitude{"--lat", &EphemerisRequest::latitude, -90, 90};
constexpr NumberOption kJulianDay{"--jd", &EphemerisRequest::julianDay, kFirstJulianDay,
                                  kLastJulianDay};
// Seconds of a Universal Time Julian day's local time counted from the
// first instant of the range, rounded to the whole second that is shown.
double LocalSecondsFromFirst(const EphemerisRequest& r)
{
    const double local = r.julianDay + (r.timeZone + r.dst) / 24;
    return std::round((local - engine::kFirstLocalJulianDay) * 86400);
}

// A Julian day is taken only when its local time, as shown, lies between
// the first and the last instant of the range; the message names the range
// and what it is in Julian days for the zone given.
bool JulianDayInRange(const EphemerisRequest& r, std::string& error)
{
    const double seconds = LocalSecondsFromFirst(r);
    const double last = (engine::kEndLocalJulianDay - engine::kFirstLocalJulianDay) * 86400 - 1;
    if (seconds >= 0 && seconds <= last)
        return true;
    const double offset = (r.timeZone + r.dst) / 24;
    char range[160];
    std::snprintf(range, sizeof range, "JD %.6f to %.6f", engine::kFirstLocalJulianDay - offset,
                  engine::kEndLocalJulianDay - 1.0 / 86400 - offset);
    error = "--jd: the local time must lie between -4713-01-01 00:00:00 and 9999-12-31 "
            "23:59:59, in this zone " + std::string(range) + ", got " + FormatNumber(r.julianDay);
    return false;
}

}  // namespace

const CommandOptions<EphemerisRequest>& PlaceAndTimeOptions()
{
    using R = EphemerisRequest;
    static const CommandOptions<EphemerisRequest> kOptions = {
        {{"--date"}, "Y-M-D", "local civil date, astronomical year numbering (-4713 .. 9999)",
         [](R& r, const std::string& value) -> std::string {
             r.source = InstantSource::kLocalDate;
             ++r.instantOptions;
             std::string why;
             return ParseDate(value, r, why) ? "" : why + ", got " + Quote(value);
         }},
        {{"--time"}, "H:M[:S]", "local civil time, default 00:00:00",
         [](R& r, const std::string& value) -> std::string {
             r.timeGiven = true;
             std::string why;
             return ParseTime(value, r, why) ? "" : why + ", got " + Quote(value);
         }},
        {{"--jd"}, "JD", "Julian day in Universal Time instead of a local date",
         [](R& r, const std::string& value) -> std::string {
             const std::string why = NumberReader(kJulianDay)(r, value);
             r.source = InstantSource::kJulianDay;
             ++r.instantOptions;
             return why;
         }},
        {{"--now"}, "", "now: the computer's clock shown in the given zone",
         [](R& r, const std::string&) -> std::string {
             r.source = InstantSource::kNow;
             ++r.instantOptions;
             return {};
         }},
        {{"--tz"}, "HOURS", "time zone, hours east of Greenwich (default 0)",
         NumberReader(kTimeZone)},
        {{"--dst"}, "0|1", "daylight-saving hours in force, 0 or 1 (default 0)",
         [](R& r, const std::string& value) -> std::string {
             if (value != "0" && value != "1")
                 return "expected 0 or 1, got " + Quote(value);
             r.dst = value == "1" ? 1 : 0;
             return {};
         }},
        {{"--lon"}, "DEG", "observer longitude, degrees, positive WEST (default 0)",
         NumberReader(kLongitude)},
        {{"--lat"}, "DEG", "observer latitude, degrees, positive north (default 0)",
         NumberReader(kLatitude)},
    };
    return kOptions;
}

bool CheckPlaceAndTime(EphemerisRequest& r, bool nowWhenNoInstant, std::string& error)
{
    if (r.instantOptions == 0 && nowWhenNoInstant) {
        r.source = InstantSource::kNow;
        r.instantOptions = 1;
    }
    if (r.instantOptions != 1) {
        error = r.instantOptions == 0 ? "--date: missing (or give --jd or --now)"
                                      : "--date: give only one of --date, --jd and --now";
        return false;
    }
    if (r.timeGiven && r.source != InstantSource::kLocalDate) {
        error = "--time: only with --date";
        return false;
    }
    if (r.source == InstantSource::kJulianDay && !JulianDayInRange(r, error))
        return false;
    return true;
}

SkyState SkyStateFor(const EphemerisRequest& request, std::chrono::system_clock::time_point now)
{
    SkyState state{};
    state.timeZone = request.timeZone;
    state.dst = request.dst;
    state.longitude = request.longitude;
    state.latitude = request.latitude;
    if (request.source == InstantSource::kLocalDate) {
        state.year = request.year;
        state.month = request.month;
        state.day = request.day;
        state.hour = request.hour;
        state.minute = request.minute;
        state.second = request.second;
        return state;
    }

    if (request.source == InstantSource::kNow) {
        // Following the clock, as the sky window does: now in the place's
        // civil time, shown as it is.
        places::SetInstantToNow(state, [now] { return now; });
        state.realTime = 1;
        return state;
    }

    // A Universal Time instant becomes a local date in the calendar the
    // scene computation reads for it and the time of day in whole seconds,
    // rounded as shown (18:59:59.9999 is 19:00:00). The scene itself is
    // computed at the Julian day exactly (ComputeRequestedSky).
    const double seconds = LocalSecondsFromFirst(request);
    const double days = std::floor(seconds / 86400);
    const double secondOfDay = seconds - days * 86400;
    engine::CalendarDate midnight;
    midnight.jd = engine::kFirstLocalJulianDay + days;
    const engine::DateFields date = midnight.Split();
    state.year = date.year;
    state.month = date.month;
    state.day = date.day;
    state.hour = static_cast<int>(secondOfDay / 3600);
    state.minute = static_cast<int>((secondOfDay - state.hour * 3600) / 60);
    state.second = secondOfDay - state.hour * 3600 - state.minute * 60;
    return state;
}

SkyState SkyStateFor(const EphemerisRequest& request, double nowJulianDay)
{
    std::chrono::system_clock::time_point now{};
    if (request.source == InstantSource::kNow) {
        // To the microsecond, within what the clock's count can hold.
        const double micro =
            std::clamp((nowJulianDay - kUnixEpochJulianDay) * 86400e6, -9e15, 9e15);
        now += std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::microseconds(std::llround(micro)));
    }
    return SkyStateFor(request, now);
}

double ComputeRequestedSky(const EphemerisRequest& request, SkyState& state)
{
    const engine::SkyCalculator calculator;
    if (request.source == InstantSource::kJulianDay) {
        calculator.ComputeSkyAt(state, request.julianDay);
        return request.julianDay;
    }
    const double jd = engine::SkyCalculator::JulianDayOf(state);
    calculator.ComputeSky(state);
    return jd;
}

}  // namespace skyvane::app
