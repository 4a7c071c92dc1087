// One HTTP/1.1 request and its response over a blocking socket, as both
// online features (data file update, version check and click reports) use
// it. Network failures never surface: the exchange ends with whatever it
// had read.
#pragma once

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

// Timeouts in seconds: sending the request, each header line, each body
// receive.
struct HttpTimeouts {
    int send;
    int headerLine;
    int body;
};
constexpr HttpTimeouts kDataFileTimeouts{5, 2, 5};
constexpr HttpTimeouts kVersionCheckTimeouts{2, 2, 2};

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

}  // namespace skyvane::online
