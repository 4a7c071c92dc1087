// The program's settings store: sections and keys under one per-user
// location, integers stored as integers and everything else as strings.
// Missing values read as 0 or the empty string, which selects the
// first-run paths everywhere.
#pragma once

#include <string>

namespace skyvane::platform {

int GetProfileInt(const std::string& section, const std::string& key, int defaultValue = 0);
std::string GetProfileString(const std::string& section, const std::string& key,
                             const std::string& defaultValue = "");
void WriteProfileInt(const std::string& section, const std::string& key, int value);
void WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& value);

// Points the store at an INI file instead of the user's settings (tests, and
// tools that must not touch a user's settings). An empty path returns to
// the user's settings. Safe to call from any thread; every access after the
// call uses the new store.
void UseProfileFile(const std::string& path);

}  // namespace skyvane::platform
