// Constellation names and the star the constellation search selects.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "skydata/constellations.h"

namespace skyvane::skydata {
namespace {

std::unique_ptr<SkyCatalogue> Catalogue(const std::vector<std::string>& names,
                                        const std::vector<std::string>& designations)
{
    auto catalogue = std::make_unique<SkyCatalogue>();
    for (const std::string& name : names) catalogue->constellationNames[catalogue->constellationNameCount++] = name;
    for (const std::string& designation : designations)
        catalogue->stars[catalogue->starCount++].designation = designation;
    catalogue->loaded = true;
    return catalogue;
}

struct NameCase {
    std::string abbreviation;
    std::string fullName;
};

class FullNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(FullNameTest, LooksUpByAbbreviation)
{
    const auto catalogue = Catalogue({"And Andromeda", "Ant Antlia", "Lyr", "Lyr\tLyra", "Aps Apus", "Aps Apus II",
                                      "Ab Short", "CMa Canis Major"},
                                     {});
    EXPECT_EQ(ConstellationFullName(*catalogue, GetParam().abbreviation), GetParam().fullName);
}

INSTANTIATE_TEST_SUITE_P(Cases, FullNameTest,
                         ::testing::Values(NameCase{"And", "Andromeda"}, NameCase{"Ant", "Antlia"},
                                           NameCase{"CMa", "Canis Major"}, NameCase{"cma", ""},
                                           // the last matching row wins, whatever its separator
                                           NameCase{"Aps", "Apus II"}, NameCase{"Lyr", "Lyra"},
                                           NameCase{"", ""}, NameCase{"Andr", ""}, NameCase{"An", ""},
                                           NameCase{"Ori", ""}));

TEST(FullNameTest, RowOfOnlyAnAbbreviationGivesAnEmptyName)
{
    const auto catalogue = Catalogue({"Ori Orion", "Ori"}, {});
    EXPECT_EQ(ConstellationFullName(*catalogue, "Ori"), "");
}

struct ChoiceCase {
    std::string name;
    int listIndex;
    int selectedStar;
    bool redraw;
};

class ConstellationSearchTest : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(ConstellationSearchTest, ChoosesTheAlphaStarOrTheLastOne)
{
    const auto catalogue = Catalogue({"Lyr Lyra", "And Andromeda", "Ori Orion", "Cas Cassiopeia", "Cyg Cygnus",
                                      "Peg Pegasus", "Dra"},
                                     {
                                         "Bet Ori",        // 0
                                         "Gam Lyr",        // 1
                                         "Alp Lyr",        // 2
                                         "Bet Lyr",        // 3
                                         "Del And",        // 4
                                         "Eps And",        // 5
                                         "Kap Cas",        // 6
                                         "Stalpa XAlpY Cas",  // 7: "Alp" inside a longer word
                                         "Alp Cas",        // 8
                                         "alp Cyg",        // 9: lower case is no alpha
                                         "Bet Cyg",        // 10
                                         "Alp Lyra",       // 11: ends in "yra", not Lyr
                                         "Alp Peg ",       // 12: ends in "eg ", not Peg
                                         "Dr",             // 13
                                     });
    const ConstellationChoice choice = ChooseConstellationStar(*catalogue, GetParam().listIndex);
    EXPECT_EQ(choice.selectedStar, GetParam().selectedStar);
    EXPECT_EQ(choice.redraw, GetParam().redraw);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConstellationSearchTest,
    ::testing::Values(ChoiceCase{"AlphaStopsTheScan", 0, 2, true},
                      ChoiceCase{"WithoutAlphaTheLastStar", 1, 5, true},
                      ChoiceCase{"OnlyStarAtRowZeroNoRedraw", 2, 0, false},
                      ChoiceCase{"AlphaInsideAWord", 3, 7, true},
                      ChoiceCase{"AlphaIsCaseSensitive", 4, 10, true},
                      ChoiceCase{"NoStarOfTheConstellation", 5, 0, false},
                      ChoiceCase{"ShortDesignationHasNoConstellation", 6, 0, false},
                      ChoiceCase{"ListRowWithoutName", 87, 0, false},
                      ChoiceCase{"ListIndexOutOfRange", -1, 0, false}),
    [](const auto& info) { return info.param.name; });

TEST(ConstellationSearchTest, EmptyCatalogueSelectsRowZeroForEveryListRow)
{
    const auto catalogue = std::make_unique<SkyCatalogue>();
    constexpr int kListRows = 88;
    for (int row = 0; row < kListRows; ++row) {
        const ConstellationChoice choice = ChooseConstellationStar(*catalogue, row);
        EXPECT_EQ(choice.selectedStar, 0) << row;
        EXPECT_FALSE(choice.redraw) << row;
    }
}

}  // namespace
}  // namespace skyvane::skydata
