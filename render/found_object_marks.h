// How the charts show an object found by name: whether the chart on screen
// draws it at all, and the frame around a body's row in a chart's table.
#pragma once

#include <QRgb>

#include "engine/sky.h"
#include "render/display_preferences.h"
#include "render/draw_context.h"
#include "skydata/catalogue.h"
#include "skydata/name_index.h"

namespace skyvane::render {

// The charts by the sky window's view modes.
enum class ChartShown { kIntro, kHeliocentric, kGeocentric, kHorizontal };

// Whether the chart draws `object` for the sky of `state` (computed) with
// these preferences: on its map (stars and Messier objects, as their
// drawing rules say) or in its table (bodies). On the horizontal chart a
// body counts only while it is above the horizon, where its symbol is.
bool ChartDrawsObject(ChartShown chart, const engine::SkyState& state,
                      const skydata::SkyCatalogue& catalogue,
                      const DisplayPreferences& preferences, skydata::ObjectRef object);

// The frame drawn around the table row of the body found by name.
inline constexpr QRgb kBodyRowFrame = qRgb(255, 0, 0);
void DrawBodyRowFrame(DrawContext& dc, int left, int top, int right, int bottom);

}  // namespace skyvane::render
