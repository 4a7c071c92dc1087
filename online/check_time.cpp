#include "online/check_time.h"

#include <cstdlib>

#include "platform/local_time.h"

namespace skyvane::online {
namespace {

using platform::LocalTime;

int NumberAt(const std::string& text, std::size_t offset, std::size_t length)
{
    return std::atoi(text.substr(offset, length).c_str());
}

}  // namespace

std::string FormatCheckTime(std::time_t moment)
{
    const std::tm local = LocalTime(moment);
    char text[32];
    // The century is written as "20" whatever the year; the readers of these
    // values expect exactly 19 characters.
    std::strftime(text, sizeof text, "20%y-%m-%d %H:%M:%S", &local);
    return text;
}

std::optional<std::time_t> ParseCheckTime(const std::string& text)
{
    constexpr std::size_t kLength = 19;
    if (text.size() != kLength) return std::nullopt;
    std::tm local{};
    local.tm_year = NumberAt(text, 0, 4) - 1900;
    local.tm_mon = NumberAt(text, 5, 2) - 1;
    local.tm_mday = NumberAt(text, 8, 2);
    local.tm_hour = NumberAt(text, 11, 2);
    local.tm_min = NumberAt(text, 14, 2);
    local.tm_sec = NumberAt(text, 17, 2);
    local.tm_isdst = -1;  // let the zone rules decide, as for any wall-clock time
    return std::mktime(&local);
}

std::time_t InstallEpoch()
{
    std::tm local{};
    local.tm_year = 2005 - 1900;
    local.tm_mon = 0;
    local.tm_mday = 1;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

}  // namespace skyvane::online
