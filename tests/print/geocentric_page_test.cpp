// The printed geocentric chart: the framed map with its grid, stars,
// figures and bodies, the table below it, the title and the footer.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPicture>
#include <QString>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>

#include "engine/body.h"
#include "places/formatting.h"
#include "places/windows1252.h"
#include "print/print_charts.h"
#include "render/body_symbols.h"
#include "render/sky_mapping.h"
#include "page_canvas.h"

namespace skyvane::print {
namespace {

using test::kDarkRow;
using test::kInk;
using test::kNameGrey;
using test::kPaper;
using test::PageCanvas;
using test::Scaled;

constexpr QRgb kFigureBlue = qRgb(0, 0, 255);

// Landscape A4 at 192 dpi, so s = 2: W = 2245.0, H = 1587.4; margins
// ml = 80, mt = 160; map width mw = 2125 and height parameter mh = 1058,
// of which the mapping keeps 200 x 192 / 600 = 64 for the tables, leaving
// 994 rows of map: declination -45 at yB = 994. The table starts at
// yt = 994 + 30 + 160 = 1184 and is divided at 2125 x 0.667. The 6-pixel
// rules of 600 dpi are 2 pixels wide here.
constexpr PageMetrics kPage{297, 210, 192, 192};
constexpr int kMl = 80;
constexpr int kMt = 160;
constexpr int kMw = 2125;
constexpr int kMh = 1058;
constexpr int kTableSpace = 64;
constexpr int kYt = 1184;
constexpr int kXf = 1417;

render::PixelPoint OnMap(double ra, double dec)
{
    const render::PixelPoint p = render::MapGeocentric(ra, dec, kMw, kMh, kTableSpace);
    return {p.x + kMl, p.y + kMt};
}

class GeocentricPageTest : public ::testing::Test {
protected:
    GeocentricPageTest() : catalogue_(std::make_unique<skydata::SkyCatalogue>())
    {
        // Every body far south of the band's middle, out of the way.
        for (int body = 0; body < engine::kBodyCount; ++body) {
            state_.rightAscension[body] = 23.9;
            state_.declination[body] = -44;
            state_.geoDistance[body] = 1;
        }
        state_.locationName = "Z\xfcrich";
        state_.shownYear = 2026;
        state_.shownMonth = 12;
        state_.shownDay = 7;
        state_.shownHour = 22;
        state_.dst = 1;
        AddStar(0.2, -44.5, 6);  // row 0 takes part in no figure
    }

    int AddStar(double ra, double dec, double magnitude)
    {
        const int row = catalogue_->starCount++;
        skydata::StarRecord& star = catalogue_->stars[static_cast<std::size_t>(row)];
        star.ra = ra;
        star.dec = dec;
        star.magnitude = magnitude;
        return row;
    }
    void AddFigure(int a, int b)
    {
        skydata::ConstellationFigure& figure =
            catalogue_->figures[static_cast<std::size_t>(catalogue_->figureCount++)];
        figure.stars[0] = a;
        figure.stars[1] = b;
    }

    PageCanvas& Print()
    {
        page_ = std::make_unique<PageCanvas>(kPage);
        EXPECT_TRUE(PrintGeocentricChart(page_->dc(), kPage, state_, *catalogue_));
        return *page_;
    }

