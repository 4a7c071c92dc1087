#include "app/ephemeris_command.h"
#include "../scoped_time_zone.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cmath>
#include <cstdlib>
#include <regex>
#include <sstream>

namespace skyvane::app {
namespace {

struct RunResult {
    int status;
    std::string out;
    std::string err;
};

RunResult RunCommand(const std::vector<std::string>& args)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunEphemerisCommand(args, out, err);
    return {status, out.str(), err.str()};
}

QJsonObject Parsed(const std::string& json)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        ADD_FAILURE() << "not one JSON object: " << error.errorString().toStdString() << "\n" << json;
    return document.object();
}

// The JSON object of body `id`, which must stand at its index.
QJsonObject Body(const std::string& json, int id)
{
    const QJsonObject body = Parsed(json)["bodies"].toArray()[id].toObject();
    if (body["id"] != id)
        ADD_FAILURE() << "no body " << id;
    return body;
}

// A number that must be there.
double Number(const QJsonValue& value, const std::string& what)
{
    if (!value.isDouble())
        ADD_FAILURE() << what << " is not a number";
    return value.toDouble();
}

double BodyField(const std::string& json, int id, const std::string& field)
{
    return Number(Body(json, id)[QString::fromStdString(field)], field);
}

bool IsNull(const std::string& json, int id, const std::string& field)
{
    return Body(json, id)[QString::fromStdString(field)].isNull();
}

// A field of the document, or of one of its objects ("observer/dst").
double TopField(const std::string& json, const std::string& path)
{
    QJsonValue value = Parsed(json);
    for (const QString& key : QString::fromStdString(path).split('/'))
        value = value.toObject()[key];
    return Number(value, path);
}

QJsonObject Instant(int year, int month, int day, int hour, int minute, int second)
{
    return {{"year", year}, {"month", month}, {"day", day},
            {"hour", hour}, {"minute", minute}, {"second", second}};
}

