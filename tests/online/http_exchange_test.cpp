#include "online/http_exchange.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "online_test_support.h"

namespace skyvane::online {
namespace {

using namespace testing;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr HttpTimeouts kShortTimeouts{1, 1, 1};
const std::string kRequest = "GET /probe HTTP/1.1\r\nAccept: */*\r\nHost: 127.0.0.1\r\n\r\n";

HostAddress Loopback(int port) { return {"127.0.0.1", port}; }

struct Exchange {
    HttpExchangeResult result;
    std::string body;
    Clock::duration elapsed;
    std::vector<std::string> requests;
};

Exchange RunExchange(Script script, int capacity = 10000, HttpTimeouts timeouts = kShortTimeouts)
{
    ScriptedServer server(std::move(script));
    Exchange exchange;
    std::string buffer(capacity, '#');
    const auto start = Clock::now();
    exchange.result = HttpExchange(Loopback(server.Port()), kRequest, timeouts, buffer.data(), capacity);
    exchange.elapsed = Clock::now() - start;
    exchange.body = buffer.substr(0, exchange.result.received);
    server.WaitForFinished(1, 2s);
    exchange.requests = server.Requests();
    return exchange;
}

TEST(HttpExchangeTest, SendsTheRequestAndReadsTheAnnouncedBody)
{
    const Exchange exchange = RunExchange(Script().Send(HttpResponse("hello, sky")));
    ASSERT_EQ(exchange.requests.size(), 1u);
    EXPECT_EQ(exchange.requests[0], kRequest);
    EXPECT_EQ(exchange.result.announcedLength, 10);
    EXPECT_EQ(exchange.result.received, 10);
    EXPECT_EQ(exchange.body, "hello, sky");
    EXPECT_EQ(exchange.result.failure, "");
}

TEST(HttpExchangeTest, StatusLineAndOtherFieldsAreNotLookedAt)
{
    const Exchange exchange = RunExchange(Script().Send(HttpResponse("gone", "HTTP/1.1 404 Not Found")));
    EXPECT_EQ(exchange.body, "gone");
}

TEST(HttpExchangeTest, LengthHeaderIsReadExactlyAsSpelled)
{
    struct Case {
        std::string header;
        int length;
    };
    const std::vector<Case> cases{
        {"Content-Length: 12\r\n", 12},
        {"Content-Length:  12\r\n", 12},   // extra blanks are skipped
        {"Content-Length:12\r\n", 2},      // no blank: the first digit is lost
        {"content-length: 12\r\n", 0},     // other spellings are not the header
        {"Content-length: 12\r\n", 0},
        {"CONTENT-LENGTH: 12\r\n", 0},
        {"Content-Length: 7\r\nContent-Length: 12\r\n", 12},  // the last one counts
        {"Content-Length: 12abc\r\n", 12},
        {"X-Content-Length: 12\r\n", 0},
        {"Content-Length: \r\n", 0},
    };
    const std::string body = "0123456789ABCDEF";
    for (const Case& c : cases) {
        const Exchange exchange = RunExchange(Script().Send("HTTP/1.1 200 OK\r\n" + c.header + "\r\n" + body));
        EXPECT_EQ(exchange.result.announcedLength, c.length) << c.header;
        EXPECT_EQ(exchange.body, body.substr(0, c.length)) << c.header;
    }
}

TEST(HttpExchangeTest, WithoutALengthTheBodyIsEmpty)
{
    const Exchange exchange = RunExchange(Script().Send("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\nunread body"));
    EXPECT_EQ(exchange.result.announcedLength, 0);
    EXPECT_EQ(exchange.result.received, 0);
    EXPECT_EQ(exchange.result.failure, "");
}

TEST(HttpExchangeTest, ALongHeaderLineIsSkippedAndTheNextLineStillRead)
{
    const std::string cookie = "Set-Cookie: " + std::string(400, 'c') + "\r\n";
    const Exchange exchange = RunExchange(Script().Send("HTTP/1.1 200 OK\r\n" + cookie + "Content-Length: 3\r\n\r\nabc"));
    EXPECT_EQ(exchange.body, "abc");
}

TEST(HttpExchangeTest, AHeaderWithoutItsEmptyLineEndsWithWhatWasRead)
{
    // The peer closes after the header fields, before the empty line.
    const Exchange exchange = RunExchange(Script().Send("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n"));
    EXPECT_EQ(exchange.result.announcedLength, 5);
    EXPECT_EQ(exchange.result.received, 0);
    EXPECT_EQ(exchange.result.failure, "ReadHeaderLine Fehler");
}

TEST(HttpExchangeTest, PeerClosingInTheHeaderBeforeTheLengthGivesNothing)
{
    const Exchange exchange = RunExchange(Script().Send("HTTP/1.1 200 OK\r\nServ"));
    EXPECT_EQ(exchange.result.announcedLength, 0);
    EXPECT_EQ(exchange.result.received, 0);
    EXPECT_EQ(exchange.result.failure, "ReadHeaderLine Fehler");
}

TEST(HttpExchangeTest, ABodyLargerThanTheBufferIsNotReadAtAll)
{
    // Nothing of the body is sent and the connection stays open: reading it
    // would wait for the body timeout.
    const Exchange exchange = RunExchange(Script().Send("HTTP/1.1 200 OK\r\nContent-Length: 101\r\n\r\n0123").HoldOpen(5s), 100);
    EXPECT_EQ(exchange.result.announcedLength, 101);
    EXPECT_EQ(exchange.result.received, 0);
    EXPECT_LT(exchange.elapsed, 900ms);
}

TEST(HttpExchangeTest, ABodyThatStopsIsReportedAsFarAsItCame)
{
    const Exchange closed = RunExchange(Script().Send("HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\n").Send(std::string(20, 'b')));
    EXPECT_EQ(closed.result.announcedLength, 50);
    EXPECT_EQ(closed.result.received, 20);
    EXPECT_EQ(closed.result.failure, "");

    const Exchange stalled =
        RunExchange(Script().Send("HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\n").Send(std::string(20, 'b')).HoldOpen(5s));
    EXPECT_EQ(stalled.result.received, 20);
    EXPECT_EQ(stalled.result.failure, "Receive timeout Fehler");
    EXPECT_GE(stalled.elapsed, 950ms);
    EXPECT_LT(stalled.elapsed, 2500ms);
}

TEST(HttpExchangeTest, AClosedPortEndsAtOnceWithNothing)
{
    std::string buffer(16, '#');
    const auto start = Clock::now();
    const HttpExchangeResult result = HttpExchange(Loopback(ClosedPort()), kRequest, kShortTimeouts, buffer.data(), 16);
    EXPECT_LT(Clock::now() - start, 500ms);
    EXPECT_EQ(result.announcedLength, 0);
    EXPECT_EQ(result.received, 0);
    EXPECT_EQ(result.failure, "Connect Fehler #" + std::to_string(kConnectionRefused));
    EXPECT_EQ(buffer, std::string(16, '#'));
}

TEST(HttpExchangeTest, APeerThatNeverAnswersIsBoundedByTheHeaderTimeout)
{
    // The version check's table: 2 seconds for each header line.
    const Exchange exchange = RunExchange(Script().HoldOpen(10s), 100, kVersionCheckTimeouts);
    EXPECT_EQ(exchange.result.announcedLength, 0);
    EXPECT_EQ(exchange.result.failure, "Receive timeout Fehler");
    EXPECT_GE(exchange.elapsed, 1950ms);
    EXPECT_LT(exchange.elapsed, 3500ms);
}

// Each wait for a byte has its timeout, but a host that sends one byte just
// before each wait ends must not hold the exchange: a header line, the
// header and the body each have an overall limit.
TEST(HttpExchangeLimitsTest, TheBodyLimitGrowsWithTheAnnouncedLength)
{
    EXPECT_EQ(BodyTimeLimit(kDataFileTimeouts, 0), 60s);
    EXPECT_EQ(BodyTimeLimit(kDataFileTimeouts, 16383), 60s);
    EXPECT_EQ(BodyTimeLimit(kDataFileTimeouts, 16384), 61s);
    EXPECT_EQ(BodyTimeLimit(kDataFileTimeouts, 4'000'000), 60s + 244s);
    EXPECT_EQ(BodyTimeLimit(kDataFileTimeouts, -5), 60s);
    EXPECT_EQ(BodyTimeLimit(kVersionCheckTimeouts, 200), 2s);
    EXPECT_EQ(BodyTimeLimit(kVersionCheckTimeouts, 65536), 6s);
    EXPECT_EQ(kDataFileTimeouts.lineLimit, 2s);
    EXPECT_EQ(kVersionCheckTimeouts.lineLimit, 2s);
}

TEST(HttpExchangeLimitsTest, AHeaderLineThatTricklesInEndsAtTheLineLimit)
{
    const HttpTimeouts timeouts{1, 1, 1, 400ms, 5s, 1s, 16384};
    // Two bytes every 100 ms: every wait is short, the status line is not.
    const Exchange exchange =
        RunExchange(Script().SendInPieces("HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nabc", 40, 100ms), 100, timeouts);
    EXPECT_EQ(exchange.result.failure, "Receive timeout Fehler");
    EXPECT_EQ(exchange.result.received, 0);
    EXPECT_GE(exchange.elapsed, 350ms);
    EXPECT_LT(exchange.elapsed, 1000ms);
}

TEST(HttpExchangeLimitsTest, AHeaderOfEndlessQuickLinesEndsAtTheHeaderLimit)
{
    const HttpTimeouts timeouts{1, 1, 1, 1s, 600ms, 1s, 16384};
    std::string header = "HTTP/1.1 200 OK\r\n";
    for (int i = 0; i < 40; ++i) header += "X-Line: " + std::to_string(i) + "\r\n";
    const Exchange exchange =
        RunExchange(Script().SendInPieces(header + "Content-Length: 3\r\n\r\nabc", 41, 50ms), 100, timeouts);
    EXPECT_EQ(exchange.result.failure, "Receive timeout Fehler");
    EXPECT_GE(exchange.elapsed, 550ms);
    EXPECT_LT(exchange.elapsed, 1500ms);
}

TEST(HttpExchangeLimitsTest, ABodyGetsItsBaseAndASecondPerAnnouncedBlock)
{
    const std::string body(20000, 'b');
    // 20000 bytes in ten pieces 100 ms apart: about a second in all.
    const Script trickle = Script().Send("HTTP/1.1 200 OK\r\nContent-Length: 20000\r\n\r\n").SendInPieces(body, 10, 100ms);

    // 300 ms and nothing for the length: the body is cut off.
    const Exchange cut = RunExchange(trickle, 30000, {1, 1, 1, 1s, 5s, 300ms, 1 << 30});
    EXPECT_EQ(cut.result.failure, "Receive timeout Fehler");
    EXPECT_GT(cut.result.received, 0);
    EXPECT_LT(cut.result.received, 20000);
    EXPECT_LT(cut.elapsed, 800ms);

    // 300 ms and a second per 4096 bytes (4 s): the slow body arrives whole.
    const Exchange whole = RunExchange(trickle, 30000, {1, 1, 1, 1s, 5s, 300ms, 4096});
    EXPECT_EQ(whole.result.failure, "");
    EXPECT_EQ(whole.body, body);
}

class VendorHostAddressTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* value = std::getenv("SKYVANE_HOST")) saved_ = value;
    }
    void TearDown() override
    {
        if (saved_)
            SetVariable("SKYVANE_HOST", saved_->c_str());
        else
            UnsetVariable("SKYVANE_HOST");
    }
    static HostAddress With(const char* value)
    {
        SetVariable("SKYVANE_HOST", value);
        return VendorHost();
    }

    std::optional<std::string> saved_;
};

