// `skyvane update-data`: one data file update now, in the foreground, by
// the same rules as the program's own downloads (the size threshold, the
// temporary file renamed over the old one, "NBFD" and "NOFD" in the
// settings). For scripts and tests: it says in one line what happened.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "online/data_file_update.h"

namespace skyvane::app {

// Why a data file update did not end in a loaded file, in words a user
// reads ("cannot connect to HOST: connection refused"); empty when it did.
// The command and the window's menu item both say it this way.
std::string DataFileUpdateFailureInWords(const online::DataFileDownloadOutcome& outcome,
                                         const online::HostAddress& host);

std::string UpdateDataUsage();

// The names of each option its help describes.
std::vector<std::vector<std::string>> UpdateDataOptionNames();

// The whole command (arguments without the subcommand itself); returns the
// process exit status: 0 when the data file was replaced and loads, 1 when
// the update failed, 2 on bad arguments.
int RunUpdateDataCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace skyvane::app
