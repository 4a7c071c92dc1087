#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QString>

#include <algorithm>
#include <cstdlib>

#include <memory>
#include <string>

#include "render/body_symbols.h"
#include "render/chart_fonts.h"
#include "render/display_preferences.h"
#include "render/heliocentric_chart.h"
#include "render_test_canvas.h"

namespace skyvane::render {
namespace {

using engine::kEarth;
using engine::kJupiter;
using engine::kMars;
using engine::kMercury;
using engine::kNeptune;
using engine::kSaturn;
using engine::kSun;
using engine::kUranus;
using engine::kVenus;
using test::Canvas;

constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kYellow = qRgb(255, 255, 0);
constexpr QRgb kOrbitPen = qRgb(96, 96, 196);
constexpr QRgb kHeaderGrey = qRgb(196, 196, 196);

// A window whose panel starts at x0 = 600, so the Sun sits at (300, 300).
constexpr int kWidth = 940;
constexpr int kHeight = 800;
constexpr int kX0 = 600;
constexpr int kC = 300;

// Longitudes that put a planet straight right of, below, left of or above
// the Sun, where the polar mapping gives whole pixels.
constexpr double kRight = 90;
constexpr double kBelow = 180;
constexpr double kLeft = 270;
constexpr double kAbove = 0;

class HeliocentricChartTest : public ::testing::Test {
protected:
    HeliocentricChartTest()
    {
        preferences_.planetMode = kPlanetModeSmallSymbols;
        // Distances that scale to whole pixels at the zooms used below, each
        // inner planet in its own direction; the outer ones far out.
        Place(kMercury, kRight, 0.375);
        Place(kVenus, kBelow, 0.75);
        Place(kEarth, kLeft, 1.0);
        Place(kMars, kAbove, 1.5);
        Place(kJupiter, kRight, 5.25);
        Place(kSaturn, kRight, 9.5);
        Place(kUranus, kRight, 19.2);
        Place(kNeptune, kRight, 30.0);
    }

    void Place(int body, double longitude, double distance)
    {
        state_.helioLongitude[body] = longitude;
        state_.helioDistance[body] = distance;
    }

    // Where the chart must put `body`, from its cardinal direction.
    QPoint Expected(int body, int zoom) const
    {
        const int r = static_cast<int>(state_.helioDistance[body] * zoom);
        const double longitude = state_.helioLongitude[body];
        if (longitude == kRight) return {kC + r, kC};
        if (longitude == kBelow) return {kC, kC + r};
        if (longitude == kLeft) return {kC - r, kC};
        return {kC, kC - r};
    }

    std::unique_ptr<Canvas> Draw(int zoom, int height = kHeight)
    {
        auto canvas = std::make_unique<Canvas>(kWidth, height);
        canvas->dc().SetBkColor(kBlack);
        canvas->dc().SetRecordText(true);
        DrawHeliocentricChart(canvas->dc(), state_, height, kWidth, zoom, 0, 0, preferences_);
        return canvas;
    }

    // How many set cells of the body's small glyph at `at` show its colour,
    // counting the cells inside the canvas.
    static int GlyphCellsShown(const Canvas& canvas, int height, int body, QPoint at,
                               int width = kWidth)
    {
        int shown = 0;
        for (int i = 0; i < kGlyphSize; ++i) {
            for (int j = 0; j < kGlyphSize; ++j) {
                const int x = at.x() - 4 + j;
                const int y = at.y() - 4 + i;
                if (BodySymbols[body][i * kGlyphSize + j] != 0 && x >= 0 && x < width &&
                    y >= 0 && y < height && canvas.At(x, y) == BodyColor(body)) {
                    ++shown;
                }
            }
        }
        return shown;
    }
    static int GlyphCells(int body)
    {
        int cells = 0;
        for (const int cell : BodySymbols[body]) {
            cells += cell;
        }
        return cells;
    }
    bool OnMap(const Canvas& canvas, int body, int zoom) const
    {
        const int shown = GlyphCellsShown(canvas, kHeight, body, Expected(body, zoom));
        EXPECT_TRUE(shown == 0 || shown == GlyphCells(body)) << body << " partly drawn";
        return shown == GlyphCells(body);
    }

