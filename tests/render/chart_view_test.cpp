#include "render/chart_view.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/apparent_place.h"
#include "engine/transforms.h"
#include "render/display_preferences.h"
#include "render/horizontal_placement.h"

namespace skyvane::render {
namespace {

// A 1920 x 1080 window laid out as the charts lay it out.
constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kCx = (kHeight - 20) / 2 + 22;
constexpr int kCy = (kHeight - 20) / 2 + 10;
constexpr int kRadius = kHeight / 2 - 1;
constexpr int kPanelLeft = kWidth - 300;
constexpr int kTableSpace = 200;

ChartView HorizontalView(const ViewAim& aim, int orientation = kEastLeftWestRight)
{
    return ChartView::Horizontal(kWidth, kHeight, kCx, kCy, kRadius, orientation, kPanelLeft, aim);
}

ChartView GeocentricView(const ViewAim& aim)
{
    return ChartView::Geocentric(kWidth, kHeight, kTableSpace, aim);
}

double AngularDistance(double ra1, double dec1, double ra2, double dec2)
{
    constexpr double kRad = 3.14159265358979323846 / 180;
    const double c = std::sin(dec1 * kRad) * std::sin(dec2 * kRad) +
                     std::cos(dec1 * kRad) * std::cos(dec2 * kRad) * std::cos((ra1 - ra2) * 15 * kRad);
    return std::acos(std::fmax(-1.0, std::fmin(1.0, c))) / kRad;
}

TEST(ChartView, WholeSkyIsTheChartsOwnMapping)
{
    const ChartView horizontal = HorizontalView(ViewAim::WholeSky());
    const ChartView mirrored = HorizontalView(ViewAim::WholeSky(), kWestLeftEastRight);
    const ChartView geocentric = GeocentricView(ViewAim::WholeSky());
    EXPECT_TRUE(horizontal.WholeSky());
    EXPECT_EQ(horizontal.Zoom(), 1);
    EXPECT_EQ(horizontal.LimitingMagnitude(), kWholeSkyLimitingMagnitude);
    EXPECT_EQ(horizontal.MagnitudeGain(), 0);
    EXPECT_EQ(horizontal.FieldDegrees(), 180);
    EXPECT_EQ(geocentric.FieldDegrees(), 90);
    const SkyPoint points[] = {{0, 90}, {37.5, 12.25}, {181, 0.5}, {359.9, 45}, {90, 1e-3}};
    for (const SkyPoint& p : points) {
        EXPECT_EQ(horizontal.ToPixel(p),
                  ProjectHorizontal(kCx, kCy, kRadius, p.longitude, p.latitude, kEastLeftWestRight));
        EXPECT_EQ(mirrored.ToPixel(p),
                  ProjectHorizontal(kCx, kCy, kRadius, p.longitude, p.latitude, kWestLeftEastRight));
        const SkyPoint equatorial{p.longitude / 15, p.latitude / 2};
        EXPECT_EQ(geocentric.ToPixel(equatorial),
                  MapGeocentric(equatorial.longitude, equatorial.latitude, kWidth, kHeight));
    }
    // A field as wide as the whole sky, or wider, is the whole sky.
    EXPECT_TRUE(HorizontalView(ViewAim::At({10, 40}, 180)).WholeSky());
    EXPECT_TRUE(GeocentricView(ViewAim::At({5, 10}, 120)).WholeSky());
}

struct ZoomedCase {
    ChartPlane plane;
    SkyPoint centre;
    double field;
};

ChartView ViewOf(const ZoomedCase& c)
{
    const ViewAim aim = ViewAim::At(c.centre, c.field);
    return c.plane == ChartPlane::kHorizontal ? HorizontalView(aim) : GeocentricView(aim);
}

const std::vector<ZoomedCase>& ZoomedCases()
{
    static const std::vector<ZoomedCase> cases = {
        {ChartPlane::kHorizontal, {200, 30}, 30},  {ChartPlane::kHorizontal, {15, 5}, 5},
        {ChartPlane::kHorizontal, {90, 80}, 1},    {ChartPlane::kGeocentric, {5.6, -5}, 5},
        {ChartPlane::kGeocentric, {0.1, 60}, 30},  {ChartPlane::kGeocentric, {23.95, -80}, 1},
    };
    return cases;
}

TEST(ChartView, ZoomedViewsKeepTheirCentreAndFieldAndInvertExactly)
{
    for (const ZoomedCase& c : ZoomedCases()) {
        SCOPED_TRACE(c.field);
        const ChartView view = ViewOf(c);
        ASSERT_FALSE(view.WholeSky());
        EXPECT_NEAR(view.FieldDegrees(), c.field, 1e-9);
        EXPECT_NEAR(view.Centre().longitude, c.centre.longitude, 1e-9);
        EXPECT_NEAR(view.Centre().latitude, c.centre.latitude, 1e-9);
        // The centre is drawn where the view says, the field spans the
        // shorter side, and the limiting magnitude deepens as it narrows.
        const ScreenPoint centre = view.ToScreen(c.centre);
        EXPECT_NEAR(centre.x, view.CentreOnScreen().x, 1e-6);
        EXPECT_NEAR(centre.y, view.CentreOnScreen().y, 1e-6);
        const ScreenArea area = view.Area();
        EXPECT_NEAR(view.PixelsPerDegree() * c.field,
                    std::min(area.right - area.left, area.bottom - area.top), 1e-6);
        EXPECT_GT(view.LimitingMagnitude(), kWholeSkyLimitingMagnitude);
        // Screen to sky and back, across the area.
        for (double fx : {0.05, 0.5, 0.9}) {
            for (double fy : {0.1, 0.5, 0.95}) {
                const double x = area.left + fx * (area.right - area.left);
                const double y = area.top + fy * (area.bottom - area.top);
                const auto sky = view.SkyAt(x, y);
                if (!sky) {
                    continue;  // below the horizon
                }
                const ScreenPoint back = view.ToScreen(*sky);
                EXPECT_NEAR(back.x, x, 1e-6);
                EXPECT_NEAR(back.y, y, 1e-6);
            }
        }
    }
}

TEST(ChartView, DirectionsReachTheHorizontalPlaneWhereTheirAzimuthAndAltitudeDo)
{
    // Outline points skip the azimuth angle; they must land where the
    // angles put them, on both orientations, zoomed or not, below the
    // horizon and straight up and down.
    ObserverTurn turn;
    turn.sinSidereal = std::sin(1.1);
    turn.cosSidereal = std::cos(1.1);
    turn.sinLatitude = std::sin(47.3 * 3.14159265358979323846 / 180);
    turn.cosLatitude = std::cos(47.3 * 3.14159265358979323846 / 180);
    const ViewAim aims[] = {ViewAim::WholeSky(), ViewAim::At({200, 30}, 20)};
    const double directions[][2] = {{0, 0},   {5.6, -1.2}, {12, 60}, {18.2, -80}, {2.5, 89.3}, {21, 10},
                                    {9, -30}, {15, 0},     {0, 90},  {0, -90}};
    for (const ViewAim& aim : aims) {
        for (const int orientation : {kEastLeftWestRight, kWestLeftEastRight}) {
            const ChartView view = HorizontalView(aim, orientation);
            for (const auto& d : directions) {
                const engine::UnitVector v = engine::UnitVectorOf(d[0], d[1]);
                const engine::Horizontal h = HorizontalOfDirection(v, turn);
                const ScreenPoint byAngles = view.ToScreen({h.azimuth, h.altitude});
                const ScreenPoint expected = HorizontalScreenOfDirection(view, v, turn);
                EXPECT_NEAR(expected.x, byAngles.x, 1e-6) << d[0] << " " << d[1] << " " << orientation;
                EXPECT_NEAR(expected.y, byAngles.y, 1e-6) << d[0] << " " << d[1] << " " << orientation;
            }
        }
    }
}

TEST(ChartView, NarrowerFieldsShowFainterStars)
{
    EXPECT_EQ(LimitingMagnitudeForField(180), kWholeSkyLimitingMagnitude);
    EXPECT_NEAR(LimitingMagnitudeForField(9), kWholeSkyLimitingMagnitude + 2, 1e-12);
    EXPECT_LT(LimitingMagnitudeForField(30), LimitingMagnitudeForField(5));
    EXPECT_LT(LimitingMagnitudeForField(5), LimitingMagnitudeForField(1));
    EXPECT_EQ(LimitingMagnitudeForField(std::nan("")), kWholeSkyLimitingMagnitude);
}

TEST(ChartView, WheelZoomKeepsTheSkyUnderThePointer)
{
    const ChartView wholeHorizontal = HorizontalView(ViewAim::WholeSky());
    const ChartView wholeGeocentric = GeocentricView(ViewAim::WholeSky());
    const ChartView views[] = {wholeHorizontal, wholeGeocentric, ViewOf(ZoomedCases()[0]),
                               ViewOf(ZoomedCases()[3]), ViewOf(ZoomedCases()[4])};
    for (const ChartView& view : views) {
        for (const double factor : {1.25, 3.0, 0.8}) {
            const double x = 700;
            const double y = 400;
            const auto before = view.SkyAt(x, y);
            ASSERT_TRUE(before.has_value());
            const ViewAim aim = view.ZoomedAbout(x, y, factor);
            if (aim.wholeSky) {
                EXPECT_LT(view.Zoom() * factor, 1 + 1e-6);
                continue;
            }
            const ChartView zoomed = view.Plane() == ChartPlane::kHorizontal ? HorizontalView(aim)
                                                                               : GeocentricView(aim);
            EXPECT_NEAR(zoomed.Zoom(), view.Zoom() * factor, 1e-9);
            const ScreenPoint after = zoomed.ToScreen(*before);
            EXPECT_NEAR(after.x, x, 1e-6);
            EXPECT_NEAR(after.y, y, 1e-6);
        }
    }
    // Zooming out past the whole sky gives the whole sky; zooming in stops
    // at the narrowest field.
    const ChartView narrow = ViewOf(ZoomedCases()[2]);
    EXPECT_TRUE(narrow.ZoomedAbout(500, 500, 1e-3).wholeSky);
    EXPECT_NEAR(narrow.ZoomedAbout(500, 500, 8).fieldDegrees, kNarrowestFieldDegrees, 1e-9);
}

TEST(ChartView, DragMovesTheSkyWithThePointerAndCentringCentres)
{
    for (const ZoomedCase& c : ZoomedCases()) {
        const ChartView view = ViewOf(c);
        const double x = 800;
        const double y = 500;
        const auto grabbed = view.SkyAt(x, y);
        if (!grabbed) {
            continue;
        }
        const ChartView panned = view.Plane() == ChartPlane::kHorizontal
                                     ? HorizontalView(view.PannedBy(-35, 20))
                                     : GeocentricView(view.PannedBy(-35, 20));
        const ScreenPoint moved = panned.ToScreen(*grabbed);
        EXPECT_NEAR(moved.x, x - 35, 1e-6);
        EXPECT_NEAR(moved.y, y + 20, 1e-6);

        const ViewAim centred = view.CentredAt(x, y);
        EXPECT_NEAR(centred.fieldDegrees, view.FieldDegrees(), 1e-9);
        EXPECT_NEAR(centred.centre.latitude, grabbed->latitude, 1e-9);
    }
    // The whole sky does not pan, and a double click on it zooms in.
    const ChartView whole = HorizontalView(ViewAim::WholeSky());
    EXPECT_TRUE(whole.PannedBy(100, 100).wholeSky);
    const ViewAim centred = whole.CentredAt(kCx + 100, kCy);
    EXPECT_FALSE(centred.wholeSky);
    EXPECT_NEAR(HorizontalView(centred).ToScreen(*whole.SkyAt(kCx + 100, kCy)).x,
                HorizontalView(centred).CentreOnScreen().x, 1e-6);
}

TEST(ChartView, HorizontalCentreStaysAboveTheHorizon)
{
    // A drag far beyond the rim stops with the centre on the horizon.
    const ChartView view = HorizontalView(ViewAim::At({0, 10}, 20));
    const ViewAim aim = view.PannedBy(0, -5000);
    EXPECT_NEAR(aim.centre.latitude, 0, 1e-9);
    EXPECT_FALSE(view.SkyAt(view.CentreOnScreen().x, view.CentreOnScreen().y + 700).has_value());
}

TEST(ChartView, GeocentricViewWrapsRoundInRightAscension)
{
    const ChartView view = GeocentricView(ViewAim::At({0.1, 0}, 10));
    const ScreenPoint centre = view.CentreOnScreen();
    // 23.9 h lies 0.2 h west of the centre: to its right, across the seam,
    // not a whole map away.
    const ScreenPoint west = view.ToScreen({23.9, 0});
    EXPECT_NEAR(west.x - centre.x, 0.2 * kWidth / 24 * view.Zoom(), 1e-6);
    EXPECT_NEAR(view.SkyAt(west.x, west.y)->longitude, 23.9, 1e-9);
}

TEST(ChartView, VisibleSkyHoldsEveryPointOnScreen)
{
    engine::SkyState state{};
    state.latitude = 47.38;
    state.longitude = -8.54;
    state.siderealTime = 4.7;
    for (const ZoomedCase& c : ZoomedCases()) {
        SCOPED_TRACE(c.field);
        const ChartView view = ViewOf(c);
        const SkyCircle circle = view.VisibleSky(state);
        EXPECT_LT(circle.radiusDegrees, 180);
        const bool horizontal = c.plane == ChartPlane::kHorizontal;
        if (horizontal) {
            // The circle's centre is the view's centre, seen by the engine.
            const engine::Horizontal back = engine::EquatorialToHorizontal(
                engine::HourAngle(state.siderealTime, state.longitude, circle.rightAscension),
                circle.declination, state.latitude);
            EXPECT_NEAR(std::remainder(back.azimuth - c.centre.longitude, 360), 0, 1e-6);
            EXPECT_NEAR(back.altitude, c.centre.latitude, 1e-6);
        }
        // Distances on the sphere do not depend on the frame: azimuth and
        // altitude measure them as right ascension and declination do.
        const double toHours = horizontal ? 1.0 / 15 : 1;
        const ScreenArea area = view.Area();
        for (int i = 0; i <= 10; ++i) {
            for (int j = 0; j <= 10; ++j) {
                const auto sky = view.SkyAt(area.left + i * (area.right - area.left - 1) / 10.0,
                                            area.top + j * (area.bottom - area.top - 1) / 10.0);
                if (!sky) continue;
                EXPECT_LE(AngularDistance(sky->longitude * toHours, sky->latitude,
                                          view.Centre().longitude * toHours, view.Centre().latitude),
                          circle.radiusDegrees + 1e-9);
            }
        }
    }
}

TEST(ChartView, TheCatalogueCircleIsTheVisibleCircleInJ2000)
{
    // Zurich, 2026-12-07 22:00: 26 years of precession separate the two.
    engine::SkyState state{};
    state.year = 2026;
    state.month = 12;
    state.day = 7;
    state.hour = 22;
    state.timeZone = 1;
    state.longitude = -8.54;
    state.latitude = 47.38;
    engine::SkyCalculator().ComputeSky(state);
    for (const ZoomedCase& c : ZoomedCases()) {
        const ChartView view = ViewOf(c);
        const SkyCircle ofDate = view.VisibleSky(state);
        const SkyCircle j2000 = view.VisibleCatalogueSky(state);
        EXPECT_EQ(j2000.radiusDegrees, ofDate.radiusDegrees);
        const engine::Equatorial back =
            engine::ApparentPlace(state.frame, j2000.rightAscension, j2000.declination);
        EXPECT_LT(AngularDistance(back.rightAscension, back.declination, ofDate.rightAscension,
                                  ofDate.declination),
                  1e-5);
        EXPECT_GT(AngularDistance(j2000.rightAscension, j2000.declination, ofDate.rightAscension,
                                  ofDate.declination),
                  0.1);
    }
}

TEST(ChartView, SegmentsAreCutAtTheMap)
{
    const ChartView view = HorizontalView(ViewAim::At({0, 45}, 10));
    const ScreenArea area = view.Area();
    ScreenPoint a{-1e5, 540};
    ScreenPoint b{1e5, 540};
    ASSERT_TRUE(view.ClipSegment(a, b));
    EXPECT_NEAR(a.x, area.left - 1, 1e-6);
    EXPECT_NEAR(b.x, area.right + 1, 1e-6);
    ScreenPoint c{-10, -10};
    ScreenPoint d{-500, 300};
    EXPECT_FALSE(view.ClipSegment(c, d));
}

}  // namespace
}  // namespace skyvane::render
