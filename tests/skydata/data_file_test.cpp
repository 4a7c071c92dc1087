// Unpacking "datas.bin": the directory walk, routing of entries, and files
// that break the format's limits.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include "skydata/data_file.h"
#include "test_files.h"

namespace skyvane::skydata {
namespace {

using namespace testing;

// "e7.dat" and the like, for directories of many entries.
std::string EntryName(int i, std::string_view suffix)
{
    std::string name = "e";
    name += std::to_string(i);
    name += suffix;
    return name;
}

DecodedDataFile Decode(const ContainerPlan& plan)
{
    const auto decoded = DecodeDataFile(BuildDataFile(plan));
    if (!decoded) throw std::runtime_error("data file rejected");
    return *decoded;
}

ContainerPlan ThreeEntries()
{
    return {.entries = {{"Datafile.txt", "INTROPICT|F|P|0|0|a.gif|;\r\n"},
                        {"stars.txt", "C|x|And Andromeda|;\r\n"},
                        {"a.gif", "GIF89a..."}}};
}

TEST(DecodeDataFileTest, RoutesTextsAndPictures)
{
    const DecodedDataFile decoded = Decode(ThreeEntries());
    EXPECT_EQ(decoded.layoutText, "INTROPICT|F|P|0|0|a.gif|;\r\n");
    EXPECT_EQ(decoded.catalogueText, "C|x|And Andromeda|;\r\n");
    ASSERT_EQ(decoded.pictures.size(), 1u);
    EXPECT_EQ(decoded.pictures[0].index, 3);
    EXPECT_EQ(decoded.pictures[0].name, "a.gif");
    EXPECT_EQ(ToString(decoded.pictures[0].bytes), "GIF89a...");
}

// Slot i belongs to directory entry i; entries that are not pictures mark
// their slot "NOFILENAME", slots of no entry stay empty.
TEST(DecodeDataFileTest, PictureSlotsFollowTheDirectory)
{
    const DecodedDataFile decoded = Decode(ThreeEntries());
    EXPECT_EQ(decoded.slotNames[0], "");
    EXPECT_EQ(decoded.slotNames[1], "NOFILENAME");
    EXPECT_EQ(decoded.slotNames[2], "NOFILENAME");
    EXPECT_EQ(decoded.slotNames[3], "a.gif");
    for (int i = 4; i < kPictureSlotCount; ++i) EXPECT_EQ(decoded.slotNames[i], "") << i;
}

TEST(DecodeDataFileTest, EntryZeroIsNeverAnItem)
{
    ContainerPlan plan = {.entries = {{"x.dat", "C|x|And Andromeda|;\r\n"}}};
    plan.firstEntryName = "stars.txt";
    const DecodedDataFile decoded = Decode(plan);
    EXPECT_EQ(decoded.catalogueText, "");
    EXPECT_EQ(decoded.slotNames[0], "");
}

// With fewer than 96 directory bytes there is no entry 1 to walk.
TEST(DecodeDataFileTest, DirectoryOfOneEntryHasNoItems)
{
    ContainerPlan plan = ThreeEntries();
    plan.directorySizeField = "95";
    const DecodedDataFile decoded = Decode(plan);
    EXPECT_EQ(decoded.layoutText, "");
    EXPECT_EQ(decoded.catalogueText, "");
    EXPECT_TRUE(decoded.pictures.empty());
    EXPECT_EQ(decoded.slotNames[1], "");
}

TEST(DecodeDataFileTest, DirectorySizeCountsWholeEntriesOnly)
{
    ContainerPlan plan = ThreeEntries();
    plan.directorySizeField = std::to_string(3 * 48 + 47);  // entries 0 to 2
    const DecodedDataFile decoded = Decode(plan);
    EXPECT_NE(decoded.layoutText, "");
    EXPECT_NE(decoded.catalogueText, "");
    EXPECT_TRUE(decoded.pictures.empty());
    EXPECT_EQ(decoded.slotNames[3], "");
}

TEST(DecodeDataFileTest, BlanksAreRemovedFromNames)
{
    const DecodedDataFile decoded =
        Decode({.entries = {{"Data file.txt", "layout;"}, {" stars . txt ", "stars;"}, {"my  pic.bmp", "BM"}}});
    EXPECT_EQ(decoded.layoutText, "layout;");
    EXPECT_EQ(decoded.catalogueText, "stars;");
    EXPECT_EQ(decoded.slotNames[3], "mypic.bmp");
    EXPECT_EQ(decoded.pictures.at(0).name, "mypic.bmp");
}

TEST(DecodeDataFileTest, NamesAreCaseSensitive)
{
    const DecodedDataFile decoded =
        Decode({.entries = {{"datafile.txt", "layout;"}, {"STARS.TXT", "stars;"}, {"pic.BMP", "BM"}}});
    EXPECT_EQ(decoded.layoutText, "");
    EXPECT_EQ(decoded.catalogueText, "");
    EXPECT_TRUE(decoded.pictures.empty());
    EXPECT_EQ(decoded.slotNames[3], "NOFILENAME");
}

TEST(DecodeDataFileTest, TextIsCutAtItsFirstNul)
{
    const DecodedDataFile decoded =
        Decode({.entries = {{"stars.txt", std::string("C|x|And|;\r\n\0C|x|Ant|;\r\n", 22)}}});
    EXPECT_EQ(decoded.catalogueText, "C|x|And|;\r\n");
}

TEST(DecodeDataFileTest, LaterEntryOfTheSameNameWins)
{
    const DecodedDataFile decoded = Decode(
        {.entries = {{"stars.txt", "first;"}, {"Datafile.txt", "one;"}, {"stars.txt", "second;"}, {"Data file.txt", ""}}});
    EXPECT_EQ(decoded.catalogueText, "second;");
    EXPECT_EQ(decoded.layoutText, "");
}

// The kind tests are independent: a picture may carry ".txt" in its name.
TEST(DecodeDataFileTest, NameOfBothKindsIsBoth)
{
    const DecodedDataFile decoded = Decode({.entries = {{"notes.txt.gif", "GIF89a"}}});
    EXPECT_EQ(decoded.slotNames[1], "notes.txt.gif");
    ASSERT_EQ(decoded.pictures.size(), 1u);
}

TEST(DecodeDataFileTest, NameOfThirtyTwoCharactersNeedsNoNul)
{
    const std::string name = std::string(28, 'a') + ".gif";
    const DecodedDataFile decoded = Decode({.entries = {{name, "GIF89a"}}});
    EXPECT_EQ(decoded.slotNames[1], name);
}

TEST(DecodeDataFileTest, SizesAndOffsetsReadAsAtoi)
{
    ContainerPlan plan = {.entries = {{"stars.txt", "", "  +0100", "0120xyz"}}};
    plan.extraDirectoryBytes = 2;  // 98 directory bytes: data starts at 98
    const std::string payload = BuildPayload(plan) + "0123456789abcdefghijklmnopqrstuvwxyz";
    const Bytes file = PackHeader(" +" + std::to_string(payload.size()) + "end", "00098 x", "cafe", Compress(payload));
    const auto decoded = DecodeDataFile(file);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->catalogueText, "23456789abcdefghijkl");
}

class HexFieldTest : public ::testing::TestWithParam<std::string> {};

TEST_P(HexFieldTest, AnyValueLoadsTheSame)
{
    ContainerPlan plan = ThreeEntries();
    plan.hexField = GetParam();
    const DecodedDataFile decoded = Decode(plan);
    const DecodedDataFile reference = Decode(ThreeEntries());
    EXPECT_EQ(decoded.layoutText, reference.layoutText);
    EXPECT_EQ(decoded.catalogueText, reference.catalogueText);
    EXPECT_EQ(decoded.slotNames, reference.slotNames);
    EXPECT_EQ(decoded.pictures.size(), reference.pictures.size());
}

INSTANTIATE_TEST_SUITE_P(Values, HexFieldTest,
                         ::testing::Values("00000000", "FFFFFFFF", "zzzzzzzz", "-1", "", std::string(8, '\0')));

// --- Files that break the limits -------------------------------------------

// A file whose frame cannot be trusted counts as missing.
struct RejectedCase {
    std::string name;
    Bytes (*file)();
};

class RejectedFileTest : public ::testing::TestWithParam<RejectedCase> {};

TEST_P(RejectedFileTest, CountsAsMissing) { EXPECT_FALSE(DecodeDataFile(GetParam().file()).has_value()); }

// The download checks a body with the loader's own rules before it stores
// it, and says which one failed.
TEST_P(RejectedFileTest, FailsTheCheckWithAReason)
{
    std::string why = "stale";
    EXPECT_FALSE(CheckDataFile(GetParam().file(), why));
    EXPECT_NE(why, "stale");
    EXPECT_FALSE(why.empty());
}

Bytes WithPayloadSize(std::string field)
{
    ContainerPlan plan = ThreeEntries();
    plan.payloadSizeField = std::move(field);
    return BuildDataFile(plan);
}

Bytes WithDirectorySize(std::string field)
{
    ContainerPlan plan = ThreeEntries();
    plan.directorySizeField = std::move(field);
    return BuildDataFile(plan);
}

int PayloadBytes() { return static_cast<int>(BuildPayload(ThreeEntries()).size()); }

INSTANTIATE_TEST_SUITE_P(
    Limits, RejectedFileTest,
    ::testing::Values(
        RejectedCase{"Empty", [] { return Bytes{}; }},
        RejectedCase{"ShorterThanTheHeader", [] { return ToBytes("1234      96      0000000"); }},
        RejectedCase{"HeaderOnly", [] { return PackHeader("0", "0", "0", {}); }},
        RejectedCase{"PayloadLargerThanDeclared", [] { return WithPayloadSize(std::to_string(PayloadBytes() - 1)); }},
        RejectedCase{"PayloadSmallerThanDeclared", [] { return WithPayloadSize(std::to_string(PayloadBytes() + 1)); }},
        RejectedCase{"NegativePayloadSize", [] { return WithPayloadSize("-5"); }},
        RejectedCase{"PayloadSizeNotANumber", [] { return WithPayloadSize("size"); }},
        RejectedCase{"PayloadAboveTheLimit",
                     [] {
                         const std::string payload(kMaxPayloadBytes + 1, '\0');
                         return PackHeader(std::to_string(payload.size()), "0", "0", Compress(payload));
                     }},
        RejectedCase{"TruncatedStream",
                     [] {
                         Bytes file = BuildDataFile(ThreeEntries());
                         file.resize(file.size() - 10);
                         return file;
                     }},
        RejectedCase{"DamagedStream",
                     [] {
                         Bytes file = BuildDataFile(ThreeEntries());
                         for (std::size_t i = 30; i < file.size() - 4; i += 7) file[i] ^= 0x5A;
                         return file;
                     }},
        RejectedCase{"NotAZlibStream",
                     [] { return PackHeader(std::to_string(PayloadBytes()), "96", "0", ToBytes(BuildPayload(ThreeEntries()))); }},
        RejectedCase{"DirectoryAboveTheLimit",
                     [] {
                         ContainerPlan plan;
                         for (int i = 1; i <= 42; ++i) plan.entries.push_back({EntryName(i, ".txt"), "x"});
                         return BuildDataFile(plan);  // 43 entries: 2064 bytes
                     }},
        RejectedCase{"DirectoryOneAboveTheLimit",
                     [] {
                         std::string payload = BuildPayload(ThreeEntries());
                         payload.resize(3000, ' ');
                         return PackHeader(std::to_string(payload.size()), "2048", "0", Compress(payload));
                     }},
        RejectedCase{"DirectoryBeyondThePayload", [] { return WithDirectorySize(std::to_string(PayloadBytes() + 1)); }},
        RejectedCase{"NegativeDirectorySize", [] { return WithDirectorySize("-96"); }},
        RejectedCase{"FileAboveTheLimit",
                     [] {
                         Bytes file = BuildDataFile(ThreeEntries());
                         file.resize(kMaxDataFileBytes + 1, 0);
                         return file;
                     }}),
    [](const auto& info) { return info.param.name; });

TEST(CheckDataFileTest, PassesWhatLoadsAndNamesTheFailedCheck)
{
    std::string why = "stale";
    EXPECT_TRUE(CheckDataFile(BuildDataFile(ThreeEntries()), why));
    EXPECT_EQ(why, "");

    // A file cut short, as when a server announces too few bytes.
    Bytes truncated = BuildDataFile(ThreeEntries());
    truncated.resize(truncated.size() / 2);
    EXPECT_FALSE(CheckDataFile(truncated, why));
    EXPECT_NE(why.find("does not inflate to the " + std::to_string(PayloadBytes()) + " bytes"), std::string::npos)
        << why;

    EXPECT_FALSE(CheckDataFile(ToBytes("<html><body>404 Not Found</body></html>"), why));
    // "<html><bod" reads as a payload of 0 bytes, which no page inflates to.
    EXPECT_NE(why.find("does not inflate to the 0 bytes"), std::string::npos) << why;
    EXPECT_FALSE(CheckDataFile(ToBytes("short"), why));
    EXPECT_NE(why.find("less than a header"), std::string::npos) << why;
    EXPECT_FALSE(CheckDataFile(WithDirectorySize("5000"), why));
    EXPECT_NE(why.find("directory of 5000 bytes"), std::string::npos) << why;
}

// The limits themselves are allowed.
TEST(DataFileLimitsTest, LargestAllowedSizesLoad)
{
    ContainerPlan plan = {.entries = {{"stars.txt", "stars;"}}};
    for (int i = 2; i <= 41; ++i) plan.entries.push_back({EntryName(i, ".dat"), "x"});
    plan.extraDirectoryBytes = kMaxDirectoryBytes - 42 * 48;
    ASSERT_EQ(DirectoryBytes(plan), kMaxDirectoryBytes);
    std::string payload = BuildPayload(plan);
    payload.resize(kMaxPayloadBytes, ' ');
    Bytes file = PackHeader(std::to_string(payload.size()), std::to_string(kMaxDirectoryBytes), "0", Compress(payload));
    // zlib ignores what follows the stream, so the file may be padded up to its limit.
    file.resize(kMaxDataFileBytes, 0);

    const auto decoded = DecodeDataFile(file);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->catalogueText, "stars;");
    EXPECT_EQ(decoded->slotNames[14], "NOFILENAME");
}

