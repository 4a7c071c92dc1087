// The deep-sky file as every target reads it: the file our packer builds
// from data/deepsky record by record against those texts, the designation
// lookups, the sky cells, the reader's checks, and folders whose names are
// not ASCII. The tests that need the main catalogue as well are in
// deep_sky_test.cpp.
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "real_deep_sky.h"
#include "skydata/deep_sky.h"
#include "skydata/deep_sky_format.h"

namespace skyvane::skydata {
namespace {

using testing::RealDeepSkyBytes;
using testing::RealDeepSkyTest;
namespace fs = std::filesystem;

constexpr double kRad = 3.14159265358979323846 / 180.0;

double Separation(double ra1, double dec1, double ra2, double dec2)
{
    const double c = std::sin(dec1 * kRad) * std::sin(dec2 * kRad) +
                     std::cos(dec1 * kRad) * std::cos(dec2 * kRad) * std::cos((ra1 - ra2) * kRad);
    return std::acos(std::fmax(-1.0, std::fmin(1.0, c))) / kRad;
}

// A tab-separated text of data/deepsky, a trailing empty field kept.
std::vector<std::vector<std::string>> SourceTable(const char* name)
{
    std::ifstream in(fs::path(SKYVANE_DEEPSKY_SOURCE) / name, std::ios::binary);
    std::vector<std::vector<std::string>> rows;
    for (std::string line; std::getline(in, line);) {
        if (line.empty()) continue;
        std::vector<std::string> row;
        std::stringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');) row.push_back(field);
        if (line.back() == '\t') row.emplace_back();
        rows.push_back(std::move(row));
    }
    EXPECT_FALSE(rows.empty()) << name;
    return rows;
}

// What the file holds for a number of the texts: the nearest float, or
// the nearest multiple of 1/scale in a 16-bit field; "-" is unknown.
float Single(const std::string& text) { return static_cast<float>(std::stod(text)); }
float Scaled(const std::string& text, double scale)
{
    return static_cast<float>(std::lround(std::stod(text) * scale)) / static_cast<float>(scale);
}
bool Same(float stored, const std::string& text, double scale = 0)
{
    if (text == "-") return std::isnan(stored);
    return stored == (scale > 0 ? Scaled(text, scale) : Single(text));
}

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

// Every field of every record, as the texts the file was packed from give
// it: a byte order, sign or alignment slip in the reader shows at once.
TEST_F(RealDeepSkyTest, EveryRecordIsItsLineOfTheTexts)
{
    int wrong = 0;
    const auto check = [&](bool ok, const std::string& what) {
        if (ok) return;
        if (++wrong <= 10) ADD_FAILURE() << what;
    };
    const auto stars = SourceTable("stars.txt");
    ASSERT_EQ(catalogue->stars.size(), stars.size());
    for (std::size_t i = 0; i < stars.size(); ++i) {
        const auto& row = stars[i];
        const DeepStar& s = catalogue->stars[i];
        check(row.size() == 6 && s.hip == std::stoul(row[0]) && Same(s.raDeg, row[1]) &&
                  Same(s.decDeg, row[2]) && Same(s.magnitude, row[3], 100) && Same(s.bv, row[4], 1000) &&
                  catalogue->ConstellationOf(s.constellation) == row[5],
              "star HIP " + row[0]);
    }

    std::size_t object = 0, messier = 0;
    for (const auto& row : SourceTable("objects.txt")) {
        ASSERT_EQ(row.size(), 11u) << row[0];
        const auto type = std::find(deepsky_format::kTypeCodes.begin(), deepsky_format::kTypeCodes.end(), row[1]);
        const int typeRow = static_cast<int>(type - deepsky_format::kTypeCodes.begin());
        const float angle = row[7] == "-" ? NAN : static_cast<float>(std::lround(std::stod(row[7])) % 360);
        if (row[9] != "0") {
            ASSERT_LT(messier, catalogue->messierNames.size());
            const MessierCrossName& m = catalogue->messierNames[messier++];
            check(m.messier == std::stoi(row[9]) && m.designation == row[0] && m.commonNames == row[10] &&
                      Same(m.majorArcmin, row[5]) && Same(m.minorArcmin, row[6]) &&
                      static_cast<int>(m.type) == typeRow &&
                      (std::isnan(angle) ? std::isnan(m.positionAngleDeg) : m.positionAngleDeg == angle),
                  "Messier row " + row[0]);
            continue;
        }
        ASSERT_LT(object, catalogue->objects.size());
        const DeepObject& o = catalogue->objects[object++];
        // OpenNGC's two halves of Serpens are one constellation here.
        const std::string constellation = row[4] == "Se1" || row[4] == "Se2" ? "Ser" : row[4];
        check(o.designation == row[0] && static_cast<int>(o.type) == typeRow && Same(o.raDeg, row[2]) &&
                  Same(o.decDeg, row[3]) && Same(o.majorArcmin, row[5]) && Same(o.minorArcmin, row[6]) &&
                  (std::isnan(angle) ? std::isnan(o.positionAngleDeg) : o.positionAngleDeg == angle) &&
                  Same(o.magnitude, row[8], 100) && o.commonNames == row[10] &&
                  (constellation == "-" ? o.constellation == deepsky_format::kUnknownConstellation
                                        : catalogue->ConstellationOf(o.constellation) == constellation),
              "object " + row[0]);
    }
    EXPECT_EQ(object, catalogue->objects.size());
    EXPECT_EQ(messier, catalogue->messierNames.size());

    const auto rings = SourceTable("milky-way.txt");
    ASSERT_EQ(catalogue->milkyWay.size(), rings.size());
    for (std::size_t i = 0; i < rings.size(); ++i) {
        const MilkyWayRing& ring = catalogue->milkyWay[i];
        std::stringstream points(rings[i][1]);
        std::uint32_t k = 0;
        for (std::string point; points >> point; ++k) {
            const std::size_t comma = point.find(',');
            double ra = std::stod(point.substr(0, comma));
            if (ra >= 360) ra -= 360;
            const std::size_t at = 2 * (static_cast<std::size_t>(ring.first) + k);
            check(k < ring.count && catalogue->milkyWayPoints[at] == static_cast<float>(ra) &&
                      catalogue->milkyWayPoints[at + 1] == Single(point.substr(comma + 1)),
                  "Milky Way ring " + std::to_string(i) + " point " + std::to_string(k));
            if (k >= ring.count) break;
        }
        check(ring.level == std::stoi(rings[i][0]) && k == ring.count, "Milky Way ring " + std::to_string(i));
    }
    EXPECT_EQ(wrong, 0);
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
    const std::vector<unsigned char> good = RealDeepSkyBytes();
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


// A folder of a name beyond ASCII, as a user's own folder often is: the
// file in it is read, and a missing one is said in UTF-8 (the text the
// windows show), not refused by a conversion to a code page. The path is
// made from UTF-8 as char8_t text: on Windows a path made from a plain
// std::string is not read as UTF-8 (our MinGW build turns "Zürich" into
// "ZÃ¼rich"), so callers must not build paths that way.
TEST(DeepSkyFileTest, FoldersNamedBeyondAsciiAreReadAndNamedInUtf8)
{
    const std::vector<unsigned char> bytes = RealDeepSkyBytes();
    ASSERT_GT(bytes.size(), 1000u);
    const std::string name = "skyvane-Zürich-星図-" +
                             std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    const fs::path folder = fs::temp_directory_path() / fs::path(std::u8string(name.begin(), name.end()));
    fs::create_directories(folder);
    std::ofstream(folder / "deepsky.bin", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_EQ(fs::file_size(folder / "deepsky.bin"), bytes.size());

    struct Case {
        const char* what;
        fs::path path;
        bool readable;
    };
    const Case cases[] = {
        {"the file", folder / "deepsky.bin", true},
        {"a missing file", folder / "missing.bin", false},
        {"the folder itself", folder, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string why = "stale";
        std::shared_ptr<const DeepSkyCatalogue> read;
        ASSERT_NO_THROW(read = LoadDeepSkyFile(c.path, why));
        if (c.readable) {
            ASSERT_NE(read, nullptr) << why;
            EXPECT_TRUE(why.empty());
            EXPECT_GT(read->stars.size(), 100'000u);
        } else {
            EXPECT_EQ(read, nullptr);
            EXPECT_FALSE(why.empty());
        }
    }
    std::string why;
    EXPECT_EQ(LoadDeepSkyFile(folder / "missing.bin", why), nullptr);
    EXPECT_NE(why.find(name), std::string::npos) << why;
    fs::remove_all(folder);
}

#ifdef SKYVANE_BUILD_MACHINE_DEEPSKY_BIN
// The file the build machine packed, read here: the package for this
// target may carry either. Both are the same bytes, so the packer writes
// the same numbers on every target too.
TEST(DeepSkyFileTest, TheBuildMachinesFileIsThisTargetsByteForByte)
{
    std::ifstream in(SKYVANE_BUILD_MACHINE_DEEPSKY_BIN, std::ios::binary);
    const std::vector<unsigned char> theirs{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::vector<unsigned char> ours = RealDeepSkyBytes();
    ASSERT_GT(theirs.size(), 1000u);
    EXPECT_EQ(theirs.size(), ours.size());
    const auto first = std::mismatch(theirs.begin(), theirs.end(), ours.begin(), ours.end());
    EXPECT_TRUE(first.first == theirs.end() && first.second == ours.end())
        << "first difference at byte " << (first.first - theirs.begin());
    std::string why;
    const auto read = ReadDeepSky(theirs, why);
    ASSERT_NE(read, nullptr) << why;
    EXPECT_GT(read->stars.size(), 100'000u);
}
#endif

}  // namespace
}  // namespace skyvane::skydata
