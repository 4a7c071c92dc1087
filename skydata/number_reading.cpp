#include "skydata/number_reading.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace skyvane::skydata {
namespace {

// White space as the "C" locale's isspace sees it.
bool IsCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t SkipSpace(std::string_view text, std::size_t pos)
{
    while (pos < text.size() && IsCSpace(text[pos])) ++pos;
    return pos;
}

std::size_t SkipDigits(std::string_view text, std::size_t pos)
{
    while (pos < text.size() && IsDigit(text[pos])) ++pos;
    return pos;
}

}  // namespace

std::int32_t ReadInt(std::string_view text)
{
    std::size_t pos = SkipSpace(text, 0);
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    // Accumulate towards the sign so that the most negative value fits, and
    // stop growing once the 32-bit range is left behind.
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
        magnitude = magnitude * 10 + (text[pos] - '0');
        if (magnitude > kLimit) magnitude = kLimit;
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value);
}

double ReadDouble(std::string_view text)
{
    std::size_t pos = SkipSpace(text, 0);
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const std::size_t numberStart = pos;
    const std::size_t integerEnd = SkipDigits(text, pos);
    std::size_t end = integerEnd;
    bool hasDigits = integerEnd > numberStart;
    if (end < text.size() && text[end] == '.') {
        const std::size_t fractionEnd = SkipDigits(text, end + 1);
        hasDigits = hasDigits || fractionEnd > end + 1;
        end = fractionEnd;
    }
    if (!hasDigits) return 0;
    // An exponent counts only when at least one digit follows its letter and
    // optional sign; "1e" and "1e+" read as 1.
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        std::size_t exponentDigits = end + 1;
        if (exponentDigits < text.size() && (text[exponentDigits] == '+' || text[exponentDigits] == '-'))
            ++exponentDigits;
        const std::size_t exponentEnd = SkipDigits(text, exponentDigits);
        if (exponentEnd > exponentDigits) end = exponentEnd;
    }
    // from_chars rounds correctly and ignores the locale; it wants no sign.
    double value = 0;
    const char* first = text.data() + numberStart;
    const char* last = text.data() + end;
    const auto [stop, error] = std::from_chars(first, last, value, std::chars_format::general);
    if (error != std::errc{} || stop != last || !std::isfinite(value)) return 0;
    return negative ? -value : value;
}

}  // namespace skyvane::skydata
