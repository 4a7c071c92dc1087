#include "render/sky_mapping.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#include "render/catalogue_of_date.h"
#include "render/display_preferences.h"

namespace skyvane::render {
namespace {

// Horizontal chart: zenith in the centre, horizon on the rim.
constexpr int kCx = 400;
constexpr int kCy = 300;
constexpr int kRadius = 389;  // not a multiple of 90, as on a real window

TEST(ProjectHorizontal, WestIsRightWithEastLeftAndLeftWhenMirrored)
{
    constexpr double kWest = 90;
    const PixelPoint eastLeft = ProjectHorizontal(kCx, kCy, kRadius, kWest, 0, kEastLeftWestRight);
    EXPECT_GT(eastLeft.x, kCx);
    EXPECT_NEAR(eastLeft.x, kCx + kRadius, 1);
    EXPECT_EQ(eastLeft.y, kCy);
    const PixelPoint westLeft = ProjectHorizontal(kCx, kCy, kRadius, kWest, 0, kWestLeftEastRight);
    EXPECT_LT(westLeft.x, kCx);
    EXPECT_NEAR(westLeft.x, kCx - kRadius, 1);
    EXPECT_EQ(westLeft.y, kCy);
}

TEST(ProjectHorizontal, NorthUpSouthDownZenithInTheMiddle)
{
    for (int orientation : {kEastLeftWestRight, kWestLeftEastRight}) {
        const PixelPoint north = ProjectHorizontal(kCx, kCy, kRadius, 180, 0, orientation);
        EXPECT_EQ(north.x, kCx);
        EXPECT_NEAR(north.y, kCy - kRadius, 1);
        // South at altitude 45 is half way down: rho = 45 * 389 / 90 = 194.5.
        const PixelPoint south = ProjectHorizontal(kCx, kCy, kRadius, 0, 45, orientation);
        EXPECT_EQ(south.x, kCx);
        EXPECT_EQ(south.y, kCy + 194);
        const PixelPoint zenith = ProjectHorizontal(kCx, kCy, kRadius, 123, 90, orientation);
        EXPECT_EQ(zenith, (PixelPoint{kCx, kCy}));
    }
}

TEST(ProjectHorizontal, PixelsAreCutTowardTheCentre)
{
    // Azimuth 135 (north-west) at altitude 30: rho = 60 * 389 / 90 = 259.33,
    // both components 183.37 pixels from the centre, cut to 183.
    const PixelPoint p = ProjectHorizontal(kCx, kCy, kRadius, 135, 30, kEastLeftWestRight);
    EXPECT_EQ(p, (PixelPoint{kCx + 183, kCy - 183}));
    const PixelPoint mirrored = ProjectHorizontal(kCx, kCy, kRadius, 135, 30, kWestLeftEastRight);
    EXPECT_EQ(mirrored, (PixelPoint{kCx - 183, kCy - 183}));
}

// Catalogue objects on the horizontal chart.
class ProjectStarHorizontalTest : public ::testing::Test {
protected:
    ProjectStarHorizontalTest()
    {
        state_.latitude = 47;
        state_.longitude = -8.5;  // east of Greenwich
        state_.siderealTime = 5.25;
    }
    // Local sidereal time, where a star culminates.
    double LocalSidereal() const { return state_.siderealTime - state_.longitude / 15; }

