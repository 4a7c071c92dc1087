#include "app/ephemeris_command.h"

#include <cmath>
#include <cstdio>
#include <ostream>

#include <QJsonArray>
#include <QJsonObject>

#include "app/command_output.h"
#include "places/now.h"

namespace skyvane::app {

using engine::SkyState;

namespace {

std::string Quote(const std::string& s) { return Quoted(s); }

}  // namespace

const CommandOptions<EphemerisRequest>& EphemerisOptions()
{
    using R = EphemerisRequest;
    static const CommandOptions<EphemerisRequest> kOptions = [] {
        CommandOptions<EphemerisRequest> options = PlaceAndTimeOptions();
        options.push_back({{"--json"}, "", "one JSON object instead of the table",
                           [](R& r, const std::string&) -> std::string {
                               r.json = true;
                               return {};
                           }});
        options.push_back({{"-o"}, "FILE", "write to FILE instead of standard output (- for it)",
                           [](R& r, const std::string& value) -> std::string {
                               r.output = value;
                               return value.empty() ? BadValue(value) : "";
                           }});
        options.push_back({{"-h", "--help"}, "", "this help",
                           [](R& r, const std::string&) -> std::string {
                               r.help = true;
                               return {};
                           }});
        return options;
    }();
    return kOptions;
}

std::string EphemerisUsage()
{
    return "usage: skyvane ephemeris (--date Y-M-D [--time H:M[:S]] | --jd JD | --now)\n"
           "                         [--tz HOURS] [--dst 0|1] [--lon DEG] [--lat DEG] [--json]\n" +
           DescribeOptions(EphemerisOptions());
}

std::optional<EphemerisRequest> ParseEphemerisArguments(const std::vector<std::string>& args,
                                                        std::string& error)
{
    EphemerisRequest r;
    const auto positional = ReadOptions(EphemerisOptions(), args, r, error);
    if (!positional)
        return std::nullopt;
    if (!positional->empty()) {
        error = Quote(positional->front()) + ": unexpected argument";
        return std::nullopt;
    }
    if (r.help)
        return r;
    if (!CheckPlaceAndTime(r, false, error))
        return std::nullopt;
    return r;
}

namespace {

std::string Format(const char* format, double x)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, format, x);
    return buf;
}

std::string FormatInstant(const SkyState& s)
{
    char buf[80];
    std::snprintf(buf, sizeof buf, "%05d-%02d-%02d %02d:%02d:%02d", s.shownYear, s.shownMonth,
                  s.shownDay, s.shownHour, s.shownMinute, static_cast<int>(s.shownSecond));
    // %05d pads a negative year as -3167 and a positive one as 02006.
    std::string text = buf;
    if (s.shownYear >= 0)
        text.erase(0, 1);
    return text;
}

// What the engine computes per body: the Sun has no heliocentric place,
// the Earth no geocentric one, Pluto nothing.
bool HasHeliocentric(int body)
{
    return body != engine::kSun && body != engine::kPluto;
}
bool HasGeocentric(int body) { return body != engine::kEarth && body != engine::kPluto; }

// The engine counts azimuth from the south point towards the west; the
// command line counts from north through east.
double AzimuthFromNorth(double azimuth)
{
    const double turned = std::fmod(azimuth + 180, 360);
    return turned < 0 ? turned + 360 : turned;
}

}  // namespace

std::string FormatHours(double hours, bool padHours)
{
    // Rounded to the hundredth of a second before the split, so the seconds
    // carry into the minutes and the minutes into the hours; a value that
    // rounds up to a whole day reads as 0h again.
    double totalSeconds = std::round(hours * 360000) / 100;
    if (totalSeconds >= 86400 && totalSeconds < 86400.005)
        totalSeconds = 0;
    const int h = static_cast<int>(totalSeconds / 3600);
    const int m = static_cast<int>((totalSeconds - h * 3600) / 60);
    const double s = totalSeconds - h * 3600 - m * 60;
    char buf[64];
    std::snprintf(buf, sizeof buf, padHours ? "%2dh %02dm %05.2fs" : "%dh %02dm %05.2fs", h, m, s);
    return buf;
}

