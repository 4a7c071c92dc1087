#include "skydata/layout_script.h"

#include <mutex>
#include <utility>
#include <vector>

#include "skydata/records.h"

namespace skyvane::skydata {
namespace {

// A layout record may carry up to 20 fields; surplus separators are ignored.
constexpr std::size_t kLayoutFieldSlots = 20;

std::mutex senderMutex;
ClickReportSender& RegisteredSender()
{
    // Never destroyed: download workers are detached and may report while
    // the program exits.
    static auto* sender = new ClickReportSender;
    return *sender;
}

void SendClickReport(int count)
{
    ClickReportSender sender;
    {
        std::lock_guard lock(senderMutex);
        sender = RegisteredSender();
    }
    if (sender) sender(count);
}

// "GROUP", "DSTXT", "BANNER" and "BOXID" records describe the rest of the
// intro screen, which this program draws on its own; they are read past.
void ReadIntroPicture(const std::vector<std::string_view>& fields, std::string& introPictureName)
{
    constexpr std::string_view kFromFile = "F";
    constexpr std::size_t kPictureNameField = 5;
    if (fields[1] == kFromFile)
        introPictureName = fields[kPictureNameField];
    else
        introPictureName.clear();
}

}  // namespace

void ParseLayoutScript(std::string_view text, int mode, std::string& introPictureName)
{
    for (std::string_view record : SplitRecords(text)) {
        const std::vector<std::string_view> fields = SplitFields(record, kLayoutFieldSlots);
        if (fields[0] == "INTROPICT") ReadIntroPicture(fields, introPictureName);
    }
    // Each download attempt counts once towards the installation's usage.
    if (mode == kLayoutModeAfterDownload) SendClickReport(1);
}

void SetClickReportSender(ClickReportSender sender)
{
    std::lock_guard lock(senderMutex);
    RegisteredSender() = std::move(sender);
}

}  // namespace skyvane::skydata
