#include "skydata/pictures.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string_view>

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QPainter>
#include <QRect>

namespace skyvane::skydata {
namespace {

constexpr int kScreenDpi = 96;
constexpr int kHimetricPerInch = 2540;
constexpr std::int64_t kHimetricPerMetre = 100'000;

// Rounds a * b / c to the nearest integer, halves away from zero, for
// non-negative a and b and positive c.
std::int64_t MulDivRounded(std::int64_t a, std::int64_t b, std::int64_t c) { return (a * b + c / 2) / c; }

int ClampToInt(std::int64_t value)
{
    return static_cast<int>(std::min<std::int64_t>(value, std::numeric_limits<int>::max()));
}

std::string_view AsText(std::span<const unsigned char> bytes)
{
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

const char* PictureFormat(std::span<const unsigned char> bytes)
{
    const std::string_view text = AsText(bytes);
    if (text.starts_with("BM")) return "BMP";
    if (text.starts_with("GIF87a") || text.starts_with("GIF89a")) return "GIF";
    return nullptr;
}

std::int32_t LittleEndian32(std::span<const unsigned char> bytes, std::size_t offset)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value |= std::uint32_t{bytes[offset + i]} << (8 * i);
    return static_cast<std::int32_t>(value);
}

// A BMP may state its resolution in pixels per metre (0 when it does not);
// the picture decoder replaces a missing one with the screen's, so it is
// read from the file itself.
struct PixelsPerMetre {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

PixelsPerMetre BmpResolution(std::span<const unsigned char> bytes)
{
    // File header (14 bytes), then an info header of at least 40 bytes that
    // holds the resolution at its offsets 24 and 28; the older 12-byte
    // header has none.
    constexpr std::size_t kInfoHeader = 14;
    constexpr std::size_t kMinInfoHeaderBytes = 40;
    constexpr std::size_t kXResolution = kInfoHeader + 24;
    constexpr std::size_t kYResolution = kInfoHeader + 28;
    if (bytes.size() < kInfoHeader + kMinInfoHeaderBytes) return {};
    if (static_cast<std::uint32_t>(LittleEndian32(bytes, kInfoHeader)) < kMinInfoHeaderBytes) return {};
    return {LittleEndian32(bytes, kXResolution), LittleEndian32(bytes, kYResolution)};
}

// A picture that states its physical size is shown at that size on a
// 96-dpi screen: pixels -> hundredths of a millimetre -> screen pixels.
int ShownPixels(int pixels, std::int32_t pixelsPerMetre)
{
    if (pixelsPerMetre <= 0) return pixels;
    const std::int64_t himetric = MulDivRounded(pixels, kHimetricPerMetre, pixelsPerMetre);
    return HimetricToPixels(ClampToInt(himetric));
}

// The picture's header, read without decoding a pixel: its size and the
// bytes its decoded form will take.
struct PictureHeader {
    QSize size;
    std::int64_t decodedBytes = 0;
};

std::optional<PictureHeader> ReadPictureHeader(std::span<const unsigned char> bytes, const char* format)
{
    if (format == nullptr || bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return std::nullopt;
    const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<qsizetype>(bytes.size()));
    QBuffer buffer;
    buffer.setData(data);
    if (!buffer.open(QIODevice::ReadOnly)) return std::nullopt;
    QImageReader reader(&buffer, format);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty()) return std::nullopt;
    // Rows are padded to 32 bits; a format not known before decoding is
    // taken at 32 bits a pixel, the most these formats decode to.
    const QImage::Format decodedFormat = reader.imageFormat();
    const int bitsPerPixel =
        decodedFormat == QImage::Format_Invalid ? 32 : QImage::toPixelFormat(decodedFormat).bitsPerPixel();
    const std::int64_t bytesPerLine = (std::int64_t{size.width()} * std::max(bitsPerPixel, 1) + 31) / 32 * 4;
    return PictureHeader{size, bytesPerLine * size.height()};
}

bool WithinSideLimit(const QSize& size)
{
    return size.width() <= kMaxPictureSide && size.height() <= kMaxPictureSide;
}

// Decodes a picture whose header has been read and found acceptable.
bool DecodeChecked(std::span<const unsigned char> bytes, const char* format, QImage& out, IntRect& size)
{
    QImage picture;
    if (!picture.loadFromData(bytes.data(), static_cast<int>(bytes.size()), format)) return false;

    PixelsPerMetre resolution;
    if (std::string_view(format) == "BMP") resolution = BmpResolution(bytes);
    size.right = ShownPixels(picture.width(), resolution.x);
    size.bottom = ShownPixels(picture.height(), resolution.y);
    out = std::move(picture);
    return true;
}

}  // namespace

int HimetricToPixels(int himetric)
{
    const std::int64_t magnitude = MulDivRounded(std::llabs(himetric), kScreenDpi, kHimetricPerInch);
    return static_cast<int>(himetric < 0 ? -magnitude : magnitude);
}

bool DecodePicture(std::span<const unsigned char> bytes, QImage& out, IntRect& size)
{
    out = QImage();
    const char* format = PictureFormat(bytes);
    const std::optional<PictureHeader> header = ReadPictureHeader(bytes, format);
    if (!header || !WithinSideLimit(header->size)) return false;
    return DecodeChecked(bytes, format, out, size);
}

bool DrawPicture(QPainter& painter, int x, int y, const QImage& picture, const IntRect& size)
{
    if (!painter.isActive() || picture.isNull()) return false;
    // The destination runs from (x, y) to (x + right, y + bottom); a
    // negative extent flips the corner, never the picture.
    const std::int64_t x2 = std::int64_t{x} + size.right;
    const std::int64_t y2 = std::int64_t{y} + size.bottom;
    const std::int64_t left = std::min<std::int64_t>(x, x2);
    const std::int64_t top = std::min<std::int64_t>(y, y2);
    const std::int64_t width = std::llabs(std::int64_t{size.right});
    const std::int64_t height = std::llabs(std::int64_t{size.bottom});
    constexpr std::int64_t kIntMin = std::numeric_limits<int>::min();
    constexpr std::int64_t kIntMax = std::numeric_limits<int>::max();
    if (width > kIntMax || height > kIntMax || left < kIntMin || top < kIntMin || left + width > kIntMax ||
        top + height > kIntMax)
        return false;
    painter.drawImage(QRect(static_cast<int>(left), static_cast<int>(top), static_cast<int>(width),
                            static_cast<int>(height)),
                      picture);
    return true;
}

PictureTable BuildPictureTable(const DecodedDataFile& file)
{
    PictureTable table;
    for (int i = 0; i < kPictureSlotCount; ++i) table.pictureSlots[i].name = file.slotNames[i];
    // A damaged picture leaves its slot without a picture but still counts,
    // so the slot numbering and count follow the file's directory. So does
    // one too large to decode: a small file of single-colour pictures would
    // otherwise inflate to gigabytes. Sizes are read from the headers
    // before a pixel is decoded.
    std::int64_t tableBytes = 0;
    for (const PictureEntry& entry : file.pictures) {
        if (entry.index < 0 || entry.index >= kPictureSlotCount) continue;
        PictureSlot& slot = table.pictureSlots[entry.index];
        slot.present = 1;
        ++table.pictureCount;
        const char* format = PictureFormat(entry.bytes);
        const std::optional<PictureHeader> header = ReadPictureHeader(entry.bytes, format);
        if (!header || !WithinSideLimit(header->size)) continue;
        if (header->decodedBytes > kMaxPictureTableBytes - tableBytes) continue;
        if (DecodeChecked(entry.bytes, format, slot.picture, slot.size))
            tableBytes += std::max<std::int64_t>(header->decodedBytes, slot.picture.sizeInBytes());
    }
    return table;
}

void ReleasePictures(PictureTable& table)
{
    for (PictureSlot& slot : table.pictureSlots)
        if (slot.present == 1) slot.picture = QImage();
}

}  // namespace skyvane::skydata
