#include "app/telescope_command.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <ostream>

#include "app/command_output.h"
#include "app/ephemeris_command.h"
#include "app/find_command.h"
#include "app/telescope_target.h"
#include "places/now.h"
#include "skydata/data_file.h"
#include "skydata/sky_data.h"
#include "telescope/indi_mount.h"

namespace skyvane::app {
namespace {

using telescope::IndiMount;
using telescope::Mount;
using telescope::MountState;
using telescope::PlaceOfDate;

const char* const kActions[] = {"status", "goto", "sync", "abort", "park", "unpark"};

std::string Format(const char* format, double x)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, format, x);
    return buf;
}

// Azimuth for the command line: from the north through the east.
double AzimuthFromNorth(double azimuthFromSouth)
{
    return std::fmod(azimuthFromSouth + 180, 360);
}

QJsonObject PlaceJson(const PlaceOfDate& place, const engine::Horizontal& horizontal)
{
    return QJsonObject{{"rightAscension", JsonNumber(place.rightAscension)},
                       {"declination", JsonNumber(place.declination)},
                       {"azimuth", JsonNumber(AzimuthFromNorth(horizontal.azimuth))},
                       {"altitude", JsonNumber(horizontal.altitude)}};
}

void PlaceLines(std::string& out, const PlaceOfDate& place, const engine::Horizontal& horizontal)
{
    out += "Right ascension  " + FormatHours(place.rightAscension, false) + " (of date)\n";
    out += "Declination      " + Format("%+.5f deg", place.declination) + " (of date)\n";
    out += "Azimuth          " + Format("%.5f deg", AzimuthFromNorth(horizontal.azimuth)) +
           " (from north through east)\n";
    out += "Altitude         " + Format("%+.5f deg", horizontal.altitude) + "\n";
}

// Runs the event loop until `done` says so or `ms` pass; false on time out.
bool WaitFor(const std::function<bool()>& done, int ms)
{
    QEventLoop loop;
    QTimer poll;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) loop.quit();
    });
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (done()) return true;
    poll.start(10);
    limit.start(ms);
    loop.exec();
    return done();
}

}  // namespace

