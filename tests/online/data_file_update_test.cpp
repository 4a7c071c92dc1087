#include "online/data_file_update.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <functional>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "online/online_hooks.h"
#include "online_test_support.h"
#include "platform/profile_store.h"
#include "skydata/layout_script.h"
#include "skydata/sky_data.h"

namespace skyvane::online {
namespace {

using namespace testing;
using Clock = std::chrono::steady_clock;

constexpr HttpTimeouts kShortTimeouts{1, 1, 1};
const std::string kServerPath = "/system/datafile/datas142U.bin";
const std::string kOldFile = "the old data file, which must survive every failed download";

// The click reports the downloads send, in order.
struct ReportLog {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<int> counts;

    bool WaitFor(std::size_t number, Milliseconds limit)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, limit, [&] { return counts.size() >= number; });
    }
    std::vector<int> Counts()
    {
        std::lock_guard lock(mutex);
        return counts;
    }
};

class DataFileUpdateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* value = std::getenv("SKYVANE_HOST")) savedHost_ = value;
        platform::UseProfileFile((folder_ / "settings.ini").string());
        dataFile_ = folder_ / "datas.bin";
        SetDataFilePath(dataFile_);
        RecordClickReports();
    }

    void TearDown() override
    {
        skydata::SetClickReportSender({});
        skydata::SetDataFileUpdateStarter({});
        if (savedHost_)
            setenv("SKYVANE_HOST", savedHost_->c_str(), 1);
        else
            unsetenv("SKYVANE_HOST");
    }

    void RecordClickReports()
    {
        skydata::SetClickReportSender([log = reports_](int count) {
            {
                std::lock_guard lock(log->mutex);
                log->counts.push_back(count);
            }
            log->changed.notify_all();
        });
    }

    DataFileDownloadOutcome Download(const ScriptedServer& server, HttpTimeouts timeouts = kShortTimeouts)
    {
        return DownloadDataFile({"127.0.0.1", server.Port()}, kServerPath, timeouts);
    }

    static std::string NextDownload() { return platform::GetProfileString("Installed", "NBFD"); }
    static int DownloadCount(int absent = -1) { return platform::GetProfileInt("Installed", "NOFD", absent); }

    // "NBFD" must lie `hours` after a moment between `before` and `after`.
    static void ExpectNextDownloadIn(int hours, std::time_t before, std::time_t after)
    {
        const std::string next = NextDownload();
        ASSERT_EQ(next.size(), 19u) << next;
        EXPECT_EQ(next.substr(0, 2), "20");
        const long long due = ParseLocalTime(next);
        EXPECT_GE(due, before + hours * 3600LL) << next;
        EXPECT_LE(due, after + hours * 3600LL) << next;
    }

    // Files in the folder besides the settings and the data file.
    std::vector<std::string> StrayFiles() const
    {
        std::vector<std::string> stray;
        for (const auto& entry : std::filesystem::directory_iterator(folder_.Path())) {
            const std::string name = entry.path().filename().string();
            if (name != "settings.ini" && name != "datas.bin" && name.rfind("settings.ini", 0) != 0)
                stray.push_back(name);
        }
        return stray;
    }

    TemporaryFolder folder_;
    std::filesystem::path dataFile_;
    std::shared_ptr<ReportLog> reports_ = std::make_shared<ReportLog>();
    std::optional<std::string> savedHost_;
};

TEST_F(DataFileUpdateTest, ACompleteAnswerReplacesTheFileReloadsItAndRecordsTheSuccess)
{
    WriteWholeFile(dataFile_, kOldFile);
    platform::WriteProfileInt("Installed", "NOBD", 41);
    const std::string fresh = BuildDataFile("fresh-intro.bmp", 6000, 7);
    ScriptedServer server(Script().Send(HttpResponse(fresh)));

    const std::time_t before = std::time(nullptr);
    const DataFileDownloadOutcome outcome = Download(server, kDataFileTimeouts);
    const std::time_t after = std::time(nullptr);

    ASSERT_EQ(server.Requests().size(), 1u);
    // The Host header names the port, as the version check's does.
    EXPECT_EQ(server.Requests()[0], "GET /system/datafile/datas142U.bin HTTP/1.1\r\nAccept: */*\r\nHost: " +
                                        server.HostVariable() + "\r\n\r\n");
    EXPECT_TRUE(outcome.accepted);
    EXPECT_TRUE(outcome.written);
    EXPECT_TRUE(outcome.loaded);
    EXPECT_EQ(outcome.failure, "");
    EXPECT_EQ(ReadWholeFile(dataFile_), fresh);
    ExpectNextDownloadIn(22, before, after);
    EXPECT_EQ(DownloadCount(), 42);
    // The reload published the new file's tables.
    EXPECT_EQ(skydata::CurrentSkyData()->introPictureName, "fresh-intro.bmp");
    EXPECT_EQ(reports_->Counts(), std::vector<int>{1});
    EXPECT_EQ(StrayFiles(), std::vector<std::string>{});
}

