// The telescope's reticle: its shape and colour, and where each chart puts
// it through the same view the stars go through.
#include "render/telescope_reticle.h"

#include <gtest/gtest.h>

#include <cmath>

#include "render/color_filter.h"
#include "render/geocentric_chart.h"
#include "render/horizontal_chart.h"
#include "render_test_canvas.h"
#include "tests/zurich_sky.h"

namespace skyvane::render {
namespace {

TEST(TelescopeReticle, CircleWithCrossInItsOwnColour)
{
    test::Canvas canvas(100, 100);
    DrawTelescopeReticle(canvas.dc(), {50, 50});
    const QRgb on = kTelescopeReticle | 0xff000000u;
    const QRgb off = test::kCanvasBlack | 0xff000000u;
    struct Probe {
        int x, y;
        QRgb expected;
    };
    const Probe probes[] = {
        {50, 50, on},                       // the cross's centre
        {50 + kReticleArm, 50, on},         // the arms' ends
        {50 - kReticleArm, 50, on},
        {50, 50 - kReticleArm, on},
        {50, 50 + kReticleArm, on},
        {50 + kReticleRadius, 50, on},      // circle meets arm
        {50, 50 + kReticleRadius, on},
        {50 + 3, 50 + 3, off},              // inside, off the cross
        {50 + kReticleArm + 2, 50, off},    // beyond the arms
        {50 + kReticleRadius, 50 + kReticleRadius, off},  // outside the circle's corner
    };
    for (const Probe& p : probes) {
        SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
        EXPECT_EQ(canvas.At(p.x, p.y), p.expected);
    }
}

TEST(TelescopeReticle, NightModeDrawsItInTheNightColour)
{
    test::Canvas canvas(100, 100);
    canvas.dc().SetColorFilter(ColorFilter::kNight);
    DrawTelescopeReticle(canvas.dc(), {50, 50});
    EXPECT_EQ(canvas.At(50 + kReticleArm, 50), NightColor(kTelescopeReticle) | 0xff000000u);
    EXPECT_NE(NightColor(kTelescopeReticle), kTelescopeReticle);
}

class ReticlePlacement : public testing::Test {
protected:
    void SetUp() override
    {
        // Zurich, 2026-12-07 22:00 local time.
        state_ = ZurichDecemberEvening();
        engine::SkyCalculator().ComputeSky(state_);
    }
    // The local sidereal time in hours: the right ascension on the meridian.
    double LocalSiderealTime() const
    {
        return std::fmod(state_.siderealTime - state_.longitude / 15 + 48, 24);
    }

    engine::SkyState state_;
    DisplayPreferences preferences_;
};

TEST_F(ReticlePlacement, HorizontalChartZenithCentreAndNothingBelowTheHorizon)
{
    const ChartView view = HorizontalChartView(700, 1024, preferences_, ViewAim::WholeSky());
    const std::optional<PixelPoint> zenith =
        TelescopeReticleAt(view, state_, {LocalSiderealTime(), state_.latitude});
    ASSERT_TRUE(zenith.has_value());
    const PixelPoint centre = view.ToPixel({0, 90});
    EXPECT_NEAR(zenith->x, centre.x, 1);
    EXPECT_NEAR(zenith->y, centre.y, 1);
    // On the meridian 60 degrees south of the equator: below Zurich's horizon.
    EXPECT_FALSE(TelescopeReticleAt(view, state_, {LocalSiderealTime(), -60}).has_value());
}

TEST_F(ReticlePlacement, GeocentricChartOnTheBandAndZoomedBeyondIt)
{
    const ChartView whole = GeocentricChartView(700, 1024, ViewAim::WholeSky());
    const std::optional<PixelPoint> inBand = TelescopeReticleAt(whole, state_, {6, 10});
    ASSERT_TRUE(inBand.has_value());
    EXPECT_EQ(*inBand, MapGeocentric(6, 10, 1024, 700));
    // The whole-sky map is the band between -45 and +45 only.
    EXPECT_FALSE(TelescopeReticleAt(whole, state_, {6, 50}).has_value());
    // A view zoomed there shows it, at its centre.
    const ChartView zoomed = GeocentricChartView(700, 1024, ViewAim::At({6, 50}, 20));
    const std::optional<PixelPoint> centred = TelescopeReticleAt(zoomed, state_, {6, 50});
    ASSERT_TRUE(centred.has_value());
    EXPECT_NEAR(centred->x, zoomed.CentreOnScreen().x, 1);
    EXPECT_NEAR(centred->y, zoomed.CentreOnScreen().y, 1);
}

}  // namespace
}  // namespace skyvane::render
