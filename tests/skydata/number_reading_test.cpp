// Numbers in the data file read as the C library's atoi and atof read them.
#include <cstdint>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "skydata/number_reading.h"

namespace skyvane::skydata {
namespace {

struct IntCase {
    std::string text;
    std::int32_t expected;
};

class ReadIntTest : public ::testing::TestWithParam<IntCase> {};

TEST_P(ReadIntTest, ReadsLikeAtoi) { EXPECT_EQ(ReadInt(GetParam().text), GetParam().expected); }

constexpr std::int32_t kIntMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kIntMin = std::numeric_limits<std::int32_t>::min();

INSTANTIATE_TEST_SUITE_P(Cases, ReadIntTest,
                         ::testing::Values(IntCase{"308", 308}, IntCase{"  -17abc", -17}, IntCase{"+8", 8},
                                           IntCase{"\t\n\v\f\r 5", 5}, IntCase{"007", 7}, IntCase{"", 0},
                                           IntCase{"abc", 0}, IntCase{"- 5", 0}, IntCase{"+-5", 0},
                                           IntCase{"12 34", 12}, IntCase{"308.9", 308}, IntCase{"0x1F", 0},
                                           IntCase{std::string("1\0" "2", 3), 1},
                                           IntCase{"2147483647", kIntMax}, IntCase{"-2147483648", kIntMin},
                                           IntCase{"2147483648", kIntMax}, IntCase{"-99999999999999999999", kIntMin},
                                           IntCase{"99999999999999999999", kIntMax}));

struct DoubleCase {
    std::string text;
    double expected;
};

class ReadDoubleTest : public ::testing::TestWithParam<DoubleCase> {};

TEST_P(ReadDoubleTest, ReadsLikeAtof) { EXPECT_EQ(ReadDouble(GetParam().text), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadDoubleTest,
    ::testing::Values(DoubleCase{"10.5", 10.5}, DoubleCase{" -3.25e2x", -325}, DoubleCase{"+.5", 0.5},
                      DoubleCase{"5.", 5}, DoubleCase{".", 0}, DoubleCase{"-", 0}, DoubleCase{"", 0},
                      DoubleCase{"1e", 1}, DoubleCase{"1e+", 1}, DoubleCase{"2E-3", 0.002},
                      DoubleCase{"1.5.2", 1.5}, DoubleCase{"e5", 0}, DoubleCase{"\t 7", 7},
                      // A comma is never a decimal point, whatever the locale.
                      DoubleCase{"1,5", 1},
                      // Only decimal numbers: no infinities, NaNs or hexadecimal forms.
                      DoubleCase{"inf", 0}, DoubleCase{"-infinity", 0}, DoubleCase{"nan", 0},
                      DoubleCase{"0x1p3", 0}, DoubleCase{"1e400", 0}, DoubleCase{"-1e400", 0},
                      DoubleCase{"0.1", 0.1}, DoubleCase{"-0.000123", -0.000123}));

// The readers see only the text they are given, even when the characters
// after it would continue the number.
TEST(NumberReadingTest, StopsAtTheEndOfTheGivenText)
{
    const std::string line = "1234.5e3";
    EXPECT_EQ(ReadInt(std::string_view(line).substr(0, 2)), 12);
    EXPECT_EQ(ReadDouble(std::string_view(line).substr(0, 6)), 1234.5);
    EXPECT_EQ(ReadDouble(std::string_view(line).substr(0, 7)), 1234.5);
    EXPECT_EQ(ReadDouble(std::string_view(line).substr(0, 0)), 0);
}

}  // namespace
}  // namespace skyvane::skydata