    engine::SkyState state_;
};

TEST_F(ProjectStarHorizontalTest, StarAtTheZenithLandsOnTheCentre)
{
    const StarPlacement p = ProjectStarHorizontal(state_, RaCode(LocalSidereal()), DecCode(47),
                                                  kCx, kCy, 200, kEastLeftWestRight);
    EXPECT_TRUE(p.visible);
    EXPECT_NEAR(p.x, kCx, 1);
    EXPECT_NEAR(p.y, kCy, 1);
}

TEST_F(ProjectStarHorizontalTest, CelestialPoleStandsAboveTheCentreAtTheLatitude)
{
    // Altitude 47 in the north: rho = 43 * 200 / 90 = 95.6, cut to 95.
    const StarPlacement p =
        ProjectStarHorizontal(state_, RaCode(3), DecCode(90), kCx, kCy, 200, kEastLeftWestRight);
    EXPECT_TRUE(p.visible);
    EXPECT_EQ(p.x, kCx);
    EXPECT_EQ(p.y, kCy - 95);
}

TEST_F(ProjectStarHorizontalTest, ObjectsBelowTheHorizonAreHiddenAtTheOrigin)
{
    const StarPlacement southPole =
        ProjectStarHorizontal(state_, RaCode(3), DecCode(-90), kCx, kCy, 200, kEastLeftWestRight);
    EXPECT_FALSE(southPole.visible);
    EXPECT_EQ(southPole.x, 0);
    EXPECT_EQ(southPole.y, 0);
    // A star on the celestial equator twelve hours from the meridian is at
    // its lowest, 43 degrees down.
    const StarPlacement lowest = ProjectStarHorizontal(state_, RaCode(LocalSidereal() - 12),
                                                       DecCode(0), kCx, kCy, 200, 1);
    EXPECT_FALSE(lowest.visible);
    EXPECT_EQ(lowest.x, 0);
}

TEST(CatalogueCodes, AreCutTowardZero)
{
    EXPECT_EQ(RaCode(12), 32400);
    EXPECT_EQ(RaCode(1.0 / 2700 * 1.5), 1);
    EXPECT_EQ(DecCode(-45), -16200);
    EXPECT_EQ(DecCode(-1.0 / 360 * 1.5), -1);
}

// A damaged catalogue can carry any finite number; the codes saturate
// instead of overflowing.
TEST(CatalogueCodes, SaturateForValuesOutsideTheSky)
{
    EXPECT_EQ(RaCode(1e300), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(DecCode(-1e300), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(RaCode(std::nan("")), 0);
}

// Which stars twilight leaves.
TEST(StarVisibleInTwilight, NightAllTwilightBrightestDayNone)
{
    EXPECT_TRUE(StarVisibleInTwilight(-15, 7.0));
    EXPECT_TRUE(StarVisibleInTwilight(-40, 12.0));
    EXPECT_FALSE(StarVisibleInTwilight(-14.99, 7.0));
    // Limit 3.3 at -10 and 0.55 at -5.
    EXPECT_TRUE(StarVisibleInTwilight(-10, 3.29));
    EXPECT_FALSE(StarVisibleInTwilight(-10, 3.31));
    EXPECT_TRUE(StarVisibleInTwilight(-5, 0.54));
    EXPECT_FALSE(StarVisibleInTwilight(-5, 0.56));
    EXPECT_FALSE(StarVisibleInTwilight(-1, -30));
    EXPECT_FALSE(StarVisibleInTwilight(-0.5, -30));
    EXPECT_FALSE(StarVisibleInTwilight(20, -30));
}

// Geocentric chart: 24 h at the left, 0 h at the right, +45 at the top.
TEST(ProjectGeocentric, HoursAcrossAndDeclinationDown)
{
    constexpr int kW = 1280;
    constexpr int kH = 800;
    EXPECT_EQ(ProjectGeocentric(RaCode(12), 0, kW, kH, 1).x, kW / 2);
    EXPECT_EQ(ProjectGeocentric(0, DecCode(45), kW, kH, 1).y, 0);
    EXPECT_EQ(ProjectGeocentric(0, 0, kW, kH, 1), (PixelPoint{kW, (kH - 200) / 2}));
    EXPECT_EQ(ProjectGeocentric(0, DecCode(-45), kW, kH, 1).y, kH - 200);
    EXPECT_EQ(ProjectGeocentric(RaCode(24), 0, kW, kH, 1).x, 0);
    EXPECT_EQ(ProjectGeocentric(RaCode(6), 0, kW, kH, 1).x, kW - kW * 6 / 24);
    EXPECT_EQ(ProjectGeocentric(0, DecCode(9), kW, kH, 1).y, 300 - 60);
}

TEST(ProjectGeocentric, OddSizesStillPutTheMarksOnTheirRows)
{
    constexpr int kW = 1281;
    constexpr int kH = 801;
    EXPECT_EQ(ProjectGeocentric(RaCode(12), 0, kW, kH, 1).x, kW / 2);
    EXPECT_EQ(ProjectGeocentric(0, DecCode(45), kW, kH, 1).y, 0);
    EXPECT_EQ(ProjectGeocentric(0, 0, kW, kH, 1).y, (kH - 200) / 2);
}

TEST(ProjectGeocentric, UnflippedKeepsHoursAndTurnsDeclinationOver)
{
    constexpr int kW = 1200;
    constexpr int kH = 700;
    EXPECT_EQ(ProjectGeocentric(0, DecCode(45), kW, kH, 0).y, kH - 200);
    EXPECT_EQ(ProjectGeocentric(RaCode(-12), 0, kW, kH, 0).x, kW / 2);
}

// Heliocentric chart: longitude 0 up, 90 right, 180 down, 270 left.
TEST(ProjectHeliocentric, LongitudeTurnsClockwiseFromTheTop)
{
    constexpr int kZoom = 210;
    EXPECT_EQ(ProjectHeliocentric(0, 1, kZoom), (PixelPoint{0, -210}));
    EXPECT_EQ(ProjectHeliocentric(90, 1, kZoom), (PixelPoint{210, 0}));
    EXPECT_EQ(ProjectHeliocentric(180, 1, kZoom), (PixelPoint{0, 210}));
    EXPECT_EQ(ProjectHeliocentric(270, 1, kZoom), (PixelPoint{-210, 0}));
    // 141.42 pixels each way, cut toward zero.
    EXPECT_EQ(ProjectHeliocentric(135, 2, 100), (PixelPoint{141, 141}));
    EXPECT_EQ(ProjectHeliocentric(45, 2, 100), (PixelPoint{141, -141}));
}

}  // namespace
}  // namespace skyvane::render

namespace skyvane::render {
namespace {

// A computed state carries every catalogue position from J2000 to the
// apparent place of its instant: a thousand years back the sky has turned
// by some fourteen degrees against the catalogue's equinox.
TEST(CatalogueOfDateTest, StarsArePlacedAtTheirApparentPlaceOfDate)
{
    engine::SkyState state{};
    state.year = 1000;
    state.month = 12;
    state.day = 7;
    state.hour = 3;
    state.longitude = -8.54;
    state.latitude = 47.37;
    engine::SkyCalculator().ComputeSky(state);
    constexpr int kCx = 400, kCy = 400, kRadius = 380;
    // Regulus, Vega, Polaris, Sirius: J2000 places.
    const std::pair<double, double> stars[] = {
        {10.139531, 11.967207}, {18.615649, 38.783690}, {2.530301, 89.264109},
        {6.752481, -16.716116}};
    for (const auto& [ra, dec] : stars) {
        const std::int32_t raCode = RaCode(ra), decCode = DecCode(dec);
        const engine::Equatorial ofDate = engine::ApparentPlaceOf(
            state, static_cast<double>(raCode) / kRaCodePerHour,
            static_cast<double>(decCode) / kDecCodePerDegree);
        const engine::Horizontal expected = engine::HorizontalPlaceOf(state, ofDate);
        const engine::Horizontal carried = HorizontalOfDirection(
            ApparentDirectionOfCodes(state, raCode, decCode), ObserverTurn::Of(state));
        EXPECT_NEAR(carried.altitude, expected.altitude, 1e-9) << ra;
        EXPECT_NEAR(std::remainder(carried.azimuth - expected.azimuth, 360), 0, 1e-7) << ra;
        // The uncarried catalogue place is far off.
        const engine::Horizontal j2000 = engine::EquatorialToHorizontal(
            engine::HourAngle(state.siderealTime, state.longitude, ra), dec, state.latitude);
        const double moved = std::hypot(j2000.altitude - expected.altitude,
                                        std::remainder(j2000.azimuth - expected.azimuth, 360) *
                                            std::cos(expected.altitude * 0.017453292519943295));
        EXPECT_GT(moved, ra == 2.530301 ? 0.5 : 5) << ra;
        // On the chart, the pixel of that horizontal place.
        const StarPlacement p =
            ProjectStarHorizontal(state, raCode, decCode, kCx, kCy, kRadius, kEastLeftWestRight);
        EXPECT_EQ(p.visible, expected.altitude > 0) << ra;
        if (p.visible) {
            const PixelPoint q = ProjectHorizontal(kCx, kCy, kRadius, expected.azimuth,
                                                   expected.altitude, kEastLeftWestRight);
            EXPECT_NEAR(p.x, q.x, 1) << ra;
            EXPECT_NEAR(p.y, q.y, 1) << ra;
        }
    }
}

}  // namespace
}  // namespace skyvane::render
