// The data file our packer builds from data/: what the program finds in it.
#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "skydata/constellations.h"
#include "skydata/data_file.h"
#include "skydata/sky_data.h"

namespace skyvane::skydata {
namespace {

class RealDataFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::filesystem::path path = SKYVANE_DATAS_BIN;
        std::vector<unsigned char> bytes;
        ASSERT_TRUE(ReadDataFile(path, bytes));
        ASSERT_TRUE(store.Load(bytes));
        data = store.Current();
    }

    const SkyCatalogue& Catalogue() const { return *data->catalogue; }

    int NameRow(std::string_view abbreviation) const
    {
        for (int i = 0; i < Catalogue().constellationNameCount; ++i)
            if (std::string_view(Catalogue().constellationNames[i]).substr(0, 3) == abbreviation) return i;
        return -1;
    }

    SkyDataStore store;
    std::shared_ptr<const SkyData> data;
};

TEST_F(RealDataFileTest, CatalogueCounts)
{
    EXPECT_EQ(Catalogue().starCount, 9096);
    EXPECT_EQ(Catalogue().constellationNameCount, 88);
    EXPECT_EQ(Catalogue().deepSkyCount, 110);
}

// The horizontal chart draws figure rows 0 to 121 only.
TEST_F(RealDataFileTest, FiguresLieWithinTheRowsTheChartDraws)
{
    constexpr int kRowsTheHorizontalChartDraws = 122;
    EXPECT_GT(Catalogue().figureCount, 0);
    EXPECT_LE(Catalogue().figureCount, kRowsTheHorizontalChartDraws);
    for (int row = 0; row < Catalogue().figureCount; ++row) {
        for (std::int32_t star : Catalogue().figures[row].stars) {
            EXPECT_GE(star, 0) << "figure row " << row;
            EXPECT_LT(star, Catalogue().starCount) << "figure row " << row;
        }
    }
}

// The Bright Star Catalogue gives some doubles' SAO number to the fainter
// component; the compiler hands number, name and figure vertex to the
// brightest one, the star a reader looks for.
TEST_F(RealDataFileTest, DoubleStarsGiveNumberNameAndFigureToTheirBrightestComponent)
{
    const SkyCatalogue& c = Catalogue();
    const auto inFigure = [&](int row) {
        for (int f = 0; f < c.figureCount; ++f)
            for (std::int32_t star : c.figures[f].stars)
                if (star == row) return true;
        return false;
    };
    for (const char* name : {"Castor", "Izar", "Alrescha", "Alula Australis"}) {
        int row = -1;
        for (int i = 0; i < c.starCount && row < 0; ++i)
            if (c.stars[i].properName == name) row = i;
        ASSERT_GE(row, 0) << name;
        EXPECT_GT(c.stars[row].sao, 0) << name;
        EXPECT_TRUE(inFigure(row)) << name;
    }

    // Every double of two components of one designation at one place
    // (multiple stars such as the Trapezium name the whole group).
    constexpr double kSamePlaceDegrees = 0.01;
    std::vector<std::pair<int, int>> together;
    std::vector<int> companions(static_cast<std::size_t>(c.starCount), 0);
    for (int a = 0; a < c.starCount; ++a) {
        for (int b = a + 1; b < c.starCount; ++b) {
            const StarRecord& sa = c.stars[a];
            const StarRecord& sb = c.stars[b];
            if (std::abs(sa.dec - sb.dec) > kSamePlaceDegrees ||
                std::abs(sa.ra - sb.ra) * 15 * std::cos(sa.dec * M_PI / 180) > kSamePlaceDegrees ||
                sa.designation != sb.designation)
                continue;
            together.emplace_back(a, b);
            ++companions[static_cast<std::size_t>(a)];
            ++companions[static_cast<std::size_t>(b)];
        }
    }
    int pairs = 0;
    for (const auto& [a, b] : together) {
        {
            if (companions[static_cast<std::size_t>(a)] != 1 ||
                companions[static_cast<std::size_t>(b)] != 1)
                continue;
            const StarRecord& sa = c.stars[a];
            const StarRecord& sb = c.stars[b];
            ++pairs;
            const StarRecord& bright = sa.magnitude <= sb.magnitude ? sa : sb;
            const StarRecord& faint = sa.magnitude <= sb.magnitude ? sb : sa;
            const std::string what = bright.designation;
            if (faint.sao > 0) {
                EXPECT_GT(bright.sao, 0) << what;
            }
            if (bright.sao > 0) {
                EXPECT_NE(faint.sao, bright.sao) << what;
            }
            if (!faint.properName.empty() && bright.properName.empty())
                ADD_FAILURE() << what << ": the name " << faint.properName
                              << " is on the fainter component";
        }
    }
    EXPECT_GT(pairs, 20);
}

TEST_F(RealDataFileTest, SearchForLyraSelectsVega)
{
    const int lyra = NameRow("Lyr");
    ASSERT_GE(lyra, 0);
    EXPECT_EQ(ConstellationFullName(Catalogue(), "Lyr"), "Lyra");
    const ConstellationChoice choice = ChooseConstellationStar(Catalogue(), lyra);
    EXPECT_TRUE(choice.redraw);
    EXPECT_EQ(Catalogue().stars[choice.selectedStar].sao, 67174);
}

// The intro screen looks for its picture in slots 0 to pictureCount + 1
// only, and lays it out for 900 x 600 pixels.
TEST_F(RealDataFileTest, IntroPictureIsWhereTheIntroScreenLooks)
{
    ASSERT_FALSE(data->introPictureName.empty());
    const int lastSlotSearched = std::min(data->pictures.pictureCount + 1, kPictureSlotCount - 1);
    const PictureSlot* intro = nullptr;
    for (int i = 0; i <= lastSlotSearched && intro == nullptr; ++i) {
        const PictureSlot& slot = data->pictures.pictureSlots[i];
        if (slot.name == data->introPictureName && !slot.picture.isNull()) intro = &slot;
    }
    ASSERT_NE(intro, nullptr) << data->introPictureName;
    EXPECT_EQ(intro->size, (IntRect{0, 0, 900, 600}));
}

}  // namespace
}  // namespace skyvane::skydata
