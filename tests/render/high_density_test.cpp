// The charts on a high-density screen: drawn at the screen's own
// resolution (not a doubled 1x picture), with every position, click box and
// pick in the same logical pixels as at 1x.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/sky.h"
#include "render/body_symbols.h"
#include "render/display_preferences.h"
#include "render/draw_context.h"
#include "render/geocentric_chart.h"
#include "render/heliocentric_chart.h"
#include "render/horizontal_chart.h"
#include "render/object_panel.h"
#include "render/offscreen_dc.h"
#include "skydata/click_rects.h"
#include "skydata/data_file.h"
#include "skydata/sky_data.h"
#include "tests/zurich_sky.h"

namespace skyvane::render {
namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 800;

enum class Chart { kHorizontal, kGeocentric, kHeliocentric };

struct Frame {
    QImage image;
    std::unique_ptr<skydata::CatalogueClickRects> clicks =
        std::make_unique<skydata::CatalogueClickRects>();
    skydata::IntRect link{};
};

class HighDensityTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::vector<unsigned char> bytes;
        ASSERT_TRUE(skydata::ReadDataFile(std::filesystem::path(SKYVANE_DATAS_BIN), bytes));
        skydata::SkyDataStore store;
        ASSERT_TRUE(store.Load(bytes));
        data_ = store.Current();
    }
    static void TearDownTestSuite() { data_.reset(); }

    HighDensityTest()
    {
        // Zurich on a December night: thousands of stars, figures, Messier
        // objects, and the Moon in its picture.
        state_ = ZurichDecemberEvening();
        engine::SkyCalculator().ComputeSky(state_);
    }

    // The chart as the window draws it, onto a target of `ratio` device
    // pixels per pixel.
    Frame Draw(Chart chart, int ratio, const ObjectSelection& selection = {})
    {
        Frame frame;
        frame.image = QImage(kWidth * ratio, kHeight * ratio, QImage::Format_RGB32);
        frame.image.setDevicePixelRatio(ratio);
        frame.image.fill(Qt::red);
        QPainter painter(&frame.image);
        painter.setBackground(QColor(0, 0, 0));
        const auto window = OutputKind::Window;
        switch (chart) {
        case Chart::kHorizontal:
            DrawHorizontalChart(painter, window, state_, kHeight, kWidth, 210, frame.link, 0, 0,
                                *data_->catalogue, *frame.clicks, preferences_, selection);
            break;
        case Chart::kGeocentric:
            DrawGeocentricChart(painter, window, state_, kHeight, kWidth, 210, frame.link, 0, 0,
                                *data_->catalogue, *frame.clicks, preferences_, selection);
            break;
        case Chart::kHeliocentric:
            DrawHeliocentricChart(painter, window, state_, kHeight, kWidth, 210, frame.link, 0,
                                  0, preferences_);
            break;
        }
        return frame;
    }

    // Aligned 2 x 2 blocks of the picture that are not one colour: a 1x
    // picture doubled has none.
    static int MixedBlocks(const QImage& image, const QRect& logical)
    {
        int mixed = 0;
        for (int y = logical.top(); y <= logical.bottom(); ++y) {
            for (int x = logical.left(); x <= logical.right(); ++x) {
                const QRgb a = image.pixel(2 * x, 2 * y);
                if (image.pixel(2 * x + 1, 2 * y) != a || image.pixel(2 * x, 2 * y + 1) != a ||
                    image.pixel(2 * x + 1, 2 * y + 1) != a)
                    ++mixed;
            }
        }
        return mixed;
    }

    static std::shared_ptr<const skydata::SkyData> data_;
    engine::SkyState state_{};
    DisplayPreferences preferences_;
};

std::shared_ptr<const skydata::SkyData> HighDensityTest::data_;

TEST_F(HighDensityTest, TwiceThePixelsAreDrawnNotDoubled)
{
    for (const Chart chart : {Chart::kHorizontal, Chart::kGeocentric, Chart::kHeliocentric}) {
        SCOPED_TRACE(static_cast<int>(chart));
        const Frame doubled = Draw(chart, 2);
        ASSERT_EQ(doubled.image.size(), QSize(2 * kWidth, 2 * kHeight));
        // The whole surface is painted: nothing of the target shows through.
        EXPECT_NE(doubled.image.pixel(2 * kWidth - 1, 2 * kHeight - 1), qRgb(255, 0, 0));
        EXPECT_NE(doubled.image.pixel(0, 0), qRgb(255, 0, 0));
        // Texts, lines and markers have edges finer than a pixel.
        EXPECT_GT(MixedBlocks(doubled.image, QRect(0, 0, kWidth, kHeight)), 2000);
    }
    // The panel's texts in particular.
    const Frame horizontal = Draw(Chart::kHorizontal, 2);
    EXPECT_GT(MixedBlocks(horizontal.image, QRect(kWidth - 300, 60, 300, 210)), 300);
}

