#include "online/blocking_socket.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>

#ifdef _WIN32
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace skyvane::online {
namespace {

constexpr int kListenBacklog = 5;

// The few calls in which Winsock and POSIX sockets differ.
#ifdef _WIN32
using SockLen = int;
constexpr int kTimedOut = WSAETIMEDOUT;
constexpr int kNotASocket = WSAENOTSOCK;
constexpr int kCloseOnExec = 0;
int LastSocketError() { return WSAGetLastError(); }
bool WasInterrupted(int error) { return error == WSAEINTR; }
bool ConnectPending(int error) { return error == WSAEWOULDBLOCK; }
int CloseSocket(SocketHandle handle) { return closesocket(handle); }
int PollOne(pollfd& entry, int milliseconds) { return WSAPoll(&entry, 1, milliseconds); }
bool SetNonBlocking(SocketHandle handle, bool on)
{
    u_long mode = on ? 1 : 0;
    return ioctlsocket(handle, FIONBIO, &mode) == 0;
}
int SendOnce(SocketHandle handle, const char* data, int length) { return send(handle, data, length, 0); }
int ReceiveOnce(SocketHandle handle, char* buffer, int size) { return recv(handle, buffer, size, 0); }
#else
using SockLen = socklen_t;
constexpr int kTimedOut = ETIMEDOUT;
constexpr int kNotASocket = EBADF;
// Sockets must not leak into the browser the program starts.
#ifdef SOCK_CLOEXEC
constexpr int kCloseOnExec = SOCK_CLOEXEC;
#else
constexpr int kCloseOnExec = 0;
#endif
int LastSocketError() { return errno; }
bool WasInterrupted(int error) { return error == EINTR; }
bool ConnectPending(int error) { return error == EINPROGRESS || error == EINTR; }
int CloseSocket(SocketHandle handle) { return ::close(handle); }
int PollOne(pollfd& entry, int milliseconds) { return ::poll(&entry, 1, milliseconds); }
bool SetNonBlocking(SocketHandle handle, bool on)
{
    const int flags = ::fcntl(handle, F_GETFL, 0);
    if (flags < 0) return false;
    return ::fcntl(handle, F_SETFL, on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK)) == 0;
}
// A peer that has gone away must cost us an error code, not the process
// (SIGPIPE would end the program).
#ifdef MSG_NOSIGNAL
constexpr int kSendFlags = MSG_NOSIGNAL;
#else
constexpr int kSendFlags = 0;
#endif
int SendOnce(SocketHandle handle, const char* data, int length)
{
    return static_cast<int>(::send(handle, data, static_cast<size_t>(length), kSendFlags));
}
int ReceiveOnce(SocketHandle handle, char* buffer, int size)
{
    return static_cast<int>(::recv(handle, buffer, static_cast<size_t>(size), 0));
}
#endif

enum class Readiness { Ready, TimedOut, Failed };

// Waits until `handle` is ready for `events`, at most `milliseconds`
// (negative: without limit). Signals do not shorten or lengthen the wait.
Readiness WaitFor(SocketHandle handle, short events, int milliseconds)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(milliseconds, 0));
    for (;;) {
        int remaining = -1;
        if (milliseconds >= 0) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            remaining = static_cast<int>(std::max<long long>(left.count(), 0));
        }
        pollfd entry{};
        entry.fd = handle;
        entry.events = events;
        const int result = PollOne(entry, remaining);
        if (result > 0) return Readiness::Ready;
        if (result == 0) return Readiness::TimedOut;
        if (!WasInterrupted(LastSocketError())) return Readiness::Failed;
    }
}

int Milliseconds(int seconds) { return std::max(seconds, 0) * 1000; }

// The wait for one receive: its own timeout, cut short by the deadline;
// nothing when the deadline has passed, even if bytes are waiting.
std::optional<int> WaitMilliseconds(int timeoutSeconds, Deadline deadline)
{
    const int timeout = Milliseconds(timeoutSeconds);
    if (deadline == kNoDeadline) return timeout;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return std::nullopt;
    return static_cast<int>(std::min<long long>(left.count(), timeout));
}

}  // namespace

CBlockingSocketException::CBlockingSocketException(std::string message)
    : CBlockingSocketException(std::move(message), LastSocketError())
{
}

CBlockingSocketException::CBlockingSocketException(std::string message, int errorCode)
    : message_(std::move(message)), errorCode_(errorCode)
{
}

bool CBlockingSocketException::GetErrorMessage(char* buffer, int size) const
{
    if (buffer == nullptr || size <= 0) return true;
    if (errorCode_ != 0)
        std::snprintf(buffer, static_cast<size_t>(size), "%s Fehler #%d", message_.c_str(), errorCode_);
    else
        std::snprintf(buffer, static_cast<size_t>(size), "%s Fehler", message_.c_str());
    return true;
}

