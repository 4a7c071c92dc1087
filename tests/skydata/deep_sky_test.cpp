// The deep-sky file with the main catalogue: stars in neither twice, the
// name index over both, and the file as the program looks for it at
// start. The deep-sky file alone is tested in deep_sky_file_test.cpp,
// which every target runs.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "real_deep_sky.h"
#include "skydata/data_file.h"
#include "skydata/deep_sky.h"
#include "skydata/name_index.h"
#include "skydata/sky_data.h"

namespace skyvane::skydata {
namespace {

using testing::RealDeepSkyBytes;
using testing::RealDeepSkyTest;

TEST_F(RealDeepSkyTest, MainCatalogueStarsAreNotInTheDeepStarsAgain)
{
    const std::filesystem::path path = SKYVANE_DATAS_BIN;
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(ReadDataFile(path, bytes));
    SkyDataStore store;
    ASSERT_TRUE(store.Load(bytes));
    const SkyCatalogue& main = *store.Current()->catalogue;
    ASSERT_GT(main.starCount, 9000);
    int twice = 0;
    std::vector<std::uint32_t> near;
    for (int i = 0; i < main.starCount; ++i) {
        const StarRecord& s = main.stars[static_cast<std::size_t>(i)];
        // Within a few seconds of arc and of about the same light: the same star.
        catalogue->starCells.Query({s.ra * 15.0, s.dec, 5.0 / 3600.0}, s.magnitude + 1.0, near);
        for (const std::uint32_t k : near) {
            if (std::fabs(catalogue->stars[k].magnitude - s.magnitude) < 1.0) {
                ++twice;
                ADD_FAILURE() << s.designation << " and HIP " << catalogue->stars[k].hip;
            }
        }
    }
    EXPECT_EQ(twice, 0);
    // Sirius is HIP 32349 and HR 2491.
    EXPECT_EQ(catalogue->HrOfHip(32349), 2491u);
    EXPECT_EQ(catalogue->StarByHip(32349), -1);
}

// The name index with both real files: every way the deep sky is asked for.
TEST_F(RealDeepSkyTest, TheNameIndexFindsDeepObjectsByEveryName)
{
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(ReadDataFile(SKYVANE_DATAS_BIN, bytes));
    SkyDataStore store;
    ASSERT_TRUE(store.Load(bytes));
    store.SetDeepSky(catalogue);
    const auto data = store.Current();
    const NameIndex& names = *data->names;
    struct Case {
        const char* typed;
        ObjectKind kind;
        const char* shownAs;
    };
    const Case cases[] = {
        {"NGC 7000", ObjectKind::kNgcObject, "NGC 7000"},
        {"ngc7000", ObjectKind::kNgcObject, "NGC 7000"},
        {"North America Nebula", ObjectKind::kNgcObject, "NGC 7000"},
        {"north america nebula", ObjectKind::kNgcObject, "NGC 7000"},
        {"IC 434", ObjectKind::kNgcObject, "IC 434"},
        {"Flame Nebula", ObjectKind::kNgcObject, "IC 434"},
        {"Double Cluster", ObjectKind::kNgcObject, "C 14"},
        {"NGC 869", ObjectKind::kNgcObject, "NGC 869"},
        {"HIP 1", ObjectKind::kHipStar, "HIP 1"},
        {"hip 32349", ObjectKind::kStar, "Sirius"},
        {"NGC 224", ObjectKind::kMessier, "M31"},
        {"NGC 0224", ObjectKind::kMessier, "M31"},
        {"ngc224", ObjectKind::kMessier, "M31"},
        {"NGC 5194A", ObjectKind::kMessier, "M51"},
        {"Andromeda Galaxy", ObjectKind::kMessier, "M31"},
        {"Sirius", ObjectKind::kStar, "Sirius"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const auto found = names.Find(c.typed);
        ASSERT_TRUE(found);
        EXPECT_EQ(found->kind, c.kind);
        EXPECT_EQ(ObjectName(*data->catalogue, *found, catalogue.get()), c.shownAs);
    }
    for (const char* nothing : {"HIP 999999", "NGC 8000", "IC 0"}) EXPECT_FALSE(names.Find(nothing)) << nothing;
    std::vector<NameMatch> completions;
    names.Complete("NGC 700", 20, completions);
    EXPECT_TRUE(std::any_of(completions.begin(), completions.end(),
                            [](const NameMatch& m) { return m.name == "NGC 7000"; }));
    // Without the deep sky, the main catalogue's names are all there are.
    store.SetDeepSky(nullptr);
    EXPECT_FALSE(store.Current()->names->Find("NGC 7000"));
    EXPECT_TRUE(store.Current()->names->Find("NGC 224"));
}

TEST(DeepSkyStartupTest, TheFirstUsableFileIsReadAndAMissingOrDamagedOneIsSaidInOneLine)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "skyvane-deep-sky-test";
    std::filesystem::create_directories(folder);
    const std::filesystem::path damaged = folder / "deepsky.bin";
    {
        std::vector<unsigned char> bytes = RealDeepSkyBytes();
        bytes[bytes.size() / 2] ^= 1;
        std::ofstream(damaged, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                       static_cast<std::streamsize>(bytes.size()));
    }
    SkyDataStore store;
    std::string message;
    EXPECT_FALSE(LoadDeepSkyAtStartup({folder / "missing.bin"}, message, store));
    EXPECT_EQ(store.Current()->deepSky, nullptr);
    EXPECT_NE(message.find("Deep sky not shown"), std::string::npos);
    EXPECT_EQ(message.find('\n'), std::string::npos);
    EXPECT_FALSE(LoadDeepSkyAtStartup({damaged}, message, store));
    EXPECT_NE(message.find("checksum"), std::string::npos) << message;
    // A damaged copy in the data folder gives way to the installed one.
    EXPECT_TRUE(LoadDeepSkyAtStartup({damaged, SKYVANE_DEEPSKY_BIN}, message, store));
    EXPECT_TRUE(message.empty());
    EXPECT_NE(store.Current()->deepSky, nullptr);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace skyvane::skydata
