// The Milky Way on the printed pages, from the real data files: with the
// preference on a page differs from the page without it only where the
// band lies, as light grey on paper that nothing else drawn gives up to it.
#include <gtest/gtest.h>

#include <QImage>

#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "engine/body.h"
#include "page_canvas.h"
#include "print/page_milky_way.h"
#include "print/print_charts.h"
#include "render/horizontal_placement.h"
#include "render/sky_mapping.h"
#include "engine/sky.h"
#include "skydata/data_file.h"
#include "skydata/deep_sky.h"
#include "skydata/sky_data.h"

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

int BandPixels(const PageCanvas& page)
{
    int count = 0;
    for (int y = 0; y < page.Image().height(); ++y)
        for (int x = 0; x < page.Image().width(); ++x) count += IsBand(page.At(x, y)) ? 1 : 0;
    return count;
}

class PageMilkyWayTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::vector<unsigned char> bytes;
        ASSERT_TRUE(skydata::ReadDataFile(SKYVANE_DATAS_BIN, bytes));
        store_ = new skydata::SkyDataStore;
        ASSERT_TRUE(store_->Load(bytes));
        std::string why;
        deep_ = skydata::LoadDeepSkyFile(SKYVANE_DEEPSKY_BIN, why);
        ASSERT_NE(deep_, nullptr) << why;
    }
    static void TearDownTestSuite()
    {
        delete store_;
        store_ = nullptr;
        deep_.reset();
    }

    PageMilkyWayTest()
    {
        // Zurich on a December night: the band runs overhead from Cygnus
        // through Cassiopeia and Auriga to Monoceros.
        state_.year = 2026;
        state_.month = 12;
        state_.day = 7;
        state_.hour = 22;
        state_.timeZone = 1;
        state_.longitude = -8.5;
        state_.latitude = 47.32;
        state_.locationName = "Zurich";
        engine::SkyCalculator().ComputeSky(state_);
        engine::FoldShownInstant(state_);
    }

    static const skydata::SkyCatalogue& Catalogue() { return *store_->Current()->catalogue; }

    static skydata::SkyDataStore* store_;
    static std::shared_ptr<const skydata::DeepSkyCatalogue> deep_;
    engine::SkyState state_{};
};
skydata::SkyDataStore* PageMilkyWayTest::store_ = nullptr;
std::shared_ptr<const skydata::DeepSkyCatalogue> PageMilkyWayTest::deep_;

// A4 at screen resolution (s = 1). The portrait dome: centre (396, 435),
// radius 396.85 - 15 = 381. The landscape map: 40 and 80 in, 1062 wide,
// its mapping 529 high less 200 x 96 / 600 = 32 for the tables.
constexpr PageMetrics kPortrait{210, 297, 96, 96};
constexpr PageMetrics kLandscape{297, 210, 96, 96};
constexpr int kDomeX = 396, kDomeY = 435, kDomeRadius = 381;
constexpr int kMapLeft = 40, kMapTop = 80, kMapWidth = 1062, kMapHeight = 529, kMapTables = 32;
// A finder map on the portrait page: 733 pixels square from (30, 70).
constexpr int kFinderX = 30 + 733 / 2, kFinderY = 70 + 733 / 2;

struct PageCase {
    const char* name;
    PageMetrics metrics;
    // Draws the page with `preferences` and `deep`.
    std::function<void(render::DrawContext&, const engine::SkyState&,
                       const render::DisplayPreferences&, const skydata::DeepSkyCatalogue*)>
        print;
};

