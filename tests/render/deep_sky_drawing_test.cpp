// The deep sky on the charts: symbols by type at given places and sizes,
// position angles turned onto the screen, the Milky Way's alternate fill,
// the zoomed geocentric chart over the real deep-sky file, clicks on deep
// objects, and the whole-sky chart left exactly as it was.
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "render/deep_sky_drawing.h"
#include "render/geocentric_chart.h"
#include "render/horizontal_chart.h"
#include "render/horizontal_placement.h"
#include "render/object_panel.h"
#include "render_test_canvas.h"
#include "skydata/data_file.h"
#include "skydata/sky_data.h"
#include "tests/real_sky_files.h"
#include "tests/zurich_sky.h"

namespace skyvane::render {
namespace {

using skydata::DeepSkyType;
using test::Canvas;
constexpr double kPi = 3.14159265358979323846;
constexpr QRgb kBlack = qRgb(0, 0, 0);

// Whether any pixel within one of (x, y) has `color`.
bool LitNear(const Canvas& c, int x, int y, QRgb color)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (c.At(x + dx, y + dy) == color) return true;
    return false;
}

TEST(DeepSkySymbolTest, EachTypeHasItsSymbol)
{
    struct Case {
        const char* what;
        DeepSkyType type;
        double halfMajor, halfMinor, angle;
        std::vector<QPoint> lit, dark;  // offsets from the centre
    };
    const Case cases[] = {
        // A galaxy at its true size: long across, short up and down.
        {"galaxy along x", DeepSkyType::kGalaxy, 30, 10, 0, {{30, 0}, {-30, 0}, {0, -10}}, {{0, -30}, {0, 0}}},
        // Turned a right angle: long up and down.
        {"galaxy along y", DeepSkyType::kGalaxy, 30, 10, kPi / 2, {{0, -30}, {0, 30}, {10, 0}}, {{30, 0}}},
        {"small galaxy", DeepSkyType::kGalaxy, 2, 1, 0, {{4, 0}, {-4, 0}}, {{0, 0}, {30, 0}}},
        {"globular", DeepSkyType::kGlobularCluster, 6, 6, 0, {{0, 0}, {6, 0}, {0, -6}}, {{4, 4}}},
        {"planetary", DeepSkyType::kPlanetaryNebula, 6, 6, 0, {{7, 0}, {0, -7}, {3, 0}}, {{0, 0}}},
        {"nebula", DeepSkyType::kHiiRegion, 8, 8, 0, {{-8, -8}, {8, 8}, {0, -8}}, {{0, 0}}},
        {"star", DeepSkyType::kStar, 0, 0, 0, {{0, 0}, {2, 0}}, {{4, 4}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Canvas canvas;
        const int x = 100, y = 60;
        const skydata::IntRect click =
            DrawDeepSkySymbol(canvas.dc(), x, y, c.type, c.halfMajor, c.halfMinor, c.angle);
        const QRgb pen = DeepSymbolColor(c.type);
        for (const QPoint& p : c.lit) EXPECT_TRUE(LitNear(canvas, x + p.x(), y + p.y(), pen)) << p.x() << "," << p.y();
        for (const QPoint& p : c.dark) EXPECT_EQ(canvas.At(x + p.x(), y + p.y()), kBlack) << p.x() << "," << p.y();
        EXPECT_TRUE(click.left <= x && x < click.right && click.top <= y && y < click.bottom);
    }
    // An open cluster's circle is dotted: about every third pixel of it.
    Canvas canvas;
    DrawDeepSkySymbol(canvas.dc(), 100, 60, DeepSkyType::kOpenCluster, 20, 20, 0);
    int lit = 0, around = 0;
    for (int k = 0; k < 360; ++k) {
        const int px = static_cast<int>(std::lround(100 + 20 * std::cos(k * kPi / 180)));
        const int py = static_cast<int>(std::lround(60 + 20 * std::sin(k * kPi / 180)));
        ++around;
        lit += canvas.At(px, py) == kClusterPen;
    }
    EXPECT_GT(lit, around / 10);
    EXPECT_LT(lit, around * 2 / 3);
}

TEST(DeepSkySymbolTest, PositionAnglesTurnWithTheChart)
{
    // A chart with north up and east to the left, ten pixels a degree.
    const PlaceOnScreen eastLeft = [](double ra, double dec) -> std::optional<ScreenPoint> {
        return ScreenPoint{-ra * 15 * 10, -dec * 10};
    };
    const PlaceOnScreen eastRight = [](double ra, double dec) -> std::optional<ScreenPoint> {
        return ScreenPoint{ra * 15 * 10, -dec * 10};
    };
    struct Case {
        const PlaceOnScreen* place;
        double pa, expected;
    };
    const Case cases[] = {{&eastLeft, 0, kPi / 2},       {&eastLeft, 90, kPi},
                          {&eastLeft, 35, kPi / 2 + 35 * kPi / 180},
                          {&eastRight, 90, 0},           {&eastRight, 180, -kPi / 2}};
    for (const Case& c : cases)
        EXPECT_NEAR(std::remainder(ScreenAxisAngle(*c.place, 1.0, 0.0, c.pa) - c.expected, 2 * kPi), 0, 1e-3)
            << c.pa;
    const PlaceOnScreen nowhere = [](double, double) -> std::optional<ScreenPoint> { return std::nullopt; };
    EXPECT_EQ(ScreenAxisAngle(nowhere, 1, 0, 45), 0);
    EXPECT_EQ(ScreenAxisAngle(eastLeft, 1, 0, NAN), 0);
}

TEST(DeepSkySymbolTest, DeepStarsGrowAsTheFieldGoesDeeper)
{
    Canvas whole;
    const skydata::IntRect faint = DrawDeepStar(whole.dc(), 50, 50, 9.0, 0, qRgb(255, 255, 255));
    EXPECT_EQ(whole.At(50, 50), qRgb(200, 200, 200));
    EXPECT_EQ(whole.At(51, 50), kBlack);
    EXPECT_EQ(faint.right - faint.left, 4);
    Canvas deep;
    // Six magnitudes deeper, a ninth-magnitude star is drawn as a third.
    const skydata::IntRect dot = DrawDeepStar(deep.dc(), 50, 50, 9.0, 6.0, qRgb(255, 255, 255));
    EXPECT_EQ(deep.At(50, 50), qRgb(255, 255, 255));
    EXPECT_EQ(dot.right - dot.left, 2 * ZoomedStarRadius(9.0, 6.0));
}

TEST(DeepSkySymbolTest, TheFieldDecidesHowFaintTheDeepSkyGoes)
{
    struct Case {
        double field, low, high;
    };
    for (const Case& c : {Case{180, 6.5, 6.5}, Case{360, 6.5, 6.5}, Case{30, 8.3, 8.5},
                          Case{5, 10.3, 10.5}, Case{2, 11.3, 11.5}, Case{1, 12.0, 12.2}}) {
        EXPECT_GE(DeepSkyLimitingMagnitude(c.field), c.low) << c.field;
        EXPECT_LE(DeepSkyLimitingMagnitude(c.field), c.high) << c.field;
    }
    EXPECT_EQ(DeepSkyLimitingMagnitude(0), 6.5);
    EXPECT_EQ(DeepSkyLimitingMagnitude(NAN), 6.5);
}

using Outline = std::vector<std::pair<float, float>>;

// A catalogue holding only Milky Way outlines, each of its own step.
skydata::DeepSkyCatalogue Outlines(const std::vector<std::pair<int, Outline>>& rings)
{
    skydata::DeepSkyCatalogue c;
    for (const auto& [level, ring] : rings) {
        c.milkyWay.push_back({level, static_cast<std::uint32_t>(c.milkyWayPoints.size() / 2),
                              static_cast<std::uint32_t>(ring.size())});
        for (const auto& [ra, dec] : ring) c.milkyWayPoints.push_back(ra), c.milkyWayPoints.push_back(dec);
    }
    return c;
}

// The same, all of one step.
skydata::DeepSkyCatalogue Outlines(const std::vector<Outline>& rings, int level)
{
    std::vector<std::pair<int, Outline>> leveled;
    for (const Outline& ring : rings) leveled.emplace_back(level, ring);
    return Outlines(leveled);
}

TEST(MilkyWayTest, OutlinesFillAlternatelyWithinTheClipAndTheDisc)
{
    // Degrees straight onto pixels: x = RA in degrees, y = 100 - Dec.
    const auto place = [](double ra, double dec) { return ScreenPoint{ra * 15, 100 - dec}; };
    const skydata::DeepSkyCatalogue square =
        Outlines({{{10, 10}, {90, 10}, {90, 90}, {10, 90}}, {{30, 30}, {70, 30}, {70, 70}, {30, 70}}}, 2);
    Canvas canvas(120, 120);
    DrawMilkyWay(canvas.dc(), square, place, ScreenArea{0, 0, 120, 120}, ScreenDisc{}, 0);
    const QRgb band = MilkyWayColor(2);
    EXPECT_EQ(canvas.At(20, 80), band);   // between the outlines
    EXPECT_EQ(canvas.At(50, 50), kBlack);  // inside both: a hole
    EXPECT_EQ(canvas.At(5, 50), kBlack);   // outside both
    // The same within a disc and a clip.
    Canvas clipped(120, 120);
    DrawMilkyWay(clipped.dc(), square, place, ScreenArea{0, 0, 60, 120}, ScreenDisc{50, 50, 35}, 0);
    EXPECT_EQ(clipped.At(20, 50), band);
    EXPECT_EQ(clipped.At(15, 15), kBlack);  // outside the disc
    EXPECT_EQ(clipped.At(80, 50), kBlack);  // outside the clip
}

TEST(MilkyWayTest, ABandRoundTheSkyFillsBetweenItsEdgesAcrossTheSeam)
{
    // Two outlines that go once round the sky at Dec 10 and 20, as the
    // geocentric map shows them: RA runs right to left over 360 pixels.
    Outline south, north;
    for (int ra = 0; ra < 360; ra += 10) {
        south.push_back({static_cast<float>(ra), 10});
        north.push_back({static_cast<float>(359 - ra), 20});
    }
    const skydata::DeepSkyCatalogue band = Outlines({south, north}, 1);
    const auto place = [](double ra, double dec) {
        return ScreenPoint{std::fmod(360 - ra * 15 + 720, 360.0), 100 - dec};
    };
    Canvas canvas(360, 120);
    DrawMilkyWay(canvas.dc(), band, place, ScreenArea{0, 0, 360, 120}, ScreenDisc{}, 360);
    for (const int x : {1, 100, 180, 358}) {
        EXPECT_EQ(canvas.At(x, 85), MilkyWayColor(1)) << x;
        EXPECT_EQ(canvas.At(x, 70), kBlack) << x;
        EXPECT_EQ(canvas.At(x, 95), kBlack) << x;
    }
}

// ------------------------------------------------ the real files, zoomed

class RealDeepSkyChartTest : public RealSkyFilesTest {};

constexpr int kWidth = 1280, kHeight = 800;

QImage Geocentric(const skydata::SkyCatalogue& main, const skydata::DeepSkyCatalogue* deep,
                  const ViewAim& aim, skydata::CatalogueClickRects& clicks,
                  DisplayPreferences preferences = {}, ObjectSelection selection = {})
{
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setBackground(QColor(0, 0, 0));
    skydata::IntRect link{};
    DrawGeocentricChart(painter, OutputKind::Window, engine::SkyState{}, kHeight, kWidth, 210, link, 0, 0,
                        main, clicks, preferences, selection, aim, deep);
    return image;
}

TEST_F(RealDeepSkyChartTest, TheDoubleClusterShowsItsStarsInAThreeDegreeField)
{
    auto clicks = std::make_unique<skydata::CatalogueClickRects>();
    // Between h and chi Persei, 2h 20m, +57.1.
    Geocentric(Main(), deep.get(), ViewAim::At({2.335, 57.1}, 3), *clicks);
    int stars = 0, objects = 0;
    for (const skydata::DeepSkyClick& c : clicks->deep) (c.kind == 0 ? stars : objects) += 1;
    EXPECT_GE(stars, 36);
    EXPECT_GE(objects, 2);  // NGC 869 and NGC 884 at least
    // The whole sky draws none of it, and forgets the last frame's.
    Geocentric(Main(), deep.get(), ViewAim::WholeSky(), *clicks);
    EXPECT_TRUE(clicks->deep.empty());
}

TEST_F(RealDeepSkyChartTest, TheWholeSkyChartIsExactlyAsBefore)
{
    auto a = std::make_unique<skydata::CatalogueClickRects>();
    auto b = std::make_unique<skydata::CatalogueClickRects>();
    EXPECT_EQ(Geocentric(Main(), nullptr, ViewAim::WholeSky(), *a),
              Geocentric(Main(), deep.get(), ViewAim::WholeSky(), *b));
    // The Milky Way preference changes it, behind the stars.
    DisplayPreferences milkyWay;
    milkyWay.showMilkyWay = 1;
    EXPECT_NE(Geocentric(Main(), deep.get(), ViewAim::WholeSky(), *b, milkyWay),
              Geocentric(Main(), deep.get(), ViewAim::WholeSky(), *a));
}

TEST_F(RealDeepSkyChartTest, AndromedaIsALongEllipseAtItsPositionAngle)
{
    const ChartView view = ChartView::Geocentric(kWidth, kHeight, 200, ViewAim::At({0.7123, 41.27}, 4));
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    DrawContext dc(painter, QPoint(0, 0), &image);
    const PlaceOnScreen place = [&](double ra, double dec) -> std::optional<ScreenPoint> {
        return view.ToScreen({ra, dec});
    };
    std::vector<bool> outlined;
    DrawMessierOutlines(dc, view, Main(), *deep, place, outlined);
    ASSERT_GT(outlined.size(), 31u);
    EXPECT_TRUE(outlined[30]);   // M31
    const skydata::DeepSkyObject& m31 = Main().deepSky[30];
    // 178 arc minutes long at 35 degrees from north through east: the tips
    // lie 89 arc minutes from the centre that way and the opposite way.
    const double half = 177.83 / 120, a = 35 * kPi / 180;
    const auto lit = [&](double north, double east) {
        const ScreenPoint p = *place(m31.ra + east / std::cos(m31.dec * kPi / 180) / 15, m31.dec + north);
        const int x = static_cast<int>(std::lround(p.x)), y = static_cast<int>(std::lround(p.y));
        for (int ox = -2; ox <= 2; ++ox)
            for (int oy = -2; oy <= 2; ++oy)
                if ((image.pixel(x + ox, y + oy) & 0xFFFFFF) == (kGalaxyPen & 0xFFFFFF)) return true;
        return false;
    };
    EXPECT_TRUE(lit(half * std::cos(a), half * std::sin(a)));
    EXPECT_TRUE(lit(-half * std::cos(a), -half * std::sin(a)));
    // Across, at the same distance, there is nothing: the ellipse is narrow.
    EXPECT_FALSE(lit(-half * std::sin(a), half * std::cos(a)));
    // With east on the left, the northern tip is up and to the left.
    const ScreenPoint centre = *place(m31.ra, m31.dec);
    const ScreenPoint tip = *place(m31.ra + half * std::sin(a) / std::cos(m31.dec * kPi / 180) / 15,
                                   m31.dec + half * std::cos(a));
    EXPECT_LT(tip.x, centre.x);
    EXPECT_LT(tip.y, centre.y);
}

TEST_F(RealDeepSkyChartTest, ObjectsOfUnknownMagnitudeShowOnceTheyAreLargeOnScreen)
{
    // The map is 600 pixels high: 20 pixels a degree at a 30 degree field.
    struct Case {
        const char* designation;
        double field;
        bool shown;
    };
    const Case cases[] = {
        // No magnitude, but large: the Witch Head (180'), the Rosette's
        // brighter part (80'), the Hyades (329') in a wide field.
        {"NGC1909", 30, true},
        {"NGC2237", 30, true},
        {"C041", 60, true},
        // The Flame Nebula (30') is ten pixels at 30 degrees, fifteen at 20.
        {"NGC2024", 30, false},
        {"NGC2024", 20, true},
        // The Horsehead (6') and a globular cluster (13.8') need narrower fields.
        {"B033", 20, false},
        {"B033", 3, true},
        {"NGC6366", 30, false},
        {"NGC6366", 8, true},
        // The Double Cluster's association (50') around its two clusters.
        {"C014", 3, true},
        // A double star has neither magnitude nor size: only the narrowest fields.
        {"IC0001", 3, false},
        {"IC0001", 1.5, true},
        // Sizes do not help objects whose magnitude is known and faint: the
        // Jellyfish Nebula (50', 12th magnitude) and NGC 4945 (23', 11.9).
        {"IC0443", 20, false},
        {"NGC4945", 20, false},
        {"IC0443", 1.5, true},
    };
    auto clicks = std::make_unique<skydata::CatalogueClickRects>();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.designation) + " at " + std::to_string(c.field));
        int row = -1;
        for (std::size_t i = 0; i < deep->objects.size(); ++i)
            if (deep->objects[i].designation == c.designation) row = static_cast<int>(i);
        ASSERT_GE(row, 0);
        const skydata::DeepObject& o = deep->objects[static_cast<std::size_t>(row)];
        Geocentric(Main(), deep.get(), ViewAim::At({o.raDeg / 15.0, o.decDeg}, c.field), *clicks);
        const bool shown = std::any_of(clicks->deep.begin(), clicks->deep.end(),
                                       [&](const skydata::DeepSkyClick& k) { return k.kind == 1 && k.row == row; });
        EXPECT_EQ(shown, c.shown);
        // Drawn once, never twice by two rules.
        EXPECT_LE(std::count_if(clicks->deep.begin(), clicks->deep.end(),
                                [&](const skydata::DeepSkyClick& k) { return k.kind == 1 && k.row == row; }),
                  1);
    }
    // The largest first, each reached once, and nothing of known magnitude.
    std::vector<std::uint32_t> found;
    deep->QuerySizedUnknownMagnitude({0, 0, 180}, 30, found);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(std::adjacent_find(found.begin(), found.end()), found.end());
    EXPECT_GE(found.size(), 20u);
    for (const std::uint32_t r : found) {
        EXPECT_TRUE(std::isnan(deep->objects[r].magnitude));
        EXPECT_GE(deep->objects[r].majorArcmin, 30);
    }
    deep->QuerySizedUnknownMagnitude({0, 0, 180}, NAN, found);
    EXPECT_TRUE(found.empty());
}

