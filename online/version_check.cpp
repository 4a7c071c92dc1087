#include "online/version_check.h"

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "online/blocking_socket.h"
#include "online/check_time.h"
#include "online/http_exchange.h"
#include "online/report_request.h"
#include "platform/profile_store.h"
#include "platform/worker_thread.h"

namespace skyvane::online {
namespace {

using platform::GetProfileInt;
using platform::GetProfileString;
using platform::WriteProfileInt;
using platform::WriteProfileString;

constexpr const char* kUpdateSection = "Update";
constexpr const char* kInstalledSection = "Installed";

// The answer page is small; anything that does not fit is no answer.
constexpr int kResponseCapacity = 64 * 1024;

// Only the head of the answer is read, and only up to the end of its page.
constexpr std::size_t kExaminedLength = 200;
constexpr std::string_view kPageEnd = "</html>";
constexpr std::size_t kKeptWithoutPageEnd = 6;

constexpr std::string_view kVersionMarker = "Version:";
constexpr std::size_t kVersionDigits = 4;
constexpr std::string_view kCountryMarker = "Country=*";
constexpr std::size_t kCountryLength = 2;
constexpr const char* kNoCountry = "00";
constexpr std::string_view kCampaignMarker = "Campain=*";
constexpr std::size_t kCampaignDigits = 3;
constexpr int kNoCampaign = 100;

constexpr std::time_t kSecondsUntilNextCheck = 22 * 3600;

std::atomic<bool> updateAvailable{false};

// Everything the worker uses, owned by the worker.
struct VersionCheckJob {
    std::string versionText;
    std::string refererText;
    bool force = false;
    std::shared_ptr<platform::WaitableFlag> finished;
};

bool CheckIsDue(int ownVersion, bool force)
{
    if (force) return true;
    const std::string nextCheck = GetProfileString(kUpdateSection, "NextCheck");
    if (nextCheck.empty()) return true;
    if (const auto due = ParseCheckTime(nextCheck); due && std::time(nullptr) > *due) return true;
    return std::atoi(GetProfileString(kInstalledSection, "Version").c_str()) < ownVersion;
}

std::string VersionCheckRequest(const HostAddress& host, const std::string& refererText)
{
    const std::string hostText = HostHeaderText(host);
    return std::string("GET ") + kVersionCheckPath +
           " HTTP/1.1\r\n"
           "Accept: */*\r\n"
           "Referer: http://" + hostText + "/" + HeaderSafe(refererText) +
           "\r\n"
           "Accept-Language: en-us\r\n"
           "User-Agent: Starwick\r\n"
           "Host: " + hostText + "\r\n\r\n";
}

// The part of the answer that counts: its first 200 characters, cut after
// the end of the page; without a page end only the first 6 remain, which
// is too short to hold any of the markers.
std::string ExaminedText(const char* body, int received)
{
    std::string_view head(body, static_cast<std::size_t>(received));
    head = head.substr(0, kExaminedLength);
    head = head.substr(0, head.find('\0'));
    const std::size_t end = head.find(kPageEnd);
    if (end == std::string_view::npos) return std::string(head.substr(0, kKeptWithoutPageEnd));
    return std::string(head.substr(0, end + kPageEnd.size()));
}

// The text after `marker` (up to `length` characters), or nothing when the
// marker does not occur.
std::optional<std::string> After(const std::string& text, std::string_view marker, std::size_t length,
                                 bool allowAtStart = true)
{
    const std::size_t at = text.find(marker);
    if (at == std::string::npos || (!allowAtStart && at == 0)) return std::nullopt;
    return text.substr(at + marker.size(), length);
}

void ReadAnswer(const std::string& text, int ownVersion)
{
    // A page that opens with the marker is not a version announcement.
    if (const auto announced = After(text, kVersionMarker, kVersionDigits, false))
        WriteProfileString(kUpdateSection, "Status", ownVersion < std::atoi(announced->c_str()) ? "1" : "0");

    WriteProfileString(kUpdateSection, "NextCheck",
                       FormatCheckTime(std::time(nullptr) + kSecondsUntilNextCheck));

    const std::string country = After(text, kCountryMarker, kCountryLength).value_or(kNoCountry);
    int campaign = 0;
    if (const auto digits = After(text, kCampaignMarker, kCampaignDigits))
        campaign = std::atoi(digits->c_str());
    if (campaign == 0) campaign = kNoCampaign;

    const int previousCampaign = GetProfileInt(kInstalledSection, "ABID");
    WriteProfileString(kInstalledSection, kCountryKey, country);
    WriteProfileInt(kInstalledSection, "ABID", campaign);
    // Another campaign may come with its own data file: fetch it at the next
    // start.
    if (campaign != previousCampaign) WriteProfileString(kInstalledSection, "NBFD", "");
}

void RunVersionCheck(const VersionCheckJob& job)
{
    updateAvailable.store(false);
    const int ownVersion = std::atoi(job.versionText.c_str());
    if (CheckIsDue(ownVersion, job.force)) {
        const HostAddress host = VendorHost();
        std::vector<char> body(kResponseCapacity);
        const HttpExchangeResult result = HttpExchange(host, VersionCheckRequest(host, job.refererText),
                                                       kVersionCheckTimeouts, body.data(), kResponseCapacity);
        ReadAnswer(ExaminedText(body.data(), result.received), ownVersion);
    }
    WriteProfileString(kInstalledSection, "Version", job.versionText);
    // Any status but "0" counts, including none at all.
    updateAvailable.store(GetProfileString(kUpdateSection, "Status") != "0");
}

void VersionCheckThread(const VersionCheckJob& job)
{
    try {
        SocketLibraryScope sockets;
        RunVersionCheck(job);
    } catch (...) {
        // The check simply did not happen; the waiter must still be freed.
    }
    job.finished->Set();
}

}  // namespace

void StartVersionCheck(const std::string& versionText, const std::string& refererText, bool force)
{
    auto finished = std::make_shared<platform::WaitableFlag>();
    if (platform::StartWorkerThread(VersionCheckThread, VersionCheckJob{versionText, refererText, force, finished}))
        finished->WaitFor(kVersionCheckWait);
}

bool UpdateAvailable()
{
    return updateAvailable.load();
}

}  // namespace skyvane::online
