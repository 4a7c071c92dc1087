// Our texts (the data file's catalogue, the settings store's names) are
// single-byte Windows-1252. One table turns them into Unicode for every
// reader: the name index, the commands' UTF-8 output and, through places/,
// Qt's text drawing. Bytes that Windows-1252 leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) map to the C1 control with the same number, as web
// browsers do, so no byte is lost.
#pragma once

#include <string>
#include <string_view>

namespace skyvane::skydata {

char16_t Windows1252ToUnicode(unsigned char byte);

// The byte for a character, or '?' where Windows-1252 has none.
char UnicodeToWindows1252(char32_t code);

// Appends one character as UTF-8.
void AppendUtf8(char32_t code, std::string& out);

// A Windows-1252 text as UTF-8.
std::string Windows1252ToUtf8(std::string_view text);

}  // namespace skyvane::skydata