TEST(DataFileLimitsTest, EmptyPayloadIsAFileWithoutEntries)
{
    const auto decoded = DecodeDataFile(PackHeader("0", "0", "0", Compress("")));
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->catalogueText, "");
    EXPECT_TRUE(decoded->pictures.empty());
}

// An entry that cannot be used is skipped; the others load.
struct SkippedCase {
    std::string name;
    std::string start;
    std::string end;
};

class SkippedEntryTest : public ::testing::TestWithParam<SkippedCase> {};

TEST_P(SkippedEntryTest, OtherEntriesStillLoad)
{
    const ContainerPlan plan = {.entries = {{"Datafile.txt", "layout;"},
                                            {"stars.txt", "bad;", GetParam().start, GetParam().end},
                                            {"bad.bmp", "BM", GetParam().start, GetParam().end},
                                            {"good.gif", "GIF89a"}}};
    ASSERT_EQ(BuildPayload(plan).size(), 259u);  // the offsets in the cases are chosen around it
    const DecodedDataFile decoded = Decode(plan);
    EXPECT_EQ(decoded.layoutText, "layout;");
    EXPECT_EQ(decoded.catalogueText, "");
    EXPECT_EQ(decoded.slotNames[3], "NOFILENAME");
    ASSERT_EQ(decoded.pictures.size(), 1u);
    EXPECT_EQ(decoded.pictures[0].name, "good.gif");
    EXPECT_EQ(decoded.slotNames[4], "good.gif");
}

