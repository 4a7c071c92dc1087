// Night mode: the colour filter of the drawing context. Every primitive and
// every chart drawn inside a night scope has no green or blue and no red
// above the night maximum, and is exactly the night mapping of the same
// frame drawn in colour: nothing reaches the pixels around the filter.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/sky.h"
#include "render/color_filter.h"
#include "render/draw_context.h"
#include "render/geocentric_chart.h"
#include "render/heliocentric_chart.h"
#include "render/horizontal_chart.h"
#include "render/intro_screen.h"
#include "render/object_panel.h"
#include "render_test_canvas.h"
#include "skydata/click_rects.h"
#include "skydata/data_file.h"
#include "skydata/sky_data.h"
#include "tests/zurich_sky.h"

namespace skyvane::render {
namespace {

using test::Canvas;

constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kWhite = qRgb(255, 255, 255);

// What night mode promises of every pixel: red only, and dim.
struct NightCheck {
    int greenOrBlue = 0;  // pixels with any green or blue
    int tooBright = 0;    // pixels redder than the night maximum
    int lit = 0;          // pixels that are not black
};

NightCheck CheckNight(const QImage& image)
{
    NightCheck check;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qGreen(p) != 0 || qBlue(p) != 0) ++check.greenOrBlue;
            if (qRed(p) > kNightMaxRed) ++check.tooBright;
            if ((p & 0xffffffu) != 0) ++check.lit;
        }
    }
    return check;
}

TEST(NightColorTest, KeepsBrightnessOrderAndDropsGreenAndBlue)
{
    EXPECT_EQ(NightColor(kBlack), kBlack);
    EXPECT_EQ(NightColor(kWhite), qRgb(kNightMaxRed, 0, 0));
    int previous = -1;
    for (int grey = 0; grey <= 255; ++grey) {
        const QRgb night = NightColor(qRgb(grey, grey, grey));
        ASSERT_EQ(qGreen(night) | qBlue(night), 0) << grey;
        ASSERT_GE(qRed(night), previous) << "greys must not get darker as they brighten: " << grey;
        previous = qRed(night);
    }
    // The charts' pure colours stay visible; none outshines white.
    for (const QRgb pure : {qRgb(0, 0, 255), qRgb(0, 255, 0), qRgb(255, 0, 0), qRgb(255, 255, 0)}) {
        const int red = qRed(NightColor(pure));
        EXPECT_GE(red, kNightMaxRed / 2) << std::hex << pure;
        EXPECT_LE(red, kNightMaxRed) << std::hex << pure;
    }
    // A brighter colour of the same hue is a brighter red.
    EXPECT_LT(qRed(NightColor(qRgb(20, 60, 20))), qRed(NightColor(qRgb(40, 120, 40))));
    EXPECT_EQ(FilteredColor(ColorFilter::kNone, qRgb(12, 34, 56)), qRgb(12, 34, 56));
}

// A picture with every kind of pixel: black, white, colours, greys.
QImage TestPicture(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, qRgb((x * 37) % 256, (y * 59) % 256, ((x + y) * 23) % 256));
    picture.setPixel(0, 0, kBlack);
    picture.setPixel(1, 0, kWhite);
    return picture;
}

struct PrimitiveCase {
    const char* name;
    std::function<void(DrawContext&)> draw;
};

TEST(NightDrawContextTest, EveryPrimitiveDrawsDimRedOnly)
{
    const std::vector<PrimitiveCase> cases = {
        {"pixel", [](DrawContext& dc) { dc.SetPixel(5, 5, qRgb(0, 255, 0)); }},
        {"solid box", [](DrawContext& dc) { dc.FillSolidRect(2, 2, 40, 30, qRgb(80, 160, 255)); }},
        {"rectangle",
         [](DrawContext& dc) {
             dc.SetPen(qRgb(0, 0, 255));
             dc.SetBrush(qRgb(255, 255, 0));
             dc.Rectangle(3, 3, 60, 40);
         }},
        {"ellipse, rim and inside",
         [](DrawContext& dc) {
             dc.SetPen(kWhite);
             dc.SetBrush(qRgb(36, 36, 144));
             dc.Ellipse(10, 10, 90, 70);
         }},
        {"wide ellipse",
         [](DrawContext& dc) {
             dc.SetPen(qRgb(0, 220, 0), 3);
             dc.SetNullBrush();
             dc.Ellipse(10, 10, 90, 70);
         }},
        {"lines",
         [](DrawContext& dc) {
             dc.SetPen(qRgb(70, 70, 220));
             dc.Line(0, 0, 150, 90);
             dc.SetPen(qRgb(255, 160, 80), 4);
             dc.Line(150, 0, 0, 90);
         }},
        {"polygon",
         [](DrawContext& dc) {
             const QPoint points[] = {{10, 10}, {120, 20}, {60, 100}};
             dc.SetPen(qRgb(146, 255, 208));
             dc.SetBrush(qRgb(212, 52, 246));
             dc.Polygon(points, 3);
         }},
        {"opaque text",
         [](DrawContext& dc) {
             dc.SetTextColor(qRgb(128, 128, 255));
             dc.SetBkColor(qRgb(0, 0, 90));
             dc.TextOut(4, 4, QStringLiteral("Neptune 12h 34m"));
         }},
        {"picture, OR copy", [](DrawContext& dc) { dc.CopyOr(5, 5, TestPicture(100, 80)); }},
        {"picture, AND copy over white",
         [](DrawContext& dc) {
             dc.FillSolidRect(0, 0, 200, 120, kWhite);
             dc.CopyAnd(5, 5, TestPicture(100, 80));
         }},
    };
    for (const PrimitiveCase& c : cases) {
        Canvas day;
        c.draw(day.dc());
        Canvas night;
        night.dc().SetColorFilter(ColorFilter::kNight);
        c.draw(night.dc());
        QImage dayImage(200, 120, QImage::Format_RGB32);
        QImage nightImage(200, 120, QImage::Format_RGB32);
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 200; ++x) {
                dayImage.setPixel(x, y, day.At(x, y));
                nightImage.setPixel(x, y, night.At(x, y));
            }
        const NightCheck check = CheckNight(nightImage);
        EXPECT_EQ(check.greenOrBlue, 0) << c.name;
        EXPECT_EQ(check.tooBright, 0) << c.name;
        EXPECT_GT(check.lit, 0) << c.name << ": nothing drawn";
        // The day frame really had colour in it, so the test says something.
        EXPECT_GT(CheckNight(dayImage).greenOrBlue, 0) << c.name;
    }
}

