#include "places/windows1252.h"

#include <QByteArray>

#include "skydata/windows1252.h"

namespace skyvane::places {

char16_t Windows1252ToUnicode(unsigned char byte) { return skydata::Windows1252ToUnicode(byte); }

QString FromWindows1252(std::string_view text)
{
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    for (char c : text)
        result.append(QChar(skydata::Windows1252ToUnicode(static_cast<unsigned char>(c))));
    return result;
}

std::string Windows1252ToUtf8(std::string_view text) { return skydata::Windows1252ToUtf8(text); }

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
        result += skydata::UnicodeToWindows1252(code);
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
