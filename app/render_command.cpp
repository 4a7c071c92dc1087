#include "app/render_command.h"

#include <QGuiApplication>
#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QPainter>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <ostream>
#include <regex>

#include "app/command_output.h"
#include "app/data_folder.h"
#include "online/data_file_update.h"
#include "online/version_check.h"
#include "places/locations.h"
#include "places/now.h"
#include "places/windows1252.h"
#include "platform/process_environment.h"
#include "platform/profile_store.h"
#include "render/color_filter.h"
#include "render/geocentric_chart.h"
#include "render/heliocentric_chart.h"
#include "render/horizontal_chart.h"
#include "render/intro_screen.h"
#include "skydata/click_rects.h"
#include "skydata/data_file.h"
#include "skydata/sky_data.h"

namespace skyvane::app {

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

using Reader = std::function<std::string(RenderRequest&, const std::string&)>;

// An integer option from `min` to `max` into `field`.
Reader IntReader(int min, int max, std::function<int&(RenderRequest&)> field)
{
    return [=](RenderRequest& r, const std::string& value) {
        return ParseInt(value, min, max, field(r)) ? "" : BadValue(value);
    };
}

// A 0/1 preference option.
Reader SwitchReader(void (*apply)(RenderRequest&, int))
{
    return [=](RenderRequest& r, const std::string& value) {
        int v = 0;
        if (!ParseInt(value, 0, 1, v))
            return BadValue(value);
        apply(r, v);
        return std::string();
    };
}

Reader Flag(void (*apply)(RenderRequest&))
{
    return [=](RenderRequest& r, const std::string&) {
        apply(r);
        return std::string();
    };
}

// The image formats by the output's extension; WebP when this Qt has it.
struct PictureFormat {
    const char* extension;
    const char* format;
};
constexpr PictureFormat kPictureFormats[] = {
    {".png", "png"}, {".jpg", "jpg"}, {".jpeg", "jpg"}, {".bmp", "bmp"}, {".webp", "webp"}};

}  // namespace

const CommandOptions<RenderRequest>& RenderOptions()
{
    using R = RenderRequest;
    static const CommandOptions<RenderRequest> kOptions = [] {
        CommandOptions<RenderRequest> options = LiftOptions(PlaceAndTimeOptions(), &R::place);
        const CommandOptions<RenderRequest> own = {
            {{"--size"}, "WxH", "picture size in pixels (default 1280x800)",
             [](R& r, const std::string& v) {
                 return ParseSize(v, r.width, r.height) ? "" : BadValue(v);
             }},
            {{"--scale"}, "N",
             "draw as a screen of N device pixels per pixel, 1-4 (default 1)",
             IntReader(1, 4, [](R& r) -> int& { return r.scale; })},
            {{"--zoom"}, "N", "heliocentric scale, pixels per AU, 10-300 (default 210)",
             IntReader(kMinZoom, kMaxZoom, [](R& r) -> int& { return r.zoom; })},
            {{"--select-star"}, "N", "star row to select",
             IntReader(-1, skydata::kStarCapacity - 1,
                       [](R& r) -> int& { return r.selection.selectedStar; })},
            {{"--select-messier"}, "N", "Messier row to select",
             IntReader(-1, skydata::kDeepSkyCapacity - 1,
                       [](R& r) -> int& { return r.selection.selectedDeepSky; })},
            {{"--help-overlay"}, "", "show the navigation keys instead of the object panel",
             Flag([](R& r) { r.selection.helpOverlay = true; })},
            {{"--ew"}, "0|1", "1: west left, east right; 0: east left (display preference)",
             SwitchReader([](R& r, int v) {
                 r.preferences.eastWestSign =
                     v == 1 ? render::kWestLeftEastRight : render::kEastLeftWestRight;
             })},
            {{"--ns"}, "0|1", "1: azimuths counted from north; 0: from south (display preference)",
             SwitchReader([](R& r, int v) { r.preferences.northAtZero = v != 0; })},
            {{"--planet-mode"}, "0|1|2", "planets as 0 big symbols, 1 small symbols, 2 dots (display preference)",
             IntReader(0, 2, [](R& r) -> int& { return r.preferences.planetMode; })},
            {{"--stars-visible"}, "0|1", "1: stars always; 0: only when twilight allows (display preference)",
             SwitchReader([](R& r, int v) { r.preferences.starsVisibleMode = v; })},
            {{"--star-color"}, "0|1", "1: stars in their spectral colour; 0: white (display preference)",
             SwitchReader([](R& r, int v) { r.preferences.starColor = v; })},
            {{"--no-stars"}, "", "planets only, no stars (display preference)",
             Flag([](R& r) { r.preferences.noStars = 1; })},
            {{"--no-constellations"}, "", "no constellation figures (display preference)",
             Flag([](R& r) { r.preferences.showConstellations = 0; })},
            {{"--night"}, "", "night mode: everything in dim red on black (display preference)",
             Flag([](R& r) { r.preferences.nightMode = true; })},
            {{"--place"}, "NAME",
             "the place line (default: the stored location there, else the coordinates)",
             [](R& r, const std::string& v) -> std::string {
                 r.placeName = v;
                 return {};
             }},
            {{"-o"}, "FILE",
             "the picture to write, .png, .jpg, .bmp or .webp (default CHART.png; - for "
             "standard output, PNG)",
             [](R& r, const std::string& v) {
                 r.output = v;
                 return v.empty() ? BadValue(v) : "";
             }},
            {{"-h", "--help"}, "", "this help", Flag([](R& r) { r.help = true; })},
        };
        options.insert(options.end(), own.begin(), own.end());
        const CommandOptions<RenderRequest> data = LiftOptions(DataFileOptions(), &R::data);
        options.insert(options.end() - 2, data.begin(), data.end());
        return options;
    }();
    return kOptions;
}

