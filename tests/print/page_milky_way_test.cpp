// The Milky Way on the printed pages, from the real data files: with the
// preference on a page differs from the page without it only where the
// band lies, as light grey on paper that nothing else drawn gives up to it.
#include <gtest/gtest.h>

#include <QImage>

#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/body.h"
#include "engine/sky.h"
#include "page_canvas.h"
#include "print/page_milky_way.h"
#include "print/print_charts.h"
#include "render/horizontal_placement.h"
#include "render/sky_mapping.h"
#include "skydata/data_file.h"
#include "skydata/deep_sky.h"
#include "skydata/sky_data.h"
#include "tests/real_sky_files.h"
#include "tests/zurich_sky.h"

namespace skyvane::print {
namespace {

using test::kPaper;
using test::PageCanvas;

constexpr double kRad = 3.14159265358979323846 / 180;

// A galactic place (degrees) in J2000 right ascension (hours) and
// declination, from the IAU's galactic pole and node, not from the data.
struct Equatorial {
    double ra;
    double dec;
};
Equatorial FromGalactic(double l, double b)
{
    constexpr double kPoleRa = 192.85948;
    constexpr double kPoleDec = 27.12825;
    constexpr double kNorthPoleLongitude = 122.93192;
    const double dl = (kNorthPoleLongitude - l) * kRad;
    const double sinDec = std::sin(kPoleDec * kRad) * std::sin(b * kRad) +
                          std::cos(kPoleDec * kRad) * std::cos(b * kRad) * std::cos(dl);
    const double ra = kPoleRa + std::atan2(std::cos(b * kRad) * std::sin(dl),
                                           std::cos(kPoleDec * kRad) * std::sin(b * kRad) -
                                               std::sin(kPoleDec * kRad) * std::cos(b * kRad) *
                                                   std::cos(dl)) /
                                    kRad;
    return {std::fmod(ra + 360, 360) / 15, std::asin(sinDec) / kRad};
}

bool IsBand(QRgb pixel)
{
    for (int level = 1; level <= 5; ++level)
        if ((pixel | 0xff000000u) == (PaperMilkyWayColor(level) | 0xff000000u)) return true;
    return false;
}

// Whether a band pixel lies within `radius` pixels of (x, y).
bool BandNear(const PageCanvas& page, int x, int y, int radius)
{
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx)
            if (dx * dx + dy * dy <= radius * radius && IsBand(page.At(x + dx, y + dy)))
                return true;
    return false;
}

class PageMilkyWayTest : public RealSkyFilesTest {
protected:
    PageMilkyWayTest()
    {
        // Zurich on a December night: the band runs overhead from Cygnus
        // through Cassiopeia and Auriga to Monoceros.
        state_ = ZurichDecemberEvening();
        state_.locationName = "Zurich";
        engine::SkyCalculator().ComputeSky(state_);
        engine::FoldShownInstant(state_);
    }

    static const skydata::SkyCatalogue& Catalogue() { return Main(); }

