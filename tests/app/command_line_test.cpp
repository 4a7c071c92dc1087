// The conventions every command follows: "--name=value", usage errors that
// point at the help, the data folder, pictures by their extension,
// standard output for "-", and no failed write passing for a success.
#include <QIcon>
#include <QImage>

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <streambuf>

#include "app/command_options.h"
#include "app/data_folder.h"
#include "app/desktop_start.h"
#include "app/ephemeris_command.h"
#include "app/render_command.h"

namespace skyvane::app {
namespace {

namespace fs = std::filesystem;

std::string Bytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A stream whose every write fails, as standard output on a full disk.
class FullBuffer : public std::streambuf {
protected:
    int_type overflow(int_type) override { return traits_type::eof(); }
    std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
};

class TemporaryFolder {
public:
    TemporaryFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "skyvane-cli-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TemporaryFolder()
    {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

TEST(CommandLine, NameEqualsValueReadsAsNameAndValue)
{
    std::string error;
    const auto spaced = ParseRenderArguments(
        {"horizontal", "--date", "-3167-03-01", "--lon", "-8.5", "--size", "300x200", "-o",
         "a.png"},
        error);
    ASSERT_TRUE(spaced) << error;
    const auto joined = ParseRenderArguments(
        {"--date=-3167-03-01", "horizontal", "--lon=-8.5", "--size=300x200", "-oa.png"}, error);
    ASSERT_TRUE(joined) << error;
    EXPECT_EQ(joined->place.year, -3167);
    EXPECT_EQ(joined->place.longitude, spaced->place.longitude);
    EXPECT_EQ(joined->width, 300);
    EXPECT_EQ(joined->output, "a.png");
    // The same option given twice: the last one counts, as before.
    const auto twice = ParseRenderArguments({"intro", "--zoom", "20", "--zoom=30"}, error);
    ASSERT_TRUE(twice) << error;
    EXPECT_EQ(twice->zoom, 30);
}

TEST(CommandLine, ACommandsOwnOptionReplacesASharedOneOfTheSameName)
{
    std::string error;
    const auto parsed = ParseCommandLine(
        {{{"--place"}, true}, {{"-o"}, true}, {{"--place"}, true}},
        {"--place", "Aarau", "chart", "-o", "x", "--place=Bern"}, error);
    ASSERT_TRUE(parsed) << error;
    ASSERT_EQ(parsed->options.size(), 3u);
    EXPECT_EQ(parsed->options[0], std::make_pair(std::size_t{2}, std::string("Aarau")));
    EXPECT_EQ(parsed->options[1], std::make_pair(std::size_t{1}, std::string("x")));
    EXPECT_EQ(parsed->options[2], std::make_pair(std::size_t{2}, std::string("Bern")));
    EXPECT_EQ(parsed->positional, std::vector<std::string>{"chart"});
}

TEST(CommandLine, SyntaxErrorsNameTheArgumentInOurWords)
{
    std::string error;
    EXPECT_FALSE(ParseRenderArguments({"horizontal", "--zoom"}, error));
    EXPECT_EQ(error, "--zoom: missing value");
    EXPECT_FALSE(ParseRenderArguments({"horizontal", "--no-stars=1"}, error));
    EXPECT_EQ(error, "--no-stars: takes no value");
    EXPECT_FALSE(ParseRenderArguments({"horizontal", "--frobnicate=2"}, error));
    EXPECT_EQ(error, "--frobnicate: unknown option");
    EXPECT_FALSE(ParseRenderArguments({"horizontal", "geocentric"}, error));
    EXPECT_EQ(error, "'geocentric': unexpected argument");
    // The precise value messages stay.
    EXPECT_FALSE(ParseRenderArguments({"horizontal", "--lat=95"}, error));
    EXPECT_EQ(error, "--lat: expected a number from -90 to 90, got '95'");
}

TEST(CommandLine, UsageErrorsPointAtTheCommandsHelp)
{
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunRenderCommand({"horizontal", "--size", "1x1"}, out, err), 2);
    EXPECT_EQ(err.str(), "skyvane render: --size: bad value '1x1'; try 'skyvane render --help'\n");
    err.str({});
    EXPECT_EQ(RunEphemerisCommand({"--dst", "2", "--now"}, out, err), 2);
    EXPECT_EQ(err.str(),
              "skyvane ephemeris: --dst: expected 0 or 1, got '2'; try 'skyvane ephemeris --help'\n");
    EXPECT_TRUE(out.str().empty());
    // The help comes from the same table as the options it describes.
    EXPECT_EQ(RunRenderCommand({"--help"}, out, err), 0);
    for (const auto& option : RenderOptions())
        EXPECT_NE(out.str().find(option.names.back()), std::string::npos) << option.names.back();
}

TEST(CommandLine, RenderWritesTheFormatItsExtensionNames)
{
    TemporaryFolder folder;
    struct Case {
        const char* name;
        std::string magic;
    };
    for (const Case& c : {Case{"h.png", "\x89PNG"}, Case{"h.jpg", "\xff\xd8\xff"},
                          Case{"h.JPEG", "\xff\xd8\xff"}, Case{"h.bmp", "BM"}}) {
        const fs::path file = folder.Path() / c.name;
        std::ostringstream out;
        std::ostringstream err;
        ASSERT_EQ(RunRenderCommand({"heliocentric", "--jd", "2451545", "--size", "200x150",
                                    "--data", SKYVANE_DATAS_BIN, "-o", file.string()},
                                   out, err),
                  0)
            << err.str();
        EXPECT_EQ(Bytes(file).substr(0, c.magic.size()), c.magic) << c.name;
        EXPECT_EQ(QImage(QString::fromStdString(file.string())).size(), QSize(200, 150));
    }
    // An extension Qt cannot write is refused before anything is drawn.
    std::ostringstream out;
    std::ostringstream err;
    const fs::path gif = folder.Path() / "h.gif";
    EXPECT_EQ(RunRenderCommand({"heliocentric", "--data", SKYVANE_DATAS_BIN, "-o", gif.string()},
                               out, err),
              2);
    EXPECT_EQ(err.str().rfind("skyvane render: -o: cannot write '" + gif.string() + "'", 0), 0u)
        << err.str();
    EXPECT_FALSE(fs::exists(gif));
}

TEST(CommandLine, DashWritesThePictureAloneToStandardOutput)
{
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(RunRenderCommand({"intro", "--size", "160x120", "--data", SKYVANE_DATAS_BIN, "-o",
                                "-"},
                               out, err),
              0)
        << err.str();
    QImage image;
    ASSERT_TRUE(image.loadFromData(
        reinterpret_cast<const uchar*>(out.str().data()), static_cast<int>(out.str().size()),
        "PNG"));
    EXPECT_EQ(image.size(), QSize(160, 120));

    std::ostringstream text;
    ASSERT_EQ(RunEphemerisCommand({"--jd", "2451545", "--json", "-o", "-"}, text, err), 0);
    EXPECT_TRUE(QJsonDocument::fromJson(QByteArray::fromStdString(text.str()))
                    .object()
                    .contains("instant"))
        << text.str();
}

TEST(CommandLine, EveryFailedWriteFailsTheCommand)
{
    FullBuffer full;
    std::ostream broken(&full);
    std::ostringstream err;
    EXPECT_EQ(RunEphemerisCommand({"--jd", "2451545", "--json"}, broken, err), 1);
    EXPECT_NE(err.str().find("skyvane ephemeris: standard output"), std::string::npos)
        << err.str();
    broken.clear();
    err.str({});
    EXPECT_EQ(RunRenderCommand({"intro", "--size", "160x120", "--data", SKYVANE_DATAS_BIN, "-o",
                                "-"},
                               broken, err),
              1);
    EXPECT_NE(err.str().find("cannot write the picture"), std::string::npos) << err.str();
    if (fs::exists("/dev/full")) {
        std::ostringstream out;
        err.str({});
        EXPECT_EQ(RunRenderCommand({"intro", "--size", "160x120", "--data", SKYVANE_DATAS_BIN,
                                    "-o", "/dev/full"},
                                   out, err),
                  1);
        EXPECT_NE(err.str().find("/dev/full: No space left on device"), std::string::npos)
            << err.str();
        EXPECT_TRUE(out.str().empty()) << out.str();
        err.str({});
        EXPECT_EQ(RunEphemerisCommand({"--now", "-o", "/dev/full"}, out, err), 1);
    }
}

TEST(CommandLine, AChartWithoutItsDataFileIsRefusedNamingTheFile)
{
    TemporaryFolder folder;
    const fs::path missing = folder.Path() / "none.bin";
    const fs::path junk = folder.Path() / "junk.bin";
    std::ofstream(junk) << "not a data file";
    for (const fs::path& data : {missing, junk}) {
        for (const char* chart : {"horizontal", "intro"}) {
            std::ostringstream out;
            std::ostringstream err;
            const fs::path picture = folder.Path() / "chart.png";
            EXPECT_EQ(RunRenderCommand({chart, "--data", data.string(), "-o", picture.string()},
                                       out, err),
                      1);
            EXPECT_EQ(err.str().rfind("skyvane render: " + data.string() + ": ", 0), 0u)
                << err.str();
            const std::string message = err.str();
            EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
            EXPECT_FALSE(fs::exists(picture));
        }
    }
}

TEST(DataFolder, CommandLineBeatsTheEnvironmentWhichBeatsTheUsersFolder)
{
    const char* saved = std::getenv(kDataFolderVariable);
    const std::string restore = saved ? saved : "";
    setenv(kDataFolderVariable, "/from/environment", 1);
    EXPECT_EQ(DataFolder("/from/command/line"), fs::path("/from/command/line"));
    EXPECT_EQ(DataFolder(""), fs::path("/from/environment"));
    setenv(kDataFolderVariable, "", 1);
    const fs::path user = DataFolder("");
    EXPECT_EQ(user.filename(), "Skyvane");
    EXPECT_EQ(user.parent_path().filename(), "Skyvane");
    if (saved)
        setenv(kDataFolderVariable, restore.c_str(), 1);
    else
        unsetenv(kDataFolderVariable);
}

TEST(DataFolder, SeedsFromTheFirstUsableInstalledCopyAndNeverOverwrites)
{
    TemporaryFolder root;
    const fs::path damaged = root.Path() / "damaged.bin";
    std::ofstream(damaged) << "DATAS but not really";
    const fs::path folder = root.Path() / "a" / "b";
    std::string error;

    // Only a damaged copy: the folder is made and stays without a file.
    ASSERT_TRUE(PrepareDataFolder(folder, {root.Path() / "missing.bin", damaged}, error)) << error;
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_FALSE(fs::exists(folder / "datas.bin"));

    ASSERT_TRUE(PrepareDataFolder(folder, {damaged, SKYVANE_DATAS_BIN}, error)) << error;
    EXPECT_EQ(Bytes(folder / "datas.bin"), Bytes(SKYVANE_DATAS_BIN));
    EXPECT_FALSE(fs::exists(folder / "datas.bin.seed"));

    // The user's own (downloaded) file stays.
    std::ofstream(folder / "datas.bin", std::ios::trunc) << "mine";
    ASSERT_TRUE(PrepareDataFolder(folder, {SKYVANE_DATAS_BIN}, error));
    EXPECT_EQ(Bytes(folder / "datas.bin"), "mine");

    // A file where the folder should be.
    EXPECT_FALSE(PrepareDataFolder(folder / "datas.bin" / "x", {}, error));
    EXPECT_NE(error.find("cannot make the data folder"), std::string::npos) << error;
}

TEST(DesktopIdentity, TheWindowIconHasEverySizeTheMenuShows)
{
    const QIcon icon = ProgramIcon();
    ASSERT_FALSE(icon.isNull());
    for (const int size : {48, 128, 256})
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << size;
    EXPECT_STREQ(VersionText(), "skyvane 1.41");
}

TEST(DataFolder, TheInstalledCopyIsFoundBesideTheProgramsPrefix)
{
    const auto files = InstalledDataFiles("/opt/sky/bin");
    ASSERT_FALSE(files.empty());
    EXPECT_EQ(files.front(), fs::path("/opt/sky/share/skyvane/datas.bin"));
}

}  // namespace
}  // namespace skyvane::app
