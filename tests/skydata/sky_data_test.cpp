// Loading data files into published snapshots: the once-per-run catalogue,
// the picture table of each load, start-up, and readers on other threads.
#include <atomic>
#include <filesystem>
#include <fstream>
#include <latch>
#include <thread>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "skydata/sky_data.h"
#include "test_files.h"

namespace skyvane::skydata {
namespace {

using namespace testing;

std::string Stars(int count, int firstSao)
{
    std::string text;
    for (int i = 0; i < count; ++i) text += StarLine(1 + i * 0.01, 2, firstSao + i, "Bet Lyr");
    return text;
}

// File A: 40 stars from SAO 1000, intro "alpha.gif" in slot 1.
Bytes FileA()
{
    return BuildDataFile({.entries = {{"alpha.gif", ToString(MakeGif(10, 20, 0xFF0000))},
                                      {"Datafile.txt", "INTROPICT|F|P|0|0|alpha.gif|;\r\n"},
                                      {"stars.txt", "ID|http://a/|.html|;\r\n" + Stars(40, 1000)}}});
}

// File B: 25 stars from SAO 5000, intro "beta.bmp" in slot 2, another
// picture in slot 3.
Bytes FileB()
{
    return BuildDataFile({.entries = {{"stars.txt", "ID|http://b/|.htm|;\r\n" + Stars(25, 5000)},
                                      {"beta.bmp", ToString(MakeBmp(30, 40, 0x0000FF))},
                                      {"gamma.gif", ToString(MakeGif(5, 5, 0x00FF00))},
                                      {"Datafile.txt", "INTROPICT|F|P|0|0|beta.bmp|;\r\n"}}});
}

TEST(SkyDataStoreTest, StartsEmpty)
{
    SkyDataStore store;
    const auto data = store.Current();
    ASSERT_NE(data, nullptr);
    ASSERT_NE(data->catalogue, nullptr);
    EXPECT_FALSE(data->catalogue->loaded);
    EXPECT_EQ(data->catalogue->starCount, 0);
    EXPECT_EQ(data->pictures.pictureCount, 0);
    EXPECT_EQ(data->introPictureName, "");
}

TEST(SkyDataStoreTest, LoadPublishesCatalogueLayoutAndPictures)
{
    SkyDataStore store;
    ASSERT_TRUE(store.Load(FileA()));
    const auto data = store.Current();
    EXPECT_TRUE(data->catalogue->loaded);
    EXPECT_EQ(data->catalogue->starCount, 40);
    EXPECT_EQ(data->catalogue->pagePrefix, "http://a/");
    EXPECT_EQ(data->introPictureName, "alpha.gif");
    EXPECT_EQ(data->pictures.pictureCount, 1);
    EXPECT_EQ(data->pictures.pictureSlots[1].name, "alpha.gif");
    EXPECT_EQ(data->pictures.pictureSlots[1].size, (IntRect{0, 0, 10, 20}));
    EXPECT_EQ(data->pictures.pictureSlots[2].name, "NOFILENAME");
}

// A second file in the same run refreshes the pictures and the intro
// choice; the catalogue stays as the first load left it.
TEST(SkyDataStoreTest, SecondLoadKeepsTheCatalogue)
{
    SkyDataStore store;
    ASSERT_TRUE(store.Load(FileA()));
    const auto first = store.Current();
    ASSERT_TRUE(store.Load(FileB()));
    const auto second = store.Current();

    EXPECT_EQ(second->catalogue, first->catalogue);
    EXPECT_EQ(second->catalogue->starCount, 40);
    EXPECT_EQ(second->catalogue->stars[0].sao, 1000);
    EXPECT_EQ(second->catalogue->pagePrefix, "http://a/");
    EXPECT_EQ(second->introPictureName, "beta.bmp");
    EXPECT_EQ(second->pictures.pictureCount, 2);
    EXPECT_EQ(second->pictures.pictureSlots[1].name, "NOFILENAME");
    EXPECT_EQ(second->pictures.pictureSlots[1].present, 0);
    EXPECT_TRUE(second->pictures.pictureSlots[1].picture.isNull());
    EXPECT_EQ(second->pictures.pictureSlots[2].name, "beta.bmp");
    EXPECT_EQ(second->pictures.pictureSlots[2].size, (IntRect{0, 0, 30, 40}));
    EXPECT_EQ(second->pictures.pictureSlots[3].name, "gamma.gif");

    // What a reader already holds does not change under it.
    EXPECT_EQ(first->introPictureName, "alpha.gif");
    EXPECT_EQ(first->pictures.pictureSlots[1].size, (IntRect{0, 0, 10, 20}));
}

TEST(SkyDataStoreTest, FileWithoutCatalogueUsesUpTheOneRead)
{
    SkyDataStore store;
    ASSERT_TRUE(store.Load(BuildDataFile({.entries = {{"Datafile.txt", "GROUP|1|;\r\n"}}})));
    EXPECT_TRUE(store.Current()->catalogue->loaded);
    ASSERT_TRUE(store.Load(FileA()));
    EXPECT_EQ(store.Current()->catalogue->starCount, 0);
}

TEST(SkyDataStoreTest, RejectedFileChangesNothing)
{
    SkyDataStore store;
    Bytes damaged = FileB();
    damaged.resize(damaged.size() / 2);
    const auto before = store.Current();
    EXPECT_FALSE(store.Load(damaged));
    EXPECT_EQ(store.Current(), before);
    // The catalogue is still to be read, so the next good file fills it.
    ASSERT_TRUE(store.Load(FileA()));
    EXPECT_EQ(store.Current()->catalogue->starCount, 40);
}

TEST(SkyDataStoreTest, IntroChoiceCarriesOverUntilALayoutChangesIt)
{
    SkyDataStore store;
    ASSERT_TRUE(store.Load(FileA()));
    ASSERT_TRUE(store.Load(BuildDataFile({.entries = {{"Datafile.txt", "GROUP|1|;\r\n"}}})));
    EXPECT_EQ(store.Current()->introPictureName, "alpha.gif");
    ASSERT_TRUE(store.Load(BuildDataFile({.entries = {{"Datafile.txt", "INTROPICT|N|P|0|0|alpha.gif|;\r\n"}}})));
    EXPECT_EQ(store.Current()->introPictureName, "");
}

TEST(SkyDataStoreTest, DamagedPictureDoesNotStopTheLoad)
{
    SkyDataStore store;
    ASSERT_TRUE(store.Load(BuildDataFile({.entries = {{"broken.gif", "GIF89a\x01\x02"},
                                                      {"stars.txt", Stars(3, 10)},
                                                      {"fine.bmp", ToString(MakeBmp(2, 2, 0xFFFFFF))}}})));
    const auto data = store.Current();
    EXPECT_EQ(data->catalogue->starCount, 3);
    EXPECT_EQ(data->pictures.pictureCount, 2);
    EXPECT_EQ(data->pictures.pictureSlots[1].present, 1);
    EXPECT_EQ(data->pictures.pictureSlots[1].name, "broken.gif");
    EXPECT_TRUE(data->pictures.pictureSlots[1].picture.isNull());
    EXPECT_FALSE(data->pictures.pictureSlots[3].picture.isNull());
}

TEST(SkyDataStoreTest, ReleasingPicturesKeepsTheRest)
{
    SkyDataStore store;
    ASSERT_TRUE(store.Load(FileB()));
    const auto held = store.Current();
    store.ReleasePictures();
    const auto released = store.Current();
    for (const PictureSlot& slot : released->pictures.pictureSlots) EXPECT_TRUE(slot.picture.isNull()) << slot.name;
    EXPECT_EQ(released->pictures.pictureSlots[2].name, "beta.bmp");
    EXPECT_EQ(released->catalogue, held->catalogue);
    EXPECT_FALSE(held->pictures.pictureSlots[2].picture.isNull());
}

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() /
              ("skydata-startup-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        SetDataFileUpdateStarter([this] { ++updatesStarted; });
    }
    void TearDown() override
    {
        SetDataFileUpdateStarter(nullptr);
        std::filesystem::remove_all(dir);
    }
    void WriteDataFile(const Bytes& bytes)
    {
        std::ofstream(dir / "datas.bin", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    std::filesystem::path dir;
    SkyDataStore store;
    int updatesStarted = 0;
};

TEST_F(StartupTest, LoadsTheFileWithoutAnUpdate)
{
    WriteDataFile(FileA());
    bool fileRead = false;
    LoadDataFileAtStartup(fileRead, dir / "datas.bin", store);
    EXPECT_TRUE(fileRead);
    EXPECT_EQ(updatesStarted, 0);
    EXPECT_EQ(store.Current()->catalogue->starCount, 40);
}

TEST_F(StartupTest, MissingFileStartsTheUpdate)
{
    bool fileRead = true;
    LoadDataFileAtStartup(fileRead, dir / "datas.bin", store);
    EXPECT_FALSE(fileRead);
    EXPECT_EQ(updatesStarted, 1);
    EXPECT_FALSE(store.Current()->catalogue->loaded);
}

TEST_F(StartupTest, UnusableFileCountsAsMissing)
{
    Bytes file = FileA();
    file[3] = 'x';  // breaks the payload size
    WriteDataFile(file);
    bool fileRead = true;
    LoadDataFileAtStartup(fileRead, dir / "datas.bin", store);
    EXPECT_FALSE(fileRead);
    EXPECT_EQ(updatesStarted, 1);
    EXPECT_FALSE(store.Current()->catalogue->loaded);
}

// The snapshot a reader holds matches one of the files as a whole.
bool IsPictureSideOfA(const SkyData& data)
{
    const PictureTable& p = data.pictures;
    return data.introPictureName == "alpha.gif" && p.pictureCount == 1 && p.pictureSlots[1].name == "alpha.gif" &&
           p.pictureSlots[1].size == IntRect{0, 0, 10, 20} && p.pictureSlots[1].picture.width() == 10 &&
           p.pictureSlots[2].name == "NOFILENAME" && p.pictureSlots[4].name.empty();
}

bool IsPictureSideOfB(const SkyData& data)
{
    const PictureTable& p = data.pictures;
    return data.introPictureName == "beta.bmp" && p.pictureCount == 2 && p.pictureSlots[1].name == "NOFILENAME" &&
           p.pictureSlots[1].picture.isNull() && p.pictureSlots[2].name == "beta.bmp" &&
           p.pictureSlots[2].size == IntRect{0, 0, 30, 40} && p.pictureSlots[2].picture.height() == 40 &&
           p.pictureSlots[3].size == IntRect{0, 0, 5, 5} && p.pictureSlots[4].name == "NOFILENAME";
}

bool IsEmpty(const SkyData& data)
{
    return data.introPictureName.empty() && data.pictures.pictureCount == 0 && !data.catalogue->loaded &&
           data.catalogue->starCount == 0;
}

// A catalogue is either not read yet, or one of the files' as a whole.
bool IsWholeCatalogue(const SkyCatalogue& c)
{
    if (!c.loaded) return c.starCount == 0;
    const bool isA = c.starCount == 40 && c.pagePrefix == "http://a/" && c.stars[39].sao == 1039;
    const bool isB = c.starCount == 25 && c.pagePrefix == "http://b/" && c.stars[24].sao == 5024;
    return isA || isB;
}

// Two download workers load the two files over and over while a reader
// keeps taking snapshots: every snapshot is one file's as a whole, and the
// catalogue, once read, is the same object in every later snapshot.
TEST(SkyDataPublishingTest, ReadersSeeWholeSnapshotsOnly)
{
    SkyDataStore store;
    const Bytes a = FileA();
    const Bytes b = FileB();
    constexpr int kLoadsPerWorker = 1000;
    std::atomic<int> workersRunning = 2;
    auto worker = [&](const Bytes& first, const Bytes& second) {
        for (int i = 0; i < kLoadsPerWorker; ++i) store.Load(i % 2 == 0 ? first : second);
        --workersRunning;
    };

    int snapshotsRead = 0;
    int inconsistent = 0;
    int catalogueChanges = 0;
    std::thread reader([&] {
        std::shared_ptr<const SkyCatalogue> firstCatalogue;
        while (workersRunning > 0) {
            const auto data = store.Current();
            ++snapshotsRead;
            if (!(IsEmpty(*data) || IsPictureSideOfA(*data) || IsPictureSideOfB(*data)) ||
                !IsWholeCatalogue(*data->catalogue))
                ++inconsistent;
            if (data->catalogue->loaded) {
                if (!firstCatalogue) firstCatalogue = data->catalogue;
                if (data->catalogue != firstCatalogue) ++catalogueChanges;
            }
        }
    });
    std::thread workerA(worker, std::cref(a), std::cref(b));
    std::thread workerB(worker, std::cref(b), std::cref(a));
    workerA.join();
    workerB.join();
    reader.join();

    EXPECT_GT(snapshotsRead, 0);
    EXPECT_EQ(inconsistent, 0);
    EXPECT_EQ(catalogueChanges, 0);
    const auto last = store.Current();
    EXPECT_TRUE(IsPictureSideOfA(*last) || IsPictureSideOfB(*last));
}

// Two loads that overlap from the start: whichever comes first reads its
// catalogue, and both end up publishing that same one.
TEST(SkyDataPublishingTest, OverlappingLoadsReadTheCatalogueOnce)
{
    const Bytes a = BuildDataFile({.entries = {{"stars.txt", Stars(kStarCapacity, 1000)}}});
    const Bytes b = BuildDataFile({.entries = {{"stars.txt", Stars(kStarCapacity, 20000)}}});
    constexpr int kRepetitions = 20;
    int repetitionsWithTwoCatalogues = 0;
    for (int repetition = 0; repetition < kRepetitions; ++repetition) {
        SkyDataStore store;
        std::latch start(2);
        std::shared_ptr<const SkyCatalogue> seenByA;
        std::shared_ptr<const SkyCatalogue> seenByB;
        auto load = [&](const Bytes& file, std::shared_ptr<const SkyCatalogue>& seen) {
            start.arrive_and_wait();
            store.Load(file);
            seen = store.Current()->catalogue;
        };
        std::thread workerA(load, std::cref(a), std::ref(seenByA));
        std::thread workerB(load, std::cref(b), std::ref(seenByB));
        workerA.join();
        workerB.join();
        if (seenByA != seenByB) ++repetitionsWithTwoCatalogues;
    }
    EXPECT_EQ(repetitionsWithTwoCatalogues, 0);
}

}  // namespace
}  // namespace skyvane::skydata
