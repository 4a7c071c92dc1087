#include "app/telescope_target.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "engine/sky.h"
#include "skydata/data_file.h"
#include "skydata/deep_sky.h"
#include "skydata/sky_data.h"

namespace skyvane::app {
namespace {

// Goto targets from the deep catalogue go to their apparent place of date,
// the same place find gives, and are refused without the deep-sky file
// rather than sent to 0h, 0 degrees.
TEST(TelescopeTargetTest, DeepSkyObjectsGoToTheirPlaceOfDate)
{
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(skydata::ReadDataFile(SKYVANE_DATAS_BIN, bytes));
    skydata::SkyDataStore store;
    ASSERT_TRUE(store.Load(bytes));
    const auto catalogue = store.Current()->catalogue;
    std::string why;
    const auto deep = skydata::LoadDeepSkyFile(SKYVANE_DEEPSKY_BIN, why);
    ASSERT_NE(deep, nullptr) << why;
    const skydata::NameIndex names(*catalogue, deep);

    engine::SkyState sky{};
    sky.year = 2026, sky.month = 12, sky.day = 7, sky.hour = 22;
    sky.timeZone = 1, sky.longitude = -8.5, sky.latitude = 47.32;
    engine::SkyCalculator().ComputeSky(sky);

    for (const char* name : {"NGC 7000", "HIP 1", "NGC 869"}) {
        const auto object = names.Find(name);
        ASSERT_TRUE(object.has_value()) << name;
        const skydata::FoundObject found = skydata::DescribeFoundObject(*catalogue, *object, sky, deep.get());
        const TelescopeTarget target = TargetOf(*catalogue, *object, name, sky, deep.get());
        EXPECT_NEAR(target.place.rightAscension, found.rightAscension, 1e-9) << name;
        EXPECT_NEAR(target.place.declination, found.declination, 1e-9) << name;
        EXPECT_NEAR(target.altitude, found.altitude, 1e-6) << name;
        // Not the catalogue's J2000 place: 26 years of precession lie between.
        EXPECT_GT(std::abs(target.place.declination - found.catalogueDeclination), 1e-3) << name;

        EXPECT_EQ(TargetOf(*catalogue, *object, name, sky, nullptr).altitude, -90) << name;
    }
}

}  // namespace
}  // namespace skyvane::app
