#include "app/update_data_command.h"

#include <cctype>
#include <cstring>
#include <filesystem>
#include <optional>
#include <ostream>

#include "app/command_options.h"
#include "app/command_output.h"
#include "app/data_folder.h"
#include "online/blocking_socket.h"
#include "online/data_file_update.h"
#include "platform/profile_store.h"
#include "skydata/data_file.h"

namespace skyvane::app {

namespace {

struct UpdateDataRequest {
    DataFileChoice data;
    std::string settingsFile;  // empty: the user's settings
    bool help = false;
};

const CommandOptions<UpdateDataRequest>& UpdateDataOptions()
{
    using R = UpdateDataRequest;
    static const CommandOptions<UpdateDataRequest> kOptions = [] {
        CommandOptions<UpdateDataRequest> options = LiftOptions(DataFileOptions(), &R::data);
        options.push_back({{"--settings"}, "FILE",
                           "keep the update's settings in this INI file instead of the user's",
                           [](R& r, const std::string& v) {
                               r.settingsFile = v;
                               return v.empty() ? std::string("needs a file name") : "";
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

std::string HostText(const online::HostAddress& host) { return host.name + ":" + std::to_string(host.port); }

std::string Lowered(std::string text)
{
    if (!text.empty())
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

// The socket layer names the call that failed and the system's error code
// ("Connect Fehler #111"); a user reads what that means.
std::string SocketFailureInWords(const online::HttpExchangeResult& e, const std::string& host)
{
    const std::string& call = e.failedCall;
    const std::string why = e.failureCode != 0 ? ": " + Lowered(std::strerror(e.failureCode)) : "";
    if (call == "GetHostByName")
        return "cannot find the address of " + host;
    if (call == "Connect")
        return "cannot connect to " + host + why;
    if (call == "Send timeout")
        return host + " did not take the request in time";
    if (call == "Receive timeout")
        return host + " stopped answering";
    if (call == "ReadHeaderLine")
        return host + " closed the connection or sent a header line that is too long";
    if (call == "Send" || call == "Receive")
        return "the connection to " + host + " broke" + why;
    return "talking to " + host + " failed in " + call + why;
}

std::string FailureInWords(const online::DataFileDownloadOutcome& outcome, const std::string& host)
{
    const online::HttpExchangeResult& e = outcome.exchange;
    if (outcome.accepted || e.failedCall.empty())
        return outcome.failure;  // already in words: a short answer, a file not written
    if (e.announcedLength <= 0)
        return SocketFailureInWords(e, host);
    // "the answer from HOST stopped after N of M bytes", and why.
    std::string text = outcome.failure;
    const std::string cause = " (" + e.failure + ")";
    if (const auto at = text.find(cause); at != std::string::npos)
        text.erase(at, cause.size());
    return text + ": " + SocketFailureInWords(e, host);
}

}  // namespace

std::string DataFileUpdateFailureInWords(const online::DataFileDownloadOutcome& outcome,
                                         const online::HostAddress& host)
{
    if (outcome.loaded) return {};
    if (outcome.written) return "the file from " + HostText(host) + " does not load as a data file";
    return FailureInWords(outcome, HostText(host));
}

std::vector<std::vector<std::string>> UpdateDataOptionNames()
{
    return DocumentedOptionNames(UpdateDataOptions());
}

std::string UpdateDataUsage()
{
    return "usage: skyvane update-data [--data PATH | --data-dir DIR] [--settings FILE]\n"
           "Downloads the sky data file from the vendor host (SKYVANE_HOST=host[:port]\n"
           "overrides the built-in one) and replaces the data file with it.\n" +
           DescribeOptions(UpdateDataOptions());
}

int RunUpdateDataCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    std::string error;
    UpdateDataRequest request;
    const auto positional = ReadOptions(UpdateDataOptions(), args, request, error);
    if (positional && !positional->empty())
        error = Quoted(positional->front()) + ": unexpected argument";
    if (!positional || !positional->empty()) {
        err << "skyvane update-data: " << error << "; " << TryHelp("update-data") << "\n";
        return 2;
    }
    if (request.help) {
        out << UpdateDataUsage();
        return FlushOutput(out).empty() ? 0 : 1;
    }

    if (!request.settingsFile.empty()) platform::UseProfileFile(request.settingsFile);
    const std::filesystem::path dataFile = ResolveDataFile(request.data, error);
    if (dataFile.empty()) {
        err << "skyvane update-data: " << error << "\n";
        return 1;
    }
    online::SetDataFilePath(dataFile);
    const online::HostAddress host = online::VendorHost();
    online::DataFileDownloadOutcome outcome;
    {
        online::SocketLibraryScope scope;
        outcome = online::DownloadDataFile(host, std::string(online::kDataFileServerFolder) +
                                                     online::kDataFileServerName);
    }

    if (!outcome.written) {
        err << "skyvane update-data: " << DataFileUpdateFailureInWords(outcome, host) << "\n";
        return 1;
    }
    const std::string updated = dataFile.string() + " updated: " + std::to_string(outcome.exchange.received) +
                                " bytes from " + HostText(host);
    if (!outcome.loaded) {
        // The body passed the checks but did not load from the disk; say so
        // rather than let a script go on with a file the program cannot use.
        err << "skyvane update-data: " << updated << ", but they do not load as a data file\n";
        return 1;
    }
    out << updated << "\n";
    if (const std::string flushed = FlushOutput(out); !flushed.empty()) {
        err << "skyvane update-data: " << flushed << "\n";
        return 1;
    }
    return 0;
}

}  // namespace skyvane::app