std::string RenderUsage()
{
    return "usage: skyvane render horizontal|geocentric|heliocentric|intro [options]\n"
           "Draws one chart into a picture; the place and time as skyvane ephemeris takes\n"
           "them (the clock when no instant is given), the display preferences as a first\n"
           "run sets them unless given.\n" +
           DescribeOptions(RenderOptions());
}

std::optional<std::string> PictureFormatFor(const std::string& output)
{
    if (output == kStandardOutput)
        return "png";
    std::string extension = std::filesystem::path(output).extension().string();
    if (extension.empty())
        return "png";
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const QList<QByteArray> writable = QImageWriter::supportedImageFormats();
    for (const PictureFormat& f : kPictureFormats)
        if (extension == f.extension && writable.contains(QByteArray(f.format)))
            return f.format;
    return std::nullopt;
}

bool FinishRenderRequest(RenderRequest& r, const std::vector<std::string>& positional,
                         std::string& error)
{
    if (positional.empty()) {
        error = "chart: missing (horizontal, geocentric, heliocentric or intro)";
        return false;
    }
    const std::string& chart = positional.front();
    const auto known = std::find_if(std::begin(kCharts), std::end(kCharts),
                                    [&](const ChartName& c) { return chart == c.name; });
    if (known == std::end(kCharts)) {
        error = "chart: unknown chart '" + chart +
                "' (horizontal, geocentric, heliocentric or intro)";
        return false;
    }
    if (positional.size() > 1) {
        error = Quoted(positional[1]) + ": unexpected argument";
        return false;
    }
    r.chart = known->kind;
    r.chartName = known->name;
    if (r.output.empty())
        r.output = r.chartName + ".png";
    // A star and a Messier object are never selected together.
    if (r.selection.selectedStar >= 0 && r.selection.selectedDeepSky >= 0) {
        error = "--select-messier: give only one of --select-star and --select-messier";
        return false;
    }
    if (r.width * r.scale > kMaxSide || r.height * r.scale > kMaxSide) {
        error = "--scale: the picture would be larger than " + std::to_string(kMaxSide) + " pixels";
        return false;
    }
    return CheckPlaceAndTime(r.place, true, error);
}

std::optional<RenderRequest> ParseRenderArguments(const std::vector<std::string>& args,
                                                  std::string& error)
{
    RenderRequest r;
    const auto positional = ReadOptions(RenderOptions(), args, r, error);
    if (!positional)
        return std::nullopt;
    if (r.help)
        return r;
    if (!FinishRenderRequest(r, *positional, error))
        return std::nullopt;
    if (!PictureFormatFor(r.output)) {
        error = "-o: cannot write " + Quoted(r.output) +
                ": the picture formats are .png, .jpg, .jpeg, .bmp" +
                (PictureFormatFor("x.webp") ? " and .webp" : "");
        return std::nullopt;
    }
    return r;
}

std::optional<ChartInputs> LoadChartInputs(const RenderRequest& request, std::string& error)
{
    const std::filesystem::path file = ResolveDataFile(request.data, error);
    if (file.empty())
        return std::nullopt;
    // A chart without the catalogue would look like a chart of an empty
    // sky; a script is better told.
    skydata::SkyDataStore store;
    std::vector<unsigned char> bytes;
    if (!skydata::ReadDataFile(file, bytes)) {
        error = file.string() + ": no sky data file there (skyvane update-data fetches one)";
        return std::nullopt;
    }
    if (!store.Load(bytes)) {
        error = file.string() + ": not a usable sky data file";
        return std::nullopt;
    }

    ChartInputs inputs{store.Current(), SkyStateFor(request.place, places::SystemUtcNow())};
    ComputeRequestedSky(request.place, inputs.state);
    // The list the window would show: what the settings hold, else what a
    // first run would store. Drawing a picture writes no settings.
    if (places::LocationsSaved()) {
        places::LoadLocations(inputs.state.locations);
    } else {
        places::FillDefaultLocations(
            inputs.state.locations,
            platform::GetProfileString(online::kInstalledSection, online::kCountryKey));
    }
    inputs.state.locationName =
        PlaceLine(inputs.state, places::Utf8ToWindows1252(request.placeName));
    return inputs;
}