TEST_F(DataFileUpdateTest, DownloadCountIsTheBaseCountPlusOneNotARunningCount)
{
    const std::string fresh = BuildDataFile("a.bmp", 4000);
    ScriptedServer server(std::vector<Script>{Script().Send(HttpResponse(fresh))});
    ASSERT_TRUE(Download(server).written);
    EXPECT_EQ(DownloadCount(), 1);  // "NOBD" absent counts as 0
    ASSERT_TRUE(Download(server).written);
    EXPECT_EQ(DownloadCount(), 1);
    platform::WriteProfileInt("Installed", "NOBD", 9);
    ASSERT_TRUE(Download(server).written);
    EXPECT_EQ(DownloadCount(), 10);
}

TEST_F(DataFileUpdateTest, EveryIncompleteOrShortAnswerLeavesTheOldFileAndRetriesIn14Hours)
{
    struct Case {
        const char* what;
        std::optional<Script> script;  // none: a port nobody listens on
        const char* failureMentions;
    };
    const std::string header4001 = "HTTP/1.1 200 OK\r\nContent-Length: 4000001\r\n\r\n";
    const std::string header5000 = "HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n";
    const std::vector<Case> cases{
        {"exactly 3000 bytes", Script().Send(HttpResponse(std::string(3000, 'd'))), "3000"},
        {"a short error page", Script().Send(HttpResponse("<html>Not found</html>", "HTTP/1.1 404 Not Found")),
         "22 bytes"},
        {"no length header", Script().Send("HTTP/1.1 200 OK\r\n\r\n" + std::string(5000, 'd')), "0 bytes"},
        {"body ends early", Script().Send(header5000 + std::string(4999, 'd')), "4999 of 5000"},
        {"body stalls", Script().Send(header5000 + std::string(3500, 'd')).HoldOpen(), "Receive timeout"},
        {"header stalls", Script().Send("HTTP/1.1 200 OK\r\n").HoldOpen(), "no answer"},
        {"no answer at all", Script().HoldOpen(), "no answer"},
        {"closed at once", Script(), "no answer"},
        {"header without its end", Script().Send("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n"), "0 of 5000"},
        {"more than the buffer", Script().Send(header4001 + std::string(5000, 'd')).HoldOpen(), "4000001"},
        {"refused", std::nullopt, "Connect"},
    };
    int reports = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteWholeFile(dataFile_, kOldFile);
        platform::WriteProfileString("Installed", "NBFD", "");
        std::optional<ScriptedServer> server;
        if (c.script) server.emplace(*c.script);
        const int port = server ? server->Port() : ClosedPort();

        const std::time_t before = std::time(nullptr);
        const auto start = Clock::now();
        const DataFileDownloadOutcome outcome = DownloadDataFile({"127.0.0.1", port}, kServerPath, kShortTimeouts);
        const auto elapsed = Clock::now() - start;
        const std::time_t after = std::time(nullptr);

        EXPECT_FALSE(outcome.accepted);
        EXPECT_FALSE(outcome.written);
        EXPECT_NE(outcome.failure.find(c.failureMentions), std::string::npos) << outcome.failure;
        EXPECT_EQ(ReadWholeFile(dataFile_), kOldFile);
        ExpectNextDownloadIn(14, before, after);
        EXPECT_EQ(DownloadCount(), -1);
        EXPECT_EQ(reports_->Counts().size(), static_cast<std::size_t>(++reports));
        EXPECT_EQ(StrayFiles(), std::vector<std::string>{});
        // Bounded by one short timeout at most.
        EXPECT_LT(elapsed, 2500ms);
    }
}