TEST_F(RealDeepSkyChartTest, TheMilkyWayInPartOfTheMapIsThatPartOfTheWholeMap)
{
    // Outlines that lie wholly beside a part of the map are left out when
    // only that part is drawn: the part must come out as it does in the
    // whole map, on a map that wraps round and on a disc alike.
    constexpr int kW = 960, kH = 720;
    const auto wrapped = [](double ra, double dec) { return ScreenPoint{(24 - ra) * 40, (90 - dec) * 4}; };
    const auto polar = [](double ra, double dec) {
        const double r = (90 - dec) * 3, a = ra * 15 * kPi / 180;
        return ScreenPoint{480 + r * std::sin(a), 360 + r * std::cos(a)};
    };
    struct Case {
        bool disc;
        ScreenArea part;
        bool band;  // whether the band crosses that part
    };
    const Case cases[] = {
        {false, {0, 0, 200, kH}, true},       {false, {700, 0, kW, kH}, true},
        {false, {150, 350, 450, 650}, true},  {false, {0, 0, kW, 120}, true},
        {false, {420, 560, 520, 640}, true},  {false, {300, 200, 600, 400}, false},
        {true, {200, 330, 420, 500}, true},   {true, {430, 420, 520, 480}, true},
        {true, {0, 300, kW, 420}, true},      {true, {640, 250, 760, 400}, true},
        {true, {450, 330, 520, 400}, false},
    };
    const ScreenDisc disc{480, 360, 270};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.disc) + " " + std::to_string(c.part.left) + "," + std::to_string(c.part.top));
        const std::function<ScreenPoint(double, double)> place =
            c.disc ? std::function<ScreenPoint(double, double)>(polar) : wrapped;
        const ScreenDisc d = c.disc ? disc : ScreenDisc{};
        const double wrap = c.disc ? 0 : kW;
        Canvas whole(kW, kH), part(kW, kH);
        DrawMilkyWay(whole.dc(), *deep, place, ScreenArea{0, 0, kW, kH}, d, wrap);
        DrawMilkyWay(part.dc(), *deep, place, c.part, d, wrap);
        int differing = 0, lit = 0;
        for (int y = c.part.top; y < c.part.bottom; ++y)
            for (int x = c.part.left; x < c.part.right; ++x) {
                differing += whole.At(x, y) != part.At(x, y);
                lit += part.At(x, y) != kBlack;
            }
        EXPECT_EQ(differing, 0);
        EXPECT_EQ(lit > 0, c.band);
    }
}

