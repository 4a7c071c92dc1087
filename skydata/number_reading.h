// Numbers inside the data file are decimal text, read the way the C library's
// atoi and atof read them: leading white space, an optional sign, then as much
// of a number as fits; whatever follows is ignored. These readers work on a
// bounded piece of text, never look past it, and do not depend on the locale.
#pragma once

#include <cstdint>
#include <string_view>

namespace skyvane::skydata {

// Integer prefix of `text`; 0 when there is none. Values beyond the 32-bit
// range saturate at its ends.
std::int32_t ReadInt(std::string_view text);

// Decimal floating-point prefix of `text` (digits, an optional decimal point
// and an optional exponent); 0 when there is none. Only plain decimal numbers
// are read: "inf", "nan", hexadecimal forms and numbers beyond the range of a
// double all read as 0, so no infinity or NaN reaches the tables.
double ReadDouble(std::string_view text);

}  // namespace skyvane::skydata
