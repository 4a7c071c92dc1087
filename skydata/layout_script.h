// The layout script ("Datafile.txt") describes the intro screen. Of it the
// program acts only on the choice of the intro picture.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace skyvane::skydata {

// How the layout script reader was called.
inline constexpr int kLayoutModeFileLoad = 1;      // a data file was loaded
inline constexpr int kLayoutModeAfterDownload = 2;  // after each download attempt

// Reads a layout script. An "INTROPICT" record whose field 1 is "F" makes
// its field 5 the intro picture name; with any other field 1 the name
// becomes empty. Without such a record the name is left as it was. In
// kLayoutModeAfterDownload the reader finally sends one click report for
// the installation through the registered sender.
void ParseLayoutScript(std::string_view text, int mode, std::string& introPictureName);

// Sends a click report carrying `count` together with the installation's
// stored usage record; the online part registers it. Until then reports
// are dropped. May be called from worker threads.
using ClickReportSender = std::function<void(int count)>;
void SetClickReportSender(ClickReportSender sender);

}  // namespace skyvane::skydata
