#include "online_test_support.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif
#include <zlib.h>

#include <cstdlib>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <iomanip>
#include <iterator>
#include <random>
#include <sstream>
#include <stdexcept>

namespace skyvane::online::testing {
namespace {

// The test server's few socket calls that differ between the systems.
// Handles are kept in an int: Windows socket handles fit in 32 bits.
#ifdef _WIN32
using ssize_t = int;
constexpr int kSendFlags = 0;
constexpr int kCloseOnExec = 0;
int CloseSocket(int handle) { return ::closesocket(static_cast<SOCKET>(handle)); }
int PollOne(pollfd& entry, int milliseconds) { return ::WSAPoll(&entry, 1, milliseconds); }
int AcceptConnection(int listener)
{
    const SOCKET connection = ::accept(static_cast<SOCKET>(listener), nullptr, nullptr);
    return connection == INVALID_SOCKET ? -1 : static_cast<int>(connection);
}
pollfd Entry(int handle, short events) { return pollfd{static_cast<SOCKET>(handle), events, 0}; }

// Winsock must be started once before the first socket of the process.
const bool winsockStarted = [] {
    WSADATA data;
    return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
}();
#else
constexpr int kSendFlags = MSG_NOSIGNAL;
constexpr int kCloseOnExec = SOCK_CLOEXEC;
int CloseSocket(int handle) { return ::close(handle); }
int PollOne(pollfd& entry, int milliseconds) { return ::poll(&entry, 1, milliseconds); }
int AcceptConnection(int listener) { return ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC); }
pollfd Entry(int handle, short events) { return pollfd{handle, events, 0}; }
#endif

sockaddr_in Loopback(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

int BoundLoopbackSocket(int& port)
{
    auto created = ::socket(AF_INET, SOCK_STREAM | kCloseOnExec, 0);
    if (created == static_cast<decltype(created)>(-1)) throw std::runtime_error("socket failed");
    const int handle = static_cast<int>(created);
    sockaddr_in address = Loopback(0);
    if (::bind(handle, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        CloseSocket(handle);
        throw std::runtime_error("bind failed");
    }
#ifdef _WIN32
    int length = sizeof address;
#else
    socklen_t length = sizeof address;
#endif
    ::getsockname(handle, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return handle;
}

// Data file layout: 26-byte header (payload size in 10 characters,
// directory size in 8, 8 characters the reader skips), then the zlib
// stream of the payload. The payload starts with 48-byte directory entries
// (name in 32 bytes, start and end offsets in 8 characters each).
std::string Padded(const std::string& text, std::size_t width, char pad)
{
    std::string field = text.substr(0, width);
    field.resize(width, pad);
    return field;
}

}  // namespace

Script& Script::Send(std::string bytes)
{
    steps_.push_back({Step::Kind::Send, std::move(bytes), 0ms});
    return *this;
}

Script& Script::SendInPieces(const std::string& bytes, int pieces, Milliseconds pause)
{
    const std::size_t size = (bytes.size() + pieces - 1) / pieces;
    for (std::size_t start = 0; start < bytes.size(); start += size) {
        if (start > 0) Pause(pause);
        Send(bytes.substr(start, size));
    }
    return *this;
}

Script& Script::Pause(Milliseconds duration)
{
    steps_.push_back({Step::Kind::Pause, {}, duration});
    return *this;
}

Script& Script::HoldOpen(Milliseconds limit)
{
    steps_.push_back({Step::Kind::HoldOpen, {}, limit});
    return *this;
}

ScriptedServer::ScriptedServer(std::vector<Script> scripts, bool readRequest, Milliseconds lifetime)
    : scripts_(std::move(scripts)), readRequest_(readRequest)
{
    if (scripts_.empty()) scripts_.emplace_back();
    listener_ = BoundLoopbackSocket(port_);
    if (::listen(listener_, 16) != 0) throw std::runtime_error("listen failed");
    acceptor_ = std::thread([this, lifetime] { AcceptLoop(lifetime); });
}

ScriptedServer::~ScriptedServer()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    acceptor_.join();
    for (std::thread& connection : connections_) connection.join();
    CloseSocket(listener_);
}

std::string ScriptedServer::HostVariable() const { return "127.0.0.1:" + std::to_string(port_); }

std::vector<std::string> ScriptedServer::Requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

bool ScriptedServer::WaitForFinished(int count, Milliseconds limit)
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return finished_ >= count; });
}

bool ScriptedServer::WaitStopped(Milliseconds duration)
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, duration, [this] { return stop_; });
}

void ScriptedServer::AcceptLoop(Milliseconds lifetime)
{
    const auto end = std::chrono::steady_clock::now() + lifetime;
    while (std::chrono::steady_clock::now() < end) {
        {
            std::lock_guard lock(mutex_);
            if (stop_) return;
        }
        pollfd entry = Entry(listener_, POLLIN);
        if (PollOne(entry, 20) <= 0) continue;
        const int connection = AcceptConnection(listener_);
        if (connection < 0) continue;
        const int index = accepted_++;
        const Script& script = scripts_[std::min<std::size_t>(index, scripts_.size() - 1)];
        std::lock_guard lock(mutex_);
        connections_.emplace_back([this, connection, &script] { Serve(connection, script); });
    }
}

