// The data file our packer builds from data/: what the program finds in it.
#include <algorithm>
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
