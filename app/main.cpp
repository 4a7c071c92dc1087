// The skyvane program: the desktop program, and subcommands that work
// without a display.
#include <iostream>
#include <string>
#include <vector>

#include "app/ephemeris_command.h"
#include "app/find_command.h"
#include "app/main_frame.h"
#include "app/print_command.h"
#include "app/render_command.h"
#include "app/update_data_command.h"
#include "online/online_hooks.h"

namespace {

constexpr char kUsage[] =
    "usage: skyvane                       the desktop program\n"
    "       skyvane ephemeris [options]   the sky for a place and instant (--help for options)\n"
    "       skyvane render CHART [options] draw a chart into a PNG file (--help for options)\n"
    "       skyvane print CHART [options]  print a chart into a PDF file (--help for options)\n"
    "       skyvane update-data [options] fetch the sky data file now (--help for options)\n"
    "       skyvane find NAME [options]   find a star, Messier object or planet (--help for options)\n";

}  // namespace

int main(int argc, char** argv)
{
    skyvane::online::InstallOnlineHooks();
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return skyvane::app::RunDesktopProgram(argc, argv);
    if (args[0] == "--help" || args[0] == "-h") {
        std::cout << kUsage;
        return 0;
    }
    if (args[0] == "ephemeris")
        return skyvane::app::RunEphemerisCommand({args.begin() + 1, args.end()}, std::cout,
                                                 std::cerr);
    if (args[0] == "find")
        return skyvane::app::RunFindCommand({args.begin() + 1, args.end()}, std::cout, std::cerr);
    if (args[0] == "render")
        return skyvane::app::RunRenderCommandMain(argc, argv, {args.begin() + 1, args.end()});
    if (args[0] == "print")
        return skyvane::app::RunPrintCommandMain(argc, argv, {args.begin() + 1, args.end()});
    if (args[0] == "update-data")
        return skyvane::app::RunUpdateDataCommand({args.begin() + 1, args.end()}, std::cout,
                                                  std::cerr);
    std::cerr << "skyvane: " << args[0] << ": unknown command\n" << kUsage;
    return 2;
}