bool ScriptedServer::SendAll(int connection, const std::string& bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        pollfd entry = Entry(connection, POLLOUT);
        if (PollOne(entry, 50) <= 0) {
            std::lock_guard lock(mutex_);
            if (stop_) return false;
            continue;
        }
        const ssize_t count = ::send(connection, bytes.data() + sent, static_cast<int>(bytes.size() - sent), kSendFlags);
        if (count <= 0) return false;
        sent += static_cast<std::size_t>(count);
    }
    return true;
}

void ScriptedServer::Serve(int connection, const Script& script)
{
    if (readRequest_) {
        // The request ends with an empty line; a client that sends less
        // gets its answer after a second anyway.
        std::string request;
        const auto end = std::chrono::steady_clock::now() + 1s;
        while (request.find("\r\n\r\n") == std::string::npos && std::chrono::steady_clock::now() < end) {
            pollfd entry = Entry(connection, POLLIN);
            if (PollOne(entry, 20) <= 0) continue;
            char chunk[512];
            const ssize_t count = ::recv(connection, chunk, sizeof chunk, 0);
            if (count <= 0) break;
            request.append(chunk, static_cast<std::size_t>(count));
        }
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
    }
    for (const Script::Step& step : script.Steps()) {
        bool go_on = true;
        switch (step.kind) {
        case Script::Step::Kind::Send: go_on = SendAll(connection, step.bytes); break;
        case Script::Step::Kind::Pause: go_on = !WaitStopped(step.duration); break;
        case Script::Step::Kind::HoldOpen: {
            const auto end = std::chrono::steady_clock::now() + step.duration;
            while (go_on && std::chrono::steady_clock::now() < end) {
                pollfd entry = Entry(connection, POLLIN);
                if (PollOne(entry, 20) > 0) {
                    char chunk[512];
                    if (::recv(connection, chunk, sizeof chunk, 0) <= 0) break;  // the client has gone
                }
                std::lock_guard lock(mutex_);
                go_on = !stop_;
            }
            break;
        }
        }
        if (!go_on) break;
    }
    CloseSocket(connection);
    {
        std::lock_guard lock(mutex_);
        ++finished_;
    }
    changed_.notify_all();
}

int ClosedPort()
{
    int port = 0;
    CloseSocket(BoundLoopbackSocket(port));
    return port;
}

std::string HttpResponse(const std::string& body, const std::string& statusLine)
{
    return statusLine + "\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

std::string BuildDataFile(const std::string& introPictureName, std::size_t paddingBytes, unsigned seed)
{
    const std::string layout = "GROUP|1|;\r\nINTROPICT|F|P|0|0|" + introPictureName + "|0|Skyvane|;\r\n";
    std::string padding(paddingBytes, '\0');
    std::mt19937 random(seed);
    for (char& c : padding) c = static_cast<char>(random() & 0xFF);

    const std::vector<std::pair<std::string, std::string>> entries{{"Datafile.txt", layout},
                                                                    {"padding.dat", padding}};
    const std::size_t directoryBytes = (entries.size() + 1) * 48;
    std::string directory = Padded("directory", 32, '\0') + Padded("0", 8, '\0') +
                            Padded(std::to_string(directoryBytes), 8, '\0');
    std::string data;
    for (const auto& [name, content] : entries) {
        const std::size_t start = directoryBytes + data.size();
        directory += Padded(name, 32, '\0') + Padded(std::to_string(start), 8, '\0') +
                     Padded(std::to_string(start + content.size()), 8, '\0');
        data += content;
    }
    const std::string payload = directory + data;

    uLongf streamBytes = compressBound(static_cast<uLong>(payload.size()));
    std::string stream(streamBytes, '\0');
    if (compress(reinterpret_cast<Bytef*>(stream.data()), &streamBytes,
                 reinterpret_cast<const Bytef*>(payload.data()), static_cast<uLong>(payload.size())) != Z_OK)
        throw std::runtime_error("compress failed");
    stream.resize(streamBytes);
    return Padded(std::to_string(payload.size()), 10, ' ') + Padded(std::to_string(directoryBytes), 8, ' ') +
           "5EA2C0DE" + stream;
}

std::string ReadWholeFile(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteWholeFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TemporaryFolder::TemporaryFolder()
{
    std::random_device device;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        const std::filesystem::path candidate = std::filesystem::temp_directory_path() /
                                                ("skyvane-online-test-" + std::to_string(device()));
        if (std::filesystem::create_directory(candidate)) path_ = candidate;
    }
    if (path_.empty()) throw std::runtime_error("no temporary folder");
}

TemporaryFolder::~TemporaryFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void SetLastSocketError(int code)
{
#ifdef _WIN32
    ::WSASetLastError(code);
#else
    errno = code;
#endif
}

void SetVariable(const char* name, const char* value)
{
#ifdef _WIN32
    ::_putenv_s(name, value);
#else
    ::setenv(name, value, 1);
#endif
}

void UnsetVariable(const char* name)
{
#ifdef _WIN32
    ::_putenv_s(name, "");
#else
    ::unsetenv(name);
#endif
}

long long ParseLocalTime(const std::string& text)
{
    std::tm local{};
    std::istringstream in(text);
    in >> std::get_time(&local, "%Y-%m-%d %H:%M:%S");
    if (in.fail()) return -1;
    local.tm_isdst = -1;
    return static_cast<long long>(std::mktime(&local));
}

}  // namespace skyvane::online::testing
