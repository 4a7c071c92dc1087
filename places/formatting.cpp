#include "places/formatting.h"

#include <array>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <limits>

namespace skyvane::places {
namespace {

constexpr const char* kDegreeSign = "\xB0";  // Windows-1252
constexpr const char* kSecondsMark = "\"";

__attribute__((format(printf, 1, 2))) std::string Printf(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
    if (length > 0)
        std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);
    return text;
}

// Whole numbers of an angle stay doubles: an angle far beyond any integer
// type must still print instead of overflowing a conversion. Adding 0.0
// turns a negative zero into "0".
std::string WholeText(double whole, int digits)
{
    const char* format = "%.0f";
    if (digits == 3 && whole < 10)
        format = "00%.0f";
    else if (whole < (digits == 3 ? 100 : 10))
        format = "0%.0f";
    return Printf(format, whole + 0.0);
}

std::string SecondsText(double seconds)
{
    if (seconds < 10) {
        // 9.95 and above round up to "10.0", which the leading zero must not precede.
        const std::string text = Printf("0%0.1f", seconds);
        return text == "010.0" ? "10.0" : text;
    }
    return Printf("%0.1f", seconds);
}

std::string TwoDigits(long long value)
{
    return Printf(value < 10 ? "0%lld" : "%lld", value);
}

}  // namespace

std::string FormatAngle(double value, int style)
{
    if (style != kAngleUnsignedDegrees && style != kAngleSignedDegrees && style != kAngleHours)
        return {};
    const bool positive = value > 0;
    const double a = std::fabs(value);
    double whole = std::trunc(a);
    double minutes = std::trunc((a - whole) * 60);
    double seconds = (a - (whole + minutes / 60)) * 3600;
    // Rounded to the tenth of a second first and then split, so that a
    // value just short of a whole minute reads "02m 00.0s", never
    // "01m 60.0s". Angles too large for tenths of a second to count in a
    // double keep the plain split.
    constexpr double kTenthsPerUnit = 36000;
    constexpr double kLargestCounted = 1e15;
    const double tenths = std::round(a * kTenthsPerUnit);
    if (tenths < kLargestCounted) {
        whole = std::floor(tenths / kTenthsPerUnit);
        const double rest = tenths - whole * kTenthsPerUnit;
        minutes = std::floor(rest / 600);
        seconds = (rest - minutes * 600) / 10;
    }

    const std::string wholeText = WholeText(whole, style == kAngleUnsignedDegrees ? 3 : 2);
    const std::string minutesText = WholeText(minutes, 2);
    const std::string secondsText = SecondsText(seconds);

    switch (style) {
    case kAngleUnsignedDegrees:
        return Printf("%s%s %s' %s%s", wholeText.c_str(), kDegreeSign, minutesText.c_str(),
                      secondsText.c_str(), kSecondsMark);
    case kAngleSignedDegrees:
        // The minus carries its own blank, so negative values show two.
        return Printf("%s %s%s %s' %s%s", positive ? "+" : "- ", wholeText.c_str(), kDegreeSign,
                      minutesText.c_str(), secondsText.c_str(), kSecondsMark);
    default:
        return Printf("%sh %sm %ss", wholeText.c_str(), minutesText.c_str(), secondsText.c_str());
    }
}

std::string FormatDateTime(int year, int month, int day, int hour, int minute, double second,
                           int style, int daylightSaving)
{
    if (style != kDateMonthDayYear12h && style != kDateDayMonthYear24h)
        return {};
    const char* marker = daylightSaving == 1 ? "*" : "";

    // Widened so that negating any int is defined.
    long long yearNumber = year;
    const char* era = "AD";
    if (yearNumber < 0) {
        era = "BC";
        yearNumber = -yearNumber;
    }
    const std::string yearText = Printf("%4lld %s", yearNumber, era);

    // Truncated toward zero; a double so that no value overflows, +0.0 so -0.5 reads "0".
    const std::string secondText =
        Printf(second < 10 ? "0%.0f" : "%.0f", std::trunc(second) + 0.0);

    if (style == kDateDayMonthYear24h)
        return TwoDigits(day) + "." + TwoDigits(month) + "." + yearText + "  " + TwoDigits(hour) +
               ":" + TwoDigits(minute) + ":" + secondText + marker;

    long long clockHour = hour;
    const char* suffix = "AM";
    if (clockHour > 11) {
        suffix = "PM";
        clockHour -= 12;
    }
    if (clockHour == 0)
        clockHour = 12;
    return TwoDigits(month) + "/" + TwoDigits(day) + "/" + yearText + "  " +
           TwoDigits(clockHour) + ":" + TwoDigits(minute) + ":" + secondText + " " + suffix +
           marker;
}

void ZodiacSign(double hours, std::string& name, double& degrees)
{
    // Spelled exactly as the program has always shown them, misspellings included.
    static constexpr std::array<const char*, 12> kSigns = {
        "Aries", "Tarus",  "Gemini",    "Cancer",   "Leo",      "Virgo",
        "Libra", "Scorpio", "Sagitarus", "Capicorn", "Aquarius", "Pisces",
    };
    if (!std::isfinite(hours)) {
        name.clear();
        degrees = std::numeric_limits<double>::quiet_NaN();
        return;
    }
    // Callers pass normalised right ascensions, but the index must stay in the
    // table for any double. fmod is exact; only adding 24 to a tiny negative
    // remainder can round up to 24 itself, which is 0 h again.
    double h = std::fmod(hours, 24.0);
    if (h < 0)
        h += 24;
    if (h >= 24)
        h = 0;
    const int index = static_cast<int>(h / 2);
    name = kSigns[static_cast<std::size_t>(index)];
    degrees = (h - 2.0 * index) * 15;
}

}  // namespace skyvane::places