std::string PlaceLine(const engine::SkyState& state, const std::string& placeName)
{
    if (!placeName.empty())
        return placeName;
    // Stored with four decimals: a place typed from the list matches it.
    constexpr double kSamePlaceDegrees = 0.5e-4;
    for (int slot = 0; slot < engine::kLocationsInUse; ++slot) {
        const engine::Location& l = state.locations.entries[static_cast<std::size_t>(slot)];
        if (!l.name.empty() && std::fabs(l.longitude - state.longitude) <= kSamePlaceDegrees &&
            std::fabs(l.latitude - state.latitude) <= kSamePlaceDegrees)
            return l.name;
    }
    // Longitude counted positive to the west, as everywhere in the program.
    char text[64];
    std::snprintf(text, sizeof text, "%.2f%c %.2f%c", std::fabs(state.latitude),
                  state.latitude < 0 ? 'S' : 'N', std::fabs(state.longitude),
                  state.longitude < 0 ? 'E' : 'W');
    return text;
}

int RunRenderCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    std::string error;
    const std::optional<RenderRequest> request = ParseRenderArguments(args, error);
    if (!request) {
        err << "skyvane render: " << error << "; " << TryHelp("render") << "\n";
        return 2;
    }
    if (request->help) {
        out << RenderUsage();
        return FlushOutput(out).empty() ? 0 : 1;
    }

    const std::optional<ChartInputs> inputs = LoadChartInputs(*request, error);
    if (!inputs) {
        err << "skyvane render: " << error << "\n";
        return 1;
    }
    const std::shared_ptr<const skydata::SkyData>& data = inputs->data;
    const engine::SkyState& state = inputs->state;

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
        const render::ScopedColorFilter filter(request->preferences.nightMode
                                                   ? render::ColorFilter::kNight
                                                   : render::ColorFilter::kNone);
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
    QByteArray encoded;
    {
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, PictureFormatFor(request->output)->c_str())) {
            err << "skyvane render: " << request->output << ": cannot encode the picture\n";
            return 1;
        }
    }
    const std::string failed = WriteOutput(
        request->output, std::string_view(encoded.constData(), encoded.size()), out);
    if (!failed.empty()) {
        err << "skyvane render: cannot write the picture: " << failed << "\n";
        return 1;
    }
    // On standard output the picture is all there is.
    if (request->output == kStandardOutput)
        return 0;
    out << (request->chart == ChartKind::kIntro ? "intro screen" : request->chartName + " chart")
        << " written to " << request->output << " (" << request->width << "x"
        << request->height << ")\n";
    if (const std::string flushed = FlushOutput(out); !flushed.empty()) {
        err << "skyvane render: " << flushed << "\n";
        return 1;
    }
    return 0;
}

int RunWithGuiApplication(int argc, char** argv, const std::function<int()>& command)
{
    // The charts need fonts, and so an application object; without a
    // display it works off-screen.
    if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr &&
        std::getenv("QT_QPA_PLATFORM") == nullptr)
        platform::SetEnvironmentValue("QT_QPA_PLATFORM", "offscreen");
    // Qt wants a private runtime folder and complains on every start when
    // the session has none (a plain ssh login, a build machine).
    if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
        const auto folder = std::filesystem::temp_directory_path() /
                            ("skyvane-runtime-" + platform::CurrentUserTag());
        std::error_code ignored;
        std::filesystem::create_directories(folder, ignored);
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace, ignored);
        platform::SetEnvironmentValue("XDG_RUNTIME_DIR", folder.string());
    }
    QGuiApplication application(argc, argv);
    return command();
}

std::vector<std::string> CommandArguments()
{
    // Qt has taken out its own options (-platform offscreen); what is left
    // after the program's and the command's names is the command's.
    std::vector<std::string> args;
    const QStringList all = QCoreApplication::arguments();
    for (qsizetype i = 2; i < all.size(); ++i)
        args.push_back(all[i].toStdString());
    return args;
}

int RunRenderCommandMain(int argc, char** argv)
{
    return RunWithGuiApplication(
        argc, argv, [] { return RunRenderCommand(CommandArguments(), std::cout, std::cerr); });
}

}  // namespace skyvane::app
