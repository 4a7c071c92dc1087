#include "test_files.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include <zlib.h>

namespace skyvane::skydata::testing {
namespace {

constexpr std::size_t kEntryBytes = 48;

std::string Padded(std::string_view text, std::size_t width, char pad)
{
    std::string field(text.substr(0, width));
    field.resize(width, pad);
    return field;
}

void PutLe(Bytes& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

}  // namespace

Bytes ToBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

std::string ToString(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

int DirectoryBytes(const ContainerPlan& plan)
{
    return static_cast<int>((plan.entries.size() + 1) * kEntryBytes) + plan.extraDirectoryBytes;
}

std::string BuildPayload(const ContainerPlan& plan)
{
    const int directoryBytes = DirectoryBytes(plan);
    std::string directory;
    std::string data;
    auto addEntry = [&](std::string_view name, const std::string& start, const std::string& end) {
        directory += Padded(name, 32, '\0');
        directory += Padded(start, 8, '\0');
        directory += Padded(end, 8, '\0');
    };
    addEntry(plan.firstEntryName, "0", std::to_string(directoryBytes));
    for (const EntryPlan& entry : plan.entries) {
        const std::size_t start = directoryBytes + data.size();
        data += entry.data;
        addEntry(entry.name, entry.start.value_or(std::to_string(start)),
                 entry.end.value_or(std::to_string(start + entry.data.size())));
    }
    directory.append(static_cast<std::size_t>(plan.extraDirectoryBytes), '\0');
    return directory + data;
}

Bytes Compress(std::string_view payload)
{
    uLongf size = compressBound(static_cast<uLong>(payload.size()));
    Bytes stream(size);
    if (compress(stream.data(), &size, reinterpret_cast<const Bytef*>(payload.data()),
                 static_cast<uLong>(payload.size())) != Z_OK)
        throw std::runtime_error("compress failed");
    stream.resize(size);
    return stream;
}

Bytes PackHeader(std::string_view payloadSize, std::string_view directorySize, std::string_view hex,
                 const Bytes& stream)
{
    const std::string header = Padded(payloadSize, 10, ' ') + Padded(directorySize, 8, ' ') + Padded(hex, 8, ' ');
    Bytes file = ToBytes(header);
    file.insert(file.end(), stream.begin(), stream.end());
    return file;
}

Bytes BuildDataFile(const ContainerPlan& plan)
{
    const std::string payload = BuildPayload(plan);
    return PackHeader(plan.payloadSizeField.value_or(std::to_string(payload.size())),
                      plan.directorySizeField.value_or(std::to_string(DirectoryBytes(plan))), plan.hexField,
                      Compress(payload));
}

std::string StarLine(double dec, double ra, int sao, std::string_view designation, std::string_view properName,
                     double magnitude)
{
    char numbers[96];
    std::snprintf(numbers, sizeof numbers, "%.6f|%.6f|%d|%.2f|", dec, ra, sao, magnitude);
    return "S|x|" + std::string(numbers) + "A0|" + std::string(properName) + "|" + std::string(designation) +
           "|" + std::to_string(sao) + "|1|;\r\n";
}

Bytes MakeBmp(int width, int height, std::uint32_t rgb, std::int32_t xPixelsPerMetre,
              std::int32_t yPixelsPerMetre)
{
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    const int pixelBytes = rowBytes * height;
    constexpr int kHeaders = 14 + 40;
    Bytes out = {'B', 'M'};
    PutLe(out, kHeaders + pixelBytes, 4);
    PutLe(out, 0, 4);
    PutLe(out, kHeaders, 4);
    PutLe(out, 40, 4);
    PutLe(out, width, 4);
    PutLe(out, height, 4);
    PutLe(out, 1, 2);   // planes
    PutLe(out, 24, 2);  // bits per pixel
    PutLe(out, 0, 4);   // uncompressed
    PutLe(out, pixelBytes, 4);
    PutLe(out, static_cast<std::uint32_t>(xPixelsPerMetre), 4);
    PutLe(out, static_cast<std::uint32_t>(yPixelsPerMetre), 4);
    PutLe(out, 0, 4);
    PutLe(out, 0, 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) PutLe(out, rgb, 3);  // blue, green, red
        out.insert(out.end(), rowBytes - width * 3, 0);
    }
    return out;
}

Bytes MakeGif(int width, int height, std::uint32_t rgb)
{
    Bytes out = ToBytes("GIF89a");
    PutLe(out, width, 2);
    PutLe(out, height, 2);
    out.insert(out.end(), {0x81, 0, 0});  // global colour table of 4 entries
    const unsigned char red = rgb >> 16, green = rgb >> 8, blue = rgb;
    out.insert(out.end(), {0, 0, 0, red, green, blue, 0, 0, 0, 0, 0, 0});
    out.push_back(0x2C);  // image descriptor
    PutLe(out, 0, 4);
    PutLe(out, width, 2);
    PutLe(out, height, 2);
    out.push_back(0);

    // 3-bit codes: a clear code before every second pixel keeps the code
    // width from growing, so no real compression is needed.
    constexpr int kMinCodeSize = 2, kClear = 4, kEnd = 5, kColour = 1;
    out.push_back(kMinCodeSize);
    Bytes codes;
    std::uint32_t bits = 0;
    int bitCount = 0;
    auto put = [&](int code) {
        bits |= static_cast<std::uint32_t>(code) << bitCount;
        for (bitCount += 3; bitCount >= 8; bitCount -= 8, bits >>= 8) codes.push_back(bits & 0xFF);
    };
    for (long i = 0; i < long{width} * height; ++i) {
        if (i % 2 == 0) put(kClear);
        put(kColour);
    }
    put(kEnd);
    if (bitCount > 0) codes.push_back(bits & 0xFF);
    for (std::size_t i = 0; i < codes.size(); i += 255) {
        const std::size_t block = std::min<std::size_t>(255, codes.size() - i);
        out.push_back(static_cast<unsigned char>(block));
        out.insert(out.end(), codes.begin() + i, codes.begin() + i + block);
    }
    out.push_back(0);
    out.push_back(0x3B);
    return out;
}

Bytes MakeRle8Bmp(int width, int height, std::uint32_t rgb)
{
    Bytes pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; x += 255) {
            pixels.push_back(static_cast<unsigned char>(std::min(255, width - x)));  // run length
            pixels.push_back(1);  // colour index
        }
        pixels.insert(pixels.end(), {0, 0});  // end of line
    }
    pixels.insert(pixels.end(), {0, 1});  // end of picture
    constexpr std::uint32_t kColours = 2;
    constexpr std::uint32_t kHeaders = 14 + 40 + 4 * kColours;
    Bytes out = ToBytes("BM");
    PutLe(out, kHeaders + static_cast<std::uint32_t>(pixels.size()), 4);
    PutLe(out, 0, 4);
    PutLe(out, kHeaders, 4);
    PutLe(out, 40, 4);
    PutLe(out, width, 4);
    PutLe(out, height, 4);
    PutLe(out, 1, 2);  // planes
    PutLe(out, 8, 2);  // bits per pixel
    PutLe(out, 1, 4);  // RLE8
    PutLe(out, static_cast<std::uint32_t>(pixels.size()), 4);
    PutLe(out, 0, 4);
    PutLe(out, 0, 4);
    PutLe(out, kColours, 4);
    PutLe(out, 0, 4);
    PutLe(out, 0, 4);    // colour 0: black
    PutLe(out, rgb, 4);  // colour 1, blue green red
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

Bytes MakeTinyGif(int width, int height)
{
    Bytes out = ToBytes("GIF89a");
    PutLe(out, width, 2);
    PutLe(out, height, 2);
    out.insert(out.end(), {0x80, 0, 0});  // global colour table of 2 entries
    out.insert(out.end(), {0, 0, 0, 255, 255, 255});
    out.push_back(0x2C);  // image descriptor
    PutLe(out, 0, 4);
    PutLe(out, width, 2);
    PutLe(out, height, 2);
    out.push_back(0);
    // Minimum code size 2: clear (4) and end (5) as 3-bit codes.
    out.insert(out.end(), {2, 1, 0x2C, 0, 0x3B});
    return out;
}

}  // namespace skyvane::skydata::testing
