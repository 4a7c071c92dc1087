// Where the program keeps its sky data file. The desktop program works in a
// per-user, writable data folder and makes it the current directory, so
// everything that reads and replaces "datas.bin" in the current directory
// happens there. A folder without a data file is seeded from the read-only
// copy installed with the program.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "app/command_options.h"

namespace skyvane::app {

// The environment variable that chooses the data folder.
inline constexpr char kDataFolderVariable[] = "SKYVANE_DATA_DIR";

// The data folder: `commandLineFolder` when given (--data-dir), else
// $SKYVANE_DATA_DIR when set and not empty, else the per-user application
// data folder (~/.local/share/Skyvane/Skyvane on Linux).
std::filesystem::path DataFolder(const std::string& commandLineFolder);

// The folder the running program's executable lies in.
std::filesystem::path ExecutableFolder();

// Where the read-only data file installed with the program may lie, best
// first: <prefix>/share/skyvane/datas.bin beside <prefix>/bin, and in a
// build tree the build's own datas.bin.
std::vector<std::filesystem::path> InstalledDataFiles(const std::filesystem::path& executableFolder);

// Where a deep-sky file may lie, best first: beside the data file the
// program reads (in its data folder), then the installed and build-tree
// copies beside the installed data file.
std::vector<std::filesystem::path> DeepSkyFiles(const std::filesystem::path& dataFile,
                                                const std::filesystem::path& executableFolder);

// Creates `folder` when needed and, when it holds no datas.bin, copies in
// the first of `installed` that is a usable data file (a damaged or
// missing copy leaves the folder without one, and the download takes
// over). False, with `error` set, only when the folder cannot be made.
bool PrepareDataFolder(const std::filesystem::path& folder,
                       const std::vector<std::filesystem::path>& installed, std::string& error);

// What the commands' --data and --data-dir say.
struct DataFileChoice {
    std::string file = "datas.bin";  // with --data: this file, as given
    bool fileGiven = false;
    std::string folder;  // --data-dir
};

const CommandOptions<DataFileChoice>& DataFileOptions();

// The data file a command reads: the one given with --data, else datas.bin
// in the data folder, which is prepared (and seeded) first. Empty with
// `error` set when the folder cannot be made.
std::filesystem::path ResolveDataFile(const DataFileChoice& choice, std::string& error);

}  // namespace skyvane::app
