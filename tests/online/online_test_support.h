// Test helpers for the network code: a scripted HTTP peer on 127.0.0.1,
// response and data file builders, and a temporary settings and data
// folder. Nothing here talks to anything but loopback.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <cerrno>
#endif

namespace skyvane::online::testing {

// The socket error codes the tests expect, as each system numbers them.
#ifdef _WIN32
inline constexpr int kConnectionRefused = WSAECONNREFUSED;
inline constexpr int kConnectionReset = WSAECONNRESET;
inline constexpr int kConnectionAborted = WSAECONNABORTED;
inline constexpr int kBrokenPipe = WSAESHUTDOWN;
#else
inline constexpr int kConnectionRefused = ECONNREFUSED;
inline constexpr int kConnectionReset = ECONNRESET;
inline constexpr int kConnectionAborted = ECONNABORTED;
inline constexpr int kBrokenPipe = EPIPE;
#endif
// Makes `code` the error the next socket exception picks up.
void SetLastSocketError(int code);

// Sets or removes an environment variable. An empty value removes it on
// Windows and sets it empty on POSIX: both read back as "no value".
void SetVariable(const char* name, const char* value);
void UnsetVariable(const char* name);

using namespace std::chrono_literals;
using Milliseconds = std::chrono::milliseconds;

// What the server does on one connection, after it has read the request.
class Script {
public:
    struct Step {
        enum class Kind { Send, Pause, HoldOpen };
        Kind kind;
        std::string bytes;
        Milliseconds duration{0};
    };

    Script& Send(std::string bytes);
    // `bytes` in `pieces` parts with `pause` between them.
    Script& SendInPieces(const std::string& bytes, int pieces, Milliseconds pause);
    Script& Pause(Milliseconds duration);
    // Keeps the connection open, saying nothing, until the client closes
    // it or `limit` has passed.
    Script& HoldOpen(Milliseconds limit = 10s);

    const std::vector<Step>& Steps() const { return steps_; }

private:
    std::vector<Step> steps_;
};

// Listens on 127.0.0.1 on a port of the system's choosing and plays a
// script to each connection (connection i gets scripts[i], the last one
// for all further connections), each on its own thread. When the script
// ends the connection is closed. The server stops by itself after
// `lifetime` and is stopped and joined by its destructor.
class ScriptedServer {
public:
    explicit ScriptedServer(std::vector<Script> scripts, bool readRequest = true, Milliseconds lifetime = 30s);
    explicit ScriptedServer(Script script) : ScriptedServer(std::vector<Script>{std::move(script)}) {}
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    int Port() const { return port_; }
    std::string HostVariable() const;  // "127.0.0.1:<port>"

    int Accepted() const { return accepted_.load(); }
    // The request texts read so far, in the order the connections came.
    std::vector<std::string> Requests() const;
    // True once `count` connections have ended, false when `limit` passes.
    bool WaitForFinished(int count, Milliseconds limit = 15s);

private:
    void AcceptLoop(Milliseconds lifetime);
    void Serve(int connection, const Script& script);
    bool WaitStopped(Milliseconds duration);  // true when asked to stop
    bool SendAll(int connection, const std::string& bytes);

    std::vector<Script> scripts_;
    bool readRequest_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<int> accepted_{0};
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool stop_ = false;
    int finished_ = 0;
    std::vector<std::string> requests_;
    std::vector<std::thread> connections_;
    std::thread acceptor_;
};

// A loopback port nobody listens on (bound once, then released).
int ClosedPort();

// "HTTP/1.1 200 OK" (or `statusLine`) with a Content-Length and `body`.
std::string HttpResponse(const std::string& body, const std::string& statusLine = "HTTP/1.1 200 OK");

// A valid data file whose layout script names `introPictureName` as the
// intro picture, filled with `paddingBytes` bytes that do not compress, so
// the file is a little larger than that.
std::string BuildDataFile(const std::string& introPictureName, std::size_t paddingBytes, unsigned seed = 1);

std::string ReadWholeFile(const std::filesystem::path& path);
void WriteWholeFile(const std::filesystem::path& path, const std::string& bytes);

// A fresh folder under the system's temporary folder, removed with all it
// holds by the destructor.
class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// Seconds since the epoch of a "20yy-mm-dd hh:mm:ss" local time, or -1.
long long ParseLocalTime(const std::string& text);

}  // namespace skyvane::online::testing
