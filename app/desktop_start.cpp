#include "app/desktop_start.h"

#include <QString>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "app/command_options.h"
#include "app/command_output.h"
#include "app/data_folder.h"

#ifndef SKYVANE_VERSION
#define SKYVANE_VERSION "0"
#endif

namespace skyvane::app {

namespace {

struct DesktopRequest {
    std::string dataFolder;
    bool help = false;
    bool version = false;
};

const CommandOptions<DesktopRequest>& DesktopOptions()
{
    using R = DesktopRequest;
    static const CommandOptions<DesktopRequest> kOptions = {
        {{"--data-dir"}, "DIR",
         "data folder (default $SKYVANE_DATA_DIR, else ~/.local/share/Skyvane/Skyvane)",
         [](R& r, const std::string& v) {
             r.dataFolder = v;
             return v.empty() ? BadValue(v) : "";
         }},
        {{"-v", "--version"}, "", "the program's version",
         [](R& r, const std::string&) -> std::string {
             r.version = true;
             return {};
         }},
        {{"-h", "--help"}, "", "this help",
         [](R& r, const std::string&) -> std::string {
             r.help = true;
             return {};
         }},
    };
    return kOptions;
}

}  // namespace

std::vector<std::vector<std::string>> DesktopOptionNames()
{
    return DocumentedOptionNames(DesktopOptions());
}

const char* VersionText() { return "skyvane " SKYVANE_VERSION; }

QIcon ProgramIcon()
{
    QIcon icon;
    for (const int size : {48, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1/skyvane.png").arg(size), QSize(size, size));
    return icon;
}

int EnterDataFolder(const QStringList& arguments, std::ostream& out, std::ostream& err)
{
    std::vector<std::string> args;
    for (qsizetype i = 1; i < arguments.size(); ++i)
        args.push_back(arguments[i].toStdString());
    DesktopRequest request;
    std::string error;
    const auto positional = ReadOptions(DesktopOptions(), args, request, error);
    if (positional && !positional->empty())
        error = positional->front() + ": unknown command";
    if (!positional || !positional->empty()) {
        err << "skyvane: " << error << "; try 'skyvane --help'\n";
        return 2;
    }
    if (request.help || request.version) {
        if (request.version)
            out << VersionText() << "\n";
        else
            out << "usage: skyvane [options]   the desktop program\n"
                << DescribeOptions(DesktopOptions());
        return FlushOutput(out).empty() ? 0 : 1;
    }

    const std::filesystem::path folder = DataFolder(request.dataFolder);
    if (!PrepareDataFolder(folder, InstalledDataFiles(ExecutableFolder()), error)) {
        err << "skyvane: " << error << "\n";
        return -1;
    }
    std::error_code failed;
    std::filesystem::current_path(folder, failed);
    if (failed)
        err << "skyvane: " << folder.string() << ": " << failed.message() << "\n";
    return -1;
}

}  // namespace skyvane::app
