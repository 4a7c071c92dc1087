#include "app/find_command.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ostream>

#include "engine/body.h"
#include "skydata/constellations.h"
#include "skydata/data_file.h"
#include "skydata/name_index.h"
#include "skydata/sky_data.h"

namespace skyvane::app {

using skydata::FoundObject;
using skydata::ObjectKind;
using skydata::SkyCatalogue;

const char kFindUsage[] =
    "usage: skyvane find NAME [--date Y-M-D [--time H:M[:S]] | --jd JD | --now]\n"
    "                         [--tz HOURS] [--dst 0|1] [--lon DEG] [--lat DEG]\n"
    "                         [--data FILE] [--json]\n"
    "  NAME       a star's proper name (Betelgeuse), Bayer or Flamsteed designation\n"
    "             (\"Alpha Orionis\", \"alf Ori\", \"58 Ori\"), HR or SAO number (\"HR 2061\"),\n"
    "             a Messier object (M42, \"NGC 1976\", \"Orion Nebula\"), the Sun, the Moon\n"
    "             or a planet; case, accents and blanks do not matter\n"
    "  --date, --time, --jd, --now, --tz, --dst, --lon, --lat\n"
    "             the instant and place, as for skyvane ephemeris (default: now)\n"
    "  --data     sky data file (default datas.bin)\n"
    "  --json     one JSON object instead of the text\n"
    "Rise, transit and set are the first of the local civil day of the instant.\n"
    "Exit status: 0 found, 1 no object of that name (the closest names are\n"
    "suggested), 2 bad arguments.\n";

namespace {

// Julian day of the Unix epoch, for the computer clock.
constexpr double kUnixEpochJulianDay = 2440587.5;

// How many names an unknown name suggests.
constexpr std::size_t kSuggestions = 5;

// The ephemeris options that take a value.
bool TakesValue(const std::string& option)
{
    for (const char* o : {"--date", "--time", "--dst", "--tz", "--lon", "--lat", "--jd"})
        if (option == o) return true;
    return false;
}

std::string Format(const char* format, double x)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, format, x);
    return buf;
}

std::string FormatNumber(double x)
{
    if (!std::isfinite(x)) return "null";
    return Format("%.17g", x);
}

// 6h 45m 08.90s
std::string FormatHours(double hours)
{
    const double totalSeconds = std::round(hours * 360000) / 100;
    const int h = static_cast<int>(totalSeconds / 3600);
    const int m = static_cast<int>((totalSeconds - h * 3600) / 60);
    const double s = totalSeconds - h * 3600 - m * 60;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%dh %02dm %05.2fs", h, m, s);
    return buf;
}

std::string JsonString(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", u);
            out += buf;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string JsonStringOrNull(std::string_view text)
{
    return text.empty() ? "null" : JsonString(text);
}

std::string Trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

std::string Utf8(std::string_view windows1252) { return skydata::Windows1252ToUtf8(Trimmed(windows1252)); }

std::string KindName(ObjectKind kind)
{
    switch (kind) {
    case ObjectKind::kStar: return "star";
    case ObjectKind::kMessier: return "messier";
    case ObjectKind::kBody: break;
    }
    return "body";
}

const skydata::StarRecord& StarOf(const SkyCatalogue& c, const FoundObject& f)
{
    return c.stars[static_cast<std::size_t>(f.object.index)];
}

const skydata::DeepSkyObject& MessierOf(const SkyCatalogue& c, const FoundObject& f)
{
    return c.deepSky[static_cast<std::size_t>(f.object.index)];
}

std::string EventText(const std::optional<double>& jd, const FoundObject& f)
{
    return jd ? skydata::LocalCivilTimeText(*jd, f.civilOffsetHours) : std::string();
}

std::string ObserverText(const engine::SkyState& s)
{
    return "longitude " + Format("%.4f", std::fabs(s.longitude)) + (s.longitude >= 0 ? " W" : " E") +
           ", latitude " + Format("%.4f", std::fabs(s.latitude)) + (s.latitude >= 0 ? " N" : " S");
}

}  // namespace

std::optional<FindRequest> ParseFindArguments(const std::vector<std::string>& args,
                                              std::string& error)
{
    FindRequest request;
    std::vector<std::string> placeArgs;
    bool instantGiven = false;
    bool help = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            help = true;
        } else if (arg == "--data") {
            if (i + 1 >= args.size()) {
                error = "--data: missing value";
                return std::nullopt;
            }
            request.dataFile = args[++i];
        } else if (TakesValue(arg)) {
            if (i + 1 >= args.size()) {
                error = arg + ": missing value";
                return std::nullopt;
            }
            instantGiven |= arg == "--date" || arg == "--jd";
            placeArgs.push_back(arg);
            placeArgs.push_back(args[++i]);
        } else if (arg.rfind("--", 0) == 0) {
            instantGiven |= arg == "--now";
            placeArgs.push_back(arg);  // --json, --now, or an unknown option it names
        } else {
            if (!request.name.empty()) request.name += ' ';
            request.name += arg;
        }
    }
    if (help) {
        request.place.help = true;
        return request;
    }
    if (!instantGiven) placeArgs.push_back("--now");
    const std::optional<EphemerisRequest> place = ParseEphemerisArguments(placeArgs, error);
    if (!place) return std::nullopt;
    request.place = *place;
    if (skydata::FoldName(request.name).empty()) {
        error = "NAME: missing (such as Sirius, \"alf CMa\", M31 or Jupiter)";
        return std::nullopt;
    }
    return request;
}