TEST_F(DataFileUpdateTest, AnAnswerTooLargeForTheBufferIsRefusedWithoutWaitingForIt)
{
    WriteWholeFile(dataFile_, kOldFile);
    ScriptedServer server(Script().Send("HTTP/1.1 200 OK\r\nContent-Length: 4000001\r\n\r\n").HoldOpen());
    const auto start = Clock::now();
    const DataFileDownloadOutcome outcome = Download(server, kDataFileTimeouts);
    EXPECT_LT(Clock::now() - start, 1s);
    EXPECT_EQ(outcome.exchange.announcedLength, 4000001);
    EXPECT_EQ(outcome.exchange.received, 0);
    EXPECT_EQ(ReadWholeFile(dataFile_), kOldFile);
}

// Only a body that is itself a data file may replace the user's catalogue:
// an error page, a captive portal's login page or a file cut short by a
// length announced too small are failed downloads.
TEST_F(DataFileUpdateTest, AnswersThatAreNotDataFilesAreFailedDownloads)
{
    const std::string good = BuildDataFile("good.bmp", 6000, 3);
    std::string portal = "<html><head><title>Sign in to the hotel network</title></head><body>";
    portal += std::string(5000, ' ') + "</body></html>";
    std::string random(4000, '\0');
    for (std::size_t i = 0; i < random.size(); ++i) random[i] = static_cast<char>((i * 7919 + 13) % 251);
    std::string wrongSize = good;
    wrongSize.replace(0, 10, "      9999");  // the payload is larger than that
    struct Case {
        const char* what;
        std::string response;
        const char* failureMentions;
    };
    const std::vector<Case> cases{
        {"a 404 page", HttpResponse(portal, "HTTP/1.1 404 Not Found"), "does not inflate"},
        {"a captive portal", HttpResponse(portal), "does not inflate"},
        {"random bytes", HttpResponse(random), "is not a data file"},
        {"a file announced short",
         "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(good.size() - 100) + "\r\n\r\n" + good,
         "does not inflate"},
        {"a payload of another size", HttpResponse(wrongSize), "9999 bytes its header announces"},
        {"a full buffer of text", HttpResponse(std::string(4'000'000, 'j')), "is not a data file"},
    };
    platform::WriteProfileInt("Installed", "NOBD", 41);
    platform::WriteProfileInt("Installed", "NOFD", 5);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteWholeFile(dataFile_, kOldFile);
        ScriptedServer server(Script().Send(c.response));
        const std::time_t before = std::time(nullptr);
        const DataFileDownloadOutcome outcome = Download(server);
        const std::time_t after = std::time(nullptr);
        EXPECT_FALSE(outcome.accepted);
        EXPECT_FALSE(outcome.written);
        EXPECT_FALSE(outcome.loaded);
        EXPECT_NE(outcome.failure.find("is not a data file"), std::string::npos) << outcome.failure;
        EXPECT_NE(outcome.failure.find(c.failureMentions), std::string::npos) << outcome.failure;
        EXPECT_EQ(ReadWholeFile(dataFile_), kOldFile);
        ExpectNextDownloadIn(14, before, after);
        EXPECT_EQ(DownloadCount(), 5);
        EXPECT_EQ(StrayFiles(), std::vector<std::string>{});
    }
    EXPECT_EQ(reports_->Counts().size(), cases.size());
}

TEST_F(DataFileUpdateTest, TheDownloadCountStaysAtTheLargestNumber)
{
    platform::WriteProfileInt("Installed", "NOBD", INT_MAX);
    ScriptedServer server(Script().Send(HttpResponse(BuildDataFile("a.bmp", 4000))));
    ASSERT_TRUE(Download(server).written);
    EXPECT_EQ(DownloadCount(), INT_MAX);
}

TEST_F(DataFileUpdateTest, AFailedFirstDownloadCreatesNoFile)
{
    ScriptedServer server(Script().Send(HttpResponse("short")));
    Download(server);
    EXPECT_FALSE(std::filesystem::exists(dataFile_));
    EXPECT_EQ(StrayFiles(), std::vector<std::string>{});
}

