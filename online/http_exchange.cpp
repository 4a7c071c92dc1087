#include "online/http_exchange.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <exception>
#include <string_view>

#include "online/blocking_socket.h"

namespace skyvane::online {
namespace {

// No public host yet: a name under the reserved ".invalid" domain never
// resolves, so a build without SKYVANE_HOST sends nothing to anybody.
constexpr char kDefaultVendorHostName[] = "skyvane.invalid";
constexpr int kDefaultVendorPort = 80;
constexpr char kVendorHostVariable[] = "SKYVANE_HOST";

constexpr int kHeaderLineBytes = 200;
// Real servers send a dozen header lines; a peer that sends them without
// end must not hold a worker for ever.
constexpr int kMaxHeaderLines = 1000;

// The header is recognised exactly as spelled here, and its number is read
// from a fixed offset: one blank after the colon is assumed, extra blanks
// are skipped by the number reader, a missing blank costs the first digit.
constexpr std::string_view kLengthField = "Content-Length:";
constexpr std::size_t kLengthDigitsOffset = 16;
constexpr std::size_t kLineEndBytes = 2;  // "\r\n"

bool IsLengthLine(std::string_view line) { return line.substr(0, kLengthField.size()) == kLengthField; }

// Reads like atoi (leading blanks, a sign, digits, anything after them
// ignored), but a number beyond int saturates instead of being undefined.
int ReadDecimal(const std::string& text)
{
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

int LengthFromLine(std::string_view line)
{
    if (line.size() < kLengthDigitsOffset + kLineEndBytes) return ReadDecimal("");
    return ReadDecimal(std::string(line.substr(kLengthDigitsOffset, line.size() - kLengthDigitsOffset - kLineEndBytes)));
}

bool AllDigits(std::string_view text)
{
    if (text.empty()) return false;
    for (const char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

}  // namespace

HostAddress VendorHost()
{
    const HostAddress fallback{kDefaultVendorHostName, kDefaultVendorPort};
    const char* variable = std::getenv(kVendorHostVariable);
    if (variable == nullptr || *variable == '\0') return fallback;
    const std::string_view value(variable);
    const std::size_t colon = value.find(':');
    if (colon == std::string_view::npos) return {std::string(value), kDefaultVendorPort};
    // A value we cannot read is ignored as a whole rather than guessed at:
    // traffic meant for a test server must not go somewhere else.
    const std::string_view name = value.substr(0, colon);
    const std::string_view port = value.substr(colon + 1);
    if (name.empty() || !AllDigits(port) || port.size() > 5) return fallback;
    const int number = std::atoi(std::string(port).c_str());
    if (number < 1 || number > 65535) return fallback;
    return {std::string(name), number};
}

std::chrono::milliseconds BodyTimeLimit(const HttpTimeouts& timeouts, int announcedLength)
{
    const long long length = std::max(announcedLength, 0);
    const long long perSecond = std::max(timeouts.bodyBytesPerSecond, 1);
    return timeouts.bodyBase + std::chrono::seconds(length / perSecond);
}

void ReadHttpAnswer(CHttpBlockingSocket& socket, const HttpTimeouts& timeouts, char* body, int bodyCapacity,
                    HttpExchangeResult& result)
{
    using Clock = std::chrono::steady_clock;
    // Only the length header matters; the status line and every other
    // field are read past.
    const Deadline headerDeadline = Clock::now() + timeouts.headerLimit;
    char line[kHeaderLineBytes];
    for (int count = 0;; ++count) {
        if (count == kMaxHeaderLines) throw CBlockingSocketException("ReadHeaderLine", 0);
        const Deadline lineDeadline = std::min(headerDeadline, Deadline(Clock::now() + timeouts.lineLimit));
        const int length = socket.ReadHttpHeaderLine(line, kHeaderLineBytes, timeouts.headerLine, lineDeadline);
        const std::string_view text(line, static_cast<std::size_t>(length));
        if (text == "\r\n") break;
        if (IsLengthLine(text)) result.announcedLength = LengthFromLine(text);
    }
    // A body that would not fit is not read at all, so nobody can mistake
    // its first part for the whole.
    if (result.announcedLength <= bodyCapacity) {
        const Deadline bodyDeadline = Clock::now() + BodyTimeLimit(timeouts, result.announcedLength);
        socket.ReadHttpResponse(body, result.announcedLength, timeouts.body, &result.received, bodyDeadline);
    }
}

HttpExchangeResult HttpExchange(const HostAddress& host, const std::string& request,
                                const HttpTimeouts& timeouts, char* body, int bodyCapacity)
{
    HttpExchangeResult result;
    try {
        CHttpBlockingSocket socket;
        const SocketAddress address = CBlockingSocket::GetHostByName(host.name, host.port);
        socket.Create(kStreamSocket);
        socket.Connect(address, timeouts.send);
        socket.Write(request.data(), static_cast<int>(request.size()), timeouts.send);

        ReadHttpAnswer(socket, timeouts, body, bodyCapacity, result);
        socket.Close();
    } catch (const CBlockingSocketException& error) {
        result.failure = error.ErrorMessage();
        result.failedCall = error.Message();
        result.failureCode = error.ErrorCode();
    } catch (const std::exception& error) {
        result.failure = error.what();
    }
    return result;
}

}  // namespace skyvane::online
