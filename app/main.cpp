// The skyvane program: the desktop program, and subcommands that work
// without a display.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/desktop_start.h"
#include "app/ephemeris_command.h"
#include "app/find_command.h"
#include "app/main_frame.h"
#include "app/print_command.h"
#include "app/render_command.h"
#include "app/telescope_command.h"
#include "app/update_data_command.h"
#include "online/online_hooks.h"

namespace {

// Writes to standard output that did not arrive make the run a failure.
int Finished(int status)
{
    if (status == 0 && (!std::cout.flush() || std::fflush(stdout) != 0)) {
        std::cerr << "skyvane: standard output: " << std::strerror(errno) << "\n";
        return 1;
    }
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    skyvane::online::InstallOnlineHooks();
    const std::vector<std::string> args(argv + 1, argv + argc);
    // No command, or options only: the desktop program, which hands Qt's
    // own options (-platform, -style) to Qt and reads the rest itself.
    if (args.empty() || (args[0].rfind('-', 0) == 0 && args[0] != "--help" &&
                         args[0] != "-h" && args[0] != "--version" && args[0] != "-v"))
        return skyvane::app::RunDesktopProgram(argc, argv);
    if (args[0] == "--help" || args[0] == "-h") {
        std::cout << skyvane::app::ProgramUsage();
        return Finished(0);
    }
    if (args[0] == "--version" || args[0] == "-v") {
        std::cout << skyvane::app::VersionText() << "\n";
        return Finished(0);
    }
    if (args[0] == "ephemeris")
        return Finished(skyvane::app::RunEphemerisCommand({args.begin() + 1, args.end()},
                                                          std::cout, std::cerr));
    if (args[0] == "find")
        return Finished(
            skyvane::app::RunFindCommand({args.begin() + 1, args.end()}, std::cout, std::cerr));
    if (args[0] == "telescope")
        return Finished(skyvane::app::RunTelescopeCommand({args.begin() + 1, args.end()},
                                                          std::cout, std::cerr));
    if (args[0] == "render")
        return Finished(skyvane::app::RunRenderCommandMain(argc, argv));
    if (args[0] == "print")
        return Finished(skyvane::app::RunPrintCommandMain(argc, argv));
    if (args[0] == "update-data")
        return Finished(skyvane::app::RunUpdateDataCommand({args.begin() + 1, args.end()},
                                                           std::cout, std::cerr));
    std::cerr << "skyvane: " << args[0] << ": unknown command; try 'skyvane --help'\n";
    return 2;
}
