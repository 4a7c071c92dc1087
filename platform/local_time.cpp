#include "platform/local_time.h"

namespace skyvane::platform {

std::tm LocalTime(std::time_t moment)
{
    std::tm local{};
#ifdef _WIN32
    const bool converted = localtime_s(&local, &moment) == 0;
#else
    const bool converted = localtime_r(&moment, &local) != nullptr;
#endif
    if (!converted) {
        local = std::tm{};
        local.tm_mday = 1;
    }
    return local;
}

}  // namespace skyvane::platform