INSTANTIATE_TEST_SUITE_P(Limits, SkippedEntryTest,
                         ::testing::Values(SkippedCase{"StartBeyondThePayload", "9999999", "9999999"},
                                           SkippedCase{"EndBeyondThePayload", "200", "9999999"},
                                           SkippedCase{"EndBeforeStart", "250", "240"},
                                           SkippedCase{"NegativeStart", "-10", "240"},
                                           SkippedCase{"EndOneBeyondThePayload", "240", "260"},
                                           SkippedCase{"FiveMillionBytes", "0", "5000000"}),
                         [](const auto& info) { return info.param.name; });

TEST(DataFileLimitsTest, EntryEndingAtThePayloadEndLoads)
{
    // Directory of 2 entries (96 bytes) followed by the 10-byte text.
    const DecodedDataFile decoded = Decode({.entries = {{"stars.txt", "0123456789", "96", "106"}}});
    EXPECT_EQ(decoded.catalogueText, "0123456789");
}

// The picture table has slots 1 to 14 only; a picture listed later is
// skipped, while a text entry there is still read.
TEST(DataFileLimitsTest, PicturesBeyondTheLastSlotAreSkipped)
{
    ContainerPlan plan;
    for (int i = 1; i <= 13; ++i) plan.entries.push_back({EntryName(i, ""), "x"});
    plan.entries.push_back({"fourteen.gif", "GIF89a"});
    plan.entries.push_back({"fifteen.gif", "GIF89a"});
    for (int i = 16; i <= 19; ++i) plan.entries.push_back({EntryName(i, ""), "x"});
    plan.entries.push_back({"stars.txt", "late text;"});  // index 20
    const DecodedDataFile decoded = Decode(plan);
    ASSERT_EQ(decoded.pictures.size(), 1u);
    EXPECT_EQ(decoded.pictures[0].index, 14);
    EXPECT_EQ(decoded.slotNames[14], "fourteen.gif");
    EXPECT_EQ(decoded.catalogueText, "late text;");
}

