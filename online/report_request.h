// Pieces shared by the requests of the version check and the click reports.
#pragma once

#include <string>

#include "online/http_exchange.h"

namespace skyvane::online {

// The host as it goes into the "Host:" header and the Referer address:
// the name, with ":port" unless it is the standard port 80.
std::string HostHeaderText(const HostAddress& host);

// `text` without control characters, so that a value taken from the
// settings store (which anyone can edit) cannot end the header line it is
// put into and add header lines of its own.
std::string HeaderSafe(const std::string& text);

}  // namespace skyvane::online
