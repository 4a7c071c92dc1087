#include "app/render_command.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <chrono>
#include <iostream>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <ostream>
#include <regex>

#include <unistd.h>

#include "render/geocentric_chart.h"
#include "render/heliocentric_chart.h"
#include "render/horizontal_chart.h"
#include "render/intro_screen.h"
#include "skydata/click_rects.h"
#include "skydata/data_file.h"
#include "skydata/sky_data.h"

namespace skyvane::app {

const char kRenderUsage[] =
    "usage: skyvane render horizontal|geocentric|heliocentric|intro [options]\n"
    "  place and time as skyvane ephemeris: --date Y-M-D [--time H:M[:S]] | --jd JD | --now\n"
    "                                       --tz HOURS --dst 0|1 --lon DEG --lat DEG\n"
    "                                       (the clock when no instant is given)\n"
    "  --size WxH            picture size in pixels (default 1280x800)\n"
    "  --scale N             draw as a screen of N device pixels per pixel, 1-4 (default 1)\n"
    "  --zoom N              heliocentric scale, pixels per AU, 10-300 (default 210)\n"
    "  --select-star N       star row to select;  --select-messier N  Messier row to select\n"
    "  --help-overlay        show the navigation keys instead of the object panel\n"
    "  --ew 0|1 --ns 0|1 --planet-mode 0|1|2 --stars-visible 0|1 --star-color 0|1\n"
    "  --no-stars --no-constellations\n"
    "                        display preferences (default: as a first run sets them)\n"
    "  --data FILE           sky data file (default datas.bin)\n"
    "  -o FILE               the PNG to write (default CHART.png)\n";

namespace {

struct ChartName {
    const char* name;
    ChartKind kind;
};
constexpr ChartName kCharts[] = {{"horizontal", ChartKind::kHorizontal},
                                 {"geocentric", ChartKind::kGeocentric},
                                 {"heliocentric", ChartKind::kHeliocentric},
                                 {"intro", ChartKind::kIntro}};

// The largest picture the command draws: far beyond any screen, small
// enough that the image buffer stays a few hundred megabytes.
constexpr int kMinSide = 100;
constexpr int kMaxSide = 8000;
constexpr int kMinZoom = 10;
constexpr int kMaxZoom = 300;

bool ParseInt(const std::string& text, int min, int max, int& value)
{
    static const std::regex kInt(R"(^-?\d{1,9}$)");
    if (!std::regex_match(text, kInt))
        return false;
    const long parsed = std::strtol(text.c_str(), nullptr, 10);
    if (parsed < min || parsed > max)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

bool ParseSize(const std::string& text, int& width, int& height)
{
    static const std::regex kSize(R"(^(\d{1,5})x(\d{1,5})$)");
    std::smatch m;
    if (!std::regex_match(text, m, kSize))
        return false;
    width = std::stoi(m[1]);
    height = std::stoi(m[2]);
    return width >= kMinSide && width <= kMaxSide && height >= kMinSide && height <= kMaxSide;
}

// A 0/1 preference option and where it lands in the request.
struct SwitchOption {
    const char* name;
    void (*apply)(RenderRequest&, int);
};

const SwitchOption kSwitches[] = {
    {"--ew",
     [](RenderRequest& r, int v) {
         r.preferences.eastWestSign =
             v == 1 ? render::kWestLeftEastRight : render::kEastLeftWestRight;
     }},
    {"--ns", [](RenderRequest& r, int v) { r.preferences.northAtZero = v != 0; }},
    {"--stars-visible", [](RenderRequest& r, int v) { r.preferences.starsVisibleMode = v; }},
    {"--star-color", [](RenderRequest& r, int v) { r.preferences.starColor = v; }},
};

bool IsInstantOption(const std::string& arg)
{
    return arg == "--date" || arg == "--jd" || arg == "--now";
}

}  // namespace

std::optional<RenderRequest> ParseRenderArguments(const std::vector<std::string>& args,
                                                  std::string& error)
{
    RenderRequest r;
    if (args.empty()) {
        error = "chart: missing (horizontal, geocentric, heliocentric or intro)";
        return std::nullopt;
    }
    bool chartKnown = false;
    for (const ChartName& c : kCharts) {
        if (args[0] == c.name) {
            r.chart = c.kind;
            r.output = std::string(c.name) + ".png";
            chartKnown = true;
        }
    }
    if (!chartKnown) {
        error = "chart: unknown chart '" + args[0] +
                "' (horizontal, geocentric, heliocentric or intro)";
        return std::nullopt;
    }

    std::vector<std::string> placeArgs;
    bool instantGiven = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help-overlay") {
            r.selection.helpOverlay = true;
            continue;
        }
        if (arg == "--no-stars") {
            r.preferences.noStars = 1;
            continue;
        }
        if (arg == "--no-constellations") {
            r.preferences.showConstellations = 0;
            continue;
        }
        const bool renderValue = arg == "--size" || arg == "--zoom" || arg == "--select-star" ||
                                 arg == "--select-messier" || arg == "--planet-mode" ||
                                 arg == "--data" || arg == "-o" || arg == "--ew" ||
                                 arg == "--ns" || arg == "--stars-visible" ||
                                 arg == "--star-color" || arg == "--scale";
        if (!renderValue) {
            // Everything else is the place and the instant.
            instantGiven = instantGiven || IsInstantOption(arg);
            placeArgs.push_back(arg);
            continue;
        }
        if (i + 1 >= args.size()) {
            error = arg + ": missing value";
            return std::nullopt;
        }
        const std::string& value = args[++i];
        bool ok = true;
        if (arg == "--size") {
            ok = ParseSize(value, r.width, r.height);
        } else if (arg == "--scale") {
            ok = ParseInt(value, 1, 4, r.scale);
        } else if (arg == "--zoom") {
            ok = ParseInt(value, kMinZoom, kMaxZoom, r.zoom);
        } else if (arg == "--select-star") {
            ok = ParseInt(value, -1, skydata::kStarCapacity - 1, r.selection.selectedStar);
        } else if (arg == "--select-messier") {
            ok = ParseInt(value, -1, skydata::kDeepSkyCapacity - 1, r.selection.selectedDeepSky);
        } else if (arg == "--planet-mode") {
            ok = ParseInt(value, 0, 2, r.preferences.planetMode);
        } else if (arg == "--data") {
            r.dataFile = value;
        } else if (arg == "-o") {
            r.output = value;
            ok = !value.empty();
        } else {
            int v = 0;
            ok = ParseInt(value, 0, 1, v);
            for (const SwitchOption& s : kSwitches)
                if (ok && arg == s.name)
                    s.apply(r, v);
        }
        if (!ok) {
            error = arg + ": bad value '" + value + "'";
            return std::nullopt;
        }
    }
    if (r.width * r.scale > kMaxSide || r.height * r.scale > kMaxSide) {
        error = "--scale: the picture would be larger than " + std::to_string(kMaxSide) + " pixels";
        return std::nullopt;
    }
    // A star and a Messier object are never selected together.
    if (r.selection.selectedStar >= 0 && r.selection.selectedDeepSky >= 0) {
        error = "--select-messier: give only one of --select-star and --select-messier";
        return std::nullopt;
    }
    if (!instantGiven)
        placeArgs.push_back("--now");
    const auto place = ParseEphemerisArguments(placeArgs, error);
    if (!place)
        return std::nullopt;
    r.place = *place;
    return r;
}

