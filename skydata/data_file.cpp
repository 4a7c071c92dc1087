#include "skydata/data_file.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string_view>

#include <zlib.h>

#include "skydata/number_reading.h"

namespace skyvane::skydata {
namespace {

// Header: payload size (10 characters), directory size (8), then an
// 8-digit hexadecimal value that the reader has no use for and skips, so
// any value there loads the same.
constexpr std::size_t kPayloadSizeField = 0;
constexpr std::size_t kPayloadSizeWidth = 10;
constexpr std::size_t kDirectorySizeField = 10;
constexpr std::size_t kDirectorySizeWidth = 8;
constexpr std::size_t kHeaderBytes = 26;

// Directory entry: name padded with NULs, start and end offsets in the
// payload (end exclusive).
constexpr std::size_t kEntryBytes = 48;
constexpr std::size_t kNameWidth = 32;
constexpr std::size_t kStartField = 32;
constexpr std::size_t kEndField = 40;
constexpr std::size_t kOffsetWidth = 8;

std::string_view AsText(std::span<const unsigned char> bytes)
{
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// Fixed-width number fields end at their first NUL: writers pad with NULs.
std::string_view Field(std::string_view text, std::size_t offset, std::size_t width)
{
    std::string_view field = text.substr(offset, width);
    return field.substr(0, field.find('\0'));
}

std::string CutAtNul(std::string_view text) { return std::string(text.substr(0, text.find('\0'))); }

// Names are matched with every blank removed.
std::string EntryName(std::string_view entry)
{
    std::string name = CutAtNul(entry.substr(0, kNameWidth));
    std::erase(name, ' ');
    return name;
}

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// The payload must inflate to exactly the declared size; a stream that is
// damaged, ends early or holds more means the file cannot be trusted.
std::optional<std::vector<unsigned char>> Inflate(std::span<const unsigned char> stream, int payloadBytes)
{
    std::vector<unsigned char> payload(static_cast<std::size_t>(payloadBytes));
    uLongf inflated = static_cast<uLongf>(payload.size());
    const int result = uncompress(payload.data(), &inflated, stream.data(), static_cast<uLong>(stream.size()));
    if (result != Z_OK || inflated != payload.size()) return std::nullopt;
    return payload;
}

class DirectoryWalker {
public:
    DirectoryWalker(std::string_view payload, DecodedDataFile& out) : payload_(payload), out_(out) {}

    // Entry 0 describes the directory itself and is never an item.
    void Walk(int directoryBytes)
    {
        const int entryCount = directoryBytes / static_cast<int>(kEntryBytes);
        for (int i = 1; i < entryCount; ++i) Route(i, payload_.substr(i * kEntryBytes, kEntryBytes));
    }

private:
    void Route(int index, std::string_view entry)
    {
        const std::string name = EntryName(entry);
        if (index < kPictureSlotCount) out_.slotNames[index] = kNoFileName;

        const std::int32_t start = ReadInt(Field(entry, kStartField, kOffsetWidth));
        const std::int32_t end = ReadInt(Field(entry, kEndField, kOffsetWidth));
        // An entry pointing outside the payload or backwards is skipped; the
        // other entries stay usable. Lying inside the payload also keeps an
        // entry below the size one entry may have.
        static_assert(kMaxPayloadBytes <= kMaxEntryBytes);
        const bool inPayload = start >= 0 && end >= start && static_cast<std::size_t>(end) <= payload_.size();
        if (!inPayload) return;
        const std::string_view data = payload_.substr(start, end - start);

        // Of the texts only these two are read ("update.txt" and others are
        // not); of two entries with the same name the later wins. A text
        // name may also make the entry a picture: the tests are independent.
        if (name == "Datafile.txt") out_.layoutText = CutAtNul(data);
        if (name == "stars.txt") out_.catalogueText = CutAtNul(data);
        if (Contains(name, ".bmp") || Contains(name, ".gif")) AddPicture(index, name, data);
    }

    // The picture table has no slot beyond 14; a picture listed there is
    // skipped rather than dropped into another slot.
    void AddPicture(int index, const std::string& name, std::string_view data)
    {
        if (index >= kPictureSlotCount) return;
        out_.slotNames[index] = name;
        out_.pictures.push_back({index, name, std::vector<unsigned char>(data.begin(), data.end())});
    }

    std::string_view payload_;
    DecodedDataFile& out_;
};

}  // namespace

bool ReadDataFile(const std::filesystem::path& path, std::vector<unsigned char>& bytes)
{
    // Only a regular file: a directory reads as empty and a pipe could
    // block the start-up forever.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return false;
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    // Read one byte beyond the limit to recognise an oversized file without
    // trusting a size taken before the read.
    std::vector<unsigned char> content(kMaxDataFileBytes + 1);
    file.read(reinterpret_cast<char*>(content.data()), static_cast<std::streamsize>(content.size()));
    if (file.bad()) return false;
    const auto length = static_cast<std::size_t>(file.gcount());
    if (length > kMaxDataFileBytes) return false;
    content.resize(length);
    bytes = std::move(content);
    return true;
}

namespace {

struct UnpackedFile {
    std::vector<unsigned char> payload;
    int directoryBytes = 0;
};

// Everything that frames the file, checked before any entry is used; a
// file failing any of these counts as missing. `why` says which check
// failed, for the download that refuses such a file.
std::optional<UnpackedFile> Unpack(std::span<const unsigned char> file, std::string& why)
{
    if (file.size() < kHeaderBytes) {
        why = "it has " + std::to_string(file.size()) + " bytes, less than a header";
        return std::nullopt;
    }
    if (file.size() > kMaxDataFileBytes) {
        why = "it has " + std::to_string(file.size()) + " bytes, more than " + std::to_string(kMaxDataFileBytes);
        return std::nullopt;
    }
    const std::string_view header = AsText(file.first(kHeaderBytes));
    const std::int32_t payloadBytes = ReadInt(Field(header, kPayloadSizeField, kPayloadSizeWidth));
    const std::int32_t directoryBytes = ReadInt(Field(header, kDirectorySizeField, kDirectorySizeWidth));
    if (payloadBytes < 0 || payloadBytes > kMaxPayloadBytes) {
        why = "its header gives a payload of " + std::to_string(payloadBytes) + " bytes (0 to " +
              std::to_string(kMaxPayloadBytes) + " allowed)";
        return std::nullopt;
    }
    if (directoryBytes < 0 || directoryBytes > kMaxDirectoryBytes || directoryBytes > payloadBytes) {
        why = "its header gives a directory of " + std::to_string(directoryBytes) + " bytes (0 to " +
              std::to_string(std::min(kMaxDirectoryBytes, static_cast<int>(payloadBytes))) + " allowed)";
        return std::nullopt;
    }
    auto payload = Inflate(file.subspan(kHeaderBytes), payloadBytes);
    if (!payload) {
        why = "its compressed payload does not inflate to the " + std::to_string(payloadBytes) +
              " bytes its header announces";
        return std::nullopt;
    }
    return UnpackedFile{std::move(*payload), directoryBytes};
}

}  // namespace

bool CheckDataFile(std::span<const unsigned char> file, std::string& why)
{
    why.clear();
    return Unpack(file, why).has_value();
}

std::optional<DecodedDataFile> DecodeDataFile(std::span<const unsigned char> file)
{
    std::string why;
    const std::optional<UnpackedFile> unpacked = Unpack(file, why);
    if (!unpacked) return std::nullopt;
    const std::string_view payload(reinterpret_cast<const char*>(unpacked->payload.data()), unpacked->payload.size());
    DecodedDataFile decoded;
    DirectoryWalker(payload, decoded).Walk(unpacked->directoryBytes);
    return decoded;
}

}  // namespace skyvane::skydata