// A body that was not stored is no download: the next try comes in 14
// hours, the count stays, and the failure names the file and the reason.
TEST_F(DataFileUpdateTest, AFileThatCannotBeWrittenIsAFailedDownload)
{
    const std::string fresh = BuildDataFile("x.bmp", 6000);
    struct Case {
        const char* what;
        std::filesystem::path target;
        std::function<void()> prepare;
        std::function<void()> undo;
        std::string reason;
    };
    const std::filesystem::path blocked = folder_ / "a folder in the way";
    std::vector<Case> cases{
        {"a missing folder", folder_ / "no such folder" / "datas.bin", [] {}, [] {}, std::strerror(ENOENT)},
        {"a folder where the file goes", blocked, [&] { std::filesystem::create_directory(blocked); },
         [&] { std::filesystem::remove(blocked); }, std::strerror(EISDIR)},
        // A full disk, as far as this process can tell: no file may grow
        // beyond 4000 bytes.
        {"a full disk", dataFile_,
         [] {
             std::signal(SIGXFSZ, SIG_IGN);
             rlimit limit{4000, RLIM_INFINITY};
             ::getrlimit(RLIMIT_FSIZE, &limit);
             limit.rlim_cur = 4000;
             ::setrlimit(RLIMIT_FSIZE, &limit);
         },
         [] {
             rlimit limit{};
             ::getrlimit(RLIMIT_FSIZE, &limit);
             limit.rlim_cur = limit.rlim_max;
             ::setrlimit(RLIMIT_FSIZE, &limit);
             std::signal(SIGXFSZ, SIG_DFL);
         },
         std::strerror(EFBIG)},
    };
    // Permissions do not stop the superuser.
    if (::geteuid() != 0)
        cases.push_back({"a read-only folder", dataFile_,
                         [&] { std::filesystem::permissions(folder_.Path(), std::filesystem::perms::owner_write,
                                                            std::filesystem::perm_options::remove); },
                         [&] { std::filesystem::permissions(folder_.Path(), std::filesystem::perms::owner_write,
                                                            std::filesystem::perm_options::add); },
                         std::strerror(EACCES)});
    platform::WriteProfileInt("Installed", "NOFD", 5);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteWholeFile(dataFile_, kOldFile);
        SetDataFilePath(c.target);
        ScriptedServer server(Script().Send(HttpResponse(fresh)));
        c.prepare();
        const std::time_t before = std::time(nullptr);
        const DataFileDownloadOutcome outcome = Download(server);
        const std::time_t after = std::time(nullptr);
        c.undo();
        EXPECT_TRUE(outcome.accepted);
        EXPECT_FALSE(outcome.written);
        EXPECT_FALSE(outcome.loaded);
        EXPECT_NE(outcome.failure.find("cannot write " + c.target.string() + ": " + c.reason), std::string::npos)
            << outcome.failure;
        ExpectNextDownloadIn(14, before, after);
        EXPECT_EQ(DownloadCount(), 5);
        EXPECT_EQ(ReadWholeFile(dataFile_), kOldFile);
        EXPECT_EQ(StrayFiles(), std::vector<std::string>{});
    }
    EXPECT_EQ(reports_->Counts().size(), cases.size());
}

// A host that sends one byte every 1.5 s satisfies every 2-second wait; the
// line limit still ends the download within the line's 2 s.
TEST_F(DataFileUpdateTest, AHostThatDripsItsHeaderIsGivenUpAfterTheLineLimit)
{
    WriteWholeFile(dataFile_, kOldFile);
    ScriptedServer server(Script().SendInPieces("HTTP/1.1 200 OK\r\n", 17, 1500ms));
    const auto start = Clock::now();
    const DataFileDownloadOutcome outcome = Download(server, kDataFileTimeouts);
    const auto elapsed = Clock::now() - start;
    EXPECT_FALSE(outcome.written);
    EXPECT_NE(outcome.failure.find("Receive timeout"), std::string::npos) << outcome.failure;
    EXPECT_GE(elapsed, 1900ms);
    EXPECT_LT(elapsed, 3500ms);
    EXPECT_EQ(ReadWholeFile(dataFile_), kOldFile);
}

TEST_F(DataFileUpdateTest, ABodyThatTricklesPastItsLimitIsAFailedDownload)
{
    WriteWholeFile(dataFile_, kOldFile);
    const std::string fresh = BuildDataFile("slow.bmp", 20000, 5);
    const Script trickle = Script().SendInPieces(HttpResponse(fresh), 20, 100ms);

    // Half a second and nothing for the length: cut off, the old file stays.
    ScriptedServer stalled(trickle);
    const auto start = Clock::now();
    const DataFileDownloadOutcome cut = Download(stalled, {1, 1, 1, 1s, 5s, 500ms, 1 << 30});
    EXPECT_LT(Clock::now() - start, 1500ms);
    EXPECT_FALSE(cut.written);
    EXPECT_NE(cut.failure.find("Receive timeout"), std::string::npos) << cut.failure;
    EXPECT_EQ(ReadWholeFile(dataFile_), kOldFile);

    // With a second per 4 KB announced the same pace brings the whole file.
    ScriptedServer steady(trickle);
    const DataFileDownloadOutcome whole = Download(steady, {1, 1, 1, 1s, 5s, 500ms, 4096});
    EXPECT_TRUE(whole.written) << whole.failure;
    EXPECT_EQ(ReadWholeFile(dataFile_), fresh);
}

