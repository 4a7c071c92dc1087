// The deep-sky file our packer builds from data/deepsky, its reader's
// checks, the designation lookups and the sky cells.
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "skydata/data_file.h"
#include "skydata/deep_sky.h"
#include "skydata/deep_sky_format.h"
#include "skydata/name_index.h"
#include "skydata/sky_data.h"

namespace skyvane::skydata {
namespace {

constexpr double kRad = 3.14159265358979323846 / 180.0;

double Separation(double ra1, double dec1, double ra2, double dec2)
{
    const double c = std::sin(dec1 * kRad) * std::sin(dec2 * kRad) +
                     std::cos(dec1 * kRad) * std::cos(dec2 * kRad) * std::cos((ra1 - ra2) * kRad);
    return std::acos(std::fmax(-1.0, std::fmin(1.0, c))) / kRad;
}

std::vector<unsigned char> RealFileBytes()
{
    std::ifstream in(SKYVANE_DEEPSKY_BIN, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class RealDeepSkyTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::string why;
        catalogue = LoadDeepSkyFile(SKYVANE_DEEPSKY_BIN, why);
        ASSERT_NE(catalogue, nullptr) << why;
    }
    static void TearDownTestSuite() { catalogue.reset(); }

    static const DeepObject* Object(std::string_view name)
    {
        const auto d = ParseCatalogueDesignation(FoldName(name));
        if (!d) return nullptr;
        const auto found = catalogue->FindDesignation(*d);
        return found.object >= 0 ? &catalogue->objects[static_cast<std::size_t>(found.object)] : nullptr;
    }

    static std::shared_ptr<const DeepSkyCatalogue> catalogue;
};
std::shared_ptr<const DeepSkyCatalogue> RealDeepSkyTest::catalogue;

TEST_F(RealDeepSkyTest, HoldsTheHipparcosStarsBeyondTheMainCatalogueAndTheNgcAndIc)
{
    // 118,216 Hipparcos stars less those the main catalogue already has.
    EXPECT_GT(catalogue->stars.size(), 105'000u);
    EXPECT_LT(catalogue->stars.size(), 118'216u - 8'500u);
    EXPECT_GT(catalogue->hipToHr.size(), 8'500u);
    EXPECT_GT(catalogue->objects.size(), 13'000u);
    EXPECT_EQ(catalogue->constellations.size(), 88u);
    std::set<int> levels;
    for (const MilkyWayRing& r : catalogue->milkyWay) levels.insert(r.level);
    EXPECT_EQ(levels, (std::set<int>{1, 2, 3, 4, 5}));
    EXPECT_LE(catalogue->MemoryBytes(), 16u << 20);
}

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

TEST_F(RealDeepSkyTest, DesignationsInEverySpellingLeadToTheirObject)
{
    struct Case {
        const char* typed;
        const char* designation;  // of an object row, or empty
        int messier;
    };
    const Case cases[] = {
        {"NGC 7000", "NGC7000", 0},  {"ngc7000", "NGC7000", 0}, {"NGC 07000", "NGC7000", 0},
        {"IC 434", "IC0434", 0},     {"IC0434", "IC0434", 0},   {"NGC 869", "NGC0869", 0},
        {"NGC 224", "", 31},         {"ngc224", "", 31},        {"NGC 221", "", 32},
        {"NGC 205", "", 110},        {"NGC 5194A", "", 51},     {"IC 186A", "IC0186A", 0},
        {"IC 80 NED01", "IC0080 NED01", 0},
        // A duplicate entry leads to the object it repeats.
        {"IC 11", "NGC0281", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const auto d = ParseCatalogueDesignation(FoldName(c.typed));
        ASSERT_TRUE(d);
        const auto found = catalogue->FindDesignation(*d);
        EXPECT_EQ(found.messier, c.messier);
        if (*c.designation) {
            ASSERT_GE(found.object, 0);
            EXPECT_EQ(catalogue->objects[static_cast<std::size_t>(found.object)].designation, c.designation);
        } else {
            EXPECT_EQ(found.object, -1);
        }
    }
    for (const char* nothing : {"NGC 9999", "IC 99999", "NGC 0", "ngc", "hip12", "NGC 8000"}) {
        const auto d = ParseCatalogueDesignation(FoldName(nothing));
        if (d) {
            EXPECT_EQ(catalogue->FindDesignation(*d).object, -1) << nothing;
        }
    }
    const DeepObject* nan = Object("NGC 7000");
    ASSERT_NE(nan, nullptr);
    EXPECT_EQ(nan->type, DeepSkyType::kHiiRegion);
    EXPECT_NE(nan->commonNames.find("North America Nebula"), std::string_view::npos);
    EXPECT_EQ(catalogue->ConstellationOf(nan->constellation), "Cyg");
    EXPECT_EQ(DeepSkyCatalogue::DisplayDesignation("NGC0869"), "NGC 869");
    EXPECT_EQ(DeepSkyCatalogue::DisplayDesignation("IC0080 NED01"), "IC 80 NED01");
    EXPECT_EQ(DeepSkyCatalogue::DisplayDesignation("C014"), "C 14");
}

TEST_F(RealDeepSkyTest, TheDoubleClusterHasDozensOfStarsInAThreeDegreeField)
{
    const DeepObject* h = Object("NGC 869");
    const DeepObject* chi = Object("NGC 884");
    ASSERT_TRUE(h && chi);
    const SkyCone field{(h->raDeg + chi->raDeg) / 2, (h->decDeg + chi->decDeg) / 2, 1.5};
    std::vector<std::uint32_t> stars;
    catalogue->starCells.Query(field, 11.5, stars);
    // Hipparcos alone, beside the main catalogue's few.
    EXPECT_GT(stars.size(), 36u);
    for (const std::uint32_t i : stars) {
        const DeepStar& s = catalogue->stars[i];
        EXPECT_LE(Separation(field.raDeg, field.decDeg, s.raDeg, s.decDeg), 1.5 + 1e-4);
        EXPECT_LE(s.magnitude, 11.5);
    }
}

// The cells must find exactly what a search through every object finds.
TEST(SkyCellsTest, AQueryFindsWhatAFullSearchFinds)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> ra(0, 360), z(-1, 1), mag(-1, 13);
    std::vector<float> ras, decs, mags;
    for (int i = 0; i < 20000; ++i) {
        ras.push_back(ra(random));
        decs.push_back(static_cast<float>(std::asin(z(random)) / kRad));
        mags.push_back(mag(random));
    }
    // A tight cluster, for fields of arc seconds.
    std::uniform_real_distribution<float> jitter(-0.02f, 0.02f);
    for (int i = 0; i < 400; ++i) {
        ras.push_back(150.0f + jitter(random)), decs.push_back(-20.0f + jitter(random));
        mags.push_back(mag(random));
    }
    // Poles and the 0h seam.
    for (const auto& [r, d] : std::vector<std::pair<float, float>>{{0, 90}, {123, -90}, {0, 0}, {359.999f, 10}}) {
        ras.push_back(r), decs.push_back(d), mags.push_back(1);
    }
    const SkyCells cells(ras, decs, mags);
    const SkyCone cones[] = {{0, 0, 1},      {359.5, 20, 3},  {10, 89.5, 2},   {200, -88, 5},
                             {90, 45, 30},   {180, -30, 90},  {45, 0, 179},    {300, 60, 0.5},
                             {0.2, -45, 10}, {250, 88.9, 1.2}, {0, 90, 0.01}, {77, 12, 180},
                             {150, -20, 0.002}, {150.003, -20.004, 0.005}, {149.99, -19.99, 0.01}};
    for (const SkyCone& cone : cones) {
        for (const double limit : {2.0, 6.5, 11.0, 99.0}) {
            SCOPED_TRACE(::testing::Message() << cone.raDeg << " " << cone.decDeg << " r "
                                              << cone.radiusDeg << " m " << limit);
            std::multiset<std::uint32_t> expected, found;
            for (std::uint32_t i = 0; i < ras.size(); ++i) {
                const double d = Separation(cone.raDeg, cone.decDeg, ras[i], decs[i]);
                // Single precision at the rim either way.
                if (std::fabs(d - cone.radiusDeg) < 1e-4) continue;
                if (d < cone.radiusDeg && mags[i] <= limit) expected.insert(i);
            }
            cells.Query(cone, limit, [&](std::uint32_t i) {
                const double d = Separation(cone.raDeg, cone.decDeg, ras[i], decs[i]);
                if (std::fabs(d - cone.radiusDeg) >= 1e-4) found.insert(i);
            });
            EXPECT_EQ(found, expected);
        }
    }
}

TEST(SkyCellsTest, EachCellIsReadBrightestFirst)
{
    // Many objects at one place: one cell, read in order of magnitude.
    std::vector<float> ras(50, 10.0f), decs(50, 10.0f), mags;
    for (int i = 0; i < 50; ++i) mags.push_back(static_cast<float>((i * 37) % 50) / 5.0f);
    const SkyCells cells(ras, decs, mags);
    std::vector<float> seen;
    cells.Query({10, 10, 1}, 100, [&](std::uint32_t i) { seen.push_back(mags[i]); });
    ASSERT_EQ(seen.size(), 50u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    // Bad cones find nothing rather than everything or a crash.
    std::vector<std::uint32_t> out;
    for (const SkyCone& bad : {SkyCone{NAN, 0, 1}, SkyCone{0, INFINITY, 1}, SkyCone{0, 0, NAN},
                               SkyCone{0, 0, -1}}) {
        cells.Query(bad, 100, out);
        EXPECT_TRUE(out.empty());
    }
    cells.Query({1e300, -1e300, 1e300}, 100, out);  // huge but finite: the whole sky
    EXPECT_EQ(out.size(), 50u);
}

// ------------------------------------------------------------ damaged files

void Reseal(std::vector<unsigned char>& file)
{
    namespace fmt = deepsky_format;
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), file.data() + fmt::kHeaderBytes,
                            static_cast<uInt>(file.size() - fmt::kHeaderBytes));
    for (int k = 0; k < 4; ++k) file[20 + k] = static_cast<unsigned char>(crc >> (8 * k));
}

// Offset of the first record of a section, from the section table.
std::size_t SectionStart(const std::vector<unsigned char>& file, std::uint32_t tag)
{
    namespace fmt = deepsky_format;
    const auto u32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(file[at] | file[at + 1] << 8 | file[at + 2] << 16 |
                                          static_cast<std::uint32_t>(file[at + 3]) << 24);
    };
    for (std::size_t i = 0; i < u32(12); ++i) {
        const std::size_t e = fmt::kHeaderBytes + i * fmt::kSectionEntryBytes;
        if (u32(e) == tag) return fmt::kHeaderBytes + u32(e + 4);
    }
    return 0;
}

TEST(DeepSkyFileTest, EveryDamageIsRefusedWithAReason)
{
    namespace fmt = deepsky_format;
    const std::vector<unsigned char> good = RealFileBytes();
    ASSERT_GT(good.size(), 1000u);
    const auto put32 = [](std::vector<unsigned char>& f, std::size_t at, std::uint32_t v) {
        for (int k = 0; k < 4; ++k) f[at + k] = static_cast<unsigned char>(v >> (8 * k));
    };
    const auto nan = [&](std::vector<unsigned char>& f, std::size_t at) { put32(f, at, 0x7FC00000u); };
    struct Damage {
        const char* what;
        std::function<void(std::vector<unsigned char>&)> apply;
        bool reseal;
    };
    const Damage damages[] = {
        {"empty", [](auto& f) { f.clear(); }, false},
        {"cut short", [](auto& f) { f.resize(f.size() / 2); }, false},
        {"one byte flipped", [](auto& f) { f[f.size() / 3] ^= 0x40; }, false},
        {"other magic", [](auto& f) { f[0] = 'X'; }, false},
        {"other version", [](auto& f) { f[8] = 2; }, false},
        {"longer than announced", [](auto& f) { f.push_back(0); }, false},
        {"section past the end", [&](auto& f) { put32(f, fmt::kHeaderBytes + 4, 0xFFFFFF00u); }, true},
        {"section count huge", [&](auto& f) { put32(f, 12, 0xFFFFFFFFu); }, false},
        {"record count off", [&](auto& f) { put32(f, fmt::kHeaderBytes + 16 + 12, 7); }, true},
        {"star at NaN", [&](auto& f) { nan(f, SectionStart(f, fmt::kStars) + 4); }, true},
        {"star in no constellation", [&](auto& f) { f[SectionStart(f, fmt::kStars) + 16] = 200; }, true},
        {"object of no type", [&](auto& f) { f[SectionStart(f, fmt::kObjects) + 20] = 99; }, true},
        {"object name outside the pool", [&](auto& f) { put32(f, SectionStart(f, fmt::kObjects) + 24, 0x7FFFFFFF); }, true},
        {"object size NaN", [&](auto& f) { nan(f, SectionStart(f, fmt::kObjects) + 8); }, true},
        {"Milky Way ring too long", [&](auto& f) { put32(f, SectionStart(f, fmt::kMilkyWayRings) + 4, 0xFFFFFFF0u); }, true},
        {"Milky Way level 9", [&](auto& f) { put32(f, SectionStart(f, fmt::kMilkyWayRings), 9); }, true},
        {"string pool not ended", [&](auto& f) { f.back() = 'x'; }, true},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.what);
        std::vector<unsigned char> file = good;
        d.apply(file);
        if (d.reseal && file.size() > fmt::kHeaderBytes) Reseal(file);
        std::string why;
        EXPECT_EQ(ReadDeepSky(file, why), nullptr);
        EXPECT_FALSE(why.empty());
    }
    std::string why = "stale";
    EXPECT_NE(ReadDeepSky(good, why), nullptr);
    EXPECT_TRUE(why.empty());
    EXPECT_EQ(LoadDeepSkyFile("/nonexistent/deepsky.bin", why), nullptr);
    EXPECT_FALSE(why.empty());
}

}  // namespace
}  // namespace skyvane::skydata

namespace skyvane::skydata {
namespace {

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
        std::vector<unsigned char> bytes = RealFileBytes();
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
