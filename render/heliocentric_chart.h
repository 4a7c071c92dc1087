// The top view of the solar system: the Sun in the middle, the planets'
// orbits as circles, each planet at its heliocentric longitude and distance,
// and on the right a table of the planets' heliocentric coordinates.
#pragma once

#include <QPainter>

#include "engine/sky.h"
#include "render/display_preferences.h"
#include "render/draw_context.h"
#include "render/offscreen_dc.h"
#include "skydata/int_rect.h"

namespace skyvane::render {

// Draws the chart for a window `height` x `width` pixels onto `target`
// through an off-screen surface whose background is the target's background
// colour (the view paints on black). `zoom` is the scale in pixels per AU
// (the view keeps it between 10 and 300); zoomed far out the inner planets
// leave the map, keeping their table rows. `objectLinkRect` belongs to the
// horizontal chart and is left alone. The table row of planet
// `highlightedBody` (a BodyId, -1 for none) is framed.
void DrawHeliocentricChart(QPainter& target, OutputKind output, engine::SkyState state,
                           int height, int width, int zoom, skydata::IntRect& objectLinkRect,
                           int timeControlMode, int stepUnit,
                           const DisplayPreferences& preferences, int highlightedBody = -1);

// The same onto a surface the caller holds, whose background colour is
// already set.
void DrawHeliocentricChart(DrawContext& dc, const engine::SkyState& state, int height, int width,
                           int zoom, int timeControlMode, int stepUnit,
                           const DisplayPreferences& preferences, int highlightedBody = -1);

}  // namespace skyvane::render
