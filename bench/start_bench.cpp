// The desktop program's start as a user meets it: from starting the
// process to its first painted sky, for a user who has switched the intro
// screen off (the chart shown last then opens at once). Every run is a
// fresh process on one 1920 x 1080 off-screen screen, in a folder of its
// own with our data file and deep-sky file and the settings of an earlier
// run; the vendor host refuses at once, or (where the day's version check
// is due) takes the request and never answers. The program says when it has
// painted its first chart (SKYVANE_TRACE_START); the time is taken here,
// from just before the process is started to that line.
//
// SKYVANE_BENCH_PROGRAM names another build of the program to start, so
// that two builds can be compared run by run in one session.
#include <benchmark/benchmark.h>

#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "app/preferences.h"
#include "app/time_navigation.h"
#include "engine/sky.h"
#include "online/usage_record.h"
#include "places/locations.h"
#include "platform/profile_store.h"
#include "tests/earlier_run.h"

extern char** environ;

namespace {

using namespace skyvane;
namespace fs = std::filesystem;

constexpr char kFirstChartLine[] = "skyvane: first chart painted at ";
constexpr int kGiveUpMs = 30000;

std::string Program()
{
    const char* other = std::getenv("SKYVANE_BENCH_PROGRAM");
    return other != nullptr && *other != '\0' ? other : SKYVANE_BINARY;
}

// Settings of a user who has started the program before, with the intro
// screen switched off and the horizontal chart shown last; the data file
// check is far ahead, and the day's version check is due or done.
void WriteEarlierRunSettings(const fs::path& file, bool versionCheckDue)
{
    platform::UseProfileFile(file.string());
    StoreEarlierRunRecord();
    platform::WriteProfileString("Installed", "Version", online::kVersionText);
    platform::WriteProfileString("Update", "Status", "0");
    platform::WriteProfileString("Update", "NextCheck",
                                 versionCheckDue ? "" : "2099-01-01 00:00:00");
    app::WriteFirstRunPreferences();
    app::PreferenceValues values = app::ReadPreferenceValues();
    values.noIntro = 1;
    app::WritePreferenceValues(values);
    app::StoreLastChart(app::kViewHorizontal);
    platform::UseProfileFile("");
}

// A vendor host on loopback that takes connections and never answers.
class SilentHost {
public:
    SilentHost()
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::listen(listener_, 16) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            std::abort();
        port_ = ntohs(address.sin_port);
    }
    ~SilentHost() { ::close(listener_); }
    SilentHost(const SilentHost&) = delete;
    SilentHost& operator=(const SilentHost&) = delete;
    std::string Setting() const { return "127.0.0.1:" + std::to_string(port_); }

private:
    int listener_ = -1;
    int port_ = 0;
};

struct RunFolder {
    fs::path root;
    fs::path settings;
    std::string screen;

    explicit RunFolder(bool versionCheckDue)
    {
        std::string folder = (fs::temp_directory_path() / "skyvane-start-bench-XXXXXX").string();
        if (::mkdtemp(folder.data()) == nullptr) std::abort();
        root = folder;
        fs::create_directories(root / "data");
        fs::copy_file(SKYVANE_DATAS_BIN, root / "data" / "datas.bin");
        fs::copy_file(SKYVANE_DEEPSKY_BIN, root / "data" / "deepsky.bin");
        fs::create_directories(root / "config" / "Skyvane");
        settings = root / "config" / "Skyvane" / "Skyvane.conf";
        WriteEarlierRunSettings(settings, versionCheckDue);
        screen = (root / "screen.json").string();
        std::ofstream(screen) << R"({"screens": [{"name": "bench", "x": 0, "y": 0, "width": 1920,
            "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";
    }
    ~RunFolder()
    {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
};

// Starts the program in `folder` and returns the seconds until it said it
// painted its first chart, or a negative number when it never did.
double SecondsToFirstChart(const RunFolder& folder, const std::string& host)
{
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        for (const char* ours : {"HOME=", "XDG_CONFIG_HOME=", "XDG_DATA_HOME=", "QT_QPA_PLATFORM=",
                                 "SKYVANE_HOST=", "SKYVANE_DATA_DIR=", "SKYVANE_TRACE_START="})
            if (text.rfind(ours, 0) == 0) goto skip;
        environment.push_back(text);
    skip:;
    }
    environment.push_back("HOME=" + folder.root.string());
    environment.push_back("XDG_CONFIG_HOME=" + (folder.root / "config").string());
    environment.push_back("QT_QPA_PLATFORM=offscreen:configfile=" + folder.screen);
    environment.push_back("SKYVANE_HOST=" + host);
    environment.push_back("SKYVANE_TRACE_START=1");
    std::vector<char*> envp;
    for (std::string& text : environment) envp.push_back(text.data());
    envp.push_back(nullptr);

    const std::string program = Program();
    std::string dataDir = "--data-dir=" + (folder.root / "data").string();
    std::vector<char*> argv{const_cast<char*>(program.c_str()), dataDir.data(), nullptr};

    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) std::abort();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
    posix_spawn_file_actions_addchdir_np(&actions, folder.root.c_str());

    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    double seconds = -1;
    if (spawned == 0) {
        std::string received;
        pollfd wait{pipeEnds[0], POLLIN, 0};
        while (received.find(kFirstChartLine) == std::string::npos) {
            const int left = kGiveUpMs - static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                            std::chrono::steady_clock::now() - start)
                                                            .count());
            if (left <= 0 || ::poll(&wait, 1, left) <= 0) break;
            char buffer[512];
            const ssize_t got = ::read(pipeEnds[0], buffer, sizeof buffer);
            if (got <= 0) break;
            received.append(buffer, static_cast<std::size_t>(got));
        }
        if (received.find(kFirstChartLine) != std::string::npos)
            seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
    ::close(pipeEnds[0]);
    return seconds;
}

// range(0): 0 the day's version check is done; 1 it is due and the host
// refuses; 2 it is due and the host never answers.
void BM_FirstSky(benchmark::State& st)
{
    const bool versionCheckDue = st.range(0) != 0;
    const bool silentHost = st.range(0) == 2;
    for (auto _ : st) {
        const RunFolder folder(versionCheckDue);
        std::optional<SilentHost> silent;
        if (silentHost) silent.emplace();
        const double seconds =
            SecondsToFirstChart(folder, silent ? silent->Setting() : "127.0.0.1:1");
        if (seconds < 0) {
            st.SkipWithError("the program painted no chart");
            break;
        }
        st.SetIterationTime(seconds);
    }
}
BENCHMARK(BM_FirstSky)
    ->ArgName("version_check")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
