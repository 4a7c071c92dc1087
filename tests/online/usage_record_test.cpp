#include "online/usage_record.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>

namespace skyvane::online {
namespace {

// The digit alphabet: 0-25 "a"-"z", 26 "@", 27-52 "A"-"Z", 53-62 "0"-"9",
// 63 ":".
TEST(UsageRecordNumbers, SingleDigitsFollowTheAlphabet)
{
    const struct {
        int value;
        const char* digit;
    } digits[] = {{0, "a"}, {25, "z"}, {26, "@"}, {27, "A"}, {52, "Z"}, {53, "0"}, {62, "9"}, {63, ":"}};
    for (const auto& d : digits) {
        EXPECT_EQ(EncodeNumber(d.value, 1), d.digit) << d.value;
        EXPECT_EQ(DecodeNumber(d.digit), d.value) << d.digit;
    }
}

TEST(UsageRecordNumbers, PaddedOnTheLeftWithTheZeroDigit)
{
    EXPECT_EQ(EncodeNumber(0, 3), "aaa");
    EXPECT_EQ(EncodeNumber(64, 2), "ba");
    EXPECT_EQ(EncodeNumber(26, 2), "a@");
    EXPECT_EQ(EncodeNumber(800, 2), "mF");  // 12 * 64 + 32
    EXPECT_EQ(EncodeNumber(63, 4), "aaa:");
    EXPECT_EQ(DecodeNumber("ba"), 64);
    EXPECT_EQ(DecodeNumber("aaba"), 64);
}

TEST(UsageRecordNumbers, WideValuesAreNotCutAndHugeOnesEncodeLikeZero)
{
    EXPECT_EQ(EncodeNumber(4096, 2), "baa");
    EXPECT_EQ(EncodeNumber(262'144, 3), "baaa");
    EXPECT_EQ(EncodeNumber(16'777'215, 2), "::::");
    EXPECT_EQ(EncodeNumber(16'777'216, 3), "aaa");
    EXPECT_EQ(EncodeNumber(16'777'216, 0), "");
    EXPECT_EQ(EncodeNumber(0, 0), "a");
}

TEST(UsageRecordNumbers, DecodingUndoesEncodingAcrossEveryDigitCount)
{
    for (long long value : {0LL, 1LL, 63LL, 64LL, 4095LL, 4096LL, 262'143LL, 262'144LL, 9'999'999LL, 16'777'215LL})
        for (int width : {1, 2, 3, 4, 6})
            EXPECT_EQ(DecodeNumber(EncodeNumber(value, width)), value) << value << " width " << width;
}

TEST(UsageRecordNumbers, CharactersOutsideTheAlphabetStillDecode)
{
    EXPECT_EQ(DecodeNumber(""), 0);
    // "`" lies in the lower-case range of the formula, one below "a".
    EXPECT_EQ(DecodeNumber("`"), -1);
    EXPECT_EQ(DecodeNumber("a`"), -1);
}

// Install id "abcdef", build 210 ("ds": 3 * 64 + 18), starts 0 ("mF"),
// 123 s heliocentric (12 -> "aam"), 4567 s geocentric (456 = 7 * 64 + 8 ->
// "ahi"), 89 s horizontal (8 -> "aai"). The check sum of the 19 characters
// (each less 48) is 987 = 15 * 64 + 27 -> "apA".
constexpr const char* kWorkedRecord = "abcdefdsmFaamahiaaiapA";

TEST(UsageRecordText, EncodesEveryFieldAtItsPlace)
{
    UsageRecord record;
    record.installId = "abcdef";
    record.build = 210;
    record.starts = 0;
    record.helioSeconds = 123;
    record.geoSeconds = 4567;
    record.horizonSeconds = 89;
    EncodeUsageRecord(record);
    EXPECT_EQ(record.text, kWorkedRecord);
    EXPECT_EQ(record.text.size(), 22u);
}

TEST(UsageRecordText, DecodesTheFieldsBackToTheTenSecondStep)
{
    UsageRecord record;
    DecodeUsageRecord(kWorkedRecord, record);
    EXPECT_EQ(record.text, kWorkedRecord);
    EXPECT_EQ(record.installId, "abcdef");
    EXPECT_EQ(record.build, 210);
    EXPECT_EQ(record.starts, 0);
    EXPECT_EQ(record.helioSeconds, 120);
    EXPECT_EQ(record.geoSeconds, 4560);
    EXPECT_EQ(record.horizonSeconds, 80);
}

TEST(UsageRecordText, RoundTripKeepsCountersAndId)
{
    UsageRecord original;
    original.installId = MakeInstallId();
    original.build = kBuildNumber;
    original.starts = 37;
    original.helioSeconds = 86'400;
    original.geoSeconds = 0;
    original.horizonSeconds = 2'621'430;  // the largest that fits three digits
    EncodeUsageRecord(original);
    ASSERT_EQ(original.text.size(), 22u);

    UsageRecord decoded;
    DecodeUsageRecord(original.text, decoded);
    EXPECT_EQ(decoded.installId, original.installId);
    EXPECT_EQ(decoded.build, kBuildNumber);
    EXPECT_EQ(decoded.starts, 37);
    EXPECT_EQ(decoded.helioSeconds, 86'400);
    EXPECT_EQ(decoded.geoSeconds, 0);
    EXPECT_EQ(decoded.horizonSeconds, 2'621'430);

    // Counting on from a decoded record gives the same text as counting on
    // from the original.
    ++decoded.starts;
    ++original.starts;
    EncodeUsageRecord(decoded);
    EncodeUsageRecord(original);
    EXPECT_EQ(decoded.text, original.text);
}

TEST(UsageRecordText, InstallTimeCountsQuarterMinutesFrom2005)
{
    UsageRecord record;
    DecodeUsageRecord("aaabxxdsmFaaaaaaaaaaaa", record);
    EXPECT_EQ(record.installTime, "2005-01-01 00:00:15");
    // 64^3 units of 15 s are 45 days, 12 h and 16 min.
    DecodeUsageRecord("baaaxxdsmFaaaaaaaaaaaa", record);
    EXPECT_EQ(record.installTime, "2005-02-15 12:16:00");
}

TEST(UsageRecordText, ShortOrOverlongTextsDecodeWithoutComplaint)
{
    UsageRecord record;
    DecodeUsageRecord("abc", record);
    EXPECT_EQ(record.installId, "abc");
    EXPECT_EQ(record.build, 0);
    EXPECT_EQ(record.starts, -800);
    EXPECT_EQ(record.helioSeconds, 0);

    DecodeUsageRecord("", record);
    EXPECT_EQ(record.installId, "");
    EXPECT_EQ(record.installTime, "2005-01-01 00:00:00");

    // A counter too large for its field is written in full and pushes the
    // later fields along; the record grows by one character.
    UsageRecord wide;
    wide.installId = "abcdef";
    wide.build = 210;
    wide.helioSeconds = 2'621'440;  // 262144 tens need four digits
    EncodeUsageRecord(wide);
    EXPECT_EQ(wide.text.size(), 23u);
    EXPECT_EQ(wide.text.substr(10, 4), "baaa");
}

TEST(UsageRecordInstallId, SixDigitsOfTimeAndRandomPart)
{
    const std::string id = MakeInstallId();
    ASSERT_EQ(id.size(), 6u);
    for (char c : id) {
        const bool digit = (c >= 'a' && c <= 'z') || c == '@' || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == ':';
        EXPECT_TRUE(digit) << id;
    }
    // The random part is below 4000 plus a second of the minute.
    const int randomPart = DecodeNumber(id.substr(4, 2));
    EXPECT_GE(randomPart, 0);
    EXPECT_LE(randomPart, 3999 + 59);

    // The time field holds quarter minutes since 2005 while they fit four
    // digits (until late 2012); later ones encode like 0.
    std::tm start{};
    start.tm_year = 105;
    start.tm_mday = 1;
    start.tm_isdst = -1;
    const long long units = (std::time(nullptr) - std::mktime(&start)) / 15;
    if (units >= 16'777'216)
        EXPECT_EQ(id.substr(0, 4), "aaaa");
    else
        EXPECT_NEAR(DecodeNumber(id.substr(0, 4)), units, 1);
}

}  // namespace
}  // namespace skyvane::online
