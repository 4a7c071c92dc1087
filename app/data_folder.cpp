#include "app/data_folder.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <QString>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "skydata/data_file.h"
#include "skydata/deep_sky.h"

#ifndef SKYVANE_INSTALLED_DATA_FROM_BIN
#define SKYVANE_INSTALLED_DATA_FROM_BIN "../share/skyvane"
#endif

namespace skyvane::app {

namespace fs = std::filesystem;

fs::path DataFolder(const std::string& commandLineFolder)
{
    if (!commandLineFolder.empty())
        return commandLineFolder;
    if (const char* folder = std::getenv(kDataFolderVariable); folder != nullptr && *folder != 0)
        return folder;
    // The application's local data folder for organisation and application
    // "Skyvane" (as the settings are kept), whatever names the running
    // process has: ~/.local/share/Skyvane/Skyvane, %LOCALAPPDATA%\Skyvane\Skyvane.
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
        QStringLiteral("/Skyvane/Skyvane");
    // UTF-16 to the path: on Windows a narrow string would be read in the
    // ANSI code page and lose any letter beyond it.
    return fs::path(folder.toStdU16String());
}

fs::path ExecutableFolder()
{
    if (QCoreApplication::instance() != nullptr)
        return fs::path(QCoreApplication::applicationDirPath().toStdU16String());
    std::error_code ignored;
    const fs::path self = fs::read_symlink("/proc/self/exe", ignored);
    return self.empty() ? fs::current_path(ignored) : self.parent_path();
}

std::vector<fs::path> InstalledDataFiles(const fs::path& executableFolder)
{
    std::vector<fs::path> files{
        (executableFolder / SKYVANE_INSTALLED_DATA_FROM_BIN / skydata::kDataFileName)
            .lexically_normal()};
    // The build tree: the program in build/app, the packed file in build/.
    std::error_code ignored;
    const fs::path build = executableFolder.parent_path();
    if (fs::exists(build / "CMakeCache.txt", ignored))
        files.push_back(build / skydata::kDataFileName);
    return files;
}

std::vector<fs::path> DeepSkyFiles(const fs::path& dataFile, const fs::path& executableFolder)
{
    std::vector<fs::path> files{dataFile.parent_path() / skydata::kDeepSkyFileName};
    for (const fs::path& installed : InstalledDataFiles(executableFolder))
        files.push_back(installed.parent_path() / skydata::kDeepSkyFileName);
    return files;
}

namespace {

bool IsUsableDataFile(const fs::path& file)
{
    std::vector<unsigned char> bytes;
    return skydata::ReadDataFile(file, bytes) && skydata::DecodeDataFile(bytes).has_value();
}

// Copies under a temporary name and renames, so a program starting at the
// same time sees no data file or a whole one.
void Seed(const fs::path& from, const fs::path& to)
{
    fs::path temporary = to;
    temporary += ".seed";
    std::error_code error;
    fs::copy_file(from, temporary, fs::copy_options::overwrite_existing, error);
    if (!error)
        fs::rename(temporary, to, error);
    if (error)
        fs::remove(temporary, error);
}

}  // namespace

bool PrepareDataFolder(const fs::path& folder, const std::vector<fs::path>& installed,
                       std::string& error)
{
    std::error_code made;
    fs::create_directories(folder, made);
    if (made || !fs::is_directory(folder, made)) {
        error = folder.string() + ": cannot make the data folder" +
                (made ? ": " + made.message() : std::string());
        return false;
    }
    const fs::path target = folder / skydata::kDataFileName;
    std::error_code ignored;
    if (fs::exists(target, ignored))
        return true;
    for (const fs::path& copy : installed) {
        if (IsUsableDataFile(copy)) {
            Seed(copy, target);
            break;
        }
    }
    return true;
}

const CommandOptions<DataFileChoice>& DataFileOptions()
{
    static const CommandOptions<DataFileChoice> kOptions = {
        {{"--data"}, "FILE", "sky data file (default: datas.bin in the data folder)",
         [](DataFileChoice& c, const std::string& value) -> std::string {
             c.file = value;
             c.fileGiven = true;
             return value.empty() ? BadValue(value) : "";
         }},
        {{"--data-dir"}, "DIR",
         "data folder (default $SKYVANE_DATA_DIR, else ~/.local/share/Skyvane/Skyvane)",
         [](DataFileChoice& c, const std::string& value) -> std::string {
             c.folder = value;
             return value.empty() ? BadValue(value) : "";
         }},
    };
    return kOptions;
}

fs::path ResolveDataFile(const DataFileChoice& choice, std::string& error)
{
    if (choice.fileGiven)
        return choice.file;
    const fs::path folder = DataFolder(choice.folder);
    if (!PrepareDataFolder(folder, InstalledDataFiles(ExecutableFolder()), error))
        return {};
    return folder / skydata::kDataFileName;
}

}  // namespace skyvane::app