TEST(NightDrawContextTest, ColoursReadBackAsAskedSoASavedPenComesBackTheSame)
{
    Canvas canvas;
    DrawContext& dc = canvas.dc();
    dc.SetColorFilter(ColorFilter::kNight);
    const QRgb yellow = qRgb(255, 255, 0);
    dc.SetPen(yellow);
    dc.SetBrush(yellow);
    dc.SetTextColor(yellow);
    dc.SetBkColor(kBlack);
    EXPECT_EQ(dc.Pen(), yellow);
    EXPECT_EQ(dc.Brush(), yellow);
    EXPECT_EQ(dc.TextColor(), yellow);
    // A star marker saves the pen, draws with its own and puts it back:
    // the pen put back must not pass through the filter twice.
    const auto saved = dc.Pen();
    dc.SetPen(kWhite);
    dc.SetPen(*saved);
    dc.Line(0, 10, 50, 10);
    EXPECT_EQ(canvas.At(20, 10), NightColor(yellow));
    // Switching the filter off redraws in the colours asked for.
    dc.SetColorFilter(ColorFilter::kNone);
    dc.Line(0, 20, 50, 20);
    EXPECT_EQ(canvas.At(20, 20), yellow);
    // Texts are recorded in the colours drawn.
    dc.SetColorFilter(ColorFilter::kNight);
    dc.SetRecordText(true);
    dc.TextOut(0, 40, QStringLiteral("M42"));
    ASSERT_EQ(dc.RecordedText().size(), 1u);
    EXPECT_EQ(dc.RecordedText()[0].color, NightColor(yellow));
}

TEST(NightDrawContextTest, PicturesAddTheirLightWithoutBrighteningEachOther)
{
    // 96 | 64 is 224: a bitwise OR of two dim reds would outshine both.
    const QRgb under = qRgb(96 * 255 / kNightMaxRed, 96 * 255 / kNightMaxRed, 96 * 255 / kNightMaxRed);
    QImage picture(4, 1, QImage::Format_RGB32);
    picture.setPixel(0, 0, kBlack);
    picture.setPixel(1, 0, kWhite);
    picture.setPixel(2, 0, qRgb(100, 100, 100));
    picture.setPixel(3, 0, qRgb(0, 0, 255));
    Canvas canvas(8, 2);
    canvas.dc().SetColorFilter(ColorFilter::kNight);
    canvas.dc().FillSolidRect(0, 0, 8, 2, under);
    canvas.dc().CopyOr(0, 0, picture);
    for (int x = 0; x < 4; ++x) {
        const int expected = std::max(qRed(NightColor(under)), qRed(NightColor(picture.pixel(x, 0))));
        EXPECT_EQ(canvas.At(x, 0), qRgb(expected, 0, 0)) << x;
    }
    // An AND copy keeps what lies under white and clears under black.
    canvas.dc().CopyAnd(0, 1, picture);
    EXPECT_EQ(canvas.At(0, 1), kBlack);
    EXPECT_EQ(canvas.At(1, 1), NightColor(under));
}

TEST(NightDrawContextTest, ContextsTakeTheFilterOfTheScopeTheyAreMadeIn)
{
    QImage image(4, 4, QImage::Format_RGB32);
    QPainter painter(&image);
    EXPECT_EQ(CurrentColorFilter(), ColorFilter::kNone);
    {
        const ScopedColorFilter night(ColorFilter::kNight);
        EXPECT_EQ(DrawContext(painter, QPoint(), &image).Filter(), ColorFilter::kNight);
        {
            const ScopedColorFilter day(ColorFilter::kNone);
            EXPECT_EQ(DrawContext(painter, QPoint(), &image).Filter(), ColorFilter::kNone);
        }
        EXPECT_EQ(CurrentColorFilter(), ColorFilter::kNight);
    }
    EXPECT_EQ(CurrentColorFilter(), ColorFilter::kNone);
    EXPECT_EQ(DrawContext(painter, QPoint(), &image).Filter(), ColorFilter::kNone);
}

