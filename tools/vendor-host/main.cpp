// vendor-host: the web host the program talks to.
//
//   vendor-host --port 8080 --data build/datas.bin --db vendor.sqlite
//               [--bind 127.0.0.1] [--version 0141] [--country CH]
//               [--campaign 007] [--stars data/stars.txt]
//
// It serves the sky data file (read again for every request, so a rebuilt
// file is served at once), answers the version check, records every
// version check and click report in the SQLite database, and serves the
// pages the program opens. --port 0 takes any free port; the first line on
// standard output names the address it listens on.
#include <httplib.h>

#include <cctype>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <pthread.h>
#include <sstream>
#include <string>
#include <thread>

#include "object_pages.h"
#include "report_log.h"
#include "site_pages.h"

namespace vendorhost {
namespace {

constexpr const char* kDataFilePath = "/system/datafile/datas142U.bin";
constexpr const char* kVersionCheckPath = "/versioncheck/versioncheck.php";
constexpr const char* kClickReportPath = "/versioncheck/clickcount.php";
constexpr const char* kHtml = "text/html; charset=windows-1252";
constexpr std::size_t kServerThreads = 64;

struct Options {
    std::string bind = "127.0.0.1";
    int port = 8080;
    std::string dataFile;
    std::string database;
    std::string catalogue = "data/stars.txt";
    bool catalogueGiven = false;
    VersionAnswer answer;
};

constexpr const char* kUsage =
    "usage: vendor-host --port N --data DATAFILE --db DATABASE [--bind ADDRESS]\n"
    "                   [--version NNNN] [--country CC] [--campaign NNN] [--stars STARS.TXT]\n"
    "  --port      TCP port, 0 for any free one (default 8080)\n"
    "  --data      the sky data file to serve as " "/system/datafile/datas142U.bin\n"
    "  --db        SQLite database that records version checks and click reports\n"
    "  --bind      address to listen on (default 127.0.0.1)\n"
    "  --version   version the version check announces, 4 digits (default 0141)\n"
    "  --country   country code it hands out, 2 letters or digits (default 00: none)\n"
    "  --campaign  campaign number it hands out, 3 digits (default 000: none)\n"
    "  --stars     catalogue for the object pages (default data/stars.txt)\n";

bool AllOf(const std::string& text, std::size_t length, int (*accept)(int))
{
    if (text.size() != length) return false;
    for (unsigned char c : text)
        if (!accept(c)) return false;
    return true;
}

std::optional<Options> ParseOptions(int argc, char** argv)
{
    Options options;
    std::map<std::string, std::string> values;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") return std::nullopt;
        if (!name.starts_with("--") || i + 1 >= argc) {
            std::cerr << "vendor-host: " << name << ": expected --option value\n";
            return std::nullopt;
        }
        values[name] = argv[++i];
    }
    for (const auto& [name, value] : values) {
        if (name == "--port") {
            char* end = nullptr;
            const long port = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || port < 0 || port > 65535) {
                std::cerr << "vendor-host: --port: not a port number: " << value << '\n';
                return std::nullopt;
            }
            options.port = static_cast<int>(port);
        } else if (name == "--data") {
            options.dataFile = value;
        } else if (name == "--db") {
            options.database = value;
        } else if (name == "--bind") {
            options.bind = value;
        } else if (name == "--stars") {
            options.catalogue = value;
            options.catalogueGiven = true;
        } else if (name == "--version") {
            // The program reads exactly four characters as the version number.
            if (!AllOf(value, 4, isdigit)) {
                std::cerr << "vendor-host: --version: expected 4 digits\n";
                return std::nullopt;
            }
            options.answer.version = value;
        } else if (name == "--country") {
            if (!AllOf(value, 2, isalnum)) {
                std::cerr << "vendor-host: --country: expected 2 letters or digits\n";
                return std::nullopt;
            }
            options.answer.country = value;
        } else if (name == "--campaign") {
            if (!AllOf(value, 3, isdigit)) {
                std::cerr << "vendor-host: --campaign: expected 3 digits\n";
                return std::nullopt;
            }
            options.answer.campaign = value;
        } else {
            std::cerr << "vendor-host: unknown option " << name << '\n';
            return std::nullopt;
        }
    }
    if (options.dataFile.empty() || options.database.empty()) {
        std::cerr << "vendor-host: --data and --db are required\n";
        return std::nullopt;
    }
    return options;
}

std::optional<std::string> ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return std::move(content).str();
}

ObjectPages LoadObjectPages(const Options& options)
{
    const std::optional<std::string> catalogue = ReadWholeFile(options.catalogue);
    if (!catalogue) {
        std::cerr << "vendor-host: " << options.catalogue << ": cannot read; no object pages"
                  << (options.catalogueGiven ? "" : " (give the catalogue with --stars)") << '\n';
        return {};
    }
    return ObjectPages(*catalogue);
}

