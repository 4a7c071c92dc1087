#include "platform/process_environment.h"

#include <cstdlib>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace skyvane::platform {

bool SetEnvironmentValue(const std::string& name, const std::string& value)
{
    if (name.empty() || name.find('=') != std::string::npos || value.empty()) return false;
#ifdef _WIN32
    return _putenv_s(name.c_str(), value.c_str()) == 0;
#else
    return ::setenv(name.c_str(), value.c_str(), 1) == 0;
#endif
}

std::string CurrentUserTag()
{
#ifdef _WIN32
    // Keep only characters that are safe in a file name.
    std::string tag;
    if (const char* user = std::getenv("USERNAME"))
        for (const char* c = user; *c != '\0'; ++c)
            if ((*c >= '0' && *c <= '9') || (*c >= 'A' && *c <= 'Z') || (*c >= 'a' && *c <= 'z') ||
                *c == '-' || *c == '_')
                tag += *c;
    return tag.empty() ? "user" : tag;
#else
    return std::to_string(::getuid());
#endif
}

}  // namespace skyvane::platform
