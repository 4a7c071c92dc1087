// Page metrics and what they derive: the scale, the page size in device
// pixels, the printed star sizes and the heliocentric printer zoom.
#include "print/page_metrics.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>

#include <cmath>
#include <limits>

namespace skyvane::print {
namespace {

TEST(PageGeometry, ScaleAndSizeFollowTheResolutions)
{
    const auto at600 = PageGeometryOf({210, 297, 600, 600});
    ASSERT_TRUE(at600);
    EXPECT_DOUBLE_EQ(at600->scale, 6.25);
    EXPECT_NEAR(at600->width, 4960.63, 0.01);
    EXPECT_NEAR(at600->height, 7015.75, 0.01);
    EXPECT_EQ(at600->centreX, 2480);

    const auto at1200 = PageGeometryOf({210, 297, 1200, 1200});
    ASSERT_TRUE(at1200);
    EXPECT_DOUBLE_EQ(at1200->scale, 12.5);

    // Width goes with the horizontal resolution, height with the vertical.
    const auto unequal = PageGeometryOf({210, 297, 600, 300});
    ASSERT_TRUE(unequal);
    EXPECT_DOUBLE_EQ(unequal->width, at600->width);
    EXPECT_DOUBLE_EQ(unequal->height, at600->height / 2);
    EXPECT_DOUBLE_EQ(unequal->scale, 6.25);
}

TEST(PageGeometry, UnusableMetricsDescribeNoPage)
{
    EXPECT_FALSE(PageGeometryOf({}));
    EXPECT_FALSE(PageGeometryOf({0, 297, 600, 600}));
    EXPECT_FALSE(PageGeometryOf({210, 0, 600, 600}));
    EXPECT_FALSE(PageGeometryOf({210, 297, 0, 600}));
    EXPECT_FALSE(PageGeometryOf({210, 297, 600, 0}));
    EXPECT_FALSE(PageGeometryOf({-210, 297, 600, 600}));
    EXPECT_FALSE(PageGeometryOf({210, 297, 1000000, 600}));
    EXPECT_FALSE(PageGeometryOf({210, 297, 600, std::numeric_limits<int>::max()}));
    EXPECT_FALSE(PageGeometryOf({std::numeric_limits<int>::max(), 297, 600, 600}));
    // The largest real pages and resolutions still print.
    EXPECT_TRUE(PageGeometryOf({841, 1189, 2400, 2400}));
    EXPECT_TRUE(PageGeometryOf({210, 297, 1, 1}));
}

TEST(PageMetrics, ComeFromThePrintersPrintableArea)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setResolution(600);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(10, 12, 10, 8), QPageLayout::Millimeter);
    PageMetrics page = PageMetricsOf(printer);
    EXPECT_EQ(page.horzSizeMm, 190);
    EXPECT_EQ(page.vertSizeMm, 277);
    EXPECT_EQ(page.logPixelsX, 600);
    EXPECT_EQ(page.logPixelsY, 600);

    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setResolution(1200);
    page = PageMetricsOf(printer);
    EXPECT_GT(page.horzSizeMm, page.vertSizeMm);
    EXPECT_EQ(page.logPixelsX, 1200);
}

// Radii by magnitude band, in device pixels, at 600 and at 1200 dpi.
TEST(PrintedStarRadius, FollowsTheMagnitudeTable)
{
    struct Case {
        double magnitude;
        int at600;
        int at1200;
    };
    // Each band's own factor times 6.25 and 12.5, cut toward zero, and
    // anything above the cap (20 pixels at 600 dpi, 40 at 1200) drawn at
    // the cap.
    const Case cases[] = {
        {6.0, 5, 10},   {4.9, 5, 10},   {4.89, 6, 12},  {4.0, 6, 12},   {3.5, 8, 16},
        {3.0, 8, 16},   {2.5, 10, 20},  {2.0, 10, 20},  {1.5, 15, 31},  {1.0, 15, 31},
        {0.5, 17, 35},  {0.0, 17, 35},  {-0.5, 20, 40}, {-1.0, 20, 40}, {-1.5, 20, 40},
        {-2.0, 20, 40}, {-2.5, 20, 40}, {-27, 20, 40},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PrintedStarRadius(c.magnitude, 6.25), c.at600) << "m = " << c.magnitude;
        EXPECT_EQ(PrintedStarRadius(c.magnitude, 12.5), c.at1200) << "m = " << c.magnitude;
    }
}

