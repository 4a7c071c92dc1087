#include "app/find_command.h"

#include <filesystem>
#include <cmath>
#include <cstdio>
#include <ostream>

#include <QJsonArray>
#include <QJsonObject>

#include "app/command_output.h"
#include "app/ephemeris_command.h"
#include "engine/body.h"
#include "places/now.h"
#include "skydata/constellations.h"
#include "skydata/data_file.h"
#include "skydata/name_index.h"
#include "skydata/sky_data.h"

namespace skyvane::app {

using skydata::FoundObject;
using skydata::ObjectKind;
using skydata::SkyCatalogue;

namespace {

// How many names an unknown name suggests.
constexpr std::size_t kSuggestions = 5;

std::string Format(const char* format, double x)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, format, x);
    return buf;
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
    case ObjectKind::kHipStar: return "hipStar";
    case ObjectKind::kNgcObject: return "ngcObject";
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

// The parts of a deep-sky row the text and the JSON show.
struct DeepFacts {
    std::string constellation;      // abbreviation, or empty
    std::string constellationName;  // full name, or empty
};

DeepFacts FactsOf(const SkyCatalogue& catalogue, const skydata::DeepSkyCatalogue& deep,
                  std::uint8_t constellationRow)
{
    DeepFacts facts;
    facts.constellation = std::string(deep.ConstellationOf(constellationRow));
    facts.constellationName = skydata::Windows1252ToUtf8(
        skydata::ConstellationFullName(catalogue, facts.constellation));
    return facts;
}

std::vector<std::string> CommonNames(std::string_view names)
{
    std::vector<std::string> out;
    while (!names.empty()) {
        const std::size_t comma = names.find(',');
        if (std::string name = Trimmed(names.substr(0, comma)); !name.empty()) out.push_back(name);
        if (comma == std::string_view::npos) break;
        names.remove_prefix(comma + 1);
    }
    return out;
}

std::string JoinedNames(const std::vector<std::string>& names, const char* separator)
{
    std::string out;
    for (const std::string& n : names) out += (out.empty() ? "" : separator) + n;
    return out;
}

std::string SizeText(const skydata::DeepObject& o)
{
    if (std::isnan(o.majorArcmin)) return {};
    std::string out = Format("%g", o.majorArcmin);
    if (!std::isnan(o.minorArcmin)) out += " x " + Format("%g", o.minorArcmin);
    out += " arc minutes";
    if (!std::isnan(o.positionAngleDeg)) out += ", position angle " + Format("%g deg", o.positionAngleDeg);
    return out;
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

const CommandOptions<FindRequest>& FindOptions()
{
    using R = FindRequest;
    static const CommandOptions<FindRequest> kOptions = [] {
        CommandOptions<FindRequest> options = LiftOptions(PlaceAndTimeOptions(), &R::place);
        const CommandOptions<FindRequest> data = LiftOptions(DataFileOptions(), &R::data);
        options.insert(options.end(), data.begin(), data.end());
        options.push_back({{"--json"}, "", "one JSON object instead of the text",
                           [](R& r, const std::string&) -> std::string {
                               r.place.json = true;
                               return {};
                           }});
        options.push_back({{"-o"}, "FILE", "write to FILE instead of standard output (- for it)",
                           [](R& r, const std::string& value) -> std::string {
                               r.place.output = value;
                               return value.empty() ? BadValue(value) : "";
                           }});
        options.push_back({{"-h", "--help"}, "", "this help",
                           [](R& r, const std::string&) -> std::string {
                               r.place.help = true;
                               return {};
                           }});
        return options;
    }();
    return kOptions;
}

std::string FindUsage()
{
    return "usage: skyvane find NAME [options]\n"
           "  NAME: a star's proper name (Betelgeuse), Bayer or Flamsteed designation\n"
           "  (\"Alpha Orionis\", \"alf Ori\", \"58 Ori\"), HR or SAO number (\"HR 2061\"), a Messier\n"
           "  object (M42, \"NGC 1976\", \"Orion Nebula\"), a Hipparcos star (\"HIP 32349\"), an\n"
           "  NGC or IC object (\"NGC 7000\", ic434, \"North America Nebula\"), the Sun, the Moon\n"
           "  or a planet; case, accents and blanks do not matter. The instant is now unless given.\n" +
           DescribeOptions(FindOptions()) +
           "Rise, transit and set are those of the local civil day of the instant.\n"
           "Exit status: 0 found, 1 no object of that name (the closest names are\n"
           "suggested) or a failed write, 2 bad arguments.\n";
}

std::optional<FindRequest> ParseFindArguments(const std::vector<std::string>& args,
                                              std::string& error)
{
    FindRequest request;
    const auto words = ReadOptions(FindOptions(), args, request, error);
    if (!words)
        return std::nullopt;
    if (request.place.help)
        return request;
    for (const std::string& word : *words)
        request.name += (request.name.empty() ? "" : " ") + word;
    if (!CheckPlaceAndTime(request.place, true, error))
        return std::nullopt;
    if (skydata::FoldName(request.name).empty()) {
        error = "NAME: missing (such as Sirius, \"alf CMa\", M31 or Jupiter)";
        return std::nullopt;
    }
    return request;
}

namespace {

// A right ascension and declination on one line.
std::string PlaceText(double rightAscension, double declination)
{
    return FormatHours(rightAscension, false) + "  " + Format("%+.5f deg", declination);
}

// Azimuth in the engine's count (from the south point towards the west)
// in the count shown: from the north through the east, or as it is.
double AzimuthShown(double azimuth, bool fromNorth)
{
    if (!fromNorth)
        return azimuth;
    const double turned = std::fmod(azimuth + 180, 360);
    return turned < 0 ? turned + 360 : turned;
}

}  // namespace

std::string FormatFoundObjectText(const FoundObject& f, const SkyCatalogue& catalogue,
                                  const engine::SkyState& sky, bool azimuthFromNorth,
                                  const skydata::DeepSkyCatalogue* deep)
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
    case ObjectKind::kHipStar: {
        if (!deep) break;
        const skydata::DeepStar& star = deep->stars[static_cast<std::size_t>(f.object.index)];
        const DeepFacts facts = FactsOf(catalogue, *deep, star.constellation);
        out += f.name + "\n";
        line("Kind", facts.constellationName.empty() ? "star" : "star in " + facts.constellationName);
        line("Catalogue", "Hipparcos " + std::to_string(star.hip) + ", magnitude " +
                              Format("%.2f", star.magnitude) +
                              (std::isnan(star.bv) ? std::string() : ", B-V " + Format("%.3f", star.bv)));
        break;
    }
    case ObjectKind::kNgcObject: {
        if (!deep) break;
        const skydata::DeepObject& o = deep->objects[static_cast<std::size_t>(f.object.index)];
        const DeepFacts facts = FactsOf(catalogue, *deep, o.constellation);
        const std::vector<std::string> names = CommonNames(o.commonNames);
        out += f.name + (names.empty() ? "" : "  " + JoinedNames(names, ", ")) + "\n";
        const std::string type(skydata::DeepSkyTypeName(o.type));
        line("Kind", facts.constellationName.empty() ? type : type + " in " + facts.constellationName);
        std::string numbers = std::isnan(o.magnitude) ? "magnitude unknown" : "magnitude " + Format("%.1f", o.magnitude);
        if (const std::string size = SizeText(o); !size.empty()) numbers += ", " + size;
        line("Catalogue", numbers);
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
    if (f.object.kind == ObjectKind::kBody) {
        line("Apparent place", PlaceText(f.rightAscension, f.declination) +
                                   " (geocentric, true equator and equinox of date)");
        line("Seen from here", PlaceText(f.topocentricRightAscension, f.topocentricDeclination) +
                                   " (topocentric, of date)");
    } else {
        line("J2000 place", PlaceText(f.catalogueRightAscension, f.catalogueDeclination) +
                                " (catalogue, mean equator and equinox J2000)");
        line("Apparent place", PlaceText(f.rightAscension, f.declination) +
                                   " (true equator and equinox of date)");
    }
    line("Azimuth", Format("%.5f deg", AzimuthShown(f.azimuth, azimuthFromNorth)) +
                        (azimuthFromNorth ? " (from north through east)"
                                          : " (from the south point towards the west)"));
    line("Altitude", Format("%+.5f deg", f.altitude) + " (seen from here, no refraction)");
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
                                  const SkyCatalogue& catalogue, const engine::SkyState& sky,
                                  const skydata::DeepSkyCatalogue* deep)
{
    QJsonObject document{{"query", JsonString(query)},
                         {"name", JsonString(f.name)},
                         {"kind", JsonString(KindName(f.object.kind))}};
    QJsonObject entry;
    switch (f.object.kind) {
    case ObjectKind::kStar: {
        const skydata::StarRecord& star = StarOf(catalogue, f);
        const std::string_view abbreviation = skydata::StarConstellation(star);
        const int hr = skydata::HarvardRevisedNumber(star);
        entry["row"] = f.object.index;
        entry["designation"] = JsonString(Utf8(star.designation));
        entry["properName"] = JsonStringOrNull(Utf8(star.properName));
        entry["bayerName"] = JsonStringOrNull(skydata::BayerName(star));
        entry["constellation"] = JsonStringOrNull(skydata::Windows1252ToUtf8(abbreviation));
        entry["constellationName"] = JsonStringOrNull(skydata::Windows1252ToUtf8(
            skydata::ConstellationFullName(catalogue, abbreviation)));
        entry["hr"] = hr > 0 ? QJsonValue(hr) : QJsonValue(QJsonValue::Null);
        entry["sao"] = star.sao > 0 ? QJsonValue(star.sao) : QJsonValue(QJsonValue::Null);
        entry["magnitude"] = JsonNumber(star.magnitude);
        entry["spectrum"] = JsonStringOrNull(Utf8(star.spectrum));
        break;
    }
    case ObjectKind::kMessier: {
        const skydata::DeepSkyObject& m = MessierOf(catalogue, f);
        entry["row"] = f.object.index;
        entry["messier"] = f.object.index + 1;
        entry["ngc"] = JsonStringOrNull(Utf8(m.ngc));
        entry["commonName"] = JsonStringOrNull(Utf8(m.name));
        entry["magnitude"] = JsonNumber(m.magnitude);
        entry["dimension"] = JsonStringOrNull(Utf8(m.dimension));
        entry["distanceLightYears"] = JsonNumber(m.distance * 1000);
        break;
    }
    case ObjectKind::kHipStar: {
        if (!deep) break;
        const skydata::DeepStar& star = deep->stars[static_cast<std::size_t>(f.object.index)];
        const DeepFacts facts = FactsOf(catalogue, *deep, star.constellation);
        entry["hip"] = static_cast<qint64>(star.hip);
        entry["magnitude"] = JsonNumber(star.magnitude);
        entry["bv"] = JsonNumber(star.bv);
        entry["constellation"] = JsonStringOrNull(facts.constellation);
        entry["constellationName"] = JsonStringOrNull(facts.constellationName);
        break;
    }
    case ObjectKind::kNgcObject: {
        if (!deep) break;
        const skydata::DeepObject& o = deep->objects[static_cast<std::size_t>(f.object.index)];
        const DeepFacts facts = FactsOf(catalogue, *deep, o.constellation);
        QJsonArray names;
        for (const std::string& n : CommonNames(o.commonNames)) names.append(JsonString(n));
        entry["designation"] = JsonString(f.name);
        entry["type"] = JsonString(skydata::DeepSkyTypeName(o.type));
        entry["commonNames"] = names;
        entry["magnitude"] = JsonNumber(o.magnitude);
        entry["majorAxis"] = JsonNumber(o.majorArcmin);
        entry["minorAxis"] = JsonNumber(o.minorArcmin);
        entry["positionAngle"] = JsonNumber(o.positionAngleDeg);
        entry["constellation"] = JsonStringOrNull(facts.constellation);
        entry["constellationName"] = JsonStringOrNull(facts.constellationName);
        break;
    }
    case ObjectKind::kBody: {
        const int b = f.object.index;
        entry["body"] = b;
        entry["distance"] = JsonNumber(sky.geoDistance[static_cast<std::size_t>(b)]);
        entry["distanceUnit"] = b == engine::kMoon ? "km" : "AU";
        break;
    }
    }
    document["catalogue"] = entry;
    document["instant"] =
        QJsonObject{{"local", JsonString(skydata::LocalCivilTimeText(f.jd, f.civilOffsetHours))},
                    {"jd", JsonNumber(f.jd)},
                    {"timeZone", JsonNumber(sky.timeZone)},
                    {"dst", sky.dst}};
    document["observer"] = QJsonObject{{"longitude", JsonNumber(sky.longitude)},
                                       {"latitude", JsonNumber(sky.latitude)}};
    const auto place = [](double ra, double dec) {
        return QJsonObject{{"rightAscension", JsonNumber(ra)}, {"declination", JsonNumber(dec)}};
    };
    document["j2000"] = f.object.kind == ObjectKind::kBody
                            ? QJsonValue(QJsonValue::Null)
                            : QJsonValue(place(f.catalogueRightAscension, f.catalogueDeclination));
    document["apparent"] = place(f.rightAscension, f.declination);
    document["topocentric"] = place(f.topocentricRightAscension, f.topocentricDeclination);
    document["rightAscension"] = JsonNumber(f.rightAscension);
    document["declination"] = JsonNumber(f.declination);
    document["azimuth"] = JsonNumber(AzimuthShown(f.azimuth, true));
    document["altitude"] = JsonNumber(f.altitude);
    const engine::RiseTransitSet& rts = f.riseTransitSet;
    const auto when = [&](const std::optional<double>& jd) {
        return jd ? JsonString(EventText(jd, f)) : QJsonValue(QJsonValue::Null);
    };
    document["riseTransitSet"] =
        QJsonObject{{"rise", when(rts.rise)},
                    {"transit", when(rts.transit)},
                    {"set", when(rts.set)},
                    {"state", JsonString(skydata::RiseSetStateName(rts.state))}};
    return JsonDocumentText(document);
}

std::shared_ptr<const skydata::SkyData> LoadNamedSky(const DataFileChoice& choice,
                                                     const char* command, std::ostream& err)
{
    skydata::SkyDataStore store;
    std::string error;
    const std::filesystem::path file = ResolveDataFile(choice, error);
    std::vector<unsigned char> bytes;
    if (file.empty() || !skydata::ReadDataFile(file, bytes) || !store.Load(bytes))
        err << "skyvane " << command << ": " << (file.empty() ? error : file.string())
            << ": no usable data file, only the Sun, the Moon and the planets are known\n";
    if (!file.empty()) {
        std::string message;
        if (!skydata::LoadDeepSkyAtStartup(DeepSkyFiles(file, ExecutableFolder()), message, store))
            err << "skyvane " << command << ": " << message << "\n";
    }
    return store.Current();
}

int RunFindCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    std::string error;
    const std::optional<FindRequest> request = ParseFindArguments(args, error);
    if (!request) {
        err << "skyvane find: " << error << "; " << TryHelp("find") << "\n";
        return 2;
    }
    if (request->place.help) {
        out << FindUsage();
        return FlushOutput(out).empty() ? 0 : 1;
    }

    const std::shared_ptr<const skydata::SkyData> data = LoadNamedSky(request->data, "find", err);

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

    engine::SkyState sky = SkyStateFor(request->place, places::SystemUtcNow());
    ComputeRequestedSky(request->place, sky);
    engine::FoldShownInstant(sky);
    const skydata::DeepSkyCatalogue* deep = data->deepSky.get();
    const FoundObject found = skydata::DescribeFoundObject(*data->catalogue, *object, sky, deep);
    const std::string text =
        request->place.json ? FormatFoundObjectJson(request->name, found, *data->catalogue, sky, deep)
                            : FormatFoundObjectText(found, *data->catalogue, sky, true, deep);
    if (const std::string failed = WriteOutput(request->place.output, text, out);
        !failed.empty()) {
        err << "skyvane find: " << failed << "\n";
        return 1;
    }
    return 0;
}

}  // namespace skyvane::app
