// The broken-down local time of a moment, safe to call from any thread.
// std::localtime hands out one shared buffer; POSIX and Windows each have
// their own reentrant form, and this is the one place that knows both.
#pragma once

#include <ctime>

namespace skyvane::platform {

// `moment` in the process's time zone. A moment the system cannot convert
// gives a zeroed std::tm with tm_mday 1 (1900-01-01 00:00:00) rather than
// garbage.
std::tm LocalTime(std::time_t moment);

}  // namespace skyvane::platform
