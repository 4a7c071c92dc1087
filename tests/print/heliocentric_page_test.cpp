// The printed heliocentric chart: the printer zoom on the page, the orbits
// and planets, the table, the title and the footer.
#include <gtest/gtest.h>

#include <QString>

#include <memory>

#include "engine/body.h"
#include "places/formatting.h"
#include "places/windows1252.h"
#include "print/print_charts.h"
#include "render/body_symbols.h"
#include "page_canvas.h"

namespace skyvane::print {
namespace {

using test::kDarkRow;
using test::kInk;
using test::kPaper;
using test::PageCanvas;
using test::Scaled;

constexpr QRgb kOrbit = qRgb(64, 64, 64);

// Where the Sun stands on a page of 100 x 150 mm: (u + ml, u + mt) with
// re = W - 60 s and u = re / 2.
struct SunPlace {
    PageMetrics metrics;
    int x;
    int y;
};
// 600 dpi: W = 2362.2, ml = 250, mt = 500, re = 1987, u = 993.
constexpr SunPlace kAt600{{100, 150, 600, 600}, 1243, 1493};
// 1200 dpi: W = 4724.4, ml = 500, mt = 1000, re = 3974, u = 1987.
constexpr SunPlace kAt1200{{100, 150, 1200, 1200}, 2487, 2987};
// 300 dpi: W = 1181.1, ml = 125, mt = 250, re = 993, u = 496.
constexpr SunPlace kAt300{{100, 150, 300, 300}, 621, 746};

class HeliocentricPageTest : public ::testing::Test {
protected:
    HeliocentricPageTest()
    {
        // Every planet far out, on the left of the Sun, unless a test
        // moves it.
        for (int body = engine::kMercury; body <= engine::kNeptune; ++body) {
            state_.helioLongitude[body] = 270;
            state_.helioDistance[body] = 40;
        }
        state_.locationName = "Z\xfcrich";
        state_.shownYear = 2026;
        state_.shownMonth = 12;
        state_.shownDay = 7;
    }

    PageCanvas& Print(const PageMetrics& metrics, int zoom)
    {
        page_ = std::make_unique<PageCanvas>(metrics);
        EXPECT_TRUE(PrintHeliocentricChart(page_->dc(), metrics, state_, zoom));
        return *page_;
    }

