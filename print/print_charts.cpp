#include "print/print_charts.h"

namespace skyvane::print {

bool PrintsFinderChart(int viewMode, const render::ViewAim& aim)
{
    if (aim.wholeSky || (viewMode != kViewHorizontal && viewMode != kViewGeocentric)) {
        return false;
    }
    // The finder page's own map decides: a field it would show as the
    // whole sky leaves an empty square on paper, so that prints the whole
    // sky instead. Its thresholds do not depend on the map's size.
    constexpr int kAnySide = 1000;
    const render::ChartView map = render::ChartView::InArea(
        viewMode == kViewHorizontal ? render::ChartPlane::kHorizontal
                                    : render::ChartPlane::kGeocentric,
        {0, 0, kAnySide, kAnySide}, render::kWestLeftEastRight, aim);
    return !map.WholeSky();
}

bool PrintsLandscape(int viewMode, const render::ViewAim& aim)
{
    return viewMode == kViewGeocentric && !PrintsFinderChart(viewMode, aim);
}

bool PrintChart(int viewMode, QPainter& printer, const PageMetrics& page,
                engine::SkyState state, const skydata::SkyCatalogue& catalogue,
                const render::DisplayPreferences& preferences, int heliocentricZoom,
                const render::ViewAim& aim, const skydata::DeepSkyCatalogue* deepSky)
{
    if (PrintsFinderChart(viewMode, aim)) {
        return PrintFinderChart(printer, page, viewMode == kViewHorizontal, state, catalogue,
                                preferences, aim, deepSky);
    }
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
