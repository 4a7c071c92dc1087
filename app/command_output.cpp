#include "app/command_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ostream>

namespace skyvane::app {

std::string WriteOutput(const std::string& path, std::string_view bytes, std::ostream& out)
{
    if (path == kStandardOutput) {
        // Output longer than the stream's buffer is written (and may fail)
        // here already: keep the reason for the message.
        errno = 0;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        const int failure = errno;
        const std::string flushed = FlushOutput(out);
        if (!flushed.empty() && failure != 0)
            return std::string("standard output: ") + std::strerror(failure);
        return flushed;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return path + ": " + std::strerror(errno);
    int failure = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
        std::fflush(file) != 0)
        failure = errno;
    // A full disk may show only when the file is closed.
    if (std::fclose(file) != 0 && failure == 0)
        failure = errno;
    if (failure != 0)
        return path + ": " + std::strerror(failure);
    return {};
}

std::string FlushOutput(std::ostream& out)
{
    errno = 0;
    out.flush();
    if (out)
        return {};
    const int failure = errno;
    return std::string("standard output: ") +
           (failure != 0 ? std::strerror(failure) : "write error");
}

}  // namespace skyvane::app