    engine::SkyState state_{};
};

// A4 at screen resolution (s = 1). The portrait dome: centre (396, 435),
// radius 396.85 - 15 = 381. The landscape map: 40 and 80 in, 1062 wide,
// its mapping 529 high less 200 x 96 / 600 = 32 for the tables.
constexpr PageMetrics kPortrait{210, 297, 96, 96};
constexpr PageMetrics kLandscape{297, 210, 96, 96};
constexpr int kDomeX = 396, kDomeY = 435, kDomeRadius = 381;
constexpr int kMapLeft = 40, kMapTop = 80, kMapWidth = 1062, kMapHeight = 529, kMapTables = 32;

enum class Page { kHorizontal, kGeocentric, kHorizontalFinder, kGeocentricFinder };

TEST_F(PageMilkyWayTest, WithThePreferenceOnlyPaperUnderTheBandTurnsLightGrey)
{
    engine::SkyState day = state_;
    day.altitude[engine::kSun] = 20;
    render::DisplayPreferences on;
    on.showMilkyWay = 1;
    render::DisplayPreferences planetsOnly = on;
    planetsOnly.noStars = 1;
    struct Case {
        const char* name;
        Page page;
        const engine::SkyState& state;
        const render::DisplayPreferences& preferences;
        double l, b;  // a finder map's centre, galactic
        bool band;
    };
    const Case cases[] = {
        {"horizontal", Page::kHorizontal, state_, on, 0, 0, true},
        {"geocentric", Page::kGeocentric, state_, on, 0, 0, true},
        {"horizontal finder on Cassiopeia", Page::kHorizontalFinder, state_, on, 125, 0, true},
        {"geocentric finder on Cassiopeia", Page::kGeocentricFinder, state_, on, 125, 0, true},
        {"horizontal finder on Pisces", Page::kHorizontalFinder, state_, on, 125, -55, false},
        {"geocentric finder on Pisces", Page::kGeocentricFinder, state_, on, 125, -55, false},
        // No sky is drawn behind the planets alone, nor by day.
        {"horizontal, planets only", Page::kHorizontal, state_, planetsOnly, 0, 0, false},
        {"horizontal by day", Page::kHorizontal, day, on, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PageMetrics metrics = c.page == Page::kGeocentric ? kLandscape : kPortrait;
        const auto print = [&](render::DrawContext& dc, render::DisplayPreferences preferences,
                               const skydata::DeepSkyCatalogue* deep) {
            const Equatorial at = FromGalactic(c.l, c.b);
            const engine::Horizontal h = render::HorizontalPlaceOf(c.state, at.ra, at.dec);
            const engine::Equatorial ofDate = engine::ApparentPlaceOf(c.state, at.ra, at.dec);
            switch (c.page) {
            case Page::kHorizontal:
                return PrintHorizontalChart(dc, metrics, c.state, Catalogue(), preferences, deep);
            case Page::kGeocentric:
                return PrintGeocentricChart(dc, metrics, c.state, Catalogue(), preferences, deep);
            case Page::kHorizontalFinder:
                EXPECT_GT(h.altitude, 20);
                return PrintFinderChart(dc, metrics, true, c.state, Catalogue(), preferences,
                                        render::ViewAim::At({h.azimuth, h.altitude}, 20), deep);
            case Page::kGeocentricFinder:
                return PrintFinderChart(
                    dc, metrics, false, c.state, Catalogue(), preferences,
                    render::ViewAim::At({ofDate.rightAscension, ofDate.declination}, 20), deep);
            }
            return false;
        };
        render::DisplayPreferences off = c.preferences;
        off.showMilkyWay = 0;
        PageCanvas without(metrics), with(metrics), noFileOff(metrics), noFileOn(metrics);
        ASSERT_TRUE(print(without.dc(), off, deep.get()));
        ASSERT_TRUE(print(with.dc(), c.preferences, deep.get()));
        ASSERT_TRUE(print(noFileOff.dc(), off, nullptr));
        ASSERT_TRUE(print(noFileOn.dc(), c.preferences, nullptr));
        // Without the deep-sky file the preference changes nothing.
        EXPECT_EQ(noFileOn.Image(), noFileOff.Image());
        // Every pixel that changed was paper and is now a step of the
        // band: no star, line or letter gave way to it.
        int changed = 0, hidden = 0;
        for (int y = 0; y < with.Image().height(); ++y) {
            for (int x = 0; x < with.Image().width(); ++x) {
                if (with.At(x, y) == without.At(x, y)) continue;
                ++changed;
                if (without.At(x, y) != (kPaper | 0xff000000u) || !IsBand(with.At(x, y)))
                    ++hidden;
            }
        }
        EXPECT_EQ(changed > 1000, c.band) << changed;
        EXPECT_EQ(changed == 0, !c.band) << changed;
        EXPECT_EQ(hidden, 0);
    }
}

TEST_F(PageMilkyWayTest, TheBandLiesAlongTheGalacticEquatorAndNotFarFromIt)
{
    // Where a J2000 place lands on each whole-sky page, if it is on the map
    // well inside its edge.
    struct Map {
        const char* name;
        PageMetrics metrics;
        bool horizontal;
        int pixelsPerThreeDegrees;
    };
    // The outlines' faintest step reaches a degree or two past the
    // equator where the band is thin (Perseus); three degrees holds it.
    const Map maps[] = {{"horizontal", kPortrait, true, 3 * kDomeRadius / 90},
                        {"geocentric", kLandscape, false, 3 * (kMapHeight - kMapTables) / 90}};
    render::DisplayPreferences on;
    on.showMilkyWay = 1;
    for (const Map& m : maps) {
        SCOPED_TRACE(m.name);
        PageCanvas page(m.metrics);
        ASSERT_TRUE(m.horizontal ? PrintHorizontalChart(page.dc(), m.metrics, state_, Catalogue(),
                                                        on, deep.get())
                                 : PrintGeocentricChart(page.dc(), m.metrics, state_, Catalogue(),
                                                        on, deep.get()));
        const auto place = [&](double l, double b) -> std::optional<QPoint> {
            const Equatorial at = FromGalactic(l, b);
            if (m.horizontal) {
                if (render::HorizontalPlaceOf(state_, at.ra, at.dec).altitude < 5)
                    return std::nullopt;
                const render::StarPlacement p = render::ProjectStarHorizontal(
                    state_, render::RaCode(at.ra), render::DecCode(at.dec), kDomeX, kDomeY,
                    kDomeRadius, render::kWestLeftEastRight);
                return QPoint(p.x, p.y);
            }
            const engine::Equatorial ofDate = engine::ApparentPlaceOf(state_, at.ra, at.dec);
            if (std::fabs(ofDate.declination) > 40 || ofDate.rightAscension < 0.2 ||
                ofDate.rightAscension > 23.8)
                return std::nullopt;
            const render::PixelPoint p = render::MapGeocentric(
                ofDate.rightAscension, ofDate.declination, kMapWidth, kMapHeight, kMapTables);
            return QPoint(p.x + kMapLeft, p.y + kMapTop);
        };
        int onEquator = 0;
        for (int l = 0; l < 360; l += 10) {
            const auto p = place(l, 0);
            if (!p) continue;
            ++onEquator;
            EXPECT_TRUE(BandNear(page, p->x(), p->y(), m.pixelsPerThreeDegrees)) << "l = " << l;
        }
        EXPECT_GE(onEquator, 8);
        int farAway = 0;
        for (int l = 0; l < 360; l += 20) {
            for (const double b : {-50.0, 50.0}) {
                const auto p = place(l, b);
                if (!p) continue;
                ++farAway;
                EXPECT_FALSE(BandNear(page, p->x(), p->y(), m.pixelsPerThreeDegrees))
                    << "l = " << l << ", b = " << b;
            }
        }
        EXPECT_GE(farAway, 4);
    }
}

}  // namespace
}  // namespace skyvane::print
