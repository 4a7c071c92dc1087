// One run against our real vendor host: started as its own process on a
// free loopback port with a temporary database, it must answer the
// version check, record the reports, serve the pages and the data file.
#include <gtest/gtest.h>

#ifdef SKYVANE_VENDOR_HOST

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <netinet/in.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "online/click_report.h"
#include "online/data_file_update.h"
#include "online/http_exchange.h"
#include "online/version_check.h"
#include "platform/profile_store.h"
#include "report_test_server.h"
#include "skydata/layout_script.h"

extern char** environ;

namespace skyvane::online {
namespace {

using namespace std::chrono_literals;
using reporttest::ReportTestEnvironment;

constexpr const char* kRecord = "abcdefdsmFaamahiaaiapA";

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The vendor host as a child process; killed when this goes away, whatever
// the test did.
class VendorHostProcess {
public:
    VendorHostProcess(const std::vector<std::string>& arguments)
    {
        int pipeEnds[2];
        if (::pipe(pipeEnds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
        std::vector<std::string> all{SKYVANE_VENDOR_HOST};
        all.insert(all.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, SKYVANE_VENDOR_HOST, &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeEnds[1]);
        output_ = pipeEnds[0];
    }

    ~VendorHostProcess()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            bool ended = false;
            for (int i = 0; i < 100 && !ended; ++i) {
                ended = ::waitpid(pid_, &status, WNOHANG) == pid_;
                if (!ended) std::this_thread::sleep_for(50ms);
            }
            if (!ended) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, &status, 0);
            }
        }
        if (output_ >= 0) ::close(output_);
    }

    // The port from the host's first line, "...listening on http://ADDRESS:PORT/...";
    // 0 when it does not say within the limit.
    int WaitForPort(std::chrono::milliseconds limit)
    {
        std::string line;
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
            pollfd ready{output_, POLLIN, 0};
            if (::poll(&ready, 1, 50) <= 0) continue;
            char chunk[256];
            const ssize_t n = ::read(output_, chunk, sizeof chunk);
            if (n <= 0) break;
            line.append(chunk, static_cast<std::size_t>(n));
        }
        const std::size_t address = line.find("http://127.0.0.1:");
        if (address == std::string::npos) return 0;
        return std::atoi(line.c_str() + address + 17);
    }

    bool Started() const { return pid_ > 0; }

private:
    pid_t pid_ = -1;
    int output_ = -1;
};

struct ReportRow {
    std::string kind, path, referer, time;
};

std::vector<ReportRow> RecordedReports(const std::string& database)
{
    std::vector<ReportRow> rows;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 2000);
        sqlite3_stmt* query = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT kind, path, referer, time FROM reports ORDER BY id", -1, &query,
                               nullptr) == SQLITE_OK) {
            while (sqlite3_step(query) == SQLITE_ROW) {
                auto text = [&](int column) {
                    const auto* value = sqlite3_column_text(query, column);
                    return value ? std::string(reinterpret_cast<const char*>(value)) : std::string();
                };
                rows.push_back({text(0), text(1), text(2), text(3)});
            }
        }
        sqlite3_finalize(query);
    }
    sqlite3_close(db);
    return rows;
}

std::vector<ReportRow> WaitForReports(const std::string& database, std::size_t count)
{
    std::vector<ReportRow> rows;
    for (int i = 0; i < 100; ++i) {
        rows = RecordedReports(database);
        if (rows.size() >= count) break;
        std::this_thread::sleep_for(50ms);
    }
    return rows;
}

std::string Fetch(const HostAddress& host, const std::string& path, int capacity = 256 * 1024)
{
    std::string body(static_cast<std::size_t>(capacity), '\0');
    const HttpExchangeResult result =
        HttpExchange(host, "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n", kDataFileTimeouts, body.data(),
                     capacity);
    body.resize(static_cast<std::size_t>(result.received));
    return body;
}

