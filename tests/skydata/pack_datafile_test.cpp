// The vendor's packer refuses what the program's reader would ignore or
// misread, so a data file never leaves the vendor with an entry the
// program silently loses.
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "skydata/data_file.h"
#include "skydata/pictures.h"
#include "test_files.h"

namespace skyvane::skydata {
namespace {

using namespace testing;

struct PackRun {
    int status = -1;
    std::string output;
};

class PackDatafileTest : public ::testing::Test {
protected:
    PackDatafileTest()
    {
        std::random_device device;
        folder_ = std::filesystem::temp_directory_path() / ("skyvane-pack-test-" + std::to_string(device()));
        std::filesystem::create_directories(folder_);
    }
    ~PackDatafileTest() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    std::string Input(const std::string& name, const Bytes& bytes) const
    {
        const std::filesystem::path path = folder_ / name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }

    PackRun Pack(const std::vector<std::string>& inputs) const
    {
        std::string command = std::string("'") + SKYVANE_PACK_DATAFILE + "' '" + Output().string() + "'";
        for (const std::string& input : inputs) command += " '" + input + "'";
        command += " 2>&1";
        PackRun run;
        FILE* pipe = ::popen(command.c_str(), "r");
        if (pipe == nullptr) return run;
        char chunk[512];
        for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) run.output.append(chunk, n);
        const int status = ::pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return run;
    }

    std::filesystem::path Output() const { return folder_ / "out.bin"; }

    std::filesystem::path folder_;
};

TEST_F(PackDatafileTest, RefusesNamesAndPicturesTheReaderWouldLose)
{
    const std::string layout = Input("Datafile.txt", ToBytes("GROUP|1|;\r\n"));
    struct Case {
        std::string name;
        Bytes bytes;
        std::string says;
    };
    const std::vector<Case> cases{
        {"INTRO.BMP", MakeBmp(4, 4, 0xFF0000), "capitals"},          // ".bmp" is matched in small letters
        {"moon.Gif", MakeGif(4, 4, 0xFF0000), "capitals"},
        {"notes.TXT", ToBytes("text"), "capitals"},
        {"readme", ToBytes("text"), "would ignore"},
        {"padding.dat", ToBytes("data"), "would ignore"},
        {"sky.bmp.txt", MakeBmp(4, 4, 0xFF0000), "one kind"},        // read as text and as picture
        {"sky.gif.zip", ToBytes("zip"), "one kind"},
        {"Stars.txt", ToBytes("S|;\r\n"), "must be spelled 'stars.txt'"},
        {"DataFile.txt", ToBytes("GROUP|1|;\r\n"), "must be spelled 'Datafile.txt'"},
        {"photo.bmp", ToBytes("\x89PNG\r\n\x1a\n not a bitmap"), "not a BMP"},
        {"anim.gif", MakeBmp(4, 4, 0xFF0000), "not a GIF"},
        {"huge.gif", MakeTinyGif(5600, 5600), "5600 x 5600"},
        {"tall.bmp", MakeRle8Bmp(8, 4097, 0xFF0000), "8 x 4097"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PackRun run = Pack({layout, Input(c.name, c.bytes)});
        EXPECT_EQ(run.status, 1) << run.output;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << run.output;
        EXPECT_FALSE(std::filesystem::exists(Output()));
    }
}

TEST_F(PackDatafileTest, PacksEveryKindTheReaderTakesWhereItLooks)
{
    const PackRun run = Pack({Input("intro.bmp", MakeBmp(20, 10, 0x00FF00)), Input("moon.gif", MakeGif(8, 6, 0xFF0000)),
                              Input("Datafile.txt", ToBytes("GROUP|1|;\r\n")), Input("stars.txt", ToBytes("")),
                              Input("LICENSE-data.txt", ToBytes("free")), Input("big.bmp", MakeRle8Bmp(4096, 16, 0xFF))});
    ASSERT_EQ(run.status, 0) << run.output;

    std::ifstream file(Output(), std::ios::binary);
    const Bytes bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const auto decoded = DecodeDataFile(bytes);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->layoutText, "GROUP|1|;\r\n");
    const PictureTable table = BuildPictureTable(*decoded);
    EXPECT_EQ(table.pictureCount, 3);
    EXPECT_EQ(table.pictureSlots[1].size, (IntRect{0, 0, 20, 10}));
    EXPECT_EQ(table.pictureSlots[2].size, (IntRect{0, 0, 8, 6}));
    EXPECT_EQ(table.pictureSlots[6].size, (IntRect{0, 0, 4096, 16}));
}

}  // namespace
}  // namespace skyvane::skydata