TEST_F(DataFileUpdateTest, OverlappingDownloadsNeverLeaveOrShowAMixedFile)
{
    WriteWholeFile(dataFile_, kOldFile);
    const std::string first = BuildDataFile("first.bmp", 300000, 1);
    const std::string second = BuildDataFile("second.bmp", 300000, 2);
    // Both bodies trickle in at the same time and end together.
    ScriptedServer server({Script().SendInPieces(HttpResponse(first), 10, 20ms),
                           Script().SendInPieces(HttpResponse(second), 10, 20ms)});

    std::atomic<bool> downloading{true};
    std::atomic<int> reads{0};
    std::atomic<int> mixed{0};
    std::thread reader([&] {
        while (downloading) {
            const std::string seen = ReadWholeFile(dataFile_);
            if (seen != kOldFile && seen != first && seen != second) ++mixed;
            ++reads;
        }
    });
    std::vector<DataFileDownloadOutcome> outcomes(2);
    std::thread a([&] { outcomes[0] = Download(server); });
    std::thread b([&] { outcomes[1] = Download(server); });
    a.join();
    b.join();
    downloading = false;
    reader.join();

    EXPECT_TRUE(outcomes[0].written);
    EXPECT_TRUE(outcomes[1].written);
    EXPECT_GT(reads.load(), 0);
    EXPECT_EQ(mixed.load(), 0);
    const std::string final = ReadWholeFile(dataFile_);
    EXPECT_TRUE(final == first || final == second);
    EXPECT_EQ(reports_->Counts(), (std::vector<int>{1, 1}));
    EXPECT_EQ(StrayFiles(), std::vector<std::string>{});
}

TEST_F(DataFileUpdateTest, TheStarterReturnsWhileItsWorkerDownloads)
{
    WriteWholeFile(dataFile_, kOldFile);
    const std::string fresh = BuildDataFile("worker.bmp", 5000);
    ScriptedServer server(Script().Pause(600ms).Send(HttpResponse(fresh)));
    setenv("SKYVANE_HOST", server.HostVariable().c_str(), 1);

    const auto start = Clock::now();
    StartDataFileDownload();
    const auto elapsed = Clock::now() - start;
    EXPECT_GE(elapsed, 100ms);
    EXPECT_LT(elapsed, 500ms);
    EXPECT_EQ(ReadWholeFile(dataFile_), kOldFile);

    ASSERT_TRUE(reports_->WaitFor(1, 10s));
    EXPECT_EQ(ReadWholeFile(dataFile_), fresh);
    EXPECT_EQ(server.Requests().at(0).rfind("GET /system/datafile/datas142U.bin HTTP/1.1\r\n", 0), 0u);
}

TEST_F(DataFileUpdateTest, AMissingFileAtStartUpFetchesOneThroughTheInstalledHook)
{
    const std::string fresh = BuildDataFile("hooked.bmp", 5000);
    ScriptedServer server(Script().Send(HttpResponse(fresh)));
    setenv("SKYVANE_HOST", server.HostVariable().c_str(), 1);
    InstallOnlineHooks();
    // The hooks also installed the real click report; record it instead.
    RecordClickReports();

    skydata::SkyDataStore store;
    bool fileRead = true;
    skydata::LoadDataFileAtStartup(fileRead, dataFile_, store);
    EXPECT_FALSE(fileRead);
    ASSERT_TRUE(reports_->WaitFor(1, 10s));
    EXPECT_EQ(ReadWholeFile(dataFile_), fresh);
    EXPECT_EQ(skydata::CurrentSkyData()->introPictureName, "hooked.bmp");
}

