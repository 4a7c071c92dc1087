// Angle, date and zodiac texts of the captions and tables, and their
// conversion from Windows-1252 for display.
#include <cmath>
#include <limits>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "places/formatting.h"
#include "places/windows1252.h"

namespace skyvane::places {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// An angle from its parts, so each case reads as the seconds it should show.
double Dms(double whole, double minutes, double seconds)
{
    return whole + minutes / 60 + seconds / 3600;
}

// ---- FormatAngle ----------------------------------------------------------

struct AngleCase {
    const char* what;
    double value;
    int style;
    const char* expected;  // Windows-1252: \xB0 is the degree sign
};

void PrintTo(const AngleCase& c, std::ostream* os) { *os << c.what << " (" << c.value << ")"; }

class FormatAngleTest : public testing::TestWithParam<AngleCase> {};

TEST_P(FormatAngleTest, Text)
{
    const AngleCase& c = GetParam();
    EXPECT_EQ(FormatAngle(c.value, c.style), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(WorkedValues, FormatAngleTest, testing::Values(
    AngleCase{"longitude", 118.82333333, 0, "118\xB0 49' 24.0\""},
    AngleCase{"negative unsigned", -8.5, 0, "008\xB0 30' 00.0\""},
    AngleCase{"obliquity", 23.44, 1, "+ 23\xB0 26' 24.0\""},
    AngleCase{"zero signed", 0.0, 1, "-  00\xB0 00' 00.0\""},
    AngleCase{"hours", 5.5, 2, "05h 30m 00.0s"}));

INSTANTIATE_TEST_SUITE_P(SignsAndZero, FormatAngleTest, testing::Values(
    AngleCase{"negative signed has two blanks", -23.44, 1, "-  23\xB0 26' 24.0\""},
    AngleCase{"negative zero signed", -0.0, 1, "-  00\xB0 00' 00.0\""},
    AngleCase{"tiny negative signed", -0.0001, 1, "-  00\xB0 00' 00.4\""},
    AngleCase{"tiny positive is still positive", 1e-9, 1, "+ 00\xB0 00' 00.0\""},
    AngleCase{"zero unsigned", 0.0, 0, "000\xB0 00' 00.0\""},
    AngleCase{"negative zero unsigned", -0.0, 0, "000\xB0 00' 00.0\""},
    AngleCase{"zero hours", 0.0, 2, "00h 00m 00.0s"},
    AngleCase{"negative hours show no sign", -5.5, 2, "05h 30m 00.0s"}));

INSTANTIATE_TEST_SUITE_P(FieldPadding, FormatAngleTest, testing::Values(
    AngleCase{"one digit, three-digit field", Dms(9, 5, 0), 0, "009\xB0 05' 00.0\""},
    AngleCase{"two digits, three-digit field", Dms(99, 10, 0), 0, "099\xB0 10' 00.0\""},
    AngleCase{"three digits", Dms(100, 0, 30), 0, "100\xB0 00' 30.0\""},
    AngleCase{"near a full turn", 359.9999, 0, "359\xB0 59' 59.6\""},
    AngleCase{"one digit, two-digit field", Dms(9, 0, 12.5), 1, "+ 09\xB0 00' 12.5\""},
    AngleCase{"two digits signed", Dms(10, 45, 0), 1, "+ 10\xB0 45' 00.0\""},
    AngleCase{"three digits signed are not cut", Dms(123, 0, 0), 1, "+ 123\xB0 00' 00.0\""},
    AngleCase{"two-digit hours", Dms(23, 56, 4.1), 2, "23h 56m 04.1s"},
    AngleCase{"beyond any int", 1e10, 0, "10000000000\xB0 00' 00.0\""}));

INSTANTIATE_TEST_SUITE_P(RoundingAndTruncation, FormatAngleTest, testing::Values(
    AngleCase{"9.96 s is 10.0, not 010.0", Dms(10, 0, 9.96), 0, "010\xB0 00' 10.0\""},
    AngleCase{"9.94 s keeps its zero", Dms(10, 0, 9.94), 0, "010\xB0 00' 09.9\""},
    AngleCase{"seconds round to nearest", Dms(3, 7, 24.96), 2, "03h 07m 25.0s"},
    AngleCase{"59.97 s carries into the degrees", Dms(1, 59, 59.97), 0, "002\xB0 00' 00.0\""},
    AngleCase{"59.97 s carries, hours", Dms(1, 59, 59.97), 2, "02h 00m 00.0s"},
    AngleCase{"59.96 s carries into the minutes", Dms(16, 1, 59.96), 2, "16h 02m 00.0s"},
    AngleCase{"carry, signed", -Dms(8, 29, 59.99), 1, "-  08\xB0 30' 00.0\""},
    AngleCase{"59.94 s stays", Dms(16, 1, 59.94), 2, "16h 01m 59.9s"},
    AngleCase{"59.99 minutes truncate", 2 + 59.99 / 60, 2, "02h 59m 59.4s"},
    AngleCase{"59.99 minutes truncate, signed", -(2 + 59.99 / 60), 1,
              "-  02\xB0 59' 59.4\""}));

INSTANTIATE_TEST_SUITE_P(UnknownStyles, FormatAngleTest, testing::Values(
    AngleCase{"style 3", 12.5, 3, ""},
    AngleCase{"style -1", 12.5, -1, ""}));

TEST(FormatAngleTest, NonFiniteValuesStillGiveText)
{
    // Nothing meaningful to show, but no undefined conversion either.
    for (double v : {kNaN, kInf, -kInf, 1e300})
        for (int style : {0, 1, 2})
            EXPECT_FALSE(FormatAngle(v, style).empty()) << v << " style " << style;
}

// ---- FormatDateTime -------------------------------------------------------

struct DateCase {
    const char* what;
    int year, month, day, hour, minute;
    double second;
    int style, daylightSaving;
    const char* expected;
};

void PrintTo(const DateCase& c, std::ostream* os) { *os << c.what; }

class FormatDateTimeTest : public testing::TestWithParam<DateCase> {};

TEST_P(FormatDateTimeTest, Text)
{
    const DateCase& c = GetParam();
    EXPECT_EQ(FormatDateTime(c.year, c.month, c.day, c.hour, c.minute, c.second, c.style,
                             c.daylightSaving),
              c.expected)
        << c.what;
}

INSTANTIATE_TEST_SUITE_P(WorkedValues, FormatDateTimeTest, testing::Values(
    DateCase{"evening in summer time", 2006, 3, 21, 20, 5, 9, 0, 1, "03/21/2006 AD  08:05:09 PM*"},
    DateCase{"same, 24-hour", 2006, 3, 21, 20, 5, 9, 1, 1, "21.03.2006 AD  20:05:09*"},
    DateCase{"no summer time", 2006, 3, 21, 20, 5, 9, 0, 0, "03/21/2006 AD  08:05:09 PM"},
    DateCase{"only flag 1 marks", 2006, 3, 21, 20, 5, 9, 1, 2, "21.03.2006 AD  20:05:09"}));

INSTANTIATE_TEST_SUITE_P(TwelveHourClock, FormatDateTimeTest, testing::Values(
    DateCase{"midnight", 2000, 1, 1, 0, 0, 0, 0, 0, "01/01/2000 AD  12:00:00 AM"},
    DateCase{"one in the morning", 2000, 1, 1, 1, 2, 3, 0, 0, "01/01/2000 AD  01:02:03 AM"},
    DateCase{"last morning hour", 2000, 1, 1, 11, 59, 59, 0, 0, "01/01/2000 AD  11:59:59 AM"},
    DateCase{"noon", 2000, 1, 1, 12, 0, 0, 0, 0, "01/01/2000 AD  12:00:00 PM"},
    DateCase{"last hour", 2000, 12, 31, 23, 30, 0, 0, 0, "12/31/2000 AD  11:30:00 PM"},
    DateCase{"24-hour clock keeps 0", 2000, 1, 1, 0, 0, 0, 1, 0, "01.01.2000 AD  00:00:00"},
    DateCase{"24-hour clock keeps 23", 2000, 1, 1, 23, 0, 0, 1, 0, "01.01.2000 AD  23:00:00"}));

INSTANTIATE_TEST_SUITE_P(Years, FormatDateTimeTest, testing::Values(
    DateCase{"BC", -3167, 3, 1, 12, 0, 0, 1, 0, "01.03.3167 BC  12:00:00"},
    DateCase{"small year right-aligned", 5, 7, 4, 12, 0, 0, 1, 0, "04.07.   5 AD  12:00:00"},
    DateCase{"year 0 is AD", 0, 7, 4, 12, 0, 0, 1, 0, "04.07.   0 AD  12:00:00"},
    DateCase{"year -1", -1, 7, 4, 12, 0, 0, 1, 0, "04.07.   1 BC  12:00:00"},
    DateCase{"earliest year", -4713, 1, 1, 12, 0, 0, 0, 0, "01/01/4713 BC  12:00:00 PM"},
    DateCase{"latest year", 9999, 12, 31, 0, 0, 0, 0, 0, "12/31/9999 AD  12:00:00 AM"},
    DateCase{"five digits are not cut", 12345, 1, 1, 0, 0, 0, 1, 0, "01.01.12345 AD  00:00:00"}));

INSTANTIATE_TEST_SUITE_P(Seconds, FormatDateTimeTest, testing::Values(
    DateCase{"truncated, not rounded", 2000, 1, 1, 0, 0, 9.99, 1, 0, "01.01.2000 AD  00:00:09"},
    DateCase{"59.999 stays 59", 2000, 1, 1, 0, 0, 59.999, 1, 0, "01.01.2000 AD  00:00:59"},
    DateCase{"ten", 2000, 1, 1, 0, 0, 10.0, 1, 0, "01.01.2000 AD  00:00:10"},
    DateCase{"fraction below one", 2000, 1, 1, 0, 0, 0.75, 1, 0, "01.01.2000 AD  00:00:00"}));

INSTANTIATE_TEST_SUITE_P(UnknownStyles, FormatDateTimeTest, testing::Values(
    DateCase{"style 2", 2006, 3, 21, 20, 5, 9, 2, 1, ""},
    DateCase{"style -1", 2006, 3, 21, 20, 5, 9, -1, 0, ""}));

// ---- ZodiacSign -----------------------------------------------------------

struct ZodiacCase {
    double hours;
    const char* name;
    double degrees;
};

void PrintTo(const ZodiacCase& c, std::ostream* os) { *os << c.hours << " h"; }

class ZodiacSignTest : public testing::TestWithParam<ZodiacCase> {};

TEST_P(ZodiacSignTest, NameAndDegrees)
{
    const ZodiacCase& c = GetParam();
    std::string name = "stale";
    double degrees = -1;
    ZodiacSign(c.hours, name, degrees);
    EXPECT_EQ(name, c.name) << c.hours << " h";
    EXPECT_NEAR(degrees, c.degrees, 1e-9) << c.hours << " h";
}

// The middle of each two-hour span is 15 degrees into its sign.
INSTANTIATE_TEST_SUITE_P(EverySign, ZodiacSignTest, testing::Values(
    ZodiacCase{1, "Aries", 15}, ZodiacCase{3, "Tarus", 15}, ZodiacCase{5, "Gemini", 15},
    ZodiacCase{7, "Cancer", 15}, ZodiacCase{9, "Leo", 15}, ZodiacCase{11, "Virgo", 15},
    ZodiacCase{13, "Libra", 15}, ZodiacCase{15, "Scorpio", 15},
    ZodiacCase{17, "Sagitarus", 15}, ZodiacCase{19, "Capicorn", 15},
    ZodiacCase{21, "Aquarius", 15}, ZodiacCase{23, "Pisces", 15}));

INSTANTIATE_TEST_SUITE_P(Boundaries, ZodiacSignTest, testing::Values(
    ZodiacCase{0, "Aries", 0}, ZodiacCase{-0.0, "Aries", 0},
    ZodiacCase{23.9, "Pisces", 28.5}, ZodiacCase{1.9999, "Aries", 29.9985},
    ZodiacCase{2, "Tarus", 0}, ZodiacCase{12, "Libra", 0},
    ZodiacCase{std::nextafter(24.0, 0.0), "Pisces", 30 - 15 * 2 * 0x1p-49}));

// Outside 0..24 h the right ascension wraps by whole days.
INSTANTIATE_TEST_SUITE_P(OutsideADay, ZodiacSignTest, testing::Values(
    ZodiacCase{-0.0001, "Pisces", 29.9985}, ZodiacCase{24, "Aries", 0},
    ZodiacCase{24.0001, "Aries", 0.0015}, ZodiacCase{-2, "Pisces", 0},
    ZodiacCase{-13, "Virgo", 15}, ZodiacCase{48.5, "Aries", 7.5},
    ZodiacCase{-1e-300, "Aries", 0}, ZodiacCase{24 * 1e6 + 5, "Gemini", 15}));

TEST(ZodiacSignRangeTest, HugeValuesLandInTheTable)
{
    for (double hours : {-1e300, 1e300, -1e20, 1e20, std::numeric_limits<double>::max(),
                         -std::numeric_limits<double>::max(),
                         std::numeric_limits<double>::denorm_min()}) {
        std::string name;
        double degrees = kNaN;
        ZodiacSign(hours, name, degrees);
        EXPECT_FALSE(name.empty()) << hours;
        EXPECT_GE(degrees, 0) << hours;
        EXPECT_LT(degrees, 30) << hours;
    }
}

TEST(ZodiacSignRangeTest, NonFiniteHoursHaveNoSign)
{
    for (double hours : {kNaN, kInf, -kInf}) {
        std::string name = "stale";
        double degrees = 0;
        ZodiacSign(hours, name, degrees);
        EXPECT_EQ(name, "") << hours;
        EXPECT_TRUE(std::isnan(degrees)) << hours;
    }
}

// ---- Windows-1252 ---------------------------------------------------------

struct CodePointCase {
    unsigned char byte;
    char16_t unicode;
    const char* utf8;
};

void PrintTo(const CodePointCase& c, std::ostream* os) { *os << "byte " << int{c.byte}; }

class Windows1252Test : public testing::TestWithParam<CodePointCase> {};

TEST_P(Windows1252Test, Byte)
{
    const CodePointCase& c = GetParam();
    const std::string text(1, static_cast<char>(c.byte));
    EXPECT_EQ(Windows1252ToUnicode(c.byte), c.unicode);
    EXPECT_EQ(FromWindows1252(text), QString(QChar(c.unicode)));
    EXPECT_EQ(Windows1252ToUtf8(text), c.utf8);
}

INSTANTIATE_TEST_SUITE_P(Bytes, Windows1252Test, testing::Values(
    CodePointCase{0xB0, u'\u00B0', "\xC2\xB0"},      // degree sign
    CodePointCase{'A', u'A', "A"},
    CodePointCase{'"', u'"', "\""},
    CodePointCase{0x80, u'\u20AC', "\xE2\x82\xAC"},  // euro sign
    CodePointCase{0x92, u'\u2019', "\xE2\x80\x99"},  // right single quote
    CodePointCase{0x9F, u'\u0178', "\xC5\xB8"},      // Y with diaeresis
    CodePointCase{0x81, u'\u0081', "\xC2\x81"},      // undefined: kept as C1 control
    CodePointCase{0xA0, u'\u00A0', "\xC2\xA0"},
    CodePointCase{0xE9, u'\u00E9', "\xC3\xA9"},
    CodePointCase{0xFF, u'\u00FF', "\xC3\xBF"}));

TEST(Windows1252TextTest, EveryByteComesBackFromItsUnicode)
{
    for (int byte = 0; byte < 256; ++byte) {
        const std::string text(1, static_cast<char>(byte));
        EXPECT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(text)), text) << byte;
        EXPECT_EQ(ToWindows1252(FromWindows1252(text)), text) << byte;
    }
}

TEST(Windows1252TextTest, FormattedAngleShowsTheDegreeSign)
{
    const std::string text = FormatAngle(118.82333333, 0);
    EXPECT_EQ(FromWindows1252(text), QString::fromUtf8(u8"118° 49' 24.0\""));
    EXPECT_EQ(Windows1252ToUtf8(FormatAngle(-23.44, 1)), "-  23\xC2\xB0 26' 24.0\"");
    EXPECT_EQ(FromWindows1252(""), QString());
}

}  // namespace
}  // namespace skyvane::places
