// The printed horizontal chart: the dome's geometry from the page metrics,
// stars by the printed magnitude table, the screen chart's visibility rules,
// bodies, the table and the titles and footer.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "engine/body.h"
#include "places/formatting.h"
#include "places/windows1252.h"
#include "print/print_charts.h"
#include "render/body_symbols.h"
#include "render/horizontal_chart.h"
#include "render/sky_mapping.h"
#include "page_canvas.h"
#include "skydata/click_rects.h"

namespace skyvane::print {
namespace {

using test::kInk;
using test::kNameGrey;
using test::kPaper;
using test::PageCanvas;
using test::Scaled;

constexpr QRgb kDomeOutline = qRgb(255, 60, 20);
constexpr QRgb kFigureBlue = qRgb(70, 70, 220);
constexpr QRgb kPale = qRgb(128, 128, 128);

// 100 x 150 mm at 600 dpi: W = 2362.2, so the dome's centre is
// (1181, 1181.1 + 240) = (1181, 1421), its radius 1181.1 - 93.75 = 1087 and
// the table's reference line yb = 2362.2 + 240 - 62.5 = 2539.
constexpr PageMetrics kSmallPage{100, 150, 600, 600};
constexpr double kS = 6.25;
constexpr int kCx = 1181;
constexpr int kCy = 1421;
constexpr int kRadius = 1087;
constexpr int kYb = 2539;

class HorizontalPageTest : public ::testing::Test {
protected:
    HorizontalPageTest() : catalogue_(std::make_unique<skydata::SkyCatalogue>())
    {
        // At the north pole altitude equals declination, so a star's
        // declination alone says whether it is up and how far from the
        // dome's centre it lands.
        state_.latitude = 90;
        state_.altitude[engine::kSun] = -20;
        state_.declination[engine::kSun] = -20;
        for (const int body : render::kSkyChartBodies) {
            if (body != engine::kSun) {
                state_.altitude[body] = -30;
                state_.declination[body] = -30;
            }
        }
        state_.locationName = "Z\xfcrich";  // Windows-1252, as places are kept
        state_.shownYear = 2026;
        state_.shownMonth = 12;
        state_.shownDay = 7;
        state_.shownHour = 22;
        AddStar(0.5, -40, 6.0);  // row 0 never takes part in a figure
    }

    int AddStar(double ra, double dec, double magnitude)
    {
        const int row = catalogue_->starCount++;
        skydata::StarRecord& star = catalogue_->stars[static_cast<std::size_t>(row)];
        star.ra = ra;
        star.dec = dec;
        star.magnitude = magnitude;
        star.designation = "HR 9 Ori";
        return row;
    }

    // The dome shows the place seen from the observer; the geocentric one
    // is set apart from it so that a page placing that would be noticed.
    void PutBodyUp(int body, double ra, double altitude)
    {
        state_.rightAscension[body] = ra + 1;
        state_.declination[body] = altitude - 10;
        state_.topocentricRightAscension[body] = ra;
        state_.topocentricDeclination[body] = altitude;
        state_.altitude[body] = altitude;
    }

    // Where a catalogue position lands on the dome of a page.
    render::PixelPoint OnDome(double ra, double dec, int cx, int cy, int radius) const
    {
        const render::StarPlacement p =
            render::ProjectStarHorizontal(state_, render::RaCode(ra), render::DecCode(dec), cx,
                                          cy, radius, render::HorizontalOrientation(preferences_));
        EXPECT_TRUE(p.visible);
        return {p.x, p.y};
    }

    // Width of the solid ink run through (x, y): twice a disc's radius.
    static int InkWidthThrough(const PageCanvas& page, render::PixelPoint p)
    {
        int left = p.x;
        while (page.At(left - 1, p.y) == (kInk)) {
            --left;
        }
        int right = p.x;
        while (page.At(right + 1, p.y) == (kInk)) {
            ++right;
        }
        return right - left + 1;
    }