TEST_F(HighDensityTest, EverythingSitsWhereItSitsAt1x)
{
    const Frame single = Draw(Chart::kHorizontal, 1);
    const Frame doubled = Draw(Chart::kHorizontal, 2);
    // Read back at the centres of the logical pixels, the 2x picture is the
    // 1x one almost everywhere: only edges and letters differ.
    int differing = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (single.image.pixel(x, y) != doubled.image.pixel(2 * x + 1, 2 * y + 1)) ++differing;
    EXPECT_LT(differing, kWidth * kHeight / 30);

    // The same click boxes for every star and Messier object.
    int drawn = 0;
    for (int i = 0; i < skydata::kStarCapacity; ++i) {
        const skydata::IntRect& a = single.clicks->stars[static_cast<std::size_t>(i)];
        const skydata::IntRect& b = doubled.clicks->stars[static_cast<std::size_t>(i)];
        ASSERT_TRUE(a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom)
            << "star " << i;
        if (a.right > a.left) ++drawn;
    }
    EXPECT_GT(drawn, 1000);
    for (int i = 0; i < skydata::kDeepSkyCapacity; ++i) {
        const skydata::IntRect& a = single.clicks->deepSky[static_cast<std::size_t>(i)];
        const skydata::IntRect& b = doubled.clicks->deepSky[static_cast<std::size_t>(i)];
        ASSERT_TRUE(a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom)
            << "Messier " << i;
    }

    // The brighter stars' markers are lit at the same logical pixels.
    const skydata::SkyCatalogue& catalogue = *data_->catalogue;
    int checked = 0;
    for (int i = 0; i < catalogue.starCount; ++i) {
        const skydata::IntRect& r = single.clicks->stars[static_cast<std::size_t>(i)];
        if (r.right - r.left < 6) continue;  // class 3 markers only
        const int x = (r.left + r.right) / 2;
        const int y = (r.top + r.bottom) / 2;
        EXPECT_EQ(doubled.image.pixel(2 * x + 1, 2 * y + 1), single.image.pixel(x, y)) << i;
        ++checked;
    }
    EXPECT_GT(checked, 10);
}

