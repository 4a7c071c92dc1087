// Our texts are single-byte Windows-1252; these turn them into Unicode for
// Qt's text drawing and for UTF-8 output. Bytes that Windows-1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control with the
// same number, as web browsers do, so no byte is lost.
#pragma once

#include <string>
#include <string_view>

#include <QString>

namespace skyvane::places {

char16_t Windows1252ToUnicode(unsigned char byte);
QString FromWindows1252(std::string_view text);
std::string Windows1252ToUtf8(std::string_view text);

// The way back, for texts that come from the settings store or from the
// user. Characters Windows-1252 has no byte for, and malformed UTF-8, become
// "?" so that the result is always one byte per character.
std::string Utf8ToWindows1252(std::string_view text);
std::string ToWindows1252(const QString& text);

}  // namespace skyvane::places
