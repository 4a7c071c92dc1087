#include "app/update_data_command.h"

#include <optional>
#include <ostream>

#include "online/blocking_socket.h"
#include "online/data_file_update.h"
#include "platform/profile_store.h"
#include "skydata/data_file.h"

namespace skyvane::app {

const char kUpdateDataUsage[] =
    "usage: skyvane update-data [--data PATH] [--settings FILE]\n"
    "  Downloads the sky data file from the vendor host (SKYVANE_HOST=host[:port]\n"
    "  overrides the built-in one) and replaces PATH (default datas.bin) with it.\n"
    "  --settings FILE  keep the update's settings in this INI file instead of\n"
    "                   the user's settings\n";

namespace {

struct UpdateDataRequest {
    std::string dataFile = skydata::kDataFileName;
    std::string settingsFile;  // empty: the user's settings
    bool help = false;
};

std::optional<UpdateDataRequest> ParseArguments(const std::vector<std::string>& args, std::string& error)
{
    UpdateDataRequest request;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            request.help = true;
            continue;
        }
        std::string* target = arg == "--data" ? &request.dataFile : arg == "--settings" ? &request.settingsFile : nullptr;
        if (target == nullptr) {
            error = "unknown option " + arg;
            return std::nullopt;
        }
        if (i + 1 >= args.size() || args[i + 1].empty()) {
            error = arg + " needs a file name";
            return std::nullopt;
        }
        *target = args[++i];
    }
    return request;
}

std::string HostText(const online::HostAddress& host) { return host.name + ":" + std::to_string(host.port); }

}  // namespace

int RunUpdateDataCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    std::string error;
    const std::optional<UpdateDataRequest> request = ParseArguments(args, error);
    if (!request) {
        err << "skyvane update-data: " << error << "\n" << kUpdateDataUsage;
        return 2;
    }
    if (request->help) {
        out << kUpdateDataUsage;
        return 0;
    }

    if (!request->settingsFile.empty()) platform::UseProfileFile(request->settingsFile);
    online::SetDataFilePath(request->dataFile);
    const online::HostAddress host = online::VendorHost();
    online::DataFileDownloadOutcome outcome;
    {
        online::SocketLibraryScope scope;
        outcome = online::DownloadDataFile(host, std::string(online::kDataFileServerFolder) +
                                                     online::kDataFileServerName);
    }

    if (!outcome.written) {
        err << "data file update failed: " << outcome.failure << "\n";
        return 1;
    }
    const std::string updated = request->dataFile + " updated: " + std::to_string(outcome.exchange.received) +
                                " bytes from " + HostText(host);
    if (!outcome.loaded) {
        // The body passed the checks but did not load from the disk; say so
        // rather than let a script go on with a file the program cannot use.
        err << updated << ", but they do not load as a data file\n";
        return 1;
    }
    out << updated << "\n";
    return 0;
}

}  // namespace skyvane::app
