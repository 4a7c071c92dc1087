#include "online/report_request.h"

#include <algorithm>
#include <iterator>

namespace skyvane::online {

std::string HostHeaderText(const HostAddress& host)
{
    constexpr int kStandardPort = 80;
    if (host.port == kStandardPort) return host.name;
    return host.name + ":" + std::to_string(host.port);
}

std::string HeaderSafe(const std::string& text)
{
    std::string safe;
    safe.reserve(text.size());
    std::copy_if(text.begin(), text.end(), std::back_inserter(safe), [](char c) {
        const auto code = static_cast<unsigned char>(c);
        return code >= 0x20 && code != 0x7f;
    });
    return safe;
}

}  // namespace skyvane::online
