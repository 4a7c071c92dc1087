#include "online/version_check.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "platform/profile_store.h"
#include "report_test_server.h"

namespace skyvane::online {
namespace {

using namespace std::chrono_literals;
using platform::GetProfileInt;
using platform::GetProfileString;
using platform::WriteProfileInt;
using platform::WriteProfileString;
using reporttest::Answer;
using reporttest::EndlessHeader;
using reporttest::NoAnswer;
using reporttest::ReportTestEnvironment;
using reporttest::ReportTestServer;

constexpr const char* kRecord = "abcdefdsmFaamahiaaiapA";
constexpr const char* kFarAway = "2030-01-01 00:00:00";

std::string LocalTimeText(std::time_t moment)
{
    std::tm local{};
    localtime_r(&moment, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

std::optional<std::time_t> ReadLocalTime(const std::string& text)
{
    std::tm local{};
    const char* end = strptime(text.c_str(), "%Y-%m-%d %H:%M:%S", &local);
    if (end == nullptr || *end != '\0') return std::nullopt;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

// "NextCheck" lies 22 hours after the check (a minute either way for slow
// machines).
void ExpectNextCheckInTwentyTwoHours()
{
    const std::string stored = GetProfileString("Update", "NextCheck");
    ASSERT_EQ(stored.size(), 19u) << stored;
    const auto due = ReadLocalTime(stored);
    ASSERT_TRUE(due) << stored;
    EXPECT_NEAR(static_cast<double>(*due - std::time(nullptr)), 22.0 * 3600, 60.0) << stored;
}

// The state a check starts from.
struct Before {
    std::string status;
    int campaign = 7;
};

void Prepare(const Before& before)
{
    WriteProfileString("Update", "Status", before.status);
    WriteProfileInt("Installed", "ABID", before.campaign);
    WriteProfileString("Installed", "NBFD", kFarAway);
    WriteProfileString("Installed", "Country", "XX");
}

// A page whose "</html>" starts at `pageEndAt`, with every marker before it.
std::string PageEndingAt(std::size_t pageEndAt)
{
    std::string page = "<html><body>Version:0142 Country=*CH Campain=*007";
    page += std::string(pageEndAt - page.size(), ' ');
    return page + "</html>";
}

struct AnswerCase {
    const char* name;
    std::string body;
    Before before;
    const char* status;  // "Update"/"Status" afterwards
    const char* country;
    int campaign;
    bool dataFileDueNow;  // "NBFD" emptied
    bool updateAvailable;
};

TEST(VersionCheckAnswer, ReadsVersionCountryAndCampaignFromTheHeadOfThePage)
{
    const AnswerCase cases[] = {
        {"newer version", "<html><body>Version:0142 Country=*CH Campain=*007</body></html>", {"", 7},
         "1", "CH", 7, false, true},
        {"same version, other campaign", "<html>Version:0141<br>Country=*DE<br>Campain=*012</html>", {"1", 7},
         "0", "DE", 12, true, false},
        {"older version", "<html>Version:0140 Country=*FR Campain=*007</html>", {"1", 7},
         "0", "FR", 7, false, false},
        {"version at position 0 keeps status 0", "Version:0150 Country=*CH Campain=*007</html>", {"0", 7},
         "0", "CH", 7, false, false},
        {"version at position 0 keeps status 1", "Version:0100 Country=*CH Campain=*007</html>", {"1", 7},
         "1", "CH", 7, false, true},
        {"campaign 000 is no campaign", "<html>Version:0141 Country=*CH Campain=*000</html>", {"0", 100},
         "0", "CH", 100, false, false},
        {"campaign 000 ends a campaign", "<html>Version:0141 Country=*CH Campain=*000</html>", {"0", 7},
         "0", "CH", 100, true, false},
        {"page without markers", "<html><body>Nothing to report</body></html>", {"0", 100},
         "0", "00", 100, false, false},
        {"no status yet counts as an update", "<html><body>Nothing to report</body></html>", {"", 100},
         "", "00", 100, false, true},
        {"page end closes at character 200", PageEndingAt(193), {"0", 100}, "1", "CH", 7, true, true},
        {"page end reaching past character 200", PageEndingAt(194), {"0", 7}, "0", "00", 100, true, false},
        {"no page end: only six characters count", "<html>Version:0142 Country=*CH Campain=*007", {"0", 7},
         "0", "00", 100, true, false},
        {"text after the page end is not read", "<html>Version:0142</html> Country=*CH Campain=*007", {"0", 100},
         "1", "00", 100, false, true},
    };
    for (const AnswerCase& c : cases) {
        SCOPED_TRACE(c.name);
        ReportTestServer server(Answer(c.body));
        ReportTestEnvironment environment(server.HostSetting());
        Prepare(c.before);

        StartVersionCheck("0141", kRecord, true);

        ASSERT_EQ(server.Requests().size(), 1u);
        EXPECT_EQ(GetProfileString("Update", "Status"), c.status);
        EXPECT_EQ(GetProfileString("Installed", "Country"), c.country);
        EXPECT_EQ(GetProfileInt("Installed", "ABID"), c.campaign);
        EXPECT_EQ(GetProfileString("Installed", "NBFD"), c.dataFileDueNow ? "" : kFarAway);
        EXPECT_EQ(GetProfileString("Installed", "Version"), "0141");
        EXPECT_EQ(UpdateAvailable(), c.updateAvailable);
        ExpectNextCheckInTwentyTwoHours();
    }
}

TEST(VersionCheckAnswer, NoAnswerMovesTheNextCheckOnAndForgetsCountryAndCampaign)
{
    // A peer that takes the request and hangs up, and a port nobody listens
    // on.
    int closedPort = 0;
    {
        ReportTestServer gone(NoAnswer());
        closedPort = gone.Port();
    }
    for (bool refused : {false, true}) {
        SCOPED_TRACE(refused ? "connection refused" : "closed without answer");
        std::optional<ReportTestServer> server;
        if (!refused) server.emplace(NoAnswer());
        ReportTestEnvironment environment(refused ? "127.0.0.1:" + std::to_string(closedPort)
                                                  : server->HostSetting());
        Prepare({"1", 7});
        WriteProfileString("Update", "NextCheck", "2001-01-01 00:00:00");

        StartVersionCheck("0141", kRecord, false);

        if (server) {
            EXPECT_EQ(server->Requests().size(), 1u);
        }
        EXPECT_EQ(GetProfileString("Update", "Status"), "1");
        EXPECT_EQ(GetProfileString("Installed", "Country"), "00");
        EXPECT_EQ(GetProfileInt("Installed", "ABID"), 100);
        EXPECT_EQ(GetProfileString("Installed", "NBFD"), "");
        EXPECT_EQ(GetProfileString("Installed", "Version"), "0141");
        EXPECT_TRUE(UpdateAvailable());
        ExpectNextCheckInTwentyTwoHours();
    }
}

struct AskCase {
    const char* name;
    std::optional<std::string> nextCheck;  // nothing: not stored
    std::optional<std::string> version;
    bool force;
    bool asks;
};

TEST(VersionCheckSchedule, AsksWhenDueForcedOrAfterAnUpgrade)
{
    const std::time_t now = std::time(nullptr);
    const std::string inAnHour = LocalTimeText(now + 3600);
    const std::string anHourAgo = LocalTimeText(now - 3600);
    const AskCase cases[] = {
        {"not due yet", inAnHour, "0141", false, false},
        {"not due yet, forced", inAnHour, "0141", true, true},
        {"never checked", std::nullopt, "0141", false, true},
        {"next check emptied", std::string(), "0141", false, true},
        {"due time passed", anHourAgo, "0141", false, true},
        {"older version ran last", inAnHour, "0140", false, true},
        {"no version ran yet", inAnHour, std::nullopt, false, true},
        {"newer version ran last", inAnHour, "0142", false, false},
        {"unreadable due time is not due", "2001-01-01 00:00", "0141", false, false},
    };
    for (const AskCase& c : cases) {
        SCOPED_TRACE(c.name);
        ReportTestServer server(Answer("<html>Version:0142 Country=*CH Campain=*007</html>"));
        ReportTestEnvironment environment(server.HostSetting());
        Prepare({"0", 100});
        if (c.nextCheck) WriteProfileString("Update", "NextCheck", *c.nextCheck);
        if (c.version) WriteProfileString("Installed", "Version", *c.version);

        StartVersionCheck("0141", kRecord, c.force);

        EXPECT_EQ(server.Requests().size(), c.asks ? 1u : 0u);
        EXPECT_EQ(GetProfileString("Installed", "Version"), "0141");
        if (c.asks) {
            EXPECT_EQ(GetProfileString("Update", "Status"), "1");
            EXPECT_EQ(GetProfileString("Installed", "Country"), "CH");
            EXPECT_TRUE(UpdateAvailable());
            ExpectNextCheckInTwentyTwoHours();
        } else {
            // Without asking, nothing of the answer's settings moves, and the
            // flag follows the stored status.
            EXPECT_EQ(GetProfileString("Update", "NextCheck"), c.nextCheck.value_or(""));
            EXPECT_EQ(GetProfileString("Installed", "Country"), "XX");
            EXPECT_EQ(GetProfileString("Installed", "NBFD"), kFarAway);
            EXPECT_FALSE(UpdateAvailable());
        }
    }
}

TEST(VersionCheckSchedule, WithoutAskingTheFlagFollowsTheStoredStatus)
{
    for (const char* status : {"1", "", "0"}) {
        SCOPED_TRACE(status);
        ReportTestServer server(Answer("<html>Version:0141</html>"));
        ReportTestEnvironment environment(server.HostSetting());
        Prepare({status, 100});
        WriteProfileString("Update", "NextCheck", LocalTimeText(std::time(nullptr) + 3600));
        WriteProfileString("Installed", "Version", "0141");

        StartVersionCheck("0141", kRecord, false);

        EXPECT_TRUE(server.Requests().empty());
        EXPECT_EQ(UpdateAvailable(), std::string(status) != "0");
    }
}

TEST(VersionCheckRequest, CarriesTheUsageRecordInTheRefererAddress)
{
    ReportTestServer server(Answer("<html>Version:0141</html>"));
    ReportTestEnvironment environment(server.HostSetting());

    StartVersionCheck("0141", kRecord, true);

    ASSERT_EQ(server.Requests().size(), 1u);
    const std::string host = server.HostSetting();
    EXPECT_EQ(server.Requests()[0],
              "GET /versioncheck/versioncheck.php HTTP/1.1\r\n"
              "Accept: */*\r\n"
              "Referer: http://" + host + "/abcdefdsmFaamahiaaiapA\r\n"
              "Accept-Language: en-us\r\n"
              "User-Agent: Starwick\r\n"
              "Host: " + host + "\r\n\r\n");
}

TEST(VersionCheckRequest, AStoredRecordCannotAddHeaderLines)
{
    // "Data" comes from the settings store, which anyone can edit.
    ReportTestServer server(Answer("<html>Version:0141</html>"));
    ReportTestEnvironment environment(server.HostSetting());

    StartVersionCheck("0141", "abcdef\r\nX-Injected: 1\r\n", true);

    ASSERT_EQ(server.Requests().size(), 1u);
    const std::string request = server.Requests()[0];
    EXPECT_EQ(request.find("\r\nX-Injected"), std::string::npos) << request;
    EXPECT_EQ(reporttest::HeaderValue(request, "Referer"),
              "http://" + server.HostSetting() + "/abcdefX-Injected: 1");
}

TEST(VersionCheckWait, GivesUpWaitingAfterEightSecondsAndLetsTheCheckFinishLater)
{
    auto server = std::make_unique<ReportTestServer>(EndlessHeader(500ms));
    ReportTestEnvironment environment(server->HostSetting());
    Prepare({"1", 7});
    WriteProfileString("Installed", "Version", "0100");

    const auto started = std::chrono::steady_clock::now();
    StartVersionCheck("0141", kRecord, false);
    const auto waited = std::chrono::steady_clock::now() - started;

    EXPECT_GE(waited, 7900ms);
    EXPECT_LT(waited, 9500ms);
    ASSERT_EQ(server->Requests().size(), 1u);
    // The check is still reading the endless answer: nothing is stored yet,
    // and while it runs no update is known.
    EXPECT_EQ(GetProfileString("Installed", "Version"), "0100");
    EXPECT_FALSE(UpdateAvailable());

    // Once the peer hangs up, the check ends as one without an answer.
    server.reset();
    for (int i = 0; i < 100 && !(UpdateAvailable() && GetProfileString("Installed", "Version") == "0141"); ++i)
        std::this_thread::sleep_for(50ms);
    EXPECT_EQ(GetProfileString("Installed", "Version"), "0141");
    EXPECT_EQ(GetProfileInt("Installed", "ABID"), 100);
    EXPECT_TRUE(UpdateAvailable());
}

}  // namespace
}  // namespace skyvane::online

namespace skyvane::online {
namespace {

// A host that sends a byte just often enough to satisfy each 2-second wait
// must not hold the check: each header line, and the body, have an overall
// limit.
TEST(VersionCheckWait, AHostThatDripsItsAnswerIsGivenUpAfterTheLineLimit)
{
    // A status line that never ends, and a 500-byte body that never ends.
    for (const std::string& atOnce : {std::string("HTTP/1.1 200 OK"),
                                     std::string("HTTP/1.1 200 OK\r\nContent-Length: 500\r\n\r\n<html>")}) {
        SCOPED_TRACE(atOnce);
        ReportTestServer server(reporttest::Drip(300ms, atOnce));
        ReportTestEnvironment environment(server.HostSetting());
        Prepare({"1", 7});

        const auto started = std::chrono::steady_clock::now();
        StartVersionCheck("0141", kRecord, true);
        const auto waited = std::chrono::steady_clock::now() - started;

        // The line limit (2 s) or the body limit (2 s and 1 s for a small
        // body) ends the check well before the caller stops waiting at 8 s.
        EXPECT_LT(waited, 7s);
        EXPECT_EQ(GetProfileString("Installed", "Version"), "0141");
        EXPECT_EQ(GetProfileInt("Installed", "ABID"), 100);  // no usable answer
    }
}

}  // namespace
}  // namespace skyvane::online
