// `skyvane render CHART`: one chart drawn off-screen into a PNG file, for
// machines without a display and for looking at a chart from a script.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ephemeris_command.h"
#include "render/display_preferences.h"
#include "render/object_panel.h"
#include "skydata/sky_data.h"

namespace skyvane::app {

enum class ChartKind { kHorizontal, kGeocentric, kHeliocentric, kIntro };

struct RenderRequest {
    ChartKind chart = ChartKind::kHorizontal;
    EphemerisRequest place;  // place and instant, as skyvane ephemeris reads them
    int width = 1280;
    int height = 800;
    // Device pixels per pixel, as on a high-density screen: the picture is
    // scale times larger and drawn at that resolution.
    int scale = 1;
    int zoom = 210;  // heliocentric scale, pixels per AU, as the window starts
    render::DisplayPreferences preferences;  // first-run values unless given
    render::ObjectSelection selection;
    std::string dataFile = "datas.bin";
    std::string output;
};

extern const char kRenderUsage[];

// Reads the command's arguments (without "render"). On a bad argument
// returns nothing and sets `error` to one line naming it.
std::optional<RenderRequest> ParseRenderArguments(const std::vector<std::string>& args,
                                                  std::string& error);

// What a chart is drawn from: the data file's tables and the sky computed
// for the request's place and instant. Without a usable data file the
// tables are the empty ones the program starts with, which `command` says
// on `err`.
struct ChartInputs {
    std::shared_ptr<const skydata::SkyData> data;
    engine::SkyState state;
};
ChartInputs LoadChartInputs(const RenderRequest& request, const char* command, std::ostream& err);

// Runs `command` with the QGuiApplication that drawing needs (fonts),
// off-screen when there is no display; returns its exit status.
int RunWithGuiApplication(int argc, char** argv, const std::function<int()>& command);

// The whole command; returns the process exit status. Needs a
// QGuiApplication (fonts); RunRenderCommandMain makes one.
int RunRenderCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Entry from main(): makes an off-screen QGuiApplication when there is no
// display, then runs the command.
int RunRenderCommandMain(int argc, char** argv, const std::vector<std::string>& args);

}  // namespace skyvane::app
