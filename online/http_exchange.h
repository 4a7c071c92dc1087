// One HTTP/1.1 request and its response over a blocking socket, as both
// online features (data file update, version check and click reports) use
// it. Network failures never surface: the exchange ends with whatever it
// had read.
#pragma once

#include <chrono>
#include <string>

namespace skyvane::online {

// Where the vendor web host is: a name (or numeric address) and a port.
struct HostAddress {
    std::string name;
    int port = 80;
};

// The vendor host: the built-in default name on port 80, or the environment
// variable SKYVANE_HOST given as "host" or "host:port".
HostAddress VendorHost();

class CHttpBlockingSocket;

// Timeouts in seconds for each wait: sending the request, a header line,
// one body receive. Then the overall limits, which hold however the bytes
// trickle in: each header line, the header as a whole, and the body, which
// gets bodyBase plus one second for every whole bodyBytesPerSecond bytes
// announced, so a slow but steady link still gets a large file.
struct HttpTimeouts {
    int send;
    int headerLine;
    int body;
    std::chrono::milliseconds lineLimit = std::chrono::seconds(headerLine);
    std::chrono::milliseconds headerLimit = 10 * lineLimit;
    std::chrono::milliseconds bodyBase = std::chrono::seconds(body);
    int bodyBytesPerSecond = 16 * 1024;
};
constexpr HttpTimeouts kDataFileTimeouts{5, 2, 5, std::chrono::seconds(2), std::chrono::seconds(20),
                                         std::chrono::seconds(60), 16 * 1024};
constexpr HttpTimeouts kVersionCheckTimeouts{2, 2, 2};

// How long the body of `announcedLength` bytes may take as a whole.
std::chrono::milliseconds BodyTimeLimit(const HttpTimeouts& timeouts, int announcedLength);

struct HttpExchangeResult {
    int announcedLength = 0;  // from "Content-Length:", 0 when absent or not reached
    int received = 0;         // body bytes stored in the caller's buffer
    // What ended the exchange early, as the socket error message
    // ("Connect Fehler #111"); empty when it ran to its end. For logs and
    // the command line only: the program shows no network errors.
    std::string failure;
    // The same failure in parts, for a message in words: the socket call
    // that failed ("Connect") and the system's error code (0 for none).
    std::string failedCall;
    int failureCode = 0;
};

// Sends `request` to `host` and reads the response body into
// body[0 .. bodyCapacity). A body announced larger than the buffer is not
// read at all (received stays 0), so a caller can never be handed a
// truncated file as if it were whole.
HttpExchangeResult HttpExchange(const HostAddress& host, const std::string& request,
                                const HttpTimeouts& timeouts, char* body, int bodyCapacity);

// The response half of the exchange on a connected socket: header lines,
// then the body, under the same limits. Throws what the socket throws;
// `result` holds what was read up to then. The socket stays open.
void ReadHttpAnswer(CHttpBlockingSocket& socket, const HttpTimeouts& timeouts, char* body, int bodyCapacity,
                    HttpExchangeResult& result);

}  // namespace skyvane::online