std::string FormatFoundObjectText(const FoundObject& f, const SkyCatalogue& catalogue,
                                  const engine::SkyState& sky)
{
    std::string out;
    const auto line = [&](const char* label, const std::string& value) {
        char head[24];
        std::snprintf(head, sizeof head, "%-17s", label);
        out += head + value + "\n";
    };
    switch (f.object.kind) {
    case ObjectKind::kStar: {
        const skydata::StarRecord& star = StarOf(catalogue, f);
        const std::string designation = Utf8(star.designation);
        const std::string bayer = skydata::BayerName(star);
        std::string title = f.name;
        if (designation != f.name) title += "  " + designation;
        if (!bayer.empty()) title += "  (" + bayer + ")";
        out += title + "\n";
        const std::string constellation = skydata::Windows1252ToUtf8(
            skydata::ConstellationFullName(catalogue, skydata::StarConstellation(star)));
        line("Kind", constellation.empty() ? "star" : "star in " + constellation);
        std::string numbers;
        if (const int hr = skydata::HarvardRevisedNumber(star); hr > 0)
            numbers += "HR " + std::to_string(hr) + ", ";
        if (star.sao > 0) numbers += "SAO " + std::to_string(star.sao) + ", ";
        numbers += "magnitude " + Format("%.2f", star.magnitude);
        if (!Trimmed(star.spectrum).empty()) numbers += ", spectrum " + Utf8(star.spectrum);
        line("Catalogue", numbers);
        break;
    }
    case ObjectKind::kMessier: {
        const skydata::DeepSkyObject& m = MessierOf(catalogue, f);
        const std::string name = Utf8(m.name);
        out += f.name + (name.empty() ? "" : "  " + name) + "\n";
        line("Kind", "Messier object" + (Trimmed(m.ngc).empty() ? "" : ", NGC " + Utf8(m.ngc)));
        line("Catalogue", "magnitude " + Format("%.1f", m.magnitude) + ", " + Utf8(m.dimension) +
                              " arc minutes, " + Format("%.0f", m.distance * 1000) +
                              " light-years");
        break;
    }
    case ObjectKind::kBody: {
        out += f.name + "\n";
        const int b = f.object.index;
        line("Kind", b == engine::kSun ? "the Sun" : b == engine::kMoon ? "the Moon" : "planet");
        const double distance = sky.geoDistance[static_cast<std::size_t>(b)];
        line("Distance", b == engine::kMoon ? Format("%.0f km", distance)
                                            : Format("%.6f AU", distance));
        break;
    }
    }
    line("Right ascension", FormatHours(f.rightAscension));
    line("Declination", Format("%+.5f deg", f.declination));
    line("Azimuth", Format("%.5f deg", f.azimuth) + " (from the south point towards the west)");
    line("Altitude", Format("%+.5f deg", f.altitude) + " (no refraction)");
    line("At", skydata::LocalCivilTimeText(f.jd, f.civilOffsetHours) + " local time (zone " +
                   Format("%+g h", sky.timeZone) + (sky.dst ? ", daylight saving +1 h" : "") +
                   ")");
    line("Observer", ObserverText(sky));
    const engine::RiseTransitSet& rts = f.riseTransitSet;
    const char* absent = rts.state == engine::RiseSetState::kAlwaysAbove
                             ? "none, above the horizon all day"
                         : rts.state == engine::RiseSetState::kNeverRises
                             ? "none, below the horizon all day"
                             : "none this day";
    line("Rise", rts.rise ? EventText(rts.rise, f) : absent);
    line("Transit", rts.transit ? EventText(rts.transit, f) : "none this day");
    line("Set", rts.set ? EventText(rts.set, f) : absent);
    return out;
}

