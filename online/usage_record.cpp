#include "online/usage_record.h"

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <mutex>

#include "online/check_time.h"
#include "platform/local_time.h"

namespace skyvane::online {
namespace {

constexpr long long kDigitBase = 64;
constexpr long long kEncodableLimit = 16'777'216;  // 64^4

// Field offsets and widths of the encoded record.
struct Field {
    std::size_t offset;
    int width;
};
constexpr Field kCreationField{0, 4};
constexpr Field kRandomField{4, 2};
constexpr Field kBuildField{6, 2};
constexpr Field kStartsField{8, 2};
constexpr Field kHelioField{10, 3};
constexpr Field kGeoField{13, 3};
constexpr Field kHorizonField{16, 3};
constexpr Field kCheckSumField{19, 3};
constexpr std::size_t kInstallIdLength = 6;

// The start count is stored shifted so that its field always has two
// digits for the counts that occur.
constexpr int kStartsOffset = 800;
constexpr int kSecondsPerUnit = 10;
constexpr int kCreationSecondsPerUnit = 15;
constexpr int kRandomModulus = 4000;

char DigitCharacter(int digit)
{
    // 0..25 "a".."z", 26 "@", 27..52 "A".."Z", 53..62 "0".."9", 63 ":".
    if (digit <= 25) return static_cast<char>(digit + 97);
    if (digit <= 52) return static_cast<char>(digit + 38);
    return static_cast<char>(digit - 5);
}

int DigitValue(unsigned char c)
{
    if (c >= '`') return c - 97;
    if (c >= '@') return c - 38;
    return c + 5;
}

int DigitsNeeded(long long value)
{
    if (value < 64) return 1;
    if (value < 4096) return 2;
    if (value < 262'144) return 3;
    return 4;
}

int DecodeField(std::string_view text, Field field)
{
    if (field.offset >= text.size()) return 0;
    return DecodeNumber(text.substr(field.offset, static_cast<std::size_t>(field.width)));
}

void SeedRandomOnce()
{
    static std::once_flag seeded;
    std::call_once(seeded, [] { std::srand(static_cast<unsigned>(std::time(nullptr))); });
}

}  // namespace

std::string EncodeNumber(long long value, int width)
{
    std::string digits;
    if (value >= 0 && value < kEncodableLimit) {
        long long rest = value;
        digits.assign(static_cast<std::size_t>(DigitsNeeded(value)), 'a');
        for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
            *it = DigitCharacter(static_cast<int>(rest % kDigitBase));
            rest /= kDigitBase;
        }
    }
    if (static_cast<int>(digits.size()) < width)
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), 'a');
    return digits;
}

int DecodeNumber(std::string_view text)
{
    // Unsigned arithmetic: a long damaged text wraps instead of overflowing.
    std::uint32_t value = 0;
    for (char c : text)
        value = value * kDigitBase + static_cast<std::uint32_t>(DigitValue(static_cast<unsigned char>(c)));
    return static_cast<int>(value);
}

void EncodeUsageRecord(UsageRecord& record)
{
    std::string text = record.installId;
    text += EncodeNumber(record.build, kBuildField.width);
    text += EncodeNumber(static_cast<long long>(record.starts) + kStartsOffset, kStartsField.width);
    text += EncodeNumber(record.helioSeconds / kSecondsPerUnit, kHelioField.width);
    text += EncodeNumber(record.geoSeconds / kSecondsPerUnit, kGeoField.width);
    text += EncodeNumber(record.horizonSeconds / kSecondsPerUnit, kHorizonField.width);

    long long sum = 0;
    for (std::size_t i = 0; i < kCheckSumField.offset && i < text.size(); ++i)
        sum += static_cast<unsigned char>(text[i]) - '0';
    text += EncodeNumber(sum, kCheckSumField.width);
    record.text = std::move(text);
}

void DecodeUsageRecord(std::string_view text, UsageRecord& record)
{
    record.text = std::string(text);
    record.installId = std::string(text.substr(0, kInstallIdLength));
    record.build = DecodeField(text, kBuildField);
    record.starts = DecodeField(text, kStartsField) - kStartsOffset;
    record.helioSeconds = DecodeField(text, kHelioField) * kSecondsPerUnit;
    record.geoSeconds = DecodeField(text, kGeoField) * kSecondsPerUnit;
    record.horizonSeconds = DecodeField(text, kHorizonField) * kSecondsPerUnit;
    const long long created = static_cast<long long>(DecodeField(text, kCreationField)) *
                              kCreationSecondsPerUnit;
    record.installTime = FormatCheckTime(InstallEpoch() + static_cast<std::time_t>(created));
}

std::string MakeInstallId()
{
    SeedRandomOnce();
    const std::time_t now = std::time(nullptr);
    const std::tm local = platform::LocalTime(now);
    const long long units = static_cast<long long>(now - InstallEpoch()) / kCreationSecondsPerUnit;
    const int randomPart = std::rand() % kRandomModulus + local.tm_sec;
    return EncodeNumber(units, kCreationField.width) + EncodeNumber(randomPart, kRandomField.width);
}

}  // namespace skyvane::online
