#include "online/blocking_socket.h"

#ifndef _WIN32
#include <arpa/inet.h>
#endif
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "online_test_support.h"

namespace skyvane::online {
namespace {

using namespace testing;
using Clock = std::chrono::steady_clock;

// Runs `action`, expects a CBlockingSocketException and returns it.
template <class Action>
CBlockingSocketException Thrown(Action action)
{
    try {
        action();
    } catch (const CBlockingSocketException& error) {
        return error;
    }
    ADD_FAILURE() << "no CBlockingSocketException";
    return CBlockingSocketException("none", 0);
}

std::string Message(const CBlockingSocketException& error, int size = 200)
{
    char buffer[200];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_TRUE(error.GetErrorMessage(buffer, size));
    return buffer;
}

SocketAddress LoopbackAddress(int port) { return CBlockingSocket::GetHostByName("127.0.0.1", port); }

TEST(SocketExceptionTest, MessageNamesTheOperationAndTheErrorCodeWhenThereIsOne)
{
    EXPECT_EQ(Message(CBlockingSocketException("Connect", 111)), "Connect Fehler #111");
    EXPECT_EQ(Message(CBlockingSocketException("Receive timeout", 0)), "Receive timeout Fehler");
    EXPECT_EQ(Message(CBlockingSocketException("ReadHeaderLine", -3)), "ReadHeaderLine Fehler #-3");
    EXPECT_EQ(CBlockingSocketException("Send", 32).ErrorMessage(), "Send Fehler #32");
}

TEST(SocketExceptionTest, MessageIsCutToTheBufferLessOne)
{
    EXPECT_EQ(Message(CBlockingSocketException("Connect", 111), 8), "Connect");
    EXPECT_EQ(Message(CBlockingSocketException("Connect", 111), 1), "");
}

TEST(SocketExceptionTest, ErrorCodeIsTheSystemErrorAtConstruction)
{
    SetLastSocketError(kConnectionReset);
    const CBlockingSocketException error("Receive");
    SetLastSocketError(0);
    EXPECT_EQ(error.ErrorCode(), kConnectionReset);
    EXPECT_EQ(Message(error), "Receive Fehler #" + std::to_string(kConnectionReset));
}

TEST(BlockingSocketTest, NumericHostNameResolvesWithoutALookup)
{
    const SocketAddress address = CBlockingSocket::GetHostByName("127.0.0.1", 8080);
    EXPECT_EQ(address.sin_family, AF_INET);
    EXPECT_EQ(address.sin_port, htons(8080));
    EXPECT_EQ(address.sin_addr.s_addr, htonl(INADDR_LOOPBACK));
    EXPECT_EQ(sizeof address, 16u);
}

// Both ends of a connection made with the socket class itself.
struct ConnectedPair {
    CBlockingSocket listener;
    CBlockingSocket client;
    CBlockingSocket server;

