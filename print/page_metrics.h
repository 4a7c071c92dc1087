// The printer page as the printed charts are laid out from it: its
// printable size in whole millimetres and its resolution in dots per inch,
// read once at the start of each print.
#pragma once

#include <optional>

class QPrinter;

namespace skyvane::print {

struct PageMetrics {
    int horzSizeMm = 0;  // printable width
    int vertSizeMm = 0;  // printable height
    int logPixelsX = 0;  // dots per inch across
    int logPixelsY = 0;  // dots per inch down
};

// The metrics of `printer`'s printable area. Qt printers have a single
// resolution, so both directions get it.
PageMetrics PageMetricsOf(const QPrinter& printer);

// What every printed page derives from its metrics, in device pixels. W and
// H are kept unrounded: some positions are taken from them before any
// truncation.
struct PageGeometry {
    double scale = 0;   // s: screen pixels to device pixels
    double width = 0;   // W
    double height = 0;  // H
    int centreX = 0;    // cx = W / 2
    int horzSizeMm = 0;
    int logPixelsX = 0;
    int logPixelsY = 0;
};

// Nothing when `page` cannot describe a page: a size or resolution of zero
// or less, or beyond any real printer (the page would not fit a drawing
// coordinate). A print with such metrics leaves the page empty.
std::optional<PageGeometry> PageGeometryOf(const PageMetrics& page);

// The resolution at which the page layout's lengths in device pixels (pen
// widths, fixed offsets, the largest star) are given. At any other
// resolution they grow or shrink with it, so a page looks the same on paper
// whatever the printer.
inline constexpr int kReferenceDotsPerInch = 600;

// `referencePixels` device pixels of a 600 dpi page at `dotsPerInch`, cut
// toward zero.
int AtResolution(int referencePixels, int dotsPerInch);

// Radius in device pixels of a printed star of visual `magnitude` at page
// scale `scale` (dots per inch / 96). Brighter stars are never smaller: a
// radius beyond the cap (20 pixels at 600 dpi) is drawn at the cap.
int PrintedStarRadius(double magnitude, double scale);

// The heliocentric page's scale in device pixels per AU for the sky
// window's `zoom` (screen pixels per AU) on a printer of `logPixelsX`.
int PrinterZoom(int zoom, int logPixelsX);

}  // namespace skyvane::print
