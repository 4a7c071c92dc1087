#include "app/render_command.h"

#include "places/locations.h"
#include "platform/profile_store.h"
#include "render/color_filter.h"

#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>
#include <set>
#include <sstream>

namespace skyvane::app {
namespace {

std::optional<RenderRequest> Parse(const std::vector<std::string>& args, std::string& error)
{
    return ParseRenderArguments(args, error);
}

TEST(RenderArguments, DefaultsAreTheFirstRunViewOfNow)
{
    std::string error;
    const auto r = Parse({"heliocentric"}, error);
    ASSERT_TRUE(r) << error;
    EXPECT_EQ(r->chart, ChartKind::kHeliocentric);
    EXPECT_EQ(r->width, 1280);
    EXPECT_EQ(r->height, 800);
    EXPECT_EQ(r->zoom, 210);
    EXPECT_EQ(r->output, "heliocentric.png");
    EXPECT_EQ(r->data.file, "datas.bin");
    EXPECT_FALSE(r->data.fileGiven);
    EXPECT_EQ(r->place.source, InstantSource::kNow);
    EXPECT_EQ(r->preferences, render::DisplayPreferences{});
    EXPECT_EQ(r->selection, render::ObjectSelection{});
}

TEST(RenderArguments, PreferencesSelectionAndPlaceAreRead)
{
    std::string error;
    const auto r = Parse({"horizontal", "--ew", "0", "--ns", "0", "--planet-mode", "2",
                          "--stars-visible", "1", "--star-color", "1", "--no-stars",
                          "--no-constellations", "--night", "--select-star", "12", "--help-overlay",
                          "--size", "1920x1080", "--zoom", "300", "--date", "2026-12-07",
                          "--time", "22:00", "--tz", "1", "--lon", "-8.5", "--lat", "47.32",
                          "-o", "/tmp/x.png"},
                         error);
    ASSERT_TRUE(r) << error;
    EXPECT_EQ(r->preferences.eastWestSign, render::kEastLeftWestRight);
    EXPECT_FALSE(r->preferences.northAtZero);
    EXPECT_EQ(r->preferences.planetMode, 2);
    EXPECT_EQ(r->preferences.starsVisibleMode, 1);
    EXPECT_EQ(r->preferences.starColor, 1);
    EXPECT_EQ(r->preferences.noStars, 1);
    EXPECT_EQ(r->preferences.showConstellations, 0);
    EXPECT_TRUE(r->preferences.nightMode);
    EXPECT_EQ(r->selection.selectedStar, 12);
    EXPECT_TRUE(r->selection.helpOverlay);
    EXPECT_EQ(r->width, 1920);
    EXPECT_EQ(r->height, 1080);
    EXPECT_EQ(r->zoom, 300);
    EXPECT_EQ(r->place.source, InstantSource::kLocalDate);
    EXPECT_EQ(r->place.hour, 22);
    EXPECT_EQ(r->place.longitude, -8.5);
    EXPECT_EQ(r->output, "/tmp/x.png");
}

class RenderBadArguments : public ::testing::TestWithParam<std::pair<std::vector<std::string>, std::string>> {};

TEST_P(RenderBadArguments, AreRefusedNamingTheArgument)
{
    std::string error;
    EXPECT_FALSE(Parse(GetParam().first, error));
    EXPECT_EQ(error.rfind(GetParam().second, 0), 0u) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RenderBadArguments,
    ::testing::Values(
        std::pair<std::vector<std::string>, std::string>{{}, "chart"},
        std::pair<std::vector<std::string>, std::string>{{"sideways"}, "chart"},
        std::pair<std::vector<std::string>, std::string>{{"intro", "--size", "1280"}, "--size"},
        std::pair<std::vector<std::string>, std::string>{{"intro", "--size", "99999x800"}, "--size"},
        std::pair<std::vector<std::string>, std::string>{{"heliocentric", "--zoom", "301"}, "--zoom"},
        std::pair<std::vector<std::string>, std::string>{{"horizontal", "--planet-mode", "3"}, "--planet-mode"},
        std::pair<std::vector<std::string>, std::string>{{"horizontal", "--ew", "yes"}, "--ew"},
        std::pair<std::vector<std::string>, std::string>{{"horizontal", "--select-star", "10000"}, "--select-star"},
        std::pair<std::vector<std::string>, std::string>{{"horizontal", "--select-star", "1", "--select-messier", "2"}, "--select-messier"},
        std::pair<std::vector<std::string>, std::string>{{"horizontal", "-o"}, "-o"},
        std::pair<std::vector<std::string>, std::string>{{"horizontal", "--lat", "100"}, "--lat"}));

// Every chart draws a real picture of the size asked for from our own
// data file; a chart that failed to draw would leave one flat colour.
TEST(RenderCommand, WritesEveryChartAsAPicture)
{
    const auto dir = std::filesystem::temp_directory_path() / "skyvane-render-test";
    std::filesystem::create_directories(dir);
    for (const char* chart : {"horizontal", "geocentric", "heliocentric", "intro"}) {
        const std::string file = (dir / (std::string(chart) + ".png")).string();
        std::ostringstream out;
        std::ostringstream err;
        const int status = RunRenderCommand(
            {chart, "--date", "2026-12-07", "--time", "22:00", "--tz", "1", "--lon", "-8.5",
             "--lat", "47.32", "--size", "1024x700", "--data", SKYVANE_DATAS_BIN, "-o", file},
            out, err);
        ASSERT_EQ(status, 0) << chart << ": " << err.str();
        EXPECT_TRUE(err.str().empty()) << err.str();
        const QImage image(QString::fromStdString(file));
        ASSERT_FALSE(image.isNull()) << chart;
        EXPECT_EQ(image.width(), 1024);
        EXPECT_EQ(image.height(), 700);
        std::set<QRgb> colours;
        for (int y = 0; y < image.height(); y += 7)
            for (int x = 0; x < image.width(); x += 7)
                colours.insert(image.pixel(x, y));
        EXPECT_GT(colours.size(), 3u) << chart;
    }
    std::filesystem::remove_all(dir);
}

// --night draws the same chart through the night filter: red only, dim,
// and the night colour of what the plain command draws, pixel for pixel.
TEST(RenderCommand, NightDrawsEveryChartInDimRed)
{
    const auto dir = std::filesystem::temp_directory_path() / "skyvane-render-night-test";
    std::filesystem::create_directories(dir);
    for (const char* chart : {"horizontal", "geocentric", "heliocentric", "intro"}) {
        QImage pictures[2];
        for (const bool night : {false, true}) {
            const std::string file =
                (dir / (std::string(chart) + (night ? "-night.png" : ".png"))).string();
            std::vector<std::string> args = {chart, "--date", "2026-12-20", "--time", "22:00",
                                             "--tz", "1", "--lon", "-8.5", "--lat", "47.32",
                                             "--size", "1024x700", "--scale", "2", "--data",
                                             SKYVANE_DATAS_BIN, "-o", file};
            if (night) args.push_back("--night");
            std::ostringstream out;
            std::ostringstream err;
            ASSERT_EQ(RunRenderCommand(args, out, err), 0) << chart << ": " << err.str();
            pictures[night] = QImage(QString::fromStdString(file));
            ASSERT_FALSE(pictures[night].isNull()) << chart;
        }
        const QImage& day = pictures[0];
        const QImage& night = pictures[1];
        ASSERT_EQ(night.size(), day.size());
        int wrong = 0;
        int lit = 0;
        for (int y = 0; y < night.height(); ++y)
            for (int x = 0; x < night.width(); ++x) {
                const QRgb p = night.pixel(x, y);
                if (qGreen(p) != 0 || qBlue(p) != 0 || qRed(p) > render::kNightMaxRed ||
                    p != render::NightColor(day.pixel(x, y)))
                    ++wrong;
                if (qRed(p) != 0) ++lit;
            }
        EXPECT_EQ(wrong, 0) << chart;
        EXPECT_GT(lit, 2000) << chart;
    }
    std::filesystem::remove_all(dir);
}

// The charts list the user's stored places as the window does: what the
// settings hold, else the first-run list, which a picture does not store.
// The place line is --place, else the stored place at the coordinates, else
// the coordinates.
TEST(RenderCommand, ChartsShowTheStoredLocationsAndThePlaceLine)
{
    const auto settings = std::filesystem::temp_directory_path() / "skyvane-render-places.ini";
    std::filesystem::remove(settings);
    platform::UseProfileFile(settings.string());
    struct Restore {
        ~Restore() { platform::UseProfileFile(""); }
    } restore;
    std::string error;
    const auto request = [&](std::vector<std::string> extra) {
        std::vector<std::string> args{"horizontal", "--date", "2026-12-07", "--tz", "1",
                                      "--data", SKYVANE_DATAS_BIN};
        args.insert(args.end(), extra.begin(), extra.end());
        const auto r = ParseRenderArguments(args, error);
        EXPECT_TRUE(r) << error;
        return r.value_or(RenderRequest{});
    };
    const auto load = [&](const RenderRequest& r) {
        std::optional<ChartInputs> inputs = LoadChartInputs(r, error);
        EXPECT_TRUE(inputs) << error;
        return inputs.value_or(ChartInputs{});
    };

    // No settings: the first-run list; London is on it.
    const ChartInputs first = load(request({"--lon", "0.1275", "--lat", "51.5"}));
    EXPECT_FALSE(places::LocationsSaved());
    EXPECT_EQ(first.state.locations.entries[0].name, "Thousand Oaks, California, USA");
    EXPECT_EQ(first.state.locations.entries[4].name, "North Pole");
    EXPECT_EQ(first.state.locationName, "London, United Kingdom");

    engine::LocationTable mine;
    mine.entries[0] = {"Aarau", -8.05, 47.39, 1, 0};
    mine.entries[1] = {"Bern", -7.45, 46.95, 1, 0};
    places::SaveLocations(mine);
    const ChartInputs stored =
        load(request({"--lon", "-7.45", "--lat", "46.95"}));
    EXPECT_EQ(stored.state.locations.entries[0].name, "Aarau");
    EXPECT_EQ(stored.state.locationName, "Bern");
    EXPECT_EQ(load(request({"--lon", "-7.45", "--lat", "46.95", "--place", "Home"}))
                  .state.locationName,
              "Home");
    EXPECT_EQ(load(request({"--lon", "-8.5", "--lat", "-33.25"}))
                  .state.locationName,
              "33.25S 8.50E");
}

// --scale 2 draws as a high-density screen does: twice the pixels, with
// edges finer than a pixel, not a doubled 1x picture.
TEST(RenderCommand, ScaleDrawsAtTwiceTheResolution)
{
    std::string error;
    EXPECT_FALSE(Parse({"horizontal", "--scale", "5"}, error));
    EXPECT_EQ(error.rfind("--scale", 0), 0u) << error;
    EXPECT_FALSE(Parse({"horizontal", "--size", "5000x800", "--scale", "2"}, error));
    EXPECT_EQ(error.rfind("--scale", 0), 0u) << error;

    const auto file = std::filesystem::temp_directory_path() / "skyvane-render-scale-test.png";
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(RunRenderCommand({"horizontal", "--date", "2026-12-07", "--time", "22:00", "--tz",
                                "1", "--lon", "-8.5", "--lat", "47.32", "--size", "1024x700",
                                "--scale", "2", "--data", SKYVANE_DATAS_BIN, "-o", file.string()},
                               out, err),
              0)
        << err.str();
    const QImage image(QString::fromStdString(file.string()));
    std::filesystem::remove(file);
    ASSERT_EQ(image.size(), QSize(2048, 1400));
    int mixed = 0;
    for (int y = 0; y + 1 < image.height(); y += 2)
        for (int x = 0; x + 1 < image.width(); x += 2) {
            const QRgb a = image.pixel(x, y);
            if (image.pixel(x + 1, y) != a || image.pixel(x, y + 1) != a ||
                image.pixel(x + 1, y + 1) != a)
                ++mixed;
        }
    EXPECT_GT(mixed, 2000);
}

TEST(RenderCommand, AnUnwritablePictureFailsWithAMessage)
{
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunRenderCommand({"heliocentric", "--data", SKYVANE_DATAS_BIN, "-o",
                                "/nonexistent-dir/x.png"},
                               out, err),
              1);
    EXPECT_NE(err.str().find("cannot write"), std::string::npos);
}

}  // namespace
}  // namespace skyvane::app
