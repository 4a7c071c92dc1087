// Load on our vendor host: 32 clients on loopback send click reports as the
// program does (one connection and one exchange each) until a fixed number
// is sent. Reports per second, the latency of one report, and how many
// acknowledged reports the database lacks (which must be none).
#include <benchmark/benchmark.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "online/blocking_socket.h"
#include "online/http_exchange.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kClients = 32;
constexpr int kReportsPerClient = 150;
// However slow the machine, a run ends: clients stop sending after this.
constexpr auto kRunLimit = 60s;

// The host under test: ours, or another build of it named by
// SKYVANE_BENCH_VENDOR_HOST (to compare with an older one).
std::string HostProgram()
{
    const char* other = std::getenv("SKYVANE_BENCH_VENDOR_HOST");
    return other != nullptr && *other != '\0' ? other : SKYVANE_VENDOR_HOST;
}

class HostProcess {
public:
    explicit HostProcess(const std::string& database)
    {
        int ends[2];
        if (::pipe(ends) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, ends[0]);
        std::vector<std::string> args{HostProgram(), "--port", "0", "--data", SKYVANE_DATAS_BIN,
                                      "--db", database, "--stars", "/dev/null"};
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(ends[1]);
        std::string line;
        const auto deadline = Clock::now() + 10s;
        while (line.find('\n') == std::string::npos && Clock::now() < deadline) {
            pollfd ready{ends[0], POLLIN, 0};
            if (::poll(&ready, 1, 50) <= 0) continue;
            char chunk[256];
            const ssize_t n = ::read(ends[0], chunk, sizeof chunk);
            if (n <= 0) break;
            line.append(chunk, static_cast<std::size_t>(n));
        }
        ::close(ends[0]);
        const std::size_t at = line.find("http://127.0.0.1:");
        if (at != std::string::npos) port_ = std::atoi(line.c_str() + at + 17);
    }
    ~HostProcess()
    {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    int port() const { return port_; }

private:
    pid_t pid_ = -1;
    int port_ = 0;
};

long long RowsIn(const std::string& database)
{
    long long rows = -1;
    sqlite3* db = nullptr;
    sqlite3_stmt* query = nullptr;
    if (sqlite3_open(database.c_str(), &db) == SQLITE_OK &&
        sqlite3_prepare_v2(db, "SELECT count(*) FROM reports", -1, &query, nullptr) == SQLITE_OK &&
        sqlite3_step(query) == SQLITE_ROW)
        rows = sqlite3_column_int64(query, 0);
    sqlite3_finalize(query);
    sqlite3_close(db);
    return rows;
}

void BM_VendorHostClickReports(benchmark::State& state)
{
    skyvane::online::SocketLibraryScope sockets;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("skyvane-host-bench-" + std::to_string(::getpid()));
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        const std::string database = (folder / "vendor.sqlite").string();
        long long lost = 0;
        std::atomic<int> acknowledged{0}, refused{0};
        std::vector<double> latencies;
        double seconds = 0;
        {
            HostProcess host(database);
            if (host.port() == 0) {
                state.SkipWithError("the vendor host did not start");
                break;
            }
            const skyvane::online::HostAddress address{"127.0.0.1", host.port()};
            std::vector<std::vector<double>> perClient(kClients);
            state.ResumeTiming();
            const auto start = Clock::now();
            std::vector<std::thread> clients;
            for (int c = 0; c < kClients; ++c) {
                clients.emplace_back([&, c] {
                    char answer[512];
                    for (int i = 0; i < kReportsPerClient && Clock::now() - start < kRunLimit; ++i) {
                        const std::string request =
                            "GET /versioncheck/clickcount.php HTTP/1.1\r\nAccept: */*\r\nReferer: bench" +
                            std::to_string(c) + "-" + std::to_string(i) +
                            "\r\nUser-Agent: Starwick\r\nHost: 127.0.0.1\r\n\r\n";
                        const auto sent = Clock::now();
                        const auto result = skyvane::online::HttpExchange(
                            address, request, skyvane::online::kVersionCheckTimeouts, answer, sizeof answer);
                        perClient[c].push_back(std::chrono::duration<double>(Clock::now() - sent).count());
                        const std::string_view body(answer, static_cast<std::size_t>(result.received));
                        (body.find("OK") != std::string_view::npos ? acknowledged : refused)++;
                    }
                });
            }
            for (std::thread& t : clients) t.join();
            seconds = std::chrono::duration<double>(Clock::now() - start).count();
            state.PauseTiming();
            for (const auto& l : perClient) latencies.insert(latencies.end(), l.begin(), l.end());
        }
        // Every acknowledged report is in the database once the host is gone.
        lost = acknowledged.load() - RowsIn(database);
        std::sort(latencies.begin(), latencies.end());
        const auto percentile = [&](double p) {
            return latencies.empty() ? 0.0
                                     : latencies[std::min(latencies.size() - 1,
                                                          static_cast<std::size_t>(p * latencies.size()))];
        };
        state.counters["reports_per_s"] = latencies.size() / seconds;
        state.counters["p50_ms"] = percentile(0.50) * 1000;
        state.counters["p99_ms"] = percentile(0.99) * 1000;
        state.counters["not_acknowledged"] = refused.load();
        state.counters["lost"] = static_cast<double>(lost);
        state.ResumeTiming();
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_VendorHostClickReports)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
