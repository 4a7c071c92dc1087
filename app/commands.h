// The program's commands as `skyvane --help` lists them, each with its help
// and the options that help describes. One list serves the program's own
// help and the check that the manual page documents every command and
// every option.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace skyvane::app {

struct CommandInfo {
    std::string name;       // "ephemeris"
    std::string arguments;  // what follows the name: "CHART [options]"
    std::string summary;    // what it does, in a few words
    std::function<std::string()> usage;  // its --help text
    // The names of each option the help describes ({"-h", "--help"}, ...).
    std::function<std::vector<std::vector<std::string>>()> options;
};

const std::vector<CommandInfo>& Commands();

// skyvane --help: the desktop program and every command, one line each.
std::string ProgramUsage();

}  // namespace skyvane::app
