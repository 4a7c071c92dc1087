// The process's environment and the user it runs for, the same on POSIX
// and Windows.
#pragma once

#include <string>

namespace skyvane::platform {

// Sets the environment variable `name` to `value` (non-empty) for this
// process and the programs it starts; false when the system refuses.
bool SetEnvironmentValue(const std::string& name, const std::string& value);

// A short text that tells the user this process runs for from other users
// of the machine, for names of private folders: the numeric user id on
// POSIX, the account name on Windows. Never empty.
std::string CurrentUserTag();

}  // namespace skyvane::platform
