// The Moon's fundamental arguments, periodic sums and position.
#include <array>
#include <cmath>

#include <gtest/gtest.h>

#include "engine/moon.h"
#include "engine/series_tables.h"
#include "engine/transforms.h"

namespace skyvane::engine {
namespace {

// 1992-04-12 0h, the worked example of the lunar theory.
TEST(MoonTest, WorkedInstant1992April12)
{
    const double jd = 2448724.5;
    EXPECT_NEAR(MoonMeanLongitude(jd), 134.290182, 1e-6);
    EXPECT_NEAR(MoonMeanElongation(jd), 113.842304, 1e-6);
    EXPECT_NEAR(SunMeanAnomaly(jd), 97.643514, 1e-6);
    EXPECT_NEAR(MoonMeanAnomaly(jd), 5.150833, 1e-6);
    EXPECT_NEAR(MoonArgumentOfLatitude(jd), 219.889721, 1e-6);
    EXPECT_NEAR(EccentricityFactor(jd), 1.000194, 1e-6);

    const MoonSums sums = MoonPeriodicSums(jd);
    EXPECT_NEAR(sums.longitude, -1127527, 1);
    EXPECT_NEAR(sums.latitude, -3229126, 1);
    EXPECT_NEAR(sums.distance, -16590875, 1);
    EXPECT_NEAR(MoonMeanLongitude(jd) + sums.longitude / 1e6, 133.162655, 1e-6);
    EXPECT_NEAR(MoonLatitude(jd), -3.229126, 1e-6);
    EXPECT_NEAR(MoonDistance(jd), 368409.7, 0.05);
    // The apparent longitude adds the nutation in longitude.
    EXPECT_NEAR(NutationInLongitude(jd) / 3600, 0.004610, 1e-6);
    EXPECT_NEAR(MoonLongitude(jd), 133.167265, 2e-6);
}

// Even far from J2000 the Moon keeps within about 5.3 degrees of the
// ecliptic and between perigee and apogee; its longitude stays reduced.
TEST(MoonTest, StaysPlausibleOverTheAcceptedRange)
{
    for (int i = 0; i <= 400; ++i) {
        const double jd = -365 + i * 13434.71;
        const double longitude = MoonLongitude(jd);
        EXPECT_TRUE(longitude >= 0 && longitude <= 360) << jd << ": " << longitude;
        EXPECT_LT(std::fabs(MoonLatitude(jd)), 5.4) << jd;
        EXPECT_GT(MoonDistance(jd), 355000) << jd;
        EXPECT_LT(MoonDistance(jd), 408000) << jd;
    }
}

TEST(MoonTest, TablesHoldThePublishedRows)
{
    auto multipliers = [](const auto& row) { return std::array{row.d, row.m, row.mPrime, row.f}; };
    using M = std::array<double, 4>;
    EXPECT_EQ(multipliers(kMoonLongitudeDistanceRows[0]), (M{0, 0, 1, 0}));
    EXPECT_EQ(multipliers(kMoonLongitudeDistanceRows[1]), (M{2, 0, -1, 0}));
    EXPECT_EQ(multipliers(kMoonLongitudeDistanceRows[2]), (M{2, 0, 0, 0}));
    EXPECT_EQ(kMoonLongitudeDistanceRows[0].sigmaL, 6288774);
    EXPECT_EQ(kMoonLongitudeDistanceRows[0].sigmaR, -20905355);
    EXPECT_EQ(kMoonLongitudeDistanceRows[1].sigmaL, 1274027);
    EXPECT_EQ(kMoonLongitudeDistanceRows[1].sigmaR, -3699111);
    EXPECT_EQ(kMoonLongitudeDistanceRows[2].sigmaL, 658314);
    EXPECT_EQ(kMoonLongitudeDistanceRows[2].sigmaR, -2955968);
    EXPECT_EQ(multipliers(kMoonLatitudeRows[0]), (M{0, 0, 0, 1}));
    EXPECT_EQ(multipliers(kMoonLatitudeRows[1]), (M{0, 0, 1, 1}));
    EXPECT_EQ(multipliers(kMoonLatitudeRows[2]), (M{0, 0, 1, -1}));
    EXPECT_EQ(kMoonLatitudeRows[0].sigmaB, 5128122);
    EXPECT_EQ(kMoonLatitudeRows[1].sigmaB, 280602);
    EXPECT_EQ(kMoonLatitudeRows[2].sigmaB, 277693);

    // Entries the published table leaves empty, and the rows weighted by E^2.
    int zeroL = 0, zeroR = 0, squaredLd = 0, squaredB = 0, zeroB = 0;
    for (const MoonLongitudeDistanceRow& row : kMoonLongitudeDistanceRows) {
        zeroL += row.sigmaL == 0;
        zeroR += row.sigmaR == 0;
        squaredLd += std::fabs(row.m) == 2;
    }
    for (const MoonLatitudeRow& row : kMoonLatitudeRows) {
        zeroB += row.sigmaB == 0;
        squaredB += std::fabs(row.m) == 2;
    }
    EXPECT_EQ(zeroL, 1);
    EXPECT_EQ(zeroR, 14);
    EXPECT_EQ(zeroB, 0);
    EXPECT_EQ(squaredLd, 6);
    EXPECT_EQ(squaredB, 2);
}

}  // namespace
}  // namespace skyvane::engine