TEST(VendorHostServer, AnswersTheProgramAndRecordsItsReports)
{
    ReportTestEnvironment environment;
    const std::string database = environment.Folder() + "/vendor.sqlite";
    VendorHostProcess host({"--port", "0", "--data", SKYVANE_DATAS_BIN, "--db", database, "--stars",
                            SKYVANE_STARS_TXT, "--version", "0142", "--country", "CH", "--campaign", "007"});
    ASSERT_TRUE(host.Started());
    const int port = host.WaitForPort(10s);
    ASSERT_GT(port, 0);
    const std::string hostSetting = "127.0.0.1:" + std::to_string(port);
    environment.PointAt(hostSetting);
    const HostAddress address{"127.0.0.1", port};

    // The version check learns of 0142, Switzerland and campaign 7.
    platform::WriteProfileInt("Installed", "ABID", 100);
    StartVersionCheck("0141", kRecord, true);
    EXPECT_EQ(platform::GetProfileString("Update", "Status"), "1");
    EXPECT_TRUE(UpdateAvailable());
    EXPECT_EQ(platform::GetProfileString("Installed", "Country"), "CH");
    EXPECT_EQ(platform::GetProfileInt("Installed", "ABID"), 7);

    SendClickReport("abcdef", 997, 0);
    const std::vector<ReportRow> reports = WaitForReports(database, 2);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].kind, "version-check");
    EXPECT_EQ(reports[0].path, "/versioncheck/versioncheck.php");
    EXPECT_EQ(reports[0].referer, "http://" + hostSetting + "/" + kRecord);
    EXPECT_EQ(reports[1].kind, "click-report");
    EXPECT_EQ(reports[1].path, "/versioncheck/clickcount.php");
    EXPECT_EQ(reports[1].referer, "abcdef9970");
    for (const ReportRow& row : reports) EXPECT_EQ(row.time.substr(0, 2), "20") << row.time;

    // The data file as built, with its length announced.
    const std::string built = ReadFile(SKYVANE_DATAS_BIN);
    ASSERT_GT(built.size(), 3000u);
    EXPECT_EQ(Fetch(address, "/system/datafile/datas142U.bin", kDownloadBufferBytes), built);

    // The pages the program opens, and the object pages from the catalogue.
    EXPECT_NE(Fetch(address, "/").find("Skyvane"), std::string::npos);
    EXPECT_NE(Fetch(address, "/manual.php").find("manual"), std::string::npos);
    EXPECT_NE(Fetch(address, "/donate.php").find("Supporting Skyvane"), std::string::npos);
    EXPECT_NE(Fetch(address, "/locations/LOC_ALLCOUNTRIES.php").find("coordinates"), std::string::npos);
    const std::string alpheratz = Fetch(address, "/objects/15.html");  // HR 15
    EXPECT_NE(alpheratz.find("Alpheratz"), std::string::npos);
    EXPECT_NE(alpheratz.find("SAO 73765"), std::string::npos);
    EXPECT_NE(Fetch(address, "/objects/10031.html").find("Andromeda Galaxy"), std::string::npos);  // M 31
    EXPECT_NE(Fetch(address, "/objects/99999.html").find("Not found"), std::string::npos);

    // A download through the program's own update replaces the data file,
    // and its after-download report names the campaign from the check.
    const std::filesystem::path dataFile = std::filesystem::path(environment.Folder()) / "datas.bin";
    std::ofstream(dataFile, std::ios::binary) << "old";
    SetDataFilePath(dataFile);
    platform::WriteProfileString("Installed", "Data", kRecord);
    InstallClickReportHook();
    const DataFileDownloadOutcome outcome = DownloadDataFile(address, "/system/datafile/datas142U.bin");
    skydata::SetClickReportSender({});
    EXPECT_TRUE(outcome.written) << outcome.failure;
    EXPECT_EQ(ReadFile(dataFile), built);
    const std::vector<ReportRow> afterDownload = WaitForReports(database, 3);
    ASSERT_EQ(afterDownload.size(), 3u);
    EXPECT_EQ(afterDownload[2].referer, "abcdef  71");
}

// The status code of one GET on a connection of its own, 0 when there is
// no answer within ten seconds.
int StatusOf(int port, const std::string& path, const std::string& referer)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string answer;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        const std::string request = "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nReferer: " + referer +
                                    "\r\nConnection: close\r\n\r\n";
        if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
            const auto deadline = std::chrono::steady_clock::now() + 10s;
            while (answer.find("\r\n") == std::string::npos && std::chrono::steady_clock::now() < deadline) {
                pollfd ready{fd, POLLIN, 0};
                if (::poll(&ready, 1, 100) <= 0) continue;
                char chunk[512];
                const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
                if (n <= 0) break;
                answer.append(chunk, static_cast<std::size_t>(n));
            }
        }
    }
    ::close(fd);
    return answer.starts_with("HTTP/1.1 ") ? std::atoi(answer.c_str() + 9) : 0;
}

std::string JournalMode(const std::string& database)
{
    std::string mode;
    sqlite3* db = nullptr;
    sqlite3_stmt* query = nullptr;
    if (sqlite3_open(database.c_str(), &db) == SQLITE_OK &&
        sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &query, nullptr) == SQLITE_OK &&
        sqlite3_step(query) == SQLITE_ROW)
        mode = reinterpret_cast<const char*>(sqlite3_column_text(query, 0));
    sqlite3_finalize(query);
    sqlite3_close(db);
    return mode;
}

TEST(VendorHostServer, AReportItCannotRecordIsAnswered503)
{
    ReportTestEnvironment environment;
    const std::string database = environment.Folder() + "/vendor.sqlite";
    VendorHostProcess host({"--port", "0", "--data", SKYVANE_DATAS_BIN, "--db", database, "--stars",
                            SKYVANE_STARS_TXT});
    ASSERT_TRUE(host.Started());
    const int port = host.WaitForPort(10s);
    ASSERT_GT(port, 0);
    EXPECT_EQ(JournalMode(database), "wal");
    const std::string path = "/versioncheck/clickcount.php";
    ASSERT_EQ(StatusOf(port, path, "abcdef9970"), 200);

    // Another writer holds the database (a backup, our own tools): the
    // report waits its while, then is refused, not acknowledged.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(database.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_EQ(StatusOf(port, path, "abcdef9971"), 503);
    // The version check still answers: the program needs its campaign.
    EXPECT_EQ(StatusOf(port, "/versioncheck/versioncheck.php", "http://x/abcdef"), 200);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);

    // Free again: recorded and acknowledged.
    EXPECT_EQ(StatusOf(port, path, "abcdef9972"), 200);
    const std::vector<ReportRow> rows = WaitForReports(database, 2);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].referer, "abcdef9970");
    EXPECT_EQ(rows[1].referer, "abcdef9972");
}

}  // namespace
}  // namespace skyvane::online

#endif  // SKYVANE_VENDOR_HOST
