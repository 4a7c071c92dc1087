// What the desktop program does before its window opens: its identity on
// the desktop (application id, window icon), its own command-line options,
// and moving into its data folder.
#pragma once

#include <QIcon>
#include <QStringList>

#include <iosfwd>
#include <string>
#include <vector>

namespace skyvane::app {

// The reverse of the program's host name: the name of the desktop entry
// and of the AppStream metainfo, and what the window system groups the
// window under.
inline constexpr char kApplicationId[] = "invalid.skyvane.Skyvane";

// The names of each option of the desktop program.
std::vector<std::vector<std::string>> DesktopOptionNames();

// "skyvane 1.41"
const char* VersionText();

// The program's icon at every size it is drawn in.
QIcon ProgramIcon();

// Reads the desktop program's options (Qt has taken its own out of
// `arguments`; the first is the program's name), then creates the data
// folder, seeds it and makes it the current directory. Returns -1 to go
// on with the window, else the exit status (after --help, --version or a
// usage error). A folder that cannot be made is reported on `err`, and the
// program stays where it was started.
int EnterDataFolder(const QStringList& arguments, std::ostream& out, std::ostream& err);

}  // namespace skyvane::app