// The request target as it arrived, query included.
std::string TargetOf(const httplib::Request& request)
{
    return request.target.empty() ? request.path : request.target;
}

void SetUpRoutes(httplib::Server& server, const Options& options, const ObjectPages& pages, ReportLog& log)
{
    server.Get(kDataFilePath, [&options](const httplib::Request&, httplib::Response& response) {
        // Read at every request: the build may have replaced the file.
        if (const auto file = ReadWholeFile(options.dataFile)) {
            response.set_content(*file, "application/octet-stream");
        } else {
            response.status = 404;
            response.set_content(NotFoundPage(), kHtml);
        }
    });
    server.Get(kVersionCheckPath, [&options, &log](const httplib::Request& request, httplib::Response& response) {
        // The answer still goes out: without it the program would drop its
        // country and campaign. The lost record is said on the console.
        if (!log.Record("version-check", TargetOf(request), request.get_header_value("Referer")))
            std::cerr << "vendor-host: version check not recorded: " << TargetOf(request) << " "
                      << request.get_header_value("Referer") << std::endl;
        response.set_content(VersionCheckPage(options.answer), kHtml);
    });
    server.Get(kClickReportPath, [&log](const httplib::Request& request, httplib::Response& response) {
        // OK only for a report that is on disk; a sender that sees 503 knows
        // it was not kept.
        if (log.Record("click-report", TargetOf(request), request.get_header_value("Referer"))) {
            response.set_content("<html><body>OK</body></html>", kHtml);
        } else {
            response.status = 503;
            response.set_header("Retry-After", "10");
            response.set_content("<html><body>Not recorded, try again later</body></html>", kHtml);
        }
    });
    server.Get("/", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(HomePage(), kHtml);
    });
    server.Get("/manual.php", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(ManualPage(), kHtml);
    });
    server.Get("/donate.php", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(DonatePage(), kHtml);
    });
    server.Get("/locations/LOC_ALLCOUNTRIES.php", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(LocationsPage(), kHtml);
    });
    // Everything else: an object page, or nothing.
    server.Get(".*", [&pages](const httplib::Request& request, httplib::Response& response) {
        if (const auto page = pages.PageFor(request.path)) {
            response.set_content(*page, kHtml);
        } else {
            response.status = 404;
            response.set_content(NotFoundPage(), kHtml);
        }
    });
}

// Stops the server on SIGINT or SIGTERM. The signals are blocked in every
// thread and taken here, where stopping the server is safe.
void StopOnSignal(httplib::Server& server, const sigset_t& signals)
{
    std::thread([&server, signals] {
        int received = 0;
        sigwait(&signals, &received);
        server.stop();
    }).detach();
}

int Run(int argc, char** argv)
{
    const std::optional<Options> options = ParseOptions(argc, argv);
    if (!options) {
        std::cerr << kUsage;
        return 2;
    }

    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    std::optional<ReportLog> log;
    try {
        log.emplace(options->database);
    } catch (const std::exception& error) {
        std::cerr << "vendor-host: " << error.what() << '\n';
        return 1;
    }
    const ObjectPages pages = LoadObjectPages(*options);

    httplib::Server server;
    // One thread per client of a busy minute: a thread waits while its
    // report is committed, and the default handful would queue the rest.
    server.new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
    SetUpRoutes(server, *options, pages, *log);

    // The library listens with a backlog of 5: a burst of clients (each
    // report is a connection of its own) overflows it and waits a second
    // for the retransmitted connect. Listening again on the bound socket
    // takes the system's longest queue instead.
    socket_t listening = INVALID_SOCKET;
    server.set_socket_options([&listening](socket_t sock) {
        httplib::default_socket_options(sock);
        listening = sock;
    });
    int port = options->port;
    if (port == 0) {
        port = server.bind_to_any_port(options->bind);
    } else if (!server.bind_to_port(options->bind, port)) {
        port = -1;
    }
    if (port > 0 && listening != INVALID_SOCKET) ::listen(listening, SOMAXCONN);
    if (port <= 0) {
        std::cerr << "vendor-host: cannot listen on " << options->bind << ':' << options->port << '\n';
        return 1;
    }
    std::cout << "vendor-host: listening on http://" << options->bind << ':' << port << "/ ("
              << pages.Count() << " object pages)" << std::endl;

    StopOnSignal(server, signals);
    const bool listened = server.listen_after_bind();
    return listened ? 0 : 1;
}

}  // namespace
}  // namespace vendorhost

int main(int argc, char** argv)
{
    return vendorhost::Run(argc, argv);
}
