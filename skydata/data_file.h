// The sky data file "datas.bin": a short text header followed by one zlib
// stream. The inflated payload starts with a directory of 48-byte entries
// that name pieces of the payload: the catalogue text, the layout script and
// up to 14 pictures.
//
// The file arrives over plain HTTP and is untrusted. A file whose frame
// cannot be trusted (header, size limits, compressed stream, directory) is
// treated exactly like a missing file: nothing of it is used, and the
// caller falls back to what it does without a file. A single entry that
// points outside the payload, or that cannot take its place, is skipped
// while the rest of the file is used.
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace skyvane::skydata {

inline constexpr char kDataFileName[] = "datas.bin";

// The reader's fixed limits.
inline constexpr std::size_t kMaxDataFileBytes = 4'000'000;
inline constexpr int kMaxPayloadBytes = 4'000'000;
inline constexpr int kMaxDirectoryBytes = 2047;
inline constexpr int kMaxEntryBytes = 4'999'999;
inline constexpr int kPictureSlotCount = 15;  // slot i belongs to directory entry i

inline constexpr char kNoFileName[] = "NOFILENAME";

// A picture entry, not decoded yet (decoding needs the picture library).
struct PictureEntry {
    int index = 0;     // directory index = picture slot, 1 to 14
    std::string name;  // blanks removed
    std::vector<unsigned char> bytes;
};

// What one data file holds for the program.
struct DecodedDataFile {
    std::string layoutText;     // "Datafile.txt", empty without one
    std::string catalogueText;  // "stars.txt", empty without one
    // Per picture slot: empty when no directory entry has that index,
    // "NOFILENAME" for an entry that is not a picture, else the picture's name.
    std::array<std::string, kPictureSlotCount> slotNames;
    std::vector<PictureEntry> pictures;  // in directory order
};

// Reads the whole file into `bytes`. False, without a message, when it
// cannot be opened or read, or is larger than kMaxDataFileBytes (such a
// file counts as missing, so a fresh one gets fetched).
bool ReadDataFile(const std::filesystem::path& path, std::vector<unsigned char>& bytes);

// Whether `file` passes the checks that frame a data file (header, size
// limits, a payload that inflates to exactly its announced size), the same
// checks DecodeDataFile makes before it uses anything. When it does not,
// `why` says which check failed, in words.
bool CheckDataFile(std::span<const unsigned char> file, std::string& why);

// Unpacks a data file and routes its entries. Nothing (std::nullopt) when
// the file is to be treated like a missing one.
std::optional<DecodedDataFile> DecodeDataFile(std::span<const unsigned char> file);

}  // namespace skyvane::skydata