// ------------------------------------------------------------- the charts

constexpr int kWidth = 1280;
constexpr int kHeight = 800;

enum class Chart { kHorizontal, kGeocentric, kHeliocentric, kIntro };

class NightChartTest : public ::testing::Test {
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

    NightChartTest()
    {
        // Zurich on a December night with a bright Moon in its picture, a
        // full sky of stars, figures and Messier objects.
        state_ = ZurichDecemberEvening(20);
        engine::SkyCalculator().ComputeSky(state_);
    }

    QImage Draw(Chart chart, ColorFilter filter, int ratio, const ObjectSelection& selection)
    {
        QImage image(kWidth * ratio, kHeight * ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::black);
        auto clicks = std::make_unique<skydata::CatalogueClickRects>();
        skydata::IntRect link{};
        QPainter painter(&image);
        painter.setBackground(QColor(0, 0, 0));
        const ScopedColorFilter scope(filter);
        const auto window = OutputKind::Window;
        switch (chart) {
        case Chart::kHorizontal:
            DrawHorizontalChart(painter, window, state_, kHeight, kWidth, 210, link, 0, 0,
                                *data_->catalogue, *clicks, preferences_, selection);
            break;
        case Chart::kGeocentric:
            DrawGeocentricChart(painter, window, state_, kHeight, kWidth, 210, link, 0, 0,
                                *data_->catalogue, *clicks, preferences_, selection);
            break;
        case Chart::kHeliocentric:
            DrawHeliocentricChart(painter, window, state_, kHeight, kWidth, 210, link, 0, 0,
                                  preferences_, selection.highlightedBody);
            break;
        case Chart::kIntro:
            DrawIntroScreen(painter, kHeight, kWidth, true, *data_);
            break;
        }
        return image;
    }

    static std::shared_ptr<const skydata::SkyData> data_;
    engine::SkyState state_{};
    DisplayPreferences preferences_;
};

std::shared_ptr<const skydata::SkyData> NightChartTest::data_;

struct ChartCase {
    const char* name;
    Chart chart;
    int ratio;
    ObjectSelection selection;
    bool spectral;
};

ObjectSelection Selecting(int star, int messier, bool help, int body = -1)
{
    ObjectSelection s;
    s.selectedStar = star;
    s.selectedDeepSky = messier;
    s.helpOverlay = help;
    s.highlightedBody = body;
    return s;
}

TEST_F(NightChartTest, EveryChartIsTheNightMappingOfItsColourFrame)
{
    constexpr int kOrionNebula = 41;  // M42, up on a December evening
    const std::vector<ChartCase> cases = {
        {"horizontal, navigation keys", Chart::kHorizontal, 1, Selecting(-1, -1, false), false},
        {"horizontal, spectral stars", Chart::kHorizontal, 1, Selecting(-1, -1, false), true},
        {"horizontal, Messier panel", Chart::kHorizontal, 1, Selecting(-1, kOrionNebula, false),
         false},
        {"horizontal, help overlay", Chart::kHorizontal, 1, Selecting(-1, -1, true), false},
        {"horizontal, high density", Chart::kHorizontal, 2, Selecting(-1, kOrionNebula, false),
         false},
        {"geocentric, framed body", Chart::kGeocentric, 1, Selecting(-1, -1, false, 5), false},
        {"geocentric, high density", Chart::kGeocentric, 2, Selecting(-1, -1, false), true},
        {"heliocentric", Chart::kHeliocentric, 1, Selecting(-1, -1, false, 4), false},
        {"intro screen", Chart::kIntro, 1, Selecting(-1, -1, false), false},
    };
    for (const ChartCase& c : cases) {
        preferences_.starColor = c.spectral ? kStarsSpectral : kStarsWhite;
        const QImage day = Draw(c.chart, ColorFilter::kNone, c.ratio, c.selection);
        const QImage night = Draw(c.chart, ColorFilter::kNight, c.ratio, c.selection);
        const NightCheck check = CheckNight(night);
        EXPECT_EQ(check.greenOrBlue, 0) << c.name;
        EXPECT_EQ(check.tooBright, 0) << c.name;
        EXPECT_GT(check.lit, 5000) << c.name << ": the chart is missing";
        int different = 0;
        QPoint first;
        for (int y = 0; y < day.height(); ++y)
            for (int x = 0; x < day.width(); ++x)
                if ((night.pixel(x, y) | 0xff000000u) != NightColor(day.pixel(x, y)) &&
                    different++ == 0)
                    first = QPoint(x, y);
        EXPECT_EQ(different, 0) << c.name << ": first at " << first.x() << "," << first.y()
                                << " drawn " << std::hex << night.pixel(first)
                                << " for the colour " << day.pixel(first);
    }
}

}  // namespace
}  // namespace skyvane::render
