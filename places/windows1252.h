// Our texts are single-byte Windows-1252; these turn them into Unicode for
// Qt's text drawing and for UTF-8 output, through the one table in
// skydata/windows1252.h that the name index reads too.
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
