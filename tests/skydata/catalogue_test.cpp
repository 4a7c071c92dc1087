// Reading "stars.txt" into the sky catalogue.
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "skydata/catalogue.h"
#include "test_files.h"

namespace skyvane::skydata {
namespace {

using testing::StarLine;

std::unique_ptr<SkyCatalogue> Parse(const std::string& text)
{
    auto catalogue = std::make_unique<SkyCatalogue>();
    ParseCatalogue(text, *catalogue);
    return catalogue;
}

TEST(ParseCatalogueTest, StarRecordFields)
{
    const auto catalogue = Parse("S|placeholder|10.5|5.25|308|4.5|K0|Polaris|Alp UMi|7|1|;\r\n");
    ASSERT_EQ(catalogue->starCount, 1);
    const StarRecord& star = catalogue->stars[0];
    EXPECT_EQ(star.dec, 10.5);
    EXPECT_EQ(star.ra, 5.25);
    EXPECT_EQ(star.sao, 308);
    EXPECT_EQ(star.magnitude, 4.5);
    EXPECT_EQ(star.spectrum, "K0");
    EXPECT_EQ(star.properName, "Polaris");
    EXPECT_EQ(star.designation, "Alp UMi");
    EXPECT_EQ(star.infoPageId, 7);
    EXPECT_EQ(star.hasInfoPage, 1);
    EXPECT_TRUE(catalogue->loaded);
}

TEST(ParseCatalogueTest, DeepSkyRecordFields)
{
    const auto catalogue = Parse("M|x|22.0145|5.5756|1952|Crab Nebula|8.4|6x4|6.3|101|1|;\r\n");
    ASSERT_EQ(catalogue->deepSkyCount, 1);
    const DeepSkyObject& m1 = catalogue->deepSky[0];
    EXPECT_EQ(m1.dec, 22.0145);
    EXPECT_EQ(m1.ra, 5.5756);
    EXPECT_EQ(m1.ngc, "1952");
    EXPECT_EQ(m1.name, "Crab Nebula");
    EXPECT_EQ(m1.magnitude, 8.4);
    EXPECT_EQ(m1.dimension, "6x4");
    EXPECT_EQ(m1.distance, 6.3);
    EXPECT_EQ(m1.infoPageId, 101);
    EXPECT_EQ(m1.hasInfoPage, 1);
}

TEST(ParseCatalogueTest, NumbersReadAsAtoiAndAtof)
{
    const auto catalogue = Parse("S|x| -1.5e1deg||308.9|  +2|K0|||page|1|;\r\n");
    ASSERT_EQ(catalogue->starCount, 1);
    EXPECT_EQ(catalogue->stars[0].dec, -15);
    EXPECT_EQ(catalogue->stars[0].ra, 0);
    EXPECT_EQ(catalogue->stars[0].sao, 308);
    EXPECT_EQ(catalogue->stars[0].magnitude, 2);
    EXPECT_EQ(catalogue->stars[0].infoPageId, 0);
}

// Texts are the file's Windows-1252 bytes, kept as they are.
TEST(ParseCatalogueTest, TextsKeepTheirBytes)
{
    const auto catalogue = Parse(StarLine(1, 1, 5, "Alp Boo", "Ar\xE9tur  ") + "C|x|Boo Bo\xF6tes|;\r\n");
    EXPECT_EQ(catalogue->stars[0].properName, "Ar\xE9tur  ");
    EXPECT_EQ(catalogue->constellationNames[0], "Boo Bo\xF6tes");
}

TEST(ParseCatalogueTest, ConstellationNameNeedsTheBarBeforeTheEnd)
{
    const auto catalogue = Parse("C|x|And Andromeda|;\r\nC|x|Ant Antlia;\r\n");
    ASSERT_EQ(catalogue->constellationNameCount, 2);
    EXPECT_EQ(catalogue->constellationNames[0], "And Andromeda");
    EXPECT_EQ(catalogue->constellationNames[1], "");
}

TEST(ParseCatalogueTest, LaterAddressRecordReplacesTheEarlier)
{
    const auto first = Parse("ID|http://a/|.htm|;\r\n");
    EXPECT_EQ(first->pagePrefix, "http://a/");
    EXPECT_EQ(first->pageSuffix, ".htm");
    const auto second = Parse("ID|http://a/|.htm|;\r\nID|http://b/?id=||;\r\n");
    EXPECT_EQ(second->pagePrefix, "http://b/?id=");
    EXPECT_EQ(second->pageSuffix, "");
}

// Record kinds are exact and case-sensitive; anything else is skipped.
TEST(ParseCatalogueTest, OtherKindsAreSkipped)
{
    const auto catalogue = Parse("s|x|1|1|1|1|||abc|1|1|;\r\nS |x|1|1|1|1|||abc|1|1|;\r\nSTAR|x|1|;\r\n"
                                 "X|x|;\r\nid|p|s|;\r\nc|x|And Andromeda|;\r\n" +
                                 StarLine(2, 3, 42, "Bet Lyr"));
    EXPECT_EQ(catalogue->starCount, 1);
    EXPECT_EQ(catalogue->stars[0].sao, 42);
    EXPECT_EQ(catalogue->constellationNameCount, 0);
    EXPECT_EQ(catalogue->pagePrefix, "");
}

// The two characters after a ";" are skipped whatever they are; a record
// that is not followed by a line break still counts, and the next record
// starts late.
TEST(ParseCatalogueTest, RecordsWithoutLineBreaks)
{
    const std::string star = "S|x|1|2|10|3|A0|||1|1|;";
    const auto noBreak = Parse(star + star + "\r\n");
    EXPECT_EQ(noBreak->starCount, 1);  // the second lost its "S|"
    const auto lateButWhole = Parse(star + "\nX" + star + "\r\n");
    EXPECT_EQ(lateButWhole->starCount, 2);
    const auto oneLate = Parse(star + "\n" + star + "\r\n");
    EXPECT_EQ(oneLate->starCount, 1);
}

class FigureResolutionTest : public ::testing::Test {
protected:
    // Rows: 0 -> SAO 100, 1 -> 200, 2 -> 300, 3 -> 200 again.
    std::string stars = StarLine(1, 1, 100, "Alp Ori") + StarLine(2, 2, 200, "Bet Ori") +
                        StarLine(3, 3, 300, "Gam Ori") + StarLine(4, 4, 200, "Del Ori");
};

TEST_F(FigureResolutionTest, PositionsNameStarRowsByFirstMatchingSao)
{
    const auto catalogue = Parse(stars + "L|x|200|300|0|-5|999|100|200|300|;\r\n");
    ASSERT_EQ(catalogue->figureCount, 1);
    const std::array<std::int32_t, kFigureLength> expected = {1, 2, 0, 0, 0, 0, 1, 2};
    EXPECT_EQ(catalogue->figures[0].stars, expected);
}

TEST_F(FigureResolutionTest, TwentyPositionsFromFieldsTwoToTwentyOne)
{
    std::string figure = "L|x|";
    for (int k = 0; k < 21; ++k) figure += (k % 2 == 0 ? "200|" : "300|");
    const auto catalogue = Parse(stars + figure + ";\r\n");
    for (int k = 0; k < kFigureLength; ++k) EXPECT_EQ(catalogue->figures[0].stars[k], k % 2 == 0 ? 1 : 2) << k;
}

TEST_F(FigureResolutionTest, StarsReadLaterDoNotResolve)
{
    const auto catalogue = Parse(StarLine(1, 1, 100, "Alp Ori") + StarLine(2, 2, 200, "Bet Ori") +
                                 "L|x|200|300|200|;\r\n" + StarLine(3, 3, 300, "Gam Ori") +
                                 "L|x|200|300|200|;\r\n");
    ASSERT_EQ(catalogue->figureCount, 2);
    const std::array<std::int32_t, kFigureLength> early = {1, 0, 1};
    const std::array<std::int32_t, kFigureLength> late = {1, 2, 1};
    EXPECT_EQ(catalogue->figures[0].stars, early);
    EXPECT_EQ(catalogue->figures[1].stars, late);
}

TEST(ParseCatalogueTest, FigureBeforeAnyStarIsAllZero)
{
    const auto catalogue = Parse("L|x|100|200|;\r\n" + StarLine(1, 1, 100, "Alp Ori") + StarLine(2, 2, 200, "Bet Ori"));
    ASSERT_EQ(catalogue->figureCount, 1);
    EXPECT_EQ(catalogue->figures[0].stars, (std::array<std::int32_t, kFigureLength>{}));
}

TEST(ParseCatalogueTest, FilledOncePerRun)
{
    auto catalogue = Parse(StarLine(1, 1, 100, "Alp Ori") + "C|x|Ori Orion|;\r\n");
    ParseCatalogue(StarLine(5, 5, 500, "Alp Lyr") + StarLine(6, 6, 600, "Bet Lyr") + "ID|p|s|;\r\n", *catalogue);
    EXPECT_EQ(catalogue->starCount, 1);
    EXPECT_EQ(catalogue->stars[0].sao, 100);
    EXPECT_EQ(catalogue->stars[1].sao, 0);
    EXPECT_EQ(catalogue->constellationNameCount, 1);
    EXPECT_EQ(catalogue->pagePrefix, "");
}

TEST(ParseCatalogueTest, EmptyTextStillCountsAsTheOneRead)
{
    auto catalogue = Parse("");
    EXPECT_TRUE(catalogue->loaded);
    EXPECT_EQ(catalogue->starCount, 0);
    ParseCatalogue(StarLine(1, 1, 100, "Alp Ori"), *catalogue);
    EXPECT_EQ(catalogue->starCount, 0);
}

// Records beyond a table's capacity are ignored; the table keeps the first
// ones in file order.
struct CapacityCase {
    std::string name;
    int capacity;
    std::string (*record)(int n);  // n-th record of the kind, numbered from 1
    int (*count)(const SkyCatalogue&);
    int (*numberOfLastRow)(const SkyCatalogue&);
};

class CapacityTest : public ::testing::TestWithParam<CapacityCase> {};

TEST_P(CapacityTest, SurplusRecordsAreIgnored)
{
    const CapacityCase& c = GetParam();
    std::string text;
    for (int n = 1; n <= c.capacity + 5; ++n) text += c.record(n);
    const auto catalogue = Parse(text);
    EXPECT_EQ(c.count(*catalogue), c.capacity);
    EXPECT_EQ(c.numberOfLastRow(*catalogue), c.capacity);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, CapacityTest,
    ::testing::Values(
        CapacityCase{"Stars", kStarCapacity, [](int n) { return StarLine(1, 1, n, "Alp Ori"); },
                     [](const SkyCatalogue& c) { return c.starCount; },
                     [](const SkyCatalogue& c) { return int{c.stars[kStarCapacity - 1].sao}; }},
        CapacityCase{"Names", kConstellationNameCapacity,
                     [](int n) { return "C|x|" + std::to_string(n) + "|;\r\n"; },
                     [](const SkyCatalogue& c) { return c.constellationNameCount; },
                     [](const SkyCatalogue& c) { return std::stoi(c.constellationNames[kConstellationNameCapacity - 1]); }},
        CapacityCase{"Figures", kFigureCapacity,
                     // Figure n starts at the star with SAO n, which the first
                     // record puts at row n - 1.
                     [](int n) {
                         std::string stars;
                         for (int sao = 1; n == 1 && sao <= kFigureCapacity + 5; ++sao)
                             stars += StarLine(1, 1, sao, "Alp Ori");
                         return stars + "L|x|" + std::to_string(n) + "|;\r\n";
                     },
                     [](const SkyCatalogue& c) { return c.figureCount; },
                     [](const SkyCatalogue& c) { return c.figures[kFigureCapacity - 1].stars[0] + 1; }},
        CapacityCase{"DeepSky", kDeepSkyCapacity,
                     [](int n) { return "M|x|1|1|" + std::to_string(n) + "|M|8|1|1|1|1|;\r\n"; },
                     [](const SkyCatalogue& c) { return c.deepSkyCount; },
                     [](const SkyCatalogue& c) { return std::stoi(c.deepSky[kDeepSkyCapacity - 1].ngc); }}),
    [](const auto& info) { return info.param.name; });

// A figure naming a star beyond the star table's capacity cannot find it.
TEST(ParseCatalogueTest, StarsBeyondCapacityAreNotFoundByFigures)
{
    std::string text;
    for (int n = 1; n <= kStarCapacity + 1; ++n) text += StarLine(1, 1, n, "Alp Ori");
    text += "L|x|" + std::to_string(kStarCapacity) + "|" + std::to_string(kStarCapacity + 1) + "|;\r\n";
    const auto catalogue = Parse(text);
    EXPECT_EQ(catalogue->figures[0].stars[0], kStarCapacity - 1);
    EXPECT_EQ(catalogue->figures[0].stars[1], 0);
}

}  // namespace
}  // namespace skyvane::skydata
