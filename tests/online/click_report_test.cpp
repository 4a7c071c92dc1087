#include "online/click_report.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "platform/profile_store.h"
#include "report_test_server.h"
#include "skydata/layout_script.h"

namespace skyvane::online {
namespace {

using namespace std::chrono_literals;
using reporttest::Answer;
using reporttest::HeaderValue;
using reporttest::ReportTestEnvironment;
using reporttest::ReportTestServer;
using reporttest::SlowAnswer;

// The report names the installation, then the code in three columns, then
// the count.
TEST(ClickReport, RefererIsIdCodeInThreeColumnsAndCount)
{
    const struct {
        int code;
        int count;
        const char* referer;
    } cases[] = {
        {997, 0, "abcdef9970"},
        {42, 1, "abcdef 421"},
        {7, 1, "abcdef  71"},
        {100, 1, "abcdef1001"},
        {1234, 0, "abcdef12340"},  // a wider code is not cut
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.referer);
        ReportTestServer server(Answer("OK"));
        ReportTestEnvironment environment(server.HostSetting());

        SendClickReport("abcdef", c.code, c.count);

        ASSERT_TRUE(server.WaitForRequests(1, 5s));
        EXPECT_EQ(HeaderValue(server.Requests()[0], "Referer"), c.referer);
    }
}

TEST(ClickReport, RequestGoesToTheClickCounter)
{
    ReportTestServer server(Answer("OK"));
    ReportTestEnvironment environment(server.HostSetting());

    SendClickReport("Xy@:09", 994, 0);

    ASSERT_TRUE(server.WaitForRequests(1, 5s));
    EXPECT_EQ(server.Requests()[0],
              "GET /versioncheck/clickcount.php HTTP/1.1\r\n"
              "Accept: */*\r\n"
              "Referer: Xy@:099940\r\n"
              "Accept-Language: en-us\r\n"
              "User-Agent: Starwick\r\n"
              "Host: " + server.HostSetting() + "\r\n\r\n");
}

TEST(ClickReport, DoesNotWaitForTheAnswer)
{
    ReportTestServer server(SlowAnswer(3s, "OK"));
    ReportTestEnvironment environment(server.HostSetting());

    const auto started = std::chrono::steady_clock::now();
    SendClickReport("abcdef", 995, 0);
    const auto took = std::chrono::steady_clock::now() - started;

    EXPECT_GE(took, 50ms);
    EXPECT_LT(took, 1500ms);
    EXPECT_TRUE(server.WaitForRequests(1, 5s));
}

TEST(ClickReport, AnIdFromTheSettingsCannotAddHeaderLines)
{
    ReportTestServer server(Answer("OK"));
    ReportTestEnvironment environment(server.HostSetting());

    SendClickReport("ab\r\nX-Injected: 1", 997, 0);

    ASSERT_TRUE(server.WaitForRequests(1, 5s));
    const std::string request = server.Requests()[0];
    EXPECT_EQ(request.find("\r\nX-Injected"), std::string::npos) << request;
    EXPECT_EQ(HeaderValue(request, "Referer"), "abX-Injected: 19970");
}

TEST(ClickReport, LayoutReaderReportsEachDownloadWithTheStoredIdAndCampaign)
{
    ReportTestServer server(Answer("OK"));
    ReportTestEnvironment environment(server.HostSetting());
    platform::WriteProfileString("Installed", "Data", "abcdefdsmFaamahiaaiapA");
    platform::WriteProfileInt("Installed", "ABID", 7);
    InstallClickReportHook();

    std::string introPicture;
    skydata::ParseLayoutScript("", skydata::kLayoutModeFileLoad, introPicture);
    skydata::ParseLayoutScript("", skydata::kLayoutModeAfterDownload, introPicture);

    ASSERT_TRUE(server.WaitForRequests(1, 5s));
    // Only the after-download reading reports; give a stray second report
    // time to arrive before counting.
    EXPECT_FALSE(server.WaitForRequests(2, 300ms));
    EXPECT_EQ(HeaderValue(server.Requests()[0], "Referer"), "abcdef  71");

    skydata::SetClickReportSender({});
}

}  // namespace
}  // namespace skyvane::online

namespace skyvane::online {
namespace {

TEST(ClickReport, AHostThatDripsItsAnswerIsLeftWithinTheLineLimit)
{
    // The server serves one connection at a time: the second report is
    // read only once the first worker has hung up.
    ReportTestServer server(reporttest::Drip(300ms, "HTTP/1.1 200 OK"));
    ReportTestEnvironment environment(server.HostSetting());

    const auto started = std::chrono::steady_clock::now();
    SendClickReport("abcdef", 995, 0);
    SendClickReport("abcdef", 996, 0);
    ASSERT_TRUE(server.WaitForRequests(2, 6s));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 4s);
}

}  // namespace
}  // namespace skyvane::online
