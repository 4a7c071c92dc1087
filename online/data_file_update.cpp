#include "online/data_file_update.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include "online/blocking_socket.h"
#include "online/check_time.h"
#include "online/report_request.h"
#include "platform/profile_store.h"
#include "platform/worker_thread.h"
#include "skydata/data_file.h"
#include "skydata/layout_script.h"
#include "skydata/sky_data.h"

namespace skyvane::online {
namespace {

using namespace std::chrono_literals;

constexpr auto kDelayAfterSuccess = 22h;
constexpr auto kDelayAfterFailure = 14h;
// The starter gives the worker a moment to get going before the window
// carries on with its start-up work.
constexpr auto kStarterPause = 100ms;

constexpr char kLocationSection[] = "Location";
constexpr char kLocationSavedKey[] = "datasaved";

// Process-wide state that detached workers may still use while the
// program ends, so it is never destroyed.
struct UpdateState {
    std::mutex fileMutex;  // write, rename and reload of the data file
    std::mutex pathMutex;
    std::filesystem::path dataFile = skydata::kDataFileName;
    std::atomic<unsigned> temporaryCount{0};
};

UpdateState& State()
{
    static UpdateState* state = new UpdateState;
    return *state;
}

int ProcessId()
{
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<int>(::getpid());
#endif
}

std::string HostText(const HostAddress& host) { return host.name + ":" + std::to_string(host.port); }

// The Host header names the port as the other requests do, so a server
// behind a non-standard port sees the same host in all of them.
std::string DataFileRequest(const HostAddress& host, const std::string& path)
{
    return "GET " + path + " HTTP/1.1\r\nAccept: */*\r\nHost: " + HostHeaderText(host) + "\r\n\r\n";
}

// "NOBD" + 1, which stays at the largest count rather than wrap to a
// negative one.
int NextDownloadCount(int base) { return base == INT_MAX ? INT_MAX : base + 1; }

std::string NextDownloadTime(std::chrono::seconds delay)
{
    return FormatNextDownloadTime(std::time(nullptr) + static_cast<std::time_t>(delay.count()));
}

std::string DescribeRefusal(const HostAddress& host, const HttpExchangeResult& exchange)
{
    const std::string from = "the answer from " + HostText(host);
    const std::string cause = exchange.failure.empty() ? "" : " (" + exchange.failure + ")";
    if (exchange.announcedLength > kDownloadBufferBytes)
        return from + " announces " + std::to_string(exchange.announcedLength) + " bytes, more than the " +
               std::to_string(kDownloadBufferBytes) + "-byte receive buffer";
    if (exchange.received < exchange.announcedLength)
        return from + " stopped after " + std::to_string(exchange.received) + " of " +
               std::to_string(exchange.announcedLength) + " bytes" + cause;
    if (exchange.announcedLength <= 0 && !exchange.failure.empty())
        return "no answer from " + HostText(host) + cause;
    return from + " has only " + std::to_string(std::max(exchange.announcedLength, 0)) +
           " bytes (a data file has more than " + std::to_string(kMinDataFileBytes) + ")";
}

// Writes `size` bytes to a new file next to `target` and renames it over
// `target`. On any failure the temporary file is removed and `target` is
// left as it was. The caller holds the file lock.
bool ReplaceFile(const std::filesystem::path& target, const char* data, std::size_t size, std::string& error)
{
    std::filesystem::path temporary = target;
    temporary += ".download-" + std::to_string(ProcessId()) + "-" + std::to_string(++State().temporaryCount);

    // "x": never write into a file someone else has just created there.
    std::FILE* file = std::fopen(temporary.string().c_str(), "wbx");
    if (file == nullptr) {
        // The temporary file lies next to the data file: failing to create
        // it is failing to write there.
        error = "cannot write " + target.string() + ": " + std::generic_category().message(errno);
        return false;
    }
    int failure = 0;
    if (std::fwrite(data, 1, size, file) != size || std::fflush(file) != 0) failure = errno;
#ifndef _WIN32
    // The rename must not reach the disk before the bytes do.
    if (failure == 0 && ::fsync(::fileno(file)) != 0) failure = errno;
#endif
    if (std::fclose(file) != 0 && failure == 0) failure = errno;
    std::error_code renameError;
    if (failure == 0) std::filesystem::rename(temporary, target, renameError);
    if (failure != 0 || renameError) {
        error = "cannot write " + target.string() + ": " +
                (failure != 0 ? std::generic_category().message(failure) : renameError.message());
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return false;
    }
    return true;
}

// Each download attempt, good or bad, ends with one click report; the
// empty layout script changes nothing else.
void SendAfterDownloadReport()
{
    SocketLibraryScope scope;
    std::string introPictureName;
    skydata::ParseLayoutScript("", skydata::kLayoutModeAfterDownload, introPictureName);
}

}  // namespace

void SetDataFilePath(const std::filesystem::path& path)
{
    std::lock_guard lock(State().pathMutex);
    State().dataFile = path;
}

std::filesystem::path DataFilePath()
{
    std::lock_guard lock(State().pathMutex);
    return State().dataFile;
}

void StartDataFileDownload()
{
    DataFileDownloadParameters parameters{VendorHost(),
                                          std::string(kDataFileServerFolder) + kDataFileServerName};
    platform::StartWorkerThread(DataFileDownloadThread, std::move(parameters));
    std::this_thread::sleep_for(kStarterPause);
}

int DataFileDownloadThread(DataFileDownloadParameters parameters)
{
    SocketLibraryScope scope;
    DownloadDataFile(parameters.host, parameters.path);
    return 0;
}

DataFileDownloadOutcome DownloadDataFile(const HostAddress& host, const std::string& path,
                                         const HttpTimeouts& timeouts)
{
    DataFileDownloadOutcome outcome;
    {
        std::vector<char> body(kDownloadBufferBytes);
        outcome.exchange = HttpExchange(host, DataFileRequest(host, path), timeouts, body.data(),
                                        static_cast<int>(body.size()));
        const HttpExchangeResult& exchange = outcome.exchange;
        outcome.accepted = exchange.announcedLength > kMinDataFileBytes &&
                           exchange.announcedLength <= kDownloadBufferBytes &&
                           exchange.received == exchange.announcedLength;

        // Neither the status nor the content type is looked at; the body
        // itself must be a data file, by the same checks the loader makes,
        // before it may take the old file's place.
        std::string why;
        if (outcome.accepted &&
            !skydata::CheckDataFile({reinterpret_cast<const unsigned char*>(body.data()),
                                     static_cast<std::size_t>(exchange.received)},
                                    why)) {
            outcome.accepted = false;
            outcome.failure = "the answer from " + HostText(host) + " is not a data file: " + why;
        } else if (!outcome.accepted) {
            outcome.failure = DescribeRefusal(host, exchange);
        }

        UpdateState& state = State();
        std::lock_guard lock(state.fileMutex);
        const std::filesystem::path target = DataFilePath();
        if (outcome.accepted)
            outcome.written = ReplaceFile(target, body.data(), static_cast<std::size_t>(exchange.received),
                                          outcome.failure);
        if (outcome.written) {
            platform::WriteProfileString(kInstalledSection, kNextDownloadKey, NextDownloadTime(kDelayAfterSuccess));
            platform::WriteProfileInt(kInstalledSection, kDownloadCountKey,
                                      NextDownloadCount(platform::GetProfileInt(kInstalledSection, kBaseCountKey, 0)));
            // Read back what is on disk now, as every other load does.
            std::vector<unsigned char> bytes;
            outcome.loaded = skydata::ReadDataFile(target, bytes) && skydata::LoadDataFile(bytes);
        } else {
            // Nothing was stored, whatever the reason: try again sooner, and
            // do not count it.
            platform::WriteProfileString(kInstalledSection, kNextDownloadKey, NextDownloadTime(kDelayAfterFailure));
        }
    }
    SendAfterDownloadReport();
    return outcome;
}

std::string FormatNextDownloadTime(std::time_t when) { return FormatCheckTime(when); }

bool DataFileDownloadDue(std::time_t now)
{
    if (platform::GetProfileInt(kLocationSection, kLocationSavedKey, 0) == 0) return true;
    const auto due = ParseCheckTime(platform::GetProfileString(kInstalledSection, kNextDownloadKey));
    return !due || now > *due;
}

void DataFileStartupPolicy()
{
    if (DataFileDownloadDue(std::time(nullptr))) StartDataFileDownload();
}

}  // namespace skyvane::online
