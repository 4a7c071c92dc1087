// `skyvane print CHART`: one chart laid out on a printer page and written
// as a one-page PDF, without a display.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "app/render_command.h"

namespace skyvane::app {

struct PrintRequest {
    // The place, instant, zoom, display preferences and data file, read as
    // skyvane render reads them; its picture size and output do not apply.
    RenderRequest chart;
    int dotsPerInch = 600;
    std::string placeName;  // the title's place; see PlaceLine when empty
    std::string output;  // "-": standard output
    bool help = false;
};

const CommandOptions<PrintRequest>& PrintOptions();
std::string PrintUsage();

// Reads the command's arguments (without "print"). On a bad argument
// returns nothing and sets `error` to one line naming it.
std::optional<PrintRequest> ParsePrintArguments(const std::vector<std::string>& args,
                                                std::string& error);

// The whole command; returns the process exit status. Needs a
// QGuiApplication (fonts); RunPrintCommandMain makes one.
int RunPrintCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

int RunPrintCommandMain(int argc, char** argv);

}  // namespace skyvane::app