TEST_F(RealDeepSkyChartTest, EachMilkyWayStepCoversTheFainterOnesAsIfDrawnOverThem)
{
    // All steps are filled in one pass; the result must be each step's own
    // alternate fill drawn over the fainter ones, faintest first. On the
    // real outlines (wrapped map and disc) and on made-up ones that cross
    // themselves and each other, one left open by a point off the plane.
    const skydata::DeepSkyCatalogue made = Outlines({
        {1, {{0.5f, 10}, {7, 10}, {7, 80}, {0.5f, 80}}},
        {3, {{2, 20}, {6, 60}, {2, 60}, {6, 20}}},  // crosses itself
        {2, {{1, 30}, {5, 30}, {5, 50}, {1, 50}}},
        {5, {{3, 5}, {4, 5}, {4, 95}, {3, 95}}},
        {4, {{1.5f, 40}, {NAN, 45}, {6.5f, 50}, {6.5f, 70}, {1.5f, 70}}},  // open
        {3, {{4, 65}, {7.5f, 65}, {7.5f, 90}, {4, 90}}},
    });
    constexpr int kW = 480, kH = 360;
    const auto wrapped = [](double ra, double dec) { return ScreenPoint{(24 - ra) * 20, (90 - dec) * 2}; };
    const auto polar = [](double ra, double dec) {
        const double r = (90 - dec) * 1.5, a = ra * 15 * kPi / 180;
        return ScreenPoint{240 + r * std::sin(a), 180 + r * std::cos(a)};
    };
    // 60 columns to a degree of the made-up outlines' first number (kept
    // in degrees, handed over in hours).
    const auto madeUp = [](double ra, double dec) { return ScreenPoint{ra * 15 * 60 + 0.3, (100 - dec) * 3.1}; };
    struct Case {
        const skydata::DeepSkyCatalogue* catalogue;
        std::function<ScreenPoint(double, double)> place;
        ScreenArea clip;
        ScreenDisc disc;
        double wrap;
    };
    const Case cases[] = {
        {deep.get(), wrapped, {0, 0, kW, kH}, {}, kW},
        {deep.get(), polar, {0, 0, kW, kH}, {240, 180, 135}, 0},
        {&made, madeUp, {0, 0, kW, kH}, {}, 0},
        {&made, madeUp, {40, 30, 400, 300}, {240, 160, 150}, 0},
    };
    for (const Case& c : cases) {
        Canvas together(kW, kH), oneByOne(kW, kH);
        DrawMilkyWay(together.dc(), *c.catalogue, c.place, c.clip, c.disc, c.wrap);
        for (int level = 1; level <= 5; ++level) {
            skydata::DeepSkyCatalogue step = *c.catalogue;
            std::erase_if(step.milkyWay, [&](const skydata::MilkyWayRing& r) { return r.level != level; });
            step.milkyWayCaps.clear();
            DrawMilkyWay(oneByOne.dc(), step, c.place, c.clip, c.disc, c.wrap);
        }
        int differing = 0;
        std::array<int, 6> lit{};
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                differing += together.At(x, y) != oneByOne.At(x, y);
                for (int level = 1; level <= 5; ++level) lit[level] += together.At(x, y) == MilkyWayColor(level);
            }
        EXPECT_EQ(differing, 0) << &c - cases;
        // Steps overlap in every case: three at least show.
        EXPECT_GE(std::count_if(lit.begin() + 1, lit.end(), [](int n) { return n > 0; }), 3) << &c - cases;
    }
}