TEST(EphemerisCommand, JsonForJulianDayGivesTheSunsApparentPlace)
{
    // 1992-10-13 0h TT is Delta T (59 s) after 0h UT.
    const RunResult r = RunCommand({"--jd", "2448908.4993177", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(TopField(r.out, "jd"), 2448908.4993177);
    EXPECT_NEAR(TopField(r.out, "terrestrialJd"), 2448908.5, 1e-6);
    EXPECT_NEAR(TopField(r.out, "deltaT"), 59, 0.5);
    const double ra = BodyField(r.out, 0, "rightAscension");
    EXPECT_NEAR(ra * 3600, 13 * 3600 + 13 * 60 + 30.8, 0.1);
    EXPECT_NEAR(BodyField(r.out, 0, "declination"), -7.7839, 0.0001);
    EXPECT_NEAR(TopField(r.out, "obliquity"), 23.44014, 0.00001);
    EXPECT_EQ(Parsed(r.out)["instant"].toObject(), Instant(1992, 10, 12, 23, 59, 1)) << r.out;
}

TEST(EphemerisCommand, JsonListsEveryBodyWithItsNameAndAllValues)
{
    const RunResult r = RunCommand({"--date", "2006-06-21", "--time", "12:00:00", "--tz", "-5", "--dst",
                             "1", "--lon", "74.006", "--lat", "40.714", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    const char* names[] = {"Sun",    "Mercury", "Venus",  "Earth",   "Mars", "Jupiter",
                           "Saturn", "Uranus",  "Neptune", "Pluto", "Moon"};
    for (int id = 0; id < 11; ++id) {
        EXPECT_EQ(Body(r.out, id)["name"].toString().toStdString(), names[id]) << id;
        // Every value the engine computes for the body is a number; what
        // does not apply (Pluto, the Sun's heliocentric place, the Earth's
        // geocentric one, the Moon's radius vector) is null.
        const bool helio = id != 0 && id != 9;
        const bool geo = id != 3 && id != 9;
        for (const char* field : {"helioLongitude", "helioLatitude", "helioDistance"}) {
            const bool applies = helio && !(id == 10 && std::string(field) == "helioDistance");
            if (applies)
                BodyField(r.out, id, field);
            else
                EXPECT_TRUE(IsNull(r.out, id, field)) << id << " " << field;
        }
        for (const char* field :
             {"rightAscension", "declination", "geoDistance", "topocentricRightAscension",
              "topocentricDeclination", "azimuth", "altitude"}) {
            if (geo)
                BodyField(r.out, id, field);
            else
                EXPECT_TRUE(IsNull(r.out, id, field)) << id << " " << field;
        }
        EXPECT_EQ(Body(r.out, id)["distanceUnit"], id == 10 ? "km" : "au") << id;
    }
    // The observer as given, longitude positive west.
    EXPECT_NEAR(TopField(r.out, "observer/longitude"), 74.006, 1e-12);
    EXPECT_NEAR(TopField(r.out, "observer/latitude"), 40.714, 1e-12);
    EXPECT_EQ(TopField(r.out, "observer/timeZone"), -5);
    EXPECT_EQ(TopField(r.out, "observer/dst"), 1);
    // 16:00 UT of the same day.
    EXPECT_NEAR(TopField(r.out, "jd"), 2453907.5 + 16.0 / 24, 1e-9);
}

TEST(EphemerisCommand, JsonNumbersKeepFullDoublePrecision)
{
    EphemerisRequest request;
    request.source = InstantSource::kJulianDay;
    request.julianDay = 2451545.123456789;
    engine::SkyState state = SkyStateFor(request, 0);
    engine::SkyCalculator().ComputeSky(state);
    const std::string json = FormatEphemerisJson(state, 2451545.123456789);
    EXPECT_EQ(BodyField(json, 10, "geoDistance"), state.geoDistance[10]);
    EXPECT_EQ(BodyField(json, 5, "helioLongitude"), state.helioLongitude[5]);
    EXPECT_EQ(TopField(json, "siderealTime"), state.siderealTime);
}

TEST(EphemerisCommand, TableNamesEveryBodyAndTheInstant)
{
    const RunResult r = RunCommand({"--date", "-3167-03-01", "--time", "06:30"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("-3167-03-01 06:30:00"), std::string::npos) << r.out;
    for (const char* name : {"Sun", "Mercury", "Earth", "Neptune", "Pluto", "Moon"})
        EXPECT_NE(r.out.find(std::string("\n") + name), std::string::npos) << name;
}

TEST(EphemerisCommand, UniversalJulianDaySurvivesTheLocalDateRoundTrip)
{
    // Before and after the calendar reform, with a zone that moves the
    // local date across midnight.
    for (double jd : {2448908.5, 2299160.9, 2299159.2, 1842713.0, 100.25, -300.75, 5373484.0}) {
        EphemerisRequest request;
        request.source = InstantSource::kJulianDay;
        request.julianDay = jd;
        request.timeZone = 9.5;
        request.dst = 1;
        EXPECT_NEAR(engine::SkyCalculator::JulianDayOf(SkyStateFor(request, 0)), jd, 1e-8) << jd;
    }
}

TEST(EphemerisCommand, NowFollowsTheClockLikeTheSkyWindow)
{
    EphemerisRequest request;
    request.source = InstantSource::kNow;
    request.timeZone = 1;
    // 2026-12-07 09:41:30 UT.
    const double now = 2461381.5 + (9 * 3600 + 41 * 60 + 30.25) / 86400;
    engine::SkyState state = SkyStateFor(request, now);
    EXPECT_EQ(state.realTime, 1);
    EXPECT_EQ(state.year, 2026);
    EXPECT_EQ(state.month, 12);
    EXPECT_EQ(state.day, 7);
    EXPECT_EQ(state.hour, 10);
    EXPECT_EQ(state.minute, 41);
    EXPECT_EQ(state.second, 30);
    EXPECT_NEAR(engine::SkyCalculator::JulianDayOf(state), now, 1e-5);
}

// The instant line of the table.
std::string InstantLine(const std::string& table)
{
    std::smatch m;
    if (!std::regex_search(table, m, std::regex("Instant +(\\S+ \\S+)")))
        ADD_FAILURE() << "no instant in " << table;
    return m[1].str();
}

TEST(EphemerisCommand, JulianDaysWhoseLocalTimeLeavesTheRangeAreRefusedNamingIt)
{
    struct Case {
        std::vector<std::string> args;
        bool accepted;
        std::string shown;
    };
    for (const Case& c : {
             Case{{"--jd", "5373484.5"}, false, ""},  // 10000-01-01 00:00:00
             Case{{"--jd", "5373484.49999"}, true, "9999-12-31 23:59:59"},
             Case{{"--jd", "5373484.4"}, true, "9999-12-31 21:36:00"},
             Case{{"--jd", "5373484.4", "--tz", "3"}, false, ""},
             Case{{"--jd", "5373484.4", "--tz", "2", "--dst", "1"}, false, ""},
             Case{{"--jd", "5373484.4", "--tz", "2"}, true, "9999-12-31 23:36:00"},
             Case{{"--jd", "-365.5"}, true, "-4713-01-01 00:00:00"},
             Case{{"--jd", "-365.5", "--tz", "-1"}, false, ""},
             Case{{"--jd", "-365.6", "--tz", "3"}, true, "-4713-01-01 00:36:00"},
             Case{{"--jd", "-366.2", "--tz", "14"}, false, ""},
         }) {
        std::string line;
        for (const std::string& a : c.args) line += a + " ";
        const RunResult r = RunCommand(c.args);
        if (c.accepted) {
            ASSERT_EQ(r.status, 0) << line << r.err;
            EXPECT_EQ(InstantLine(r.out), c.shown) << line;
        } else {
            EXPECT_EQ(r.status, 2) << line << r.out;
            EXPECT_TRUE(r.out.empty()) << line;
            EXPECT_EQ(r.err.rfind("skyvane ephemeris: --jd: ", 0), 0u) << r.err;
            EXPECT_NE(r.err.find("-4713-01-01 00:00:00"), std::string::npos) << r.err;
            EXPECT_NE(r.err.find("9999-12-31 23:59:59"), std::string::npos) << r.err;
        }
    }
}

TEST(EphemerisCommand, AJulianDayIsComputedExactlyAndShownRoundedToTheSecond)
{
    // 2023-02-24 18:00 UT; the local time is 19:00:00, not 18:59:59.
    RunResult r = RunCommand({"--jd", "2460000.25", "--tz", "1"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(InstantLine(r.out), "2023-02-24 19:00:00");

    for (const char* jd : {"2451545.123456789", "5373119.5", "5373484.49", "-365.2", "2299160.77"}) {
        r = RunCommand({"--jd", jd, "--tz", "-5", "--json"});
        ASSERT_EQ(r.status, 0) << jd << r.err;
        const double given = std::strtod(jd, nullptr);
        EXPECT_EQ(TopField(r.out, "jd"), given) << jd;
        EphemerisRequest request;
        request.source = InstantSource::kJulianDay;
        request.julianDay = given;
        engine::SkyState state{};
        engine::SkyCalculator().ComputeSkyAt(state, given);
        EXPECT_EQ(TopField(r.out, "siderealTime"), state.siderealTime) << jd;
        EXPECT_EQ(BodyField(r.out, 10, "helioLongitude"), state.helioLongitude[10]) << jd;
    }
    // The last Julian day of the range is no longer read as 9999-01-01.
    r = RunCommand({"--jd", "5373484.49", "--json"});
    const QJsonObject instant = Parsed(r.out)["instant"].toObject();
    EXPECT_EQ(instant["year"], 9999) << r.out;
    EXPECT_EQ(instant["month"], 12);
    EXPECT_EQ(instant["day"], 31);
}

TEST(EphemerisCommand, NowIsTheClocksInstantInTheZoneAskedFor)
{
    // The computer's own zone plays no part.
    const ScopedTimeZone zone("XYZ-5:45");
    EphemerisRequest request;
    request.source = InstantSource::kNow;
    request.timeZone = -8;
    const auto now = std::chrono::sys_days{std::chrono::year{2026} / 12 / 7} +
                     std::chrono::hours{11} + std::chrono::minutes{28} +
                     std::chrono::milliseconds{30900};
    const engine::SkyState state = SkyStateFor(request, now);
    EXPECT_EQ(state.realTime, 1);
    EXPECT_EQ((std::vector{state.year, state.month, state.day, state.hour, state.minute}),
              (std::vector{2026, 12, 7, 3, 28}));
    EXPECT_EQ(state.second, 30);
}

struct BadArguments {
    std::vector<std::string> args;
    std::string named;
};

// Leap days of either calendar, and the last day of each month.
TEST(EphemerisCommand, EveryDayThatExistsIsTaken)
{
    for (const char* date : {"2024-02-29", "2000-02-29", "1500-02-29", "1582-02-28", "-4-02-29",
                             "0-02-29", "-4713-01-31", "2026-04-30", "2026-12-31", "9999-12-31"}) {
        const RunResult r = RunCommand({"--date", date});
        EXPECT_EQ(r.status, 0) << date << ": " << r.err;
    }
    const RunResult february = RunCommand({"--date", "2026-02-30"});
    EXPECT_EQ(february.status, 2);
    EXPECT_NE(february.err.find("day must be 1-28 in 2026-02, got '2026-02-30'"), std::string::npos)
        << february.err;
}

class EphemerisBadArguments : public ::testing::TestWithParam<BadArguments> {};

TEST_P(EphemerisBadArguments, GiveOneLineNamingTheArgumentAndFail)
{
    const RunResult r = RunCommand(GetParam().args);
    EXPECT_NE(r.status, 0);
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(r.err.find(GetParam().named), r.err.find(": ") + 2) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EphemerisBadArguments,
    ::testing::Values(BadArguments{{}, "--date"},
                      BadArguments{{"--date", "2006-13-01"}, "--date"},
                      BadArguments{{"--date", "2006/06/21"}, "--date"},
                      // Days the month does not have, in either calendar.
                      BadArguments{{"--date", "2026-02-30"}, "--date"},
                      BadArguments{{"--date", "2026-04-31"}, "--date"},
                      BadArguments{{"--date", "2100-02-29"}, "--date"},
                      BadArguments{{"--date", "1583-02-29"}, "--date"},
                      BadArguments{{"--date", "-1-02-29"}, "--date"},
                      BadArguments{{"--date", "10000-01-01"}, "--date"},
                      BadArguments{{"--date", "-4714-12-31"}, "--date"},
                      BadArguments{{"--date", "2006-06-21", "--time", "25:00"}, "--time"},
                      BadArguments{{"--date", "2006-06-21", "--time", "noon"}, "--time"},
                      BadArguments{{"--date", "2006-06-21", "--tz", "abc"}, "--tz"},
                      BadArguments{{"--date", "2006-06-21", "--tz", "nan"}, "--tz"},
                      BadArguments{{"--date", "2006-06-21", "--dst", "2"}, "--dst"},
                      BadArguments{{"--date", "2006-06-21", "--lon", "181"}, "--lon"},
                      BadArguments{{"--date", "2006-06-21", "--lat", "-90.5"}, "--lat"},
                      BadArguments{{"--date", "2006-06-21", "--lat"}, "--lat"},
                      BadArguments{{"--jd", "inf"}, "--jd"},
                      BadArguments{{"--jd", "1e300"}, "--jd"},
                      BadArguments{{"--jd", "2448908.5", "--time", "12:00"}, "--time"},
                      BadArguments{{"--jd", "2448908.5", "--now"}, "--date"},
                      BadArguments{{"--date", "2006-06-21", "--frobnicate"}, "--frobnicate"}));

}  // namespace
}  // namespace skyvane::app