TEST_F(PageMilkyWayTest, WithThePreferenceOnlyPaperUnderTheBandTurnsLightGrey)
{
    const skydata::SkyCatalogue& catalogue = Catalogue();
    const auto finder = [&](bool horizontal, double l, double b) {
        return [&catalogue, horizontal, l, b](render::DrawContext& dc, const engine::SkyState& s,
                                              const render::DisplayPreferences& p,
                                              const skydata::DeepSkyCatalogue* d) {
            const Equatorial at = FromGalactic(l, b);
            const engine::Horizontal h = render::HorizontalPlaceOf(s, at.ra, at.dec);
            const engine::Equatorial ofDate = engine::ApparentPlaceOf(s, at.ra, at.dec);
            const render::SkyPoint centre = horizontal
                                                ? render::SkyPoint{h.azimuth, h.altitude}
                                                : render::SkyPoint{ofDate.rightAscension,
                                                                   ofDate.declination};
            EXPECT_TRUE(PrintFinderChart(dc, kPortrait, horizontal, s, catalogue, p,
                                         render::ViewAim::At(centre, 20), d));
        };
    };
    const PageCase cases[] = {
        {"horizontal", kPortrait,
         [&](render::DrawContext& dc, const engine::SkyState& s,
             const render::DisplayPreferences& p, const skydata::DeepSkyCatalogue* d) {
             EXPECT_TRUE(PrintHorizontalChart(dc, kPortrait, s, catalogue, p, d));
         }},
        {"geocentric", kLandscape,
         [&](render::DrawContext& dc, const engine::SkyState& s,
             const render::DisplayPreferences& p, const skydata::DeepSkyCatalogue* d) {
             EXPECT_TRUE(PrintGeocentricChart(dc, kLandscape, s, catalogue, p, d));
         }},
        // Finder maps on Cassiopeia's stretch of the band.
        {"horizontal finder", kPortrait, finder(true, 125, 0)},
        {"geocentric finder", kPortrait, finder(false, 125, 0)},
    };
    render::DisplayPreferences off;
    render::DisplayPreferences on;
    on.showMilkyWay = 1;
    for (const PageCase& c : cases) {
        SCOPED_TRACE(c.name);
        PageCanvas without(c.metrics), with(c.metrics), noFileOff(c.metrics), noFileOn(c.metrics);
        c.print(without.dc(), state_, off, deep_.get());
        c.print(with.dc(), state_, on, deep_.get());
        c.print(noFileOff.dc(), state_, off, nullptr);
        c.print(noFileOn.dc(), state_, on, nullptr);
        // Without the deep-sky file the preference changes nothing.
        EXPECT_EQ(noFileOn.Image(), noFileOff.Image());
        // Every pixel that changed was paper and is now a step of the
        // band: no star, line or letter gave way to it.
        int changed = 0, hidden = 0;
        for (int y = 0; y < with.Image().height(); ++y) {
            for (int x = 0; x < with.Image().width(); ++x) {
                if (with.At(x, y) == without.At(x, y)) continue;
                ++changed;
                if (without.At(x, y) != (kPaper | 0xff000000u) || !IsBand(with.At(x, y))) ++hidden;
            }
        }
        EXPECT_GT(changed, 1000);
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
        if (m.horizontal)
            ASSERT_TRUE(PrintHorizontalChart(page.dc(), m.metrics, state_, Catalogue(), on, deep_.get()));
        else
            ASSERT_TRUE(PrintGeocentricChart(page.dc(), m.metrics, state_, Catalogue(), on, deep_.get()));
        const auto place = [&](double l, double b) -> std::optional<QPoint> {
            const Equatorial at = FromGalactic(l, b);
            if (m.horizontal) {
                if (render::HorizontalPlaceOf(state_, at.ra, at.dec).altitude < 5) return std::nullopt;
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

TEST_F(PageMilkyWayTest, FinderMapsOnAndOffTheBandAndPagesWithoutStarsHaveNone)
{
    render::DisplayPreferences on;
    on.showMilkyWay = 1;
    struct Case {
        const char* name;
        bool horizontal;
        double l;
        double b;
        bool band;
    };
    const Case cases[] = {
        {"horizontal, Cassiopeia", true, 125, 0, true},
        {"geocentric, Cassiopeia", false, 125, 0, true},
        {"horizontal, Pisces", true, 125, -55, false},
        {"geocentric, Pisces", false, 125, -55, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Equatorial at = FromGalactic(c.l, c.b);
        const engine::Horizontal h = render::HorizontalPlaceOf(state_, at.ra, at.dec);
        ASSERT_GT(h.altitude, 20);
        const engine::Equatorial ofDate = engine::ApparentPlaceOf(state_, at.ra, at.dec);
        const render::ViewAim aim = render::ViewAim::At(
            c.horizontal ? render::SkyPoint{h.azimuth, h.altitude}
                         : render::SkyPoint{ofDate.rightAscension, ofDate.declination},
            20);
        PageCanvas page(kPortrait);
        ASSERT_TRUE(PrintFinderChart(page.dc(), kPortrait, c.horizontal, state_, Catalogue(), on,
                                     aim, deep_.get()));
        if (c.band)
            EXPECT_TRUE(BandNear(page, kFinderX, kFinderY, 733 / 20));
        else
            EXPECT_EQ(BandPixels(page), 0);
    }
    // The planets-only horizontal chart and the daytime one draw no sky
    // behind the planets, so no band either.
    render::DisplayPreferences planetsOnly = on;
    planetsOnly.noStars = 1;
    engine::SkyState noon = state_;
    noon.altitude[engine::kSun] = 20;
    for (const auto& [name, s, p] :
         {std::tuple{"planets only", state_, planetsOnly}, std::tuple{"by day", noon, on}}) {
        PageCanvas page(kPortrait);
        ASSERT_TRUE(PrintHorizontalChart(page.dc(), kPortrait, s, Catalogue(), p, deep_.get()));
        EXPECT_EQ(BandPixels(page), 0) << name;
    }
}

}  // namespace
}  // namespace skyvane::print