ChartInputs LoadChartInputs(const RenderRequest& request, const char* command, std::ostream& err)
{
    // Without a data file the charts show what the program shows before its
    // first download: no stars, figures or Messier objects.
    skydata::SkyDataStore store;
    std::vector<unsigned char> bytes;
    if (!skydata::ReadDataFile(request.dataFile, bytes) || !store.Load(bytes))
        err << "skyvane " << command << ": " << request.dataFile
            << ": no usable data file, drawing without the catalogue\n";

    const double now =
        2440587.5 +
        std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch())
                .count() /
            86400;
    ChartInputs inputs{store.Current(), SkyStateFor(request.place, now)};
    engine::SkyCalculator().ComputeSky(inputs.state);
    return inputs;
}

int RunRenderCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    std::string error;
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        out << kRenderUsage;
        return 0;
    }
    const std::optional<RenderRequest> request = ParseRenderArguments(args, error);
    if (!request) {
        err << "skyvane render: " << error << "\n";
        return 2;
    }

    const ChartInputs inputs = LoadChartInputs(*request, "render", err);
    const std::shared_ptr<const skydata::SkyData>& data = inputs.data;
    const engine::SkyState& state = inputs.state;

    QImage image(request->width * request->scale, request->height * request->scale,
                 QImage::Format_RGB32);
    image.setDevicePixelRatio(request->scale);
    image.fill(Qt::black);
    auto clickRects = std::make_unique<skydata::CatalogueClickRects>();
    skydata::IntRect objectLinkRect{};
    constexpr int kTimeControl = 0;  // step size, as a first run sets it
    constexpr int kStepUnit = 0;
    {
        QPainter painter(&image);
        // As the sky window prepares every paint: black background, which
        // fills the off-screen surface and sits behind every text.
        painter.setBackground(QColor(0, 0, 0));
        const render::OutputKind window = render::OutputKind::Window;
        switch (request->chart) {
        case ChartKind::kHorizontal:
            render::DrawHorizontalChart(painter, window, state, request->height, request->width,
                                        request->zoom, objectLinkRect, kTimeControl, kStepUnit,
                                        *data->catalogue, *clickRects, request->preferences,
                                        request->selection);
            break;
        case ChartKind::kGeocentric:
            render::DrawGeocentricChart(painter, window, state, request->height, request->width,
                                        request->zoom, objectLinkRect, kTimeControl, kStepUnit,
                                        *data->catalogue, *clickRects, request->preferences,
                                        request->selection);
            break;
        case ChartKind::kHeliocentric:
            render::DrawHeliocentricChart(painter, window, state, request->height, request->width,
                                          request->zoom, objectLinkRect, kTimeControl, kStepUnit,
                                          request->preferences);
            break;
        case ChartKind::kIntro:
            render::DrawIntroScreen(painter, request->height, request->width, true, *data);
            break;
        }
    }
    if (!image.save(QString::fromStdString(request->output), "PNG")) {
        err << "skyvane render: " << request->output << ": cannot write the picture\n";
        return 1;
    }
    out << (request->chart == ChartKind::kIntro ? "intro screen" : args[0] + " chart")
        << " written to " << request->output << " (" << request->width << "x"
        << request->height << ")\n";
    return 0;
}

int RunWithGuiApplication(int argc, char** argv, const std::function<int()>& command)
{
    // The charts need fonts, and so an application object; without a
    // display it works off-screen.
    if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr &&
        std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Qt wants a private runtime folder and complains on every start when
    // the session has none (a plain ssh login, a build machine).
    if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
        const auto folder = std::filesystem::temp_directory_path() /
                            ("skyvane-runtime-" + std::to_string(getuid()));
        std::error_code ignored;
        std::filesystem::create_directories(folder, ignored);
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace, ignored);
        setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    }
    QGuiApplication application(argc, argv);
    return command();
}

int RunRenderCommandMain(int argc, char** argv, const std::vector<std::string>& args)
{
    return RunWithGuiApplication(argc, argv,
                                 [&] { return RunRenderCommand(args, std::cout, std::cerr); });
}

}  // namespace skyvane::app
