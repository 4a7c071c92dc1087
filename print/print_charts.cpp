#include "print/print_charts.h"

namespace skyvane::print {

bool PrintChart(int viewMode, QPainter& printer, const PageMetrics& page,
                engine::SkyState state, const skydata::SkyCatalogue& catalogue,
                const render::DisplayPreferences& preferences, int heliocentricZoom,
                const skydata::DeepSkyCatalogue* deepSky)
{
    switch (viewMode) {
    case kViewHeliocentric:
        return PrintHeliocentricChart(printer, page, state, heliocentricZoom);
    case kViewGeocentric:
        return PrintGeocentricChart(printer, page, state, catalogue, preferences, deepSky);
    case kViewHorizontal:
        return PrintHorizontalChart(printer, page, state, catalogue, preferences, deepSky);
    default:
        // The intro screen has nothing to print: the page stays empty.
        return PageGeometryOf(page).has_value();
    }
}

}  // namespace skyvane::print
