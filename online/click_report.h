// Click reports: one short request to the vendor host per event, naming
// the installation and the event. The answer is ignored.
//
// Event codes sent by the sky window (count 0): 990 fourth start, 991 and
// 992 home page opened by the start-count rule, 994 manual, 995 website,
// 997 object information link, 998 donate. After each data file download
// attempt the report carries the stored campaign ("Installed"/"ABID") as
// its code and the count 1.
#pragma once

#include <chrono>
#include <string>

namespace skyvane::online {

inline constexpr const char* kClickReportPath = "/versioncheck/clickcount.php";

// How long the caller pauses after starting a report.
inline constexpr std::chrono::milliseconds kClickReportPause{50};

// Sends one click report on a worker thread of its own and returns after a
// short pause; it does not wait for the answer. The Referer value of the
// request is the install id directly followed by the code as "%3d" and the
// count as "%d" ("abcdef9970", "abcdef 421").
void SendClickReport(const std::string& idText, int code, int count);

// Lets the sky data's layout script reader send the after-download report:
// the first six characters of the stored usage record ("Installed"/"Data"),
// the stored campaign ("Installed"/"ABID") and the reader's count. Called
// once by the program at start.
void InstallClickReportHook();

}  // namespace skyvane::online
