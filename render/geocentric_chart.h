// The right ascension / declination chart: the band of sky between
// declination -45 and +45 as a rectangle, independent of the observer's
// place, with the stars, constellation figures, Sun, Moon and planets, and
// below it a table of the bodies' positions, distances and zodiac signs.
#pragma once

#include <QPainter>

#include "engine/sky.h"
#include "render/display_preferences.h"
#include "render/draw_context.h"
#include "render/object_panel.h"
#include "render/offscreen_dc.h"
#include "skydata/catalogue.h"
#include "skydata/click_rects.h"
#include "skydata/int_rect.h"

namespace skyvane::render {

// The map shows the band of sky strictly between declinations -45 and +45.
bool GeocentricBandHolds(double declinationDegrees);
// A figure line joins only stars of the band clear of the 0 h seam, so that
// no line runs across the whole map.
// Takes the star's place of date (hours, degrees).
bool GeocentricFigureMayJoin(double rightAscension, double declination);

// Draws the chart for a window `height` x `width` pixels onto `target`
// through an off-screen surface whose background is the target's background
// colour (the view paints on black). Stars and figures are always drawn
// here, whatever the star and constellation preferences say; only the star
// colour and planet mode apply. Every star of the band gets its click
// rectangle written. `zoom` and `objectLinkRect` belong to the other charts
// and are left alone.
void DrawGeocentricChart(QPainter& target, OutputKind output, engine::SkyState state, int height,
                         int width, int zoom, skydata::IntRect& objectLinkRect,
                         int timeControlMode, int stepUnit,
                         const skydata::SkyCatalogue& catalogue,
                         skydata::CatalogueClickRects& clickRects,
                         const DisplayPreferences& preferences, const ObjectSelection& selection);

// The same onto a surface the caller holds, whose background colour is
// already set.
void DrawGeocentricChart(DrawContext& dc, const engine::SkyState& state, int height, int width,
                         int timeControlMode, int stepUnit,
                         const skydata::SkyCatalogue& catalogue,
                         skydata::CatalogueClickRects& clickRects,
                         const DisplayPreferences& preferences, const ObjectSelection& selection);

}  // namespace skyvane::render
