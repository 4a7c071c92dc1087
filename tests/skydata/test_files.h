// Builders for the inputs of the sky data tests: data file containers
// (packed with zlib's compress, as the vendor's packer does), catalogue
// records and small BMP and GIF pictures.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skyvane::skydata::testing {

using Bytes = std::vector<unsigned char>;

Bytes ToBytes(std::string_view text);
std::string ToString(const Bytes& bytes);

// One directory entry and its data. By default the data is placed after
// the directory and the offsets point at it; `start`/`end` replace the
// offset fields' text (8 characters at most).
struct EntryPlan {
    std::string name;
    std::string data;
    std::optional<std::string> start{};
    std::optional<std::string> end{};
};

struct ContainerPlan {
    std::vector<EntryPlan> entries;  // directory entries 1, 2, ...
    std::string firstEntryName = "directory";  // entry 0
    int extraDirectoryBytes = 0;                // appended to the directory
    // Header fields' text; by default the true sizes and some hex value.
    std::optional<std::string> payloadSizeField{};
    std::optional<std::string> directorySizeField{};
    std::string hexField = "5EA2C0DE";
};

// The inflated payload: directory followed by the entries' data.
std::string BuildPayload(const ContainerPlan& plan);
int DirectoryBytes(const ContainerPlan& plan);

// 26-byte header followed by `stream`. Fields are padded with blanks.
Bytes PackHeader(std::string_view payloadSize, std::string_view directorySize, std::string_view hex,
                 const Bytes& stream);
Bytes Compress(std::string_view payload);

Bytes BuildDataFile(const ContainerPlan& plan);

// "S" record with the given values and "|;\r\n" framing.
std::string StarLine(double dec, double ra, int sao, std::string_view designation,
                     std::string_view properName = "", double magnitude = 4.5);

// 24-bit BMP of one colour, with the given resolution fields.
Bytes MakeBmp(int width, int height, std::uint32_t rgb, std::int32_t xPixelsPerMetre = 0,
              std::int32_t yPixelsPerMetre = 0);
// GIF of one colour (0xRRGGBB), uncompressed LZW codes.
Bytes MakeGif(int width, int height, std::uint32_t rgb);

// 8-bit BMP of one colour, run-length coded: a few bytes a row, however
// wide the picture.
Bytes MakeRle8Bmp(int width, int height, std::uint32_t rgb);
// GIF whose header and image descriptor give the size but whose image data
// ends at once: a few dozen bytes for any size.
Bytes MakeTinyGif(int width, int height);

}  // namespace skyvane::skydata::testing