const CommandOptions<TelescopeRequest>& TelescopeOptions()
{
    using R = TelescopeRequest;
    static const CommandOptions<TelescopeRequest> kOptions = [] {
        CommandOptions<TelescopeRequest> options = LiftOptions(PlaceAndTimeOptions(), &R::place);
        const CommandOptions<TelescopeRequest> data = LiftOptions(DataFileOptions(), &R::data);
        options.insert(options.end(), data.begin(), data.end());
        options.push_back(
            {{"--indi"}, "HOST[:PORT]", "the INDI server (default localhost:7624)",
             [](R& r, const std::string& value) -> std::string {
                 const std::size_t colon = value.rfind(':');
                 r.host = value.substr(0, colon);
                 if (colon != std::string::npos) {
                     const std::string port = value.substr(colon + 1);
                     char* end = nullptr;
                     const long n = std::strtol(port.c_str(), &end, 10);
                     if (port.empty() || *end != '\0' || n < 1 || n > 65535) return BadValue(value);
                     r.port = static_cast<int>(n);
                 }
                 return r.host.empty() ? BadValue(value) : "";
             }});
        options.push_back({{"--device"}, "NAME", "the mount's device name (default: the first mount listed)",
                           [](R& r, const std::string& value) -> std::string {
                               r.device = value;
                               return value.empty() ? BadValue(value) : "";
                           }});
        options.push_back({{"--wait"}, "", "return when the slew or park has ended",
                           [](R& r, const std::string&) -> std::string {
                               r.wait = true;
                               return {};
                           }});
        options.push_back({{"--timeout"}, "SECONDS", "how long --wait waits (default 180)",
                           [](R& r, const std::string& value) -> std::string {
                               char* end = nullptr;
                               const double s = std::strtod(value.c_str(), &end);
                               if (value.empty() || *end != '\0' || !(s > 0 && s <= 86400))
                                   return BadValue(value);
                               r.timeoutSeconds = s;
                               return {};
                           }});
        options.push_back({{"--json"}, "", "one JSON object instead of the text",
                           [](R& r, const std::string&) -> std::string {
                               r.place.json = true;
                               return {};
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

std::string TelescopeUsage()
{
    return "usage: skyvane telescope status|goto NAME|sync NAME|abort|park|unpark [options]\n"
           "  Drives a mount through an INDI server. NAME is anything 'skyvane find' finds;\n"
           "  it is sent at its apparent place of date for the place and instant given (now\n"
           "  unless given). A target below the horizon is refused.\n" +
           DescribeOptions(TelescopeOptions()) +
           "Status prints the mount's right ascension and declination of date, its azimuth\n"
           "(from north through east) and altitude, and its state.\n"
           "Exit status: 0 done, 1 the server, the mount or the name failed (or --wait ran\n"
           "out of time), 2 bad arguments.\n";
}

std::optional<TelescopeRequest> ParseTelescopeArguments(const std::vector<std::string>& args,
                                                        std::string& error)
{
    TelescopeRequest request;
    const auto words = ReadOptions(TelescopeOptions(), args, request, error);
    if (!words) return std::nullopt;
    if (request.place.help) return request;
    if (words->empty()) {
        error = "ACTION: missing (status, goto, sync, abort, park or unpark)";
        return std::nullopt;
    }
    request.action = words->front();
    if (std::find(std::begin(kActions), std::end(kActions), request.action) == std::end(kActions)) {
        error = "ACTION: unknown '" + request.action + "' (status, goto, sync, abort, park or unpark)";
        return std::nullopt;
    }
    for (auto word = words->begin() + 1; word != words->end(); ++word)
        request.name += (request.name.empty() ? "" : " ") + *word;
    const bool needsName = request.action == "goto" || request.action == "sync";
    if (needsName && skydata::FoldName(request.name).empty()) {
        error = "NAME: missing (such as Vega, M31 or Jupiter)";
        return std::nullopt;
    }
    if (!needsName && !request.name.empty()) {
        error = request.action + " takes no NAME";
        return std::nullopt;
    }
    if (!CheckPlaceAndTime(request.place, true, error)) return std::nullopt;
    return request;
}

int RunTelescopeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    std::string error;
    const std::optional<TelescopeRequest> request = ParseTelescopeArguments(args, error);
    if (!request) {
        err << "skyvane telescope: " << error << "; " << TryHelp("telescope") << "\n";
        return 2;
    }
    if (request->place.help) {
        out << TelescopeUsage();
        return FlushOutput(out).empty() ? 0 : 1;
    }
    // Sockets and timers need the application object.
    std::unique_ptr<QCoreApplication> application;
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "skyvane";
        static char* argv[] = {name, nullptr};
        application = std::make_unique<QCoreApplication>(argc, argv);
    }

    engine::SkyState sky = SkyStateFor(request->place, places::SystemUtcNow());
    ComputeRequestedSky(request->place, sky);

    // The target first: a name that is not found never reaches the mount.
    std::optional<TelescopeTarget> target;
    if (!request->name.empty()) {
        // The deep sky too: anything `skyvane find` finds can be a target.
        const auto data = LoadNamedSky(request->data, "telescope", err);
        const std::optional<skydata::ObjectRef> object = data->names->Find(request->name);
        if (!object) {
            err << "skyvane telescope: no object named '" << request->name << "'\n";
            return 1;
        }
        target = TargetOf(*data->catalogue, *object, request->name, sky, data->deepSky.get());
        if (request->action == "goto" && target->altitude < 0) {
            err << "skyvane telescope: " << BelowHorizonRefusal(*target) << "\n";
            return 1;
        }
    }

    IndiMount mount;
    QString failure;
    QObject::connect(&mount, &Mount::failed, [&](const QString& why) { failure = why; });
    QObject::connect(&mount, &Mount::commandFailed, [&](const QString& why) { failure = why; });
    QObject::connect(&mount, &Mount::devicesListed, [&](const QStringList& devices) {
        if (!devices.isEmpty()) mount.Choose(devices.front());
    });
    mount.Open(QString::fromStdString(request->host), static_cast<quint16>(request->port),
               QString::fromStdString(request->device));
    // Every step below has its own deadline inside the mount client; this
    // bound only keeps a mistake there from hanging the command.
    constexpr int kStepBoundMs = telescope::kConnectDeadlineMs + telescope::kDeviceDeadlineMs + 1000;
    WaitFor([&] { return !failure.isEmpty() || mount.Pointing().has_value(); }, kStepBoundMs);
    const auto fail = [&](const QString& why) {
        err << "skyvane telescope: " << why.toStdString() << "\n";
        return 1;
    };
    if (!failure.isEmpty()) return fail(failure);
    if (!mount.Pointing()) return fail("the mount did not say where it points");
    // A mount just connected describes its pointing before it has read its
    // axes; its first report after that is the one to go by.
    int reports = 0;
    QObject::connect(&mount, &Mount::pointingChanged, [&] { ++reports; });
    constexpr int kFirstReportMs = 1500;
    WaitFor([&] { return reports > 0 || !failure.isEmpty(); }, kFirstReportMs);
    if (!failure.isEmpty()) return fail(failure);

    bool taken = false;
    bool ended = false;
    QObject::connect(&mount, &Mount::commandTaken, [&] { taken = true; });
    QObject::connect(&mount, &Mount::motionEnded, [&] { ended = true; });
    QString why;
    bool sent = true;
    const std::string& action = request->action;
    if (action == "goto") sent = mount.Goto(target->place, why);
    if (action == "sync") sent = mount.Sync(target->place, why);
    if (action == "abort") sent = mount.Abort(why);
    if (action == "park") sent = mount.Park(why);
    if (action == "unpark") sent = mount.Unpark(why);
    if (!sent) return fail(why);
    if (action != "status") {
        WaitFor([&] { return taken || !failure.isEmpty(); }, telescope::kAnswerDeadlineMs + 1000);
        if (!failure.isEmpty()) return fail(failure);
        if (!taken) return fail("the mount did not take the command");
    }
    std::optional<bool> slewEnded;
    if (request->wait && (action == "goto" || action == "park" || action == "unpark")) {
        WaitFor([&] { return ended || !failure.isEmpty(); },
                static_cast<int>(request->timeoutSeconds * 1000));
        if (!failure.isEmpty()) return fail(failure);
        if (!ended)
            return fail("the mount was still moving after " +
                        QString::number(request->timeoutSeconds) + " s");
        slewEnded = true;
    }

    // Where it points now, for the observer at the instant of the request.
    const PlaceOfDate pointing = *mount.Pointing();
    const engine::Horizontal horizontal = HorizontalOfPointing(sky, pointing);
    const std::string state = MountStateName(mount.State()).toStdString();
    std::string text;
    if (request->place.json) {
        QJsonObject document{{"command", JsonString(action)},
                             {"server", JsonString(mount.Server().toStdString())},
                             {"device", JsonString(mount.Device().toStdString())},
                             {"state", JsonString(state)},
                             {"pointing", PlaceJson(pointing, horizontal)}};
        document["target"] =
            target ? QJsonValue(QJsonObject{
                         {"name", JsonString(target->name)},
                         {"place", PlaceJson(target->place, {target->azimuth, target->altitude})}})
                   : QJsonValue(QJsonValue::Null);
        document["slewEnded"] = slewEnded ? QJsonValue(*slewEnded) : QJsonValue(QJsonValue::Null);
        text = JsonDocumentText(document);
    } else {
        text += "Mount            " + mount.Device().toStdString() + " at " +
                mount.Server().toStdString() + "\n";
        text += "State            " + state + "\n";
        PlaceLines(text, pointing, horizontal);
        if (target) {
            text += "Target           " + target->name + "\n";
            std::string targetLines;
            PlaceLines(targetLines, target->place, {target->azimuth, target->altitude});
            // The target's lines, indented under its name.
            std::size_t start = 0;
            while (start < targetLines.size()) {
                const std::size_t end = targetLines.find('\n', start);
                text += "  " + targetLines.substr(start, end - start + 1);
                start = end + 1;
            }
        }
    }
    mount.Close();
    if (const std::string failed = WriteOutput(kStandardOutput, text, out); !failed.empty()) {
        err << "skyvane telescope: " << failed << "\n";
        return 1;
    }
    return 0;
}

}  // namespace skyvane::app
