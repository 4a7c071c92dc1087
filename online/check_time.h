// Times in the settings store ("Update"/"NextCheck", "Installed"/"NBFD")
// and in the usage record are local times written "20yy-mm-dd hh:mm:ss":
// 19 characters, the century fixed to 20.
#pragma once

#include <ctime>
#include <optional>
#include <string>

namespace skyvane::online {

// Formats a moment as local time, "20%y-%m-%d %H:%M:%S".
std::string FormatCheckTime(std::time_t moment);

// Reads a stored time back: year from characters 0-3, month 5-6, day 8-9,
// hour 11-12, minute 14-15, second 17-18, each as a decimal number, as local
// time. Nothing when the text is not exactly 19 characters long.
std::optional<std::time_t> ParseCheckTime(const std::string& text);

// 2005-01-01 00:00:00 local time, the origin of the install id's clock.
std::time_t InstallEpoch();

}  // namespace skyvane::online
