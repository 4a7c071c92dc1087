#include "report_test_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>

#include "platform/profile_store.h"

namespace skyvane::online::reporttest {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kMaxRequestBytes = 16 * 1024;
constexpr std::chrono::milliseconds kRequestReadLimit{3000};
constexpr std::chrono::milliseconds kPollStep{20};

void SendAll(int socket, const std::string& data)
{
    std::size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(socket, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<std::size_t>(n);
    }
}

// Sleeps for `duration` in short steps; false when the server began to stop.
bool PauseUnlessStopping(std::chrono::milliseconds duration, const std::atomic<bool>& stopping)
{
    const auto until = Clock::now() + duration;
    while (Clock::now() < until) {
        if (stopping) return false;
        std::this_thread::sleep_for(kPollStep);
    }
    return !stopping;
}

std::string ReadRequest(int socket)
{
    std::string request;
    const auto deadline = Clock::now() + kRequestReadLimit;
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < kMaxRequestBytes &&
           Clock::now() < deadline) {
        pollfd ready{socket, POLLIN, 0};
        if (::poll(&ready, 1, static_cast<int>(kPollStep.count())) <= 0) continue;
        char chunk[1024];
        const ssize_t n = ::recv(socket, chunk, sizeof chunk, 0);
        if (n <= 0) break;
        request.append(chunk, static_cast<std::size_t>(n));
    }
    return request;
}

}  // namespace

Responder Answer(std::string body)
{
    return [body = std::move(body)](int socket, const std::atomic<bool>&) {
        SendAll(socket, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                            std::to_string(body.size()) + "\r\n\r\n" + body);
    };
}

Responder NoAnswer()
{
    return [](int, const std::atomic<bool>&) {};
}

Responder EndlessHeader(std::chrono::milliseconds interval)
{
    return [interval](int socket, const std::atomic<bool>& stopping) {
        SendAll(socket, "HTTP/1.1 200 OK\r\n");
        for (int line = 0; PauseUnlessStopping(interval, stopping); ++line)
            SendAll(socket, "X-Still-Thinking: " + std::to_string(line) + "\r\n");
    };
}

Responder Drip(std::chrono::milliseconds interval, std::string atOnce)
{
    return [interval, atOnce = std::move(atOnce)](int socket, const std::atomic<bool>& stopping) {
        SendAll(socket, atOnce);
        while (PauseUnlessStopping(interval, stopping)) {
            // A failed send: the client has hung up, and so does the server.
            if (::send(socket, "x", 1, MSG_NOSIGNAL) != 1) return;
        }
    };
}

Responder SlowAnswer(std::chrono::milliseconds hold, std::string body)
{
    Responder answer = Answer(std::move(body));
    return [hold, answer](int socket, const std::atomic<bool>& stopping) {
        if (PauseUnlessStopping(hold, stopping)) answer(socket, stopping);
    };
}

ReportTestServer::ReportTestServer(Responder responder) : responder_(std::move(responder))
{
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    if (listener_ < 0) throw std::runtime_error("test server: socket");
    const int yes = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;  // any free port
    socklen_t length = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 8) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(listener_);
        throw std::runtime_error("test server: cannot listen on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

ReportTestServer::~ReportTestServer()
{
    stopping_ = true;
    thread_.join();
    ::close(listener_);
}

void ReportTestServer::Serve()
{
    while (!stopping_) {
        pollfd ready{listener_, POLLIN, 0};
        if (::poll(&ready, 1, static_cast<int>(kPollStep.count())) <= 0) continue;
        const int connection = ::accept(listener_, nullptr, nullptr);
        if (connection < 0) continue;
        HandleConnection(connection);
        ::close(connection);
    }
}

void ReportTestServer::HandleConnection(int socket)
{
    std::string request = ReadRequest(socket);
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(std::move(request));
    }
    arrived_.notify_all();
    responder_(socket, stopping_);
}

std::vector<std::string> ReportTestServer::Requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

bool ReportTestServer::WaitForRequests(std::size_t count, std::chrono::milliseconds limit) const
{
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, limit, [&] { return requests_.size() >= count; });
}

std::string HeaderValue(const std::string& request, const std::string& name)
{
    const std::string key = "\r\n" + name + ": ";
    const std::size_t at = request.find(key);
    if (at == std::string::npos) return "";
    const std::size_t start = at + key.size();
    return request.substr(start, request.find("\r\n", start) - start);
}

namespace {
std::optional<std::string> savedHost;
bool hostSaved = false;
}  // namespace

ReportTestEnvironment::ReportTestEnvironment(const std::string& hostSetting)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "skyvane-reports-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temporary folder");
    folder_ = pattern;
    platform::UseProfileFile(folder_ + "/settings.ini");
    if (!hostSaved) {
        if (const char* host = std::getenv("SKYVANE_HOST")) savedHost = host;
        hostSaved = true;
    }
    if (!hostSetting.empty()) PointAt(hostSetting);
}

ReportTestEnvironment::~ReportTestEnvironment()
{
    if (savedHost)
        ::setenv("SKYVANE_HOST", savedHost->c_str(), 1);
    else
        ::unsetenv("SKYVANE_HOST");
    // The store stays on the (removed) temporary file: a worker that were
    // still running must not write into the user's own settings.
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

void ReportTestEnvironment::PointAt(const std::string& hostSetting)
{
    ::setenv("SKYVANE_HOST", hostSetting.c_str(), 1);
}

}  // namespace skyvane::online::reporttest