TEST_F(VendorHostAddressTest, DefaultIsAReservedNameOnPort80)
{
    UnsetVariable("SKYVANE_HOST");
    EXPECT_EQ(VendorHost().name, "skyvane.invalid");
    EXPECT_EQ(VendorHost().port, 80);
    EXPECT_EQ(With("").name, "skyvane.invalid");
}

TEST_F(VendorHostAddressTest, EnvironmentGivesHostAndOptionalPort)
{
    EXPECT_EQ(With("127.0.0.1:8080").name, "127.0.0.1");
    EXPECT_EQ(With("127.0.0.1:8080").port, 8080);
    EXPECT_EQ(With("vendor.example").name, "vendor.example");
    EXPECT_EQ(With("vendor.example").port, 80);
    EXPECT_EQ(With("localhost:65535").port, 65535);
}

TEST_F(VendorHostAddressTest, AValueThatCannotBeReadIsIgnoredAsAWhole)
{
    for (const char* value : {"127.0.0.1:", ":8080", "127.0.0.1:http", "127.0.0.1:0", "127.0.0.1:65536",
                              "127.0.0.1:8080x", "127.0.0.1:-80", "::1:8080"}) {
        const HostAddress host = With(value);
        EXPECT_EQ(host.name, "skyvane.invalid") << value;
        EXPECT_EQ(host.port, 80) << value;
    }
}

}  // namespace
}  // namespace skyvane::online