std::string FormatFoundObjectJson(const std::string& query, const FoundObject& f,
                                  const SkyCatalogue& catalogue, const engine::SkyState& sky)
{
    std::string out = "{\"query\": " + JsonString(query) + ", \"name\": " + JsonString(f.name) +
                      ", \"kind\": " + JsonString(KindName(f.object.kind)) + ",\n \"catalogue\": {";
    switch (f.object.kind) {
    case ObjectKind::kStar: {
        const skydata::StarRecord& star = StarOf(catalogue, f);
        const std::string_view abbreviation = skydata::StarConstellation(star);
        const int hr = skydata::HarvardRevisedNumber(star);
        out += "\"row\": " + std::to_string(f.object.index);
        out += ", \"designation\": " + JsonString(Utf8(star.designation));
        out += ", \"properName\": " + JsonStringOrNull(Utf8(star.properName));
        out += ", \"bayerName\": " + JsonStringOrNull(skydata::BayerName(star));
        out += ", \"constellation\": " + JsonStringOrNull(skydata::Windows1252ToUtf8(abbreviation));
        out += ", \"constellationName\": " +
               JsonStringOrNull(skydata::Windows1252ToUtf8(
                   skydata::ConstellationFullName(catalogue, abbreviation)));
        out += ", \"hr\": " + (hr > 0 ? std::to_string(hr) : std::string("null"));
        out += ", \"sao\": " + (star.sao > 0 ? std::to_string(star.sao) : std::string("null"));
        out += ", \"magnitude\": " + FormatNumber(star.magnitude);
        out += ", \"spectrum\": " + JsonStringOrNull(Utf8(star.spectrum));
        break;
    }
    case ObjectKind::kMessier: {
        const skydata::DeepSkyObject& m = MessierOf(catalogue, f);
        out += "\"row\": " + std::to_string(f.object.index);
        out += ", \"messier\": " + std::to_string(f.object.index + 1);
        out += ", \"ngc\": " + JsonStringOrNull(Utf8(m.ngc));
        out += ", \"commonName\": " + JsonStringOrNull(Utf8(m.name));
        out += ", \"magnitude\": " + FormatNumber(m.magnitude);
        out += ", \"dimension\": " + JsonStringOrNull(Utf8(m.dimension));
        out += ", \"distanceLightYears\": " + FormatNumber(m.distance * 1000);
        break;
    }
    case ObjectKind::kBody: {
        const int b = f.object.index;
        out += "\"body\": " + std::to_string(b);
        out += ", \"distance\": " + FormatNumber(sky.geoDistance[static_cast<std::size_t>(b)]);
        out += std::string(", \"distanceUnit\": ") + (b == engine::kMoon ? "\"km\"" : "\"AU\"");
        break;
    }
    }
    out += "},\n \"instant\": {\"local\": " +
           JsonString(skydata::LocalCivilTimeText(f.jd, f.civilOffsetHours)) +
           ", \"jd\": " + FormatNumber(f.jd) + ", \"timeZone\": " + FormatNumber(sky.timeZone) +
           ", \"dst\": " + std::to_string(sky.dst) + "},";
    out += "\n \"observer\": {\"longitude\": " + FormatNumber(sky.longitude) +
           ", \"latitude\": " + FormatNumber(sky.latitude) + "},";
    out += "\n \"rightAscension\": " + FormatNumber(f.rightAscension) +
           ", \"declination\": " + FormatNumber(f.declination) +
           ", \"azimuth\": " + FormatNumber(f.azimuth) + ", \"altitude\": " + FormatNumber(f.altitude) +
           ",";
    const engine::RiseTransitSet& rts = f.riseTransitSet;
    const auto when = [&](const std::optional<double>& jd) {
        return jd ? JsonString(EventText(jd, f)) : std::string("null");
    };
    out += "\n \"riseTransitSet\": {\"rise\": " + when(rts.rise) + ", \"transit\": " +
           when(rts.transit) + ", \"set\": " + when(rts.set) +
           ", \"state\": " + JsonString(skydata::RiseSetStateName(rts.state)) + "}}\n";
    return out;
}

int RunFindCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    std::string error;
    const std::optional<FindRequest> request = ParseFindArguments(args, error);
    if (!request) {
        err << "skyvane find: " << error << "\n";
        return 2;
    }
    if (request->place.help) {
        out << kFindUsage;
        return 0;
    }

    // Without a data file only the Sun, the Moon and the planets are known.
    skydata::SkyDataStore store;
    std::vector<unsigned char> bytes;
    if (!skydata::ReadDataFile(request->dataFile, bytes) || !store.Load(bytes))
        err << "skyvane find: " << request->dataFile
            << ": no usable data file, only the Sun, the Moon and the planets are known\n";
    const std::shared_ptr<const skydata::SkyData> data = store.Current();

    const std::optional<skydata::ObjectRef> object = data->names->Find(request->name);
    if (!object) {
        err << "skyvane find: no object named '" << request->name << "'";
        const std::vector<skydata::NameMatch> closest =
            data->names->Closest(request->name, kSuggestions);
        for (std::size_t i = 0; i < closest.size(); ++i)
            err << (i == 0 ? "; the closest names: " : ", ") << closest[i].name;
        err << "\n";
        return 1;
    }

    const double now =
        kUnixEpochJulianDay +
        std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch())
                .count() /
            86400;
    engine::SkyState sky = SkyStateFor(request->place, now);
    engine::SkyCalculator().ComputeSky(sky);
    engine::FoldShownInstant(sky);
    const FoundObject found = skydata::DescribeFoundObject(*data->catalogue, *object, sky);
    out << (request->place.json
                ? FormatFoundObjectJson(request->name, found, *data->catalogue, sky)
                : FormatFoundObjectText(found, *data->catalogue, sky));
    return 0;
}

}  // namespace skyvane::app
