// skyvane find: the arguments, the text and JSON it prints, and a name that
// finds nothing.
#include "app/find_command.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <memory>
#include <regex>
#include <sstream>

#include "engine/calendar.h"
#include "skydata/found_object.h"

namespace skyvane::app {
namespace {

struct RunResult {
    int status;
    std::string out;
    std::string err;
};

RunResult RunFind(std::vector<std::string> args)
{
    args.insert(args.end(), {"--data", SKYVANE_DATAS_BIN});
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunFindCommand(args, out, err);
    return {status, out.str(), err.str()};
}

const std::vector<std::string> kZurich = {"--date", "2026-12-07", "--time", "22:00", "--tz", "1",
                                          "--lon", "-8.5", "--lat", "47.32"};

std::vector<std::string> At(std::vector<std::string> name, const std::vector<std::string>& place)
{
    name.insert(name.end(), place.begin(), place.end());
    return name;
}

// The text after `label` on its line of the text output.
std::string LineValue(const std::string& text, const std::string& label)
{
    std::smatch m;
    if (!std::regex_search(text, m, std::regex("(^|\\n)" + label + " +([^\\n]*)")))
        return "(no " + label + ")";
    return m[2];
}

QJsonObject JsonObject(const std::string& text)
{
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(text));
    if (!document.isObject()) ADD_FAILURE() << "not one JSON object: " << text;
    return document.object();
}

TEST(FindArguments, NameWordsPlaceAndDataFile)
{
    std::string error;
    const auto r = ParseFindArguments({"alf", "--lat", "-33.9", "CMa", "--data", "x.bin",
                                       "--json", "--date", "2026-01-02"},
                                      error);
    ASSERT_TRUE(r) << error;
    EXPECT_EQ(r->name, "alf CMa");
    EXPECT_EQ(r->data.file, "x.bin");
    EXPECT_TRUE(r->place.json);
    EXPECT_EQ(r->place.latitude, -33.9);
    EXPECT_EQ(r->place.source, InstantSource::kLocalDate);
    EXPECT_EQ(r->place.day, 2);
    // Without an instant: now.
    const auto now = ParseFindArguments({"Sirius"}, error);
    ASSERT_TRUE(now) << error;
    EXPECT_EQ(now->place.source, InstantSource::kNow);
    EXPECT_FALSE(now->data.fileGiven);
}

TEST(FindArguments, AreRefusedNamingTheArgument)
{
    std::string error;
    EXPECT_FALSE(ParseFindArguments({"--lat", "40"}, error));
    EXPECT_NE(error.find("NAME"), std::string::npos) << error;
    EXPECT_FALSE(ParseFindArguments({"--", "--"}, error));
    EXPECT_FALSE(ParseFindArguments({"Sirius", "--lat", "95"}, error));
    EXPECT_NE(error.find("--lat"), std::string::npos) << error;
    EXPECT_FALSE(ParseFindArguments({"Sirius", "--bogus"}, error));
    EXPECT_NE(error.find("--bogus"), std::string::npos) << error;
    EXPECT_FALSE(ParseFindArguments({"Sirius", "--data"}, error));
    EXPECT_FALSE(ParseFindArguments({"Sirius", "--now", "--date", "2026-01-01"}, error));
    EXPECT_EQ(RunFind({"--lat"}).status, 2);
}

TEST(FindCommand, TheObjectsUsersTryFirst)
{
    const RunResult sirius = RunFind(At({"Sirius"}, kZurich));
    ASSERT_EQ(sirius.status, 0) << sirius.err;
    EXPECT_EQ(sirius.out.substr(0, sirius.out.find('\n')),
              "Sirius  9 Alp CMa  (Alpha Canis Majoris)");
    EXPECT_EQ(LineValue(sirius.out, "Kind"), "star in Canis Major");
    EXPECT_EQ(LineValue(sirius.out, "Catalogue"),
              "HR 2491, SAO 151881, magnitude -1.46, spectrum A1Vm");
    // Both places, labelled: the catalogue's and the one of date, which
    // precession since 2000 has moved by over a minute of time.
    EXPECT_EQ(LineValue(sirius.out, "J2000 place"),
              "6h 45m 08.90s  -16.71611 deg (catalogue, mean equator and equinox J2000)");
    EXPECT_EQ(LineValue(sirius.out, "Apparent place").substr(0, 11), "6h 46m 22.8");
    EXPECT_NE(LineValue(sirius.out, "Azimuth").find("(from north through east)"),
              std::string::npos);
    // Sirius rises at Zurich in the evening and culminates after midnight:
    // the day's transit and set are those of early that morning. PyEphem,
    // given the J2000 place, has 21:18:23, 02:09:04 and 06:55:48.
    const auto secondsOfDay = [](const std::string& when) {
        if (when.size() < 19 || when.substr(0, 11) != "2026-12-07 ") return -1e9;
        return std::stod(when.substr(11, 2)) * 3600 + std::stod(when.substr(14, 2)) * 60 +
               std::stod(when.substr(17, 2));
    };
    EXPECT_NEAR(secondsOfDay(LineValue(sirius.out, "Rise")), 21 * 3600 + 18 * 60 + 23, 60);
    EXPECT_NEAR(secondsOfDay(LineValue(sirius.out, "Transit")), 2 * 3600 + 9 * 60 + 4, 60);
    EXPECT_NEAR(secondsOfDay(LineValue(sirius.out, "Set")), 6 * 3600 + 55 * 60 + 48, 60);

    // The other names of the same star print the same.
    for (const std::vector<std::string>& name :
         {std::vector<std::string>{"alf", "CMa"}, {"HR 2491"}, {"α CMa"}, {"SIRIUS"}}) {
        const RunResult same = RunFind(At(name, kZurich));
        EXPECT_EQ(same.status, 0);
        EXPECT_EQ(same.out, sirius.out) << name[0];
    }

    const RunResult m31 = RunFind(At({"M", "31"}, kZurich));
    ASSERT_EQ(m31.status, 0) << m31.err;
    EXPECT_EQ(m31.out.substr(0, m31.out.find('\n')), "M31  Andromeda Galaxy");
    EXPECT_EQ(LineValue(m31.out, "Kind"), "Messier object, NGC 224");

    const RunResult jupiter = RunFind(At({"jupiter"}, kZurich));
    ASSERT_EQ(jupiter.status, 0) << jupiter.err;
    EXPECT_EQ(LineValue(jupiter.out, "Kind"), "planet");
    EXPECT_NE(LineValue(jupiter.out, "Distance").find(" AU"), std::string::npos);
}

TEST(FindCommand, JsonCarriesTheSameAsTheText)
{
    const RunResult json = RunFind(At({"Sirius", "--json"}, kZurich));
    ASSERT_EQ(json.status, 0) << json.err;
    const RunResult text = RunFind(At({"Sirius"}, kZurich));
    const QJsonObject sirius = JsonObject(json.out);
    EXPECT_EQ(sirius["name"], "Sirius");
    EXPECT_EQ(sirius["kind"], "star");
    EXPECT_EQ(sirius["catalogue"]["hr"], 2491);
    EXPECT_EQ(sirius["catalogue"]["sao"], 151881);
    const QJsonValue events = sirius["riseTransitSet"];
    EXPECT_EQ(events["rise"].toString().toStdString(), LineValue(text.out, "Rise")) << json.out;
    EXPECT_EQ(events["state"], "normal");
    EXPECT_EQ(sirius["instant"]["local"], "2026-12-07 22:00:00");

    const RunResult polaris = RunFind(At({"Polaris", "--json"}, kZurich));
    ASSERT_EQ(polaris.status, 0) << polaris.err;
    const QJsonValue always = JsonObject(polaris.out)["riseTransitSet"];
    EXPECT_TRUE(always["rise"].isNull()) << polaris.out;
    EXPECT_EQ(always["transit"].toString().left(11), "2026-12-07 ");
    EXPECT_TRUE(always["set"].isNull());
    EXPECT_EQ(always["state"], "alwaysAbove");
}

TEST(FindCommand, AnUnknownNameExitsOneWithTheClosestNames)
{
    const RunResult r = RunFind(At({"Betelguese"}, kZurich));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(r.err.find("no object named 'Betelguese'"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("the closest names: Betelgeuse"), std::string::npos) << r.err;
}

TEST(FindCommand, WithoutADataFileOnlyTheBodies)
{
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunFindCommand(At({"Mars", "--data", "/nonexistent/datas.bin"}, kZurich), out, err),
              0);
    EXPECT_NE(err.str().find("no usable data file"), std::string::npos);
    std::ostringstream out2;
    EXPECT_EQ(RunFindCommand(At({"Sirius", "--data", "/nonexistent/datas.bin"}, kZurich), out2,
                             err),
              1);
}

TEST(LocalCivilTime, RoundsToTheSecondAcrossMidnight)
{
    const double midnight = engine::JulianDay(2026, 12, 8, 1);  // 0h UT
    EXPECT_EQ(skydata::LocalCivilTimeText(midnight, 0), "2026-12-08 00:00:00");
    EXPECT_EQ(skydata::LocalCivilTimeText(midnight - 0.4 / 86400, 0), "2026-12-08 00:00:00");
    EXPECT_EQ(skydata::LocalCivilTimeText(midnight - 0.6 / 86400, 0), "2026-12-07 23:59:59");
    EXPECT_EQ(skydata::LocalCivilTimeText(midnight, -5), "2026-12-07 19:00:00");
    EXPECT_EQ(skydata::LocalCivilTimeText(midnight, 5.5), "2026-12-08 05:30:00");
    // Before the calendar reform, the Julian calendar; years before 1 signed.
    EXPECT_EQ(skydata::LocalCivilTimeText(2287346.5, 0), "1550-06-01 00:00:00");
    EXPECT_EQ(skydata::LocalCivilTimeText(engine::JulianDay(-43, 3, 15, 0), 0),
              "-0043-03-15 00:00:00");
    EXPECT_EQ(skydata::LocalCivilTimeText(NAN, 0), "");
}

}  // namespace
}  // namespace skyvane::app

