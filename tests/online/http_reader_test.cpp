// The response reader of CHttpBlockingSocket against a scripted peer.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>

#include "online/blocking_socket.h"
#include "online_test_support.h"

namespace skyvane::online {
namespace {

using namespace testing;
using Clock = std::chrono::steady_clock;

// A reader connected to a peer that plays `script` without waiting for a
// request.
struct Reader {
    ScriptedServer server;
    CHttpBlockingSocket socket;

    explicit Reader(Script script) : server({std::move(script)}, /*readRequest=*/false)
    {
        socket.Create();
        socket.Connect(CBlockingSocket::GetHostByName("127.0.0.1", server.Port()), 2);
    }

    std::string Line(int maxLength = 200, int timeout = 2)
    {
        char line[1100];
        std::memset(line, '#', sizeof line);
        const int count = socket.ReadHttpHeaderLine(line, maxLength, timeout);
        EXPECT_EQ(line[count], '\0');
        EXPECT_EQ(std::strlen(line), static_cast<std::size_t>(count));
        return std::string(line, count);
    }
};

std::string HeaderLineError(Reader& reader)
{
    try {
        reader.Line();
    } catch (const CBlockingSocketException& error) {
        return error.ErrorMessage();
    }
    return "no exception";
}

TEST(HttpHeaderLineTest, LinesComeOneByOneWithTheirLineFeeds)
{
    Reader reader(Script().Send("HTTP/1.1 200 OK\r\nServer: test\r\n\nX\r\n\r\n"));
    EXPECT_EQ(reader.Line(), "HTTP/1.1 200 OK\r\n");
    EXPECT_EQ(reader.Line(), "Server: test\r\n");
    EXPECT_EQ(reader.Line(), "\n");
    EXPECT_EQ(reader.Line(), "X\r\n");
    EXPECT_EQ(reader.Line(), "\r\n");
}

TEST(HttpHeaderLineTest, ALineArrivingInPiecesIsJoined)
{
    Reader reader(Script().SendInPieces("Content-Length: 3500\r\n", 5, 30ms).Send("Next\r\n"));
    EXPECT_EQ(reader.Line(), "Content-Length: 3500\r\n");
    EXPECT_EQ(reader.Line(), "Next\r\n");
}

TEST(HttpHeaderLineTest, ALongLineIsCutAndItsRestDropped)
{
    const std::string longLine = "X-Long: " + std::string(240, 'a') + "\r\n";  // 250 characters
    ASSERT_EQ(longLine.size(), 250u);
    Reader reader(Script().Send(longLine + "Next: 1\r\n"));
    EXPECT_EQ(reader.Line(200), longLine.substr(0, 199));
    EXPECT_EQ(reader.Line(200), "Next: 1\r\n");
}

TEST(HttpHeaderLineTest, ALineOfExactlyMaxLengthLessOneIsWhole)
{
    const std::string line = std::string(197, 'b') + "\r\n";  // 199 characters
    Reader reader(Script().Send(line + line + "c\r\n"));
    EXPECT_EQ(reader.Line(200), line);
    EXPECT_EQ(reader.Line(199), line.substr(0, 198));
    EXPECT_EQ(reader.Line(200), "c\r\n");
}

TEST(HttpHeaderLineTest, PeerClosingInTheMiddleOfALineFails)
{
    Reader reader(Script().Send("HTTP/1.1 200 OK\r\nContent-Len"));
    EXPECT_EQ(reader.Line(), "HTTP/1.1 200 OK\r\n");
    EXPECT_EQ(HeaderLineError(reader), "ReadHeaderLine Fehler");
}

TEST(HttpHeaderLineTest, ALineLongerThanTheReadBufferFailsAtOnce)
{
    // The peer stays connected, so only the full buffer can end the wait.
    Reader reader(Script().Send(std::string(1200, 'z')).HoldOpen(5s));
    const auto start = Clock::now();
    EXPECT_EQ(HeaderLineError(reader), "ReadHeaderLine Fehler");
    EXPECT_LT(Clock::now() - start, 1s);
}

TEST(HttpHeaderLineTest, APeerThatSaysNothingTimesOut)
{
    Reader reader(Script().Send("HTTP/1.1 200 OK\r\n").HoldOpen(5s));
    EXPECT_EQ(reader.Line(200, 1), "HTTP/1.1 200 OK\r\n");
    const auto start = Clock::now();
    try {
        reader.Line(200, 1);
        ADD_FAILURE() << "no timeout";
    } catch (const CBlockingSocketException& error) {
        EXPECT_EQ(error.ErrorMessage(), "Receive timeout Fehler");
    }
    EXPECT_GE(Clock::now() - start, 950ms);
}

TEST(HttpResponseTest, BodyStartsWithWhatCameAlongWithTheHeader)
{
    const std::string body = "0123456789" + std::string(2500, 'q') + "end";
    Reader reader(Script().Send("Content-Length: 2513\r\n\r\n" + body.substr(0, 40)).Pause(50ms).Send(body.substr(40)));
    EXPECT_EQ(reader.Line(), "Content-Length: 2513\r\n");
    EXPECT_EQ(reader.Line(), "\r\n");
    std::string received(body.size() + 8, '#');
    int stored = -1;
    EXPECT_EQ(reader.socket.ReadHttpResponse(received.data(), static_cast<int>(body.size()), 2, &stored),
              static_cast<int>(body.size()));
    EXPECT_EQ(stored, static_cast<int>(body.size()));
    EXPECT_EQ(received.substr(0, body.size()), body);
    EXPECT_EQ(received.substr(body.size()), std::string(8, '#'));
}

TEST(HttpResponseTest, NeverWritesBeyondTheLengthAskedFor)
{
    // More body came with the header than is asked for.
    Reader reader(Script().Send("\r\nabcdefghij"));
    EXPECT_EQ(reader.Line(), "\r\n");
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(reader.socket.ReadHttpResponse(buffer, 4, 2), 4);
    EXPECT_EQ(std::string(buffer, sizeof buffer), "abcd####");
    // The rest stays for the next read.
    EXPECT_EQ(reader.socket.ReadHttpResponse(buffer, 6, 2), 6);
    EXPECT_EQ(std::string(buffer, 6), "efghij");
}

TEST(HttpResponseTest, PeerClosingEarlyEndsTheBodyShort)
{
    Reader reader(Script().Send("\r\n12345").Pause(30ms).Send("678"));
    EXPECT_EQ(reader.Line(), "\r\n");
    char buffer[100];
    EXPECT_EQ(reader.socket.ReadHttpResponse(buffer, 100, 2), 8);
    EXPECT_EQ(std::string(buffer, 8), "12345678");
}

TEST(HttpResponseTest, StalledBodyTimesOutAndTheCountSoFarIsKnown)
{
    Reader reader(Script().Send("\r\n12345").HoldOpen(5s));
    EXPECT_EQ(reader.Line(), "\r\n");
    char buffer[100];
    int stored = -1;
    try {
        reader.socket.ReadHttpResponse(buffer, 100, 1, &stored);
        ADD_FAILURE() << "no timeout";
    } catch (const CBlockingSocketException& error) {
        EXPECT_EQ(error.ErrorMessage(), "Receive timeout Fehler");
    }
    EXPECT_EQ(stored, 5);
}

}  // namespace
}  // namespace skyvane::online
