// Where a telescope points, drawn on the horizontal and geocentric charts:
// a circle with a cross, in a colour of its own, at the mount's place of
// date as it last reported it. It goes through the chart's own mapping and
// the drawing context, as the stars do.
#pragma once

#include <QRgb>

#include <optional>

#include "engine/sky.h"
#include "render/chart_view.h"
#include "render/draw_context.h"

namespace skyvane::render {

// A mount's pointing: right ascension (hours) and declination (degrees) of
// date.
struct TelescopeMark {
    double rightAscension = 0;
    double declination = 0;
    friend bool operator==(const TelescopeMark&, const TelescopeMark&) = default;
};

inline constexpr QRgb kTelescopeReticle = qRgb(255, 120, 0);
inline constexpr int kReticleRadius = 9;
inline constexpr int kReticleArm = 15;

// Where the reticle's centre goes on a chart seen through `view`, or
// nothing when the chart does not show that place (below the horizon, or
// outside the geocentric band). `state` is the computed sky of the chart.
std::optional<PixelPoint> TelescopeReticleAt(const ChartView& view, const engine::SkyState& state,
                                             const TelescopeMark& mark);

void DrawTelescopeReticle(DrawContext& dc, PixelPoint at);

}  // namespace skyvane::render
