// `skyvane telescope ACTION`: a mount behind an INDI server from the
// command line: where it points, and goto, sync, abort, park and unpark.
// Targets are anything `skyvane find` finds, sent at their apparent place
// of date for the place and instant given (now unless given).
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "app/command_options.h"
#include "app/data_folder.h"
#include "app/place_and_time.h"

namespace skyvane::app {

struct TelescopeRequest {
    std::string action;     // status, goto, sync, abort, park, unpark
    std::string name;       // the target of goto and sync
    std::string host = "localhost";
    int port = 7624;
    std::string device;     // empty: the first mount the server lists
    bool wait = false;
    double timeoutSeconds = 180;  // --wait gives up after this long
    EphemerisRequest place;  // place and instant; json, help
    DataFileChoice data;
};

const CommandOptions<TelescopeRequest>& TelescopeOptions();
std::string TelescopeUsage();

// Reads the command's arguments (without "telescope"). On a bad argument
// returns nothing and sets `error` to one line naming it.
std::optional<TelescopeRequest> ParseTelescopeArguments(const std::vector<std::string>& args,
                                                        std::string& error);

// The whole command; returns the exit status: 0 done, 1 the mount, the
// server or the name failed (said on `err`), 2 bad arguments. Makes the
// application object the network needs when there is none.
int RunTelescopeCommand(const std::vector<std::string>& args, std::ostream& out,
                        std::ostream& err);

}  // namespace skyvane::app
