// The sky as the observer sees it: a round map of the visible hemisphere
// with the zenith in the middle and the horizon as its rim, showing the
// stars, constellation figures, Messier objects, Sun, Moon and planets above
// the horizon, and on the right a panel with the date, the place, the
// bodies' azimuths and altitudes, the stored places, the Moon's phase and
// either the selected object's data or the navigation keys.
#pragma once

#include <QImage>
#include <QPainter>

#include "engine/sky.h"
#include "render/chart_view.h"
#include "render/display_preferences.h"
#include "render/draw_context.h"
#include "render/object_panel.h"
#include "render/offscreen_dc.h"
#include "skydata/catalogue.h"
#include "skydata/deep_sky.h"
#include "skydata/click_rects.h"
#include "skydata/int_rect.h"

namespace skyvane::render {

// Draws the chart for a window `height` x `width` pixels onto `target`
// through an off-screen surface (the view paints on black). Every star and
// Messier object drawn gets its click rectangle written; the others keep
// theirs. `objectLinkRect` is written when the panel shows the link button
// of the selected object. `zoom` belongs to the heliocentric chart.
void DrawHorizontalChart(QPainter& target, OutputKind output, engine::SkyState state, int height,
                         int width, int zoom, skydata::IntRect& objectLinkRect,
                         int timeControlMode, int stepUnit,
                         const skydata::SkyCatalogue& catalogue,
                         skydata::CatalogueClickRects& clickRects,
                         const DisplayPreferences& preferences, const ObjectSelection& selection,
                         const ViewAim& aim = ViewAim::WholeSky(),
                         const skydata::DeepSkyCatalogue* deepSky = nullptr);

// The same onto a surface the caller holds. `aim` zooms the disc: the whole
// sky draws it as it always has; a centre and field magnify it (the panel
// stays as it is).
void DrawHorizontalChart(DrawContext& dc, const engine::SkyState& state, int height, int width,
                         skydata::IntRect& objectLinkRect, int timeControlMode, int stepUnit,
                         const skydata::SkyCatalogue& catalogue,
                         skydata::CatalogueClickRects& clickRects,
                         const DisplayPreferences& preferences, const ObjectSelection& selection,
                         const ViewAim& aim = ViewAim::WholeSky(),
                         const skydata::DeepSkyCatalogue* deepSky = nullptr);

// The view the chart draws through for a window `height` x `width`.
ChartView HorizontalChartView(int height, int width, const DisplayPreferences& preferences,
                              const ViewAim& aim);

// The rules by which the chart (and its printed page) decides what shows.

// The chart draws this many figure rows whatever the figure count; rows
// past the count are empty and draw nothing.
inline constexpr int kHorizontalFigureRows = 122;

// The mapping's orientation for the east-west preference: +1 puts west on
// the left, -1 east.
int HorizontalOrientation(const DisplayPreferences& preferences);
// Whether stars and figures are drawn at all, with the Sun at
// `sunAltitude` degrees.
bool HorizontalShowsCatalogue(double sunAltitude, const DisplayPreferences& preferences);
// Whether Messier objects are drawn (when the catalogue is).
bool HorizontalShowsDeepSky(double sunAltitude, const DisplayPreferences& preferences);
// Whether a star of `magnitude` above the horizon is drawn.
bool HorizontalStarLit(double sunAltitude, double magnitude, const DisplayPreferences& preferences);
// Records at exactly 0 h or 0 degrees are empty rows, never stars.
bool IsEmptyStarRow(const skydata::StarRecord& star);
// An azimuth kept from the south as the table shows it: from the north
// when `northAtZero`, running up to 360 inclusive, so a due-south body
// reads 360, not 0.
double ShownAzimuth(double azimuth, bool northAtZero);

// The Moon's phase from the right ascensions of the Moon and the Sun in
// hours: 0 new, 0.25 first quarter, 0.5 full, 0.75 last quarter.
double MoonPhase(double moonRightAscension, double sunRightAscension);

// Our picture of the full Moon, 120 x 120 pixels, lit disc on black.
const QImage& MoonPicture();

// Draws the Moon picture with the part of the disc that phase `phase`
// leaves unlit blackened, top-left corner at (x, y): the lit part is on the
// right while the Moon waxes (phase below 0.5) and on the left while it
// wanes.
void DrawMoonWithShadow(DrawContext& dc, int x, int y, double phase);

}  // namespace skyvane::render