    ConnectedPair()
    {
        listener.Create(kStreamSocket);
        listener.Bind(LoopbackAddress(0));
        listener.Listen();
        SocketAddress bound{};
        listener.GetSockName(bound);
        client.Create();
        client.Connect(bound, 2);
        SocketAddress peer{};
        EXPECT_TRUE(listener.Accept(server, peer));
        SocketAddress clientName{};
        client.GetSockName(clientName);
        EXPECT_EQ(peer.sin_port, clientName.sin_port);
        SocketAddress serverPeer{};
        server.GetPeerName(serverPeer);
        EXPECT_EQ(serverPeer.sin_port, clientName.sin_port);
    }
};

TEST(BlockingSocketTest, ServerAndClientOperationsCarryBytesBothWays)
{
    ConnectedPair pair;
    const std::string request = "GET / HTTP/1.1\r\n\r\n";
    EXPECT_EQ(pair.client.Write(request.data(), static_cast<int>(request.size()), 1),
              static_cast<int>(request.size()));
    std::string received;
    char buffer[64];
    while (received.size() < request.size()) {
        const int count = pair.server.Receive(buffer, sizeof buffer, 1);
        ASSERT_GT(count, 0);
        received.append(buffer, count);
    }
    EXPECT_EQ(received, request);
    EXPECT_EQ(pair.server.Send("ok", 2, 1), 2);
    EXPECT_EQ(pair.client.Receive(buffer, sizeof buffer, 1), 2);

    pair.server.Close();
    EXPECT_FALSE(pair.server.IsOpen());
    pair.server.Close();  // closing twice is harmless
    EXPECT_EQ(pair.client.Receive(buffer, sizeof buffer, 1), 0);  // peer closed
}

TEST(BlockingSocketTest, ReceiveGivesUpAfterItsTimeout)
{
    ConnectedPair pair;
    char buffer[16];
    const auto start = Clock::now();
    const CBlockingSocketException error = Thrown([&] { pair.client.Receive(buffer, sizeof buffer, 1); });
    const auto elapsed = Clock::now() - start;
    EXPECT_EQ(Message(error), "Receive timeout Fehler");
    EXPECT_GE(elapsed, std::chrono::milliseconds(950));
    EXPECT_LT(elapsed, std::chrono::milliseconds(2500));
}

TEST(BlockingSocketTest, SendGivesUpWhenThePeerStopsReading)
{
    ConnectedPair pair;
    // More than the two socket buffers hold; the peer never reads.
    const std::string block(1 << 20, 'x');
    const auto start = Clock::now();
    const CBlockingSocketException error = Thrown([&] {
        for (int i = 0; i < 256; ++i) pair.client.Write(block.data(), static_cast<int>(block.size()), 1);
    });
    EXPECT_EQ(Message(error), "Send timeout Fehler");
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
}

TEST(BlockingSocketTest, SendingToAClosedPeerIsAnErrorNotTheEndOfTheProgram)
{
    ConnectedPair pair;
    pair.server.Close();
    const std::string block(64 * 1024, 'x');
    // The first sends may still be taken; once the peer's reset is back,
    // sending fails with an error instead of a signal.
    const CBlockingSocketException error = Thrown([&] {
        for (int i = 0; i < 1000; ++i) {
            pair.client.Write(block.data(), static_cast<int>(block.size()), 1);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    EXPECT_EQ(error.Message(), "Send");
    EXPECT_TRUE(error.ErrorCode() == kBrokenPipe || error.ErrorCode() == kConnectionReset ||
                error.ErrorCode() == kConnectionAborted)
        << error.ErrorCode();
}

TEST(BlockingSocketTest, ConnectToAPortNobodyListensOnIsRefused)
{
    CBlockingSocket socket;
    socket.Create();
    const CBlockingSocketException error = Thrown([&] { socket.Connect(LoopbackAddress(ClosedPort()), 2); });
    EXPECT_EQ(Message(error), "Connect Fehler #" + std::to_string(kConnectionRefused));
}

TEST(BlockingSocketTest, OperationsOnAnUnopenedSocketFailWithTheirNames)
{
    CBlockingSocket socket;
    char buffer[4];
    SocketAddress address{};
    EXPECT_EQ(Thrown([&] { socket.Listen(); }).Message(), "Listen");
    EXPECT_EQ(Thrown([&] { socket.Bind(LoopbackAddress(0)); }).Message(), "Bind");
    EXPECT_EQ(Thrown([&] { socket.GetPeerName(address); }).Message(), "GetPeerName");
    EXPECT_EQ(Thrown([&] { socket.GetSockName(address); }).Message(), "GetSockName");
    EXPECT_EQ(Thrown([&] { socket.Receive(buffer, sizeof buffer, 1); }).Message(), "Receive");
    EXPECT_EQ(Thrown([&] { socket.Send(buffer, sizeof buffer, 1); }).Message(), "Send");
    EXPECT_EQ(Thrown([&] { socket.Create(12345); }).Message(), "Create");
}

}  // namespace
}  // namespace skyvane::online
