// The layout of the deep-sky file "deepsky.bin", shared by its packer
// (tools/pack_deep_sky.cpp) and its reader (skydata/deep_sky.cpp). The
// README describes the format in words.
//
// Little-endian throughout. A 32-byte header, a table of sections, then the
// sections themselves:
//
//   header   "SKYVDEEP", u16 version, u16 header size (32), u32 section
//            count, u32 payload size (every byte after the header), u32
//            CRC-32 of the payload (zlib's), 8 reserved bytes (zero)
//   table    per section 16 bytes: u32 tag, u32 offset (from the payload's
//            start), u32 size in bytes, u32 record count
//
// Strings live in the "STRS" pool, UTF-8, each ended by a zero byte; a
// record names a string by its offset in the pool.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace skyvane::skydata::deepsky_format {

inline constexpr std::string_view kMagic = "SKYVDEEP";
inline constexpr std::uint16_t kVersion = 1;
inline constexpr std::uint32_t kHeaderBytes = 32;
inline constexpr std::uint32_t kSectionEntryBytes = 16;

constexpr std::uint32_t Tag(const char (&t)[5])
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(t[0])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(t[1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(t[2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(t[3])) << 24;
}

// Constellation abbreviations: count x 4 bytes, three letters and a zero.
inline constexpr std::uint32_t kConstellations = Tag("CONS");
inline constexpr std::uint32_t kConstellationBytes = 4;
// Stars: u32 HIP number, f32 RA (degrees, J2000), f32 Dec (degrees),
// i16 V magnitude (hundredths), i16 B-V (thousandths, -32768 unknown),
// u8 constellation (row of CONS), 3 bytes zero.
inline constexpr std::uint32_t kStars = Tag("STAR");
inline constexpr std::uint32_t kStarBytes = 20;
// Main-catalogue stars by Hipparcos number: u32 HIP, u32 HR.
inline constexpr std::uint32_t kHipToHr = Tag("HIPR");
inline constexpr std::uint32_t kHipToHrBytes = 8;
// NGC, IC and other objects: f32 RA, f32 Dec (degrees, J2000), f32 major
// and f32 minor axis (arc minutes, -1 unknown), i16 position angle
// (degrees from north through east, -1 unknown), i16 magnitude
// (hundredths, -32768 unknown), u8 type (DeepSkyType), u8 constellation
// (row of CONS, 255 unknown), u16 Messier number (0 none: the row only
// names that Messier object), u32 designation string, u32 common names
// string ("," between names).
inline constexpr std::uint32_t kObjects = Tag("NGCO");
inline constexpr std::uint32_t kObjectBytes = 32;
// Duplicate designations: u32 alias string, u32 string of the designation
// it stands for (an object's designation, or "M" and a Messier number).
inline constexpr std::uint32_t kAliases = Tag("ALIA");
inline constexpr std::uint32_t kAliasBytes = 8;
// Milky Way rings: u32 level (1 faintest .. 5), u32 point count; the
// points follow each other in MWPT: f32 RA, f32 Dec (degrees, J2000).
inline constexpr std::uint32_t kMilkyWayRings = Tag("MWRG");
inline constexpr std::uint32_t kMilkyWayRingBytes = 8;
inline constexpr std::uint32_t kMilkyWayPoints = Tag("MWPT");
inline constexpr std::uint32_t kMilkyWayPointBytes = 8;
// The string pool.
inline constexpr std::uint32_t kStrings = Tag("STRS");

inline constexpr std::int16_t kUnknownShort = -32768;
inline constexpr std::uint8_t kUnknownConstellation = 255;

// OpenNGC's object types, in the order of the type byte.
inline constexpr std::array<std::string_view, 19> kTypeCodes{
    "*",  "**",  "*Ass", "OCl", "GCl", "Cl+N", "G",    "GPair", "GTrpl", "GGroup",
    "PN", "HII", "DrkN", "EmN", "Neb", "RfN",  "SNR", "Nova",  "Other"};

}  // namespace skyvane::skydata::deepsky_format