    bool Print(PageCanvas& page, const PageMetrics& metrics)
    {
        return PrintHorizontalChart(page.dc(), metrics, state_, *catalogue_, preferences_);
    }

    engine::SkyState state_{};
    std::unique_ptr<skydata::SkyCatalogue> catalogue_;
    render::DisplayPreferences preferences_;
};

// Stars of the magnitudes whose radii the table caps, spread over the dome
// clear of the labels, and their radii at 600 and at 1200 dpi.
TEST_F(HorizontalPageTest, StarsAreSizedByTheMagnitudeTableWithItsCap)
{
    struct Star {
        double ra;
        double magnitude;
        int radiusAt600;
        int radiusAt1200;
    };
    // Above the cap (20 pixels at 600 dpi, 40 at 1200) a star is drawn at
    // the cap: never smaller than a fainter one.
    const Star stars[] = {
        {1, 4.5, 6, 12},   {5, 2.5, 10, 20},  {7, 0.5, 17, 35},
        {11, -0.5, 20, 40}, {13, -1.5, 20, 40}, {17, -2.5, 20, 40},
    };
    for (const Star& star : stars) {
        AddStar(star.ra, 60, star.magnitude);
    }

    PageCanvas at600(kSmallPage);
    ASSERT_TRUE(Print(at600, kSmallPage));
    // 1200 dpi: the centre (2362, 2842), radius 2362.2 - 187.5 = 2174.
    const PageMetrics fine{100, 150, 1200, 1200};
    PageCanvas at1200(fine);
    ASSERT_TRUE(Print(at1200, fine));
    for (const Star& star : stars) {
        EXPECT_EQ(InkWidthThrough(at600, OnDome(star.ra, 60, kCx, kCy, kRadius)),
                  2 * star.radiusAt600)
            << "m = " << star.magnitude;
        EXPECT_EQ(InkWidthThrough(at1200, OnDome(star.ra, 60, 2362, 2842, 2174)),
                  2 * star.radiusAt1200)
            << "m = " << star.magnitude;
    }
}

// The dome's radius is taken with the vertical resolution and its centre
// with the horizontal one.
TEST_F(HorizontalPageTest, DomeRadiusFollowsTheVerticalResolutionAndItsCentreTheHorizontal)
{
    struct Case {
        PageMetrics metrics;
        int cx;
        int cy;
        int radius;
    };
    const Case cases[] = {
        // W = 2362.2: centre (1181, 1181.1 + 120); radius 590.55 - 93.75.
        {{100, 150, 600, 300}, 1181, 1301, 496},
        // W = 1181.1: centre (590, 590.55 + 240); radius 1181.1 - 46.875.
        {{100, 150, 300, 600}, 590, 830, 1134},
        {kSmallPage, kCx, kCy, kRadius},
    };
    for (const Case& c : cases) {
        // Large enough for a dome wider than its sheet.
        PageCanvas page(4000, 4200, QPoint(-1500, -1500));
        ASSERT_TRUE(Print(page, c.metrics));
        const auto row = page.RunInRow(c.cy, -1500, 2499, kDomeOutline);
        const auto column = page.RunInColumn(c.cx, -1500, 2699, kDomeOutline);
        ASSERT_TRUE(row && column);
        EXPECT_EQ(row->first, c.cx - c.radius);
        EXPECT_EQ(row->second, c.cx + c.radius - 1);
        EXPECT_EQ(column->first, c.cy - c.radius);
        EXPECT_EQ(column->second, c.cy + c.radius - 1);
    }
}

TEST_F(HorizontalPageTest, StarsFollowTheScreenChartsVisibilityRules)
{
    const int bright = AddStar(2, 50, 0.5);
    const int below = AddStar(4, -10, 0.5);
    const int emptyRow = AddStar(0, 50, 0.5);  // 0 h: an empty record, never a star
    (void)below;
    (void)emptyRow;
    const render::PixelPoint brightAt = OnDome(2, 50, kCx, kCy, kRadius);
    const render::PixelPoint emptyAt = OnDome(0, 50, kCx, kCy, kRadius);

    {
        PageCanvas page(kSmallPage);
        ASSERT_TRUE(Print(page, kSmallPage));
        EXPECT_EQ(page.At(brightAt.x, brightAt.y), kInk);
        EXPECT_EQ(page.At(emptyAt.x, emptyAt.y), kPaper);
    }
    // Broad daylight: none unless the stars are always shown.
    PutBodyUp(engine::kSun, 12, 30);
    {
        PageCanvas page(kSmallPage);
        ASSERT_TRUE(Print(page, kSmallPage));
        EXPECT_EQ(page.At(brightAt.x, brightAt.y), kPaper);
    }
    preferences_.starsVisibleMode = render::kStarsAlways;
    {
        PageCanvas page(kSmallPage);
        ASSERT_TRUE(Print(page, kSmallPage));
        EXPECT_EQ(page.At(brightAt.x, brightAt.y), kInk);
    }
    preferences_.noStars = 1;
    {
        PageCanvas page(kSmallPage);
        ASSERT_TRUE(Print(page, kSmallPage));
        EXPECT_EQ(page.At(brightAt.x, brightAt.y), kPaper);
    }
    (void)bright;
}

TEST_F(HorizontalPageTest, FigureRowsUpTo121AreDrawnAndNoFurther)
{
    const int a = AddStar(1, 45, 6.0);
    const int b = AddStar(3, 45, 6.0);
    const int c = AddStar(9, 45, 6.0);
    const int d = AddStar(11, 45, 6.0);
    catalogue_->figures[121].stars[0] = a;
    catalogue_->figures[121].stars[1] = b;
    catalogue_->figures[122].stars[0] = c;
    catalogue_->figures[122].stars[1] = d;
    catalogue_->figureCount = 150;
    const auto middle = [&](double raA, double raB) {
        const render::PixelPoint p = OnDome(raA, 45, kCx, kCy, kRadius);
        const render::PixelPoint q = OnDome(raB, 45, kCx, kCy, kRadius);
        return render::PixelPoint{(p.x + q.x) / 2, (p.y + q.y) / 2};
    };

    PageCanvas page(kSmallPage);
    ASSERT_TRUE(Print(page, kSmallPage));
    const render::PixelPoint drawn = middle(1, 3);
    const render::PixelPoint left = middle(9, 11);
    // Lines are one screen pixel wide, six device pixels here.
    EXPECT_GT(page.CountInRow(drawn.y, drawn.x - 8, drawn.x + 8, kFigureBlue), 0);
    EXPECT_EQ(page.CountInRow(left.y, left.x - 8, left.x + 8, kFigureBlue), 0);

    preferences_.showConstellations = 0;
    PageCanvas without(kSmallPage);
    ASSERT_TRUE(Print(without, kSmallPage));
    EXPECT_EQ(without.CountInRow(drawn.y, drawn.x - 8, drawn.x + 8, kFigureBlue), 0);
}

TEST_F(HorizontalPageTest, BodiesAboveTheHorizonAreDiscsInTheirColourWithTheirNames)
{
    PutBodyUp(engine::kMars, 5, 40);
    PutBodyUp(engine::kJupiter, 13, 35);
    state_.altitude[engine::kSaturn] = -1;
    state_.declination[engine::kSaturn] = 30;  // no placement without altitude
    PageCanvas page(kSmallPage);
    ASSERT_TRUE(Print(page, kSmallPage));

    const render::PixelPoint mars = OnDome(5, 40, kCx, kCy, kRadius);
    const QRgb marsColor = render::BodyColor(engine::kMars);
    EXPECT_EQ(page.At(mars.x, mars.y), marsColor);
    // A circle of 4 screen pixels: 25 device pixels, its rim in black.
    const auto fill = page.RunInRow(mars.y, mars.x - 40, mars.x + 40, marsColor);
    ASSERT_TRUE(fill);
    EXPECT_EQ(fill->first, mars.x - 25 + 1);
    EXPECT_EQ(fill->second, mars.x + 25 - 2);
    EXPECT_EQ(page.At(mars.x - 25, mars.y), kInk);

    const auto name = page.Text(QStringLiteral("Mars"));
    ASSERT_TRUE(name);
    EXPECT_EQ(name->position, QPoint(mars.x + Scaled(kS, 9), mars.y + Scaled(kS, -9)));
    EXPECT_EQ(name->color, kNameGrey);

    // Saturn is in the table only: its name is drawn once, in the table.
    int saturnNames = 0;
    for (const render::TextCall& call : page.Texts()) {
        saturnNames += call.text == QStringLiteral("Saturn") ? 1 : 0;
    }
    EXPECT_EQ(saturnNames, 1);
}

TEST_F(HorizontalPageTest, SunIsTheLargerDisc)
{
    PutBodyUp(engine::kSun, 3, 20);
    PageCanvas page(kSmallPage);
    ASSERT_TRUE(Print(page, kSmallPage));
    const render::PixelPoint sun = OnDome(3, 20, kCx, kCy, kRadius);
    const auto fill =
        page.RunInRow(sun.y, sun.x - 60, sun.x + 60, render::BodyColor(engine::kSun));
    ASSERT_TRUE(fill);
    EXPECT_EQ(fill->second - fill->first + 1, 2 * Scaled(kS, 6) - 2);
}

TEST_F(HorizontalPageTest, TableRowsAreGreyBelowTheHorizonAndAllButTheSunsByDay)
{
    PutBodyUp(engine::kMoon, 7, 25);
    state_.azimuth[engine::kMoon] = 270;
    const auto rowColor = [](const PageCanvas& page, const char* name) {
        const auto call = page.Text(QString::fromLatin1(name));
        EXPECT_TRUE(call) << name;
        return call ? call->color : 0u;
    };

    PageCanvas night(kSmallPage);
    ASSERT_TRUE(Print(night, kSmallPage));
    // The Moon's table row; its name on the dome is the first call for it.
    int moonRows = 0;
    for (const render::TextCall& call : night.Texts()) {
        if (call.text == QStringLiteral("Moon") && call.position.x() == Scaled(kS, 45)) {
            ++moonRows;
            EXPECT_EQ(call.color, kInk);
        }
    }
    EXPECT_EQ(moonRows, 1);
    EXPECT_EQ(rowColor(night, "Venus"), kPale);
    // Azimuth 270 from the south reads 90 from the north.
    EXPECT_TRUE(night.Text(places::FromWindows1252(
        places::FormatAngle(90, places::kAngleUnsignedDegrees))));

    PutBodyUp(engine::kSun, 12, 10);
    PageCanvas day(kSmallPage);
    ASSERT_TRUE(Print(day, kSmallPage));
    for (const render::TextCall& call : day.Texts()) {
        if (call.position.x() != Scaled(kS, 45) || call.position.y() <= kYb + Scaled(kS, 5)) {
            continue;  // not a table row
        }
        const QRgb expected = call.text == QStringLiteral("Sun") ? kInk : kPale;
        EXPECT_EQ(call.color, expected) << call.text.toStdString();
    }
}

TEST_F(HorizontalPageTest, TableHangsFromTheReferenceLine)
{
    PageCanvas page(kSmallPage);
    ASSERT_TRUE(Print(page, kSmallPage));
    const int headerY = kYb + Scaled(kS, 5);
    EXPECT_EQ(page.Text(QStringLiteral("Planet"))->position, QPoint(Scaled(kS, 45), headerY));
    EXPECT_EQ(page.Text(QStringLiteral("Azimuth"))->position, QPoint(Scaled(kS, 140), headerY));
    EXPECT_EQ(page.Text(QStringLiteral("Altitude"))->position, QPoint(Scaled(kS, 260), headerY));
    // The first row 90 device pixels below the scaled gap, then 15 x s
    // (cut to 93) apart, in the bodies' order.
    const int first = kYb + Scaled(kS, 10) + 90;
    EXPECT_EQ(page.Text(QStringLiteral("Sun"))->position.y(), first);
    EXPECT_EQ(page.Text(QStringLiteral("Mercury"))->position.y(), first + 93);
    EXPECT_EQ(page.Text(QStringLiteral("Moon"))->position.y(), first + 8 * 93);
    // The frame: 8 pixels of black across the reference line.
    EXPECT_EQ(page.CountInColumn(Scaled(kS, 100), kYb - 10, kYb + 10, kInk), 8);
}

TEST_F(HorizontalPageTest, LabelsNameTheDirectionsByTheEastWestPreference)
{
    PageCanvas page(kSmallPage);
    ASSERT_TRUE(Print(page, kSmallPage));
    const int sideY = kCy - Scaled(kS, 18);
    EXPECT_EQ(page.Text(QStringLiteral("West"))->position,
              QPoint(kCx - kRadius + Scaled(kS, 10), sideY));
    EXPECT_EQ(page.Text(QStringLiteral("East"))->position,
              QPoint(kCx + kRadius - Scaled(kS, 45), sideY));
    EXPECT_EQ(page.Text(QStringLiteral("North"))->position,
              QPoint(kCx - Scaled(kS, 18), kCy - kRadius + Scaled(kS, 5)));
    EXPECT_EQ(page.Text(QStringLiteral("South"))->position,
              QPoint(kCx - Scaled(kS, 18), kCy + kRadius - Scaled(kS, 22)));
    EXPECT_EQ(page.Text(QStringLiteral(" 90 "))->position,
              QPoint(kCx - Scaled(kS, 12), kCy - Scaled(kS, 8)));
    int fortyFives = 0;
    for (const render::TextCall& call : page.Texts()) {
        if (call.text == QStringLiteral(" 45 ")) {
            ++fortyFives;
            EXPECT_EQ(std::abs(call.position.x() + Scaled(kS, 12) - kCx), kRadius / 2);
        }
    }
    EXPECT_EQ(fortyFives, 2);

    preferences_.eastWestSign = render::kEastLeftWestRight;
    PageCanvas mirrored(kSmallPage);
    ASSERT_TRUE(Print(mirrored, kSmallPage));
    EXPECT_EQ(mirrored.Text(QStringLiteral("East"))->position.x(),
              kCx - kRadius + Scaled(kS, 10));
    EXPECT_EQ(mirrored.Text(QStringLiteral("West"))->position.x(),
              kCx + kRadius - Scaled(kS, 45));
}

// A4 at 300 dpi: s = 3.125, W = 2480.3, cx = 1240, yb = 2480.3 + 120 -
// 31.25 = 2569.
TEST_F(HorizontalPageTest, TitleAndFooterOnWhite)
{
    qputenv("SKYVANE_HOST", "sky.example:8080");
    const PageMetrics a4{210, 297, 300, 300};
    constexpr double s = 3.125;
    constexpr int cx = 1240;
    constexpr int yb = 2569;
    PageCanvas page(a4);
    ASSERT_TRUE(Print(page, a4));
    qunsetenv("SKYVANE_HOST");

    const auto place = page.Text(QStringLiteral(u"Z\u00fcrich"));
    ASSERT_TRUE(place);
    EXPECT_EQ(place->position, QPoint(Scaled(s, 30), Scaled(s, 26)));
    EXPECT_EQ(place->font.family(), QStringLiteral("Times New Roman"));
    EXPECT_EQ(place->font.weight(), 600);
    const auto date = page.Text(places::FromWindows1252(places::FormatDateTime(
        2026, 12, 7, 22, 0, 0, places::kDateMonthDayYear12h, 0)));
    ASSERT_TRUE(date);
    EXPECT_EQ(date->position, QPoint(Scaled(s, 450), Scaled(s, 26)));

    const int logoX = Scaled(s, 470);
    const int logoY = yb + Scaled(s, 75);
    const auto vendor = page.Text(QStringLiteral("Vemox Software Inc."));
    ASSERT_TRUE(vendor);
    EXPECT_EQ(vendor->position, QPoint(logoX + Scaled(s, 55), logoY + Scaled(s, 22)));
    EXPECT_EQ(vendor->font.family(), QStringLiteral("Arial"));
    const auto printedWith =
        page.Text(QStringLiteral("This page was printed with Vemox Starwick v1.41"));
    ASSERT_TRUE(printedWith);
    EXPECT_EQ(printedWith->position, QPoint(cx + Scaled(s, 15), yb + Scaled(s, 20)));
    const auto freeCopy = page.Text(QStringLiteral("Get your free copy at sky.example:8080 !"));
    ASSERT_TRUE(freeCopy);
    EXPECT_EQ(freeCopy->position, QPoint(cx + Scaled(s, 15), yb + Scaled(s, 35)));
    bool copyright = false;
    for (const render::TextCall& call : page.Texts()) {
        copyright |= call.position == QPoint(cx + Scaled(s, 15), yb + Scaled(s, 155)) &&
                     call.text.contains(QStringLiteral("Vemox"));
        EXPECT_EQ(call.background, kPaper);
        EXPECT_FALSE(call.opaque) << call.text.toStdString();
    }
    EXPECT_TRUE(copyright);
    // The logo: drawn in colour, left of the vendor's name.
    int logoInk = 0;
    for (int y = logoY; y < logoY + Scaled(s, 48); ++y) {
        logoInk += Scaled(s, 48) + 1 - page.CountInRow(y, logoX, logoX + Scaled(s, 48), kPaper);
    }
    EXPECT_GT(logoInk, Scaled(s, 48) * Scaled(s, 48) / 8);
}

TEST_F(HorizontalPageTest, ScreenClickRectanglesSurviveAPrint)
{
    AddStar(2, 50, 0.5);
    AddStar(8, 30, 3.5);
    auto rects = std::make_unique<skydata::CatalogueClickRects>();
    skydata::IntRect link{};
    const auto drawScreen = [&] {
        QImage window(1280, 800, QImage::Format_RGB32);
        QPainter painter(&window);
        painter.setBackground(QColor(0, 0, 0));
        render::DrawHorizontalChart(painter, render::OutputKind::Window, state_, 800, 1280, 210,
                                    link, 0, 0, *catalogue_, *rects, preferences_, {});
    };
    drawScreen();
    const auto before = std::make_unique<skydata::CatalogueClickRects>(*rects);
    ASSERT_NE(before->stars[1], skydata::IntRect{});

    PageCanvas page(kSmallPage);
    ASSERT_TRUE(Print(page, kSmallPage));
    EXPECT_EQ(rects->stars, before->stars);
    // The next window frame finds what the last one left.
    drawScreen();
    EXPECT_EQ(rects->stars, before->stars);
    EXPECT_EQ(rects->deepSky, before->deepSky);
}

// The table's layout holds at every printer resolution: the rows inside
// the frame and clear of the header, whose cell stays whole below the top
// rule. Only a strip at the table's left edge is kept as pixels.
TEST_F(HorizontalPageTest, TableStaysInsideItsFrameWithTheHeaderWholeAtEveryResolution)
{
    for (const int dpi : {72, 150, 300, 600, 1200}) {
        SCOPED_TRACE(dpi);
        const PageMetrics a4{210, 297, dpi, dpi};
        const double s = dpi / 96.0;
        const int yb = static_cast<int>(210 / 25.4 * dpi + 0.4 * dpi - 10 * s);
        const int frameHeight = Scaled(s, 178);
        const int probeX = Scaled(s, 37);
        PageCanvas page(Scaled(s, 60), frameHeight + 400, QPoint(0, yb - 200));
        ASSERT_TRUE(Print(page, a4));

        // The two rules in a column between the frame's left edge and the
        // names: the top one at yb, the bottom one 178 x s lower.
        const auto top = page.RunInColumn(probeX, yb - 100, yb + frameHeight / 2, kInk);
        const auto bottom =
            page.RunInColumn(probeX, yb + frameHeight / 2, yb + frameHeight + 100, kInk);
        ASSERT_TRUE(top && bottom);
        const int rule = std::max(1, (8 * dpi + 300) / 600);
        EXPECT_EQ(top->second - top->first + 1, rule);
        EXPECT_EQ(bottom->second - bottom->first + 1, rule);

        const auto cellBottom = [&](const render::TextCall& call) {
            page.dc().SelectFont(call.font);
            return call.position.y() + page.dc().TextExtent(call.text).height();
        };
        const auto header = page.Text(QStringLiteral("Planet"));
        const auto sun = page.TextAt(QStringLiteral("Sun"), Scaled(s, 45));
        const auto moon = page.TextAt(QStringLiteral("Moon"), Scaled(s, 45));
        ASSERT_TRUE(header && sun && moon);
        EXPECT_GT(header->position.y(), top->second);
        EXPECT_LE(cellBottom(*header), sun->position.y());
        EXPECT_LT(cellBottom(*moon), bottom->first);
        EXPECT_GT(sun->position.x(), probeX);
    }
}

// The dome's one-pixel outline of a 600 dpi page keeps its width on paper.
TEST_F(HorizontalPageTest, DomeOutlineGrowsWithTheResolution)
{
    for (const auto& [dpi, width] : {std::pair{300, 1}, std::pair{600, 1}, std::pair{1200, 2}}) {
        const PageMetrics page{100, 150, dpi, dpi};
        const double s = dpi / 96.0;
        const int cx = static_cast<int>(100 / 25.4 * dpi / 2);
        const int cy = static_cast<int>(100 / 25.4 * dpi / 2 + 0.4 * dpi);
        const int radius = static_cast<int>(100 / 25.4 * dpi / 2 - 15 * s);
        PageCanvas canvas(41, 41, QPoint(cx - 20, cy - radius - 20));
        ASSERT_TRUE(Print(canvas, page));
        EXPECT_EQ(canvas.CountInColumn(cx, cy - radius - 20, cy - radius + 20, kDomeOutline),
                  width)
            << dpi;
    }
}

// On white paper the screen's black-filled marker would read as a bright
// star: a Messier object prints as a ring.
TEST_F(HorizontalPageTest, MessierObjectsAreRingsWithoutFill)
{
    skydata::DeepSkyObject& m13 = catalogue_->deepSky[0];
    m13.ra = 4;
    m13.dec = 55;
    catalogue_->deepSkyCount = 1;
    PageCanvas page(kSmallPage);
    ASSERT_TRUE(Print(page, kSmallPage));
    const render::PixelPoint p = OnDome(4, 55, kCx, kCy, kRadius);
    constexpr QRgb kMessierPen = qRgb(204, 87, 57);
    // Three screen pixels out: 18 device pixels, the rim 6 wide.
    EXPECT_EQ(page.At(p.x, p.y), kPaper);
    EXPECT_EQ(page.At(p.x - 5, p.y), kPaper);
    EXPECT_GT(page.CountInRow(p.y, p.x - 24, p.x - 10, kMessierPen), 0);
    EXPECT_GT(page.CountInRow(p.y, p.x + 10, p.x + 24, kMessierPen), 0);
    EXPECT_EQ(page.CountInRow(p.y, p.x - 24, p.x + 24, kInk), 0);
}

}  // namespace
}  // namespace skyvane::print
