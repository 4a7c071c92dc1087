// `skyvane render CHART`: one chart drawn off-screen into a PNG file, for
// machines without a display and for looking at a chart from a script.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/data_folder.h"
#include "app/place_and_time.h"
#include "render/chart_view.h"
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
    DataFileChoice data;
    std::string chartName;  // as given: "horizontal"
    std::string output;     // "-": standard output
    bool help = false;
    std::string placeName;  // the place line; empty: see PlaceLine
    // A finder chart: the sky chart centred on `center` (a name or the
    // chart's coordinates; empty: the chart's middle) with a field of
    // `fieldDegrees` across its shorter side (0: the whole sky).
    std::string center;
    double fieldDegrees = 0;
};

// The view a finder request asks for on the sky of `state`: the whole sky
// without --center and --fov. Nothing, with `error` set, when the target
// is not found or (horizontal chart) is below the horizon.
std::optional<render::ViewAim> FinderAim(const RenderRequest& request,
                                         const skydata::SkyData& data,
                                         const engine::SkyState& state, std::string& error);

// The options of skyvane render, and its help.
const CommandOptions<RenderRequest>& RenderOptions();
std::string RenderUsage();

// Reads the command's arguments (without "render"). On a bad argument
// returns nothing and sets `error` to one line naming it.
std::optional<RenderRequest> ParseRenderArguments(const std::vector<std::string>& args,
                                                  std::string& error);

// After the options: the chart named by the one positional argument, the
// default output, and the checks across options.
bool FinishRenderRequest(RenderRequest& request, const std::vector<std::string>& positional,
                         std::string& error);

// The image format ("png", "jpg", ...) that `output` is written in, by its
// extension; PNG for standard output and a name without one. Nothing for
// an extension this Qt cannot write.
std::optional<std::string> PictureFormatFor(const std::string& output);

// What a chart is drawn from: the data file's tables and the sky computed
// for the request's place and instant. Nothing, with `error` naming the
// file, when there is no usable data file.
struct ChartInputs {
    std::shared_ptr<const skydata::SkyData> data;
    engine::SkyState state;
};
// The state also carries the user's stored locations, as the window shows
// them (the first-run defaults when the settings hold none; nothing is
// written), and the place line from PlaceLine.
std::optional<ChartInputs> LoadChartInputs(const RenderRequest& request, std::string& error);

// The place line of a chart drawn for `state`: `placeName` when given,
// else the name of the stored location at the state's longitude and
// latitude, else the coordinates ("47.32N 8.50E").
std::string PlaceLine(const engine::SkyState& state, const std::string& placeName);

// Runs `command` with the QGuiApplication that drawing needs (fonts),
// off-screen when there is no display; returns its exit status.
int RunWithGuiApplication(int argc, char** argv, const std::function<int()>& command);

// The whole command; returns the process exit status. Needs a
// QGuiApplication (fonts); RunRenderCommandMain makes one.
int RunRenderCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Entry from main(): makes an off-screen QGuiApplication when there is no
// display, then runs the command.
int RunRenderCommandMain(int argc, char** argv);

// The command's arguments once the application object has taken Qt's own
// options out, without the program's and the command's names.
std::vector<std::string> CommandArguments();

}  // namespace skyvane::app