// --- Reading the file -------------------------------------------------------

class ReadDataFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() /
              ("skydata-read-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::filesystem::path Write(const std::string& name, const Bytes& bytes)
    {
        const auto path = dir / name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return path;
    }

    std::filesystem::path dir;
};

TEST_F(ReadDataFileTest, ReadsTheWholeFileUnchanged)
{
    const Bytes content = ToBytes(std::string("a\r\nb\0\x1A\xFF", 7));
    Bytes read;
    ASSERT_TRUE(ReadDataFile(Write("datas.bin", content), read));
    EXPECT_EQ(read, content);
}

TEST_F(ReadDataFileTest, MissingFileIsNotRead)
{
    Bytes read = {1, 2, 3};
    EXPECT_FALSE(ReadDataFile(dir / "datas.bin", read));
    EXPECT_FALSE(ReadDataFile(dir, read));
}

TEST_F(ReadDataFileTest, FileAboveTheLimitCountsAsMissing)
{
    Bytes read;
    EXPECT_TRUE(ReadDataFile(Write("at.bin", Bytes(kMaxDataFileBytes, 'x')), read));
    EXPECT_EQ(read.size(), kMaxDataFileBytes);
    EXPECT_FALSE(ReadDataFile(Write("above.bin", Bytes(kMaxDataFileBytes + 1, 'x')), read));
}

}  // namespace
}  // namespace skyvane::skydata