TEST_F(RealDeepSkyChartTest, TheMilkyWayIsCarriedToTheDateAsEachPlaceAlone)
{
    engine::SkyState state = ZurichDecemberEvening();
    engine::SkyCalculator().ComputeSky(state);
    std::vector<engine::UnitVector> directions;
    MilkyWayDirectionsOfDate(state, *deep, directions);
    ASSERT_EQ(directions.size(), deep->milkyWayPoints.size() / 2);
    int differing = 0;
    for (std::size_t i = 0; i < directions.size(); ++i) {
        const engine::Equatorial one =
            engine::ApparentPlaceOf(state, deep->milkyWayPoints[2 * i] / 15.0, deep->milkyWayPoints[2 * i + 1]);
        const engine::Equatorial batch = engine::EquatorialOf(directions[i]);
        differing += one.rightAscension != batch.rightAscension || one.declination != batch.declination;
    }
    EXPECT_EQ(differing, 0);

    // A zoomed view carries only the outlines not away from it, and carries
    // them alike; the others' entries are left alone.
    const ChartView view = GeocentricChartView(1080, 1920, ViewAim::At({18.3, -20}, 5));
    std::vector<char> away;
    MilkyWayOutlinesAway(view, state, *deep, away);
    const engine::UnitVector untouched{9, 9, 9};
    std::vector<engine::UnitVector> some(directions.size(), untouched);
    MilkyWayDirectionsOfDate(state, *deep, some, away);
    int carried = 0, left = 0;
    for (std::size_t r = 0; r < deep->milkyWay.size(); ++r) {
        const skydata::MilkyWayRing& ring = deep->milkyWay[r];
        (away[r] ? left : carried) += 1;
        for (std::size_t i = ring.first; i < ring.first + ring.count; ++i) {
            const engine::UnitVector expected = away[r] ? untouched : directions[i];
            ASSERT_TRUE(some[i].x == expected.x && some[i].y == expected.y && some[i].z == expected.z) << r;
        }
    }
    EXPECT_GT(carried, 0);
    EXPECT_GT(left, carried);
}