    engine::SkyState state_{};
    std::unique_ptr<skydata::SkyCatalogue> catalogue_;
    std::unique_ptr<PageCanvas> page_;
};

TEST_F(GeocentricPageTest, MapIsPlacedByTheMarginsAndTheScreenMapping)
{
    // 12 h on the equator: half the map's width, half its 994 rows.
    EXPECT_EQ(OnMap(12, 0).x, kMl + 1062);
    EXPECT_EQ(OnMap(12, 0).y, kMt + 497);
    EXPECT_EQ(OnMap(0, -45).y, kMt + 994);

    PageCanvas& page = Print();
    // The frame, 2 pixels of black, along the top and the left edge.
    EXPECT_EQ(page.CountInColumn(kMl + 500, kMt - 10, kMt + 10, kInk), 2);
    EXPECT_EQ(page.CountInRow(kMt + 300, kMl - 10, kMl + 10, kInk), 2);
    EXPECT_EQ(page.CountInColumn(kMl + 500, kMt + 984, kMt + 1004, kInk), 2);
    // Grid lines in grey inside the frame: declination 0 across the map.
    EXPECT_EQ(page.At(kMl + 500, kMt + 497), qRgb(128, 128, 128));
    // Labels: declinations but not the edges, and every hour 00h to 24h.
    EXPECT_TRUE(page.Text(QStringLiteral("  0")));
    EXPECT_TRUE(page.Text(QStringLiteral("-40")));
    EXPECT_FALSE(page.Text(QStringLiteral(" 45")));
    EXPECT_FALSE(page.Text(QStringLiteral("-45")));
    const auto sixHours = page.Text(QStringLiteral("06h"));
    ASSERT_TRUE(sixHours);
    EXPECT_EQ(sixHours->position,
              QPoint(OnMap(6, 0).x + kMw / 48 - 46, kMt - 36));
    EXPECT_EQ(sixHours->color, kDarkRow);
    EXPECT_TRUE(page.Text(QStringLiteral("24h")));
}

TEST_F(GeocentricPageTest, StarsOfTheBandAreInkDiscsSizedByMagnitude)
{
    AddStar(12, 0, 0.5);    // 2.8 x 2: radius 5
    AddStar(8, 20, 4.5);    // 1.0 x 2: radius 2
    AddStar(4, 50, 0.5);    // north of the band
    AddStar(16, -45, 0.5);  // on its edge: not inside
    PageCanvas& page = Print();
    const render::PixelPoint bright = OnMap(12, 0);
    const auto run = page.RunInRow(bright.y, bright.x - 20, bright.x + 20, kInk);
    ASSERT_TRUE(run);
    EXPECT_EQ(run->second - run->first + 1, 10);
    const render::PixelPoint faint = OnMap(8, 20);
    EXPECT_EQ(page.CountInRow(faint.y, faint.x - 10, faint.x + 10, kInk), 4);
    const render::PixelPoint north = OnMap(4, 50);
    EXPECT_EQ(page.At(north.x, north.y), kPaper);
    const render::PixelPoint edge = OnMap(16, -45);
    // A disc there would reach above the frame's bottom line.
    EXPECT_EQ(page.CountInRow(edge.y - 5, edge.x - 10, edge.x + 10, kInk), 0);
}

TEST_F(GeocentricPageTest, FiguresJoinOnlyStarsClearOfTheSeamAndBelowTheCount)
{
    AddFigure(AddStar(2, 10, 6), AddStar(3, 10, 6));
    AddFigure(AddStar(0.5, 30, 6), AddStar(2, 30, 6));
    const int a = AddStar(8, -20, 6);
    const int b = AddStar(9, -20, 6);
    catalogue_->figures[10].stars[0] = a;  // beyond the figure count
    catalogue_->figures[10].stars[1] = b;
    PageCanvas& page = Print();
    const auto middle = [](double raA, double raB, double dec) {
        const render::PixelPoint p = OnMap(raA, dec);
        const render::PixelPoint q = OnMap(raB, dec);
        return render::PixelPoint{(p.x + q.x) / 2, p.y};
    };
    const render::PixelPoint joined = middle(2, 3, 10);
    // Two pixels wide at 600 dpi, one here.
    EXPECT_EQ(page.CountInColumn(joined.x, joined.y - 5, joined.y + 5, kFigureBlue), 1);
    const render::PixelPoint seam = middle(0.5, 2, 30);
    EXPECT_EQ(page.CountInColumn(seam.x, seam.y - 5, seam.y + 5, kFigureBlue), 0);
    const render::PixelPoint uncounted = middle(8, 9, -20);
    EXPECT_EQ(page.CountInColumn(uncounted.x, uncounted.y - 5, uncounted.y + 5, kFigureBlue), 0);
}

TEST_F(GeocentricPageTest, BodiesAreDiscsInTheirColoursWithTheirNames)
{
    state_.rightAscension[engine::kSun] = 6;
    state_.declination[engine::kSun] = 10;
    state_.rightAscension[engine::kMars] = 18;
    state_.declination[engine::kMars] = -10;
    PageCanvas& page = Print();
    const render::PixelPoint sun = OnMap(6, 10);
    const QRgb yellow = render::BodyColor(engine::kSun);
    EXPECT_EQ(page.At(sun.x, sun.y), yellow);
    // Radius 6 x s: 12, the rim in ink.
    EXPECT_EQ(page.At(sun.x - 12, sun.y), kInk);
    EXPECT_EQ(page.At(sun.x - 11, sun.y), yellow);
    const render::PixelPoint mars = OnMap(18, -10);
    EXPECT_EQ(page.At(mars.x - 8, mars.y), kInk);
    EXPECT_EQ(page.At(mars.x - 7, mars.y), render::BodyColor(engine::kMars));
    const auto name = page.Text(QStringLiteral("Mars"));
    ASSERT_TRUE(name);
    EXPECT_EQ(name->position, QPoint(mars.x + 18, mars.y - 18));
    EXPECT_EQ(name->color, kNameGrey);
    EXPECT_FALSE(page.Text(QStringLiteral("Earth")));
    EXPECT_FALSE(page.Text(QStringLiteral("Pluto")));
}

TEST_F(GeocentricPageTest, TableRowsAlternateAndShowTheScreenTablesTexts)
{
    state_.geoDistance[engine::kMoon] = 384400;
    state_.geoDistance[engine::kSaturn] = 10.05;
    state_.rightAscension[engine::kMercury] = 5.5;
    PageCanvas& page = Print();
    struct Header {
        const char* text;
        int dx;
    };
    for (const Header& h : {Header{"Planet", 30}, Header{"Right Ascension", 200},
                            Header{"Declination", 456}, Header{"Distance", 640},
                            Header{"Horoscope Data", 840}}) {
        const auto call = page.Text(QString::fromLatin1(h.text));
        ASSERT_TRUE(call) << h.text;
        EXPECT_EQ(call->position, QPoint(kMl + h.dx, kYt + 12)) << h.text;
    }
    // Row n at yt + 46 + 30 n, black and dark grey in turn; the Moon last.
    const auto sun = page.TextAt(QStringLiteral("Sun"), kMl + 30);
    const auto mercury = page.TextAt(QStringLiteral("Mercury"), kMl + 30);
    const auto moon = page.Text(QStringLiteral(" 238906 MI"));
    ASSERT_TRUE(sun && mercury && moon);
    EXPECT_EQ(sun->position, QPoint(kMl + 30, kYt + 46));
    EXPECT_EQ(sun->color, kInk);
    EXPECT_EQ(mercury->position, QPoint(kMl + 30, kYt + 76));
    EXPECT_EQ(mercury->color, kDarkRow);
    EXPECT_EQ(moon->position, QPoint(kMl + 640, kYt + 46 + 8 * 30));
    EXPECT_TRUE(page.Text(QStringLiteral("10.0500 AU")));
    EXPECT_TRUE(page.Text(QStringLiteral("1.00000 AU")));
    const auto ra = page.Text(places::FromWindows1252(places::FormatAngle(5.5, places::kAngleHours)));
    ASSERT_TRUE(ra);
    EXPECT_EQ(ra->position, QPoint(kMl + 200, kYt + 76));
    // The table's frame: 2 pixels of ink at its divider.
    EXPECT_EQ(page.CountInRow(kYt + 200, kXf - 10, kXf + 10, kInk), 2);
}

TEST_F(GeocentricPageTest, TitleAndFooterAnchoredAtTheTablesDivider)
{
    PageCanvas& page = Print();
    const QString title =
        QStringLiteral("Geocentric view for ") +
        places::FromWindows1252(places::FormatDateTime(2026, 12, 7, 22, 0, 0,
                                                       places::kDateMonthDayYear12h, 1)) +
        QStringLiteral(u" (Localtime in Z\u00fcrich)");
    const auto call = page.Text(title);
    ASSERT_TRUE(call) << title.toStdString();
    EXPECT_EQ(call->position, QPoint(kMl, 40));
    EXPECT_EQ(call->font.family(), QStringLiteral("Times New Roman"));
    EXPECT_EQ(call->font.weight(), 600);

    const auto printedWith =
        page.Text(QStringLiteral("This page was printed with Vemox Starwick v1.41"));
    ASSERT_TRUE(printedWith);
    EXPECT_EQ(printedWith->position, QPoint(kXf + 30, kYt + 40));
    const auto vendor = page.Text(QStringLiteral("Vemox Software Inc."));
    ASSERT_TRUE(vendor);
    EXPECT_EQ(vendor->position, QPoint(kXf + 120 + 110, kYt + 150 + 44));
    for (const render::TextCall& text : page.Texts()) {
        EXPECT_EQ(text.background, kPaper);
    }
}

// The map keeps its proportions at every resolution: its bottom lies at
// the same fraction of the page, and the declination labels, one every 5
// degrees, never run into each other.
TEST_F(GeocentricPageTest, MapKeepsItsProportionsAtEveryResolution)
{
    std::optional<double> reference;
    for (const int dpi : {600, 72, 150, 300, 1200}) {
        SCOPED_TRACE(dpi);
        const PageMetrics metrics{297, 210, dpi, dpi};
        PageCanvas page(8, 8);  // the texts are what is looked at
        ASSERT_TRUE(PrintGeocentricChart(page.dc(), metrics, state_, *catalogue_));
        const auto north = page.Text(QStringLiteral(" 40"));
        const auto south = page.Text(QStringLiteral("-40"));
        const auto equator = page.Text(QStringLiteral("  0"));
        ASSERT_TRUE(north && south && equator);
        const double pageHeight = 210 / 25.4 * dpi;
        const double band = (south->position.y() - north->position.y()) / pageHeight;
        if (!reference) reference = band;
        EXPECT_NEAR(band, *reference, 0.01);
        page.dc().SelectFont(equator->font);
        const int labelHeight = page.dc().TextExtent(equator->text).height();
        EXPECT_GE((equator->position.y() - north->position.y()) / 8, labelHeight);
    }
}

// The table below the map holds its rows inside its frame, under a whole
// header, at every resolution.
TEST_F(GeocentricPageTest, TableStaysInsideItsFrameAtEveryResolution)
{
    for (const int dpi : {72, 150, 300, 600, 1200}) {
        SCOPED_TRACE(dpi);
        const PageMetrics metrics{297, 210, dpi, dpi};
        const double s = dpi / 96.0;
        PageCanvas page(8, 8);
        ASSERT_TRUE(PrintGeocentricChart(page.dc(), metrics, state_, *catalogue_));
        const auto header = page.Text(QStringLiteral("Right Ascension"));
        // The names in the table's first column, not beside the bodies.
        const int nameX = Scaled(s, 40) + Scaled(s, 15);
        const auto sun = page.TextAt(QStringLiteral("Sun"), nameX);
        const auto moon = page.TextAt(QStringLiteral("Moon"), nameX);
        ASSERT_TRUE(header && sun && moon);
        // The header sits 6 x s below the table's top rule.
        const int top = header->position.y() - Scaled(s, 6);
        const auto cellBottom = [&](const render::TextCall& call) {
            page.dc().SelectFont(call.font);
            return call.position.y() + page.dc().TextExtent(call.text).height();
        };
        EXPECT_LE(cellBottom(*header), sun->position.y());
        EXPECT_LT(cellBottom(*moon), top + Scaled(s, 178));
    }
}

// Texts on paper are drawn without a background, so a name never blanks
// out a line under it; and two bodies at one place get names side by side,
// not one over the other.
TEST_F(GeocentricPageTest, LabelsDoNotBlankOutWhatIsUnderThemNorEachOther)
{
    state_.rightAscension[engine::kSun] = 6;
    state_.declination[engine::kSun] = 10;
    state_.rightAscension[engine::kNeptune] = 6;
    state_.declination[engine::kNeptune] = 10;
    PageCanvas& page = Print();
    for (const render::TextCall& call : page.Texts()) {
        EXPECT_FALSE(call.opaque) << call.text.toStdString();
    }
    const auto sun = page.Text(QStringLiteral("Sun"));
    const auto neptune = page.Text(QStringLiteral("Neptune"));
    ASSERT_TRUE(sun && neptune);
    const auto box = [&](const render::TextCall& call) {
        page.dc().SelectFont(call.font);
        return QRect(call.position, page.dc().TextExtent(call.text));
    };
    EXPECT_FALSE(box(*sun).intersects(box(*neptune)));
}

// File > Print Preview records the page and shows it scaled down to fit
// its window. The grid shows there whole, as it does in the PDF: every
// declination and hour line runs across the map at its place.
TEST_F(GeocentricPageTest, PreviewFittedToItsWindowShowsTheWholeGrid)
{
    QPicture recorded;
    {
        QPainter printer(&recorded);
        ASSERT_TRUE(PrintGeocentricChart(printer, kPage, state_, *catalogue_));
    }
    // This page is 2245 pixels wide; preview windows show it 900 to 300 wide.
    for (const double scale : {1 / 2.5, 1 / 4.0, 1 / 7.0}) {
        SCOPED_TRACE(1 / scale);
        QImage shown(static_cast<int>(2245 * scale) + 1, static_cast<int>(1588 * scale) + 1,
                     QImage::Format_RGB32);
        shown.fill(kPaper);
        {
            QPainter preview(&shown);
            preview.scale(scale, scale);
            preview.drawPicture(0, 0, recorded);
        }
        const auto inked = [&](int x, int y) {
            return (shown.pixel(x, y) | 0xff000000u) != (kPaper | 0xff000000u);
        };
        const auto at = [&](int page) { return static_cast<int>(page * scale); };
        // Share of the map's width (or height) that line `line` covers in
        // the best of the preview's rows (columns) about where it lies.
        const auto cover = [&](int line, int from, int to, bool across) {
            double best = 0;
            for (int near = at(line) - 1; near <= at(line) + 1; ++near) {
                int count = 0;
                for (int along = at(from); along <= at(to); ++along)
                    count += across ? inked(along, near) : inked(near, along);
                best = std::max(best, static_cast<double>(count) / (at(to) - at(from) + 1));
            }
            return best;
        };
        for (int dec = -40; dec <= 40; dec += 5)
            EXPECT_GE(cover(OnMap(0, dec).y, kMl + 10, kMl + kMw - 10, true), 0.95) << dec;
        for (int hour = 1; hour <= 23; ++hour)
            EXPECT_GE(cover(OnMap(hour, 0).x, kMt + 10, kMt + 984, false), 0.95) << hour;
    }
}

}  // namespace
}  // namespace skyvane::print
