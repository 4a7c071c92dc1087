#include "online/click_report.h"

#include <cstdio>
#include <thread>

#include "online/blocking_socket.h"
#include "online/http_exchange.h"
#include "online/report_request.h"
#include "online/usage_record.h"
#include "platform/profile_store.h"
#include "platform/worker_thread.h"
#include "skydata/layout_script.h"

namespace skyvane::online {
namespace {

// The answer is not read, only taken off the connection.
constexpr int kAnswerCapacity = 4096;

constexpr std::size_t kInstallIdLength = 6;

struct ClickReportJob {
    std::string idText;
    int code = 0;
    int count = 0;
};

std::string ClickReportRequest(const HostAddress& host, const std::string& referer)
{
    return std::string("GET ") + kClickReportPath +
           " HTTP/1.1\r\n"
           "Accept: */*\r\n"
           "Referer: " + HeaderSafe(referer) +
           "\r\n"
           "Accept-Language: en-us\r\n"
           "User-Agent: Starwick\r\n"
           "Host: " + HostHeaderText(host) + "\r\n\r\n";
}

std::string ClickReportReferer(const std::string& idText, int code, int count)
{
    char numbers[32];
    std::snprintf(numbers, sizeof numbers, "%3d%d", code, count);
    return idText + numbers;
}

void ClickReportThread(const ClickReportJob& job)
{
    SocketLibraryScope sockets;
    const HostAddress host = VendorHost();
    std::string answer(kAnswerCapacity, '\0');
    HttpExchange(host, ClickReportRequest(host, ClickReportReferer(job.idText, job.code, job.count)),
                 kVersionCheckTimeouts, answer.data(), kAnswerCapacity);
}

}  // namespace

void SendClickReport(const std::string& idText, int code, int count)
{
    // Reports are best effort: when no thread can be started there is none.
    platform::StartWorkerThread(ClickReportThread, ClickReportJob{idText, code, count});
    std::this_thread::sleep_for(kClickReportPause);
}

void InstallClickReportHook()
{
    skydata::SetClickReportSender([](int count) {
        const std::string record = platform::GetProfileString("Installed", kUsageRecordKey);
        const int campaign = platform::GetProfileInt("Installed", "ABID");
        SendClickReport(record.substr(0, kInstallIdLength), campaign, count);
    });
}

}  // namespace skyvane::online