TEST_F(RealDeepSkyChartTest, OutlinesLeftUnplacedLieWhollyBesideTheMap)
{
    engine::SkyState state = ZurichDecemberEvening();
    engine::SkyCalculator().ComputeSky(state);
    struct Case {
        bool horizontal;
        SkyPoint centre;  // azimuth and altitude, or hours and degrees
        double field;
        int fewestAway;  // of the 202 outlines
    };
    const Case cases[] = {
        {true, {0, 90}, 0, 0},        {true, {20, 45}, 30, 100},   {true, {300, 20}, 5, 100},
        {true, {100, 10}, 1, 100},    {true, {0, 85}, 60, 20},     {false, {12, 0}, 0, 0},
        {false, {5.6, -1.2}, 30, 60}, {false, {18.8, -25}, 5, 120}, {false, {2.3, 57}, 1, 150},
        {false, {20.5, 40}, 60, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.horizontal) + " field " + std::to_string(c.field));
        const ViewAim aim = c.field > 0 ? ViewAim::At(c.centre, c.field) : ViewAim::WholeSky();
        const ChartView view = c.horizontal ? HorizontalChartView(1080, 1920, DisplayPreferences{}, aim)
                                            : GeocentricChartView(1080, 1920, aim);
        std::vector<char> away;
        MilkyWayOutlinesAway(view, state, *deep, away);
        ASSERT_EQ(away.size(), deep->milkyWay.size());
        const ScreenArea area = view.Area();
        int awayCount = 0, wrong = 0;
        for (std::size_t r = 0; r < away.size(); ++r) {
            if (!away[r]) continue;
            ++awayCount;
            const skydata::MilkyWayRing& ring = deep->milkyWay[r];
            bool above = true, below = true, left = true, right = true;
            for (std::uint32_t k = ring.first; k < ring.first + ring.count; ++k) {
                const double ra = deep->milkyWayPoints[2 * k] / 15.0, dec = deep->milkyWayPoints[2 * k + 1];
                ScreenPoint p;
                if (c.horizontal) {
                    const engine::Horizontal h = HorizontalPlaceOf(state, ra, dec);
                    p = view.ToScreen({h.azimuth, h.altitude});
                } else {
                    const engine::Equatorial e = engine::ApparentPlaceOf(state, ra, dec);
                    p = view.ToScreen({e.rightAscension, e.declination});
                }
                above = above && p.y <= area.top + 0.5;
                below = below && p.y > area.bottom - 0.5;
                left = left && p.x < area.left;
                right = right && p.x > area.right;
            }
            // Beside it in x counts only on the disc: the map wraps round.
            wrong += !(above || below || (c.horizontal && (left || right)));
        }
        EXPECT_EQ(wrong, 0);
        EXPECT_GE(awayCount, c.fewestAway);
    }
}

