#include "print/page_metrics.h"

#include <QPageLayout>
#include <QPrinter>

#include <algorithm>
#include <array>
#include <cmath>

#include "render/sky_mapping.h"

namespace skyvane::print {

namespace {

constexpr double kMillimetresPerInch = 25.4;
// The resolution the screen charts are laid out at.
constexpr double kScreenDotsPerInch = 96;

// Beyond these no printer goes: A0 is 1189 mm long and photo printers stop
// at a few thousand dots per inch. The largest page they allow is well
// inside the coordinates a drawing can hold.
constexpr int kMaxPageMillimetres = 1200;
constexpr int kMaxDotsPerInch = 9600;

int WholeMillimetres(double millimetres)
{
    if (!(millimetres > 0)) {
        return 0;
    }
    return static_cast<int>(std::lround(std::min(millimetres, double{kMaxPageMillimetres + 1})));
}

}  // namespace

PageMetrics PageMetricsOf(const QPrinter& printer)
{
    const QRectF printable = printer.pageLayout().paintRect(QPageLayout::Millimeter);
    const int resolution = printer.resolution();
    return {WholeMillimetres(printable.width()), WholeMillimetres(printable.height()), resolution,
            resolution};
}

std::optional<PageGeometry> PageGeometryOf(const PageMetrics& page)
{
    const auto inRange = [](int value, int max) { return value > 0 && value <= max; };
    if (!inRange(page.horzSizeMm, kMaxPageMillimetres) ||
        !inRange(page.vertSizeMm, kMaxPageMillimetres) ||
        !inRange(page.logPixelsX, kMaxDotsPerInch) || !inRange(page.logPixelsY, kMaxDotsPerInch)) {
        return std::nullopt;
    }
    PageGeometry g;
    g.scale = page.logPixelsX / kScreenDotsPerInch;
    g.width = page.horzSizeMm / kMillimetresPerInch * page.logPixelsX;
    g.height = page.vertSizeMm / kMillimetresPerInch * page.logPixelsY;
    g.centreX = render::TruncateToPixel(g.width / 2);
    g.horzSizeMm = page.horzSizeMm;
    g.logPixelsX = page.logPixelsX;
    g.logPixelsY = page.logPixelsY;
    return g;
}

int PrintedStarRadius(double magnitude, double scale)
{
    struct Step {
        double fromMagnitude;  // this radius for magnitudes from here to the previous step
        double radius;         // in screen pixels
    };
    constexpr std::array<Step, 8> kSteps{{
        {4.9, 0.8},
        {4.0, 1.0},
        {3.0, 1.3},
        {2.0, 1.6},
        {1.0, 2.5},
        {0.0, 2.8},
        {-1.0, 3.2},
        {-2.0, 3.8},
    }};
    constexpr double kBrightestRadius = 4.0;
    // Bright stars at high resolutions would come out as large blots; the
    // printed layout caps them, at the cap and not below it, so that the
    // order of brightness survives on paper.
    constexpr int kLargestRadiusAtReference = 20;
    // At a preview's low resolution the faint stars would round away to
    // nothing; every star drawn keeps at least one pixel.
    constexpr int kSmallestRadius = 1;

    double radius = kBrightestRadius;
    if (std::isnan(magnitude)) {
        radius = kSteps.front().radius;
    }
    for (const Step& step : kSteps) {
        if (magnitude >= step.fromMagnitude) {
            radius = step.radius;
            break;
        }
    }
    const int pixels = render::TruncateToPixel(radius * scale);
    // The cap at this page's resolution: scale is dpi / 96.
    const int largest = render::TruncateToPixel(kLargestRadiusAtReference * scale *
                                                kScreenDotsPerInch / kReferenceDotsPerInch);
    return std::max(std::min(pixels, largest), kSmallestRadius);
}

int AtResolution(int referencePixels, int dotsPerInch)
{
    return static_cast<int>(static_cast<long long>(referencePixels) * dotsPerInch /
                            kReferenceDotsPerInch);
}

// The printed map keeps the window's zoom six times larger at 600 dpi and
// twelve times at 1200: 6 x zoom x (dpi / 600 in whole numbers) from 600 dpi
// up. Below 600 dpi that quotient would be 0 and every orbit and planet
// would collapse onto the Sun, so there the factor follows the resolution
// in real numbers (3 x zoom at 300 dpi, about the window's own scale on a
// 96 dpi preview), which meets the whole-number rule at 600 dpi.
int PrinterZoom(int zoom, int logPixelsX)
{
    constexpr int kZoomPerStep = 6;
    constexpr int kDotsPerStep = 600;
    // Far beyond any page: keeps the products below inside an int.
    constexpr double kMaxZoom = 1e6;
    if (zoom <= 0 || logPixelsX <= 0) {
        return 0;
    }
    const double steps = logPixelsX >= kDotsPerStep
                             ? static_cast<double>(logPixelsX / kDotsPerStep)
                             : static_cast<double>(logPixelsX) / kDotsPerStep;
    return static_cast<int>(std::min(kZoomPerStep * static_cast<double>(zoom) * steps, kMaxZoom));
}

}  // namespace skyvane::print
