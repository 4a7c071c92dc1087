#include "places/windows1252.h"

#include <array>
#include <cstddef>

#include <QByteArray>

namespace skyvane::places {
namespace {

// 0x80..0x9F; every other byte is the Latin-1 code point of the same number.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char UnicodeToWindows1252(char32_t code)
{
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<char>(code);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == code) return static_cast<char>(0x80 + i);
    }
    return '?';
}

}  // namespace

char16_t Windows1252ToUnicode(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return kHighControls[byte - 0x80];
    return byte;
}

QString FromWindows1252(std::string_view text)
{
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    for (char c : text)
        result.append(QChar(Windows1252ToUnicode(static_cast<unsigned char>(c))));
    return result;
}

std::string Windows1252ToUtf8(std::string_view text)
{
    std::string result;
    result.reserve(text.size() * 2);
    for (char c : text) {
        // Every code point of the table lies below U+10000: one to three bytes.
        const char16_t u = Windows1252ToUnicode(static_cast<unsigned char>(c));
        if (u < 0x80) {
            result += static_cast<char>(u);
        } else if (u < 0x800) {
            result += static_cast<char>(0xC0 | (u >> 6));
            result += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            result += static_cast<char>(0xE0 | (u >> 12));
            result += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            result += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return result;
}

std::string Utf8ToWindows1252(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t code = 0;
        if (lead < 0x80) {
            length = 1;
            code = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            code = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            code = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            code = lead & 0x07;
        }
        bool valid = length != 0 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        if (!valid) {
            // One replacement per bad byte, then resynchronise on the next.
            result += '?';
            ++i;
            continue;
        }
        result += UnicodeToWindows1252(code);
        i += length;
    }
    return result;
}

std::string ToWindows1252(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return Utf8ToWindows1252(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

}  // namespace skyvane::places