TEST_F(RealDeepSkyChartTest, StarsBeyondTheGeocentricBandAreNoneTheMapShows)
{
    // The band leaves stars unplaced; what is drawn and clickable must be
    // what placing every star gives.
    engine::SkyState state = ZurichDecemberEvening();
    engine::SkyCalculator().ComputeSky(state);
    engine::SkyState ancient = state;
    ancient.year = -3000;  // precession has turned the equator by degrees
    engine::SkyCalculator().ComputeSky(ancient);
    struct Case {
        const engine::SkyState* sky;
        SkyPoint centre;
        double field;
        double widestBand;  // degrees of declination
    };
    const Case cases[] = {
        {&state, {5.6, -1.2}, 30, 40},   {&state, {2.33, 57.1}, 5, 8},  {&state, {2.5, 89}, 10, 15},
        {&state, {12.5, -60}, 3, 5},     {&state, {18, 0}, 1, 3},       {&ancient, {5.6, -1.2}, 10, 70},
        {&ancient, {2.33, 57.1}, 2, 60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.centre.latitude) + " field " + std::to_string(c.field));
        const ChartView view = GeocentricChartView(1080, 1920, ViewAim::At(c.centre, c.field));
        const PlaceOnScreen place = [&](double ra, double dec) -> std::optional<ScreenPoint> {
            const engine::Equatorial e = engine::ApparentPlaceOf(*c.sky, ra, dec);
            return view.ToScreen({e.rightAscension, e.declination});
        };
        const PlaceDirectionOnScreen placeDirection =
            [&](const engine::UnitVector& j2000) -> std::optional<ScreenPoint> {
            const engine::Equatorial e = engine::EquatorialOf(engine::ApparentDirection(c.sky->frame, j2000));
            return view.ToScreen({e.rightAscension, e.declination});
        };
        const DeclinationBand band = GeocentricStarBand(view, *c.sky);
        EXPECT_LE(band.high - band.low, c.widestBand);
        QImage images[2];
        std::vector<skydata::DeepSkyClick> clicks[2];
        for (int banded = 0; banded < 2; ++banded) {
            images[banded] = QImage(1920, 1080, QImage::Format_RGB32);
            images[banded].fill(Qt::black);
            QPainter painter(&images[banded]);
            DrawContext dc(painter, QPoint(0, 0), &images[banded]);
            ViewLabels labels(view);
            auto rects = std::make_unique<skydata::CatalogueClickRects>();
            DrawZoomedDeepCatalogue(dc, view, *c.sky, *deep, place, placeDirection, ObjectSelection{}, *rects, labels,
                                    banded ? std::optional<DeclinationBand>(band) : std::nullopt);
            labels.Draw(dc);
            clicks[banded] = rects->deep;
        }
        EXPECT_TRUE(images[0] == images[1]);
        ASSERT_EQ(clicks[0].size(), clicks[1].size());
        EXPECT_GT(clicks[0].size(), 5u);
        for (std::size_t i = 0; i < clicks[0].size(); ++i) EXPECT_EQ(clicks[0][i].row, clicks[1][i].row) << i;
    }
}

TEST(DeepSkyPickTest, DeepObjectsAreClickedAndCatalogueObjectsWinOverThem)
{
    auto catalogue = std::make_unique<skydata::SkyCatalogue>();
    auto clicks = std::make_unique<skydata::CatalogueClickRects>();
    clicks->deep = {{{10, 10, 20, 20}, 1, 42}, {{30, 30, 40, 40}, 0, 7}};
    clicks->stars[3] = {32, 32, 36, 36};
    ObjectSelection selection;
    selection.selectedStar = 5;
    skydata::IntRect link{};
    PickObject(QPoint(15, 15), *catalogue, *clicks, link, selection);
    EXPECT_EQ(selection.selectedNgcObject, 42);
    EXPECT_EQ(selection.selectedStar, -1);
    PickObject(QPoint(31, 31), *catalogue, *clicks, link, selection);
    EXPECT_EQ(selection.selectedDeepStar, 7);
    EXPECT_EQ(selection.selectedNgcObject, -1);
    PickObject(QPoint(33, 33), *catalogue, *clicks, link, selection);
    EXPECT_EQ(selection.selectedStar, 3);
    EXPECT_EQ(selection.selectedDeepStar, -1);
}

}  // namespace
}  // namespace skyvane::render
