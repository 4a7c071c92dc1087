// The usage record: one per installation, kept in the settings store as a
// short text ("Installed"/"Data") and sent to the vendor host with the
// version check. The text is a row of base-64 numbers of fixed width:
//
//   offset width  content
//     0     4     creation time, seconds since 2005-01-01 00:00 local / 15
//     4     2     random part (rand() mod 4000 + second of the minute)
//     6     2     build number of the program that wrote the record
//     8     2     starts + 800
//    10     3     heliocentric chart seconds / 10
//    13     3     geocentric chart seconds / 10
//    16     3     horizontal chart seconds / 10
//    19     3     check sum of characters 0..18
//
// Characters 0..5 are the installation id. A value that needs more digits
// than its width is written in full, which shifts every later field; the
// vendor's tools know that layout, so it stays as it is.
#pragma once

#include <string>
#include <string_view>

namespace skyvane::online {

// The program's version as the vendor host knows it, and its build number.
inline constexpr const char* kVersionText = "0141";
inline constexpr int kBuildNumber = 210;

// Where the record is kept: section "Installed" (kInstalledSection).
inline constexpr char kUsageRecordKey[] = "Data";

struct UsageRecord {
    std::string installId;  // 6 characters
    int build = 0;
    int starts = 0;
    int helioSeconds = 0;
    int geoSeconds = 0;
    int horizonSeconds = 0;
    std::string installTime;  // "20yy-mm-dd hh:mm:ss", decoded from the install id
    std::string text;         // the encoded record
};

// Base-64 digits, most significant first, padded on the left with "a" to
// `width`. Values from 2^24 up (and negative ones) have no digits, so they
// encode like 0; a value wider than `width` is not cut.
std::string EncodeNumber(long long value, int width);

// The inverse of EncodeNumber. Characters outside the digit alphabet are
// read with the digit formula of the range they fall in; nothing is
// rejected.
int DecodeNumber(std::string_view text);

// Builds record.text from the other fields (installTime is not used).
void EncodeUsageRecord(UsageRecord& record);

// Fills every field but `text` from `text` (which is also stored). A short
// or damaged text decodes to whatever its characters give; the check sum
// is not verified.
void DecodeUsageRecord(std::string_view text, UsageRecord& record);

// A fresh 6-character installation id: the creation time and a random
// part.
std::string MakeInstallId();

}  // namespace skyvane::online
