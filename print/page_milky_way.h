// The Milky Way on paper: the deep-sky file's five brightness steps as a
// light grey band under everything else on a printed map, so that it
// shows where the band lies without hiding a star, a line or a name.
#pragma once

#include <QRgb>

#include "engine/sky.h"
#include "render/chart_view.h"
#include "render/display_preferences.h"
#include "render/draw_context.h"
#include "skydata/deep_sky.h"

namespace skyvane::print {

// The band's greys, faintest step (1) first: each step a little darker,
// all of them far lighter than the grid and the figures.
QRgb PaperMilkyWayColor(int level);

// Whether a page of the horizontal or the geocentric chart draws the
// Milky Way: with the deep-sky file and the preference on, and on the
// horizontal chart only when its stars show at all (not with the planets
// only, not by day), as on screen.
bool PageShowsMilkyWay(bool horizontal, const engine::SkyState& state,
                       const render::DisplayPreferences& preferences,
                       const skydata::DeepSkyCatalogue* deepSky);

// The band as `view` places the sky, each point moved by `shift` (a page
// map drawn away from the view's own origin), filled within `clip`: on the
// horizontal plane inside the horizon only, on the geocentric plane round
// the whole turn of right ascension.
void DrawPageMilkyWay(render::DrawContext& dc, const skydata::DeepSkyCatalogue& deepSky,
                      const engine::SkyState& state, const render::ChartView& view,
                      render::ScreenPoint shift, const render::ScreenArea& clip);

}  // namespace skyvane::print