TEST(PrintedStarRadius, NeverVanishesOrGrowsPastTheCap)
{
    // A screen-resolution preview: 0.8 x 1 would round a faint star away.
    EXPECT_EQ(PrintedStarRadius(5.5, 1.0), 1);
    EXPECT_EQ(PrintedStarRadius(std::nan(""), 6.25), 5);
    for (double scale = 0.5; scale < 40; scale += 0.37) {
        const int cap = std::max(1, static_cast<int>(20 * scale * 96 / 600));
        for (double m = -5; m < 8; m += 0.25) {
            const int r = PrintedStarRadius(m, scale);
            EXPECT_GE(r, 1);
            EXPECT_LE(r, cap);
        }
    }
}

// On paper as in the sky the brighter star is never the smaller dot, at
// any printer resolution.
TEST(PrintedStarRadius, NeverFallsAsTheStarGetsBrighter)
{
    for (const int dpi : {72, 150, 300, 600, 1200, 2400}) {
        const double scale = dpi / 96.0;
        int fainter = PrintedStarRadius(8, scale);
        for (double m = 8; m > -30; m -= 0.05) {
            const int r = PrintedStarRadius(m, scale);
            EXPECT_GE(r, fainter) << dpi << " dpi, m = " << m;
            fainter = r;
        }
    }
}

TEST(AtResolution, LengthsOfA600DpiPageScaleWithTheResolution)
{
    EXPECT_EQ(AtResolution(90, 600), 90);
    EXPECT_EQ(AtResolution(90, 1200), 180);
    EXPECT_EQ(AtResolution(90, 150), 22);
    EXPECT_EQ(AtResolution(200, 72), 24);
    EXPECT_EQ(AtResolution(1, 300), 0);
}

TEST(PrinterZoom, SixTimesPerWholeSixHundredDotsFromSixHundredUp)
{
    EXPECT_EQ(PrinterZoom(210, 600), 6 * 210);
    EXPECT_EQ(PrinterZoom(210, 1200), 12 * 210);
    EXPECT_EQ(PrinterZoom(210, 900), 6 * 210);
    EXPECT_EQ(PrinterZoom(10, 2400), 24 * 10);
}

TEST(PrinterZoom, BelowSixHundredDotsFollowsTheResolution)
{
    EXPECT_EQ(PrinterZoom(210, 300), 3 * 210);
    EXPECT_EQ(PrinterZoom(210, 96), 201);  // 6 x 210 x 96 / 600 = 201.6
    EXPECT_EQ(PrinterZoom(100, 599), 599);
    // Rising with the resolution, never falling back to zero.
    int previous = 0;
    for (int dpi = 1; dpi <= 1200; ++dpi) {
        const int zp = PrinterZoom(100, dpi);
        EXPECT_GE(zp, previous) << dpi;
        previous = zp;
    }
}

TEST(PrinterZoom, NonsenseGivesNoScaleAndHugeValuesStayBounded)
{
    EXPECT_EQ(PrinterZoom(0, 600), 0);
    EXPECT_EQ(PrinterZoom(-50, 600), 0);
    EXPECT_EQ(PrinterZoom(210, 0), 0);
    const int huge = PrinterZoom(std::numeric_limits<int>::max(), 9600);
    EXPECT_GT(huge, 0);
    EXPECT_LE(huge, 1000000);
}

}  // namespace
}  // namespace skyvane::print
