// The chart on screen laid out on one printer page: the same content as the
// screen chart, drawn from the page's size and resolution instead of the
// window's, in printer fonts on white paper, with a title naming the place
// and time and our footer. Nothing is selected or highlighted on paper and
// no click rectangle is written.
//
// Each function takes a copy of the sky window's state made when printing
// starts, so the page does not change while it is produced. Each returns
// false, drawing nothing, when `page` cannot describe a page (a size or
// resolution of zero, or beyond any printer).
#pragma once

#include <QPainter>

#include "engine/sky.h"
#include "print/page_metrics.h"
#include "render/chart_view.h"
#include "render/display_preferences.h"
#include "render/draw_context.h"
#include "skydata/catalogue.h"
#include "skydata/deep_sky.h"

namespace skyvane::print {

// Values of the sky window's view mode, the chart on screen.
inline constexpr int kViewIntro = 0;
inline constexpr int kViewHeliocentric = 1;
inline constexpr int kViewGeocentric = 2;
inline constexpr int kViewHorizontal = 3;

// Whether the chart of `viewMode` seen through `aim` prints as a finder
// chart: a sky chart zoomed in. A field as wide as the chart's whole sky
// prints the page of the whole sky, as it draws the whole sky.
bool PrintsFinderChart(int viewMode, const render::ViewAim& aim);
// Whether that page is laid out across a landscape sheet: only the
// geocentric chart's whole sky is; every other page is portrait.
bool PrintsLandscape(int viewMode, const render::ViewAim& aim);

// The page for the chart of `viewMode` onto the printer's painter, in
// device pixels: the heliocentric chart at the window's `heliocentricZoom`,
// the geocentric or the horizontal chart, or the finder chart of a sky
// chart zoomed by `aim` (see PrintsFinderChart). The intro screen, and any
// other mode, prints an empty page (and returns true when the page is
// valid). With `deepSky`, the Milky Way (by the preferences) and a finder
// chart's Hipparcos stars and NGC and IC objects.
bool PrintChart(int viewMode, QPainter& printer, const PageMetrics& page,
                engine::SkyState state, const skydata::SkyCatalogue& catalogue,
                const render::DisplayPreferences& preferences, int heliocentricZoom,
                const render::ViewAim& aim = render::ViewAim::WholeSky(),
                const skydata::DeepSkyCatalogue* deepSky = nullptr);

// The round map of the sky above the observer with the bodies' azimuths and
// altitudes below it; portrait. With `deepSky` and the preference on, the
// Milky Way as a light grey band under the stars.
bool PrintHorizontalChart(QPainter& printer, const PageMetrics& page, engine::SkyState state,
                          const skydata::SkyCatalogue& catalogue,
                          const render::DisplayPreferences& preferences,
                          const skydata::DeepSkyCatalogue* deepSky = nullptr);
bool PrintHorizontalChart(render::DrawContext& dc, const PageMetrics& page,
                          const engine::SkyState& state, const skydata::SkyCatalogue& catalogue,
                          const render::DisplayPreferences& preferences,
                          const skydata::DeepSkyCatalogue* deepSky = nullptr);

// The right ascension / declination map with the bodies' positions,
// distances and zodiac signs below it; landscape. With `deepSky` and the
// preference on, the Milky Way under the grid and the stars.
bool PrintGeocentricChart(QPainter& printer, const PageMetrics& page, engine::SkyState state,
                          const skydata::SkyCatalogue& catalogue,
                          const render::DisplayPreferences& preferences = {},
                          const skydata::DeepSkyCatalogue* deepSky = nullptr);
bool PrintGeocentricChart(render::DrawContext& dc, const PageMetrics& page,
                          const engine::SkyState& state, const skydata::SkyCatalogue& catalogue,
                          const render::DisplayPreferences& preferences = {},
                          const skydata::DeepSkyCatalogue* deepSky = nullptr);

// The solar system from above the Sun at the window's `zoom` (screen pixels
// per AU, see PrinterZoom) with the planets' heliocentric coordinates below
// it; portrait.
bool PrintHeliocentricChart(QPainter& printer, const PageMetrics& page, engine::SkyState state,
                            int zoom);
bool PrintHeliocentricChart(render::DrawContext& dc, const PageMetrics& page,
                            const engine::SkyState& state, int zoom);

// A finder chart: the horizontal or the geocentric chart's sky round the
// centre of a zoomed `aim`, the field across a square map, in black on
// white, with names, the field, a scale bar and the place and time; with
// `deepSky`, its Hipparcos stars and NGC and IC objects as the zoomed chart
// on screen shows them, and the Milky Way by the preferences.
bool PrintFinderChart(QPainter& printer, const PageMetrics& page, bool horizontal,
                      engine::SkyState state, const skydata::SkyCatalogue& catalogue,
                      const render::DisplayPreferences& preferences, const render::ViewAim& aim,
                      const skydata::DeepSkyCatalogue* deepSky = nullptr);
bool PrintFinderChart(render::DrawContext& dc, const PageMetrics& page, bool horizontal,
                      const engine::SkyState& state, const skydata::SkyCatalogue& catalogue,
                      const render::DisplayPreferences& preferences, const render::ViewAim& aim,
                      const skydata::DeepSkyCatalogue* deepSky = nullptr);

}  // namespace skyvane::print
