// Opening web pages in the user's browser.
//
// Addresses come from the data file and the vendor host, both of which
// arrive over plain HTTP, so only web addresses are ever opened: a file
// path or another scheme could start a program on the user's machine.
#pragma once

#include <functional>
#include <string>

namespace skyvane::platform {

// True for an address this program may open: an absolute "http://" or
// "https://" address (scheme in any letter case) with a host name.
bool IsOpenableUrl(const std::string& url);

// Opens `url` with the desktop's web browser if IsOpenableUrl allows it.
// True when the opener took the address; false when the address was
// refused or the opener failed.
bool OpenUrl(const std::string& url);

// Replaces what OpenUrl hands allowed addresses to (tests record them
// instead of starting a browser). An empty function restores the desktop's
// browser. Safe from any thread.
using UrlOpener = std::function<bool(const std::string& url)>;
void SetUrlOpener(UrlOpener opener);

}  // namespace skyvane::platform