std::string FormatEphemerisTable(const SkyState& s, double jd)
{
    std::string out;
    out += "Instant        " + FormatInstant(s) + " local time (zone " +
           Format("%+g h", s.timeZone) + (s.dst ? ", daylight saving +1 h" : "") + ")\n";
    out += "Julian day     " + Format("%.6f", jd) + " UT, " + Format("%.6f", s.terrestrialJulianDay) +
           " TT (Delta T " + Format("%.1f", s.deltaT) + " s)\n";
    out += "Observer       longitude " + Format("%.4f", std::fabs(s.longitude)) +
           (s.longitude >= 0 ? " W" : " E") + ", latitude " +
           Format("%.4f", std::fabs(s.latitude)) + (s.latitude >= 0 ? " N" : " S") + "\n";
    out += "Obliquity      " + Format("%.6f", s.obliquity) + " deg (true)\n";
    out += "Sidereal time  " + FormatHours(s.siderealTime) + " (Greenwich apparent)\n\n";
    out +=
        "                                                   apparent, geocentric, of date"
        "                  seen from here\n"
        "Body        helio L deg  helio B deg   helio R AU  RA             Dec deg    "
        "Distance            Azimuth deg  Altitude deg\n";
    for (int b = 0; b < engine::kBodyCount; ++b) {
        char row[256];
        std::string helio = HasHeliocentric(b)
                                ? Format("%11.6f", s.helioLongitude[b]) + "  " +
                                      Format("%11.6f", s.helioLatitude[b]) + "  " +
                                      (b == engine::kMoon ? std::string(11, ' ') + "-"
                                                          : Format("%12.8f", s.helioDistance[b]))
                                : std::string(10, ' ') + "-" + std::string(12, ' ') + "-" +
                                      std::string(13, ' ') + "-";
        std::string geo = "-";
        if (HasGeocentric(b)) {
            const std::string distance = b == engine::kMoon
                                             ? Format("%12.1f km", s.geoDistance[b])
                                             : Format("%12.8f AU", s.geoDistance[b]);
            geo = FormatHours(s.rightAscension[b]) + "  " + Format("%9.5f", s.declination[b]) +
                  "  " + distance + "  " + Format("%11.5f", AzimuthFromNorth(s.azimuth[b])) + "  " +
                  Format("%12.5f", s.altitude[b]);
        }
        std::snprintf(row, sizeof row, "%-9s %s  %s\n", engine::BodyName(b), helio.c_str(),
                      geo.c_str());
        out += row;
    }
    out += "\nRight ascension and declination: geocentric apparent places of date (true equator "
           "and equinox;\nplanets with light-time and aberration). Azimuth (from north through "
           "east) and altitude:\nthe topocentric place seen from the observer, no refraction. "
           "Heliocentric places are\ngeometric, at Terrestrial Time.\n";
    return out;
}

std::string FormatEphemerisJson(const SkyState& s, double jd)
{
    QJsonObject document;
    document["instant"] = QJsonObject{{"year", s.shownYear},     {"month", s.shownMonth},
                                      {"day", s.shownDay},       {"hour", s.shownHour},
                                      {"minute", s.shownMinute}, {"second", JsonNumber(s.shownSecond)}};
    document["observer"] = QJsonObject{{"longitude", JsonNumber(s.longitude)},
                                       {"latitude", JsonNumber(s.latitude)},
                                       {"timeZone", JsonNumber(s.timeZone)},
                                       {"dst", s.dst}};
    document["jd"] = JsonNumber(jd);
    document["terrestrialJd"] = JsonNumber(s.terrestrialJulianDay);
    document["deltaT"] = JsonNumber(s.deltaT);
    document["obliquity"] = JsonNumber(s.obliquity);
    document["siderealTime"] = JsonNumber(s.siderealTime);
    // A value the engine does not compute for a body is null, not 0.
    enum class Applies { kHelio, kHelioDistance, kGeo };
    struct Field {
        const char* name;
        const double (SkyState::*values)[engine::kBodyCount];
        Applies applies;
    };
    static constexpr Field kFields[] = {
        {"helioLongitude", &SkyState::helioLongitude, Applies::kHelio},
        {"helioLatitude", &SkyState::helioLatitude, Applies::kHelio},
        {"helioDistance", &SkyState::helioDistance, Applies::kHelioDistance},
        {"rightAscension", &SkyState::rightAscension, Applies::kGeo},
        {"declination", &SkyState::declination, Applies::kGeo},
        {"geoDistance", &SkyState::geoDistance, Applies::kGeo},
        {"topocentricRightAscension", &SkyState::topocentricRightAscension, Applies::kGeo},
        {"topocentricDeclination", &SkyState::topocentricDeclination, Applies::kGeo},
        {"azimuth", &SkyState::azimuth, Applies::kGeo},
        {"altitude", &SkyState::altitude, Applies::kGeo},
    };
    QJsonArray bodies;
    for (int b = 0; b < engine::kBodyCount; ++b) {
        QJsonObject body;
        body["id"] = b;
        body["name"] = engine::BodyName(b);
        body["distanceUnit"] = b == engine::kMoon ? "km" : "au";
        for (const Field& f : kFields) {
            const bool applies = f.applies == Applies::kGeo ? HasGeocentric(b)
                                 : f.applies == Applies::kHelio
                                     ? HasHeliocentric(b)
                                     : HasHeliocentric(b) && b != engine::kMoon;
            double value = (s.*f.values)[b];
            if (f.values == &SkyState::azimuth)
                value = AzimuthFromNorth(value);
            body[f.name] = applies ? JsonNumber(value) : QJsonValue(QJsonValue::Null);
        }
        bodies.append(body);
    }
    document["bodies"] = bodies;
    return JsonDocumentText(document);
}

int RunEphemerisCommand(const std::vector<std::string>& args, std::ostream& out,
                        std::ostream& err)
{
    std::string error;
    const std::optional<EphemerisRequest> request = ParseEphemerisArguments(args, error);
    if (!request) {
        err << "skyvane ephemeris: " << error << "; " << TryHelp("ephemeris") << "\n";
        return 2;
    }
    if (request->help) {
        out << EphemerisUsage();
        return FlushOutput(out).empty() ? 0 : 1;
    }
    SkyState state = SkyStateFor(*request, places::SystemUtcNow());
    const double jd = ComputeRequestedSky(*request, state);
    const std::string text =
        request->json ? FormatEphemerisJson(state, jd) : FormatEphemerisTable(state, jd);
    if (const std::string failed = WriteOutput(request->output, text, out); !failed.empty()) {
        err << "skyvane ephemeris: " << failed << "\n";
        return 1;
    }
    return 0;
}

}  // namespace skyvane::app