TEST_F(DataFileUpdateTest, APeerThatNeverAnswersCostsTheHeaderLineTimeout)
{
    // The data file's own timeouts: 2 seconds for a header line.
    WriteWholeFile(dataFile_, kOldFile);
    ScriptedServer server(Script().HoldOpen(10s));
    const auto start = Clock::now();
    const DataFileDownloadOutcome outcome = Download(server, kDataFileTimeouts);
    const auto elapsed = Clock::now() - start;
    EXPECT_FALSE(outcome.written);
    EXPECT_GE(elapsed, 1950ms);
    EXPECT_LT(elapsed, 3500ms);
    EXPECT_EQ(ReadWholeFile(dataFile_), kOldFile);
}

class DataFileStartupPolicyTest : public DataFileUpdateTest {
protected:
    static void Saved(int datasaved, const std::string& next)
    {
        platform::WriteProfileInt("Location", "datasaved", datasaved);
        platform::WriteProfileString("Installed", "NBFD", next);
    }
    static std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second)
    {
        std::tm local{};
        local.tm_year = year - 1900;
        local.tm_mon = month - 1;
        local.tm_mday = day;
        local.tm_hour = hour;
        local.tm_min = minute;
        local.tm_sec = second;
        local.tm_isdst = -1;
        return std::mktime(&local);
    }
};

TEST_F(DataFileStartupPolicyTest, NextDownloadTimeIsWrittenInTheStoredForm)
{
    EXPECT_EQ(FormatNextDownloadTime(LocalTime(2024, 3, 5, 7, 8, 9)), "2024-03-05 07:08:09");
    EXPECT_EQ(FormatNextDownloadTime(LocalTime(2009, 12, 31, 23, 59, 59)), "2009-12-31 23:59:59");
}

TEST_F(DataFileStartupPolicyTest, DueOnlyWhenNowIsStrictlyLaterThanTheStoredTime)
{
    const std::time_t now = LocalTime(2024, 6, 1, 12, 0, 0);
    Saved(1, "2024-06-01 12:00:00");
    EXPECT_FALSE(DataFileDownloadDue(now));
    Saved(1, "2024-06-01 11:59:59");
    EXPECT_TRUE(DataFileDownloadDue(now));
    Saved(1, "2024-06-02 02:00:00");
    EXPECT_FALSE(DataFileDownloadDue(now));
    Saved(1, "2023-12-31 23:00:00");
    EXPECT_TRUE(DataFileDownloadDue(now));
}

TEST_F(DataFileStartupPolicyTest, DueWhenTheStoredTimeIsNotNineteenCharactersLong)
{
    const std::time_t now = LocalTime(2024, 6, 1, 12, 0, 0);
    for (const std::string next : {"", "2099-06-01 12:00", "2099-06-01 12:00:0", "2099-06-01 12:00:000"}) {
        Saved(1, next);
        EXPECT_TRUE(DataFileDownloadDue(now)) << '"' << next << '"';
    }
}

TEST_F(DataFileStartupPolicyTest, DueWhileNoLocationHasBeenSavedWhateverTheStoredTime)
{
    const std::time_t now = LocalTime(2024, 6, 1, 12, 0, 0);
    Saved(0, "2099-06-01 12:00:00");
    EXPECT_TRUE(DataFileDownloadDue(now));
    platform::WriteProfileInt("Location", "datasaved", 1);
    EXPECT_FALSE(DataFileDownloadDue(now));
}

TEST_F(DataFileStartupPolicyTest, AfterADownloadTheNextStartUpWaits)
{
    platform::WriteProfileInt("Location", "datasaved", 1);
    ScriptedServer server(Script().Send(HttpResponse(std::string(100, 'e'))));
    Download(server);
    const std::time_t now = std::time(nullptr);
    EXPECT_FALSE(DataFileDownloadDue(now));
    EXPECT_FALSE(DataFileDownloadDue(now + 14 * 3600 - 5));
    EXPECT_TRUE(DataFileDownloadDue(now + 14 * 3600 + 5));
}

TEST_F(DataFileStartupPolicyTest, StartsADownloadOnlyWhenDue)
{
    ScriptedServer server(Script().Send(HttpResponse(std::string(100, 'e'))));
    setenv("SKYVANE_HOST", server.HostVariable().c_str(), 1);
    Saved(1, FormatNextDownloadTime(std::time(nullptr) + 3600));
    DataFileStartupPolicy();
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(server.Accepted(), 0);

    Saved(1, FormatNextDownloadTime(std::time(nullptr) - 1));
    DataFileStartupPolicy();
    ASSERT_TRUE(reports_->WaitFor(1, 10s));
    EXPECT_EQ(server.Accepted(), 1);
}

}  // namespace
}  // namespace skyvane::online