    static const TextCall* Find(Canvas& canvas, const QString& text)
    {
        for (const TextCall& call : canvas.dc().RecordedText()) {
            if (call.text == text) {
                return &call;
            }
        }
        return nullptr;
    }

    engine::SkyState state_;
    DisplayPreferences preferences_;
};

struct ZoomCase {
    int zoom;
    bool mercury;
    bool venus;
    bool earthAndMars;
};

class HeliocentricZoomTest : public HeliocentricChartTest,
                             public ::testing::WithParamInterface<ZoomCase> {};

TEST_P(HeliocentricZoomTest, InnerPlanetsLeaveTheMapAsTheChartZoomsOut)
{
    const ZoomCase& zoomCase = GetParam();
    const auto canvas = Draw(zoomCase.zoom);
    EXPECT_EQ(OnMap(*canvas, kMercury, zoomCase.zoom), zoomCase.mercury);
    EXPECT_EQ(OnMap(*canvas, kVenus, zoomCase.zoom), zoomCase.venus);
    EXPECT_EQ(OnMap(*canvas, kEarth, zoomCase.zoom), zoomCase.earthAndMars);
    EXPECT_EQ(OnMap(*canvas, kMars, zoomCase.zoom), zoomCase.earthAndMars);
    EXPECT_TRUE(OnMap(*canvas, kJupiter, zoomCase.zoom));
    // The Sun stays in the middle whatever the zoom.
    EXPECT_EQ(GlyphCellsShown(*canvas, kHeight, kSun, {kC, kC}), GlyphCells(kSun));
    // Hidden or not, every planet keeps its table row.
    for (const char* name : {"Mercury", "Venus", "Earth", "Mars"}) {
        EXPECT_NE(Find(*canvas, QString::fromLatin1(name)), nullptr) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Limits, HeliocentricZoomTest,
                         ::testing::Values(ZoomCase{50, true, true, true},
                                           ZoomCase{45, false, true, true},
                                           ZoomCase{40, false, true, true},
                                           ZoomCase{39, false, false, true},
                                           ZoomCase{15, false, false, true},
                                           ZoomCase{14, false, false, false},
                                           ZoomCase{12, false, false, false}),
                         [](const auto& info) { return "zoom" + std::to_string(info.param.zoom); });

TEST_F(HeliocentricChartTest, OrbitCirclesThroughEachPlanetButNeverMercuryOrMars)
{
    Place(kEarth, kBelow, 1.0);
    Place(kJupiter, kRight, 2.625);  // 262.5 px: fits left of the panel
    const auto canvas = Draw(100);
    // Left-most pixel of each circle, on the Sun's row.
    EXPECT_EQ(canvas->At(kC - 75, kC), kOrbitPen);   // Venus
    EXPECT_EQ(canvas->At(kC - 100, kC), kOrbitPen);  // Earth
    EXPECT_EQ(canvas->At(kC - 100, kC - 1), kOrbitPen);
    EXPECT_EQ(canvas->At(37, kC), kOrbitPen);  // Jupiter, from 300 - 262.5
    EXPECT_EQ(canvas->At(kC, 37), kOrbitPen);
    // Inside the discs everything else is black: no circle for Mercury at
    // 37.5 px, none for Mars at 150 px.
    EXPECT_EQ(canvas->At(kC - 38, kC), kBlack);
    EXPECT_EQ(canvas->At(kC, kC - 38), kBlack);
    EXPECT_EQ(canvas->At(kC - 150, kC), kBlack);
    EXPECT_EQ(canvas->At(kC, kC + 149), kBlack);
    EXPECT_EQ(canvas->At(kC - 120, kC), kBlack);

    // Closer in, Mercury's 75 px still has no circle.
    const auto closer = Draw(200);
    EXPECT_EQ(closer->At(kC - 75, kC), kBlack);
    EXPECT_EQ(closer->At(kC - 150, kC), kOrbitPen);  // Venus
    EXPECT_EQ(closer->At(kC - 200, kC), kOrbitPen);  // Earth
}

TEST_F(HeliocentricChartTest, OrbitsThatReachThePanelAreLeftOut)
{
    Place(kJupiter, kAbove, 2.995);  // 299.5 px: just fits
    const auto fits = Draw(100);
    EXPECT_EQ(fits->At(0, kC), kOrbitPen);

    Place(kJupiter, kAbove, 3.0);  // 300 px would touch the panel
    const auto reaches = Draw(100);
    EXPECT_EQ(reaches->At(0, kC), kBlack);
    EXPECT_EQ(reaches->At(1, kC), kBlack);
}

TEST_F(HeliocentricChartTest, PlanetsStayLeftOfThePanelAndInsideTheWindow)
{
    // At 64 px per AU: 291 px right puts the symbol's reach on the panel's
    // edge, 290 px keeps it clear.
    constexpr int kZoom = 64;
    Place(kJupiter, kRight, 291.0 / kZoom);
    const auto onEdge = Draw(kZoom);
    EXPECT_EQ(GlyphCellsShown(*onEdge, kHeight, kJupiter, {kC + 291, kC}), 0);
    Place(kJupiter, kRight, 290.0 / kZoom);
    const auto clear = Draw(kZoom);
    EXPECT_EQ(GlyphCellsShown(*clear, kHeight, kJupiter, {kC + 290, kC}), GlyphCells(kJupiter));

    // A window lower than its map is wide puts the Sun in the middle of the
    // height (275 of 550): a planet 274 px below still fits, 275 px does not.
    constexpr int kShortHeight = 550;
    constexpr int kShortCy = kShortHeight / 2;
    Place(kSaturn, kBelow, 275.0 / kZoom);
    const auto atBottom = Draw(kZoom, kShortHeight);
    EXPECT_EQ(GlyphCellsShown(*atBottom, kShortHeight, kSaturn, {kC, kShortCy + 275}), 0);
    Place(kSaturn, kBelow, 274.0 / kZoom);
    const auto inside = Draw(kZoom, kShortHeight);
    EXPECT_GT(GlyphCellsShown(*inside, kShortHeight, kSaturn, {kC, kShortCy + 274}), 0);
}

// The map is the area left of the panel. At every window size the Sun sits
// in it, every orbit drawn is a whole circle inside it, and zooming in does
// not cut the Earth's orbit; at the restored size (map taller than wide) the
// Sun keeps its place as far from the top as from the left.
TEST_F(HeliocentricChartTest, TheMapStaysCentredAndWholeAtEveryWindowSize)
{
    Place(kEarth, kLeft, 1.0);
    Place(kJupiter, kRight, 5.2);
    Place(kSaturn, kRight, 9.5);
    const struct {
        int width, height, sunX, sunY;
    } sizes[] = {
        {1018, 690, 339, 339},   // restored 1024 x 750
        {1920, 1042, 790, 521},  // maximised at 1920 x 1080
        {3840, 2110, 1750, 1055},
        {1280, 990, 470, 470},
    };
    for (const auto& size : sizes) {
        for (const int zoom : {10, 100, 210, 300}) {
            SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height) +
                         " zoom " + std::to_string(zoom));
            Canvas canvas(size.width, size.height);
            canvas.dc().SetBkColor(kBlack);
            DrawHeliocentricChart(canvas.dc(), state_, size.height, size.width, zoom, 0, 0,
                                  preferences_);
            EXPECT_EQ(GlyphCellsShown(canvas, size.height, kSun, {size.sunX, size.sunY},
                                      size.width),
                      GlyphCells(kSun));
            // Orbit pixels: as far above the Sun as below it, as far left
            // as right: no circle is cut by an edge of the map.
            int up = 0, down = 0, left = 0, right = 0;
            const int x0 = size.width - 340;
            for (int y = 0; y < size.height; ++y) {
                for (int x = 0; x < x0; ++x) {
                    if (canvas.At(x, y) != kOrbitPen) continue;
                    up = std::max(up, size.sunY - y);
                    down = std::max(down, y - size.sunY);
                    left = std::max(left, size.sunX - x);
                    right = std::max(right, x - size.sunX);
                }
            }
            EXPECT_LE(std::abs(up - down), 1) << up << " above, " << down << " below";
            EXPECT_LE(std::abs(left - right), 1) << left << " left, " << right << " right";
            // The Earth's orbit is always there, and whole.
            if (zoom >= 100) {
                EXPECT_GE(std::min(up, down), static_cast<int>(zoom * 1.0) - 1);
            }
        }
    }
}

TEST_F(HeliocentricChartTest, PlanetsAtTheirHeliocentricLongitudes)
{
    constexpr int kZoom = 120;
    const auto canvas = Draw(kZoom);
    // Longitude 90 right of the Sun, 180 below, 270 left, 0 above.
    EXPECT_TRUE(OnMap(*canvas, kMercury, kZoom));
    EXPECT_EQ(Expected(kMercury, kZoom), QPoint(345, 300));
    EXPECT_TRUE(OnMap(*canvas, kVenus, kZoom));
    EXPECT_EQ(Expected(kVenus, kZoom), QPoint(300, 390));
    EXPECT_TRUE(OnMap(*canvas, kEarth, kZoom));
    EXPECT_EQ(Expected(kEarth, kZoom), QPoint(180, 300));
    EXPECT_TRUE(OnMap(*canvas, kMars, kZoom));
    EXPECT_EQ(Expected(kMars, kZoom), QPoint(300, 120));
    // Too far out to fit left of the panel.
    EXPECT_FALSE(OnMap(*canvas, kJupiter, kZoom));
}

TEST_F(HeliocentricChartTest, TableRowsForMercuryToNeptune)
{
    state_.helioLongitude[kMercury] = 118.82333333;
    state_.helioLatitude[kMercury] = 23.44;
    state_.helioLatitude[kVenus] = 0;
    Place(kEarth, kLeft, 0.98);
    const auto canvas = Draw(210);

    const char* names[] = {"Mercury", "Venus",  "Earth",  "Mars",
                           "Jupiter", "Saturn", "Uranus", "Neptune"};
    for (int k = 0; k < 8; ++k) {
        const TextCall* name = Find(*canvas, QString::fromLatin1(names[k]));
        ASSERT_NE(name, nullptr) << names[k];
        EXPECT_EQ(name->position, QPoint(kX0 + 30, 80 + 23 * k - 8)) << names[k];
        EXPECT_EQ(name->color, BodyColor(k + 1)) << names[k];
    }
    EXPECT_EQ(Find(*canvas, "Pluto"), nullptr);
    EXPECT_EQ(Find(*canvas, "Moon"), nullptr);
    EXPECT_EQ(Find(*canvas, "Sun"), nullptr);

    const auto expectText = [&](const QString& text, QPoint position) {
        const TextCall* call = Find(*canvas, text);
        ASSERT_NE(call, nullptr) << text.toStdString();
        EXPECT_EQ(call->position, position) << text.toStdString();
        EXPECT_EQ(call->color, kWhite) << text.toStdString();
    };
    expectText(QString::fromUtf8("118\u00b0 49' 24.0\""), {kX0 + 90, 72});
    expectText(QString::fromUtf8("+ 23\u00b0 26' 24.0\""), {kX0 + 180, 72});
    // Zero latitude counts as not positive.
    expectText(QString::fromUtf8("-  00\u00b0 00' 00.0\""), {kX0 + 180, 72 + 23});
    expectText("0.375000", {kX0 + 280, 72});
    expectText("0.980000", {kX0 + 280, 72 + 23 * 2});
    expectText("19.20000", {kX0 + 280, 72 + 23 * 6});
    expectText("30.00000", {kX0 + 280, 72 + 23 * 7});

    // Big symbols at (x0 + 20, y - 2): Mercury's row 0 (0x66) has its
    // first block at column 1.
    EXPECT_EQ(canvas->At(kX0 + 20 - 9 + 2, 78 - 9), BodyColor(kMercury));
    EXPECT_EQ(canvas->At(kX0 + 20 - 9, 78 - 9), kBlack);
}

TEST_F(HeliocentricChartTest, CaptionHeaderAndFrame)
{
    state_.shownYear = 2006;
    state_.shownMonth = 3;
    state_.shownDay = 21;
    state_.shownHour = 20;
    state_.shownMinute = 5;
    state_.shownSecond = 9;
    state_.dst = 1;
    const auto canvas = Draw(210);

    const TextCall* caption = Find(*canvas, "03/21/2006 AD  08:05:09 PM*");
    ASSERT_NE(caption, nullptr);
    // 45 pixels into the panel, or as far left as the whole caption, its
    // daylight-saving mark included, needs to end inside the window.
    const int captionWidth =
        QFontMetrics(ChartFont(ChartFontUse::HeliocentricCaption)).horizontalAdvance(caption->text);
    EXPECT_EQ(caption->position, QPoint(std::min(kX0 + 45, kWidth - 4 - captionWidth), 8));
    EXPECT_LE(caption->position.x() + captionWidth, kWidth);
    EXPECT_EQ(caption->color, kYellow);
    EXPECT_EQ(caption->font, ChartFont(ChartFontUse::HeliocentricCaption));

    struct Header {
        const char* text;
        int dx;
    };
    for (const Header& header : {Header{"Planet", 12}, Header{"Longitude", 88},
                                 Header{"   Latitude", 173}, Header{"AU from Sun", 255}}) {
        const TextCall* call = Find(*canvas, QString::fromLatin1(header.text));
        ASSERT_NE(call, nullptr) << header.text;
        EXPECT_EQ(call->position, QPoint(kX0 + header.dx, 48)) << header.text;
        EXPECT_EQ(call->color, kHeaderGrey) << header.text;
        // The chart's font; the last heading narrower where it would
        // otherwise run off the window.
        EXPECT_EQ(call->font.family(), ChartFont(ChartFontUse::ChartText).family()) << header.text;
        EXPECT_EQ(call->font.pixelSize(), ChartFont(ChartFontUse::ChartText).pixelSize());
        canvas->dc().SelectFont(call->font);
        EXPECT_LE(call->position.x() + canvas->dc().TextExtent(call->text).width(), kWidth - 2);
    }

    // The heliocentric key help, with the zoom keys, under the table.
    const TextCall* farther = Find(*canvas, "Farther");
    ASSERT_NE(farther, nullptr);
    EXPECT_EQ(farther->position, QPoint(kX0 - 7 + 285, 264 - 45 + 117));

    EXPECT_EQ(canvas->At(kX0 + 100, 40), kOrbitPen);
    EXPECT_EQ(canvas->At(kX0 + 100, 264), kWhite);
    EXPECT_EQ(canvas->At(kX0 + 100, 475), kWhite);
    EXPECT_EQ(canvas->At(kX0, 700), kWhite);
    EXPECT_EQ(canvas->At(kX0 - 1, 700), kBlack);
}

TEST_F(HeliocentricChartTest, SunAsADotLeavesItsColourForTheHeaderRule)
{
    preferences_.planetMode = kPlanetModeDots;
    const auto canvas = Draw(210);
    EXPECT_EQ(canvas->At(kC, kC), BodyColor(kSun));
    EXPECT_EQ(canvas->At(kC - 2, kC - 2), BodyColor(kSun));
    EXPECT_EQ(canvas->At(kX0 + 100, 40), BodyColor(kSun));
}

TEST_F(HeliocentricChartTest, ThroughTheOffscreenSurfaceOntoABlackWindow)
{
    QImage window(kWidth, kHeight, QImage::Format_RGB32);
    window.fill(qRgb(90, 90, 90));
    QPainter painter(&window);
    painter.setBackground(QColor(kBlack));
    skydata::IntRect link{1, 2, 3, 4};
    DrawHeliocentricChart(painter, OutputKind::Window, state_, kHeight, kWidth, 100, link, 0, 0,
                          preferences_);
    painter.end();
    EXPECT_EQ(window.pixel(kC, kC - 100) | 0xff000000u, kOrbitPen);
    EXPECT_EQ(window.pixel(kC - 120, kC) | 0xff000000u, kBlack);
    EXPECT_EQ(window.pixel(kWidth - 1, kHeight - 1) | 0xff000000u, kBlack);
    EXPECT_EQ(link, (skydata::IntRect{1, 2, 3, 4}));
}

}  // namespace
}  // namespace skyvane::render