    engine::SkyState state_{};
    std::unique_ptr<PageCanvas> page_;
};

// At zoom 100 an AU is 600 device pixels at 600 dpi, 1200 at 1200 dpi and
// 300 at 300 dpi: the Earth at longitude 90 stands that far right of the
// Sun.
TEST_F(HeliocentricPageTest, PrinterZoomPlacesThePlanets)
{
    state_.helioLongitude[engine::kEarth] = 90;
    state_.helioDistance[engine::kEarth] = 1;
    const QRgb blue = render::BodyColor(engine::kEarth);
    // The orbits' 3-pixel pen of 600 dpi grows and shrinks with the
    // resolution (rounded).
    struct Case {
        SunPlace sun;
        int auPixels;
        double s;
        int orbitPen;
    };
    for (const Case& c : {Case{kAt600, 600, 6.25, 3}, Case{kAt1200, 1200, 12.5, 6},
                          Case{kAt300, 300, 3.125, 2}}) {
        PageCanvas& page = Print(c.sun.metrics, 100);
        const int x = c.sun.x + c.auPixels;
        EXPECT_EQ(page.At(x, c.sun.y), blue) << c.sun.metrics.logPixelsX;
        const auto run = page.RunInRow(c.sun.y, x - 60, x + 60, blue);
        ASSERT_TRUE(run);
        EXPECT_EQ(run->second - run->first + 1, 2 * Scaled(c.s, 4) - 2);
        // The Sun itself, and the orbit through the Earth's place above it.
        EXPECT_EQ(page.At(c.sun.x, c.sun.y), render::BodyColor(engine::kSun));
        EXPECT_EQ(page.CountInColumn(c.sun.x, c.sun.y - c.auPixels - 10,
                                     c.sun.y - c.auPixels + 10, kOrbit),
                  c.orbitPen);
    }
}

TEST_F(HeliocentricPageTest, EveryOrbitThatFitsIsDrawnMercuryAndMarsIncluded)
{
    state_.helioDistance[engine::kMercury] = 0.4;  // 240 pixels at zoom 100
    state_.helioDistance[engine::kMars] = 1.5;     // 900
    state_.helioDistance[engine::kJupiter] = 5.2;  // 3120: past the map
    const SunPlace& sun = kAt600;
    PageCanvas& page = Print(sun.metrics, 100);
    EXPECT_EQ(page.CountInRow(sun.y, sun.x + 230, sun.x + 250, kOrbit), 3);
    EXPECT_EQ(page.CountInRow(sun.y, sun.x + 890, sun.x + 910, kOrbit), 3);
    EXPECT_EQ(page.CountInColumn(sun.x, sun.y - 910, sun.y - 890, kOrbit), 3);
    // Nothing of Jupiter's orbit or Jupiter itself on the page.
    for (int y = 0; y < page.Image().height(); y += 97) {
        EXPECT_EQ(page.CountInRow(y, 0, 10, kOrbit), 0);
    }
    int jupiterNames = 0;
    for (const render::TextCall& call : page.Texts()) {
        jupiterNames += call.text == QStringLiteral("Jupiter") ? 1 : 0;
    }
    EXPECT_EQ(jupiterNames, 1);  // its table row only
}

TEST_F(HeliocentricPageTest, CloseUpsNameTheSunAndTheInnerPlanets)
{
    state_.helioLongitude[engine::kMercury] = 180;
    state_.helioDistance[engine::kMercury] = 0.4;
    state_.helioLongitude[engine::kJupiter] = 0;
    state_.helioDistance[engine::kJupiter] = 5.2;
    const auto count = [](const PageCanvas& page, const char* name) {
        int n = 0;
        for (const render::TextCall& call : page.Texts()) {
            n += call.text == QString::fromLatin1(name) ? 1 : 0;
        }
        return n;
    };
    const SunPlace& sun = kAt600;
    // Zoom 50: 300 pixels per AU, close enough.
    PageCanvas& close = Print(sun.metrics, 50);
    EXPECT_EQ(count(close, "Sun"), 1);
    EXPECT_EQ(count(close, "Mercury"), 2);
    const auto sunName = close.Text(QStringLiteral("Sun"));
    EXPECT_EQ(sunName->position, QPoint(sun.x + 75, sun.y - 56));
    EXPECT_EQ(close.At(sun.x - 56, sun.y), kInk);  // radius 9 x s

    // Zoom 30: 180 pixels per AU; Jupiter keeps its name on the map.
    PageCanvas& far = Print(sun.metrics, 30);
    EXPECT_EQ(count(far, "Sun"), 0);
    EXPECT_EQ(count(far, "Mercury"), 1);
    EXPECT_EQ(count(far, "Jupiter"), 2);
    EXPECT_EQ(far.At(sun.x - 25, sun.y), kInk);  // radius 4 x s
    EXPECT_EQ(far.At(sun.x - 30, sun.y), kPaper);
}

TEST_F(HeliocentricPageTest, TableTitleAndFooter)
{
    state_.helioDistance[engine::kEarth] = 0.98;
    state_.helioDistance[engine::kUranus] = 19.2;
    state_.helioLatitude[engine::kMercury] = -3.5;
    const double s = 6.25;
    // yb = W + 0.5 x 600 - 10 s = 2362.2 + 300 - 62.5, cut to 2599.
    const int yb = 2599;
    PageCanvas& page = Print(kAt600.metrics, 100);
    struct Header {
        const char* text;
        double x;
    };
    for (const Header& h : {Header{"Planet", 45}, Header{"Longitude", 110},
                            Header{"Latitude", 200}, Header{"AU from Sun", 280}}) {
        const auto call = page.Text(QString::fromLatin1(h.text));
        ASSERT_TRUE(call) << h.text;
        // Where the layout puts it, or right of that when the column before
        // is wider (see the page table tests).
        EXPECT_GE(call->position.x(), Scaled(s, h.x)) << h.text;
        EXPECT_LE(call->position.x(), Scaled(s, h.x + 10)) << h.text;
        EXPECT_EQ(call->position.y(), yb + Scaled(s, 8)) << h.text;
    }
    const auto mercury = page.Text(QStringLiteral("Mercury"));
    const auto venus = page.Text(QStringLiteral("Venus"));
    const auto earth = page.Text(QStringLiteral("0.980000"));
    const auto uranus = page.Text(QStringLiteral("19.20000"));
    ASSERT_TRUE(mercury && venus && earth && uranus);
    EXPECT_EQ(mercury->position, QPoint(Scaled(s, 45), yb + Scaled(s, 30)));
    EXPECT_EQ(mercury->color, kInk);
    EXPECT_EQ(venus->position.y(), yb + Scaled(s, 45));
    EXPECT_EQ(venus->color, kDarkRow);
    EXPECT_GE(earth->position.x(), Scaled(s, 300));
    EXPECT_LE(earth->position.x(), Scaled(s, 310));
    EXPECT_EQ(earth->position.y(), yb + Scaled(s, 60));
    EXPECT_EQ(uranus->position.y(), yb + Scaled(s, 120));
    EXPECT_TRUE(page.Text(places::FromWindows1252(
        places::FormatAngle(-3.5, places::kAngleSignedDegrees))));

    const auto title = page.Text(
        QStringLiteral("Heliocentric view for ") +
        places::FromWindows1252(places::FormatDateTime(2026, 12, 7, 0, 0, 0,
                                                       places::kDateMonthDayYear12h, 0)));
    ASSERT_TRUE(title);
    EXPECT_EQ(title->position, QPoint(Scaled(s, 40), Scaled(s, 20)));
    EXPECT_EQ(title->font.family(), QStringLiteral("Times New Roman"));
    EXPECT_EQ(title->font.weight(), 400);
    const auto place = page.Text(QStringLiteral(u"Localtime in Z\u00fcrich"));
    ASSERT_TRUE(place);
    EXPECT_EQ(place->position, QPoint(Scaled(s, 40), Scaled(s, 48)));

    const int cx = 1181;
    const auto printedWith =
        page.Text(QStringLiteral("This page was printed with Vemox Starwick v1.41"));
    ASSERT_TRUE(printedWith);
    EXPECT_EQ(printedWith->position, QPoint(cx + Scaled(s, 15), yb + Scaled(s, 20)));
    const auto vendor = page.Text(QStringLiteral("Vemox Software Inc."));
    ASSERT_TRUE(vendor);
    EXPECT_EQ(vendor->position,
              QPoint(Scaled(s, 470) + Scaled(s, 55), yb + Scaled(s, 75) + Scaled(s, 22)));
    // The frame's divider at the page's centre, between the headers and
    // the first row: 8 pixels of ink.
    EXPECT_EQ(page.CountInRow(yb + Scaled(s, 25), cx - 10, cx + 10, kInk), 8);
    for (const render::TextCall& call : page.Texts()) {
        EXPECT_FALSE(call.opaque) << call.text.toStdString();
    }
}

// The planet table holds its rows inside its frame, under a whole header,
// at every resolution.
TEST_F(HeliocentricPageTest, TableStaysInsideItsFrameAtEveryResolution)
{
    for (const int dpi : {72, 150, 300, 600, 1200}) {
        SCOPED_TRACE(dpi);
        const PageMetrics metrics{210, 297, dpi, dpi};
        const double s = dpi / 96.0;
        const int yb = static_cast<int>(210 / 25.4 * dpi + 0.5 * dpi - 10 * s);
        PageCanvas page(8, 8);
        ASSERT_TRUE(PrintHeliocentricChart(page.dc(), metrics, state_, 210));
        const auto header = page.Text(QStringLiteral("Longitude"));
        const auto mercury = page.Text(QStringLiteral("Mercury"));
        const auto neptune = page.TextAt(QStringLiteral("Neptune"), Scaled(s, 45));
        ASSERT_TRUE(header && mercury && neptune);
        const auto cellBottom = [&](const render::TextCall& call) {
            page.dc().SelectFont(call.font);
            return call.position.y() + page.dc().TextExtent(call.text).height();
        };
        EXPECT_GT(header->position.y(), yb);
        EXPECT_LE(cellBottom(*header), mercury->position.y());
        EXPECT_LT(cellBottom(*neptune), yb + Scaled(s, 178));
    }
}

}  // namespace
}  // namespace skyvane::print