namespace skyvane::app {
namespace {

// The command counts azimuth from north through east in its text and JSON;
// the dialog's text follows the "Azimuth North" preference as the chart's
// table does. A body's place is geocentric and topocentric, both of date.
TEST(FindCommand, AzimuthFromNorthAndBothPlacesOfABody)
{
    const RunResult moon = RunFind(At({"Moon", "--json"}, kZurich));
    ASSERT_EQ(moon.status, 0) << moon.err;
    const QJsonObject moonJson = JsonObject(moon.out);
    EXPECT_TRUE(moonJson["j2000"].isNull()) << moon.out;
    EXPECT_TRUE(moonJson["topocentric"]["rightAscension"].isDouble()) << moon.out;
    const RunResult text = RunFind(At({"Moon"}, kZurich));
    EXPECT_NE(LineValue(text.out, "Apparent place").find("(geocentric"), std::string::npos);
    EXPECT_NE(LineValue(text.out, "Seen from here").find("(topocentric"), std::string::npos);
    const std::string azimuth = LineValue(text.out, "Azimuth");
    const double fromNorth = std::stod(azimuth);
    EXPECT_NEAR(moonJson["azimuth"].toDouble(), fromNorth, 1e-5) << moon.out;

    // The same object in the engine's count, as the dialog shows it when
    // the preference counts from the south.
    // A body needs nothing of the catalogue.
    const auto catalogue = std::make_unique<skydata::SkyCatalogue>();
    engine::SkyState sky{};
    sky.year = 2026, sky.month = 12, sky.day = 7, sky.hour = 22, sky.timeZone = 1;
    sky.longitude = -8.5, sky.latitude = 47.32;
    engine::SkyCalculator().ComputeSky(sky);
    const skydata::FoundObject found = skydata::DescribeFoundObject(
        *catalogue, {skydata::ObjectKind::kBody, engine::kMoon}, sky);
    const std::string south = FormatFoundObjectText(found, *catalogue, sky, false);
    EXPECT_NE(LineValue(south, "Azimuth").find("(from the south point towards the west)"),
              std::string::npos);
    EXPECT_NEAR(std::fabs(std::remainder(std::stod(LineValue(south, "Azimuth")) - fromNorth, 360)),
                180, 1e-4);
}

}  // namespace
}  // namespace skyvane::app
