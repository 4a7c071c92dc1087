#include "app/commands.h"

#include <algorithm>

#include "app/ephemeris_command.h"
#include "app/find_command.h"
#include "app/print_command.h"
#include "app/render_command.h"
#include "app/telescope_command.h"
#include "app/update_data_command.h"

namespace skyvane::app {

const std::vector<CommandInfo>& Commands()
{
    static const std::vector<CommandInfo> kCommands = {
        {"ephemeris", "[options]", "the sky for a place and instant", EphemerisUsage,
         [] { return DocumentedOptionNames(EphemerisOptions()); }},
        {"render", "CHART [options]", "draw a chart into a picture", RenderUsage,
         [] { return DocumentedOptionNames(RenderOptions()); }},
        {"print", "CHART [options]", "print a chart into a PDF file", PrintUsage,
         [] { return DocumentedOptionNames(PrintOptions()); }},
        {"update-data", "[options]", "fetch the sky data file now", UpdateDataUsage,
         UpdateDataOptionNames},
        {"find", "NAME [options]", "find a star, deep-sky object or planet", FindUsage,
         [] { return DocumentedOptionNames(FindOptions()); }},
        {"telescope", "ACTION [options]", "drive a mount through INDI", TelescopeUsage,
         [] { return DocumentedOptionNames(TelescopeOptions()); }},
    };
    return kCommands;
}

std::string ProgramUsage()
{
    struct Line {
        std::string call, what;
    };
    std::vector<Line> lines{{"skyvane [--data-dir DIR]", "the desktop program"}};
    for (const CommandInfo& command : Commands())
        lines.push_back({"skyvane " + command.name + " " + command.arguments,
                         command.summary + " (--help for options)"});
    lines.push_back({"skyvane --version", "the program's version"});
    std::size_t width = 0;
    for (const Line& line : lines)
        width = std::max(width, line.call.size());
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        text += i == 0 ? "usage: " : "       ";
        text += lines[i].call + std::string(width - lines[i].call.size() + 2, ' ') + lines[i].what + "\n";
    }
    return text;
}

}  // namespace skyvane::app