TEST_F(HighDensityTest, PickingHitsTheSameObjectsAndTheLink)
{
    const Frame single = Draw(Chart::kHorizontal, 1);
    const Frame doubled = Draw(Chart::kHorizontal, 2);
    const skydata::SkyCatalogue& catalogue = *data_->catalogue;
    int star = -1;
    for (int i = catalogue.starCount - 1; i > 0 && star < 0; --i) {
        const skydata::IntRect& r = doubled.clicks->stars[static_cast<std::size_t>(i)];
        if (r.right > r.left && catalogue.stars[static_cast<std::size_t>(i)].hasInfoPage) star = i;
    }
    ASSERT_GT(star, 0);
    const skydata::IntRect& r = doubled.clicks->stars[static_cast<std::size_t>(star)];
    const QPoint centre((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ObjectSelection picked1x;
    ObjectSelection picked2x;
    PickObject(centre, catalogue, *single.clicks, single.link, picked1x);
    PickObject(centre, catalogue, *doubled.clicks, doubled.link, picked2x);
    EXPECT_EQ(picked2x, picked1x);
    EXPECT_GE(picked2x.selectedStar, 0);

    // With the star selected, its panel's link button lies at the same
    // logical place in both pictures.
    const Frame selected1x = Draw(Chart::kHorizontal, 1, picked1x);
    const Frame selected2x = Draw(Chart::kHorizontal, 2, picked2x);
    EXPECT_GT(selected2x.link.right, selected2x.link.left);
    EXPECT_TRUE(selected1x.link.left == selected2x.link.left &&
                selected1x.link.top == selected2x.link.top &&
                selected1x.link.right == selected2x.link.right &&
                selected1x.link.bottom == selected2x.link.bottom);
}

// Planet symbols at 2x and 3x are drawn at the screen's resolution (not an
// 8 x 8 bitmap with every cell a block), in the body's colour and inside the
// box the bitmap fills at 1x.
TEST(HighDensitySymbolTest, PlanetSymbolsAreDrawnAtDeviceResolutionInTheirBoxes)
{
    for (const int ratio : {2, 3}) {
        for (const int mode : {kPlanetModeSmallSymbols, kPlanetModeBigSymbols}) {
            const bool big = mode == kPlanetModeBigSymbols;
            const QRect box = big ? QRect(20 - 9, 20 - 9, 16, 16) : QRect(20 - 4, 20 - 4, 8, 8);
            for (int body = 0; body < engine::kBodyCount; ++body) {
                SCOPED_TRACE(std::to_string(ratio) + "x mode " + std::to_string(mode) + " body " +
                             std::to_string(body));
                QImage image(40 * ratio, 40 * ratio, QImage::Format_RGB32);
                image.setDevicePixelRatio(ratio);
                image.fill(Qt::black);
                {
                    QPainter painter(&image);
                    DrawContext dc(painter, QPoint(0, 0), &image);
                    DrawBodySymbol(dc, body, 20, 20, mode);
                }
                // Lit device pixels: all in the body's colour, all inside the
                // box (one device pixel of slack for the font's rounding).
                const QRect allowed(box.left() * ratio - 1, box.top() * ratio - 1,
                                    box.width() * ratio + 2, box.height() * ratio + 2);
                int lit = 0;
                int blocksMixed = 0;
                for (int y = 0; y < image.height(); ++y) {
                    for (int x = 0; x < image.width(); ++x) {
                        const QRgb p = image.pixel(x, y) | 0xff000000u;
                        if (p == qRgb(0, 0, 0)) continue;
                        ++lit;
                        EXPECT_EQ(p, BodyColor(body) | 0xff000000u) << x << "," << y;
                        EXPECT_TRUE(allowed.contains(x, y)) << x << "," << y;
                    }
                }
                // A doubled bitmap is made of whole ratio x ratio blocks.
                for (int y = 0; y + ratio <= image.height(); y += ratio) {
                    for (int x = 0; x + ratio <= image.width(); x += ratio) {
                        const QRgb a = image.pixel(x, y);
                        bool same = true;
                        for (int dy = 0; dy < ratio; ++dy)
                            for (int dx = 0; dx < ratio; ++dx)
                                same = same && image.pixel(x + dx, y + dy) == a;
                        if (!same) ++blocksMixed;
                    }
                }
                EXPECT_GT(lit, 10);
                EXPECT_GT(blocksMixed, 0);
            }
        }
    }
}

// The dark part of the Moon's picture is dark at every density: no row
// across the middle is left lit (the shadow's widest row, at the picture's
// centre, once began two device pixels left of the picture at 2x and was
// skipped). New Moon: the whole disc is dark.
TEST(HighDensitySymbolTest, TheDarkMoonHasNoLitRowAtAnyDensity)
{
    for (const int ratio : {1, 2, 3}) {
        for (const double phase : {0.0, 0.6, 0.75, 0.9}) {
            SCOPED_TRACE(std::to_string(ratio) + "x phase " + std::to_string(phase));
            QImage image(140 * ratio, 140 * ratio, QImage::Format_RGB32);
            image.setDevicePixelRatio(ratio);
            image.fill(Qt::black);
            {
                QPainter painter(&image);
                DrawContext dc(painter, QPoint(0, 0), &image);
                DrawMoonWithShadow(dc, 10, 10, phase);
            }
            const auto litInRow = [&](int y) {
                int lit = 0;
                for (int x = 0; x < image.width(); ++x)
                    if ((image.pixel(x, y) & 0xffffffu) != 0) ++lit;
                return lit;
            };
            const int middle = 70 * ratio;  // the picture's centre row
            if (phase == 0.0) {
                int litRows = 0;
                for (int y = 0; y < image.height(); ++y) litRows += litInRow(y) > 0 ? 1 : 0;
                EXPECT_EQ(litRows, 0);
            } else {
                // The lit part grows or shrinks smoothly from row to row.
                EXPECT_LE(litInRow(middle), litInRow(middle - 1) + ratio + 1);
                EXPECT_LE(litInRow(middle), litInRow(middle + 1) + ratio + 1);
                EXPECT_GT(litInRow(middle), 0);
            }
        }
    }
}

// The drawing primitives at 2x: a one-pixel line is one logical pixel
// wide, and an ellipse keeps its box.
TEST(HighDensityContextTest, ShapesKeepTheirLogicalBoxes)
{
    QImage image(100, 100, QImage::Format_RGB32);
    image.setDevicePixelRatio(2);
    image.fill(Qt::black);
    QPainter painter(&image);
    DrawContext dc(painter, QPoint(0, 0), &image);
    EXPECT_EQ(dc.Scale(), 2);
    dc.SetPen(qRgb(255, 255, 255));
    dc.Line(5, 10, 25, 10);
    // Columns 10..49, rows 20 and 21; the end point's pixel is not drawn.
    EXPECT_EQ(image.pixel(10, 20), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(49, 21), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(50, 20), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(10, 22), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(10, 19), qRgb(0, 0, 0));

    dc.SetPen(qRgb(0, 255, 0));
    dc.SetBrush(qRgb(0, 0, 255));
    dc.Ellipse(10, 20, 30, 40);  // device box 20..59 x 40..79
    EXPECT_EQ(image.pixel(20, 60), qRgb(0, 255, 0));   // left rim
    EXPECT_EQ(image.pixel(59, 60), qRgb(0, 255, 0));   // right rim
    EXPECT_EQ(image.pixel(19, 60), qRgb(0, 0, 0));     // outside the box
    EXPECT_EQ(image.pixel(60, 60), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(40, 60), qRgb(0, 0, 255));   // inside
    EXPECT_EQ(image.pixel(22, 60), qRgb(0, 0, 255));   // a rim two pixels thick
    EXPECT_EQ(image.pixel(21, 60), qRgb(0, 255, 0));
}

}  // namespace
}  // namespace skyvane::render
