// libFuzzer target: the HTTP response reader, as the data file download,
// the version check and the click reports meet it. Each input is one
// response: it is written into one end of a socket pair, whose other end
// the reader gets, and the writer then hangs up, so no read ever waits.
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "online/blocking_socket.h"
#include "online/http_exchange.h"

namespace {

using namespace skyvane::online;

// A response larger than the socket pair can hold without a reader is cut
// at what it takes; inputs are kept below that (make fuzz: -max_len).
constexpr int kBodyCapacity = 64 * 1024;

void Check(bool condition)
{
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, ends) != 0) return 0;
    std::size_t written = 0;
    while (written < size) {
        const ssize_t count = ::send(ends[1], data + written, size - written, MSG_NOSIGNAL);
        if (count <= 0) break;
        written += static_cast<std::size_t>(count);
    }
    ::shutdown(ends[1], SHUT_WR);

    CHttpBlockingSocket socket;
    socket.Attach(ends[0]);  // the reader waits with poll; non-blocking is fine
    std::vector<char> body(kBodyCapacity);
    HttpExchangeResult result;
    try {
        ReadHttpAnswer(socket, kDataFileTimeouts, body.data(), kBodyCapacity, result);
    } catch (const CBlockingSocketException&) {
        // A broken answer ends the exchange; what was read so far stays.
    }
    // What the callers rely on: never more body than announced, nor than
    // the buffer holds, nor than the peer sent.
    Check(result.received >= 0);
    Check(result.received <= kBodyCapacity);
    Check(result.received <= result.announcedLength || result.received == 0);
    Check(static_cast<std::size_t>(result.received) <= written);
    ::close(ends[1]);
    return 0;
}
