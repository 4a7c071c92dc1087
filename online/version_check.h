// The version check: asks the vendor host whether a newer version exists
// and which country and campaign the installation belongs to, and sends the
// usage record along as the Referer address.
//
// Settings it reads and writes:
//   "Update"/"NextCheck"  when the next check is due (now + 22 h after each)
//   "Update"/"Status"     "1" newer version announced, "0" not, empty before
//                          the first answer
//   "Installed"/"Country" two characters from the answer, "00" without one
//   "Installed"/"ABID"    campaign number from the answer, 100 without one
//   "Installed"/"NBFD"    emptied when the campaign changes, so that the
//                          next start fetches the campaign's data file
//   "Installed"/"Version" the version that last ran the check
#pragma once

#include <chrono>
#include <string>

namespace skyvane::online {

inline constexpr const char* kVersionCheckPath = "/versioncheck/versioncheck.php";

// The country code the check stores in section "Installed"; the sky window
// reads it to choose a new user's places.
inline constexpr char kCountryKey[] = "Country";

// How long the caller waits for the check before it goes on without it.
inline constexpr std::chrono::milliseconds kVersionCheckWait{8000};

// Runs the version check on a worker thread of its own and waits for it at
// most kVersionCheckWait. `versionText` is the program's version ("0141"),
// `refererText` the encoded usage record. Unless `force` is set the server
// is asked only when a check is due: "NextCheck" empty or passed, or the
// stored "Version" older than this program.
void StartVersionCheck(const std::string& versionText, const std::string& refererText, bool force);

// True when the last version check run ended with "Update"/"Status" other
// than "0". False before any run, and while a run is under way.
bool UpdateAvailable();

}  // namespace skyvane::online
