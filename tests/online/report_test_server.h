// A scripted HTTP peer on 127.0.0.1 for the version check and click report
// tests: it records every request it receives and answers as the test
// tells it. It serves one connection at a time on a thread of its own and
// stops (closing everything) when destroyed.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace skyvane::online::reporttest {

// How the server treats a connection once it has read the request header.
// `stopping` turns true when the server is being destroyed; a responder
// that keeps a connection open must return soon after.
using Responder = std::function<void(int socket, const std::atomic<bool>& stopping)>;

// A complete HTTP/1.1 response with "Content-Length:" and `body`.
Responder Answer(std::string body);
// Closes the connection without sending anything.
Responder NoAnswer();
// Sends a status line, then one header line every `interval`, never the end
// of the header: an answer that never completes.
Responder EndlessHeader(std::chrono::milliseconds interval);
// Sends `atOnce`, then an 'x' every `interval` for ever, until the client
// hangs up (the next connection is served only then) or the server stops:
// each wait for a byte is short, the answer never completes.
Responder Drip(std::chrono::milliseconds interval, std::string atOnce);
// Keeps the connection open, sending nothing, for `hold` (or until the
// server stops), then answers with `body`.
Responder SlowAnswer(std::chrono::milliseconds hold, std::string body);

class ReportTestServer {
public:
    explicit ReportTestServer(Responder responder);
    ~ReportTestServer();
    ReportTestServer(const ReportTestServer&) = delete;
    ReportTestServer& operator=(const ReportTestServer&) = delete;

    int Port() const { return port_; }
    // The value for SKYVANE_HOST.
    std::string HostSetting() const { return "127.0.0.1:" + std::to_string(port_); }

    // Requests received so far (request line and header, through the blank
    // line).
    std::vector<std::string> Requests() const;
    // Waits until `count` requests have arrived; false when `limit` passes.
    bool WaitForRequests(std::size_t count, std::chrono::milliseconds limit) const;

private:
    void Serve();
    void HandleConnection(int socket);

    Responder responder_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

// The value of header `name` in a request text, or "" when it is absent.
std::string HeaderValue(const std::string& request, const std::string& name);

// Points the program at a server for the lifetime of the object and puts
// the settings store in a fresh temporary INI file; both are undone at the
// end.
class ReportTestEnvironment {
public:
    explicit ReportTestEnvironment(const std::string& hostSetting = "");
    ~ReportTestEnvironment();
    ReportTestEnvironment(const ReportTestEnvironment&) = delete;
    ReportTestEnvironment& operator=(const ReportTestEnvironment&) = delete;

    void PointAt(const std::string& hostSetting);
    const std::string& Folder() const { return folder_; }

private:
    std::string folder_;
};

}  // namespace skyvane::online::reporttest
