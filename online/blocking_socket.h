// Blocking TCP sockets with time limits, and the HTTP response reader on
// top of them. Used only on worker threads (and by the foreground
// `update-data` command); each thread owns its sockets.
//
// Every failure throws a CBlockingSocketException that names the failed
// operation ("Connect", "Receive timeout", ...). The HTTP exchange catches
// them all, so nothing of this reaches the user.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <netinet/in.h>
#endif

namespace skyvane::online {

#ifdef _WIN32
using SocketHandle = SOCKET;
inline const SocketHandle kNoSocket = INVALID_SOCKET;
#else
using SocketHandle = int;
inline constexpr SocketHandle kNoSocket = -1;
#endif

// IPv4 socket address (16 bytes).
using SocketAddress = sockaddr_in;

constexpr int kStreamSocket = 1;  // the type Create takes for TCP

// A moment after which a read gives up however steadily bytes arrive: a
// limit on each wait alone lets a peer that sends one byte just before
// each wait ends hold the reader for ever.
using Deadline = std::chrono::steady_clock::time_point;
inline constexpr Deadline kNoDeadline = Deadline::max();

class CBlockingSocketException {
public:
    // Takes the system's last socket error as the error code.
    explicit CBlockingSocketException(std::string message);
    // For failures that are not a system error (timeouts, protocol):
    // pass 0, and the message reads without a number.
    CBlockingSocketException(std::string message, int errorCode);

    // "<message> Fehler #<code>", or "<message> Fehler" when the code is 0;
    // at most size - 1 characters and a NUL go into `buffer`. Always true.
    bool GetErrorMessage(char* buffer, int size) const;
    std::string ErrorMessage() const;  // the same text, whole

    const std::string& Message() const { return message_; }
    int ErrorCode() const { return errorCode_; }

private:
    std::string message_;
    int errorCode_;
};

class CBlockingSocket {
public:
    CBlockingSocket() = default;
    virtual ~CBlockingSocket();  // closes an open socket, never throws
    CBlockingSocket(const CBlockingSocket&) = delete;
    CBlockingSocket& operator=(const CBlockingSocket&) = delete;

    void Create(int type = kStreamSocket);
    void Bind(const SocketAddress& address);
    void Listen();  // backlog of 5
    // Accepts a connection into `connection`. False, without throwing, when
    // the wait was interrupted by a signal.
    bool Accept(CBlockingSocket& connection, SocketAddress& peer);
    void Close();
    // Waits at most `timeoutSeconds` for the connection (0: as long as the
    // system does). A peer that never answers would otherwise hold a
    // worker, or the foreground command, for minutes.
    void Connect(const SocketAddress& address, int timeoutSeconds = 0);
    // One send once the socket is writable; the count sent.
    int Send(const char* data, int length, int timeoutSeconds);
    // Sends until all `length` bytes are out; returns `length`.
    int Write(const char* data, int length, int timeoutSeconds);
    // One receive once data is there; 0 when the peer has closed. The wait
    // ends after `timeoutSeconds` or at `deadline`, whichever comes first
    // ("Receive timeout").
    int Receive(char* buffer, int size, int timeoutSeconds, Deadline deadline = kNoDeadline);
    void GetPeerName(SocketAddress& address) const;
    void GetSockName(SocketAddress& address) const;

    // The first IPv4 address of `name`, with `port`.
    static SocketAddress GetHostByName(const std::string& name, int port);
    static std::string GetHostByAddr(const SocketAddress& address);

    SocketHandle Handle() const { return handle_; }
    // Takes over a connected socket made elsewhere (one end of a socket
    // pair in the fuzzer); a socket the object held before is closed.
    void Attach(SocketHandle handle);
    bool IsOpen() const { return handle_ != kNoSocket; }

private:
    SocketHandle handle_ = kNoSocket;
};

// Reads an HTTP response: header lines one at a time, then the body.
class CHttpBlockingSocket : public CBlockingSocket {
public:
    static constexpr int kReadBufferBytes = 1000;

    CHttpBlockingSocket();
    ~CHttpBlockingSocket() override;

    // The next line including its line feed, NUL-terminated; a line longer
    // than maxLength - 1 is cut there and its rest dropped. Throws
    // "ReadHeaderLine" when the peer closes before a line feed, or a line
    // outgrows the read buffer. Returns the count of characters copied.
    // The whole line must have come by `deadline`.
    int ReadHttpHeaderLine(char* line, int maxLength, int timeoutSeconds, Deadline deadline = kNoDeadline);

    // Up to `length` body bytes: first what came with the header, then
    // receives until `length` are stored or the peer closes. When
    // `stored` is given it follows the count as bytes arrive, so a caller
    // still knows how much came when a receive throws. The whole body
    // must have come by `deadline`.
    int ReadHttpResponse(char* buffer, int length, int timeoutSeconds, int* stored = nullptr,
                         Deadline deadline = kNoDeadline);

private:
    std::unique_ptr<char[]> readBuffer_;
    int buffered_ = 0;  // valid bytes at the start of readBuffer_
};

// Brackets the use of the platform's socket library on one thread (Winsock
// needs starting and ending; POSIX sockets need nothing).
class SocketLibraryScope {
public:
    SocketLibraryScope();
    ~SocketLibraryScope();
    SocketLibraryScope(const SocketLibraryScope&) = delete;
    SocketLibraryScope& operator=(const SocketLibraryScope&) = delete;
};

}  // namespace skyvane::online