std::string CBlockingSocketException::ErrorMessage() const
{
    if (errorCode_ != 0) return message_ + " Fehler #" + std::to_string(errorCode_);
    return message_ + " Fehler";
}

CBlockingSocket::~CBlockingSocket()
{
    if (IsOpen()) CloseSocket(handle_);
}

void CBlockingSocket::Create(int type)
{
    if (IsOpen()) Close();
    const SocketHandle handle = ::socket(AF_INET, type | kCloseOnExec, 0);
    if (handle == kNoSocket) throw CBlockingSocketException("Create");
    handle_ = handle;
}

void CBlockingSocket::Bind(const SocketAddress& address)
{
    if (::bind(handle_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        throw CBlockingSocketException("Bind");
}

void CBlockingSocket::Listen()
{
    if (::listen(handle_, kListenBacklog) != 0) throw CBlockingSocketException("Listen");
}

bool CBlockingSocket::Accept(CBlockingSocket& connection, SocketAddress& peer)
{
    SockLen length = sizeof peer;
    const SocketHandle handle = ::accept(handle_, reinterpret_cast<sockaddr*>(&peer), &length);
    if (handle == kNoSocket) {
        if (WasInterrupted(LastSocketError())) return false;
        throw CBlockingSocketException("Accept");
    }
    if (connection.IsOpen()) CloseSocket(connection.handle_);
    connection.handle_ = handle;
    return true;
}

void CBlockingSocket::Close()
{
    if (!IsOpen()) return;
    // The handle is gone whatever close says; never close it twice.
    const SocketHandle handle = std::exchange(handle_, kNoSocket);
    if (CloseSocket(handle) != 0) throw CBlockingSocketException("Close");
}

void CBlockingSocket::Connect(const SocketAddress& address, int timeoutSeconds)
{
    // Connecting without blocking lets the wait have a limit; the socket is
    // blocking again afterwards.
    if (!SetNonBlocking(handle_, true)) throw CBlockingSocketException("Connect");
    if (::connect(handle_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int error = LastSocketError();
        if (!ConnectPending(error)) throw CBlockingSocketException("Connect", error);
        const int limit = timeoutSeconds > 0 ? Milliseconds(timeoutSeconds) : -1;
        switch (WaitFor(handle_, POLLOUT, limit)) {
        case Readiness::Ready: break;
        case Readiness::TimedOut: throw CBlockingSocketException("Connect", kTimedOut);
        case Readiness::Failed: throw CBlockingSocketException("Connect");
        }
        int pending = 0;
        SockLen length = sizeof pending;
        if (::getsockopt(handle_, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&pending), &length) != 0)
            throw CBlockingSocketException("Connect");
        if (pending != 0) throw CBlockingSocketException("Connect", pending);
    }
    if (!SetNonBlocking(handle_, false)) throw CBlockingSocketException("Connect");
}

int CBlockingSocket::Send(const char* data, int length, int timeoutSeconds)
{
    // Waiting on no socket would only end in a timeout.
    if (!IsOpen()) throw CBlockingSocketException("Send", kNotASocket);
    switch (WaitFor(handle_, POLLOUT, Milliseconds(timeoutSeconds))) {
    case Readiness::Ready: break;
    case Readiness::TimedOut: throw CBlockingSocketException("Send timeout", 0);
    case Readiness::Failed: throw CBlockingSocketException("Send");
    }
    for (;;) {
        const int sent = SendOnce(handle_, data, length);
        if (sent >= 0) return sent;
        if (!WasInterrupted(LastSocketError())) throw CBlockingSocketException("Send");
    }
}

int CBlockingSocket::Write(const char* data, int length, int timeoutSeconds)
{
    int sent = 0;
    while (sent < length) sent += Send(data + sent, length - sent, timeoutSeconds);
    return length;
}

int CBlockingSocket::Receive(char* buffer, int size, int timeoutSeconds, Deadline deadline)
{
    if (!IsOpen()) throw CBlockingSocketException("Receive", kNotASocket);
    const std::optional<int> wait = WaitMilliseconds(timeoutSeconds, deadline);
    if (!wait) throw CBlockingSocketException("Receive timeout", 0);
    switch (WaitFor(handle_, POLLIN, *wait)) {
    case Readiness::Ready: break;
    case Readiness::TimedOut: throw CBlockingSocketException("Receive timeout", 0);
    case Readiness::Failed: throw CBlockingSocketException("Receive");
    }
    for (;;) {
        const int received = ReceiveOnce(handle_, buffer, size);
        if (received >= 0) return received;
        if (!WasInterrupted(LastSocketError())) throw CBlockingSocketException("Receive");
    }
}

void CBlockingSocket::Attach(SocketHandle handle)
{
    if (IsOpen()) CloseSocket(handle_);
    handle_ = handle;
}

void CBlockingSocket::GetPeerName(SocketAddress& address) const
{
    SockLen length = sizeof address;
    if (::getpeername(handle_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw CBlockingSocketException("GetPeerName");
}

void CBlockingSocket::GetSockName(SocketAddress& address) const
{
    SockLen length = sizeof address;
    if (::getsockname(handle_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw CBlockingSocketException("GetSockName");
}

SocketAddress CBlockingSocket::GetHostByName(const std::string& name, int port)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int result = ::getaddrinfo(name.c_str(), nullptr, &hints, &found);
    if (result != 0 || found == nullptr) {
#ifdef EAI_SYSTEM
        const int code = result == EAI_SYSTEM ? LastSocketError() : result;
#else
        const int code = result;
#endif
        throw CBlockingSocketException("GetHostByName", code);
    }
    SocketAddress address{};
    std::memcpy(&address, found->ai_addr, std::min<std::size_t>(sizeof address, found->ai_addrlen));
    ::freeaddrinfo(found);
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<unsigned short>(port));
    return address;
}

std::string CBlockingSocket::GetHostByAddr(const SocketAddress& address)
{
    char name[NI_MAXHOST] = {};
    const int result = ::getnameinfo(reinterpret_cast<const sockaddr*>(&address), sizeof address, name,
                                     sizeof name, nullptr, 0, NI_NAMEREQD);
    if (result != 0) throw CBlockingSocketException("GetHostByAddr", result);
    return name;
}

CHttpBlockingSocket::CHttpBlockingSocket() : readBuffer_(std::make_unique<char[]>(kReadBufferBytes)) {}

CHttpBlockingSocket::~CHttpBlockingSocket() = default;

int CHttpBlockingSocket::ReadHttpHeaderLine(char* line, int maxLength, int timeoutSeconds, Deadline deadline)
{
    char* const buffer = readBuffer_.get();
    const char* lineFeed = static_cast<const char*>(std::memchr(buffer, '\n', static_cast<size_t>(buffered_)));
    while (lineFeed == nullptr) {
        // A full buffer without a line feed means a line longer than the
        // buffer; that is as hopeless as a peer that has closed.
        const int space = kReadBufferBytes - buffered_;
        if (space <= 0) throw CBlockingSocketException("ReadHeaderLine", 0);
        const int received = Receive(buffer + buffered_, space, timeoutSeconds, deadline);
        if (received <= 0) throw CBlockingSocketException("ReadHeaderLine", 0);
        lineFeed = static_cast<const char*>(std::memchr(buffer + buffered_, '\n', static_cast<size_t>(received)));
        buffered_ += received;
    }
    const int lineLength = static_cast<int>(lineFeed - buffer) + 1;
    const int copied = std::clamp(lineLength, 0, std::max(maxLength - 1, 0));
    if (maxLength > 0) {
        std::memcpy(line, buffer, static_cast<size_t>(copied));
        line[copied] = '\0';
    }
    // The whole line leaves the buffer, also the part too long to return.
    buffered_ -= lineLength;
    std::memmove(buffer, buffer + lineLength, static_cast<size_t>(buffered_));
    return copied;
}

int CHttpBlockingSocket::ReadHttpResponse(char* buffer, int length, int timeoutSeconds, int* stored,
                                          Deadline deadline)
{
    int count = 0;
    if (stored != nullptr) *stored = 0;
    if (length <= 0) return 0;

    // The start of the body usually came in with the last header lines.
    const int fromBuffer = std::min(buffered_, length);
    std::memcpy(buffer, readBuffer_.get(), static_cast<size_t>(fromBuffer));
    buffered_ -= fromBuffer;
    std::memmove(readBuffer_.get(), readBuffer_.get() + fromBuffer, static_cast<size_t>(buffered_));
    count = fromBuffer;
    if (stored != nullptr) *stored = count;

    while (count < length) {
        const int chunk = std::min(kReadBufferBytes, length - count);
        const int received = Receive(buffer + count, chunk, timeoutSeconds, deadline);
        if (received <= 0) break;
        count += received;
        if (stored != nullptr) *stored = count;
    }
    return count;
}

SocketLibraryScope::SocketLibraryScope()
{
#ifdef _WIN32
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);  // a failure shows as failing sockets
#endif
}

SocketLibraryScope::~SocketLibraryScope()
{
#ifdef _WIN32
    WSACleanup();
#endif
}

}  // namespace skyvane::online
