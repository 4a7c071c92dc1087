// The entry the sky window prints through: the chart by view mode onto the
// printer's painter, the intro screen as an empty page, and pages that
// cannot exist left empty.
#include "print/print_charts.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <memory>

#include "engine/body.h"
#include "page_canvas.h"

namespace skyvane::print {
namespace {

using test::kPaper;
using test::PageCanvas;

// A small page at screen resolution keeps these quick.
constexpr PageMetrics kPage{120, 160, 96, 96};

class PrintChartTest : public ::testing::Test {
public:
    PrintChartTest() : catalogue_(std::make_unique<skydata::SkyCatalogue>())
    {
        state_.latitude = 47;
        state_.siderealTime = 3;
        for (int body = 0; body < engine::kBodyCount; ++body) {
            state_.rightAscension[body] = 1.5 * body;
            state_.declination[body] = 4.0 * body - 20;
            state_.altitude[body] = 7.0 * body - 30;
            state_.helioLongitude[body] = 33.0 * body;
            state_.helioDistance[body] = 0.5 * body;
        }
        state_.locationName = "Bern";
        skydata::StarRecord& star = catalogue_->stars[1];
        star.ra = 2.5;
        star.dec = 40;
        star.magnitude = 1.2;
        catalogue_->starCount = 2;
    }

    // The page drawn through the printer's painter, as the sky window does.
    QImage ThroughPainter(int viewMode, const PageMetrics& metrics, bool& printed,
                          const render::ViewAim& aim = render::ViewAim::WholeSky())
    {
        QImage image(400, 700, QImage::Format_RGB32);
        image.fill(kPaper);
        QPainter painter(&image);
        printed =
            PrintChart(viewMode, painter, metrics, state_, *catalogue_, preferences_, 210, aim);
        painter.end();
        return image;
    }

    engine::SkyState state_{};
    std::unique_ptr<skydata::SkyCatalogue> catalogue_;
    render::DisplayPreferences preferences_;
};

bool AllPaper(const QImage& image)
{
    QImage paper(image.size(), image.format());
    paper.fill(kPaper);
    return image == paper;
}

TEST_F(PrintChartTest, IntroScreenPrintsAnEmptyPage)
{
    bool printed = false;
    EXPECT_TRUE(AllPaper(ThroughPainter(kViewIntro, kPage, printed)));
    EXPECT_TRUE(printed);
    // A mode no window has prints nothing either.
    EXPECT_TRUE(AllPaper(ThroughPainter(7, kPage, printed)));
}

TEST_F(PrintChartTest, PagesThatCannotExistStayEmpty)
{
    const PageMetrics unusable[] = {
        {0, 160, 96, 96},     {120, 0, 96, 96},        {120, 160, 0, 96},
        {120, 160, 96, 0},    {-120, 160, 96, 96},     {120, 160, 500000, 96},
        {120, 160, 96, -600}, {100000, 160, 96, 96},
    };
    for (const int mode : {kViewIntro, kViewHeliocentric, kViewGeocentric, kViewHorizontal}) {
        for (const PageMetrics& metrics : unusable) {
            bool printed = true;
            EXPECT_TRUE(AllPaper(ThroughPainter(mode, metrics, printed))) << mode;
            EXPECT_FALSE(printed) << mode;
        }
    }
}

// The printer's painter gets the very pixels a page image gets, for the
// chart its view mode names.
TEST_F(PrintChartTest, EachViewModePrintsItsChartOntoThePrintersPainter)
{
    struct Mode {
        int viewMode;
        bool (*direct)(PrintChartTest&, render::DrawContext&);
    };
    const Mode modes[] = {
        {kViewHorizontal,
         [](PrintChartTest& t, render::DrawContext& dc) {
             return PrintHorizontalChart(dc, kPage, t.state_, *t.catalogue_, t.preferences_);
         }},
        {kViewGeocentric,
         [](PrintChartTest& t, render::DrawContext& dc) {
             return PrintGeocentricChart(dc, kPage, t.state_, *t.catalogue_);
         }},
        {kViewHeliocentric,
         [](PrintChartTest& t, render::DrawContext& dc) {
             return PrintHeliocentricChart(dc, kPage, t.state_, 210);
         }},
    };
    for (const Mode& mode : modes) {
        bool printed = false;
        const QImage viaPainter = ThroughPainter(mode.viewMode, kPage, printed);
        EXPECT_TRUE(printed);
        EXPECT_FALSE(AllPaper(viaPainter));
        PageCanvas direct(400, 700);
        ASSERT_TRUE(mode.direct(*this, direct.dc()));
        EXPECT_TRUE(viaPainter == direct.Image()) << "view mode " << mode.viewMode;
    }
}

// A sky chart zoomed in prints its finder chart, on a portrait page; a
// field as wide as the chart's whole sky, or any aim on the other views,
// prints the view's own page.
TEST_F(PrintChartTest, AZoomedSkyChartPrintsItsFinderChart)
{
    struct Case {
        int viewMode;
        render::ViewAim aim;
        bool finder;
        bool landscape;
    };
    const render::SkyPoint centre{2.5, 40};
    const Case cases[] = {
        {kViewHorizontal, render::ViewAim::WholeSky(), false, false},
        {kViewHorizontal, render::ViewAim::At(centre, 30), true, false},
        {kViewHorizontal, render::ViewAim::At(centre, 179), true, false},
        {kViewHorizontal, render::ViewAim::At(centre, 180), false, false},
        {kViewGeocentric, render::ViewAim::WholeSky(), false, true},
        {kViewGeocentric, render::ViewAim::At(centre, 5), true, false},
        {kViewGeocentric, render::ViewAim::At(centre, 89), true, false},
        {kViewGeocentric, render::ViewAim::At(centre, 90), false, true},
        {kViewGeocentric, render::ViewAim::At(centre, 120), false, true},
        {kViewHeliocentric, render::ViewAim::At(centre, 5), false, false},
        {kViewIntro, render::ViewAim::At(centre, 5), false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "view " << c.viewMode << ", field " << c.aim.fieldDegrees);
        EXPECT_EQ(PrintsFinderChart(c.viewMode, c.aim), c.finder);
        EXPECT_EQ(PrintsLandscape(c.viewMode, c.aim), c.landscape);
        bool printed = false;
        const QImage page = ThroughPainter(c.viewMode, kPage, printed, c.aim);
        EXPECT_TRUE(printed);
        PageCanvas finder(400, 700);
        ASSERT_TRUE(PrintFinderChart(finder.dc(), kPage, c.viewMode == kViewHorizontal, state_,
                                     *catalogue_, preferences_, c.aim));
        bool wholeSkyPrinted = false;
        const QImage wholeSky = ThroughPainter(c.viewMode, kPage, wholeSkyPrinted);
        EXPECT_EQ(page == finder.Image(), c.finder);
        EXPECT_EQ(page == wholeSky, !c.finder);
    }
}

}  // namespace
}  // namespace skyvane::print
